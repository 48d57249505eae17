// The history library beside baselines measured in the same run on the very
// same bytes.
//
// For each layer size (default 1024, 4096 and 8192 pixels square, photo-like
// content) one VornUndoStack takes quick whole-layer edits; every command's
// record holds the layer before and after its edit (two tiled images). Then:
//
// - pushes: the caller's thread per push beyond the command's own execution
//   (the first push wakes an idle worker), time until everything is written,
//   the worker's processor time beside what compressing every tile of every
//   record with qCompress costs (the per-tile cost measured on the tiles of the
//   last record), peak resident memory; the same pushes keeping every waiting
//   image in memory (no memory budget) as the baseline of the peak and the
//   caller's time;
// - undo and redo of the last command (its record read back, and the pixels
//   it restored made ready: read-back images are decoded when first used)
//   beside plain
//   qUncompress and libdeflate of that record's blobs, memcpy and first touch
//   of its raw size;
// - undo of the entry the worker is writing, and a push with an undo limit of
//   2 that deletes the entry being written, beside the idle undo above;
// - records: serializer round trips of 1, 16 and 1024 tiles beside qCompress
//   and qUncompress of the same tiles.
//
// Usage: bench_history [--sizes 1024,4096,8192] [--pushes N] [--json FILE] [--tmp DIR] [--only pushes|records]
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QThread>

#include <libdeflate.h>
#include <sys/mman.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <memory>
#include <numeric>
#include <vector>

#include "KXImage.h"
#include "ZTTileManager64.h"
#include "headlessplatform.h"
#include "iwriter.h"
#include "ireader.h"
#include "vorncommand.h"
#include "vorncommanddata.h"
#include "vorncommanddataserializer.h"
#include "vornreaderwriter.h"
#include "vornundostack.h"

namespace {

constexpr double MiB = 1024.0 * 1024.0;
constexpr int TileBytes = ZTTileManager64::TileBytes;

double Milliseconds(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double CpuMs(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

qint64 StatusField(const char* name)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(name))
            return line.mid(int(std::strlen(name))).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}

void ResetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Photo-like content: smooth gradients with a little grain.
KXImage32 PhotoImage(int size)
{
    KXImage32 image(static_cast<unsigned>(size), static_cast<unsigned>(size));
    std::vector<KXRGBA32i> line(static_cast<size_t>(size));
    quint32 seed = 12345;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 29) - 4;
            line[size_t(x)] = KXRGBA32i(quint8(qBound(0, x * 255 / size + grain, 255)),
                quint8(qBound(0, y * 255 / size + grain, 255)), quint8(qBound(0, (x + y) * 127 / size + 60 + grain, 255)),
                255);
        }
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(size * 4));
    }
    return image;
}

// A whole-layer edit (every tile rewritten): brighter by 3 on odd steps,
// darker by 2 on even ones, so that the content stays photo-like.
KXImage32 Adjust(const KXImage32& source, int step)
{
    const int delta = step % 2 ? 3 : -2;
    KXImage32 result = source.Copy();
    for (unsigned int row = 0; row < result.GetRows(); ++row) {
        for (unsigned int column = 0; column < result.GetColumns(); ++column) {
            ZTTileMemory memory(result.DetachTile(column, row), true);
            uchar* bytes = memory.Bytes();
            for (int i = 0; i < TileBytes; i += 4)
                for (int c = 0; c < 3; ++c)
                    bytes[i + c] = uchar(qBound(0, bytes[i + c] + delta, 255));
        }
    }
    return result;
}

struct Layer
{
    KXImage32 image;
    double executeMs = 0; // time the commands spent executing, all told
};

class SnapshotData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 1001;
    SnapshotData(const KXImage32& before, const KXImage32& after)
        : before(before)
        , after(after)
    {
    }
    bool Serialize(IWriter* writer) override
    {
        return writer && held && writer->WriteKXImage(before) && writer->WriteKXImage(after);
    }
    bool Deserialize(IReader* reader) override
    {
        held = reader && reader->ReadKXImage(before) && reader->ReadKXImage(after);
        return held;
    }
    void ReleaseSerializeData() override
    {
        before = KXImage32();
        after = KXImage32();
        held = false;
    }
    unsigned int GetDataType() const override { return Type; }

    KXImage32 before;
    KXImage32 after;
    bool held = true;
};

