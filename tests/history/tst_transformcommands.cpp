#include <QCryptographicHash>
#include <QtTest>


#include <cmath>
#include <memory>

#include "KXMemoryDocument.h"
#include "KXPathsListModel.h"
#include "KXSelectionMaskHelper.h"
#include "imagesizecommand.h"
#include "imagesizecommanddata.h"
#include "recordcheck.h"
#include "recordtesting.h"
#include "roundtrip.h"
#include "selectioncopymovecommanddata.h"
#include "selectionmovecommand.h"
#include "selectionmovecommanddata.h"
#include "transformcommand.h"
#include "transformcommanddata.h"
#include "transformselectioncommand.h"
#include "transformselectioncommanddata.h"

namespace {

const quint32 kSelected = 0xFF000000;

// A w x h image whose pixels all differ: (x * 40 + 7, y * 40 + 11, x ^ y, 255).
KXImage32 Pattern(int width, int height)
{
    KXImage32 image{unsigned(width), unsigned(height)};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(unsigned(x), unsigned(y),
                           KXRGBA32i(quint8(x * 40 + 7), quint8(y * 40 + 11), quint8(x ^ y), 255));
    return image;
}

KXImage32 Uniform(int width, int height, quint32 value)
{
    KXImage32 image{unsigned(width), unsigned(height)};
    image.Fill(KXRGBA32i::FromValue(value));
    return image;
}

// A short hash of the pixels, row by row.
QByteArray PixelHash(const KXImage32& image)
{
    const QImage pixels = image.ToQImage();
    return QCryptographicHash::hash(QByteArray(reinterpret_cast<const char*>(pixels.constBits()), int(pixels.sizeInBytes())),
                                    QCryptographicHash::Md5).toHex().left(12);
}

// The image turned a quarter clockwise, pixel by pixel.
KXImage32 QuarterTurn(const KXImage32& image)
{
    const unsigned int w = image.GetWidth();
    const unsigned int h = image.GetHeight();
    KXImage32 turned{h, w};
    for (unsigned int y = 0; y < h; ++y)
        for (unsigned int x = 0; x < w; ++x)
            turned.SetPixel(h - 1 - y, x, image.GetPixel(x, y));
    return turned;
}

QTransform QuarterTurnAt(const QPointF& origin)
{
    QTransform transform;
    transform.translate(origin.x(), origin.y());
    transform.rotate(90);
    return transform;
}

KXPathsListModel::Path TrianglePath()
{
    QList<KXPathElement> elements{KXPathElement(KXPathElement::MoveTo, QPointF(1, 2)),
                                  KXPathElement(KXPathElement::LineTo, QPointF(3, 2)),
                                  KXPathElement(KXPathElement::LineTo, QPointF(1, 5))};
    return KXPathsListModel::Path{qMakePair(elements, 0)};
}

// A document with a background, a raster layer with a mask, a text layer, an
// adjustment layer, a path and a selection.
struct SampleDocument
{
    KXMemoryDocument document{QSize(40, 30)};
    unsigned int raster = 0;
    unsigned int text = 0;

    SampleDocument()
    {
        document.AddRasterLayer(QStringLiteral("Background"), Uniform(40, 30, 0xFF808080));
        raster = document.AddRasterLayer(QStringLiteral("Photo"), Pattern(6, 5), QPoint(5, 7));
        document.CreateLayerMask(raster, Uniform(4, 4, 0xFFFFFFFF), true);
        document.SetMaskPos(raster, QPoint(6, 8));
        text = document.AddTextLayer(QStringLiteral("Title"), QStringLiteral("Hi"), QFont(), Qt::red, QPoint(3, 3));
        document.AddAdjustmentLayer(QStringLiteral("Levels"), QStringLiteral("Levels"));
        document.GetPathListModel()->InsertPath(0, TrianglePath(), QStringLiteral("Path 1"));
        document.SetSelectionMask(Uniform(3, 2, kSelected), QPoint(2, 4));
    }
};

} // namespace

