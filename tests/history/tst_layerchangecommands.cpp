#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

#include "KXMemoryDocument.h"
#include "changeblendmodecommand.h"
#include "changeblendmodecommanddata.h"
#include "changeopacitycommand.h"
#include "changeopacitycommanddata.h"
#include "layernamechangecommand.h"
#include "layernamechangecommanddata.h"
#include "messagecapture.h"
#include "vorncommanddataserializer.h"
#include "vornreaderwriter.h"
#include "vornundostack.h"

namespace {

// The three layer properties the commands change.
enum Property { Opacity, BlendMode, Name, NoData };

const unsigned int kLayer = 1;

// Gives the protected transaction pair to the tests.
template <class Command>
class OpenCommand : public Command
{
public:
    using Command::Command;
    using Command::BeginTransaction;
    using Command::EndTransaction;
};

QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

QVariant propertyValue(const KXDocumentInterface& document, Property property, unsigned int layer)
{
    switch (property) {
    case Opacity:
        return document.GetLayerOpacity(layer);
    case BlendMode:
        return document.GetLayerBlendMode(layer);
    default:
        return document.GetLayerName(layer);
    }
}

void setPropertyValue(KXDocumentInterface& document, Property property, unsigned int layer, const QVariant& value)
{
    switch (property) {
    case Opacity:
        document.SetLayerOpacity(layer, value.toDouble());
        break;
    case BlendMode:
        document.SetLayerBlendMode(layer, value.toUInt());
        break;
    default:
        document.SetLayerName(layer, value.toString());
        break;
    }
}

// Data of the property's kind, filled as a host would (old value, layer, and
// a new value when one is given), or null for NoData.
VornCommandData* makeData(Property property, unsigned int layer, const QVariant& oldValue,
                          const QVariant& newValue = QVariant())
{
    switch (property) {
    case Opacity: {
        auto* data = new ChangeOpacityCommandData;
        data->SetOldOpacity(oldValue.toDouble());
        if (newValue.isValid())
            data->SetNewOpacity(newValue.toDouble());
        data->SetLayerNuber(layer);
        return data;
    }
    case BlendMode: {
        auto* data = new ChangeBlendModeCommandData;
        data->SetOldMode(oldValue.toUInt());
        if (newValue.isValid())
            data->SetNewMode(newValue.toUInt());
        data->SetLayerNuber(layer);
        return data;
    }
    case Name: {
        auto* data = new LayerNameChangeCommandData;
        data->SetOldName(oldValue.toString());
        if (newValue.isValid())
            data->SetNewName(newValue.toString());
        data->SetLayerID(layer);
        return data;
    }
    default:
        return nullptr;
    }
}

VornCommand* makeCommand(Property property, KXDocumentInterface* document)
{
    switch (property) {
    case Opacity:
        return new ChangeOpacityCommand(document);
    case BlendMode:
        return new ChangeBlendCommand(document);
    default:
        return new LayerNameChangeCommand(document);
    }
}

VornCommandData* makeEmptyData(Property property)
{
    switch (property) {
    case Opacity:
        return new ChangeOpacityCommandData;
    case BlendMode:
        return new ChangeBlendModeCommandData;
    default:
        return new LayerNameChangeCommandData;
    }
}

QString reportPattern(const QString& file, const QString& message)
{
    return QStringLiteral("^Build date=%1, time=%2\\. Line=\\d+, file=\"%3\"\\. %4$")
        .arg(reportDatePattern(), reportTimePattern(), QRegularExpression::escape(file),
             QRegularExpression::escape(message));
}

const QString kOpacityFile = QStringLiteral("src/layerchangecommands/changeopacitycommand.cpp");
const QString kBlendFile = QStringLiteral("src/layerchangecommands/changeblendmodecommand.cpp");
const QString kNameFile = QStringLiteral("src/layerchangecommands/layernamechangecommand.cpp");
const QString kOpacityMessage = QStringLiteral("Command error. No Docuemnt or No CommandData.");
const QString kOtherMessage = QStringLiteral("Error command. No Document or No CommandData.");

} // namespace

