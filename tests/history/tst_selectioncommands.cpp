#include <QFile>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <new>

#include "KXMemoryDocument.h"
#include "messagecapture.h"
#include "recordcheck.h"
#include "recordtesting.h"
#include "roundtrip.h"
#include "mwselectioncommand.h"
#include "mwselectioncommanddata.h"
#include "selectioncommand.h"
#include "selectioncommanddata.h"

using LogicalOp = SelectionCommandData::LogicalOp;
using Rows = QStringList;
Q_DECLARE_METATYPE(LogicalOp)
Q_DECLARE_METATYPE(QPainterPath)

namespace {

const quint32 kSelected = 0xFF000000;
const LogicalOp Union = SelectionCommandData::Union;
const LogicalOp Intersect = SelectionCommandData::Intersect;
const LogicalOp Subtract = SelectionCommandData::Subtract;
const LogicalOp Replace = SelectionCommandData::Replace;

// A mask drawn as text: '#' selected, '.' unselected.
KXImage32 MaskFromRows(const Rows& rows)
{
    const int height = rows.size();
    const int width = height ? rows.first().size() : 0;
    KXImage32 mask { unsigned(width), unsigned(height) };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (rows[y][x] == QLatin1Char('#'))
                mask.SetPixel(unsigned(x), unsigned(y), KXRGBA32i::FromValue(kSelected));
    return mask;
}

// The mask as text; any pixel that is neither selected nor clear shows as '?'.
Rows RowsOf(const KXImage32& mask)
{
    Rows rows;
    for (unsigned int y = 0; y < mask.GetHeight(); ++y) {
        QString row;
        for (unsigned int x = 0; x < mask.GetWidth(); ++x) {
            const quint32 value = mask.GetPixel(x, y).Value();
            row += value == kSelected ? QLatin1Char('#') : value == 0 ? QLatin1Char('.') : QLatin1Char('?');
        }
        rows << row;
    }
    return rows;
}

Rows Full(int width, int height)
{
    Rows rows;
    for (int y = 0; y < height; ++y)
        rows << QString(width, QLatin1Char('#'));
    return rows;
}

QPainterPath RectPath(const QRectF& rect)
{
    QPainterPath path;
    path.addRect(rect);
    return path;
}

// Corners (0, 0), (4.5, 0), (0, 4.5) moved by the point: covers the pixels
// with x + y <= 3 (no pixel centre lies on an edge).
QPainterPath Triangle(const QPointF& at)
{
    QPainterPath path;
    path.moveTo(at);
    path.lineTo(at + QPointF(4.5, 0));
    path.lineTo(at + QPointF(0, 4.5));
    path.closeSubpath();
    return path;
}

DataMaker Shape(LogicalOp op, const QPainterPath& path)
{
    return MakeData<SelectionCommandData>([=](auto& d) {
        d.SetSelectionOp(op);
        d.SetSelectionGeometry(path);
    });
}

DataMaker Mask(const Rows& rows, const QPoint& offset, LogicalOp op)
{
    return MakeData<MWSelectionCommandData>([=](auto& d) { d.SetRedoSel(offset, MaskFromRows(rows), op); });
}

} // namespace

