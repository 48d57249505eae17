#include "kxblendmodes_p.h"

#include <algorithm>
#include <cmath>

#include "KXImageOps.h"

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
            const unsigned int a = unsigned(as * 255.0f + 0.5f);
            const auto mix = [a](quint8 from, quint8 to) { return quint8((from * a + to * (255u - a) + 127u) / 255u); };
            d = KXRGBA32i(mix(s.r, d.r), mix(s.g, d.g), mix(s.b, d.b), 255);
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

// Normal blending at one strength over a run of opaque destination pixels:
// exactly the integer mix SeparableRow<Normal> makes there (a transparent
// source gives mix weight 0 and an opaque one at full strength weight 255,
// so those cases need no branch), written branch-free over plain bytes so
// that the compiler vectorises it. False, nothing done, unless every
// destination pixel of the run is opaque.
bool NormalOverOpaqueRow(const KXRGBA32i* source, KXRGBA32i* destination, int count, float opacity)
{
    const quint32* __restrict in = reinterpret_cast<const quint32*>(source);
    quint32* __restrict out = reinterpret_cast<quint32*>(destination);
    quint32 opaque = 0xFF000000u;
    for (int i = 0; i < count; ++i)
        opaque &= out[i];
    if ((opaque & 0xFF000000u) != 0xFF000000u)
        return false;
    for (int i = 0; i < count; ++i) {
        const quint32 s = in[i];
        const quint32 d = out[i];
        const quint16 a = quint16(int(float(s >> 24) * kToUnit * opacity * 255.0f + 0.5f));
        const quint16 b = quint16(255u - a);
        // Each t fits 16 bits; (t + 1 + (t >> 8)) >> 8 is t / 255 for every t up to 255 * 255 + 127.
        const quint16 tr = quint16(quint16(s & 0xFF) * a + quint16(d & 0xFF) * b + 127u);
        const quint16 tg = quint16(quint16((s >> 8) & 0xFF) * a + quint16((d >> 8) & 0xFF) * b + 127u);
        const quint16 tb = quint16(quint16((s >> 16) & 0xFF) * a + quint16((d >> 16) & 0xFF) * b + 127u);
        const quint32 r = quint16(tr + 1u + (tr >> 8)) >> 8;
        const quint32 g = quint16(tg + 1u + (tg >> 8)) >> 8;
        const quint32 bl = quint16(tb + 1u + (tb >> 8)) >> 8;
        out[i] = r | g << 8 | bl << 16 | 0xFF000000u;
    }
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

void BlendRow(Kind kind, const KXRGBA32i* source, KXRGBA32i* destination, int count, float opacity,
              const quint8* coverage)
{
    switch (kind) {
    case Kind::Normal:
        if (!coverage && NormalOverOpaqueRow(source, destination, count, opacity))
            return;
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
