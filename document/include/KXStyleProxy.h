#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QList>
#include <QString>

#include "vorndocument_export.h"

// A layer style: a name, a style UID and an ordered list of effects, one row
// per effect. An effect is its UID (the kind of effect, such as
// "DropShadow"), an opaque settings block (the session data) and an enabled
// flag. Rows and indexes out of range make an operation do nothing and
// return false (getters give empty values). The document does not render
// effects; the style is kept for the application.
// Owns its effects; in a document it is part of its layer. GUI thread only.
// Sends row insert/remove signals around each insert or removal, dataChanged
// after SetSessionData or SetEnabled, and styleNameChanged/styleUIDChanged on a real change.
class VORNDOCUMENT_EXPORT KXStyleProxy : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        EffectUIDRole = Qt::UserRole + 1, // QString
        SessionDataRole // QByteArray
    };

    explicit KXStyleProxy(QObject* parent = nullptr);
    ~KXStyleProxy() override;

    QString GetStyleName() const;
    void SetStyleName(const QString& name);
    QString GetStyleUID() const;
    void SetStyleUID(const QString& uid);

    // Appends an effect.
    void AddEffect(const QString& uid, const QByteArray& data, bool enabled);
    // Inserts an effect at the row; a row past the end appends, a negative row is refused.
    bool InsertEffect(int row, const QString& uid, const QByteArray& data, bool enabled);

    QString GetEffectUID(const QModelIndex& index) const;
    QByteArray GetSessionData(const QModelIndex& index) const;
    bool IsEnabled(const QModelIndex& index) const;
    bool SetSessionData(const QModelIndex& index, const QByteArray& data);
    bool SetEnabled(const QModelIndex& index, bool enabled);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    // DisplayRole: the effect UID; CheckStateRole: enabled.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;

signals:
    void styleNameChanged(const QString& name);
    void styleUIDChanged(const QString& uid);

private:
    struct Effect
    {
        QString uid;
        QByteArray data;
        bool enabled = true;
    };
    bool IsEffect(const QModelIndex& index) const;
    void EffectChanged(int row, const QVector<int>& roles);

    QString m_name;
    QString m_uid;
    QList<Effect> m_effects;
};
