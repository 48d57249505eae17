#include <QAbstractItemModelTester>
#include <QtTest>

#include <memory>

#include "KXMemoryDocument.h"
#include "KXStyleProxy.h"
#include "kxstylechangemodelcommand.h"
#include "kxstylechangemodelcommanddata.h"
#include "kxstylechangemodelparamscommand.h"
#include "kxstylechangemodelparamscommanddata.h"
#include "kxstyleeffectinsertcommand.h"
#include "kxstyleeffectinsertcommanddata.h"
#include "kxstyleeffectmovecommand.h"
#include "kxstyleeffectmovecommanddata.h"
#include "kxstyleeffectremovecommand.h"
#include "kxstyleeffectremovecommanddata.h"
#include "recordcheck.h"
#include "roundtrip.h"

namespace {

enum Kind
{
    Insert,
    Remove,
    Move,
    Model,
    Params
};

// The style's rows as "UID:settings:enabled", space-separated.
QString Rows(const KXStyleProxy& style)
{
    QStringList rows;
    for (int row = 0; row < style.rowCount(); ++row) {
        const QModelIndex effect = style.index(row, 0);
        rows << QStringLiteral("%1:%2:%3")
                    .arg(style.GetEffectUID(effect), QString::fromLatin1(style.GetSessionData(effect)))
                    .arg(style.IsEnabled(effect) ? 1 : 0);
    }
    return rows.join(QLatin1Char(' '));
}

const QString kStart = QStringLiteral("A:a:1 B:b:0 C:c:1");

// Effect "X" (settings "x", enabled) at the rows.
template <class Data> Data* WithEffectX(Data* data)
{
    data->SetEffectUID(QStringLiteral("X"));
    data->SetEffectData("x");
    data->SetEnabled(true);
    return data;
}

VornCommandData* RowData(Kind kind, int row, int destination = -1)
{
    if (kind == Move) {
        auto* data = WithEffectX(new KXStyleEffectMoveCommandData);
        data->SetSourceRow(row);
        data->SetDestinationRow(destination);
        return data;
    }
    KXStyleEffectRowData* data = kind == Insert ? static_cast<KXStyleEffectRowData*>(new KXStyleEffectInsertCommandData)
                                                : new KXStyleEffectRemoveCommandData;
    data->SetRow(row);
    return WithEffectX(data);
}

VornCommandData* EmptyData(Kind kind)
{
    return kind == Insert ? static_cast<VornCommandData*>(new KXStyleEffectInsertCommandData)
        : kind == Remove  ? static_cast<VornCommandData*>(new KXStyleEffectRemoveCommandData)
        : kind == Move    ? static_cast<VornCommandData*>(new KXStyleEffectMoveCommandData)
        : kind == Model   ? static_cast<VornCommandData*>(new KXStyleChangeModelCommandData)
                          : new KXStyleChangeModelParamsCommandData;
}

VornCommand* MakeCommand(Kind kind, KXDocumentInterface* document, bool flag = true)
{
    return kind == Insert ? static_cast<VornCommand*>(new KXStyleEffectInsertCommand(document))
        : kind == Remove  ? static_cast<VornCommand*>(new KXStyleEffectRemoveCommand(document))
        : kind == Move    ? static_cast<VornCommand*>(new KXStyleEffectMoveCommand(document, flag))
        : kind == Model   ? static_cast<VornCommand*>(new KXStyleChangeModelCommand(document, !flag))
                          : new KXStyleChangeModelParamsCommand(document);
}

const char* const kFiles[] = { "kxstyleeffectinsertcommand", "kxstyleeffectremovecommand", "kxstyleeffectmovecommand",
    "kxstylechangemodelcommand", "kxstylechangemodelparamscommand" };

QString StylePattern(Kind kind, const QString& message)
{
    return ReportPattern(QStringLiteral("src/stylecommands/%1.cpp").arg(QLatin1String(kFiles[kind])), message);
}

// What badInput hands a command.
enum Input
{
    WrongData, // (no data takes the same branch: the shared cast answers null for both)
    NoDocument,
    NoStyle,
    NoRecord,
    RowsOut
};

const QString kBadInput = QStringLiteral("Command error. No Docuemnt or No CommandData.");
const QString kBroken = QStringLiteral("Cammand sequence was broken.");

} // namespace

class TestStyleCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_document.reset(new KXMemoryDocument(QSize(8, 8)));
        KXImage32 pixels(8, 8);
        pixels.Fill(KXRGBA32i(10, 20, 30, 255));
        m_document->AddRasterLayer(QStringLiteral("Background"), pixels);
        m_document->AddRasterLayer(QStringLiteral("Styled"), pixels);
        m_style = m_document->GetStyleProxy();
        m_tester.reset(new QAbstractItemModelTester(m_style, QAbstractItemModelTester::FailureReportingMode::QtTest));
        m_style->SetStyleName(QStringLiteral("Plain"));
        m_style->SetStyleUID(QStringLiteral("uid-0"));
        m_style->AddEffect(QStringLiteral("A"), "a", true);
        m_style->AddEffect(QStringLiteral("B"), "b", false);
        m_style->AddEffect(QStringLiteral("C"), "c", true);
        m_states.clear();
        connect(m_document.get(), &KXDocumentInterface::documentStateChanged, this, [this](int s) { m_states << s; });
    }
    void cleanup()
    {
        m_tester.reset();
        m_document.reset();
    }

    // Insert, remove and move at the first, middle and last rows, pushed and
    // then undone and redone through the temporary file; after each undo and
    // redo the style is compared row by row.
    void rowEdits_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("destination");
        QTest::addColumn<QString>("redone");
        QTest::newRow("insert first") << int(Insert) << 0 << -1 << "X:x:1 A:a:1 B:b:0 C:c:1";
        QTest::newRow("insert last") << int(Insert) << 3 << -1 << "A:a:1 B:b:0 C:c:1 X:x:1";
        // The removed effect is what the data stores, not what the row held.
        QTest::newRow("remove first") << int(Remove) << 0 << -1 << "B:b:0 C:c:1";
        QTest::newRow("remove last") << int(Remove) << 2 << -1 << "A:a:1 B:b:0";
        // Moves to the row count and from the last row; the moved copy is the stored effect.
        QTest::newRow("move first to end") << int(Move) << 0 << 3 << "B:b:0 C:c:1 X:x:1";
        QTest::newRow("move last to first") << int(Move) << 3 << 0 << "X:x:1 A:a:1 B:b:0";
        QTest::newRow("move last to middle") << int(Move) << 3 << 1 << "A:a:1 X:x:1 B:b:0";
    }
    void rowEdits()
    {
        QFETCH(int, kind);
        QFETCH(int, row);
        QFETCH(int, destination);
        QFETCH(QString, redone);
        // A remove or move stores the effect it takes; make the style hold it there.
        const int taken = kind == Remove ? row : kind == Move ? (row == 3 ? 2 : row) : -1;
        if (taken >= 0) {
            QVERIFY(m_style->removeRows(taken, 1));
            QVERIFY(m_style->InsertEffect(taken, QStringLiteral("X"), "x", true));
        }
        const QString start = Rows(*m_style);
        VornCommand* command = MakeCommand(Kind(kind), m_document.get());
        command->SetCommandData(RowData(Kind(kind), row, destination));
        MessageCapture capture;
        HistoryFixture history;
        CheckRoundTrip(history, *m_document, command, 2, [&](bool done) {
            QCOMPARE(Rows(*m_style), done ? redone : start);
            QCOMPARE(m_document->GetDocumentState(), done ? 1 : 0);
        });
        QCOMPARE(history.FileCount(), 1);
        QVERIFY(capture.texts().isEmpty());
    }

    // A style dialog session as a live edit: the host changes name, UID and
    // effects while the command is pending, one commit makes one history row;
    // undo and redo read the snapshots back from the temporary file. Built
    // with skip, the push's redo neither applies nor counts. (The demo's
    // dialog changes parameters.)
    void liveEdits_data()
    {
        QTest::addColumn<bool>("skip");
        QTest::addColumn<QList<int>>("states");
        QTest::newRow("whole style") << false << QList<int> { 1, 0, 1, 0, 1 };
        QTest::newRow("whole style, skipped by the push") << true << QList<int> { 1, 0, -1, 0 };
    }
    void liveEdits()
    {
        QFETCH(bool, skip);
        QFETCH(QList<int>, states);
        // The undo snapshot as the dialog takes it when it opens.
        auto* model = new KXStyleChangeModelCommandData;
        model->SetUndoStyleName(m_style->GetStyleName());
        model->SetUndoStyleUID(m_style->GetStyleUID());
        for (int row = 0; row < m_style->rowCount(); ++row) {
            const QModelIndex effect = m_style->index(row, 0);
            model->AddUndoEffect(
                m_style->GetEffectUID(effect), m_style->GetSessionData(effect), m_style->IsEnabled(effect));
        }
        VornCommand* command = MakeCommand(Model, m_document.get(), !skip);
        command->SetCommandData(model);
        const QString start = NamedRows();
        const QString edited = QStringLiteral("Neon/uid-9 Glow:g:1 Satin:s:0");
        HistoryFixture history;
        history.stack.pushDelayed(command);
        m_style->SetStyleName(QStringLiteral("Neon"));
        m_style->SetStyleUID(QStringLiteral("uid-9"));
        QVERIFY(m_style->removeRows(0, 3));
        m_style->AddEffect(QStringLiteral("Glow"), "g", true);
        m_style->AddEffect(QStringLiteral("Satin"), "s", false);
        history.stack.commit();
        QCOMPARE(NamedRows(), edited);
        QCOMPARE(history.stack.count(), 2);
        history.WaitWritten();
        history.stack.undo();
        QCOMPARE(NamedRows(), start);
        history.stack.redo();
        QCOMPARE(NamedRows(), edited);
        QCOMPARE(m_states, states);
    }

    // Exact record bytes, read back into empty data and written again, a cut
    // record, enabled read as any non-zero int, and the getters without a record.
    void records_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<unsigned int>("type");
        QTest::addColumn<QByteArray>("record");
        QTest::newRow("insert") << int(Insert) << 43u << Hex("00000001 00000002 0058 00000001 78 00000001");
        QTest::newRow("remove") << int(Remove) << 44u << Hex("00000001 00000002 0058 00000001 78 00000001");
        QTest::newRow("move") << int(Move) << 47u << Hex("00000001 00000004 00000002 0058 00000001 78 00000001");
        // Names "Old", "u1", "" and one never set; no undo effects, one redo effect.
        QTest::newRow("model") << int(Model) << 45u
                               << Hex("00000006 004f006c0064 00000004 00750031 00000000 ffffffff"
                                      "00000000 00000001 00000002 0041 00000001 78 00000001");
        // One undo entry; two redo entries, the first with null settings.
        QTest::newRow("params") << int(
            Params) << 46u << Hex("00000001 00000001 70 00000000 00000002 ffffffff 00000001 00000002 7171 00000001");
    }
    void records()
    {
        QFETCH(int, kind);
        QFETCH(unsigned int, type);
        QFETCH(QByteArray, record);
        std::unique_ptr<VornCommandData> data(EmptyData(Kind(kind)));
        if (kind == Model) {
            auto* model = static_cast<KXStyleChangeModelCommandData*>(data.get());
            model->SetUndoStyleName(QStringLiteral("Old"));
            model->SetUndoStyleUID(QStringLiteral("u1"));
            model->SetRedoStyleName(QString::fromLatin1(""));
            model->AddRedoEffect(QStringLiteral("A"), "x", true);
            QString uid;
            QByteArray settings;
            bool enabled = false;
            QVERIFY(!model->GetRedoEffect(1, uid, settings, enabled));
            QVERIFY(!model->GetRedoEffect(-1, uid, settings, enabled));
        } else if (kind == Params) {
            auto* params = static_cast<KXStyleChangeModelParamsCommandData*>(data.get());
            params->AddUndoEffect("p", false);
            params->AddRedoEffect(QByteArray(), true);
            params->AddRedoEffect("qq", true);
        } else {
            data.reset(RowData(Kind(kind), 1, 4));
        }
        QCOMPARE(data->GetDataType(), type);
        std::unique_ptr<VornCommandData> copy(EmptyData(Kind(kind)));
        QCOMPARE(RecordOf(*copy), QByteArray()); // no record, nothing written
        CheckRecord(*data, *copy, record);

        // An enabled value of 5 reads as true and is written back as 1.
        QByteArray five = record;
        five[five.size() - 1] = 5;
        QVERIFY(ReadRecord(five, *copy));
        QCOMPARE(RecordOf(*copy), record);

        data->ReleaseSerializeData();
        QCOMPARE(RecordOf(*data), QByteArray());
    }

    // Bad data, a missing document or style model, rows out of range and
    // data without a record, each executed once as redo and once as undo.
    void badInput_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("input");
        QTest::addColumn<QString>("report");
        QTest::addColumn<QList<int>>("states");
        const auto row = [](const char* title, Kind kind, int input, const QString& report, const QList<int>& states) {
            QTest::newRow(title) << int(kind) << input << report << states;
        };
        // Every command checks its own input, each in its own file.
        for (Kind kind : { Insert, Remove, Move, Model, Params }) {
            const QByteArray name = kFiles[kind];
            row((name + ", wrong data").constData(), kind, WrongData, kBadInput, {});
            row((name + ", no document").constData(), kind, NoDocument, kBadInput, {});
            // Whole-style and parameter changes count even without a style model.
            const QList<int> counted = kind >= Model ? QList<int> { 1, 0 } : QList<int>();
            row((name + ", no style").constData(), kind, NoStyle, QString(), counted);
        }
        row("insert, no record", Insert, NoRecord, QString(), {});
        row("move, no record", Move, NoRecord, QString(), { 1, 0 });
        row("model, no record", Model, NoRecord, QString(), { 1, 0 });
        row("params, no record", Params, NoRecord, kBroken, { 1, 0 });
        row("remove, row past the end", Remove, RowsOut, QString(), {});
        row("move, rows past the end", Move, RowsOut, QString(), { 1, 0 });
        row("params, an effect more", Params, RowsOut, kBroken, { 1, 0 });
    }
    void badInput()
    {
        QFETCH(int, kind);
        QFETCH(int, input);
        QFETCH(QString, report);
        QFETCH(QList<int>, states);
        std::unique_ptr<VornCommandData> data;
        if (input == WrongData)
            data.reset(EmptyData(kind == Insert ? Remove : Insert));
        else if (input == NoRecord)
            data.reset(EmptyData(Kind(kind)));
        else if (input == RowsOut)
            data.reset(kind == Params ? ParamsForRows(4) : RowData(Kind(kind), 4, 5));
        else
            data.reset(GoodData(Kind(kind)));
        if (input == NoStyle)
            m_document->SetCurrentLayer(KXMemoryDocument::InvalidId);
        std::unique_ptr<VornCommand> command(MakeCommand(Kind(kind), input == NoDocument ? nullptr : m_document.get()));
        MessageCapture capture;
        command->redoExec(data.get());
        command->undoExec(data.get());
        const QString pattern = StylePattern(Kind(kind), report);
        CompareReports(capture.texts(), report.isEmpty() ? QStringList() : QStringList { pattern, pattern });
        QCOMPARE(m_states, states);
        m_document->SetCurrentLayer(1);
        QCOMPARE(Rows(*m_style), kStart);
        QCOMPARE(m_style->GetStyleName(), QStringLiteral("Plain"));
    }

