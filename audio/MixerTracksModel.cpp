#include "audio/MixerTracksModel.h"

#include "audio/VolumeTaper.h"

namespace vand::qt {

MixerTracksModel::MixerTracksModel(QObject* parent)
    : OwnedRowsModel(parent)
{
    qRegisterMetaType<const MixerTracksModel*>("const vand::qt::MixerTracksModel*");
}

MixerTracksModel::~MixerTracksModel() = default;

QVariant MixerTracksModel::data(const QModelIndex& index, int role) const
{
    if (!IsUsable(index))
        return {};
    const MixerTrackItem& track = *At(index.row());
    switch (role) {
    case IsMutedRole:
        return track.isMuted;
    case IsSoloRole:
        return track.isSolo;
    case VolumeScaledDbRole:
        return track.volumeScaledDb;
    case PanRole:
        return track.pan;
    case EnableMuteRole:
        return track.enableMute;
    case EnableSoloRole:
        return track.enableSolo;
    case InstrumentRole:
        return track.instrument;
    case NameRole:
        return track.name;
    case InstrumentModelRole:
        return QVariant::fromValue(track.GetInstrumentModel());
    default:
        return {};
    }
}

bool MixerTracksModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!IsUsable(index))
        return false;
    MixerTrackItem& track = *At(index.row());
    switch (role) {
    case IsMutedRole:
        track.isMuted = value.toBool();
        emit muteTrackRequested(track.trackId, track.isMuted);
        // A mute is announced for every role first, then for its own.
        emit dataChanged(index, index, {});
        break;
    case IsSoloRole:
        track.isSolo = value.toBool();
        emit soloTrackRequested(track.trackId, track.isSolo);
        break;
    case VolumeScaledDbRole:
        track.volumeScaledDb = value.toFloat();
        emit volumeTrackRequested(track.trackId, LinearGainOfPosition(track.volumeScaledDb));
        break;
    case PanRole:
        track.pan = value.toFloat();
        emit panTrackRequested(track.trackId, static_cast<double>(track.pan));
        break;
    case EnableMuteRole:
        track.enableMute = value.toBool();
        break;
    case EnableSoloRole:
        track.enableSolo = value.toBool();
        break;
    case InstrumentRole:
        track.instrument = value.toInt();
        emit instrumentTrackRequested(track.trackId, track.instrument);
        break;
    case NameRole:
        track.name = value.toString();
        break;
    default:
        return false;
    }
    emit dataChanged(index, index, {role});
    return true;
}

QHash<int, QByteArray> MixerTracksModel::roleNames() const
{
    return {
        {IsMutedRole, QByteArrayLiteral("isMuted")},
        {IsSoloRole, QByteArrayLiteral("isSolo")},
        {VolumeScaledDbRole, QByteArrayLiteral("volumeScaledDb")},
        {PanRole, QByteArrayLiteral("pan")},
        {EnableMuteRole, QByteArrayLiteral("enableMute")},
        {EnableSoloRole, QByteArrayLiteral("enableSolo")},
        {InstrumentRole, QByteArrayLiteral("instrument")},
        {NameRole, QByteArrayLiteral("name")},
        {InstrumentModelRole, QByteArrayLiteral("instrumentModel")},
    };
}

int MixerTracksModel::AddTrack(std::unique_ptr<MixerTrackItem> track)
{
    return Append(std::move(track));
}

void MixerTracksModel::ResetTracks(std::vector<std::unique_ptr<MixerTrackItem>> tracks)
{
    Replace(std::move(tracks));
}

bool MixerTracksModel::SetInstrumentModel(int row, std::unique_ptr<StringValueListModel> model)
{
    MixerTrackItem* track = TrackAt(row);
    if (!track)
        return false;
    // The old choices are deleted on return, once the views hold the new.
    std::unique_ptr<StringValueListModel> previous = track->SetInstrumentModel(std::move(model));
    const QModelIndex at = index(row);
    emit dataChanged(at, at, {InstrumentModelRole});
    return true;
}

} // namespace vand::qt
