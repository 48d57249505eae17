#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QTransform>

#include "KXImage.h"
#include "vornimage_export.h"

// The image library's pixel operations on tiled images. All of them work tile
// by tile, write only into tiles made private first (copy-on-write), keep
// untouched tiles shared and clip every rectangle to the images; empty images
// and rectangles outside the images are harmless (nothing is done).
//
// Rectangle mapping of BlendOn/BlendMaskOn: when the source and destination
// rectangles have the same size, source pixel p lands on p + (destination
// top-left - source top-left), and source pixels outside the source image are
// skipped. When the sizes differ, the source rectangle is first clipped to the
// source image and its top-left then lands on the destination's top-left. In
// both cases nothing is written outside the destination rectangle.
//
// Compositing works on non-premultiplied RGBA. Every mode is applied with a
// strength k = opacity (clamped to 0..1) times the mask coverage (BlendMaskOn):
// the destination pixel moves from its old value towards the mode's
// full-strength result by k, interpolating premultiplied colour. For the
// separable modes this is ordinary source-over compositing with the source's
// alpha scaled by k. A result whose alpha rounds to 0 is the all-zero pixel.
// Opacity 1 Normal over an opaque destination and opacity 1 Replace are exact.
//
// Mode numbers. Layer composition and merging translate the document's layer
// blend codes (KXDocumentInterface::LayerBlendMode, given in brackets) into
// these; any number not listed blends as Normal:
enum KXBlendMode : unsigned int
{
    KXBlendNormal = 0, // [0] the source over the destination
    KXBlendReplace = 3, // the source replaces the destination (with k < 1: moves towards it)
    KXBlendLinearDodge = 8, // [32] add: min(1, b + s)
    KXBlendLinearBurn = 12, // [12] max(0, b + s - 1)
    KXBlendMultiply = 13, // [1] b * s
    KXBlendScreen = 14, // [2] b + s - b * s
    KXBlendOverlay = 15, // [3] hard light with the layers swapped
    KXBlendColorBurn = 16, // [7] 1 - min(1, (1 - b) / s)
    KXBlendColorDodge = 17, // [6] min(1, b / (1 - s))
    KXBlendDifference = 18, // [10] |b - s|
    KXBlendExclusion = 19, // [11] b + s - 2 * b * s
    KXBlendSoftLight = 20, // [9] the W3C compositing formula
    KXBlendHardLight = 21, // [8] s <= 0.5: multiply by 2s; else screen with 2s - 1
    KXBlendDarken = 22, // [4] min(b, s)
    KXBlendLighten = 23, // [5] max(b, s)
    // Selection masks (selected = 0xFF000000, unselected = 0): the result is
    // black with an alpha combined from both alphas; a source pixel outside the
    // source image counts as unselected.
    KXBlendSelectIntersect = 25, // min: keeps what both select
    KXBlendSelectUnion = 93, // max: selects what either selects
    KXBlendSelectIntersectAlt = 94, // the same rule as 25
    KXBlendSelectSubtract = 95, // d * (1 - s): unselects what the source selects
    KXBlendDefault = 0xFFFFFFFF, // [other codes] a layer code with no equivalent: Normal
};
// (b is the destination channel, s the source channel, both 0..1.)
//
// The intersection modes (25, 94) work on the whole destination rectangle:
// destination pixels there that no source pixel reaches are cleared. All other
// modes touch only the destination pixels that a source pixel lands on.
//
// The bool flags of BlendOn, BlendMaskOn, DrawImage and FillPath are reserved
// and ignored. The functions return false when there is nothing to do (empty
// images, rectangles that miss the images, no brush, an invalid transform) and
// true once the destination has been processed.

VORNIMAGE_EXPORT bool BlendOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode,
                              KXImage32& destination, const QRect& destinationRect, double opacity, bool flag);

// BlendOn through a mask. maskRect is the mask image's place in destination
// coordinates: mask pixel (0, 0) lies on its top-left, and destination pixels
// outside it or beyond the mask image have coverage 0 (they stay). A
// rectangle cut at the destination's left (top) edge, that is narrower than
// the mask, starting at 0 and ending inside the destination, keeps the mask's
// right (bottom) edge where the rectangle ends, so a mask rectangle clipped to
// the destination still places the mask right. With maskFlag true the mask is
// a layer mask: its grey level (Rec. 709 luminance) times its alpha is the
// coverage, so opaque white lets the source through and black hides it. With
// maskFlag false the mask is a selection mask and its alpha alone is the
// coverage.
VORNIMAGE_EXPORT bool BlendMaskOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode,
                                  KXImage32& destination, const QRect& destinationRect, double opacity,
                                  const KXImage32& mask, const QRect& maskRect, bool maskFlag, bool flag);

