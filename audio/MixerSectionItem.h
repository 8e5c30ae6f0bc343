#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "audio/MixerTracksModel.h"

namespace vand::qt {

// The values of one mixer group, a row of MixerModel. The group owns its
// tracks model (also its Qt child), which lives as long as the group. GUI
// thread.
class MixerSectionItem : public QObject
{
    Q_OBJECT
public:
    explicit MixerSectionItem(QObject* parent = nullptr)
        : QObject(parent)
        , tracksModel_(std::make_unique<MixerTracksModel>(this))
    {
    }
    ~MixerSectionItem() override = default;

    MixerTracksModel* GetTracksModel() const { return tracksModel_.get(); }

    // The group's title.
    QString name;
    // Shown when the pointer rests on the title; none when empty.
    QString tooltip;
    bool isMuted = false;
    bool isSolo = false;

private:
    std::unique_ptr<MixerTracksModel> tracksModel_;
};

} // namespace vand::qt
