#include <QImage>
#include <QPainter>
#include <QtTest>

#include <cmath>
#include <limits>

#include "KXImageOps.h"
#include "KXTextHelper.h"
#include "ZTTileManager64.h"
#include "imagechecks.h"

Q_DECLARE_METATYPE(QPainterPath)
Q_DECLARE_METATYPE(QPolygonF)

namespace {

using Resampler = bool (*)(const KXImage32&, const QTransform&, KXImage32&, const QRect&);
enum Filter
{
    Nearest,
    Bilinear,
    Bicubic
};

const KXRGBA32i Selected = KXRGBA32i::FromValue(0xFF000000u);
const KXRGBA32i White = KXRGBA32i::OpaqueWhite();
const KXRGBA32i Grey(90, 90, 90, 255);

// Where the rectangle mapping of BlendOn takes destination pixel
// (x, y) from; false when no source pixel lands there.
bool SourceOf(const QRect& imageRect, const QRect& sourceRect, const QRect& destinationRect, int x, int y,
              QPoint& from)
{
    if (!destinationRect.contains(x, y))
        return false;
    const QRect area = sourceRect.size() == destinationRect.size() ? sourceRect : sourceRect & imageRect;
    from = QPoint(x, y) - destinationRect.topLeft() + area.topLeft();
    return area.contains(from) && imageRect.contains(from);
}

Resampler ResamplerOf(Filter filter)
{
    return filter == Nearest ? NearestNeighbourTransformImage
        : filter == Bilinear ? BilinearTransformImage
                             : BicubicTransformImage;
}

QFont TestFont(int pixelSize)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    return font;
}

} // namespace

class TestImageOps : public QObject
{
    Q_OBJECT

private slots:
    void cleanup()
    {
        // Every tile mapping taken by an operation has been handed back.
        QCOMPARE(ZTTileManager64::Instance()->OpenMappings(), qint64(0));
    }

    // --- BlendOn: per-pixel rules.

