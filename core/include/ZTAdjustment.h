#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

#include "KXImage.h"
#include "ZTAdjustmentTarget.h"
#include "vorncore_export.h"

// One kind of adjustment ("Levels", "Hue/Saturation", ...): the rule that
// turns parameters into a change of pixels. An adjustment object is stateless
// and shared: the manager (ZTAdjustmentManager) keeps one per kind for the
// life of the process, and every adjustment layer of that kind points to it.
// What differs per layer is the layer's parameter block, its target
// (ZTAdjustmentTarget): GetParams/SetParams read and write the block the
// target names, Apply uses it. So a pointer to an adjustment never dangles,
// and parameters set through it after a layer was re-created reach the new
// layer through the new layer's target.
//
// Parameters are a QByteArray written with QDataStream (version Qt_5_15,
// big-endian); each adjustment documents its own fields and ranges.
// Its operations are const and keep no state, so any thread may call them,
// each on an image of its own.
class VORNCORE_EXPORT ZTAdjustment
{
public:
    virtual ~ZTAdjustment();
    ZTAdjustment(const ZTAdjustment&) = delete;
    ZTAdjustment& operator=(const ZTAdjustment&) = delete;

    virtual QString GetName() const = 0;
    // The parameters of a new layer (an identity change).
    virtual QByteArray GetDefaultParams() const = 0;
    // True when the bytes are a complete, in-range parameter record.
    virtual bool IsValidParams(const QByteArray& params) const = 0;
    // Changes the pixels by the parameters (pixels with alpha 0 stay as they are).
    // False, image unchanged, for invalid parameters.
    virtual bool ApplyParams(const QByteArray& params, KXImage32& image) const = 0;

    // The target's parameters: the defaults while it holds none; empty for an invalid target.
    QByteArray GetParams(const ZTAdjustmentTarget& target) const;
    // Stores the parameters in the target's block. False, nothing stored, for an
    // invalid target or invalid parameters.
    bool SetParams(const ZTAdjustmentTarget& target, const QByteArray& params) const;
    // Applies the target's parameters to the image; false for an invalid target.
    bool Apply(const ZTAdjustmentTarget& target, KXImage32& image) const;

protected:
    ZTAdjustment() = default;

    // Calls the function once per distinct tile with its 16384 pixels. Tiles
    // shared between positions (or with other images) are copied once and the
    // copy is shared again, so a uniform image costs one tile's work.
    static void TransformTiles(KXImage32& image, const std::function<void(KXRGBA32i*, int)>& transform);
    // Maps red, green and blue through the three 256-entry tables; alpha 0 pixels are skipped.
    static void ApplyTables(KXImage32& image, const quint8* red, const quint8* green, const quint8* blue);
};
