// Brush strokes on a 4096 x 4096 layer: what one stroke costs the history.
//
// Each stroke is recorded as an editor records it (the pixels of the stroke's
// rectangle before and after) and pushed on a real undo stack. Reported per
// stroke, beside the size of the stroke's pixels (the baseline):
//   kept     tile memory still held once the record has been written out;
//   exec     tile memory of the record while it is in memory (push, undo, redo);
//   disk     size of the record's temporary file;
//   undo+redo  time of one undo and one redo, each reading the record back.
// The last line gives what a snapshot of the whole layer would cost instead.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cmath>
#include <cstdio>
#include <iterator>

#include "KXMemoryDocument.h"
#include "ZTTileManager64.h"
#include "headlessplatform.h"
#include "layerpaintcommand.h"
#include "paintcommanddata.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

constexpr int kSide = 4096;
constexpr unsigned int kLayer = 0;
constexpr double kTileBytes = ZTTileManager64::TileBytes;

// A smooth picture: every tile private, as after real editing.
KXImage32 Picture()
{
    KXImage32 image(kSide, kSide);
    QVector<KXRGBA32i> line(kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x)
            line[x] = KXRGBA32i(quint8(x / 16), quint8(y / 16), quint8((x + y) / 32), 255);
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.constData()),
                        unsigned(kSide * sizeof(KXRGBA32i)));
    }
    return image;
}

// The layer's pixels inside rect (document coordinates), transparent outside the layer.
KXImage32 Extract(const KXImage32& layer, const QPoint& origin, const QRect& rect)
{
    KXImage32 part(unsigned(rect.width()), unsigned(rect.height()));
    const QRect inside = rect & QRect(origin, layer.GetSize());
    QVector<KXRGBA32i> line(inside.width());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        layer.ReadLine(unsigned(y - origin.y()), unsigned(inside.left() - origin.x()),
                       reinterpret_cast<unsigned char*>(line.data()), unsigned(line.size() * 4));
        part.WriteLine(unsigned(y - rect.top()), unsigned(inside.left() - rect.left()),
                       reinterpret_cast<const unsigned char*>(line.constData()), unsigned(line.size() * 4));
    }
    return part;
}

// A soft round brush dragged along the rectangle's diagonal over the old pixels;
// with noise, every pixel of the rectangle becomes random (a worst case for the file).
KXImage32 Paint(const KXImage32& before, bool noise)
{
    KXImage32 after = before;
    const int width = int(before.GetWidth());
    const int height = int(before.GetHeight());
    const double radius = std::min(width, height) / 6.0;
    const double length = std::hypot(width, height);
    QRandomGenerator generator(7);
    QVector<KXRGBA32i> line(width);
    for (int y = 0; y < height; ++y) {
        after.ReadLine(unsigned(y), 0, reinterpret_cast<unsigned char*>(line.data()), unsigned(width * 4));
        for (int x = 0; x < width; ++x) {
            if (noise) {
                line[x] = KXRGBA32i::FromValue(generator.generate() | 0xFF000000u);
                continue;
            }
            const double distance = std::abs(double(x) * height - double(y) * width) / length;
            if (distance >= radius)
                continue;
            const double k = 1.0 - distance / radius;
            KXRGBA32i& p = line[x];
            p.r = quint8(p.r + (200 - p.r) * k);
            p.g = quint8(p.g + (40 - p.g) * k);
            p.b = quint8(p.b + (90 - p.b) * k);
            p.a = 255;
        }
        after.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.constData()),
                        unsigned(width * 4));
    }
    return after;
}

QString Size(double bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes, 0, 'f', 0);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KiB").arg(bytes / 1024, 0, 'f', 1);
    return QStringLiteral("%1 MiB").arg(bytes / (1024 * 1024), 0, 'f', 2);
}

qint64 FolderBytes(const QDir& folder)
{
    qint64 total = 0;
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden))
        total += file.size();
    return total;
}

