#include "KXTextHelper.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QStringList>

#include <algorithm>
#include <cmath>

namespace {

constexpr double kPi = 3.14159265358979323846;

enum StyleBits
{
    Underline = 1,
    StrikeOut = 2,
    Outline = 4
};

// What a text looks like before deformation, in text coordinates (origin at
// the top-left of the first line box): the glyphs, the glyphs of selected
// characters, the highlight boxes behind them, and the size of the layout.
struct Layout
{
    QPainterPath glyphs;
    QPainterPath selectedGlyphs;
    QPainterPath selectionBoxes;
    QSizeF size;
};

// Splits a line into characters, keeping surrogate pairs together.
QStringList Characters(const QString& line)
{
    QStringList characters;
    for (int i = 0; i < line.size(); ++i) {
        const int length = line.at(i).isHighSurrogate() && i + 1 < line.size() ? 2 : 1;
        characters.append(line.mid(i, length));
        i += length - 1;
    }
    return characters;
}

// The deformation of bend and distortions, on coordinates scaled like the
// layout size it is built with.
class Warp
{
public:
    Warp(const QSizeF& size, double bend, double hDistortion, double vDistortion)
        : m_width(std::max(size.width(), 1.0))
        , m_height(std::max(size.height(), 1.0))
        , m_bend(Amount(bend))
        , m_hDistortion(Amount(hDistortion))
        , m_vDistortion(Amount(vDistortion))
    {
    }

    // A deformation amount limited to -1..1 (anything that is not a number: 0).
    static double Amount(double value) { return std::isfinite(value) ? std::clamp(value, -1.0, 1.0) : 0.0; }

    bool IsIdentity() const { return m_bend == 0.0 && m_hDistortion == 0.0 && m_vDistortion == 0.0; }

    QPointF Map(const QPointF& point) const
    {
        double x = point.x();
        double y = point.y();
        // Distortion: the text's height (width) grows or shrinks linearly
        // towards its right (bottom) edge, about its middle line.
        if (m_hDistortion != 0.0)
            y = m_height / 2 + (y - m_height / 2) * std::max(0.05, 1.0 + m_hDistortion * x / m_width);
        if (m_vDistortion != 0.0)
            x = m_width / 2 + (x - m_width / 2) * std::max(0.05, 1.0 + m_vDistortion * y / m_height);
        if (m_bend == 0.0)
            return QPointF(x, y);
        // Bend: the base of the text (its top for a negative bend) follows an
        // arc of angle |bend| * pi with the text's width as its length.
        const double radius = m_width / (std::fabs(m_bend) * kPi);
        const double angle = (x - m_width / 2) / radius;
        if (m_bend > 0) {
            const double distance = radius + (m_height - y);
            return QPointF(m_width / 2 + distance * std::sin(angle), m_height + radius - distance * std::cos(angle));
        }
        const double distance = radius + y;
        return QPointF(m_width / 2 + distance * std::sin(angle), -radius + distance * std::cos(angle));
    }

