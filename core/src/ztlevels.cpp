#include "ZTLevels.h"

#include <QDataStream>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

bool IsValid(const ZTLevels::ChannelLevels& levels)
{
    return levels.inputBlack >= 0 && levels.inputBlack < levels.inputWhite && levels.inputWhite <= 255
        && levels.gamma >= 0.1 && levels.gamma <= 9.99 && levels.outputBlack >= 0 && levels.outputBlack <= 255
        && levels.outputWhite >= 0 && levels.outputWhite <= 255;
}

void MakeTable(const ZTLevels::ChannelLevels& levels, quint8* table)
{
    const double range = levels.inputWhite - levels.inputBlack;
    for (int value = 0; value < 256; ++value) {
        const double position = std::clamp((value - levels.inputBlack) / range, 0.0, 1.0);
        const double curved = std::pow(position, 1.0 / levels.gamma);
        const double result = levels.outputBlack + curved * (levels.outputWhite - levels.outputBlack);
        table[value] = quint8(std::clamp(std::lround(result), 0L, 255L));
    }
}

} // namespace

QString ZTLevels::Name()
{
    return QStringLiteral("Levels");
}

QByteArray ZTLevels::Encode(const Params& params)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream.setVersion(QDataStream::Qt_5_15);
    for (const ChannelLevels& levels : params.channels)
        stream << qint32(levels.inputBlack) << qint32(levels.inputWhite) << levels.gamma << qint32(levels.outputBlack)
               << qint32(levels.outputWhite);
    return bytes;
}

bool ZTLevels::Decode(const QByteArray& bytes, Params& params)
{
    QDataStream stream(bytes);
    stream.setVersion(QDataStream::Qt_5_15);
    Params decoded;
    for (ChannelLevels& levels : decoded.channels) {
        qint32 inputBlack = 0;
        qint32 inputWhite = 0;
        qint32 outputBlack = 0;
        qint32 outputWhite = 0;
        stream >> inputBlack >> inputWhite >> levels.gamma >> outputBlack >> outputWhite;
        levels.inputBlack = inputBlack;
        levels.inputWhite = inputWhite;
        levels.outputBlack = outputBlack;
        levels.outputWhite = outputWhite;
        if (stream.status() != QDataStream::Ok || !IsValid(levels))
            return false;
    }
    if (!stream.atEnd())
        return false;
    params = decoded;
    return true;
}

QString ZTLevels::GetName() const
{
    return Name();
}

QByteArray ZTLevels::GetDefaultParams() const
{
    return Encode(Params());
}

bool ZTLevels::IsValidParams(const QByteArray& params) const
{
    Params decoded;
    return Decode(params, decoded);
}

bool ZTLevels::ApplyParams(const QByteArray& bytes, KXImage32& image) const
{
    Params params;
    if (!Decode(bytes, params))
        return false;
    quint8 composite[256];
    MakeTable(params.channels[Composite], composite);
    quint8 tables[3][256];
    bool identity = true;
    for (int channel = 0; channel < 3; ++channel) {
        quint8 own[256];
        MakeTable(params.channels[Red + channel], own);
        for (int value = 0; value < 256; ++value) {
            tables[channel][value] = composite[own[value]];
            identity = identity && tables[channel][value] == value;
        }
    }
    if (!identity)
        ApplyTables(image, tables[0], tables[1], tables[2]);
    return true;
}
