#include "cropsteps.h"

#include <QImage>
#include <QMatrix4x4>
#include <QTransform>

#include "KXImageOps.h"
#include "KXMemoryDocument.h"
#include "changecommandhelper.h"
#include "kxchangelayerrastercommand.h"
#include "kxchangemaskrastercommand.h"
#include "kxchangerasterdata.h"
#include "movecommand.h"
#include "movecommanddata.h"
#include "vornundostack.h"

#include <cstdio>

namespace {

unsigned int FindLayer(const KXMemoryDocument& document, const QString& name)
{
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        if (document.GetLayerName(id) == name)
            return id;
    return 0;
}

// The sun (whatever the session renamed it to): the first layer with a mask.
unsigned int MaskedLayer(const KXMemoryDocument& document)
{
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        if (document.HasLayerMask(id))
            return id;
    return 0;
}

void RegisterIcons()
{
    const QString names[] = {QStringLiteral("filter"), QStringLiteral("move"), QStringLiteral("crop")};
    for (int i = 0; i < 3; ++i) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(30 + i * 100, 120, 200));
        VornCommand::SetIcon(names[i], icon);
    }
}

// A filter as an editor runs it: the image is filtered in the document at
// once, then recorded with its pixels before and after (sharing tiles with
// the layer), so the push only counts it.
void Filter(KXMemoryDocument& document, unsigned int id, bool mask, const PushStep& push)
{
    KXImage32* target = mask ? document.GetLayerMask(id) : document.GetLayerImage(id);
    if (!target)
        return;
    const QPoint offset = (mask ? document.GetMaskGeometry(id) : document.GetLayerGeometry(id)).topLeft();
    auto* data = new KXChangeRasterData;
    data->SetUndoImage(offset, *target);
    InvertImage(*target, mask ? KXInvertLayerMask : KXInvertColor);
    data->SetRedoImage(offset, *target);
    data->SetLayerID(id);
    VornCommand* command = mask ? static_cast<VornCommand*>(new KXChangeMaskRasterCommand(&document, false))
                                : new KXChangeLayerRasterCommand(&document, false);
    command->SetCommandData(data);
    push(command, mask ? QStringLiteral("Invert mask") : QStringLiteral("Invert"), QStringLiteral("filter"));
}

// A move-tool drag in ten steps: a layer with its mask, the title and the
// selection follow the pointer; the move is recorded when the button goes up.
// A text layer moves by its placement, so that it renders where it went.
void Drag(KXMemoryDocument& document, unsigned int sun, const QPoint& delta, const PushStep& push)
{
    const unsigned int title = FindLayer(document, QStringLiteral("Title"));
    const QTransform placement = document.GetTextTransform(title).toTransform();
    QPoint moved;
    for (int tick = 1; tick <= 10; ++tick) {
        const QPoint step = delta * tick / 10 - moved;
        moved += step;
        document.MoveLayerAndMask(sun, step, step);
        document.MoveLayer(title, step);
        document.SetTextTransform(title, QMatrix4x4(placement * QTransform::fromTranslate(moved.x(), moved.y())));
        if (document.HasSelection())
            document.TranslateSelection(step);
    }
    auto* data = new MoveCommandData;
    data->SetDelta(delta);
    data->SetLayers({sun, title});
    data->SetMasks({sun});
    data->SetTextLayerOldTransformation(placement);
    data->SetTextLayerNewTransformation(placement * QTransform::fromTranslate(delta.x(), delta.y()));
    auto* command = new MoveCommand(&document, false);
    command->SetCommandData(data);
    push(command, QStringLiteral("Move"), QStringLiteral("move"));
}

// Keeps the middle of the picture: a tenth goes on every side (and the
// selection, when there is one, goes first in the same history row).
void Crop(KXMemoryDocument& document, VornUndoStack& stack)
{
    const QSize canvas = document.GetCanvasSize();
    const QTransform transform = QTransform::fromTranslate(-canvas.width() / 10, -canvas.height() / 10);
    const bool selected = document.HasSelection();
    ChangeCommandHelper::MakeCropCommand(&document, QStringLiteral("Crop"), transform, canvas * 0.8, false, false,
                                         &stack, QStringLiteral("crop"));
    std::printf("  row %3d  %-24s (%s)  layers %u, state %d\n", stack.index(),
                qPrintable(stack.GetItemMeta(stack.index(), 0).toString()),
                selected ? "macro: selection, crop" : "crop", document.GetLayerCount(), document.GetDocumentState());
}

} // namespace

void RecordCropSteps(KXMemoryDocument& document, const PushStep& push, VornUndoStack& stack)
{
    RegisterIcons();
    const unsigned int sun = MaskedLayer(document);
    Filter(document, 0, false, push); // the picture itself
    Filter(document, sun, true, push);
    const QSize canvas = document.GetCanvasSize();
    Drag(document, sun, QPoint(-canvas.width() / 12, canvas.height() / 15), push);
    Crop(document, stack);
}