    void modeRules_data()
    {
        QTest::addColumn<unsigned int>("mode");
        QTest::addColumn<KXRGBA32i>("source");
        QTest::addColumn<KXRGBA32i>("destination");
        QTest::addColumn<double>("opacity");
        QTest::addColumn<KXRGBA32i>("expected");

        const KXRGBA32i s = Px(60, 180, 240, 255);
        const KXRGBA32i d = Px(200, 100, 30, 255);
        const KXRGBA32i st = Px(10, 250, 128, 200);
        const KXRGBA32i dt = Px(90, 40, 220, 100);
        const KXRGBA32i clear;
        // Separable modes: opaque on opaque, a quarter opacity, both translucent.
        struct Row
        {
            const char* name;
            unsigned int mode;
            KXRGBA32i opaque, quarter, translucent;
        };
        const Row rows[] = {
            {"normal", 0, Px(60, 180, 240, 255), Px(165, 120, 83, 255), Px(18, 230, 137, 222)},
            {"multiply", 13, Px(47, 71, 28, 255), Px(162, 93, 30, 255), Px(15, 155, 131, 222)},
            {"screen", 14, Px(213, 209, 242, 255), Px(203, 127, 83, 255), Px(48, 230, 176, 222)},
            {"overlay", 15, Px(171, 141, 56, 255), Px(193, 110, 37, 255), Px(17, 169, 170, 222)},
            {"darken", 22, Px(60, 100, 30, 255), Px(165, 100, 30, 255), Px(18, 155, 137, 222)},
            {"lighten", 23, Px(200, 180, 240, 255), Px(200, 120, 83, 255), Px(46, 230, 170, 222)},
            {"colour dodge", 17, Px(255, 255, 255, 255), Px(214, 139, 86, 255), Px(47, 231, 182, 222)},
            {"colour burn", 16, Px(21, 35, 16, 255), Px(155, 84, 26, 255), Px(14, 154, 157, 222)},
            {"hard light", 21, Px(94, 164, 229, 255), Px(174, 116, 80, 255), Px(17, 228, 170, 222)},
            {"soft light", 20, Px(177, 125, 78, 255), Px(194, 106, 42, 255), Px(27, 176, 170, 222)},
            {"difference", 18, Px(140, 80, 210, 255), Px(185, 95, 75, 255), Px(43, 215, 124, 222)},
            {"exclusion", 19, Px(166, 139, 214, 255), Px(191, 110, 76, 255), Px(47, 216, 137, 222)},
            {"linear dodge", 8, Px(255, 255, 255, 255), Px(214, 139, 86, 255), Px(50, 231, 182, 222)},
            {"linear burn", 12, Px(5, 25, 15, 255), Px(151, 81, 26, 255), Px(14, 153, 125, 222)},
        };
        for (const Row& row : rows) {
            const QByteArray name(row.name);
            QTest::newRow(name) << row.mode << s << d << 1.0 << row.opaque;
            QTest::newRow(name + " quarter opacity") << row.mode << s << d << 0.25 << row.quarter;
            QTest::newRow(name + " translucent") << row.mode << st << dt << 1.0 << row.translucent;
            // Over a transparent pixel every mode gives the source.
            QTest::newRow(name + " on transparent") << row.mode << s << clear << 1.0 << s;
            QTest::newRow(name + " transparent source") << row.mode << clear << d << 1.0 << d;
        }
        const KXRGBA32i halfOverD = Px(130, 140, 135, 255);
        QTest::newRow("normal half alpha") << 0u << Px(60, 180, 240, 128) << d << 1.0 << halfOverD;
        QTest::newRow("normal half opacity on transparent") << 0u << s << clear << 0.5 << Px(60, 180, 240, 128);
        QTest::newRow("normal opacity above 1") << 0u << s << d << 7.0 << s;
        QTest::newRow("normal opacity 0") << 0u << s << d << 0.0 << d;
        QTest::newRow("normal negative opacity") << 0u << s << d << -1.0 << d;
        QTest::newRow("unknown code blends as normal") << 7u << s << d << 1.0 << s;
        QTest::newRow("replace") << 3u << st << d << 1.0 << st;
        QTest::newRow("replace with transparent") << 3u << clear << d << 1.0 << clear;
        QTest::newRow("replace half opacity") << 3u << s << d << 0.5 << halfOverD;
        QTest::newRow("replace half, transparent") << 3u << clear << d << 0.5 << Px(200, 100, 30, 128);

        // Selection masks (selected 0xFF000000, unselected 0): the result for
        // (destination, source) off/off, off/on, on/off, on/on as bits 0 to 3.
        const std::pair<unsigned int, int> selects[] = {
            {25, 0b1000}, {94, 0b1000}, {93, 0b1110}, {95, 0b0100}, {3, 0b1010}};
        for (const auto& [mode, table] : selects)
            for (int bit = 0; bit < 4; ++bit)
                QTest::newRow(QByteArray("selection ") + QByteArray::number(mode) + " case " + QByteArray::number(bit))
                    << mode << (bit & 1 ? Selected : clear) << (bit & 2 ? Selected : clear) << 1.0
                    << (table >> bit & 1 ? Selected : clear);
        QTest::newRow("union makes black") << 93u << Selected << Px(9, 9, 9, 0) << 1.0 << Selected;
        QTest::newRow("subtract half") << 95u << Px(0, 0, 0, 128) << Selected << 1.0 << Px(0, 0, 0, 127);
    }
    void modeRules()
    {
        QFETCH(unsigned int, mode);
        QFETCH(KXRGBA32i, source);
        QFETCH(KXRGBA32i, destination);
        QFETCH(double, opacity);
        QFETCH(KXRGBA32i, expected);
        const KXImage32 from = Filled(3, 2, source);
        KXImage32 to = Filled(5, 4, destination);
        const QRect target(1, 1, 3, 2);
        QVERIFY(BlendOn(from, from.GetRect(), mode, to, target, opacity, false));
        VERIFY_PIXELS(to, [&](int x, int y) { return target.contains(x, y) ? expected : destination; });
    }

