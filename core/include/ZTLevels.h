#pragma once

#include "ZTAdjustment.h"

// "Levels": per channel, maps the input range [input black, input white] to
// [output black, output white] through a gamma curve. The red, green and blue
// settings apply first, then the composite settings to all three.
// Parameters: for Composite, Red, Green and Blue in this order: qint32 input
// black, qint32 input white (0 <= black < white <= 255), double gamma (0.1 to
// 9.99), qint32 output black, qint32 output white (0 to 255 each; black above
// white inverts).
// Owned by ZTAdjustmentManager, which registers one at start-up; stateless,
// so any thread may use it.
class VORNCORE_EXPORT ZTLevels : public ZTAdjustment
{
public:
    enum Channel
    {
        Composite = 0,
        Red = 1,
        Green = 2,
        Blue = 3,
        ChannelCount = 4
    };
    // The settings of one channel.
    struct ChannelLevels
    {
        int inputBlack = 0;
        int inputWhite = 255;
        double gamma = 1.0;
        int outputBlack = 0;
        int outputWhite = 255;
    };
    // The parameters above, as a struct.
    struct Params
    {
        ChannelLevels channels[ChannelCount];
    };

    static QString Name();
    static QByteArray Encode(const Params& params);
    static bool Decode(const QByteArray& bytes, Params& params);

    QString GetName() const override;
    QByteArray GetDefaultParams() const override;
    bool IsValidParams(const QByteArray& params) const override;
    bool ApplyParams(const QByteArray& params, KXImage32& image) const override;
};
