#pragma once

#include <QByteArray>
#include <QSharedPointer>

#include "vorncore_export.h"

// The parameter block of one adjustment layer. A document keeps one block per
// adjustment layer and hands out copies of its target (GetAdjustmentTarget).
// Copies name the same block: parameters stored through any copy are the
// layer's parameters, and a copy stays usable (and keeps the block alive)
// after its layer is gone. Only the adjustment interprets the bytes
// (ZTAdjustment::GetParams, SetParams, Apply). Thread-safe.
class VORNCORE_EXPORT ZTAdjustmentTarget
{
public:
    // A target that names no block: IsValid() is false, nothing can be stored.
    ZTAdjustmentTarget();
    // A target naming a new, empty block.
    static ZTAdjustmentTarget Create();

    bool IsValid() const;
    // The stored bytes; empty while nothing was stored (the adjustment's defaults apply).
    QByteArray Stored() const;
    // Stores the bytes into the block; does nothing on an invalid target.
    void Store(const QByteArray& bytes) const;
    // A target naming a new block that holds a copy of this block's bytes.
    ZTAdjustmentTarget Detached() const;

    // True when both name the same block (or neither names one).
    bool operator==(const ZTAdjustmentTarget& other) const { return m_block == other.m_block; }
    bool operator!=(const ZTAdjustmentTarget& other) const { return m_block != other.m_block; }

private:
    struct Block;
    QSharedPointer<Block> m_block;
};
