#include "textlayeredit_p.h"

#include <QTransform>

#include "KXDocumentInterface.h"
#include "KXImageHelper.h"

void RenderTextLayer(KXDocumentInterface* document, unsigned int id)
{
    KXImageHelper helper;
    if (!helper.InitHelper(document, id))
        return;
    helper.SetRenderMode(document->GetTextRenderMode(id));
    QTransform resulting;
    helper.drawImage(document, id, QTransform(), resulting, false, false);
}

TextLayerAttributes ReadTextAttributes(const KXDocumentInterface* document, unsigned int id)
{
    TextLayerAttributes attributes;
    attributes.text = document->GetText(id);
    attributes.font = document->GetTextFont(id);
    attributes.brush = document->GetTextBrush(id);
    attributes.bend = document->GetTextBend(id);
    attributes.hDistortion = document->GetTextHDistortion(id);
    attributes.vDistortion = document->GetTextVDistortion(id);
    attributes.orientation = document->GetTextOrientation(id);
    attributes.position = document->GetTextPosition(id);
    attributes.renderMode = document->GetTextRenderMode(id);
    attributes.style = document->GetTextStyle(id);
    attributes.transformation = document->GetTextTransform(id);
    return attributes;
}

void WriteTextAttributes(KXDocumentInterface* document, unsigned int id, const TextLayerAttributes& attributes)
{
    document->SetText(id, attributes.text);
    document->SetTextFont(id, attributes.font);
    document->SetTextBrush(id, attributes.brush);
    document->SetTextBend(id, attributes.bend);
    document->SetTextHDistortion(id, attributes.hDistortion);
    document->SetTextVDistortion(id, attributes.vDistortion);
    document->SetTextOrientation(id, attributes.orientation);
    document->SetTextPosition(id, attributes.position);
    document->SetTextRenderMode(id, attributes.renderMode);
    document->SetTextStyle(id, attributes.style);
    document->SetTextTransform(id, attributes.transformation);
}