class SnapshotCommand : public VornCommand
{
public:
    SnapshotCommand(Layer* layer, const KXImage32& before, const KXImage32& after)
        : m_layer(layer)
    {
        SetCommandData(new SnapshotData(before, after));
        setText(QStringLiteral("Adjust"));
    }

protected:
    void RedoExecute(VornCommandData* data) override { Apply(data, true); }
    void UndoExecute(VornCommandData* data) override { Apply(data, false); }

private:
    void Apply(VornCommandData* data, bool redo)
    {
        QElapsedTimer timer;
        timer.start();
        if (data && data->GetDataType() == SnapshotData::Type) {
            auto* snapshot = static_cast<SnapshotData*>(data);
            m_layer->image = redo ? snapshot->after : snapshot->before;
        }
        m_layer->executeMs += Milliseconds(timer);
    }
    Layer* m_layer;
};

// The record bytes of a data object, exactly as the serializer writes them.
QByteArray RecordBytes(VornCommandData& data, const QString& folder)
{
    const QString path = folder + QStringLiteral("/baseline-record");
    QByteArray bytes;
    {
        VornReaderWriter writer;
        if (writer.Open(path) && data.Serialize(&writer)) {
            writer.Close();
            QFile file(path);
            if (file.open(QIODevice::ReadOnly))
                bytes = file.readAll();
        }
    }
    return bytes;
}

// The tile blobs of a record of tiled images.
std::vector<QByteArray> RecordBlobs(const QByteArray& record)
{
    std::vector<QByteArray> blobs;
    QDataStream in(record);
    while (!in.atEnd() && in.status() == QDataStream::Ok) {
        quint32 width = 0;
        quint32 height = 0;
        in >> width >> height;
        const quint64 tiles = quint64((width + 127) / 128) * ((height + 127) / 128);
        for (quint64 i = 0; i < tiles && in.status() == QDataStream::Ok; ++i) {
            QByteArray blob;
            in >> blob;
            blobs.push_back(blob);
        }
    }
    return blobs;
}

// Single-thread baselines on one record's blobs (all milliseconds).
struct ReadBaselines
{
    double qUncompressMs = 0;
    double libdeflateMs = 0;
    double memcpyMs = 0;
    double firstTouchMs = 0;
    double rawMiB = 0;
};

ReadBaselines MeasureReadBaselines(const std::vector<QByteArray>& blobs)
{
    ReadBaselines base;
    const size_t raw = blobs.size() * size_t(TileBytes);
    base.rawMiB = double(raw) / MiB;
    qint64 check = 0;
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& blob : blobs)
        check += qUncompress(blob).size();
    base.qUncompressMs = Milliseconds(timer);

    libdeflate_decompressor* decompressor = libdeflate_alloc_decompressor();
    std::vector<char> tile(TileBytes);
    timer.restart();
    for (const QByteArray& blob : blobs)
        check += libdeflate_zlib_decompress(decompressor, blob.constData() + 4, size_t(blob.size() - 4), tile.data(),
            TileBytes, nullptr);
    base.libdeflateMs = Milliseconds(timer);
    libdeflate_free_decompressor(decompressor);

    std::vector<char> from(raw, 1);
    std::vector<char> to(raw, 2);
    timer.restart();
    std::memcpy(to.data(), from.data(), raw);
    base.memcpyMs = Milliseconds(timer);
    check += to[raw / 2];

    void* fresh = mmap(nullptr, raw, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (fresh != MAP_FAILED) {
        timer.restart();
        for (size_t offset = 0; offset < raw; offset += 4096)
            static_cast<char*>(fresh)[offset] = 1;
        base.firstTouchMs = Milliseconds(timer);
        munmap(fresh, raw);
    }
    if (check == 42)
        std::printf(" ");
    return base;
}

// qCompress processor time per tile, on up to 256 tiles of a record.
double CompressMsPerTile(const std::vector<const KXImage32*>& images)
{
    std::vector<QByteArray> tiles;
    for (const KXImage32* image : images) {
        const int count = image->TileCount();
        const int step = qMax(1, count * int(images.size()) / 256);
        for (int i = 0; i < count; i += step) {
            QByteArray raw(TileBytes, Qt::Uninitialized);
            ZTTileManager64::Instance()->ReadMemory(
                image->GetTile(unsigned(i) % image->GetColumns(), unsigned(i) / image->GetColumns())->Handle(),
                raw.data());
            tiles.push_back(raw);
        }
    }
    const double begin = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    qint64 check = 0;
    for (const QByteArray& raw : tiles)
        check += qCompress(raw, -1).size();
    if (check == 42)
        std::printf(" ");
    return (CpuMs(CLOCK_THREAD_CPUTIME_ID) - begin) / double(tiles.size());
}

