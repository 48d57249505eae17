#include "editorwindow.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QFormLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenuBar>
#include <QPainter>
#include <QSlider>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "KXDocumentModel.h"
#include "KXImage.h"
#include "KXMemoryDocument.h"
#include "canvaswidget.h"
#include "changecommandhelper.h"
#include "changeblendmodecommand.h"
#include "changeblendmodecommanddata.h"
#include "changeopacitycommand.h"
#include "changeopacitycommanddata.h"
#include "imagesizecommand.h"
#include "imagesizecommanddata.h"
#include "layercreatecommand.h"
#include "layercreatecommanddata.h"
#include "layernamechangecommand.h"
#include "layernamechangecommanddata.h"
#include "layerpaintcommand.h"
#include "layerpaintcommanddata.h"
#include "layerremovecommand.h"
#include "layerremovecommanddata.h"
#include "selectioncommand.h"
#include "selectioncommanddata.h"
#include "transformcommand.h"
#include "transformcommanddata.h"
#include "vornhistorymodel.h"
#include "vornundostack.h"

namespace {

struct BlendChoice
{
    const char* name;
    unsigned int mode;
};
const BlendChoice kBlendChoices[] = {{"Normal", KXDocumentInterface::BlendNormal},
    {"Multiply", KXDocumentInterface::BlendMultiply}, {"Screen", KXDocumentInterface::BlendScreen},
    {"Overlay", KXDocumentInterface::BlendOverlay}, {"Darken", KXDocumentInterface::BlendDarken},
    {"Lighten", KXDocumentInterface::BlendLighten}, {"Difference", KXDocumentInterface::BlendDifference}};

// A history row's picture: a coloured tile with a small white glyph.
QImage Icon(const QColor& color, const std::function<void(QPainter&)>& glyph)
{
    QImage icon(16, 16, QImage::Format_ARGB32_Premultiplied);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawRoundedRect(QRectF(0.5, 0.5, 15, 15), 3, 3);
    painter.setPen(QPen(Qt::white, 1.6));
    painter.setBrush(Qt::NoBrush);
    glyph(painter);
    return icon;
}

} // namespace

EditorWindow::EditorWindow(std::unique_ptr<KXMemoryDocument> document, const QString& temporaryFolder,
    QWidget* parent)
    : QMainWindow(parent)
    , m_document(std::move(document))
    , m_layers(new KXDocumentModel(m_document.get()))
    , m_layerSelection(new QItemSelectionModel(m_layers.get()))
    , m_stack(new VornUndoStack)
    , m_temporaryFolder(temporaryFolder)
{
    // The stack: its temporary folder while it is empty, the initial row, the pictures.
    m_stack->setTemporaryFolder(QDir(temporaryFolder));
    m_stack->SetInitialMeta(tr("Open"), QStringLiteral("open"));
    RegisterIcons();
    m_history.reset(new VornHistoryModel(m_stack.get()));

    setWindowTitle(tr("vornedit"));
    m_canvas = new CanvasWidget(m_document.get());
    setCentralWidget(m_canvas);
    connect(m_canvas, &CanvasWidget::strokeFinished, this, &EditorWindow::Stroke);
    connect(m_canvas, &CanvasWidget::rectangleSelected, this, &EditorWindow::SelectRectangle);
    BuildPanels();
    BuildActions();
    m_status = new QLabel;
    statusBar()->addWidget(m_status);
    UpdateStatus();

    // The paint layer is the one being edited at first.
    m_layerSelection->setCurrentIndex(m_layers->index(1), QItemSelectionModel::ClearAndSelect);
}

EditorWindow::~EditorWindow()
{
    // The widgets that show the document and the models go first, then the
    // stack (its commands point at the document), then the document.
    delete m_canvas;
    delete m_layerView;
    delete m_historyView;
    m_document->disconnect(this);
    m_history.reset();
    m_stack.reset();
}

