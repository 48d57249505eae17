#include "vornreaderwriter.h"

#include <QBuffer>
#include <QColor>
#include <QDataStream>
#include <QGradient>
#include <QImageReader>
#include <QHash>
#include <QPixelFormat>
#include <QtEndian>

#include <libdeflate.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include "KXDocumentInterface.h"
#include "KXErrorReport.h"
#include "KXManagedFile.h"
#include "ZTTileManager64.h"
#include "tilecodec_p.h"

namespace {

using TiledImage = KXImage<KXRGBA32i, 128, 128>;

constexpr int TileBytes = ZTTileManager64::TileBytes;
static_assert(TileBytes == TileCodec::TileBytes, "one tile size");
// Tiles whose blob is this small (uniform or nearly uniform areas) are shared
// again when several positions of a record hold the same blob.
constexpr int SharedBlobBytes = 1024;
// Positions whose tiles are compressed together (in parallel), then written.
constexpr int WriteBatchTiles = 32;
// KXPathElement's encoding: the type as a 32-bit integer, then x and y as doubles.
constexpr qint64 PathElementBytes = 4 + 8 + 8;

bool IsOk(const QDataStream& stream)
{
    return stream.status() == QDataStream::Ok;
}

qint64 BytesLeft(const QDataStream& stream)
{
    return stream.device()->bytesAvailable();
}

bool IsRaised(const std::atomic<bool>* flag)
{
    return flag && flag->load(std::memory_order_acquire);
}

// The blob of one tile: reused from the cache while the tile is unchanged,
// otherwise compressed and kept there. Null when compressing failed.
QByteArray TileBlob(const TiledImage::Tile* tile)
{
    TileBlobCache& cache = TileBlobCache::Instance();
    ZTTileManager64* manager = ZTTileManager64::Instance();
    const quint64 revision = manager->Revision(tile->Handle());
    QByteArray blob = cache.Find(tile, revision);
    if (!blob.isNull())
        return blob;
    {
        ZTTileMemory memory(tile->Handle(), false);
        if (!memory.Bytes())
            return QByteArray();
        blob = TileCodec::Compress(memory.Bytes());
    }
    if (!blob.isNull())
        cache.Insert(tile, revision, blob);
    return blob;
}

// Writing: every position gets one QByteArray with qCompress of its tile's
// 65536 bytes. The distinct tiles of each batch of positions are compressed
// in parallel (or taken from the cache); the blobs are then written in
// position order. A raised cancel flag stops the write at the next tile.
void WriteTiledImage(QDataStream& stream, const TiledImage& image, const std::atomic<bool>* cancel)
{
    if (!IsOk(stream))
        return;
    stream << quint32(image.GetWidth()) << quint32(image.GetHeight());

    const int count = image.TileCount();
    const unsigned int columns = image.GetColumns();
    std::vector<const TiledImage::Tile*> distinct;
    std::vector<QByteArray> blobs;
    std::vector<int> blobOf(WriteBatchTiles);
    qint64 imageBlobBytes = 0;
    for (int first = 0; first < count && IsOk(stream); first += WriteBatchTiles) {
        const int batch = qMin(WriteBatchTiles, count - first);
        distinct.clear();
        for (int i = 0; i < batch; ++i) {
            const int position = first + i;
            const TiledImage::Tile* tile = image.GetTile(unsigned(position) % columns, unsigned(position) / columns);
            if (!tile) {
                stream.setStatus(QDataStream::WriteFailed);
                return;
            }
            const auto seen = std::find(distinct.begin(), distinct.end(), tile);
            blobOf[size_t(i)] = int(seen - distinct.begin());
            if (seen == distinct.end())
                distinct.push_back(tile);
        }
        blobs.assign(distinct.size(), QByteArray());
        TileCodec::ParallelFor(int(distinct.size()), [&](int k) {
            if (IsRaised(cancel))
                return;
            try {
                blobs[size_t(k)] = TileBlob(distinct[size_t(k)]);
            } catch (const std::bad_alloc&) {
                blobs[size_t(k)] = QByteArray();
            }
        });
        for (int i = 0; i < batch && IsOk(stream); ++i) {
            const QByteArray& blob = blobs[size_t(blobOf[size_t(i)])];
            if (IsRaised(cancel) || blob.isNull()) {
                stream.setStatus(QDataStream::WriteFailed);
                return;
            }
            stream << blob;
            imageBlobBytes += blob.size();
        }
    }
    TileBlobCache::Instance().FitImage(imageBlobBytes);
}

// One blob in QByteArray's encoding (32-bit length, then the bytes), refused
// when its length is more than a compressed tile can take.
bool ReadTileBlob(QDataStream& stream, QByteArray& blob)
{
    quint32 length = 0;
    stream >> length;
    if (!IsOk(stream))
        return false;
    if (length > quint32(TileCodec::MaxBlobBytes)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return false;
    }
    blob.resize(int(length));
    return stream.readRawData(blob.data(), int(length)) == int(length);
}

// A new tile holding one blob's pixels, decoded straight into the tile; null
// when the blob is not one compressed tile of exactly 65536 bytes.
TiledImage::TilePointer TileFromBlob(const QByteArray& blob)
{
    TiledImage::TilePointer tile(new TiledImage::Tile);
    ZTTileMemory memory(tile.constData()->Handle(), true);
    if (!memory.Bytes() || !TileCodec::Decompress(blob.constData(), blob.size(), memory.Bytes()))
        return TiledImage::TilePointer();
    return tile;
}

// The blobs of one tiled image read back from a verified file, decoded into
// their tiles (in parallel) when the image is first used. A blob that does
// not decode leaves a transparent tile and is reported.
class BlobTileFiller : public ZTTileFiller
{
public:
    explicit BlobTileFiller(std::vector<QByteArray> blobs)
        : m_blobs(std::move(blobs))
    {
    }

