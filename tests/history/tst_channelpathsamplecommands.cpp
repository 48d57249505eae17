#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QtTest>

#include <memory>
#include <stdexcept>

#include "KXChannelModel.h"
#include "KXColorSampleModel.h"
#include "KXMemoryDocument.h"
#include "KXPathsListModel.h"
#include "changesubpathcommanddata.h"
#include "colorsamplescommand.h"
#include "colorsamplescommanddataadd.h"
#include "colorsamplescommanddataclear.h"
#include "colorsamplescommanddatamove.h"
#include "colorsamplescommanddataremove.h"
#include "deletechannelcommand.h"
#include "deletechannelcommanddata.h"
#include "duplicatepathcommanddata.h"
#include "insertchannelcommand.h"
#include "insertchannelcommanddata.h"
#include "insertpathcommanddata.h"
#include "insertsubpathcommanddata.h"
#include "pathcommand.h"
#include "removepathcommanddata.h"
#include "removesubpathcommanddata.h"
#include "recordcheck.h"
#include "recordtesting.h"
#include "roundtrip.h"
#include "subpathcommand.h"
#include "transformpathcommanddata.h"

namespace {

using Path = KXPathsListModel::Path;
using Elements = QList<KXPathElement>;
enum Kind
{
    ChannelInsert,
    ChannelDelete,
    PathEdit,
    SubpathEdit,
    SampleEdit
};

VornCommand* MakeCommand(int kind, KXDocumentInterface* document)
{
    switch (kind) {
    case ChannelInsert:
        return new InsertChannelCommand(document);
    case ChannelDelete:
        return new DeleteChannelCommand(document, nullptr);
    case PathEdit:
        return new PathCommand(document);
    case SubpathEdit:
        return new SubpathCommand(document);
    default:
        return new ColorSamplesCommand(document);
    }
}

// A document that logs the channel calls and can be told to fail or throw on one id.
class ChannelDocument : public KXMemoryDocument
{
public:
    enum Fault
    {
        None,
        Fail,
        Throw,
        ThrowUnknown
    };
    using KXMemoryDocument::KXMemoryDocument;

    bool DeleteAlphaChannel(unsigned int id) override
    {
        calls << QStringLiteral("delete %1").arg(id);
        return Faulted(id) && KXMemoryDocument::DeleteAlphaChannel(id);
    }
    bool CreateAlphaChannelFromMask(const QString& name, const KXImage32& mask, unsigned int id) override
    {
        calls << QStringLiteral("create %1").arg(id);
        return Faulted(id) && KXMemoryDocument::CreateAlphaChannelFromMask(name, mask, id);
    }

