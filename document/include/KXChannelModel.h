#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QPoint>
#include <QString>

#include "KXImage.h"
#include "vorndocument_export.h"

// The channel list: first the composite channels ("RGB", "Red", "Green",
// "Blue"), then the document's alpha channels. An alpha channel is a named
// mask (selected pixels opaque black) placed at an offset; its id is its
// position among the alpha channels, so alpha channel id sits at row
// GetCompositeChannelsCount() + id. Ids out of range make an operation do
// nothing and return false (getters give empty values).
// Owns its alpha channels; a document's model is its Qt child. GUI thread only.
// Sends row insert/remove signals around each insert or removal, and
// dataChanged for the row after a name or offset is set and from AlphaChannelChanged.
class VORNDOCUMENT_EXPORT KXChannelModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        IsAlphaRole = Qt::UserRole + 1, // bool
        OffsetRole // QPoint (alpha channels)
    };

    explicit KXChannelModel(QObject* parent = nullptr);
    ~KXChannelModel() override;

    int GetCompositeChannelsCount() const;
    unsigned int GetAlphaChannelCount() const;
    int GetAlphaChannelRow(unsigned int id) const;

    // Inserts at id 0 to GetAlphaChannelCount().
    bool InsertAlphaChannel(unsigned int id, const QString& name, const KXImage32& image, const QPoint& offset);
    bool RemoveAlphaChannel(unsigned int id);
    QString GetAlphaChannelName(unsigned int id) const;
    bool SetAlphaChannelName(unsigned int id, const QString& name);
    // The stored mask (no copy), or null.
    KXImage32* GetAlphaChannelImage(unsigned int id);
    const KXImage32* GetAlphaChannelImage(unsigned int id) const;
    QPoint GetAlphaChannelOffset(unsigned int id) const;
    bool SetAlphaChannelOffset(unsigned int id, const QPoint& offset);
    // Sends dataChanged for the channel's row (pixels changed).
    void AlphaChannelChanged(unsigned int id);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    struct Channel
    {
        QString name;
        KXImage32 image;
        QPoint offset;
    };
    bool IsAlpha(unsigned int id) const { return id < unsigned(m_channels.size()); }
    void RowChanged(unsigned int id, const QVector<int>& roles);

    QList<Channel> m_channels;
};