    void Fill(const std::vector<int>& indexes, const std::vector<uchar*>& destinations) override
    {
        std::atomic<bool> failed {false};
        TileCodec::ParallelFor(int(indexes.size()), [&](int k) {
            const QByteArray& blob = m_blobs[size_t(indexes[size_t(k)])];
            if (!TileCodec::Decompress(blob.constData(), blob.size(), destinations[size_t(k)])) {
                std::memset(destinations[size_t(k)], 0, TileBytes);
                failed = true;
            }
        });
        if (failed)
            VORN_REPORT(QStringLiteral("Deserialize data error."));
    }

private:
    std::vector<QByteArray> m_blobs;
};

// Tiles whose bytes the blobs give when first used. Only each blob's framing is
// checked now. Each blob is the one the cache would make for its tile (the
// file is the library's own), so a later record holding the tile reuses it.
bool DeferredTiles(const std::vector<QByteArray>& blobs, std::vector<TiledImage::TilePointer>& tiles)
{
    for (const QByteArray& blob : blobs) {
        if (!TileCodec::HasTileFraming(blob.constData(), blob.size()))
            return false;
    }
    ZTTileManager64* manager = ZTTileManager64::Instance();
    const std::vector<void*> handles
        = manager->MakeDeferredTiles(int(blobs.size()), std::make_shared<BlobTileFiller>(blobs));
    size_t taken = 0;
    try {
        for (; taken < handles.size(); ++taken)
            tiles[taken] = TiledImage::TilePointer(new TiledImage::Tile(handles[taken]));
    } catch (const std::bad_alloc&) {
        for (; taken < handles.size(); ++taken)
            manager->CleanUpTile(handles[taken]);
        throw;
    }
    TileBlobCache& cache = TileBlobCache::Instance();
    for (size_t k = 0; k < tiles.size(); ++k)
        cache.Insert(tiles[k].constData(), manager->Revision(handles[k]), blobs[k]);
    return true;
}

// Tiles decoded now, in parallel; false when a blob is not one compressed tile.
bool DecodedTiles(const std::vector<QByteArray>& blobs, std::vector<TiledImage::TilePointer>& tiles)
{
    std::atomic<bool> failed {false};
    TileCodec::ParallelFor(int(blobs.size()), [&](int k) {
        if (failed.load())
            return;
        try {
            tiles[size_t(k)] = TileFromBlob(blobs[size_t(k)]);
        } catch (const std::bad_alloc&) {
        }
        if (!tiles[size_t(k)].constData())
            failed = true;
    });
    return !failed;
}

// Reading: the size is checked against the tile limit and against what the
// file can still hold (every blob needs its 4-byte length) before anything is
// allocated, so a corrupt size cannot cause a huge allocation. All blobs are
// read first, then decoded in parallel; positions with the same small blob
// share one tile. Deferred, the tiles are decoded when the image is first
// used (see DeferredTiles).
void ReadTiledImage(QDataStream& stream, TiledImage& image, bool deferred)
{
    if (!IsOk(stream))
        return;
    quint32 width = 0;
    quint32 height = 0;
    stream >> width >> height;
    if (!IsOk(stream))
        return;
    // No image a document holds is wider or taller than the document can be;
    // a larger side (even of an image without tiles) is a damaged record.
    if (width > quint32(KXDocumentInterface::MAX_DOC_DIMENSION)
        || height > quint32(KXDocumentInterface::MAX_DOC_DIMENSION)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    const quint64 columns = (quint64(width) + TiledImage::TileWidth - 1) / TiledImage::TileWidth;
    const quint64 rows = (quint64(height) + TiledImage::TileHeight - 1) / TiledImage::TileHeight;
    const quint64 tiles = columns * rows;
    if (tiles > TiledImage::MaxTiles) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    if (tiles * 4 > quint64(BytesLeft(stream))) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return;
    }
    std::vector<QByteArray> blobs;
    std::vector<int> decodedAt(tiles); // position -> index into blobs
    QHash<QByteArray, int> shared;
    QByteArray blob;
    for (quint64 position = 0; position < tiles; ++position) {
        if (!ReadTileBlob(stream, blob))
            return;
        const bool shareable = blob.size() <= SharedBlobBytes;
        const auto found = shareable ? shared.constFind(blob) : shared.constEnd();
        if (found != shared.constEnd()) {
            decodedAt[position] = found.value();
            continue;
        }
        decodedAt[position] = int(blobs.size());
        if (shareable)
            shared.insert(blob, int(blobs.size()));
        blobs.push_back(blob);
    }

    std::vector<TiledImage::TilePointer> decoded(blobs.size());
    if (!(deferred ? DeferredTiles(blobs, decoded) : DecodedTiles(blobs, decoded))) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    TiledImage result(width, height);
    for (quint64 position = 0; position < tiles; ++position)
        result.SetTile(unsigned(position % columns), unsigned(position / columns), decoded[size_t(decodedAt[position])]);
    image = std::move(result);
}

void WriteImageRecord(QDataStream& stream, const QImage& image)
{
    stream << qint32(image.width()) << qint32(image.height()) << qint32(image.format());
    stream.writeBytes(reinterpret_cast<const char*>(image.constBits()), uint(image.sizeInBytes()));
}

// The size of the pixel buffer QImage allocates for these dimensions (scan
// lines padded to 32 bits), or -1 when it cannot be a stored buffer's length.
qint64 ImageBufferBytes(qint32 width, qint32 height, QImage::Format format)
{
    const qint64 depth = QImage::toPixelFormat(format).bitsPerPixel();
    const qint64 lineBytes = ((qint64(width) * depth + 31) >> 5) << 2;
    if (lineBytes != 0 && qint64(height) > qint64(0xFFFFFFFFu) / lineBytes)
        return -1;
    return lineBytes * height;
}

void ReadImageRecord(QDataStream& stream, QImage& image)
{
    qint32 width = 0;
    qint32 height = 0;
    qint32 format = 0;
    quint32 length = 0;
    stream >> width >> height >> format >> length;
    if (!IsOk(stream))
        return;
    if (width < 0 || height < 0 || width > KXDocumentInterface::MAX_DOC_DIMENSION
        || height > KXDocumentInterface::MAX_DOC_DIMENSION || format < QImage::Format_Invalid || format >= QImage::NImageFormats
        || ImageBufferBytes(width, height, QImage::Format(format)) != qint64(length)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    if (qint64(length) > BytesLeft(stream)) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return;
    }
    QImage result(width, height, QImage::Format(format));
    if (result.sizeInBytes() != qsizetype(length)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    if (length > 0 && stream.readRawData(reinterpret_cast<char*>(result.bits()), int(length)) != int(length))
        return;
    image = result;
}

void ReadPathElements(QDataStream& stream, QList<KXPathElement>& elements)
{
    elements.clear();
    quint32 count = 0;
    stream >> count;
    if (!IsOk(stream))
        return;
    if (qint64(count) > BytesLeft(stream) / PathElementBytes) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return;
    }
    QList<KXPathElement> result;
    result.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        KXPathElement element;
        stream >> element;
        if (!IsOk(stream))
            return;
        result.append(element);
    }
    elements.swap(result);
}

