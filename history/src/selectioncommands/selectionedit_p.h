#pragma once

#include <QPoint>
#include <QSize>

#include "KXImage.h"

class KXDocumentInterface;

// One edit of a document's selection mask: BeginEditSelection on
// construction, EndEditSelection by End() or, at the latest, on destruction,
// so an exception thrown while the mask is rebuilt still closes the edit.
class SelectionEdit
{
public:
    explicit SelectionEdit(KXDocumentInterface* document);
    ~SelectionEdit();

    SelectionEdit(const SelectionEdit&) = delete;
    SelectionEdit& operator=(const SelectionEdit&) = delete;

    // The document's mask, writable until End().
    KXImage32& Mask() { return *m_mask; }
    void End();

    // Trims mask to the bounding rectangle of its selected pixels (to an empty
    // image when none is left). Returns false, mask untouched, when it already
    // fits; otherwise shift is the kept rectangle's top-left in the old mask.
    static bool TrimToSelected(KXImage32& mask, QPoint& shift);
    // A new, all unselected mask of the size (negative sizes count as 0).
    static KXImage32 NewMask(const QSize& size);

private:
    KXDocumentInterface* m_document;
    KXImage32* m_mask;
    bool m_open = true;
};
