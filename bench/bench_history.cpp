// The history library against plain baselines measured in the same run.
//
// Swap: 20 full-layer edits of a 4096 x 4096 layer pushed on a VornUndoStack
// (photo-like content, then uniform content): time on the caller's thread per
// push, time until the worker has written everything, undo and redo latency,
// resident memory and bytes on disk. Baselines: single-thread qCompress and
// qUncompress of the same tiles, memcpy of the same bytes, and a plain
// QUndoStack keeping the same snapshots in memory.
//
// Records: serializer round trips of records of 1, 16 and 1024 tiles beside
// qCompress + qUncompress of the same tiles.
//
// Usage: bench_history [--size N] [--pushes N] [--image PATH] [--json FILE] [--tmp DIR]
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QUndoStack>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "KXImage.h"
#include "ZTTileManager64.h"
#include "headlessplatform.h"
#include "iwriter.h"
#include "ireader.h"
#include "vorncommand.h"
#include "vorncommanddata.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

constexpr double MiB = 1024.0 * 1024.0;

double Milliseconds(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// Resident and peak resident memory of the process in bytes, from /proc.
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
qint64 ResidentBytes()
{
    malloc_trim(0); // freed tiles go back to the system before reading
    return StatusField("VmRSS:");
}
qint64 PeakResidentBytes()
{
    return StatusField("VmHWM:");
}
void ResetPeakResident()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
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

int FolderFiles(const QString& path)
{
    return QDir(path).entryList(QDir::Files).size();
}

// Photo-like content: smooth gradients with a little grain.
KXImage32 PhotoImage(int size, const QString& path)
{
    if (!path.isEmpty()) {
        const QImage picture(path);
        if (!picture.isNull())
            return KXImage32::FromQImage(picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        std::fprintf(stderr, "cannot read %s, using the built-in picture\n", qPrintable(path));
    }
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

// A full-layer edit: every pixel brightened by a step (each tile rewritten).
KXImage32 Brighten(const KXImage32& source, int step)
{
    KXImage32 result = source.Copy();
    for (unsigned int row = 0; row < result.GetRows(); ++row) {
        for (unsigned int column = 0; column < result.GetColumns(); ++column) {
            ZTTileMemory memory(result.DetachTile(column, row), true);
            uchar* bytes = memory.Bytes();
            for (int i = 0; i < ZTTileManager64::TileBytes; i += 4)
                for (int c = 0; c < 3; ++c)
                    bytes[i + c] = uchar(qMin(255, bytes[i + c] + step));
        }
    }
    return result;
}

// The raw bytes of each tile of some images, for the baselines.
std::vector<QByteArray> RawTiles(const std::vector<KXImage32>& images)
{
    std::vector<QByteArray> tiles;
    for (const KXImage32& image : images) {
        for (unsigned int row = 0; row < image.GetRows(); ++row) {
            for (unsigned int column = 0; column < image.GetColumns(); ++column) {
                QByteArray raw(ZTTileManager64::TileBytes, Qt::Uninitialized);
                ZTTileManager64::Instance()->ReadMemory(image.GetTile(column, row)->Handle(), raw.data());
                tiles.push_back(raw);
            }
        }
    }
    return tiles;
}

struct Baselines
{
    double compressMBps = 0;
    double uncompressMBps = 0;
    double memcpyMBps = 0;
    double compressedBytes = 0;
};

Baselines MeasureBaselines(const std::vector<QByteArray>& tiles)
{
    Baselines result;
    const double bytes = double(tiles.size()) * ZTTileManager64::TileBytes;
    std::vector<QByteArray> blobs;
    blobs.reserve(tiles.size());
    QElapsedTimer timer;
    timer.start();
    for (const QByteArray& tile : tiles)
        blobs.push_back(qCompress(tile, -1));
    result.compressMBps = bytes / MiB / (Milliseconds(timer) / 1000);
    for (const QByteArray& blob : blobs)
        result.compressedBytes += blob.size();
    timer.restart();
    qint64 check = 0;
    for (const QByteArray& blob : blobs)
        check += qUncompress(blob).size();
    result.uncompressMBps = bytes / MiB / (Milliseconds(timer) / 1000);
    std::vector<char> target(ZTTileManager64::TileBytes);
    timer.restart();
    for (const QByteArray& tile : tiles) {
        std::memcpy(target.data(), tile.constData(), size_t(tile.size()));
        check += target[size_t(check % ZTTileManager64::TileBytes)];
    }
    result.memcpyMBps = bytes / MiB / (Milliseconds(timer) / 1000);
    if (check == 42)
        std::printf(" ");
    return result;
}

// The layer the edits change, and a command that swaps whole snapshots of it.
struct Layer
{
    KXImage32 image;
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
    SnapshotCommand(Layer* layer, const KXImage32& before, const KXImage32& after, double* executeMs)
        : m_layer(layer)
        , m_executeMs(executeMs)
    {
        SetCommandData(new SnapshotData(before, after));
        setText(QStringLiteral("Brightness"));
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
        *m_executeMs += Milliseconds(timer);
    }
    Layer* m_layer;
    double* m_executeMs;
};

class PlainSnapshotCommand : public QUndoCommand
{
public:
    PlainSnapshotCommand(Layer* layer, const KXImage32& before, const KXImage32& after)
        : m_layer(layer)
        , m_before(before)
        , m_after(after)
    {
    }
    void redo() override { m_layer->image = m_after; }
    void undo() override { m_layer->image = m_before; }

private:
    Layer* m_layer;
    KXImage32 m_before;
    KXImage32 m_after;
};

struct Options
{
    int size = 4096;
    int pushes = 20;
    QString image;
    QString tmp;
};

using Edit = std::function<KXImage32(const KXImage32&, int)>;

QJsonObject RunSwap(const QString& name, const KXImage32& start, const Edit& edit, const Options& options)
{
    const double snapshotMiB = double(start.TileCount()) * ZTTileManager64::TileBytes / MiB;
    std::printf("\n== swap: %s content, %d pushes of a %dx%d layer (a snapshot is %.0f MiB of tiles, %d distinct)\n",
        qPrintable(name), options.pushes, options.size, options.size, snapshotMiB, start.DistinctTileCount());

    // Baselines on the tiles of one record (the snapshot before and after an edit).
    const Baselines base = MeasureBaselines(RawTiles({start, edit(start, 1)}));
    const double recordMiB = 2 * snapshotMiB;

    QTemporaryDir scratch(options.tmp.isEmpty() ? QDir::tempPath() + QStringLiteral("/vornbench-XXXXXX")
                                                : options.tmp + QStringLiteral("/vornbench-XXXXXX"));
    QJsonObject result;
    {
        Layer layer{start.Copy()};
        const qint64 residentBefore = ResidentBytes();
        ResetPeakResident();
        VornUndoStack stack;
        stack.setTemporaryFolder(QDir(scratch.path()));
        double executeMs = 0;
        double pushMs = 0;
        QElapsedTimer total;
        total.start();
        double editMs = 0;
        for (int i = 1; i <= options.pushes; ++i) {
            // The application's edit, made before the command is pushed (not history time).
            QElapsedTimer timer;
            timer.start();
            const KXImage32 after = edit(layer.image, i);
            editMs += Milliseconds(timer);
            auto* command = new SnapshotCommand(&layer, layer.image, after, &executeMs); // the host's work
            timer.restart();
            stack.push(command);
            pushMs += Milliseconds(timer);
            QCoreApplication::processEvents(); // the host's event loop between edits
        }
        const double pushExecuteMs = executeMs;
        const double pushedMs = Milliseconds(total) - editMs;
        stack.GetSerializer()->WaitForIdle();
        const double writtenMs = Milliseconds(total);
        const qint64 residentAfter = ResidentBytes();
        const qint64 peak = PeakResidentBytes();
        const qint64 diskBytes = FolderBytes(scratch.path());
        const int files = FolderFiles(scratch.path());

        double undoMs = 0;
        double redoMs = 0;
        const int steps = qMin(options.pushes, 5);
        for (int i = 0; i < steps; ++i) {
            QElapsedTimer timer;
            timer.start();
            stack.undo();
            undoMs += Milliseconds(timer);
            stack.GetSerializer()->WaitForIdle();
        }
        for (int i = 0; i < steps; ++i) {
            QElapsedTimer timer;
            timer.start();
            stack.redo();
            redoMs += Milliseconds(timer);
            stack.GetSerializer()->WaitForIdle();
        }
        const double perPushOverheadMs = (pushMs - pushExecuteMs) / options.pushes;
        // Wall time from the first push, edits included: the worker writes while the
        // application edits, so this understates the worker's own speed.
        const double writeMBps = recordMiB * options.pushes / (writtenMs / 1000);
        const double undoMBps = recordMiB / (undoMs / steps / 1000);
        std::printf("%-44s %12s %12s\n", "", "history", "baseline");
        std::printf("%-44s %9.3f ms %12s\n", "caller's thread per push, beyond execute", perPushOverheadMs, "-");
        std::printf("%-44s %9.0f ms %12s\n", "all pushes returned after (edits excluded)", pushedMs, "-");
        std::printf("%-44s %9.0f ms %12s\n", "worker has written everything after", writtenMs, "-");
        std::printf("%-44s %7.1f MiB/s %7.1f MiB/s  (qCompress; memcpy %.0f MiB/s)\n", "write throughput (raw tiles)",
            writeMBps, base.compressMBps, base.memcpyMBps);
        std::printf("%-44s %9.1f ms %9.1f ms  (qUncompress of one record)\n", "undo latency", undoMs / steps,
            recordMiB / base.uncompressMBps * 1000);
        std::printf("%-44s %9.1f ms\n", "redo latency", redoMs / steps);
        std::printf("%-44s %7.1f MiB/s %7.1f MiB/s  (%.0f%%)\n", "undo restore throughput", undoMBps,
            base.uncompressMBps, 100 * undoMBps / base.uncompressMBps);
        std::printf("%-44s %9.0f MiB (peak %.0f MiB; before %.0f MiB)\n", "resident after pushes and writes",
            residentAfter / MiB, peak / MiB, residentBefore / MiB);
        std::printf("%-44s %9.0f MiB in %d files (qCompress of the same: %.0f MiB a record)\n", "on disk",
            diskBytes / MiB, files, base.compressedBytes / MiB);
        result = QJsonObject{{QStringLiteral("content"), name}, {QStringLiteral("pushes"), options.pushes},
            {QStringLiteral("size"), options.size}, {QStringLiteral("pushOverheadMs"), perPushOverheadMs},
            {QStringLiteral("pushedMs"), pushedMs}, {QStringLiteral("writtenMs"), writtenMs},
            {QStringLiteral("writeMiBps"), writeMBps}, {QStringLiteral("undoMs"), undoMs / steps},
            {QStringLiteral("redoMs"), redoMs / steps}, {QStringLiteral("undoMiBps"), undoMBps},
            {QStringLiteral("residentBeforeBytes"), residentBefore}, {QStringLiteral("residentAfterBytes"), residentAfter},
            {QStringLiteral("peakResidentBytes"), peak}, {QStringLiteral("diskBytes"), diskBytes},
            {QStringLiteral("files"), files}, {QStringLiteral("snapshotBytes"), snapshotMiB * MiB},
            {QStringLiteral("baselineCompressMiBps"), base.compressMBps},
            {QStringLiteral("baselineUncompressMiBps"), base.uncompressMBps},
            {QStringLiteral("baselineMemcpyMiBps"), base.memcpyMBps}};
    }

    // The plain stack keeps every snapshot in memory.
    {
        Layer layer{start.Copy()};
        const qint64 residentBefore = ResidentBytes();
        QUndoStack plain;
        double pushMs = 0;
        for (int i = 1; i <= options.pushes; ++i) {
            const KXImage32 after = edit(layer.image, i);
            auto* command = new PlainSnapshotCommand(&layer, layer.image, after);
            QElapsedTimer timer;
            timer.start();
            plain.push(command);
            pushMs += Milliseconds(timer);
        }
        const qint64 residentAfter = ResidentBytes();
        std::printf("%-44s %9.0f MiB (grew %.0f MiB = %.1f snapshots; push %.3f ms)\n", "plain QUndoStack resident",
            residentAfter / MiB, (residentAfter - residentBefore) / MiB,
            (residentAfter - residentBefore) / MiB / snapshotMiB, pushMs / options.pushes);
        result.insert(QStringLiteral("plainResidentAfterBytes"), residentAfter);
        result.insert(QStringLiteral("plainGrowthBytes"), residentAfter - residentBefore);
        result.insert(QStringLiteral("plainPushMs"), pushMs / options.pushes);
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

QJsonArray RunRecords(const KXImage32& photo, const Options& options)
{
    std::printf("\n== records: serializer round trips (write on the worker, read back on the caller)\n");
    std::printf("%-8s %6s %12s %12s %14s %14s\n", "tiles", "runs", "write ms", "read ms", "qCompress ms",
        "qUncompress ms");
    QJsonArray rows;
    QTemporaryDir scratch(options.tmp.isEmpty() ? QDir::tempPath() + QStringLiteral("/vornbench-XXXXXX")
                                                : options.tmp + QStringLiteral("/vornbench-XXXXXX"));
    const QList<QSize> shapes{QSize(128, 128), QSize(512, 512), QSize(4096, 4096)};
    for (const QSize& shape : shapes) {
        const KXImage32 image = photo.Copy(QRect(QPoint(0, 0), shape));
        const int tiles = image.TileCount();
        const int runs = tiles == 1 ? 200 : tiles == 16 ? 50 : 3;
        const Baselines base = MeasureBaselines(RawTiles({image}));
        const double rawMiB = tiles * double(ZTTileManager64::TileBytes) / MiB;

        VornCommandDataSerializer serializer;
        serializer.SetTemporaryFolder(QDir(scratch.path()));
        double writeMs = 0;
        double readMs = 0;
        for (int run = 0; run < runs; ++run) {
            const unsigned int index = serializer.AddData(new ImageRecord(image));
            QElapsedTimer timer;
            timer.start();
            serializer.Serialize(index);
            serializer.WaitForIdle();
            writeMs += Milliseconds(timer);
            timer.restart();
            auto* record = static_cast<ImageRecord*>(serializer.GetData(index));
            readMs += Milliseconds(timer);
            if (!record || !record->held || !record->image.IsPixelEqual(image)) {
                std::fprintf(stderr, "record of %d tiles did not come back whole\n", tiles);
                return rows;
            }
            serializer.Serialize(index);
            serializer.RemoveData(index);
        }
        const double compressMs = rawMiB / base.compressMBps * 1000;
        const double uncompressMs = rawMiB / base.uncompressMBps * 1000;
        std::printf("%-8d %6d %12.3f %12.3f %14.3f %14.3f\n", tiles, runs, writeMs / runs, readMs / runs, compressMs,
            uncompressMs);
        rows.append(QJsonObject{{QStringLiteral("tiles"), tiles}, {QStringLiteral("runs"), runs},
            {QStringLiteral("writeMs"), writeMs / runs}, {QStringLiteral("readMs"), readMs / runs},
            {QStringLiteral("baselineCompressMs"), compressMs}, {QStringLiteral("baselineUncompressMs"), uncompressMs},
            {QStringLiteral("baselineMemcpyMs"), rawMiB / base.memcpyMBps * 1000}});
    }
    return rows;
}

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenPlatformWithoutDisplay();
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Benchmarks the history library against plain baselines."));
    parser.addHelpOption();
    const QCommandLineOption sizeOption(QStringLiteral("size"), QStringLiteral("Layer side in pixels."),
        QStringLiteral("N"), QStringLiteral("4096"));
    const QCommandLineOption pushesOption(QStringLiteral("pushes"), QStringLiteral("Edits per scenario."),
        QStringLiteral("N"), QStringLiteral("20"));
    const QCommandLineOption imageOption(QStringLiteral("image"), QStringLiteral("A picture for the content."),
        QStringLiteral("PATH"));
    const QCommandLineOption jsonOption(QStringLiteral("json"), QStringLiteral("Write the results as JSON."),
        QStringLiteral("FILE"));
    const QCommandLineOption tmpOption(QStringLiteral("tmp"), QStringLiteral("Folder for the temporary files."),
        QStringLiteral("DIR"));
    const QCommandLineOption onlyOption(QStringLiteral("only"),
        QStringLiteral("Run one scenario: photo, uniform or records."), QStringLiteral("NAME"));
    parser.addOptions({sizeOption, pushesOption, imageOption, jsonOption, tmpOption, onlyOption});
    parser.process(app);

    Options options;
    options.size = qBound(128, parser.value(sizeOption).toInt(), 16384);
    options.pushes = qBound(1, parser.value(pushesOption).toInt(), 1000);
    options.image = parser.value(imageOption);
    options.tmp = parser.value(tmpOption);

    const QString only = parser.value(onlyOption);
    auto wanted = [&only](const char* name) { return only.isEmpty() || only == QLatin1String(name); };
    const KXImage32 photo = PhotoImage(options.size, options.image);
    QJsonArray swaps;
    if (wanted("photo"))
        swaps.append(RunSwap(QStringLiteral("photo"), photo, &Brighten, options));
    KXImage32 uniform(static_cast<unsigned>(options.size), static_cast<unsigned>(options.size));
    uniform.Fill(KXRGBA32i(120, 130, 140, 255));
    if (wanted("uniform"))
        swaps.append(RunSwap(QStringLiteral("uniform"), uniform,
        [](const KXImage32& source, int step) {
            KXImage32 result(source.GetWidth(), source.GetHeight());
            result.Fill(KXRGBA32i(quint8(120 + step), 130, 140, 255));
            return result;
        },
        options));
    const QJsonArray records = wanted("records") ? RunRecords(photo, options) : QJsonArray();

    if (parser.isSet(jsonOption)) {
        QFile file(parser.value(jsonOption));
        if (!file.open(QIODevice::WriteOnly)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            return 1;
        }
        file.write(QJsonDocument(QJsonObject{{QStringLiteral("swap"), swaps}, {QStringLiteral("records"), records}})
                       .toJson());
    }
    return 0;
}
