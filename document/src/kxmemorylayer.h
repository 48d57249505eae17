#pragma once

#include <QBrush>
#include <QFont>
#include <QMatrix4x4>
#include <QPoint>
#include <QScopedPointer>
#include <QSharedPointer>
#include <QString>

#include "KXDocumentInterface.h"
#include "KXDocumentLock.h"
#include "KXImage.h"
#include "KXStyleProxy.h"
#include "ZTAdjustment.h"
#include "ZTAdjustmentTarget.h"

// One layer of KXMemoryDocument: all its data in one place.
class KXMemoryLayer
{
public:
    struct Text
    {
        QString text;
        QFont font;
        QBrush brush = QBrush(Qt::black);
        QPoint position;
        int style = 0;
        bool vertical = false;
        double bend = 0;
        double hDistortion = 0;
        double vDistortion = 0;
        QMatrix4x4 transform;
        int renderMode = 1;
    };

    KXMemoryLayer(int layerType, const QString& layerName)
        : type(layerType)
        , name(layerName)
    {
    }
    KXMemoryLayer(const KXMemoryLayer&) = delete;
    KXMemoryLayer& operator=(const KXMemoryLayer&) = delete;

    bool HasPixels() const { return type != KXDocumentInterface::AdjustmentLayer; }

    int type;
    QString name;
    double opacity = 1.0;
    unsigned int blendMode = KXDocumentInterface::BlendNormal;
    bool visible = true;
    unsigned int locks = 0;

    QPoint position;
    KXImage32 image;

    bool hasMask = false;
    KXImage32 mask;
    QPoint maskPosition;
    bool maskEnabled = true;
    bool maskLinked = true;
    bool maskType = false;

    Text text;

    ZTAdjustment* adjustment = nullptr;
    ZTAdjustmentTarget target;

    KXStyleProxy style;
    const QSharedPointer<KXDocumentLock> lock = QSharedPointer<KXDocumentLock>::create();
};
