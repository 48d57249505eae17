#include "editsession.h"

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QItemSelectionModel>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>
#include <QVariant>

#include <atomic>
#include <cstdio>

#include "KXDocumentModel.h"
#include "KXImage.h"
#include "KXMemoryDocument.h"
#include "channelpathsteps.h"
#include "changeblendmodecommand.h"
#include "changeblendmodecommanddata.h"
#include "changecommandhelper.h"
#include "changeopacitycommand.h"
#include "changeopacitycommanddata.h"
#include "cropsteps.h"
#include "layercreatecommand.h"
#include "layercreatecommanddata.h"
#include "layerdataitem.h"
#include "layernamechangecommand.h"
#include "layernamechangecommanddata.h"
#include "layerpaintcommand.h"
#include "layerpaintcommanddata.h"
#include "layerstructuresteps.h"
#include "selectioncommand.h"
#include "selectioncommanddata.h"
#include "stylesteps.h"
#include "transformsteps.h"
#include "textsteps.h"
#include "vorncommanddataserializer.h"
#include "vornundostack.h"

namespace {

// Counts the library's error reports (debug messages) and passes every message on.
std::atomic<int> reportCount{0};
QtMessageHandler previousHandler = nullptr;

void CountingHandler(QtMsgType type, const QMessageLogContext& context, const QString& text)
{
    if (type == QtDebugMsg)
        ++reportCount;
    if (previousHandler)
        previousHandler(type, context, text);
}

double Milliseconds(const QElapsedTimer& timer)
{
    return timer.nsecsElapsed() / 1e6;
}

// A sky from deep blue at the top to haze at the horizon.
KXImage32 Sky(const QSize& size)
{
    QImage image(size, QImage::Format_RGBA8888);
    QPainter painter(&image);
    QLinearGradient gradient(0, 0, 0, size.height());
    gradient.setColorAt(0, QColor(30, 70, 160));
    gradient.setColorAt(0.7, QColor(150, 190, 230));
    gradient.setColorAt(1, QColor(230, 210, 170));
    painter.fillRect(image.rect(), gradient);
    return KXImage32::FromQImage(image);
}

KXImage32 Disc(int diameter, const QColor& color)
{
    QImage image(diameter, diameter, QImage::Format_RGBA8888);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    QRadialGradient gradient(diameter / 2.0, diameter / 2.0, diameter / 2.0);
    gradient.setColorAt(0, color.lighter(130));
    gradient.setColorAt(1, color);
    painter.setBrush(gradient);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(image.rect());
    return KXImage32::FromQImage(image);
}

// A soft mask: opaque in the middle, fading to the edges.
KXImage32 FadeMask(const QSize& size)
{
    QImage image(size, QImage::Format_RGBA8888);
    QPainter painter(&image);
    QRadialGradient gradient(size.width() / 2.0, size.height() / 2.0, qMax(size.width(), size.height()) / 2.0);
    gradient.setColorAt(0, QColor(255, 255, 255));
    gradient.setColorAt(1, QColor(0, 0, 0));
    painter.fillRect(image.rect(), gradient);
    return KXImage32::FromQImage(image);
}

// The selection mask of a shape: selected pixels opaque black, the rest clear.
KXImage32 SelectionOf(const QRect& rect)
{
    KXImage32 mask(unsigned(rect.width()), unsigned(rect.height()));
    mask.Fill(KXRGBA32i(0, 0, 0, 255));
    return mask;
}

} // namespace

EditSession::EditSession(const Options& options)
    : m_options(options)
{
    previousHandler = qInstallMessageHandler(&CountingHandler);
}

EditSession::~EditSession()
{
    m_stack.reset(); // commands go before the document they point at
    m_panelSelection.reset();
    m_panel.reset();
    m_document.reset();
    qInstallMessageHandler(previousHandler);
}

int EditSession::Errors() const
{
    return reportCount.load();
}

