#include "kxblendmodes_p.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "KXImageOps.h"
#include "kxcpu_p.h"

#if defined(KX_PIXELS_X86)
#include <immintrin.h>
#endif

namespace KXBlend {

namespace {

constexpr float kToUnit = 1.0f / 255.0f;

inline quint8 ToByte(float unit)
{
    const float scaled = unit * 255.0f + 0.5f;
    return scaled <= 0.0f ? 0 : scaled >= 255.0f ? 255 : quint8(scaled);
}

inline float StrengthAt(float opacity, const quint8* coverage, int i)
{
    if (!coverage || coverage[i] == 255)
        return opacity;
    return opacity * float(coverage[i]) * kToUnit;
}

// Separable blend functions B(backdrop, source) on channels in 0..1.
inline float Normal(float, float s)
{
    return s;
}
inline float Multiply(float b, float s)
{
    return b * s;
}
inline float Screen(float b, float s)
{
    return b + s - b * s;
}
inline float HardLight(float b, float s)
{
    return s <= 0.5f ? Multiply(b, 2.0f * s) : Screen(b, 2.0f * s - 1.0f);
}
inline float Overlay(float b, float s)
{
    return HardLight(s, b);
}
inline float Darken(float b, float s)
{
    return std::min(b, s);
}
inline float Lighten(float b, float s)
{
    return std::max(b, s);
}
inline float ColorDodge(float b, float s)
{
    if (b <= 0.0f)
        return 0.0f;
    if (s >= 1.0f)
        return 1.0f;
    return std::min(1.0f, b / (1.0f - s));
}
inline float ColorBurn(float b, float s)
{
    if (b >= 1.0f)
        return 1.0f;
    if (s <= 0.0f)
        return 0.0f;
    return 1.0f - std::min(1.0f, (1.0f - b) / s);
}
inline float SoftLight(float b, float s)
{
    if (s <= 0.5f)
        return b - (1.0f - 2.0f * s) * b * (1.0f - b);
    const float d = b <= 0.25f ? ((16.0f * b - 12.0f) * b + 4.0f) * b : std::sqrt(b);
    return b + (2.0f * s - 1.0f) * (d - b);
}
inline float Difference(float b, float s)
{
    return std::fabs(b - s);
}
inline float Exclusion(float b, float s)
{
    return b + s - 2.0f * b * s;
}
inline float LinearDodge(float b, float s)
{
    return std::min(1.0f, b + s);
}
inline float LinearBurn(float b, float s)
{
    return std::max(0.0f, b + s - 1.0f);
}

// The weight, 0 to 255, of a source alpha at the strength in normal blending
// over an opaque pixel.
inline quint32 OverOpaqueWeight(float alpha, float strength)
{
    return quint32(alpha * kToUnit * strength * 255.0f + 0.5f);
}

// Normal blending of one pixel over an opaque one at the source's weight a:
// (s * a + d * (255 - a)) / 255 rounded, per colour channel; opaque result.
inline quint32 MixOverOpaque(quint32 s, quint32 d, quint32 a)
{
    quint32 result = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8)
        result |= (((s >> shift) & 0xFFu) * a + ((d >> shift) & 0xFFu) * (255u - a) + 127u) / 255u << shift;
    return result;
}

// Source over destination with the colour of the overlap given by Mix:
// alpha = as + ad - as*ad, colour = (as(1-ad)cs + as*ad*B(cd, cs) + (1-as)ad*cd) / alpha.
template <float (*Mix)(float, float)>
void SeparableRow(const KXRGBA32i* source, KXRGBA32i* destination, int count, float opacity, const quint8* coverage)
{
    for (int i = 0; i < count; ++i) {
        const KXRGBA32i s = source[i];
        if (s.a == 0)
            continue;
        const float strength = StrengthAt(opacity, coverage, i);
        if (strength <= 0.0f)
            continue;
        KXRGBA32i& d = destination[i];
        if (Mix == Normal && s.a == 255 && strength >= 1.0f) {
            d = s;
            continue;
        }
        const float as = float(s.a) * kToUnit * strength;
        if (Mix == Normal && d.a == 255) {
            // Over an opaque pixel normal blending is a plain mix, in integers.
            d = KXRGBA32i::FromValue(MixOverOpaque(s.Value(), d.Value(), OverOpaqueWeight(float(s.a), strength)));
            continue;
        }
        if (d.a == 0) {
            const quint8 alpha = ToByte(as);
            d = alpha ? KXRGBA32i(s.r, s.g, s.b, alpha) : KXRGBA32i();
            continue;
        }
        const float ad = float(d.a) * kToUnit;
        const float ar = as + ad - as * ad;
        const quint8 alpha = ToByte(ar);
        if (!alpha) {
            d = KXRGBA32i();
            continue;
        }
        const float ws = as * (1.0f - ad) / ar;
        const float wb = as * ad / ar;
        const float wd = (1.0f - as) * ad / ar;
        const auto channel = [&](quint8 sourceChannel, quint8 destinationChannel) {
            const float cs = float(sourceChannel) * kToUnit;
            const float cd = float(destinationChannel) * kToUnit;
            return ToByte(ws * cs + wb * Mix(cd, cs) + wd * cd);
        };
        d = KXRGBA32i(channel(s.r, d.r), channel(s.g, d.g), channel(s.b, d.b), alpha);
    }
}

#if defined(KX_PIXELS_X86)
// The SSE2 loop of NormalOverOpaqueRow on eight pixels at a time, lane by lane
// the same integer operations (the 16-bit shuffles work within each half),
// for the first count pixels rounded down to a multiple of eight; returns how
// many were done.
__attribute__((target("avx2"))) int NormalOverOpaqueAvx2(const KXRGBA32i* source, const KXRGBA32i* under,
                                                         KXRGBA32i* destination, int count, float opacity)
{
    const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
    const __m256i full = _mm256_set1_epi16(255);
    const __m256i rounding = _mm256_set1_epi16(127 + 1);
    const __m256i by255 = _mm256_set1_epi16(257);
    const __m256i opaqueAlpha = _mm256_set1_epi32(int(0xFF000000u));
    const bool fullStrength = opacity == 1.0f;
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(under + i));
        _mm_prefetch(reinterpret_cast<const char*>(source + i) + 1024, _MM_HINT_T0);
        const __m256i greenAlpha = _mm256_srli_epi16(s, 8);
        __m256i weights = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(greenAlpha, 0xF5), 0xF5);
        if (!fullStrength) {
            const __m256 alphas = _mm256_cvtepi32_ps(_mm256_srli_epi32(s, 24));
            const __m256 scaled = _mm256_mul_ps(
                _mm256_mul_ps(_mm256_mul_ps(alphas, _mm256_set1_ps(kToUnit)), _mm256_set1_ps(opacity)),
                _mm256_set1_ps(255.0f));
            const __m256i weight = _mm256_cvttps_epi32(_mm256_add_ps(scaled, _mm256_set1_ps(0.5f)));
            weights = _mm256_or_si256(weight, _mm256_slli_epi32(weight, 16));
        }
        const __m256i rest = _mm256_sub_epi16(full, weights);
        const __m256i redBlueSum = _mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, lowBytes), weights),
                                                    _mm256_mullo_epi16(_mm256_and_si256(d, lowBytes), rest));
        const __m256i greenAlphaSum = _mm256_add_epi16(_mm256_mullo_epi16(greenAlpha, weights),
                                                       _mm256_mullo_epi16(_mm256_srli_epi16(d, 8), rest));
        const __m256i redBlue = _mm256_mulhi_epu16(_mm256_add_epi16(redBlueSum, rounding), by255);
        const __m256i greenAlphaMixed = _mm256_mulhi_epu16(_mm256_add_epi16(greenAlphaSum, rounding), by255);
        const __m256i result
            = _mm256_or_si256(_mm256_or_si256(redBlue, _mm256_slli_epi16(greenAlphaMixed, 8)), opaqueAlpha);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(destination + i), result);
    }
    return i;
}
#endif

