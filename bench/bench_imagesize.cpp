// Image size of a whole document through the history library, beside plain
// baselines measured in the same run.
//
// A document of five layers of size x size pixels (photo-like content) is
// resized to half and back to full size with ImageSizeCommand (bicubic), each
// pushed on a VornUndoStack. Reported (processor time of the caller's thread):
// the command's execution and what the push costs beyond it; the time until the worker has
// written both records, the bytes on disk, the undo latency of each step
// beside plain single-thread qUncompress of the tiles its record holds, and
// peak resident memory beside the document's own.
//
// Usage: bench_imagesize [size]   (default 4096)
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <malloc.h>

#include <cstdio>
#include <ctime>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "KXMemoryDocument.h"
#include "ZTTileManager64.h"
#include "imagesizecommand.h"
#include "imagesizecommanddata.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

constexpr double MiB = 1024.0 * 1024.0;
constexpr int kLayers = 5;

double Milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// Processor time of the calling thread (or of the whole process), in
// milliseconds: what the thread spends, whatever else the machine runs.
double CpuMs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}
double ThreadMs()
{
    return CpuMs(CLOCK_THREAD_CPUTIME_ID);
}

qint64 StatusField(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(int(std::strlen(name))).trimmed().split(' ').first().toLongLong() * 1024;
    return -1;
}

qint64 ResidentBytes()
{
    malloc_trim(0);
    return StatusField("VmRSS:");
}

qint64 FolderBytes(const QString& path)
{
    qint64 bytes = 0;
    QDirIterator it(path, QDir::Files);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

// Smooth gradients with fine noise: compresses like a photograph.
KXImage32 PhotoLike(int size, int seed)
{
    KXImage32 image{unsigned(size), unsigned(size)};
    std::vector<KXRGBA32i> line(static_cast<size_t>(size));
    quint32 noise = 2463534242u + quint32(seed);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            noise ^= noise << 13;
            noise ^= noise >> 17;
            noise ^= noise << 5;
            const int jitter = int(noise & 7);
            line[size_t(x)] = KXRGBA32i(quint8((x * 255 / size + seed * 40 + jitter) & 255),
                                        quint8((y * 255 / size + jitter) & 255),
                                        quint8(((x + y) * 127 / size + seed * 17) & 255), 255);
        }
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(size) * 4);
    }
    return image;
}

// Times the command's own execution, so that the push's overhead shows.
class TimedImageSizeCommand : public ImageSizeCommand
{
public:
    using ImageSizeCommand::ImageSizeCommand;
    double executeMs = 0;

protected:
    void RedoExecute(VornCommandData* data) override
    {
        const double start = ThreadMs();
        ImageSizeCommand::RedoExecute(data);
        executeMs += ThreadMs() - start;
    }
};

// Plain single-thread qUncompress of every distinct tile of the images, once
// compressed as the record format does (zlib, default level).
double UncompressMs(const std::vector<KXImage32>& images)
{
    std::vector<QByteArray> blobs;
    std::vector<char> raw(ZTTileManager64::TileBytes);
    for (const KXImage32& image : images)
        for (unsigned int row = 0; row < image.GetRows(); ++row)
            for (unsigned int column = 0; column < image.GetColumns(); ++column) {
                ZTTileManager64::Instance()->ReadMemory(image.GetTile(column, row)->Handle(), raw.data());
                blobs.push_back(qCompress(reinterpret_cast<const uchar*>(raw.data()), int(raw.size())));
            }
    const double start = ThreadMs();
    qint64 total = 0;
    for (const QByteArray& blob : blobs)
        total += qUncompress(blob).size();
    const double ms = ThreadMs() - start;
    return total > 0 ? ms : 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int size = argc > 1 ? std::max(64, std::atoi(argv[1])) : 4096;
    QTemporaryDir folder;

    const qint64 residentStart = ResidentBytes();
    KXMemoryDocument document(QSize(size, size));
    std::vector<KXImage32> fullSize;
    for (int i = 0; i < kLayers; ++i) {
        fullSize.push_back(PhotoLike(size, i));
        document.AddRasterLayer(QStringLiteral("Layer %1").arg(i), fullSize.back());
    }
    const qint64 documentBytes = ResidentBytes() - residentStart;
    std::printf("document: %d layers of %dx%d (%.0f MiB resident)\n\n", kLayers, size, size, documentBytes / MiB);

    VornUndoStack stack(nullptr);
    stack.setTemporaryFolder(QDir(folder.path()));
    stack.SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));

    std::printf("%-24s %10s %10s %12s\n", "step", "push ms", "execute ms", "caller extra");
    double writeMs = 0;
    double writeCpuMs = 0; // the worker's processor time while the caller waits
    const QSize sizes[] = {QSize(size / 2, size / 2), QSize(size, size)};
    std::vector<std::vector<KXImage32>> saved; // what each record holds (layer ids 1 and up)
    for (const QSize& target : sizes) {
        std::vector<KXImage32> images;
        for (unsigned int id = 1; id < document.GetLayerCount(); ++id)
            images.push_back(*document.GetLayerImage(id));
        saved.push_back(images);
        auto* data = new ImageSizeCommandData;
        data->Init(&document, document.GetCanvasSize(), 72, target, 72, true, ImageSizeCommandData::BicubicResample);
        auto* command = new TimedImageSizeCommand(&document);
        command->SetCommandData(data);
        const double start = ThreadMs();
        stack.push(command);
        const double pushMs = ThreadMs() - start;
        std::printf("%-24s %10.1f %10.1f %12.2f\n",
                    qPrintable(QStringLiteral("to %1x%2").arg(target.width()).arg(target.height())), pushMs,
                    command->executeMs, pushMs - command->executeMs);
        QElapsedTimer timer;
        timer.start();
        const double processStart = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
        stack.GetSerializer()->WaitForIdle();
        writeCpuMs += CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processStart;
        writeMs += Milliseconds(timer);
    }
    const qint64 diskBytes = FolderBytes(folder.path());
    std::printf("\nworker writing after the pushes: %.0f ms processor time (%.0f ms wall clock)\n", writeCpuMs, writeMs);
    std::printf("on disk: %.1f MiB in %d files\n\n", diskBytes / MiB,
                int(QDir(folder.path()).entryList(QDir::Files).size()));

    std::printf("%-24s %10s %22s\n", "undo", "ms", "qUncompress of its tiles");
    for (int step = 1; step >= 0; --step) {
        const double start = ThreadMs();
        stack.undo();
        const double undoMs = ThreadMs() - start;
        std::printf("%-24s %10.1f %19.1f ms\n", step ? "back to half" : "back to full", undoMs,
                    UncompressMs(saved[size_t(step)]));
        stack.GetSerializer()->WaitForIdle();
    }
    saved.clear();
    fullSize.clear();
    std::printf("\nresident now: %.0f MiB; peak resident: %.0f MiB; the document alone: %.0f MiB\n",
                ResidentBytes() / MiB, StatusField("VmHWM:") / MiB, documentBytes / MiB);
    return 0;
}
