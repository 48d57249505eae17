#pragma once

#include <QPoint>
#include <QSize>

#include "KXImage.h"
#include "vornhistory_export.h"
#include "vornrecord.h"

struct LayerMaskCreateRecord
{
    QPoint maskOffset;
    unsigned int layerId = 0;
    KXImage32 mask;
    bool maskType = false;

    template <class Io>
    bool Fields(Io& io)
    {
        return io(maskOffset, layerId, mask, VornAsInt(maskType));
    }
};

// A new mask for one layer: its pixels, where it goes and its type flag.
// The record is created by the constructors.
// Record: mask offset (point), layer id (uint), mask (KXImage), mask type (uint, 1 or 0).
// Owns its record; its command owns it until the push, the stack's serializer
// after. Filled and read on the GUI thread; between executions the
// serializer's worker writes its record and releases it.
class VORNHISTORY_EXPORT LayerMaskCreateCommandData : public VornRecordData<LayerMaskCreateRecord>
{
public:
    static constexpr unsigned int Type = 18;

    // How the mask pixels are made from the source image.
    enum MaskType : int
    {
        FromImage = 0, // the source itself
        RevealAll = 1, // opaque white of the source's size
        HideAll = 2, // opaque black of the source's size
        FromTransparency = 3, // the grey of the source's alpha
        FromSource = 4, // the grey of the source's luminance
        FromSelection = 5, // the source itself
        FromInvertedSelection = 6 // the source, inverted as a layer mask
    };

    // The mask built from source by kind (kinds above 6: an empty mask).
    LayerMaskCreateCommandData(MaskType kind, const KXImage32& source, bool maskType);
    // Kinds 0 to 4 leave the mask empty, as do the others (there is no source).
    LayerMaskCreateCommandData(MaskType kind, const QSize& size, bool maskType);

    unsigned int GetDataType() const override { return Type; }

    void SetMaskOffset(const QPoint& offset) { EditRecord().maskOffset = offset; }
    void SetLayerId(unsigned int id) { EditRecord().layerId = id; }
    void SetMaskType(bool maskType) { EditRecord().maskType = maskType; }

    // False, argument untouched, while there is no record.
    bool GetMaskOffset(QPoint& offset) const { return Field(&Record::maskOffset, offset); }
    bool GetLayerId(unsigned int& id) const { return Field(&Record::layerId, id); }
    bool GetImage(KXImage32& mask) const { return Field(&Record::mask, mask); }
    bool GetMaskType(bool& maskType) const { return Field(&Record::maskType, maskType); }

    // The mask pixels of a kind, built from source (shares the source's tiles where it can).
    static KXImage32 BuildMask(MaskType kind, const KXImage32& source);

private:
    using Record = LayerMaskCreateRecord;
};

// data typed as LayerMaskCreateCommandData when it is one (type 18), else null.
VORNHISTORY_EXPORT LayerMaskCreateCommandData* LayerMaskCreateCommanddata_cast(VornCommandData* data);
