#pragma once

#include <QDataStream>
#include <QList>
#include <QPainterPath>
#include <QPointF>
#include <QTransform>

#include "vorndocument_export.h"

// One element of a vector path: a move, a line, or a cubic curve given by its
// two control points followed by its end point (the same element kinds, in the
// same order, as QPainterPath's elements).
// A plain value: copied freely, usable on any thread.
struct VORNDOCUMENT_EXPORT KXPathElement
{
    enum Type { MoveTo = 0, LineTo = 1, CurveTo = 2, CurveToData = 3 };

    Type type = MoveTo;
    QPointF point;

    KXPathElement() = default;
    KXPathElement(Type elementType, const QPointF& at)
        : type(elementType)
        , point(at)
    {
    }

    bool operator==(const KXPathElement& other) const { return type == other.type && point == other.point; }
    bool operator!=(const KXPathElement& other) const { return !(*this == other); }
};

// Stream encoding: the type as a 32-bit integer, then x and y as doubles.
// A type outside the enumeration sets the stream's status to ReadCorruptData.
VORNDOCUMENT_EXPORT QDataStream& operator<<(QDataStream& stream, const KXPathElement& element);
VORNDOCUMENT_EXPORT QDataStream& operator>>(QDataStream& stream, KXPathElement& element);

// A subpath as a painter path, and a subpath transformed in place.
VORNDOCUMENT_EXPORT QPainterPath ConvertFrom(const QList<KXPathElement>& elements);
VORNDOCUMENT_EXPORT void TransformPath(QList<KXPathElement>& elements, const QTransform& transform);
// The elements of a painter path.
VORNDOCUMENT_EXPORT QList<KXPathElement> ConvertTo(const QPainterPath& path);
