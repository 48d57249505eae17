#pragma once

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXColorSampleModel;
class KXDocumentInterface;

// Adds, removes, clears and moves the document's colour sample points
// (KXColorSampleModel); the edit is chosen by the data's class:
// ColorSamplesCommandDataAdd, ...Remove, ...Clear or ...Move.
//
// Null data or data of another kind reports "Error input data.", no document
// "Error command. No Document."; neither touches the state counter. Otherwise
// redo raises the counter by one and undo lowers it, also without a sample
// model or when the data has no record. Rows out of range change nothing.
//
// An add appends its point; its undo removes the last row and keeps that
// row's format for the next redo. A remove keeps the removed row's format.
// A clear's redo records every row's format; its undo appends the stored
// points and gives each appended row its own stored format, so the formats
// stay with their points even when the list was edited in between. A point
// without a stored format (or with one the model does not know) keeps the
// model's KXColorSampleModel::DefaultFormat.
// Owned by the undo stack once pushed; holds its document without owning it;
// its data belongs to the stack's serializer after the push. Use it on the
// thread that owns the stack and the document (the GUI thread).
class VORNHISTORY_EXPORT ColorSamplesCommand : public VornCommand
{
public:
    // The document is not owned and may be null.
    explicit ColorSamplesCommand(KXDocumentInterface* document);
    ~ColorSamplesCommand() override;

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // Checks data and document, runs edit on the model (when there is one)
    // and moves the counter by step.
    template <class Edit> void Execute(VornCommandData* data, int step, Edit edit);

    static void Redo(KXColorSampleModel& samples, VornCommandData* data);
    static void Undo(KXColorSampleModel& samples, VornCommandData* data);
    // Appends a point with no colour yet, in format (the default when unknown).
    static int Append(KXColorSampleModel& samples, const QPoint& point, int format);
    // True when moving the sample of row by offset stays in the placeable range.
    static bool IsMovable(const KXColorSampleModel& samples, int row, const QPoint& offset);

    KXDocumentInterface* m_document;
};
