#pragma once

#include <QAbstractListModel>
#include <QList>
#include <QString>
#include <memory>

// A row of DualRoledListModel: two strings and a value. Derived items compute
// the shown strings from fields of their own.
class DualRoleItem
{
public:
    virtual ~DualRoleItem() = default;
    virtual QString first() const { return firstText; }
    virtual QString second() const { return secondText; }

    QString firstText;
    QString secondText;
    int value = 0;
};

// List model of DualRoleItem rows with the roles "value", "first" and
// "second". Derived models add roles from 260 upward.
class DualRoledListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Roles {
        ValueRole = Qt::UserRole + 1,
        FirstRole,
        SecondRole,
    };

    explicit DualRoledListModel(QObject* parent = nullptr);
    ~DualRoledListModel() override;

    void AddItem(std::shared_ptr<DualRoleItem> item);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    // Refuses (false, no signals) a range that does not lie inside the model.
    Q_INVOKABLE bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
    QHash<int, QByteArray> roleNames() const override;

    // data() of a row for a role given by name; an unknown name reads the
    // display role.
    Q_INVOKABLE QVariant dataStr(int index, QString role);

protected:
    QList<std::shared_ptr<DualRoleItem>> items;
};