class TestLayerChangeCommands : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        const QList<QPair<QString, QColor>> icons{
            {"open", Qt::white}, {"opacity", Qt::red}, {"blend", Qt::blue}, {"rename", Qt::green}};
        for (const auto& icon : icons) {
            QImage image(4, 4, QImage::Format_ARGB32);
            image.fill(icon.second);
            VornCommand::SetIcon(icon.first, image);
            m_icons.insert(icon.first, image);
        }
    }

    void init()
    {
        m_document.reset(new KXMemoryDocument(QSize(40, 30)));
        KXImage32 pixels(40, 30);
        pixels.Fill(KXRGBA32i(200, 100, 50, 255));
        for (const char* name : {"Background", "Layer 1", "Layer 2"})
            QVERIFY(m_document->AddRasterLayer(QString::fromLatin1(name), pixels) != KXMemoryDocument::InvalidId);
        m_states.clear();
        connect(m_document.get(), &KXDocumentInterface::documentStateChanged, this,
                [this](int state) { m_states << state; });
        m_stack.reset(new VornUndoStack);
        m_stack->setTemporaryFolder(QDir(m_folder.path()));
        m_stack->SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));
    }

    void cleanup()
    {
        m_stack.reset();
        m_document.reset();
        QVERIFY(QDir(m_folder.path()).entryList(QDir::Files).isEmpty());
    }

    // A slider drag (or a blend-mode preview) as a live edit: the host changes
    // the layer directly while the command is pending, the commit takes the
    // final value, and undo and redo later read the record back from its file.
    void liveEdit_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QVariant>("start");
        QTest::addColumn<QVariant>("presetNew");
        QTest::addColumn<QVariantList>("drag");
        QTest::addColumn<QByteArray>("record");

        // old 1.0, new 0.25 (what the drag ended on, not the preset 0.75), layer 1
        QTest::newRow("opacity slider") << int(Opacity) << "Opacity" << "opacity" << QVariant(1.0)
                                        << QVariant(0.75) << QVariantList{0.9, 0.6, 0.25}
                                        << hex("3ff0000000000000" "3fd0000000000000" "00000001");
        // new value never set by the host
        QTest::newRow("opacity from half") << int(Opacity) << "Opacity" << "opacity" << QVariant(0.5)
                                           << QVariant() << QVariantList{0.125}
                                           << hex("3fe0000000000000" "3fc0000000000000" "00000001");
        QTest::newRow("blend mode") << int(BlendMode) << "Blend Mode" << "blend"
                                    << QVariant(unsigned(KXDocumentInterface::BlendNormal)) << QVariant()
                                    << QVariantList{unsigned(KXDocumentInterface::BlendMultiply),
                                                    unsigned(KXDocumentInterface::BlendScreen),
                                                    unsigned(KXDocumentInterface::BlendLinearDodge)}
                                    << hex("00000000" "00000020" "00000001");
        // a code the document does not know passes through unchanged
        QTest::newRow("blend mode unknown code") << int(BlendMode) << "Blend Mode" << "blend"
                                                 << QVariant(unsigned(KXDocumentInterface::BlendOverlay))
                                                 << QVariant(7u) << QVariantList{0xFFFFFFF0u}
                                                 << hex("00000003" "fffffff0" "00000001");
    }
    void liveEdit()
    {
        QFETCH(int, property);
        QFETCH(QString, text);
        QFETCH(QString, icon);
        QFETCH(QVariant, start);
        QFETCH(QVariant, presetNew);
        QFETCH(QVariantList, drag);
        QFETCH(QByteArray, record);
        const auto kind = Property(property);
        setPropertyValue(*m_document, kind, kLayer, start);
        MessageCapture capture;

        VornCommand* command = makeCommand(kind, m_document.get());
        command->SetCommandData(makeData(kind, kLayer, start, presetNew));
        command->setText(text);
        command->SetIcon(icon);
        m_stack->pushDelayed(command);
        QCOMPARE(m_states, QList<int>{1});
        QCOMPARE(rowsAsShown(), (QStringList{"Open/open", text + "/" + icon}));
        QCOMPARE(m_stack->index(), 1);

        for (const QVariant& value : drag) {
            setPropertyValue(*m_document, kind, kLayer, value);
            QCOMPARE(m_document->GetDocumentState(), 1);
        }
        m_stack->commit();
        QCOMPARE(m_states, (QList<int>{1, 0, 1})); // end of transaction, then the push's redo
        QCOMPARE(propertyValue(*m_document, kind, kLayer), drag.last());
        QCOMPARE(rowsAsShown(), (QStringList{"Open/open", text + "/" + icon}));
        QCOMPARE(m_stack->index(), 1);

        m_stack->GetSerializer()->WaitForIdle();
        QCOMPARE(recordFiles(), QList<QByteArray>{record});

        m_stack->undo();
        QCOMPARE(propertyValue(*m_document, kind, kLayer), start);
        QCOMPARE(m_states, (QList<int>{1, 0, 1, 0}));
        QCOMPARE(m_stack->index(), 0);
        QCOMPARE(rowsAsShown(), (QStringList{"Open/open", text + "/" + icon}));

        m_stack->redo();
        QCOMPARE(propertyValue(*m_document, kind, kLayer), drag.last());
        QCOMPARE(m_states, (QList<int>{1, 0, 1, 0, 1}));
        QCOMPARE(m_stack->index(), 1);
        QCOMPARE(recordFiles(), QList<QByteArray>{record}); // written once, read back twice

        // The other layers are left alone.
        QCOMPARE(m_document->GetLayerOpacity(0), 1.0);
        QCOMPARE(m_document->GetLayerOpacity(2), 1.0);
        QCOMPARE(m_document->GetLayerBlendMode(2), unsigned(KXDocumentInterface::BlendNormal));
        QVERIFY2(capture.texts().isEmpty(), qPrintable(capture.texts().join('\n')));
    }

    // Undo takes its values from the file, not from memory: a record changed
    // on disk after the write is what the undo applies. A plain push (no live
    // edit) still runs the end of the transaction, so opacity and blend mode
    // take 1 off the counter before the push's redo adds it back.
    void undoReadsTheRecordFromItsFile_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<QVariant>("undone");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("opacity") << int(Opacity) << hex("3fc0000000000000" "3fe0000000000000" "00000001")
                                 << QVariant(0.125) << QList<int>{-1, 0, -1};
        QTest::newRow("blend mode") << int(BlendMode) << hex("00000008" "00000001" "00000001") << QVariant(8u)
                                    << QList<int>{-1, 0, -1};
        QTest::newRow("name") << int(Name) << hex("00000004" "00480069" "00000002" "0042" "00000001")
                              << QVariant(QStringLiteral("Hi")) << QList<int>{1, 0};
    }
    void undoReadsTheRecordFromItsFile()
    {
        QFETCH(int, property);
        QFETCH(QByteArray, replacement);
        QFETCH(QVariant, undone);
        QFETCH(QList<int>, states);
        const auto kind = Property(property);
        const QVariant oldValues[] = {1.0, 0u, QStringLiteral("Layer 1")};
        const QVariant newValues[] = {0.5, 1u, QStringLiteral("B")};
        VornCommand* command = makeCommand(kind, m_document.get());
        command->SetCommandData(makeData(kind, kLayer, oldValues[kind], newValues[kind]));
        m_stack->push(command);
        m_stack->GetSerializer()->WaitForIdle();
        const QStringList files = QDir(m_folder.path()).entryList(QDir::Files);
        QCOMPARE(files.size(), 1);
        QVERIFY(files.first().startsWith(QLatin1String("~nuboltmp.")));
        QFile file(QDir(m_folder.path()).filePath(files.first()));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QCOMPARE(file.write(replacement), qint64(replacement.size()));
        file.close();

        m_stack->undo();
        QCOMPARE(propertyValue(*m_document, kind, kLayer), undone);
        QCOMPARE(m_states, states);
    }

    // Renaming to an empty name (set explicitly, or never set: a null string
    // in the record) goes through the file and renames the layer to "".
    void renameToEmpty_data()
    {
        QTest::addColumn<QVariant>("newName");
        QTest::addColumn<QByteArray>("record");
        const QByteArray oldName = hex("0000000e" "004c006100790065007200200031"); // "Layer 1"
        QTest::newRow("empty") << QVariant(QString::fromLatin1("")) << oldName + hex("00000000" "00000001");
        QTest::newRow("never set") << QVariant() << oldName + hex("ffffffff" "00000001");
    }
    void renameToEmpty()
    {
        QFETCH(QVariant, newName);
        QFETCH(QByteArray, record);
        MessageCapture capture;
        VornCommand* command = makeCommand(Name, m_document.get());
        command->SetCommandData(makeData(Name, kLayer, QStringLiteral("Layer 1"), newName));
        command->setText(QStringLiteral("Rename Layer"));
        command->SetIcon(QStringLiteral("rename"));
        m_stack->push(command);
        QVERIFY(m_document->GetLayerName(kLayer).isEmpty());
        QCOMPARE(m_states, QList<int>{1});
        QCOMPARE(rowsAsShown(), (QStringList{"Open/open", "Rename Layer/rename"}));

        m_stack->GetSerializer()->WaitForIdle();
        QCOMPARE(recordFiles(), QList<QByteArray>{record});

        m_stack->undo();
        QCOMPARE(m_document->GetLayerName(kLayer), QStringLiteral("Layer 1"));
        m_stack->redo();
        QVERIFY(m_document->GetLayerName(kLayer).isEmpty());
        QCOMPARE(m_states, (QList<int>{1, 0, 1}));
        QCOMPARE(m_document->GetLayerName(2), QStringLiteral("Layer 2"));
        QVERIFY(capture.texts().isEmpty());
    }

    // Data of another kind, no data, or no document: every execution (and the
    // end of a transaction) reports and leaves the document and its counter
    // alone. The start of a live edit has no data to check: with a document it
    // adds 1, which the failed end then leaves in place.
    void badInputIsReportedAndIgnored_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("data");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<bool>("live");
        QTest::addColumn<QString>("report");
        QTest::addColumn<int>("pushReports");
        QTest::addColumn<QList<int>>("states");
        const QString opacity = reportPattern(kOpacityFile, kOpacityMessage);
        const QString blend = reportPattern(kBlendFile, kOtherMessage);
        const QString name = reportPattern(kNameFile, kOtherMessage);
        // The push reports twice (end of transaction and redo), except for the
        // name command, whose transaction does nothing.
        const auto row = [](const char* title, Property command, Property data, bool withDocument, bool live,
                            const QString& report, const QList<int>& states) {
            QTest::newRow(title) << int(command) << int(data) << withDocument << live << report
                                 << (command == Name ? 1 : 2) << states;
        };
        row("opacity, name data", Opacity, Name, true, false, opacity, {});
        row("opacity, blend data", Opacity, BlendMode, true, false, opacity, {});
        row("opacity, blend data, live", Opacity, BlendMode, true, true, opacity, {1});
        row("opacity, no data", Opacity, NoData, true, false, opacity, {});
        row("opacity, no document", Opacity, Opacity, false, false, opacity, {});
        row("opacity, no document, live", Opacity, Opacity, false, true, opacity, {});
        row("blend, opacity data", BlendMode, Opacity, true, false, blend, {});
        row("blend, name data, live", BlendMode, Name, true, true, blend, {1});
        row("blend, no data", BlendMode, NoData, true, false, blend, {});
        row("blend, no document, live", BlendMode, BlendMode, false, true, blend, {});
        row("name, blend data", Name, BlendMode, true, false, name, {});
        row("name, opacity data", Name, Opacity, true, false, name, {});
        row("name, no data", Name, NoData, true, false, name, {});
        row("name, no document", Name, Name, false, false, name, {});
    }
    void badInputIsReportedAndIgnored()
    {
        QFETCH(int, command);
        QFETCH(int, data);
        QFETCH(bool, withDocument);
        QFETCH(bool, live);
        QFETCH(QString, report);
        QFETCH(int, pushReports);
        QFETCH(QList<int>, states);
        // Values that would visibly change layer 1 if they were applied.
        const QVariant oldValues[] = {0.5, 3u, QStringLiteral("Old")};
        const QVariant newValues[] = {0.25, 5u, QStringLiteral("Hacked")};
        VornCommand* pushed = makeCommand(Property(command), withDocument ? m_document.get() : nullptr);
        if (data != NoData)
            pushed->SetCommandData(makeData(Property(data), kLayer, oldValues[data], newValues[data]));
        pushed->setText(QStringLiteral("Bad"));

        MessageCapture capture;
        if (live) {
            m_stack->pushDelayed(pushed); // the start of a transaction never reports
            QVERIFY(capture.texts().isEmpty());
            m_stack->commit();
        } else {
            m_stack->push(pushed);
        }
        m_stack->GetSerializer()->WaitForIdle();
        QCOMPARE(capture.texts().size(), pushReports);
        m_stack->undo();
        m_stack->redo();

        const QStringList texts = capture.texts();
        QCOMPARE(texts.size(), pushReports + 2);
        for (const QString& text : texts)
            QVERIFY2(QRegularExpression(report).match(text).hasMatch(), qPrintable(text));
        for (const MessageCapture::Message& message : capture.messages()) {
            QCOMPARE(message.category, QStringLiteral("default"));
            QVERIFY(!message.hasContext);
        }
        QCOMPARE(m_states, states);
        QCOMPARE(m_document->GetLayerOpacity(kLayer), 1.0);
        QCOMPARE(m_document->GetLayerBlendMode(kLayer), unsigned(KXDocumentInterface::BlendNormal));
        QCOMPARE(m_document->GetLayerName(kLayer), QStringLiteral("Layer 1"));
        // The stack moves as if the command had worked.
        QCOMPARE(m_stack->index(), 1);
        QCOMPARE(rowsAsShown(), (QStringList{"Open/open", "Bad/-"}));
    }

    // Data without a record: opacity and blend mode still move the counter,
    // the name command does nothing at all; nothing is reported.
    void executionWithoutRecord_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("opacity") << int(Opacity) << QList<int>{1, 0};
        QTest::newRow("blend mode") << int(BlendMode) << QList<int>{1, 0};
        QTest::newRow("name") << int(Name) << QList<int>{};
    }
    void executionWithoutRecord()
    {
        QFETCH(int, property);
        QFETCH(QList<int>, states);
        const auto kind = Property(property);
        std::unique_ptr<VornCommand> command(makeCommand(kind, m_document.get()));
        std::unique_ptr<VornCommandData> data(makeEmptyData(kind));
        MessageCapture capture;
        command->redoExec(data.get());
        command->undoExec(data.get());
        QCOMPARE(m_states, states);
        QCOMPARE(m_document->GetLayerOpacity(0), 1.0);
        QCOMPARE(m_document->GetLayerBlendMode(0), unsigned(KXDocumentInterface::BlendNormal));
        QCOMPARE(m_document->GetLayerName(0), QStringLiteral("Background"));
        QVERIFY(capture.texts().isEmpty());
    }

    // Begin and end of a transaction cancel out on the counter; the end takes
    // the document's current value unless the data has no layer number.
    void transactionCounterAndNewValue_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<bool>("withRecord");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("opacity") << int(Opacity) << true << hex("3fe0000000000000" "3fd0000000000000" "00000002");
        QTest::newRow("opacity, no layer number") << int(Opacity) << false << QByteArray();
        QTest::newRow("blend mode") << int(BlendMode) << true << hex("00000001" "0000000a" "00000002");
        QTest::newRow("blend mode, no layer number") << int(BlendMode) << false << QByteArray();
    }
    void transactionCounterAndNewValue()
    {
        QFETCH(int, property);
        QFETCH(bool, withRecord);
        QFETCH(QByteArray, record);
        m_document->SetLayerOpacity(2, 0.25);
        m_document->SetLayerBlendMode(2, KXDocumentInterface::BlendDifference);
        const QVariant oldValue = property == Opacity ? QVariant(0.5) : QVariant(1u);
        std::unique_ptr<VornCommandData> data(withRecord ? makeData(Property(property), 2, oldValue)
                                                         : makeEmptyData(Property(property)));
        MessageCapture capture;
        if (property == Opacity) {
            OpenCommand<ChangeOpacityCommand> command(m_document.get());
            command.BeginTransaction();
            command.EndTransaction(data.get());
        } else {
            OpenCommand<ChangeBlendCommand> command(m_document.get());
            command.BeginTransaction();
            command.EndTransaction(data.get());
        }
        QCOMPARE(m_states, (QList<int>{1, 0}));
        QCOMPARE(serialized(*data), record); // no record: nothing to write
        QVERIFY(capture.texts().isEmpty());
    }

    // Record bytes, the read back, a cut record and the type numbers.
    void records_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("opacity") << int(Opacity) << 36u
                                 << hex("3fe8000000000000" "bff0000000000000" "fffffffe");
        QTest::newRow("blend mode") << int(BlendMode) << 37u << hex("0000000c" "ffffffff" "fffffffe");
        QTest::newRow("name") << int(Name) << 41u
                              << hex("00000002" "00e9" "0000000c" "0053006b00790020d83ddd25" "fffffffe");
    }
    void records()
    {
        QFETCH(int, property);
        QFETCH(unsigned int, type);
        QFETCH(QByteArray, record);
        const auto kind = Property(property);
        const QVariant oldValues[] = {0.75, 12u, QString::fromUtf8("\xc3\xa9")};
        const QVariant newValues[] = {-1.0, 0xFFFFFFFFu, QString::fromUtf8("Sky \xf0\x9f\x94\xa5")};
        std::unique_ptr<VornCommandData> data(makeData(kind, 0xFFFFFFFEu, oldValues[kind], newValues[kind]));
        QCOMPARE(data->GetDataType(), type);
        QCOMPARE(changeopacitydata_cast(data.get()) == data.get(), kind == Opacity);
        QCOMPARE(changeblenddata_cast(data.get()) == data.get(), kind == BlendMode);

        QVERIFY(!data->Serialize(nullptr));
        QVERIFY(!data->Deserialize(nullptr));
        QCOMPARE(serialized(*data), record);

        // Read back into an empty object, then written again: the same record.
        std::unique_ptr<VornCommandData> copy(makeEmptyData(kind));
        QCOMPARE(serialized(*copy), QByteArray()); // no record, nothing written
        QVERIFY(readInto(*copy, record));
        QCOMPARE(serialized(*copy), record);

        // A record cut short fails to read.
        std::unique_ptr<VornCommandData> cut(makeEmptyData(kind));
        QVERIFY(!readInto(*cut, record.left(record.size() - 1)));

        data->ReleaseSerializeData();
        QCOMPARE(serialized(*data), QByteArray());
    }

