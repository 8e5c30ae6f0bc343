#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "showcontrol/MidiManagerServices.h"
#include "ui/QmlController.h"

class QQmlEngine;
class StringValueListModel;

namespace vand::qt {

// One row of the MIDI manager: a player command and the MIDI message assigned
// to it (status, channel 0-15, note 0-127; -1 where none). The user picks the
// three by hand, which assigns them once all three are chosen, or learns them
// from the input. Owns its row view. GUI thread only.
class MidiManagerCommandController : public QmlController
{
    Q_OBJECT
public:
    // Builds the row in parentItem. Throws when the player cannot be asked
    // for the allowed statuses or the row cannot be built.
    MidiManagerCommandController(QQmlEngine* engine, PlayerSource player, int commandId, const QString& commandName,
                                 bool learned, bool learning, int status, int channel, int note, QObject* parentItem);
    ~MidiManagerCommandController() override;

    int GetCommandId() const { return commandId_; }
    int GetStatus() const { return status_; }
    int GetChannel() const { return channel_; }
    int GetNote() const { return note_; }

    // Shows an assignment without sending it back to the player.
    void ShowAssignment(bool learned, bool learning, int status, int channel, int note);

public slots:
    void onMidiStatusChanged_(int status);
    void onNoteChanged_(int note);
    void onChannelChanged_(int channel);
    void onLearnClicked_();

private:
    // Assigns the message once status, channel and note are all chosen.
    void SendIfComplete();
    Interface& Player() const;

    PlayerSource player_;
    std::unique_ptr<StringValueListModel> statusModel_;
    std::vector<int> allowedStatuses_;
    int commandId_ = 0;
    int channel_ = -1;
    int note_ = -1;
    int status_ = -1;
};

} // namespace vand::qt
