#include "ui/StringValueListModel.h"

StringValueListModel::StringValueListModel(QObject* parent)
    : QAbstractListModel(parent)
{
    // Handed to views as a QVariant property value.
    qRegisterMetaType<StringValueListModel*>("StringValueListModel*");
}

StringValueListModel::~StringValueListModel() = default;

void StringValueListModel::AddItem(const StringValueItem& item)
{
    const int n = rowCount(QModelIndex());
    beginInsertRows(QModelIndex(), n, n);
    items.append(item);
    endInsertRows();
}

int StringValueListModel::rowCount(const QModelIndex&) const
{
    return static_cast<int>(items.size());
}

QVariant StringValueListModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    if (row < 0 || row >= items.size())
        return {};
    const StringValueItem& item = items.at(row);
    switch (role) {
    case ValueRole:
        return item.value;
    case DisplayNameRole:
    case Qt::DisplayRole:
        return item.displayname;
    default:
        return {};
    }
}

QHash<int, QByteArray> StringValueListModel::roleNames() const
{
    return {
        {ValueRole, QByteArrayLiteral("value")},
        {DisplayNameRole, QByteArrayLiteral("displayname")},
    };
}
