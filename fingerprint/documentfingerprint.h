#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <QVector>

class KXDocumentInterface;

// Everything the demo compares between two moments of a document: per layer
// its properties and a hash of its pixels and of its mask, plus the canvas and
// the selection.
struct DocumentFingerprint
{
    struct Layer
    {
        int type = 0;
        QString name;
        double opacity = 0;
        unsigned int blendMode = 0;
        bool visible = false;
        QRect geometry;
        QByteArray pixels;
        bool hasMask = false;
        QRect maskGeometry;
        QByteArray maskPixels;
        QString text;
        // Mask flags (layer structure commands).
        bool maskEnabled = false;
        bool maskType = false;
        // New layers and text layers: locks, mask flags, text attributes and
        // adjustment parameters, as one comparable line.
        QString details;

        bool operator==(const Layer& other) const;
    };

    QSize canvas;
    QVector<Layer> layers;
    QPoint selectionOffset;
    QByteArray selectionPixels;
    // Layer style of the current layer (the one the document exposes): "name/UID", then
    // "UID enabled settings-hash" per effect; empty for no style or an empty one.
    QStringList style;
    // Text-layer placements (changed by crop and move): a hash of them all.
    QByteArray textTransforms;
    // Alpha channels (name, offset, mask hash), paths (name, element hash)
    // and colour samples (point, format), one line per model row.
    QStringList channels;
    QStringList paths;
    QStringList samples;
    // Resolution (image size).
    int dpi = 0;

    static DocumentFingerprint Take(const KXDocumentInterface& document);
    // What differs from other, one line per difference (empty when equal).
    QStringList Differences(const DocumentFingerprint& other) const;
};
