#include "layermaskenable.h"

#include "KXDocumentInterface.h"
#include "emptycommanddata.h"

LayerMaskEnable::LayerMaskEnable(KXDocumentInterface* document, unsigned int layerId, bool enable)
    : m_document(document)
    , m_layerId(layerId)
    , m_enable(enable)
{
    SetCommandData(new EmptyCommandData);
}

LayerMaskEnable::~LayerMaskEnable() = default;

void LayerMaskEnable::RedoExecute(VornCommandData*)
{
    if (m_document)
        m_document->SetMaskEnabled(m_layerId, m_enable);
}

void LayerMaskEnable::UndoExecute(VornCommandData*)
{
    if (m_document)
        m_document->SetMaskEnabled(m_layerId, !m_enable);
}