class TestSelectionCommands : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_document.reset(new KXMemoryDocument(QSize(100, 100)));
        m_history.reset(new HistoryFixture);
    }

    // The shape command (a path) and the mask command (a mask) with each
    // operation, pushed, undone and redone through the temporary file; the
    // undo runs on data read back from it. Only the shape command moves the
    // counter and announces each change once.
    void operations_data()
    {
        QTest::addColumn<Rows>("start");
        QTest::addColumn<QPoint>("startOffset");
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<Rows>("result");
        QTest::addColumn<QPoint>("resultOffset");
        const Rows square = Full(4, 4);
        const QPoint at(10, 10);
        QTest::newRow("shape, union without selection")
            << Rows() << QPoint() << Shape(Union, RectPath(QRectF(5, 6, 3, 2))) << Full(3, 2) << QPoint(5, 6);
        QTest::newRow("shape, intersect with a triangle")
            << square << at << Shape(Intersect, Triangle(at)) << Rows { "####", "###.", "##..", "#..." } << at;
        QTest::newRow("shape, intersect fractional") << Full(20, 10) << QPoint(0, 15)
            << Shape(Intersect, RectPath(QRectF(10.6, 20, 5.7, 2))) << Full(4, 2) << QPoint(11, 20);
        QTest::newRow("shape, intersect disjoint")
            << square << at << Shape(Intersect, RectPath(QRectF(50, 50, 3, 3))) << Rows() << QPoint();
        QTest::newRow("shape, subtract a triangle")
            << square << at << Shape(Subtract, Triangle(at)) << Rows { "..#", ".##", "###" } << QPoint(11, 11);
        QTest::newRow("shape, subtract from nothing")
            << Rows() << QPoint(3, 4) << Shape(Subtract, RectPath(QRectF(0, 0, 50, 50))) << Rows() << QPoint(3, 4);
        QTest::newRow("shape, replace fractional: size truncated, offset rounded")
            << square << at << Shape(Replace, RectPath(QRectF(10.6, 20, 5.7, 2))) << Full(5, 2) << QPoint(11, 20);
        QTest::newRow("shape, replace negative halves round up")
            << square << at << Shape(Replace, RectPath(QRectF(-2.5, 3.5, 2, 1))) << Full(2, 1) << QPoint(-2, 4);
        QTest::newRow("shape, replace with an empty path clears")
            << square << at << Shape(Replace, QPainterPath()) << Rows() << QPoint();
        QTest::newRow("shape, operation 4") << square << at << Shape(LogicalOp(4), RectPath(QRectF(0, 0, 3, 3)))
                                            << square << at;
        QTest::newRow("mask, union grows") << square << at << Mask(Rows { "##", "#." }, QPoint(13, 13), Union)
                                           << Rows { "####.", "####.", "####.", "#####", "...#." } << at;
        QTest::newRow("mask, union without selection") << Rows() << QPoint()
            << Mask(Rows { ".#", "#." }, QPoint(30, 40), Union) << Rows { ".#", "#." } << QPoint(30, 40);
        QTest::newRow("mask, intersect trims") << square << at
            << Mask(Rows { ".#.", "...", "..." }, QPoint(12, 12), Intersect) << Rows { "#" } << QPoint(13, 12);
        QTest::newRow("mask, intersect disjoint")
            << square << at << Mask(Full(2, 2), QPoint(60, 60), Intersect) << Rows() << QPoint();
        QTest::newRow("mask, subtract trims") << square << at << Mask(Full(4, 2), at, Subtract) << Full(4, 2)
                                              << QPoint(10, 12);
        QTest::newRow("mask, subtract a hole") << square << at << Mask(Rows { "#" }, QPoint(11, 12), Subtract)
                                               << Rows { "####", "####", "#.##", "####" } << at;
        QTest::newRow("mask, replace") << square << at << Mask(Rows { "#.", "##" }, QPoint(-3, 7), Replace)
                                       << Rows { "#.", "##" } << QPoint(-3, 7);
        QTest::newRow("mask, replace with nothing")
            << square << at << Mask(Rows(), QPoint(0, 0), Replace) << Rows() << QPoint();
        QTest::newRow("mask, operation 0x7FFFFFFF")
            << square << at << Mask(Full(2, 2), QPoint(), LogicalOp(0x7FFFFFFF)) << square << at;
    }
    void operations()
    {
        QFETCH(Rows, start);
        QFETCH(QPoint, startOffset);
        QFETCH(DataMaker, make);
        QFETCH(Rows, result);
        QFETCH(QPoint, resultOffset);
        SetSelection(start, startOffset);
        m_document->SetDocumentState(7);
        VornCommandData* data = make();
        const bool shape = selectiondata_cast(data);
        VornCommand* command;
        if (shape) {
            selectiondata_cast(data)->SetUndoSel(startOffset, MaskFromRows(start));
            command = new SelectionCommand(m_document.get());
        } else { // without a selection the flag says so, and the undo mask kept with it is ignored
            mwselectiondata_cast(data)->SetUndoSel(
                start.isEmpty() ? QPoint(8, 9) : startOffset, MaskFromRows(start.isEmpty() ? Rows { "#" } : start));
            mwselectiondata_cast(data)->SetNoUndoSelection(start.isEmpty());
            command = new MWSelectionCommand(m_document.get(), true);
        }
        QSignalSpy changed(m_document.get(), &KXDocumentInterface::selectionChanged);
        MessageCapture capture;
        const auto check = [&](const Rows& rows, const QPoint& offset, bool redone, int emitted) {
            CompareSelection(rows, offset);
            QCOMPARE(m_document->GetDocumentState(), shape && redone ? 8 : 7);
            if (shape)
                QCOMPARE(changed.count(), emitted);
            m_history->WaitWritten();
            QCOMPARE(m_history->FileCount(), 1);
        };
        m_history->stack.push(Attach(command, data));
        check(result, resultOffset, true, 1);
        m_history->stack.undo();
        check(start, startOffset, false, 2);
        QCOMPARE(m_document->HasSelection(), !start.isEmpty());
        m_history->stack.redo();
        check(result, resultOffset, true, 3);
        QCOMPARE(capture.texts(), QStringList());
    }

    // Undo restores what the caller recorded, not what was there at redo.
    void shapeRecordsTheSelectionItWasBuiltWith()
    {
        SetSelection(Full(2, 2), QPoint(1, 1));
        SelectionCommandData* data = static_cast<SelectionCommandData*>(Shape(Union, RectPath(QRectF(0, 0, 1, 1)))());
        data->SetUndoSel(QPoint(1, 1), MaskFromRows(Rows { "#.", ".#" }));
        m_history->stack.push(Attach(new SelectionCommand(m_document.get()), data));
        CompareSelection(Rows { "#..", ".##", ".##" }, QPoint(0, 0));
        m_history->stack.undo();
        CompareSelection(Rows { "#.", ".#" }, QPoint(1, 1));
        m_history->stack.redo();
        CompareSelection(Rows { "#..", ".#.", "..#" }, QPoint(0, 0));
    }

    // Data without a record: redo edits nothing and keeps the counter; undo
    // restores an empty selection at (0, 0). SetUndoSel on such data stores nothing.
    void shapeDataWithoutRecord()
    {
        SetSelection(Full(2, 2), QPoint(5, 5));
        m_document->SetDocumentState(3);
        SelectionCommand command(m_document.get());
        SelectionCommandData data;
        data.SetUndoSel(QPoint(5, 5), m_document->GetSelectionMask());
        QPoint offset(9, 9);
        KXImage32 mask(1, 1);
        QVERIFY(!data.GetUndoSel(offset, mask));
        QCOMPARE(offset, QPoint(9, 9));
        QSignalSpy changed(m_document.get(), &KXDocumentInterface::selectionChanged);
        MessageCapture capture;

        command.redoExec(&data);
        CompareSelection(Full(2, 2), QPoint(5, 5));
        QCOMPARE(m_document->GetDocumentState(), 3);
        QCOMPARE(changed.count(), 0);

        command.undoExec(&data);
        CompareSelection(Rows(), QPoint());
        QCOMPARE(m_document->GetDocumentState(), 2);
        QCOMPARE(capture.texts(), QStringList());
    }

    // Assigned masks share the tiles of the images they come from.
    void executionsShareTiles()
    {
        const KXImage32 before = MaskFromRows(Rows { "#.", ".#" });
        SelectionCommandData data;
        data.SetSelectionOp(Replace);
        data.SetSelectionGeometry(RectPath(QRectF(0, 0, 3, 3)));
        data.SetUndoSel(QPoint(4, 4), before);
        SelectionCommand command(m_document.get());
        command.redoExec(&data);
        command.undoExec(&data);
        QCOMPARE(m_document->GetSelectionMask().GetTile(0, 0), before.GetTile(0, 0));

        const KXImage32 redo = MaskFromRows(Rows { "#.", "##" });
        MWSelectionCommandData maskData;
        maskData.SetRedoSel(QPoint(1, 1), redo, Replace);
        MWSelectionCommand(m_document.get(), true).redoExec(&maskData);
        QCOMPARE(m_document->GetSelectionMask().GetTile(0, 0), redo.GetTile(0, 0));
    }

    // A mask too large for the image library throws out of the push; the
    // selection edit is closed and nothing changed.
    void hugeShapeThrowsAndClosesTheEdit()
    {
        SetSelection(Full(2, 2), QPoint(1, 1));
        m_document->SetDocumentState(3);
        std::unique_ptr<VornCommand> command(
            Attach(new SelectionCommand(m_document.get()), Shape(Replace, RectPath(QRectF(0, 0, 200000, 200000)))()));
        {
            MessageCapture capture;
            QVERIFY_EXCEPTION_THROWN(m_history->stack.push(command.get()), std::bad_alloc);
        }
        command.reset();
        CompareSelection(Full(2, 2), QPoint(1, 1));
        QCOMPARE(m_document->GetDocumentState(), 3);
        // Outside an open edit a new mask announces itself at once.
        QSignalSpy changed(m_document.get(), &KXDocumentInterface::selectionChanged);
        SetSelection(Full(1, 1), QPoint());
        QCOMPARE(changed.count(), 1);
    }

    // Built with false, the push's redo leaves the interactive result alone;
    // undo restores the undo mask and every later redo applies the change.
    void maskFirstRedoFlag()
    {
        SetSelection(Full(5, 1), QPoint(1, 2)); // what the application already shows
        auto* data = new MWSelectionCommandData;
        data->SetRedoSel(QPoint(3, 3), MaskFromRows(Full(2, 2)), Replace);
        data->SetUndoSel(QPoint(8, 9), MaskFromRows(Rows { "#" }));
        data->SetNoUndoSelection(false);
        QSignalSpy changed(m_document.get(), &KXDocumentInterface::selectionChanged);

        m_history->stack.push(Attach(new MWSelectionCommand(m_document.get(), false), data));
        CompareSelection(Full(5, 1), QPoint(1, 2));
        QCOMPARE(changed.count(), 0);
        m_history->stack.undo();
        CompareSelection(Rows { "#" }, QPoint(8, 9));
        // The edit bracket announces the mask, the offset set after it announces itself.
        QCOMPARE(changed.count(), 2);
        for (int i = 0; i < 2; ++i) {
            m_history->stack.redo();
            CompareSelection(Full(2, 2), QPoint(3, 3));
            m_history->stack.undo();
        }
    }

    void reports_data()
    {
        QTest::addColumn<bool>("maskCommand");
        QTest::addColumn<bool>("redo");
        QTest::addColumn<bool>("withDocument");
        QTest::addColumn<int>("dataKind"); // 0 none, 1 the other command's data, 2 its own
        QTest::addColumn<QString>("report"); // empty: none

        const QString bad = QStringLiteral("Bad command data.");
        const QString incorrect = QStringLiteral("Incorrect commnad.");
        QTest::newRow("shape redo, no data") << false << true << true << 0 << bad;
        QTest::newRow("shape redo, mask data") << false << true << true << 1 << bad;
        QTest::newRow("shape redo, no document") << false << true << false << 2 << bad;
        QTest::newRow("shape undo, mask data") << false << false << true << 1 << QString();
        QTest::newRow("shape undo, no document") << false << false << false << 2 << QString();
        QTest::newRow("mask redo, shape data") << true << true << true << 1 << incorrect;
        QTest::newRow("mask undo, no data") << true << false << true << 0 << incorrect;
        QTest::newRow("mask undo, no document") << true << false << false << 2 << incorrect;
    }

    void reports()
    {
        QFETCH(bool, maskCommand);
        QFETCH(bool, redo);
        QFETCH(bool, withDocument);
        QFETCH(int, dataKind);
        QFETCH(QString, report);

        SetSelection(Full(2, 2), QPoint(3, 3));
        m_document->SetDocumentState(11);
        KXDocumentInterface* document = withDocument ? m_document.get() : nullptr;

        SelectionCommandData shapeData;
        shapeData.SetSelectionOp(Replace);
        shapeData.SetSelectionGeometry(RectPath(QRectF(0, 0, 5, 5)));
        MWSelectionCommandData maskData;
        maskData.SetRedoSel(QPoint(), MaskFromRows(Full(5, 5)), Replace);
        maskData.SetNoUndoSelection(true);
        VornCommandData* own = maskCommand ? static_cast<VornCommandData*>(&maskData) : &shapeData;
        VornCommandData* other = maskCommand ? static_cast<VornCommandData*>(&shapeData) : &maskData;
        VornCommandData* const data[] = { nullptr, other, own };

        std::unique_ptr<VornCommand> command;
        if (maskCommand)
            command.reset(new MWSelectionCommand(document, true));
        else
            command.reset(new SelectionCommand(document));
        MessageCapture capture;
        if (redo)
            command->redoExec(data[dataKind]);
        else
            command->undoExec(data[dataKind]);

        const QString file = maskCommand ? QStringLiteral("src/selectioncommands/mwselectioncommand.cpp")
                                         : QStringLiteral("src/selectioncommands/selectioncommand.cpp");
        CompareReports(capture.texts(), report.isEmpty() ? QStringList() : QStringList { ReportPattern(file, report) });
        CompareSelection(Full(2, 2), QPoint(3, 3));
        QCOMPARE(m_document->GetDocumentState(), 11);
    }

    // Both records byte for byte: the shape's operation, undo mask and offset,
    // then the path (elements as type, x, y; subpath starts; fill rule); the
    // mask's redo mask, offsets, the flag as one byte, the operation
    // little-endian.
    void records_data()
    {
        QTest::addColumn<DataMaker>("make");
        QTest::addColumn<QByteArray>("record");
        QPainterPath path;
        path.moveTo(1, 2);
        path.lineTo(3, 4);
        QTest::newRow("shape") << MakeData<SelectionCommandData>([path](auto& d) {
            d.SetSelectionOp(Subtract);
            d.SetSelectionGeometry(path);
            d.SetUndoSel(QPoint(3, -1), MaskFromRows(Rows { "#" }));
        }) << Hex("00000002") + TiledRecord(MaskFromRows(Rows { "#" }))
                + Hex("00000003ffffffff 00000002 00000000 3ff0000000000000 4000000000000000"
                      "00000001 4008000000000000 4010000000000000 00000000 00000000");
        const QByteArray mask = TiledRecord(MaskFromRows(Rows { "#" })) + Hex("00000005 00000006 00000000 00000000 fffffffe 00000007");
        const auto maskData = [](bool noUndoSelection, LogicalOp op) {
            return MakeData<MWSelectionCommandData>([=](auto& d) {
                d.SetRedoSel(QPoint(5, 6), MaskFromRows(Rows { "#" }), op);
                d.SetUndoSel(QPoint(-2, 7), KXImage32());
                d.SetNoUndoSelection(noUndoSelection);
            });
        };
        QTest::newRow("mask, replace, no undo selection") << maskData(true, Replace) << mask + Hex("0103000000");
        QTest::newRow("mask, operation little-endian") << maskData(false, LogicalOp(0x01020304))
                                                       << mask + Hex("0004030201");
    }
    void records()
    {
        QFETCH(DataMaker, make);
        QFETCH(QByteArray, record);
        CheckRecord(make, record);
    }

private:
    void SetSelection(const Rows& rows, const QPoint& offset)
    {
        m_document->SetSelectionMask(MaskFromRows(rows), offset);
    }
    void CompareSelection(const Rows& rows, const QPoint& offset)
    {
        QCOMPARE(RowsOf(m_document->GetSelectionMask()), rows);
        QCOMPARE(m_document->GetSelectionMaskOffset(), offset);
    }
    static VornCommand* Attach(VornCommand* command, VornCommandData* data)
    {
        command->SetCommandData(data);
        return command;
    }

    std::unique_ptr<KXMemoryDocument> m_document;
    std::unique_ptr<HistoryFixture> m_history;
};

QTEST_MAIN(TestSelectionCommands)
#include "tst_selectioncommands.moc"
