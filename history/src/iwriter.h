#pragma once

#include <QBrush>
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QList>
#include <QMatrix4x4>
#include <QPainterPath>
#include <QPair>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QTransform>

#include "KXImage.h"
#include "KXPathElement.h"
#include "vornhistory_export.h"

// Writes the fields of one record, one call per field. Every operation
// returns false (WriteRawData -1) when the field could not be written.
// Not owned by the data that writes to it (the serializer's entry owns its
// writer). One thread at a time: normally the serializer's worker.
class VORNHISTORY_EXPORT IWriter
{
public:
    virtual ~IWriter();

    virtual bool WriteImage(const QImage& image) = 0;
    virtual bool WriteInt(int value) = 0;
    virtual bool WriteUInt(unsigned int value) = 0;
    virtual bool WriteQReal(double value) = 0;
    virtual bool WriteVornPath(const QList<QPair<QList<KXPathElement>, int> >& path) = 0;
    virtual bool WriteVornPath(const QList<KXPathElement>& path) = 0;
    virtual bool WritePainterPath(const QPainterPath& path) = 0;
    virtual bool WritePoint(const QPoint& point) = 0;
    // Writes length bytes as they are; returns the number of bytes written.
    virtual int WriteRawData(const char* data, int length) = 0;
    virtual bool WriteRect(const QRect& rect) = 0;
    virtual bool WriteSize(const QSize& size) = 0;
    virtual bool WriteString(const QString& string) = 0;
    virtual bool WriteTransform(const QTransform& transform) = 0;
    virtual bool WriteKXImage(const KXImage<KXRGBA32i, 128, 128>& image) = 0;
    virtual bool WriteBrush(const QBrush& brush) = 0;
    virtual bool WriteMatrix4x4(const QMatrix4x4& matrix) = 0;
    virtual bool WriteFont(const QFont& font) = 0;
    virtual bool WriteByteArray(const QByteArray& bytes) = 0;
};