bool EditSession::BuildDocument()
{
    KXImage32 background;
    if (!m_options.imagePath.isEmpty()) {
        const QImage picture(m_options.imagePath);
        if (picture.isNull()) {
            std::fprintf(stderr, "cannot read the picture %s\n", qPrintable(m_options.imagePath));
            return false;
        }
        m_options.size = picture.size();
        background = KXImage32::FromQImage(picture);
    } else {
        background = Sky(m_options.size);
    }
    const QSize size = m_options.size;
    m_document.reset(new KXMemoryDocument(size));
    m_document->AddRasterLayer(QStringLiteral("Background"), background);
    const int sun = qMax(64, size.height() / 4);
    const unsigned int sunId = m_document->AddRasterLayer(QStringLiteral("Sun"), Disc(sun, QColor(250, 190, 60)),
        QPoint(size.width() * 2 / 3, size.height() / 8));
    m_document->CreateLayerMask(sunId, FadeMask(QSize(sun, sun)), false);
    m_document->SetMaskPos(sunId, QPoint(size.width() * 2 / 3, size.height() / 8));
    KXImage32 paint(unsigned(size.width() / 2), unsigned(size.height() / 2));
    paint.Fill(KXRGBA32i(0, 0, 0, 0));
    m_document->AddRasterLayer(QStringLiteral("Paint"), paint, QPoint(size.width() / 8, size.height() / 3));
    m_document->AddTextLayer(QStringLiteral("Title"), QStringLiteral("Evening"),
        QFont(QStringLiteral("DejaVu Sans"), qMax(12, size.height() / 12)), Qt::white,
        QPoint(size.width() / 20, size.height() / 20));
    m_document->AddAdjustmentLayer(QStringLiteral("Warm"), QStringLiteral("Hue/Saturation"));
    const QRect selected(size.width() / 10, size.height() / 2, size.width() / 5, size.height() / 5);
    m_document->SetSelectionMask(SelectionOf(selected), selected.topLeft());

    m_panel.reset(new KXDocumentModel(m_document.get()));
    m_panelSelection.reset(new QItemSelectionModel(m_panel.get()));
    m_stack.reset(new VornUndoStack);
    m_stack->setTemporaryFolder(QDir(m_options.temporaryFolder));
    m_stack->SetInitialMeta(QStringLiteral("Open"), QStringLiteral("open"));
    RegisterIcons();
    PrintRow(0, QStringLiteral("open"));
    SavePicture(QStringLiteral("start"));
    return true;
}

void EditSession::Record()
{
    for (int round = 0; round < m_options.steps; ++round)
        Round(round);
    RecordCropSteps(*m_document, [this](VornCommand* command, const QString& text, const QString& icon) { Push(command, text, icon); }, *m_stack);
}

void EditSession::Round(int round)
{
    const unsigned int sun = FindLayer(QStringLiteral("Sun"));
    DragOpacity(sun, round % 2 ? 0.9 : 0.55);
    ChangeBlendMode(sun, round % 2 ? 0 : 14); // normal, screen
    RunStyleSteps(
        *m_document, round, [this](VornCommand* c, const QString& t, const QString& i) { Push(c, t, i); },
        [this](VornCommand* c, const QString& t, const QString& i, const std::function<void()>& f) {
            LiveEdit(c, t, i, f);
        });
    Select(round);
    Stroke(FindLayer(QStringLiteral("Paint")), round);
    CreateLayer(round);
    Rename(FindLayer(QStringLiteral("Sun")), round % 2 ? QStringLiteral("Sun") : QStringLiteral("Setting sun"));
    // The layer created in the previous round goes again.
    if (round > 0)
        RemoveLayer(FindLayer(QStringLiteral("Cloud %1").arg(round - 1)));
    // Alpha channel, path and colour sample edits.
    RecordChannelPathSteps(*m_document, round, [this](VornCommand* command, const QString& text,
        const QString& icon) { Push(command, text, icon); });
    // Duplicate, mask, move and merge steps.
    LayerStructureSteps{*m_document, *m_panelSelection, *m_stack,
        [this](VornCommand* command, const QString& text, const QString& icon) { Push(command, text, icon); }}
        .Run(round);
    // Geometry edits: a rotated layer, a transformed selection, an image size change.
    RecordTransformSteps(*m_document, [this](VornCommand* c, const QString& t, const QString& i) { Push(c, t, i); }, round);
    RecordTextSteps({*m_document, *m_panel, *m_panelSelection, [this](auto c, auto& t, auto& i) { Push(c, t, i); },
                        [this](auto c, auto& t, auto& i, auto& f) { LiveEdit(c, t, i, f); }, *m_stack}, round);
}