    QStringList calls;
    unsigned int faultId = 0xFFFFFFFF;
    Fault fault = None;

private:
    bool Faulted(unsigned int id) const
    {
        if (id != faultId || fault == None)
            return true;
        if (fault == Throw)
            throw std::runtime_error("disk gone");
        if (fault == ThrowUnknown)
            throw 42;
        return false;
    }
};

KXImage32 Mask(int width, int height, int seed)
{
    KXImage32 mask(static_cast<unsigned>(width), static_cast<unsigned>(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.SetPixel(unsigned(x), unsigned(y), KXRGBA32i(0, 0, 0, (x * 31 + y * 17 + seed) & 0xFF));
    return mask;
}

Elements Line(double x1, double y1, double x2, double y2)
{
    return { KXPathElement(KXPathElement::MoveTo, { x1, y1 }), KXPathElement(KXPathElement::LineTo, { x2, y2 }) };
}

QByteArray RecordBytes(const HistoryFixture& history)
{
    const QStringList files = RecordFiles(QDir(history.folder.path()));
    return files.size() == 1 ? FileBytes(QDir(history.folder.path()).filePath(files.first())) : "<no single file>";
}

// One entry of a delete record, with a 1 x 1 mask.
QByteArray Entry(unsigned int id, const QString& name, const QPoint& offset)
{
    DeleteChannelCommandData data;
    data.InsertUndoData(id, name, offset, Mask(1, 1, 200));
    return RecordOf(data).mid(4);
}

} // namespace

class TestChannelPathSampleCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<ChannelDocument> m_document;
    QList<int> m_states;

    KXChannelModel* Channels() const { return m_document->GetChannelModel(); }
    KXPathsListModel* Paths() const { return m_document->GetPathListModel(); }
    KXColorSampleModel* Samples() const { return m_document->GetColorSamples(); }

private slots:
    // Six channels "C0".."C5", each with its own offset and mask; a selection;
    // three paths; three colour samples in formats Lab, RGB, Hex.
    void init()
    {
        m_document.reset(new ChannelDocument(QSize(16, 12)));
        for (unsigned int id = 0; id < 6; ++id) {
            QVERIFY(m_document->KXMemoryDocument::CreateAlphaChannelFromMask(
                QStringLiteral("C%1").arg(id), Mask(3 + int(id), 2, int(id)), id));
            QVERIFY(m_document->SetChannelOffset(id, QPoint(int(id), -int(id))));
        }
        m_document->SetSelectionMask(Mask(4, 3, 9), QPoint(5, 6));
        QVERIFY(Paths()->InsertPath(0, { { Line(0, 0, 4, 2), 0 }, { Line(10, 10, 12, 16), 2 } }, QStringLiteral("P0")));
        QVERIFY(Paths()->InsertPath(1, { { Line(1, 1, 2, 2), 1 } }, QStringLiteral("P1")));
        QVERIFY(Paths()->InsertPath(2, {}, QStringLiteral("P2")));
        const KXColorSampleModel::SampleFormat formats[]
            = { KXColorSampleModel::Lab, KXColorSampleModel::RGB, KXColorSampleModel::Hex };
        for (int row = 0; row < 3; ++row) {
            QVERIFY(Samples()->InsertPoint(row, QPoint(row, 10 * row), QColor()));
            QVERIFY(Samples()->SetDisplayFormat(row, formats[row]));
        }
        m_states.clear();
        connect(m_document.get(), &KXDocumentInterface::documentStateChanged, this,
            [this](int state) { m_states << state; });
        m_document->calls.clear();
    }

    // Each edit pushed, its record written to the temporary file and compared
    // byte for byte, then undone and redone twice from that file with the
    // whole document (channel, path and sample rows included) compared. The
    // three models stay consistent for QAbstractItemModelTester throughout.
    void roundTrip_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<QByteArray>("record"); // empty: not compared
        const QByteArray moveTo12 = Hex("00000001 00000000 3ff0000000000000 4000000000000000");
        const QByteArray line10 = Hex("00000002 00000000 4024000000000000 4024000000000000"
                                      "00000001 4028000000000000 4030000000000000");
        const QByteArray line0 = Hex("00000002 00000000 0000000000000000 0000000000000000"
                                     "00000001 4010000000000000 4000000000000000");
        const Elements one { KXPathElement(KXPathElement::MoveTo, { 1, 2 }) };

        QTest::newRow("insert empty channel") << int(ChannelInsert) << MakeData<InsertChannelCommandData>([](auto& d) {
            d.SetChannelNumber(6);
            d.SetChannelName("A");
            d.SetActionType(InsertChannelCommandData::CreateEmpty);
        }) << Hex("00000006 00000002 0041");
        QTest::newRow("delete channels") << int(ChannelDelete) << MakeData<DeleteChannelCommandData>([](auto& d) {
            for (int id : { 2, 5, 3 })
                d.InsertUndoData(id, QStringLiteral("C%1").arg(id), QPoint(id, -id), Mask(3 + id, 2, id));
        }) << QByteArray();
        QTest::newRow("insert path") << int(PathEdit) << MakeData<InsertPathCommandData>([one](auto& d) {
            d.SetPathIndex(1);
            d.SetPathName("N");
            d.SetPath({ { one, 3 } });
        }) << Hex("00000002 004e 00000001 00000001") + moveTo12 + Hex("00000003");
        QTest::newRow("remove path")
            << int(PathEdit) << MakeData<RemovePathCommandData>([](auto& d) {
                   d.SetPathIndex(1);
                   d.SetPathName("P1");
                   d.SetPath({ { Line(1, 1, 2, 2), 1 } });
               })
            << Hex("00000001 00000004 00500031 00000001 00000002 00000000 3ff0000000000000 3ff0000000000000"
                   "00000001 4000000000000000 4000000000000000 00000001");
        QTest::newRow("duplicate path") << int(PathEdit) << MakeData<DuplicatePathCommandData>([](auto& d) {
            d.SetPathIndex(0);
            d.SetPathName("C");
        }) << Hex("00000000 00000002 0043");
        QTest::newRow("transform path") << int(PathEdit) << MakeData<TransformPathCommandData>([](auto& d) {
            d.SetPathIndex(0);
            d.SetSubpathIndex(-1);
            d.SetPath({ { Line(0, 0, 4, 2), 0 }, { Line(10, 10, 12, 16), 2 } });
            d.SetTransform(QTransform(1, 0, 0, 1, 5, 6));
        })
                                        << Hex("00000000 ffffffff 00000002") + line0 + Hex("00000000") + line10
                + Hex("00000002")
                + Hex("3ff0000000000000 0000000000000000 0000000000000000 0000000000000000 3ff0000000000000"
                      "0000000000000000 4014000000000000 4018000000000000 3ff0000000000000");
        QTest::newRow("insert subpath") << int(SubpathEdit) << MakeData<InsertSubpathCommandData>([one](auto& d) {
            d.SetPathIndex(2);
            d.SetSubpathIndex(0);
            d.SetLogicalOp(1);
            d.SetData(one);
        }) << Hex("00000002 00000000 00000001") + moveTo12;
        QTest::newRow("change subpath") << int(SubpathEdit) << MakeData<ChangeSubpathCommandData>([one](auto& d) {
            d.SetPathIndex(0);
            d.SetSubpathIndex(1);
            d.SetUndoData(Line(10, 10, 12, 16));
            d.SetRedoData(one);
        }) << Hex("00000000 00000001") + moveTo12 + line10;
        QTest::newRow("remove subpath") << int(SubpathEdit) << MakeData<RemoveSubpathCommandData>([](auto& d) {
            d.SetPathIndex(0);
            d.SetSubpathIndex(1);
            d.SetLogicalOp(2);
            d.SetUndoData(Line(10, 10, 12, 16));
        }) << Hex("00000000 00000001 00000002") + line10;
        QTest::newRow("add sample") << int(SampleEdit) << MakeData<ColorSamplesCommandDataAdd>([](auto& d) {
            d.SetSamplePoint(QPoint(3, 4));
            d.SetDisplayFormat(KXColorSampleModel::CMYK);
        }) << Hex("00000003 00000004");
        QTest::newRow("remove sample") << int(SampleEdit) << MakeData<ColorSamplesCommandDataRemove>([](auto& d) {
            d.SetSamplePoint(0, QPoint(0, 0));
        }) << Hex("00000000 00000000 00000000");
        QTest::newRow("clear samples") << int(SampleEdit) << MakeData<ColorSamplesCommandDataClear>([](auto& d) {
            d.SetData({ QPoint(0, 0), QPoint(1, 10), QPoint(2, 20) });
        }) << Hex("00000003 0000000000000000 000000010000000a 0000000200000014");
        QTest::newRow("move sample") << int(SampleEdit)
                                     << MakeData<ColorSamplesCommandDataMove>([](auto& d) { d.SetData(2, QPoint(5, -3)); })
                                     << Hex("00000002 00000005 fffffffd");
    }
    void roundTrip()
    {
        QFETCH(int, kind);
        QFETCH(DataMaker, make);
        QFETCH(QByteArray, record);
        QAbstractItemModelTester channelTester(Channels(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester pathTester(Paths(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        QAbstractItemModelTester sampleTester(Samples(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        MessageCapture capture;
        HistoryFixture history;
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        VornCommand* command = MakeCommand(kind, m_document.get());
        command->SetCommandData(make());
        CheckRoundTrip(history, *m_document, command);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(DocumentFingerprint::Take(*m_document).Differences(before).size(), 1); // one model changed
        if (!record.isEmpty())
            QCOMPARE(RecordBytes(history).toHex(), record.toHex());
        QCOMPARE(m_states, (QList<int> { 1, 0, 1, 0, 1 }));
        QVERIFY2(capture.texts().isEmpty(), qPrintable(capture.texts().join('\n')));
        const QString cycle = QStringLiteral("delete 5 delete 3 delete 2 create 2 create 3 create 5 ");
        if (kind == ChannelDelete) // highest id first, recreated lowest first
            QCOMPARE(m_document->calls.join(' '), cycle + cycle + "delete 5 delete 3 delete 2");
    }

    // After deleting channels 2 and 3, the composite channels are selected
    // only when no row is left selected; undo leaves the selection alone.
    void deleteSelectsCompositeChannels_data()
    {
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<QList<int>>("afterRedo");
        QTest::newRow("only the deleted channel selected") << 4 + 2 << QList<int> { 0, 1, 2, 3 };
        QTest::newRow("a kept channel selected") << 4 + 1 << QList<int> { 5 };
        QTest::newRow("nothing selected") << -1 << QList<int> { 0, 1, 2, 3 };
    }
    void deleteSelectsCompositeChannels()
    {
        QFETCH(int, selectedRow);
        QFETCH(QList<int>, afterRedo);
        QItemSelectionModel selection(Channels());
        if (selectedRow >= 0)
            selection.select(Channels()->index(selectedRow), QItemSelectionModel::Select | QItemSelectionModel::Rows);
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        auto* data = new DeleteChannelCommandData;
        for (int id : { 3, 2 })
            data->InsertUndoData(id, QStringLiteral("C%1").arg(id), QPoint(id, -id), Mask(3 + id, 2, id));
        data->InsertUndoData(2, QStringLiteral("other"), QPoint(), Mask(1, 1, 0)); // the first entry stays
        DeleteChannelCommand command(m_document.get(), &selection);
        command.SetCommandData(data);
        const auto selectedRows = [&] {
            QList<int> rows;
            for (const QModelIndex& index : selection.selectedRows())
                rows << index.row();
            std::sort(rows.begin(), rows.end());
            return rows;
        };
        command.redoExec(data);
        QCOMPARE(selectedRows(), afterRedo);
        QCOMPARE(Channels()->GetAlphaChannelCount(), 4u);
        command.undoExec(data);
        QCOMPARE(selectedRows(), afterRedo);
        CompareFingerprints(DocumentFingerprint::Take(*m_document), before, "after undo");
    }

    // The document failing or throwing on one channel: reported, the other
    // channels still handled, the counter still moved; an exception of
    // unknown type is reported and passed on.
    void channelFaults_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<bool>("undo");
        QTest::addColumn<unsigned int>("faultId");
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<QStringList>("channelsLeft");
        const QString file = QStringLiteral("src/channelcommands/deletechannelcommand.cpp");
        const QString exception = ExceptionPattern(file, QStringLiteral("exception"), QStringLiteral("disk gone"));
        QTest::newRow("delete fails") << int(ChannelDocument::Fail) << false << 3u
                                      << QStringList { ReportPattern(file, "Error to delete alpha channel id = 3.") }
                                      << QStringList { "C0", "C1", "C3" };
        QTest::newRow("delete throws") << int(ChannelDocument::Throw) << false << 3u << QStringList { exception }
                                       << QStringList { "C0", "C1", "C2", "C3" };
        QTest::newRow("recreate fails") << int(ChannelDocument::Fail) << true << 5u
                                        << QStringList { ReportPattern(
                                               file, "Error to create new alpha channel id = 5.") }
                                        << QStringList { "C0", "C1", "C2", "C3", "C4" };
        QTest::newRow("recreate throws") << int(ChannelDocument::Throw) << true << 3u << QStringList { exception }
                                         << QStringList { "C0", "C1", "C2" };
    }
    void channelFaults()
    {
        QFETCH(int, fault);
        QFETCH(bool, undo);
        QFETCH(unsigned int, faultId);
        QFETCH(QStringList, reports);
        QFETCH(QStringList, channelsLeft);
        const auto run = [&](std::initializer_list<unsigned int> ids, ChannelDocument::Fault chosen) {
            auto* data = new DeleteChannelCommandData;
            for (unsigned int id : ids)
                data->InsertUndoData(id, QStringLiteral("C%1").arg(id), QPoint(), Mask(2, 2, int(id)));
            DeleteChannelCommand command(m_document.get(), nullptr);
            command.SetCommandData(data);
            m_document->fault = ChannelDocument::None;
            if (undo)
                command.redoExec(data);
            m_document->fault = chosen;
            if (undo)
                command.undoExec(data);
            else
                command.redoExec(data);
        };
        MessageCapture capture;
        m_document->faultId = faultId;
        run({ 2, 3, 4, 5 }, ChannelDocument::Fault(fault));
        CompareReports(capture.texts(), reports);
        QStringList names;
        for (unsigned int id = 0; id < Channels()->GetAlphaChannelCount(); ++id)
            names << Channels()->GetAlphaChannelName(id);
        QCOMPARE(names, channelsLeft);
        QCOMPARE(m_states.last(), undo ? 0 : 1);

        capture.clear();
        m_document->faultId = 0;
        QVERIFY_EXCEPTION_THROWN(run({ 0 }, ChannelDocument::ThrowUnknown), int);
        CompareReports(capture.texts(),
            { ExceptionPattern(QStringLiteral("src/channelcommands/deletechannelcommand.cpp"),
                QStringLiteral("unknown exception")) });
    }

    // The insert command's reports; the counter moves whenever there is a record.
    void insertChannelReports_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<unsigned int>("id");
        QTest::addColumn<bool>("clearSelection");
        QTest::addColumn<QStringList>("reports"); // redo, then undo
        QTest::addColumn<int>("channelsAfterUndo");
        const QString file = QStringLiteral("src/channelcommands/insertchannelcommand.cpp");
        QTest::newRow("action never set") << int(InsertChannelCommandData::NoAction) << 0u << false
                                          << QStringList { ReportPattern(file, "Unknown error.") } << 5;
        QTest::newRow("empty, id out of range")
            << int(InsertChannelCommandData::CreateEmpty) << 9u << false
            << QStringList { ReportPattern(file, "Error to create new alpha channel id = 9"),
                   ReportPattern(file, "Error to delete alpha channel id = 9") }
            << 6;
        QTest::newRow("from an empty selection")
            << int(InsertChannelCommandData::CreateFromSelection) << 1u << true
            << QStringList { ReportPattern(file, "Error to create new alpha channel id = 1") } << 5;
    }
    void insertChannelReports()
    {
        QFETCH(int, action);
        QFETCH(unsigned int, id);
        QFETCH(bool, clearSelection);
        QFETCH(QStringList, reports);
        QFETCH(int, channelsAfterUndo);
        if (clearSelection)
            m_document->SetSelectionMask(KXImage32(), QPoint());
        auto* data = new InsertChannelCommandData;
        data->SetChannelNumber(id);
        data->SetChannelName(QStringLiteral("X"));
        if (action != InsertChannelCommandData::NoAction)
            data->SetActionType(InsertChannelCommandData::ActionType(action));
        data->ReleaseSerializeData(); // the action stays: it is not part of the record
        InsertChannelCommand command(m_document.get());
        MessageCapture capture;
        command.redoExec(data); // no record: nothing at all
        data->SetChannelNumber(id);
        data->SetChannelName(QStringLiteral("X"));
        command.redoExec(data);
        command.undoExec(data);
        CompareReports(capture.texts(), reports);
        QCOMPARE(m_states, (QList<int> { 1, 0 }));
        QCOMPARE(int(Channels()->GetAlphaChannelCount()), channelsAfterUndo);
        delete data;
    }

    // The delete record: entries in ascending id order; a damaged or hostile
    // record (short, negative or huge count) is not kept.
    void deleteChannelRecord_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QList<unsigned int>>("ids");
        QTest::addColumn<QByteArray>("rewritten"); // in ascending id order
        const QByteArray entry7 = Entry(7, QStringLiteral("A"), QPoint(1, 2));
        const QByteArray entry3 = Entry(3, QString(), QPoint());
        const QList<unsigned int> none;
        QTest::newRow("two entries") << Hex("00000002") + entry7 + entry3 << true << QList<unsigned int> { 3, 7 }
                                     << Hex("00000002") + entry3 + entry7;
        QTest::newRow("id twice") << Hex("00000002") + entry7 + entry7 << true << QList<unsigned int> { 7 }
                                  << Hex("00000001") + entry7;
        QTest::newRow("count too big") << Hex("00000003") + entry7 + entry3 << false << none << QByteArray();
        QTest::newRow("huge count") << Hex("7fffffff") + entry7 << false << none << QByteArray();
        QTest::newRow("negative count") << Hex("ffffffff") << false << none << QByteArray();
        QTest::newRow("cut in an entry") << Hex("00000001") + entry7.left(12) << false << none << QByteArray();
    }
    void deleteChannelRecord()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, ok);
        QFETCH(QList<unsigned int>, ids);
        QFETCH(QByteArray, rewritten);
        QCOMPARE(Entry(7, QStringLiteral("A"), QPoint(1, 2)).left(22).toHex(),
            Hex("00000007 00000002 0041 00000001 00000002 00000001").toHex()); // id, name, offset, image width
        DeleteChannelCommandData data;
        data.InsertUndoData(1, QStringLiteral("old"), QPoint(), KXImage32());
        QCOMPARE(ReadRecord(bytes, data), ok);
        QCOMPARE(data.GetChannels(), ids);
        QCOMPARE(RecordOf(data).toHex(), rewritten.toHex()); // nothing of the entry read over is left
    }

    // The transformed path equals the stored path with TransformPath applied
    // here: the chosen subpaths moved so that their bounding rectangle's
    // top-left is at the origin, then the stored transform.
    void transformPath_data()
    {
        QTest::addColumn<int>("subpath");
        QTest::addColumn<QTransform>("transform");
        QTest::addColumn<QPointF>("origin"); // the chosen rectangle's top-left
        QTest::newRow("whole path (index past the end), scaled") << 2 << QTransform::fromScale(2, 3) << QPointF(3, 2);
        QTest::newRow("second subpath, rotated and moved")
            << 1 << QTransform().translate(7, 1).rotate(90) << QPointF(10, 10);
        QTest::newRow("second subpath, identity") << 1 << QTransform() << QPointF(10, 10);
    }
    void transformPath()
    {
        QFETCH(int, subpath);
        QFETCH(QTransform, transform);
        QFETCH(QPointF, origin);
        const Path stored { { Line(3, 2, 4, 6), 0 }, { Line(10, 10, 12, 16), 2 } };
        QVERIFY(Paths()->SetPath(0, stored));
        const bool one = subpath >= 0 && subpath < stored.size();
        const QRectF bounds = one
            ? ConvertFrom(stored.at(subpath).first).boundingRect()
            : ConvertFrom(stored.at(0).first).boundingRect() | ConvertFrom(stored.at(1).first).boundingRect();
        QCOMPARE(bounds.topLeft(), origin);
        Path expected = stored;
        for (int k = 0; k < expected.size(); ++k)
            if (!one || k == subpath)
                TransformPath(expected[k].first, QTransform::fromTranslate(-origin.x(), -origin.y()) * transform);
        auto* data = new TransformPathCommandData;
        data->SetPathIndex(0);
        data->SetSubpathIndex(subpath);
        data->SetPath(stored);
        data->SetTransform(transform);
        PathCommand command(m_document.get());
        command.SetCommandData(data);
        QSignalSpy changed(Paths(), &QAbstractItemModel::dataChanged);
        for (int cycle = 0; cycle < 2; ++cycle) {
            command.redoExec(data);
            QCOMPARE(Paths()->GetPath(0), expected);
            command.undoExec(data);
            QCOMPARE(Paths()->GetPath(0), stored);
        }
        QCOMPARE(changed.count(), 4);
        if (transform.isIdentity() && one) // the chosen subpath lands on the origin
            QCOMPARE(ConvertFrom(expected.at(subpath).first).boundingRect().topLeft(), QPointF(0, 0));
    }

    // A subpath change notifies the path model both ways (its paths and
    // counter are checked in roundTrip).
    void changeSignals()
    {
        QSignalSpy changed(Paths(), &QAbstractItemModel::dataChanged);
        auto* change = new ChangeSubpathCommandData;
        change->SetPathIndex(0);
        change->SetSubpathIndex(0);
        change->SetUndoData(Line(0, 0, 4, 2));
        change->SetRedoData(Line(5, 5, 6, 6));
        SubpathCommand subpaths(m_document.get());
        subpaths.SetCommandData(change);
        subpaths.redoExec(change);
        subpaths.undoExec(change);
        QCOMPARE(changed.count(), 2);
    }

    // Bad input for the path, subpath and sample commands: the path commands
    // report nothing and move the counter for any data with a document; the
    // sample command reports data of another kind and a missing document and
    // then leaves the counter alone, moves it for no model or no record, and
    // removes nothing when an add is undone on an empty list. No row changes
    // the document.
    void badInput_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<bool>("emptySamples"); // then only undo runs
        QTest::addColumn<QStringList>("reports");
        QTest::addColumn<QList<int>>("states");
        const QList<int> moved { 1, 0 };
        const QStringList none;
        const DataMaker null([] { return nullptr; });
        QTest::newRow("path command, remove-subpath data") << int(PathEdit)
            << MakeData<RemoveSubpathCommandData>([](auto& d) { d.SetPathIndex(0); }) << true << false << none << moved;
        QTest::newRow("subpath command, insert-path data") << int(SubpathEdit)
            << MakeData<InsertPathCommandData>([](auto& d) { d.SetPathIndex(0); }) << true << false << none << moved;
        QTest::newRow("path command, no record")
            << int(PathEdit) << MakeData<TransformPathCommandData>([](auto&) {}) << true << false << none << moved;
        QTest::newRow("path command, no document") << int(PathEdit)
            << MakeData<InsertPathCommandData>([](auto& d) { d.SetPathIndex(0); }) << false << false << none
            << QList<int> {};
        QTest::newRow("subpath command, null data") << int(SubpathEdit) << null << true << false << none
                                                    << QList<int> {};
        QTest::newRow("path command, index out of range") << int(PathEdit)
            << MakeData<RemovePathCommandData>([](auto& d) { d.SetPathIndex(7); }) << true << false << none << moved;
        QTest::newRow("subpath command, index out of range")
            << int(SubpathEdit) << MakeData<InsertSubpathCommandData>([](auto& d) {
                   d.SetPathIndex(1);
                   d.SetSubpathIndex(5);
                   d.SetLogicalOp(-7);
                   d.SetData(Line(0, 0, 1, 1));
               }) << true << false << none << moved;
        const QString file = QStringLiteral("src/colorsamplescommands/colorsamplescommand.cpp");
        const QString input = ReportPattern(file, "Error input data.");
        const QString noDocument = ReportPattern(file, "Error command. No Document.");
        const DataMaker add = MakeData<ColorSamplesCommandDataAdd>([](auto&) {});
        QTest::newRow("sample command, null data") << int(SampleEdit) << null << true << false
                                                   << QStringList { input, input } << QList<int> {};
        QTest::newRow("sample command, no document") << int(SampleEdit) << add << false << false
                                                     << QStringList { noDocument, noDocument } << QList<int> {};
        QTest::newRow("sample command, remove without record") << int(SampleEdit)
            << MakeData<ColorSamplesCommandDataRemove>([](auto&) {}) << true << false << none << moved;
        QTest::newRow("sample command, move out of range") << int(SampleEdit)
            << MakeData<ColorSamplesCommandDataMove>([](auto& d) { d.SetData(3, QPoint(1, 1)); }) << true << false
            << none << moved;
        QTest::newRow("sample command, add undone on an empty list")
            << int(SampleEdit) << add << true << true << none << QList<int> { -1 };
    }
    void badInput()
    {
        QFETCH(int, kind);
        QFETCH(DataMaker, make);
        QFETCH(bool, withDocument);
        QFETCH(bool, emptySamples);
        QFETCH(QStringList, reports);
        QFETCH(QList<int>, states);
        if (emptySamples)
            QVERIFY(Samples()->removeRows(0, 3));
        const std::unique_ptr<VornCommandData> data(make());
        const std::unique_ptr<VornCommand> command(MakeCommand(kind, withDocument ? m_document.get() : nullptr));
        const DocumentFingerprint before = DocumentFingerprint::Take(*m_document);
        MessageCapture capture;
        if (!emptySamples)
            command->redoExec(data.get());
        command->undoExec(data.get());
        CompareReports(capture.texts(), reports);
        QCOMPARE(m_states, states);
        CompareFingerprints(DocumentFingerprint::Take(*m_document), before, "after bad input");
    }

