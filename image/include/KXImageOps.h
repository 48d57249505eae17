#pragma once

#include <QBrush>
#include <QPainterPath>
#include <QPoint>
#include <QRect>
#include <QTransform>

#include "KXImage.h"
#include "vornimage_export.h"

// The image library's pixel operations on tiled images. All of them work tile
// by tile, keep untouched tiles shared and clip every rectangle to the images.
//
// Rectangle mapping of BlendOn/BlendMaskOn: when the source and destination
// rectangles have the same size, source pixel p lands on p + (destination
// top-left - source top-left), and source pixels outside the source image are
// skipped. When the sizes differ, the source rectangle is first clipped to the
// source image and its top-left then lands on the destination's top-left. In
// both cases nothing is written outside the destination rectangle.
//
// Blend modes: see the table in KXImageOps.cpp's BlendOn.

VORNIMAGE_EXPORT bool BlendOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode,
                              KXImage32& destination, const QRect& destinationRect, double opacity, bool flag);

VORNIMAGE_EXPORT bool BlendMaskOn(const KXImage32& source, const QRect& sourceRect, unsigned int mode,
                                  KXImage32& destination, const QRect& destinationRect, double opacity,
                                  const KXImage32& mask, const QRect& maskRect, bool maskFlag, bool flag);

// Draws the whole source with its top-left at the point.
VORNIMAGE_EXPORT bool DrawImage(KXImage32& destination, int mode, const QPoint& at, const KXImage32& source,
                                double opacity, bool flag);

// Fills a path with a brush, without anti-aliasing.
VORNIMAGE_EXPORT bool FillPath(KXImage32& image, int mode, const QPainterPath& path, const QBrush& brush,
                               bool flag);

VORNIMAGE_EXPORT bool InvertImage(KXImage32& image, unsigned int what);

VORNIMAGE_EXPORT bool CreateHideAllMask(KXImage32& mask, const KXImage32& source);
VORNIMAGE_EXPORT bool CreateRevealAllMask(KXImage32& mask, const KXImage32& source);
VORNIMAGE_EXPORT bool CreateFromSourceMask(KXImage32& mask, const KXImage32& source);
VORNIMAGE_EXPORT bool CreateFromTransparancyMask(KXImage32& mask, const KXImage32& source);

// Resample source through the transform (source to destination coordinates)
// into the destination rectangle; a null rectangle means the whole destination.
VORNIMAGE_EXPORT bool NearestNeighbourTransformImage(const KXImage32& source, const QTransform& transform,
                                                     KXImage32& destination, const QRect& destinationRect);
VORNIMAGE_EXPORT bool BilinearTransformImage(const KXImage32& source, const QTransform& transform,
                                             KXImage32& destination, const QRect& destinationRect);
VORNIMAGE_EXPORT bool BicubicTransformImage(const KXImage32& source, const QTransform& transform,
                                            KXImage32& destination, const QRect& destinationRect);
