#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QPoint>

#include "vorndocument_export.h"

// The document's colour sample points, one row per point: where on the
// canvas, the colour last read there (invalid until the application samples
// it) and the format the point's colour is shown in. Rows out of range make
// an operation do nothing and return false (getters give default values).
// Owns its points; a document's own model is its Qt child. GUI thread only.
// Sends row insert/remove signals around each insert or removal, and
// dataChanged for the row after every successful Set* (setData included).
class VORNDOCUMENT_EXPORT KXColorSampleModel : public QAbstractListModel
{
    Q_OBJECT

public:
    // An int underneath, so a format read from a file can be range-checked.
    enum SampleFormat : int
    {
        RGB = 0,
        HSB = 1,
        CMYK = 2,
        Lab = 3,
        Grayscale = 4,
        Hex = 5
    };
    enum Role
    {
        PointRole = Qt::UserRole + 1, // QPoint
        ColorRole, // QColor
        FormatRole // int (SampleFormat)
    };

    // The format of a new point.
    static constexpr SampleFormat DefaultFormat = RGB;

    explicit KXColorSampleModel(QObject* parent = nullptr);
    ~KXColorSampleModel() override;

    // Inserts a point at row 0 to rowCount(), shown in DefaultFormat.
    bool InsertPoint(int row, const QPoint& point, const QColor& color);
    bool RemovePoint(int row);
    QPoint GetPoint(int row) const;
    bool SetPoint(int row, const QPoint& point);
    QColor GetColor(int row) const;
    bool SetColor(int row, const QColor& color);
    // DefaultFormat for a row out of range.
    SampleFormat GetDisplayFormat(int row) const;
    // False, nothing changed, for a row or a format out of range.
    bool SetDisplayFormat(int row, SampleFormat format);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

private:
    struct Sample
    {
        QPoint point;
        QColor color;
        SampleFormat format = DefaultFormat;
    };
    bool IsRow(int row) const { return row >= 0 && row < m_samples.size(); }
    void RowChanged(int row, const QVector<int>& roles);

    QList<Sample> m_samples;
};
