#include "stylesteps.h"

#include <QColor>
#include <QImage>

#include "KXMemoryDocument.h"
#include "KXStyleProxy.h"
#include "kxstylechangemodelparamscommand.h"
#include "kxstylechangemodelparamscommanddata.h"
#include "kxstyleeffectinsertcommand.h"
#include "kxstyleeffectinsertcommanddata.h"
#include "kxstyleeffectmovecommand.h"
#include "kxstyleeffectmovecommanddata.h"

namespace {

const QString kShadow = QStringLiteral("DropShadow");

// The drop shadow's settings block as the style dialog keeps it.
QByteArray ShadowSettings(int angle, int distance, int size)
{
    return QStringLiteral("angle=%1;distance=%2;size=%3;opacity=0.75").arg(angle).arg(distance).arg(size).toUtf8();
}

void AddShadow(KXDocumentInterface& document, int angle, const StylePush& push)
{
    auto* command = new KXStyleEffectInsertCommand(&document);
    auto* data = new KXStyleEffectInsertCommandData;
    data->SetRow(0);
    data->SetEffectUID(kShadow);
    data->SetEffectData(ShadowSettings(angle, 4, 4));
    data->SetEnabled(true);
    command->SetCommandData(data);
    push(command, QStringLiteral("Add drop shadow"), QStringLiteral("style"));
}

void DragShadow(KXDocumentInterface& document, KXStyleProxy& style, int angle, const StyleLiveEdit& liveEdit)
{
    // The dialog's command starts with every effect's settings as they are;
    // the sliders then change the shadow in the style directly.
    auto* command = new KXStyleChangeModelParamsCommand(&document);
    auto* data = new KXStyleChangeModelParamsCommandData;
    for (int row = 0; row < style.rowCount(); ++row)
        data->AddUndoEffect(style.GetSessionData(style.index(row, 0)), style.IsEnabled(style.index(row, 0)));
    command->SetCommandData(data);
    liveEdit(command, QStringLiteral("Layer style"), QStringLiteral("style"), [&] {
        const QModelIndex shadow = style.index(0, 0);
        for (int tick = 1; tick <= 8; ++tick)
            style.SetSessionData(shadow, ShadowSettings(angle, 4 + tick * 2, 4 + tick));
    });
}

void MoveShadowToEnd(KXDocumentInterface& document, KXStyleProxy& style, const StylePush& push)
{
    // The effect list is dragged in the dialog first; the command records the
    // move (copy in at the end, the top row out) without repeating it.
    const QModelIndex shadow = style.index(0, 0);
    const int end = style.rowCount();
    auto* data = new KXStyleEffectMoveCommandData;
    data->SetSourceRow(0);
    data->SetDestinationRow(end);
    data->SetEffectUID(style.GetEffectUID(shadow));
    data->SetEffectData(style.GetSessionData(shadow));
    data->SetEnabled(style.IsEnabled(shadow));
    style.InsertEffect(end, data->GetEffectUID(), data->GetEffectData(), data->GetEnabled());
    style.removeRows(0, 1);
    auto* command = new KXStyleEffectMoveCommand(&document, false);
    command->SetCommandData(data);
    push(command, QStringLiteral("Move effect"), QStringLiteral("style"));
}

} // namespace

void RunStyleSteps(KXMemoryDocument& document, int round, const StylePush& push, const StyleLiveEdit& liveEdit)
{
    QImage icon(16, 16, QImage::Format_ARGB32);
    icon.fill(QColor(90, 90, 110));
    VornCommand::SetIcon(QStringLiteral("style"), icon);
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        if (document.GetLayerName(id) == QLatin1String("Title"))
            document.SetCurrentLayer(id);
    KXStyleProxy* style = document.GetStyleProxy();
    if (!style)
        return;
    const int angle = 90 + 30 * round;
    AddShadow(document, angle, push);
    DragShadow(document, *style, angle, liveEdit);
    MoveShadowToEnd(document, *style, push);
}
