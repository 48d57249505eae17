#include "KXImageOps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
// AVX2 and AVX-512 row loops chosen at run time; never FMA, whose fused
// multiply-add rounds once instead of twice and would change the pixels (the
// library is built with -ffp-contract=off, so no multiplication and addition
// are fused even where AVX-512 offers it).
#if defined(__GNUC__) && defined(__x86_64__)
#define KX_RESAMPLE_AVX2 1
// GCC 12 warns that the AVX-512 intrinsics' own placeholder operands are not
// initialised (a known false warning of those headers).
#if !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

#include "kxcpu_p.h"
#include "kxtiles_p.h"

namespace {

using KXTiles::Size;

// The widest registers a copy of the row loops is compiled for.
enum class Lanes
{
    Sse2,
    Avx2,
    Avx512
};

enum class Filter
{
    Nearest,
    Bilinear,
    Bicubic
};

// How many pixels around the sample point the filter reads, plus one for
// rounding in the block bounds.
constexpr int Margin(Filter filter)
{
    return filter == Filter::Nearest ? 1 : filter == Filter::Bilinear ? 2 : 3;
}

// How many rows ahead a window's load fetches the source.
constexpr int kPrefetchRows = 4;

// A window loaded with more source pixels than this is split further.
constexpr qint64 kWindowLimit = 1 << 18;

// Colour premultiplied by alpha, all on the 0..255 scale: red, green, blue,
// alpha. The four lanes go through the same single-precision operations in
// the same order with or without SSE2, so both give the same bits. Not
// initialised by default (whole rows of sums are written over): a sum starts
// from Premultiplied{}.
struct alignas(16) Premultiplied
{
    float c[4];
};

#if defined(__SSE2__)
inline __m128 Load(const Premultiplied& value)
{
    return _mm_load_ps(value.c);
}
inline void Store(Premultiplied& value, __m128 lanes)
{
    _mm_store_ps(value.c, lanes);
}
#endif

inline Premultiplied Premultiply(const KXRGBA32i& pixel)
{
    const float alpha = float(pixel.a) * (1.0f / 255.0f);
#if defined(__SSE2__)
    const __m128i bytes = _mm_cvtsi32_si128(int(pixel.Value()));
    const __m128i zero = _mm_setzero_si128();
    const __m128 channels = _mm_cvtepi32_ps(_mm_unpacklo_epi16(_mm_unpacklo_epi8(bytes, zero), zero));
    Premultiplied result;
    Store(result, _mm_mul_ps(channels, _mm_set_ps(1.0f, alpha, alpha, alpha)));
    return result;
#else
    return Premultiplied { { pixel.r * alpha, pixel.g * alpha, pixel.b * alpha, float(pixel.a) } };
#endif
}

// Premultiply of four pixels at once, lane by lane the same operations.
inline void Premultiply4(const KXRGBA32i* pixels, Premultiplied* out)
{
#if defined(__SSE2__)
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels));
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = _mm_unpacklo_epi8(bytes, zero);
    const __m128i high = _mm_unpackhi_epi8(bytes, zero);
    const __m128i words[4] = { _mm_unpacklo_epi16(low, zero), _mm_unpackhi_epi16(low, zero),
                               _mm_unpacklo_epi16(high, zero), _mm_unpackhi_epi16(high, zero) };
    const __m128 colour = _mm_castsi128_ps(_mm_set_epi32(0, -1, -1, -1));
    for (int i = 0; i < 4; ++i) {
        const __m128 channels = _mm_cvtepi32_ps(words[i]);
        const __m128 alpha = _mm_mul_ps(_mm_shuffle_ps(channels, channels, 0xFF), _mm_set1_ps(1.0f / 255.0f));
        // Red, green and blue by alpha, alpha by 1.
        const __m128 factors = _mm_or_ps(_mm_and_ps(colour, alpha), _mm_andnot_ps(colour, _mm_set1_ps(1.0f)));
        Store(out[i], _mm_mul_ps(channels, factors));
    }
#else
    for (int i = 0; i < 4; ++i)
        out[i] = Premultiply(pixels[i]);
#endif
}

#if defined(KX_RESAMPLE_AVX2)
using KXCpu::HasAvx2;
using KXCpu::HasAvx512;

// Premultiply4 of two pixels at a time in eight lanes, for the first count
// pixels rounded down to even; returns how many were done.
__attribute__((target("avx2"))) int PremultiplyPairs(const KXRGBA32i* pixels, int count, Premultiplied* out)
{
    const __m256 toUnit = _mm256_set1_ps(1.0f / 255.0f);
    const __m256 one = _mm256_set1_ps(1.0f);
    int i = 0;
    for (; i + 2 <= count; i += 2) {
        const __m128i bytes = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + i));
        const __m256 channels = _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes));
        const __m256 alpha = _mm256_mul_ps(_mm256_permute_ps(channels, 0xFF), toUnit);
        // Red, green and blue by alpha, alpha by 1.
        _mm256_storeu_ps(out[i].c, _mm256_mul_ps(channels, _mm256_blend_ps(alpha, one, 0x88)));
    }
    return i;
}
#endif

// Premultiply of count pixels.
inline void PremultiplyRun(const KXRGBA32i* pixels, int count, Premultiplied* out)
{
    int i = 0;
#if defined(KX_RESAMPLE_AVX2)
    if (HasAvx2())
        i = PremultiplyPairs(pixels, count, out);
#endif
    for (; i + 4 <= count; i += 4)
        Premultiply4(pixels + i, out + i);
    for (; i < count; ++i)
        out[i] = Premultiply(pixels[i]);
}

