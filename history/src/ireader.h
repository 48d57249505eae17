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

// Reads the fields of one record back, in the order they were written.
// Every operation returns false (ReadRawData -1) when the field cannot be read.
// Not owned by the data that reads from it (the serializer's entry owns its
// reader). One thread at a time: the stack's thread when data is read back.
class VORNHISTORY_EXPORT IReader
{
public:
    virtual ~IReader();

    virtual bool ReadImage(QImage& image) = 0;
    virtual bool ReadInt(int& value) = 0;
    virtual bool ReadUInt(unsigned int& value) = 0;
    virtual bool ReadQReal(double& value) = 0;
    virtual bool ReadVornPath(QList<QPair<QList<KXPathElement>, int> >& path) = 0;
    virtual bool ReadVornPath(QList<KXPathElement>& path) = 0;
    virtual bool ReadPainterPath(QPainterPath& path) = 0;
    virtual bool ReadPoint(QPoint& point) = 0;
    // Reads exactly length bytes; returns the number of bytes read.
    virtual int ReadRawData(char* data, int length) = 0;
    virtual bool ReadRect(QRect& rect) = 0;
    virtual bool ReadSize(QSize& size) = 0;
    virtual bool ReadString(QString& string) = 0;
    virtual bool ReadTransform(QTransform& transform) = 0;
    virtual bool ReadKXImage(KXImage<KXRGBA32i, 128, 128>& image) = 0;
    virtual bool ReadBrush(QBrush& brush) = 0;
    virtual bool ReadMatrix4x4(QMatrix4x4& matrix) = 0;
    virtual bool ReadFont(QFont& font) = 0;
    virtual bool ReadByteArray(QByteArray& bytes) = 0;
};
