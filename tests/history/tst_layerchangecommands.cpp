#include <QFile>
#include <QtTest>

#include <memory>
#include <type_traits>

#include "KXMemoryDocument.h"
#include "changeblendmodecommand.h"
#include "changeblendmodecommanddata.h"
#include "changeopacitycommand.h"
#include "changeopacitycommanddata.h"
#include "layernamechangecommand.h"
#include "layernamechangecommanddata.h"
#include "recordcheck.h"
#include "roundtrip.h"

namespace {

// The three layer properties the commands change.
enum Property
{
    Opacity,
    BlendMode,
    Name,
    NoData
};

const unsigned int kLayer = 1;

// Runs a command's protected transaction pair, as the stack does for a live edit.
struct Transaction : VornCommand
{
    static void Run(VornCommand* command, VornCommandData* data)
    {
        (command->*&Transaction::BeginTransaction)();
        (command->*&Transaction::EndTransaction)(data);
    }
};

QVariant propertyValue(const KXDocumentInterface& document, Property property, unsigned int layer)
{
    return property == Opacity ? QVariant(document.GetLayerOpacity(layer))
        : property == BlendMode ? QVariant(document.GetLayerBlendMode(layer))
                                : QVariant(document.GetLayerName(layer));
}

// Fills data as a host would: old value, layer, and a new value when one is
// given. Without an old value the data holds no record.
template <class Data, class Value>
VornCommandData* fill(Data* data, void (Data::*setOld)(Value), void (Data::*setNew)(Value),
    void (Data::*setLayer)(unsigned int), const QVariant& oldValue, const QVariant& newValue, unsigned int layer)
{
    using Plain = std::decay_t<Value>;
    if (oldValue.isValid()) {
        (data->*setOld)(oldValue.value<Plain>());
        if (newValue.isValid())
            (data->*setNew)(newValue.value<Plain>());
        (data->*setLayer)(layer);
    }
    return data;
}

// Data of the property's kind (null for NoData).
VornCommandData* makeData(Property property, const QVariant& oldValue = QVariant(),
    const QVariant& newValue = QVariant(), unsigned int layer = kLayer)
{
    using O = ChangeOpacityCommandData;
    using B = ChangeBlendModeCommandData;
    using N = LayerNameChangeCommandData;
    switch (property) {
    case Opacity:
        return fill(new O, &O::SetOldOpacity, &O::SetNewOpacity, &O::SetLayerNuber, oldValue, newValue, layer);
    case BlendMode:
        return fill(new B, &B::SetOldMode, &B::SetNewMode, &B::SetLayerNuber, oldValue, newValue, layer);
    case Name:
        return fill(new N, &N::SetOldName, &N::SetNewName, &N::SetLayerID, oldValue, newValue, layer);
    default:
        return nullptr;
    }
}

// A command of the property's kind holding data (when not null).
VornCommand* makeCommand(Property property, KXDocumentInterface* document, VornCommandData* data = nullptr)
{
    VornCommand* command = property == Opacity ? static_cast<VornCommand*>(new ChangeOpacityCommand(document))
        : property == BlendMode                ? static_cast<VornCommand*>(new ChangeBlendCommand(document))
                                               : new LayerNameChangeCommand(document);
    if (data)
        command->SetCommandData(data);
    return command;
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
    void init()
    {
        m_history.reset(); // before the document its commands point to
        m_document.reset(new KXMemoryDocument(QSize(40, 30)));
        KXImage32 pixels(40, 30);
        pixels.Fill(KXRGBA32i(200, 100, 50, 255));
        for (const char* name : { "Background", "Layer 1", "Layer 2" })
            QVERIFY(m_document->AddRasterLayer(QString::fromLatin1(name), pixels) != KXMemoryDocument::InvalidId);
        m_states.clear();
        connect(m_document.get(), &KXDocumentInterface::documentStateChanged, this,
            [this](int state) { m_states << state; });
        m_history.reset(new HistoryFixture);
    }

    // Renaming to an empty name (set explicitly, or never set: a null string
    // in the record) goes through the file and renames the layer to "".
    void renameToEmpty_data()
    {
        QTest::addColumn<QVariant>("newName");
        QTest::addColumn<QByteArray>("record");
        const QByteArray oldName = Hex("0000000e 004c006100790065007200200031"); // "Layer 1"
        QTest::newRow("empty") << QVariant(QString::fromLatin1("")) << oldName + Hex("00000000 00000001");
        QTest::newRow("never set") << QVariant() << oldName + Hex("ffffffff 00000001");
    }
    void renameToEmpty()
    {
        QFETCH(QVariant, newName);
        QFETCH(QByteArray, record);
        MessageCapture capture;
        m_history->stack.push(makeCommand(Name, m_document.get(), makeData(Name, QStringLiteral("Layer 1"), newName)));
        QVERIFY(m_document->GetLayerName(kLayer).isEmpty());
        m_history->WaitWritten();
        QCOMPARE(recordFiles(), QList<QByteArray> { record });

        m_history->stack.undo();
        QCOMPARE(m_document->GetLayerName(kLayer), QStringLiteral("Layer 1"));
        m_history->stack.redo();
        QVERIFY(m_document->GetLayerName(kLayer).isEmpty());
        QCOMPARE(m_states, (QList<int> { 1, 0, 1 }));
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
        QTest::addColumn<QList<int>>("states");
        const QString opacity = ReportPattern(kOpacityFile, kOpacityMessage);
        const QString blend = ReportPattern(kBlendFile, kOtherMessage);
        const QString name = ReportPattern(kNameFile, kOtherMessage);
        const auto row = [](const char* title, Property command, Property data, bool withDocument, bool live,
                             const QString& report, const QList<int>& states) {
            QTest::newRow(title) << int(command) << int(data) << withDocument << live << report << states;
        };
        row("opacity, blend data", Opacity, BlendMode, true, false, opacity, {});
        row("opacity, blend data, live", Opacity, BlendMode, true, true, opacity, { 1 });
        row("opacity, no data", Opacity, NoData, true, false, opacity, {});
        row("opacity, no document, live", Opacity, Opacity, false, true, opacity, {});
        row("blend, name data, live", BlendMode, Name, true, true, blend, { 1 });
        row("blend, no data", BlendMode, NoData, true, false, blend, {});
        row("blend, no document, live", BlendMode, BlendMode, false, true, blend, {});
        row("name, blend data", Name, BlendMode, true, false, name, {});
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
        QFETCH(QList<int>, states);
        // Values that would visibly change layer 1 if they were applied.
        const QVariant oldValues[] = { 0.5, 3u, QStringLiteral("Old") };
        const QVariant newValues[] = { 0.25, 5u, QStringLiteral("Hacked") };
        VornCommand* pushed = makeCommand(Property(command), withDocument ? m_document.get() : nullptr,
            data == NoData ? nullptr : makeData(Property(data), oldValues[data], newValues[data]));

        MessageCapture capture;
        if (live) {
            m_history->stack.pushDelayed(pushed); // the start of a transaction never reports
            QVERIFY(capture.texts().isEmpty());
            m_history->stack.commit();
        } else {
            m_history->stack.push(pushed);
        }
        m_history->WaitWritten();
        // The push reports twice (end of transaction and redo), except for the
        // name command, whose transaction does nothing.
        const int pushReports = command == Name ? 1 : 2;
        QCOMPARE(capture.texts().size(), pushReports);
        m_history->stack.undo();
        m_history->stack.redo();

        CompareReports(capture.texts(), QVector<QString>(pushReports + 2, report).toList());
        QCOMPARE(m_states, states);
        QCOMPARE(m_document->GetLayerOpacity(kLayer), 1.0);
        QCOMPARE(m_document->GetLayerBlendMode(kLayer), unsigned(KXDocumentInterface::BlendNormal));
        QCOMPARE(m_document->GetLayerName(kLayer), QStringLiteral("Layer 1"));
        // The stack moves as if the command had worked.
        QCOMPARE(m_history->stack.index(), 1);
    }

    // A transaction, then redo and undo. Begin and end cancel out on the
    // counter, and the end takes the document's current value unless the data
    // has no record; without one, opacity and blend mode still move the
    // counter and the name command does nothing at all.
    void transactionAndExecution_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<bool>("withRecord");
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QByteArray>("record");
        const QList<int> moved { 1, 0, 1, 0 };
        QTest::newRow("opacity") << int(Opacity) << true << moved << Hex("3fe0000000000000 3fd0000000000000 00000002");
        QTest::newRow("blend mode") << int(BlendMode) << true << moved << Hex("00000001 0000000a 00000002");
        QTest::newRow("opacity, no record") << int(Opacity) << false << moved << QByteArray();
        QTest::newRow("blend mode, no record") << int(BlendMode) << false << moved << QByteArray();
        QTest::newRow("name, no record") << int(Name) << false << QList<int> {} << QByteArray();
    }
    void transactionAndExecution()
    {
        QFETCH(int, property);
        QFETCH(bool, withRecord);
        QFETCH(QList<int>, states);
        QFETCH(QByteArray, record);
        m_document->SetLayerOpacity(2, 0.25);
        m_document->SetLayerBlendMode(2, KXDocumentInterface::BlendDifference);
        const QVariant oldValue = property == Opacity ? QVariant(0.5) : QVariant(1u);
        const auto kind = Property(property);
        std::unique_ptr<VornCommandData> data(makeData(kind, withRecord ? oldValue : QVariant(), QVariant(), 2));
        std::unique_ptr<VornCommand> command(makeCommand(kind, m_document.get()));
        MessageCapture capture;
        Transaction::Run(command.get(), data.get());
        QCOMPARE(RecordOf(*data), record); // no record: nothing to write
        command->redoExec(data.get());
        command->undoExec(data.get());
        QCOMPARE(m_states, states);
        if (withRecord)
            QCOMPARE(propertyValue(*m_document, kind, 2), oldValue);
        QCOMPARE(m_document->GetLayerOpacity(0), 1.0);
        QCOMPARE(m_document->GetLayerBlendMode(0), unsigned(KXDocumentInterface::BlendNormal));
        QCOMPARE(m_document->GetLayerName(0), QStringLiteral("Background"));
        QVERIFY(capture.texts().isEmpty());
    }

