#include <QtTest>

#include <memory>

#include "KXMemoryDocument.h"
#include "emptycommanddata.h"
#include "layermaskpaintcommand.h"
#include "layermaskpaintcommanddata.h"
#include "layerpaintcommand.h"
#include "layerpaintcommanddata.h"
#include "messagecapture.h"
#include "recordcheck.h"
#include "recordtesting.h"
#include "roundtrip.h"
#include "testcommands.h"
#include "vornundostack.h"

namespace {

constexpr unsigned int kLayer = 1;
constexpr quint32 kHidden = 0xFF000000u;

quint32 pixel(const KXImage32& image, const QPoint& at)
{
    return image.GetPixel(unsigned(at.x()), unsigned(at.y())).Value();
}

// What a stroke leaves: the stroke's pixels over the old image, the rest of
// the union rectangle filled.
KXImage32 painted(const KXImage32& old, const QRect& oldRect, const KXImage32& stroke, const QRect& strokeRect,
                  quint32 fill)
{
    const QRect all = oldRect | strokeRect;
    KXImage32 result(unsigned(all.width()), unsigned(all.height()));
    for (int y = all.top(); y <= all.bottom(); ++y)
        for (int x = all.left(); x <= all.right(); ++x) {
            const QPoint at(x, y);
            const quint32 value = strokeRect.contains(at) ? pixel(stroke, at - strokeRect.topLeft())
                : oldRect.contains(at)                    ? pixel(old, at - oldRect.topLeft())
                                                          : fill;
            result.SetPixel(unsigned(x - all.left()), unsigned(y - all.top()), KXRGBA32i::FromValue(value));
        }
    return result;
}

QString commandReport(const QString& message)
{
    return ReportPattern(QStringLiteral("src/paintcommands/paintcommand.cpp"), message);
}

// A document with a background (id 0) and a patterned layer (id 1), with a
// patterned mask of the layer's rectangle when asked.
struct Scene
{
    Scene(bool mask, const QRect& layerRect, bool maskType)
        : document(QSize(400, 300))
        , mask(mask)
    {
        KXImage32 background(400, 300);
        background.Fill(KXRGBA32i::OpaqueWhite());
        document.AddRasterLayer(QStringLiteral("Background"), background);
        document.AddRasterLayer(QStringLiteral("Paint"), PatternImage(layerRect.width(), layerRect.height(), 1),
                                layerRect.topLeft());
        if (mask) {
            document.CreateLayerMask(kLayer, PatternImage(layerRect.width(), layerRect.height(), 2), maskType);
            document.SetMaskPos(kLayer, layerRect.topLeft());
        }
    }

    KXImage32 target() const { return mask ? *document.GetLayerMask(kLayer) : *document.GetLayerImage(kLayer); }
    QRect geometry() const { return mask ? document.GetMaskGeometry(kLayer) : document.GetLayerGeometry(kLayer); }
    // What the application does while the user paints.
    void setTarget(const KXImage32& image, const QRect& rect)
    {
        if (mask) {
            document.SetLayerMask(kLayer, image);
            document.SetMaskPos(kLayer, rect.topLeft());
        } else {
            document.SetLayerImage(kLayer, image);
            document.SetLayerPosition(kLayer, rect.topLeft());
        }
    }
    PaintCommand* newCommand(bool firstRedo, bool withDocument = true)
    {
        KXDocumentInterface* target = withDocument ? &document : nullptr;
        if (mask)
            return new LayerMaskPaintCommand(target, firstRedo);
        return new LayerPaintCommand(target, firstRedo);
    }

    KXMemoryDocument document;
    bool mask;
};

PaintCommandData* heldData(VornCommand* command)
{
    return dynamic_cast<PaintCommandData*>(command->GetHeldData());
}

// Fills data with a stroke as the application records it.
void setStroke(PaintCommandData* data, const KXImage32& oldPixels, const KXImage32& newPixels, const QRect& before,
               const QRect& stroke, unsigned int id = kLayer)
{
    data->SetUndoImage(oldPixels, QRect());
    data->SetRedoImage(newPixels, QRect());
    data->SetUndoGeometry(before);
    data->SetRedoGeometry(stroke);
    data->SetLayerID(id);
}

// Stands for another class that answers the mask data's number (the layer move data).
class OtherData23 : public EmptyCommandData
{
public:
    unsigned int GetDataType() const override { return 23; }
};

} // namespace

