#include "layermovecommand.h"

#include <algorithm>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "layermovecommanddata.h"

LayerMoveCommand::LayerMoveCommand(KXDocumentInterface* document, bool flag)
    : m_document(document)
    , m_flag(flag)
{
}

LayerMoveCommand::~LayerMoveCommand() = default;

void LayerMoveCommand::InsertLayer(LayerDataItem& item, LayerMoveCommandData*)
{
    InitLayerItemToDocument(m_document, item);
}

void LayerMoveCommand::CreateAt(LayerDataItem item, unsigned int target)
{
    item.layerId = target;
    InitLayerItemToDocument(m_document, item);
}

void LayerMoveCommand::ReplaceLayer(LayerDataItem& item, unsigned int target)
{
    if (item.kind != KXDocumentInterface::RasterLayer && item.kind != KXDocumentInterface::TextLayer) {
        // An adjustment layer has no pixels to rewrite: it is created anew.
        if (item.kind == KXDocumentInterface::AdjustmentLayer) {
            m_document->RemoveLayer(target);
            CreateAt(item, target);
        }
        return;
    }
    const bool text = item.kind == KXDocumentInterface::TextLayer;
    m_document->RemoveLayer(target);
    if (text)
        m_document->CreateTextLayer(item.name, target);
    else
        m_document->CreateRasterLayer(item.name, target);
    m_document->MoveLayer(target, item.offset);
    m_document->MoveMask(target, item.maskPosition);
    m_document->SetLayerBlendMode(target, item.blendMode);
    m_document->SetLayerOpacity(target, item.opacity);
    if (!text) {
        m_document->SetLayerVisible(target, item.visible);
        m_document->SetMaskLinked(target, item.maskLinked);
        m_document->SetMaskEnabled(target, item.maskEnabled);
    }
    if (item.maskCreated)
        m_document->CreateLayerMask(target, item.mask, item.maskType);
    else
        m_document->RemoveLayerMask(target);
    if (text) {
        m_document->SetLayerVisible(target, item.visible);
        m_document->SetMaskLinked(target, item.maskLinked);
        m_document->SetMaskEnabled(target, item.maskEnabled);
    }
    m_document->SetLayerImage(target, item.image);
    if (!text)
        return;
    const LayerDataItem::TextData& textData = item.textData;
    m_document->SetText(target, textData.text);
    m_document->SetTextFont(target, textData.font);
    m_document->SetTextBrush(target, textData.brush);
    m_document->SetTextPosition(target, textData.textPosition);
    m_document->SetTextStyle(target, textData.style);
    m_document->SetTextOrientation(target, textData.orientation);
    m_document->SetTextBend(target, textData.bend);
    m_document->SetTextHDistortion(target, textData.hDistortion);
    m_document->SetTextVDistortion(target, textData.vDistortion);
    m_document->SetTextTransform(target, textData.deformation);
}

LayerMoveCommandData* LayerMoveCommand::CheckedData(VornCommandData* data, int& type,
                                                    QVector<LayerDataItem>& items) const
{
    if (!m_document) {
        VORN_REPORT(QStringLiteral("Wrong document."));
        return nullptr;
    }
    LayerMoveCommandData* moveData = LayerMoveCommanddata_cast(data);
    if (!moveData) {
        VORN_REPORT(QStringLiteral("Error input data."));
        return nullptr;
    }
    LayerMoveCommandData::CommandType commandType = LayerMoveCommandData::MoveToBottom;
    if (!moveData->GetCommandType(commandType)) {
        VORN_REPORT(QStringLiteral("Error to get data."));
        return nullptr;
    }
    type = commandType;
    items.resize(moveData->GetLayerCount());
    for (int index = 0; index < items.size(); ++index) {
        if (!moveData->GetLayerInfo(items[index], index)) {
            VORN_REPORT(QStringLiteral("Error to get data."));
            return nullptr;
        }
    }
    return moveData;
}

