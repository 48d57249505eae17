// A small look at the record format: a 1000 x 700 tiled image with a gradient
// in a few tiles and a filled rectangle is written to a temporary record file,
// read back and compared pixel by pixel.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include "KXImage.h"
#include "vornreaderwriter.h"

namespace {

KXImage32 MakeImage()
{
    KXImage32 image(1000, 700);
    image.Fill(KXRGBA32i::OpaqueWhite());
    // A gradient over the top-left 384 x 256 pixels (six tiles).
    std::vector<KXRGBA32i> line(384);
    for (unsigned int y = 0; y < 256; ++y) {
        for (unsigned int x = 0; x < line.size(); ++x)
            line[x] = KXRGBA32i(quint8(x * 255 / 383), quint8(y), quint8(255 - y), 255);
        image.WriteLine(y, 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(line.size() * 4));
    }
    // A filled rectangle that straddles tile borders.
    const std::vector<KXRGBA32i> red(300, KXRGBA32i(200, 30, 40, 255));
    for (unsigned int y = 400; y < 600; ++y)
        image.WriteLine(y, 500, reinterpret_cast<const unsigned char*>(red.data()), unsigned(red.size() * 4));
    return image;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "no temporary folder\n");
        return 2;
    }

    const KXImage32 image = MakeImage();
    std::printf("image: %u x %u pixels, %u x %u = %d tiles, %d distinct\n", image.GetWidth(), image.GetHeight(),
        image.GetColumns(), image.GetRows(), image.TileCount(), image.DistinctTileCount());

    VornReaderWriter record;
    QElapsedTimer timer;
    timer.start();
    if (!record.Open(folder.filePath(QStringLiteral("record"))) || !record.WriteKXImage(image) || !record.Flush()) {
        std::fprintf(stderr, "writing the record failed\n");
        return 1;
    }
    record.Close();
    const double writeMs = timer.nsecsElapsed() / 1e6;
    std::printf("written: %lld bytes on disk (raw pixels %u bytes) in %.2f ms\n", record.GetSize(),
        image.GetWidth() * image.GetHeight() * 4, writeMs);

    KXImage32 back;
    timer.restart();
    if (!record.Open(QString()) || !record.ReadKXImage(back)) {
        std::fprintf(stderr, "reading the record failed\n");
        return 1;
    }
    const double readMs = timer.nsecsElapsed() / 1e6;
    std::printf("read back: %u x %u pixels, %d distinct tiles in %.2f ms\n", back.GetWidth(), back.GetHeight(),
        back.DistinctTileCount(), readMs);

    if (!back.IsPixelEqual(image)) {
        std::printf("MISMATCH: the image read back differs\n");
        return 1;
    }
    std::printf("pixel-identical: yes\n");
    return 0;
}