    // The intersection modes clear what the source rectangle does not reach.
    void intersectClearsUnreached()
    {
        const KXImage32 mask = Filled(4, 4, Selected);
        KXImage32 target = Filled(10, 10, Selected);
        QVERIFY(BlendOn(mask, QRect(2, 2, 6, 6), 25, target, QRect(1, 1, 6, 6), 1.0, false));
        // Source pixels (2..3, 2..3) land on (1..2, 1..2); the rest of the
        // destination rectangle is cleared, outside it nothing changes.
        VERIFY_PIXELS(target, [](int x, int y) {
            return QRect(1, 1, 6, 6).contains(x, y) && !QRect(1, 1, 2, 2).contains(x, y) ? KXRGBA32i() : Selected;
        });
    }

    // --- BlendOn: rectangles.

    void rectangles_data()
    {
        QTest::addColumn<QSize>("sourceSize");
        QTest::addColumn<QRect>("sourceRect");
        QTest::addColumn<QSize>("destinationSize");
        QTest::addColumn<QRect>("destinationRect");
        QTest::addColumn<bool>("result");
        const QSize src(300, 200);
        const QSize dst(260, 270);
        const auto row = [&](const char* name, const QRect& from, const QRect& to, bool result) {
            QTest::newRow(name) << src << from << dst << to << result;
        };
        row("inside", QRect(10, 20, 150, 130), QRect(100, 120, 150, 130), true);
        row("source over the top left", QRect(-30, -40, 100, 100), QRect(0, 0, 100, 100), true);
        row("destination over the edges", QRect(0, 0, 100, 100), QRect(200, -50, 100, 100), true);
        row("both over the edges", QRect(-10, 150, 90, 90), QRect(-20, 200, 90, 90), true);
        row("larger than both", QRect(-1000, -1000, 3000, 3000), QRect(-1000, -1000, 3000, 3000), true);
        row("sizes differ, source clipped first", QRect(-5, -5, 40, 40), QRect(0, 0, 35, 35), true);
        row("sizes differ, source larger", QRect(0, 0, 300, 200), QRect(10, 10, 50, 50), true);
        row("sizes differ, destination larger", QRect(290, 190, 10, 10), QRect(100, 100, 50, 50), true);
        row("source rect misses", QRect(400, 0, 10, 10), QRect(0, 0, 10, 10), false);
        row("lands outside", QRect(-100, 0, 50, 10), QRect(0, 0, 50, 10), false);
        row("null rects", QRect(), QRect(), false);
        row("far away", QRect(-2000000000, 0, 10, 10), QRect(2000000000, 0, 10, 10), false);
        QTest::newRow("odd sizes") << QSize(1, 129) << QRect(0, 0, 1, 129) << QSize(129, 1) << QRect(128, -64, 1, 129)
                                   << true;
        QTest::newRow("empty source") << QSize(0, 0) << QRect(0, 0, 10, 10) << dst << QRect(0, 0, 10, 10) << false;
        QTest::newRow("empty destination") << src << QRect(0, 0, 10, 10) << QSize(0, 5) << QRect(0, 0, 10, 10)
                                           << false;
    }
    void rectangles()
    {
        QFETCH(QSize, sourceSize);
        QFETCH(QRect, sourceRect);
        QFETCH(QSize, destinationSize);
        QFETCH(QRect, destinationRect);
        QFETCH(bool, result);
        const KXImage32 source = Painted(sourceSize.width(), sourceSize.height(), Pattern);
        // Replace and normal take the same pixels; normal blends them over grey.
        for (const unsigned int mode : {3u, 0u}) {
            KXImage32 destination = Filled(destinationSize.width(), destinationSize.height(), Grey);
            const KXImage32 before = destination;
            QCOMPARE(BlendOn(source, sourceRect, mode, destination, destinationRect, 1.0, false), result);
            VERIFY_PIXELS(destination, [&](int x, int y) {
                QPoint from;
                if (!SourceOf(source.GetRect(), sourceRect, destinationRect, x, y, from))
                    return Grey;
                const KXRGBA32i pixel = At(source, from.x(), from.y());
                const auto mix = [&pixel](int s, int d) { return (s * pixel.a + d * (255 - pixel.a) + 127) / 255; };
                return mode == 3 ? pixel : Px(mix(pixel.r, Grey.r), mix(pixel.g, Grey.g), mix(pixel.b, Grey.b), 255);
            });
            if (!result)
                QVERIFY(TilesSharedOutside(destination, before, QRect()));
        }
    }

