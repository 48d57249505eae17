#pragma once

#include <QtTest>

#include "KXImage.h"

// What the image, document and adjustment tests share: pixels in failure
// messages and in data tables, and images of one colour.

Q_DECLARE_METATYPE(KXRGBA32i)

inline char* toString(const KXRGBA32i& pixel)
{
    return QTest::toString(QStringLiteral("(%1, %2, %3, %4)")
                               .arg(int(pixel.r))
                               .arg(int(pixel.g))
                               .arg(int(pixel.b))
                               .arg(int(pixel.a)));
}

inline KXImage32 Filled(int width, int height, const KXRGBA32i& colour)
{
    KXImage32 image{unsigned(width), unsigned(height)};
    image.Fill(colour);
    return image;
}
