#include "layerstructuresteps.h"

#include <QColor>
#include <QImage>
#include <QItemSelectionModel>

#include <cstdio>

#include "KXDocumentModel.h"
#include "KXMemoryDocument.h"
#include "layerdataitem.h"
#include "layerduplicatecommand.h"
#include "layerduplicatecommanddata.h"
#include "layermaskcreatecommand.h"
#include "layermaskcreatecommanddata.h"
#include "layermaskdisableenablecommand.h"
#include "layermaskinvertcommand.h"
#include "layermergecommand.h"
#include "layermergecommanddata.h"
#include "layermovecommand.h"
#include "layermovecommanddata.h"
#include "layerremovecommand.h"
#include "layerremovecommanddata.h"
#include "vorncommand.h"
#include "vornundostack.h"

void LayerStructureSteps::Run(int round)
{
    // The sun is renamed every other round.
    unsigned int sun = FindLayer(QStringLiteral("Setting sun"));
    if (sun == 0)
        sun = FindLayer(QStringLiteral("Sun"));
    if (sun == 0)
        return;
    if (round == 0)
        RegisterIcons();
    std::printf("  layer structure, round %d:\n", round);
    unsigned int copy = Duplicate(sun);
    Mask(copy);
    copy = MoveToTop(copy);
    Merge(copy);
}

unsigned int LayerStructureSteps::FindLayer(const QString& name) const
{
    // The topmost layer of that name above the background (0: none).
    for (unsigned int id = document.GetLayerCount(); id-- > 1;)
        if (document.GetLayerName(id) == name)
            return id;
    return 0;
}

unsigned int LayerStructureSteps::Duplicate(unsigned int id)
{
    // The application makes the copy above its source; the command names it
    // and keeps it in the history.
    LayerDataItem item;
    InitLayerItemFromDocument(id, &document, item);
    item.layerId = id + 1;
    InitLayerItemToDocument(&document, item);
    auto* data = new LayerDuplicateCommandData(&panelSelection);
    data->SetLayerId(id + 1);
    auto* command = new LayerDuplicateCommand(&document, true);
    command->SetCommandData(data);
    push(command, QStringLiteral("Duplicate layer"), QStringLiteral("layer-duplicate"));
    return id + 1;
}

void LayerStructureSteps::Mask(unsigned int id)
{
    // A mask from the copy's own pixels, at the copy's place.
    const KXImage32* pixels = document.GetLayerImage(id);
    auto* data = new LayerMaskCreateCommandData(LayerMaskCreateCommandData::FromSource,
                                                pixels ? *pixels : KXImage32(), true);
    data->SetLayerId(id);
    data->SetMaskOffset(document.GetLayerGeometry(id).topLeft());
    auto* create = new LayerMaskCreateCommand(&document, true);
    create->SetCommandData(data);
    push(create, QStringLiteral("Add layer mask"), QStringLiteral("mask"));

    auto* invert = new LayerMaskInvertCommand(&document);
    invert->addLayerId(id);
    push(invert, QStringLiteral("Invert mask"), QStringLiteral("mask"));

    auto* disable = new LayerMaskDisableEnableCommand(&document);
    disable->addLayerId(id);
    push(disable, QStringLiteral("Disable mask"), QStringLiteral("mask"));
}

unsigned int LayerStructureSteps::MoveToTop(unsigned int id)
{
    auto* panel = qobject_cast<KXDocumentModel*>(panelSelection.model());
    auto* data = new LayerMoveCommandData(LayerMoveCommandData::MoveToTop, panel, &panelSelection, -1);
    data->AddLayer(id);
    auto* command = new LayerMoveCommand(&document, true);
    command->SetCommandData(data);
    push(command, QStringLiteral("Bring to front"), QStringLiteral("layer-move"));
    return document.GetLayerCount() - 1;
}

void LayerStructureSteps::Merge(unsigned int top)
{
    // The copy, with the previous round's merge result below it when there is
    // one, becomes one layer: the merged layers go, then the merge puts the
    // composed layer in their place.
    const unsigned int below = top - 1;
    const bool withPrevious = document.GetLayerName(below) == QStringLiteral("Merged Layer");
    auto* mergeData = new LayerMergeCommandData(&panelSelection);
    auto* removeData = new LayerRemoveCommandData(&panelSelection);
    for (unsigned int id : withPrevious ? QList<unsigned int>{top, below} : QList<unsigned int>{top}) {
        mergeData->MergeLayer(id, &document);
        removeData->AddLayerInfo(id, &document);
    }
    auto* remove = new LayerRemoveCommand(&document, true);
    remove->SetCommandData(removeData);
    auto* merge = new LayerMergeCommand(&document, true);
    merge->SetCommandData(mergeData);
    stack.beginMacro(QStringLiteral("Merge layers"), QStringLiteral("default"));
    stack.push(remove);
    stack.push(merge);
    stack.endMacro();
    std::printf("  row %3d  %-24s (macro: delete, merge)  layers %u, state %d\n", stack.index(),
                qPrintable(stack.GetItemMeta(stack.index(), 0).toString()), document.GetLayerCount(),
                document.GetDocumentState());
}

void LayerStructureSteps::RegisterIcons()
{
    const QStringList names{QStringLiteral("layer-duplicate"), QStringLiteral("mask"), QStringLiteral("layer-move"),
                            QStringLiteral("default")};
    for (int i = 0; i < names.size(); ++i) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(30 + i * 80, 120, 200));
        VornCommand::SetIcon(names[i], icon);
    }
}
