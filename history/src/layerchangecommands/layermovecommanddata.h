#pragma once

#include <QVector>

#include "layerdataitem.h"
#include "selectiondata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

class KXDocumentModel;

struct LayerMoveRecord
{
    QVector<LayerDataItem> items; // ascending by layer id
    int commandType = 0;
    unsigned int position = 0;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(VornList<unsigned int>(items), commandType, position);
    }
};

// The layers a move command re-orders, one complete LayerDataItem each, the
// rule that moves them and, for MoveToPos, the position. The record is
// created by the constructor. Adding a layer also sets the panel rows the
// first redo selects: where the moved layers end up.
// Record: item count (uint), each item's record, command type (int), position (uint).
// Not owned: the model and the selection model. Owns its record; its command owns it
// until the push, the stack's serializer after. Filled and read on the GUI thread;
// between executions the serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerMoveCommandData : public VornRecordData<LayerMoveRecord, SelectionData>
{
public:
    static constexpr unsigned int Type = 23;

    enum CommandType : int
    {
        MoveToBottom = 1, // to ids 1, 2, ... in item order
        MoveDown = 2, // each one id down
        MoveUp = 3, // each one id up
        MoveToTop = 4, // to the top ids, keeping their order
        MoveReverse = 5, // among their own ids, in reverse order
        MoveToPos = 6 // to the position given with SetPos, keeping their order
    };

    // The model and selection are not owned; value is handed to SelectionData.
    LayerMoveCommandData(CommandType type, KXDocumentModel* model, QItemSelectionModel* selection, int value);
    ~LayerMoveCommandData() override;

    KXDocumentModel* model() const { return m_model; }

    // Captures layer id of the model's document and keeps the items sorted by id.
    void AddLayer(unsigned int id);
    // For MoveToPos: the layer id the moved layers go to (set it before adding layers).
    void SetPos(unsigned int position);

    // False, argument untouched, while there is no record.
    bool GetCommandType(CommandType& type) const;
    bool GetPos(unsigned int& position) const;
    // 0 while there is no record.
    int GetLayerCount() const;
    // A copy of item index; false without a record or for an index out of range.
    bool GetLayerInfo(LayerDataItem& item, int index) const;

    // One item's record (LayerDataItemWrite / LayerDataItemRead).
    static bool WriteItem(IWriter* writer, LayerDataItem& item);
    static bool ReadItem(IReader* reader, LayerDataItem& item);

    unsigned int GetDataType() const override;

    // Where MoveToPos puts the first of count layers, count of which had ids
    // at or below position: the later ones follow it upward.
    static unsigned int FirstTargetOfMoveToPos(unsigned int position, int atOrBelow);

private:
    using Record = LayerMoveRecord;
    // The panel rows of the items once moved.
    void UpdateRowsToSelect();

    KXDocumentModel* m_model;
};

// data typed as LayerMoveCommandData when it is one (type 23), else null.
VORNHISTORY_EXPORT LayerMoveCommandData* LayerMoveCommanddata_cast(VornCommandData* data);
