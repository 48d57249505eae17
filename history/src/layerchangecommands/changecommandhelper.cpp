#include "changecommandhelper.h"

#include <QObject>
#include <QPainterPath>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "KXColorTransformBase.h"
#include "KXComposeHelper.h"
#include "KXDocumentInterface.h"
#include "KXDocumentLayerLockerForRead.h"
#include "KXDocumentModel.h"
#include "KXErrorReport.h"
#include "KXImageHelper.h"
#include "KXPathsListModel.h"
#include "cropcommand.h"
#include "cropcommanddata.h"
#include "layerremovecommand.h"
#include "layerremovecommanddata.h"
#include "mergecommand.h"
#include "mergecommanddata.h"
#include "newadjustmentlayerdata.h"
#include "newlayercommand.h"
#include "newrasterlayerdata.h"
#include "newtextlayerdata.h"
#include "selectioncommand.h"
#include "selectioncommanddata.h"
#include "textlayerchangecommand.h"
#include "textlayerchangecommanddata.h"
#include "vornundostack.h"
#include "vornwaitcursor_p.h"

namespace {

using CommandPointer = std::unique_ptr<VornCommand>;
using CommandList = std::vector<CommandPointer>;

CommandPointer WithData(VornCommand* command, VornCommandData* data)
{
    command->SetCommandData(data);
    return CommandPointer(command);
}

// Pushes the commands in order, inside a macro when there are several.
// Without a stack each runs its redo once on its own data and is deleted.
void Perform(VornUndoStack* stack, CommandList commands, const QString& macroText, const QString& macroIcon)
{
    if (!stack) {
        for (CommandPointer& command : commands) {
            command->redoExec(command->GetHeldData());
            command.reset();
        }
        return;
    }
    const bool macro = commands.size() > 1;
    if (macro)
        stack->beginMacro(macroText, macroIcon);
    for (CommandPointer& command : commands)
        stack->push(command.release());
    if (macro)
        stack->endMacro();
}

CommandPointer RemovalOf(const QList<unsigned int>& layers, KXDocumentInterface* document,
                         QItemSelectionModel* selection)
{
    auto* data = new LayerRemoveCommandData(selection);
    for (unsigned int layer : layers)
        data->AddLayerInfo(layer, document);
    return WithData(new LayerRemoveCommand(document, true), data);
}

// The layer's mask and its flags, into the data of the layer's copy.
void CopyMask(const KXDocumentInterface& document, unsigned int layer, NewLayerData& data)
{
    const bool hasMask = document.HasLayerMask(layer);
    data.SetMaskCreated(hasMask);
    if (!hasMask)
        return;
    data.SetMaskLinked(document.GetMaskLinked(layer));
    data.SetMaskEnabled(document.GetMaskEnabled(layer));
    const KXImage32* mask = document.GetLayerMask(layer);
    data.SetMask(mask ? *mask : KXImage32());
    data.SetMaskPos(document.GetMaskGeometry(layer).topLeft());
    bool maskType = false;
    if (document.GetMaskType(layer, maskType))
        data.SetMaskType(maskType);
}

// The new-layer data of a copy of a source layer, read under the layer's
// read lock; a raster copy's pixels go through the colour transform when
// there is one. Null for an adjustment layer whose adjustment cannot be read,
// and for a layer of another type (reported and raised as a standard
// exception when reportType is set).
std::unique_ptr<NewLayerData> CopyOfLayer(KXDocumentInterface& source, unsigned int layer,
                                          const KXColorTransformBase* colorTransform, bool reportType)
{
    KXDocumentLayerLockerForRead locker(&source, layer);
    std::unique_ptr<NewLayerData> copy;
    const int type = source.GetLayerType(layer);
    switch (type) {
    case KXDocumentInterface::AdjustmentLayer: {
        ZTAdjustment* adjustment = nullptr;
        ZTAdjustmentTarget target;
        if (!source.GetLayerAdjustment(layer, adjustment) || !source.GetAdjustmentTarget(layer, target)
            || !adjustment)
            return nullptr;
        auto* data = new NewAdjustmentLayerData;
        copy.reset(data);
        data->SetAdjustmentID(adjustment->GetName());
        data->SetParams(adjustment->GetParams(target));
        break;
    }
    case KXDocumentInterface::TextLayer: {
        auto* data = new NewTextLayerData;
        copy.reset(data);
        data->SetText(source.GetText(layer));
        data->SetBrush(source.GetTextBrush(layer));
        data->SetFont(source.GetTextFont(layer));
        data->SetBend(source.GetTextBend(layer));
        data->SetHDistortion(source.GetTextHDistortion(layer));
        data->SetVDistortion(source.GetTextVDistortion(layer));
        data->SetOrientation(source.GetTextOrientation(layer));
        data->SetStyle(source.GetTextStyle(layer));
        data->SetRenderMode(source.GetTextRenderMode(layer));
        data->SetTransformation(source.GetTextTransform(layer));
        data->SetPosition(source.GetTextPosition(layer));
        break;
    }
    case KXDocumentInterface::RasterLayer: {
        auto* data = new NewRasterLayerData;
        copy.reset(data);
        const KXImage32* image = source.GetLayerImage(layer);
        KXImage32 raster = image ? *image : KXImage32();
        if (colorTransform)
            colorTransform->ConvertImage(raster);
        data->SetRaster(raster);
        data->SetRasterPos(source.GetLayerGeometry(layer).topLeft());
        break;
    }
    default: {
        if (!reportType)
            return nullptr;
        const QString message = QStringLiteral("Error layer type passed. Type = %1").arg(type);
        VORN_REPORT(message);
        throw std::invalid_argument(message.toStdString());
    }
    }
    copy->SetLocks(source.GetLayerLocks(layer));
    CopyMask(source, layer, *copy);
    return copy;
}

// The duplicate both overloads share: the copy of sourceLayer inserted at
// targetLayer of the target model's document.
bool Duplicate(KXDocumentInterface& source, unsigned int sourceLayer, unsigned int targetLayer,
               const QString& name, double opacity, unsigned int blendMode, QItemSelectionModel* selection,
               KXDocumentModel* targetModel, VornUndoStack* stack, const KXColorTransformBase* colorTransform,
               bool reportType)
{
    std::unique_ptr<NewLayerData> data;
    try {
        data = CopyOfLayer(source, sourceLayer, colorTransform, reportType);
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        return false;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
    if (!data)
        return false;
    data->SetLayerID(targetLayer);
    data->SetName(name);
    data->SetOpacity(opacity);
    data->SetBlendMode(blendMode);
    CommandPointer command = WithData(new NewLayerCommand(targetModel, selection, true), data.release());
    command->setText(QObject::tr("Duplicate layer"));
    CommandList commands;
    commands.push_back(std::move(command));
    Perform(stack, std::move(commands), QString(), QString());
    return true;
}

void MoveState(KXDocumentInterface* document, int delta)
{
    document->SetDocumentState(document->GetDocumentState() + delta);
}

// Reports an exception being passed on, after undo() (when given) has taken
// back what was done before it.
template <class Body>
void ReportAndPassOn(Body body, const std::function<void()>& undo)
{
    try {
        body();
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        undo();
        throw;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        undo();
        throw;
    }
}

} // namespace

bool ChangeCommandHelper::MakeMergeCommand(const QList<unsigned int>& layers, QItemSelectionModel* selection,
                                           KXDocumentModel* model, VornUndoStack* stack)
{
    KXDocumentInterface* document = model ? model->GetDocument() : nullptr;
    if (!document || layers.size() < 2)
        return false;
    QList<unsigned int> sorted = layers;
    std::sort(sorted.begin(), sorted.end(), std::greater<unsigned int>());
    const unsigned int target = sorted.last();
    if (target == 0)
        return false;

    KXImage32 composed;
    const QPoint position = KXComposeHelper::ComposeLayers(composed, sorted, document);
    CommandList commands;
    commands.push_back(RemovalOf(sorted, document, selection));
    commands.push_back(
        WithData(new MergeCommand(model, selection), new MergeCommandData(target, composed, position, 0, 1.0)));
    Perform(stack, std::move(commands), QObject::tr("Merge layers"), QStringLiteral("default"));
    return true;
}

bool ChangeCommandHelper::MakeDuplicateLayerCommand(unsigned int layer, const QString& name, double opacity,
                                                    unsigned int blendMode, QItemSelectionModel* selection,
                                                    KXDocumentModel* model, VornUndoStack* stack)
{
    KXDocumentInterface* document = model ? model->GetDocument() : nullptr;
    if (!document || layer == 0)
        return false;
    return Duplicate(*document, layer, layer, name, opacity, blendMode, selection, model, stack, nullptr, true);
}

bool ChangeCommandHelper::MakeDuplicateLayerCommand(unsigned int sourceLayer, unsigned int targetLayer,
                                                    const QString& name, double opacity, unsigned int blendMode,
                                                    QItemSelectionModel* selection, KXDocumentModel* sourceModel,
                                                    KXDocumentModel* targetModel, VornUndoStack* stack,
                                                    KXColorTransformBase* colorTransform)
{
    KXDocumentInterface* source = sourceModel ? sourceModel->GetDocument() : nullptr;
    if (!source || !targetModel || !targetModel->GetDocument() || sourceLayer == 0 || targetLayer == 0)
        return false;
    return Duplicate(*source, sourceLayer, targetLayer, name, opacity, blendMode, selection, targetModel, stack,
                     colorTransform, false);
}

bool ChangeCommandHelper::MakeCropCommand(KXDocumentInterface* document, const QString& text,
                                          const QTransform& transform, const QSize& newSize, bool keepOutside,
                                          bool bicubic, VornUndoStack* stack, const QString& icon)
{
    const int limit = KXDocumentInterface::MAX_DOC_DIMENSION;
    if (!document || newSize.width() < 1 || newSize.height() < 1 || newSize.width() > limit
        || newSize.height() > limit || (newSize == document->GetCanvasSize() && transform.isIdentity()))
        return false;
    VornWaitCursor cursor;
    auto* cropData = new CropCommandData;
    CommandPointer crop = WithData(new CropCommand(document), cropData);
    FillCropData(document, transform, newSize, keepOutside, bicubic, *cropData);
    crop->setText(text);
    crop->SetIcon(icon);

    CommandList commands;
    if (document->HasSelection()) {
        // The crop leaves no selection: a selection change that drops it comes first.
        auto* selectionData = new SelectionCommandData;
        selectionData->SetSelectionOp(SelectionCommandData::Replace);
        selectionData->SetSelectionGeometry(QPainterPath());
        selectionData->SetUndoSel(document->GetSelectionMaskOffset(), document->GetSelectionMask());
        commands.push_back(WithData(new SelectionCommand(document), selectionData));
        commands.back()->setText(text);
    }
    commands.push_back(std::move(crop));
    Perform(stack, std::move(commands), text, icon);
    return true;
}

bool ChangeCommandHelper::MakeNewTextCommand(VornUndoStack* stack, KXDocumentModel* model,
                                             QItemSelectionModel* selection, unsigned int layer, const QString& text,
                                             const QString& name, const QFont& font, const QBrush& brush,
                                             const QPoint& position, int style, int renderMode, double hDistortion,
                                             double vDistortion, double bend, bool orientation,
                                             const QMatrix4x4& transformation, unsigned int blendMode,
                                             double opacity, unsigned int locks)
{
    KXDocumentInterface* document = model ? model->GetDocument() : nullptr;
    if (!document)
        return false;
    if (stack) {
        auto* data = new NewTextLayerData;
        data->SetMaskCreated(false);
        data->SetLocks(locks);
        data->SetLayerID(layer);
        data->SetBlendMode(blendMode);
        data->SetOpacity(opacity);
        data->SetName(name);
        data->SetFont(font);
        data->SetPosition(position);
        data->SetRenderMode(renderMode);
        data->SetBrush(brush);
        data->SetStyle(style);
        data->SetHDistortion(hDistortion);
        data->SetVDistortion(vDistortion);
        data->SetBend(bend);
        data->SetOrientation(orientation);
        data->SetTransformation(transformation);
        CommandPointer command = WithData(new NewLayerCommand(model, selection, true), data);
        command->setText(text);
        stack->pushDelayed(command.release());
    } else {
        MoveState(document, 1);
    }

    // The layer the user types into, made at once (the commit records it).
    ReportAndPassOn(
        [&] {
            document->CreateTextLayer(name, layer);
            document->SetLayerBlendMode(layer, blendMode);
            document->SetLayerOpacity(layer, opacity);
            document->SetTextPosition(layer, position);
            document->SetLayerPosition(layer, position);
            document->SetTextFont(layer, font);
            document->SetTextBrush(layer, brush);
            document->SetTextTransform(layer, transformation);
            document->SetTextHDistortion(layer, hDistortion);
            document->SetTextVDistortion(layer, vDistortion);
            document->SetTextRenderMode(layer, renderMode);
            document->SetTextOrientation(layer, orientation);
            document->SetTextStyle(layer, style);
            document->SetTextBend(layer, bend);
            KXImageHelper helper;
            helper.InitHelper(document, layer);
            helper.SetRenderMode(document->GetTextRenderMode(layer));
            QTransform resulting;
            helper.drawImage(document, layer, QTransform(), resulting, false, false);
        },
        [&] {
            if (!stack)
                MoveState(document, -1);
        });
    return true;
}

bool ChangeCommandHelper::MakeChangeTextLayerCommand(VornUndoStack* stack, KXDocumentInterface* document,
                                                     unsigned int layer, const QString& text, const QString& icon)
{
    if (!stack)
        return true;
    auto* data = new TextLayerChangeCommandData;
    CommandPointer command = WithData(new TextLayerChangeCommand(document), data);
    data->SetLayerID(layer);
    if (document) {
        data->SetUndoBend(document->GetTextBend(layer));
        data->SetUndoBrush(document->GetTextBrush(layer));
        data->SetUndoFont(document->GetTextFont(layer));
        data->SetUndoHDistortion(document->GetTextHDistortion(layer));
        data->SetUndoOrientation(document->GetTextOrientation(layer));
        data->SetUndoPosition(document->GetTextPosition(layer));
        data->SetUndoRenderMode(document->GetTextRenderMode(layer));
        data->SetUndoStyle(document->GetTextStyle(layer));
        data->SetUndoText(document->GetText(layer));
        data->SetUndoTransformation(document->GetTextTransform(layer));
        data->SetUndoVDistortion(document->GetTextVDistortion(layer));
    }
    command->setText(text);
    command->SetIcon(icon);
    stack->pushDelayed(command.release());
    return true;
}

bool ChangeCommandHelper::RemoveLayer(VornUndoStack* stack, KXDocumentInterface* document,
                                      QItemSelectionModel* selection, unsigned int layer, const QString& text,
                                      const QString& icon)
{
    if (!stack) {
        if (document) {
            document->RemoveLayer(layer);
            MoveState(document, 1);
        }
        return true;
    }
    CommandPointer command = RemovalOf({layer}, document, selection);
    command->setText(text);
    command->SetIcon(icon);
    stack->push(command.release());
    return true;
}

bool ChangeCommandHelper::MakeRasterLayerFromTextLayer(VornUndoStack* stack, KXDocumentModel* model,
                                                       QItemSelectionModel* selection, unsigned int layer,
                                                       const QString& text)
{
    KXDocumentInterface* document = model ? model->GetDocument() : nullptr;
    if (!document)
        return true;
    CommandList commands;
    commands.push_back(RemovalOf({layer}, document, selection));

    auto* data = new NewRasterLayerData;
    commands.push_back(WithData(new NewLayerCommand(model, selection, true), data));
    data->SetLayerID(layer);
    {
        KXDocumentLayerLockerForRead locker(document, layer);
        if (const KXImage32* image = document->GetLayerImage(layer)) {
            data->SetRaster(*image);
            data->SetRasterPos(document->GetLayerGeometry(layer).topLeft());
        }
        if (const KXImage32* mask = document->GetLayerMask(layer)) {
            data->SetMask(*mask);
            data->SetMaskPos(document->GetMaskGeometry(layer).topLeft());
        }
    }
    data->SetName(document->GetLayerName(layer));
    data->SetMaskCreated(document->HasLayerMask(layer));
    data->SetMaskEnabled(document->GetMaskEnabled(layer));
    data->SetMaskLinked(document->GetMaskLinked(layer));
    bool maskType = false;
    if (document->GetMaskType(layer, maskType))
        data->SetMaskType(maskType);
    data->SetOpacity(document->GetLayerOpacity(layer));
    data->SetBlendMode(document->GetLayerBlendMode(layer));
    data->SetLocks(document->GetLayerLocks(layer));
    Perform(stack, std::move(commands), text, QStringLiteral("default"));
    return true;
}

QTransform ChangeCommandHelper::MakeFullTransform(KXDocumentInterface* document, unsigned int layer,
                                                  const QTransform& transform)
{
    const QTransform textTransform = document->GetTextTransform(layer).toTransform();
    if (textTransform.isIdentity())
        return transform;
    KXImageHelper helper;
    helper.InitHelper(document, layer);
    const QRect placed = textTransform.mapRect(helper.GetBaseRect());
    return textTransform * QTransform::fromTranslate(-placed.left(), -placed.top()) * transform;
}

bool ChangeCommandHelper::FillCropData(KXDocumentInterface* document, const QTransform& transform,
                                       const QSize& newSize, bool keepOutside, bool bicubic, CropCommandData& data)
{
    if (!document)
        return false;
    data.SetUndoCanvasSize(document->GetCanvasSize());
    data.SetRedoData(transform, newSize, keepOutside, bicubic);

    // The bottom layer (id 0) is never cropped.
    for (unsigned int layer = 1; layer < document->GetLayerCount(); ++layer) {
        KXDocumentLayerLockerForRead locker(document, layer);
        const bool hasMask = document->HasLayerMask(layer);
        const KXImage32* maskImage = document->GetLayerMask(layer);
        const KXImage32 mask = hasMask && maskImage ? *maskImage : KXImage32();
        const QRect maskRect = hasMask ? document->GetMaskGeometry(layer) : QRect();
        switch (document->GetLayerType(layer)) {
        case KXDocumentInterface::RasterLayer: {
            const KXImage32* image = document->GetLayerImage(layer);
            data.SetUndoLayerData(layer, document->GetLayerGeometry(layer), image ? *image : KXImage32(), hasMask,
                                  maskRect, mask);
            break;
        }
        case KXDocumentInterface::TextLayer:
            data.SetUndoLayerData(layer, document->GetLayerGeometry(layer),
                                  document->GetTextTransform(layer).toTransform(),
                                  hasMask ? QTransform() : MakeFullTransform(document, layer, transform), hasMask,
                                  maskRect, mask);
            break;
        case KXDocumentInterface::AdjustmentLayer:
            data.SetUndoLayerData(layer, hasMask, maskRect, mask);
            break;
        default:
            break;
        }
    }

    if (const KXPathsListModel* paths = document->GetPathListModel()) {
        QList<CropCommandData::Path> undoPaths;
        for (int row = 0; row < paths->rowCount(); ++row)
            undoPaths.append(paths->GetPath(row));
        data.SetUndoPathList(undoPaths);
    }
    return true;
}
