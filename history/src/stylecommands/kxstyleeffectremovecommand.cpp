#include "kxstyleeffectremovecommand.h"

#include "KXErrorReport.h"
#include "kxstyleeffectremovecommanddata.h"
#include "styleeffectrows_p.h"

KXStyleEffectRemoveCommand::KXStyleEffectRemoveCommand(KXDocumentInterface* document)
    : m_document(document)
{
}

KXStyleEffectRemoveCommand::~KXStyleEffectRemoveCommand() = default;

void KXStyleEffectRemoveCommand::UndoExecute(VornCommandData* data)
{
    if (const KXStyleEffectRemoveCommandData* effect = Checked(data))
        KXStyleEffectRows::Insert(*m_document, *effect, -1);
}

void KXStyleEffectRemoveCommand::RedoExecute(VornCommandData* data)
{
    if (const KXStyleEffectRemoveCommandData* effect = Checked(data))
        KXStyleEffectRows::Remove(*m_document, *effect, +1);
}

const KXStyleEffectRemoveCommandData* KXStyleEffectRemoveCommand::Checked(VornCommandData* data) const
{
    const auto* effect = VornDataCast<KXStyleEffectRemoveCommandData>(data);
    if (!effect || !m_document) {
        VORN_REPORT(QStringLiteral("Command error. No Docuemnt or No CommandData."));
        return nullptr;
    }
    return effect;
}
