#pragma once

#include <QString>

#include <functional>

class KXDocumentModel;
class KXMemoryDocument;
class QItemSelectionModel;
class VornCommand;
class VornUndoStack;

// What the text and adjustment steps need from the editing session: its
// document, its layer panel, and its two ways of recording an edit.
struct TextStepsHost
{
    KXMemoryDocument& document;
    KXDocumentModel& panel;
    QItemSelectionModel& panelSelection;
    // Pushes the command with its history text and icon.
    std::function<void(VornCommand*, const QString&, const QString&)> push;
    // Registers a live edit, lets change() edit the document directly, commits.
    std::function<void(VornCommand*, const QString&, const QString&, const std::function<void()>&)> liveEdit;
    // The session's stack, for the edits made through ChangeCommandHelper.
    VornUndoStack& stack;
};

// One round of text and adjustment edits: a new text layer typed as a live
// edit, a font change, the title bent as a live edit, a new adjustment layer
// with a parameter drag, and the typed text turned into pixels. The new
// text, the bend and the conversion go through ChangeCommandHelper.
void RecordTextSteps(const TextStepsHost& host, int round);
