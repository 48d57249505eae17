#include "ZTAdjustment.h"

#include <QVector>

#include <unordered_map>

ZTAdjustment::~ZTAdjustment() = default;

QByteArray ZTAdjustment::GetParams(const ZTAdjustmentTarget& target) const
{
    if (!target.IsValid())
        return QByteArray();
    const QByteArray stored = target.Stored();
    return stored.isEmpty() ? GetDefaultParams() : stored;
}

bool ZTAdjustment::SetParams(const ZTAdjustmentTarget& target, const QByteArray& params) const
{
    if (!target.IsValid() || !IsValidParams(params))
        return false;
    target.Store(params);
    return true;
}

bool ZTAdjustment::Apply(const ZTAdjustmentTarget& target, KXImage32& image) const
{
    if (!target.IsValid())
        return false;
    return ApplyParams(GetParams(target), image);
}

void ZTAdjustment::TransformTiles(KXImage32& image, const std::function<void(KXRGBA32i*, int)>& transform)
{
    constexpr int pixelsPerTile = int(KXImage32::TileWidth * KXImage32::TileHeight);
    std::unordered_map<const KXImage32::Tile*, KXImage32::TilePointer> transformed;
    QVector<KXImage32::TilePointer> originals; // keeps the keys above alive and unique
    for (unsigned int row = 0; row < image.GetRows(); ++row) {
        for (unsigned int column = 0; column < image.GetColumns(); ++column) {
            if (!image.IsTileShared(column, row)) {
                void* handle = image.DetachTile(column, row);
                if (!handle)
                    continue;
                ZTTileMemory memory(handle, true);
                transform(reinterpret_cast<KXRGBA32i*>(memory.Bytes()), pixelsPerTile);
                continue;
            }
            const KXImage32::TilePointer original = image.GetSharedTile(column, row);
            const auto found = transformed.find(original.constData());
            if (found != transformed.end()) {
                image.SetTile(column, row, found->second);
                continue;
            }
            void* handle = image.DetachTile(column, row);
            {
                ZTTileMemory memory(handle, true);
                transform(reinterpret_cast<KXRGBA32i*>(memory.Bytes()), pixelsPerTile);
            }
            transformed.emplace(original.constData(), image.GetSharedTile(column, row));
            originals.append(original);
        }
    }
}

void ZTAdjustment::ApplyTables(KXImage32& image, const quint8* red, const quint8* green, const quint8* blue)
{
    TransformTiles(image, [red, green, blue](KXRGBA32i* pixels, int count) {
        for (KXRGBA32i* pixel = pixels; pixel != pixels + count; ++pixel) {
            if (pixel->a == 0)
                continue;
            pixel->r = red[pixel->r];
            pixel->g = green[pixel->g];
            pixel->b = blue[pixel->b];
        }
    });
}
