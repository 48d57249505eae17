#pragma once

#include <QPoint>
#include <QString>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

// The fields every new layer has, whatever its kind.
struct NewLayerRecord
{
    QString name;
    unsigned int layerId = 0;
    double opacity = 0;
    unsigned int blendMode = 0;
    unsigned int locks = 0;
    unsigned int maskFlags = 0;
    KXImage32 mask;
    QPoint maskPos;

    template <class Io> bool Fields(Io& io)
    {
        return io(name, layerId, opacity, blendMode, locks, maskFlags, mask, maskPos);
    }
};

// What NewLayerCommand inserts: a layer's name, id, opacity, blend mode, locks
// and optional mask. The kinds of layer derive from it (NewRasterLayerData,
// NewTextLayerData, NewAdjustmentLayerData), each with a record that writes
// its own fields first and then these.
// Record: name (string), layer id (uint), opacity (qreal), blend mode (uint),
// locks (uint), mask flags (uint), mask (KXImage), mask position (point).
//
// The getters return the value, or 0, false or empty (opacity -1.0) while
// there is no record.
// Owns its record (the derived kind's); its command owns it until the push, the
// stack's serializer after. Filled and read on the GUI thread; between
// executions the serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT NewLayerData : public VornCommandData
{
public:
    static constexpr unsigned int Type = 33;

    // Bits of the mask flags word.
    enum MaskFlag : unsigned int
    {
        MaskEnabled = 0x1,
        MaskLinked = 0x2,
        MaskCreated = 0x4,
        MaskType = 0x8
    };

    unsigned int GetDataType() const override { return Type; }

    void SetName(const QString& name) { EditLayerRecord().name = name; }
    void SetLayerID(unsigned int id) { EditLayerRecord().layerId = id; }
    void SetBlendMode(unsigned int mode) { EditLayerRecord().blendMode = mode; }
    void SetLocks(unsigned int locks) { EditLayerRecord().locks = locks; }
    void SetOpacity(double opacity) { EditLayerRecord().opacity = opacity; }
    void SetMask(const KXImage32& mask) { EditLayerRecord().mask = mask; }
    void SetMaskEnabled(bool enabled) { SetMaskFlag(MaskEnabled, enabled); }
    void SetMaskLinked(bool linked) { SetMaskFlag(MaskLinked, linked); }
    void SetMaskCreated(bool created) { SetMaskFlag(MaskCreated, created); }
    void SetMaskPos(const QPoint& position) { EditLayerRecord().maskPos = position; }
    void SetMaskType(bool maskType) { SetMaskFlag(MaskType, maskType); }

    QString GetName() const { return Value(&NewLayerRecord::name); }
    unsigned int GetLayerID() const { return Value(&NewLayerRecord::layerId); }
    unsigned int GetBlendMode() const { return Value(&NewLayerRecord::blendMode); }
    unsigned int GetLocks() const { return Value(&NewLayerRecord::locks); }
    double GetOpacity() const { return LayerRecord() ? LayerRecord()->opacity : -1.0; }
    KXImage32 GetMask() const { return Value(&NewLayerRecord::mask); }
    bool GetMaskEnabled() const { return Value(&NewLayerRecord::maskFlags) & MaskEnabled; }
    bool GetMaskLinked() const { return Value(&NewLayerRecord::maskFlags) & MaskLinked; }
    bool GetMaskCreated() const { return Value(&NewLayerRecord::maskFlags) & MaskCreated; }
    QPoint GetMaskPos() const { return Value(&NewLayerRecord::maskPos); }
    bool GetMaskType() const { return Value(&NewLayerRecord::maskFlags) & MaskType; }

    // True while the record is present.
    bool HasLayerRecord() const { return LayerRecord() != nullptr; }

protected:
    // The derived class's record, seen as its NewLayerRecord part (created when absent).
    virtual NewLayerRecord& EditLayerRecord() = 0;
    // Null while there is no record.
    virtual const NewLayerRecord* LayerRecord() const = 0;

private:
    void SetMaskFlag(unsigned int flag, bool on)
    {
        unsigned int& flags = EditLayerRecord().maskFlags;
        flags = on ? flags | flag : flags & ~flag;
    }

    template <class T> T Value(T NewLayerRecord::*member) const { return LayerRecord() ? LayerRecord()->*member : T(); }
};

// The payload rule for a kind of new layer whose record derives from NewLayerRecord.
// Owns the record; threads as NewLayerData.
template <class Record> class NewLayerRecordData : public VornRecordData<Record, NewLayerData>
{
protected:
    NewLayerRecord& EditLayerRecord() override { return this->EditRecord(); }
    const NewLayerRecord* LayerRecord() const override { return this->GetRecord(); }
};
