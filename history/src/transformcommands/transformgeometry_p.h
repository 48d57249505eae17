#pragma once

#include <QRectF>
#include <QSize>
#include <QTransform>

#include <cmath>

#include "KXDocumentInterface.h"

// Geometry shared by the commands that resample through a transform.
namespace TransformGeometry {

// Added before a mapped size is truncated, so that 9.9999999999999998 gives 10.
constexpr double kEpsilon = 2.220446049250313e-16;

inline bool IsFinite(const QTransform& t)
{
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m13()) && std::isfinite(t.m21())
        && std::isfinite(t.m22()) && std::isfinite(t.m23()) && std::isfinite(t.m31()) && std::isfinite(t.m32())
        && std::isfinite(t.m33());
}

// Whether a rectangle's corners fit the document's coordinate range, so that
// rounding them to integers cannot overflow.
inline bool IsPlaceable(const QRectF& rect)
{
    const double limit = 4.0 * KXDocumentInterface::MAX_DOC_DIMENSION;
    return std::isfinite(rect.x()) && std::isfinite(rect.y()) && std::isfinite(rect.width())
        && std::isfinite(rect.height()) && std::fabs(rect.x()) <= limit && std::fabs(rect.y()) <= limit
        && rect.width() >= 0 && rect.height() >= 0;
}

// The pixel size of an image holding the mapped rectangle: each side
// truncated after adding kEpsilon. False when the rectangle cannot be placed
// or a side would exceed the largest canvas side (no image is made then).
inline bool ImageSize(const QRectF& mapped, QSize& size)
{
    if (!IsPlaceable(mapped))
        return false;
    const double width = std::trunc(mapped.width() + kEpsilon);
    const double height = std::trunc(mapped.height() + kEpsilon);
    if (width > KXDocumentInterface::MAX_DOC_DIMENSION || height > KXDocumentInterface::MAX_DOC_DIMENSION)
        return false;
    size = QSize(int(width), int(height));
    return true;
}

} // namespace TransformGeometry
