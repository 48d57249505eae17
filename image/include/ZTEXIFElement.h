#pragma once

#include <QVariant>

#include "vornimage_export.h"

// One EXIF tag of an image's metadata, carried along with the image.
// A plain value (implicitly shared Qt data): copies are used on any thread.
class VORNIMAGE_EXPORT ZTEXIFElement
{
public:
    ZTEXIFElement() = default;
    ZTEXIFElement(quint16 tag, const QVariant& value)
        : m_tag(tag)
        , m_value(value)
    {
    }

    quint16 GetTag() const { return m_tag; }
    QVariant GetValue() const { return m_value; }

    bool operator==(const ZTEXIFElement& other) const { return m_tag == other.m_tag && m_value == other.m_value; }
    bool operator!=(const ZTEXIFElement& other) const { return !(*this == other); }

private:
    quint16 m_tag = 0;
    QVariant m_value;
};
