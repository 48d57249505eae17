#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "KXMemoryDocument.h"
#include "emptycommanddata.h"
#include "layermaskpaintcommand.h"
#include "layermaskpaintcommanddata.h"
#include "layerpaintcommand.h"
#include "layerpaintcommanddata.h"
#include "messagecapture.h"
#include "testcommands.h"
#include "vorncommanddataserializer.h"
#include "vornreaderwriter.h"
#include "vornundostack.h"

namespace {

constexpr unsigned int kLayer = 1;
constexpr quint32 kHidden = 0xFF000000u;

// Pixels that a full-strength replace copies exactly (alpha never 0).
KXImage32 patternImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    QRandomGenerator generator(seed);
    for (int y = 0; y < height; ++y) {
        quint32* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = generator.generate() | 0x01000000u;
    }
    return KXImage32::FromQImage(image);
}

quint32 pixel(const KXImage32& image, const QPoint& at)
{
    return image.GetPixel(unsigned(at.x()), unsigned(at.y())).Value();
}

// The part of an image placed at origin that lies inside rect (document coordinates).
KXImage32 extract(const KXImage32& image, const QPoint& origin, const QRect& rect)
{
    KXImage32 part(unsigned(rect.width()), unsigned(rect.height()));
    for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            part.SetPixel(unsigned(x - rect.left()), unsigned(y - rect.top()),
                          KXRGBA32i::FromValue(pixel(image, QPoint(x, y) - origin)));
    return part;
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

// The record format of a tiled image: size, then each tile's compressed bytes.
QByteArray tiledRecord(const KXImage32& image)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << qint32(image.GetWidth()) << qint32(image.GetHeight());
    for (unsigned int row = 0; row < image.GetRows(); ++row)
        for (unsigned int column = 0; column < image.GetColumns(); ++column) {
            QByteArray tile(ZTTileManager64::TileBytes, Qt::Uninitialized);
            ZTTileManager64::Instance()->ReadMemory(image.GetTile(column, row)->Handle(), tile.data());
            stream << qCompress(tile);
        }
    return bytes;
}

QByteArray rectRecord(const QRect& rect)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << qint32(rect.left()) << qint32(rect.top()) << qint32(rect.right()) << qint32(rect.bottom());
    return bytes;
}

