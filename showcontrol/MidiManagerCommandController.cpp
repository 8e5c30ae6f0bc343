#include "showcontrol/MidiManagerCommandController.h"

#include <QUrl>
#include <QVariant>
#include <algorithm>
#include <stdexcept>

#include "cmn/MidiStatus.h"
#include "ui/StringValueListModel.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

const char* kRowUrl = "qrc:/qt/qml/com/tarnwick/musical_ui/qml/MidiManagerCommand.qml";

// The status's name from the core table; a status the table lacks shows its
// value in hexadecimal.
QString StatusName(int status)
{
    if (status >= 0 && status <= 0xFF) {
        const auto found = std_midi::sb::status_names.find(static_cast<UInt8>(status));
        if (found != std_midi::sb::status_names.end())
            return QString::fromStdString(found->second);
    }
    return QStringLiteral("0x") + QString::number(status, 16).toUpper().rightJustified(2, QLatin1Char('0'));
}

} // namespace

MidiManagerCommandController::MidiManagerCommandController(QQmlEngine* engine, PlayerSource player, int commandId,
                                                           const QString& commandName, bool learned, bool learning,
                                                           int status, int channel, int note, QObject* parentItem)
    : QmlController(engine, QUrl(QString::fromLatin1(kRowUrl)), parentItem, true)
    , player_(std::move(player))
    , statusModel_(std::make_unique<StringValueListModel>())
    , commandId_(commandId)
    , channel_(channel)
    , note_(note)
    , status_(status)
{
    if (!rootObject_)
        throw std::runtime_error("The row of the MIDI command \"" + commandName.toStdString()
                                 + "\" could not be built.");
    SetViewProperty(rootObject_, "commandName", commandName);

    allowedStatuses_ = Player().GetAllowedCommandStatuses();
    for (int allowed : allowedStatuses_)
        statusModel_->AddItem({StatusName(allowed), allowed});
    SetViewProperty(rootObject_, "midiStatusModel", QVariant::fromValue(static_cast<QObject*>(statusModel_.get())));

    ShowAssignment(learned, learning, status, channel, note);

    connect(rootObject_, SIGNAL(learnClicked()), this, SLOT(onLearnClicked_()));
    connect(rootObject_, SIGNAL(midiStatusChanged(int)), this, SLOT(onMidiStatusChanged_(int)));
    connect(rootObject_, SIGNAL(noteChanged(int)), this, SLOT(onNoteChanged_(int)));
    connect(rootObject_, SIGNAL(channelChanged(int)), this, SLOT(onChannelChanged_(int)));
}

MidiManagerCommandController::~MidiManagerCommandController()
{
    if (!rootObject_)
        return;
    // The view lets go of the model before it is deleted, quietly: the
    // emptied list must not reach the player as a choice.
    disconnect(rootObject_, nullptr, this, nullptr);
    SetViewProperty(rootObject_, "initializing", true);
    SetViewProperty(rootObject_, "midiStatusModel", QVariant::fromValue(static_cast<QObject*>(nullptr)));
}

Interface& MidiManagerCommandController::Player() const
{
    std::shared_ptr<Interface> player = player_ ? player_() : nullptr;
    if (!player)
        throw std::runtime_error("No show is loaded.");
    return *player;
}

void MidiManagerCommandController::ShowAssignment(bool learned, bool learning, int status, int channel, int note)
{
    channel_ = channel;
    note_ = note;
    status_ = status;
    // A status outside the allowed list, -1 included, is one past the last
    // entry: no selection.
    const auto found = std::find(allowedStatuses_.begin(), allowedStatuses_.end(), status);
    const int statusIndex = static_cast<int>(found - allowedStatuses_.begin());

    QObject* row = rootObject_;
    SetViewProperty(row, "initializing", true);
    SetViewProperty(row, "channelIndex", channel);
    SetViewProperty(row, "midiNoteIndex", note);
    SetViewProperty(row, "learnedCommand", learned);
    SetViewProperty(row, "enabledCommand", true);
    SetViewProperty(row, "enabledCommand", !learning);
    SetViewProperty(row, "learningCommand", learning);
    SetViewProperty(row, "midiStatusIndex", statusIndex);
    SetViewProperty(row, "initializing", false);
}

void MidiManagerCommandController::onMidiStatusChanged_(int status)
{
    RunMidiManagerAction("choosing a MIDI status", [&] {
        status_ = status;
        SendIfComplete();
    });
}

void MidiManagerCommandController::onNoteChanged_(int note)
{
    RunMidiManagerAction("choosing a note", [&] {
        note_ = note;
        SendIfComplete();
    });
}

void MidiManagerCommandController::onChannelChanged_(int channel)
{
    RunMidiManagerAction("choosing a channel", [&] {
        channel_ = channel;
        SendIfComplete();
    });
}

void MidiManagerCommandController::SendIfComplete()
{
    if (status_ < 0 || channel_ < 0 || note_ < 0)
        return;
    Player().SetMidiCommand(static_cast<unsigned char>(commandId_), static_cast<unsigned char>(status_),
                            static_cast<unsigned char>(channel_), static_cast<unsigned char>(note_));
}

void MidiManagerCommandController::onLearnClicked_()
{
    RunMidiManagerAction("learning a MIDI command", [&] {
        SetViewProperty(rootObject_, "learningCommand", true);
        SetViewProperty(rootObject_, "enabledCommand", false);
        try {
            Player().LearnMidiCommand(static_cast<unsigned char>(commandId_));
        } catch (...) {
            // Nothing is being learned: the row takes input again.
            SetViewProperty(rootObject_, "learningCommand", false);
            SetViewProperty(rootObject_, "enabledCommand", true);
            throw;
        }
    });
}

} // namespace vand::qt
