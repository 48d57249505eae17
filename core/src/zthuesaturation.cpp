#include "ZTHueSaturation.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

double HueToChannel(double p, double q, double t)
{
    if (t < 0)
        t += 1;
    if (t > 1)
        t -= 1;
    if (t < 1.0 / 6)
        return p + (q - p) * 6 * t;
    if (t < 0.5)
        return q;
    if (t < 2.0 / 3)
        return p + (q - p) * (2.0 / 3 - t) * 6;
    return p;
}

quint8 ToByte(double value)
{
    return quint8(std::clamp(std::lround(value * 255.0), 0L, 255L));
}

void Adjust(KXRGBA32i& pixel, const ZTHueSaturation::Params& params)
{
    const double r = pixel.r / 255.0;
    const double g = pixel.g / 255.0;
    const double b = pixel.b / 255.0;
    const double high = std::max({r, g, b});
    const double low = std::min({r, g, b});
    double lightness = (high + low) / 2;
    double hue = 0;
    double saturation = 0;
    if (high != low) {
        const double spread = high - low;
        saturation = lightness > 0.5 ? spread / (2 - high - low) : spread / (high + low);
        if (high == r)
            hue = (g - b) / spread + (g < b ? 6 : 0);
        else if (high == g)
            hue = (b - r) / spread + 2;
        else
            hue = (r - g) / spread + 4;
        hue /= 6;
    }
    hue = std::fmod(hue + params.hue / 360.0 + 1.0, 1.0);
    saturation = std::clamp(saturation * (1.0 + params.saturation / 100.0), 0.0, 1.0);
    const double shift = params.lightness / 100.0;
    lightness = shift > 0 ? lightness + (1 - lightness) * shift : lightness * (1 + shift);
    if (saturation == 0) {
        pixel.r = pixel.g = pixel.b = ToByte(lightness);
        return;
    }
    const double q = lightness < 0.5 ? lightness * (1 + saturation) : lightness + saturation - lightness * saturation;
    const double p = 2 * lightness - q;
    pixel.r = ToByte(HueToChannel(p, q, hue + 1.0 / 3));
    pixel.g = ToByte(HueToChannel(p, q, hue));
    pixel.b = ToByte(HueToChannel(p, q, hue - 1.0 / 3));
}

} // namespace

QString ZTHueSaturation::Name()
{
    return QStringLiteral("Hue/Saturation");
}

QByteArray ZTHueSaturation::Encode(const Params& params)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_15);
    stream << qint32(params.hue) << qint32(params.saturation) << qint32(params.lightness);
    return bytes;
}

bool ZTHueSaturation::Decode(const QByteArray& bytes, Params& params)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_5_15);
    qint32 hue = 0;
    qint32 saturation = 0;
    qint32 lightness = 0;
    stream >> hue >> saturation >> lightness;
    if (stream.status() != QDataStream::Ok || !stream.atEnd())
        return false;
    if (hue < -180 || hue > 180 || saturation < -100 || saturation > 100 || lightness < -100 || lightness > 100)
        return false;
    params.hue = hue;
    params.saturation = saturation;
    params.lightness = lightness;
    return true;
}

QString ZTHueSaturation::GetName() const
{
    return Name();
}

QByteArray ZTHueSaturation::GetDefaultParams() const
{
    return Encode(Params());
}

bool ZTHueSaturation::IsValidParams(const QByteArray& params) const
{
    Params decoded;
    return Decode(params, decoded);
}

bool ZTHueSaturation::ApplyParams(const QByteArray& bytes, KXImage32& image) const
{
    Params params;
    if (!Decode(bytes, params))
        return false;
    if (params.hue == 0 && params.saturation == 0 && params.lightness == 0)
        return true;
    TransformTiles(image, [&params](KXRGBA32i* pixels, int count) {
        for (KXRGBA32i* pixel = pixels; pixel != pixels + count; ++pixel)
            if (pixel->a != 0)
                Adjust(*pixel, params);
    });
    return true;
}
