#pragma once

#include <QColor>
#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

#include "KXImage.h"
#include "vornimage_export.h"

// Renders a text into a tiled image with Qt's own text rendering.
//
// Style: 0 plain; other values are bits: 1 underline, 2 strike-out, 4 outline
// only. Orientation: false horizontal, true vertical (one character under the
// other). Bend: -1 to 1, bends the base line into an arc (0 straight).
// Horizontal and vertical distortion: -1 to 1, narrow or widen the text
// towards its right or bottom edge (0 none). The text is rasterised at
// `scale` times its size and reduced, which smooths its edges.
//
// Owns its text settings (copies are independent). Reentrant: one thread at a
// time per helper; it paints into a QImage, so any thread will do.
class VORNIMAGE_EXPORT KXTextHelper
{
public:
    explicit KXTextHelper(double scale = 2.0);
    KXTextHelper(const KXTextHelper& other);
    KXTextHelper& operator=(const KXTextHelper& other);
    ~KXTextHelper();

    void SetText(const QString& text);
    void SetFont(const QFont& font);
    void SetColor(const QColor& color);
    void SetStyle(int style);
    void SetOrientation(bool vertical);
    void SetBend(double bend);
    void SetHDistortion(double distortion);
    void SetVDistortion(double distortion);

    QString GetText() const;
    QFont GetFont() const;
    QColor GetColor() const;
    int GetStyle() const;
    bool GetOrientation() const;
    double GetBend() const;
    double GetHDistortion() const;
    double GetVDistortion() const;

    // The rectangle the text's layout covers, relative to the text position
    // (the top-left of its first line box), before bend and distortion; null
    // for an empty text. Lines are stacked by the font's line spacing; in
    // vertical orientation each line is a column, left to right.
    QRect GetTextRect() const;

    // Renders the text with bend and distortions applied and returns the
    // image, just large enough to hold its visible pixels; offset receives
    // where its top-left lies relative to the text position. selectionStart
    // and selectionLength (-1: none) mark characters, counted in the text
    // (line breaks included), drawn highlighted: a box in the text colour
    // behind glyphs in the inverted colour. An empty text gives an empty image
    // at (0, 0).
    KXImage32 CreateImageByTextWithSelectionAndDeformation(QPoint& offset, int selectionStart, int selectionLength) const;

private:
    struct Private;
    Private* d;
};
