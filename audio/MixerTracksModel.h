#pragma once

#include <QByteArray>
#include <QHash>
#include <QVariant>
#include <memory>
#include <vector>

#include "audio/MixerTrackItem.h"
#include "audio/OwnedRowsModel.h"

namespace vand::qt {

// The tracks of one mixer group, one row per track, owned by the model. When
// the view writes a role, the model stores the value and asks for it to be
// carried out through a request signal that names the track by its trackId;
// carrying it out is a mixer controller's business. The stored value is never
// compared with the new one: writing the same value asks again. GUI thread.
class MixerTracksModel : public OwnedRowsModel<MixerTrackItem>
{
    Q_OBJECT
public:
    enum Roles {
        IsMutedRole = Qt::UserRole + 1,
        IsSoloRole,
        VolumeScaledDbRole,
        PanRole,
        EnableMuteRole,
        EnableSoloRole,
        InstrumentRole,
        NameRole,
        InstrumentModelRole,
    };

    explicit MixerTracksModel(QObject* parent = nullptr);
    ~MixerTracksModel() override;

    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QHash<int, QByteArray> roleNames() const override;

    // Appends a track, which the model then owns (and parents); returns its
    // row. A null track is refused (-1).
    int AddTrack(std::unique_ptr<MixerTrackItem> track);
    // Replaces every track (a model reset); the old ones are deleted.
    void ResetTracks(std::vector<std::unique_ptr<MixerTrackItem>> tracks);
    // Gives a track new instrument choices and announces them; the old
    // choices are deleted after views have let go. False for a bad row.
    bool SetInstrumentModel(int row, std::unique_ptr<StringValueListModel> model);
    // The track of a row, or null.
    MixerTrackItem* TrackAt(int row) const { return At(row); }

signals:
    void instrumentTrackRequested(int trackId, int instrumentValue);
    void muteTrackRequested(int trackId, bool value);
    void panTrackRequested(int trackId, double value);
    void soloTrackRequested(int trackId, bool value);
    void volumeTrackRequested(int trackId, double linearValue);
};

} // namespace vand::qt

// Carries a group's tracks to the view (MixerModel's "tracksModel" role).
Q_DECLARE_METATYPE(const vand::qt::MixerTracksModel*)
