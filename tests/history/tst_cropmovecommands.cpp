#include <QSignalSpy>
#include <QtTest>

#include <cmath>
#include <functional>
#include <memory>
#include <stdexcept>

#include "KXImageOps.h"
#include "KXMemoryDocument.h"
#include "KXPathsListModel.h"
#include "changecommandhelper.h"
#include "cropcommand.h"
#include "cropcommanddata.h"
#include "kxchangelayerrastercommand.h"
#include "kxchangemaskrastercommand.h"
#include "kxchangerasterdata.h"
#include "movecommand.h"
#include "movecommanddata.h"
#include "recordcheck.h"
#include "recordtesting.h"
#include "roundtrip.h"

namespace {

using Path = KXPathsListModel::Path;

Path path(const QList<QPointF>& points)
{
    QList<KXPathElement> elements;
    for (int i = 0; i < points.size(); ++i)
        elements << KXPathElement(i ? KXPathElement::LineTo : KXPathElement::MoveTo, points[i]);
    return Path { qMakePair(elements, int(KXPathsListModel::Union)) };
}

// Six layers: a background (never cropped), a raster layer, a raster layer
// with a mask, a text layer, an adjustment layer with a mask and a text layer
// with a mask; and two paths.
std::unique_ptr<KXMemoryDocument> sixLayers()
{
    auto document = std::make_unique<KXMemoryDocument>(QSize(80, 60));
    document->AddRasterLayer(QStringLiteral("Background"), PatternImage(80, 60, 1));
    document->AddRasterLayer(QStringLiteral("Photo"), PatternImage(40, 30, 2), QPoint(10, 20));
    const unsigned int masked = document->AddRasterLayer(QStringLiteral("Masked"), PatternImage(30, 30, 3), QPoint(30, 10));
    document->CreateLayerMask(masked, PatternImage(20, 20, 4), true);
    document->SetMaskPos(masked, QPoint(35, 15));
    const QFont font(QStringLiteral("DejaVu Sans"), 12);
    document->AddTextLayer(QStringLiteral("Title"), QStringLiteral("Hi"), font, Qt::red, QPoint(5, 5));
    const unsigned int warm = document->AddAdjustmentLayer(QStringLiteral("Warm"), QStringLiteral("Hue/Saturation"));
    document->CreateLayerMask(warm, PatternImage(10, 10, 5), false);
    document->SetMaskPos(warm, QPoint(50, 40));
    const unsigned int caption
        = document->AddTextLayer(QStringLiteral("Caption"), QStringLiteral("Ok"), font, Qt::blue, QPoint(40, 30));
    document->CreateLayerMask(caption, PatternImage(12, 8, 6), true);
    document->SetMaskPos(caption, QPoint(41, 31));
    KXPathsListModel* paths = document->GetPathListModel();
    paths->InsertPath(0, path({ QPointF(1, 2), QPointF(30, 40) }), QStringLiteral("Line"));
    paths->InsertPath(1, path({ QPointF(10.5, 3), QPointF(20, 5), QPointF(4, 50) }), QStringLiteral("Wedge"));
    return document;
}

CropCommand* cropCommand(KXDocumentInterface* document, const QTransform& transform, const QSize& size,
    bool keepOutside, bool bicubic)
{
    auto* data = new CropCommandData;
    ChangeCommandHelper::FillCropData(document, transform, size, keepOutside, bicubic, *data);
    auto* command = new CropCommand(document);
    command->SetCommandData(data);
    command->setText(QStringLiteral("Crop"));
    return command;
}

// Geometry and pixel hash of layers 1 and 2 and of the masks of layers 2 and 4.
QString croppedLayers(const KXDocumentInterface& document)
{
    const DocumentFingerprint print = DocumentFingerprint::Take(document);
    const auto part = [](const QRect& rect, const QByteArray& hash) {
        return QStringLiteral("%1,%2 %3x%4 %5").arg(rect.x()).arg(rect.y()).arg(rect.width()).arg(rect.height())
            .arg(QString::fromLatin1(hash));
    };
    return QStringList { part(print.layers[1].geometry, print.layers[1].pixels),
        part(print.layers[2].geometry, print.layers[2].pixels),
        part(print.layers[2].maskGeometry, print.layers[2].maskPixels),
        part(print.layers[4].maskGeometry, print.layers[4].maskPixels) }
        .join(QStringLiteral(" | "));
}

// A record file whose integer fields throw (a standard exception or an int).
class ThrowingFile : public VornReaderWriter
{
public:
    explicit ThrowingFile(bool standard)
        : m_standard(standard)
    {
    }
    bool ReadInt(int&) override { return raise(); }
    bool WriteInt(int) override { return raise(); }

private:
    bool raise() const
    {
        if (m_standard)
            throw std::runtime_error("disk gone");
        throw 7;
    }
    bool m_standard;
};

enum CommandKind
{
    Crop,
    Move,
    LayerRaster,
    MaskRaster
};

VornCommand* makeCommand(CommandKind kind, KXDocumentInterface* document)
{
    switch (kind) {
    case Crop:
        return new CropCommand(document);
    case Move:
        return new MoveCommand(document, true);
    case LayerRaster:
        return new KXChangeLayerRasterCommand(document, true);
    default:
        return new KXChangeMaskRasterCommand(document, true);
    }
}

// Data of the kind's own type, with no record, or another command's data.
VornCommandData* makeData(CommandKind kind, bool foreign)
{
    if (foreign)
        return kind == Crop ? static_cast<VornCommandData*>(new MoveCommandData) : new CropCommandData;
    switch (kind) {
    case Crop:
        return new CropCommandData;
    case Move:
        return new MoveCommandData;
    default:
        return new KXChangeRasterData;
    }
}

} // namespace

