#include "ZTBrightnessContrast.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

QString ZTBrightnessContrast::Name()
{
    return QStringLiteral("Brightness/Contrast");
}

QByteArray ZTBrightnessContrast::Encode(const Params& params)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_15);
    stream << qint32(params.brightness) << qint32(params.contrast);
    return bytes;
}

bool ZTBrightnessContrast::Decode(const QByteArray& bytes, Params& params)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_5_15);
    qint32 brightness = 0;
    qint32 contrast = 0;
    stream >> brightness >> contrast;
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return false;
    if (brightness < -150 || brightness > 150 || contrast < -100 || contrast > 100)
        return false;
    params.brightness = brightness;
    params.contrast = contrast;
    return true;
}

QString ZTBrightnessContrast::GetName() const
{
    return Name();
}

QByteArray ZTBrightnessContrast::GetDefaultParams() const
{
    return Encode(Params());
}

bool ZTBrightnessContrast::IsValidParams(const QByteArray& params) const
{
    Params decoded;
    return Decode(params, decoded);
}

bool ZTBrightnessContrast::ApplyParams(const QByteArray& bytes, KXImage32& image) const
{
    Params params;
    if (!Decode(bytes, params))
        return false;
    if (params.brightness == 0 && params.contrast == 0)
        return true;
    // Contrast -100 flattens everything to grey, 100 is a hard threshold.
    const double factor = params.contrast <= 0 ? (100.0 + params.contrast) / 100.0
                                               : (params.contrast == 100 ? 255.0 : 100.0 / (100.0 - params.contrast));
    quint8 table[256];
    for (int value = 0; value < 256; ++value) {
        const double result = (value + params.brightness - 128.0) * factor + 128.0;
        table[value] = quint8(std::clamp(std::lround(result), 0L, 255L));
    }
    ApplyTables(image, table, table, table);
    return true;
}
