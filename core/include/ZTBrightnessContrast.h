#pragma once

#include "ZTAdjustment.h"

// "Brightness/Contrast": adds the brightness to red, green and blue, then
// stretches them around the middle grey (128) by the contrast.
// Parameters: qint32 brightness (-150 to 150), qint32 contrast (-100 to 100).
// Owned by ZTAdjustmentManager, which registers one at start-up; stateless,
// so any thread may use it.
class VORNCORE_EXPORT ZTBrightnessContrast : public ZTAdjustment
{
public:
    // The parameters above, as a struct.
    struct Params
    {
        int brightness = 0;
        int contrast = 0;
    };

    static QString Name();
    static QByteArray Encode(const Params& params);
    // False, params untouched, for truncated, overlong or out-of-range bytes.
    static bool Decode(const QByteArray& bytes, Params& params);

    QString GetName() const override;
    QByteArray GetDefaultParams() const override;
    bool IsValidParams(const QByteArray& params) const override;
    bool ApplyParams(const QByteArray& params, KXImage32& image) const override;
};
