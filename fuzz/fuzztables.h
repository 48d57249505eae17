#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "KXMemoryDocument.h"
#include "vorncommand.h"
#include "vorncommanddata.h"
#include "emptycommanddata.h"
#include "maskinvertfake.h"

#include "deletechannelcommanddata.h"
#include "insertchannelcommanddata.h"
#include "colorsamplescommanddataadd.h"
#include "colorsamplescommanddataclear.h"
#include "colorsamplescommanddatamove.h"
#include "colorsamplescommanddataremove.h"
#include "adjustmentchangecommanddata.h"
#include "changeblendmodecommanddata.h"
#include "changelayerssequencedata.h"
#include "changeopacitycommanddata.h"
#include "cropcommanddata.h"
#include "kxchangerasterdata.h"
#include "layercreatecommanddata.h"
#include "layerdataitem.h"
#include "layerduplicatecommanddata.h"
#include "layermaskcreatecommanddata.h"
#include "layermaskremovecommanddata.h"
#include "layermergecommanddata.h"
#include "layermovecommanddata.h"
#include "layernamechangecommanddata.h"
#include "layerremovecommanddata.h"
#include "layerupdatetextdatacommand.h"
#include "layerupdatetextdatacommand.h"
#include "mergecommanddata.h"
#include "movecommanddata.h"
#include "newadjustmentlayerdata.h"
#include "newlayerdata.h"
#include "newrasterlayerdata.h"
#include "newtextlayerdata.h"
#include "textlayerchangecommanddata.h"
#include "layermaskpaintcommanddata.h"
#include "layerpaintcommanddata.h"
#include "paintcommanddata.h"
#include "changesubpathcommanddata.h"
#include "duplicatepathcommanddata.h"
#include "insertpathcommanddata.h"
#include "insertsubpathcommanddata.h"
#include "removepathcommanddata.h"
#include "removesubpathcommanddata.h"
#include "transformpathcommanddata.h"
#include "mwselectioncommanddata.h"
#include "selectioncommanddata.h"
#include "selectioncopymovecommanddata.h"
#include "selectiondata.h"
#include "selectionmovecommanddata.h"
#include "kxstylechangemodelcommanddata.h"
#include "kxstylechangemodelparamscommanddata.h"
#include "kxstyleeffectinsertcommanddata.h"
#include "kxstyleeffectmovecommanddata.h"
#include "kxstyleeffectremovecommanddata.h"
#include "kxstyleeffectrowdata.h"
#include "imagesizecommanddata.h"
#include "transformcommanddata.h"
#include "transformselectioncommanddata.h"
#include "adjustmentchangecommand.h"
#include "changeblendmodecommand.h"
#include "changelayerssequence.h"
#include "changeopacitycommand.h"
#include "colorsamplescommand.h"
#include "converttexttoimagelayercommand.h"
#include "cropcommand.h"
#include "deletechannelcommand.h"
#include "imagesizecommand.h"
#include "insertchannelcommand.h"
#include "kxchangelayerrastercommand.h"
#include "kxchangemaskrastercommand.h"
#include "kxchangerastercommand.h"
#include "kxstylechangemodelcommand.h"
#include "kxstylechangemodelparamscommand.h"
#include "kxstyleeffectinsertcommand.h"
#include "kxstyleeffectmovecommand.h"
#include "kxstyleeffectremovecommand.h"
#include "layercreatecommand.h"
#include "layerduplicatecommand.h"
#include "layermaskcreatecommand.h"
#include "layermaskdisableenablecommand.h"
#include "layermaskenable.h"
#include "layermaskinvertcommand.h"
#include "layermaskpaintcommand.h"
#include "layermaskremovecommand.h"
#include "layermergecommand.h"
#include "layermovecommand.h"
#include "layernamechangecommand.h"
#include "layerpaintcommand.h"
#include "layerremovecommand.h"
#include "layerupdatetextdatacommand.h"
#include "mergecommand.h"
#include "movecommand.h"
#include "mwselectioncommand.h"
#include "newlayercommand.h"
#include "paintcommand.h"
#include "pathcommand.h"
#include "selectioncommand.h"
#include "selectioncopymovecommand.h"
#include "selectionmovecommand.h"
#include "subpathcommand.h"
#include "textlayerchangecommand.h"
#include "transformcommand.h"
#include "transformselectioncommand.h"

