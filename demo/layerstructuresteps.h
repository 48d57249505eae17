#pragma once

#include <QString>

#include <functional>

class KXDocumentModel;
class KXMemoryDocument;
class QItemSelectionModel;
class VornCommand;
class VornUndoStack;

// The layer structure edits of one round of the demo session: the sun
// duplicated, a mask created on the copy, inverted and disabled, the copy
// moved to the top and merged with the previous round's merge result (the
// duplicate and the merge go through ChangeCommandHelper, as in an editor).
struct LayerStructureSteps
{
    KXMemoryDocument& document;
    QItemSelectionModel& panelSelection;
    VornUndoStack& stack;
    // Pushes a command with its history text and icon name.
    std::function<void(VornCommand*, const QString&, const QString&)> push;

    void Run(int round);

private:
    unsigned int FindLayer(const QString& name) const;
    unsigned int FindSun() const;
    KXDocumentModel* Panel() const;
    void PrintRow(const char* what) const;
    unsigned int Duplicate(unsigned int id);
    void Mask(unsigned int id);
    unsigned int MoveToTop(unsigned int id);
    void Merge(unsigned int top);
    static void RegisterIcons();
};
