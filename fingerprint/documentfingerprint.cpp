#include "documentfingerprint.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QMatrix4x4>

#include <vector>

#include "KXDocumentInterface.h"
#include "KXImage.h"
#include "KXPathsListModel.h"

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

} // namespace

bool DocumentFingerprint::Layer::operator==(const Layer& other) const
{
    return type == other.type && name == other.name && qFuzzyCompare(opacity + 1, other.opacity + 1)
        && blendMode == other.blendMode && visible == other.visible && geometry == other.geometry
        && pixels == other.pixels && hasMask == other.hasMask && maskGeometry == other.maskGeometry
        && maskPixels == other.maskPixels && text == other.text;
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
        }
        layer.text = document.GetText(id);
        print.layers.append(layer);
    }
    print.selectionOffset = document.GetSelectionMaskOffset();
    print.selectionPixels = PixelHash(&document.GetSelectionMask());
    // Resolution, paths and text placements.
    print.dpi = document.GetDPI();
    QByteArray paths;
    QDataStream pathStream(&paths, QIODevice::WriteOnly);
    if (const KXPathsListModel* model = document.GetPathListModel())
        pathStream << model->GetPaths();
    print.paths = QCryptographicHash::hash(paths, QCryptographicHash::Md5).toHex().left(12);
    QByteArray placements;
    QDataStream placementStream(&placements, QIODevice::WriteOnly);
    for (unsigned int id = 0; id < document.GetLayerCount(); ++id)
        placementStream << document.GetTextTransform(id);
    print.textTransforms = QCryptographicHash::hash(placements, QCryptographicHash::Md5).toHex().left(12);
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
    if (selectionOffset != other.selectionOffset || selectionPixels != other.selectionPixels)
        lines << QStringLiteral("selection at %1,%2 (%3) vs %4,%5 (%6)")
                     .arg(selectionOffset.x())
                     .arg(selectionOffset.y())
                     .arg(QString::fromLatin1(selectionPixels))
                     .arg(other.selectionOffset.x())
                     .arg(other.selectionOffset.y())
                     .arg(QString::fromLatin1(other.selectionPixels));
    // Resolution, paths and text placements.
    if (dpi != other.dpi)
        lines << QStringLiteral("dpi %1 vs %2").arg(dpi).arg(other.dpi);
    if (paths != other.paths)
        lines << QStringLiteral("paths %1 vs %2").arg(QString::fromLatin1(paths), QString::fromLatin1(other.paths));
    if (textTransforms != other.textTransforms)
        lines << QStringLiteral("text transforms %1 vs %2")
                     .arg(QString::fromLatin1(textTransforms), QString::fromLatin1(other.textTransforms));
    return lines;
}