struct Stroke
{
    const char* name;
    QRect rect;
    bool noise;
};

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenPlatformWithoutDisplay();
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;

    KXMemoryDocument document(QSize(kSide, kSide));
    document.AddRasterLayer(QStringLiteral("Photo"), Picture());
    VornUndoStack stack;
    stack.setTemporaryFolder(QDir(folder.path()));
    ZTTileManager64* tiles = ZTTileManager64::Instance();

    const Stroke strokes[] = {
        {"brush 64 px", QRect(1000, 1000, 64, 64), false},
        {"brush 256 px", QRect(1500, 300, 256, 256), false},
        {"brush 1024 px", QRect(2000, 2000, 1024, 1024), false},
        {"long drag 3000x200", QRect(500, 3500, 3000, 200), false},
        {"noise 256 px", QRect(100, 2500, 256, 256), true},
        {"brush past top-left", QRect(-100, -60, 300, 200), false},
    };

    std::printf("%-20s %10s %10s %10s %10s %8s %12s\n", "stroke", "pixels", "kept", "exec", "disk", "disk/px",
                "undo+redo");
    for (const Stroke& stroke : strokes) {
        const QRect before = document.GetLayerGeometry(kLayer);
        const QRect inside = stroke.rect & before;
        const qint64 liveBefore = tiles->LiveTiles();
        const qint64 layerTilesBefore = document.GetLayerImage(kLayer)->DistinctTileCount();
        const qint64 diskBefore = FolderBytes(QDir(folder.path()));

        // What the editor records: the old pixels inside the layer, the new pixels of the whole rectangle.
        double execBytes = 0;
        auto* command = new LayerPaintCommand(&document, true);
        {
            const KXImage32 oldPixels = Extract(*document.GetLayerImage(kLayer), before.topLeft(), inside);
            const KXImage32 newPixels
                = Paint(Extract(*document.GetLayerImage(kLayer), before.topLeft(), stroke.rect), stroke.noise);
            execBytes = (oldPixels.DistinctTileCount() + newPixels.DistinctTileCount()) * kTileBytes;
            auto* data = static_cast<PaintCommandData*>(command->GetHeldData());
            data->SetUndoImage(oldPixels, QRect());
            data->SetRedoImage(newPixels, QRect());
            data->SetUndoGeometry(before);
            data->SetRedoGeometry(stroke.rect);
            data->SetLayerID(kLayer);
        }
        command->setText(QString::fromLatin1(stroke.name));
        stack.push(command);
        stack.GetSerializer()->WaitForIdle();
        // Tiles the layer itself gained (by growing) are not the record's.
        const qint64 layerGrowth = document.GetLayerImage(kLayer)->DistinctTileCount() - layerTilesBefore;
        const double keptBytes = double(tiles->LiveTiles() - liveBefore - layerGrowth) * kTileBytes;
        const double diskBytes = double(FolderBytes(QDir(folder.path())) - diskBefore);

        QElapsedTimer timer;
        timer.start();
        stack.undo();
        stack.redo();
        stack.GetSerializer()->WaitForIdle();
        const double milliseconds = timer.nsecsElapsed() / 1e6;

        const double pixelBytes = double(stroke.rect.width()) * stroke.rect.height() * 4;
        std::printf("%-20s %10s %10s %10s %10s %7.2fx %9.1f ms\n", stroke.name, qPrintable(Size(pixelBytes)),
                    qPrintable(Size(keptBytes)), qPrintable(Size(execBytes)), qPrintable(Size(diskBytes)),
                    diskBytes / pixelBytes, milliseconds);
    }
    std::printf("whole-layer snapshot of %dx%d: %s per stroke (before and after: %s)\n", kSide, kSide,
                qPrintable(Size(double(kSide) * kSide * 4)), qPrintable(Size(double(kSide) * kSide * 8)));
    return document.GetDocumentState() == int(std::size(strokes)) ? 0 : 1;
}
