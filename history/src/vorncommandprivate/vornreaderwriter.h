#pragma once

#include <QString>

#include <atomic>

#include "ireader.h"
#include "iwriter.h"
#include "vornhistory_export.h"

// Reads and writes the fields of one record file with QDataStream's default
// encoding (big-endian). One object writes its file once, can then read it
// back any number of times, and deletes the file when it is destroyed.
//
// Reading trusts nothing in the file: every length and count is checked
// against the bytes left before anything is allocated, and a value beyond the
// limits below fails the read (the stream reports corrupt data). Brushes and
// fonts are checked field by field before Qt decodes them.
// - Image sides (ReadImage, brush textures): at most
//   KXDocumentInterface::MAX_DOC_DIMENSION.
// - A brush texture: at most MaxTexturePixels pixels, stored as PNG.
// - A font's point or pixel size: -1 (unset) up to MaxFontSize.
// - Brush styles, gradient types, spreads and modes, colour specs: the values
//   Qt defines; gradient stops at finite positions from 0 to 1; finite
//   coordinates and transforms.
//
// The file keeps a CRC-32 of what passed through it, so that a caller can
// tell a file changed behind its back from the record it wrote.
//
// Owns its file (deleted with the object; a file that cannot be removed is
// reported) and points at the cancel flag
// without owning it. One thread at a time: written on the serializer's worker,
// read back on the stack's thread.
class VORNHISTORY_EXPORT VornReaderWriter : public IReader, public IWriter
{
public:
    static constexpr qint64 MaxTexturePixels = qint64(1) << 24;
    static constexpr int MaxFontSize = 300000;

    VornReaderWriter();
    ~VornReaderWriter() override;

    VornReaderWriter(const VornReaderWriter&) = delete;
    VornReaderWriter& operator=(const VornReaderWriter&) = delete;

    // First call: names the file and opens it for writing (created, truncated).
    // Later calls ignore the path and reopen the same file read-only; they
    // fail with a report while the file is still open.
    bool Open(const QString& path);
    void Close();
    // Pushes buffered writes to the file; false when they could not all be
    // written (a full disk shows here at the latest).
    bool Flush();
    bool Seek(long long position);
    long long GetSize() const;
    // The file's name (empty before the first Open).
    QString GetFileName() const;
    // CRC-32 of the bytes written since the file was created, or of the
    // bytes read since it was last opened.
    quint32 GetChecksum() const;
    // Reads what the record left unread, so that GetChecksum covers the whole
    // file; false on a read error or a file not open for reading.
    bool ReadToEnd();
    // On, tiled images read back keep their tiles compressed until the image
    // is first used, and only a blob's length prefix is checked while reading
    // (the rest when the tile is decoded). For files the caller verifies as
    // its own, such as the serializer's checksummed records. Off by default.
    void SetDeferredDecoding(bool deferred);
    // While *flag is true every write fails, and a tiled image being written
    // stops at its next tile. The flag is read from the writing thread and
    // may be raised from any other; it must outlive this object (or be reset).
    void SetCancelFlag(const std::atomic<bool>* flag);
    // True while the cancel flag is raised (a long Serialize may stop early).
    bool IsCancelRequested() const;

    bool ReadImage(QImage& image) override;
    bool ReadInt(int& value) override;
    bool ReadUInt(unsigned int& value) override;
    bool ReadQReal(double& value) override;
    bool ReadVornPath(QList<QPair<QList<KXPathElement>, int> >& path) override;
    bool ReadVornPath(QList<KXPathElement>& path) override;
    bool ReadPainterPath(QPainterPath& path) override;
    bool ReadPoint(QPoint& point) override;
    int ReadRawData(char* data, int length) override;
    bool ReadRect(QRect& rect) override;
    bool ReadSize(QSize& size) override;
    bool ReadString(QString& string) override;
    bool ReadTransform(QTransform& transform) override;
    bool ReadKXImage(KXImage<KXRGBA32i, 128, 128>& image) override;
    bool ReadBrush(QBrush& brush) override;
    bool ReadMatrix4x4(QMatrix4x4& matrix) override;
    bool ReadFont(QFont& font) override;
    bool ReadByteArray(QByteArray& bytes) override;

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
    class Private;
    Private* d;
};
