#include "cropcommanddata.h"

#include <exception>

#include "KXErrorReport.h"

namespace {

const char* const kRecordError = "Error";

// Runs one record operation; an exception is reported and passed on.
template <class Operation>
auto Reported(Operation operation) -> decltype(operation())
{
    try {
        return operation();
    } catch (const std::exception& exception) {
        VORN_REPORT_EXCEPTION(exception);
        throw;
    } catch (...) {
        VORN_REPORT_UNKNOWN_EXCEPTION();
        throw;
    }
}

// The kind's own fields, between the kind and the mask; each stops at its first failure.
template <class Io>
bool KindFields(Io& io, DocLayerData& layer)
{
    switch (layer.GetKind()) {
    case DocLayerData::RasterKind: {
        auto& raster = static_cast<RasterDocData&>(layer);
        return io(raster.layerImage) && io(raster.layerRect);
    }
    case DocLayerData::TextKind: {
        auto& text = static_cast<TextDocData&>(layer);
        return io(text.textTransform) && io(text.fullTransform) && io(text.layerRect);
    }
    default:
        return true;
    }
}

template <class Io>
bool MaskFields(Io& io, DocLayerData& layer)
{
    if (!io(VornAsInt(layer.hasMask)))
        return false;
    return !layer.hasMask || (io(layer.maskImage) && io(layer.maskRect));
}

DocLayerData* NewLayerRecord(int kind)
{
    switch (kind) {
    case DocLayerData::RasterKind:
        return new RasterDocData;
    case DocLayerData::TextKind:
        return new TextDocData;
    case DocLayerData::AdjustmentKind:
        return new AdjustmentDocData;
    default:
        return nullptr;
    }
}

} // namespace

DocLayerData::~DocLayerData() = default;

void CropDataRecord::Serialize(IWriter* writer, const DocLayerData& layer)
{
    Reported([&] {
        if (!writer) {
            VORN_REPORT(QString::fromLatin1(kRecordError));
            return;
        }
        // The writer only reads the fields; the walk is shared with reading.
        auto& fields = const_cast<DocLayerData&>(layer);
        VornRecordWriter io(writer);
        int kind = layer.GetKind();
        if (!io(kind) || !KindFields(io, fields) || !MaskFields(io, fields))
            VORN_REPORT(QString::fromLatin1(kRecordError));
    });
}

DocLayerData* CropDataRecord::Deserialize(IReader* reader)
{
    return Reported([&]() -> DocLayerData* {
        int kind = 0;
        if (!reader || !reader->ReadInt(kind)) {
            VORN_REPORT(QString::fromLatin1(kRecordError));
            return nullptr;
        }
        std::unique_ptr<DocLayerData> layer(NewLayerRecord(kind));
        if (!layer) {
            VORN_REPORT(QString::fromLatin1(kRecordError));
            return nullptr;
        }
        VornRecordReader io(reader);
        if (!KindFields(io, *layer) || !MaskFields(io, *layer)) {
            VORN_REPORT(QString::fromLatin1(kRecordError));
            return nullptr;
        }
        return layer.release();
    });
}

bool CropDataRecord::LayerEntries(IWriter* writer, int)
{
    for (const auto& entry : layers) {
        if (entry.second) {
            Serialize(writer, *entry.second);
        } else if (!writer->WriteInt(0)) {
            // An empty slot: an unknown kind, read back as an empty slot.
            VORN_REPORT(QString::fromLatin1(kRecordError));
        }
        if (!writer->WriteUInt(entry.first))
            return false;
    }
    return true;
}

bool CropDataRecord::LayerEntries(IReader* reader, int count)
{
    layers.clear();
    if (count < 0)
        return false;
    // Each entry takes at least eight bytes of the file, so a hostile count
    // ends at the file's end, with nothing allocated ahead.
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<DocLayerData> layer(Deserialize(reader));
        unsigned int id = 0;
        if (!reader->ReadUInt(id))
            return false;
        layers[id] = std::move(layer);
    }
    return true;
}

void CropCommandData::SetUndoPathList(const QList<Path>& paths)
{
    EditRecord().undoPaths = paths;
}

bool CropCommandData::GetUndoPathList(QList<Path>& paths) const
{
    return Field(&CropData::undoPaths, paths);
}

template <class T>
T& CropCommandData::EditLayer(unsigned int layer, bool hasMask, const QRect& maskRect, const KXImage32& mask)
{
    std::unique_ptr<DocLayerData>& slot = EditRecord().layers[layer];
    if (!slot || slot->GetKind() != T::OwnKind)
        slot.reset(new T);
    slot->hasMask = hasMask;
    if (hasMask) {
        slot->maskRect = maskRect;
        slot->maskImage = mask;
    }
    return static_cast<T&>(*slot);
}

