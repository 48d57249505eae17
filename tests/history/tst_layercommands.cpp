#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "KXDocumentModel.h"
#include "KXMemoryDocument.h"
#include "ZTAdjustmentManager.h"
#include "ZTLevels.h"
#include "emptycommanddata.h"
#include "layercreatecommand.h"
#include "layercreatecommanddata.h"
#include "layerdataitem.h"
#include "layerremovecommand.h"
#include "layerremovecommanddata.h"
#include "recordcheck.h"
#include "roundtrip.h"

Q_DECLARE_METATYPE(LayerDataItem)

namespace {

// A layer block with an empty name, null points, empty images, opacity 1,
// visible, every other value 0.
QByteArray EmptyLayerBlock()
{
    return Hex("00000000 00000000 00000000 00000000 00000000" // name, offset, image
               "00000000 00000000 00000000 00000000" // mask position, mask
               "00000000 3ff0000000000000" // blend mode, opacity
               "00000001 00000000 00000000 00000000 00000000 00000000"); // visible .. mask type
}

// Adds one layer of the kind on top, every property set to a value that
// depends on seed, and returns its id.
unsigned int AddLayer(KXMemoryDocument& document, int kind, bool withMask, int seed)
{
    const QString number = QString::number(seed);
    unsigned int id = KXMemoryDocument::InvalidId;
    if (kind == KXDocumentInterface::RasterLayer) {
        id = document.AddRasterLayer("Raster " + number, PatternImage(150 + seed, 70 + seed, seed),
                                     QPoint(3 * seed - 10, 5 - seed));
    } else if (kind == KXDocumentInterface::TextLayer) {
        id = document.AddTextLayer("Text " + number, "Hello " + number, QFont(QStringLiteral("DejaVu Sans"), 20, QFont::Bold),
                                   QColor(10 + seed, 200, 30, 180), QPoint(4 + seed, 9));
        document.SetTextStyle(id, 2);
        document.SetTextOrientation(id, true);
        document.SetTextBend(id, 0.25);
        document.SetTextHDistortion(id, -0.5);
        document.SetTextVDistortion(id, 0.125);
        document.SetTextTransform(id, QMatrix4x4(1.2f, -0.3f, 0, 3, 0.3f, 0.7f, 0, -2, 0, 0, 1, 0, 0, 0, 0, 1));
        document.MoveLayer(id, QPoint(seed, -seed));
    } else {
        id = document.AddAdjustmentLayer("Adjust " + number, ZTLevels::Name());
        ZTAdjustment* adjustment = nullptr;
        ZTAdjustmentTarget target;
        ZTLevels::Params params;
        params.channels[ZTLevels::Composite].gamma = 1.5;
        params.channels[ZTLevels::Red].inputBlack = 10 + seed;
        params.channels[ZTLevels::Blue].outputWhite = 200;
        if (document.GetLayerAdjustment(id, adjustment) && document.GetAdjustmentTarget(id, target))
            adjustment->SetParams(target, ZTLevels::Encode(params));
    }
    document.SetLayerOpacity(id, 0.25 + seed * 0.05);
    document.SetLayerBlendMode(id, unsigned(seed % 12));
    document.SetLayerVisible(id, seed % 2 == 0);
    document.SetLayerLocks(id, unsigned(seed * 3 + 1));
    if (withMask) {
        document.CreateLayerMask(id, PatternImage(40, 130, seed + 100), seed % 2 == 1);
        document.SetMaskPos(id, QPoint(-seed, 2 * seed));
        document.SetMaskEnabled(id, seed % 3 != 0);
        document.SetMaskLinked(id, seed % 2 == 0);
    }
    return id;
}

QVector<unsigned int> SelectedRows(const QItemSelectionModel& selection)
{
    QVector<unsigned int> rows;
    for (const QModelIndex& index : selection.selectedIndexes())
        rows.append(unsigned(index.row()));
    std::sort(rows.begin(), rows.end());
    return rows;
}

void SelectRows(QItemSelectionModel& selection, const QVector<int>& rows)
{
    selection.clear();
    for (int row : rows)
        selection.select(selection.model()->index(row, 0), QItemSelectionModel::Select);
}

QList<unsigned int> SpyIds(const QSignalSpy& spy)
{
    QList<unsigned int> ids;
    for (const QList<QVariant>& arguments : spy)
        ids.append(arguments.first().toUInt());
    return ids;
}

// Six layers: 0 background, 1 raster with mask, 2 text with mask,
// 3 adjustment with mask, 4 text, 5 raster.
void BuildSixLayers(KXMemoryDocument& document)
{
    AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
    AddLayer(document, KXDocumentInterface::RasterLayer, true, 1);
    AddLayer(document, KXDocumentInterface::TextLayer, true, 2);
    AddLayer(document, KXDocumentInterface::AdjustmentLayer, true, 3);
    AddLayer(document, KXDocumentInterface::TextLayer, false, 4);
    AddLayer(document, KXDocumentInterface::RasterLayer, false, 5);
}

} // namespace