    // The path commands' named operations report data of another kind.
    void pathOperationReports()
    {
        PathCommand paths(m_document.get());
        SubpathCommand subpaths(m_document.get());
        ColorSamplesCommandDataAdd other;
        MessageCapture capture;
        paths.RedoTransform(&other);
        paths.UndoDuplicate(nullptr);
        subpaths.RedoChange(&other);
        const QString message = QStringLiteral("Error. Wrong input data.");
        const QString pathReport = ReportPattern("src/pathcommands/pathcommand.cpp", message);
        CompareReports(
            capture.texts(), { pathReport, pathReport, ReportPattern("src/pathcommands/subpathcommand.cpp", message) });
    }

    // The display formats follow their points: an add's undo keeps the last
    // row's format for the redo; a clear's undo gives every appended point
    // its own stored format even when the list changed in between, and the
    // default to a point without one.
    void sampleFormats()
    {
        QAbstractItemModelTester tester(Samples(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        const auto rows = [this] { return DocumentFingerprint::Take(*m_document).samples; };
        ColorSamplesCommand command(m_document.get());
        auto* add = new ColorSamplesCommandDataAdd;
        add->SetSamplePoint(QPoint(7, 7));
        command.SetCommandData(add);
        command.redoExec(add);
        QVERIFY(Samples()->SetDisplayFormat(3, KXColorSampleModel::Grayscale)); // changed after the add
        command.undoExec(add);
        QCOMPARE(add->GetDisplayFormat(), int(KXColorSampleModel::Grayscale));
        command.redoExec(add);
        QCOMPARE(Samples()->GetDisplayFormat(3), KXColorSampleModel::Grayscale);

        ColorSamplesCommand clearing(m_document.get());
        auto* clear = new ColorSamplesCommandDataClear;
        clear->SetData({ QPoint(0, 0), QPoint(1, 10), QPoint(2, 20), QPoint(7, 7) });
        clearing.SetCommandData(clear);
        clearing.redoExec(clear);
        std::vector<int> formats;
        clear->GetDisplayFormats(formats);
        QCOMPARE(formats, (std::vector<int> { 3, 0, 5, 4 }));
        QCOMPARE(Samples()->rowCount(), 0);
        QVERIFY(Samples()->InsertPoint(0, QPoint(9, 9), QColor())); // a point added in between
        QVERIFY(Samples()->SetDisplayFormat(0, KXColorSampleModel::CMYK));
        clearing.undoExec(clear);
        QCOMPARE(
            rows(), (QStringList { "9,9 format 2", "0,0 format 3", "1,10 format 0", "2,20 format 5", "7,7 format 4" }));

        // Formats missing or unknown: the default.
        clear->SetDisplayFormats({ 5, 99 });
        QVERIFY(Samples()->removeRows(0, 5));
        clearing.undoExec(clear);
        QCOMPARE(rows(), (QStringList { "0,0 format 5", "1,10 format 0", "2,20 format 0", "7,7 format 0" }));
        QCOMPARE(m_states, (QList<int> { 1, 0, 1, 2, 1, 0 }));
    }

    // A clear record whose count is larger than the points that follow, or
    // negative, keeps no record (the record itself is in roundTrip).
    void clearRecord()
    {
        const DataMaker none = MakeData<ColorSamplesCommandDataClear>([](auto&) {});
        CheckRecord(none, Hex("00000003 0000000100000002 00000003fffffffc"));
        CheckRecord(none, Hex("80000000"));
    }
};

QTEST_MAIN(TestChannelPathSampleCommands)
#include "tst_channelpathsamplecommands.moc"
