#pragma once

#include <QVector>

#include "layerdataitem.h"
#include "vorncommand.h"
#include "vornhistory_export.h"

class KXDocumentInterface;
class LayerMoveCommandData;

// Moves the layers of a LayerMoveCommandData by its rule, deleting each and
// creating it again from its item at the new id.
//
// MoveToPos with several layers puts them, in their order, at the position
// the user asked for: the layers are taken out from the highest id down, the
// position is lowered by one for each of them that sat at or below it, and
// they go back there one above the other (a single layer lands exactly where
// it is asked to). Undo of every rule takes the moved layers out of where
// the redo put them, from the highest id down, and creates them again at
// their captured ids from the lowest up, which gives back the order from
// before for any selection (replaying the redo's steps backwards does not:
// a MoveDown of adjacent layers would remove the wrong one, and a reversal
// replayed with the same items gives the reversed order again).
// Owned by the undo stack once pushed; holds its document without owning it; its data
// belongs to the stack's serializer after the push. Use it on the GUI thread, which
// owns the stack and the document.
class VORNHISTORY_EXPORT LayerMoveCommand : public VornCommand
{
public:
    // The document is not owned; a null one makes every execution report.
    // The flag is kept for the host only.
    LayerMoveCommand(KXDocumentInterface* document, bool flag);
    ~LayerMoveCommand() override;

    bool GetFlag() const { return m_flag; }

    // Creates the item's layer at the item's id.
    void InsertLayer(LayerDataItem& item, LayerMoveCommandData* data);
    // Replaces the layer at target by the item's layer.
    void ReplaceLayer(LayerDataItem& item, unsigned int target);

protected:
    void UndoExecute(VornCommandData* data) override;
    void RedoExecute(VornCommandData* data) override;

private:
    // The data typed with its rule and items, or null after reporting why not.
    LayerMoveCommandData* CheckedData(VornCommandData* data, int& type, QVector<LayerDataItem>& items) const;
    // The ids the items hold after a redo, in item order.
    QVector<unsigned int> MovedIds(int type, const QVector<LayerDataItem>& items, unsigned int position) const;
    // Creates the item's layer at target.
    void CreateAt(LayerDataItem item, unsigned int target);
    void Reverse(QVector<LayerDataItem>& items);

    KXDocumentInterface* m_document;
    bool m_flag;
};
