#include "kxstyleeffectmovecommand.h"

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXStyleProxy.h"
#include "kxstyleeffectmovecommanddata.h"

KXStyleEffectMoveCommand::KXStyleEffectMoveCommand(KXDocumentInterface* document, bool firstRedo)
    : m_document(document)
    , m_firstRedo(firstRedo)
{
}

KXStyleEffectMoveCommand::~KXStyleEffectMoveCommand() = default;

void KXStyleEffectMoveCommand::RedoExecute(VornCommandData* data)
{
    const KXStyleEffectMoveCommandData* move = Checked(data);
    if (!move)
        return;
    if (!m_firstRedo) {
        m_firstRedo = true;
        return;
    }
    KXStyleProxy* style = m_document->GetStyleProxy();
    if (!style)
        return;
    const int source = move->GetSourceRow();
    const int destination = move->GetDestinationRow();
    // After the copy goes in there is one row more, so s may be the old count.
    const int count = style->rowCount(QModelIndex());
    if (destination >= 0 && destination <= count && source >= 0 && source <= count) {
        style->InsertEffect(destination, move->GetEffectUID(), move->GetEffectData(), move->GetEnabled());
        style->removeRows(source, 1, QModelIndex());
    }
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void KXStyleEffectMoveCommand::UndoExecute(VornCommandData* data)
{
    const KXStyleEffectMoveCommandData* move = Checked(data);
    if (!move)
        return;
    KXStyleProxy* style = m_document->GetStyleProxy();
    if (!style)
        return;
    const int source = move->GetSourceRow();
    const int destination = move->GetDestinationRow();
    const int count = style->rowCount(QModelIndex());
    const int copy = destination == count ? destination - 1 : destination;
    // s may be one past the end once the copy is out: the effect is appended.
    if (copy >= 0 && copy < count && source >= 0 && source <= count) {
        style->removeRows(copy, 1, QModelIndex());
        style->InsertEffect(source, move->GetEffectUID(), move->GetEffectData(), move->GetEnabled());
    }
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}

const KXStyleEffectMoveCommandData* KXStyleEffectMoveCommand::Checked(VornCommandData* data) const
{
    const auto* move = VornDataCast<KXStyleEffectMoveCommandData>(data);
    if (!move || !m_document) {
        VORN_REPORT(QStringLiteral("Command error. No Docuemnt or No CommandData."));
        return nullptr;
    }
    return move;
}