    // Blending and resampling an image onto itself read the old pixels.
    void ontoItself()
    {
        KXImage32 image = Painted(300, 260, Pattern);
        const KXImage32 original = image.Copy();
        QVERIFY(BlendOn(image, QRect(0, 0, 200, 200), 3, image, QRect(50, 30, 200, 200), 1.0, false));
        VERIFY_PIXELS(image, [&](int x, int y) {
            return QRect(50, 30, 200, 200).contains(x, y) ? Pattern(x - 50, y - 30) : Pattern(x, y);
        });
        image = original;
        QVERIFY(NearestNeighbourTransformImage(image, QTransform::fromTranslate(3, 4), image, QRect()));
        VERIFY_PIXELS(image, [&](int x, int y) { return x >= 3 && y >= 4 ? Pattern(x - 3, y - 4) : Pattern(x, y); });
    }

    // --- BlendOn: tiles.

    // Replace takes whole aligned source tiles as they are; other touched
    // tiles get new pixels, untouched ones stay shared with the old image.
    void replaceSharesTiles_data()
    {
        QTest::addColumn<QRect>("sourceRect");
        QTest::addColumn<QRect>("destinationRect");
        QTest::addColumn<QRect>("shared"); // destination tiles taken from the source
        QTest::addColumn<QRect>("touched"); // destination tiles that change
        QTest::newRow("aligned") << QRect(128, 0, 256, 256) << QRect(256, 128, 256, 256) << QRect(2, 1, 2, 2)
                                 << QRect(2, 1, 2, 2);
        QTest::newRow("partial") << QRect(72, 72, 200, 200) << QRect(200, 200, 200, 200) << QRect(2, 2, 1, 1)
                                 << QRect(1, 1, 3, 3);
        QTest::newRow("unaligned") << QRect(0, 0, 256, 256) << QRect(1, 0, 256, 256) << QRect() << QRect(0, 0, 3, 2);
    }
    void replaceSharesTiles()
    {
        QFETCH(QRect, sourceRect);
        QFETCH(QRect, destinationRect);
        QFETCH(QRect, shared);
        QFETCH(QRect, touched);
        const KXImage32 source = Painted(400, 400, Pattern);
        KXImage32 destination = Filled(512, 512, Grey);
        const KXImage32 before = destination;
        const qint64 live = ZTTileManager64::Instance()->LiveTiles();
        QVERIFY(BlendOn(source, sourceRect, 3, destination, destinationRect, 1.0, false));
        const QPoint shift = (destinationRect.topLeft() - sourceRect.topLeft()) / 128;
        for (int row = touched.top(); row <= touched.bottom(); ++row)
            for (int column = touched.left(); column <= touched.right(); ++column) {
                const KXImage32::Tile* tile = destination.GetTile(unsigned(column), unsigned(row));
                const KXImage32::Tile* from = source.GetTile(unsigned(column - shift.x()), unsigned(row - shift.y()));
                QCOMPARE(tile == from, shared.contains(column, row));
            }
        QVERIFY(TilesSharedOutside(destination, before, touched));
        QCOMPARE(ZTTileManager64::Instance()->LiveTiles(),
                 live + touched.width() * touched.height() - shared.width() * shared.height());
        VERIFY_PIXELS(destination, [&](int x, int y) {
            const QPoint from = QPoint(x, y) - destinationRect.topLeft() + sourceRect.topLeft();
            return destinationRect.contains(x, y) ? Pattern(from.x(), from.y()) : Grey;
        });
    }

    // --- BlendMaskOn.

