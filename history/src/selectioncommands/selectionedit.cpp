#include "selectionedit_p.h"

#include "KXDocumentInterface.h"
#include "KXSelectionMaskHelper.h"

SelectionEdit::SelectionEdit(KXDocumentInterface* document)
    : m_document(document)
    , m_mask(&document->BeginEditSelection())
{
}

SelectionEdit::~SelectionEdit()
{
    End();
}

void SelectionEdit::End()
{
    if (!m_open)
        return;
    m_open = false;
    m_document->EndEditSelection();
}

bool SelectionEdit::TrimToSelected(KXImage32& mask, QPoint& shift)
{
    const QRect bounds = KXSelectionMaskHelper::GetSelectionBoundRect(mask);
    if (bounds == mask.GetRect())
        return false;
    shift = bounds.isEmpty() ? QPoint() : bounds.topLeft();
    // Copy(QRect) would give the whole mask back for an empty rectangle.
    mask = bounds.isEmpty() ? KXImage32() : mask.Copy(bounds);
    return true;
}

KXImage32 SelectionEdit::NewMask(const QSize& size)
{
    return KXImage32(unsigned(qMax(0, size.width())), unsigned(qMax(0, size.height())));
}