inline quint8 ClampToByte(float value)
{
    const float rounded = value + 0.5f;
    return rounded <= 0.0f ? 0 : rounded >= 255.0f ? 255 : quint8(rounded);
}

inline KXRGBA32i Unpremultiply(const Premultiplied& sum)
{
    const quint8 alpha = ClampToByte(sum.c[3]);
    if (!alpha)
        return KXRGBA32i();
    const float scale = 255.0f / sum.c[3];
#if defined(__SSE2__)
    // ClampToByte on every lane: add 0.5, clamp to 0..255, truncate.
    __m128 lanes = _mm_mul_ps(Load(sum), _mm_set_ps(1.0f, scale, scale, scale));
    lanes = _mm_min_ps(_mm_max_ps(_mm_add_ps(lanes, _mm_set1_ps(0.5f)), _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i words = _mm_cvttps_epi32(lanes);
    const __m128i packed = _mm_packus_epi16(_mm_packs_epi32(words, words), _mm_setzero_si128());
    KXRGBA32i result = KXRGBA32i::FromValue(quint32(_mm_cvtsi128_si32(packed)));
    result.a = alpha;
    return result;
#else
    return KXRGBA32i(ClampToByte(sum.c[0] * scale), ClampToByte(sum.c[1] * scale), ClampToByte(sum.c[2] * scale),
                     alpha);
#endif
}

// Unpremultiply of four sums at once, lane by lane the same operations.
inline void Unpremultiply4(const Premultiplied* sums, KXRGBA32i* out)
{
#if defined(__SSE2__)
    __m128 red = Load(sums[0]);
    __m128 green = Load(sums[1]);
    __m128 blue = Load(sums[2]);
    __m128 alpha = Load(sums[3]);
    _MM_TRANSPOSE4_PS(red, green, blue, alpha);
    const auto toByte = [](__m128 value) {
        const __m128 rounded = _mm_add_ps(value, _mm_set1_ps(0.5f));
        return _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(rounded, _mm_setzero_ps()), _mm_set1_ps(255.0f)));
    };
    const __m128 scale = _mm_div_ps(_mm_set1_ps(255.0f), alpha);
    const __m128i alphaBytes = toByte(alpha);
    __m128i pixels = _mm_or_si128(toByte(_mm_mul_ps(red, scale)), _mm_slli_epi32(toByte(_mm_mul_ps(green, scale)), 8));
    pixels = _mm_or_si128(pixels, _mm_slli_epi32(toByte(_mm_mul_ps(blue, scale)), 16));
    pixels = _mm_or_si128(pixels, _mm_slli_epi32(alphaBytes, 24));
    // A transparent result is all zero.
    pixels = _mm_andnot_si128(_mm_cmpeq_epi32(alphaBytes, _mm_setzero_si128()), pixels);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), pixels);
#else
    for (int i = 0; i < 4; ++i)
        out[i] = Unpremultiply(sums[i]);
#endif
}