    void maskCoverage_data()
    {
        QTest::addColumn<KXRGBA32i>("maskPixel");
        QTest::addColumn<bool>("layerMask");
        QTest::addColumn<KXRGBA32i>("expected");
        QTest::newRow("white reveals") << White << true << Px(250, 10, 10, 255);
        QTest::newRow("grey half") << Px(128, 128, 128, 255) << true << Px(170, 50, 50, 255);
        QTest::newRow("transparent hides") << Px(255, 255, 255, 0) << true << Grey;
        QTest::newRow("selection opaque reveals") << Selected << false << Px(250, 10, 10, 255);
        QTest::newRow("selection half") << Px(0, 0, 0, 128) << false << Px(170, 50, 50, 255);
    }
    void maskCoverage()
    {
        QFETCH(KXRGBA32i, maskPixel);
        QFETCH(bool, layerMask);
        QFETCH(KXRGBA32i, expected);
        const KXImage32 source = Filled(20, 20, Px(250, 10, 10, 255));
        KXImage32 destination = Filled(20, 20, Grey);
        // The mask lies on destination (2..7, 3..8); elsewhere it hides.
        QVERIFY(BlendMaskOn(source, source.GetRect(), 0, destination, destination.GetRect(), 1.0,
                            Filled(6, 6, maskPixel), QRect(2, 3, 6, 6), layerMask, false));
        VERIFY_PIXELS(destination, [&](int x, int y) { return QRect(2, 3, 6, 6).contains(x, y) ? expected : Grey; }, 1);
    }

    // --- FillPath.

