#pragma once

#include <QBrush>
#include <QFont>
#include <QImage>
#include <QMatrix4x4>
#include <QPainterPath>
#include <QTransform>

#include "ireader.h"

constexpr int kFuzzReadOperations = 18;

// Runs IReader operation number `operation` (in the interface's order) once.
inline bool FuzzReadOperation(IReader* reader, int operation)
{
    switch (operation) {
    case 0: { QImage v; return reader->ReadImage(v); }
    case 1: { int v = 0; return reader->ReadInt(v); }
    case 2: { unsigned int v = 0; return reader->ReadUInt(v); }
    case 3: { double v = 0; return reader->ReadQReal(v); }
    case 4: { QList<QPair<QList<KXPathElement>, int>> v; return reader->ReadVornPath(v); }
    case 5: { QList<KXPathElement> v; return reader->ReadVornPath(v); }
    case 6: { QPainterPath v; return reader->ReadPainterPath(v); }
    case 7: { QPoint v; return reader->ReadPoint(v); }
    case 8: { char v[64]; return reader->ReadRawData(v, int(sizeof v)) == int(sizeof v); }
    case 9: { QRect v; return reader->ReadRect(v); }
    case 10: { QSize v; return reader->ReadSize(v); }
    case 11: { QString v; return reader->ReadString(v); }
    case 12: { QTransform v; return reader->ReadTransform(v); }
    case 13: { KXImage<KXRGBA32i, 128, 128> v; return reader->ReadKXImage(v); }
    case 14: { QBrush v; return reader->ReadBrush(v); }
    case 15: { QMatrix4x4 v; return reader->ReadMatrix4x4(v); }
    case 16: { QFont v; return reader->ReadFont(v); }
    default: { QByteArray v; return reader->ReadByteArray(v); }
    }
}
