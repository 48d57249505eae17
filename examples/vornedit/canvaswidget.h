#pragma once

#include <QImage>
#include <QPen>
#include <QPainterPath>
#include <QRect>
#include <QWidget>

class KXMemoryDocument;

// Shows the composed document, scaled to fit, with the selection tinted, and
// turns mouse drags into a brush path or a selection rectangle (in document
// coordinates). It changes nothing itself: the window records the edits.
class CanvasWidget : public QWidget
{
    Q_OBJECT
public:
    enum class Tool
    {
        Brush,
        RectangleSelect
    };

    explicit CanvasWidget(KXMemoryDocument* document, QWidget* parent = nullptr);

    void SetTool(Tool tool);
    Tool GetTool() const { return m_tool; }
    QPoint ToDocument(const QPoint& widgetPoint) const;
    QPoint ToWidget(const QPoint& documentPoint) const;
    QSize sizeHint() const override;
    // The brush, in document pixels: the preview and the recorded stroke use it.
    static QPen BrushPen();

signals:
    void strokeFinished(const QPainterPath& path);
    void rectangleSelected(const QRect& rect);

public slots:
    // Composes the document again at the next turn of the event loop.
    void ScheduleRefresh();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void Refresh();
    // Where the document is drawn in the widget, and at what scale.
    QRect TargetRect() const;
    double Scale() const;

    KXMemoryDocument* m_document;
    QImage m_composed;
    QImage m_selection;
    QPoint m_selectionOffset;
    bool m_refreshQueued = false;
    Tool m_tool = Tool::Brush;
    bool m_dragging = false;
    QPainterPath m_stroke;
    QPoint m_dragStart;
    QPoint m_dragNow;
};
