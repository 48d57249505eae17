#pragma once

#include <QMainWindow>

#include <memory>

class CanvasWidget;
class KXDocumentModel;
class KXMemoryDocument;
class QAction;
class QComboBox;
class QItemSelectionModel;
class QLabel;
class QLineEdit;
class QListView;
class QPainterPath;
class QSlider;
class VornCommand;
class VornHistoryModel;
class VornUndoStack;

// A small editor on the history library, written the way a host integrates
// it: one undo stack per document, every edit a command built with the
// document's values and pushed, live edits (the opacity slider) as a delayed
// command committed on release, the history panel on VornHistoryModel, and the
// undo and redo actions from the stack. Layer structure and crop go through
// ChangeCommandHelper, as an editor's menu actions would.
//
// Ownership: the window owns the document, its layer panel model and
// selection, the stack and the history model; the stack goes before the
// document its commands point at.
class EditorWindow : public QMainWindow
{
    Q_OBJECT
public:
    EditorWindow(std::unique_ptr<KXMemoryDocument> document, const QString& temporaryFolder,
        QWidget* parent = nullptr);
    ~EditorWindow() override;

    // The parts a person works with (the session test drives them).
    CanvasWidget* Canvas() const { return m_canvas; }
    QListView* LayerView() const { return m_layerView; }
    QListView* HistoryView() const { return m_historyView; }
    QSlider* OpacitySlider() const { return m_opacity; }
    QComboBox* BlendBox() const { return m_blend; }
    QLineEdit* NameEdit() const { return m_name; }
    QAction* UndoAction() const { return m_undo; }
    QAction* RedoAction() const { return m_redo; }
    QAction* BrushAction() const { return m_brush; }
    QAction* SelectAction() const { return m_select; }
    QAction* NewLayerAction() const { return m_newLayer; }
    QAction* DeleteLayerAction() const { return m_deleteLayer; }
    QAction* DuplicateLayerAction() const { return m_duplicateLayer; }
    QAction* MergeAction() const { return m_merge; }
    QAction* RotateAction() const { return m_rotate; }
    QAction* CropAction() const { return m_crop; }
    QAction* HalfSizeAction() const { return m_halfSize; }
    QLabel* StatusLabel() const { return m_status; }

    KXMemoryDocument& Document() const { return *m_document; }
    VornUndoStack& Stack() const { return *m_stack; }
    VornHistoryModel& History() const { return *m_history; }

private:
    void BuildPanels();
    void BuildActions();
    static void RegisterIcons();

    // The layer the panel's current row shows; 0 (the background) when none.
    unsigned int CurrentLayer() const;
    void ShowLayerProperties();
    void ShowCurrentHistoryRow();
    void UpdateStatus();

    void Stroke(const QPainterPath& path);
    void SelectRectangle(const QRect& rect);
    void BeginOpacityDrag();
    void DragOpacity(int percent);
    void EndOpacityDrag();
    void ChangeBlendMode(int index);
    void Rename();
    void NewLayer();
    void DeleteLayer();
    void DuplicateLayer();
    void MergeLayers();
    void RotateLayer();
    void CropToSelection();
    void HalveImageSize();
    QAction* MakeAction(const QString& icon, const QString& text, void (EditorWindow::*slot)());
    void Push(VornCommand* command, const QString& text, const QString& icon);

    std::unique_ptr<KXMemoryDocument> m_document;
    std::unique_ptr<KXDocumentModel> m_layers;
    std::unique_ptr<QItemSelectionModel> m_layerSelection;
    std::unique_ptr<VornUndoStack> m_stack;
    std::unique_ptr<VornHistoryModel> m_history;
    QString m_temporaryFolder;
    int m_newLayers = 0;

    CanvasWidget* m_canvas = nullptr;
    QListView* m_layerView = nullptr;
    QListView* m_historyView = nullptr;
    QSlider* m_opacity = nullptr;
    QComboBox* m_blend = nullptr;
    QLineEdit* m_name = nullptr;
    QLabel* m_status = nullptr;
    QAction* m_undo = nullptr;
    QAction* m_redo = nullptr;
    QAction* m_brush = nullptr;
    QAction* m_select = nullptr;
    QAction* m_newLayer = nullptr;
    QAction* m_deleteLayer = nullptr;
    QAction* m_duplicateLayer = nullptr;
    QAction* m_merge = nullptr;
    QAction* m_rotate = nullptr;
    QAction* m_crop = nullptr;
    QAction* m_halfSize = nullptr;
};
