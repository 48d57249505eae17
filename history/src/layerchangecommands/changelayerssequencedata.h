#pragma once

#include <QList>

#include "vornhistory_export.h"
#include "vornrecord.h"

struct ChangeLayersSequenceRecord
{
    bool isLayerSel = false;
    QList<unsigned int> sequence;
    QList<int> selectedRows;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(VornAsInt(isLayerSel), VornList(sequence), VornList(selectedRows));
    }
};

// A new order of all layers (KXDocumentInterface::SetLayerSequence: entry k
// is the old id of the layer that ends at id k) with the panel rows to select
// after it and whether the layer rather than its mask is the selected part.
// Created whole by the constructor.
// Record: isLayerSel (int), sequence length (int), each entry (uint), row
// count (int), each row (int).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT ChangeLayersSequenceData : public VornRecordData<ChangeLayersSequenceRecord>
{
public:
    static constexpr unsigned int Type = 32;

    ChangeLayersSequenceData(const QList<unsigned int>& sequence, const QList<int>& selectedRows, bool isLayerSel);

    unsigned int GetDataType() const override { return Type; }

    // Empty lists and false while there is no record.
    QList<unsigned int> GetRedoSequence() const;
    QList<int> GetSelectedRows() const;
    bool IsLayerSel() const;

private:
    using Record = ChangeLayersSequenceRecord;
};

// data typed as ChangeLayersSequenceData when it is one (type 32), else null.
VORNHISTORY_EXPORT ChangeLayersSequenceData* changeseqcommanddata_cast(VornCommandData* data);
