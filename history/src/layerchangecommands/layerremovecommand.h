#pragma once

#include <QList>

#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class LayerRemoveCommandData;

// Deletes a set of layers (data: LayerRemoveCommandData), highest id first,
// and re-creates them on undo, lowest id first, each at its old id. The lock
// words of the removed layers are saved by each redo and put back by the
// following undo; they live in the command and are never written out. Each
// execution saves the layer panel's selected rows and restores those the
// previous execution saved.
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT LayerRemoveCommand : public VornCommand
{
public:
    // The document is not owned and may be null (every execution then
    // reports). The flag is kept for the host and not used in execution.
    LayerRemoveCommand(KXDocumentInterface* document, bool flag);
    ~LayerRemoveCommand() override;

    bool GetFlag() const { return m_flag; }
    const QList<unsigned int>& GetSavedLocks() const { return m_savedLocks; }

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The checked data, or null after reporting why it cannot be used.
    LayerRemoveCommandData* CheckedData(VornCommandData* data) const;
    // The layer ids of the data's items, in item order; false after
    // reporting when an item cannot be fetched.
    static bool CollectIds(const LayerRemoveCommandData& data, QList<unsigned int>& ids);
    void SaveFlags(const QList<unsigned int>& ids);
    void RestoreFlags(const QList<unsigned int>& ids);

    KXDocumentInterface* m_document;
    bool m_flag;
    QList<unsigned int> m_savedLocks;
};