private:
    QString NamedRows() const
    {
        return m_style->GetStyleName() + QLatin1Char('/') + m_style->GetStyleUID() + QLatin1Char(' ') + Rows(*m_style);
    }

    // Data that would visibly change the style if it were applied.
    static VornCommandData* GoodData(Kind kind)
    {
        if (kind == Params)
            return ParamsForRows(3);
        if (kind != Model)
            return RowData(kind, 0, 3);
        auto* data = new KXStyleChangeModelCommandData;
        data->SetUndoStyleName(QStringLiteral("Undone"));
        data->SetRedoStyleName(QStringLiteral("Redone"));
        data->AddUndoEffect(QStringLiteral("U"), "u", true);
        data->AddRedoEffect(QStringLiteral("R"), "r", true);
        return data;
    }

    static KXStyleChangeModelParamsCommandData* ParamsForRows(int rows)
    {
        auto* data = new KXStyleChangeModelParamsCommandData;
        for (int row = 0; row < rows; ++row) {
            data->AddUndoEffect("changed", false);
            data->AddRedoEffect("changed", false);
        }
        return data;
    }

    std::unique_ptr<KXMemoryDocument> m_document;
    KXStyleProxy* m_style = nullptr;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    QList<int> m_states;
};

QTEST_MAIN(TestStyleCommands)
#include "tst_stylecommands.moc"
