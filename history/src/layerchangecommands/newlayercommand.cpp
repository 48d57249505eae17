#include "newlayercommand.h"

#include <QItemSelectionModel>

#include "KXDocumentInterface.h"
#include "KXDocumentModel.h"
#include "ZTAdjustmentManager.h"
#include "newadjustmentlayerdata.h"
#include "newrasterlayerdata.h"
#include "newtextlayerdata.h"
#include "textlayeredit_p.h"

namespace {

// The document's layer type a kind of data makes.
int LayerTypeOf(const NewLayerData* data)
{
    switch (data->GetDataType()) {
    case NewRasterLayerData::Type:
        return KXDocumentInterface::RasterLayer;
    case NewTextLayerData::Type:
        return KXDocumentInterface::TextLayer;
    default:
        return KXDocumentInterface::AdjustmentLayer;
    }
}

void MoveState(KXDocumentInterface* document, int delta)
{
    document->SetDocumentState(document->GetDocumentState() + delta);
}

} // namespace

NewLayerCommand::NewLayerCommand(KXDocumentModel* model, QItemSelectionModel* selectionModel, bool create)
    : m_model(model)
    , m_selectionModel(selectionModel)
    , m_create(create)
{
}

NewLayerCommand::~NewLayerCommand() = default;

QString NewLayerCommand::NameFromText(const QString& text, const QString& fallback)
{
    if (text.isEmpty())
        return fallback;
    if (text.size() >= 11)
        return text.left(7) + QStringLiteral("...");
    return text;
}

NewLayerData* NewLayerCommand::Accepted(VornCommandData* data)
{
    NewLayerData* layerData = nullptr;
    if (auto* raster = VornDataCast<NewRasterLayerData>(data))
        layerData = raster;
    else if (auto* text = VornDataCast<NewTextLayerData>(data))
        layerData = text;
    else if (auto* adjustment = VornDataCast<NewAdjustmentLayerData>(data))
        layerData = adjustment;
    return layerData && layerData->HasLayerRecord() ? layerData : nullptr;
}

void NewLayerCommand::RedoExecute(VornCommandData* data)
{
    KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr;
    NewLayerData* layerData = Accepted(data);
    if (!document || !layerData)
        return;
    const unsigned int id = layerData->GetLayerID();
    SaveSelection(id, !m_create);
    if (!m_create) {
        // The host made the layer during its live edit: this redo only counts.
        MoveState(document, 1);
        m_create = true;
        return;
    }
    Create(document, layerData);
    SelectLayer(id);
    MoveState(document, 1);
}

void NewLayerCommand::Create(KXDocumentInterface* document, NewLayerData* data)
{
    const unsigned int id = data->GetLayerID();
    if (auto* raster = VornDataCast<NewRasterLayerData>(data)) {
        document->InsertRasterLayer(raster->GetName(), raster->GetRaster(), raster->GetRasterPos(),
            raster->GetBlendMode(), raster->GetOpacity(), id);
    } else if (auto* adjustmentData = VornDataCast<NewAdjustmentLayerData>(data)) {
        ZTAdjustmentManager* manager = ZTAdjustmentManager::GetInstance();
        ZTAdjustment* adjustment = manager ? manager->GetAdjustment(adjustmentData->GetAdjustmentID()) : nullptr;
        // An adjustment the registry does not know makes no layer; nothing below touches another one.
        if (!document->CreateAdjustmentLayer(adjustmentData->GetName(), id, adjustment))
            return;
        const QByteArray params = adjustmentData->GetParams();
        ZTAdjustmentTarget target;
        if (!params.isEmpty() && document->GetAdjustmentTarget(id, target))
            adjustment->SetParams(target, params);
        document->SetLayerOpacity(id, adjustmentData->GetOpacity());
        document->SetLayerBlendMode(id, adjustmentData->GetBlendMode());
        document->UpdateView(QRect(0, 0, -1, -1));
    } else if (auto* text = VornDataCast<NewTextLayerData>(data)) {
        if (!document->CreateTextLayer(text->GetName(), id))
            return;
        WriteTextAttributes(document, id, text->GetAttributes());
        document->SetLayerOpacity(id, text->GetOpacity());
        document->SetLayerBlendMode(id, text->GetBlendMode());
        RenderTextLayer(document, id);
    }
    document->SetLayerLocks(id, data->GetLocks());
    if (data->GetMaskCreated()) {
        document->CreateLayerMask(id, data->GetMask(), data->GetMaskType());
        document->SetMaskEnabled(id, data->GetMaskEnabled());
        document->SetMaskLinked(id, data->GetMaskLinked());
        document->SetMaskPos(id, data->GetMaskPos());
    }
}

