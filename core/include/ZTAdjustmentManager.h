#pragma once

#include <QList>
#include <QMutex>
#include <QString>
#include <QStringList>

#include "ZTAdjustment.h"
#include "vorncore_export.h"

// The registry of adjustment kinds, one process-wide object. It starts with
// "Brightness/Contrast", "Levels" and "Hue/Saturation" and owns every
// registered adjustment until the process ends, so the pointers it returns
// stay valid. An adjustment layer keeps such a pointer and its own parameter
// block (ZTAdjustmentTarget); see ZTAdjustment. Thread-safe.
class VORNCORE_EXPORT ZTAdjustmentManager
{
public:
    // The registry (never null in this library; callers may still test it).
    static ZTAdjustmentManager* GetInstance();

    // The adjustment registered under the name, or null.
    ZTAdjustment* GetAdjustment(const QString& name) const;
    // Takes ownership and returns true; false (ownership stays with the caller)
    // for null or a name already registered.
    bool Register(ZTAdjustment* adjustment);
    // Registered names in registration order.
    QStringList Names() const;

    ZTAdjustmentManager(const ZTAdjustmentManager&) = delete;
    ZTAdjustmentManager& operator=(const ZTAdjustmentManager&) = delete;

private:
    ZTAdjustmentManager();
    ~ZTAdjustmentManager();

    mutable QMutex m_lock;
    QList<ZTAdjustment*> m_adjustments;
};
