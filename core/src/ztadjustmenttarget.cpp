#include "ZTAdjustmentTarget.h"

#include <QMutex>
#include <QMutexLocker>

struct ZTAdjustmentTarget::Block
{
    mutable QMutex lock;
    QByteArray bytes;
};

ZTAdjustmentTarget::ZTAdjustmentTarget() = default;

ZTAdjustmentTarget ZTAdjustmentTarget::Create()
{
    ZTAdjustmentTarget target;
    target.m_block = QSharedPointer<Block>::create();
    return target;
}

bool ZTAdjustmentTarget::IsValid() const
{
    return !m_block.isNull();
}

QByteArray ZTAdjustmentTarget::Stored() const
{
    if (!m_block)
        return QByteArray();
    QMutexLocker locker(&m_block->lock);
    return m_block->bytes;
}

void ZTAdjustmentTarget::Store(const QByteArray& bytes) const
{
    if (!m_block)
        return;
    QMutexLocker locker(&m_block->lock);
    m_block->bytes = bytes;
}

ZTAdjustmentTarget ZTAdjustmentTarget::Detached() const
{
    if (!m_block)
        return ZTAdjustmentTarget();
    ZTAdjustmentTarget copy = Create();
    copy.Store(Stored());
    return copy;
}
