#pragma once

#include "KXImage.h"
#include "vornhistory_export.h"

// The cubic through four equally spaced samples p0..p3 (p1 at t = 0, p2 at
// t = 1), evaluated at t, truncated toward zero and clamped to 0..255.
VORNHISTORY_EXPORT int CubicInterpolate(int p0, int p1, int p2, int p3, double t);
// The same on each of the four 8-bit channels of four consecutive pixels.
VORNHISTORY_EXPORT KXRGBA32i CubicInterpolate(KXRGBA32i* pixels, double t);

// Scales an image by (scaleX, scaleY) with the cubic above, horizontally then
// vertically (the row results are rounded to 8 bits first). The result is
// trunc(width * scaleX + 0.5) by trunc(height * scaleY + 0.5) pixels (empty
// when either is 0, or beyond the largest canvas side); output pixel x samples
// source position x / scaleX, source pixel i sitting at i + 0.5, edges
// repeated. Streams the source: four source rows and one output row in memory.
VORNHISTORY_EXPORT KXImage32 BicubicResize(const KXImage32& source, double scaleX, double scaleY);