class TestPaintCommands : public QObject
{
    Q_OBJECT

private slots:
    // The record: both images, undo and redo geometry, both image rectangles
    // (an empty one given means the whole image), the id.
    void records_data()
    {
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<QByteArray>("record");
        // A new record: two empty images (their sizes alone), four null rectangles, the id.
        QTest::newRow("layer, new record")
            << MakeData<LayerPaintCommandData>([](auto& d) { d.SetLayerID(0xFFFFFFFF); })
            << Hex("00000000 00000000 00000000 00000000 00000000 00000000 ffffffff ffffffff 00000000 00000000"
                   "ffffffff ffffffff 00000000 00000000 ffffffff ffffffff 00000000 00000000 ffffffff ffffffff ffffffff");
        // An image rectangle given empty is the whole image.
        QTest::newRow("layer, image rectangles left empty") << MakeData<LayerPaintCommandData>([](auto& d) {
            d.SetUndoImage(PatternImage(2, 1, 3), QRect());
            d.SetLayerID(1);
        }) << TiledRecord(PatternImage(2, 1, 3)) + Hex("00000000 00000000 00000000 00000000 ffffffff ffffffff"
                   "00000000 00000000 ffffffff ffffffff 00000000 00000000 00000001 00000000 00000000 00000000"
                   "ffffffff ffffffff 00000001");
        // Undo geometry (-3, 5, 10x2), redo geometry (-1, 4, 129x1), undo image
        // rectangle (0, 0, 1x1), redo image rectangle (1, 2, 129x1), id 2.
        QTest::newRow("mask, images and rectangles") << MakeData<LayerMaskPaintCommandData>([](auto& d) {
            d.SetUndoImage(PatternImage(1, 1, 3), QRect(4, 1, 0, 2));
            d.SetRedoImage(PatternImage(130, 3, 4), QRect(1, 2, 129, 1));
            d.SetUndoGeometry(QRect(-3, 5, 10, 2));
            d.SetRedoGeometry(QRect(-1, 4, 129, 1));
            d.SetLayerID(2);
        }) << TiledRecord(PatternImage(1, 1, 3)) + TiledRecord(PatternImage(130, 3, 4))
                + Hex("fffffffd 00000005 00000006 00000006 ffffffff 00000004 0000007f 00000004"
                      "00000000 00000000 00000000 00000000 00000001 00000002 00000081 00000002 00000002");
    }
    void records()
    {
        QFETCH(DataMaker, make);
        QFETCH(QByteArray, record);
        CheckRecord(make, record);
    }

    // A stroke pushed on the real stack, undone and redone through the
    // temporary file, with the document state counter, the notices and the
    // view rectangle after every step. The demo paints inside a layer only.
    void strokes_data()
    {
        QTest::addColumn<bool>("mask");
        QTest::addColumn<QRect>("layerRect");
        QTest::addColumn<QRect>("stroke");
        QTest::addColumn<bool>("maskType");
        QTest::addColumn<bool>("firstRedo");
        const QRect layer(100, 80, 200, 150);
        QTest::newRow("layer, beyond left and top") << false << layer << QRect(60, 50, 90, 60) << false << true;
        QTest::newRow("layer, around the layer") << false << QRect(150, 120, 20, 10) << QRect(140, 110, 50, 40)
                                                 << false << true;
        QTest::newRow("mask, beyond, type set") << true << layer << QRect(250, 200, 100, 70) << true << true;
        QTest::newRow("mask, inside, type clear") << true << layer << QRect(120, 90, 150, 20) << false << true;
        QTest::newRow("mask, beyond, first redo skipped") << true << layer << QRect(280, 60, 40, 200) << true
                                                          << false;
    }
    void strokes()
    {
        QFETCH(bool, mask);
        QFETCH(QRect, layerRect);
        QFETCH(QRect, stroke);
        QFETCH(bool, maskType);
        QFETCH(bool, firstRedo);
        Scene scene(mask, layerRect, maskType);
        KXMemoryDocument& document = scene.document;
        const KXImage32 original = scene.target(); // shares tiles; the document copies on write
        const QRect inside = layerRect & stroke;
        const KXImage32 newPixels = PatternImage(stroke.width(), stroke.height(), 9);
        const QRect after = layerRect | stroke;
        const KXImage32 expected = painted(original, layerRect, newPixels, stroke, mask && maskType ? kHidden : 0);
        PaintCommand* command = scene.newCommand(firstRedo);
        setStroke(heldData(command), original.Copy(inside.translated(-layerRect.topLeft())), newPixels, layerRect,
                  stroke);
        const DocumentFingerprint start = DocumentFingerprint::Take(document);
        if (!firstRedo)
            scene.setTarget(expected, after); // painted interactively already
        const KXImage32 interactive = scene.target();

        QSignalSpy views(&document, &KXDocumentInterface::viewUpdateRequested);
        QSignalSpy notices(&document, mask ? &KXDocumentInterface::layerMaskChanged : &KXDocumentInterface::layerChanged);
        QSignalSpy others(&document, mask ? &KXDocumentInterface::layerChanged : &KXDocumentInterface::layerMaskChanged);
        // Undo and redo update the same view rectangle; a skipped first redo none.
        const QRect view = inside == stroke ? stroke : after;
        bool pushed = false;
        const auto check = [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
            QCOMPARE(scene.geometry(), redone ? after : layerRect);
            QVERIFY(scene.target().IsPixelEqual(redone ? expected : original));
            QVERIFY(!notices.isEmpty());
            for (const QList<QVariant>& notice : notices)
                QCOMPARE(notice.first().toUInt(), kLayer);
            QCOMPARE(views.size(), pushed || firstRedo ? 1 : 0);
            if (!views.isEmpty())
                QCOMPARE(views.first().first().toRect(), view);
            views.clear();
            notices.clear();
            pushed = true;
        };
        HistoryFixture history;
        MessageCapture capture;
        history.stack.push(command);
        if (!firstRedo) {
            QCOMPARE(notices.size(), 1); // only the change notice
            QCOMPARE(scene.target().GetTile(0, 0), interactive.GetTile(0, 0)); // pixels untouched
        }
        check(true);
        QVERIFY(command->GetFirstRedo());
        CheckUndoRedo(history, document, start, 2, check);
        QCOMPARE(others.size(), 0);
        QCOMPARE(capture.texts(), QStringList());
        QCOMPARE(history.FileCount(), 1); // written once, never again
    }