struct Options
{
    QList<int> sizes {1024, 4096, 8192};
    int pushes = 20;
    QString tmp;
};

QString ScratchTemplate(const Options& options)
{
    return (options.tmp.isEmpty() ? QDir::tempPath() : options.tmp) + QStringLiteral("/vornbench-XXXXXX");
}

// Pushes edits on a stack; returns the caller's time per push beyond execution.
struct PushTimes
{
    std::vector<double> overheadMs;
    double executeMs = 0;
};

void PushEdit(VornUndoStack& stack, Layer& layer, int step, PushTimes& times)
{
    const KXImage32 after = Adjust(layer.image, step); // the application's edit, not history time
    auto* command = new SnapshotCommand(&layer, layer.image, after);
    const double executedBefore = layer.executeMs;
    QElapsedTimer timer;
    timer.start();
    stack.push(command);
    const double executeMs = layer.executeMs - executedBefore;
    times.overheadMs.push_back(Milliseconds(timer) - executeMs);
    times.executeMs += executeMs;
}

// What a run of quick pushes cost, until everything was written.
struct PushPhase
{
    double meanOverheadMs = 0;
    double firstOverheadMs = 0; // this push wakes an idle worker
    double maxOverheadMs = 0;
    double writtenMs = 0;
    double workerCpuMs = 0; // every thread but the caller's
    qint64 peak = 0;
    qint64 residentBefore = 0;
};

PushPhase QuickPushes(VornUndoStack& stack, Layer& layer, int pushes)
{
    ZTTileManager64::Instance()->TrimPool(); // each run starts with an empty pool
    ResetPeakResident();
    PushPhase phase;
    phase.residentBefore = StatusField("VmRSS:");
    PushTimes times;
    QElapsedTimer total;
    total.start();
    const double processCpu = CpuMs(CLOCK_PROCESS_CPUTIME_ID);
    const double callerCpu = CpuMs(CLOCK_THREAD_CPUTIME_ID);
    for (int i = 1; i <= pushes; ++i) {
        PushEdit(stack, layer, i, times);
        QCoreApplication::processEvents(); // the host's event loop between edits
    }
    stack.GetSerializer()->WaitForIdle();
    phase.writtenMs = Milliseconds(total);
    phase.workerCpuMs
        = (CpuMs(CLOCK_PROCESS_CPUTIME_ID) - processCpu) - (CpuMs(CLOCK_THREAD_CPUTIME_ID) - callerCpu);
    phase.peak = StatusField("VmHWM:");
    phase.meanOverheadMs = std::accumulate(times.overheadMs.begin(), times.overheadMs.end(), 0.0) / pushes;
    phase.firstOverheadMs = times.overheadMs.front();
    phase.maxOverheadMs = *std::max_element(times.overheadMs.begin(), times.overheadMs.end());
    return phase;
}

// Undo (or redo) of the top command, timed on the caller's thread until the
// layer's restored pixels are ready to use (one pixel read makes the image's
// deferred tiles).
double TimedStep(VornUndoStack& stack, bool undo, const Layer& layer)
{
    QElapsedTimer timer;
    timer.start();
    if (undo)
        stack.undo();
    else
        stack.redo();
    layer.image.GetPixel(0, 0);
    return Milliseconds(timer);
}

// Sleeps until the worker is well inside its write (a whole-layer record takes
// many tiles), so that a request meets a write in progress.
void LetWorkerStart(int size)
{
    QThread::msleep(size >= 4096 ? 30 : 5);
}