class TransformCommandsTest : public QObject
{
    Q_OBJECT

private slots:
    // Every record of the family byte for byte, read back in place, refused
    // when cut; a record from data without one is refused.
    void records_data()
    {
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<QByteArray>("record"); // refused when make gives no record
        QTest::newRow("transform: layers by id, little-endian") << MakeData<TransformCommandData>([](auto& d) {
            d.SetUndoLayerImage(5, KXImage32(), QPoint(-1, 2));
            d.SetUndoLayerImage(2, KXImage32(), QPoint(3, 4));
            d.SetTransform(QTransform::fromScale(2, 3));
            d.SetOldTransform(QTransform::fromTranslate(7, 8));
        }) << Hex("00000002 02000000 0000000000000000 0000000300000004 05000000 0000000000000000 ffffffff00000002")
                + Streamed(QTransform::fromScale(2, 3), QTransform::fromTranslate(7, 8));
        QTest::newRow("transform selection") << MakeData<TransformSelectionCommandData>([](auto& d) {
            d.SetUndoImage(KXImage32(), QPoint(1, -2));
            d.SetTransform(QTransform::fromScale(2, 2));
        }) << Hex("0000000000000000 00000001fffffffe") + Streamed(QTransform::fromScale(2, 2));
        QTest::newRow("image size, resolution only") << MakeData<ImageSizeCommandData>([](auto& d) {
            d.Init(nullptr, QSize(4, 4), 72, QSize(8, 8), 150, false, ImageSizeCommandData::BilinearResample);
        }) << Hex("00000000 4052000000000000 4062c00000000000");
        QTest::newRow("selection move") << MakeData<SelectionMoveCommandData>([](auto& d) {
            d.SetRedoPosition(QPoint(-3, 4));
        }) << Hex("00000000 00000000 fffffffd 00000004");
        QTest::newRow("selection copy-move") << MakeData<SelectionCopyMoveCommandData>([](auto& d) {
            d.SetLayerIndex(7);
            d.SetStartPos(QPoint(1, 2));
            d.SetEndImage(Pattern(3, 3));
        }) << Hex("00000001 00000002") + QByteArray(32, 0) + TiledRecord(Pattern(3, 3)) + Hex("00000007");
        // Hostile counts, refused before anything is allocated.
        const DataMaker transform = MakeData<TransformCommandData>([](auto&) {});
        QTest::newRow("transform, negative count") << transform << Hex("ffffffff");
        QTest::newRow("transform, huge count") << transform << Hex("7fffffff02000000");
        QTest::newRow("image size, huge layer count") << MakeData<ImageSizeCommandData>([](auto&) {})
            << Hex("00000001 4052000000000000 4052000000000000 00000002 00000028 0000001e 00000014 0000000f")
                + Streamed(QTransform(), qint32(0x7fffffff), qint32(0));
    }
    void records()
    {
        QFETCH(DataMaker, make);
        QFETCH(QByteArray, record);
        CheckRecord(make, record);
    }

