#include "layerduplicatecommand.h"

#include <QRegularExpression>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layerduplicatecommanddata.h"

namespace {

// The name with a " copy" / " copy N" suffix cut off; a match at the very
// start of the name is part of the name.
QString BaseName(const QString& name)
{
    static const QRegularExpression copySuffix(QStringLiteral("\\scopy\\s?\\d?"));
    const int position = int(copySuffix.match(name).capturedStart());
    return position > 0 ? name.left(position) : name;
}

} // namespace

LayerDuplicateCommand::LayerDuplicateCommand(KXDocumentInterface* document, bool flag)
    : m_document(document)
    , m_flag(flag)
{
}

LayerDuplicateCommand::~LayerDuplicateCommand() = default;

bool LayerDuplicateCommand::NotFound(const QString& name) const
{
    if (!m_document)
        return true;
    for (unsigned int id = 0; id < m_document->GetLayerCount(); ++id)
        if (m_document->GetLayerName(id) == name)
            return false;
    return true;
}

QString LayerDuplicateCommand::CopyName(unsigned int id) const
{
    const QString base = BaseName(m_document ? m_document->GetLayerName(id) : QString());
    QString candidate = base + QStringLiteral(" copy");
    for (int k = 1; !NotFound(candidate); ++k)
        candidate = base + QStringLiteral(" copy %1").arg(k);
    return candidate;
}

LayerDuplicateCommandData* LayerDuplicateCommand::CheckedData(VornCommandData* data, unsigned int& id) const
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return nullptr;
    }
    LayerDuplicateCommandData* duplicateData = LayerDuplicateCommanddata_cast(data);
    if (!duplicateData) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return nullptr;
    }
    if (!duplicateData->GetLayerId(id)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return nullptr;
    }
    return duplicateData;
}

void LayerDuplicateCommand::RedoExecute(VornCommandData* data)
{
    unsigned int id = 0;
    LayerDuplicateCommandData* duplicateData = CheckedData(data, id);
    if (!duplicateData)
        return;
    duplicateData->copyCurrentSelection();
    if (m_hasRemovedCopy) {
        InitLayerItemToDocument(m_document, m_removedCopy);
        m_document->SetLayerLocks(m_removedCopy.layerId, m_removedLocks);
        m_hasRemovedCopy = false;
        m_removedCopy = LayerDataItem();
    } else {
        m_document->SetLayerName(id, CopyName(id));
    }
    duplicateData->selectNew();
    duplicateData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void LayerDuplicateCommand::UndoExecute(VornCommandData* data)
{
    unsigned int id = 0;
    LayerDuplicateCommandData* duplicateData = CheckedData(data, id);
    if (!duplicateData)
        return;
    duplicateData->copyCurrentSelection();
    if (id < m_document->GetLayerCount()) {
        InitLayerItemFromDocument(id, m_document, m_removedCopy);
        m_removedLocks = m_document->GetLayerLocks(id);
        m_hasRemovedCopy = true;
    }
    m_document->RemoveLayer(id);
    duplicateData->selectNew();
    duplicateData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}
