#include "changelayerssequence.h"

#include "KXDocumentInterface.h"
#include "KXDocumentModel.h"
#include "KXErrorReport.h"
#include "changelayerssequencedata.h"

ChangeLayersSequence::ChangeLayersSequence(KXDocumentModel* model, QItemSelectionModel* selection)
    : m_model(model)
    , m_selection(selection)
{
}

ChangeLayersSequence::~ChangeLayersSequence() = default;

QList<unsigned int> ChangeLayersSequence::Inverse(const QList<unsigned int>& sequence)
{
    const int size = sequence.size();
    QList<unsigned int> inverse;
    inverse.reserve(size);
    for (int i = 0; i < size; ++i)
        inverse.append(unsigned(size)); // not yet placed
    for (int i = 0; i < size; ++i) {
        const unsigned int entry = sequence.at(i);
        if (entry >= unsigned(size) || inverse.at(int(entry)) != unsigned(size))
            return QList<unsigned int>();
        inverse[int(entry)] = unsigned(i);
    }
    return inverse;
}

bool ChangeLayersSequence::Matches(const QList<unsigned int>& sequence) const
{
    const KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr;
    return document && unsigned(sequence.size()) == document->GetLayerCount();
}

void ChangeLayersSequence::SaveUndoSel()
{
    m_undoSelection = LayerPanelSelection::Save(m_model, m_selection);
}

void ChangeLayersSequence::RestoreRedoSel(const QList<int>& rows, bool isLayerSel)
{
    LayerPanelSelection selection;
    selection.rows = rows;
    selection.layerSelected = isLayerSel;
    selection.Restore(m_model, m_selection);
}

void ChangeLayersSequence::RestoreUndoSel()
{
    m_undoSelection.Restore(m_model, m_selection);
}

void ChangeLayersSequence::RedoExecute(VornCommandData* data)
{
    ChangeLayersSequenceData* sequenceData = changeseqcommanddata_cast(data);
    if (!sequenceData)
        return;
    const QList<unsigned int> sequence = sequenceData->GetRedoSequence();
    if (!Matches(sequence)) {
        VORN_REPORT(QStringLiteral("Cannot redo change layers seq."));
        return;
    }
    KXDocumentInterface* document = m_model->GetDocument();
    SaveUndoSel();
    document->SetLayerSequence(sequence);
    RestoreRedoSel(sequenceData->GetSelectedRows(), sequenceData->IsLayerSel());
    document->SetDocumentState(document->GetDocumentState() + 1);
}

void ChangeLayersSequence::UndoExecute(VornCommandData* data)
{
    ChangeLayersSequenceData* sequenceData = changeseqcommanddata_cast(data);
    if (!sequenceData)
        return;
    const QList<unsigned int> sequence = sequenceData->GetRedoSequence();
    if (!Matches(sequence)) {
        VORN_REPORT(QStringLiteral("Cannot undo change layers seq."));
        return;
    }
    KXDocumentInterface* document = m_model->GetDocument();
    document->SetLayerSequence(Inverse(sequence));
    RestoreUndoSel();
    document->SetDocumentState(document->GetDocumentState() - 1);
}
