#include "KXImageOps.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "kxtiles_p.h"

namespace {

using KXTiles::Size;

enum class Filter
{
    Nearest,
    Bilinear,
    Bicubic
};

// How far outside the source a mapped pixel centre may lie and still be
// written (the filtered edge fades out over that half pixel).
constexpr double Reach(Filter filter)
{
    return filter == Filter::Nearest ? 0.0 : 0.5;
}

// How many pixels around the sample point the filter reads, plus one for
// rounding in the block bounds.
constexpr int Margin(Filter filter)
{
    return filter == Filter::Nearest ? 1 : filter == Filter::Bilinear ? 2 : 3;
}

// A window loaded with more source pixels than this is split further.
constexpr qint64 kWindowLimit = 1 << 18;

// Colour premultiplied by alpha, all on the 0..255 scale.
struct Premultiplied
{
    float r = 0;
    float g = 0;
    float b = 0;
    float a = 0;
};

// The inverse transform, destination to source coordinates.
struct BackMap
{
    explicit BackMap(const QTransform& inverse)
        : m11(inverse.m11())
        , m12(inverse.m12())
        , m13(inverse.m13())
        , m21(inverse.m21())
        , m22(inverse.m22())
        , m23(inverse.m23())
        , m31(inverse.m31())
        , m32(inverse.m32())
        , m33(inverse.m33())
        , affine(inverse.isAffine())
    {
    }
    // False when the point lies behind the projection's horizon.
    bool Map(double x, double y, double& sx, double& sy) const
    {
        sx = m11 * x + m21 * y + m31;
        sy = m12 * x + m22 * y + m32;
        if (affine)
            return true;
        const double w = m13 * x + m23 * y + m33;
        if (!(w > 0.0))
            return false;
        sx /= w;
        sy /= w;
        return true;
    }
    double m11, m12, m13, m21, m22, m23, m31, m32, m33;
    bool affine;
};

// Source pixels around a block of destination pixels; outside the source they
// are transparent. Access is clamped to the window, which the caller sizes to
// hold every tap.
class Window
{
public:
    void Load(KXTiles::ReadCache& cache, const QRect& area, bool premultiply)
    {
        m_area = area;
        const size_t count = size_t(area.width()) * size_t(area.height());
        m_raw.resize(count);
        for (int y = area.top(); y <= area.bottom(); ++y)
            KXTiles::ReadPixels(cache, cache.Image().GetRect(), area.left(), y, area.width(),
                                m_raw.data() + size_t(y - area.top()) * size_t(area.width()));
        if (!premultiply)
            return;
        m_premultiplied.resize(count);
        for (size_t i = 0; i < count; ++i) {
            const KXRGBA32i& pixel = m_raw[i];
            const float alpha = float(pixel.a) * (1.0f / 255.0f);
            m_premultiplied[i] = Premultiplied { pixel.r * alpha, pixel.g * alpha, pixel.b * alpha, float(pixel.a) };
        }
    }
    const KXRGBA32i& Raw(int x, int y) const { return m_raw[Index(x, y)]; }
    const Premultiplied* Row(int x, int y) const { return m_premultiplied.data() + Index(x, y); }
    // Whether the taps from x to x + taps - 1 of row y all lie in the window.
    bool HoldsRun(int x, int y, int taps) const
    {
        return x >= m_area.left() && x + taps - 1 <= m_area.right() && y >= m_area.top() && y <= m_area.bottom();
    }

private:
    size_t Index(int x, int y) const
    {
        const int column = std::clamp(x - m_area.left(), 0, m_area.width() - 1);
        const int row = std::clamp(y - m_area.top(), 0, m_area.height() - 1);
        return size_t(row) * size_t(m_area.width()) + size_t(column);
    }

