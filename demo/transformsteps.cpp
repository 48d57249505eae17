#include "transformsteps.h"

#include <QColor>
#include <QImage>
#include <QTransform>

#include "KXMemoryDocument.h"
#include "imagesizecommand.h"
#include "imagesizecommanddata.h"
#include "transformcommand.h"
#include "transformcommanddata.h"
#include "transformselectioncommand.h"
#include "transformselectioncommanddata.h"

namespace {

// Turns a w x h image placed at the point by the angle about its centre and
// scales it: from the image's own pixel coordinates to the document.
QTransform AboutCentre(const QPoint& at, const QSize& size, double angle, double scale)
{
    QTransform transform;
    transform.translate(at.x() + size.width() / 2.0, at.y() + size.height() / 2.0);
    transform.rotate(angle);
    transform.scale(scale, scale);
    transform.translate(-size.width() / 2.0, -size.height() / 2.0);
    return transform;
}

unsigned int FindLayer(const KXMemoryDocument& document, const QString& name)
{
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        if (document.GetLayerName(id) == name)
            return id;
    return KXMemoryDocument::InvalidId;
}

void RotateLayer(KXMemoryDocument& document, const PushCommand& push, unsigned int id, double angle)
{
    const KXImage32* image = document.GetLayerImage(id);
    if (!image || document.GetLayerType(id) != KXDocumentInterface::RasterLayer)
        return;
    const QRect geometry = document.GetLayerGeometry(id);
    auto* data = new TransformCommandData;
    data->SetUndoLayerImage(id, *image, geometry.topLeft());
    data->SetTransform(AboutCentre(geometry.topLeft(), geometry.size(), angle, 1.0));
    data->SetOldTransform(QTransform());
    auto* command = new TransformCommand(&document, false);
    command->SetCommandData(data);
    push(command, QStringLiteral("Rotate layer"), QStringLiteral("transform"));
}

void TransformSelection(KXMemoryDocument& document, const PushCommand& push, double angle)
{
    if (!document.HasSelection())
        return;
    const QRect geometry = document.GetSelectionGeometry();
    auto* data = new TransformSelectionCommandData;
    data->SetUndoImage(document.GetSelectionMask(), geometry.topLeft());
    data->SetTransform(AboutCentre(geometry.topLeft(), geometry.size(), angle, 0.9));
    auto* command = new TransformSelectionCommand(&document);
    command->SetCommandData(data);
    push(command, QStringLiteral("Transform selection"), QStringLiteral("selection"));
}

void ResizeDocument(KXMemoryDocument& document, const PushCommand& push, double factor)
{
    const QSize oldSize = document.GetCanvasSize();
    const QSize newSize(qRound(oldSize.width() * factor), qRound(oldSize.height() * factor));
    auto* data = new ImageSizeCommandData;
    data->Init(&document, oldSize, document.GetDPI(), newSize, document.GetDPI() * factor, true,
               ImageSizeCommandData::BicubicResample);
    auto* command = new ImageSizeCommand(&document);
    command->SetCommandData(data);
    push(command, QStringLiteral("Image size"), QStringLiteral("image-size"));
}

} // namespace

void RecordTransformSteps(KXMemoryDocument& document, const PushCommand& push, int round)
{
    if (round == 0) {
        // The pictures of these history rows.
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor(90, 160, 210));
        VornCommand::SetIcon(QStringLiteral("transform"), icon);
        icon.fill(QColor(210, 160, 90));
        VornCommand::SetIcon(QStringLiteral("image-size"), icon);
    }
    const unsigned int paint = FindLayer(document, QStringLiteral("Paint"));
    if (paint != KXMemoryDocument::InvalidId)
        RotateLayer(document, push, paint, round % 2 ? -12 : 15);
    TransformSelection(document, push, 8 + 4 * round);
    if (round == 0)
        ResizeDocument(document, push, 0.75);
}
