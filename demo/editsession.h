#pragma once

#include <QSize>
#include <QString>

#include <functional>
#include <memory>

class KXDocumentModel;
class KXMemoryDocument;
class QItemSelectionModel;
class QPainter;
class QRect;
class VornCommand;
class VornUndoStack;

// One editing session: a document, its layer panel and its undo stack, and
// the edits a user would make, each recorded through the library's commands.
class EditSession
{
public:
    struct Options
    {
        QSize size{3000, 2000};
        int steps = 2;
        QString imagePath;
        QString temporaryFolder;
        QString pngFolder;
    };
    struct Timings
    {
        int pushes = 0;
        double pushMs = 0;
        int undos = 0;
        double undoMs = 0;
        int redos = 0;
        double redoMs = 0;
    };
    struct DiskUse
    {
        int files = 0;
        qint64 bytes = 0;
    };

    explicit EditSession(const Options& options);
    ~EditSession();

    // The starting document: a background (the picture, or a sky), a sun with
    // a mask, a paint layer, a title text layer and an adjustment, a selection.
    bool BuildDocument();
    // Options::steps rounds of edits.
    void Record();
    // Waits until the worker has written every record; what is on disk then.
    DiskUse WaitForDisk();
    void UndoAll();
    void RedoAll();

    KXMemoryDocument& Document() const { return *m_document; }
    VornUndoStack& Stack() const { return *m_stack; }
    const Timings& Times() const { return m_times; }
    // Error reports the library sent during the session.
    int Errors() const;

private:
    void Round(int round);
    void DragOpacity(unsigned int id, double to);
    void ChangeBlendMode(unsigned int id, unsigned int mode);
    void Rename(unsigned int id, const QString& name);
    void Select(int round);
    void Stroke(unsigned int id, int round);
    void Paint(unsigned int id, const QRect& stroke, const QString& text, const std::function<void(QPainter&)>& draw);
    void CreateLayer(int round);
    void RemoveLayer(unsigned int id);

    // Registers a live edit, lets change() edit the document directly, commits.
    void LiveEdit(VornCommand* command, const QString& text, const QString& icon, const std::function<void()>& change);
    // Pushes the command with its history text and icon and prints the new row.
    void Push(VornCommand* command, const QString& text, const QString& icon);
    void PrintRow(int row, const QString& icon) const;
    static void RegisterIcons();
    void SavePicture(const QString& label);
    unsigned int FindLayer(const QString& name) const;

    Options m_options;
    std::unique_ptr<KXMemoryDocument> m_document;
    std::unique_ptr<KXDocumentModel> m_panel;
    std::unique_ptr<QItemSelectionModel> m_panelSelection;
    std::unique_ptr<VornUndoStack> m_stack;
    Timings m_times;
    int m_pictures = 0;
};