inline void Accumulate(Premultiplied& sum, const Premultiplied& tap, float weight)
{
#if defined(__SSE2__)
    Store(sum, _mm_add_ps(Load(sum), _mm_mul_ps(Load(tap), _mm_set1_ps(weight))));
#else
    for (int i = 0; i < 4; ++i)
        sum.c[i] += tap.c[i] * weight;
#endif
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

// The inverse transform, destination to source coordinates.
class BackMap
{
public:
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
        , m_affine(inverse.isAffine())
        , m_rateX(std::hypot(m11, m21))
        , m_rateY(std::hypot(m12, m22))
    {
    }

    // False when the point lies behind the projection's horizon.
    bool Map(double x, double y, double& sx, double& sy, double& w) const
    {
        MapAffine(x, y, sx, sy);
        w = 1.0;
        if (m_affine)
            return true;
        w = m13 * x + m23 * y + m33;
        if (!(w > 0.0))
            return false;
        sx /= w;
        sy /= w;
        return true;
    }

    // Map of the points (left + i + 0.5, y) for i below count; affine maps only.
    void MapRow(int left, int count, double y, double* sx, double* sy) const
    {
        for (int i = 0; i < count; ++i)
            MapAffine(left + i + 0.5, y, sx[i], sy[i]);
    }

    // How many source pixels one destination pixel spans along each source
    // axis at a mapped point (the lengths of the gradients of sx and sy).
    void Rates(double sx, double sy, double w, double& rateX, double& rateY) const
    {
        if (m_affine) {
            rateX = m_rateX;
            rateY = m_rateY;
            return;
        }
        rateX = std::hypot(m11 - sx * m13, m21 - sx * m23) / w;
        rateY = std::hypot(m12 - sy * m13, m22 - sy * m23) / w;
    }

    bool IsAffine() const { return m_affine; }

private:
    void MapAffine(double x, double y, double& sx, double& sy) const
    {
        sx = m11 * x + m21 * y + m31;
        sy = m12 * x + m22 * y + m32;
    }

    double m11, m12, m13, m21, m22, m23, m31, m32, m33;
    bool m_affine;
    double m_rateX;
    double m_rateY;
};

// The share, along one source axis, of a destination pixel that the source's
// extent [0, size) covers, from the distances of the pixel's centre (at s) to
// the two edges measured in destination pixels.
inline float AxisCoverage(double s, double size, double rate)
{
    if (!(rate > 1e-12))
        return s >= 0.0 && s < size ? 1.0f : 0.0f;
    const double before = std::min(s / rate + 0.5, 1.0);
    const double after = std::min((size - s) / rate + 0.5, 1.0);
    return float(std::clamp(before + after - 1.0, 0.0, 1.0));
}

// Whether the source covers the destination pixel whose centre maps to
// (sx, sy) whole: centres half a destination pixel inside every edge are
// covered whole; the least distance to those limits is not negative (a >= b
// exactly when a - b >= 0).
inline bool CoveredWhole(double sx, double sy, double rateX, double rateY, double width, double height)
{
    const double alongX = std::min(sx - 0.5 * rateX, (width - 0.5 * rateX) - sx);
    const double alongY = std::min(sy - 0.5 * rateY, (height - 0.5 * rateY) - sy);
    return std::min(alongX, alongY) >= 0.0;
}

// Source pixels around a block of destination pixels, inside the source.
// Access is clamped to the window, which the caller sizes to hold every tap.
class Window
{
public:
    // The raw pixels are read only when first asked for: the filtering
    // resamplers mostly read the premultiplied ones, premultiplied straight
    // from the source tiles.
    void Load(KXTiles::ReadCache& cache, const QRect& area, bool premultiply)
    {
        m_cache = &cache;
        m_area = area;
        m_rawLoaded = false;
        if (!premultiply) {
            LoadRaw();
            return;
        }
        const int width = area.width();
        m_premultiplied.resize(size_t(width) * size_t(area.height()));
        for (int y = area.top(); y <= area.bottom(); ++y) {
            Premultiplied* line = m_premultiplied.data() + size_t(y - area.top()) * size_t(width);
            for (int x = area.left(); x <= area.right();) {
                const int column = x / Size;
                const int run = std::min(area.right() + 1, (column + 1) * Size) - x;
                if (const KXRGBA32i* tile = cache.Tile(column, y / Size)) {
                    const KXRGBA32i* from = tile + (y % Size) * Size + x % Size;
                    // The source is usually far from the cache: fetch the
                    // same run a few rows down ahead of its turn.
                    if (y % Size + kPrefetchRows < Size) {
                        const char* ahead = reinterpret_cast<const char*>(from + kPrefetchRows * Size);
                        for (int byte = 0; byte < run * 4; byte += 64)
                            __builtin_prefetch(ahead + byte);
                    }
                    PremultiplyRun(from, run, line + (x - area.left()));
                }
                else
                    std::fill(line + (x - area.left()), line + (x - area.left() + run), Premultiplied {});
                x += run;
            }
        }
    }
    const KXRGBA32i& Raw(int x, int y) const { return RawPixels()[Index(x, y)]; }
    // All raw pixels, rows Stride() apart; see Index().
    const KXRGBA32i* RawPixels() const
    {
        if (!m_rawLoaded)
            LoadRaw();
        return m_raw.data();
    }
    // Where (x, y), clamped to the window, lies among its pixels.
    size_t Index(int x, int y) const
    {
        const int column = std::clamp(x - m_area.left(), 0, m_area.width() - 1);
        const int row = std::clamp(y - m_area.top(), 0, m_area.height() - 1);
        return size_t(row) * size_t(m_area.width()) + size_t(column);
    }
    const Premultiplied* Row(int x, int y) const { return m_premultiplied.data() + Index(x, y); }
    // The first of taps x taps pixels from (x, y) when they all lie in the
    // window (rows Stride() apart), else null.
    const Premultiplied* Square(int x, int y, int taps) const
    {
        if (x < m_area.left() || x + taps - 1 > m_area.right() || y < m_area.top() || y + taps - 1 > m_area.bottom())
            return nullptr;
        return m_premultiplied.data() + size_t(y - m_area.top()) * size_t(m_area.width()) + size_t(x - m_area.left());
    }
    size_t Stride() const { return size_t(m_area.width()); }
    const QRect& Area() const { return m_area; }
    // Whether the taps from x to x + taps - 1 of row y all lie in the window.
    bool HoldsRun(int x, int y, int taps) const
    {
        return x >= m_area.left() && x + taps - 1 <= m_area.right() && y >= m_area.top() && y <= m_area.bottom();
    }

private:
    void LoadRaw() const
    {
        m_raw.resize(size_t(m_area.width()) * size_t(m_area.height()));
        for (int y = m_area.top(); y <= m_area.bottom(); ++y)
            KXTiles::ReadPixels(*m_cache, m_cache->Image().GetRect(), m_area.left(), y, m_area.width(),
                                m_raw.data() + size_t(y - m_area.top()) * size_t(m_area.width()));
        m_rawLoaded = true;
    }

    KXTiles::ReadCache* m_cache = nullptr;
    QRect m_area;
    mutable bool m_rawLoaded = false;
    mutable std::vector<KXRGBA32i> m_raw;
    std::vector<Premultiplied> m_premultiplied;
};

template <Filter F>
constexpr int Taps = F == Filter::Bilinear ? 2 : 4;
// The offset of the first tap from the pixel left of or above the point.
template <Filter F>
constexpr int FirstTap = F == Filter::Bilinear ? 0 : -1;

// The weights of the taps along one axis for a point fraction t past the first.
template <Filter F>
inline void Weights(float t, float weights[4])
{
    if constexpr (F == Filter::Bilinear) {
        weights[0] = 1.0f - t;
        weights[1] = t;
    } else {
        CubicWeights(t, weights);
    }
}

// The sum of the taps x taps pixels from square (rows stride apart), row by
// row: each row across by the weights wx, then the rows down by wy (the
// weights of tap k at wx[k * weightStride] and wy[k * weightStride]).
template <Filter F>
inline Premultiplied SquareSum(const Premultiplied* square, size_t stride, const float* wx, const float* wy,
                               size_t weightStride = 1)
{
    Premultiplied sum{};
    for (int j = 0; j < Taps<F>; ++j) {
        const Premultiplied* row = square + size_t(j) * stride;
        Premultiplied line{};
        for (int i = 0; i < Taps<F>; ++i)
            Accumulate(line, row[i], wx[size_t(i) * weightStride]);
        Accumulate(sum, line, wy[size_t(j) * weightStride]);
    }
    return sum;
}

#if defined(KX_RESAMPLE_AVX2)

// SquareSum of the pixels i below count with summed[i], or of all of them
// (the first tap of pixel i at floats + offset[i], four floats a pixel, the
// weights of its tap k across and down in wx[k][i] and wy[k][i]), one pixel
// at a time: the taps of a row side by side in eight lanes, two rows
// beside each other for the additions across, every lane going through the
// same multiplications and additions in the same order as in SquareSum. (A
// sum that starts from the first product instead of zero plus it can differ
// from SquareSum only in the sign of a zero, which no result shows.)
template <int Taps, bool All>
__attribute__((target("avx2"))) void SquareSumsAvx2(const float* floats, size_t stride, const int* offset,
                                                    const int* summed, const float (*wx)[Size],
                                                    const float (*wy)[Size], int count, Premultiplied* sums)
{
    // The weights of taps k and k + 1 of pixel i, each over four lanes.
#define KX_PAIR(weights, k)                                                                                           \
    _mm256_blend_ps(_mm256_broadcast_ss(&weights[k][i]), _mm256_broadcast_ss(&weights[k + 1][i]), 0xF0)
    const size_t rowStep = 4 * stride;
    for (int i = 0; i < count; ++i) {
        if (!All && !summed[i])
            continue;
        const float* first = floats + offset[i];
        const __m256 across01 = KX_PAIR(wx, 0);
        const __m256 down01 = KX_PAIR(wy, 0);
        __m128 sum;
        if constexpr (Taps == 2) {
            const __m256 top = _mm256_mul_ps(_mm256_loadu_ps(first), across01);
            const __m256 bottom = _mm256_mul_ps(_mm256_loadu_ps(first + rowStep), across01);
            const __m256 lines = _mm256_add_ps(_mm256_permute2f128_ps(top, bottom, 0x20),
                                               _mm256_permute2f128_ps(top, bottom, 0x31));
            const __m256 rows = _mm256_mul_ps(lines, down01);
            sum = _mm_add_ps(_mm256_castps256_ps128(rows), _mm256_extractf128_ps(rows, 1));
        } else {
            const __m256 across23 = KX_PAIR(wx, 2);
            const __m256 down23 = KX_PAIR(wy, 2);
            __m256 lines[2];
            for (int half = 0; half < 2; ++half) {
                const float* upper = first + size_t(2 * half) * rowStep;
                const float* lower = upper + rowStep;
                const __m256 upperLeft = _mm256_mul_ps(_mm256_loadu_ps(upper), across01);
                const __m256 upperRight = _mm256_mul_ps(_mm256_loadu_ps(upper + 8), across23);
                const __m256 lowerLeft = _mm256_mul_ps(_mm256_loadu_ps(lower), across01);
                const __m256 lowerRight = _mm256_mul_ps(_mm256_loadu_ps(lower + 8), across23);
                __m256 line = _mm256_add_ps(_mm256_permute2f128_ps(upperLeft, lowerLeft, 0x20),
                                            _mm256_permute2f128_ps(upperLeft, lowerLeft, 0x31));
                line = _mm256_add_ps(line, _mm256_permute2f128_ps(upperRight, lowerRight, 0x20));
                lines[half] = _mm256_add_ps(line, _mm256_permute2f128_ps(upperRight, lowerRight, 0x31));
            }
            const __m256 rows01 = _mm256_mul_ps(lines[0], down01);
            const __m256 rows23 = _mm256_mul_ps(lines[1], down23);
            sum = _mm_add_ps(_mm256_castps256_ps128(rows01), _mm256_extractf128_ps(rows01, 1));
            sum = _mm_add_ps(sum, _mm256_castps256_ps128(rows23));
            sum = _mm_add_ps(sum, _mm256_extractf128_ps(rows23, 1));
        }
        _mm_store_ps(sums[i].c, sum);
    }
#undef KX_PAIR
}

// Unpremultiply4 of eight sums at once, lane by lane the same operations.
__attribute__((target("avx2"))) void Unpremultiply8(const Premultiplied* sums, KXRGBA32i* out)
{
    __m256 rows[4];
    for (int i = 0; i < 4; ++i)
        rows[i] = _mm256_insertf128_ps(_mm256_castps128_ps256(_mm_load_ps(sums[i].c)), _mm_load_ps(sums[i + 4].c), 1);
    // The transposition of _MM_TRANSPOSE4_PS in each half.
    const __m256 t0 = _mm256_unpacklo_ps(rows[0], rows[1]);
    const __m256 t1 = _mm256_unpackhi_ps(rows[0], rows[1]);
    const __m256 t2 = _mm256_unpacklo_ps(rows[2], rows[3]);
    const __m256 t3 = _mm256_unpackhi_ps(rows[2], rows[3]);
    const __m256 red = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 green = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 blue = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m256 alpha = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    const __m256 half = _mm256_set1_ps(0.5f);
    const __m256 top = _mm256_set1_ps(255.0f);
    const __m256 zero = _mm256_setzero_ps();
#define KX_TO_BYTE(value) _mm256_cvttps_epi32(_mm256_min_ps(_mm256_max_ps(_mm256_add_ps(value, half), zero), top))
    const __m256 scale = _mm256_div_ps(top, alpha);
    const __m256i alphaBytes = KX_TO_BYTE(alpha);
    __m256i pixels = _mm256_or_si256(KX_TO_BYTE(_mm256_mul_ps(red, scale)),
                                     _mm256_slli_epi32(KX_TO_BYTE(_mm256_mul_ps(green, scale)), 8));
    pixels = _mm256_or_si256(pixels, _mm256_slli_epi32(KX_TO_BYTE(_mm256_mul_ps(blue, scale)), 16));
#undef KX_TO_BYTE
    pixels = _mm256_or_si256(pixels, _mm256_slli_epi32(alphaBytes, 24));
    // A transparent result is all zero.
    pixels = _mm256_andnot_si256(_mm256_cmpeq_epi32(alphaBytes, _mm256_setzero_si256()), pixels);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), pixels);
}

