#include "kxstylechangemodelparamscommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXStyleProxy.h"
#include "kxstylechangemodelparamscommanddata.h"

KXStyleChangeModelParamsCommand::KXStyleChangeModelParamsCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

KXStyleChangeModelParamsCommand::~KXStyleChangeModelParamsCommand() = default;

void KXStyleChangeModelParamsCommand::UndoExecute(VornCommandData* data)
{
    Apply(data, false);
}

void KXStyleChangeModelParamsCommand::RedoExecute(VornCommandData* data)
{
    Apply(data, true);
}

void KXStyleChangeModelParamsCommand::Apply(VornCommandData* data, bool redo)
{
    using Data = KXStyleChangeModelParamsCommandData;
    const Data* params = Checked(data);
    if (!params)
        return;
    if (KXStyleProxy* style = m_document->GetStyleProxy()) {
        const int count = style->rowCount(QModelIndex());
        if (count == (redo ? params->GetRedoEffectCount() : params->GetUndoEffectCount())) {
            const auto getEffect = redo ? &Data::GetRedoEffect : &Data::GetUndoEffect;
            for (int row = 0; row < count; ++row) {
                const QModelIndex effect = style->index(row, 0, QModelIndex());
                QByteArray settings;
                bool enabled = false;
                (params->*getEffect)(row, settings, enabled);
                style->SetSessionData(effect, settings);
                style->SetEnabled(effect, enabled);
            }
        } else {
            VORN_REPORT(QStringLiteral("Cammand sequence was broken."));
        }
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

void KXStyleChangeModelParamsCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void KXStyleChangeModelParamsCommand::EndTransaction(VornCommandData* data)
{
    KXStyleChangeModelParamsCommandData* params = Checked(data);
    if (!params)
        return;
    if (const KXStyleProxy* style = m_document->GetStyleProxy()) {
        params->ClearRedoData();
        for (int row = 0; row < style->rowCount(QModelIndex()); ++row) {
            const QModelIndex effect = style->index(row, 0, QModelIndex());
            params->AddRedoEffect(style->GetSessionData(effect), style->IsEnabled(effect));
        }
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

KXStyleChangeModelParamsCommandData* KXStyleChangeModelParamsCommand::Checked(VornCommandData* data) const
{
    auto* params = VornDataCast<KXStyleChangeModelParamsCommandData>(data);
    if (!params || !m_document) {
        VORN_REPORT(QStringLiteral("Command error. No Docuemnt or No CommandData."));
        return nullptr;
    }
    return params;
}
