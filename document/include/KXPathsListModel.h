#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPainterPath>
#include <QPair>
#include <QString>

#include "KXPathElement.h"
#include "vorndocument_export.h"

// The document's vector paths, one row per path. A path is a list of
// subpaths; each subpath is a list of path elements with the logical
// operation (LogicalOp as int) by which it combines with the subpaths before
// it. Row indices out of range make an operation do nothing and return false
// (getters return an empty value). Sends the usual item-model signals.
// Owns its paths; a document's own model is its Qt child. GUI thread only.
// Sends row insert/remove signals around each insert or removal, and
// dataChanged for the row after any path, subpath or name change (SetSubPath: with notify).
class VORNDOCUMENT_EXPORT KXPathsListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // Stored as a plain int: any integer a record carries is kept as it is
    // (unknown values combine as Union).
    enum LogicalOp : int
    {
        Union = 0,
        Intersect = 1,
        Subtract = 2,
        Exclude = 3
    };
    using SubPath = QPair<QList<KXPathElement>, int>;
    using Path = QList<SubPath>;

    enum Role
    {
        SubPathCountRole = Qt::UserRole + 1 // int
    };

    explicit KXPathsListModel(QObject* parent = nullptr);
    ~KXPathsListModel() override;

    // Inserts a path at index 0 to rowCount().
    bool InsertPath(int index, const Path& path, const QString& name);
    bool RemovePath(int index);
    bool SetPath(int index, const Path& path);
    Path GetPath(int index) const;
    QList<Path> GetPaths() const;
    QString GetPathName(int index) const;
    bool SetPathName(int index, const QString& name);

    // Inserts a subpath at position 0 to the path's subpath count.
    bool InsertSubPath(int pathIndex, int subPathIndex, const QList<KXPathElement>& elements, LogicalOp op);
    bool RemoveSubPath(int pathIndex, int subPathIndex);
    // Replaces a subpath's elements (its operation stays). With notify true the
    // row's dataChanged is sent; false changes silently (for live drags, which
    // end with a notifying call).
    bool SetSubPath(int pathIndex, int subPathIndex, const QList<KXPathElement>& elements, bool notify);

    // The path's outline: its subpaths combined in order by their operations.
    QPainterPath GetPainterPath(int index) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    struct Entry
    {
        QString name;
        Path path;
    };
    bool IsPath(int index) const { return index >= 0 && index < m_paths.size(); }
    void PathChanged(int index);

    QList<Entry> m_paths;
};