#define KX_AVX512 "avx2,avx512f,avx512vl,avx512dq,avx512bw"

// Unpremultiply4 of sixteen sums at once, lane by lane the same operations.
__attribute__((target(KX_AVX512))) void Unpremultiply16(const Premultiplied* sums, KXRGBA32i* out)
{
    // Sums 4r to 4r + 3 in rows[r]; after the transposition in each quarter,
    // lane 4c + k of the channels holds sum 4k + c.
    __m512 rows[4];
    for (int r = 0; r < 4; ++r)
        rows[r] = _mm512_loadu_ps(sums[4 * r].c);
    const __m512 t0 = _mm512_unpacklo_ps(rows[0], rows[1]);
    const __m512 t1 = _mm512_unpackhi_ps(rows[0], rows[1]);
    const __m512 t2 = _mm512_unpacklo_ps(rows[2], rows[3]);
    const __m512 t3 = _mm512_unpackhi_ps(rows[2], rows[3]);
    const __m512 red = _mm512_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const __m512 green = _mm512_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const __m512 blue = _mm512_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const __m512 alpha = _mm512_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    const __m512 half = _mm512_set1_ps(0.5f);
    const __m512 top = _mm512_set1_ps(255.0f);
    const __m512 zero = _mm512_setzero_ps();
#define KX_TO_BYTE(value) _mm512_cvttps_epi32(_mm512_min_ps(_mm512_max_ps(_mm512_add_ps(value, half), zero), top))
    const __m512 scale = _mm512_div_ps(top, alpha);
    const __m512i alphaBytes = KX_TO_BYTE(alpha);
    __m512i pixels = _mm512_or_si512(KX_TO_BYTE(_mm512_mul_ps(red, scale)),
                                     _mm512_slli_epi32(KX_TO_BYTE(_mm512_mul_ps(green, scale)), 8));
    pixels = _mm512_or_si512(pixels, _mm512_slli_epi32(KX_TO_BYTE(_mm512_mul_ps(blue, scale)), 16));
#undef KX_TO_BYTE
    pixels = _mm512_or_si512(pixels, _mm512_slli_epi32(alphaBytes, 24));
    // A transparent result is all zero.
    pixels = _mm512_maskz_mov_epi32(_mm512_test_epi32_mask(alphaBytes, alphaBytes), pixels);
    const __m512i order = _mm512_setr_epi32(0, 4, 8, 12, 1, 5, 9, 13, 2, 6, 10, 14, 3, 7, 11, 15);
    _mm512_storeu_si512(out, _mm512_permutexvar_epi32(order, pixels));
}
#endif