    // The data keeps the stroke's tiles; only the touched tiles of a layer
    // are copied, the rest stay shared.
    void strokeCopiesOnlyTouchedTiles()
    {
        Scene scene(false, QRect(0, 0, 512, 384), false);
        const KXImage32 before = scene.target();
        const QRect stroke(130, 140, 20, 20); // inside tile (1, 1)
        LayerPaintCommand command(&scene.document, true);
        PaintCommandData* data = heldData(&command);
        const KXImage32 strokePixels = PatternImage(20, 20, 3);
        setStroke(data, before.Copy(stroke), strokePixels, before.GetRect(), stroke);
        KXImage32 held;
        QRect heldRect;
        QVERIFY(data->GetRedoImage(held, heldRect));
        QCOMPARE(held.GetTile(0, 0), strokePixels.GetTile(0, 0)); // the data shares the stroke's tiles
        command.redoExec(data);
        const KXImage32 after = scene.target();
        for (unsigned int row = 0; row < after.GetRows(); ++row)
            for (unsigned int column = 0; column < after.GetColumns(); ++column)
                QCOMPARE(after.GetTile(column, row) == before.GetTile(column, row), column != 1 || row != 1);
        command.undoExec(data);
        QVERIFY(scene.target().IsPixelEqual(before));
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }

