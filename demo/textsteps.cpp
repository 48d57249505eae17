#include "textsteps.h"

#include <QBrush>
#include <QImage>
#include <QMatrix4x4>
#include <QItemSelectionModel>
#include <QStringList>
#include <QTransform>

#include <cstdio>

#include "KXDocumentModel.h"
#include "KXImageHelper.h"
#include "KXMemoryDocument.h"
#include "ZTAdjustmentManager.h"
#include "ZTBrightnessContrast.h"
#include "adjustmentchangecommand.h"
#include "adjustmentchangecommanddata.h"
#include "changecommandhelper.h"
#include "layerupdatetextdatacommand.h"
#include "newadjustmentlayerdata.h"
#include "newlayercommand.h"
#include "vornundostack.h"

namespace {

// What the text tool does after each keystroke: render the layer again.
void Render(KXDocumentInterface& document, unsigned int id)
{
    KXImageHelper helper;
    helper.InitHelper(&document, id);
    helper.SetRenderMode(document.GetTextRenderMode(id));
    QTransform placement;
    helper.drawImage(&document, id, QTransform(), placement, false, false);
}

unsigned int FindLayer(const KXMemoryDocument& document, const QString& name)
{
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        if (document.GetLayerName(id) == name)
            return id;
    return 0;
}

// What the session prints for a history row it did not push itself.
void PrintRow(const TextStepsHost& host, const char* what)
{
    std::printf("  row %3d  %-24s (%s)  layers %u, state %d\n", host.stack.index(),
        qPrintable(host.stack.GetItemMeta(host.stack.index(), 0).toString()), what, host.document.GetLayerCount(),
        host.document.GetDocumentState());
}

void RegisterIcons()
{
    const QStringList names { QStringLiteral("text-new"), QStringLiteral("font"), QStringLiteral("text"),
        QStringLiteral("adjustment-new"), QStringLiteral("adjustment") };
    for (int i = 0; i < names.size(); ++i) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(20 + i * 50, 120, 240));
        VornCommand::SetIcon(names[i], icon);
    }
}

// The text tool: a click makes an empty text layer above the title, then the
// user types. The command goes into the history at the click; the commit
// names the layer after its text.
unsigned int TypeText(const TextStepsHost& host, int round)
{
    KXMemoryDocument& document = host.document;
    const QSize canvas = document.GetCanvasSize();
    const QStringList texts { QStringLiteral("Stars are out"), QStringLiteral("Calm night"),
        QStringLiteral("Moonrise over the bay") };
    const QString text = texts.at(round % texts.size());
    const unsigned int id = FindLayer(document, QStringLiteral("Title")) + 1;

    QFont font(QStringLiteral("DejaVu Serif"));
    font.setPixelSize(qMax(10, canvas.height() / 14));
    const QPoint position(canvas.width() / 12, canvas.height() * (5 + round % 3) / 10);
    ChangeCommandHelper::MakeNewTextCommand(&host.stack, &host.panel, &host.panelSelection, id,
        QStringLiteral("New text layer"), QStringLiteral("Text"), font,
        QBrush(QColor::fromHsv((round * 90 + 40) % 360, 90, 255)), position, 0, 1, 0, 0, 0, false, QMatrix4x4(),
        KXDocumentInterface::BlendNormal, 1.0, 0);
    host.panelSelection.setCurrentIndex(host.panel.index(int(id) - 1, 0), QItemSelectionModel::ClearAndSelect);
    for (int typed = 1; typed <= text.size(); ++typed) {
        document.SetText(id, text.left(typed));
        Render(document, id);
    }
    host.stack.commit();
    PrintRow(host, "live edit");
    return id;
}

// The font box: the typed text becomes bold and larger.
void ChangeFont(const TextStepsHost& host, unsigned int id)
{
    QFont font = host.document.GetTextFont(id);
    font.setBold(true);
    font.setPixelSize(font.pixelSize() * 5 / 4);
    auto* command = new LayerUpdateTextDataCommand(&host.document, id);
    command->SetTextFont(font, LayerUpdateTextDataCommand::Change);
    host.push(command, QStringLiteral("Font"), QStringLiteral("font"));
}

// The warp slider on the title: the text bends while the user drags.
void BendTitle(const TextStepsHost& host, int round)
{
    KXMemoryDocument& document = host.document;
    const unsigned int id = FindLayer(document, QStringLiteral("Title"));
    const double from = document.GetTextBend(id);
    const double to = round % 2 ? 0.0 : 0.35;
    ChangeCommandHelper::MakeChangeTextLayerCommand(&host.stack, &document, id, QStringLiteral("Warp text"),
        QStringLiteral("text"));
    for (int tick = 1; tick <= 5; ++tick) {
        document.SetTextBend(id, from + (to - from) * tick / 5);
        Render(document, id);
    }
    host.stack.commit();
    PrintRow(host, "live edit");
}

// A new brightness layer on top, then its brightness slider dragged.
void AddBrightness(const TextStepsHost& host, int round)
{
    KXMemoryDocument& document = host.document;
    const unsigned int id = document.GetLayerCount();
    auto* command = new NewLayerCommand(&host.panel, &host.panelSelection, true);
    auto* data = new NewAdjustmentLayerData;
    data->SetAdjustmentID(ZTBrightnessContrast::Name());
    data->SetName(QStringLiteral("Brightness %1").arg(round));
    data->SetLayerID(id);
    data->SetOpacity(1.0);
    command->SetCommandData(data);
    host.push(command, QStringLiteral("New adjustment layer"), QStringLiteral("adjustment-new"));

    ZTAdjustment* adjustment = nullptr;
    ZTAdjustmentTarget target;
    if (!document.GetLayerAdjustment(id, adjustment) || !document.GetAdjustmentTarget(id, target))
        return;
    auto* drag = new AdjustmentChangeCommand(&document);
    auto* dragData = new AdjustmentChangeCommandData;
    dragData->SetPrevParams(adjustment->GetParams(target));
    dragData->SetLayerID(id);
    drag->SetCommandData(dragData);
    const int to = round % 2 ? -30 : 25;
    host.liveEdit(drag, QStringLiteral("Brightness"), QStringLiteral("adjustment"), [&] {
        for (int tick = 1; tick <= 5; ++tick)
            adjustment->SetParams(target, ZTBrightnessContrast::Encode({ to * tick / 5, 10 }));
        document.UpdateView(QRect(0, 0, -1, -1));
    });
}

} // namespace

void RecordTextSteps(const TextStepsHost& host, int round)
{
    static const bool registered = (RegisterIcons(), true);
    Q_UNUSED(registered);
    const unsigned int typed = TypeText(host, round);
    ChangeFont(host, typed);
    BendTitle(host, round);
    AddBrightness(host, round);
    ChangeCommandHelper::MakeRasterLayerFromTextLayer(&host.stack, &host.panel, &host.panelSelection, typed,
        QStringLiteral("Rasterize type"));
    PrintRow(host, "macro: delete, new layer");
}
