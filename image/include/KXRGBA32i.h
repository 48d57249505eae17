#pragma once

#include <QtGlobal>

#include <cstring>

// One pixel: four 8-bit channels in memory order red, green, blue, alpha
// (the byte order of QImage::Format_RGBA8888, non-premultiplied). As a 32-bit
// value on a little-endian machine alpha is the top byte, so 0xFF000000 is
// opaque black and 0xFFFFFFFF opaque white.
// A plain value, usable on any thread.
struct KXRGBA32i
{
    quint8 r = 0;
    quint8 g = 0;
    quint8 b = 0;
    quint8 a = 0;

    constexpr KXRGBA32i() = default;
    constexpr KXRGBA32i(quint8 red, quint8 green, quint8 blue, quint8 alpha)
        : r(red)
        , g(green)
        , b(blue)
        , a(alpha)
    {
    }

    static KXRGBA32i FromValue(quint32 value)
    {
        KXRGBA32i pixel;
        pixel.r = quint8(value);
        pixel.g = quint8(value >> 8);
        pixel.b = quint8(value >> 16);
        pixel.a = quint8(value >> 24);
        return pixel;
    }
    quint32 Value() const { return quint32(r) | quint32(g) << 8 | quint32(b) << 16 | quint32(a) << 24; }

    static constexpr KXRGBA32i Transparent() { return KXRGBA32i(0, 0, 0, 0); }
    static constexpr KXRGBA32i OpaqueBlack() { return KXRGBA32i(0, 0, 0, 255); }
    static constexpr KXRGBA32i OpaqueWhite() { return KXRGBA32i(255, 255, 255, 255); }

    bool operator==(const KXRGBA32i& other) const { return std::memcmp(this, &other, 4) == 0; }
    bool operator!=(const KXRGBA32i& other) const { return !(*this == other); }
};
static_assert(sizeof(KXRGBA32i) == 4, "a pixel is four bytes");
