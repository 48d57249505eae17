#include "selectioncommand.h"

#include <QBrush>
#include <QColor>
#include <QPainterPath>

#include <cmath>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXImageOps.h"
#include "checkedgeometry_p.h"
#include "selectioncommanddata.h"
#include "selectionedit_p.h"

namespace {

const char* const kBadData = "Bad command data.";

// Shape coordinates are clamped to this before they become pixels, so that
// absurd shapes cannot overflow the rectangle arithmetic.
constexpr double kCoordinateLimit = 1 << 28;

double Clamped(double value)
{
    return std::isnan(value) ? 0.0 : qBound(-kCoordinateLimit, value, kCoordinateLimit);
}

// Toward zero.
int Truncated(double value)
{
    return int(Clamped(value));
}

const QBrush& SelectBrush()
{
    static const QBrush brush(QColor(0, 0, 0, 255), Qt::SolidPattern);
    return brush;
}

const QBrush& UnselectBrush()
{
    static const QBrush brush(QColor(0, 0, 0, 0), Qt::SolidPattern);
    return brush;
}

} // namespace

SelectionCommand::SelectionCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

SelectionCommand::~SelectionCommand() = default;

void SelectionCommand::RedoExecute(VornCommandData* data)
{
    const SelectionCommandData* selectionData = selectiondata_cast(data);
    if (!selectionData || !m_document) {
        VORN_REPORT(QString::fromLatin1(kBadData));
        return;
    }
    const QPainterPath* path = selectionData->GetGeometry();
    const SelectionCommandData::LogicalOp* op = selectionData->GetSelectionOp();
    if (!path || !op)
        return;

    const QRectF bounds = path->boundingRect();
    const int left = Truncated(bounds.x());
    const int top = Truncated(bounds.y());
    const int width = Truncated(bounds.width());
    const int height = Truncated(bounds.height());
    const QRect shapeRect(QPoint(left, top), QPoint(left + width - 1, top + height - 1));
    // A shape from a damaged record can ask for a mask larger than any document.
    const QRect reach = *op == SelectionCommandData::Union ? shapeRect | m_document->GetSelectionGeometry() : shapeRect;
    if (!CheckedGeometry::FitsDocument(reach.size())) {
        VORN_REPORT(QString::fromLatin1(kBadData));
        return;
    }

    SelectionEdit edit(m_document);
    KXImage32& mask = edit.Mask();

    switch (*op) {
    case SelectionCommandData::Union: {
        const QRect current = m_document->GetSelectionGeometry();
        const QRect united = shapeRect | current;
        KXImage32 result = SelectionEdit::NewMask(united.size());
        BlendOn(mask, mask.GetRect(), KXBlendReplace, result, current.translated(-united.topLeft()), 1.0, false);
        FillPath(result, KXBlendReplace, path->translated(-united.left(), -united.top()), SelectBrush(), false);
        mask = std::move(result);
        m_document->MoveToSelection(united.topLeft());
        break;
    }
    case SelectionCommandData::Intersect: {
        const QRect current = m_document->GetSelectionGeometry();
        const QRect common = shapeRect & current;
        KXImage32 result = SelectionEdit::NewMask(common.size());
        FillPath(result, KXBlendReplace, path->translated(-common.left(), -common.top()), SelectBrush(), false);
        BlendOn(mask, common.translated(-current.topLeft()), KXBlendSelectIntersect, result, result.GetRect(), 1.0,
                false);
        QPoint shift;
        SelectionEdit::TrimToSelected(result, shift);
        mask = std::move(result);
        m_document->MoveToSelection(common.topLeft() + shift);
        break;
    }
    case SelectionCommandData::Subtract: {
        const QRect current = m_document->GetSelectionGeometry();
        FillPath(mask, KXBlendReplace, path->translated(-current.left(), -current.top()), UnselectBrush(), false);
        QPoint shift;
        if (SelectionEdit::TrimToSelected(mask, shift))
            m_document->MoveToSelection(current.topLeft() + shift);
        break;
    }
    case SelectionCommandData::Replace: {
        // The size is truncated, the position rounded (halves up).
        KXImage32 result = SelectionEdit::NewMask(QSize(width, height));
        FillPath(result, KXBlendReplace, path->translated(-bounds.x(), -bounds.y()), SelectBrush(), false);
        mask = std::move(result);
        m_document->MoveToSelection(QPoint(qRound(Clamped(bounds.x())), qRound(Clamped(bounds.y()))));
        break;
    }
    default:
        break;
    }
    edit.End();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void SelectionCommand::UndoExecute(VornCommandData* data)
{
    const SelectionCommandData* selectionData = selectiondata_cast(data);
    if (!selectionData || !m_document)
        return;
    QPoint offset;
    KXImage32 mask;
    selectionData->GetUndoSel(offset, mask);
    QRect undoRect;
    if (!CheckedGeometry::PlacedRect(offset, mask.GetSize(), undoRect)) {
        VORN_REPORT(QString::fromLatin1(kBadData));
        return;
    }

    SelectionEdit edit(m_document);
    edit.Mask() = mask;
    m_document->MoveToSelection(offset);
    edit.End();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}
