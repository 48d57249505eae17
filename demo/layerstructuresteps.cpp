#include "layerstructuresteps.h"

#include <QColor>
#include <QImage>
#include <QItemSelectionModel>

#include <cstdio>

#include "KXDocumentModel.h"
#include "KXMemoryDocument.h"
#include "changecommandhelper.h"
#include "layermaskcreatecommand.h"
#include "layermaskcreatecommanddata.h"
#include "layermaskdisableenablecommand.h"
#include "layermaskinvertcommand.h"
#include "layermovecommand.h"
#include "layermovecommanddata.h"
#include "vorncommand.h"
#include "vornundostack.h"

void LayerStructureSteps::Run(int round)
{
    const unsigned int sun = FindSun();
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

unsigned int LayerStructureSteps::FindSun() const
{
    // The sun is renamed every other round.
    const unsigned int sun = FindLayer(QStringLiteral("Setting sun"));
    return sun ? sun : FindLayer(QStringLiteral("Sun"));
}

unsigned int LayerStructureSteps::Duplicate(unsigned int id)
{
    // The copy goes in at the source's id, below it, with the source's look.
    ChangeCommandHelper::MakeDuplicateLayerCommand(id, document.GetLayerName(id) + QStringLiteral(" copy"),
                                                   document.GetLayerOpacity(id), document.GetLayerBlendMode(id),
                                                   &panelSelection, Panel(), &stack);
    PrintRow("duplicate");
    return id;
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
    auto* data = new LayerMoveCommandData(LayerMoveCommandData::MoveToTop, Panel(), &panelSelection, -1);
    data->AddLayer(id);
    auto* command = new LayerMoveCommand(&document, true);
    command->SetCommandData(data);
    push(command, QStringLiteral("Bring to front"), QStringLiteral("layer-move"));
    return document.GetLayerCount() - 1;
}

void LayerStructureSteps::Merge(unsigned int top)
{
    // The copy on top and the previous round's merge result become one layer
    // at the lower one's place. The first round has no result yet: a second
    // copy of the sun stands in (it goes below the top, which stays on top).
    unsigned int partner = FindLayer(QStringLiteral("Merge layer"));
    if (partner == 0) {
        partner = Duplicate(FindSun());
        top = document.GetLayerCount() - 1;
    }
    ChangeCommandHelper::MakeMergeCommand({top, partner}, &panelSelection, Panel(), &stack);
    PrintRow("macro: delete, merge");
}

KXDocumentModel* LayerStructureSteps::Panel() const
{
    return qobject_cast<KXDocumentModel*>(panelSelection.model());
}

void LayerStructureSteps::PrintRow(const char* what) const
{
    std::printf("  row %3d  %-24s (%s)  layers %u, state %d\n", stack.index(),
                qPrintable(stack.GetItemMeta(stack.index(), 0).toString()), what, document.GetLayerCount(),
                document.GetDocumentState());
}

void LayerStructureSteps::RegisterIcons()
{
    const QStringList names{QStringLiteral("mask"), QStringLiteral("layer-move"), QStringLiteral("default")};
    for (int i = 0; i < names.size(); ++i) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(30 + i * 80, 120, 200));
        VornCommand::SetIcon(names[i], icon);
    }
}
