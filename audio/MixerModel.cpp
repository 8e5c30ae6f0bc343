#include "audio/MixerModel.h"

namespace vand::qt {

MixerModel::MixerModel(QObject* parent) : QAbstractListModel(parent) {}

MixerModel::~MixerModel() = default;

int MixerModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return static_cast<int>(sections_.size());
}

bool MixerModel::IsUsable(const QModelIndex& index) const
{
    return index.row() >= 0 && index.column() >= 0 && index.model() == this
        && index.row() < static_cast<int>(sections_.size());
}

MixerSectionItem* MixerModel::SectionAt(int row) const
{
    if (row < 0 || row >= static_cast<int>(sections_.size()))
        return nullptr;
    return sections_[static_cast<size_t>(row)].get();
}

QVariant MixerModel::data(const QModelIndex& index, int role) const
{
    if (!IsUsable(index))
        return {};
    const MixerSectionItem& section = *sections_[static_cast<size_t>(index.row())];
    switch (role) {
    case NameRole:
        return section.name;
    case IsMutedRole:
        return section.isMuted;
    case IsSoloRole:
        return section.isSolo;
    case TracksModelRole:
        return QVariant::fromValue<const MixerTracksModel*>(section.GetTracksModel());
    case TooltipRole:
        return section.tooltip;
    default:
        return {};
    }
}

bool MixerModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!IsUsable(index))
        return false;
    MixerSectionItem& section = *sections_[static_cast<size_t>(index.row())];
    switch (role) {
    case NameRole:
        section.name = value.toString();
        break;
    case IsMutedRole:
        section.isMuted = value.toBool();
        emit muteSectionRequested(index.row(), section.isMuted);
        break;
    case IsSoloRole:
        section.isSolo = value.toBool();
        emit soloSectionRequested(index.row(), section.isSolo);
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

QHash<int, QByteArray> MixerModel::roleNames() const
{
    return {
        {NameRole, QByteArrayLiteral("name")},
        {IsMutedRole, QByteArrayLiteral("isMuted")},
        {IsSoloRole, QByteArrayLiteral("isSolo")},
        {TracksModelRole, QByteArrayLiteral("tracksModel")},
        {TooltipRole, QByteArrayLiteral("tooltip")},
    };
}

int MixerModel::AddSection(std::unique_ptr<MixerSectionItem> section)
{
    if (!section)
        return -1;
    const int row = static_cast<int>(sections_.size());
    section->setParent(this);
    beginInsertRows(QModelIndex(), row, row);
    sections_.push_back(std::move(section));
    endInsertRows();
    return row;
}

void MixerModel::ResetSections(std::vector<std::unique_ptr<MixerSectionItem>> sections)
{
    std::erase(sections, nullptr);
    for (auto& section : sections)
        section->setParent(this);
    beginResetModel();
    sections_.swap(sections);
    endResetModel();
    // `sections` now holds the old groups, deleted here with their tracks,
    // after the views have dropped their delegates.
}

} // namespace vand::qt