// Whether the count flags from flags on are all set.
inline bool AllSet(const int* flags, int count)
{
    int all = 1;
    for (int i = 0; i < count; ++i)
        all &= flags[i];
    return all != 0;
}

// The filter's taps around (x0 + fx, y0 + fy), in the window's pixel
// coordinates (pixel centres at whole numbers); taps beyond the source edge
// repeat the edge pixel.
template <Filter F>
Premultiplied Filtered(const Window& window, const QSize& size, int x0, int y0, float fx, float fy)
{
    constexpr int taps = Taps<F>;
    constexpr int first = FirstTap<F>;
    float wx[4];
    float wy[4];
    Weights<F>(fx, wx);
    Weights<F>(fy, wy);
    // Inside the window (which lies inside the source): no edge to repeat, no clamping.
    if (const Premultiplied* square = window.Square(x0 + first, y0 + first, taps))
        return SquareSum<F>(square, window.Stride(), wx, wy);
    Premultiplied sum{};
    int columns[taps];
    for (int i = 0; i < taps; ++i)
        columns[i] = std::clamp(x0 + first + i, 0, size.width() - 1);
    const bool contiguous = columns[taps - 1] - columns[0] == taps - 1;
    for (int j = 0; j < taps; ++j) {
        const int y = std::clamp(y0 + first + j, 0, size.height() - 1);
        Premultiplied line{};
        if (contiguous && window.HoldsRun(columns[0], y, taps)) {
            const Premultiplied* row = window.Row(columns[0], y);
            for (int i = 0; i < taps; ++i)
                Accumulate(line, row[i], wx[i]);
        } else {
            for (int i = 0; i < taps; ++i)
                Accumulate(line, *window.Row(columns[i], y), wx[i]);
        }
        Accumulate(sum, line, wy[j]);
    }
    return sum;
}