void ReadSubpaths(QDataStream& stream, QList<QPair<QList<KXPathElement>, int>>& subpaths)
{
    subpaths.clear();
    quint32 count = 0;
    stream >> count;
    if (!IsOk(stream))
        return;
    // Each subpath holds at least its element count and its integer.
    if (qint64(count) > BytesLeft(stream) / 8) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return;
    }
    QList<QPair<QList<KXPathElement>, int>> result;
    result.reserve(int(count));
    for (quint32 i = 0; i < count; ++i) {
        QPair<QList<KXPathElement>, int> subpath;
        ReadPathElements(stream, subpath.first);
        stream >> subpath.second;
        if (!IsOk(stream))
            return;
        result.append(subpath);
    }
    subpaths.swap(result);
}

// True when encoded (QPainterPath's stream encoding of a non-empty path) is
// one that QPainterPath can hold: moves, lines and curves with their two data
// elements, finite coordinates, the last subpath starting at a move, a known
// fill rule. QPainterPath's own reader trusts all of this.
bool IsValidPainterPath(const QByteArray& encoded)
{
    QDataStream in(encoded);
    qint32 count = 0;
    in >> count;
    std::vector<qint32> types(size_t(count), 0);
    int curveData = 0;
    for (qint32 i = 0; i < count; ++i) {
        qint32 type = 0;
        double x = 0;
        double y = 0;
        in >> type >> x >> y;
        const bool expected = curveData > 0
            ? type == QPainterPath::CurveToDataElement
            : (i == 0 ? type == QPainterPath::MoveToElement
                      : type >= QPainterPath::MoveToElement && type <= QPainterPath::CurveToElement);
        if (!expected || !qIsFinite(x) || !qIsFinite(y))
            return false;
        curveData = type == QPainterPath::CurveToElement ? 2 : qMax(curveData - 1, 0);
        types[size_t(i)] = type;
    }
    qint32 start = 0;
    qint32 fillRule = 0;
    in >> start >> fillRule;
    return IsOk(in) && curveData == 0 && start >= 0 && start < count
        && types[size_t(start)] == QPainterPath::MoveToElement
        && (fillRule == Qt::OddEvenFill || fillRule == Qt::WindingFill);
}