// Every command-data class the library has, and for most of them the command
// that executes it on a document. The fuzzers pick an entry with the first
// byte of their input; the corpus program writes one seed per entry.
struct FuzzEntry
{
    const char* name;
    std::function<VornCommandData*()> data;
    // Null when the command needs more than a document (item models).
    std::function<VornCommand*(KXDocumentInterface*)> command;
};

inline const std::vector<FuzzEntry>& FuzzEntries()
{
    using Doc = KXDocumentInterface*;
#define VORN_FUZZ_ENTRY(Data, Command) VORN_FUZZ_MADE(Data, new Data, Command)
#define VORN_FUZZ_MADE(Data, Made, Command) {#Data, [] { return static_cast<VornCommandData*>(Made); }, Command}
    static const std::vector<FuzzEntry> entries = {
        VORN_FUZZ_ENTRY(AdjustmentChangeCommandData, [](Doc d) { return new AdjustmentChangeCommand(d); }),
        VORN_FUZZ_ENTRY(ChangeBlendModeCommandData, [](Doc d) { return new ChangeBlendCommand(d); }),
        VORN_FUZZ_ENTRY(ChangeOpacityCommandData, [](Doc d) { return new ChangeOpacityCommand(d); }),
        VORN_FUZZ_ENTRY(LayerNameChangeCommandData, [](Doc d) { return new LayerNameChangeCommand(d); }),
        VORN_FUZZ_ENTRY(ChangeSubpathCommandData, [](Doc d) { return new SubpathCommand(d); }),
        VORN_FUZZ_ENTRY(InsertSubpathCommandData, [](Doc d) { return new SubpathCommand(d); }),
        VORN_FUZZ_ENTRY(RemoveSubpathCommandData, [](Doc d) { return new SubpathCommand(d); }),
        VORN_FUZZ_ENTRY(DuplicatePathCommandData, [](Doc d) { return new PathCommand(d); }),
        VORN_FUZZ_ENTRY(InsertPathCommandData, [](Doc d) { return new PathCommand(d); }),
        VORN_FUZZ_ENTRY(RemovePathCommandData, [](Doc d) { return new PathCommand(d); }),
        VORN_FUZZ_ENTRY(TransformPathCommandData, [](Doc d) { return new PathCommand(d); }),
        VORN_FUZZ_ENTRY(ColorSamplesCommandDataAdd, [](Doc d) { return new ColorSamplesCommand(d); }),
        VORN_FUZZ_ENTRY(ColorSamplesCommandDataClear, [](Doc d) { return new ColorSamplesCommand(d); }),
        VORN_FUZZ_ENTRY(ColorSamplesCommandDataMove, [](Doc d) { return new ColorSamplesCommand(d); }),
        VORN_FUZZ_ENTRY(ColorSamplesCommandDataRemove, [](Doc d) { return new ColorSamplesCommand(d); }),
        VORN_FUZZ_ENTRY(InsertChannelCommandData, [](Doc d) { return new InsertChannelCommand(d); }),
        VORN_FUZZ_ENTRY(DeleteChannelCommandData, [](Doc d) { return new DeleteChannelCommand(d, nullptr); }),
        VORN_FUZZ_ENTRY(CropCommandData, [](Doc d) { return new CropCommand(d); }),
        VORN_FUZZ_ENTRY(KXChangeRasterData, [](Doc d) { return new KXChangeLayerRasterCommand(d, true); }),
        VORN_FUZZ_MADE(LayerMaskCreateCommandData,
                       new LayerMaskCreateCommandData(LayerMaskCreateCommandData::RevealAll, QSize(4, 4), false), [](Doc d) { return new LayerMaskCreateCommand(d, true); }),
        VORN_FUZZ_ENTRY(LayerMaskRemoveCommandData, [](Doc d) { return new LayerMaskRemoveCommand(d, true); }),
        VORN_FUZZ_MADE(LayerDuplicateCommandData, new LayerDuplicateCommandData(nullptr), [](Doc d) { return new LayerDuplicateCommand(d, true); }),
        VORN_FUZZ_MADE(LayerMergeCommandData, new LayerMergeCommandData(nullptr), [](Doc d) { return new LayerMergeCommand(d, true); }),
        VORN_FUZZ_MADE(LayerMoveCommandData,
                       new LayerMoveCommandData(LayerMoveCommandData::MoveDown, nullptr, nullptr, 0), [](Doc d) { return new LayerMoveCommand(d, true); }),
        VORN_FUZZ_MADE(LayerRemoveCommandData, new LayerRemoveCommandData(nullptr), [](Doc d) { return new LayerRemoveCommand(d, true); }),
        VORN_FUZZ_MADE(LayerCreateCommandData, new LayerCreateCommandData(nullptr, LayerCreateRaster, 0), [](Doc d) { return new LayerCreateCommand(d, true); }),
        VORN_FUZZ_MADE(ChangeLayersSequenceData, new ChangeLayersSequenceData({}, {}, false), nullptr),
        VORN_FUZZ_MADE(MergeCommandData, new MergeCommandData(1, KXImage32(), QPoint(), 0, 1.0), nullptr),
        VORN_FUZZ_ENTRY(NewRasterLayerData, nullptr),
        VORN_FUZZ_ENTRY(NewTextLayerData, nullptr),
        VORN_FUZZ_ENTRY(NewAdjustmentLayerData, nullptr),
        VORN_FUZZ_ENTRY(MoveCommandData, [](Doc d) { return new MoveCommand(d, true); }),
        VORN_FUZZ_ENTRY(TextLayerChangeCommandData, [](Doc d) { return new TextLayerChangeCommand(d); }),
        VORN_FUZZ_ENTRY(LayerPaintCommandData, [](Doc d) { return new LayerPaintCommand(d, true); }),
        VORN_FUZZ_ENTRY(LayerMaskPaintCommandData, [](Doc d) { return new LayerMaskPaintCommand(d, true); }),
        VORN_FUZZ_ENTRY(MWSelectionCommandData, [](Doc d) { return new MWSelectionCommand(d, true); }),
        VORN_FUZZ_ENTRY(SelectionCommandData, [](Doc d) { return new SelectionCommand(d); }),
        VORN_FUZZ_ENTRY(SelectionCopyMoveCommandData, [](Doc d) { return new SelectionCopyMoveCommand(d); }),
        VORN_FUZZ_ENTRY(SelectionMoveCommandData, [](Doc d) { return new SelectionMoveCommand(d); }),
        VORN_FUZZ_ENTRY(KXStyleChangeModelCommandData, [](Doc d) { return new KXStyleChangeModelCommand(d, false); }),
        VORN_FUZZ_ENTRY(KXStyleChangeModelParamsCommandData,
                        [](Doc d) { return new KXStyleChangeModelParamsCommand(d); }),
        VORN_FUZZ_ENTRY(KXStyleEffectInsertCommandData, [](Doc d) { return new KXStyleEffectInsertCommand(d); }),
        VORN_FUZZ_ENTRY(KXStyleEffectMoveCommandData, [](Doc d) { return new KXStyleEffectMoveCommand(d, true); }),
        VORN_FUZZ_ENTRY(KXStyleEffectRemoveCommandData, [](Doc d) { return new KXStyleEffectRemoveCommand(d); }),
        VORN_FUZZ_ENTRY(ImageSizeCommandData, [](Doc d) { return new ImageSizeCommand(d); }),
        VORN_FUZZ_ENTRY(TransformCommandData, [](Doc d) { return new TransformCommand(d, false); }),
        VORN_FUZZ_ENTRY(TransformSelectionCommandData, [](Doc d) { return new TransformSelectionCommand(d); }),
        VORN_FUZZ_ENTRY(EmptyCommandData, nullptr),
        VORN_FUZZ_ENTRY(MaskInvertFake, [](Doc d) { return new LayerMaskInvertCommand(d); }),
    };
#undef VORN_FUZZ_MADE
#undef VORN_FUZZ_ENTRY
    return entries;
}