    // A refused command reports once and touches nothing: no state change,
    // no view update, the image and mask where they were.
    void failures_data()
    {
        QTest::addColumn<bool>("mask");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<bool>("firstRedo");
        QTest::addColumn<QString>("dataKind");
        QTest::addColumn<QString>("message");
        const QString badData = QStringLiteral("Error input data.");
        const QString noData = QStringLiteral("Error to get data.");
        for (const bool mask : {false, true}) {
            for (const bool redo : {true, false}) {
                const QByteArray name = QByteArray(mask ? "mask " : "layer ") + (redo ? "redo, " : "undo, ");
                QTest::newRow(name + "null data") << mask << redo << true << "null" << badData;
                QTest::newRow(name + "the other paint data") << mask << redo << true << "other" << badData;
                QTest::newRow(name + "no such layer") << mask << redo << true << "badlayer" << noData;
                if (mask) {
                    // The layer move data answers 23 too.
                    QTest::newRow(name + "another class answering 23") << mask << redo << true << "other23"
                                                                       << badData;
                    QTest::newRow(name + "layer without a mask") << mask << redo << true << "nomask" << noData;
                } else {
                    QTest::newRow(name + "no document") << mask << redo << true << "nodocument"
                                                        << QStringLiteral("Wrong document.");
                    QTest::newRow(name + "released record") << mask << redo << true << "released" << noData;
                }
            }
        }
        QTest::newRow("layer redo, released record, first redo skipped") << false << true << false << "released"
                                                                         << noData;
    }
    void failures()
    {
        QFETCH(bool, mask);
        QFETCH(bool, redo);
        QFETCH(bool, firstRedo);
        QFETCH(QString, dataKind);
        QFETCH(QString, message);

        Scene scene(mask, QRect(10, 10, 50, 40), true);
        if (dataKind == QLatin1String("nomask"))
            scene.document.RemoveLayerMask(kLayer);
        const KXImage32 image = *scene.document.GetLayerImage(kLayer);
        const QRect geometry = scene.document.GetLayerGeometry(kLayer);
        const QRect maskGeometry = scene.document.GetMaskGeometry(kLayer);
        std::unique_ptr<PaintCommand> command(scene.newCommand(firstRedo, dataKind != QLatin1String("nodocument")));
        PaintCommandData* own = heldData(command.get());
        // A complete stroke that grows the image.
        setStroke(own, PatternImage(10, 10, 1), PatternImage(30, 30, 2), mask ? maskGeometry : geometry,
                  QRect(0, 0, 30, 30), dataKind == QLatin1String("badlayer") ? 9 : kLayer);

        std::unique_ptr<VornCommandData> other;
        if (dataKind == QLatin1String("other23"))
            other.reset(new OtherData23);
        else if (dataKind == QLatin1String("other"))
            other.reset(mask ? static_cast<VornCommandData*>(new LayerPaintCommandData)
                             : new LayerMaskPaintCommandData);
        else if (dataKind == QLatin1String("released"))
            own->ReleaseSerializeData();
        VornCommandData* data = dataKind == QLatin1String("null") ? nullptr : other ? other.get() : own;
        if (auto* paintData = dynamic_cast<PaintCommandData*>(other.get()))
            setStroke(paintData, PatternImage(10, 10, 1), PatternImage(30, 30, 2), geometry, QRect(0, 0, 30, 30));

        QSignalSpy views(&scene.document, &KXDocumentInterface::viewUpdateRequested);
        MessageCapture capture;
        if (redo)
            command->redoExec(data);
        else
            command->undoExec(data);
        CompareReports(capture.texts(), {commandReport(message)});
        QCOMPARE(scene.document.GetDocumentState(), 0);
        QCOMPARE(command->GetFirstRedo(), firstRedo);
        QCOMPARE(views.size(), 0);
        QCOMPARE(scene.document.GetLayerGeometry(kLayer), geometry);
        QCOMPARE(scene.document.GetMaskGeometry(kLayer), maskGeometry);
        QCOMPARE(scene.document.GetLayerImage(kLayer)->GetTile(0, 0), image.GetTile(0, 0));
    }

    // A command built with false counts its first redo even when its record
    // holds nothing beyond the layer id; the next redo paints.
    void skippedFirstRedoNeedsOnlyTheLayer()
    {
        Scene scene(false, QRect(0, 0, 20, 20), false);
        LayerPaintCommand command(&scene.document, false);
        PaintCommandData* data = heldData(&command);
        data->SetLayerID(kLayer);
        QSignalSpy notices(&scene.document, &KXDocumentInterface::layerChanged);
        MessageCapture capture;
        command.redoExec(data);
        QCOMPARE(scene.document.GetDocumentState(), 1);
        QCOMPARE(notices.size(), 1);
        QVERIFY(command.GetFirstRedo());
        QVERIFY(capture.texts().isEmpty());
    }

    // A damaged record file: the serializer reports it, the command finds no
    // data and leaves the document alone.
    void damagedRecordFile()
    {
        Scene scene(false, QRect(100, 80, 200, 150), false);
        const KXImage32 original = scene.target();
        auto* command = new LayerPaintCommand(&scene.document, true);
        const QRect stroke(60, 50, 90, 60);
        const QRect before(100, 80, 200, 150);
        setStroke(heldData(command), original.Copy((stroke & before).translated(-before.topLeft())),
                  PatternImage(90, 60, 4),
                  before, stroke);

        HistoryFixture history;
        VornUndoStack& stack = history.stack;
        const QDir folder(history.folder.path());
        stack.push(command);
        stack.GetSerializer()->WaitForIdle();
        const QStringList files = RecordFiles(folder);
        QCOMPARE(files.size(), 1);
        QFile file(folder.filePath(files.first()));
        QVERIFY(file.resize(file.size() - 3));
        const KXImage32 grown = scene.target();

        MessageCapture capture;
        stack.undo();
        CompareReports(capture.texts(),
                       {ReportPattern(QStringLiteral("src/vorncommandprivate/serializedata.cpp"),
                                      QStringLiteral("Deserialize data error.")),
                        commandReport(QStringLiteral("Error to get data."))});
        QCOMPARE(scene.document.GetDocumentState(), 1);
        QCOMPARE(scene.geometry(), QRect(60, 50, 240, 180));
        QCOMPARE(scene.target().GetTile(0, 0), grown.GetTile(0, 0));
    }

};

QTEST_MAIN(TestPaintCommands)
#include "tst_paintcommands.moc"