// QPainterPath's stream encoding, checked before QPainterPath decodes it: a
// corrupt element count would otherwise make it loop and allocate without
// bound, and corrupt elements would give a path that fails later.
void ReadPainterPathRecord(QDataStream& stream, QPainterPath& path)
{
    path = QPainterPath();
    qint32 count = 0;
    stream >> count;
    if (!IsOk(stream) || count == 0)
        return;
    const qint64 trailerBytes = 4 + 4; // start of the last subpath, fill rule
    const qint64 maxCount
        = qMin(BytesLeft(stream) - trailerBytes, qint64(INT_MAX) - 4 - trailerBytes) / PathElementBytes;
    if (count < 0 || count > maxCount) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return;
    }
    const int bodyBytes = int(count * PathElementBytes + trailerBytes);
    QByteArray encoded(4 + bodyBytes, Qt::Uninitialized);
    qToBigEndian<qint32>(count, encoded.data());
    if (stream.readRawData(encoded.data() + 4, bodyBytes) != bodyBytes)
        return;
    if (!IsValidPainterPath(encoded)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    QDataStream in(encoded);
    in >> path;
}

// Brushes and fonts travel inside a byte array of their own encoding.
template <class Value> void WriteEmbedded(QDataStream& stream, const Value& value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out << value;
    stream << bytes;
}

// Refuses a QByteArray or QString whose 32-bit length (0xFFFFFFFF: null) is
// more than the file still holds, before its reader allocates for it.
bool LengthFits(QDataStream& stream)
{
    const QByteArray prefix = stream.device()->peek(4);
    if (prefix.size() < 4) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return false;
    }
    const quint32 length = qFromBigEndian<quint32>(prefix.constData());
    if (length != 0xFFFFFFFFu && qint64(length) > BytesLeft(stream) - 4) {
        stream.setStatus(QDataStream::ReadPastEnd);
        return false;
    }
    return true;
}