    void transformLayers_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<bool>("maskMode");
        QTest::addColumn<QRect>("geometry");
        QTest::newRow("quarter turn of the layer") << QuarterTurnAt(QPointF(20, 3)) << false << QRect(15, 3, 5, 6);
        QTest::newRow("identity keeps (0, 0)") << QTransform() << false << QRect(0, 0, 6, 5);
        QTest::newRow("scale 1.6: 9.6 wide is 9") << QTransform::fromScale(1.6, 1) << false << QRect(0, 0, 9, 5);
        QTest::newRow("origin (-2.5, 3.5) rounds to (-2, 4)")
            << QTransform::fromTranslate(-2.5, 3.5) << false << QRect(-2, 4, 6, 5);
        QTest::newRow("quarter turn of the mask") << QuarterTurnAt(QPointF(4, 0)) << true << QRect(0, 0, 4, 4);
        QTest::newRow("singular: zero width") << QTransform::fromScale(0, 1) << false << QRect(0, 0, 0, 0);
    }
    void transformLayers()
    {
        QFETCH(QTransform, transform);
        QFETCH(bool, maskMode);
        QFETCH(QRect, geometry);
        SampleDocument sample;
        KXMemoryDocument& document = sample.document;
        const unsigned int layer = sample.raster;
        auto* data = new TransformCommandData;
        KXImage32 saved;
        document.GetMaskImage(layer, saved);
        if (maskMode)
            data->SetUndoLayerImage(layer, saved, document.GetMaskGeometry(layer).topLeft());
        else
            data->SetUndoLayerImage(layer, *document.GetLayerImage(layer), QPoint(5, 7));
        data->SetTransform(transform);
        auto* command = new TransformCommand(&document, maskMode);
        command->SetCommandData(data);
        HistoryFixture history;
        const KXImage32 original = maskMode ? saved : *document.GetLayerImage(layer);
        const int state = document.GetDocumentState();
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), state + (redone ? 1 : 0));
            QVERIFY(!QGuiApplication::overrideCursor());
            if (!redone)
                return;
            QCOMPARE(maskMode ? document.GetMaskGeometry(layer) : document.GetLayerGeometry(layer),
                     geometry.isEmpty() ? QRect(geometry.topLeft(), QSize(0, 5)) : geometry);
            const KXImage32& now = maskMode ? *document.GetLayerMask(layer) : *document.GetLayerImage(layer);
            if (transform.isIdentity())
                QVERIFY(now.IsPixelEqual(original));
            if (transform.type() == QTransform::TxRotate)
                QVERIFY(now.IsPixelEqual(QuarterTurn(original)));
        });
    }

    // A placed text layer: the placement composed with the transform, the
    // layer re-rendered on its side.
    void transformTextLayer()
    {
        const QTransform oldTransform = QTransform::fromTranslate(2, 1);
        SampleDocument sample;
        KXMemoryDocument& document = sample.document;
        document.SetTextTransform(sample.text, QMatrix4x4(oldTransform));
        const QTransform rotation = QuarterTurnAt(QPointF(30, 0));
        auto* data = new TransformCommandData;
        data->SetUndoLayerImage(sample.text, *document.GetLayerImage(sample.text),
                                document.GetLayerGeometry(sample.text).topLeft());
        data->SetTransform(rotation);
        data->SetOldTransform(oldTransform);
        auto* command = new TransformCommand(&document, false);
        command->SetCommandData(data);
        HistoryFixture history;
        const QRect before = document.GetLayerGeometry(sample.text);
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            const QTransform expected = redone ? oldTransform * rotation : oldTransform;
            QCOMPARE(document.GetTextTransform(sample.text).toTransform(), expected);
            if (redone) // re-rendered on its side: taller than wide
                QCOMPARE(document.GetLayerGeometry(sample.text).size(), before.size().transposed());
        });
    }

    // A quarter turn of a 100 x 50 selection gives 50 x 100 where the turn
    // puts it (the stored offset plays no part); any result is trimmed to its
    // selected pixels.
    void transformSelection()
    {
        KXMemoryDocument document(QSize(200, 200));
        const KXImage32 mask = Uniform(100, 50, kSelected);
        bool quarterTurn = true;
        for (const QTransform& transform :
             {QuarterTurnAt(QPointF(60.4, 10)), QTransform().translate(30, 5).rotate(33).scale(0.7, 1.3)}) {
            document.SetSelectionMask(mask, QPoint(7, 9));
            TransformSelectionCommandData data;
            data.SetUndoImage(mask, QPoint(7, 9));
            data.SetTransform(transform);
            TransformSelectionCommand(&document).redoExec(&data);
            if (quarterTurn)
                QCOMPARE(document.GetSelectionGeometry(), QRect(10, 10, 50, 100));
            quarterTurn = false;
            QCOMPARE(KXSelectionMaskHelper::GetSelectionBoundRect(document.GetSelectionMask()),
                     document.GetSelectionMask().GetRect());
        }
    }

    void imageSize_data()
    {
        QTest::addColumn<bool>("resample");
        QTest::addColumn<int>("type");
        QTest::newRow("resolution only") << false << 0;
        QTest::newRow("nearest neighbour") << true << 0;
        QTest::newRow("bilinear") << true << 1;
        QTest::newRow("other types are bicubic") << true << 7;
    }
    void imageSize()
    {
        QFETCH(bool, resample);
        QFETCH(int, type);
        SampleDocument sample;
        KXMemoryDocument& document = sample.document;
        document.SetDPI(72);
        const QRect textGeometry = document.GetLayerGeometry(sample.text);
        auto* data = new ImageSizeCommandData;
        data->Init(&document, QSize(40, 30), 72, QSize(80, 60), 299.9, resample,
                   ImageSizeCommandData::ResampleType(type));
        auto* command = new ImageSizeCommand(&document);
        command->SetCommandData(data);
        HistoryFixture history;
        // The wait cursor shows while the document changes.
        QStringList cursors;
        const auto noteCursor = [&] {
            const QCursor* cursor = QGuiApplication::overrideCursor();
            cursors << (cursor && cursor->shape() == Qt::WaitCursor ? QStringLiteral("wait") : QStringLiteral("none"));
        };
        connect(&document, &KXDocumentInterface::dpiChanged, this, noteCursor);
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            QCOMPARE(cursors, QStringList{QStringLiteral("wait")});
            cursors.clear();
            QCOMPARE(document.GetDPI(), redone ? 299 : 72);
            QCOMPARE(document.GetDocumentState(), redone && resample ? 1 : 0);
            QVERIFY(!QGuiApplication::overrideCursor());
            QCOMPARE(document.GetLayerGeometry(sample.text), textGeometry);
            const bool scaled = redone && resample;
            QCOMPARE(document.GetCanvasSize(), scaled ? QSize(80, 60) : QSize(40, 30));
            QCOMPARE(document.GetLayerGeometry(sample.raster), scaled ? QRect(10, 14, 12, 10) : QRect(5, 7, 6, 5));
            QCOMPARE(document.GetMaskGeometry(sample.raster), scaled ? QRect(12, 16, 8, 8) : QRect(6, 8, 4, 4));
            QCOMPARE(document.GetSelectionGeometry(), scaled ? QRect() : QRect(2, 4, 3, 2));
            const QList<KXPathElement> elements = document.GetPathListModel()->GetPath(0).first().first;
            QCOMPARE(elements.at(2).point, scaled ? QPointF(2, 10) : QPointF(1, 5));
            if (scaled && type == 0) // nearest neighbour doubles each pixel
                QCOMPARE(document.GetLayerImage(sample.raster)->GetPixel(3, 5).Value(),
                         Pattern(6, 5).GetPixel(1, 2).Value());
        });
    }

    // --- The exported resampler

    // The pixel overload is pinned through bicubicResize.
    void cubicInterpolate_data()
    {
        QTest::addColumn<QVector<int>>("samples");
        QTest::addColumn<double>("t");
        QTest::addColumn<int>("expected");
        QTest::newRow("t = 0 is p1") << QVector<int>{10, 20, 30, 40} << 0.0 << 20;
        QTest::newRow("25.5 truncates") << QVector<int>{10, 20, 30, 40} << 0.5 << 25;
        QTest::newRow("319.25 clamps") << QVector<int>{0, 255, 255, 0} << 0.5 << 255;
        QTest::newRow("-127 clamps") << QVector<int>{0, 0, 255, 255} << -0.5 << 0;
    }
    void cubicInterpolate()
    {
        QFETCH(QVector<int>, samples);
        QFETCH(double, t);
        QFETCH(int, expected);
        QCOMPARE(CubicInterpolate(samples[0], samples[1], samples[2], samples[3], t), expected);
    }

    // The resized pixels are pinned, as checked once against every output
    // pixel computed from its own clamped 4 x 4 block with the pixel kernel.
    void bicubicResize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<double>("scaleX");
        QTest::addColumn<double>("scaleY");
        QTest::addColumn<QSize>("expected");
        QTest::addColumn<QByteArray>("hash");
        QTest::newRow("both 1: not a copy") << QSize(7, 5) << 1.0 << 1.0 << QSize(7, 5) << QByteArray("fb0087bbd2e7");
        QTest::newRow("enlarge 1.7 x 2.5") << QSize(7, 5) << 1.7 << 2.5 << QSize(12, 13) << QByteArray("e529d794db0f");
        QTest::newRow("shrink 0.6 x 0.4: rows jump") << QSize(9, 11) << 0.6 << 0.4 << QSize(5, 4)
                                                     << QByteArray("ceb3c392dbb9");
        QTest::newRow("across a tile edge") << QSize(140, 3) << 0.93 << 3.0 << QSize(130, 9)
                                             << QByteArray("b225e9cdbbfe");
        QTest::newRow("0.1 of 4 pixels is empty") << QSize(4, 4) << 0.1 << 1.0 << QSize(0, 0) << QByteArray();
        QTest::newRow("negative scale is empty") << QSize(4, 4) << -2.0 << 1.0 << QSize(0, 0) << QByteArray();
        QTest::newRow("huge scale is empty") << QSize(4, 4) << 1e9 << 1.0 << QSize(0, 0) << QByteArray();
    }
    void bicubicResize()
    {
        QFETCH(QSize, size);
        QFETCH(double, scaleX);
        QFETCH(double, scaleY);
        QFETCH(QSize, expected);
        QFETCH(QByteArray, hash);
        const KXImage32 source = Pattern(size.width(), size.height());
        const KXImage32 result = BicubicResize(source, scaleX, scaleY);
        QCOMPARE(result.GetSize(), expected);
        if (!expected.isEmpty())
            QCOMPARE(PixelHash(result), hash);
    }

    // --- Selection move (the copy-move commands do nothing; their record is above)

    void selectionMoveLiveEdit()
    {
        KXMemoryDocument document(QSize(50, 50));
        document.SetSelectionMask(Uniform(4, 3, kSelected), QPoint(2, 3));
        const DocumentFingerprint original = DocumentFingerprint::Take(document);
        HistoryFixture history;
        auto* data = new SelectionMoveCommandData;
        data->SetUndoPosition(QPoint(2, 3));
        auto* command = new SelectionMoveCommand(&document);
        command->SetCommandData(data);
        history.stack.pushDelayed(command);
        QCOMPARE(document.GetDocumentState(), 1); // begin
        document.MoveToSelection(QPoint(20, 11)); // the drag
        history.stack.commit(); // end (-1), then the push's redo (+1)
        QCOMPARE(document.GetDocumentState(), 1);
        CheckUndoRedo(history, document, original, 2, [&](bool redone) {
            QCOMPARE(document.GetSelectionGeometry(), redone ? QRect(20, 11, 4, 3) : QRect(2, 3, 4, 3));
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
        });
    }

    // Bad input: data of another kind, none, no record or no document. Only
    // the image size and the selection move report; nothing changes but the
    // counter of a selection transform without record.
    void badInput()
    {
        SampleDocument sample;
        KXMemoryDocument& document = sample.document;
        const DocumentFingerprint start = DocumentFingerprint::Take(document);
        TransformCommandData transformData;
        transformData.SetUndoLayerImage(sample.raster, Pattern(2, 2), QPoint());
        SelectionMoveCommandData moveData, noMove;
        moveData.SetRedoPosition(QPoint(-3, 4));
        TransformSelectionCommandData noRecord;
        MessageCapture capture;
        TransformCommand transform(&document, false), orphan(nullptr, false);
        transform.redoExec(&moveData);
        transform.undoExec(nullptr);
        orphan.redoExec(&transformData);
        orphan.undoExec(&transformData);
        TransformSelectionCommand selection(&document);
        selection.redoExec(&transformData);
        selection.redoExec(nullptr);
        QCOMPARE(document.GetDocumentState(), 0);
        selection.redoExec(&noRecord);
        QCOMPARE(document.GetDocumentState(), 1);
        selection.undoExec(&noRecord);
        QVERIFY(capture.texts().isEmpty());
        ImageSizeCommand imageSize(&document);
        imageSize.redoExec(&transformData);
        imageSize.undoExec(nullptr);
        SelectionMoveCommand move(&document), orphanMove(nullptr);
        orphanMove.redoExec(&moveData);
        orphanMove.undoExec(&moveData);
        move.redoExec(&noMove);
        move.undoExec(nullptr);
        const QString input = ReportPattern("src/transformcommands/imagesizecommand.cpp", "Error input data.");
        const QString file = QStringLiteral("src/selectioncommands/selectionmovecommand.cpp");
        const QString noDocument = ReportPattern(file, "No document.");
        CompareReports(capture.texts(),
            { input, input, noDocument, noDocument, ReportPattern(file, "No redo data."),
                ReportPattern(file, "No undo data.") });
        CompareFingerprints(DocumentFingerprint::Take(document), start, "after bad input");
        QCOMPARE(document.GetDocumentState(), 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // Degenerate geometry has defined results: a transform that is not finite
    // leaves the layer alone but counts; a singular one clears the selection;
    // the image size to or from nothing.
    void degenerateGeometry()
    {
        SampleDocument sample;
        KXMemoryDocument& document = sample.document;
        const DocumentFingerprint start = DocumentFingerprint::Take(document);
        TransformCommandData data;
        data.SetUndoLayerImage(sample.raster, Pattern(2, 2), QPoint());
        data.SetTransform(QTransform(qInf(), 0, 0, 1, 0, 0));
        TransformCommand(&document, false).redoExec(&data);
        QCOMPARE(document.GetLayerGeometry(sample.raster), QRect(5, 7, 6, 5));
        QCOMPARE(document.GetDocumentState(), 1);

        TransformSelectionCommandData singular;
        singular.SetUndoImage(Uniform(3, 2, kSelected), QPoint(2, 4));
        singular.SetTransform(QTransform::fromScale(0, 0));
        TransformSelectionCommand(&document).redoExec(&singular);
        QVERIFY(!document.HasSelection());

        ImageSizeCommand command(&document);
        ImageSizeCommandData toNothing;
        toNothing.Init(&document, QSize(40, 30), 72, QSize(0, 0), 72, true, ImageSizeCommandData::BicubicResample);
        command.redoExec(&toNothing);
        QCOMPARE(document.GetCanvasSize(), QSize(0, 0));
        QCOMPARE(document.GetLayerImage(sample.raster)->GetSize(), QSize(0, 0));
        command.undoExec(&toNothing);
        document.SetSelectionMask(Uniform(3, 2, kSelected), QPoint(2, 4));
        CompareFingerprints(DocumentFingerprint::Take(document), start, "after undoing the zero size");
        ImageSizeCommandData fromNothing;
        fromNothing.Init(&document, QSize(0, 0), 72, QSize(10, 10), 72, true, ImageSizeCommandData::BicubicResample);
        command.redoExec(&fromNothing);
        QCOMPARE(document.GetLayerGeometry(sample.raster), QRect(5, 7, 6, 5));
        QCOMPARE(document.GetCanvasSize(), QSize(10, 10));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TransformCommandsTest)
#include "tst_transformcommands.moc"
