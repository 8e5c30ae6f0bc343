#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "ui/StringValueListModel.h"

namespace vand::qt {

// The values of one mixer track, a row of MixerTracksModel. GUI thread.
class MixerTrackItem : public QObject
{
    Q_OBJECT
public:
    explicit MixerTrackItem(QObject* parent = nullptr)
        : QObject(parent)
    {
    }
    ~MixerTrackItem() override = default;

    // Takes the instrument choices (rows of a display name and a value); they
    // become this item's child and go with it. Returns the choices held
    // before, released, so that a caller can keep them until views let go.
    std::unique_ptr<StringValueListModel> SetInstrumentModel(std::unique_ptr<StringValueListModel> model)
    {
        if (model)
            model->setParent(this);
        std::unique_ptr<StringValueListModel> previous = std::move(instrumentModel_);
        if (previous)
            previous->setParent(nullptr);
        instrumentModel_ = std::move(model);
        return previous;
    }
    StringValueListModel* GetInstrumentModel() const { return instrumentModel_.get(); }

    QString name;
    // Names the track in every request; never shown.
    int trackId = 0;
    bool isMuted = false;
    bool isSolo = false;
    // The volume slider's position on the volume taper (VolumeTaper.h), not
    // a number of decibels.
    float volumeScaledDb = 1.0f;
    // -1 full left, 0 centre, 1 full right.
    float pan = 0.0f;
    bool enableMute = true;
    bool enableSolo = true;
    // The value of the chosen row of the instrument choices.
    int instrument = 0;

private:
    std::unique_ptr<StringValueListModel> instrumentModel_;
};

} // namespace vand::qt
