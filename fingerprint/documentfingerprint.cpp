#include "documentfingerprint.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QMatrix4x4>

#include <vector>

#include "KXChannelModel.h"
#include "KXColorSampleModel.h"
#include "KXDocumentInterface.h"
#include "KXImage.h"
#include "KXStyleProxy.h"
#include "KXPathsListModel.h"
#include "ZTAdjustment.h"

namespace {

QByteArray PixelHash(const KXImage32* image)
{
    if (!image || image->IsEmpty())
        return QByteArray();
    QCryptographicHash hash(QCryptographicHash::Md5);
    std::vector<unsigned char> line(size_t(image->GetWidth()) * 4);
    for (unsigned int y = 0; y < image->GetHeight(); ++y) {
        image->ReadLine(y, 0, line.data(), unsigned(line.size()));
        hash.addData(reinterpret_cast<const char*>(line.data()), int(line.size()));
    }
    return hash.result().toHex().left(12);
}

// Layer style lines; an empty style gives none, like no style at all.
QStringList StyleLines(const KXStyleProxy* style)
{
    QStringList lines;
    if (!style || (style->rowCount() == 0 && style->GetStyleName().isEmpty() && style->GetStyleUID().isEmpty()))
        return lines;
    lines << style->GetStyleName() + QLatin1Char('/') + style->GetStyleUID();
    for (int row = 0; row < style->rowCount(); ++row) {
        const QModelIndex effect = style->index(row, 0);
        lines << QStringLiteral("%1 %2 %3")
                     .arg(style->GetEffectUID(effect))
                     .arg(style->IsEnabled(effect) ? 1 : 0)
                     .arg(QString::fromLatin1(QCryptographicHash::hash(style->GetSessionData(effect),
                         QCryptographicHash::Md5).toHex().left(12)));
    }
    return lines;
}

// A hash of the text placements of all layers.
QByteArray TextTransformHash(const KXDocumentInterface& document)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        stream << document.GetTextTransform(id);
    return QCryptographicHash::hash(bytes, QCryptographicHash::Md5).toHex().left(12);
}

// Channel, path and colour sample rows.
void TakeModelRows(const KXDocumentInterface& document, DocumentFingerprint& print)
{
    if (const KXChannelModel* channels = document.GetChannelModel())
        for (unsigned int id = 0; id < channels->GetAlphaChannelCount(); ++id) {
            const QPoint offset = channels->GetAlphaChannelOffset(id);
            print.channels << QStringLiteral("%1 @%2,%3 %4")
                                  .arg(channels->GetAlphaChannelName(id), QString::number(offset.x()),
                                      QString::number(offset.y()),
                                      QString::fromLatin1(PixelHash(channels->GetAlphaChannelImage(id))));
        }
    if (const KXPathsListModel* paths = document.GetPathListModel())
        for (int row = 0; row < paths->rowCount(); ++row) {
            QByteArray encoded;
            QDataStream stream(&encoded, QIODevice::WriteOnly);
            stream << paths->GetPath(row);
            print.paths << QStringLiteral("%1 %2").arg(paths->GetPathName(row),
                QString::fromLatin1(QCryptographicHash::hash(encoded, QCryptographicHash::Md5).toHex().left(12)));
        }
    if (const KXColorSampleModel* samples = document.GetColorSamples())
        for (int row = 0; row < samples->rowCount(); ++row)
            print.samples << QStringLiteral("%1,%2 format %3")
                                 .arg(samples->GetPoint(row).x())
                                 .arg(samples->GetPoint(row).y())
                                 .arg(int(samples->GetDisplayFormat(row)));
}

// New layers and text layers: locks, mask flags, text attributes, adjustment parameters.
QString LayerDetails(const KXDocumentInterface& document, unsigned int id)
{
    QString line = QStringLiteral("locks %1").arg(document.GetLayerLocks(id));
    bool maskType = false;
    if (document.GetMaskType(id, maskType))
        line += QStringLiteral(" mask %1%2%3")
                    .arg(int(document.GetMaskEnabled(id)))
                    .arg(int(document.GetMaskLinked(id)))
                    .arg(int(maskType));
    if (document.GetLayerType(id) == KXDocumentInterface::TextLayer) {
        const QMatrix4x4 matrix = document.GetTextTransform(id);
        QStringList values;
        for (int i = 0; i < 16; ++i)
            values << QString::number(matrix.constData()[i]);
        const QBrush brush = document.GetTextBrush(id);
        line += QStringLiteral(" text %1 %2/%3 at %4,%5 style %6 vertical %7 bend %8 %9 %10 matrix %11 render %12")
                    .arg(document.GetTextFont(id).toString(), brush.color().name(QColor::HexArgb))
                    .arg(int(brush.style()))
                    .arg(document.GetTextPosition(id).x())
                    .arg(document.GetTextPosition(id).y())
                    .arg(document.GetTextStyle(id))
                    .arg(int(document.GetTextOrientation(id)))
                    .arg(document.GetTextBend(id))
                    .arg(document.GetTextHDistortion(id))
                    .arg(document.GetTextVDistortion(id))
                    .arg(values.join(QLatin1Char(',')))
                    .arg(document.GetTextRenderMode(id));
    }
    ZTAdjustment* adjustment = nullptr;
    ZTAdjustmentTarget target;
    if (document.GetLayerAdjustment(id, adjustment) && adjustment && document.GetAdjustmentTarget(id, target))
        line += QStringLiteral(" %1 %2").arg(
            adjustment->GetName(), QString::fromLatin1(adjustment->GetParams(target).toHex()));
    return line;
}

} // namespace