// Where a source point (sx, sy) falls among the pixel centres: pixel i has
// its centre at i + 0.5, and points beyond the outermost centres take the
// edge pixels.
struct Point
{
    int x0;
    int y0;
    float fx;
    float fy;
};
// A coordinate s along an axis of the given extent, clamped to the outermost
// centres, from the first centre: never negative, so truncation is the floor.
// (std::clamp written as min and max, the same for numbers, to vectorise.)
inline double FromFirstCentre(double s, double extent)
{
    return std::min(std::max(s, 0.5), extent - 0.5) - 0.5;
}
inline Point Locate(const QSize& size, double sx, double sy)
{
    const double u = FromFirstCentre(sx, size.width());
    const double v = FromFirstCentre(sy, size.height());
    const int x0 = int(u);
    const int y0 = int(v);
    return Point { x0, y0, float(u - x0), float(v - y0) };
}

// Writes the filtered source at (sx, sy) over a destination pixel that the
// source covers by the share coverage: where it covers the pixel partly (along
// the source's edges) the rest shows the pixel's old value.
template <Filter F>
void Resample(const Window& window, const QSize& size, double sx, double sy, float coverage, KXRGBA32i& pixel)
{
    const Point at = Locate(size, sx, sy);
    if (at.fx == 0.0f && at.fy == 0.0f && coverage >= 1.0f) {
        pixel = window.Raw(at.x0, at.y0);
        return;
    }
    Premultiplied sum = Filtered<F>(window, size, at.x0, at.y0, at.fx, at.fy);
    if (coverage < 1.0f) {
        Premultiplied mixed{};
        Accumulate(mixed, sum, coverage);
        Accumulate(mixed, Premultiply(pixel), 1.0f - coverage);
        sum = mixed;
    }
    pixel = Unpremultiply(sum);
}

template <Filter F>
class Resampler
{
public:
    Resampler(const KXImage32& source, const QTransform& inverse, KXImage32& destination)
        : m_cache(source)
        , m_map(inverse)
        , m_destination(destination)
        , m_size(source.GetSize())
    {
    }

    void Run(const QRect& region)
    {
        KXTiles::ForEachTile(region, [&](int column, int row, const QRect& part) {
            const QRect needed = Needed(part);
            if (needed.isEmpty())
                return;
            // A whole tile read through one window has every pixel written,
            // from its old value where the filter leaves it: a shared tile is
            // then replaced by a new one instead of being copied first.
            const bool whole = part == KXTiles::TileRect(column, row) && !Splits(part, needed);
            KXTiles::WriteTile tile(m_destination, column, row,
                                    whole ? KXTiles::WriteTile::Rewrite : KXTiles::WriteTile::Modify);
            Block(part, needed, tile);
        });
    }

private:
    // The source pixels the block's samples read, or an empty rectangle when
    // no pixel of the block is reached by the source.
    QRect Needed(const QRect& block) const
    {
        const QRect sourceRect(QPoint(0, 0), m_size);
        double left = 0, right = 0, top = 0, bottom = 0, rate = 0;
        const QPointF corners[4] = { QPointF(block.left(), block.top()), QPointF(block.right(), block.top()),
                                     QPointF(block.left(), block.bottom()), QPointF(block.right(), block.bottom()) };
        for (int i = 0; i < 4; ++i) {
            double sx = 0, sy = 0, w = 1;
            if (!m_map.Map(corners[i].x() + 0.5, corners[i].y() + 0.5, sx, sy, w)) {
                // Beyond a projection's horizon: a single pixel there maps
                // nowhere; a larger block may still reach any part of the source.
                if (block.width() * block.height() == 1)
                    return QRect();
                return sourceRect;
            }
            double rateX = 0, rateY = 0;
            m_map.Rates(sx, sy, w, rateX, rateY);
            left = i ? std::min(left, sx) : sx;
            right = i ? std::max(right, sx) : sx;
            top = i ? std::min(top, sy) : sy;
            bottom = i ? std::max(bottom, sy) : sy;
            rate = std::max({ rate, rateX, rateY });
        }
        // The filtering resamplers reach half a destination pixel beyond the
        // source's edge (with a safety factor where the rate varies).
        const double reach = F == Filter::Nearest ? 0.0 : (m_map.IsAffine() ? 0.5 : 1.0) * rate + 1e-9;
        if (right < -reach || left >= m_size.width() + reach || bottom < -reach || top >= m_size.height() + reach)
            return QRect();
        const auto column = [&](double value) {
            return int(std::floor(std::clamp(value, 0.5, m_size.width() - 0.5)));
        };
        const auto row = [&](double value) {
            return int(std::floor(std::clamp(value, 0.5, m_size.height() - 0.5)));
        };
        const QRect box(QPoint(column(left) - Margin(F), row(top) - Margin(F)),
                        QPoint(column(right) + Margin(F), row(bottom) + Margin(F)));
        return box & sourceRect;
    }