QStringList recordFiles(const QDir& folder)
{
    return folder.entryList(QStringList{QStringLiteral("~nuboltmp.*")}, QDir::Files | QDir::Hidden);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString reportPattern(const QString& file, const QString& message)
{
    return QStringLiteral("^Build date=%1, time=%2\\. Line=\\d+, file=\"%3\"\\. %4$")
        .arg(reportDatePattern(), reportTimePattern(), QRegularExpression::escape(file),
             QRegularExpression::escape(message));
}

QString commandReport(const QString& message)
{
    return reportPattern(QStringLiteral("src/paintcommands/paintcommand.cpp"), message);
}

void compareReports(const QStringList& actual, const QStringList& patterns)
{
    QCOMPARE(actual.size(), patterns.size());
    for (int i = 0; i < patterns.size(); ++i)
        QVERIFY2(QRegularExpression(patterns[i]).match(actual[i]).hasMatch(), qPrintable(actual[i]));
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
        document.AddRasterLayer(QStringLiteral("Paint"), patternImage(layerRect.width(), layerRect.height(), 1),
                                layerRect.topLeft());
        if (mask) {
            document.CreateLayerMask(kLayer, patternImage(layerRect.width(), layerRect.height(), 2), maskType);
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
    PaintCommand* newCommand(bool firstRedo)
    {
        if (mask)
            return new LayerMaskPaintCommand(&document, firstRedo);
        return new LayerPaintCommand(&document, firstRedo);
    }

    KXMemoryDocument document;
    bool mask;
};

PaintCommandData* heldData(VornCommand* command)
{
    return dynamic_cast<PaintCommandData*>(command->GetHeldData());
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
    void initTestCase() { QVERIFY(m_folder.isValid()); }
    void init()
    {
        for (const QString& name : recordFiles(folder()))
            QFile::remove(folder().filePath(name));
    }

    void casts_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("layerCast");
        QTest::addColumn<bool>("maskCast");
        QTest::newRow("null") << 0 << false << false;
        QTest::newRow("layer paint data") << 1 << true << false;
        QTest::newRow("mask paint data") << 2 << false << true;
        QTest::newRow("empty data") << 3 << false << false;
        QTest::newRow("another class answering 23") << 4 << false << false;
    }
    void casts()
    {
        QFETCH(int, kind);
        QFETCH(bool, layerCast);
        QFETCH(bool, maskCast);
        std::unique_ptr<VornCommandData> data;
        if (kind == 1)
            data.reset(new LayerPaintCommandData);
        else if (kind == 2)
            data.reset(new LayerMaskPaintCommandData);
        else if (kind == 3)
            data.reset(new EmptyCommandData);
        else if (kind == 4)
            data.reset(new OtherData23);
        QCOMPARE(layerpaintcommanddata_cast(data.get()) != nullptr, layerCast);
        QCOMPARE(layermaskpaintcommanddata_cast(data.get()) != nullptr, maskCast);
        if (layerCast)
            QCOMPARE(data->GetDataType(), 2u);
        if (maskCast)
            QCOMPARE(data->GetDataType(), 23u);
    }

    void setterRectangles_data()
    {
        QTest::addColumn<QRect>("given");
        QTest::addColumn<QRect>("stored");
        const QRect full(0, 0, 130, 3);
        QTest::newRow("a rectangle") << QRect(2, 1, 5, 2) << QRect(2, 1, 5, 2);
        QTest::newRow("null") << QRect() << full;
        QTest::newRow("no width") << QRect(4, 1, 0, 2) << full;
        QTest::newRow("negative height") << QRect(4, 1, 3, -2) << full;
    }
    void setterRectangles()
    {
        QFETCH(QRect, given);
        QFETCH(QRect, stored);
        const KXImage32 image = patternImage(130, 3, 5);
        LayerPaintCommandData data;
        KXImage32 out;
        QRect rect(9, 9, 9, 9);
        QVERIFY(!data.GetUndoImage(out, rect));
        QCOMPARE(rect, QRect(9, 9, 9, 9));

        data.SetUndoImage(image, given);
        data.SetRedoImage(image, given);
        QVERIFY(data.GetUndoImage(out, rect));
        QCOMPARE(rect, stored);
        QCOMPARE(out.GetTile(1, 0), image.GetTile(1, 0)); // shared, not copied
        QVERIFY(data.GetRedoImage(out, rect));
        QCOMPARE(rect, stored);
        // The first setter made a record with null geometries.
        QRect geometry(1, 1, 1, 1);
        QVERIFY(data.GetUndoGeometry(geometry));
        QCOMPARE(geometry, QRect());
        QVERIFY(data.GetRedoGeometry(geometry));
        QCOMPARE(geometry, QRect());
        data.ReleaseSerializeData();
        QVERIFY(!data.GetRedoImage(out, rect));
        unsigned int id = 7;
        QVERIFY(!data.GetLayerID(id));
        QCOMPARE(id, 7u);
    }

    void recordBytes_data()
    {
        QTest::addColumn<bool>("mask");
        QTest::addColumn<bool>("withImages");
        QTest::addColumn<QByteArray>("tail");
        const auto hex = [](const char* text) { return QByteArray::fromHex(text); };
        // A new record: two empty images (their sizes alone), four null rectangles, the id.
        QTest::newRow("layer, new record") << false << false
                                           << hex("00000000" "00000000" "00000000" "00000000"
                                                  "00000000" "00000000" "ffffffff" "ffffffff"
                                                  "00000000" "00000000" "ffffffff" "ffffffff"
                                                  "00000000" "00000000" "ffffffff" "ffffffff"
                                                  "00000000" "00000000" "ffffffff" "ffffffff"
                                                  "ffffffff");
        // Undo geometry (-3, 5, 10x2), redo geometry (-1, 4, 129x1), undo image
        // rectangle (0, 0, 1x1), redo image rectangle (1, 2, 129x1), id 2.
        const QByteArray filled = hex("fffffffd" "00000005" "00000006" "00000006"
                                      "ffffffff" "00000004" "0000007f" "00000004"
                                      "00000000" "00000000" "00000000" "00000000"
                                      "00000001" "00000002" "00000081" "00000002"
                                      "00000002");
        QTest::newRow("layer, images and rectangles") << false << true << filled;
        QTest::newRow("mask, images and rectangles") << true << true << filled;
    }
    void recordBytes()
    {
        QFETCH(bool, mask);
        QFETCH(bool, withImages);
        QFETCH(QByteArray, tail);
        std::unique_ptr<PaintCommandData> data(mask ? static_cast<PaintCommandData*>(new LayerMaskPaintCommandData)
                                                    : new LayerPaintCommandData);
        const KXImage32 undoImage = withImages ? patternImage(1, 1, 3) : KXImage32();
        const KXImage32 redoImage = withImages ? patternImage(130, 3, 4) : KXImage32();
        if (withImages) {
            data->SetUndoImage(undoImage, QRect());
            data->SetRedoImage(redoImage, QRect(1, 2, 129, 1));
            data->SetUndoGeometry(QRect(-3, 5, 10, 2));
            data->SetRedoGeometry(QRect(-1, 4, 129, 1));
            data->SetLayerID(2);
        } else {
            data->SetLayerID(0xFFFFFFFF);
        }

        VornReaderWriter file;
        QVERIFY(!data->Serialize(nullptr));
        QVERIFY(file.Open(folder().filePath(QStringLiteral("record"))));
        QVERIFY(data->Serialize(&file));
        file.Close();
        const QByteArray expected = withImages ? tiledRecord(undoImage) + tiledRecord(redoImage) + tail : tail;
        QCOMPARE(fileBytes(folder().filePath(QStringLiteral("record"))).toHex(), expected.toHex());

        // Read back into an empty shell: every field as it was.
        data->ReleaseSerializeData();
        QVERIFY(!data->Serialize(&file)); // nothing to write
        QVERIFY(!data->Deserialize(nullptr));
        QVERIFY(file.Open(QString()));
        QVERIFY(data->Deserialize(&file));
        file.Close();
        KXImage32 image;
        QRect rect;
        unsigned int id = 0;
        QVERIFY(data->GetUndoImage(image, rect));
        QVERIFY(image.IsPixelEqual(undoImage));
        QCOMPARE(rect, withImages ? QRect(0, 0, 1, 1) : QRect());
        QVERIFY(data->GetRedoImage(image, rect));
        QVERIFY(image.IsPixelEqual(redoImage));
        QCOMPARE(rect, withImages ? QRect(1, 2, 129, 1) : QRect());
        QVERIFY(data->GetUndoGeometry(rect));
        QCOMPARE(rect, withImages ? QRect(-3, 5, 10, 2) : QRect());
        QVERIFY(data->GetRedoGeometry(rect));
        QCOMPARE(rect, withImages ? QRect(-1, 4, 129, 1) : QRect());
        QVERIFY(data->GetLayerID(id));
        QCOMPARE(id, withImages ? 2u : 0xFFFFFFFFu);
    }

    // A record cut anywhere is refused whole: the getters then find nothing.
    void truncatedRecord()
    {
        LayerPaintCommandData data;
        data.SetUndoImage(patternImage(3, 2, 6), QRect());
        data.SetRedoImage(patternImage(140, 2, 7), QRect());
        data.SetRedoGeometry(QRect(0, 0, 140, 2));
        data.SetLayerID(1);
        VornReaderWriter whole;
        QVERIFY(whole.Open(folder().filePath(QStringLiteral("whole"))));
        QVERIFY(data.Serialize(&whole));
        whole.Close();
        const QByteArray record = fileBytes(folder().filePath(QStringLiteral("whole")));
        const int step = qMax(1, record.size() / 150);
        for (int cut = 0; cut < record.size(); cut += step) {
            VornReaderWriter part;
            QVERIFY(part.Open(folder().filePath(QStringLiteral("part%1").arg(cut))));
            QCOMPARE(part.WriteRawData(record.constData(), cut), cut);
            part.Close();
            QVERIFY(part.Open(QString()));
            LayerPaintCommandData copy;
            QVERIFY2(!copy.Deserialize(&part), qPrintable(QString::number(cut)));
            unsigned int id = 0;
            QVERIFY(!copy.GetLayerID(id));
        }
    }

    // A stroke pushed on the real stack, undone and redone through the
    // temporary file, with the document state counter after every step.
    void strokes_data()
    {
        QTest::addColumn<bool>("mask");
        QTest::addColumn<QRect>("layerRect");
        QTest::addColumn<QRect>("stroke");
        QTest::addColumn<bool>("maskType");
        QTest::addColumn<bool>("firstRedo");
        const QRect layer(100, 80, 200, 150);
        QTest::newRow("layer, inside") << false << layer << QRect(120, 90, 150, 20) << false << true;
        QTest::newRow("layer, beyond left and top") << false << layer << QRect(60, 50, 90, 60) << false << true;
        QTest::newRow("layer, beyond right and bottom") << false << layer << QRect(250, 200, 100, 70) << false << true;
        QTest::newRow("layer, around the layer") << false << QRect(150, 120, 20, 10) << QRect(140, 110, 50, 40)
                                                 << false << true;
        QTest::newRow("layer, inside, first redo skipped") << false << layer << QRect(120, 90, 150, 20) << false
                                                           << false;
        QTest::newRow("layer, beyond, first redo skipped") << false << layer << QRect(60, 50, 90, 60) << false
                                                           << false;
        QTest::newRow("mask, inside") << true << layer << QRect(120, 90, 150, 20) << true << true;
        QTest::newRow("mask, beyond, type set") << true << layer << QRect(60, 50, 90, 60) << true << true;
        QTest::newRow("mask, beyond, type clear") << true << layer << QRect(60, 50, 90, 60) << false << true;
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
        const QRect before = scene.geometry();
        QCOMPARE(before, layerRect);

        // What the application records for the stroke.
        const QRect inside = before & stroke;
        const KXImage32 oldPixels = extract(original, before.topLeft(), inside);
        const KXImage32 newPixels = patternImage(stroke.width(), stroke.height(), 9);
        const QRect after = before | stroke;
        const KXImage32 expected = painted(original, before, newPixels, stroke, mask && maskType ? kHidden : 0);
        const bool grows = inside != stroke;

        PaintCommand* command = scene.newCommand(firstRedo);
        PaintCommandData* data = heldData(command);
        QVERIFY(data);
        data->SetUndoImage(oldPixels, QRect());
        data->SetRedoImage(newPixels, QRect());
        data->SetUndoGeometry(before);
        data->SetRedoGeometry(stroke);
        data->SetLayerID(kLayer);

        if (!firstRedo)
            scene.setTarget(expected, after); // painted interactively already
        const KXImage32 interactive = scene.target();

        QSignalSpy views(&document, &KXDocumentInterface::viewUpdateRequested);
        QSignalSpy layerNotices(&document, &KXDocumentInterface::layerChanged);
        QSignalSpy maskNotices(&document, &KXDocumentInterface::layerMaskChanged);
        QSignalSpy& notices = mask ? maskNotices : layerNotices;
        QSignalSpy& others = mask ? layerNotices : maskNotices;
        const auto checkNotices = [&](const QRect& view) {
            QVERIFY(!notices.isEmpty());
            for (const QList<QVariant>& notice : notices)
                QCOMPARE(notice.first().toUInt(), kLayer);
            QCOMPARE(others.size(), 0);
            if (view.isNull()) {
                QCOMPARE(views.size(), 0);
            } else {
                QCOMPARE(views.size(), 1);
                QCOMPARE(views.first().first().toRect(), view);
            }
            views.clear();
            notices.clear();
        };
        const auto checkAfter = [&] {
            QCOMPARE(scene.geometry(), after);
            QVERIFY(scene.target().IsPixelEqual(expected));
        };
        const auto checkBefore = [&] {
            QCOMPARE(scene.geometry(), before);
            QVERIFY(scene.target().IsPixelEqual(original));
        };

        VornUndoStack stack;
        stack.setTemporaryFolder(folder());
        MessageCapture capture;
        stack.push(command);
        QCOMPARE(document.GetDocumentState(), 1);
        checkAfter();
        if (firstRedo) {
            checkNotices(grows ? after : stroke);
        } else {
            QCOMPARE(notices.size(), 1); // only the change notice
            checkNotices(QRect());
            QCOMPARE(scene.target().GetTile(0, 0), interactive.GetTile(0, 0)); // pixels untouched
        }
        QVERIFY(command->GetFirstRedo());

        // The record went to disk, exactly.
        stack.GetSerializer()->WaitForIdle();
        const QStringList files = recordFiles(folder());
        QCOMPARE(files.size(), 1);
        const QByteArray record = tiledRecord(oldPixels) + tiledRecord(newPixels) + rectRecord(before)
            + rectRecord(stroke) + rectRecord(oldPixels.GetRect()) + rectRecord(newPixels.GetRect())
            + QByteArray::fromHex("00000001");
        QCOMPARE(fileBytes(folder().filePath(files.first())).toHex(), record.toHex());

        for (int round = 0; round < 2; ++round) {
            stack.undo();
            QCOMPARE(document.GetDocumentState(), 0);
            checkBefore();
            checkNotices(grows ? (before | stroke) : stroke);
            stack.redo();
            QCOMPARE(document.GetDocumentState(), 1);
            checkAfter();
            checkNotices(grows ? after : stroke);
        }
        stack.undo();
        QCOMPARE(document.GetDocumentState(), 0);
        checkBefore();
        QCOMPARE(capture.texts(), QStringList());
        QCOMPARE(recordFiles(folder()), files); // written once, never again
    }

    // Only the touched tiles of a layer are copied; the rest stay shared.
    void strokeCopiesOnlyTouchedTiles()
    {
        Scene scene(false, QRect(0, 0, 512, 384), false);
        const KXImage32 before = scene.target();
        const QRect stroke(130, 140, 20, 20); // inside tile (1, 1)
        LayerPaintCommand command(&scene.document, true);
        PaintCommandData* data = heldData(&command);
        data->SetUndoImage(extract(before, QPoint(), stroke), QRect());
        data->SetRedoImage(patternImage(20, 20, 3), QRect());
        data->SetUndoGeometry(before.GetRect());
        data->SetRedoGeometry(stroke);
        data->SetLayerID(kLayer);
        command.redoExec(data);
        const KXImage32 after = scene.target();
        for (unsigned int row = 0; row < after.GetRows(); ++row)
            for (unsigned int column = 0; column < after.GetColumns(); ++column)
                QCOMPARE(after.GetTile(column, row) == before.GetTile(column, row), column != 1 || row != 1);
        command.undoExec(data);
        QVERIFY(scene.target().IsPixelEqual(before));
        QCOMPARE(scene.document.GetDocumentState(), 0);
    }

    void failures_data()
    {
        QTest::addColumn<bool>("mask");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<bool>("firstRedo");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<QString>("dataKind");
        QTest::addColumn<QString>("message");
        const QString wrongDocument = QStringLiteral("Wrong document.");
        const QString badData = QStringLiteral("Error input data.");
        const QString noData = QStringLiteral("Error to get data.");
        for (const bool mask : {false, true}) {
            for (const bool redo : {true, false}) {
                const QByteArray name = QByteArray(mask ? "mask " : "layer ") + (redo ? "redo, " : "undo, ");
                QTest::newRow(name + "no document") << mask << redo << true << false << "own" << wrongDocument;
                QTest::newRow(name + "null data") << mask << redo << true << true << "null" << badData;
                QTest::newRow(name + "empty data") << mask << redo << true << true << "empty" << badData;
                QTest::newRow(name + "the other paint data") << mask << redo << true << true << "other" << badData;
                QTest::newRow(name + "another class answering 23") << mask << redo << true << true << "other23"
                                                                   << badData;
                QTest::newRow(name + "no record") << mask << redo << true << true << "norecord" << noData;
                QTest::newRow(name + "released record") << mask << redo << true << true << "released" << noData;
                QTest::newRow(name + "no such layer") << mask << redo << true << true << "badlayer" << noData;
            }
            QTest::newRow(mask ? "mask redo, no record, first redo skipped" : "layer redo, no record, first redo skipped")
                << mask << true << false << true << "norecord" << noData;
        }
        QTest::newRow("mask redo, layer without a mask") << true << true << true << true << "nomask" << noData;
        QTest::newRow("mask undo, layer without a mask") << true << false << true << true << "nomask" << noData;
    }
    void failures()
    {
        QFETCH(bool, mask);
        QFETCH(bool, redo);
        QFETCH(bool, firstRedo);
        QFETCH(bool, withDocument);
        QFETCH(QString, dataKind);
        QFETCH(QString, message);

        Scene scene(mask, QRect(10, 10, 50, 40), true);
        if (dataKind == QLatin1String("nomask"))
            scene.document.RemoveLayerMask(kLayer);
        const KXImage32 image = *scene.document.GetLayerImage(kLayer);
        const QRect geometry = scene.document.GetLayerGeometry(kLayer);
        const QRect maskGeometry = scene.document.GetMaskGeometry(kLayer);

        std::unique_ptr<PaintCommand> command(mask ? static_cast<PaintCommand*>(new LayerMaskPaintCommand(
                                                         withDocument ? &scene.document : nullptr, firstRedo))
                                                   : new LayerPaintCommand(withDocument ? &scene.document : nullptr,
                                                                           firstRedo));
        PaintCommandData* own = heldData(command.get());
        // A complete stroke that grows the image, for the rows that need one.
        own->SetUndoImage(patternImage(10, 10, 1), QRect());
        own->SetRedoImage(patternImage(30, 30, 2), QRect());
        own->SetUndoGeometry(mask ? maskGeometry : geometry);
        own->SetRedoGeometry(QRect(0, 0, 30, 30));
        own->SetLayerID(dataKind == QLatin1String("badlayer") ? 9 : kLayer);

        std::unique_ptr<VornCommandData> other;
        if (dataKind == QLatin1String("empty")) {
            other.reset(new EmptyCommandData);
        } else if (dataKind == QLatin1String("other23")) {
            other.reset(new OtherData23);
        } else if (dataKind == QLatin1String("other") || dataKind == QLatin1String("norecord")) {
            // The other command's data (complete), or this command's data with no record.
            const bool layerData = (dataKind == QLatin1String("other")) == mask;
            auto* paintData = layerData ? static_cast<PaintCommandData*>(new LayerPaintCommandData)
                                        : new LayerMaskPaintCommandData;
            other.reset(paintData);
            if (dataKind == QLatin1String("other"))
                paintData->SetLayerID(kLayer);
        } else if (dataKind == QLatin1String("released")) {
            own->ReleaseSerializeData();
        }
        VornCommandData* data = other ? other.get() : own;
        if (dataKind == QLatin1String("null"))
            data = nullptr;

        QSignalSpy views(&scene.document, &KXDocumentInterface::viewUpdateRequested);
        MessageCapture capture;
        if (redo)
            command->redoExec(data);
        else
            command->undoExec(data);
        compareReports(capture.texts(), {commandReport(message)});
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
        PaintCommandData* data = heldData(command);
        const QRect stroke(60, 50, 90, 60);
        data->SetUndoImage(extract(original, QPoint(100, 80), stroke & QRect(100, 80, 200, 150)), QRect());
        data->SetRedoImage(patternImage(90, 60, 4), QRect());
        data->SetUndoGeometry(QRect(100, 80, 200, 150));
        data->SetRedoGeometry(stroke);
        data->SetLayerID(kLayer);

        VornUndoStack stack;
        stack.setTemporaryFolder(folder());
        stack.push(command);
        stack.GetSerializer()->WaitForIdle();
        const QStringList files = recordFiles(folder());
        QCOMPARE(files.size(), 1);
        QFile file(folder().filePath(files.first()));
        QVERIFY(file.resize(file.size() - 3));
        const KXImage32 grown = scene.target();

        MessageCapture capture;
        stack.undo();
        compareReports(capture.texts(),
                       {reportPattern(QStringLiteral("src/vorncommandprivate/serializedata.cpp"),
                                      QStringLiteral("Deserialize data error.")),
                        commandReport(QStringLiteral("Error to get data."))});
        QCOMPARE(scene.document.GetDocumentState(), 1);
        QCOMPARE(scene.geometry(), QRect(60, 50, 240, 180));
        QCOMPARE(scene.target().GetTile(0, 0), grown.GetTile(0, 0));
    }

private:
    QDir folder() const { return QDir(m_folder.path()); }

    QTemporaryDir m_folder;
};

QTEST_MAIN(TestPaintCommands)
#include "tst_paintcommands.moc"