void EditSession::DragOpacity(unsigned int id, double to)
{
    // The slider's command goes into the history at once; the document follows
    // the slider directly and the final value is taken at commit.
    auto* command = new ChangeOpacityCommand(m_document.get());
    auto* data = new ChangeOpacityCommandData;
    const double from = m_document->GetLayerOpacity(id);
    data->SetOldOpacity(from);
    data->SetLayerNuber(id);
    command->SetCommandData(data);
    LiveEdit(command, QStringLiteral("Opacity"), QStringLiteral("opacity"), [&] {
        for (int tick = 1; tick <= 10; ++tick)
            m_document->SetLayerOpacity(id, from + (to - from) * tick / 10);
    });
}

void EditSession::ChangeBlendMode(unsigned int id, unsigned int mode)
{
    // The blend-mode box works the same way: the document shows each mode as
    // the user goes through the list; the one showing at commit is recorded.
    auto* command = new ChangeBlendCommand(m_document.get());
    auto* data = new ChangeBlendModeCommandData;
    data->SetOldMode(m_document->GetLayerBlendMode(id));
    data->SetLayerNuber(id);
    command->SetCommandData(data);
    LiveEdit(command, QStringLiteral("Blend mode"), QStringLiteral("blend"), [&] {
        m_document->SetLayerBlendMode(id, 8);
        m_document->SetLayerBlendMode(id, mode);
    });
}

void EditSession::LiveEdit(VornCommand* command, const QString& text, const QString& icon,
    const std::function<void()>& change)
{
    command->setText(text);
    command->SetIcon(icon);
    QElapsedTimer timer;
    timer.start();
    m_stack->pushDelayed(command);
    m_times.pushMs += Milliseconds(timer);
    change();
    timer.restart();
    m_stack->commit();
    m_times.pushMs += Milliseconds(timer);
    ++m_times.pushes;
    PrintRow(m_stack->index(), icon);
    SavePicture(text);
}

void EditSession::Rename(unsigned int id, const QString& name)
{
    auto* command = new LayerNameChangeCommand(m_document.get());
    auto* data = new LayerNameChangeCommandData;
    data->SetOldName(m_document->GetLayerName(id));
    data->SetNewName(name);
    data->SetLayerID(id);
    command->SetCommandData(data);
    Push(command, QStringLiteral("Rename layer"), QStringLiteral("rename"));
}

void EditSession::Select(int round)
{
    // An ellipse added to the selection, then a rectangle taken out of it.
    const QSize size = m_options.size;
    QPainterPath shape;
    SelectionCommandData::LogicalOp op = SelectionCommandData::Union;
    if (round % 2 == 0) {
        shape.addEllipse(QRectF(size.width() * (0.25 + 0.05 * round), size.height() * 0.45, size.width() * 0.2,
            size.height() * 0.25));
    } else {
        shape.addRect(QRectF(size.width() * 0.12, size.height() * 0.52, size.width() * 0.1, size.height() * 0.1));
        op = SelectionCommandData::Subtract;
    }
    auto* command = new SelectionCommand(m_document.get());
    auto* data = new SelectionCommandData;
    data->SetSelectionGeometry(shape);
    data->SetSelectionOp(op);
    data->SetUndoSel(m_document->GetSelectionMaskOffset(), m_document->GetSelectionMask());
    command->SetCommandData(data);
    Push(command, op == SelectionCommandData::Union ? QStringLiteral("Add to selection")
                                                   : QStringLiteral("Subtract from selection"),
        QStringLiteral("selection"));
}

