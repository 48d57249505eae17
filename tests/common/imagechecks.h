#pragma once

#include <QtTest>

#include <cstdlib>
#include <functional>
#include <vector>

#include "pixeltesting.h"

// What the image tests share: a patterned image whose pixels all differ, and
// a comparison of every pixel with a function of (x, y) that names the first
// difference.

using PixelFunction = std::function<KXRGBA32i(int, int)>;

inline KXRGBA32i Px(int r, int g, int b, int a)
{
    return KXRGBA32i(quint8(r), quint8(g), quint8(b), quint8(a));
}

// Differs from its neighbours in every direction and across tiles.
inline KXRGBA32i Pattern(int x, int y)
{
    return Px(x & 255, y & 255, (x * 7 + y * 3) & 255, 128 + (x + y) % 128);
}

inline KXImage32 Painted(int width, int height, const PixelFunction& pixel = Pattern)
{
    KXImage32 image{unsigned(width), unsigned(height)};
    std::vector<KXRGBA32i> line(static_cast<size_t>(width));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            line[size_t(x)] = pixel(x, y);
        image.WriteLine(unsigned(y), 0, reinterpret_cast<const unsigned char*>(line.data()), unsigned(width) * 4);
    }
    return image;
}

inline KXRGBA32i At(const KXImage32& image, int x, int y)
{
    return image.GetPixel(unsigned(x), unsigned(y));
}

inline bool Near(const KXRGBA32i& a, const KXRGBA32i& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance
        && std::abs(a.a - b.a) <= tolerance;
}

// How many pixels differ from expected(x, y) and the first of them; empty when none.
inline QString Differences(const KXImage32& image, const PixelFunction& expected, int tolerance = 0)
{
    int count = 0;
    QString first;
    for (int y = 0; y < int(image.GetHeight()); ++y)
        for (int x = 0; x < int(image.GetWidth()); ++x) {
            const KXRGBA32i got = At(image, x, y);
            const KXRGBA32i want = expected(x, y);
            if (!Near(got, want, tolerance) && !count++) {
                QScopedArrayPointer<char> gotText(toString(got));
                QScopedArrayPointer<char> wantText(toString(want));
                first = QStringLiteral("at (%1, %2) got %3, expected %4").arg(x).arg(y).arg(gotText.data(),
                                                                                               wantText.data());
            }
        }
    return count ? QStringLiteral("%1 pixels differ, first %2").arg(count).arg(first) : QString();
}

#define VERIFY_PIXELS(image, ...)                                     \
    do {                                                              \
        const QString differences_ = Differences(image, __VA_ARGS__); \
        QVERIFY2(differences_.isEmpty(), qPrintable(differences_));   \
    } while (false)

// True when every tile of image outside the tile rectangle `changed` (in
// tile units) is the very tile of before.
inline bool TilesSharedOutside(const KXImage32& image, const KXImage32& before, const QRect& changed)
{
    for (int row = 0; row < int(image.GetRows()); ++row)
        for (int column = 0; column < int(image.GetColumns()); ++column)
            if (!changed.contains(column, row)
                && image.GetTile(unsigned(column), unsigned(row)) != before.GetTile(unsigned(column), unsigned(row)))
                return false;
    return true;
}
