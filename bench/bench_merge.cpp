// Memory and disk cost of a layer merge: five size x size layers merged with
// LayerMergeCommand, beside the raw size of those layers. Also the time of
// the merge's one composition beside the document's own composition of the
// same layers (KXComposeHelper::ComposeLayers), measured in the same run.
//
//   bench_merge [size]     (default 4096)

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "KXComposeHelper.h"
#include "KXMemoryDocument.h"
#include "ZTTileManager64.h"
#include "layermergecommand.h"
#include "layermergecommanddata.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

KXImage32 MakePattern(int size, int seed)
{
    KXImage32 image{unsigned(size), unsigned(size)};
    std::vector<KXRGBA32i> line(static_cast<size_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            line[size_t(x)] = KXRGBA32i(quint8(x + seed), quint8(y * 3), quint8(x ^ y), quint8(160 + seed * 20));
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(size) * 4);
    }
    return image;
}

double MiB(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

qint64 TileBytes()
{
    return ZTTileManager64::Instance()->LiveTiles() * ZTTileManager64::TileBytes;
}

qint64 FolderBytes(const QString& path)
{
    qint64 bytes = 0;
    for (const QFileInfo& file : QDir(path).entryInfoList(QDir::Files | QDir::Hidden))
        bytes += file.size();
    return bytes;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const int size = argc > 1 ? std::atoi(argv[1]) : 4096;
    if (size <= 0)
        return 1;
    constexpr int kLayers = 5;

    KXMemoryDocument document(QSize(size + size / 2, size + size / 2));
    document.AddRasterLayer(QStringLiteral("Background"), KXImage32());
    for (int i = 0; i < kLayers; ++i)
        document.AddRasterLayer(QStringLiteral("Layer %1").arg(i), MakePattern(size, i), QPoint(i * size / 8, i * size / 10));
    document.SetLayerBlendMode(3, KXDocumentInterface::BlendMultiply);
    document.SetLayerOpacity(4, 0.7);
    const qint64 raw = qint64(kLayers) * size * size * 4;

    const qint64 beforeCapture = TileBytes();
    auto* data = new LayerMergeCommandData(nullptr);
    for (unsigned int id = 1; id <= kLayers; ++id)
        data->MergeLayer(id, &document);
    const qint64 capture = TileBytes() - beforeCapture;

    QElapsedTimer timer;
    timer.start();
    LayerDataItem merged;
    data->GetMergedLayerInfo(merged);
    const double premergeMs = timer.nsecsElapsed() / 1e6;
    const qint64 composed = TileBytes() - beforeCapture - capture;
    merged = LayerDataItem();

    timer.restart();
    KXImage32 baseline;
    KXComposeHelper::ComposeLayers(baseline, {1, 2, 3, 4, 5}, &document);
    const double baselineMs = timer.nsecsElapsed() / 1e6;
    baseline = KXImage32();

    QTemporaryDir folder;
    VornUndoStack stack(nullptr);
    stack.setTemporaryFolder(QDir(folder.path()));
    auto* command = new LayerMergeCommand(&document, false);
    command->SetCommandData(data);
    timer.restart();
    stack.push(command);
    stack.GetSerializer()->WaitForIdle();
    const double writeMs = timer.nsecsElapsed() / 1e6;
    const qint64 disk = FolderBytes(folder.path());
    // After the write the data's payload is released: what the history still
    // holds in memory is what nothing else shares (the merged layer's tiles
    // are the document's new layer now).
    const qint64 documentAfter = TileBytes();
    stack.clear();
    const qint64 historyHeld = documentAfter - TileBytes();

    std::printf("merge of %d layers of %dx%d\n", kLayers, size, size);
    std::printf("  raw size of the layers:           %9.1f MiB\n", MiB(raw));
    std::printf("  tiles added by capturing them:    %9.1f MiB (images share the document's tiles)\n", MiB(capture));
    std::printf("  composed merge result:            %9.1f MiB\n", MiB(composed));
    std::printf("  record on disk:                   %9.1f MiB (%.2f of raw)\n", MiB(disk), double(disk) / raw);
    std::printf("  held by the history after write:  %9.1f MiB\n", MiB(historyHeld));
    std::printf("  composition once (PremergeImage): %9.1f ms\n", premergeMs);
    std::printf("  baseline ComposeLayers:           %9.1f ms\n", baselineMs);
    std::printf("  push until written:               %9.1f ms\n", writeMs);
    return 0;
}
