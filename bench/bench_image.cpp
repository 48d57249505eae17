// Megapixels per second of the image library's compositing and resampling,
// each beside QPainter doing the same work on a QImage in the same run.
//
//   bench_image [size]     (default 4096: a size x size image)

#include <QImage>
#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

#include "KXImageOps.h"

namespace {

// Each measurement runs its work once to warm up (fresh tile memory is
// costly to touch the first time), then again while the processor time
// spent stays under this budget (at most five times), and keeps the best run.
constexpr double kBudgetSeconds = 0.25;

// Processor time of the whole process (all threads), so that other load on
// the machine does not count.
double CpuSeconds()
{
    timespec now {};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

double BestSeconds(const std::function<void()>& setUp, const std::function<void()>& work)
{
    setUp();
    work();
    double best = 1e30;
    const double begin = CpuSeconds();
    for (int run = 0; run == 0 || (run < 5 && CpuSeconds() - begin < kBudgetSeconds); ++run) {
        setUp();
        const double start = CpuSeconds();
        work();
        best = std::min(best, std::max(CpuSeconds() - start, 1e-9));
    }
    return best;
}

KXImage32 MakePattern(int size, int alpha)
{
    KXImage32 image{unsigned(size), unsigned(size)};
    std::vector<KXRGBA32i> line(static_cast<size_t>(size));
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x)
            line[size_t(x)] = KXRGBA32i(quint8(x), quint8(y), quint8(x ^ y), quint8(alpha));
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(size) * 4);
    }
    return image;
}

void Row(const char* name, double megapixels, double ours, double theirs, const char* baseline)
{
    std::printf("%-30s %10.1f %12.1f %8.2fx   %s\n", name, megapixels / ours, megapixels / theirs, theirs / ours,
                baseline);
}

} // namespace

int main(int argc, char** argv)
{
    const int size = argc > 1 ? std::max(16, std::atoi(argv[1])) : 4096;
    const double megapixels = double(size) * size / 1e6;

    const KXImage32 opaque = MakePattern(size, 255);
    const KXImage32 translucent = MakePattern(size, 128);
    const QImage opaqueQ = opaque.ToQImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const QImage translucentQ = translucent.ToQImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
    KXImage32 target;
    QImage targetQ;
    const auto freshTarget = [&] {
        target = KXImage32(unsigned(size), unsigned(size));
        target.Fill(KXRGBA32i(40, 80, 120, 255));
    };
    const auto freshTargetQ = [&] {
        if (targetQ.isNull())
            targetQ = QImage(size, size, QImage::Format_ARGB32_Premultiplied);
        targetQ.fill(QColor(40, 80, 120));
    };
    const auto paint = [&](QPainter::CompositionMode mode, const QImage& source, const QTransform& transform,
                           bool smooth) {
        QPainter painter(&targetQ);
        painter.setCompositionMode(mode);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
        painter.setTransform(transform);
        painter.drawImage(0, 0, source);
    };

    std::printf("image %dx%d (%.1f MP); QPainter works on ARGB32_Premultiplied QImages\n\n", size, size, megapixels);
    std::printf("%-30s %10s %12s %9s   %s\n", "operation", "MP/s", "QPainter MP/s", "speed-up", "baseline");

    const QRect all(0, 0, size, size);
    const double copyAligned = BestSeconds(freshTarget, [&] { BlendOn(opaque, all, 3, target, all, 1.0, false); });
    const double copyAlignedQ = BestSeconds(freshTargetQ, [&] {
        paint(QPainter::CompositionMode_Source, opaqueQ, QTransform(), false);
    });
    Row("BlendOn replace, aligned", megapixels, copyAligned, copyAlignedQ, "Source drawImage");

    const QRect shifted = all.translated(1, 1);
    const double copyShifted = BestSeconds(freshTarget, [&] { BlendOn(opaque, all, 3, target, shifted, 1.0, false); });
    const double copyShiftedQ = BestSeconds(freshTargetQ, [&] {
        paint(QPainter::CompositionMode_Source, opaqueQ, QTransform::fromTranslate(1, 1), false);
    });
    Row("BlendOn replace, 1 px offset", megapixels, copyShifted, copyShiftedQ, "Source drawImage at (1, 1)");

    const double normal = BestSeconds(freshTarget, [&] { BlendOn(translucent, all, 0, target, all, 1.0, false); });
    const double normalQ = BestSeconds(freshTargetQ, [&] {
        paint(QPainter::CompositionMode_SourceOver, translucentQ, QTransform(), false);
    });
    Row("BlendOn normal, 50% alpha", megapixels, normal, normalQ, "SourceOver drawImage");

    // Every destination pixel is sampled: a slight rotation about the centre.
    QTransform rotation;
    rotation.translate(size / 2.0, size / 2.0);
    rotation.rotate(10);
    rotation.scale(1.1, 1.1);
    rotation.translate(-size / 2.0, -size / 2.0);
    const struct
    {
        const char* name;
        bool (*resample)(const KXImage32&, const QTransform&, KXImage32&, const QRect&);
        bool smooth;
        const char* baseline;
    } resamplers[] = {
        {"NearestNeighbourTransformImage", NearestNeighbourTransformImage, false, "drawImage, transformed"},
        {"BilinearTransformImage", BilinearTransformImage, true, "drawImage, smooth transform"},
        {"BicubicTransformImage", BicubicTransformImage, true, "drawImage, smooth (bilinear: Qt has no bicubic)"},
    };
    for (const auto& each : resamplers) {
        const double ours = BestSeconds(freshTarget, [&] { each.resample(opaque, rotation, target, QRect()); });
        const double theirs = BestSeconds(freshTargetQ, [&] {
            paint(QPainter::CompositionMode_Source, opaqueQ, rotation, each.smooth);
        });
        Row(each.name, megapixels, ours, theirs, each.baseline);
    }
    return 0;
}
