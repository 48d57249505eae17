#include "deletechannelcommand.h"

#include <QItemSelectionModel>

#include <algorithm>
#include <exception>
#include <functional>

#include "KXChannelModel.h"
#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "deletechannelcommanddata.h"

DeleteChannelCommand::DeleteChannelCommand(KXDocumentInterface* document, QItemSelectionModel* channelSelection)
    : m_document(document)
    , m_channelSelection(channelSelection)
{
}

DeleteChannelCommand::~DeleteChannelCommand() = default;

void DeleteChannelCommand::RedoExecute(VornCommandData* data)
{
    const DeleteChannelCommandData* channelData = deletechannelcommanddata_cast(data);
    if (!channelData || !m_document)
        return;
    try {
        QList<unsigned int> ids = channelData->GetChannels();
        std::sort(ids.begin(), ids.end(), std::greater<unsigned int>());
        for (unsigned int id : ids)
            if (!m_document->DeleteAlphaChannel(id))
                VORN_REPORT(QStringLiteral("Error to delete alpha channel id = %1.").arg(id));
        SelectCompositeChannelsIfNoneSelected();
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void DeleteChannelCommand::UndoExecute(VornCommandData* data)
{
    const DeleteChannelCommandData* channelData = deletechannelcommanddata_cast(data);
    if (!channelData || !m_document)
        return;
    try {
        // GetChannels is in ascending order already.
        for (unsigned int id : channelData->GetChannels()) {
            QString name;
            QPoint offset;
            KXImage32 image;
            if (!channelData->GetUndoData(id, name, offset, image))
                continue;
            if (m_document->CreateAlphaChannelFromMask(name, image, id)) {
                m_document->SetChannelOffset(id, offset);
                m_document->ChannelChangedExternal(id);
            } else {
                VORN_REPORT(QStringLiteral("Error to create new alpha channel id = %1.").arg(id));
            }
        }
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

void DeleteChannelCommand::SelectCompositeChannelsIfNoneSelected()
{
    if (!m_channelSelection || !m_channelSelection->selectedIndexes().isEmpty())
        return;
    KXChannelModel* channels = m_document->GetChannelModel();
    if (!channels || m_channelSelection->model() != channels)
        return;
    const int count = qMin(channels->GetCompositeChannelsCount(), channels->rowCount());
    for (int row = 0; row < count; ++row)
        m_channelSelection->select(
            channels->index(row, 0, QModelIndex()), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}
