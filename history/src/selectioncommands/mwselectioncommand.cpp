#include "mwselectioncommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXImageOps.h"
#include "checkedgeometry_p.h"
#include "mwselectioncommanddata.h"
#include "selectionedit_p.h"

namespace {
const char* const kBadCommand = "Incorrect commnad.";
}

MWSelectionCommand::MWSelectionCommand(KXDocumentInterface* document, bool firstRedo)
    : m_document(document)
    , m_firstRedo(firstRedo)
{
}

MWSelectionCommand::~MWSelectionCommand() = default;

void MWSelectionCommand::RedoExecute(VornCommandData* data)
{
    const MWSelectionCommandData* selectionData = mwselectiondata_cast(data);
    if (!m_document || !selectionData) {
        VORN_REPORT(QString::fromLatin1(kBadCommand));
        return;
    }
    if (!m_firstRedo) {
        m_firstRedo = true;
        return;
    }
    QPoint at;
    KXImage32 redoMask;
    MWSelectionCommandData::LogicalOp op = SelectionCommandData::Union;
    // Data without a record has nothing to apply.
    if (!selectionData->GetRedoSel(at, redoMask, op))
        return;
    QRect redoRect;
    // An offset or mask from a damaged record would overflow the arithmetic below.
    if (!CheckedGeometry::PlacedRect(at, redoMask.GetSize(), redoRect)
        || !CheckedGeometry::IsPlaceable(m_document->GetSelectionGeometry())
        || !CheckedGeometry::FitsImage((redoRect | m_document->GetSelectionGeometry()).size())) {
        VORN_REPORT(QString::fromLatin1(kBadCommand));
        return;
    }

    SelectionEdit edit(m_document);
    KXImage32& mask = edit.Mask();
    switch (op) {
    case SelectionCommandData::Union: {
        const QRect current = m_document->GetSelectionGeometry();
        const QRect united = redoRect | current;
        if (united == current) {
            BlendOn(redoMask, redoMask.GetRect(), KXBlendSelectUnion, mask, redoRect.translated(-united.topLeft()),
                    1.0, false);
        } else {
            KXImage32 result = SelectionEdit::NewMask(united.size());
            BlendOn(mask, mask.GetRect(), KXBlendReplace, result, current.translated(-united.topLeft()), 1.0, false);
            BlendOn(redoMask, redoMask.GetRect(), KXBlendSelectUnion, result, redoRect.translated(-united.topLeft()),
                    1.0, false);
            mask = std::move(result);
        }
        m_document->MoveToSelection(united.topLeft());
        break;
    }
    case SelectionCommandData::Intersect: {
        const QRect current = m_document->GetSelectionGeometry();
        const QRect common = redoRect & current;
        KXImage32 result = SelectionEdit::NewMask(common.size());
        BlendOn(mask, common.translated(-current.topLeft()), KXBlendReplace, result, result.GetRect(), 1.0, false);
        BlendOn(redoMask, common.translated(-at), KXBlendSelectIntersectAlt, result, result.GetRect(), 1.0, false);
        QPoint shift;
        SelectionEdit::TrimToSelected(result, shift);
        mask = std::move(result);
        m_document->MoveToSelection(common.topLeft() + shift);
        break;
    }
    case SelectionCommandData::Subtract: {
        const QRect current = m_document->GetSelectionGeometry();
        BlendOn(redoMask, current.translated(-at), KXBlendSelectSubtract, mask, mask.GetRect(), 1.0, false);
        QPoint shift;
        SelectionEdit::TrimToSelected(mask, shift);
        m_document->MoveToSelection(current.topLeft() + shift);
        break;
    }
    case SelectionCommandData::Replace:
        mask = redoMask;
        m_document->MoveToSelection(at);
        break;
    default:
        break;
    }
    edit.End();
}

void MWSelectionCommand::UndoExecute(VornCommandData* data)
{
    const MWSelectionCommandData* selectionData = mwselectiondata_cast(data);
    if (!m_document || !selectionData) {
        VORN_REPORT(QString::fromLatin1(kBadCommand));
        return;
    }
    // Unlike SelectionCommand, the offset is set after the edit is closed.
    QPoint offset;
    KXImage32 undoMask;
    if (selectionData->GetHasUndoSelection())
        selectionData->GetUndoSel(offset, undoMask);
    QRect undoRect;
    if (!CheckedGeometry::PlacedRect(offset, undoMask.GetSize(), undoRect)) {
        VORN_REPORT(QString::fromLatin1(kBadCommand));
        return;
    }
    SelectionEdit edit(m_document);
    edit.Mask() = undoMask;
    edit.End();
    m_document->MoveToSelection(offset);
}
