#include "audio/MixerModel.h"

namespace vand::qt {

MixerModel::MixerModel(QObject* parent)
    : OwnedRowsModel(parent)
{
}

MixerModel::~MixerModel() = default;

QVariant MixerModel::data(const QModelIndex& index, int role) const
{
    if (!IsUsable(index))
        return {};
    const MixerSectionItem& section = *At(index.row());
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
    MixerSectionItem& section = *At(index.row());
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
        {NameRole, QByteArrayLiteral("name")},       {IsMutedRole, QByteArrayLiteral("isMuted")},
        {IsSoloRole, QByteArrayLiteral("isSolo")},   {TracksModelRole, QByteArrayLiteral("tracksModel")},
        {TooltipRole, QByteArrayLiteral("tooltip")},
    };
}

int MixerModel::AddSection(std::unique_ptr<MixerSectionItem> section)
{
    return Append(std::move(section));
}

void MixerModel::ResetSections(std::vector<std::unique_ptr<MixerSectionItem>> sections)
{
    Replace(std::move(sections));
}

} // namespace vand::qt
