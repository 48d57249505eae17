#include "payloadsizewriter.h"

#include "ZTTileManager64.h"

bool PayloadSizeWriter::WriteImage(const QImage& image)
{
    return Add(image.sizeInBytes());
}

bool PayloadSizeWriter::WriteInt(int value)
{
    return Add(sizeof(value));
}

bool PayloadSizeWriter::WriteUInt(unsigned int value)
{
    return Add(sizeof(value));
}

bool PayloadSizeWriter::WriteQReal(double value)
{
    return Add(sizeof(value));
}

bool PayloadSizeWriter::WriteVornPath(const QList<QPair<QList<KXPathElement>, int> >& path)
{
    for (const auto& subpath : path)
        WriteVornPath(subpath.first);
    return Add(qint64(path.size()) * qint64(sizeof(int)));
}

bool PayloadSizeWriter::WriteVornPath(const QList<KXPathElement>& path)
{
    return Add(qint64(path.size()) * qint64(sizeof(KXPathElement)));
}

bool PayloadSizeWriter::WritePainterPath(const QPainterPath& path)
{
    return Add(qint64(path.elementCount()) * qint64(sizeof(QPainterPath::Element)));
}

bool PayloadSizeWriter::WritePoint(const QPoint& point)
{
    return Add(sizeof(point));
}

int PayloadSizeWriter::WriteRawData(const char*, int length)
{
    Add(qMax(length, 0));
    return length;
}

bool PayloadSizeWriter::WriteRect(const QRect& rect)
{
    return Add(sizeof(rect));
}

bool PayloadSizeWriter::WriteSize(const QSize& size)
{
    return Add(sizeof(size));
}

bool PayloadSizeWriter::WriteString(const QString& string)
{
    return Add(qint64(string.size()) * qint64(sizeof(QChar)));
}

bool PayloadSizeWriter::WriteTransform(const QTransform& transform)
{
    return Add(sizeof(transform));
}

bool PayloadSizeWriter::WriteKXImage(const KXImage<KXRGBA32i, 128, 128>& image)
{
    for (unsigned int row = 0; m_tiles && row < image.GetRows(); ++row) {
        for (unsigned int column = 0; column < image.GetColumns(); ++column)
            m_tiles->push_back(image.GetSharedTile(column, row));
    }
    return Add(qint64(image.DistinctTileCount()) * ZTTileManager64::TileBytes);
}

bool PayloadSizeWriter::WriteBrush(const QBrush& brush)
{
    return Add(sizeof(brush) + (brush.textureImage().isNull() ? 0 : brush.textureImage().sizeInBytes()));
}

bool PayloadSizeWriter::WriteMatrix4x4(const QMatrix4x4& matrix)
{
    return Add(sizeof(matrix));
}

bool PayloadSizeWriter::WriteFont(const QFont& font)
{
    return Add(sizeof(font));
}

bool PayloadSizeWriter::WriteByteArray(const QByteArray& bytes)
{
    return Add(bytes.size());
}