class TestCropMoveCommands : public QObject
{
    Q_OBJECT

private slots:
    // A crop of the six-layer document pushed on a real stack, undone and
    // redone from the file. After each redo the canvas has the new size, paths
    // follow the transform, text layers take it as placement; the background
    // is never touched. The cropped layers and masks are pinned (geometry and
    // pixel hash), as checked once against a crop redone step by step with
    // the image library (bounds, fill, shift, resampling, placing, clipping).
    // The demo crops by a translation, clipped, nearest neighbour.
    void crop_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<QSize>("canvas");
        QTest::addColumn<bool>("keepOutside");
        QTest::addColumn<bool>("bicubic");
        QTest::addColumn<QString>("layers");
        const QTransform rotated = QTransform().translate(12.25, -7.5).rotate(33);
        QTest::newRow("rotated, keep outside, bicubic") << rotated << QSize(70, 60) << true << true
            << "-7,15 49x46 248f917c29b9 | 16,17 41x41 e3e8e72915be | 23,24 27x27 ae250204af46 | 27,53 13x13 45f60126cae2";
        QTest::newRow("rotated and scaled, clipped, nearest")
            << QTransform().rotate(-12).scale(1.5, 1.25) << QSize(64, 48) << false << false
            << "20,9 44x39 ece486b25eee | 47,0 17x40 b02a8f8bba29 | 55,1 9x30 597405768307 | 0,0 0x0 ";
        QTest::newRow("skewed, clipped") << QTransform(1, 0.2, 0.3, 1, -3.5, 2.5) << QSize(70, 60) << false << true
            << "13,25 49x36 16c2bff9fe25 | 30,19 39x36 4d9066d1edf5 | 36,25 26x24 73c93da67070 | 59,53 12x8 49ac60733bdd";
        // A layer wholly outside a clipped canvas becomes empty at (0, 0).
        QTest::newRow("wholly outside") << QTransform::fromTranslate(-55, 0) << QSize(5, 5) << false << false
                                        << "0,0 0x0  | 0,0 0x0  | 0,0 0x0  | 0,0 0x0 ";
        // A translation with keep-outside keeps the pixels.
        QTest::newRow("translation, keep outside")
            << QTransform::fromTranslate(-5, -5) << QSize(70, 50) << true << false
            << "5,15 40x30 934c490081bc | 25,5 30x30 ef3b06e7cae0 | 30,10 20x20 c7e9ae93ea5a | 45,35 10x10 c1a61252695a";
    }
    void crop()
    {
        QFETCH(QTransform, transform);
        QFETCH(QSize, canvas);
        QFETCH(bool, keepOutside);
        QFETCH(bool, bicubic);
        QFETCH(QString, layers);
        auto document = sixLayers();
        const Path line = document->GetPathListModel()->GetPath(0);
        const DocumentFingerprint before = DocumentFingerprint::Take(*document);
        QSignalSpy views(document.get(), &KXDocumentInterface::viewUpdateRequested);
        HistoryFixture history;
        MessageCapture capture;
        CheckRoundTrip(history, *document, cropCommand(document.get(), transform, canvas, keepOutside, bicubic), 2,
            [&](bool redone) {
                QCOMPARE(document->GetCanvasSize(), redone ? canvas : QSize(80, 60));
                QCOMPARE(document->GetDocumentState(), redone ? 1 : 0);
                QCOMPARE(views.last().first().toRect(), QRect(0, 0, -1, -1));
                const QPointF start = document->GetPathListModel()->GetPath(0).first().first.first().point;
                QCOMPARE(start, redone ? transform.map(line.first().first.first().point) : QPointF(1, 2));
                // (text placements are stored in single precision)
                QCOMPARE(document->GetTextTransform(3), redone ? QMatrix4x4(transform) : QMatrix4x4());
                if (redone)
                    QCOMPARE(croppedLayers(*document), layers);
            });
        QCOMPARE(DocumentFingerprint::Take(*document).layers.first(), before.layers.first());
        QCOMPARE(history.FileCount(), 1);
        QVERIFY2(capture.texts().isEmpty(), qPrintable(capture.texts().join('\n')));
    }

    // The preparation (what the round trip cannot see): images share the
    // layer's tiles; a text layer without mask gets
    // its full transform, one with a mask the identity.
    void fillCropData()
    {
        auto document = sixLayers();
        const QTransform transform = QTransform::fromTranslate(-3, -4);
        CropCommandData data;
        QVERIFY(ChangeCommandHelper::FillCropData(document.get(), transform, QSize(50, 40), true, true, data));
        QCOMPARE(data.GetIndexes(), (QList<unsigned int> { 1, 2, 3, 4, 5 }));
        QRect rect, maskRect;
        KXImage32 image, mask;
        bool hasMask = true;
        QVERIFY(data.GetUndoLayerData(1, rect, image, hasMask, maskRect, mask));
        QVERIFY(image.GetTile(0, 0) == document->GetLayerImage(1)->GetTile(0, 0)); // shared, not copied
        QTransform textTransform, fullTransform;
        QVERIFY(data.GetUndoLayerData(3, rect, textTransform, fullTransform, hasMask, maskRect, mask));
        QCOMPARE(fullTransform, transform);
        QVERIFY(data.GetUndoLayerData(5, rect, textTransform, fullTransform, hasMask, maskRect, mask));
        QCOMPARE(fullTransform, QTransform());
    }

    // The records byte for byte. Crop: canvas sizes, transform, flags, the
    // layers by id (kind, then its fields), the paths. Move: ids as raw
    // little-endian 4-byte values. A hostile id count is refused.
    void records_data()
    {
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<QByteArray>("record"); // refused when make gives no record
        const QTransform transform = QTransform::fromTranslate(-1, -2);
        const QByteArray emptyImage = Hex("00000000 00000000");
        QTest::newRow("crop") << MakeData<CropCommandData>([transform](auto& d) {
            d.SetUndoCanvasSize(QSize(3, 2));
            d.SetRedoData(transform, QSize(2, 1), true, false);
            d.SetUndoLayerData(4, false, QRect(), KXImage32());
            d.SetUndoLayerData(2, QRect(1, 1, 0, 0), KXImage32(), true, QRect(5, 6, 0, 0), KXImage32());
            d.SetUndoLayerData(3, QRect(0, 0, 1, 1), QTransform(), transform, false, QRect(), KXImage32());
            d.SetUndoPathList({ path({ QPointF(1, 2) }) });
        }) << Hex("00000003 00000002 00000002 00000001") + Streamed(transform) + Hex("00000001 00000000 00000003")
                + Hex("00000001") + emptyImage + Streamed(QRect(1, 1, 0, 0)) + Hex("00000001") + emptyImage
                + Streamed(QRect(5, 6, 0, 0)) + Hex("00000002 00000002") + Streamed(QTransform(), transform)
                + Streamed(QRect(0, 0, 1, 1)) + Hex("00000000 00000003 00000003 00000000 00000004")
                + Hex("00000001 00000001 00000001 00000000 3ff0000000000000 4000000000000000 00000000");
        const QTransform placement = QTransform::fromTranslate(1, 2);
        QTest::newRow("move") << MakeData<MoveCommandData>([placement](auto& d) {
            d.SetDelta(QPoint(4, -2));
            d.SetLayers({ 3, 0x01020304 });
            d.SetMasks({ 7 });
            d.SetTextLayerNewTransformation(placement);
        }) << Hex("00000004 fffffffe 00000002 03000000 04030201 00000001 07000000") + Streamed(QTransform(), placement);
        QTest::newRow("move, hostile id count")
            << MakeData<MoveCommandData>([](auto&) {}) << Hex("00000004 fffffffe 7fffffff 03000000");
        QTest::newRow("change raster") << MakeData<KXChangeRasterData>([](auto& d) {
            d.SetUndoImage(QPoint(1, 2), KXImage32());
            d.SetRedoImage(QPoint(-3, 4), KXImage32());
            d.SetLayerID(0xFFFFFFFE);
        }) << Hex("00000000 00000000 00000000 00000000 00000001 00000002 fffffffd 00000004 fffffffe");
    }
    void records()
    {
        QFETCH(DataMaker, make);
        QFETCH(QByteArray, record);
        CheckRecord(make, record);
    }

    // Damaged crop records (cut ones are in records): the data ends with no record
    // (redo and undo then do nothing but count) or, for a layer record of an
    // unknown kind, with that layer's slot empty so that undo skips it.
    void damagedCropRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("read");
        QTest::addColumn<QList<unsigned int>>("indexes");
        QTest::addColumn<int>("reports");
        QTest::addColumn<bool>("layerFour");
        const QByteArray head = Hex("00000003 00000002 00000002 00000001") + Streamed(QTransform()) + Hex("00000000 00000000");
        const QByteArray adjustment = Hex("00000003 00000000");
        const QByteArray noPaths = Hex("00000000");
        QTest::newRow("whole") << head + Hex("00000001") + adjustment + Hex("00000004") + noPaths << true
                               << QList<unsigned int> { 4 } << 0 << true;
        QTest::newRow("unknown kind") << head + Hex("00000001 00000009 00000004") + noPaths << true
                                      << QList<unsigned int> { 4 } << 1 << false;
        QTest::newRow("mask image cut") << head + Hex("00000001 00000003 00000001 00000001") << false
                                        << QList<unsigned int>() << 1 << false;
        QTest::newRow("negative layer count") << head + Hex("ffffffff") + noPaths << false << QList<unsigned int>() << 0 << false;
        QTest::newRow("hostile layer count") << head + Hex("7fffffff") + adjustment + Hex("00000004") << false
                                             << QList<unsigned int>() << 1 << false;
        QTest::newRow("huge image") << head + Hex("00000001 00000001 7fffffff 7fffffff") << false
                                    << QList<unsigned int>() << 1 << false;
    }
    void damagedCropRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, read);
        QFETCH(QList<unsigned int>, indexes);
        QFETCH(int, reports);
        QFETCH(bool, layerFour);
        MessageCapture capture;
        CropCommandData data;
        QCOMPARE(ReadRecord(bytes, data), read);
        QCOMPARE(data.HasRecord(), read);
        QCOMPARE(data.GetIndexes(), indexes);
        CompareReports(capture.texts(),
            QVector<QString>(reports, ReportPattern(QStringLiteral("src/layerchangecommands/cropcommanddata.cpp"),
                                          QStringLiteral("Error")))
                .toList());
        bool hasMask = false;
        QRect maskRect;
        KXImage32 mask;
        QCOMPARE(data.GetUndoLayerData(4, hasMask, maskRect, mask), layerFour);

        // Undo of such data leaves the layers alone.
        auto document = sixLayers();
        const DocumentFingerprint before = DocumentFingerprint::Take(*document);
        CropCommand command(document.get());
        command.undoExec(&data);
        DocumentFingerprint after = DocumentFingerprint::Take(*document);
        after.canvas = before.canvas; // (the whole record gives 3 x 2)
        CompareFingerprints(after, before, "after undo");
    }

    // An exception from the file inside a layer record is reported from the
    // data's source file and passed on to the caller.
    void layerRecordExceptions_data()
    {
        QTest::addColumn<bool>("standard");
        QTest::addColumn<QString>("report");
        const QString file = QStringLiteral("src/layerchangecommands/cropcommanddata.cpp");
        QTest::newRow("standard") << true << ExceptionPattern(file, "exception", "disk gone");
        QTest::newRow("other") << false << ExceptionPattern(file, "unknown exception");
    }
    void layerRecordExceptions()
    {
        QFETCH(bool, standard);
        QFETCH(QString, report);
        ThrowingFile file(standard);
        MessageCapture capture;
        const auto throws = [](const std::function<void()>& run) {
            try {
                run();
            } catch (...) {
                return true;
            }
            return false;
        };
        QVERIFY(throws([&] { CropDataRecord::Serialize(&file, AdjustmentDocData()); }));
        QVERIFY(throws([&] { delete CropDataRecord::Deserialize(&file); }));
        CompareReports(capture.texts(), { report, report });
    }

    // A crop whose result would exceed the largest document (a damaged or
    // hostile record) allocates nothing: the layer stays as it was, reported.
    void oversizedCropIsRefused_data()
    {
        QTest::addColumn<QTransform>("transform");
        QTest::newRow("wider than a document") << QTransform::fromScale(10000, 1);
        QTest::newRow("too many tiles") << QTransform::fromScale(5000, 5000);
        QTest::newRow("far away") << QTransform::fromTranslate(1e12, 0);
        QTest::newRow("not a number") << QTransform(qQNaN(), 0, 0, 1, 0, 0);
    }
    void oversizedCropIsRefused()
    {
        QFETCH(QTransform, transform);
        KXMemoryDocument document(QSize(80, 60));
        document.AddRasterLayer(QStringLiteral("Bottom"), KXImage32());
        document.AddRasterLayer(QStringLiteral("Photo"), PatternImage(40, 30, 2), QPoint(10, 20));
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        CropCommandData data;
        ChangeCommandHelper::FillCropData(&document, transform, QSize(80, 60), true, false, data);
        CropCommand command(&document);
        MessageCapture capture;
        command.redoExec(&data);
        CompareReports(capture.texts(),
            { ReportPattern(
                QStringLiteral("src/layerchangecommands/cropcommand.cpp"), QStringLiteral("Wrong crop size.")) });
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after the refused crop");
    }

    // Data of another kind, no document, or no record: the documented report
    // from the command's own file. Only a crop without record goes on (and counts).
    void badInput_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("foreign");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("state");
        const QString crop = QStringLiteral("src/layerchangecommands/cropcommand.cpp");
        const QString move = QStringLiteral("src/layerchangecommands/movecommand.cpp");
        const QString raster = QStringLiteral("src/layerchangecommands/kxchangerastercommand.cpp");
        const QString rasterInput = QStringLiteral("Command error. No docuemnt or no command data.");
        QTest::newRow("crop, move data") << int(Crop) << true << true << true << crop << "Error to read data." << 0;
        QTest::newRow("crop, no document") << int(Crop) << false << false << false << crop << "Error." << 0;
        QTest::newRow("crop, no record") << int(Crop) << false << true << true << crop << "Internal error." << 1;
        QTest::newRow("move, crop data") << int(Move) << true << true << true << move << "Error input data." << 0;
        QTest::newRow("move, no document") << int(Move) << false << false << false << move << "Error command." << 0;
        QTest::newRow("move, no record, redo") << int(Move) << false << true << true << move
                                               << "Error to get command data." << 0;
        QTest::newRow("move, no record, undo") << int(Move) << false << true << false << move
                                               << "Error to get command data." << 0;
        QTest::newRow("layer raster, crop data") << int(LayerRaster) << true << true << true << raster << rasterInput << 0;
        QTest::newRow("mask raster, no document") << int(MaskRaster) << false << false << false << raster << rasterInput
                                                  << 0;
        QTest::newRow("mask raster, no record") << int(MaskRaster) << false << true << false << raster
                                                << "An internal error" << 0;
    }
    void badInput()
    {
        QFETCH(int, kind);
        QFETCH(bool, foreign);
        QFETCH(bool, withDocument);
        QFETCH(bool, redo);
        QFETCH(QString, file);
        QFETCH(QString, message);
        QFETCH(int, state);
        auto document = sixLayers();
        const DocumentFingerprint before = DocumentFingerprint::Take(*document);
        std::unique_ptr<VornCommand> command(makeCommand(CommandKind(kind), withDocument ? document.get() : nullptr));
        std::unique_ptr<VornCommandData> data(makeData(CommandKind(kind), foreign));
        MessageCapture capture;
        if (redo)
            command->redoExec(data.get());
        else
            command->undoExec(data.get());
        CompareReports(capture.texts(), { ReportPattern(file, message) });
        CompareFingerprints(DocumentFingerprint::Take(*document), before, "after bad input");
        QCOMPARE(document->GetDocumentState(), state);
    }

    // What the demo's drag does not reach: a mask moved alone (listed twice,
    // it moves twice) and a new placement whose projective part is dropped.
    void moveMaskAlone()
    {
        KXMemoryDocument document(QSize(100, 100));
        document.AddRasterLayer(QStringLiteral("L0"), PatternImage(8, 8, 0));
        document.CreateLayerMask(0, PatternImage(4, 4, 1), false);
        document.SetMaskPos(0, QPoint(2, 3));
        document.AddTextLayer(QStringLiteral("Text"), QStringLiteral("A"), QFont(QStringLiteral("DejaVu Sans"), 10),
            Qt::black, QPoint(20, 20));
        const QPoint textAt = document.GetLayerGeometry(1).topLeft();
        MoveCommandData data;
        data.SetDelta(QPoint(4, -2));
        data.SetLayers({ 1 });
        data.SetMasks({ 0, 0 });
        data.SetTextLayerOldTransformation(QTransform::fromTranslate(1, 2));
        data.SetTextLayerNewTransformation(QTransform(1, 0, 0, 0, 1, 0, 5, 6, 2));
        MoveCommand command(&document, true);
        command.redoExec(&data);
        QCOMPARE(document.GetMaskGeometry(0).topLeft(), QPoint(10, -1));
        QCOMPARE(document.GetLayerGeometry(0).topLeft(), QPoint(0, 0));
        QCOMPARE(document.GetLayerGeometry(1).topLeft(), textAt + QPoint(4, -2));
        QCOMPARE(document.GetTextTransform(1).toTransform(), QTransform::fromTranslate(5, 6));
        command.undoExec(&data);
        QCOMPARE(document.GetMaskGeometry(0).topLeft(), QPoint(2, 3));
        QCOMPARE(document.GetLayerGeometry(1).topLeft(), textAt);
        QCOMPARE(document.GetTextTransform(1).toTransform(), QTransform::fromTranslate(1, 2));
        QCOMPARE(document.GetDocumentState(), 0);
    }

    // A filter redone by the push as a change-raster on a layer (shrinking
    // it) and on a disabled mask (the demo pushes after the filter): undo and
    // redo swap image and offset, send the change notice and redraw the union
    // of both rectangles (a disabled mask is not redrawn).
    void changeRaster_data()
    {
        QTest::addColumn<bool>("mask");
        QTest::newRow("layer") << false;
        QTest::newRow("disabled mask") << true;
    }
    void changeRaster()
    {
        QFETCH(bool, mask);
        auto document = sixLayers();
        const unsigned int id = 2;
        document->SetMaskEnabled(id, !mask);
        const KXImage32 before = mask ? *document->GetLayerMask(id) : *document->GetLayerImage(id);
        const QRect oldRect = mask ? document->GetMaskGeometry(id) : document->GetLayerGeometry(id);
        KXImage32 filtered = before.Copy(QRect(2, 2, 10, 12));
        InvertImage(filtered, KXInvertColor);
        auto* data = new KXChangeRasterData;
        data->SetUndoImage(oldRect.topLeft(), before);
        data->SetRedoImage(oldRect.topLeft() + QPoint(2, 2), filtered);
        data->SetLayerID(id);
        VornCommand* command = mask ? static_cast<VornCommand*>(new KXChangeMaskRasterCommand(document.get(), true))
                                    : new KXChangeLayerRasterCommand(document.get(), true);
        command->SetCommandData(data);
        QSignalSpy views(document.get(), &KXDocumentInterface::viewUpdateRequested);
        QSignalSpy notices(document.get(), mask ? &KXDocumentInterface::layerMaskChanged : &KXDocumentInterface::layerChanged);
        HistoryFixture history;
        MessageCapture capture;
        CheckRoundTrip(history, *document, command, 2, [&](bool redone) {
            QCOMPARE(document->GetDocumentState(), redone ? 1 : 0);
            QVERIFY(!notices.isEmpty());
            QCOMPARE(notices.last().first().toUInt(), id);
            notices.clear();
            QCOMPARE(views.size(), mask ? 0 : 1);
            if (!mask)
                QCOMPARE(views.takeFirst().first().toRect(), oldRect);
        });
        QVERIFY((mask ? document->GetLayerMask(id) : document->GetLayerImage(id))->IsPixelEqual(filtered));
        QVERIFY(capture.texts().isEmpty());
    }
};

QTEST_MAIN(TestCropMoveCommands)
#include "tst_cropmovecommands.moc"
