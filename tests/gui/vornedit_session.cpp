// A person's session in vornedit on a real X server (run-under-xvfb.sh): every
// edit is made with the mouse and keyboard, the window is grabbed from the
// screen after each step, and the checks look at what the person would see:
// the history panel's rows and icons, which row is current, the canvas pixels.
// With VORNEDIT_SHOTS=DIR each grab is also saved there (NN-step.png).
#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "KXMemoryDocument.h"
#include "canvaswidget.h"
#include "editorwindow.h"
#include "sampledocument.h"
#include "vorncommand.h"
#include "vornhistorymodel.h"
#include "vornundostack.h"

namespace {

bool Near(QRgb a, QRgb b, int tolerance = 12)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

QString Describe(QRgb color)
{
    return QStringLiteral("(%1, %2, %3)").arg(qRed(color)).arg(qGreen(color)).arg(qBlue(color));
}

} // namespace

class TestVorneditSession : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_folder.isValid());
        m_window.reset(new EditorWindow(BuildSampleDocument(QString(), QSize(600, 400)), m_folder.path()));
        m_window->resize(1100, 720);
        m_window->show();
        m_window->activateWindow();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        Step(QStringLiteral("open"));
        m_start = m_shot;
        QCOMPARE(HistoryTexts(), QStringList{"Open"});
    }
    void cleanupTestCase() { m_window.reset(); }

    void brushStroke()
    {
        // Paint is the current layer at first: a stroke across the canvas.
        const QPoint from = CanvasPoint(QPoint(100, 300));
        const QPoint to = CanvasPoint(QPoint(300, 300));
        m_window->Canvas()->setFocus();
        Drag(m_window.get(), from, to);
        Step(QStringLiteral("brush"));
        QCOMPARE(HistoryTexts(), (QStringList{"Open", "Brush"}));
        CheckHistoryPanel(1);
        const QRgb painted = m_shot.pixel(CanvasPoint(QPoint(200, 300)));
        QVERIFY2(Near(painted, CanvasWidget::BrushPen().color().rgb(), 20), qPrintable(Describe(painted)));
    }

    void rectangleSelection()
    {
        ClickButtonOf(m_window->SelectAction());
        Drag(m_window.get(), CanvasPoint(QPoint(40, 40)), CanvasPoint(QPoint(200, 160)));
        Step(QStringLiteral("selection"));
        QCOMPARE(HistoryTexts(), (QStringList{"Open", "Brush", "Rectangle selection"}));
        CheckHistoryPanel(2);
        // The selected rectangle is tinted blue; outside it the sky is as before.
        const QRgb inside = m_shot.pixel(CanvasPoint(QPoint(120, 100)));
        const QRgb before = m_start.pixel(CanvasPoint(QPoint(120, 100)));
        QVERIFY2(qBlue(inside) > qBlue(before) || qRed(inside) < qRed(before), qPrintable(Describe(inside)));
        QCOMPARE(m_shot.pixel(CanvasPoint(QPoint(250, 200))), m_start.pixel(CanvasPoint(QPoint(250, 200))));
    }

    void opacityDrag()
    {
        // Choose the sun in the layer panel (row 0 is layer 1), then drag the
        // slider: the row shows while dragging, and stays after the release.
        ChooseLayerRow(0);
        QSlider* slider = m_window->OpacitySlider();
        QCOMPARE(slider->value(), 100);
        // At 100 the handle sits at the slider's right end.
        QWindow* window = m_window->windowHandle();
        const QPoint start = slider->mapTo(m_window.get(), QPoint(slider->width() - 4, slider->height() / 2));
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        for (int step = 1; step <= 10; ++step)
            QTest::mouseMove(window, start - QPoint(step * slider->width() / 15, 0));
        Step(QStringLiteral("opacity-dragging"));
        QCOMPARE(HistoryTexts(), (QStringList{"Open", "Brush", "Rectangle selection", "Opacity"}));
        QVERIFY(m_window->Stack().hasDelayed());
        QVERIFY(slider->value() < 50);
        QTest::mouseRelease(window, Qt::LeftButton, {}, start - QPoint(10 * slider->width() / 15, 0));
        Step(QStringLiteral("opacity"));
        QVERIFY(!m_window->Stack().hasDelayed());
        QCOMPARE(HistoryTexts(), (QStringList{"Open", "Brush", "Rectangle selection", "Opacity"}));
        CheckHistoryPanel(3);
        const QPoint sun = CanvasPoint(QPoint(450, 100));
        QVERIFY(m_shot.pixel(sun) != m_start.pixel(sun));
    }

    void blendModeAndRename()
    {
        QComboBox* blend = m_window->BlendBox();
        blend->setFocus();
        QTest::keyClick(blend, Qt::Key_Down); // Normal -> Multiply
        Step(QStringLiteral("blend"));
        QCOMPARE(blend->currentText(), QStringLiteral("Multiply"));
        QLineEdit* name = m_window->NameEdit();
        QTest::mouseClick(name, Qt::LeftButton);
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Setting sun"));
        QTest::keyClick(name, Qt::Key_Return);
        Step(QStringLiteral("rename"));
        QCOMPARE(HistoryTexts(),
            (QStringList{"Open", "Brush", "Rectangle selection", "Opacity", "Blend mode", "Rename layer"}));
        CheckHistoryPanel(5);
        QCOMPARE(m_window->LayerView()->model()->index(0, 0).data().toString(), QStringLiteral("Setting sun"));
    }

    void newAndDeletedLayer()
    {
        ClickButtonOf(m_window->NewLayerAction());
        Step(QStringLiteral("new-layer"));
        QCOMPARE(m_window->LayerView()->model()->rowCount(), 4);
        ClickButtonOf(m_window->DeleteLayerAction());
        Step(QStringLiteral("delete-layer"));
        QCOMPARE(m_window->LayerView()->model()->rowCount(), 3);
        QCOMPARE(HistoryTexts().mid(6), (QStringList{"New layer", "Delete layer"}));
        CheckHistoryPanel(7);
        m_end = m_shot;
    }

    void undoAndRedoFromKeyboard()
    {
        // Each undo moves the current row up; all of them give the first picture back.
        UndoTo(0);
        QCOMPARE(HistoryTexts().size(), 8); // undone rows stay, greyed
        QCOMPARE(CanvasOf(m_shot), CanvasOf(m_start));
        const QKeySequence redo(QKeySequence::Redo);
        for (int row = 1; row <= 7; ++row) {
            QTest::keyClick(m_window.get(), Qt::Key(redo[0] & ~Qt::KeyboardModifierMask),
                Qt::KeyboardModifiers(redo[0] & Qt::KeyboardModifierMask));
            Step(QStringLiteral("redo-%1").arg(row));
            CheckHistoryPanel(row);
        }
        QCOMPARE(CanvasOf(m_shot), CanvasOf(m_end));
    }

    void clickingHistoryRowJumps()
    {
        QListView* history = m_window->HistoryView();
        QTest::mouseClick(history->viewport(), Qt::LeftButton, {}, history->visualRect(history->model()->index(1, 0)).center());
        Step(QStringLiteral("history-click"));
        QCOMPARE(m_window->Stack().index(), 1);
        CheckHistoryPanel(1);
        const QPoint sun = CanvasPoint(QPoint(450, 100));
        QCOMPARE(m_shot.pixel(sun), m_start.pixel(sun)); // the opacity change is undone
        QVERIFY(m_shot.pixel(CanvasPoint(QPoint(200, 300))) != m_start.pixel(CanvasPoint(QPoint(200, 300))));
        QVERIFY(m_window->UndoAction()->isEnabled());
        QVERIFY(m_window->RedoAction()->isEnabled());
    }

    void layerAndImageActions()
    {
        // From the brush row: duplicate, rotate and merge the paint layer
        // (row 1 is layer 2), then select, crop and halve the image.
        const QImage brushed = m_shot;
        KXMemoryDocument& document = m_window->Document();
        ChooseLayerRow(1);
        ClickButtonOf(m_window->DuplicateLayerAction());
        Step(QStringLiteral("duplicate"));
        QCOMPARE(m_window->LayerView()->model()->rowCount(), 4);
        ChooseLayerRow(1);
        ClickButtonOf(m_window->RotateAction());
        Step(QStringLiteral("rotate"));
        QVERIFY(CanvasOf(m_shot) != CanvasOf(brushed));
        ChooseLayerRow(2);
        ClickButtonOf(m_window->MergeAction());
        Step(QStringLiteral("merge"));
        QCOMPARE(m_window->LayerView()->model()->rowCount(), 3);
        ClickButtonOf(m_window->SelectAction());
        Drag(m_window.get(), CanvasPoint(QPoint(40, 40)), CanvasPoint(QPoint(200, 160)));
        Step(QStringLiteral("crop-selection"));
        const QSize kept = document.GetSelectionGeometry().size();
        ClickButtonOf(m_window->CropAction());
        Step(QStringLiteral("crop"));
        QCOMPARE(document.GetCanvasSize(), kept);
        QVERIFY(!document.HasSelection());
        ClickButtonOf(m_window->HalfSizeAction());
        Step(QStringLiteral("image-size"));
        QCOMPARE(document.GetCanvasSize(), kept / 2);
        QCOMPARE(HistoryTexts(), (QStringList{"Open", "Brush", "Duplicate layer", "Rotate layer", "Merge layers",
                                     "Rectangle selection", "Crop", "Image size"}));
        CheckHistoryPanel(7);

        // Undo row by row back to the brush: the canvas is the one before.
        UndoTo(1);
        QCOMPARE(document.GetCanvasSize(), QSize(600, 400));
        QCOMPARE(m_window->LayerView()->model()->rowCount(), 3);
        // The title is drawn again through its restored placement: its glyph
        // edges may differ by a few levels, nothing more.
        QVERIFY(NearlySame(CanvasOf(m_shot), CanvasOf(brushed), 6));
    }

