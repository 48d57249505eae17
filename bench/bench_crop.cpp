// A crop of five 4096 x 4096 photo layers, pushed and undone on a real stack.
//
// Reported beside a baseline measured in the same run:
//   push      the caller's time of the push, and how much of it is beyond the
//             crop's own execution (attaching the data, history row, queueing
//             the record for the worker);
//   write     how long the worker takes to write the record (not the caller's);
//   disk      the record's size beside the layers' raw pixels;
//   undo      the undo (reading the record back, restoring five layers)
//             beside a plain qUncompress of the same tiles;
//   memory    the peak resident size beside the document's own pixels.
// The crop keeps a copy of every layer: copies share tiles, so the record
// costs no pixels until the crop writes new images.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>
#include <unordered_set>

#include "KXMemoryDocument.h"
#include "ZTTileManager64.h"
#include "changecommandhelper.h"
#include "cropcommand.h"
#include "cropcommanddata.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

constexpr int kSide = 4096;
constexpr int kLayers = 5;

// A photo-like picture: smooth shading with a little grain, every tile private.
KXImage32 Photo(int seed)
{
    KXImage32 image(kSide, kSide);
    QRandomGenerator grain {quint32(seed)};
    QVector<KXRGBA32i> line(kSide);
    for (int y = 0; y < kSide; ++y) {
        for (int x = 0; x < kSide; ++x) {
            const int noise = int(grain.generate() & 7);
            line[x] = KXRGBA32i(quint8((x / 16 + seed * 40 + noise) & 255), quint8((y / 16 + noise) & 255),
                                quint8(((x + y) / 32 + noise) & 255), 255);
        }
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.constData()),
                        unsigned(kSide * sizeof(KXRGBA32i)));
    }
    return image;
}

// The crop command, timing its own execution.
class TimedCropCommand : public CropCommand
{
public:
    using CropCommand::CropCommand;
    double executeMs = 0;

protected:
    void RedoExecute(VornCommandData* data) override
    {
        QElapsedTimer timer;
        timer.start();
        CropCommand::RedoExecute(data);
        executeMs += timer.nsecsElapsed() / 1e6;
    }
};

qint64 PeakResidentBytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

qint64 FolderBytes(const QDir& folder)
{
    qint64 total = 0;
    for (const QFileInfo& file : folder.entryInfoList(QDir::Files | QDir::Hidden))
        total += file.size();
    return total;
}

double MiB(double bytes)
{
    return bytes / (1024.0 * 1024.0);
}

// The compressed tiles of the layers, as a record holds them.
QVector<QByteArray> CompressedTiles(const KXMemoryDocument& document)
{
    QVector<QByteArray> blobs;
    std::unordered_set<const void*> seen;
    QByteArray raw(ZTTileManager64::TileBytes, Qt::Uninitialized);
    for (unsigned int id = 1; id < document.GetLayerCount(); ++id) {
        const KXImage32* image = document.GetLayerImage(id);
        for (unsigned int row = 0; row < image->GetRows(); ++row)
            for (unsigned int column = 0; column < image->GetColumns(); ++column) {
                const auto* tile = image->GetTile(column, row);
                if (!seen.insert(tile).second)
                    continue;
                ZTTileManager64::Instance()->ReadMemory(tile->Handle(), raw.data());
                blobs.append(qCompress(raw));
            }
    }
    return blobs;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid())
        return 1;

    KXMemoryDocument document(QSize(kSide, kSide));
    document.AddRasterLayer(QStringLiteral("Bottom"), KXImage32()); // id 0 is never cropped
    for (int i = 0; i < kLayers; ++i)
        document.AddRasterLayer(QStringLiteral("Photo %1").arg(i + 1), Photo(i));
    const double documentBytes = double(kLayers) * kSide * kSide * 4;
    const qint64 residentBefore = PeakResidentBytes();

    VornUndoStack stack;
    stack.setTemporaryFolder(QDir(folder.path()));
    auto* data = new CropCommandData;
    const QTransform transform = QTransform::fromTranslate(-kSide / 10, -kSide / 10);
    auto* command = new TimedCropCommand(&document);

    QElapsedTimer timer;
    timer.start();
    ChangeCommandHelper::FillCropData(&document, transform, QSize(kSide, kSide) * 0.8, false, false, *data);
    const double prepareMs = timer.nsecsElapsed() / 1e6;
    command->SetCommandData(data);
    command->setText(QStringLiteral("Crop"));
    timer.restart();
    stack.push(command);
    const double pushMs = timer.nsecsElapsed() / 1e6;
    timer.restart();
    stack.GetSerializer()->WaitForIdle();
    const double writeMs = timer.nsecsElapsed() / 1e6;
    const double diskBytes = double(FolderBytes(QDir(folder.path())));

    timer.restart();
    stack.undo();
    const double undoMs = timer.nsecsElapsed() / 1e6;
    stack.GetSerializer()->WaitForIdle();
    const qint64 peakResident = PeakResidentBytes();
    const bool restored = document.GetLayerImage(1)->GetSize() == QSize(kSide, kSide)
        && document.GetCanvasSize() == QSize(kSide, kSide) && document.GetDocumentState() == 0;

    // Baseline: qUncompress of the same tiles the record holds (the layers are
    // back as they were; measured last, so that the peak above leaves it out).
    const QVector<QByteArray> blobs = CompressedTiles(document);
    timer.restart();
    qint64 uncompressed = 0;
    for (const QByteArray& blob : blobs)
        uncompressed += qUncompress(blob).size();
    const double uncompressMs = timer.nsecsElapsed() / 1e6;

    std::printf("crop of %d photo layers %dx%d to 80%% (nearest neighbour, clipped)\n", kLayers, kSide, kSide);
    std::printf("%-10s %10.1f ms  reading the layers into the crop's data (copies share tiles)\n", "prepare",
                prepareMs);
    std::printf("%-10s %10.1f ms  crop's own execution %.1f ms, beyond it %.1f ms\n", "push", pushMs,
                command->executeMs, pushMs - command->executeMs);
    std::printf("%-10s %10.1f ms  on the worker, after the push returned\n", "write", writeMs);
    std::printf("%-10s %10.1f MiB record beside %.1f MiB of raw pixels (%.2fx)\n", "disk", MiB(diskBytes),
                MiB(documentBytes), diskBytes / documentBytes);
    std::printf("%-10s %10.1f ms  beside plain qUncompress of the same %d tiles (%.1f MiB): %.1f ms (%.2fx)\n", "undo",
                undoMs, int(blobs.size()), MiB(double(uncompressed)), uncompressMs, undoMs / uncompressMs);
    std::printf("%-10s %10.1f MiB peak resident beside %.1f MiB of document pixels (%.1f MiB before the crop)\n",
                "memory", MiB(double(peakResident)), MiB(documentBytes), MiB(double(residentBefore)));
    return restored ? 0 : 1;
}
