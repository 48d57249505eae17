#pragma once

#include <vector>

#include "KXImage.h"
#include "iwriter.h"

// A writer that writes nothing and adds up how much memory the fields handed
// to it occupy: what a payload keeps in memory while it cannot be written
// out. A tile that several positions of an image share counts once per image.
// It can also keep references to the tiles of the tiled images it is handed:
// the memory a swap can move out. One thread at a time; owned by its caller.
class PayloadSizeWriter : public IWriter
{
public:
    qint64 GetBytes() const { return m_bytes; }
    // Appends a reference to every tile of the tiled images handed over from
    // now on to tiles.
    void KeepTiles(std::vector<KXImage32::TilePointer>* tiles) { m_tiles = tiles; }

    bool WriteImage(const QImage& image) override;
    bool WriteInt(int value) override;
    bool WriteUInt(unsigned int value) override;
    bool WriteQReal(double value) override;
    bool WriteVornPath(const QList<QPair<QList<KXPathElement>, int> >& path) override;
    bool WriteVornPath(const QList<KXPathElement>& path) override;
    bool WritePainterPath(const QPainterPath& path) override;
    bool WritePoint(const QPoint& point) override;
    int WriteRawData(const char* data, int length) override;
    bool WriteRect(const QRect& rect) override;
    bool WriteSize(const QSize& size) override;
    bool WriteString(const QString& string) override;
    bool WriteTransform(const QTransform& transform) override;
    bool WriteKXImage(const KXImage<KXRGBA32i, 128, 128>& image) override;
    bool WriteBrush(const QBrush& brush) override;
    bool WriteMatrix4x4(const QMatrix4x4& matrix) override;
    bool WriteFont(const QFont& font) override;
    bool WriteByteArray(const QByteArray& bytes) override;

private:
    bool Add(qint64 bytes)
    {
        m_bytes += bytes;
        return true;
    }

    qint64 m_bytes = 0;
    std::vector<KXImage32::TilePointer>* m_tiles = nullptr;
};
