#include "showcontrol/MidiManagerController.h"

#include <QUrl>
#include <QVariant>
#include <optional>
#include <stdexcept>

#include "showcontrol/MidiManagerCommandController.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

const char* kWindowUrl = "qrc:/qt/qml/com/tarnwick/musical_ui/qml/MidiManager.qml";

} // namespace

MidiManagerController::MidiManagerController(QQmlEngine* engine, PlayerSource player,
                                             std::shared_ptr<MidiSourceSettings> settings, QObject* parentWindow)
    : QmlController(engine, QUrl(QString::fromLatin1(kWindowUrl)), parentWindow, true)
    , player_(std::move(player))
    , settings_(std::move(settings))
{
    if (!rootObject_)
        throw std::runtime_error("The MIDI Manager window could not be built.");
    if (!settings_)
        throw std::invalid_argument("The MIDI Manager needs the application settings.");
    BuildRows();
    connect(rootObject_, SIGNAL(sourceSelected(int)), this, SLOT(onSourceSelected_(int)));
    ListSources();
}

MidiManagerController::~MidiManagerController() = default;

Interface& MidiManagerController::Player() const
{
    std::shared_ptr<Interface> player = player_ ? player_() : nullptr;
    if (!player)
        throw std::runtime_error("No show is loaded.");
    return *player;
}

void MidiManagerController::BuildRows()
{
    Interface& player = Player();
    const std::map<unsigned char, std::string> names = player.GetCommandNames();
    const std::map<unsigned char, midi_commands::LearnedCommand> learned = player.GetLearnedCommands();
    QObject* column = rootObject_->property("commandColumnObject").value<QObject*>();
    if (!column)
        throw std::runtime_error("The MIDI Manager window has no command column.");

    rows_.clear();
    for (const auto& [id, name] : names) {
        const auto assignment = learned.find(id);
        const bool isLearned = assignment != learned.end();
        const int status = isLearned ? assignment->second.status : -1;
        const int channel = isLearned ? assignment->second.channel : -1;
        const int note = isLearned ? assignment->second.note : -1;
        rows_.push_back(std::make_unique<MidiManagerCommandController>(
            engine_, player_, id, QString::fromStdString(name), isLearned, player.IsMidiCommandLearning(id), status,
            channel, note, column));
    }
}

void MidiManagerController::ListSources()
{
    Interface& player = Player();
    sourceNames_.clear();
    for (const MidiEndPoint& source : player.GetMidiSources())
        sourceNames_ << QString::fromStdString(source.GetSourceName());
    SetViewProperty(rootObject_, "sourceModel", sourceNames_);

    if (!sourceNames_.isEmpty()) {
        // An input no longer present falls back to the first; the saved name
        // stays until the user picks one.
        const int saved = static_cast<int>(sourceNames_.indexOf(settings_->GetMidiSourceName()));
        const int index = saved >= 0 ? saved : 0;
        SetViewProperty(rootObject_, "sourceIndex", index);
        player.SetMidiSource(index);
    }
    ShowConnectedSource();
}

void MidiManagerController::ShowConnectedSource()
{
    Interface& player = Player();
    const bool connected = player.HasMidiSource();
    if (connected)
        SetViewProperty(rootObject_, "sourceIndex", static_cast<int>(player.GetConnectedSourceIndex()));
    SetViewProperty(rootObject_, "sourceStatus", connected);
}

MidiManagerCommandController* MidiManagerController::Row(int commandId) const
{
    for (const auto& row : rows_) {
        if (row->GetCommandId() == commandId)
            return row.get();
    }
    return nullptr;
}

void MidiManagerController::MidiLearned(int commandId, int midiStatus, int channel, int note)
{
    RunMidiManagerAction("showing a learned command", [&] {
        if (MidiManagerCommandController* row = Row(commandId))
            row->ShowAssignment(true, false, midiStatus, channel, note);
    });
}

void MidiManagerController::MidiUnlearned(int commandId)
{
    RunMidiManagerAction("showing a cancelled learning", [&] {
        MidiManagerCommandController* row = Row(commandId);
        if (!row)
            return;
        // A cancelled learning leaves the command's earlier assignment in the
        // player; the row shows what the player holds.
        std::optional<midi_commands::LearnedCommand> kept;
        RunMidiManagerAction("reading the learned commands", [&] {
            const auto learned = Player().GetLearnedCommands();
            const auto found = learned.find(static_cast<unsigned char>(commandId));
            if (found != learned.end())
                kept = found->second;
        });
        if (kept)
            row->ShowAssignment(true, false, kept->status, kept->channel, kept->note);
        else
            row->ShowAssignment(false, false, -1, -1, -1);
    });
}

void MidiManagerController::onSourceSelected_(int index)
{
    RunMidiManagerAction("choosing the MIDI input", [&] {
        Player().SetMidiSource(index);
        if (index >= 0 && index < sourceNames_.size()) {
            settings_->SetMidiSourceName(sourceNames_.at(index));
            if (!settings_->Save())
                throw std::runtime_error("the settings could not be saved");
        }
    });
    RunMidiManagerAction("showing the MIDI input", [&] { ShowConnectedSource(); });
}

} // namespace vand::qt