class TestLayerCommands : public QObject
{
    Q_OBJECT

    // The bytes of the item's record.
    static QByteArray RecordOf(LayerDataItem item)
    {
        return WrittenBytes([&](IWriter* writer) { return LayerDataItemWrite(writer, item); });
    }

    static bool ReadItem(const QByteArray& bytes, LayerDataItem& item)
    {
        return ReadBytes(bytes, [&](IReader* reader) { return LayerDataItemRead(reader, item); });
    }

private slots:
    // --- LayerDataItem

    void captureAndRecreate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("withMask");
        QTest::addColumn<bool>("throughRecord");
        const char* names[] = {"raster", "text", "adjustment"};
        for (int kind = 0; kind < 3; ++kind)
            for (bool withMask : {false, true})
                for (bool throughRecord : {false, true})
                    QTest::addRow("%s%s%s", names[kind], withMask ? ", mask" : "",
                                  throughRecord ? ", through record" : "")
                        << kind << withMask << throughRecord;
    }

    void captureAndRecreate()
    {
        QFETCH(int, kind);
        QFETCH(bool, withMask);
        QFETCH(bool, throughRecord);

        KXMemoryDocument source(QSize(300, 200));
        AddLayer(source, KXDocumentInterface::RasterLayer, false, 0);
        const unsigned int id = AddLayer(source, kind, withMask, 3);
        QVERIFY(source.GetLayerLocks(id) != 0);

        LayerDataItem item;
        InitLayerItemFromDocument(id, &source, item);
        QCOMPARE(item.kind, kind);
        QCOMPARE(item.layerId, id);
        QCOMPARE(item.locks, 0u);
        QCOMPARE(item.maskCreated, withMask);
        // The capture shares the layer's tiles instead of copying pixels.
        if (kind != KXDocumentInterface::AdjustmentLayer)
            QCOMPARE(item.image.GetTile(0, 0), source.GetLayerImage(id)->GetTile(0, 0));
        if (withMask)
            QCOMPARE(item.mask.GetTile(0, 0), source.GetLayerMask(id)->GetTile(0, 0));

        if (throughRecord) {
            const QByteArray record = RecordOf(item);
            QVERIFY(ReadItem(record, item));
            // Every cut of the record makes the read fail, never crash.
            const int step = qMax(1, record.size() / 200);
            for (int cut = 0; cut < record.size(); cut += (cut < 120 ? 1 : step)) {
                LayerDataItem readBack;
                QVERIFY2(!ReadItem(record.left(cut), readBack), qPrintable(QStringLiteral("cut at %1").arg(cut)));
            }
        }

        KXMemoryDocument target(QSize(300, 200));
        AddLayer(target, KXDocumentInterface::RasterLayer, false, 0);
        QVERIFY(InitLayerItemToDocument(&target, item));
        source.SetLayerLocks(id, 0); // a capture leaves the locks behind
        CompareFingerprints(DocumentFingerprint::Take(target), DocumentFingerprint::Take(source), "recreated");
    }

    // Font fields: family, size, weight, bold (weight above 57), style; a
    // read takes bold or normal from the flag.
    void fontRules_data()
    {
        QTest::addColumn<QFont>("font");
        QTest::addColumn<QByteArray>("fields"); // size, weight, bold, style
        QTest::addColumn<int>("weight");
        const QString family = QStringLiteral("DejaVu Sans");
        QTest::newRow("weight 58") << QFont(family, 12, 58) << Hex("0000000c 0000003a 00000001 00000000") << 75;
        QTest::newRow("weight 57") << QFont(family, 12, 57) << Hex("0000000c 00000039 00000000 00000000") << 50;
        QTest::newRow("bold italic") << QFont(family, 12, 75, true) << Hex("0000000c 0000004b 00000001 00000001")
                                     << 75;
        QFont oblique(family, 12, 50);
        oblique.setStyle(QFont::StyleOblique);
        QTest::newRow("oblique") << oblique << Hex("0000000c 00000032 00000000 00000002") << 50;
    }

    void fontRules()
    {
        QFETCH(QFont, font);
        QFETCH(QByteArray, fields);
        QFETCH(int, weight);

        LayerDataItem item;
        item.kind = KXDocumentInterface::TextLayer;
        item.name = item.textData.text = QStringLiteral(""); // empty, not null
        item.opacity = 1;
        item.visible = true;
        item.textData.font = font;
        const QByteArray record = RecordOf(item);
        const QByteArray head
            = Hex("00000000 00000001") + EmptyLayerBlock() + Hex("00000000") + Streamed(font.family());
        QCOMPARE(record.mid(head.size(), fields.size()).toHex(), fields.toHex());

        LayerDataItem readBack;
        QVERIFY(ReadItem(record, readBack));
        QCOMPARE(readBack.textData.font.family(), font.family());
        QCOMPARE(readBack.textData.font.pointSize(), 12);
        QCOMPARE(readBack.textData.font.weight(), weight);
        QCOMPARE(readBack.textData.font.style(), font.italic() ? QFont::StyleItalic : QFont::StyleNormal);
    }

    void recordBytes_data()
    {
        QTest::addColumn<LayerDataItem>("item");
        QTest::addColumn<QByteArray>("bytes");

        LayerDataItem raster;
        raster.layerId = 3;
        raster.name = QStringLiteral("A");
        raster.offset = QPoint(1, 2);
        raster.maskPosition = QPoint(-1, 5);
        raster.blendMode = 2;
        raster.opacity = 0.5;
        raster.visible = true;
        raster.maskLinked = true;
        raster.locks = 7;
        raster.maskType = true;
        raster.merge = true;
        // A raster item without a mask still stores the (empty) mask fields.
        QTest::newRow("raster") << raster
                                << Hex("00000003 00000000 00000002 0041 00000001 00000002 00000000 00000000"
                                       "ffffffff 00000005 00000000 00000000 00000002 3fe0000000000000"
                                       "00000001 00000000 00000001 00000000 00000007 00000001"
                                       "00000001");

        LayerDataItem adjustment;
        adjustment.kind = KXDocumentInterface::AdjustmentLayer;
        adjustment.layerId = 2;
        adjustment.name = QStringLiteral("B");
        adjustment.opacity = 1.0;
        adjustment.maskCreated = true;
        adjustment.maskType = true;
        adjustment.maskPosition = QPoint(9, 9);
        adjustment.maskEnabled = true;
        adjustment.adjustment = ZTAdjustmentManager::GetInstance()->GetAdjustment(ZTLevels::Name());
        adjustment.adjustmentSettings = QByteArray("xyz");
        adjustment.merge = true;
        // Its own block: no pixels, the mask fields only with a mask.
        QTest::newRow("adjustment") << adjustment
                                    << Hex("00000002 00000002 00000002 0042 3ff0000000000000 00000000"
                                           "00000001 00000000 00000000 00000001 00000001 00000009 00000009"
                                           "0000000c 004c006500760065006c0073 00000003 78797a"
                                           "00000001");

        LayerDataItem text;
        text.kind = KXDocumentInterface::TextLayer;
        text.layerId = 1;
        text.name = QStringLiteral("T");
        text.opacity = 1.0;
        text.textData.text = QStringLiteral("Hi");
        text.textData.font = QFont(QStringLiteral("Serif"), 11, 75, true);
        text.textData.brush = QBrush(QColor(10, 20, 30, 40));
        text.textData.textPosition = QPoint(5, 6);
        text.textData.style = 3;
        text.textData.orientation = true;
        text.textData.bend = 0.25;
        text.textData.hDistortion = -2;
        text.textData.deformation = QMatrix4x4(1, 2, 3, 4, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0.5);
        QTest::newRow("text") << text
                              << Hex("00000001 00000001 00000002 0054"
                                     "00000000 00000000 00000000 00000000 00000000 00000000 00000000 00000000"
                                     "00000000 3ff0000000000000 00000000 00000000 00000000 00000000 00000000 00000000"
                                     "00000004 00480069 0000000a 00530065007200690066"
                                     "0000000b 0000004b 00000001 00000001"
                                     "0000000a 00000014 0000001e 00000028 00000005 00000006 00000003 00000001"
                                     "3fd0000000000000 c000000000000000 0000000000000000"
                                     "3ff0000000000000 4000000000000000 4008000000000000 4010000000000000"
                                     "0000000000000000 3ff0000000000000 0000000000000000 0000000000000000"
                                     "0000000000000000 0000000000000000 3ff0000000000000 0000000000000000"
                                     "0000000000000000 0000000000000000 0000000000000000 3fe0000000000000"
                                     "00000000");
    }

    void recordBytes()
    {
        QFETCH(LayerDataItem, item);
        QFETCH(QByteArray, bytes);
        QCOMPARE(RecordOf(item).toHex(), bytes.toHex());

        // Read back and written again: the same bytes, so every field is read.
        LayerDataItem readBack;
        QVERIFY(ReadItem(bytes, readBack));
        QCOMPARE(RecordOf(readBack).toHex(), bytes.toHex());
    }

    // Layer block flags: positive is true (linked: non-zero); adjustment
    // block flags and the merge flag: non-zero is true.
    void readFlagValues()
    {
        LayerDataItem item;
        QVERIFY(ReadItem(Hex("00000001 00000000 00000000 00000000 00000000 00000000 00000000"
                             "00000000 00000000 00000000 00000000 00000000 3ff0000000000000"
                             "ffffffff ffffffff ffffffff ffffffff 00000000 ffffffff fffffffe"),
                         item));
        QCOMPARE(item.visible, false);
        QCOMPARE(item.maskCreated, false);
        QCOMPARE(item.maskLinked, true);
        QCOMPARE(item.maskEnabled, false);
        QCOMPARE(item.maskType, false);
        QCOMPARE(item.merge, true);

        LayerDataItem adjusted;
        QVERIFY(ReadItem(Hex("00000001 00000002 00000000 3ff0000000000000 00000000"
                             "80000000 00000000 00000000 ffffffff fffffffe 00000000 00000000"
                             "00000000 00000000 00000000"),
                         adjusted));
        QCOMPARE(adjusted.maskCreated, true);
        QCOMPARE(adjusted.maskEnabled, true);
        QCOMPARE(adjusted.maskType, true);
        QCOMPARE(adjusted.maskPosition, QPoint());
        QCOMPARE(adjusted.adjustment, nullptr); // the empty name is not registered
        QCOMPARE(adjusted.merge, false);
    }

    void wrongItemValues_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("readResult");
        QTest::addColumn<bool>("created");

        const QByteArray adjustmentHead = Hex("00000001 00000002 00000000 3ff0000000000000 00000000 00000000");
        const QByteArray levels = Hex("0000000c 004c006500760065006c0073");
        QTest::newRow("settings count negative") << adjustmentHead + levels + Hex("ffffffff 78797a 00000000") << false
                                                 << true;
        QTest::newRow("settings of 70000 bytes cut short")
            << adjustmentHead + levels + Hex("00011170") + QByteArray(69000, 'x') << false << true;
        QTest::newRow("unknown adjustment name")
            << adjustmentHead + Hex("00000008 004e006f00700065 00000000 00000000") << true << false;
        QTest::newRow("unknown kind") << Hex("00000001 00000007") + EmptyLayerBlock() + Hex("00000000") << true
                                      << false;
        QTest::newRow("odd string length") << Hex("00000001 00000000 00000003 0041") << false << true;
        QTest::newRow("font size and weight out of range")
            << Hex("00000001 00000001") + EmptyLayerBlock()
                   + Hex("00000002 0041" // text
                         "00000002 0041 fffffff6 000003e8 00000001 00000009" // family, size, weight, bold, style
                         "00000010 00000020 00000030 00000040" // colour
                         "00000000 00000000 00000000 00000000" // text position, style, orientation
                         "0000000000000000 0000000000000000 0000000000000000")
                   + QByteArray(16 * 8, 0) + Hex("00000000")
            << true << true;
    }

    void wrongItemValues()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, readResult);
        QFETCH(bool, created);

        LayerDataItem item;
        QCOMPARE(ReadItem(bytes, item), readResult);
        QCOMPARE(item.adjustmentSettings, QByteArray());

        // What was read never creates a layer it cannot describe, nor
        // touches another layer.
        KXMemoryDocument document(QSize(100, 100));
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 1);
        const double opacity = document.GetLayerOpacity(1);
        QCOMPARE(InitLayerItemToDocument(&document, item), created);
        QCOMPARE(document.GetLayerCount(), created ? 3u : 2u);
        QCOMPARE(document.GetLayerName(created ? 2 : 1), QStringLiteral("Raster 1"));
        QCOMPARE(document.GetLayerOpacity(created ? 2 : 1), opacity);
    }

    void nullArguments()
    {
        LayerDataItem item;
        item.name = QStringLiteral("kept");
        QVERIFY(!LayerDataItemWrite(nullptr, item));
        QVERIFY(!LayerDataItemRead(nullptr, item));
        QVERIFY(!InitLayerItemToDocument(nullptr, item));
        InitLayerItemFromDocument(0, nullptr, item);
        QCOMPARE(item.name, QStringLiteral("kept"));
    }

    // --- Remove and create data

    // Items sort by id; the record is the count, then the items in that order.
    void removeDataItems()
    {
        KXMemoryDocument document(QSize(300, 200));
        BuildSixLayers(document);
        LayerRemoveCommandData data(nullptr);
        VornReaderWriter unused;
        QVERIFY(!data.Serialize(&unused)); // no items yet
        for (unsigned int id : {5u, 2u, 3u})
            data.AddLayerInfo(id, &document);
        QCOMPARE(data.GetLayerCount(), 3);
        QByteArray expected = Hex("00000003");
        LayerDataItem item;
        for (unsigned int i = 0; i < 3; ++i) {
            QVERIFY(data.GetLayerInfo(item, int(i)));
            QCOMPARE(item.layerId, (QList<unsigned int>{2, 3, 5}).at(int(i)));
            expected += RecordOf(item);
        }
        QVERIFY(!data.GetLayerInfo(item, 3));
        QCOMPARE(::RecordOf(data).toHex(), expected.toHex());

        data.ReleaseSerializeData();
        QCOMPARE(data.GetLayerCount(), 0);
        QVERIFY(!data.Serialize(&unused));
    }

    void removeDataRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("result");
        QTest::addColumn<int>("count");
        const QByteArray item = Hex("00000004 00000000") + EmptyLayerBlock() + Hex("00000000");
        QTest::newRow("no items") << Hex("00000000") << true << 0;
        QTest::newRow("two items") << Hex("00000002") + item + item << true << 2;
        QTest::newRow("count missing") << QByteArray() << false << 0;
        // A record that fails to read keeps nothing; a corrupt count stops at the first item that fails.
        QTest::newRow("second item cut short") << Hex("00000002") + item + item.left(20) << false << 0;
        QTest::newRow("giant count") << Hex("7fffffff") + item << false << 0;
    }

    void removeDataRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, result);
        QFETCH(int, count);
        LayerRemoveCommandData data(nullptr);
        QCOMPARE(ReadRecord(bytes, data), result);
        QCOMPARE(data.GetLayerCount(), count);
        LayerDataItem first;
        if (count > 0) {
            QVERIFY(data.GetLayerInfo(first, 0));
            QCOMPARE(first.layerId, 4u);
        }
    }

    // The record holds blend mode, id, opacity and type (read back by the
    // create command's redo below); the rest stays in memory.
    void createDataRecord()
    {
        LayerCreateCommandData data(nullptr, LayerCreateCommandData::TextLayer, 7);
        data.SetBlendMode(3);
        data.SetLayerId(0x01020304);
        data.SetOpacity(0.75);
        LayerCreateCommandData other(nullptr, LayerCreateCommandData::RasterLayer, 0);
        CheckRecord(data, other, Hex("00000003 01020304 3fe8000000000000 00000001"));
        data.ReleaseSerializeData();
        QCOMPARE(::RecordOf(data), QByteArray());
    }

    // --- Commands on the real stack

    void removeLayersAndUndoThroughFile()
    {
        KXMemoryDocument document(QSize(300, 200));
        BuildSixLayers(document);
        document.SetLayerLocks(2, 0x11);
        document.SetLayerLocks(5, 0x22);
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        SelectRows(selection, {1, 4}); // ids 2 and 5

        HistoryFixture history;
        VornUndoStack& stack = history.stack;

        auto* data = new LayerRemoveCommandData(&selection);
        data->AddLayerInfo(5, &document);
        data->AddLayerInfo(2, &document);
        auto* command = new LayerRemoveCommand(&document, true);
        command->SetCommandData(data);

        QSignalSpy removed(&document, &KXDocumentInterface::layerRemoved);
        QSignalSpy inserted(&document, &KXDocumentInterface::layerInserted);
        stack.push(command);
        QCOMPARE(SpyIds(removed), (QList<unsigned int>{5, 2}));
        QCOMPARE(document.GetDocumentState(), 1);
        QCOMPARE(command->GetSavedLocks(), (QList<unsigned int>{0x11, 0x22}));
        QCOMPARE(SelectedRows(selection), QVector<unsigned int>()); // the first redo clears the panel
        QCOMPARE(document.GetLayerCount(), 4u);
        QCOMPARE(document.GetLayerName(2), QStringLiteral("Adjust 3"));

        // The record is on disk and the items released: undo reads them back.
        history.WaitWritten();
        QCOMPARE(RecordFiles(QDir(history.folder.path())).size(), 1);
        SelectRows(selection, {0});

        stack.undo();
        QCOMPARE(SpyIds(inserted), (QList<unsigned int>{2, 5}));
        QCOMPARE(document.GetDocumentState(), 0);
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after undo"); // locks included
        QCOMPARE(SelectedRows(selection), (QVector<unsigned int>{1, 4}));
    }

    void createLayer_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<int>("renderMode"); // -1: never set
        QTest::newRow("raster") << int(LayerCreateCommandData::RasterLayer) << -1;
        QTest::newRow("text, render mode 3") << int(LayerCreateCommandData::TextLayer) << 3;
        QTest::newRow("text, default render mode") << int(LayerCreateCommandData::TextLayer) << -1;
    }

    void createLayer()
    {
        QFETCH(int, type);
        QFETCH(int, renderMode);

        KXMemoryDocument document(QSize(300, 200));
        for (int seed = 0; seed < 3; ++seed)
            AddLayer(document, KXDocumentInterface::RasterLayer, false, seed);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        SelectRows(selection, {0});

        const KXImage32 image = PatternImage(60, 20, 9);
        const QFont font(QStringLiteral("DejaVu Sans"), 14, 63);
        auto* data = new LayerCreateCommandData(&selection, LayerCreateCommandData::LayerType(type), 4);
        data->SetLayerId(2);
        data->SetBlendMode(KXDocumentInterface::BlendScreen);
        data->SetOpacity(0.625);
        data->SetLayerName(QStringLiteral("New"));
        data->SetLayerPos(QPoint(12, -4));
        data->SetLayerImage(image);
        data->SetText(QStringLiteral("Words"));
        data->SetTexPosition(QPoint(7, 8));
        data->SetTextFont(font);
        data->SetTextColor(QColor(1, 2, 3, 4));
        data->SetTextStyle(5);
        data->SetTextOrientation(true);
        data->SetTextBend(0.5);
        data->SetTextHDistortion(-0.25);
        data->SetTextVDistortion(0.75);
        if (renderMode >= 0)
            data->SetRenderMode(renderMode);
        auto* command = new LayerCreateCommand(&document, false);
        command->SetCommandData(data);

        // The first redo clears the panel selection, undo brings back what the
        // first redo found, redo what the undo found.
        HistoryFixture history;
        int redos = 0;
        CheckRoundTrip(history, document, command, 1, [&](bool redone) {
            if (!redone) {
                QCOMPARE(SelectedRows(selection), QVector<unsigned int>{0});
                QCOMPARE(document.GetDocumentState(), 0);
                return;
            }
            QCOMPARE(SelectedRows(selection), redos++ ? QVector<unsigned int>{2} : QVector<unsigned int>());
            SelectRows(selection, {2});
        });
        // After the redo (blend mode, opacity and id from the file):
        QCOMPARE(document.GetLayerCount(), 4u);
        QCOMPARE(document.GetLayerType(2), type);
        QCOMPARE(document.GetLayerName(2), QStringLiteral("New"));
        QCOMPARE(document.GetLayerName(3), QStringLiteral("Raster 2"));
        QCOMPARE(document.GetLayerBlendMode(2), unsigned(KXDocumentInterface::BlendScreen));
        QCOMPARE(document.GetLayerOpacity(2), 0.625);
        QCOMPARE(document.GetLayerGeometry(2).topLeft(), QPoint(12, -4));
        QCOMPARE(document.GetDocumentState(), 1);
        if (type != LayerCreateCommandData::TextLayer) {
            QVERIFY(document.GetLayerImage(2)->IsEmpty()); // the data's image is for text layers
            return;
        }
        QVERIFY(document.GetLayerImage(2)->IsPixelEqual(image));
        const QVariantList text{document.GetText(2), document.GetTextPosition(2), document.GetTextFont(2),
                                document.GetTextBrush(2), document.GetTextStyle(2), document.GetTextOrientation(2),
                                document.GetTextBend(2), document.GetTextHDistortion(2),
                                document.GetTextVDistortion(2), document.GetTextTransform(2),
                                document.GetTextRenderMode(2)};
        QCOMPARE(text, (QVariantList{"Words", QPoint(7, 8), font, QBrush(QColor(1, 2, 3, 4)), 5, true, 0.5, -0.25,
                                     0.75, QMatrix4x4(), renderMode >= 0 ? renderMode : 1}));
    }

    void reports_data()
    {
        QTest::addColumn<bool>("create");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<int>("data"); // 0 none, 1 its own, 2 the other command's, 3 its own released
        QTest::addColumn<bool>("redo");
        QTest::addColumn<QString>("message");
        for (bool redo : {true, false}) {
            const char* way = redo ? "redo" : "undo";
            QTest::addRow("create %s: no document, no data", way) << true << false << 0 << redo << "Wrong document.";
            QTest::addRow("create %s: no data", way) << true << true << 0 << redo << "Error input data.";
            QTest::addRow("create %s: remove data", way) << true << true << 2 << redo << "Error input data.";
            QTest::addRow("create %s: payload released", way) << true << true << 3 << redo << "Internal error.";
            QTest::addRow("remove %s: no document", way) << false << false << 1 << redo << "Wrong document.";
            QTest::addRow("remove %s: create data", way) << false << true << 2 << redo << "Error input data.";
        }
    }

    // A refused command reports once and leaves the document alone.
    void reports()
    {
        QFETCH(bool, create);
        QFETCH(bool, withDocument);
        QFETCH(int, data);
        QFETCH(bool, redo);
        QFETCH(QString, message);

        KXMemoryDocument document(QSize(100, 100));
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 0);
        AddLayer(document, KXDocumentInterface::RasterLayer, false, 1);
        document.SetDocumentState(5);
        LayerCreateCommandData createData(nullptr, LayerCreateCommandData::RasterLayer, 0);
        createData.SetLayerId(1);
        LayerRemoveCommandData removeData(nullptr);
        removeData.AddLayerInfo(1, &document);
        if (data == 3)
            createData.ReleaseSerializeData();
        VornCommandData* own = create ? static_cast<VornCommandData*>(&createData) : &removeData;
        VornCommandData* other = create ? static_cast<VornCommandData*>(&removeData) : &createData;
        VornCommandData* passed = data == 0 ? nullptr : data == 2 ? other : own;

        KXDocumentInterface* target = withDocument ? &document : nullptr;
        std::unique_ptr<VornCommand> command(create ? static_cast<VornCommand*>(new LayerCreateCommand(target, false))
                                                    : new LayerRemoveCommand(target, false));
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        MessageCapture capture;
        if (redo)
            command->redoExec(passed);
        else
            command->undoExec(passed);
        CompareReports(capture.texts(), {ReportPattern(create ? "src/layerchangecommands/layercreatecommand.cpp"
                                                              : "src/layerchangecommands/layerremovecommand.cpp",
                                                       message)});
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after a refused command");
        QCOMPARE(document.GetDocumentState(), 5);
    }
};

QTEST_MAIN(TestLayerCommands)
#include "tst_layercommands.moc"