// Normal blending at one strength over a run of opaque pixels (read from
// under, written to destination): exactly the integer mix SeparableRow<Normal>
// makes there (a transparent source gives weight 0 and an opaque one at full
// strength weight 255, so those cases need no branch). False, nothing done,
// unless every pixel under is opaque.
bool NormalOverOpaqueRow(const KXRGBA32i* source, const KXRGBA32i* under, KXRGBA32i* destination, int count,
                         float opacity)
{
    quint8 opaque = 255;
    for (int i = 0; i < count; ++i)
        opaque &= under[i].a;
    if (opaque != 255)
        return false;
    int i = 0;
#if defined(KX_PIXELS_X86)
    if (KXCpu::HasAvx2())
        i = NormalOverOpaqueAvx2(source, under, destination, count, opacity);
#endif
#if defined(__SSE2__)
    // Four pixels at a time: red and blue in the 16-bit lanes of one register,
    // green and alpha in another. The numerators s * a + d * (255 - a) + 127
    // fit 16 bits, and (t + 1) * 257 >> 16 is t / 255 for every such t.
    const __m128i lowBytes = _mm_set1_epi16(0x00FF);
    const __m128i full = _mm_set1_epi16(255);
    const __m128i rounding = _mm_set1_epi16(127 + 1);
    const __m128i by255 = _mm_set1_epi16(257);
    const __m128i opaqueAlpha = _mm_set1_epi32(int(0xFF000000u));
    // OverOpaqueWeight(alpha, 1) is alpha for every byte alpha.
    const bool fullStrength = opacity == 1.0f;
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(under + i));
        // The source is usually far from the cache; its next rows follow in the tile.
        _mm_prefetch(reinterpret_cast<const char*>(source + i) + 1024, _MM_HINT_T0);
        const __m128i greenAlpha = _mm_srli_epi16(s, 8);
        // Each pixel's alpha in both its 16-bit halves.
        __m128i weights = _mm_shufflehi_epi16(_mm_shufflelo_epi16(greenAlpha, 0xF5), 0xF5);
        if (!fullStrength) {
            const __m128 alphas = _mm_cvtepi32_ps(_mm_srli_epi32(s, 24));
            const __m128 scaled = _mm_mul_ps(_mm_mul_ps(_mm_mul_ps(alphas, _mm_set1_ps(kToUnit)), _mm_set1_ps(opacity)),
                                             _mm_set1_ps(255.0f));
            const __m128i weight = _mm_cvttps_epi32(_mm_add_ps(scaled, _mm_set1_ps(0.5f)));
            weights = _mm_or_si128(weight, _mm_slli_epi32(weight, 16));
        }
        const __m128i rest = _mm_sub_epi16(full, weights);
        const auto mix = [&](__m128i from, __m128i to) {
            const __m128i t = _mm_add_epi16(_mm_mullo_epi16(from, weights), _mm_mullo_epi16(to, rest));
            return _mm_mulhi_epu16(_mm_add_epi16(t, rounding), by255);
        };
        const __m128i redBlue = mix(_mm_and_si128(s, lowBytes), _mm_and_si128(d, lowBytes));
        const __m128i greenAlphaMixed = mix(greenAlpha, _mm_srli_epi16(d, 8));
        const __m128i result = _mm_or_si128(_mm_or_si128(redBlue, _mm_slli_epi16(greenAlphaMixed, 8)), opaqueAlpha);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), result);
    }