void EditSession::Stroke(unsigned int id, int round)
{
    // A brush stroke across the layer, reaching past its left edge on odd rounds
    // (the layer grows to take it).
    const QRect layer = m_document->GetLayerGeometry(id);
    const int brush = qMax(16, m_options.size.height() / 20);
    const QRect stroke(round % 2 ? layer.left() - brush : layer.left() + layer.width() / 4,
        layer.top() + layer.height() / 3 + round * brush / 2, layer.width() / 2, brush * 2);
    const QColor color = QColor::fromHsv((round * 70) % 360, 200, 230);
    Paint(id, stroke, QStringLiteral("Brush"), [&](QPainter& painter) {
        QPainterPath path;
        path.moveTo(brush, brush);
        path.cubicTo(stroke.width() / 3.0, 0, stroke.width() * 2 / 3.0, brush * 2.0, stroke.width() - brush, brush);
        painter.setPen(QPen(color, brush, Qt::SolidLine, Qt::RoundCap));
        painter.drawPath(path);
    });
}

void EditSession::Paint(unsigned int id, const QRect& stroke, const QString& text,
    const std::function<void(QPainter&)>& draw)
{
    // What a paint tool records: the layer's pixels under the stroke before and
    // after it, the layer's rectangle before, and where the stroke went.
    const QRect layer = m_document->GetLayerGeometry(id);
    const KXImage32* image = m_document->GetLayerImage(id);
    const QRect inside = stroke & layer;
    const KXImage32 oldPixels = image->Copy(inside.translated(-layer.topLeft()));
    QImage pixels(stroke.size(), QImage::Format_RGBA8888);
    pixels.fill(Qt::transparent);
    {
        QPainter painter(&pixels);
        if (!inside.isEmpty())
            painter.drawImage(inside.topLeft() - stroke.topLeft(), oldPixels.ToQImage());
        painter.setRenderHint(QPainter::Antialiasing);
        draw(painter);
    }
    auto* command = new LayerPaintCommand(m_document.get(), true);
    auto* data = new LayerPaintCommandData;
    data->SetUndoImage(oldPixels, QRect());
    data->SetRedoImage(KXImage32::FromQImage(pixels), QRect());
    data->SetUndoGeometry(layer);
    data->SetRedoGeometry(stroke);
    data->SetLayerID(id);
    command->SetCommandData(data);
    Push(command, text, QStringLiteral("brush"));
}

void EditSession::CreateLayer(int round)
{
    // A new, empty layer below the title, then a cloud painted on it (the
    // stroke grows the empty layer to the cloud's rectangle).
    const unsigned int id = FindLayer(QStringLiteral("Title"));
    const QString name = QStringLiteral("Cloud %1").arg(round);
    auto* command = new LayerCreateCommand(m_document.get(), false);
    auto* data = new LayerCreateCommandData(m_panelSelection.get(), LayerCreateCommandData::RasterLayer, -1);
    data->SetLayerId(id);
    data->SetLayerName(name);
    data->SetBlendMode(0);
    data->SetOpacity(1.0);
    command->SetCommandData(data);
    Push(command, QStringLiteral("New layer"), QStringLiteral("layer-new"));

    const QSize size = m_options.size;
    const QRect cloud(size.width() / 10 + round * size.width() / 8, size.height() / 4, size.width() / 4,
        size.height() / 8);
    Paint(id, cloud, QStringLiteral("Cloud brush"), [&](QPainter& painter) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 220));
        for (int puff = 0; puff < 5; ++puff)
            painter.drawEllipse(QRectF(cloud.width() * puff / 6.0, cloud.height() * (0.2 + 0.1 * (puff % 2)),
                cloud.width() / 3.0, cloud.height() * 0.6));
    });
}