private:
    static bool NearlySame(const QImage& a, const QImage& b, int tolerance)
    {
        if (a.size() != b.size())
            return false;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (!Near(a.pixel(x, y), b.pixel(x, y), tolerance))
                    return false;
        return true;
    }

    // Ctrl+Z from the current row up to `last`, checking the panel at each step.
    void UndoTo(int last)
    {
        for (int row = m_window->Stack().index() - 1; row >= last; --row) {
            QTest::keyClick(m_window.get(), Qt::Key_Z, Qt::ControlModifier);
            Step(QStringLiteral("undo-%1").arg(row));
            CheckHistoryPanel(row);
        }
    }

    void ChooseLayerRow(int row)
    {
        QListView* layers = m_window->LayerView();
        QTest::mouseClick(layers->viewport(), Qt::LeftButton, {}, layers->visualRect(layers->model()->index(row, 0)).center());
    }

    // Lets the window settle (canvas, history panel, status line), grabs it
    // from the screen, and saves the grab when asked to.
    void Step(const QString& name)
    {
        QTest::qWait(80);
        QCoreApplication::processEvents();
        m_shot = m_window->screen()->grabWindow(m_window->winId()).toImage().convertToFormat(QImage::Format_RGB32);
        QVERIFY(!m_shot.isNull());
        const QString folder = qEnvironmentVariable("VORNEDIT_SHOTS");
        if (!folder.isEmpty() && QDir().mkpath(folder))
            m_shot.save(QDir(folder).filePath(QStringLiteral("%1-%2.png").arg(m_steps, 2, 10, QLatin1Char('0')).arg(name)));
        ++m_steps;
    }

    QStringList HistoryTexts() const
    {
        QStringList texts;
        const QAbstractItemModel* model = m_window->HistoryView()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, 0).data().toString();
        return texts;
    }

    // The current row is the selected (highlighted) one; every other row shows
    // its command's icon; rows below the current one are greyed.
    void CheckHistoryPanel(int current)
    {
        QListView* view = m_window->HistoryView();
        QCOMPARE(view->selectionModel()->currentIndex().row(), current);
        const QPalette palette = view->palette();
        for (int row = 0; row < view->model()->rowCount(); ++row) {
            const QModelIndex index = view->model()->index(row, 0);
            const QRect rect = view->visualRect(index);
            const QPoint background = view->viewport()->mapTo(m_window.get(), QPoint(rect.right() - 4, rect.center().y()));
            const QRgb shown = m_shot.pixel(background);
            const bool highlighted = Near(shown, palette.color(QPalette::Active, QPalette::Highlight).rgb(), 4)
                || Near(shown, palette.color(QPalette::Inactive, QPalette::Highlight).rgb(), 4);
            QVERIFY2(highlighted == (row == current), qPrintable(QStringLiteral("row %1: %2").arg(row).arg(Describe(shown))));
            QCOMPARE(index.data(VornHistoryModel::UndoneRole).toBool(), row > current);
            if (row == current)
                continue;
            // The icon tile's colour at its left edge, where the glyph does not reach.
            const QImage icon = index.data(Qt::DecorationRole).value<QImage>();
            QVERIFY(!icon.isNull());
            const QPoint iconAt = view->viewport()->mapTo(m_window.get(), rect.topLeft())
                + QPoint(view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 3,
                    (rect.height() - 16) / 2 + 8);
            bool found = false;
            for (int dx = -2; dx <= 2 && !found; ++dx)
                found = Near(m_shot.pixel(iconAt + QPoint(dx, 0)), icon.pixel(2, 8), 16);
            QVERIFY2(found, qPrintable(QStringLiteral("row %1 icon: %2").arg(row).arg(Describe(m_shot.pixel(iconAt)))));
        }
    }

    // A point of the document as it shows in the window.
    QPoint CanvasPoint(const QPoint& documentPoint) const
    {
        return m_window->Canvas()->mapTo(m_window.get(), m_window->Canvas()->ToWidget(documentPoint));
    }

    QImage CanvasOf(const QImage& shot) const
    {
        return shot.copy(QRect(m_window->Canvas()->mapTo(m_window.get(), QPoint()), m_window->Canvas()->size()));
    }

    void ClickButtonOf(QAction* action)
    {
        for (QToolBar* toolbar : m_window->findChildren<QToolBar*>()) {
            if (QWidget* button = toolbar->widgetForAction(action)) {
                QTest::mouseClick(button, Qt::LeftButton);
                return;
            }
        }
        QFAIL(qPrintable("no button for " + action->text()));
    }

    // A drag with the left button, through the window as the window system
    // delivers it (the widget under the press gets the moves and the release).
    void Drag(QWidget* widget, const QPoint& from, const QPoint& to)
    {
        QWindow* window = m_window->windowHandle();
        const QPoint start = widget->mapTo(m_window.get(), from);
        const QPoint end = widget->mapTo(m_window.get(), to);
        QTest::mousePress(window, Qt::LeftButton, {}, start);
        for (int i = 1; i <= 10; ++i)
            QTest::mouseMove(window, start + (end - start) * i / 10);
        QTest::mouseRelease(window, Qt::LeftButton, {}, end);
    }

    QTemporaryDir m_folder;
    std::unique_ptr<EditorWindow> m_window;
    QImage m_shot;
    QImage m_start;
    QImage m_end;
    int m_steps = 0;
};

QTEST_MAIN(TestVorneditSession)
#include "vornedit_session.moc"
