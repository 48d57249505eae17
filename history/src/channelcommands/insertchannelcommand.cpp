#include "insertchannelcommand.h"

#include <exception>

#include "KXDocumentInterface.h"
#include "KXDocumentSelectionLockerForRead.h"
#include "KXErrorReport.h"
#include "insertchannelcommanddata.h"

InsertChannelCommand::InsertChannelCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

InsertChannelCommand::~InsertChannelCommand() = default;

void InsertChannelCommand::RedoExecute(VornCommandData* data)
{
    const InsertChannelCommandData* channelData = insertchannelcommanddata_cast(data);
    if (!channelData || !m_document)
        return;
    const unsigned int id = channelData->GetChannelNumber();
    if (id == InsertChannelCommandData::NoChannel)
        return;
    const QString failed = QStringLiteral("Error to create new alpha channel id = %1").arg(id);
    try {
        switch (channelData->GetActionType()) {
        case InsertChannelCommandData::CreateEmpty:
            if (!m_document->CreateAlphaChannel(channelData->GetChannelName(), id))
                VORN_REPORT(failed);
            break;
        case InsertChannelCommandData::CreateFromSelection: {
            // The selection stays locked until the channel is created and placed.
            KXDocumentSelectionLockerForRead locker(m_document);
            if (m_document->CreateAlphaChannelFromMask(
                    channelData->GetChannelName(), m_document->GetSelectionMask(), id)) {
                m_document->SetChannelOffset(id, m_document->GetSelectionGeometry().topLeft());
                m_document->ChannelChangedExternal(id);
            } else {
                VORN_REPORT(failed);
            }
            break;
        }
        default:
            VORN_REPORT(QStringLiteral("Unknown error."));
            break;
        }
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void InsertChannelCommand::UndoExecute(VornCommandData* data)
{
    const InsertChannelCommandData* channelData = insertchannelcommanddata_cast(data);
    if (!channelData || !m_document)
        return;
    const unsigned int id = channelData->GetChannelNumber();
    if (id == InsertChannelCommandData::NoChannel)
        return;
    if (!m_document->DeleteAlphaChannel(id))
        VORN_REPORT(QStringLiteral("Error to delete alpha channel id = %1").arg(id));
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}