// A bounded walk over an in-memory encoding: every read checks the bytes
// left first, and the first failure sticks.
class EncodingCursor
{
public:
    explicit EncodingCursor(const QByteArray& bytes)
        : m_bytes(bytes)
    {
    }

    bool Ok() const { return m_ok; }
    bool AtEnd() const { return m_ok && m_position == m_bytes.size(); }
    int Left() const { return m_bytes.size() - m_position; }
    int Position() const { return m_position; }

    bool Skip(qint64 count)
    {
        m_ok = m_ok && count >= 0 && count <= Left();
        if (m_ok)
            m_position += int(count);
        return m_ok;
    }

    quint32 Unsigned(int size)
    {
        const int start = m_position;
        if (!Skip(size))
            return 0;
        quint32 value = 0;
        for (int i = 0; i < size; ++i)
            value = value << 8 | quint32(uchar(m_bytes[start + i]));
        return value;
    }

    double Real()
    {
        const int start = m_position;
        if (!Skip(8))
            return 0;
        const double value = qFromBigEndian<double>(m_bytes.constData() + start);
        m_ok = qIsFinite(value);
        return value;
    }

    // True (within range) for the next 32-bit value.
    bool Within(quint32 low, quint32 high)
    {
        const quint32 value = Unsigned(4);
        return Check(value >= low && value <= high);
    }

    bool Check(bool condition)
    {
        m_ok = m_ok && condition;
        return m_ok;
    }

    // QString's encoding: 0xFFFFFFFF (null) or an even byte count and the bytes.
    bool String()
    {
        const quint32 bytes = Unsigned(4);
        return bytes == 0xFFFFFFFFu || (Check(bytes % 2 == 0) && Skip(bytes));
    }

    // A count of items of at least minimumBytes each, bounded by the bytes left.
    quint32 Count(int minimumBytes)
    {
        const quint32 count = Unsigned(4);
        Check(qint64(count) * minimumBytes <= Left());
        return m_ok ? count : 0;
    }

private:
    const QByteArray& m_bytes;
    int m_position = 0;
    bool m_ok = true;
};

// QColor's encoding: a colour model Qt knows, alpha, three components and padding.
bool SkipColor(EncodingCursor& in)
{
    const quint32 colorModel = in.Unsigned(1);
    in.Check(colorModel <= quint32(QColor::ExtendedRgb));
    return in.Skip(10);
}

bool SkipPoint(EncodingCursor& in)
{
    in.Real();
    in.Real();
    return in.Ok();
}

bool SkipTransform(EncodingCursor& in)
{
    for (int i = 0; i < 9; ++i)
        in.Real();
    return in.Ok();
}

// A brush texture after its non-null marker: a PNG whose header promises an
// image within the limits (read here, before Qt decodes the pixels).
bool IsValidTexture(const QByteArray& encoded, EncodingCursor& in)
{
    static const QByteArray pngSignature("\x89PNG\r\n\x1a\n", 8);
    if (!in.Check(encoded.mid(in.Position(), 8) == pngSignature))
        return false;
    QByteArray rest = encoded.mid(in.Position());
    QBuffer buffer(&rest);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setAutoDetectImageFormat(false);
    const QSize size = reader.size();
    return size.isValid() && size.width() <= KXDocumentInterface::MAX_DOC_DIMENSION
        && size.height() <= KXDocumentInterface::MAX_DOC_DIMENSION
        && qint64(size.width()) * size.height() <= VornReaderWriter::MaxTexturePixels;
}

