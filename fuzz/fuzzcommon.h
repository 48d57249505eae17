#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QGuiApplication>
#include <QString>

#include <cstddef>
#include <cstdint>

#include "KXMemoryDocument.h"
#include "vornreaderwriter.h"

// What every harness shares: a quiet offscreen application, the fuzz input in
// a real record file (the readers only read files), and a small document.

inline void FuzzInit()
{
    static int argc = 1;
    static char name[] = "vornfuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Error reports and Qt warnings are expected for bad input; printing them
    // would only slow the run down.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    static QGuiApplication app(argc, argv);
}

// A per-process file path in the temporary folder, with a suffix.
inline QString FuzzPath(const char* suffix)
{
    return QDir::temp().filePath(
        QStringLiteral("vornfuzz-%1-%2").arg(QCoreApplication::applicationPid()).arg(QLatin1String(suffix)));
}

// The input written to a record file and reopened for reading, as the
// serializer does with its records. The file is deleted with the object.
class FuzzRecord
{
public:
    FuzzRecord(const uint8_t* data, size_t size)
    {
        m_ok = m_file.Open(FuzzPath("record"))
            && m_file.WriteRawData(reinterpret_cast<const char*>(data), int(size)) == int(size);
        m_file.Close();
        m_ok = m_ok && m_file.Open(QString()) && m_file.Seek(0);
    }

    bool Ok() const { return m_ok; }
    IReader* Reader() { return &m_file; }

private:
    VornReaderWriter m_file;
    bool m_ok = false;
};

// A 64 x 48 document: a white background (id 0), a patterned layer (id 1) at
// 5, 6 with a mask, and an 8 x 8 selection at 3, 4.
inline void FuzzDocument(KXMemoryDocument& document)
{
    KXImage32 background(64, 48);
    background.Fill(KXRGBA32i::OpaqueWhite());
    document.AddRasterLayer(QStringLiteral("Background"), background);
    QImage pattern(20, 10, QImage::Format_RGBA8888);
    for (int y = 0; y < pattern.height(); ++y)
        for (int x = 0; x < pattern.width(); ++x)
            pattern.setPixel(x, y, qRgba(x * 12, y * 25, 7, 128 + x));
    document.AddRasterLayer(QStringLiteral("Layer"), KXImage32::FromQImage(pattern), QPoint(5, 6));
    document.CreateLayerMask(1, KXImage32::FromQImage(pattern), false);
    document.SetMaskPos(1, QPoint(5, 6));
    document.SetSelectionMask(KXImage32::FromQImage(pattern.copy(0, 0, 8, 8)), QPoint(3, 4));
}
