#pragma once

#include <QStringList>
#include <memory>
#include <vector>

#include "showcontrol/MidiManagerServices.h"
#include "ui/QmlController.h"

class QQmlEngine;

namespace vand::qt {

class MidiManagerCommandController;

// The MIDI manager window: the player's MIDI input, chosen from its list and
// kept by name in the settings, and one row per player command, in command
// order. Closing the window only hides it. GUI thread only.
class MidiManagerController : public QmlController
{
    Q_OBJECT
public:
    // Builds the window (hidden) as a child of parentWindow, its rows, and
    // selects the saved input on the player. Player failures leave the
    // constructor.
    MidiManagerController(QQmlEngine* engine, PlayerSource player, std::shared_ptr<MidiSourceSettings> settings,
                          QObject* parentWindow);
    ~MidiManagerController() override;

    const std::vector<std::unique_ptr<MidiManagerCommandController>>& GetRows() const { return rows_; }

public slots:
    // The player learned a message for a command, or stopped learning it.
    void MidiLearned(int commandId, int midiStatus, int channel, int note);
    void MidiUnlearned(int commandId);
    // The user picked input index of the list.
    void onSourceSelected_(int index);

private:
    Interface& Player() const;
    void BuildRows();
    void ListSources();
    // The lamp and the selection follow the player's open input.
    void ShowConnectedSource();
    MidiManagerCommandController* Row(int commandId) const;

    PlayerSource player_;
    std::shared_ptr<MidiSourceSettings> settings_;
    std::vector<std::unique_ptr<MidiManagerCommandController>> rows_;
    QStringList sourceNames_;
};

} // namespace vand::qt