    // Whether the block, whose samples read the source pixels needed, is
    // split into smaller blocks.
    static bool Splits(const QRect& block, const QRect& needed)
    {
        return qint64(needed.width()) * needed.height() > kWindowLimit && block.width() * block.height() > 1;
    }

    void Block(const QRect& block, const QRect& needed, KXTiles::WriteTile& tile)
    {
        if (Splits(block, needed)) {
            // Split the longer side: far smaller blocks read far smaller windows.
            const bool across = block.width() >= block.height();
            const int half = across ? block.width() / 2 : block.height() / 2;
            const QRect first = across ? QRect(block.left(), block.top(), half, block.height())
                                       : QRect(block.left(), block.top(), block.width(), half);
            const QRect second = across
                ? QRect(block.left() + half, block.top(), block.width() - half, block.height())
                : QRect(block.left(), block.top() + half, block.width(), block.height() - half);
            for (const QRect& part : { first, second }) {
                const QRect partNeeded = Needed(part);
                if (!partNeeded.isEmpty())
                    Block(part, partNeeded, tile);
            }
            return;
        }
        m_window.Load(m_cache, needed, F != Filter::Nearest);
        for (int y = block.top(); y <= block.bottom(); ++y) {
            KXRGBA32i* row = tile.At(block.left(), y);
            const KXRGBA32i* before = tile.BeforeAt(block.left(), y);
            if constexpr (F == Filter::Nearest) {
                KeepOld(row, before, block.width());
                NearestRow(block.left(), block.width(), y, row);
            } else {
                FilterRow(block.left(), block.width(), y, row, before);
            }
        }
    }

    // Copies the old values of a row about to be partly written (when the
    // tile was replaced by a new one).
    static void KeepOld(KXRGBA32i* row, const KXRGBA32i* before, int count)
    {
        if (before != row)
            std::memcpy(row, before, size_t(count) * sizeof(KXRGBA32i));
    }

    void NearestRow(int left, int count, int y, KXRGBA32i* out) const
    {
        const KXRGBA32i* raw = m_window.RawPixels();
        for (int i = 0; i < count; ++i) {
            double sx = 0, sy = 0, w = 1;
            if (m_map.Map(left + i + 0.5, y + 0.5, sx, sy, w) && sx >= 0.0 && sx < m_size.width() && sy >= 0.0
                && sy < m_size.height())
                out[i] = raw[m_window.Index(int(sx), int(sy))];
        }
    }

    // Pixels the source covers whole, with every tap inside the window, are
    // filtered here pass by pass over the row (their sample points, their
    // weights, their sums, then unpremultiplied up to sixteen at a time); the
    // rest go through Resample one by one.
    void FilterRow(int left, int count, int y, KXRGBA32i* out, const KXRGBA32i* before)
    {
#if defined(KX_RESAMPLE_AVX2)
        if (HasAvx512()) {
            FilterRowAvx512(left, count, y, out, before);
            return;
        }
        if (HasAvx2()) {
            FilterRowAvx2(left, count, y, out, before);
            return;
        }
#endif
        if (m_map.IsAffine())
            FilterRowBody<Lanes::Sse2, true>(left, count, y, out, before);
        else
            FilterRowBody<Lanes::Sse2, false>(left, count, y, out, before);
    }

#if defined(KX_RESAMPLE_AVX2)
    // The same passes compiled for AVX2 and for AVX-512, whose wider lanes the
    // compiler's vectorised loops use (the same operations lane by lane, no
    // FMA); the tap sums stay the AVX2 ones.
    __attribute__((target("avx2"))) void FilterRowAvx2(int left, int count, int y, KXRGBA32i* out,
                                                       const KXRGBA32i* before)
    {
        if (m_map.IsAffine())
            FilterRowBody<Lanes::Avx2, true>(left, count, y, out, before);
        else
            FilterRowBody<Lanes::Avx2, false>(left, count, y, out, before);
    }
    __attribute__((target(KX_AVX512))) void FilterRowAvx512(int left, int count, int y, KXRGBA32i* out,
                                                            const KXRGBA32i* before)
    {
        if (m_map.IsAffine())
            FilterRowBody<Lanes::Avx512, true>(left, count, y, out, before);
        else
            FilterRowBody<Lanes::Avx512, false>(left, count, y, out, before);
    }
#endif

