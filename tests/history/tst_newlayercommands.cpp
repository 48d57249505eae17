#include <QItemSelectionModel>
#include <QtTest>

#include <memory>

#include "KXDocumentModel.h"
#include "KXImageHelper.h"
#include "KXMemoryDocument.h"
#include "ZTAdjustmentManager.h"
#include "ZTBrightnessContrast.h"
#include "adjustmentchangecommand.h"
#include "adjustmentchangecommanddata.h"
#include "converttexttoimagelayercommand.h"
#include "layerduplicatecommanddata.h"
#include "layerupdatetextdatacommand.h"
#include "newadjustmentlayerdata.h"
#include "newlayercommand.h"
#include "newrasterlayerdata.h"
#include "newtextlayerdata.h"
#include "recordcheck.h"
#include "roundtrip.h"
#include "textlayerchangecommand.h"
#include "textlayerchangecommanddata.h"

namespace {

using Update = LayerUpdateTextDataCommand;

const QString kTextFile = QStringLiteral("src/layerchangecommands/textlayerchangecommand.cpp");
const QString kAdjustmentFile = QStringLiteral("src/layerchangecommands/adjustmentchangecommand.cpp");
const QString kConvertFile = QStringLiteral("src/layerchangecommands/converttexttoimagelayercommand.cpp");
const QString kBadInput = QStringLiteral("Error command. No Document or No CommandData.");

QFont textFont(int pixels = 20)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    return font;
}

void render(KXDocumentInterface& document, unsigned int id)
{
    KXImageHelper helper;
    helper.InitHelper(&document, id);
    helper.SetRenderMode(document.GetTextRenderMode(id));
    QTransform placement;
    helper.drawImage(&document, id, QTransform(), placement, false, false);
}

KXImage32 filled(unsigned int width, unsigned int height, const KXRGBA32i& pixel)
{
    KXImage32 image(width, height);
    image.Fill(pixel);
    return image;
}

} // namespace

class TestNewLayerCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_history.reset(new HistoryFixture);
        m_document.reset(new KXMemoryDocument(QSize(60, 40)));
        for (const char* name : { "Background", "Layer 1", "Layer 2" })
            m_document->AddRasterLayer(QString::fromLatin1(name), filled(60, 40, KXRGBA32i(200, 100, 50, 255)));
        m_panel.reset(new KXDocumentModel(m_document.get()));
        m_selection.reset(new QItemSelectionModel(m_panel.get()));
        // Row 1 (layer 2): a new layer at id 1 or 2 pushes it up a row.
        m_selection->select(m_panel->index(1, 0), QItemSelectionModel::Select);
        m_panel->SetLayerSelected(1, true);
    }

    void cleanup()
    {
        m_history.reset();
        m_selection.reset();
        m_panel.reset();
        m_document.reset();
    }

    // A text typed as a live edit: the host makes the layer and types while the
    // command waits; the commit names the layer after its text and copies its
    // attributes; the first redo only counts. (Undo and the redo from the
    // record file: the demo's typed text.)
    void typedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        QTest::newRow("11 characters") << QStringLiteral("Hello world") << QStringLiteral("Hello w...");
        QTest::newRow("10 characters") << QStringLiteral("Hello worl") << QStringLiteral("Hello worl");
        QTest::newRow("empty keeps the name") << QString() << QStringLiteral("Text layer");
    }
    void typedText()
    {
        QFETCH(QString, text);
        QFETCH(QString, name);
        const unsigned int id = 3;
        auto* data = new NewTextLayerData;
        data->SetLayerID(id);
        data->SetOpacity(1.0);
        auto* command = new NewLayerCommand(m_panel.get(), m_selection.get(), true);
        command->SetCommandData(data);
        QList<int> states;
        connect(m_document.get(), &KXDocumentInterface::documentStateChanged, this, [&](int s) { states << s; });

        m_history->stack.pushDelayed(command);
        QVERIFY(!command->GetCreate());
        m_document->CreateTextLayer(QStringLiteral("Text layer"), id);
        m_document->SetTextFont(id, textFont(24));
        m_document->SetTextBrush(id, QBrush(QColor(250, 40, 40)));
        m_document->SetTextPosition(id, QPoint(2, 3));
        m_selection->setCurrentIndex(m_panel->index(int(id) - 1, 0), QItemSelectionModel::ClearAndSelect);
        render(*m_document, id);
        for (int typed = 1; typed <= text.size(); ++typed) {
            m_document->SetText(id, text.left(typed));
            render(*m_document, id);
        }
        m_history->stack.commit();
        QCOMPARE(states, (QList<int> { 1, 0, 1 }));
        QCOMPARE(m_document->GetLayerCount(), 4u);
        QCOMPARE(m_document->GetLayerName(id), name);
        QVERIFY(command->GetCreate());
    }

    // A plain push of a command built with create false wraps a layer that
    // already exists: the push's redo only counts, and nothing is created.
    void createFalseFirstRedoOnlyCounts()
    {
        m_document->InsertRasterLayer(
            QStringLiteral("Made"), filled(4, 4, KXRGBA32i(1, 2, 3, 255)), QPoint(), 0, 1.0, 1);
        std::unique_ptr<NewRasterLayerData> data(new NewRasterLayerData);
        data->SetLayerID(1);
        data->SetName(QStringLiteral("Made"));
        data->SetOpacity(1.0);
        data->SetRaster(filled(4, 4, KXRGBA32i(1, 2, 3, 255)));
        std::unique_ptr<NewLayerCommand> command(new NewLayerCommand(m_panel.get(), m_selection.get(), false));
        const QString made = QStringLiteral("Background,Made,Layer 1,Layer 2");
        command->redoExec(data.get());
        QCOMPARE(LayerNames(*m_document).join(','), made);
        command->undoExec(data.get());
        QCOMPARE(LayerNames(*m_document).join(','), QStringLiteral("Background,Layer 1,Layer 2"));
        command->redoExec(data.get());
        QCOMPARE(LayerNames(*m_document).join(','), made);
        QCOMPARE(m_document->GetDocumentState(), 1);
    }

    // Exact record bytes of the small data classes, their read back, a record
    // cut short, and the getters without a record.
    void records_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QByteArray>("record");
        const QByteArray common = QByteArray::fromHex("00000002 0041 00000003 3fe0000000000000 00000001 00000005"
                                                      "0000000d 00000000 00000000 00000002 ffffffff");
        QTest::newRow("new adjustment layer")
            << 0 << 27u << QByteArray::fromHex("0000000c 004c006500760065006c0073 00000002 0102") + common;
        QTest::newRow("new raster layer")
            << 1 << 34u << QByteArray::fromHex("00000000 00000000 00000007 00000009") + common;
        QTest::newRow("adjustment change") << 2 << 40u << QByteArray::fromHex("00000001 ff 00000000 00000007");
    }
    void records()
    {
        QFETCH(int, which);
        QFETCH(unsigned int, type);
        QFETCH(QByteArray, record);
        const auto make = [which](bool fill) -> VornCommandData* {
            NewLayerData* layer = nullptr;
            if (which == 0) {
                auto* data = new NewAdjustmentLayerData;
                if (fill) {
                    data->SetAdjustmentID(QStringLiteral("Levels"));
                    data->SetParams(QByteArray::fromHex("0102"));
                }
                layer = data;
            } else if (which == 1) {
                auto* data = new NewRasterLayerData;
                if (fill)
                    data->SetRasterPos(QPoint(7, 9));
                layer = data;
            } else {
                auto* data = new AdjustmentChangeCommandData;
                if (fill) {
                    data->SetPrevParams(QByteArray::fromHex("ff"));
                    data->SetNewParams(QByteArray(""));
                    data->SetLayerID(7);
                }
                return data;
            }
            if (fill) {
                layer->SetName(QStringLiteral("A"));
                layer->SetLayerID(3);
                layer->SetOpacity(0.5);
                layer->SetBlendMode(1);
                layer->SetLocks(5);
                layer->SetMaskEnabled(true);
                layer->SetMaskCreated(true);
                layer->SetMaskType(true);
                layer->SetMaskLinked(true);
                layer->SetMaskLinked(false);
                layer->SetMaskPos(QPoint(2, -1));
            }
            return layer;
        };
        std::unique_ptr<VornCommandData> data(make(true));
        QCOMPARE(data->GetDataType(), type);
        std::unique_ptr<VornCommandData> copy(make(false));
        QVERIFY(RecordOf(*copy).isEmpty()); // no record yet
        CheckRecord(*data, *copy, record);
    }

    // The two text records against the same fields written one by one in
    // their documented order (every value distinct, so any swap shows).
    void textRecords()
    {
        const QFont font = textFont(17);
        const QFont undoFont = textFont(31);
        const QBrush brush(Qt::red, Qt::Dense3Pattern);
        const QMatrix4x4 matrix(QTransform(1, 2, 3, 4, 5, 6));
        const QMatrix4x4 undoMatrix(QTransform::fromScale(7, 8));
        NewTextLayerData layer;
        layer.SetText(QStringLiteral("T"));
        layer.SetFont(font);
        layer.SetBrush(brush);
        layer.SetPosition(QPoint(1, 2));
        layer.SetStyle(3);
        layer.SetRenderMode(4);
        layer.SetBend(0.5);
        layer.SetHDistortion(0.25);
        layer.SetVDistortion(0.125);
        layer.SetTransformation(matrix);
        layer.SetOrientation(true);
        layer.SetName(QStringLiteral("N"));
        layer.SetLayerID(9);
        QCOMPARE(RecordOf(layer), WrittenBytes([&](IWriter* expected) {
            expected->WriteString(QStringLiteral("T"));
            expected->WriteFont(font);
            expected->WriteBrush(brush);
            expected->WritePoint(QPoint(1, 2));
            expected->WriteInt(3);
            expected->WriteInt(4);
            expected->WriteQReal(0.5);
            expected->WriteQReal(0.25);
            expected->WriteQReal(0.125);
            expected->WriteMatrix4x4(matrix);
            expected->WriteInt(1);
            expected->WriteString(QStringLiteral("N"));
            expected->WriteUInt(9);
            expected->WriteQReal(0); // opacity
            for (int zero = 0; zero < 7; ++zero)
                expected->WriteUInt(0); // blend mode, locks, mask flags, empty mask, mask position
            return true;
        }));

        TextLayerChangeCommandData change;
        change.SetText(QStringLiteral("R"));
        change.SetUndoText(QStringLiteral("U"));
        change.SetFont(font);
        change.SetUndoFont(undoFont);
        change.SetBrush(brush);
        change.SetUndoBrush(QBrush(Qt::green));
        change.SetPosition(QPoint(1, 2));
        change.SetUndoPosition(QPoint(3, 4));
        change.SetStyle(5);
        change.SetUndoStyle(6);
        change.SetRenderMode(7);
        change.SetUndoRenderMode(8);
        change.SetLayerID(10);
        change.SetBend(0.5);
        change.SetUndoBend(-0.5);
        change.SetHDistortion(0.25);
        change.SetUndoHDistortion(-0.25);
        change.SetVDistortion(0.125);
        change.SetUndoVDistortion(-0.125);
        change.SetTransformation(matrix);
        change.SetUndoTransformation(undoMatrix);
        change.SetOrientation(false);
        change.SetUndoOrientation(true);
        const QByteArray record = WrittenBytes([&](IWriter* expected) {
            expected->WriteString(QStringLiteral("R"));
            expected->WriteString(QStringLiteral("U"));
            expected->WriteFont(font);
            expected->WriteFont(undoFont);
            expected->WriteBrush(brush);
            expected->WriteBrush(QBrush(Qt::green));
            expected->WritePoint(QPoint(1, 2));
            expected->WritePoint(QPoint(3, 4));
            for (int value : { 5, 6, 7, 8 })
                expected->WriteInt(value);
            expected->WriteUInt(10);
            for (double value : { 0.5, -0.5, 0.25, -0.25, 0.125, -0.125 })
                expected->WriteQReal(value);
            expected->WriteMatrix4x4(matrix);
            expected->WriteMatrix4x4(undoMatrix);
            expected->WriteInt(0);
            expected->WriteInt(1);
            return true;
        });
        TextLayerChangeCommandData copy;
        CheckRecord(change, copy, record);
    }

    // A text edit as a live edit: the host fills the undo set, types and
    // restyles the layer in the document, commits; undo and redo read the
    // record back and render the pixels again each time.
    void textChangeLiveEdit()
    {
        const unsigned int id = m_document->AddTextLayer(
            QStringLiteral("Title"), QStringLiteral("Evening"), textFont(), Qt::white, QPoint(5, 5));
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        auto* data = new TextLayerChangeCommandData;
        data->SetLayerID(id);
        data->SetUndoText(m_document->GetText(id));
        data->SetUndoFont(m_document->GetTextFont(id));
        data->SetUndoBrush(m_document->GetTextBrush(id));
        data->SetUndoPosition(m_document->GetTextPosition(id));
        data->SetUndoRenderMode(m_document->GetTextRenderMode(id));
        auto* command = new TextLayerChangeCommand(m_document.get());
        command->SetCommandData(data);

        m_history->stack.pushDelayed(command);
        QCOMPARE(m_document->GetDocumentState(), 1);
        m_document->SetText(id, QStringLiteral("Evening sky"));
        m_document->SetTextFont(id, textFont(26));
        m_document->SetTextBrush(id, QBrush(QColor(255, 200, 0)));
        m_document->SetTextStyle(id, 1);
        m_document->SetTextOrientation(id, true);
        m_document->SetTextHDistortion(id, 0.2);
        m_document->SetTextVDistortion(id, -0.1);
        m_document->SetTextBend(id, -0.4);
        render(*m_document, id);
        QVERIFY(DocumentFingerprint::Take(*m_document).layers.at(int(id)).pixels != before.layers.at(int(id)).pixels);
        m_history->stack.commit();
        QCOMPARE(m_document->GetDocumentState(), 1);
        // Pixels left stale by the host must not matter: each execution renders.
        CheckUndoRedo(*m_history, *m_document, before, 2, [&](bool) { m_document->SetLayerImage(id, KXImage32()); });
        QCOMPARE(m_document->GetDocumentState(), 1);
    }

    // LayerUpdateTextDataCommand applies only the marked attributes, never
    // moves the counter, and renders the layer each time.
    void updateText_data()
    {
        QTest::addColumn<int>("marked");
        QTest::addColumn<int>("flags");
        QTest::newRow("bend only") << 0 << 0x20;
        QTest::newRow("deformation only") << 1 << 0x800;
        QTest::newRow("every attribute") << 2 << 0x1FFF;
        QTest::newRow("nothing marked") << 3 << 0;
    }
    void updateText()
    {
        QFETCH(int, marked);
        QFETCH(int, flags);
        const unsigned int id = m_document->AddTextLayer(
            QStringLiteral("Title"), QStringLiteral("Evening"), textFont(), Qt::white, QPoint(5, 5));
        m_document->SetText(id, QStringLiteral("Night"));
        render(*m_document, id);
        auto* command = new Update(m_document.get(), id);
        // Stored in the redo set only: never applied unless its bit is marked.
        command->SetText(QStringLiteral("Ignored"), Update::RedoOnly);
        if (marked == 0) {
            QVERIFY(!command->SetTextBend(0.5, Update::Change));
            m_document->SetTextBend(id, 0.5); // a preview does not change what undo restores
            QVERIFY(!command->SetTextBend(0.25, Update::Change));
            m_document->SetTextBend(id, 0.0);
            double bend = 1;
            QVERIFY(command->GetTextBend(bend, Update::UndoOnly) && bend == 0.0); // the first capture
            QVERIFY(command->GetTextBend(bend, Update::Change) && bend == 0.25); // the last value
        } else if (marked == 1) {
            QVERIFY(!command->SetTextTransform(QMatrix4x4(QTransform(1, 0.2, 0, 1, 3, 0)), Update::Change));
        } else if (marked == 2) {
            QVERIFY(!command->SetText(QStringLiteral("Day"), Update::Change));
            QVERIFY(command->ReplaceTextFontFamilyFromLayer(QStringLiteral("DejaVu Sans"), Update::Change));
            QFont font;
            QVERIFY(!command->ReplaceTextFontWeightFromLayer(QFont(QStringLiteral("x"), 10, 63), Update::Change));
            QVERIFY(command->GetTextFont(font, Update::Change));
            QCOMPARE(font.weight(), int(QFont::Bold)); // 63 counts as bold
            // Each font helper starts again from the layer's font: the weight is not kept.
            QVERIFY(!command->ReplaceTextFontSizeFromLayer(30, Update::Change));
            QVERIFY(!command->ReplaceTextFontSizeFromLayer(0, Update::Change)); // refused, nothing stored
            QVERIFY(command->GetTextFont(font, Update::Change));
            QCOMPARE(font.weight(), int(QFont::Normal));
            QCOMPARE(font.pixelSize(), 30);
            QVERIFY(command->GetTextFont(font, Update::UndoOnly));
            QCOMPARE(font.pixelSize(), 20); // captured by the first font change
            QVERIFY(!command->SetTextColor(Qt::green, Update::Change));
            QVERIFY(command->SetTextColor(Qt::white, Update::RedoOnly)); // back to the layer's: an empty change
            QVERIFY(!command->SetTextColor(Qt::cyan, Update::Change));
            QVERIFY(!command->SetTextStyle(2, Update::Change));
            QVERIFY(!command->SetTextOrientation(true, Update::Change));
            QVERIFY(!command->SetTextBend(0.2, Update::Change));
            QVERIFY(!command->SetTextHDistortion(0.3, Update::Change));
            QVERIFY(!command->SetTextVDistortion(0.1, Update::Change));
            QVERIFY(!command->SetPosition(QPoint(9, 9), Update::Change));
            QVERIFY(!command->SetTextPosition(QPoint(1, 12), Update::Change));
            QVERIFY(!command->SetLayerName(QStringLiteral("Renamed"), Update::Change));
            QVERIFY(!command->SetTextTransform(QMatrix4x4(QTransform::fromScale(1, 1.5)), Update::Change));
            QVERIFY(!command->SetRenderMode(0, Update::Change));
            QVERIFY(!command->SetText(QStringLiteral("Day"), Update::UpdateParams(7))); // no such selector
        }
        QCOMPARE(command->GetFlags(), flags);

        CheckRoundTrip(*m_history, *m_document, command, 2, [&](bool redone) {
            if (!redone) {
                QCOMPARE(m_document->GetText(id), QStringLiteral("Night"));
                QCOMPARE(m_document->GetTextBrush(id).color(), QColor(Qt::white));
                return;
            }
            QCOMPARE(m_document->GetText(id), marked == 2 ? QStringLiteral("Day") : QStringLiteral("Night"));
            QCOMPARE(m_document->GetTextBend(id), marked == 0 ? 0.25 : marked == 2 ? 0.2 : 0.0);
            QCOMPARE(m_document->GetTextTransform(id).isIdentity(), marked == 0 || marked == 3);
            QCOMPARE(m_document->GetLayerName(id), marked == 2 ? QStringLiteral("Renamed") : QStringLiteral("Title"));
            if (marked == 2) {
                QCOMPARE(m_document->GetTextBrush(id).color(), QColor(Qt::cyan));
                QCOMPARE(m_document->GetTextFont(id).pixelSize(), 30);
                QCOMPARE(m_document->GetTextStyle(id), 2);
                QCOMPARE(m_document->GetTextRenderMode(id), 0);
                QCOMPARE(m_document->GetTextPosition(id), QPoint(1, 12));
            }
        });
        QCOMPARE(m_document->GetDocumentState(), 0);
        if (marked != 3)
            return;
        // With nothing marked an execution still renders: a text changed
        // directly in the document shows after the undo.
        const QByteArray night = DocumentFingerprint::Take(*m_document).layers.at(int(id)).pixels;
        m_document->SetText(id, QStringLiteral("Stale"));
        m_history->stack.undo();
        const QByteArray undone = DocumentFingerprint::Take(*m_document).layers.at(int(id)).pixels;
        render(*m_document, id);
        QVERIFY(undone != night);
        QCOMPARE(undone, DocumentFingerprint::Take(*m_document).layers.at(int(id)).pixels);
    }

    // CreateTextImage renders without a document: wider for more text, upright when vertical, empty for none.
    void createTextImage()
    {
        const auto image = [](const char* text, bool vertical) {
            return Update::CreateTextImage(QString::fromLatin1(text), textFont(), Qt::red, 0, vertical, 0, 0, 0);
        };
        QVERIFY(!image("Hi", false).IsEmpty() && image("Hi there", false).GetWidth() > image("Hi", false).GetWidth());
        QVERIFY(image("Hi there", true).GetHeight() > image("Hi there", true).GetWidth());
        QVERIFY(image("", false).IsEmpty());
    }

    // An adjustment slider drag as a live edit, then undo and redo from the
    // record file; a layer that is not an adjustment layer changes nothing.
    void adjustmentDrag()
    {
        const unsigned int id = m_document->AddAdjustmentLayer(QStringLiteral("Light"), ZTBrightnessContrast::Name());
        ZTAdjustment* adjustment = nullptr;
        ZTAdjustmentTarget target;
        QVERIFY(m_document->GetLayerAdjustment(id, adjustment) && m_document->GetAdjustmentTarget(id, target));
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        const KXImage32 composedBefore = m_document->Compose();
        auto* data = new AdjustmentChangeCommandData;
        data->SetPrevParams(adjustment->GetParams(target));
        data->SetLayerID(id);
        auto* command = new AdjustmentChangeCommand(m_document.get());
        command->SetCommandData(data);
        m_history->stack.pushDelayed(command);
        for (int brightness = 10; brightness <= 60; brightness += 10)
            QVERIFY(adjustment->SetParams(target, ZTBrightnessContrast::Encode({ brightness, 5 })));
        const QByteArray end = adjustment->GetParams(target);
        const KXImage32 composedAfter = m_document->Compose();
        QVERIFY(!(composedAfter.GetPixel(1, 1) == composedBefore.GetPixel(1, 1)));
        m_history->stack.commit();
        CheckUndoRedo(*m_history, *m_document, before, 1, [&](bool redone) {
            QCOMPARE(m_document->Compose().GetPixel(1, 1), (redone ? composedAfter : composedBefore).GetPixel(1, 1));
            QCOMPARE(m_document->GetDocumentState(), redone ? 1 : 0);
        });

        // Not an adjustment layer, or parameters the adjustment refuses: nothing moves.
        const QList<QPair<unsigned int, QByteArray>> refused { { 1u, end }, { id, QByteArray("bad") } };
        for (const auto& change : refused) {
            AdjustmentChangeCommandData other;
            other.SetNewParams(change.second);
            other.SetLayerID(change.first);
            AdjustmentChangeCommand(m_document.get()).redoExec(&other);
            QCOMPARE(m_document->GetDocumentState(), 1);
            QCOMPARE(adjustment->GetParams(target), end);
        }
    }

    // A text layer turned into pixels, painted on, and turned back: the text
    // attributes of before, the painted pixels, and the layer's properties.
    void convertTextToImage()
    {
        const unsigned int id = m_document->AddTextLayer(
            QStringLiteral("Title"), QStringLiteral("Evening"), textFont(), Qt::white, QPoint(5, 5));
        m_document->SetTextBend(id, 0.2);
        render(*m_document, id);
        m_document->SetLayerOpacity(id, 0.5);
        m_document->CreateLayerMask(id, filled(4, 4, KXRGBA32i(255, 255, 255, 255)), true);
        const DocumentFingerprint text = DocumentFingerprint::Take(*m_document);
        CheckRoundTrip(*m_history, *m_document,
            new ConvertTextToImageLayerCommand(m_document.get(), id, m_selection.get()), 1, [&](bool redone) {
                QCOMPARE(m_document->GetLayerType(id), redone ? 0 : 1);
                QCOMPARE(m_document->GetTextBend(id), redone ? 0.0 : 0.2);
            });
        // Paint on the raster layer, then undo: a text layer showing the paint.
        KXImage32 painted = m_document->GetLayerImage(id)->Copy();
        painted.SetPixel(0, 0, KXRGBA32i(1, 2, 3, 255));
        m_document->SetLayerImage(id, painted);
        m_history->stack.undo();
        DocumentFingerprint expected = text;
        expected.layers[int(id)].pixels = DocumentFingerprint::Take(*m_document).layers.at(int(id)).pixels;
        CompareFingerprints(DocumentFingerprint::Take(*m_document), expected, "painted text layer");
        QCOMPARE(m_document->GetLayerImage(id)->GetPixel(0, 0), KXRGBA32i(1, 2, 3, 255));
        QCOMPARE(m_document->GetText(id), QStringLiteral("Evening"));
        QCOMPARE(m_document->GetDocumentState(), 0);
    }

    // A conversion the document refuses: reported, the counter and the
    // selection still move, and its undo leaves the layer alone.
    void convertRefused()
    {
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        MessageCapture capture;
        m_history->stack.push(new ConvertTextToImageLayerCommand(m_document.get(), 1, m_selection.get()));
        CompareReports(capture.texts(), { ReportPattern(kConvertFile,
            QStringLiteral("ConvertTextToImageLayerCommand::RedoExecute: Bed conversation operation on layer")) });
        QCOMPARE(m_document->GetDocumentState(), 1);
        QVERIFY(m_selection->selectedRows().isEmpty()); // the first swap selects the (empty) saved rows
        m_history->stack.undo();
        CompareFingerprints(DocumentFingerprint::Take(*m_document), before, "refused conversion undone");
        QCOMPARE(m_selection->selectedRows().size(), 1);
        QCOMPARE(m_document->GetDocumentState(), 0);
    }

    // Data of another kind, no data or no document: the text and adjustment
    // commands report (execution and end of transaction) and change nothing;
    // the new-layer command has no report and changes nothing either.
    void badInput_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<int>("data");
        QTest::addColumn<int>("reports");
        QTest::addColumn<QString>("file");
        // command: 0 text change, 1 adjustment change, 2 new layer; data: 0 none, 1 wrong kind, 2 empty record
        QTest::newRow("text, wrong kind") << 0 << true << 1 << 4 << kTextFile;
        QTest::newRow("text, no data") << 0 << true << 0 << 4 << kTextFile;
        QTest::newRow("text, no document") << 0 << false << 2 << 4 << kTextFile;
        QTest::newRow("adjustment, wrong kind") << 1 << true << 1 << 4 << kAdjustmentFile;
        QTest::newRow("adjustment, no document") << 1 << false << 2 << 4 << kAdjustmentFile;
        QTest::newRow("new layer, wrong kind") << 2 << true << 1 << 0 << QString();
        QTest::newRow("new layer, no record") << 2 << true << 2 << 0 << QString();
        QTest::newRow("new layer, no document") << 2 << false << 2 << 0 << QString();
    }
    void badInput()
    {
        QFETCH(int, command);
        QFETCH(bool, withDocument);
        QFETCH(int, data);
        QFETCH(int, reports);
        QFETCH(QString, file);
        KXDocumentModel noDocument(nullptr);
        VornCommand* pushed = command == 0
            ? static_cast<VornCommand*>(new TextLayerChangeCommand(withDocument ? m_document.get() : nullptr))
            : command == 1
            ? static_cast<VornCommand*>(new AdjustmentChangeCommand(withDocument ? m_document.get() : nullptr))
            : new NewLayerCommand(withDocument ? m_panel.get() : &noDocument, m_selection.get(), true);
        VornCommandData* given = nullptr;
        if (data == 1)
            given = command == 2 ? static_cast<VornCommandData*>(new LayerDuplicateCommandData(nullptr))
                                 : new NewRasterLayerData;
        else if (data == 2)
            given = command == 0 ? static_cast<VornCommandData*>(new TextLayerChangeCommandData)
                : command == 1   ? static_cast<VornCommandData*>(new AdjustmentChangeCommandData)
                                 : new NewTextLayerData;
        pushed->SetCommandData(given);
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        MessageCapture capture;
        m_history->stack.push(pushed);
        m_history->stack.undo();
        m_history->stack.redo();
        QStringList texts = capture.texts();
        // Records that cannot be written are reported by the stack itself.
        texts = texts.filter(QRegularExpression(QStringLiteral("^(?!.*Serialize data error)")));
        CompareReports(texts, QVector<QString>(reports, ReportPattern(file, kBadInput)).toList());
        CompareFingerprints(DocumentFingerprint::Take(*m_document), before, "bad input");
        QCOMPARE(m_document->GetDocumentState(), 0);
    }

private:
    std::unique_ptr<HistoryFixture> m_history;
    std::unique_ptr<KXMemoryDocument> m_document;
    std::unique_ptr<KXDocumentModel> m_panel;
    std::unique_ptr<QItemSelectionModel> m_selection;
};

QTEST_MAIN(TestNewLayerCommands)
#include "tst_newlayercommands.moc"