    QRect m_area;
    std::vector<KXRGBA32i> m_raw;
    std::vector<Premultiplied> m_premultiplied;
};

inline quint8 ClampToByte(float value)
{
    const float rounded = value + 0.5f;
    return rounded <= 0.0f ? 0 : rounded >= 255.0f ? 255 : quint8(rounded);
}

KXRGBA32i Unpremultiply(const Premultiplied& sum)
{
    const quint8 alpha = ClampToByte(sum.a);
    if (!alpha)
        return KXRGBA32i();
    const float scale = 255.0f / sum.a;
    return KXRGBA32i(ClampToByte(sum.r * scale), ClampToByte(sum.g * scale), ClampToByte(sum.b * scale), alpha);
}

inline void Accumulate(Premultiplied& sum, const Premultiplied& tap, float weight)
{
    sum.r += tap.r * weight;
    sum.g += tap.g * weight;
    sum.b += tap.b * weight;
    sum.a += tap.a * weight;
}

// Catmull-Rom weights of the taps at -1, 0, 1 and 2 for a point t in [0, 1).
inline void CubicWeights(float t, float weights[4])
{
    const float t2 = t * t;
    const float t3 = t2 * t;
    weights[0] = -0.5f * t3 + t2 - 0.5f * t;
    weights[1] = 1.5f * t3 - 2.5f * t2 + 1.0f;
    weights[2] = -1.5f * t3 + 2.0f * t2 + 0.5f * t;
    weights[3] = 0.5f * t3 - 0.5f * t2;
}

template <Filter F>
KXRGBA32i Sample(const Window& window, double sx, double sy)
{
    if constexpr (F == Filter::Nearest) {
        return window.Raw(int(std::floor(sx)), int(std::floor(sy)));
    } else {
        // Pixel i has its centre at i + 0.5.
        const double u = sx - 0.5;
        const double v = sy - 0.5;
        const int x0 = int(std::floor(u));
        const int y0 = int(std::floor(v));
        const float fx = float(u - x0);
        const float fy = float(v - y0);
        if (fx == 0.0f && fy == 0.0f)
            return window.Raw(x0, y0);
        Premultiplied sum;
        if constexpr (F == Filter::Bilinear) {
            const float wx[2] = { 1.0f - fx, fx };
            const float wy[2] = { 1.0f - fy, fy };
            for (int j = 0; j < 2; ++j) {
                const Premultiplied* row = window.Row(x0, y0 + j);
                const bool run = window.HoldsRun(x0, y0 + j, 2);
                for (int i = 0; i < 2; ++i)
                    Accumulate(sum, run ? row[i] : *window.Row(x0 + i, y0 + j), wx[i] * wy[j]);
            }
        } else {
            float wx[4];
            float wy[4];
            CubicWeights(fx, wx);
            CubicWeights(fy, wy);
            for (int j = 0; j < 4; ++j) {
                const int y = y0 - 1 + j;
                Premultiplied line;
                const Premultiplied* row = window.Row(x0 - 1, y);
                const bool run = window.HoldsRun(x0 - 1, y, 4);
                for (int i = 0; i < 4; ++i)
                    Accumulate(line, run ? row[i] : *window.Row(x0 - 1 + i, y), wx[i]);
                Accumulate(sum, line, wy[j]);
            }
        }
        return Unpremultiply(sum);
    }
}

template <Filter F>
class Resampler
{
public:
    Resampler(const KXImage32& source, const QTransform& inverse, KXImage32& destination)
        : m_cache(source)
        , m_map(inverse)
        , m_destination(destination)
        , m_support(-Reach(F), -Reach(F), source.GetWidth() + 2 * Reach(F), source.GetHeight() + 2 * Reach(F))
        , m_loadable(source.GetRect().adjusted(-Margin(F), -Margin(F), Margin(F), Margin(F)))
    {
    }

    void Run(const QRect& region)
    {
        KXTiles::ForEachTile(region, [&](int column, int row, const QRect& part) {
            KXTiles::WriteTile tile(m_destination, column, row);
            Block(part, tile);
        });
    }

private:
    bool Inside(double sx, double sy) const
    {
        return sx >= m_support.left() && sx < m_support.right() && sy >= m_support.top() && sy < m_support.bottom();
    }

