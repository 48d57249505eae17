#include "KXPathElement.h"

QDataStream& operator<<(QDataStream& stream, const KXPathElement& element)
{
    stream << qint32(element.type) << double(element.point.x()) << double(element.point.y());
    return stream;
}

QDataStream& operator>>(QDataStream& stream, KXPathElement& element)
{
    qint32 type = 0;
    double x = 0;
    double y = 0;
    stream >> type >> x >> y;
    if (stream.status() != QDataStream::Ok)
        return stream;
    if (type < KXPathElement::MoveTo || type > KXPathElement::CurveToData) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return stream;
    }
    element.type = KXPathElement::Type(type);
    element.point = QPointF(x, y);
    return stream;
}

QPainterPath ConvertFrom(const QList<KXPathElement>& elements)
{
    QPainterPath path;
    for (int i = 0; i < elements.size(); ++i) {
        const KXPathElement& element = elements.at(i);
        switch (element.type) {
        case KXPathElement::MoveTo:
            path.moveTo(element.point);
            break;
        case KXPathElement::LineTo:
            path.lineTo(element.point);
            break;
        case KXPathElement::CurveTo:
            // A curve needs its two data elements; an incomplete one ends the path.
            if (i + 2 >= elements.size() || elements.at(i + 1).type != KXPathElement::CurveToData
                || elements.at(i + 2).type != KXPathElement::CurveToData)
                return path;
            path.cubicTo(element.point, elements.at(i + 1).point, elements.at(i + 2).point);
            i += 2;
            break;
        case KXPathElement::CurveToData:
            break;
        }
    }
    return path;
}

void TransformPath(QList<KXPathElement>& elements, const QTransform& transform)
{
    for (KXPathElement& element : elements)
        element.point = transform.map(element.point);
}

QList<KXPathElement> ConvertTo(const QPainterPath& path)
{
    QList<KXPathElement> elements;
    elements.reserve(path.elementCount());
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        elements.append(KXPathElement(KXPathElement::Type(int(element.type)), QPointF(element.x, element.y)));
    }
    return elements;
}
