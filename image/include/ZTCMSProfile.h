#pragma once

#include <QByteArray>
#include <QString>

#include "vornimage_export.h"

// A colour profile carried along with an image. The history library copies it
// with the image and never looks inside; the default is the working sRGB space.
// A plain value (implicitly shared Qt data): copies are used on any thread.
class VORNIMAGE_EXPORT ZTCMSProfile
{
public:
    ZTCMSProfile() = default;
    ZTCMSProfile(const QString& name, const QByteArray& iccData)
        : m_name(name)
        , m_iccData(iccData)
    {
    }

    QString GetName() const { return m_name; }
    QByteArray GetICCData() const { return m_iccData; }
    bool IsDefault() const { return m_name.isEmpty() && m_iccData.isEmpty(); }

    bool operator==(const ZTCMSProfile& other) const
    {
        return m_name == other.m_name && m_iccData == other.m_iccData;
    }
    bool operator!=(const ZTCMSProfile& other) const { return !(*this == other); }

private:
    QString m_name;
    QByteArray m_iccData;
};
