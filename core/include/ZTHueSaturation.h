#pragma once

#include "ZTAdjustment.h"

// "Hue/Saturation": in HSL space, turns the hue by the given degrees, scales
// the saturation (-100 grey, 100 double) and moves the lightness towards
// black (-100) or white (100).
// Parameters: qint32 hue (-180 to 180), qint32 saturation (-100 to 100),
// qint32 lightness (-100 to 100).
// Owned by ZTAdjustmentManager, which registers one at start-up; stateless,
// so any thread may use it.
class VORNCORE_EXPORT ZTHueSaturation : public ZTAdjustment
{
public:
    // The parameters above, as a struct.
    struct Params
    {
        int hue = 0;
        int saturation = 0;
        int lightness = 0;
    };

    static QString Name();
    static QByteArray Encode(const Params& params);
    static bool Decode(const QByteArray& bytes, Params& params);

    QString GetName() const override;
    QByteArray GetDefaultParams() const override;
    bool IsValidParams(const QByteArray& params) const override;
    bool ApplyParams(const QByteArray& params, KXImage32& image) const override;
};