// True when encoded is QBrush's stream encoding with values Qt defines, so
// that QBrush's own reader (which trusts its counts) can decode it.
bool IsValidBrush(const QByteArray& encoded)
{
    EncodingCursor in(encoded);
    const quint32 style = in.Unsigned(1);
    if (!SkipColor(in))
        return false;
    if (style == Qt::TexturePattern) {
        // A null texture is the marker 0 alone; otherwise the image's end is
        // known only to its decoder, so the transform after it is left to Qt.
        if (in.Unsigned(4) != 0)
            return in.Ok() && IsValidTexture(encoded, in);
    } else if (style >= Qt::LinearGradientPattern && style <= Qt::ConicalGradientPattern) {
        const quint32 type = in.Unsigned(4);
        in.Check(type == style - Qt::LinearGradientPattern);
        in.Within(QGradient::PadSpread, QGradient::RepeatSpread);
        in.Within(QGradient::LogicalMode, QGradient::ObjectMode);
        in.Within(QGradient::ColorInterpolation, QGradient::ComponentInterpolation);
        const quint32 stops = in.Count(8 + 11);
        for (quint32 i = 0; i < stops && in.Ok(); ++i) {
            const double position = in.Real();
            in.Check(position >= 0 && position <= 1);
            SkipColor(in);
        }
        SkipPoint(in);
        if (type == QGradient::LinearGradient || type == QGradient::RadialGradient)
            SkipPoint(in); // the final or focal point
        if (type != QGradient::LinearGradient)
            in.Real(); // the radius or angle
    } else {
        in.Check(style <= Qt::DiagCrossPattern);
    }
    SkipTransform(in);
    return in.AtEnd();
}

// True when encoded is QFont's stream encoding with strings and a family list
// that fit the bytes and sizes within MaxFontSize.
bool IsValidFont(const QByteArray& encoded)
{
    EncodingCursor in(encoded);
    in.String(); // family
    in.String(); // style name
    const double pointSize = in.Real();
    const qint32 pixelSize = qint32(in.Unsigned(4));
    in.Check(pointSize >= -1 && pointSize <= VornReaderWriter::MaxFontSize && pixelSize >= -1
             && pixelSize <= VornReaderWriter::MaxFontSize);
    // Style hint, strategy (16 bits), character set, weight, bits, stretch (16
    // bits), extended bits, letter and word spacing, hinting, capitalization.
    in.Skip(1 + 2 + 1 + 1 + 1 + 2 + 1 + 4 + 4 + 1 + 1);
    const quint32 families = in.Count(4);
    for (quint32 i = 0; i < families && in.Ok(); ++i)
        in.String();
    return in.AtEnd();
}

// Brushes and fonts travel inside a byte array of their own encoding, which
// is checked before Qt decodes it.
template <class Value> void ReadEmbedded(QDataStream& stream, Value& value, bool (*isValid)(const QByteArray&))
{
    QByteArray bytes;
    if (LengthFits(stream))
        stream >> bytes;
    if (!IsOk(stream))
        return;
    if (!isValid(bytes)) {
        stream.setStatus(QDataStream::ReadCorruptData);
        return;
    }
    QDataStream in(bytes);
    in >> value;
}

} // namespace

namespace {

// The record file: a managed file that keeps a CRC-32 of the bytes written
// since it was created, or read since it was last opened.
class ChecksummedFile : public KXManagedFile
{
public:
    ChecksummedFile()
        : KXManagedFile(1)
    {
    }

    bool open(OpenMode mode) override
    {
        checksum = 0;
        return KXManagedFile::open(mode);
    }

    quint32 checksum = 0;

protected:
    qint64 readData(char* data, qint64 length) override
    {
        const qint64 read = KXManagedFile::readData(data, length);
        if (read > 0)
            checksum = quint32(libdeflate_crc32(checksum, data, size_t(read)));
        return read;
    }

    qint64 writeData(const char* data, qint64 length) override
    {
        const qint64 written = KXManagedFile::writeData(data, length);
        if (written > 0)
            checksum = quint32(libdeflate_crc32(checksum, data, size_t(written)));
        return written;
    }
};

} // namespace

class VornReaderWriter::Private
{
public:

