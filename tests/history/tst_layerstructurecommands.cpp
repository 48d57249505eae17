#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#include "KXComposeHelper.h"
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
#include "layermaskenable.h"
#include "layermaskinvertcommand.h"
#include "layermaskpaintcommanddata.h"
#include "layermaskremovecommand.h"
#include "layermaskremovecommanddata.h"
#include "layermergecommand.h"
#include "layermergecommanddata.h"
#include "layermovecommand.h"
#include "layermovecommanddata.h"
#include "mergecommanddata.h"
#include "recordcheck.h"
#include "roundtrip.h"

namespace {

// Layers "L0" .. "L<count - 1>", each its own pattern at its own place.
void BuildLayers(KXMemoryDocument& document, int count)
{
    for (int i = 0; i < count; ++i)
        document.AddRasterLayer(QStringLiteral("L%1").arg(i), PatternImage(20 + i, 12 + i, quint32(i)), QPoint(i * 3, -i));
}

QList<int> SelectedRows(const QItemSelectionModel& selection)
{
    QList<int> rows;
    for (const QModelIndex& index : selection.selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The data of each kind, holding what its record in recordBytes holds.
std::unique_ptr<VornCommandData> MakeData(const QString& kind)
{
    if (kind == "maskcreate") {
        auto data = std::make_unique<LayerMaskCreateCommandData>(
            LayerMaskCreateCommandData::MaskType(7), PatternImage(4, 4, 1), true);
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
    if (kind == "layermerge") { // its record is made from a document or read
        auto data = std::make_unique<LayerMergeCommandData>(nullptr);
        ReadRecord(Hex("00000000 00000000"), *data);
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
}

// The command of each kind (merge: the layer merge), holding data when given.
VornCommand* MakeCommand(const QString& kind, KXDocumentInterface* document, VornCommandData* data = nullptr)
{
    VornCommand* command = kind == "maskcreate" ? static_cast<VornCommand*>(new LayerMaskCreateCommand(document, false))
        : kind == "maskremove"                  ? static_cast<VornCommand*>(new LayerMaskRemoveCommand(document, false))
        : kind == "duplicate"                   ? static_cast<VornCommand*>(new LayerDuplicateCommand(document, false))
        : kind == "move"                        ? static_cast<VornCommand*>(new LayerMoveCommand(document, false))
                                                : new LayerMergeCommand(document, false);
    if (data)
        command->SetCommandData(data);
    return command;
}

QString StructureReport(const QString& source, const QString& message)
{
    return ReportPattern(QStringLiteral("src/layerchangecommands/%1.cpp").arg(source), message);
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
        QTest::newRow("mask create") << "maskcreate" << Hex("00000005 fffffffd 00000002 0000000000000000 00000001");
        QTest::newRow("mask remove") << "maskremove"
                                     << Hex("0000000000000000 00000001 00000002 00000003 00000001 00000000");
        QTest::newRow("duplicate") << "duplicate" << Hex("0000000b");
        QTest::newRow("merge, nothing added") << "layermerge" << Hex("00000000 00000000");
        QTest::newRow("merge command") << "merge"
                                       << Hex("00000002 0000000000000000 00000003 00000004 00000001 3fe0000000000000");
        QTest::newRow("move to position") << "move" << Hex("00000000 00000006 00000004");
        QTest::newRow("sequence") << "sequence"
                                  << Hex("00000001 00000003 00000002 00000000 00000001 00000001 00000001");
    }
    void recordBytes()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        CheckRecord(*MakeData(kind), *MakeData(kind), bytes);
    }

    // Hostile counts: nothing is allocated ahead and the record is dropped.
    void hostileCounts()
    {
        LayerMergeCommandData merge(nullptr);
        QVERIFY(!ReadRecord(Hex("ffffffff 00000000"), merge));
        QCOMPARE(merge.GetLayerCount(), 0);
        ChangeLayersSequenceData sequence({}, {}, false);
        QVERIFY(!ReadRecord(Hex("00000001 7fffffff 00000001"), sequence));
        QVERIFY(sequence.GetRedoSequence().isEmpty());
    }

    // Number 19 is shared: the duplicate command takes create data too and reads its layer id.
    void sharedTypeNumbers()
    {
        LayerCreateCommandData create(nullptr, LayerCreateCommandData::RasterLayer, -1);
        create.SetLayerId(1);
        KXMemoryDocument document(QSize(40, 40));
        BuildLayers(document, 2);
        LayerDuplicateCommand(&document, false).redoExec(&create);
        QCOMPARE(document.GetLayerName(1), QStringLiteral("L1 copy"));
    }

    void maskCreate_data()
    {
        QTest::addColumn<int>("kind");
        for (int kind = 0; kind <= 7; ++kind)
            QTest::addRow("kind %d", kind) << kind;
    }
    // Each kind builds its mask; create and undo it through the temporary file.
    void maskCreate()
    {
        QFETCH(int, kind);
        const bool maskType = kind % 2 == 1;
        const KXImage32 source = PatternImage(150, 40, 9);
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
        CheckRoundTrip(history, document, MakeCommand("maskcreate", &document, data), 2, [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
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
        document.CreateLayerMask(1, PatternImage(30, 50, 4), maskType);
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
        CheckRoundTrip(history, document, MakeCommand("maskremove", &document, data), 2,
            [&](bool redone) { QCOMPARE(document.HasLayerMask(1), !redone); });
    }

    // Inverting twice gives the first types back; each execution refreshes the whole view once.
    void maskInvert()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 5);
        document.CreateLayerMask(2, PatternImage(10, 10, 1), false);
        document.CreateLayerMask(4, PatternImage(10, 10, 2), true);
        QSignalSpy views(&document, &KXDocumentInterface::viewUpdateRequested);
        QSignalSpy masks(&document, &KXDocumentInterface::layerMaskChanged);
        auto* command = new LayerMaskInvertCommand(&document);
        command->addLayerId(2);
        command->addLayerId(4);
        MessageCapture capture;
        int executions = 0;
        CheckRoundTrip(history, document, command, 2, [&](bool redone) {
            ++executions;
            bool types[2] = {!redone, redone};
            document.GetMaskType(2, types[0]);
            document.GetMaskType(4, types[1]);
            QCOMPARE(types[0], redone);
            QCOMPARE(types[1], !redone);
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
            QCOMPARE(views.size(), executions);
            QCOMPARE(views.last().first().toRect(), QRect(0, 0, -1, -1));
        });
        QVERIFY(masks.size() >= 2 * executions);
        QVERIFY(capture.texts().isEmpty());
    }

    // The enable command never moves the state counter and writes its data cleanly (the demo toggles masks).
    void maskEnable()
    {
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 4);
        document.CreateLayerMask(3, PatternImage(10, 10, 1), false);
        MessageCapture capture;
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
            document.AddRasterLayer(name, PatternImage(8, 8, 1));
        // The host has made the copy at the top, with the source's pixels.
        const unsigned int id = document.AddRasterLayer(copyName, PatternImage(9, 7, 3), QPoint(2, 3));
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
        document.AddRasterLayer(QStringLiteral("Sky"), PatternImage(30, 20, 5), QPoint(1, 2));
        const DocumentFingerprint original = DocumentFingerprint::Take(document);
        // The copy sits above its source, at id 2; it has a mask and locks.
        document.CreateRasterLayer(QStringLiteral("L1"), 2);
        document.SetLayerImage(2, PatternImage(21, 13, 1));
        document.CreateLayerMask(2, PatternImage(5, 6, 2), true);
        document.SetLayerLocks(2, 5);
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        auto* data = new LayerDuplicateCommandData(&selection);
        data->SetLayerId(2);
        history.stack.push(MakeCommand("duplicate", &document, data));
        QCOMPARE(LayerNames(document), (QStringList{"L0", "L1", "L1 copy", "L2", "L3", "Sky"}));
        CheckUndoRedo(history, document, original, 2, [&](bool redone) {
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
            if (redone)
                QCOMPARE(document.GetLayerLocks(2), 5u);
        });
    }

    // The table that turns a layer's blend mode into the blender's (unknown: 0xFFFFFFFF).
    void mergeBlendModes()
    {
        QVector<unsigned int> modes;
        for (unsigned int mode : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u, 32u, 13u, 33u})
            modes << KXComposeHelper::ToImageBlendMode(mode);
        QCOMPARE(modes, (QVector<unsigned int>{0, 13, 14, 15, 22, 23, 17, 16, 21, 20, 18, 19, 12, 8, 0xFFFFFFFF,
                            0xFFFFFFFF}));
    }

    void merge_data()
    {
        QTest::addColumn<unsigned int>("blendMode");
        QTest::addColumn<bool>("maskEnabled");
        // Normal, a mode the table renames, one it keeps, one past the gap, an unknown one.
        for (unsigned int mode : {0u, 1u, 12u, 32u, 13u})
            QTest::addRow("mode %u, mask disabled", mode) << mode << false;
        QTest::newRow("mode 1, mask enabled") << 1u << true;
    }
    // Two layers that do not overlap and one with a mask merge into one layer
    // equal pixel for pixel to a composition made here; a layer only marked
    // for deletion goes; everything comes back through the temporary file.
    void merge()
    {
        QFETCH(unsigned int, blendMode);
        QFETCH(bool, maskEnabled);
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        document.AddRasterLayer(QStringLiteral("Background"), PatternImage(100, 100, 0));
        document.AddRasterLayer(QStringLiteral("A"), PatternImage(30, 20, 1), QPoint(0, 0));
        document.AddRasterLayer(QStringLiteral("B"), PatternImage(20, 20, 2), QPoint(50, 10));
        document.AddRasterLayer(QStringLiteral("C"), PatternImage(40, 20, 3), QPoint(10, 5));
        document.AddRasterLayer(QStringLiteral("D"), PatternImage(10, 10, 4), QPoint(5, 5));
        document.SetLayerBlendMode(2, blendMode);
        document.SetLayerOpacity(2, 0.6);
        document.SetLayerOpacity(3, 0.8);
        document.CreateLayerMask(3, PatternImage(16, 12, 5), true);
        document.SetMaskPos(3, QPoint(20, 8));
        document.SetMaskEnabled(3, maskEnabled);
        document.SetLayerVisible(1, false); // not consulted

        // The reference: from the highest id down onto transparent pixels spanning A, B and C.
        KXImage32 reference(70, 30);
        if (maskEnabled)
            BlendMaskOn(*document.GetLayerImage(3), QRect(0, 0, 40, 20), KXBlendNormal, reference,
                        QRect(10, 5, 40, 20), 0.8, *document.GetLayerMask(3), QRect(20, 8, 16, 12), true, false);
        else
            BlendOn(*document.GetLayerImage(3), QRect(0, 0, 40, 20), KXBlendNormal, reference, QRect(10, 5, 40, 20),
                    0.8, false);
        BlendOn(*document.GetLayerImage(2), QRect(0, 0, 20, 20), KXComposeHelper::ToImageBlendMode(blendMode),
                reference, QRect(50, 10, 20, 20), 0.6, false);
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
        CheckRoundTrip(history, document, MakeCommand("layermerge", &document, data), 2, [&](bool redone) {
            QCOMPARE(LayerNames(document), redone ? (QStringList{"Background", "Merged Layer", "A", "B", "C"})
                                                  : (QStringList{"Background", "A", "B", "C", "D"}));
            if (!redone)
                return;
            QCOMPARE(document.GetLayerGeometry(1), QRect(0, 0, 70, 30));
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
        QVERIFY(!data.IsPremerged() && merged.image.IsEmpty() && merged.name.isEmpty());
    }

    void move_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QList<unsigned int>>("ids");
        QTest::addColumn<unsigned int>("position");
        QTest::addColumn<QString>("digits");
        using L = QList<unsigned int>;
        QTest::newRow("bottom 3 5") << 1 << L{5, 3} << 0u << "035124";
        QTest::newRow("down 3 4") << 2 << L{3, 4} << 0u << "013425";
        QTest::newRow("down 2 4") << 2 << L{2, 4} << 0u << "021435";
        QTest::newRow("up 1 2") << 3 << L{1, 2} << 0u << "031245";
        QTest::newRow("top 2 3") << 4 << L{2, 3} << 0u << "014523";
        QTest::newRow("top 4 5 (already)") << 4 << L{4, 5} << 0u << "012345";
        QTest::newRow("reverse 2 3 4") << 5 << L{2, 3, 4} << 0u << "014325";
        QTest::newRow("position: 2 to 5") << 6 << L{2} << 5u << "013425";
        QTest::newRow("position: 4 to 1") << 6 << L{4} << 1u << "041235";
        QTest::newRow("position: 1 4 to 3") << 6 << L{1, 4} << 3u << "021435";
        QTest::newRow("position: 2 3 to 5") << 6 << L{3, 2} << 5u << "014235";
        QTest::newRow("position: 5 1 to 2") << 6 << L{5, 1} << 2u << "015234";
    }
    // Each rule on six layers (L2 masked, L3 text: moves re-create its text
    // attributes too); undo gives back the exact order and pixels, and the
    // panel selects the rows of the moved layers.
    void move()
    {
        QFETCH(int, type);
        QFETCH(QList<unsigned int>, ids);
        QFETCH(unsigned int, position);
        QFETCH(QString, digits);
        QStringList order;
        for (QChar digit : digits)
            order << QStringLiteral("L") + digit;
        HistoryFixture history;
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 6);
        document.CreateLayerMask(2, PatternImage(7, 9, 2), true);
        document.SetMaskPos(2, QPoint(3, 4));
        document.RemoveLayer(3);
        document.CreateTextLayer(QStringLiteral("L3"), 3);
        document.SetText(3, QStringLiteral("Hello"));
        document.SetTextPosition(3, QPoint(2, 3));
        document.SetLayerImage(3, PatternImage(17, 9, 3));
        document.MoveLayer(3, QPoint(4, -2));
        KXDocumentModel panel(&document);
        QItemSelectionModel selection(&panel);
        auto* data = new LayerMoveCommandData(LayerMoveCommandData::CommandType(type), &panel, &selection, -1);
        data->SetPos(position);
        const QStringList before = LayerNames(document);
        QList<int> movedRows;
        // Row r shows layer id r + 1; a reversal selects the rows of the layers' ids.
        for (unsigned int id : ids) {
            data->AddLayer(id);
            movedRows << (type == 5 ? int(id) : order.indexOf(before.at(int(id))) - 1);
        }
        std::sort(movedRows.begin(), movedRows.end());
        CheckRoundTrip(history, document, MakeCommand("move", &document, data), 2, [&](bool redone) {
            QCOMPARE(LayerNames(document), redone ? order : before);
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
        document.CreateLayerMask(3, PatternImage(7, 9, 2), false);
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
            QCOMPARE(LayerNames(document).join(""), QString::fromLatin1(redone ? "L0L3L1L4L2" : "L0L1L2L3L4"));
            QCOMPARE(SelectedRows(selection), QList<int>{0});
            // Row 0 shows L3 after the redo, whose mask is the selected part.
            QCOMPARE(panel.GetLayerSelected(0), !redone);
            QCOMPARE(panel.GetMaskSelected(0), redone);
            QCOMPARE(document.GetDocumentState(), redone ? 1 : 0);
        });

        // A sequence of the wrong length is reported and changes nothing.
        ChangeLayersSequenceData wrong({0, 2, 1, 3}, {}, true);
        const DocumentFingerprint now = DocumentFingerprint::Take(document);
        MessageCapture capture;
        command->redoExec(&wrong);
        command->undoExec(&wrong);
        CompareReports(capture.texts(), {StructureReport("changelayerssequence", "Cannot redo change layers seq."),
                                            StructureReport("changelayerssequence", "Cannot undo change layers seq.")});
        CompareFingerprints(DocumentFingerprint::Take(document), now, "after a sequence of the wrong length");
        QCOMPARE(document.GetDocumentState(), 1);
    }

    void reports_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<int>("data"); // 0 its own, no document; 1 none; 2 another kind; 3 its own released
        QTest::addColumn<QString>("message");
        const char* const messages[] = {"Wrong document.", "Error input data.", "Error input data.", "Error to get data."};
        const char* const inputs[] = {"no document", "no data", "other kind", "released"};
        for (const char* kind : {"maskcreate", "maskremove", "duplicate", "layermerge", "move"})
            for (bool redo : {true, false})
                for (int data = 0; data < 4; ++data)
                    QTest::addRow("%s %s: %s", kind, redo ? "redo" : "undo", inputs[data])
                        << kind << redo << data << messages[data];
    }
    // A refused execution reports once and leaves the document alone.
    void reports()
    {
        QFETCH(QString, kind);
        QFETCH(bool, redo);
        QFETCH(int, data);
        QFETCH(QString, message);
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 4);
        document.CreateLayerMask(2, PatternImage(5, 5, 1), false);
        document.SetDocumentState(5);
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        std::unique_ptr<VornCommand> command(MakeCommand(kind, data == 0 ? nullptr : &document));
        std::unique_ptr<VornCommandData> own = MakeData(kind);
        if (data == 3)
            own->ReleaseSerializeData();
        // Another kind: mask paint data (23, like move data) for every command but move, which gets mask create data.
        LayerMaskPaintCommandData maskPaint;
        LayerMaskCreateCommandData maskCreate(LayerMaskCreateCommandData::HideAll, KXImage32(), false);
        VornCommandData* other = kind == "move" ? static_cast<VornCommandData*>(&maskCreate) : &maskPaint;
        VornCommandData* passed = data == 1 ? nullptr : data == 2 ? other : own.get();
        MessageCapture capture;
        if (redo)
            command->redoExec(passed);
        else
            command->undoExec(passed);
        const QString source = kind == "layermerge" ? QStringLiteral("layermergecommand")
                                                    : QStringLiteral("layer%1command").arg(kind);
        CompareReports(capture.texts(), {StructureReport(source, message)});
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after a refused execution");
        QCOMPARE(document.GetDocumentState(), 5);
    }

    // Ids out of range reach the document as a defined no-op; so do moves the
    // host must not ask for (the bottom layer, below 0, past the top).
    void idsOutOfRange()
    {
        KXMemoryDocument document(QSize(100, 100));
        BuildLayers(document, 3);
        const DocumentFingerprint before = DocumentFingerprint::Take(document);
        KXDocumentModel panel(&document);
        LayerMaskCreateCommandData mask(LayerMaskCreateCommandData::RevealAll, PatternImage(5, 5, 1), true);
        mask.SetLayerId(40);
        LayerDuplicateCommandData duplicate(nullptr);
        duplicate.SetLayerId(0xFFFFFFFFu);
        LayerMoveCommandData down(LayerMoveCommandData::MoveDown, &panel, nullptr, -1);
        down.AddLayer(0);
        LayerMoveCommandData up(LayerMoveCommandData::MoveUp, &panel, nullptr, -1);
        up.AddLayer(2);
        LayerMoveCommandData toPos(LayerMoveCommandData::MoveToPos, &panel, nullptr, -1);
        toPos.AddLayer(0);
        const QList<QPair<QString, VornCommandData*>> runs{
            {"maskcreate", &mask}, {"duplicate", &duplicate}, {"move", &down}, {"move", &up}, {"move", &toPos}};
        for (const auto& run : runs) {
            std::unique_ptr<VornCommand> command(MakeCommand(run.first, &document));
            command->redoExec(run.second);
            command->undoExec(run.second);
            CompareFingerprints(DocumentFingerprint::Take(document), before, qPrintable(run.first));
        }
        LayerMaskInvertCommand invert(&document);
        invert.addLayerId(77);
        invert.redoExec(nullptr);
        invert.undoExec(nullptr);
        CompareFingerprints(DocumentFingerprint::Take(document), before, "after ids out of range");
    }
};

QTEST_MAIN(TestLayerStructureCommands)
#include "tst_layerstructurecommands.moc"