#endif
    for (; i < count; ++i)
        destination[i] = KXRGBA32i::FromValue(
            MixOverOpaque(source[i].Value(), under[i].Value(), OverOpaqueWeight(float(source[i].a), opacity)));
    return true;
}

// Moves d towards target by strength k (0..1), interpolating premultiplied
// colour so that a transparent end contributes no colour.
inline void LerpTowards(const KXRGBA32i& target, KXRGBA32i& d, float k)
{
    const float ad = float(d.a) * kToUnit;
    const float at = float(target.a) * kToUnit;
    const float ar = ad + (at - ad) * k;
    const quint8 alpha = ToByte(ar);
    if (!alpha) {
        d = KXRGBA32i();
        return;
    }
    const float wd = ad * (1.0f - k) / ar;
    const float wt = at * k / ar;
    const auto channel = [&](quint8 targetChannel, quint8 destinationChannel) {
        return ToByte((wt * float(targetChannel) + wd * float(destinationChannel)) * kToUnit);
    };
    d = KXRGBA32i(channel(target.r, d.r), channel(target.g, d.g), channel(target.b, d.b), alpha);
}

void ReplaceRow(const KXRGBA32i* source, KXRGBA32i* destination, int count, float opacity, const quint8* coverage)
{
    for (int i = 0; i < count; ++i) {
        const float strength = StrengthAt(opacity, coverage, i);
        if (strength >= 1.0f)
            destination[i] = source[i];
        else if (strength > 0.0f)
            LerpTowards(source[i], destination[i], strength);
    }
}

// Selection masks: the result is black with an alpha combined from the two
// alphas (0 or 255 in a mask), so a cleared pixel is all zero.
inline quint8 Intersect(quint8 destination, quint8 source)
{
    return std::min(destination, source);
}
inline quint8 Union(quint8 destination, quint8 source)
{
    return std::max(destination, source);
}
inline quint8 Subtract(quint8 destination, quint8 source)
{
    return quint8((unsigned(destination) * (255u - source) + 127u) / 255u);
}