template <class T>
const T* CropCommandData::FindLayer(unsigned int layer) const
{
    const CropData* record = GetRecord();
    if (!record)
        return nullptr;
    const auto found = record->layers.find(layer);
    if (found == record->layers.end() || !found->second || found->second->GetKind() != T::OwnKind)
        return nullptr;
    return static_cast<const T*>(found->second.get());
}

namespace {

void CopyMask(const DocLayerData& layer, bool& hasMask, QRect& maskRect, KXImage32& mask)
{
    hasMask = layer.hasMask;
    if (hasMask) {
        maskRect = layer.maskRect;
        mask = layer.maskImage;
    }
}

} // namespace

void CropCommandData::SetUndoLayerData(unsigned int layer, const QRect& rect, const KXImage32& image, bool hasMask,
                                       const QRect& maskRect, const KXImage32& mask)
{
    auto& raster = EditLayer<RasterDocData>(layer, hasMask, maskRect, mask);
    raster.layerRect = rect;
    raster.layerImage = image;
}

void CropCommandData::SetUndoLayerData(unsigned int layer, const QRect& rect, const QTransform& textTransform,
                                       const QTransform& fullTransform, bool hasMask, const QRect& maskRect,
                                       const KXImage32& mask)
{
    auto& text = EditLayer<TextDocData>(layer, hasMask, maskRect, mask);
    text.layerRect = rect;
    text.textTransform = textTransform;
    text.fullTransform = fullTransform;
}

void CropCommandData::SetUndoLayerData(unsigned int layer, bool hasMask, const QRect& maskRect, const KXImage32& mask)
{
    EditLayer<AdjustmentDocData>(layer, hasMask, maskRect, mask);
}

bool CropCommandData::GetUndoLayerData(unsigned int layer, QRect& rect, KXImage32& image, bool& hasMask,
                                       QRect& maskRect, KXImage32& mask) const
{
    const RasterDocData* raster = FindLayer<RasterDocData>(layer);
    if (!raster)
        return false;
    rect = raster->layerRect;
    image = raster->layerImage;
    CopyMask(*raster, hasMask, maskRect, mask);
    return true;
}

bool CropCommandData::GetUndoLayerData(unsigned int layer, QRect& rect, QTransform& textTransform,
                                       QTransform& fullTransform, bool& hasMask, QRect& maskRect,
                                       KXImage32& mask) const
{
    const TextDocData* text = FindLayer<TextDocData>(layer);
    if (!text)
        return false;
    rect = text->layerRect;
    textTransform = text->textTransform;
    fullTransform = text->fullTransform;
    CopyMask(*text, hasMask, maskRect, mask);
    return true;
}

bool CropCommandData::GetUndoLayerData(unsigned int layer, bool& hasMask, QRect& maskRect, KXImage32& mask) const
{
    const AdjustmentDocData* adjustment = FindLayer<AdjustmentDocData>(layer);
    if (!adjustment)
        return false;
    CopyMask(*adjustment, hasMask, maskRect, mask);
    return true;
}

void CropCommandData::SetUndoCanvasSize(const QSize& size)
{
    EditRecord().undoCanvasSize = size;
}

bool CropCommandData::GetUndoCanvasSize(QSize& size) const
{
    return Field(&CropData::undoCanvasSize, size);
}

void CropCommandData::SetRedoData(const QTransform& transform, const QSize& newSize, bool keepOutside, bool bicubic)
{
    CropData& record = EditRecord();
    record.transform = transform;
    record.newCanvasSize = newSize;
    record.keepOutside = keepOutside;
    record.bicubic = bicubic;
}

bool CropCommandData::GetRedoData(QTransform& transform, QSize& newSize, bool& keepOutside, bool& bicubic) const
{
    const CropData* record = GetRecord();
    if (!record)
        return false;
    transform = record->transform;
    newSize = record->newCanvasSize;
    keepOutside = record->keepOutside;
    bicubic = record->bicubic;
    return true;
}

QList<unsigned int> CropCommandData::GetIndexes() const
{
    QList<unsigned int> ids;
    if (const CropData* record = GetRecord())
        for (const auto& entry : record->layers)
            ids.append(entry.first);
    return ids;
}

CropCommandData* cropcommanddata_cast(VornCommandData* data)
{
    return VornDataCast<CropCommandData>(data);
}
