#pragma once

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "KXImage.h"
#include "ZTTileManager64.h"
#include "messagecapture.h"
#include "vorncommanddata.h"
#include "vornreaderwriter.h"

// What the record tests share: bytes written through the real reader/writer
// and its file, readers over given bytes, the expected encodings of tiled
// images and rectangles, and the error-report patterns.

inline QByteArray Hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// The record files the serializer keeps in a folder.
inline QStringList RecordFiles(const QDir& folder)
{
    return folder.entryList(QStringList{QStringLiteral("~nuboltmp.*")}, QDir::Files | QDir::Hidden);
}

// The bytes `write(IWriter*)` puts in a fresh record file; empty when it
// returns false.
template <class Write>
QByteArray WrittenBytes(Write write)
{
    QTemporaryDir folder;
    VornReaderWriter file;
    const QString path = folder.filePath(QStringLiteral("record"));
    if (!folder.isValid() || !file.Open(path) || !write(static_cast<IWriter*>(&file)))
        return QByteArray();
    file.Close();
    return FileBytes(path);
}

// The bytes data's Serialize writes (empty when it refuses).
inline QByteArray RecordOf(VornCommandData& data)
{
    return WrittenBytes([&](IWriter* writer) { return data.Serialize(writer); });
}

// What `read(IReader*)` answers over a record file holding bytes.
template <class Read>
bool ReadBytes(const QByteArray& bytes, Read read)
{
    QTemporaryDir folder;
    VornReaderWriter file;
    if (!folder.isValid() || !file.Open(folder.filePath(QStringLiteral("record")))
        || file.WriteRawData(bytes.constData(), bytes.size()) != bytes.size())
        return false;
    file.Close();
    return file.Open(QString()) && read(static_cast<IReader*>(&file));
}

// data's Deserialize over a record file holding bytes.
inline bool ReadRecord(const QByteArray& bytes, VornCommandData& data)
{
    return ReadBytes(bytes, [&](IReader* reader) { return data.Deserialize(reader); });
}

// The record of a tiled image: its size, then each tile's qCompress bytes.
inline QByteArray TiledRecord(const KXImage32& image)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << qint32(image.GetWidth()) << qint32(image.GetHeight());
    for (unsigned int row = 0; row < image.GetRows(); ++row)
        for (unsigned int column = 0; column < image.GetColumns(); ++column) {
            QByteArray tile(ZTTileManager64::TileBytes, Qt::Uninitialized);
            ZTTileManager64::Instance()->ReadMemory(image.GetTile(column, row)->Handle(), tile.data());
            stream << qCompress(tile);
        }
    return bytes;
}

inline QByteArray RectRecord(const QRect& rect)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    stream << rect;
    return bytes;
}

// Pixels that a full-strength replace copies exactly (alpha never 0).
inline KXImage32 PatternImage(int width, int height, quint32 seed)
{
    QImage image(width, height, QImage::Format_RGBA8888);
    QRandomGenerator generator(seed);
    for (int y = 0; y < height; ++y) {
        quint32* line = reinterpret_cast<quint32*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            line[x] = generator.generate() | 0x01000000u;
    }
    return KXImage32::FromQImage(image);
}

// The pattern of a failure report from file with message.
inline QString ReportPattern(const QString& file, const QString& message)
{
    return QStringLiteral("^Build date=%1, time=%2\\. Line=\\d+, file=\"%3\"\\. %4$")
        .arg(reportDatePattern(), reportTimePattern(), QRegularExpression::escape(file),
            QRegularExpression::escape(message));
}

// Each captured report matches its pattern, and there are as many of each.
inline void CompareReports(const QStringList& actual, const QStringList& patterns)
{
    QCOMPARE(actual.size(), patterns.size());
    for (int i = 0; i < patterns.size(); ++i)
        QVERIFY2(QRegularExpression(patterns[i]).match(actual[i]).hasMatch(), qPrintable(actual[i]));
}

// Values in QDataStream's default encoding, one after another (what record
// fields such as transforms and paths are).
template <class... T>
QByteArray Streamed(const T&... values)
{
    QByteArray bytes;
    QDataStream stream(&bytes, QIODevice::WriteOnly);
    (void)std::initializer_list<int> { ((stream << values), 0)... };
    return bytes;
}
