#include "canvaswidget.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>

#include "KXComposeHelper.h"
#include "KXMemoryDocument.h"

namespace {

// The selected pixels (opaque black in the mask) as a translucent blue.
QImage Tint(const QImage& mask)
{
    if (mask.isNull())
        return QImage();
    QImage tint = mask.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&tint);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(tint.rect(), QColor(40, 120, 255, 90));
    return tint;
}

} // namespace

CanvasWidget::CanvasWidget(KXMemoryDocument* document, QWidget* parent)
    : QWidget(parent)
    , m_document(document)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setCursor(Qt::CrossCursor);
    for (auto layerSignal : {&KXDocumentInterface::layerChanged, &KXDocumentInterface::layerMaskChanged,
             &KXDocumentInterface::layerPropertiesChanged, &KXDocumentInterface::layerInserted,
             &KXDocumentInterface::layerRemoved})
        connect(m_document, layerSignal, this, &CanvasWidget::ScheduleRefresh);
    connect(m_document, &KXDocumentInterface::layersReordered, this, &CanvasWidget::ScheduleRefresh);
    connect(m_document, &KXDocumentInterface::selectionChanged, this, &CanvasWidget::ScheduleRefresh);
    connect(m_document, &KXDocumentInterface::canvasSizeChanged, this, &CanvasWidget::ScheduleRefresh);
    Refresh();
}

QPen CanvasWidget::BrushPen()
{
    return QPen(QColor(230, 80, 40), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void CanvasWidget::SetTool(Tool tool)
{
    m_tool = tool;
}

QSize CanvasWidget::sizeHint() const
{
    return m_document->GetCanvasSize().scaled(640, 480, Qt::KeepAspectRatio);
}

void CanvasWidget::ScheduleRefresh()
{
    if (m_refreshQueued)
        return;
    m_refreshQueued = true;
    QTimer::singleShot(0, this, &CanvasWidget::Refresh);
}

void CanvasWidget::Refresh()
{
    m_refreshQueued = false;
    m_composed = m_document->Compose().ToQImage();
    m_selection = Tint(m_document->GetSelectionMask().ToQImage());
    m_selectionOffset = m_document->GetSelectionMaskOffset();
    update();
}

QRect CanvasWidget::TargetRect() const
{
    const QSize size = m_document->GetCanvasSize().scaled(this->size(), Qt::KeepAspectRatio);
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

double CanvasWidget::Scale() const
{
    const QSize canvas = m_document->GetCanvasSize();
    return canvas.width() > 0 ? double(TargetRect().width()) / canvas.width() : 1.0;
}

QPoint CanvasWidget::ToDocument(const QPoint& widgetPoint) const
{
    return ((widgetPoint - TargetRect().topLeft()) / Scale());
}

QPoint CanvasWidget::ToWidget(const QPoint& documentPoint) const
{
    return TargetRect().topLeft() + documentPoint * Scale();
}

void CanvasWidget::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().dark());
    const QRect target = TargetRect();
    painter.fillRect(target, Qt::white);
    painter.drawImage(target, m_composed);
    painter.save();
    painter.translate(target.topLeft());
    painter.scale(Scale(), Scale());
    painter.drawImage(m_selectionOffset, m_selection);
    if (m_dragging && m_tool == Tool::Brush) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(BrushPen());
        painter.drawPath(m_stroke);
    }
    painter.restore();
    if (m_dragging && m_tool == Tool::RectangleSelect) {
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(QRect(m_dragStart, m_dragNow).normalized());
    }
}

void CanvasWidget::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = true;
    m_dragStart = m_dragNow = event->pos();
    m_stroke = QPainterPath(ToDocument(event->pos()));
    update();
}

void CanvasWidget::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_dragging)
        return;
    m_dragNow = event->pos();
    m_stroke.lineTo(ToDocument(event->pos()));
    update();
}

void CanvasWidget::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_dragging || event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    m_dragNow = event->pos();
    update();
    if (m_tool == Tool::Brush) {
        m_stroke.lineTo(ToDocument(event->pos()));
        emit strokeFinished(m_stroke);
    } else {
        const QRect rect = QRect(ToDocument(m_dragStart), ToDocument(m_dragNow)).normalized();
        if (rect.width() > 1 && rect.height() > 1)
            emit rectangleSelected(rect);
    }
}