void EditorWindow::BuildPanels()
{
    m_layerView = new QListView;
    m_layerView->setModel(m_layers.get());
    m_layerView->setSelectionModel(m_layerSelection.get());
    m_layerView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_layerView->setSelectionMode(QAbstractItemView::ExtendedSelection); // several rows merge together
    connect(m_layerSelection.get(), &QItemSelectionModel::currentChanged, this, &EditorWindow::ShowLayerProperties);
    connect(m_layerSelection.get(), &QItemSelectionModel::selectionChanged, this, &EditorWindow::ShowLayerProperties);
    connect(m_document.get(), &KXDocumentInterface::layerPropertiesChanged, this, &EditorWindow::ShowLayerProperties);

    m_opacity = new QSlider(Qt::Horizontal);
    m_opacity->setRange(0, 100);
    connect(m_opacity, &QSlider::sliderPressed, this, &EditorWindow::BeginOpacityDrag);
    connect(m_opacity, &QSlider::valueChanged, this, &EditorWindow::DragOpacity);
    connect(m_opacity, &QSlider::sliderReleased, this, &EditorWindow::EndOpacityDrag);
    m_blend = new QComboBox;
    for (const BlendChoice& choice : kBlendChoices)
        m_blend->addItem(tr(choice.name), choice.mode);
    connect(m_blend, QOverload<int>::of(&QComboBox::activated), this, &EditorWindow::ChangeBlendMode);
    m_name = new QLineEdit;
    connect(m_name, &QLineEdit::returnPressed, this, &EditorWindow::Rename);

    auto* layerPanel = new QWidget;
    auto* layerLayout = new QVBoxLayout(layerPanel);
    layerLayout->addWidget(m_layerView);
    auto* properties = new QFormLayout;
    properties->addRow(tr("Opacity"), m_opacity);
    properties->addRow(tr("Blend"), m_blend);
    properties->addRow(tr("Name"), m_name);
    layerLayout->addLayout(properties);
    auto* layerDock = new QDockWidget(tr("Layers"));
    layerDock->setObjectName(QStringLiteral("layers"));
    layerDock->setWidget(layerPanel);
    layerDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::RightDockWidgetArea, layerDock);

    // The history panel: clicking a row takes the document to that state.
    m_historyView = new QListView;
    m_historyView->setModel(m_history.get());
    m_historyView->setIconSize(QSize(16, 16));
    m_historyView->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(m_historyView, &QListView::clicked, this,
        [this](const QModelIndex& index) { m_history->setCurrentRow(index.row()); });
    connect(m_history.get(), &VornHistoryModel::currentRowChanged, this, &EditorWindow::ShowCurrentHistoryRow);
    connect(m_history.get(), &QAbstractItemModel::rowsInserted, this, &EditorWindow::ShowCurrentHistoryRow);
    for (auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_history.get(), changed, this, &EditorWindow::UpdateStatus);
    connect(m_history.get(), &QAbstractItemModel::dataChanged, this, &EditorWindow::UpdateStatus);
    auto* historyDock = new QDockWidget(tr("History"));
    historyDock->setObjectName(QStringLiteral("history"));
    historyDock->setWidget(m_historyView);
    historyDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    addDockWidget(Qt::RightDockWidgetArea, historyDock);
}