    // Wide: the registers at hand (called from FilterRowAvx2 or
    // FilterRowAvx512 for the wider ones). Affine: the map is affine, so every
    // pixel is mapped and the rates are the same for all. The row's old values
    // are at before (see KeepOld).
    template <Lanes Wide, bool Affine>
    __attribute__((always_inline)) inline void FilterRowBody(int left, int count, int y, KXRGBA32i* out,
                                                             const KXRGBA32i* before)
    {
        const double width = m_size.width();
        const double height = m_size.height();
        alignas(32) double sx[Size], sy[Size];
        // Per pixel for projective maps only.
        constexpr int perPixel = Affine ? 1 : Size;
        double rateX[perPixel], rateY[perPixel];
        int mapped[perPixel];
        if constexpr (Affine) {
            m_map.MapRow(left, count, y + 0.5, sx, sy);
            m_map.Rates(0, 0, 1, rateX[0], rateY[0]);
            mapped[0] = true;
        } else {
            for (int i = 0; i < count; ++i) {
                double w = 1;
                mapped[i] = m_map.Map(left + i + 0.5, y + 0.5, sx[i], sy[i], w);
                m_map.Rates(sx[i], sy[i], w, rateX[i], rateY[i]);
            }
        }
        const auto at = [](int i) { return Affine ? 0 : i; };
        // Locate each point, its weights (tap by tap) and whether it is summed
        // here, in one loop over the row that the compiler vectorises.
        const QRect& area = m_window.Area();
        const int lastColumn = area.width() - Taps<F>;
        const int lastRow = area.height() - Taps<F>;
        const int stride = area.width();
        alignas(32) int offset[Size], summed[Size];
        alignas(32) float across[Taps<F>][Size];
        alignas(32) float down[Taps<F>][Size];
        int summedCount = 0;
        for (int i = 0; i < count; ++i) {
            const double u = FromFirstCentre(sx[i], width);
            const double v = FromFirstCentre(sy[i], height);
            const int x0 = int(u);
            const int y0 = int(v);
            const float fx = float(u - x0);
            const float fy = float(v - y0);
            float weights[2][4];
            Weights<F>(fx, weights[0]);
            Weights<F>(fy, weights[1]);
            for (int k = 0; k < Taps<F>; ++k) {
                across[k][i] = weights[0][k];
                down[k][i] = weights[1][k];
            }
            const int inside = CoveredWhole(sx[i], sy[i], rateX[at(i)], rateY[at(i)], width, height)
                ? mapped[at(i)]
                : 0;
            const int column = x0 + FirstTap<F> - area.left();
            const int row = y0 + FirstTap<F> - area.top();
            const int sum = inside & (column >= 0) & (column <= lastColumn) & (row >= 0) & (row <= lastRow)
                & ((fx != 0.0f) | (fy != 0.0f));
            summed[i] = sum;
            // In floats, four a pixel, so that the address is one step.
            offset[i] = sum ? (row * stride + column) * 4 : 0;
            summedCount += sum;
        }
        if (summedCount < count) {
            KeepOld(out, before, count);
            for (int i = 0; i < count; ++i) {
                if (summed[i] || !mapped[at(i)])
                    continue;
                const float coverage
                    = CoveredWhole(sx[i], sy[i], rateX[at(i)], rateY[at(i)], width, height)
                    ? 1.0f
                    : AxisCoverage(sx[i], width, rateX[at(i)]) * AxisCoverage(sy[i], height, rateY[at(i)]);
                if (coverage > 0.0f)
                    Resample<F>(m_window, m_size, sx[i], sy[i], coverage, out[i]);
            }
        }
        if (!summedCount)
            return;
        Premultiplied sums[Size];
        const float* floats = m_window.Row(area.left(), area.top())->c;
#if defined(KX_RESAMPLE_AVX2)
        if constexpr (Wide != Lanes::Sse2)
            // Every pixel summed (as inside the source): no test per pixel.
            summedCount == count
                ? SquareSumsAvx2<Taps<F>, true>(floats, size_t(stride), offset, summed, across, down, count, sums)
                : SquareSumsAvx2<Taps<F>, false>(floats, size_t(stride), offset, summed, across, down, count, sums);
        else
#endif
            for (int i = 0; i < count; ++i) {
                if (summed[i])
                    sums[i] = SquareSum<F>(reinterpret_cast<const Premultiplied*>(floats + offset[i]), size_t(stride),
                                           &across[0][i], &down[0][i], Size);
            }
        for (int i = 0; i < count; i += 4) {
#if defined(KX_RESAMPLE_AVX2)
            if (Wide == Lanes::Avx512 && i + 16 <= count && AllSet(summed + i, 16)) {
                Unpremultiply16(sums + i, out + i);
                i += 12;
                continue;
            }
            if (Wide != Lanes::Sse2 && i + 8 <= count && AllSet(summed + i, 8)) {
                Unpremultiply8(sums + i, out + i);
                i += 4;
                continue;
            }
#endif
            if (i + 4 <= count && AllSet(summed + i, 4)) {
                Unpremultiply4(sums + i, out + i);
                continue;
            }
            for (int k = i; k < std::min(i + 4, count); ++k) {
                if (summed[k])
                    out[k] = Unpremultiply(sums[k]);
            }
        }
    }

    KXTiles::ReadCache m_cache;
    BackMap m_map;
    KXImage32& m_destination;
    QSize m_size;
    Window m_window;
};

bool IsFinite(const QTransform& t)
{
    const double values[] = { t.m11(), t.m12(), t.m13(), t.m21(), t.m22(), t.m23(), t.m31(), t.m32(), t.m33() };
    return std::all_of(std::begin(values), std::end(values), [](double value) { return std::isfinite(value); });
}

template <Filter F>
bool TransformImage(const KXImage32& source, const QTransform& transform, KXImage32& destination,
                    const QRect& destinationRect)
{
    if (source.IsEmpty() || destination.IsEmpty() || !IsFinite(transform) || !transform.isInvertible())
        return false;
    const QTransform inverse = transform.inverted();
    if (!IsFinite(inverse))
        return false;
    const QRect region = destinationRect.isNull() ? destination.GetRect() : destinationRect & destination.GetRect();
    if (region.isEmpty())
        return false;
    std::optional<KXImage32> sourceCopy;
    const KXImage32& from = &source == &destination ? sourceCopy.emplace(source) : source;
    Resampler<F>(from, inverse, destination).Run(region);
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
