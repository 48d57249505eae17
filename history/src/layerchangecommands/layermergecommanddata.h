#pragma once

#include <QVector>

#include "layerdataitem.h"
#include "selectiondata.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

class KXDocumentInterface;

struct LayerMergeRecord
{
    QVector<LayerDataItem> items; // ascending by layer id
    bool premerged = false;
    LayerDataItem merged;

    template <class Io>
    bool Fields(Io& io)
    {
        bool ok = io(VornList<unsigned int>(items), VornAsInt(premerged));
        if (premerged)
            ok = io(merged) && ok;
        return ok;
    }
};

// The layers a merge replaces, one complete LayerDataItem each (their images
// share tiles with the document), and the merged layer composed from those
// marked for merging. The composition runs once: the first
// GetMergedLayerInfo (or PremergeImage) computes it, later ones reuse it,
// and the record carries it to the temporary file.
// Record: item count (uint), each item's record, premerged flag (int), and
// only when that flag is set the merged item's record.
// Not owned: the selection model and the documents read. Owns its record; its
// command owns it until the push, the stack's serializer after. Filled and read on
// the GUI thread; between executions the serializer's worker writes and releases its record.
class VORNHISTORY_EXPORT LayerMergeCommandData : public VornRecordData<LayerMergeRecord, SelectionData>
{
public:
    static constexpr unsigned int Type = 21;

    // model: the layer panel's selection (not owned, may be null).
    explicit LayerMergeCommandData(QItemSelectionModel* model);
    ~LayerMergeCommandData() override;

    // Capture a layer of the document: its pixels go into the merged layer
    // (MergeLayer) or it is only deleted (DeleteLayer). Items stay sorted by id.
    void MergeLayer(unsigned int id, KXDocumentInterface* document);
    void DeleteLayer(unsigned int id, KXDocumentInterface* document);

    // 0 while there is no record.
    int GetLayerCount() const;
    // A copy of item index; false without a record or for an index out of range.
    bool GetLayerInfo(LayerDataItem& item, int index) const;
    // The merged layer, composed first when it is not yet; false without a record.
    bool GetMergedLayerInfo(LayerDataItem& item);
    bool IsPremerged() const;

    // One item's record (LayerDataItemWrite / LayerDataItemRead).
    static bool WriteItem(IWriter* writer, LayerDataItem& item);
    static bool ReadItem(IReader* reader, LayerDataItem& item);

    // Composes the items marked for merging, from the highest id down, into
    // a transparent image spanning all of them, each with its blend mode,
    // opacity and (when created and enabled) mask; visibility is not
    // consulted. Does nothing without a record, without a marked item, when
    // they span nothing, or once composed.
    void PremergeImage();

    unsigned int GetDataType() const override;

private:
    using Record = LayerMergeRecord;
    void AddLayer(unsigned int id, KXDocumentInterface* document, bool merge);
};

// data typed as LayerMergeCommandData when it is one (type 21), else null.
VORNHISTORY_EXPORT LayerMergeCommandData* LayerMergeCommanddata_cast(VornCommandData* data);