    // Runs one read on a fresh stream; true when the stream is still Ok.
    template <class Operation> bool Read(Operation operation)
    {
        if (!file.isOpen())
            return false;
        readStarted = true;
        // A file opened for writing has nothing to read (and QIODevice would warn).
        if (!file.isReadable())
            return false;
        QDataStream stream(&file);
        try {
            operation(stream);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return IsOk(stream);
    }

    // Runs one write on a fresh stream; refused once reading has started.
    template <class Operation> bool Write(Operation operation)
    {
        if (!file.isOpen() || readStarted || !file.isWritable() || IsRaised(cancel))
            return false;
        QDataStream stream(&file);
        try {
            operation(stream);
        } catch (const std::bad_alloc&) {
            return false;
        }
        return IsOk(stream);
    }

    ChecksummedFile file;
    bool readStarted = false;
    bool deferredDecoding = false;
    const std::atomic<bool>* cancel = nullptr;
};

VornReaderWriter::VornReaderWriter()
    : d(new Private)
{
}

VornReaderWriter::~VornReaderWriter()
{
    Close();
    const QString name = d->file.fileName();
    if (!name.isEmpty() && !d->file.remove() && QFile::exists(name)) {
        // What cannot be removed is at least emptied of the pictures it held.
        QFile::resize(name, 0);
        VORN_REPORT(QStringLiteral("Remove data file error. File:\"%1\"").arg(name));
    }
    delete d;
}

bool VornReaderWriter::Open(const QString& path)
{
    KXManagedFile& file = d->file;
    if (file.fileName().isEmpty()) {
        if (file.isOpen())
            file.close();
        file.setFileName(path);
        return file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Truncate);
    }
    if (file.isOpen()) {
        VORN_REPORT(QStringLiteral("Open fail. File already opened only for read."));
        return false;
    }
    return file.open(QIODevice::ReadOnly);
}

void VornReaderWriter::Close()
{
    if (d->file.isOpen())
        d->file.close();
}

bool VornReaderWriter::Flush()
{
    if (!d->file.isOpen())
        return false;
    return d->file.flush();
}

bool VornReaderWriter::Seek(long long position)
{
    if (!d->file.isOpen())
        return false;
    return d->file.seek(position);
}

long long VornReaderWriter::GetSize() const
{
    return d->file.size();
}

QString VornReaderWriter::GetFileName() const
{
    return d->file.fileName();
}

quint32 VornReaderWriter::GetChecksum() const
{
    return d->file.checksum;
}

bool VornReaderWriter::ReadToEnd()
{
    if (!d->file.isOpen() || !d->file.isReadable())
        return false;
    char buffer[16384];
    qint64 read = 0;
    while ((read = d->file.read(buffer, sizeof(buffer))) > 0) {
    }
    return read == 0;
}

void VornReaderWriter::SetDeferredDecoding(bool deferred)
{
    d->deferredDecoding = deferred;
}

void VornReaderWriter::SetCancelFlag(const std::atomic<bool>* flag)
{
    d->cancel = flag;
}

bool VornReaderWriter::IsCancelRequested() const
{
    return IsRaised(d->cancel);
}

bool VornReaderWriter::ReadImage(QImage& image)
{
    return d->Read([&](QDataStream& stream) { ReadImageRecord(stream, image); });
}

bool VornReaderWriter::ReadInt(int& value)
{
    return d->Read([&](QDataStream& stream) { stream >> value; });
}

bool VornReaderWriter::ReadUInt(unsigned int& value)
{
    return d->Read([&](QDataStream& stream) {
        qint32 stored = 0;
        stream >> stored;
        value = static_cast<unsigned int>(stored);
    });
}

bool VornReaderWriter::ReadQReal(double& value)
{
    return d->Read([&](QDataStream& stream) { stream >> value; });
}

bool VornReaderWriter::ReadVornPath(QList<QPair<QList<KXPathElement>, int>>& path)
{
    return d->Read([&](QDataStream& stream) { ReadSubpaths(stream, path); });
}

bool VornReaderWriter::ReadVornPath(QList<KXPathElement>& path)
{
    return d->Read([&](QDataStream& stream) { ReadPathElements(stream, path); });
}

bool VornReaderWriter::ReadPainterPath(QPainterPath& path)
{
    return d->Read([&](QDataStream& stream) { ReadPainterPathRecord(stream, path); });
}

bool VornReaderWriter::ReadPoint(QPoint& point)
{
    return d->Read([&](QDataStream& stream) { stream >> point; });
}

int VornReaderWriter::ReadRawData(char* data, int length)
{
    int transferred = -1;
    d->Read([&](QDataStream& stream) {
        if (length >= 0)
            transferred = stream.readRawData(data, length);
    });
    return transferred;
}

bool VornReaderWriter::ReadRect(QRect& rect)
{
    return d->Read([&](QDataStream& stream) { stream >> rect; });
}

bool VornReaderWriter::ReadSize(QSize& size)
{
    return d->Read([&](QDataStream& stream) { stream >> size; });
}

