#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>

// A row of StringValueListModel.
struct StringValueItem
{
    QString displayname;
    int value = 0;
};

// Read-only list model of display names with values (roles "value",
// "displayname").
class StringValueListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        ValueRole = Qt::UserRole + 1,
        DisplayNameRole,
    };

    explicit StringValueListModel(QObject* parent = nullptr);
    ~StringValueListModel() override;

    void AddItem(const StringValueItem& item);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    QList<StringValueItem> items;
};

Q_DECLARE_METATYPE(StringValueListModel*)