// Draws the whole source with its top-left at the point: BlendOn of
// source.GetRect() onto the rectangle of the source's size at the point.
VORNIMAGE_EXPORT bool DrawImage(KXImage32& destination, int mode, const QPoint& at, const KXImage32& source,
                                double opacity, bool flag);

// Fills a path with a brush, without anti-aliasing (Qt's own rasteriser, tile
// by tile): a pixel is inside when its centre is (the path's fill rule
// applies), so a mask filled with opaque black
// holds only 0xFF000000 and 0. The brush colours are the source of the mode at
// full strength on the pixels inside; mode 3 (Replace) writes them, so a clear
// brush (0, 0, 0, 0) unselects. Brush patterns and gradients are laid out in
// image coordinates. Paths far outside the image cost nothing.
VORNIMAGE_EXPORT bool FillPath(KXImage32& image, int mode, const QPainterPath& path, const QBrush& brush,
                               bool flag);

// Inverts an image in place; what selects the rule:
//   KXInvertColor (0): red, green and blue become 255 - value; alpha stays.
//   KXInvertSelection (1): alpha becomes 255 - alpha and the colour black, so
//     a selection mask's selected and unselected pixels swap.
//   KXInvertLayerMask (8): a layer mask's coverage (grey level times alpha)
//     becomes the opaque grey 255 - coverage.
// Any other value changes nothing and returns false. Pixels of border tiles
// beyond the image edge are left as they are.
enum KXInvertRule : unsigned int
{
    KXInvertColor = 0,
    KXInvertSelection = 1,
    KXInvertLayerMask = 8,
};
VORNIMAGE_EXPORT bool InvertImage(KXImage32& image, unsigned int what);

// Layer masks are greyscale images where opaque white reveals the layer and
// opaque black hides it. Each builder makes the mask the size of the source
// (an empty mask and false for an empty source). The uniform masks cost one tile.
// All hidden: opaque black 0xFF000000 everywhere.
VORNIMAGE_EXPORT bool CreateHideAllMask(KXImage32& mask, const KXImage32& source);
// All revealed: opaque white 0xFFFFFFFF everywhere.
VORNIMAGE_EXPORT bool CreateRevealAllMask(KXImage32& mask, const KXImage32& source);
// The opaque grey of the source's luminance over black (luminance times alpha).
VORNIMAGE_EXPORT bool CreateFromSourceMask(KXImage32& mask, const KXImage32& source);
// The opaque grey of the source's alpha: opaque areas reveal, transparent hide.
VORNIMAGE_EXPORT bool CreateFromTransparancyMask(KXImage32& mask, const KXImage32& source);

// Resample source through the transform (source to destination coordinates)
// into the destination rectangle, clipped to the destination; a null
// rectangle means the whole destination. Each destination pixel centre
// (x + 0.5, y + 0.5) inside the rectangle is mapped back through the inverse
// transform and sampled there; source pixel i covers [i, i + 1).
// Nearest neighbour takes the pixel containing the point and leaves pixels
// whose centre maps outside the source alone. Bilinear and bicubic
// (Catmull-Rom) interpolate premultiplied colour, repeating the edge pixels
// beyond the source's edge, and cover each destination pixel by the share of
// it the transformed source covers (from the distances of its centre to the
// source's edges, in destination pixels): the sample is laid over the old
// pixel by that share, so edges are smooth over whatever the destination was
// filled with (transparent for a cleared image) and pixels the source does not
// reach keep their value. Identity, integer translations, 90-degree rotations
// and mirrors reproduce the source exactly with every filter, and so do
// integer enlargements with nearest neighbour; a scaled image keeps opaque
// edges. False for empty images, a rectangle outside the destination or a
// transform that cannot be inverted.
VORNIMAGE_EXPORT bool NearestNeighbourTransformImage(const KXImage32& source, const QTransform& transform,
                                                     KXImage32& destination, const QRect& destinationRect);
VORNIMAGE_EXPORT bool BilinearTransformImage(const KXImage32& source, const QTransform& transform,
                                             KXImage32& destination, const QRect& destinationRect);
VORNIMAGE_EXPORT bool BicubicTransformImage(const KXImage32& source, const QTransform& transform,
                                            KXImage32& destination, const QRect& destinationRect);