bool VornReaderWriter::ReadString(QString& string)
{
    return d->Read([&](QDataStream& stream) {
        if (LengthFits(stream))
            stream >> string;
    });
}

bool VornReaderWriter::ReadTransform(QTransform& transform)
{
    return d->Read([&](QDataStream& stream) { stream >> transform; });
}

bool VornReaderWriter::ReadKXImage(KXImage<KXRGBA32i, 128, 128>& image)
{
    return d->Read([&](QDataStream& stream) { ReadTiledImage(stream, image, d->deferredDecoding); });
}

bool VornReaderWriter::ReadBrush(QBrush& brush)
{
    return d->Read([&](QDataStream& stream) { ReadEmbedded(stream, brush, IsValidBrush); });
}

bool VornReaderWriter::ReadMatrix4x4(QMatrix4x4& matrix)
{
    return d->Read([&](QDataStream& stream) { stream >> matrix; });
}

bool VornReaderWriter::ReadFont(QFont& font)
{
    return d->Read([&](QDataStream& stream) { ReadEmbedded(stream, font, IsValidFont); });
}

bool VornReaderWriter::ReadByteArray(QByteArray& bytes)
{
    return d->Read([&](QDataStream& stream) {
        bytes.clear();
        if (LengthFits(stream))
            stream >> bytes;
    });
}

bool VornReaderWriter::WriteImage(const QImage& image)
{
    return d->Write([&](QDataStream& stream) { WriteImageRecord(stream, image); });
}

bool VornReaderWriter::WriteInt(int value)
{
    return d->Write([&](QDataStream& stream) { stream << qint32(value); });
}

bool VornReaderWriter::WriteUInt(unsigned int value)
{
    return d->Write([&](QDataStream& stream) { stream << static_cast<qint32>(value); });
}

bool VornReaderWriter::WriteQReal(double value)
{
    return d->Write([&](QDataStream& stream) { stream << value; });
}

bool VornReaderWriter::WriteVornPath(const QList<QPair<QList<KXPathElement>, int>>& path)
{
    return d->Write([&](QDataStream& stream) { stream << path; });
}

bool VornReaderWriter::WriteVornPath(const QList<KXPathElement>& path)
{
    return d->Write([&](QDataStream& stream) { stream << path; });
}

bool VornReaderWriter::WritePainterPath(const QPainterPath& path)
{
    return d->Write([&](QDataStream& stream) { stream << path; });
}

bool VornReaderWriter::WritePoint(const QPoint& point)
{
    return d->Write([&](QDataStream& stream) { stream << point; });
}

int VornReaderWriter::WriteRawData(const char* data, int length)
{
    int transferred = -1;
    d->Write([&](QDataStream& stream) {
        if (length >= 0)
            transferred = stream.writeRawData(data, length);
    });
    return transferred;
}

bool VornReaderWriter::WriteRect(const QRect& rect)
{
    return d->Write([&](QDataStream& stream) { stream << rect; });
}

bool VornReaderWriter::WriteSize(const QSize& size)
{
    return d->Write([&](QDataStream& stream) { stream << size; });
}

bool VornReaderWriter::WriteString(const QString& string)
{
    return d->Write([&](QDataStream& stream) { stream << string; });
}

bool VornReaderWriter::WriteTransform(const QTransform& transform)
{
    return d->Write([&](QDataStream& stream) { stream << transform; });
}

bool VornReaderWriter::WriteKXImage(const KXImage<KXRGBA32i, 128, 128>& image)
{
    return d->Write([&](QDataStream& stream) { WriteTiledImage(stream, image, d->cancel); });
}

bool VornReaderWriter::WriteBrush(const QBrush& brush)
{
    return d->Write([&](QDataStream& stream) { WriteEmbedded(stream, brush); });
}

bool VornReaderWriter::WriteMatrix4x4(const QMatrix4x4& matrix)
{
    return d->Write([&](QDataStream& stream) { stream << matrix; });
}

bool VornReaderWriter::WriteFont(const QFont& font)
{
    return d->Write([&](QDataStream& stream) { WriteEmbedded(stream, font); });
}

bool VornReaderWriter::WriteByteArray(const QByteArray& bytes)
{
    return d->Write([&](QDataStream& stream) { stream << bytes; });
}
