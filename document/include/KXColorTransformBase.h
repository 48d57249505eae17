#pragma once

#include <array>

#include "KXImage.h"
#include "vorndocument_export.h"

// A colour conversion the application hands to edits that carry pixels from
// one document into another with a different working space.
// The application owns it; a helper it is handed to uses it only during that
// call. Which threads may use it is up to the subclass (see below).
class VORNDOCUMENT_EXPORT KXColorTransformBase
{
public:
    virtual ~KXColorTransformBase();

    // Converts the colour of every pixel of image in place; alpha is kept.
    // False when the image is empty.
    virtual bool ConvertImage(KXImage32& image) const = 0;
};

// The conversion between two working spaces that differ in their tone curve:
// each colour channel is decoded with the source gamma and encoded with the
// target gamma, value' = 255 * (value / 255) ^ (source / target), rounded,
// through a 256-entry table. A gamma that is not a positive finite number
// makes the conversion the identity. A tile shared by several positions of
// the image is converted once and stays shared.
// Unchanged once built, so one transform may convert images on several
// threads at once, each thread its own image.
class VORNDOCUMENT_EXPORT KXGammaColorTransform : public KXColorTransformBase
{
public:
    KXGammaColorTransform(double sourceGamma, double targetGamma);

    bool ConvertImage(KXImage32& image) const override;
    // One channel value converted.
    quint8 Convert(quint8 value) const { return m_table[value]; }

private:
    std::array<quint8, 256> m_table;
};