QVector<unsigned int> LayerMoveCommand::MovedIds(int type, const QVector<LayerDataItem>& items,
                                                 unsigned int position) const
{
    const int count = items.size();
    int atOrBelow = 0;
    for (const LayerDataItem& item : items)
        atOrBelow += item.layerId <= position ? 1 : 0;
    const unsigned int firstTarget = LayerMoveCommandData::FirstTargetOfMoveToPos(position, atOrBelow);
    QVector<unsigned int> ids;
    for (int i = 0; i < count; ++i) {
        const unsigned int id = items.at(i).layerId;
        switch (type) {
        case LayerMoveCommandData::MoveToBottom:
            ids.append(unsigned(i) + 1);
            break;
        case LayerMoveCommandData::MoveDown:
            ids.append(id - 1);
            break;
        case LayerMoveCommandData::MoveUp:
            ids.append(id + 1);
            break;
        case LayerMoveCommandData::MoveToTop:
            ids.append(m_document->GetLayerCount() - unsigned(count - i));
            break;
        case LayerMoveCommandData::MoveReverse:
            ids.append(items.at(count - 1 - i).layerId);
            break;
        case LayerMoveCommandData::MoveToPos:
            ids.append(firstTarget + unsigned(i));
            break;
        default:
            ids.append(id);
            break;
        }
    }
    return ids;
}

void LayerMoveCommand::Reverse(QVector<LayerDataItem>& items)
{
    const int count = items.size();
    for (int i = 0; i < count; ++i)
        ReplaceLayer(items[i], items.at(count - 1 - i).layerId);
}

void LayerMoveCommand::RedoExecute(VornCommandData* data)
{
    int type = 0;
    QVector<LayerDataItem> items;
    LayerMoveCommandData* moveData = CheckedData(data, type, items);
    if (!moveData)
        return;
    moveData->copyCurrentSelection();
    const int count = items.size();
    switch (type) {
    case LayerMoveCommandData::MoveToBottom:
    case LayerMoveCommandData::MoveDown:
        // Lowest first: each layer lands below the layers still to move.
        for (int i = 0; i < count; ++i) {
            const unsigned int id = items.at(i).layerId;
            m_document->RemoveLayer(id);
            CreateAt(items.at(i), type == LayerMoveCommandData::MoveToBottom ? unsigned(i) + 1 : id - 1);
        }
        break;
    case LayerMoveCommandData::MoveUp:
    case LayerMoveCommandData::MoveToTop:
        // Highest first: each layer lands above the layers still to move.
        for (int k = 0; k > -count; --k) {
            const unsigned int id = items.at(count - 1 + k).layerId;
            m_document->RemoveLayer(id);
            CreateAt(items.at(count - 1 + k),
                     type == LayerMoveCommandData::MoveUp ? id + 1 : m_document->GetLayerCount() + unsigned(k));
        }
        break;
    case LayerMoveCommandData::MoveReverse:
        Reverse(items);
        break;
    case LayerMoveCommandData::MoveToPos: {
        unsigned int position = 0;
        moveData->GetPos(position);
        const QVector<unsigned int> targets = MovedIds(type, items, position);
        for (int i = count - 1; i >= 0; --i)
            m_document->RemoveLayer(items.at(i).layerId);
        for (int i = 0; i < count; ++i)
            CreateAt(items.at(i), targets.at(i));
        break;
    }
    default:
        break;
    }
    moveData->selectNew();
    moveData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() + 1);
}

void LayerMoveCommand::UndoExecute(VornCommandData* data)
{
    int type = 0;
    QVector<LayerDataItem> items;
    LayerMoveCommandData* moveData = CheckedData(data, type, items);
    if (!moveData)
        return;
    moveData->copyCurrentSelection();
    if (type >= LayerMoveCommandData::MoveToBottom && type <= LayerMoveCommandData::MoveToPos) {
        unsigned int position = 0;
        moveData->GetPos(position);
        QVector<unsigned int> moved = MovedIds(type, items, position);
        std::sort(moved.begin(), moved.end());
        for (int i = moved.size() - 1; i >= 0; --i)
            m_document->RemoveLayer(moved.at(i));
        for (LayerDataItem& item : items)
            InsertLayer(item, moveData);
    }
    moveData->selectNew();
    moveData->swapSelection();
    m_document->SetDocumentState(m_document->GetDocumentState() - 1);
}