template <quint8 (*Rule)(quint8, quint8)>
void SelectRow(const KXRGBA32i* source, KXRGBA32i* destination, int count, float opacity, const quint8* coverage)
{
    for (int i = 0; i < count; ++i) {
        const float strength = StrengthAt(opacity, coverage, i);
        if (strength <= 0.0f)
            continue;
        KXRGBA32i& d = destination[i];
        const KXRGBA32i result(0, 0, 0, Rule(d.a, source[i].a));
        if (strength >= 1.0f)
            d = result;
        else
            LerpTowards(result, d, strength);
    }
}

} // namespace

Kind KindOf(unsigned int mode)
{
    switch (mode) {
    case KXBlendReplace:
        return Kind::Replace;
    case KXBlendLinearDodge:
        return Kind::LinearDodge;
    case KXBlendLinearBurn:
        return Kind::LinearBurn;
    case KXBlendMultiply:
        return Kind::Multiply;
    case KXBlendScreen:
        return Kind::Screen;
    case KXBlendOverlay:
        return Kind::Overlay;
    case KXBlendColorBurn:
        return Kind::ColorBurn;
    case KXBlendColorDodge:
        return Kind::ColorDodge;
    case KXBlendDifference:
        return Kind::Difference;
    case KXBlendExclusion:
        return Kind::Exclusion;
    case KXBlendSoftLight:
        return Kind::SoftLight;
    case KXBlendHardLight:
        return Kind::HardLight;
    case KXBlendDarken:
        return Kind::Darken;
    case KXBlendLighten:
        return Kind::Lighten;
    case KXBlendSelectIntersect:
    case KXBlendSelectIntersectAlt:
        return Kind::SelectIntersect;
    case KXBlendSelectUnion:
        return Kind::SelectUnion;
    case KXBlendSelectSubtract:
        return Kind::SelectSubtract;
    default:
        return Kind::Normal;
    }
}

void BlendRow(Kind kind, const KXRGBA32i* source, const KXRGBA32i* under, KXRGBA32i* destination, int count,
              float opacity, const quint8* coverage)
{
    if (kind == Kind::Normal && !coverage && NormalOverOpaqueRow(source, under, destination, count, opacity))
        return;
    // The rules below work in place.
    if (under != destination)
        std::memcpy(destination, under, size_t(count) * sizeof(KXRGBA32i));
    switch (kind) {
    case Kind::Normal:
        return SeparableRow<Normal>(source, destination, count, opacity, coverage);
    case Kind::Replace:
        return ReplaceRow(source, destination, count, opacity, coverage);
    case Kind::Multiply:
        return SeparableRow<Multiply>(source, destination, count, opacity, coverage);
    case Kind::Screen:
        return SeparableRow<Screen>(source, destination, count, opacity, coverage);
    case Kind::Overlay:
        return SeparableRow<Overlay>(source, destination, count, opacity, coverage);
    case Kind::Darken:
        return SeparableRow<Darken>(source, destination, count, opacity, coverage);
    case Kind::Lighten:
        return SeparableRow<Lighten>(source, destination, count, opacity, coverage);
    case Kind::ColorDodge:
        return SeparableRow<ColorDodge>(source, destination, count, opacity, coverage);
    case Kind::ColorBurn:
        return SeparableRow<ColorBurn>(source, destination, count, opacity, coverage);
    case Kind::HardLight:
        return SeparableRow<HardLight>(source, destination, count, opacity, coverage);
    case Kind::SoftLight:
        return SeparableRow<SoftLight>(source, destination, count, opacity, coverage);
    case Kind::Difference:
        return SeparableRow<Difference>(source, destination, count, opacity, coverage);
    case Kind::Exclusion:
        return SeparableRow<Exclusion>(source, destination, count, opacity, coverage);
    case Kind::LinearDodge:
        return SeparableRow<LinearDodge>(source, destination, count, opacity, coverage);
    case Kind::LinearBurn:
        return SeparableRow<LinearBurn>(source, destination, count, opacity, coverage);
    case Kind::SelectIntersect:
        return SelectRow<Intersect>(source, destination, count, opacity, coverage);
    case Kind::SelectUnion:
        return SelectRow<Union>(source, destination, count, opacity, coverage);
    case Kind::SelectSubtract:
        return SelectRow<Subtract>(source, destination, count, opacity, coverage);
    }
}

} // namespace KXBlend
