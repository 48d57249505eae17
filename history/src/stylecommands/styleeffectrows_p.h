#pragma once

class KXDocumentInterface;
class KXStyleEffectRowData;

// The two row edits that the insert and remove effect commands share: each
// command's redo is the other's undo. step is +1 for a redo, -1 for an undo.
namespace KXStyleEffectRows {

// Inserts the stored effect at its row of the document's style and moves the
// state counter by step. Nothing happens, counter included, without a style
// model or for a row outside 0 to the row count (-1: the data has no record).
void Insert(KXDocumentInterface& document, const KXStyleEffectRowData& data, int step);

// Removes the stored row from the document's style and moves the state
// counter by step. Nothing happens, counter included, without a style model
// or when the model refuses the row (-1 included).
void Remove(KXDocumentInterface& document, const KXStyleEffectRowData& data, int step);

} // namespace KXStyleEffectRows