bool DocumentFingerprint::Layer::operator==(const Layer& other) const
{
    return type == other.type && name == other.name && qFuzzyCompare(opacity + 1, other.opacity + 1)
        && blendMode == other.blendMode && visible == other.visible && geometry == other.geometry
        && pixels == other.pixels && hasMask == other.hasMask && maskGeometry == other.maskGeometry
        && maskPixels == other.maskPixels && text == other.text && maskEnabled == other.maskEnabled
        && maskType == other.maskType && details == other.details;
}

DocumentFingerprint DocumentFingerprint::Take(const KXDocumentInterface& document)
{
    DocumentFingerprint print;
    print.canvas = document.GetCanvasSize();
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id) {
        Layer layer;
        layer.type = document.GetLayerType(id);
        layer.name = document.GetLayerName(id);
        layer.opacity = document.GetLayerOpacity(id);
        layer.blendMode = document.GetLayerBlendMode(id);
        layer.visible = document.GetLayerVisible(id);
        layer.geometry = document.GetLayerGeometry(id);
        layer.pixels = PixelHash(document.GetLayerImage(id));
        layer.hasMask = document.HasLayerMask(id);
        if (layer.hasMask) {
            layer.maskGeometry = document.GetMaskGeometry(id);
            layer.maskPixels = PixelHash(document.GetLayerMask(id));
            layer.maskEnabled = document.GetMaskEnabled(id);
            document.GetMaskType(id, layer.maskType);
        }
        layer.text = document.GetText(id);
        layer.details = LayerDetails(document, id);
        print.layers.append(layer);
    }
    print.selectionOffset = document.GetSelectionMaskOffset();
    print.selectionPixels = PixelHash(&document.GetSelectionMask());
    print.style = StyleLines(document.GetStyleProxy());
    print.textTransforms = TextTransformHash(document);
    TakeModelRows(document, print);
    print.dpi = document.GetDPI();
    return print;
}

QStringList DocumentFingerprint::Differences(const DocumentFingerprint& other) const
{
    QStringList lines;
    if (canvas != other.canvas)
        lines << QStringLiteral("canvas %1x%2 vs %3x%4")
                     .arg(canvas.width())
                     .arg(canvas.height())
                     .arg(other.canvas.width())
                     .arg(other.canvas.height());
    if (layers.size() != other.layers.size())
        lines << QStringLiteral("%1 layers vs %2").arg(layers.size()).arg(other.layers.size());
    for (int id = 0; id < qMin(layers.size(), other.layers.size()); ++id) {
        const Layer& a = layers.at(id);
        const Layer& b = other.layers.at(id);
        if (a == b)
            continue;
        lines << QStringLiteral("layer %1 \"%2\" vs \"%3\": opacity %4/%5 blend %6/%7 geometry %8/%9 pixels %10/%11 "
                                "mask %12/%13")
                     .arg(id)
                     .arg(a.name, b.name)
                     .arg(a.opacity)
                     .arg(b.opacity)
                     .arg(a.blendMode)
                     .arg(b.blendMode)
                     .arg(QStringLiteral("%1,%2 %3x%4")
                              .arg(a.geometry.x())
                              .arg(a.geometry.y())
                              .arg(a.geometry.width())
                              .arg(a.geometry.height()),
                         QStringLiteral("%1,%2 %3x%4")
                             .arg(b.geometry.x())
                             .arg(b.geometry.y())
                             .arg(b.geometry.width())
                             .arg(b.geometry.height()),
                         QString::fromLatin1(a.pixels), QString::fromLatin1(b.pixels),
                         QString::fromLatin1(a.maskPixels), QString::fromLatin1(b.maskPixels));
    }
    for (int id = 0; id < qMin(layers.size(), other.layers.size()); ++id)
        if (layers.at(id).details != other.layers.at(id).details)
            lines << QStringLiteral("layer %1 details: %2 vs %3")
                         .arg(id)
                         .arg(layers.at(id).details, other.layers.at(id).details);
    if (selectionOffset != other.selectionOffset || selectionPixels != other.selectionPixels)
        lines << QStringLiteral("selection at %1,%2 (%3) vs %4,%5 (%6)")
                     .arg(selectionOffset.x())
                     .arg(selectionOffset.y())
                     .arg(QString::fromLatin1(selectionPixels))
                     .arg(other.selectionOffset.x())
                     .arg(other.selectionOffset.y())
                     .arg(QString::fromLatin1(other.selectionPixels));
    if (style != other.style)
        lines << QStringLiteral("style [%1] vs [%2]")
                     .arg(style.join(QStringLiteral(", ")), other.style.join(QStringLiteral(", ")));
    if (textTransforms != other.textTransforms)
        lines << QStringLiteral("text placements %1 vs %2")
                     .arg(QString::fromLatin1(textTransforms), QString::fromLatin1(other.textTransforms));
    if (channels != other.channels)
        lines << QStringLiteral("channels [%1] vs [%2]").arg(channels.join(QStringLiteral("; ")),
            other.channels.join(QStringLiteral("; ")));
    if (paths != other.paths)
        lines << QStringLiteral("paths [%1] vs [%2]").arg(paths.join(QStringLiteral("; ")),
            other.paths.join(QStringLiteral("; ")));
    if (samples != other.samples)
        lines << QStringLiteral("samples [%1] vs [%2]").arg(samples.join(QStringLiteral("; ")),
            other.samples.join(QStringLiteral("; ")));
    if (dpi != other.dpi)
        lines << QStringLiteral("dpi %1 vs %2").arg(dpi).arg(other.dpi);
    return lines;
}