QJsonObject RunSize(int size, const Options& options)
{
    const int pushes = size >= 8192 ? qMin(options.pushes, 5) : options.pushes;
    const KXImage32 start = PhotoImage(size);
    std::printf("\n== %dx%d photo layer: %d tiles a snapshot, %d quick pushes\n", size, size, start.TileCount(), pushes);
    QTemporaryDir scratch(ScratchTemplate(options));
    QJsonObject result {{QStringLiteral("size"), size}, {QStringLiteral("pushes"), pushes}};

    // Baseline: the same quick pushes with every waiting image kept in memory.
    PushPhase kept;
    {
        Layer layer {start};
        VornUndoStack stack;
        stack.setTemporaryFolder(QDir(scratch.path()));
        stack.GetSerializer()->SetMemoryBudget(0);
        kept = QuickPushes(stack, layer, pushes);
    }

    // Quick pushes, then undo and redo of the last command on an idle worker.
    {
        Layer layer {start};
        VornUndoStack stack;
        stack.setTemporaryFolder(QDir(scratch.path()));
        const PushPhase phase = QuickPushes(stack, layer, pushes);
        const double writtenMs = phase.writtenMs;
        const double workerCpuMs = phase.workerCpuMs;
        const qint64 peak = phase.peak;
        const qint64 residentBefore = phase.residentBefore;
        PushTimes times;
        // Baselines on the last record's own tiles and bytes.
        const KXImage32 lastAfter = layer.image;
        stack.undo();
        const KXImage32 lastBefore = layer.image;
        stack.redo();
        stack.GetSerializer()->WaitForIdle();
        SnapshotData copy(lastBefore, lastAfter);
        const double compressMsPerTile = CompressMsPerTile({&lastBefore, &lastAfter});
        const double oldWorkerCpuMs = compressMsPerTile * 2 * start.TileCount() * pushes;
        const std::vector<QByteArray> blobs = RecordBlobs(RecordBytes(copy, scratch.path()));
        const ReadBaselines base = MeasureReadBaselines(blobs);

        std::vector<double> undoMs;
        std::vector<double> redoMs;
        for (int round = 0; round < 3; ++round) {
            undoMs.push_back(TimedStep(stack, true, layer));
            stack.GetSerializer()->WaitForIdle();
            redoMs.push_back(TimedStep(stack, false, layer));
            stack.GetSerializer()->WaitForIdle();
        }
        const double undo = Median(undoMs);
        const double redo = Median(redoMs);
        std::printf("%-52s %10.3f ms (mean; first push, waking the worker: %.3f ms; max %.3f ms)\n",
            "caller's thread per push, beyond execution", phase.meanOverheadMs, phase.firstOverheadMs,
            phase.maxOverheadMs);
        std::printf("%-52s %10.3f ms (mean; max %.3f ms)\n", "  the same, keeping every waiting image in memory",
            kept.meanOverheadMs, kept.maxOverheadMs);
        std::printf("%-52s %10.0f ms\n", "everything written after", writtenMs);
        std::printf("%-52s %10.0f ms  vs %.0f ms qCompress of every tile of every record = %.2fx\n",
            "worker processor time", workerCpuMs, oldWorkerCpuMs, workerCpuMs / oldWorkerCpuMs);
        // Each run starts from what the earlier ones left (pooled tiles, heap), so
        // the rises above the start compare as well as the peaks.
        std::printf("%-52s %10.0f MiB (before the pushes %.0f MiB, a rise of %.0f MiB)\n", "peak resident",
            peak / MiB, residentBefore / MiB, (peak - residentBefore) / MiB);
        std::printf("%-52s %10.0f MiB (before %.0f MiB, a rise of %.0f MiB); ours = %.2fx the peak, %.2fx the rise\n",
            "  keeping every waiting image in memory", kept.peak / MiB, kept.residentBefore / MiB,
            (kept.peak - kept.residentBefore) / MiB, double(peak) / double(kept.peak),
            double(peak - residentBefore) / double(kept.peak - kept.residentBefore));
        std::printf("%-52s %10.1f ms  = %.2fx qUncompress %.1f ms, %.2fx libdeflate %.1f ms\n",
            "undo (the record read back)", undo, undo / base.qUncompressMs, base.qUncompressMs,
            undo / base.libdeflateMs, base.libdeflateMs);
        std::printf("%-52s %10.1f ms  = %.2fx qUncompress\n", "redo (the record read back)", redo,
            redo / base.qUncompressMs);
        std::printf("%-52s %10.1f ms memcpy, %.1f ms first touch of the record's %.0f MiB\n", "", base.memcpyMs,
            base.firstTouchMs, base.rawMiB);

        result.insert(QStringLiteral("memoryBudgetBytes"), stack.GetSerializer()->GetMemoryBudget());
        result.insert(QStringLiteral("pushOverheadMeanMs"), phase.meanOverheadMs);
        result.insert(QStringLiteral("pushOverheadFirstMs"), phase.firstOverheadMs);
        result.insert(QStringLiteral("pushOverheadMaxMs"), phase.maxOverheadMs);
        result.insert(QStringLiteral("baselineKeptPushOverheadMeanMs"), kept.meanOverheadMs);
        result.insert(QStringLiteral("baselineKeptPushOverheadMaxMs"), kept.maxOverheadMs);
        result.insert(QStringLiteral("baselineKeptPeakResidentBytes"), kept.peak);
        result.insert(QStringLiteral("baselineKeptResidentBeforeBytes"), kept.residentBefore);
        result.insert(QStringLiteral("baselineKeptWrittenMs"), kept.writtenMs);
        result.insert(QStringLiteral("writtenMs"), writtenMs);
        result.insert(QStringLiteral("workerCpuMs"), workerCpuMs);
        result.insert(QStringLiteral("baselineCompressEveryTileCpuMs"), oldWorkerCpuMs);
        result.insert(QStringLiteral("peakResidentBytes"), peak);
        result.insert(QStringLiteral("residentBeforeBytes"), residentBefore);
        result.insert(QStringLiteral("undoMs"), undo);
        result.insert(QStringLiteral("redoMs"), redo);
        result.insert(QStringLiteral("baselineQUncompressMs"), base.qUncompressMs);
        result.insert(QStringLiteral("baselineLibdeflateMs"), base.libdeflateMs);
        result.insert(QStringLiteral("baselineMemcpyMs"), base.memcpyMs);
        result.insert(QStringLiteral("baselineFirstTouchMs"), base.firstTouchMs);
        result.insert(QStringLiteral("recordRawBytes"), base.rawMiB * MiB);

        // Undo of the entry the worker is writing right now.
        std::vector<double> busyUndoMs;
        const int cancelledBefore = stack.GetSerializer()->GetCancelledWrites();
        for (int round = 0; round < 3; ++round) {
            PushEdit(stack, layer, pushes + round + 1, times);
            LetWorkerStart(size);
            busyUndoMs.push_back(TimedStep(stack, true, layer));
            stack.GetSerializer()->WaitForIdle();
        }
        const double busyUndo = Median(busyUndoMs);
        const int cancelled = stack.GetSerializer()->GetCancelledWrites() - cancelledBefore;
        std::printf("%-52s %10.1f ms  = %.2fx the idle undo (%d of 3 writes cancelled)\n",
            "undo of the entry being written", busyUndo, busyUndo / undo, cancelled);
        result.insert(QStringLiteral("undoWhileWritingMs"), busyUndo);
        result.insert(QStringLiteral("undoWhileWritingCancelled"), cancelled);
    }

    // A push that deletes the entry being written (undo limit 2).
    {
        Layer layer {start};
        VornUndoStack stack;
        stack.setTemporaryFolder(QDir(scratch.path()));
        stack.setUndoLimit(2);
        PushTimes times;
        std::vector<double> deletingPushMs;
        for (int round = 0; round < 3; ++round) {
            PushEdit(stack, layer, 1, times); // the worker starts writing it ...
            PushEdit(stack, layer, 2, times);
            LetWorkerStart(size);
            PushEdit(stack, layer, 3, times); // ... and this push deletes it
            deletingPushMs.push_back(times.overheadMs.back());
            stack.GetSerializer()->WaitForIdle();
        }
        const double deletingPush = Median(deletingPushMs);
        const double idleUndo = result.value(QStringLiteral("undoMs")).toDouble();
        std::printf("%-52s %10.1f ms  = %.2fx the idle undo (%d writes cancelled)\n",
            "push deleting the entry being written, beyond execution", deletingPush, deletingPush / idleUndo,
            stack.GetSerializer()->GetCancelledWrites());
        result.insert(QStringLiteral("pushDeletingWrittenEntryMs"), deletingPush);
        result.insert(QStringLiteral("pushDeletingWrittenEntryCancelled"), stack.GetSerializer()->GetCancelledWrites());
    }
    return result;
}

