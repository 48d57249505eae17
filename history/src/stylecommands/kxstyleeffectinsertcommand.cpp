#include "kxstyleeffectinsertcommand.h"

#include "KXErrorReport.h"
#include "kxstyleeffectinsertcommanddata.h"
#include "styleeffectrows_p.h"

KXStyleEffectInsertCommand::KXStyleEffectInsertCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

KXStyleEffectInsertCommand::~KXStyleEffectInsertCommand() = default;

void KXStyleEffectInsertCommand::UndoExecute(VornCommandData* data)
{
    if (const KXStyleEffectInsertCommandData* effect = Checked(data))
        KXStyleEffectRows::Remove(*m_document, *effect, -1);
}

void KXStyleEffectInsertCommand::RedoExecute(VornCommandData* data)
{
    if (const KXStyleEffectInsertCommandData* effect = Checked(data))
        KXStyleEffectRows::Insert(*m_document, *effect, +1);
}

const KXStyleEffectInsertCommandData* KXStyleEffectInsertCommand::Checked(VornCommandData* data) const
{
    const auto* effect = VornDataCast<KXStyleEffectInsertCommandData>(data);
    if (!effect || !m_document) {
        VORN_REPORT(QStringLiteral("Command error. No Docuemnt or No CommandData."));
        return nullptr;
    }
    return effect;
}