    // Record bytes, the read back, a cut record and the type numbers.
    void records_data()
    {
        QTest::addColumn<int>("property");
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("opacity") << int(Opacity) << 36u << Hex("3fe8000000000000 bff0000000000000 fffffffe");
        QTest::newRow("blend mode") << int(BlendMode) << 37u << Hex("0000000c ffffffff fffffffe");
        QTest::newRow("name") << int(Name) << 41u << Hex("00000002 00e9 0000000c 0053006b00790020d83ddd25 fffffffe");
    }
    void records()
    {
        QFETCH(int, property);
        QFETCH(unsigned int, type);
        QFETCH(QByteArray, record);
        const auto kind = Property(property);
        const QVariant oldValues[] = { 0.75, 12u, QString::fromUtf8("\xc3\xa9") };
        const QVariant newValues[] = { -1.0, 0xFFFFFFFFu, QString::fromUtf8("Sky \xf0\x9f\x94\xa5") };
        std::unique_ptr<VornCommandData> data(makeData(kind, oldValues[kind], newValues[kind], 0xFFFFFFFEu));
        QCOMPARE(data->GetDataType(), type);
        QCOMPARE(changeopacitydata_cast(data.get()) == data.get(), kind == Opacity);
        QCOMPARE(changeblenddata_cast(data.get()) == data.get(), kind == BlendMode);

        QVERIFY(RecordOf(*std::unique_ptr<VornCommandData>(makeData(kind))).isEmpty()); // no record, nothing written
        CheckRecord(*data, *std::unique_ptr<VornCommandData>(makeData(kind)), record);
        data->ReleaseSerializeData();
        QCOMPARE(RecordOf(*data), QByteArray());
    }

private:
    // The contents of the stack's temporary files.
    QList<QByteArray> recordFiles() const
    {
        QList<QByteArray> records;
        const QDir folder(m_history->folder.path());
        for (const QString& name : RecordFiles(folder))
            records << FileBytes(folder.filePath(name));
        return records;
    }

    std::unique_ptr<KXMemoryDocument> m_document;
    std::unique_ptr<HistoryFixture> m_history;
    QList<int> m_states;
};

QTEST_MAIN(TestLayerChangeCommands)
#include "tst_layerchangecommands.moc"