// One record of a tiled image, as a command would hand it to the serializer.
class ImageRecord : public VornCommandData
{
public:
    explicit ImageRecord(const KXImage32& image)
        : image(image)
    {
    }
    bool Serialize(IWriter* writer) override { return writer && held && writer->WriteKXImage(image); }
    bool Deserialize(IReader* reader) override
    {
        held = reader && reader->ReadKXImage(image);
        return held;
    }
    void ReleaseSerializeData() override
    {
        image = KXImage32();
        held = false;
    }
    unsigned int GetDataType() const override { return 1002; }
    KXImage32 image;
    bool held = true;
};

// Each run writes a fresh copy of the image (new tiles, so nothing is reused
// from earlier writes) and reads it back.
QJsonArray RunRecords(const Options& options)
{
    std::printf("\n== records: serializer round trips of fresh tiles (write on the worker, read back on the caller)\n");
    std::printf("%-8s %6s %12s %14s %12s %16s\n", "tiles", "runs", "write ms", "qCompress ms", "read ms",
        "qUncompress ms");
    QJsonArray rows;
    QTemporaryDir scratch(ScratchTemplate(options));
    const KXImage32 photo = PhotoImage(4096);
    const QList<QSize> shapes {QSize(128, 128), QSize(512, 512), QSize(4096, 4096)};
    for (const QSize& shape : shapes) {
        const KXImage32 image = photo.Copy(QRect(QPoint(0, 0), shape));
        const int tiles = image.TileCount();
        const int runs = tiles == 1 ? 200 : tiles == 16 ? 50 : 3;
        ImageRecord sample(image);
        const std::vector<QByteArray> blobs = RecordBlobs(RecordBytes(sample, scratch.path()));
        QElapsedTimer timer;
        timer.start();
        for (const QByteArray& blob : blobs)
            qUncompress(blob);
        const double uncompressMs = Milliseconds(timer);
        std::vector<QByteArray> raws;
        for (const QByteArray& blob : blobs)
            raws.push_back(qUncompress(blob));
        timer.restart();
        for (const QByteArray& raw : raws)
            qCompress(raw, -1);
        const double compressMs = Milliseconds(timer);

        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(QDir(scratch.path()));
        std::vector<double> writeMs;
        std::vector<double> readMs;
        for (int run = 0; run < runs; ++run) {
            const unsigned int index = serializer.AddData(new ImageRecord(image.Copy()));
            timer.restart();
            serializer.Serialize(index);
            serializer.WaitForIdle();
            writeMs.push_back(Milliseconds(timer));
            timer.restart();
            auto* record = static_cast<ImageRecord*>(serializer.GetData(index));
            readMs.push_back(Milliseconds(timer));
            if (!record || !record->held || !record->image.IsPixelEqual(image)) {
                std::fprintf(stderr, "record of %d tiles did not come back whole\n", tiles);
                return rows;
            }
            serializer.Serialize(index);
            serializer.RemoveData(index);
        }
        std::printf("%-8d %6d %12.3f %14.3f %12.3f %16.3f\n", tiles, runs, Median(writeMs), compressMs,
            Median(readMs), uncompressMs);
        rows.append(QJsonObject {{QStringLiteral("tiles"), tiles}, {QStringLiteral("runs"), runs},
            {QStringLiteral("writeMs"), Median(writeMs)}, {QStringLiteral("readMs"), Median(readMs)},
            {QStringLiteral("baselineCompressMs"), compressMs}, {QStringLiteral("baselineUncompressMs"), uncompressMs}});
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenPlatformWithoutDisplay();
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Benchmarks the history library beside same-bytes baselines."));
    parser.addHelpOption();
    const QCommandLineOption sizesOption(QStringLiteral("sizes"),
        QStringLiteral("Layer sides in pixels, comma-separated."), QStringLiteral("LIST"),
        QStringLiteral("1024,4096,8192"));
    const QCommandLineOption pushesOption(QStringLiteral("pushes"),
        QStringLiteral("Quick pushes per size (at most 5 at 8192)."), QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the results as JSON."),
        QStringLiteral("FILE"));
    const QCommandLineOption tmpOption(QStringLiteral("tmp"), QStringLiteral("Folder for the temporary files."),
        QStringLiteral("DIR"));
    const QCommandLineOption onlyOption(QStringLiteral("only"), QStringLiteral("Run one part: pushes or records."),
        QStringLiteral("NAME"));
    parser.addOptions({sizesOption, pushesOption, jsonOption, tmpOption, onlyOption});
    parser.process(app);

    Options options;
    options.sizes.clear();
    for (const QString& size : parser.value(sizesOption).split(QLatin1Char(','), Qt::SkipEmptyParts))
        options.sizes.append(qBound(128, size.toInt(), 16384));
    options.pushes = qBound(3, parser.value(pushesOption).toInt(), 1000);
    options.tmp = parser.value(tmpOption);
    const QString only = parser.value(onlyOption);

    QJsonArray sizes;
    if (only.isEmpty() || only == QLatin1String("pushes"))
        for (int size : options.sizes)
            sizes.append(RunSize(size, options));
    const QJsonArray records
        = only.isEmpty() || only == QLatin1String("records") ? RunRecords(options) : QJsonArray();

    if (parser.isSet(jsonOption)) {
        QFile file(parser.value(jsonOption));
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        file.write(QJsonDocument(QJsonObject {{QStringLiteral("sizes"), sizes}, {QStringLiteral("records"), records}})
                       .toJson());
    }
    return 0;
}
