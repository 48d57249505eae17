#include "layercreatecommand.h"

#include <QBrush>
#include <QMatrix4x4>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layercreatecommanddata.h"

LayerCreateCommand::LayerCreateCommand(KXDocumentInterface* document, bool flag)
    : m_document(document)
    , m_flag(flag)
{
}

LayerCreateCommand::~LayerCreateCommand() = default;

void LayerCreateCommand::RedoExecute(VornCommandData* data)
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return;
    }
    LayerCreateCommandData* createData = LayerCreateCommanddata_cast(data);
    if (!createData) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return;
    }
    unsigned int id = 0;
    QString name;
    unsigned int blendMode = 0;
    double opacity = 0;
    QPoint position;
    if (!createData->GetLayerId(id) || !createData->GetLayerName(name) || !createData->GetBendMode(blendMode)
        || !createData->GetOpacity(opacity) || !createData->GetLayerPos(position)) {
        VORN_REPORT(QStringLiteral("Internal error."));
        return;
    }

    createData->copyCurrentSelection();
    const LayerCreateCommandData::LayerType type = createData->GetLayerType();
    if (type == LayerCreateCommandData::RasterLayer)
        m_document->CreateRasterLayer(name, id);
    if (type == LayerCreateCommandData::TextLayer) {
        QPoint textPosition;
        QFont font;
        QColor color;
        int style = 0;
        bool vertical = false;
        double bend = 0;
        double hDistortion = 0;
        double vDistortion = 0;
        int renderMode = 1;
        QString text;
        KXImage32 image;
        createData->GetTextPosition(textPosition);
        createData->GetTextFont(font);
        createData->GetTextColor(color);
        createData->GetTextStyle(style);
        createData->GetTextOrientation(vertical);
        createData->GetTextBend(bend);
        createData->GetTextHDistortion(hDistortion);
        createData->GetTextVDistortion(vDistortion);
        createData->GetRenderMode(renderMode);
        createData->GetText(text);
        createData->GetLayerImage(image);

        m_document->CreateTextLayer(name, id);
        m_document->SetTextPosition(id, textPosition);
        m_document->SetTextFont(id, font);
        m_document->SetTextBrush(id, QBrush(color, Qt::SolidPattern));
        m_document->SetTextStyle(id, style);
        m_document->SetTextOrientation(id, vertical);
        m_document->SetTextBend(id, bend);
        m_document->SetTextHDistortion(id, hDistortion);
        m_document->SetTextVDistortion(id, vDistortion);
        m_document->SetTextTransform(id, QMatrix4x4());
        m_document->SetTextRenderMode(id, renderMode);
        m_document->SetText(id, text);
        m_document->SetLayerPosition(id, position);
        // The data's image is used for text layers only: it is the rendered text.
        m_document->SetLayerImage(id, image);
    } else {
        m_document->SetLayerPosition(id, position);
    }
    m_document->SetLayerBlendMode(id, blendMode);
    m_document->SetLayerOpacity(id, opacity);
    m_document->SetLayerName(id, name);

    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
    createData->selectNew();
    createData->swapSelection();
}

void LayerCreateCommand::UndoExecute(VornCommandData* data)
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return;
    }
    LayerCreateCommandData* createData = LayerCreateCommanddata_cast(data);
    if (!createData) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return;
    }
    unsigned int id = 0;
    if (!createData->GetLayerId(id)) {
        VORN_REPORT(QStringLiteral("Internal error."));
        return;
    }
    createData->copyCurrentSelection();
    m_document->RemoveLayer(id);
    createData->selectNew();
    createData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}