    // The source pixels the block's samples may read, or an empty rectangle
    // when no pixel centre of the block maps near the source.
    QRect Needed(const QRect& block) const
    {
        double left = 0, right = 0, top = 0, bottom = 0;
        bool everywhere = false;
        const QPointF corners[4] = { QPointF(block.left(), block.top()), QPointF(block.right(), block.top()),
                                     QPointF(block.left(), block.bottom()), QPointF(block.right(), block.bottom()) };
        for (int i = 0; i < 4; ++i) {
            double sx = 0, sy = 0;
            if (!m_map.Map(corners[i].x() + 0.5, corners[i].y() + 0.5, sx, sy)) {
                // Beyond a projection's horizon: a single pixel there maps
                // nowhere; a larger block may still reach any part of the source.
                if (block.width() * block.height() == 1)
                    return QRect();
                everywhere = true;
                break;
            }
            left = i ? std::min(left, sx) : sx;
            right = i ? std::max(right, sx) : sx;
            top = i ? std::min(top, sy) : sy;
            bottom = i ? std::max(bottom, sy) : sy;
        }
        if (everywhere)
            return m_loadable;
        if (right < m_support.left() || left >= m_support.right() || bottom < m_support.top()
            || top >= m_support.bottom())
            return QRect();
        const auto low = [](double value) { return int(std::max(std::floor(value), -1e9)); };
        const auto high = [](double value) { return int(std::min(std::floor(value), 1e9)); };
        const QRect box(QPoint(low(left) - Margin(F), low(top) - Margin(F)),
                        QPoint(high(right) + Margin(F), high(bottom) + Margin(F)));
        return box & m_loadable;
    }

    void Block(const QRect& block, KXTiles::WriteTile& tile)
    {
        const QRect needed = Needed(block);
        if (needed.isEmpty())
            return;
        if (qint64(needed.width()) * needed.height() > kWindowLimit && block.width() * block.height() > 1) {
            // Split the longer side: far smaller blocks read far smaller windows.
            if (block.width() >= block.height()) {
                const int half = block.width() / 2;
                Block(QRect(block.left(), block.top(), half, block.height()), tile);
                Block(QRect(block.left() + half, block.top(), block.width() - half, block.height()), tile);
            } else {
                const int half = block.height() / 2;
                Block(QRect(block.left(), block.top(), block.width(), half), tile);
                Block(QRect(block.left(), block.top() + half, block.width(), block.height() - half), tile);
            }
            return;
        }
        m_window.Load(m_cache, needed, F != Filter::Nearest);
        for (int y = block.top(); y <= block.bottom(); ++y) {
            for (int x = block.left(); x <= block.right(); ++x) {
                double sx = 0, sy = 0;
                if (!m_map.Map(x + 0.5, y + 0.5, sx, sy) || !Inside(sx, sy))
                    continue;
                *tile.At(x, y) = Sample<F>(m_window, sx, sy);
            }
        }
    }

    KXTiles::ReadCache m_cache;
    BackMap m_map;
    KXImage32& m_destination;
    QRectF m_support;
    QRect m_loadable;
    Window m_window;
};

template <Filter F>
bool TransformImage(const KXImage32& source, const QTransform& transform, KXImage32& destination,
                    const QRect& destinationRect)
{
    if (source.IsEmpty() || destination.IsEmpty() || !transform.isInvertible())
        return false;
    const QRect region = destinationRect.isNull() ? destination.GetRect() : destinationRect & destination.GetRect();
    if (region.isEmpty())
        return false;
    std::optional<KXImage32> sourceCopy;
    const KXImage32& from = &source == &destination ? sourceCopy.emplace(source) : source;
    Resampler<F>(from, transform.inverted(), destination).Run(region);
    return true;
}

} // namespace

bool NearestNeighbourTransformImage(const KXImage32& source, const QTransform& transform, KXImage32& destination,
                                    const QRect& destinationRect)
{
    return TransformImage<Filter::Nearest>(source, transform, destination, destinationRect);
}

bool BilinearTransformImage(const KXImage32& source, const QTransform& transform, KXImage32& destination,
                            const QRect& destinationRect)
{
    return TransformImage<Filter::Bilinear>(source, transform, destination, destinationRect);
}

bool BicubicTransformImage(const KXImage32& source, const QTransform& transform, KXImage32& destination,
                           const QRect& destinationRect)
{
    return TransformImage<Filter::Bicubic>(source, transform, destination, destinationRect);
}
