#include "converttexttoimagelayercommand.h"

#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXDocumentLayerLockerForWrite.h"
#include "KXErrorReport.h"
#include "layerduplicatecommanddata.h"
#include "textlayeredit_p.h"

namespace {

// What a layer keeps besides its kind, pixels and text: re-applied to the
// text layer that replaces the raster one.
struct LayerProperties
{
    double opacity = 1;
    unsigned int blendMode = 0;
    bool visible = true;
    unsigned int locks = 0;
    bool hasMask = false;
    KXImage32 mask;
    QPoint maskPosition;
    bool maskEnabled = true;
    bool maskLinked = true;
    bool maskType = false;

    static LayerProperties Read(const KXDocumentInterface* document, unsigned int id)
    {
        LayerProperties properties;
        properties.opacity = document->GetLayerOpacity(id);
        properties.blendMode = document->GetLayerBlendMode(id);
        properties.visible = document->GetLayerVisible(id);
        properties.locks = document->GetLayerLocks(id);
        properties.hasMask = document->GetMaskImage(id, properties.mask);
        properties.maskPosition = document->GetMaskGeometry(id).topLeft();
        properties.maskEnabled = document->GetMaskEnabled(id);
        properties.maskLinked = document->GetMaskLinked(id);
        document->GetMaskType(id, properties.maskType);
        return properties;
    }

    void Write(KXDocumentInterface* document, unsigned int id) const
    {
        document->SetLayerOpacity(id, opacity);
        document->SetLayerBlendMode(id, blendMode);
        document->SetLayerVisible(id, visible);
        document->SetLayerLocks(id, locks);
        if (!hasMask)
            return;
        document->CreateLayerMask(id, mask, maskType);
        document->SetMaskEnabled(id, maskEnabled);
        document->SetMaskLinked(id, maskLinked);
        document->SetMaskPos(id, maskPosition);
    }
};

} // namespace

ConvertTextToImageLayerCommand::ConvertTextToImageLayerCommand(
    KXDocumentInterface* document, unsigned int layerId, QItemSelectionModel* selectionModel)
    : m_document(document)
    , m_layerId(layerId)
{
    auto* data = new LayerDuplicateCommandData(selectionModel);
    data->SetLayerId(layerId);
    SetCommandData(data);
    PrepareUndoData();
}

ConvertTextToImageLayerCommand::~ConvertTextToImageLayerCommand() = default;

void ConvertTextToImageLayerCommand::PrepareUndoData()
{
    if (!m_document)
        return;
    m_text = ReadTextAttributes(m_document, m_layerId);
    m_name = m_document->GetLayerName(m_layerId);
}

void ConvertTextToImageLayerCommand::RedoExecute(VornCommandData* data)
{
    auto* selection = VornDataCast<LayerDuplicateCommandData>(data);
    if (!m_document || !selection)
        return;
    selection->copyCurrentSelection();
    m_converted = m_document->ConvertTextLayerToRaster(m_layerId);
    if (!m_converted)
        VORN_REPORT(QStringLiteral("ConvertTextToImageLayerCommand::RedoExecute: Bed conversation operation on layer"));
    selection->selectNew();
    selection->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void ConvertTextToImageLayerCommand::UndoExecute(VornCommandData* data)
{
    auto* selection = VornDataCast<LayerDuplicateCommandData>(data);
    if (!m_document || !selection)
        return;
    selection->copyCurrentSelection();
    if (m_converted)
        RestoreTextLayer();
    m_converted = false;
    selection->selectNew();
    selection->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

void ConvertTextToImageLayerCommand::RestoreTextLayer()
{
    const unsigned int id = m_layerId;
    KXImage32 pixels;
    {
        KXDocumentLayerLockerForRead locker(m_document, id);
        if (const KXImage32* image = m_document->GetLayerImage(id))
            pixels = *image; // shares the tiles
    }
    const QPoint position = m_document->GetLayerGeometry(id).topLeft();
    const LayerProperties properties = LayerProperties::Read(m_document, id);

    m_document->RemoveLayer(id);
    m_document->CreateTextLayer(m_name, id);
    WriteTextAttributes(m_document, id, m_text);
    {
        KXDocumentLayerLockerForWrite locker(m_document, id);
        if (KXImage32* image = m_document->GetLayerImage(id))
            *image = pixels;
    }
    m_document->SetLayerPosition(id, position);
    properties.Write(m_document, id);
    m_document->UpdateLayer(id);
}