    // The path flattened, with edges cut into short pieces so that straight
    // edges bend too, and every point deformed.
    QPainterPath Apply(const QPainterPath& path, double scale) const
    {
        QPainterPath result;
        result.setFillRule(Qt::WindingFill);
        const QTransform scaling = QTransform::fromScale(scale, scale);
        for (const QPolygonF& polygon : path.toSubpathPolygons(scaling)) {
            QPolygonF warped;
            for (int i = 0; i < polygon.size(); ++i) {
                const QPointF from = polygon.at(i);
                const QPointF to = polygon.at((i + 1) % polygon.size());
                const int pieces = IsIdentity() ? 1 : std::max(1, int(QLineF(from, to).length() / 2.0));
                for (int piece = 0; piece < pieces; ++piece)
                    warped << Map(from + (to - from) * (double(piece) / pieces));
            }
            result.addPolygon(warped);
            result.closeSubpath();
        }
        return result;
    }

private:
    double m_width;
    double m_height;
    double m_bend;
    double m_hDistortion;
    double m_vDistortion;
};

QColor Inverted(const QColor& color)
{
    const QColor rgb = color.toRgb();
    return QColor(255 - rgb.red(), 255 - rgb.green(), 255 - rgb.blue(), rgb.alpha());
}

// The smallest rectangle holding every pixel with some alpha.
QRect OpaqueBounds(const QImage& image)
{
    int left = image.width(), right = -1, top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (line[x * 4 + 3]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

struct KXTextHelper::Private
{
    double scale = 2.0;
    QString text;
    QFont font;
    QColor color = Qt::black;
    int style = 0;
    bool vertical = false;
    double bend = 0;
    double hDistortion = 0;
    double vDistortion = 0;

    Layout Lay(int selectionStart, int selectionLength) const;
};

Layout KXTextHelper::Private::Lay(int selectionStart, int selectionLength) const
{
    Layout layout;
    layout.glyphs.setFillRule(Qt::WindingFill);
    layout.selectedGlyphs.setFillRule(Qt::WindingFill);
    const QFontMetricsF metrics(font);
    const int selectionEnd = selectionStart >= 0 && selectionLength > 0 ? selectionStart + selectionLength : -1;
    const auto selected = [&](int position) { return position >= selectionStart && position < selectionEnd; };
    const QStringList lines = text.split(QLatin1Char('\n'));
    const double lineWidth = std::max(1.0, metrics.lineWidth());
    int position = 0; // of the line's first character in the text

    if (!vertical) {
        double width = 0;
        for (int index = 0; index < lines.size(); ++index) {
            const QString& line = lines.at(index);
            const double top = index * metrics.lineSpacing();
            const double baseline = top + metrics.ascent();
            // Runs of equally selected characters are laid out together.
            for (int start = 0; start < line.size();) {
                int end = start + 1;
                while (end < line.size() && selected(position + end) == selected(position + start))
                    ++end;
                const QString run = line.mid(start, end - start);
                const double x = metrics.horizontalAdvance(line.left(start));
                if (selected(position + start)) {
                    layout.selectedGlyphs.addText(x, baseline, font, run);
                    layout.selectionBoxes.addRect(x, top, metrics.horizontalAdvance(run), metrics.height());
                } else {
                    layout.glyphs.addText(x, baseline, font, run);
                }
                start = end;
            }
            const double advance = metrics.horizontalAdvance(line);
            width = std::max(width, advance);
            if (style & Underline)
                layout.glyphs.addRect(0, baseline + metrics.underlinePos(), advance, lineWidth);
            if (style & StrikeOut)
                layout.glyphs.addRect(0, baseline - metrics.strikeOutPos(), advance, lineWidth);
            position += line.size() + 1;
        }
        layout.size = QSizeF(width, (lines.size() - 1) * metrics.lineSpacing() + metrics.height());
        return layout;
    }

    // Vertical: every line is a column, its characters one under the other.
    double columnWidth = 0;
    int longest = 0;
    for (const QString& line : lines) {
        const QStringList characters = Characters(line);
        longest = std::max(longest, int(characters.size()));
        for (const QString& character : characters)
            columnWidth = std::max(columnWidth, metrics.horizontalAdvance(character));
    }
    const double height = longest ? (longest - 1) * metrics.lineSpacing() + metrics.height() : 0.0;
    for (int index = 0; index < lines.size(); ++index) {
        const QStringList characters = Characters(lines.at(index));
        const double left = index * columnWidth;
        int offset = 0;
        for (int row = 0; row < characters.size(); ++row) {
            const QString& character = characters.at(row);
            const double top = row * metrics.lineSpacing();
            const double x = left + (columnWidth - metrics.horizontalAdvance(character)) / 2;
            if (selected(position + offset)) {
                layout.selectedGlyphs.addText(x, top + metrics.ascent(), font, character);
                layout.selectionBoxes.addRect(left, top, columnWidth, metrics.height());
            } else {
                layout.glyphs.addText(x, top + metrics.ascent(), font, character);
            }
            offset += character.size();
        }
        const double length = characters.isEmpty() ? 0.0 : (characters.size() - 1) * metrics.lineSpacing()
                + metrics.height();
        if (style & Underline)
            layout.glyphs.addRect(left + columnWidth - lineWidth, 0, lineWidth, length);
        if (style & StrikeOut)
            layout.glyphs.addRect(left + (columnWidth - lineWidth) / 2, 0, lineWidth, length);
        position += lines.at(index).size() + 1;
    }
    layout.size = QSizeF(lines.size() * columnWidth, height);
    return layout;
}

KXTextHelper::KXTextHelper(double scale)
    : d(new Private)
{
    // Beyond a few times the size rasterising costs memory and gains nothing.
    d->scale = scale > 0 ? std::min(scale, 8.0) : 1.0;
}

KXTextHelper::KXTextHelper(const KXTextHelper& other)
    : d(new Private(*other.d))
{
}

KXTextHelper& KXTextHelper::operator=(const KXTextHelper& other)
{
    *d = *other.d;
    return *this;
}

KXTextHelper::~KXTextHelper()
{
    delete d;
}

void KXTextHelper::SetText(const QString& text)
{
    d->text = text;
}
void KXTextHelper::SetFont(const QFont& font)
{
    d->font = font;
}
void KXTextHelper::SetColor(const QColor& color)
{
    d->color = color;
}
void KXTextHelper::SetStyle(int style)
{
    d->style = style;
}
void KXTextHelper::SetOrientation(bool vertical)
{
    d->vertical = vertical;
}
void KXTextHelper::SetBend(double bend)
{
    d->bend = bend;
}
void KXTextHelper::SetHDistortion(double distortion)
{
    d->hDistortion = distortion;
}
void KXTextHelper::SetVDistortion(double distortion)
{
    d->vDistortion = distortion;
}

QString KXTextHelper::GetText() const
{
    return d->text;
}
QFont KXTextHelper::GetFont() const
{
    return d->font;
}
QColor KXTextHelper::GetColor() const
{
    return d->color;
}
int KXTextHelper::GetStyle() const
{
    return d->style;
}
bool KXTextHelper::GetOrientation() const
{
    return d->vertical;
}
double KXTextHelper::GetBend() const
{
    return d->bend;
}
double KXTextHelper::GetHDistortion() const
{
    return d->hDistortion;
}
double KXTextHelper::GetVDistortion() const
{
    return d->vDistortion;
}

QRect KXTextHelper::GetTextRect() const
{
    if (d->text.isEmpty())
        return QRect();
    const QSizeF size = d->Lay(-1, -1).size;
    return QRect(0, 0, int(std::ceil(size.width())), int(std::ceil(size.height())));
}

KXImage32 KXTextHelper::CreateImageByTextWithSelectionAndDeformation(QPoint& offset, int selectionStart,
                                                                     int selectionLength) const
{
    offset = QPoint(0, 0);
    if (d->text.isEmpty())
        return KXImage32();
    const double scale = d->scale;
    const Layout layout = d->Lay(selectionStart, selectionLength);
    const Warp warp(layout.size * scale, d->bend, d->hDistortion, d->vDistortion);
    const QPainterPath glyphs = warp.Apply(layout.glyphs, scale);
    const QPainterPath selectedGlyphs = warp.Apply(layout.selectedGlyphs, scale);
    const QPainterPath boxes = warp.Apply(layout.selectionBoxes, scale);
    const bool outline = d->style & Outline;
    const double penWidth = std::max(1.0, QFontMetricsF(d->font).lineWidth()) * scale;

    // Rasterise at the larger scale on a canvas aligned to whole output pixels.
    const QRectF bounds = (glyphs.boundingRect() | selectedGlyphs.boundingRect() | boxes.boundingRect())
                              .adjusted(-penWidth, -penWidth, penWidth, penWidth);
    // A canvas side past this would not be allocated anyway.
    const double limit = 1 << 20;
    if (!(std::fabs(bounds.left()) < limit && std::fabs(bounds.right()) < limit && std::fabs(bounds.top()) < limit
          && std::fabs(bounds.bottom()) < limit))
        return KXImage32();
    const QRect pixels(QPoint(int(std::floor(bounds.left() / scale)), int(std::floor(bounds.top() / scale))),
                       QPoint(int(std::ceil(bounds.right() / scale)), int(std::ceil(bounds.bottom() / scale))));
    QImage canvas(int(std::ceil(pixels.width() * scale)), int(std::ceil(pixels.height() * scale)),
                  QImage::Format_ARGB32_Premultiplied);
    if (canvas.isNull())
        return KXImage32();
    canvas.fill(Qt::transparent);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.translate(-pixels.left() * scale, -pixels.top() * scale);
        painter.fillPath(boxes, d->color);
        if (outline) {
            painter.strokePath(glyphs, QPen(d->color, penWidth));
            painter.strokePath(selectedGlyphs, QPen(Inverted(d->color), penWidth));
        } else {
            painter.fillPath(glyphs, d->color);
            painter.fillPath(selectedGlyphs, Inverted(d->color));
        }
    }
    if (canvas.size() != pixels.size())
        canvas = canvas.scaled(pixels.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage result = canvas.convertToFormat(QImage::Format_RGBA8888);
    const QRect used = OpaqueBounds(result);
    if (used.isEmpty())
        return KXImage32();
    offset = pixels.topLeft() + used.topLeft();
    return KXImage32::FromQImage(result.copy(used));
}