void EditSession::RemoveLayer(unsigned int id)
{
    ChangeCommandHelper::RemoveLayer(m_stack.get(), m_document.get(), m_panelSelection.get(), id,
        QStringLiteral("Delete layer"), QStringLiteral("layer-delete"));
    PrintRow(m_stack->index(), QStringLiteral("layer-delete"));
    SavePicture(QStringLiteral("Delete layer"));
}

void EditSession::Push(VornCommand* command, const QString& text, const QString& icon)
{
    command->setText(text);
    command->SetIcon(icon);
    QElapsedTimer timer;
    timer.start();
    m_stack->push(command);
    m_times.pushMs += Milliseconds(timer);
    ++m_times.pushes;
    PrintRow(m_stack->index(), icon);
    SavePicture(text);
}

void EditSession::PrintRow(int row, const QString& icon) const
{
    // Role 0 is the row's text, role 1 the picture registered for its icon name.
    const QImage picture = m_stack->GetItemMeta(row, 1).value<QImage>();
    std::printf("  row %3d  %-24s icon %-13s (%dx%d)  layers %u, state %d\n", row,
        qPrintable(m_stack->GetItemMeta(row, 0).toString()), qPrintable(icon), picture.width(), picture.height(),
        m_document->GetLayerCount(), m_document->GetDocumentState());
}

void EditSession::RegisterIcons()
{
    const QStringList names{QStringLiteral("open"), QStringLiteral("opacity"), QStringLiteral("blend"),
        QStringLiteral("rename"), QStringLiteral("selection"), QStringLiteral("brush"), QStringLiteral("layer-new"),
        QStringLiteral("layer-delete")};
    for (int i = 0; i < names.size(); ++i) {
        QImage icon(16, 16, QImage::Format_ARGB32);
        icon.fill(QColor::fromHsv(i * 360 / names.size(), 180, 220));
        VornCommand::SetIcon(names[i], icon);
    }
}

void EditSession::SavePicture(const QString& label)
{
    if (m_options.pngFolder.isEmpty())
        return;
    QString name = label.toLower();
    name.replace(QLatin1Char(' '), QLatin1Char('-'));
    const QString path = QDir(m_options.pngFolder).filePath(QStringLiteral("%1-%2.png").arg(m_pictures++, 3, 10,
        QLatin1Char('0')).arg(name));
    if (!m_document->Compose().ToQImage().save(path))
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
}

unsigned int EditSession::FindLayer(const QString& name) const
{
    for (unsigned int id = 0; id < m_document->GetLayerCount(); ++id)
        if (m_document->GetLayerName(id) == name)
            return id;
    return 0;
}

EditSession::DiskUse EditSession::WaitForDisk()
{
    m_stack->GetSerializer()->WaitForIdle();
    DiskUse use;
    const QFileInfoList files = QDir(m_options.temporaryFolder).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        ++use.files;
        use.bytes += file.size();
    }
    return use;
}

void EditSession::UndoAll()
{
    while (m_stack->canUndo()) {
        QElapsedTimer timer;
        timer.start();
        m_stack->undo();
        m_times.undoMs += Milliseconds(timer);
        ++m_times.undos;
        std::printf("  undo -> row %3d  layers %u, state %d\n", m_stack->index(), m_document->GetLayerCount(),
            m_document->GetDocumentState());
    }
}

void EditSession::RedoAll()
{
    while (m_stack->canRedo()) {
        QElapsedTimer timer;
        timer.start();
        m_stack->redo();
        m_times.redoMs += Milliseconds(timer);
        ++m_times.redos;
        std::printf("  redo -> row %3d  layers %u, state %d\n", m_stack->index(), m_document->GetLayerCount(),
            m_document->GetDocumentState());
    }
}
