#include "kxstylechangemodelcommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXStyleProxy.h"
#include "kxstylechangemodelcommanddata.h"

KXStyleChangeModelCommand::KXStyleChangeModelCommand(KXDocumentInterface* document, bool skip)
    : m_document(document)
    , m_skipNextRedo(skip)
{
}

KXStyleChangeModelCommand::~KXStyleChangeModelCommand() = default;

void KXStyleChangeModelCommand::UndoExecute(VornCommandData* data)
{
    const KXStyleChangeModelCommandData* model = Checked(data);
    if (!model)
        return;
    m_skipNextRedo = false;
    Apply(*model, false);
}

void KXStyleChangeModelCommand::RedoExecute(VornCommandData* data)
{
    if (m_skipNextRedo) {
        m_skipNextRedo = false;
        return;
    }
    if (const KXStyleChangeModelCommandData* model = Checked(data))
        Apply(*model, true);
}

void KXStyleChangeModelCommand::Apply(const KXStyleChangeModelCommandData& data, bool redo)
{
    using Data = KXStyleChangeModelCommandData;
    KXStyleProxy* style = m_document->GetStyleProxy();
    const int count = redo ? data.GetRedoEffectCount() : data.GetUndoEffectCount();
    if (style && count >= 0) {
        style->SetStyleName(redo ? data.GetRedoStyleName() : data.GetUndoStyleName());
        style->SetStyleUID(redo ? data.GetRedoStyleUID() : data.GetUndoStyleUID());
        style->removeRows(0, style->rowCount(QModelIndex()), QModelIndex());
        const auto getEffect = redo ? &Data::GetRedoEffect : &Data::GetUndoEffect;
        for (int i = 0; i < count; ++i) {
            QString uid;
            QByteArray settings;
            bool enabled = false;
            if ((data.*getEffect)(i, uid, settings, enabled))
                style->AddEffect(uid, settings, enabled);
        }
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + (redo ? 1 : -1));
}

void KXStyleChangeModelCommand::BeginTransaction()
{
    if (m_document)
        m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void KXStyleChangeModelCommand::EndTransaction(VornCommandData* data)
{
    KXStyleChangeModelCommandData* model = Checked(data);
    if (!model)
        return;
    if (const KXStyleProxy* style = m_document->GetStyleProxy()) {
        model->SetRedoStyleName(style->GetStyleName());
        model->SetRedoStyleUID(style->GetStyleUID());
        model->ClearRedoData();
        for (int row = 0; row < style->rowCount(QModelIndex()); ++row) {
            const QModelIndex effect = style->index(row, 0, QModelIndex());
            model->AddRedoEffect(style->GetEffectUID(effect), style->GetSessionData(effect), style->IsEnabled(effect));
        }
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

KXStyleChangeModelCommandData* KXStyleChangeModelCommand::Checked(VornCommandData* data) const
{
    auto* model = VornDataCast<KXStyleChangeModelCommandData>(data);
    if (!model || !m_document) {
        VORN_REPORT(QStringLiteral("Command error. No Docuemnt or No CommandData."));
        return nullptr;
    }
    return model;
}
