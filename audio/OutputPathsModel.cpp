#include "audio/OutputPathsModel.h"

namespace vand::qt {

OutputPathsModel::OutputPathsModel(QObject* parent)
    : QAbstractListModel(parent)
{
    vand::core::RegisterQtMetaTypes();
}

OutputPathsModel::~OutputPathsModel() = default;

bool OutputPathsModel::HasRow(int row) const
{
    return row >= 0 && row < static_cast<int>(rows_.size());
}

QModelIndex OutputPathsModel::index(int row, int column, const QModelIndex& parent) const
{
    if (parent.isValid() || column != 0 || !HasRow(row))
        return {};
    return createIndex(row, column);
}

int OutputPathsModel::rowCount(const QModelIndex& parent) const
{
    // A row has no children.
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant OutputPathsModel::data(const QModelIndex& index, int role) const
{
    if (index.model() != this || !HasRow(index.row()))
        return {};
    const CL::OutputPath& path = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case PathNameRole:
        return QString::fromUtf8(path.GetName());
    case PathIdRole:
        return QString::fromUtf8(path.GetId());
    case PathDeviceNameRole:
        return QString::fromUtf8(path.GetDeviceName());
    case PathDeviceIdRole:
        return QString::fromUtf8(path.GetDeviceId());
    default:
        return {};
    }
}

bool OutputPathsModel::setData(const QModelIndex& index, const QVariant& value, int)
{
    if (index.model() != this || !HasRow(index.row()) || value.metaType() != QMetaType::fromType<CL::OutputPath>())
        return false;
    const int row = index.row();
    rows_[static_cast<size_t>(row)] = value.value<CL::OutputPath>();
    emit dataChanged(index, index, {});
    emit AddOutputPathSignal(rows_[static_cast<size_t>(row)]);
    return true;
}

QHash<int, QByteArray> OutputPathsModel::roleNames() const
{
    return {{PathNameRole, "path_name"},
            {PathIdRole, "path_id"},
            {PathDeviceNameRole, "path_device_name"},
            {PathDeviceIdRole, "path_device_id"}};
}

QString OutputPathsModel::PathName(int row) const
{
    return QString::fromUtf8(GetPath(row).GetName());
}

QString OutputPathsModel::PathId(int row) const
{
    return QString::fromUtf8(GetPath(row).GetId());
}

QString OutputPathsModel::PathDeviceName(int row) const
{
    return QString::fromUtf8(GetPath(row).GetDeviceName());
}

QString OutputPathsModel::PathDeviceId(int row) const
{
    return QString::fromUtf8(GetPath(row).GetDeviceId());
}

void OutputPathsModel::AddOrUpdatePath(const CL::OutputPath& path)
{
    const int existing = RowOfId(path.GetId());
    if (existing >= 0) {
        rows_[static_cast<size_t>(existing)] = path;
        const QModelIndex changed = createIndex(existing, 0);
        emit dataChanged(changed, changed, {});
        return;
    }
    const int row = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), row, row);
    rows_.push_back(path);
    endInsertRows();
    emit AddOutputPathSignal(path);
}

void OutputPathsModel::RemovePath(int row)
{
    if (!HasRow(row))
        return;
    // Receivers hear of the removal while the row is still there.
    const CL::OutputPath removed = rows_[static_cast<size_t>(row)];
    emit RemoveOutputPathSignal(removed);
    // A receiver may have changed the rows meanwhile.
    const int now = RowOfId(removed.GetId());
    if (now < 0)
        return;
    beginRemoveRows(QModelIndex(), now, now);
    rows_.erase(rows_.begin() + now);
    endRemoveRows();
}

CL::OutputPath OutputPathsModel::GetPath(int row) const
{
    return HasRow(row) ? rows_[static_cast<size_t>(row)] : CL::OutputPath();
}

int OutputPathsModel::RowOfId(const std::string& id) const
{
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].GetId() == id)
            return static_cast<int>(i);
    }
    return -1;
}

} // namespace vand::qt