private:
    // The history rows as a panel shows them: "text/icon", the icon named by
    // the registered picture it shows ("-" for none).
    QStringList rowsAsShown() const
    {
        QStringList rows;
        for (int row = 0; row < m_stack->count(); ++row) {
            const QImage image = m_stack->GetItemMeta(row, 1).value<QImage>();
            const QString icon = image.isNull() ? QStringLiteral("-") : m_icons.key(image, QStringLiteral("?"));
            rows << m_stack->GetItemMeta(row, 0).toString() + "/" + icon;
        }
        return rows;
    }

    // The contents of the stack's temporary files.
    QList<QByteArray> recordFiles() const
    {
        QList<QByteArray> records;
        const QDir folder(m_folder.path());
        for (const QString& name : folder.entryList(QDir::Files))
            records << fileBytes(folder.filePath(name));
        return records;
    }

    // What Serialize writes to a record file (nothing when it fails).
    QByteArray serialized(VornCommandData& data)
    {
        const QString path = QDir(m_folder.path()).filePath(QStringLiteral("record"));
        VornReaderWriter file;
        if (!file.Open(path))
            return "<not opened>";
        const bool written = data.Serialize(&file);
        file.Close();
        const QByteArray bytes = fileBytes(path);
        if (written == bytes.isEmpty())
            return "<result does not match the file>";
        return bytes;
    }

    // Deserialize from a file holding the bytes.
    bool readInto(VornCommandData& data, const QByteArray& bytes)
    {
        const QString path = QDir(m_folder.path()).filePath(QStringLiteral("record"));
        VornReaderWriter file;
        if (!file.Open(path) || file.WriteRawData(bytes.constData(), bytes.size()) != bytes.size())
            return false;
        file.Close();
        return file.Open(QString()) && data.Deserialize(&file);
    }

    QTemporaryDir m_folder;
    QMap<QString, QImage> m_icons;
    std::unique_ptr<KXMemoryDocument> m_document;
    std::unique_ptr<VornUndoStack> m_stack;
    QList<int> m_states;
};

QTEST_MAIN(TestLayerChangeCommands)
#include "tst_layerchangecommands.moc"
