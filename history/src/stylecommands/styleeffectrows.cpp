#include "styleeffectrows_p.h"

#include "KXDocumentInterface.h"
#include "KXStyleProxy.h"
#include "kxstyleeffectrowdata.h"

namespace KXStyleEffectRows {

void Insert(KXDocumentInterface& document, const KXStyleEffectRowData& data, int step)
{
    KXStyleProxy* style = document.GetStyleProxy();
    const int row = data.GetRow();
    if (!style || row < 0 || row > style->rowCount(QModelIndex()))
        return;
    style->InsertEffect(row, data.GetEffectUID(), data.GetEffectData(), data.GetEnabled());
    document.SetDocumentState(document.GetDocumentState() + step);
}

void Remove(KXDocumentInterface& document, const KXStyleEffectRowData& data, int step)
{
    KXStyleProxy* style = document.GetStyleProxy();
    const int row = data.GetRow();
    if (row == -1 || !style || !style->removeRows(row, 1, QModelIndex()))
        return;
    document.SetDocumentState(document.GetDocumentState() + step);
}

} // namespace KXStyleEffectRows