void NewLayerCommand::SelectLayer(unsigned int id)
{
    if (!m_selectionModel)
        return;
    m_selectionModel->clearSelection();
    const QAbstractItemModel* model = m_selectionModel->model();
    const QModelIndex index = model && id > 0 ? model->index(int(id - 1), 0) : QModelIndex();
    if (index.isValid())
        m_selectionModel->setCurrentIndex(index, QItemSelectionModel::Select);
}

void NewLayerCommand::UndoExecute(VornCommandData* data)
{
    KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr;
    NewLayerData* layerData = Accepted(data);
    if (!document || !layerData)
        return;
    const unsigned int id = layerData->GetLayerID();
    // Only the layer this command made goes (a redo that could not make it
    // leaves another layer at the id).
    if (document->GetLayerType(id) == LayerTypeOf(layerData))
        document->RemoveLayer(id);
    RestoreSelection();
    MoveState(document, -1);
}

void NewLayerCommand::BeginTransaction()
{
    m_create = false;
    if (KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr)
        MoveState(document, 1);
}

void NewLayerCommand::EndTransaction(VornCommandData* data)
{
    KXDocumentInterface* document = m_model ? m_model->GetDocument() : nullptr;
    NewLayerData* layerData = Accepted(data);
    if (m_create || !document || !layerData)
        return;
    SaveSelection(layerData->GetLayerID(), true);
    CopyTextFromLayer(document, layerData);
    MoveState(document, -1);
}

void NewLayerCommand::CopyTextFromLayer(KXDocumentInterface* document, NewLayerData* data)
{
    auto* text = VornDataCast<NewTextLayerData>(data);
    if (!text)
        return;
    const unsigned int id = text->GetLayerID();
    text->SetAttributes(ReadTextAttributes(document, id));
    const QString name = NameFromText(text->GetText(), document->GetLayerName(id));
    text->SetName(name);
    document->SetLayerName(id, name);
}

void NewLayerCommand::SaveSelection(unsigned int id, bool present)
{
    if (!m_selectionModel)
        return;
    m_savedRows.clear();
    const QModelIndexList selected = m_selectionModel->selectedRows();
    for (const QModelIndex& index : selected) {
        const unsigned int row = unsigned(index.row());
        if (!present || row < id)
            m_savedRows.append(row);
        else if (row > 0) // the row of layer 0 would not be shown
            m_savedRows.append(row - 1);
    }
    m_savedLayerSelected
        = selected.size() == 1 && m_model && m_model->GetLayerSelected(unsigned(selected.first().row()));
}

void NewLayerCommand::RestoreSelection()
{
    if (!m_selectionModel)
        return;
    m_selectionModel->clearSelection();
    const QAbstractItemModel* model = m_selectionModel->model();
    for (unsigned int row : qAsConst(m_savedRows)) {
        const QModelIndex index = model ? model->index(int(row), 0) : QModelIndex();
        if (index.isValid())
            m_selectionModel->setCurrentIndex(index, QItemSelectionModel::Select);
    }
    if (m_savedRows.size() == 1 && m_model) {
        m_model->SetLayerSelected(m_savedRows.first(), m_savedLayerSelected);
        m_model->SetMaskSelected(m_savedRows.first(), !m_savedLayerSelected);
    }
}
