#include "show/ChangelogListModel.h"

#include <QDateTime>
#include <QLocale>
#include <algorithm>

namespace vand::qt {

ChangelogListModel::ChangelogListModel()
    : QAbstractListModel(nullptr)
{
    qRegisterMetaType<ChangelogListModel*>();
}

ChangelogListModel::~ChangelogListModel() = default;

int ChangelogListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ChangelogListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !HasRow(index.row()))
        return {};
    switch (role) {
    case VersionRole:
        return GetVersionString(index.row());
    case ModifiedRole:
        return GetModifiedString(index.row());
    default:
        return {};
    }
}

QHash<int, QByteArray> ChangelogListModel::roleNames() const
{
    return {{VersionRole, "version"}, {ModifiedRole, "modified"}};
}

bool ChangelogListModel::HasRow(int row) const
{
    return row >= 0 && static_cast<std::size_t>(row) < rows_.size();
}

QString ChangelogListModel::GetVersionString(int row) const
{
    if (!HasRow(row))
        return {};
    return QString::fromStdString(rows_[static_cast<std::size_t>(row)].log.GetVersion().GetAsString());
}

QString ChangelogListModel::GetModifiedString(int row) const
{
    if (!HasRow(row))
        return {};
    const auto seconds = static_cast<qint64>(rows_[static_cast<std::size_t>(row)].log.GetModifiedTime());
    const QDateTime time = QDateTime::fromSecsSinceEpoch(seconds, Qt::LocalTime);
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(time, QStringLiteral("MMM dd yyyy hh:mm AP"));
}

std::filesystem::path ChangelogListModel::GetFile(int row) const
{
    return HasRow(row) ? rows_[static_cast<std::size_t>(row)].file : std::filesystem::path();
}

void ChangelogListModel::AddLog(const CL::ChangeLog& log, const std::filesystem::path& file)
{
    const bool known = std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) { return row.log == log; });
    if (known)
        return;
    const int row = static_cast<int>(rows_.size());
    beginInsertRows(QModelIndex(), row, row);
    rows_.push_back({log, file});
    endInsertRows();
}

void ChangelogListModel::Clear()
{
    while (!rows_.empty())
        RemoveRow(0);
}

void ChangelogListModel::RemoveRow(int row)
{
    if (!HasRow(row))
        return;
    beginRemoveRows(QModelIndex(), row, row);
    rows_.erase(rows_.begin() + row);
    endRemoveRows();
}

void ChangelogListModel::Sort()
{
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const Row& a, const Row& b) { return a.log.GetVersion() < b.log.GetVersion(); });
}

void ChangelogListModel::RefreshAll()
{
    if (rows_.empty())
        return;
    emit dataChanged(index(0), index(static_cast<int>(rows_.size()) - 1));
}

} // namespace vand::qt