void EditorWindow::BuildActions()
{
    // The stack's own actions: enabled, texts and shortcuts follow the stack.
    m_undo = m_stack->createUndoAction(this, tr("Undo"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo = m_stack->createRedoAction(this, tr("Redo"));
    m_redo->setShortcut(QKeySequence::Redo);

    auto* tools = new QActionGroup(this);
    m_brush = tools->addAction(QIcon(QPixmap::fromImage(VornCommand::GetIcon(QStringLiteral("brush")))), tr("Brush"));
    m_select = tools->addAction(QIcon(QPixmap::fromImage(VornCommand::GetIcon(QStringLiteral("selection")))),
        tr("Select rectangle"));
    m_brush->setCheckable(true);
    m_select->setCheckable(true);
    m_brush->setChecked(true);
    connect(m_brush, &QAction::triggered, this, [this] { m_canvas->SetTool(CanvasWidget::Tool::Brush); });
    connect(m_select, &QAction::triggered, this, [this] { m_canvas->SetTool(CanvasWidget::Tool::RectangleSelect); });
    m_newLayer = MakeAction(QStringLiteral("layer-new"), tr("New layer"), &EditorWindow::NewLayer);
    m_deleteLayer = MakeAction(QStringLiteral("layer-delete"), tr("Delete layer"), &EditorWindow::DeleteLayer);
    m_duplicateLayer = MakeAction(QStringLiteral("layer-duplicate"), tr("Duplicate layer"), &EditorWindow::DuplicateLayer);
    m_merge = MakeAction(QStringLiteral("default"), tr("Merge down"), &EditorWindow::MergeLayers);
    m_rotate = MakeAction(QStringLiteral("transform"), tr("Rotate layer 90°"), &EditorWindow::RotateLayer);
    m_crop = MakeAction(QStringLiteral("crop"), tr("Crop to selection"), &EditorWindow::CropToSelection);
    m_halfSize = MakeAction(QStringLiteral("image-size"), tr("Image size 50%"), &EditorWindow::HalveImageSize);

    QToolBar* toolbar = addToolBar(tr("Edit"));
    toolbar->setObjectName(QStringLiteral("edit"));
    toolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar->addActions({m_undo, m_redo});
    toolbar->addSeparator();
    toolbar->addActions(tools->actions());
    toolbar->addSeparator();
    toolbar->addActions({m_newLayer, m_deleteLayer});

    // Layer structure and the whole image: a second row of buttons and the menus.
    const QList<QAction*> layerActions{m_newLayer, m_deleteLayer, m_duplicateLayer, m_merge, m_rotate};
    const QList<QAction*> imageActions{m_crop, m_halfSize};
    addToolBarBreak();
    QToolBar* structure = addToolBar(tr("Layer and image"));
    structure->setObjectName(QStringLiteral("structure"));
    structure->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    structure->addActions({m_duplicateLayer, m_merge, m_rotate});
    structure->addSeparator();
    structure->addActions(imageActions);
    menuBar()->addMenu(tr("&Edit"))->addActions({m_undo, m_redo});
    menuBar()->addMenu(tr("&Layer"))->addActions(layerActions);
    menuBar()->addMenu(tr("&Image"))->addActions(imageActions);
}

QAction* EditorWindow::MakeAction(const QString& icon, const QString& text, void (EditorWindow::*slot)())
{
    auto* action = new QAction(QIcon(QPixmap::fromImage(VornCommand::GetIcon(icon))), text, this);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

void EditorWindow::RegisterIcons()
{
    // Once per process: the registry is shared by every stack.
    if (!VornCommand::GetIcon(QStringLiteral("open")).isNull())
        return;
    VornCommand::SetIcon(QStringLiteral("open"),
        Icon(QColor(90, 90, 100), [](QPainter& p) { p.drawRect(QRectF(4, 4, 8, 8)); }));
    VornCommand::SetIcon(QStringLiteral("brush"),
        Icon(QColor(230, 80, 40), [](QPainter& p) { p.drawLine(QPointF(4, 12), QPointF(12, 4)); }));
    VornCommand::SetIcon(QStringLiteral("selection"), Icon(QColor(40, 120, 255), [](QPainter& p) {
        p.setPen(QPen(Qt::white, 1.4, Qt::DotLine));
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
    }));
    VornCommand::SetIcon(QStringLiteral("opacity"),
        Icon(QColor(130, 90, 200), [](QPainter& p) { p.drawEllipse(QRectF(4, 4, 8, 8)); }));
    VornCommand::SetIcon(QStringLiteral("blend"), Icon(QColor(200, 150, 30), [](QPainter& p) {
        p.drawEllipse(QRectF(3, 5, 6, 6));
        p.drawEllipse(QRectF(7, 5, 6, 6));
    }));
    VornCommand::SetIcon(QStringLiteral("rename"),
        Icon(QColor(60, 150, 120), [](QPainter& p) { p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, "T"); }));
    VornCommand::SetIcon(QStringLiteral("layer-new"), Icon(QColor(50, 160, 60), [](QPainter& p) {
        p.drawLine(QPointF(8, 4), QPointF(8, 12));
        p.drawLine(QPointF(4, 8), QPointF(12, 8));
    }));
    VornCommand::SetIcon(QStringLiteral("layer-delete"),
        Icon(QColor(190, 40, 50), [](QPainter& p) { p.drawLine(QPointF(4, 8), QPointF(12, 8)); }));
    // The names the library's layer structure and crop commands use; "default"
    // is every command's until it is given another (duplicate, merge).
    VornCommand::SetIcon(QStringLiteral("layer-duplicate"), Icon(QColor(40, 140, 170), [](QPainter& p) {
        p.drawRect(QRectF(3.5, 3.5, 6, 6));
        p.drawRect(QRectF(6.5, 6.5, 6, 6));
    }));
    VornCommand::SetIcon(QStringLiteral("default"),
        Icon(QColor(120, 120, 135), [](QPainter& p) { p.drawRect(QRectF(6, 6, 4, 4)); }));
    VornCommand::SetIcon(QStringLiteral("transform"),
        Icon(QColor(220, 120, 170), [](QPainter& p) { p.drawArc(QRectF(4, 4, 8, 8), 90 * 16, 270 * 16); }));
    VornCommand::SetIcon(QStringLiteral("crop"), Icon(QColor(150, 110, 60), [](QPainter& p) {
        p.drawPolyline(QPolygonF({QPointF(5, 2), QPointF(5, 11), QPointF(14, 11)}));
        p.drawPolyline(QPolygonF({QPointF(2, 5), QPointF(11, 5), QPointF(11, 14)}));
    }));
    VornCommand::SetIcon(QStringLiteral("image-size"), Icon(QColor(80, 110, 160), [](QPainter& p) {
        p.drawRect(QRectF(3.5, 3.5, 9, 9));
        p.drawRect(QRectF(3.5, 8.5, 4, 4));
    }));
}

unsigned int EditorWindow::CurrentLayer() const
{
    // After a layer command the panel may have a selected row but no current one.
    QModelIndex current = m_layerSelection->currentIndex();
    if (!current.isValid())
        current = m_layerSelection->selectedRows().value(0);
    return current.isValid() ? current.data(KXDocumentModel::LayerIdRole).toUInt() : 0;
}

void EditorWindow::ShowLayerProperties()
{
    const unsigned int id = CurrentLayer();
    const QSignalBlocker opacityBlocker(m_opacity);
    if (!m_opacity->isSliderDown())
        m_opacity->setValue(qRound(m_document->GetLayerOpacity(id) * 100));
    m_blend->setCurrentIndex(m_blend->findData(m_document->GetLayerBlendMode(id)));
    if (!m_name->hasFocus())
        m_name->setText(m_document->GetLayerName(id));
    for (QWidget* editor : {static_cast<QWidget*>(m_opacity), static_cast<QWidget*>(m_blend),
             static_cast<QWidget*>(m_name)})
        editor->setEnabled(id != 0);
    m_deleteLayer->setEnabled(id != 0);
    m_duplicateLayer->setEnabled(id != 0);
    m_merge->setEnabled(id > 1);
    m_rotate->setEnabled(id != 0 && m_document->GetLayerType(id) == KXDocumentInterface::RasterLayer);
}

void EditorWindow::ShowCurrentHistoryRow()
{
    const QModelIndex current = m_history->index(m_history->currentRow());
    m_historyView->selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect);
    m_historyView->scrollTo(current);
}

void EditorWindow::UpdateStatus()
{
    const QFileInfoList files = QDir(m_temporaryFolder)
                                    .entryInfoList({QStringLiteral("~nuboltmp.*")}, QDir::Files | QDir::Hidden);
    qint64 onDisk = 0;
    for (const QFileInfo& file : files)
        onDisk += file.size();
    qint64 inMemory = 0;
    for (int row = 0; row < m_history->rowCount(); ++row)
        inMemory += m_history->index(row).data(VornHistoryModel::MemoryBytesRole).toLongLong();
    m_status->setText(tr("Temporary files: %1, %2 KiB on disk, %3 KiB of history in memory")
                          .arg(files.size())
                          .arg(onDisk / 1024.0, 0, 'f', 1)
                          .arg(inMemory / 1024.0, 0, 'f', 1));
}

void EditorWindow::Push(VornCommand* command, const QString& text, const QString& icon)
{
    command->setText(text);
    command->SetIcon(icon);
    m_stack->push(command);
}

void EditorWindow::Stroke(const QPainterPath& path)
{
    // What a paint tool records: the layer's pixels under the stroke before and
    // after it, the layer's rectangle before, and where the stroke went.
    const unsigned int id = CurrentLayer();
    if (id == 0 || m_document->GetLayerType(id) != KXDocumentInterface::RasterLayer) {
        statusBar()->showMessage(tr("The brush paints on image layers only."), 3000);
        return;
    }
    const QPen pen = CanvasWidget::BrushPen();
    const int reach = int(pen.widthF());
    const QRect stroke = path.boundingRect().toAlignedRect().adjusted(-reach, -reach, reach, reach)
        & QRect(QPoint(), m_document->GetCanvasSize());
    if (stroke.isEmpty())
        return;
    const QRect layer = m_document->GetLayerGeometry(id);
    const QRect inside = stroke & layer;
    const KXImage32 oldPixels = m_document->GetLayerImage(id)->Copy(inside.translated(-layer.topLeft()));
    QImage pixels(stroke.size(), QImage::Format_RGBA8888);
    pixels.fill(Qt::transparent);
    {
        QPainter painter(&pixels);
        if (!inside.isEmpty())
            painter.drawImage(inside.topLeft() - stroke.topLeft(), oldPixels.ToQImage());
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(pen);
        painter.drawPath(path.translated(-stroke.topLeft()));
    }
    auto* command = new LayerPaintCommand(m_document.get(), true);
    auto* data = new LayerPaintCommandData;
    data->SetUndoImage(oldPixels, QRect());
    data->SetRedoImage(KXImage32::FromQImage(pixels), QRect());
    data->SetUndoGeometry(layer);
    data->SetRedoGeometry(stroke);
    data->SetLayerID(id);
    command->SetCommandData(data);
    Push(command, tr("Brush"), QStringLiteral("brush"));
}

void EditorWindow::SelectRectangle(const QRect& rect)
{
    QPainterPath shape;
    shape.addRect(rect);
    auto* command = new SelectionCommand(m_document.get());
    auto* data = new SelectionCommandData;
    data->SetSelectionGeometry(shape);
    data->SetSelectionOp(SelectionCommandData::Replace);
    data->SetUndoSel(m_document->GetSelectionMaskOffset(), m_document->GetSelectionMask());
    command->SetCommandData(data);
    Push(command, tr("Rectangle selection"), QStringLiteral("selection"));
}

void EditorWindow::BeginOpacityDrag()
{
    // A live edit: the row shows at once, the document follows the slider,
    // and the final value is recorded when the slider is let go.
    const unsigned int id = CurrentLayer();
    if (id == 0)
        return;
    auto* command = new ChangeOpacityCommand(m_document.get());
    auto* data = new ChangeOpacityCommandData;
    data->SetOldOpacity(m_document->GetLayerOpacity(id));
    data->SetLayerNuber(id);
    command->SetCommandData(data);
    command->setText(tr("Opacity"));
    command->SetIcon(QStringLiteral("opacity"));
    m_stack->pushDelayed(command);
}

void EditorWindow::DragOpacity(int percent)
{
    const unsigned int id = CurrentLayer();
    if (id == 0)
        return;
    if (m_opacity->isSliderDown()) {
        m_document->SetLayerOpacity(id, percent / 100.0);
        return;
    }
    // A step from the keyboard or a click beside the handle: one short live edit.
    BeginOpacityDrag();
    m_document->SetLayerOpacity(id, percent / 100.0);
    m_stack->commit();
}

void EditorWindow::EndOpacityDrag()
{
    m_stack->commit();
}

void EditorWindow::ChangeBlendMode(int index)
{
    const unsigned int id = CurrentLayer();
    const unsigned int mode = m_blend->itemData(index).toUInt();
    if (id == 0 || mode == m_document->GetLayerBlendMode(id))
        return;
    auto* command = new ChangeBlendCommand(m_document.get());
    auto* data = new ChangeBlendModeCommandData;
    data->SetOldMode(m_document->GetLayerBlendMode(id));
    data->SetLayerNuber(id);
    command->SetCommandData(data);
    command->setText(tr("Blend mode"));
    command->SetIcon(QStringLiteral("blend"));
    m_stack->pushDelayed(command);
    m_document->SetLayerBlendMode(id, mode);
    m_stack->commit();
}

void EditorWindow::Rename()
{
    const unsigned int id = CurrentLayer();
    const QString name = m_name->text().trimmed();
    if (id == 0 || name.isEmpty() || name == m_document->GetLayerName(id))
        return;
    auto* command = new LayerNameChangeCommand(m_document.get());
    auto* data = new LayerNameChangeCommandData;
    data->SetOldName(m_document->GetLayerName(id));
    data->SetNewName(name);
    data->SetLayerID(id);
    command->SetCommandData(data);
    Push(command, tr("Rename layer"), QStringLiteral("rename"));
}

void EditorWindow::NewLayer()
{
    // An empty image layer above the current one; the panel's selection is
    // part of what the command restores.
    const unsigned int id = qMax(1u, CurrentLayer() + 1);
    auto* command = new LayerCreateCommand(m_document.get(), false);
    auto* data = new LayerCreateCommandData(m_layerSelection.get(), LayerCreateCommandData::RasterLayer, -1);
    data->SetLayerId(id);
    data->SetLayerName(tr("Layer %1").arg(++m_newLayers));
    data->SetBlendMode(KXDocumentInterface::BlendNormal);
    data->SetOpacity(1.0);
    command->SetCommandData(data);
    Push(command, tr("New layer"), QStringLiteral("layer-new"));
    m_layerSelection->setCurrentIndex(m_layers->index(int(id) - 1), QItemSelectionModel::ClearAndSelect);
}

void EditorWindow::DeleteLayer()
{
    const unsigned int id = CurrentLayer();
    if (id == 0)
        return;
    auto* command = new LayerRemoveCommand(m_document.get(), false);
    auto* data = new LayerRemoveCommandData(m_layerSelection.get());
    data->AddLayerInfo(id, m_document.get());
    command->SetCommandData(data);
    Push(command, tr("Delete layer"), QStringLiteral("layer-delete"));
}

void EditorWindow::DuplicateLayer()
{
    const unsigned int id = CurrentLayer();
    if (id == 0)
        return;
    ChangeCommandHelper::MakeDuplicateLayerCommand(id, tr("%1 copy").arg(m_document->GetLayerName(id)),
        m_document->GetLayerOpacity(id), m_document->GetLayerBlendMode(id), m_layerSelection.get(), m_layers.get(),
        m_stack.get());
}

void EditorWindow::MergeLayers()
{
    // The layers selected in the panel, or the current one and the one below.
    QList<unsigned int> layers;
    for (const QModelIndex& row : m_layerSelection->selectedRows())
        layers << row.data(KXDocumentModel::LayerIdRole).toUInt();
    if (layers.size() < 2)
        layers = {CurrentLayer() - 1, CurrentLayer()};
    if (layers.contains(0u)) {
        statusBar()->showMessage(tr("The background does not merge."), 3000);
        return;
    }
    ChangeCommandHelper::MakeMergeCommand(layers, m_layerSelection.get(), m_layers.get(), m_stack.get());
}

void EditorWindow::RotateLayer()
{
    // A quarter turn about the layer's centre; the command records the pixels before.
    const unsigned int id = CurrentLayer();
    const KXImage32* image = m_document->GetLayerImage(id);
    if (id == 0 || !image || m_document->GetLayerType(id) != KXDocumentInterface::RasterLayer)
        return;
    const QRect geometry = m_document->GetLayerGeometry(id);
    QTransform turn;
    turn.translate(geometry.x() + geometry.width() / 2.0, geometry.y() + geometry.height() / 2.0);
    turn.rotate(90);
    turn.translate(-geometry.width() / 2.0, -geometry.height() / 2.0);
    auto* command = new TransformCommand(m_document.get(), false);
    auto* data = new TransformCommandData;
    data->SetUndoLayerImage(id, *image, geometry.topLeft());
    data->SetTransform(turn);
    data->SetOldTransform(QTransform());
    command->SetCommandData(data);
    Push(command, tr("Rotate layer"), QStringLiteral("transform"));
}

void EditorWindow::CropToSelection()
{
    const QRect area = m_document->GetSelectionGeometry() & QRect(QPoint(), m_document->GetCanvasSize());
    if (!m_document->HasSelection() || area.isEmpty()) {
        statusBar()->showMessage(tr("Select the area to keep first."), 3000);
        return;
    }
    ChangeCommandHelper::MakeCropCommand(m_document.get(), tr("Crop"),
        QTransform::fromTranslate(-area.x(), -area.y()), area.size(), false, false, m_stack.get(),
        QStringLiteral("crop"));
}

void EditorWindow::HalveImageSize()
{
    const QSize oldSize = m_document->GetCanvasSize();
    const QSize newSize = (oldSize / 2).expandedTo(QSize(1, 1));
    auto* command = new ImageSizeCommand(m_document.get());
    auto* data = new ImageSizeCommandData;
    data->Init(m_document.get(), oldSize, m_document->GetDPI(), newSize, m_document->GetDPI() / 2.0, true,
        ImageSizeCommandData::BicubicResample);
    command->SetCommandData(data);
    Push(command, tr("Image size"), QStringLiteral("image-size"));
}
