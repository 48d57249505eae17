#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QVector>

#include "vorndocument_export.h"

class KXDocumentInterface;

// The layer panel's model of one document: one row per layer except the
// bottom one (id 0), row r showing layer id r + 1. Besides the panel's own
// item selection, each row carries two marks: whether the layer itself or its
// mask is the part being edited (independent flags; the mask mark is cleared
// when the layer loses its mask). The model follows the document's layer
// signals, so rows, marks and persistent indexes move with their layers.
// Rows out of range make the mark operations do nothing and return false.
// Owns only its marks, not the document. GUI thread only. Sends row and layout
// signals mirroring the document's layer signals, dataChanged when a layer or
// a mark changes, and a reset when the document goes or skipped a signal.
class VORNDOCUMENT_EXPORT KXDocumentModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        LayerIdRole = Qt::UserRole + 1, // uint
        LayerTypeRole, // int
        OpacityRole, // double (settable)
        BlendModeRole, // uint
        GeometryRole, // QRect
        HasMaskRole, // bool
        LayerSelectedRole, // bool (settable)
        MaskSelectedRole // bool (settable)
    };

    // The document is not owned; when it is destroyed the model becomes empty.
    explicit KXDocumentModel(KXDocumentInterface* document, QObject* parent = nullptr);
    ~KXDocumentModel() override;

    KXDocumentInterface* GetDocument() const;

    // The marks, by panel row.
    bool GetLayerSelected(unsigned int row) const;
    bool SetLayerSelected(unsigned int row, bool selected);
    bool GetMaskSelected(unsigned int row) const;
    bool SetMaskSelected(unsigned int row, bool selected);

    // DisplayRole and EditRole: the layer name (settable); CheckStateRole:
    // visibility (settable); and the roles above.
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    struct Marks
    {
        bool layer = false;
        bool mask = false;
    };

    bool IsRow(const QModelIndex& index) const;
    bool SetMark(unsigned int row, bool Marks::*mark, bool selected, int role);
    void RowChanged(unsigned int id, const QVector<int>& roles);
    void Reset();

    void AboutToInsert(unsigned int id);
    void Inserted(unsigned int id);
    void AboutToRemove(unsigned int id);
    void Removed(unsigned int id);
    void AboutToReorder(const QList<unsigned int>& sequence);
    void Reordered(const QList<unsigned int>& sequence);
    void MaskChanged(unsigned int id);

    // The document change announced by an about-to signal and not yet done.
    enum class Pending
    {
        None,
        Insert,
        Remove,
        Reorder
    };
    // Ends the announced change's row signals; returns the announced id.
    unsigned int EndPending();
    // Rebuilds the model when the done signal or the layer count disagree
    // with what was announced (a document that skipped a signal).
    void CheckAnnounced(unsigned int announced, unsigned int id);

    QPointer<KXDocumentInterface> m_document;
    QVector<Marks> m_marks; // per layer id, id 0 included
    Pending m_pending = Pending::None;
    unsigned int m_pendingId = 0;
    bool m_rowsBegun = false;
};
