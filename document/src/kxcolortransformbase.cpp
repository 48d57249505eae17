#include "KXColorTransformBase.h"

#include <cmath>
#include <map>

KXColorTransformBase::~KXColorTransformBase() = default;

KXGammaColorTransform::KXGammaColorTransform(double sourceGamma, double targetGamma)
{
    const bool valid = std::isfinite(sourceGamma) && std::isfinite(targetGamma) && sourceGamma > 0 && targetGamma > 0;
    const double exponent = valid ? sourceGamma / targetGamma : 1.0;
    for (int value = 0; value < 256; ++value)
        m_table[size_t(value)] = quint8(std::lround(255.0 * std::pow(value / 255.0, exponent)));
}

bool KXGammaColorTransform::ConvertImage(KXImage32& image) const
{
    if (image.IsEmpty())
        return false;
    const KXImage32 original(image); // keeps the original tiles alive while they are replaced
    // Converted copies by original tile, so that shared tiles stay shared.
    std::map<const KXImage32::Tile*, KXImage32::TilePointer> converted;
    for (unsigned int row = 0; row < image.GetRows(); ++row) {
        for (unsigned int column = 0; column < image.GetColumns(); ++column) {
            const KXImage32::Tile* source = original.GetTile(column, row);
            auto found = converted.find(source);
            if (found == converted.end()) {
                KXImage32::TilePointer tile(new KXImage32::Tile(*source));
                ZTTileMemory memory(tile.constData()->Handle(), true);
                auto* pixels = reinterpret_cast<KXRGBA32i*>(memory.Bytes());
                for (int i = 0; i < int(KXImage32::TileWidth * KXImage32::TileHeight); ++i) {
                    pixels[i].r = m_table[pixels[i].r];
                    pixels[i].g = m_table[pixels[i].g];
                    pixels[i].b = m_table[pixels[i].b];
                }
                found = converted.emplace(source, tile).first;
            }
            image.SetTile(column, row, found->second);
        }
    }
    return true;
}