    void fillPathMatchesQPainter_data()
    {
        QTest::addColumn<QPainterPath>("path");
        QPainterPath ellipse;
        ellipse.addEllipse(QPointF(170.3, 140.7), 150.2, 100.9);
        QTest::newRow("ellipse over tiles") << ellipse;
        QPainterPath star;
        star.addPolygon(QPolygonF({QPointF(150, 5), QPointF(240, 290), QPointF(8, 110), QPointF(292, 110),
                                   QPointF(60, 290)}));
        star.closeSubpath();
        QTest::newRow("self-crossing, odd-even") << star;
        star.setFillRule(Qt::WindingFill);
        QTest::newRow("self-crossing, winding") << star;
        QPainterPath ring;
        ring.addRect(10, 10, 280, 280);
        ring.addEllipse(QPointF(150, 150), 90, 60);
        QTest::newRow("ring") << ring;
    }
    void fillPathMatchesQPainter()
    {
        QFETCH(QPainterPath, path);
        KXImage32 mask(300, 300);
        QVERIFY(FillPath(mask, 3, path, QBrush(Qt::black), false));
        // The same path through QPainter without anti-aliasing.
        QImage reference(300, 300, QImage::Format_ARGB32);
        reference.fill(Qt::transparent);
        QPainter painter(&reference);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::black);
        painter.drawPath(path);
        painter.end();
        VERIFY_PIXELS(mask, [&](int x, int y) { return qAlpha(reference.pixel(x, y)) ? Selected : KXRGBA32i(); });
    }

    // Paths reaching millions of pixels away keep their edges exact inside the image.
    void fillPathFarReaching_data()
    {
        QTest::addColumn<QPolygonF>("polygon");
        QTest::addColumn<bool>("band"); // rows above y = 150.25, else below the line y = x + 0.3
        const double far = 3e6;
        QTest::newRow("band") << QPolygonF({QPointF(-far, -far), QPointF(far, -far), QPointF(far, 150.25),
                                            QPointF(-far, 150.25)})
                              << true;
        QTest::newRow("diagonal")
            << QPolygonF({QPointF(-far, -far + 0.3), QPointF(far, far + 0.3), QPointF(-far, far + 0.3)}) << false;
    }
    void fillPathFarReaching()
    {
        QFETCH(QPolygonF, polygon);
        QFETCH(bool, band);
        KXImage32 mask(300, 280);
        QPainterPath path;
        path.addPolygon(polygon);
        path.closeSubpath();
        QVERIFY(FillPath(mask, 3, path, QBrush(Qt::black), false));
        VERIFY_PIXELS(mask, [&](int x, int y) { return (band ? y < 150 : y > x) ? Selected : KXRGBA32i(); });
    }

    // --- InvertImage.

    void invert_data()
    {
        QTest::addColumn<unsigned int>("what");
        QTest::addColumn<KXRGBA32i>("pixel");
        QTest::addColumn<KXRGBA32i>("expected");
        QTest::newRow("colour") << 0u << Px(10, 20, 30, 40) << Px(245, 235, 225, 40);
        QTest::newRow("selection selected") << 1u << Selected << KXRGBA32i();
        QTest::newRow("selection partial") << 1u << Px(5, 5, 5, 100) << Px(0, 0, 0, 155);
        QTest::newRow("layer mask grey") << 8u << Px(100, 100, 100, 255) << Px(155, 155, 155, 255);
        QTest::newRow("layer mask transparent") << 8u << KXRGBA32i() << White;
        QTest::newRow("layer mask half transparent white") << 8u << Px(255, 255, 255, 128) << Px(127, 127, 127, 255);
    }
    void invert()
    {
        QFETCH(unsigned int, what);
        QFETCH(KXRGBA32i, pixel);
        QFETCH(KXRGBA32i, expected);
        KXImage32 image = Painted(300, 140, [&](int x, int) { return x < 200 ? pixel : Grey; });
        const KXImage32 before = image;
        QVERIFY(InvertImage(image, what));
        const KXRGBA32i greyInverted = what == 1 ? KXRGBA32i() : Px(165, 165, 165, 255);
        VERIFY_PIXELS(image, [&](int x, int) { return x < 200 ? expected : greyInverted; });
        QCOMPARE(At(before, 0, 0), pixel);
    }

    // --- Mask builders.

    void maskBuilders()
    {
        const KXImage32 source = Painted(300, 130, [](int x, int y) {
            if (x < 100)
                return Px(x, x, x, 255); // opaque grey
            if (x < 200)
                return Px(200, 200, 200, y); // grey with alpha
            return Px(x & 1 ? 255 : 0, x & 1 ? 0 : 255, 0, 255); // red and green
        });
        KXImage32 mask = Filled(3, 3, Grey);
        QVERIFY(CreateHideAllMask(mask, source));
        QCOMPARE(mask.GetSize(), source.GetSize());
        QCOMPARE(mask.DistinctTileCount(), 1);
        VERIFY_PIXELS(mask, [](int, int) { return Selected; });
        QVERIFY(CreateRevealAllMask(mask, source));
        VERIFY_PIXELS(mask, [](int, int) { return White; });
        QVERIFY(CreateFromTransparancyMask(mask, source));
        VERIFY_PIXELS(mask, [&](int x, int y) {
            const int alpha = At(source, x, y).a;
            return Px(alpha, alpha, alpha, 255);
        });
        QVERIFY(CreateFromSourceMask(mask, source));
        QCOMPARE(mask.GetSize(), source.GetSize());
        VERIFY_PIXELS(mask, [&](int x, int y) {
            if (x >= 200)
                return At(mask, x, y); // compared below
            const KXRGBA32i pixel = At(source, x, y);
            const int grey = (pixel.r * pixel.a + 127) / 255;
            return Px(grey, grey, grey, 255);
        });
        // Green is brighter than red; both are opaque greys.
        const KXRGBA32i red = At(mask, 201, 0);
        QCOMPARE(red.a, quint8(255));
        QCOMPARE(red.r, red.g);
        QVERIFY(At(mask, 200, 0).r > red.r + 50);

        using Builder = bool (*)(KXImage32&, const KXImage32&);
        for (const Builder builder :
             {&CreateHideAllMask, &CreateRevealAllMask, &CreateFromSourceMask, &CreateFromTransparancyMask}) {
            KXImage32 refused = Filled(3, 3, Grey);
            QVERIFY(!builder(refused, KXImage32()));
            QVERIFY(refused.IsEmpty());
        }
    }

    // --- Resamplers.

    // Only the given rectangle changes; tiles no source pixel reaches stay shared.
    void resampleRectAndSharing()
    {
        const KXImage32 source = Painted(100, 100, Pattern);
        KXImage32 destination = Filled(512, 512, White);
        const KXImage32 before = destination;
        const QRect rect(10, 20, 30, 40);
        QVERIFY(BilinearTransformImage(source, QTransform(), destination, rect));
        VERIFY_PIXELS(destination, [&](int x, int y) { return rect.contains(x, y) ? Pattern(x, y) : White; });
        QVERIFY(TilesSharedOutside(destination, before, QRect(0, 0, 1, 1)));
        QVERIFY(NearestNeighbourTransformImage(source, QTransform(), destination, QRect(-50, -50, 600, 600)));
        QVERIFY(TilesSharedOutside(destination, before, QRect(0, 0, 1, 1)));
        QVERIFY(!BicubicTransformImage(source, QTransform(), destination, QRect(600, 0, 10, 10)));
    }

    void resampleRefuses_data()
    {
        QTest::addColumn<QSize>("sourceSize");
        QTest::addColumn<QSize>("destinationSize");
        QTest::addColumn<QTransform>("transform");
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double infinity = std::numeric_limits<double>::infinity();
        QTest::newRow("singular") << QSize(10, 10) << QSize(10, 10) << QTransform(0, 0, 0, 0, 0, 0);
        QTest::newRow("not a number") << QSize(10, 10) << QSize(10, 10) << QTransform(nan, 0, 0, 1, 0, 0);
        QTest::newRow("infinite") << QSize(10, 10) << QSize(10, 10) << QTransform(1, 0, 0, 1, infinity, 0);
        QTest::newRow("empty source") << QSize(0, 0) << QSize(10, 10) << QTransform();
        QTest::newRow("empty destination") << QSize(10, 10) << QSize(10, 0) << QTransform();
    }
    void resampleRefuses()
    {
        QFETCH(QSize, sourceSize);
        QFETCH(QSize, destinationSize);
        QFETCH(QTransform, transform);
        const KXImage32 source = Painted(sourceSize.width(), sourceSize.height(), Pattern);
        for (const int filter : {Nearest, Bilinear, Bicubic}) {
            KXImage32 destination = Filled(destinationSize.width(), destinationSize.height(), Grey);
            const KXImage32 before = destination;
            QVERIFY(!ResamplerOf(Filter(filter))(source, transform, destination, QRect()));
            QVERIFY(TilesSharedOutside(destination, before, QRect()));
        }
    }

    // --- Text.

    void textLandsInItsRectangle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("vertical");
        QTest::addColumn<int>("style");
        QTest::newRow("word") << QStringLiteral("Hello") << false << 0;
        QTest::newRow("two lines") << QStringLiteral("Hi\nthere") << false << 0;
        QTest::newRow("underlined") << QStringLiteral("Hello") << false << 1;
        QTest::newRow("struck out") << QStringLiteral("Hello") << false << 2;
        QTest::newRow("outline") << QStringLiteral("Hello") << false << 4;
        QTest::newRow("vertical columns") << QStringLiteral("AB\nCDE") << true << 1;
        QTest::newRow("empty") << QString() << false << 0;
        QTest::newRow("blank") << QStringLiteral("   ") << false << 0;
    }
    void textLandsInItsRectangle()
    {
        QFETCH(QString, text);
        QFETCH(bool, vertical);
        QFETCH(int, style);
        KXTextHelper helper(2.0);
        helper.SetText(text);
        helper.SetFont(TestFont(24));
        helper.SetColor(QColor(200, 30, 40));
        helper.SetStyle(style);
        helper.SetOrientation(vertical);
        QPoint offset(99, 99);
        const KXImage32 image = helper.CreateImageByTextWithSelectionAndDeformation(offset, 0, -1);
        const QRect layout = helper.GetTextRect();
        if (text.trimmed().isEmpty()) {
            QVERIFY(image.IsEmpty());
            QCOMPARE(offset, QPoint(0, 0));
            QCOMPARE(layout.isNull(), text.isEmpty());
            return;
        }
        QCOMPARE(layout.height() > layout.width(), vertical);
        // The visible pixels lie in the layout (allowing a pixel of smoothing) and fill a fair part of it.
        const QRect placed(offset, image.GetSize());
        QVERIFY(layout.adjusted(-2, -2, 2, 2).contains(placed));
        QVERIFY(placed.width() * placed.height() * 4 > layout.width() * layout.height());
        // The image is trimmed to its visible pixels, which carry the text colour
        // up to the rounding of premultiplied bytes.
        int opaque = 0;
        for (int y = 0; y < int(image.GetHeight()); ++y)
            for (int x = 0; x < int(image.GetWidth()); ++x) {
                const KXRGBA32i pixel = At(image, x, y);
                if (pixel.a > 64)
                    QVERIFY(Near(pixel, Px(200, 30, 40, pixel.a), 2 + 255 / pixel.a));
                opaque += pixel.a >= 128;
            }
        QVERIFY(opaque > 20);
    }
};

QTEST_MAIN(TestImageOps)
#include "tst_imageops.moc"
