#include "ZTAdjustmentManager.h"

#include <QMutexLocker>

#include "ZTBrightnessContrast.h"
#include "ZTHueSaturation.h"
#include "ZTLevels.h"

ZTAdjustmentManager* ZTAdjustmentManager::GetInstance()
{
    static ZTAdjustmentManager manager;
    return &manager;
}

ZTAdjustmentManager::ZTAdjustmentManager()
{
    m_adjustments << new ZTBrightnessContrast << new ZTLevels << new ZTHueSaturation;
}

ZTAdjustmentManager::~ZTAdjustmentManager()
{
    qDeleteAll(m_adjustments);
}

ZTAdjustment* ZTAdjustmentManager::GetAdjustment(const QString& name) const
{
    QMutexLocker locker(&m_lock);
    for (ZTAdjustment* adjustment : m_adjustments)
        if (adjustment->GetName() == name)
            return adjustment;
    return nullptr;
}

bool ZTAdjustmentManager::Register(ZTAdjustment* adjustment)
{
    if (!adjustment)
        return false;
    const QString name = adjustment->GetName();
    QMutexLocker locker(&m_lock);
    for (const ZTAdjustment* registered : m_adjustments)
        if (registered == adjustment || registered->GetName() == name)
            return false;
    m_adjustments.append(adjustment);
    return true;
}

QStringList ZTAdjustmentManager::Names() const
{
    QMutexLocker locker(&m_lock);
    QStringList names;
    for (const ZTAdjustment* adjustment : m_adjustments)
        names << adjustment->GetName();
    return names;
}
