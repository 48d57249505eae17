#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "KXDocumentModel.h"
#include "KXImageOps.h"
#include "KXMemoryDocument.h"
#include "changelayerssequence.h"
#include "changelayerssequencedata.h"
#include "layercreatecommanddata.h"
#include "layerduplicatecommand.h"
#include "layerduplicatecommanddata.h"
#include "layermaskcreatecommand.h"
#include "layermaskcreatecommanddata.h"
#include "layermaskdisableenablecommand.h"
#include "layermaskenable.h"
#include "layermaskinvertcommand.h"
#include "layermaskpaintcommanddata.h"
#include "layermaskremovecommand.h"
#include "layermaskremovecommanddata.h"
#include "layermergecommand.h"
#include "layermergecommanddata.h"
#include "layermovecommand.h"
#include "layermovecommanddata.h"
#include "mergecommand.h"
#include "mergecommanddata.h"
#include "recordtesting.h"
#include "roundtrip.h"

namespace {

// Every pixel differs from its neighbours; alpha varies, so masks built from it differ by kind.
KXImage32 Pattern(int width, int height, int seed)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    for (int y = 0; y < height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            line[4 * x] = uchar(x * 7 + seed);
            line[4 * x + 1] = uchar(y * 13 + seed * 3);
            line[4 * x + 2] = uchar((x ^ y) + seed);
            line[4 * x + 3] = uchar(255 - ((x + y + seed) & 127));
        }
    }
    return KXImage32::FromQImage(image);
}

// Layers "L0" .. "L<count - 1>", each its own pattern at its own place.
void BuildLayers(KXMemoryDocument& document, int count)
{
    for (int i = 0; i < count; ++i)
        document.AddRasterLayer(QStringLiteral("L%1").arg(i), Pattern(20 + i, 12 + i, i), QPoint(i * 3, -i));
}

QStringList Names(const KXDocumentInterface& document)
{
    QStringList names;
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        names << document.GetLayerName(id);
    return names;
}

