#include "ui/DualRoledListModel.h"

DualRoledListModel::DualRoledListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

DualRoledListModel::~DualRoledListModel() = default;

void DualRoledListModel::AddItem(std::shared_ptr<DualRoleItem> item)
{
    const int n = rowCount(QModelIndex());
    beginInsertRows(QModelIndex(), n, n);
    items.append(std::move(item));
    endInsertRows();
}

int DualRoledListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(items.size());
}

QVariant DualRoledListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= items.size())
        return {};
    const DualRoleItem& item = *items.at(row);
    switch (role) {
    case ValueRole:
        return item.value;
    case FirstRole:
    case Qt::DisplayRole:
        return item.first();
    case SecondRole:
        return item.second();
    default:
        return {};
    }
}

bool DualRoledListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    const int row = index.row();
    if (row < 0 || row >= items.size())
        return false;
    DualRoleItem& item = *items[row];
    switch (role) {
    case FirstRole:
        item.firstText = value.toString();
        break;
    case SecondRole:
        item.secondText = value.toString();
        break;
    case ValueRole:
        item.value = value.toInt();
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

bool DualRoledListModel::removeRows(int row, int count, const QModelIndex&)
{
    if (row < 0 || count < 1 || row > items.size() - count)
        return false;
    beginRemoveRows(QModelIndex(), row, row + count - 1);
    for (int i = 0; i < count; ++i)
        items.removeAt(row);
    endRemoveRows();
    return true;
}

QHash<int, QByteArray> DualRoledListModel::roleNames() const
{
    return {
        {ValueRole, QByteArrayLiteral("value")},
        {FirstRole, QByteArrayLiteral("first")},
        {SecondRole, QByteArrayLiteral("second")},
    };
}

QVariant DualRoledListModel::dataStr(int index, QString role)
{
    const QHash<int, QByteArray> names = roleNames();
    const QByteArray wanted = role.toUtf8();
    int roleNumber = Qt::DisplayRole;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (it.value() == wanted) {
            roleNumber = it.key();
            break;
        }
    }
    return data(this->index(index, 0, QModelIndex()), roleNumber);
}