QList<int> SelectedRows(const QItemSelectionModel& selection)
{
    QList<int> rows;
    for (const QModelIndex& index : selection.selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void CheckOneReport(const MessageCapture& capture, const QString& source, const QString& message)
{
    const QString file = QStringLiteral("src/layerchangecommands/%1.cpp").arg(source);
    CompareReports(capture.texts(), {ReportPattern(file, message)});
}

} // namespace

class TestLayerStructureCommands : public QObject
{
    Q_OBJECT

private slots:
    void recordBytes_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("mask create") << "maskcreate"
                                     << QByteArray::fromHex("00000005 fffffffd 00000002 0000000000000000 00000001");
        QTest::newRow("mask remove") << "maskremove"
                                     << QByteArray::fromHex("0000000000000000 00000001 00000002 00000003 00000001 00000000");
        QTest::newRow("duplicate") << "duplicate" << QByteArray::fromHex("0000000b");
        QTest::newRow("merge, nothing added") << "layermerge" << QByteArray::fromHex("00000000 00000000");
        QTest::newRow("merge command") << "merge"
                                       << QByteArray::fromHex("00000002 0000000000000000 00000003 00000004 00000001"
                                                              "3fe0000000000000");
        QTest::newRow("move to position") << "move" << QByteArray::fromHex("00000000 00000006 00000004");
        QTest::newRow("sequence") << "sequence"
                                  << QByteArray::fromHex("00000001 00000003 00000002 00000000 00000001 00000001 00000001");
    }

    // Exact records, and each read back to the same bytes; a record cut short is refused and not kept.
    void recordBytes()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        auto make = [&]() -> std::unique_ptr<VornCommandData> {
            if (kind == "maskcreate") {
                auto data = std::make_unique<LayerMaskCreateCommandData>(LayerMaskCreateCommandData::MaskType(7),
                                                                         Pattern(4, 4, 1), true);
                data->SetMaskOffset(QPoint(5, -3));
                data->SetLayerId(2);
                return data;
            }
            if (kind == "maskremove") {
                auto data = std::make_unique<LayerMaskRemoveCommandData>();
                data->SetMaskOffset(QPoint(1, 2));
                data->SetLayerId(3);
                data->SetMaskType(true);
                return data;
            }
            if (kind == "duplicate") {
                auto data = std::make_unique<LayerDuplicateCommandData>(nullptr);
                data->SetLayerId(11);
                return data;
            }
            if (kind == "layermerge") {
                auto data = std::make_unique<LayerMergeCommandData>(nullptr);
                data->DeleteLayer(0, nullptr); // an empty item makes the record exist...
                data->ReleaseSerializeData(); // ...released: then filled from the bytes below
                return data;
            }
            if (kind == "merge")
                return std::make_unique<MergeCommandData>(2, KXImage32(), QPoint(3, 4), 1, 0.5);
            if (kind == "move") {
                auto data = std::make_unique<LayerMoveCommandData>(LayerMoveCommandData::MoveToPos, nullptr, nullptr, -1);
                data->SetPos(4);
                return data;
            }
            return std::make_unique<ChangeLayersSequenceData>(QList<unsigned int>{2, 0, 1}, QList<int>{1}, true);
        };
        std::unique_ptr<VornCommandData> written = make();
        if (kind == "layermerge")
            QVERIFY(ReadRecord(bytes, *written));
        QCOMPARE(RecordOf(*written).toHex(), bytes.toHex());

        std::unique_ptr<VornCommandData> read = make();
        QVERIFY(ReadRecord(bytes, *read));
        QCOMPARE(RecordOf(*read).toHex(), bytes.toHex());
        QVERIFY(!ReadRecord(bytes.left(bytes.size() - 1), *read));
        QVERIFY(RecordOf(*read).isEmpty());
    }

    // Hostile counts: nothing is allocated ahead and the record is dropped.
    void hostileCounts()
    {
        LayerMergeCommandData merge(nullptr);
        QVERIFY(!ReadRecord(QByteArray::fromHex("ffffffff 00000000"), merge));
        QCOMPARE(merge.GetLayerCount(), 0);
        ChangeLayersSequenceData sequence({}, {}, false);
        QVERIFY(!ReadRecord(QByteArray::fromHex("00000001 7fffffff 00000001"), sequence));
        QVERIFY(sequence.GetRedoSequence().isEmpty());
    }

    // Number 19 is shared: the duplicate command takes create data too and reads its layer id.
    void sharedTypeNumbers()
    {
        LayerCreateCommandData create(nullptr, LayerCreateCommandData::RasterLayer, -1);
        create.SetLayerId(1);
        KXMemoryDocument document(QSize(40, 40));
        BuildLayers(document, 2);
        LayerDuplicateCommand command(&document, false);
        command.redoExec(&create);
        QCOMPARE(document.GetLayerName(1), QStringLiteral("L1 copy"));
    }

    void maskCreate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("maskType");
        for (int kind = 0; kind <= 7; ++kind)
            QTest::addRow("kind %d", kind) << kind << (kind % 2 == 1);
    }

    // Each kind builds its mask; create and undo it through the temporary file.
    void maskCreate()
    {
        QFETCH(int, kind);
        QFETCH(bool, maskType);
        const KXImage32 source = Pattern(150, 40, 9);
        // Kinds 0 and 5 take the source, 6 inverts it, 7 has no mask pixels.
        KXImage32 expected = source;
        bool (*const makers[])(KXImage32&, const KXImage32&)
            = {nullptr, CreateRevealAllMask, CreateHideAllMask, CreateFromTransparancyMask, CreateFromSourceMask};
        if (kind >= 1 && kind <= 4)
            QVERIFY(makers[kind](expected, source));
        if (kind == 6)
            QVERIFY(InvertImage(expected, KXInvertLayerMask) && !expected.IsPixelEqual(source));
        if (kind == 1 || kind == 2)
            QCOMPARE(expected.GetPixel(149, 39).Value(), kind == 1 ? 0xFFFFFFFFu : 0xFF000000u);
        HistoryFixture history;
        KXMemoryDocument document(QSize(200, 100));
        BuildLayers(document, 3);
        auto* data = new LayerMaskCreateCommandData(LayerMaskCreateCommandData::MaskType(kind), source, maskType);
        data->SetLayerId(2);
        data->SetMaskOffset(QPoint(-7, 11));
        auto* command = new LayerMaskCreateCommand(&document, false);
        command->SetCommandData(data);
        const int state = document.GetDocumentState();
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), state + (redone ? 1 : 0));
            // Without mask pixels the document refuses the mask.
            QCOMPARE(document.HasLayerMask(2), redone && kind != 7);
            if (!redone || kind == 7)
                return;
            QVERIFY(document.GetLayerMask(2)->IsPixelEqual(expected));
            QCOMPARE(document.GetMaskGeometry(2).topLeft(), QPoint(-7, 11));
            bool type = !maskType;
            document.GetMaskType(2, type);
            QCOMPARE(type, maskType);
        });
    }

    void maskRemove_data()
    {
        QTest::addColumn<bool>("maskType");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("type on, disabled") << true << false;
        QTest::newRow("type off, enabled") << false << true;
    }

    // Undo gives back pixels, position, type and enabled state (the fingerprint holds all four).
    void maskRemove()
    {
        QFETCH(bool, maskType);
        QFETCH(bool, enabled);
        HistoryFixture history;
        KXMemoryDocument document(QSize(200, 100));
        BuildLayers(document, 3);
        document.CreateLayerMask(1, Pattern(30, 50, 4), maskType);
        document.SetMaskPos(1, QPoint(-4, 7));
        document.SetMaskEnabled(1, enabled);
        auto* data = new LayerMaskRemoveCommandData;
        KXImage32 mask;
        document.GetMaskImage(1, mask);
        data->SetMaskImage(mask);
        data->SetMaskOffset(document.GetMaskGeometry(1).topLeft());
        data->SetLayerId(1);
        data->SetMaskType(maskType);
        data->SetMaskState(enabled);
        auto* command = new LayerMaskRemoveCommand(&document, false);
        command->SetCommandData(data);
        CheckRoundTrip(history, document, command, 2, [&](bool redone) { QCOMPARE(document.HasLayerMask(1), !redone); });
    }

    // Inverting twice gives the first types back; each execution refreshes the whole view once.
    void maskInvert()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 5);
        document.CreateLayerMask(2, Pattern(10, 10, 1), false);
        document.CreateLayerMask(4, Pattern(10, 10, 2), true);
        QSignalSpy views(&document, &KXDocumentInterface::viewUpdateRequested);
        QSignalSpy masks(&document, &KXDocumentInterface::layerMaskChanged);
        auto* command = new LayerMaskInvertCommand(&document);
        command->addLayerId(2);
        command->addLayerId(4);
        MessageCapture capture;
        int executions = 0;
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            ++executions;
            bool type2 = false;
            bool type4 = false;
            document.GetMaskType(2, type2);
            document.GetMaskType(4, type4);
            QCOMPARE(type2, redone);
            QCOMPARE(type4, !redone);
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
            QCOMPARE(views.size(), executions);
            QCOMPARE(views.last().first().toRect(), QRect(0, 0, -1, -1));
        });
        QVERIFY(masks.size() >= 2 * executions);
        QVERIFY(capture.texts().isEmpty());
    }

    // The toggle and the enable command never move the state counter and write their data cleanly.
    void maskEnableToggle()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 4);
        document.CreateLayerMask(1, Pattern(10, 10, 1), false);
        document.CreateLayerMask(3, Pattern(10, 10, 1), false);
        document.SetMaskEnabled(3, false);
        MessageCapture capture;
        auto* toggle = new LayerMaskDisableEnableCommand(&document);
        toggle->addLayerId(1);
        toggle->addLayerId(3);
        CheckRoundTrip(history, document, toggle, 2, [&](bool redone) {
            QCOMPARE(document.GetMaskEnabled(1), !redone);
            QCOMPARE(document.GetMaskEnabled(3), redone);
            QCOMPARE(document.GetDocumentState(), 0);
        });
        CheckRoundTrip(history, document, new LayerMaskEnable(&document, 3, false), 1, [&](bool redone) {
            QCOMPARE(document.GetMaskEnabled(3), !redone);
            QCOMPARE(document.GetDocumentState(), 0);
        });
        QCOMPARE(capture.texts(), QStringList());
    }

    void duplicateName_data()
    {
        QTest::addColumn<QStringList>("others");
        QTest::addColumn<QString>("copyName");
        QTest::addColumn<QString>("expected");
        QTest::newRow("first copy") << QStringList{"Sky"} << "Sky" << "Sky copy";
        QTest::newRow("copy taken") << QStringList{"Sky", "Sky copy"} << "Sky" << "Sky copy 1";
        QTest::newRow("copy 1 taken") << QStringList{"Sky", "Sky copy", "Sky copy 1"} << "Sky" << "Sky copy 2";
        QTest::newRow("copy of copy 3") << QStringList{"Sky", "Sky copy"} << "Sky copy 3" << "Sky copy 1";
        QTest::newRow("own name counts") << QStringList{"Sea"} << "Sky copy" << "Sky copy 1";
        QTest::newRow("case matters") << QStringList{"Sky", "sky copy"} << "Sky" << "Sky copy";
        QTest::newRow("leading white space") << QStringList{"Sky"} << " copy 2 of it" << " copy 2 of it copy";
    }

    void duplicateName()
    {
        QFETCH(QStringList, others);
        QFETCH(QString, copyName);
        QFETCH(QString, expected);
        KXMemoryDocument document(QSize(100, 100));
        for (const QString& name : others)
            document.AddRasterLayer(name, Pattern(8, 8, 1));
        // The host has made the copy at the top, with the source's pixels.
        const unsigned int id = document.AddRasterLayer(copyName, Pattern(9, 7, 3), QPoint(2, 3));
        LayerDuplicateCommand command(&document, false);
        QCOMPARE(command.CopyName(id), expected);
        QVERIFY(command.NotFound(expected));
        QVERIFY(!command.NotFound(copyName));
    }

    // Undo removes the copy; redo brings it back as it was, not renaming the layer now at its id.
    void duplicateUndoRedo()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 4);
        document.AddRasterLayer(QStringLiteral("Sky"), Pattern(30, 20, 5), QPoint(1, 2));
        const DocumentFingerprint original = DocumentFingerprint::Take(document);
        // The copy sits above its source, at id 2; it has a mask and locks.
        document.CreateRasterLayer(QStringLiteral("L1"), 2);
        document.SetLayerImage(2, Pattern(21, 13, 1));
        document.CreateLayerMask(2, Pattern(5, 6, 2), true);
        document.SetLayerLocks(2, 5);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        auto* data = new LayerDuplicateCommandData(&selection);
        data->SetLayerId(2);
        auto* command = new LayerDuplicateCommand(&document, false);
        command->SetCommandData(data);
        history.stack.push(command);
        QCOMPARE(Names(document), (QStringList{"L0", "L1", "L1 copy", "L2", "L3", "Sky"}));
        CheckUndoRedo(history, document, original, 2, [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
            if (redone)
                QCOMPARE(document.GetLayerLocks(2), 5u);
        });
    }

    void merge_data()
    {
        QTest::addColumn<unsigned int>("blendMode");
        QTest::addColumn<unsigned int>("passedMode"); // what the table gives BlendOn
        QTest::addColumn<bool>("maskEnabled");
        const unsigned int table[][2] = {{0, 0},   {1, 13}, {2, 14}, {3, 15},  {4, 22},  {5, 23},  {6, 17},
                                         {7, 16},  {8, 21}, {9, 20}, {10, 18}, {11, 19}, {12, 12}, {32, 8},
                                         {13, 0xFFFFFFFF}, {33, 0xFFFFFFFF}};
        for (const auto& row : table)
            QTest::addRow("mode %u, mask disabled", row[0]) << row[0] << row[1] << false;
        QTest::newRow("mode 1, mask enabled") << 1u << 13u << true;
    }

    // Two layers that do not overlap and one with a mask merge into one layer
    // equal pixel for pixel to a composition made here; a layer only marked
    // for deletion goes; everything comes back through the temporary file.
    void merge()
    {
        QFETCH(unsigned int, blendMode);
        QFETCH(unsigned int, passedMode);
        QFETCH(bool, maskEnabled);
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        document.AddRasterLayer(QStringLiteral("Background"), Pattern(100, 100, 0));
        document.AddRasterLayer(QStringLiteral("A"), Pattern(30, 20, 1), QPoint(0, 0));
        document.AddRasterLayer(QStringLiteral("B"), Pattern(20, 20, 2), QPoint(50, 10));
        document.AddRasterLayer(QStringLiteral("C"), Pattern(40, 20, 3), QPoint(10, 5));
        document.AddRasterLayer(QStringLiteral("D"), Pattern(10, 10, 4), QPoint(5, 5));
        document.SetLayerBlendMode(2, blendMode);
        document.SetLayerOpacity(2, 0.6);
        document.SetLayerOpacity(3, 0.8);
        document.CreateLayerMask(3, Pattern(16, 12, 5), true);
        document.SetMaskPos(3, QPoint(20, 8));
        document.SetMaskEnabled(3, maskEnabled);
        document.SetLayerVisible(1, false); // not consulted

        // The reference: from the highest id down onto transparent pixels spanning A, B and C.
        const QRect bounds(0, 0, 70, 30);
        KXImage32 reference(70, 30);
        if (maskEnabled)
            BlendMaskOn(*document.GetLayerImage(3), QRect(0, 0, 40, 20), KXBlendNormal, reference,
                        QRect(10, 5, 40, 20), 0.8, *document.GetLayerMask(3), QRect(20, 8, 16, 12), true, false);
        else
            BlendOn(*document.GetLayerImage(3), QRect(0, 0, 40, 20), KXBlendNormal, reference, QRect(10, 5, 40, 20),
                    0.8, false);
        BlendOn(*document.GetLayerImage(2), QRect(0, 0, 20, 20), passedMode, reference, QRect(50, 10, 20, 20), 0.6,
                false);
        BlendOn(*document.GetLayerImage(1), QRect(0, 0, 30, 20), KXBlendNormal, reference, QRect(0, 0, 30, 20),
                document.GetLayerOpacity(1), false);
        QCOMPARE(reference.GetPixel(60, 2).Value(), 0u); // between the layers

        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        auto* data = new LayerMergeCommandData(&selection);
        data->DeleteLayer(4, &document);
        for (unsigned int id : {3u, 1u, 2u})
            data->MergeLayer(id, &document);
        LayerDataItem item;
        QVERIFY(data->GetLayerInfo(item, 0));
        QCOMPARE(item.layerId, 1u);
        QVERIFY(item.image.IsTileShared(0, 0)); // captured without copying pixels
        QVERIFY(!data->IsPremerged());
        auto* command = new LayerMergeCommand(&document, false);
        command->SetCommandData(data);
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            if (!redone) {
                QCOMPARE(Names(document), (QStringList{"Background", "A", "B", "C", "D"}));
                return;
            }
            QCOMPARE(Names(document), (QStringList{"Background", "Merged Layer", "A", "B", "C"}));
            QCOMPARE(document.GetLayerGeometry(1), bounds);
            QVERIFY(document.GetLayerVisible(1));
            QVERIFY(document.GetLayerImage(1)->IsPixelEqual(reference));
            QCOMPARE(document.GetDocumentState(), 1);
        });
    }

    // A merge whose only marked layer is empty composes nothing.
    void mergeOfEmptyLayer()
    {
        KXMemoryDocument document(QSize(50, 50));
        BuildLayers(document, 2);
        document.CreateRasterLayer(QStringLiteral("Empty"), 2);
        LayerMergeCommandData data(nullptr);
        data.MergeLayer(2, &document);
        data.DeleteLayer(1, &document);
        LayerDataItem merged;
        QVERIFY(data.GetMergedLayerInfo(merged));
        QVERIFY(!data.IsPremerged());
        QVERIFY(merged.image.IsEmpty());
        QVERIFY(merged.name.isEmpty());
    }

    void move_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<unsigned int>>("ids");
        QTest::addColumn<unsigned int>("position");
        QTest::addColumn<QStringList>("order");
        using L = QList<unsigned int>;
        auto order = [](std::initializer_list<int> ids) {
            QStringList names;
            for (int id : ids)
                names << QStringLiteral("L%1").arg(id);
            return names;
        };
        QTest::newRow("bottom 3 5") << 1 << L{5, 3} << 0u << order({0, 3, 5, 1, 2, 4});
        QTest::newRow("down 3 4") << 2 << L{3, 4} << 0u << order({0, 1, 3, 4, 2, 5});
        QTest::newRow("down 2 4") << 2 << L{2, 4} << 0u << order({0, 2, 1, 4, 3, 5});
        QTest::newRow("up 1 2") << 3 << L{1, 2} << 0u << order({0, 3, 1, 2, 4, 5});
        QTest::newRow("top 2 3") << 4 << L{2, 3} << 0u << order({0, 1, 4, 5, 2, 3});
        QTest::newRow("top 4 5 (already)") << 4 << L{4, 5} << 0u << order({0, 1, 2, 3, 4, 5});
        QTest::newRow("reverse 2 3 4") << 5 << L{2, 3, 4} << 0u << order({0, 1, 4, 3, 2, 5});
        QTest::newRow("position: 2 to 5") << 6 << L{2} << 5u << order({0, 1, 3, 4, 2, 5});
        QTest::newRow("position: 4 to 1") << 6 << L{4} << 1u << order({0, 4, 1, 2, 3, 5});
        QTest::newRow("position: 1 4 to 3") << 6 << L{1, 4} << 3u << order({0, 2, 1, 4, 3, 5});
        QTest::newRow("position: 2 3 to 5") << 6 << L{3, 2} << 5u << order({0, 1, 4, 2, 3, 5});
        QTest::newRow("position: 5 1 to 2") << 6 << L{5, 1} << 2u << order({0, 1, 5, 2, 3, 4});
    }

    // Each rule on six layers; undo gives back the exact order and pixels, and
    // the panel selects the rows of the moved layers.
    void move()
    {
        QFETCH(int, type);
        QFETCH(QList<unsigned int>, ids);
        QFETCH(unsigned int, position);
        QFETCH(QStringList, order);
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 6);
        document.CreateLayerMask(2, Pattern(7, 9, 2), true);
        document.SetMaskPos(2, QPoint(3, 4));
        // L3 is a text layer: moves re-create its text attributes too.
        document.RemoveLayer(3);
        document.CreateTextLayer(QStringLiteral("L3"), 3);
        document.SetText(3, QStringLiteral("Hello"));
        document.SetTextPosition(3, QPoint(2, 3));
        document.SetLayerImage(3, Pattern(17, 9, 3));
        document.MoveLayer(3, QPoint(4, -2));
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        auto* data = new LayerMoveCommandData(LayerMoveCommandData::CommandType(type), &panel, &selection, -1);
        data->SetPos(position);
        for (unsigned int id : ids)
            data->AddLayer(id);
        const QStringList before = Names(document);
        QList<int> movedRows;
        // Row r shows layer id r + 1; a reversal selects the rows of the layers' ids.
        for (unsigned int id : ids)
            movedRows << (type == 5 ? int(id) : order.indexOf(before.at(int(id))) - 1);
        std::sort(movedRows.begin(), movedRows.end());
        auto* command = new LayerMoveCommand(&document, false);
        command->SetCommandData(data);
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            QCOMPARE(Names(document), redone ? order : before);
            if (redone)
                QCOMPARE(SelectedRows(selection), movedRows);
        });
    }

    // A new order through one call, its inverse on undo, and the panel selection of each side.
    void sequence()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 5);
        document.CreateLayerMask(3, Pattern(7, 9, 2), false);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        selection.select(panel.index(0, 0), QItemSelectionModel::Select);
        panel.SetLayerSelected(0, true);
        const QList<unsigned int> sequence{0, 3, 1, 4, 2};
        QCOMPARE(ChangeLayersSequence::Inverse(sequence), (QList<unsigned int>{0, 2, 4, 1, 3}));
        QVERIFY(ChangeLayersSequence::Inverse({0, 1, 1}).isEmpty());
        QVERIFY(ChangeLayersSequence::Inverse({0, 3, 1}).isEmpty());
        auto* command = new ChangeLayersSequence(&panel, &selection);
        command->SetCommandData(new ChangeLayersSequenceData(sequence, {0}, false));
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            QCOMPARE(Names(document), redone ? (QStringList{"L0", "L3", "L1", "L4", "L2"})
                                             : (QStringList{"L0", "L1", "L2", "L3", "L4"}));
            QCOMPARE(SelectedRows(selection), QList<int>{0});
            // Row 0 shows L3 after the redo, whose mask is the selected part.
            QCOMPARE(panel.GetLayerSelected(0), !redone);
            QCOMPARE(panel.GetMaskSelected(0), redone);
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
        });
    }

    void sequenceOfWrongLength()
    {
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 5);
        KXDocumentModel panel(&document);
        ChangeLayersSequence command(&panel, nullptr);
        ChangeLayersSequenceData data({0, 2, 1, 3}, {}, true);
        for (bool redo : {true, false}) {
            MessageCapture capture;
            if (redo)
                command.redoExec(&data);
            else
                command.undoExec(&data);
            CheckOneReport(capture, QStringLiteral("changelayerssequence"),
                           redo ? QStringLiteral("Cannot redo change layers seq.")
                                : QStringLiteral("Cannot undo change layers seq."));
        }
        QCOMPARE(Names(document), (QStringList{"L0", "L1", "L2", "L3", "L4"}));
        QCOMPARE(document.GetDocumentState(), 0);
    }

    // The host's merge result goes in as "Merge layer", selected; undo takes it out and gives the selection back.
    void mergeCommand()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 5);
        document.CreateLayerMask(4, Pattern(7, 9, 2), false);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        selection.select(panel.index(3, 0), QItemSelectionModel::Select);
        panel.SetMaskSelected(3, true);
        const KXImage32 result = Pattern(33, 22, 8);
        auto* command = new MergeCommand(&panel, &selection);
        command->SetCommandData(new MergeCommandData(2, result, QPoint(4, 5), 1, 0.5));
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), 0);
            if (redone) {
                QCOMPARE(Names(document), (QStringList{"L0", "L1", "Merge layer", "L2", "L3", "L4"}));
                QCOMPARE(document.GetLayerGeometry(2), QRect(4, 5, 33, 22));
                QVERIFY(document.GetLayerImage(2)->IsPixelEqual(result));
                QCOMPARE(document.GetLayerBlendMode(2), 1u);
                QCOMPARE(SelectedRows(selection), QList<int>{1});
                QVERIFY(panel.GetLayerSelected(1));
                QVERIFY(!panel.GetMaskSelected(4)); // the row selected before, moved up
            } else {
                QCOMPARE(SelectedRows(selection), QList<int>{3});
                QVERIFY(panel.GetMaskSelected(3));
                QVERIFY(!panel.GetLayerSelected(3));
            }
        });
        MergeCommand other(&panel, &selection);
        LayerDuplicateCommandData wrong(nullptr);
        other.redoExec(&wrong);
        other.undoExec(&wrong);
        QCOMPARE(document.GetLayerCount(), 6u);
    }

    void reports_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("data"); // 0 its own, 1 none, 2 another kind, 3 its own released
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<QString>("message");
        const QStringList commands{"layermaskcreatecommand", "layermaskremovecommand", "layerduplicatecommand",
                                   "layermergecommand", "layermovecommand"};
        for (const QString& command : commands) {
            for (bool redo : {true, false}) {
                const QString way = redo ? "redo" : "undo";
                QTest::addRow("%s %s: no document", qPrintable(command), qPrintable(way))
                    << command + ":" + way << 0 << false << "Wrong document.";
                QTest::addRow("%s %s: no data", qPrintable(command), qPrintable(way))
                    << command + ":" + way << 1 << true << "Error input data.";
                QTest::addRow("%s %s: other kind", qPrintable(command), qPrintable(way))
                    << command + ":" + way << 2 << true << "Error input data.";
                QTest::addRow("%s %s: released", qPrintable(command), qPrintable(way))
                    << command + ":" + way << 3 << true << "Error to get data.";
            }
        }
    }

    // A refused execution reports once and leaves the document alone.
    void reports()
    {
        QFETCH(QString, command);
        QFETCH(int, data);
        QFETCH(bool, withDocument);
        QFETCH(QString, message);
        const QString name = command.section(':', 0, 0);
        const bool redo = command.section(':', 1) == "redo";
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 4);
        document.CreateLayerMask(2, Pattern(5, 5, 1), false);
        document.SetDocumentState(5);
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        KXDocumentInterface* target = withDocument ? &document : nullptr;

        std::unique_ptr<VornCommand> executed;
        std::unique_ptr<VornCommandData> own;
        if (name == "layermaskcreatecommand") {
            executed.reset(new LayerMaskCreateCommand(target, false));
            auto* mask = new LayerMaskCreateCommandData(LayerMaskCreateCommandData::RevealAll, Pattern(5, 5, 1), true);
            mask->SetLayerId(1);
            own.reset(mask);
        } else if (name == "layermaskremovecommand") {
            executed.reset(new LayerMaskRemoveCommand(target, false));
            auto* mask = new LayerMaskRemoveCommandData;
            mask->SetLayerId(2);
            own.reset(mask);
        } else if (name == "layerduplicatecommand") {
            executed.reset(new LayerDuplicateCommand(target, false));
            auto* duplicate = new LayerDuplicateCommandData(nullptr);
            duplicate->SetLayerId(2);
            own.reset(duplicate);
        } else if (name == "layermergecommand") {
            executed.reset(new LayerMergeCommand(target, false));
            auto* merge = new LayerMergeCommandData(nullptr);
            merge->MergeLayer(2, &document);
            own.reset(merge);
        } else {
            executed.reset(new LayerMoveCommand(target, false));
            auto* move = new LayerMoveCommandData(LayerMoveCommandData::MoveUp, nullptr, nullptr, -1);
            move->AddLayer(1);
            own.reset(move);
        }
        if (data == 3)
            own->ReleaseSerializeData();
        // Another kind: mask paint data (23, like move data) for every command but move, which gets mask create data.
        LayerMaskPaintCommandData maskPaint;
        LayerMaskCreateCommandData maskCreate(LayerMaskCreateCommandData::HideAll, KXImage32(), false);
        VornCommandData* other = name == "layermovecommand" ? static_cast<VornCommandData*>(&maskCreate) : &maskPaint;
        VornCommandData* passed = data == 1 ? nullptr : data == 2 ? other : own.get();
        MessageCapture capture;
        if (redo)
            executed->redoExec(passed);
        else
            executed->undoExec(passed);
        CheckOneReport(capture, name, message);
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after a refused execution");
        QCOMPARE(document.GetDocumentState(), 5);
    }

    // Ids out of range reach the document as a defined no-op.
    void idsOutOfRange()
    {
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 3);
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        LayerMaskCreateCommandData mask(LayerMaskCreateCommandData::RevealAll, Pattern(5, 5, 1), true);
        mask.SetLayerId(40);
        LayerMaskCreateCommand create(&document, false);
        create.redoExec(&mask);
        create.undoExec(&mask);
        LayerDuplicateCommandData duplicate(nullptr);
        duplicate.SetLayerId(0xFFFFFFFFu);
        LayerDuplicateCommand duplicateCommand(&document, false);
        duplicateCommand.undoExec(&duplicate);
        duplicateCommand.redoExec(&duplicate);
        LayerMaskInvertCommand invert(&document);
        invert.addLayerId(77);
        invert.redoExec(nullptr);
        invert.undoExec(nullptr);
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after ids out of range");

        // Moves the host must not ask for (the bottom layer, below 0, past the
        // top) target ids out of range; undo still gives the document back.
        KXDocumentModel panel(&document);
        for (auto type : {LayerMoveCommandData::MoveDown, LayerMoveCommandData::MoveUp, LayerMoveCommandData::MoveToPos}) {
            LayerMoveCommandData move(type, &panel, nullptr, -1);
            move.AddLayer(type == LayerMoveCommandData::MoveUp ? 2 : 0);
            LayerMoveCommand moveCommand(&document, false);
            moveCommand.redoExec(&move);
            moveCommand.undoExec(&move);
            CompareFingerprints(DocumentFingerprint::Take(document), before, "after a move out of range");
        }
    }
};

QTEST_MAIN(TestLayerStructureCommands)
#include "tst_layerstructurecommands.moc"
