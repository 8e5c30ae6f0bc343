#pragma once

#include <QString>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>

#include "CL/Events.h"
#include "CL/Properties.h"
#include "TL/BarsBeats.h"
#include "cmn/Types.h"
#include "model/SelectionRecords.h"
#include "notify/EventObserver.h"
#include "showcontrol/OscSettings.h"
#include "ui/QmlController.h"

class Interface;
class QQmlApplicationEngine;

namespace cmn {
class VandEvent;
}

namespace vand {
class AppSettings;
class PlayerFactory;
class ShowIdentityService;
class ShowManager;
class VandPlayerOscCallback;
} // namespace vand

namespace vand::osc {
class OscServer;
} // namespace vand::osc

namespace vand::qt {

class AboutWindowController;
class AudioManagerController;
class BackgroundTask;
class CaesuraToolController;
class ChangelogManagerController;
class ClickToolController;
class CutToolController;
class DialogController;
class EditController;
class EditModel;
class MarkerToolController;
class MidiManagerController;
class OscManagerController;
class OscToolController;
class OutputDeviceMonitor;
class OutputPathsManagerController;
class RepeatToolController;
class ResponsiveMenuController;
class SkipToolController;
class TempoToolController;
class TimelineController;
class TransposeToolController;
class ScoreViewController;
class VampToolController;
struct ServerLogDownload;

// The hub of the application: builds the main window, follows the player
// engine's events, loads the show, turns the window's and the menu's commands
// into engine calls and reports errors in its message dialog.
class MusicalMainController : public QmlController
{
    Q_OBJECT
public:
    // Builds the main window and loads the current show. Exceptions of the
    // show load (CL::ChangeLogVersionError among them) leave the constructor.
    MusicalMainController(QQmlApplicationEngine* engine, vand::PlayerFactory* factory);
    ~MusicalMainController() override;

    // Shows message under title (kind 0 error, 1 warning, 2 info); the new
    // dialog replaces the one on screen.
    void ShowDialog(const std::string& message, const std::string& title, int kind);
    bool HasUnsavedEdits() const;
    QString GetDataFolder() const;
    QString GetSettingsPath() const;
    QString GetOscSettingsPath() const;
    void ConnectView();

    // Player events: any thread.
    static void OnPlayerEvent(int id, int value, const char* text, void* context);
    void PostPlayerEvent(int id, int value, const char* text);
    // GUI thread.
    void HandlePlayerEvent(int id, int value, const QString& text);
    void SetContinueHighlight(bool on);
    void FlashMidiNotice();
    void FlashOscNotice();
    void FlashOscOutgoingNotice();

    std::shared_ptr<Interface> GetPlayer() const { return player_; }
    std::shared_ptr<vand::ShowManager> GetShowManager() const { return showManager_; }
    std::shared_ptr<EditModel> GetEditModel() const { return editModel_; }
    std::shared_ptr<vand::AppSettings> GetAppSettings() const { return appSettings_; }
    DialogController* GetMessageDialog() const { return messageDialog_.get(); }
    ResponsiveMenuController* GetMenuController() const { return menuController_.get(); }
    TimelineController* GetTimelineController() const { return timelineController_.get(); }
    EditController* GetEditController() const { return editController_.get(); }
    AboutWindowController* GetAboutWindow() const { return aboutWindow_.get(); }
    MidiManagerController* GetMidiManager() const { return midiManager_.get(); }
    const std::string& GetShowFolder() const { return showFolder_; }
    const QString& GetShowName() const { return showName_; }
    const vand::osc::OscSettings& GetOscSettings() const { return oscSettings_; }
    vand::osc::OscServer* GetOscServer() const { return oscServer_.get(); }
    std::shared_ptr<vand::VandPlayerOscCallback> GetOscSender() const { return oscSender_; }
    OscManagerController* GetOscManager() const { return oscManager_.get(); }
    // The OSC commands held while the player is not playing, oldest first, as
    // (song, event id).
    std::list<std::pair<std::string, std::string>> GetPendingOscCommands() const;
    ChangelogManagerController* GetChangelogManager() const { return changelogManager_.get(); }
    // The show-server requests of Share and Download Latest Log, with their
    // wait window.
    BackgroundTask* GetServerTask() const { return serverTask_.get(); }
    AudioManagerController* GetAudioManager() const { return audioManager_.get(); }
    OutputPathsManagerController* GetOutputPathsManager() const { return outputPathsManager_.get(); }
    OutputDeviceMonitor* GetDeviceMonitor() const { return deviceMonitor_.get(); }
    // The open edit tool of each kind; null when none is open.
    CaesuraToolController* GetCaesuraTool() const { return caesuraTool_.get(); }
    ClickToolController* GetClickTool() const { return clickTool_.get(); }
    CutToolController* GetCutTool() const { return cutTool_.get(); }
    MarkerToolController* GetMarkerTool() const { return markerTool_.get(); }
    OscToolController* GetOscTool() const { return oscTool_.get(); }
    RepeatToolController* GetRepeatTool() const { return repeatTool_.get(); }
    SkipToolController* GetSkipTool() const { return skipTool_.get(); }
    TempoToolController* GetTempoTool() const { return tempoTool_.get(); }
    TransposeToolController* GetTransposeTool() const { return transposeTool_.get(); }
    VampToolController* GetVampTool() const { return vampTool_.get(); }

    // The version of the newest change-log file in the show folder (names
    // read by CL::ChangeLog::VersionOfLogFileName); (0, 0) and false when
    // there is none. Throws std::filesystem::filesystem_error when the folder
    // cannot be read.
    bool GetNewestLocalLogVersion(unsigned char& major, unsigned char& minor) const;
    // The file name of that newest file (a later directory entry wins on
    // equal versions); empty when there is none. Throws as above.
    QString FindNewestLocalLogFile() const;
    // Sets the file's modification time to now; false when it does not exist
    // or cannot be changed.
    static bool TouchFile(const QString& path);
    // Loads the current song again on the show's player.
    void ReloadCurrentSong();

signals:
    void PlayStarted();
    void SignalAttaccaUpdate();
    void Stopped();
    void Paused();
    void Fading();
    void FadeComplete(bool gotoNextSong);
    void JumpToBarResult(bool success);
    void Closing();
    void SaveCompleted();
    void MidiLearned(int commandId, int midiStatus, int channel, int note);
    void MidiUnlearned(int commandId);

public slots:
    void onInformation(std::string message, std::string title);
    void onError(std::string message, std::string title);

    void LoadShow_();

    void Play_();
    void Stop_();
    void ContinuePlay_();
    void PauseToggleSlot_();
    void PauseToggle_(bool fadeCompleted = false);
    void Fade_(int fadeTimeMs);
    void FadeTo_(int fadeTimeMs, double targetVolumerPercent);
    void FadeToStop_(int fadeTimeMs);
    void ContinueFlow_();
    void NextSong_();
    void PrevSong_();
    void FadeComplete_(bool gotoNextSong);
    void JumpToBar_(QString barNum);
    void JumpToBarStartRequested();
    void SeekNextMarkerRequested_();
    void SeekPrevMarkerRequested_();
    void SeekNextBarRequested_();
    void SeekPrevBarRequested_();
    void ZoomInRequested_();
    void ZoomOutRequested_();

    void GetLatestLogClicked_();
    void ShowChangelogManager_();
    void ChangelogLocalSelected_(int index);
    void ChangelogServerSelected_(int index);
    void ChangelogManagerClosing_();
    void onSaveButton();
    void onSaveAndUploadButton();

    // The edit tools. A button slot opens the tool of its kind for a new event
    // at a tick (the selection's start or the playhead) or over a range of
    // ticks; an edit slot opens it on an existing event; a closing slot lets
    // the tool go once its dialog has closed. Opening a tool replaces the
    // open tool of its kind.
    void onCaesuraButton(int startTick);
    void onMarkerButton(int startTick);
    void onOscButton(int startTick);
    void onCutButton(int startTick, int endTick);
    void onSkipButton(int startTick, int endTick);
    void onClickButton(int startTick, int endTick);
    void onRepeatButton(int startTick, int endTick);
    void onTempoButton(int startTick, int endTick);
    void onTransposeButton(int startTick, int endTick);
    void onVampButton(int startTick, int endTick);
    void onCaesuraEdit(cmn::VandEvent* vandEvent);
    void onMarkerEdit(cmn::VandEvent* vandEvent);
    void onOscEdit(cmn::VandEvent* vandEvent);
    void onCutEdit(cmn::VandEvent* vandEvent);
    void onSkipEdit(cmn::VandEvent* vandEvent);
    void onClickEdit(cmn::VandEvent* vandEvent);
    void onRepeatEdit(cmn::VandEvent* vandEvent);
    void onTempoEdit(cmn::VandEvent* vandEvent);
    void onTransposeEdit(cmn::VandEvent* vandEvent);
    void onVampEdit(cmn::VandEvent* vandEvent);
    void onCaesuraToolClosing();
    void onMarkerToolClosing();
    void onOscToolClosing();
    void onCutToolClosing();
    void onSkipToolClosing();
    void onClickToolClosing();
    void onRepeatToolClosing();
    void onTempoToolClosing();
    void onTransposeToolClosing();
    void onVampToolClosing();
    // Opens the tool of the event's kind on it; nothing for null or an event
    // of another kind.
    void onEditButton(cmn::VandEvent* vandEvent);
    // onEditButton with the selected event.
    void onEditDoubleClicked();
    // A tool changed an event: the lists and the timeline follow.
    void onEditValueUpdated();
    void onVandEditDragged(const cmn::VandEvent* vandEvent, int start, int end, bool adjustLeft, bool adjustRight);
    void onVandEditSelectedExternally(const cmn::VandEvent* vandEvent);
    void onEventItemChanged(EventInfoItem item);
    void onMarkerItemChanged(MarkerInfoItem item);
    void onSelectAllRequested_();

    void ShowMidiManager_();
    void ShowOscManager_();
    void onOscSettingsUpdated_(vand::osc::OscSettings newSettings, CL::NetworkPathVectorT& newNetworks);
    // Sends the command now while playing, else holds it for the current song.
    void onEnqueueOscCommand(CL::Osc osc, uint32_t delay);
    void onClearOscQueue();
    // Sends the held commands of the current song and drops the others.
    void PlayQueuedOscCommands();
    void onAttaccaStageChanged(std::string songNum, UInt8 state);

    void ShowAudioManager_();
    // Applies the audio manager's device and volume and saves them as the
    // defaults; a device that is not there is kept in the settings, and the
    // show plays on through the default device.
    void onAudioSettingsUpdated();
    void ShowOutputPaths_();
    // A new or changed path, or a removed one, goes to the engine; the change
    // log then needs saving.
    void onAddOutputhPath(CL::OutputPath path);
    void onRemoveOutputhPath(CL::OutputPath path);

private slots:
    // Save follows the change log's flags again after a Share press.
    void RestoreSaveButton_();

private:
    // An OSC command held while the player is not playing.
    struct PendingOscCommand
    {
        CL::Osc osc;
        unsigned delay = 0;
        std::string song; // current when it was held; empty when none was
    };

    // Guards the callbacks that the engine runs on its threads against a
    // controller being destroyed.
    struct LifeGuard
    {
        std::mutex mutex;
        MusicalMainController* self = nullptr;
    };

    void LoadShow();
    void LoadAlbumArt();
    // (Re)starts the OSC server from the OSC settings; a failure is shown as
    // "OSC Server Error" and leaves no server. Only commands received depend
    // on it: the show's timeline OSC goes out either way.
    void StartOscServer();
    void ConnectOscSender();
    void ApplyAudioSettings();
    std::function<void()> FadeCompletion(bool gotoNextSong, bool stopAfter);
    // Invokes the timeline's zoom function by name.
    void ZoomTimeline(const char* function);
    std::filesystem::path NewestLocalLogPath() const;
    // Saves the next minor version locally and returns it ("2.4"). Throws.
    std::string SaveNextMinorVersion();
    // Share: asks the server for its versions on the worker, then saves the
    // next major version and uploads it on the worker. Each step that comes
    // back checks that the player it shares is still the loaded one.
    void StartShare();
    void ContinueShare(int status, unsigned top, const std::weak_ptr<Interface>& player);
    void FinishShare(bool uploaded, const std::string& fileName);
    // Download Latest Log: the requests and the transfer on the worker; what
    // comes back is put in place and loaded if the same show folder is
    // still loaded.
    void StartFetchLatestLog();
    // Loads the server's version that DownloadServerLog fetched.
    void LoadFetchedServerLog(const ServerLogDownload& outcome,
                              const std::weak_ptr<ChangelogManagerController>& manager);
    // Lets go of the change-log manager at once; the controller and its
    // window are deleted by a queued call.
    void DropChangelogManager();
    template <typename Action>
    bool Guarded(const char* title, Action&& action);
    // Makes the tool of a kind in its member (replacing the open one), opens
    // it, then connects it: its requests, its closing signal, its errors and,
    // with refresh, its valuesUpdated(). A tool whose opening throws is
    // dropped and the exception goes on.
    template <typename Tool, typename Open, typename ClosingSignal, typename ClosingSlot>
    void OpenTool(std::unique_ptr<Tool>& member, Open&& open, ClosingSignal closing, ClosingSlot closingSlot,
                  bool refresh);
    // OpenTool for a range from startTick to endTick (the end converted
    // first), by the tool's opening slot.
    template <typename Tool, typename ClosingSignal, typename ClosingSlot>
    void OpenRangeTool(std::unique_ptr<Tool>& member, void (Tool::*opening)(TL::BarsBeats, TL::BarsBeats),
                       int startTick, int endTick, ClosingSignal closing, ClosingSlot closingSlot);
    // OpenTool on an existing event, by the tool's edit-opening slot.
    template <typename Tool, typename ClosingSignal, typename ClosingSlot>
    void OpenEditTool(std::unique_ptr<Tool>& member, void (Tool::*opening)(cmn::VandEvent*), cmn::VandEvent* event,
                      ClosingSignal closing, ClosingSlot closingSlot);
    // Lets a closed tool go: out of its member, deleted once its closing
    // signal has been delivered.
    template <typename Tool>
    void DropTool(std::unique_ptr<Tool>& member);
    // The product's notice about the click tool, unless it is switched off.
    void ShowClickToolNotice();

    std::atomic<bool> wiring_{false};
    // Outlives the event observer, whose callbacks read it.
    std::shared_ptr<LifeGuard> lifeGuard_;
    vand::PlayerFactory* factory_ = nullptr;
    std::unique_ptr<DialogController> messageDialog_;
    std::shared_ptr<Interface> player_;
    std::shared_ptr<vand::ShowManager> showManager_;
    std::unique_ptr<vand::osc::OscServer> oscServer_;
    std::shared_ptr<ChangelogManagerController> changelogManager_;
    std::shared_ptr<vand::ShowIdentityService> showIdentity_;
    std::shared_ptr<OutputPathsManagerController> outputPathsManager_;
    std::unique_ptr<AboutWindowController> aboutWindow_;
    std::unique_ptr<AudioManagerController> audioManager_;
    std::unique_ptr<CaesuraToolController> caesuraTool_;
    std::unique_ptr<ClickToolController> clickTool_;
    std::unique_ptr<CutToolController> cutTool_;
    std::unique_ptr<EditController> editController_;
    std::unique_ptr<MarkerToolController> markerTool_;
    std::unique_ptr<MidiManagerController> midiManager_;
    std::unique_ptr<QObject> mixerController_;
    std::unique_ptr<OscManagerController> oscManager_;
    std::unique_ptr<OscToolController> oscTool_;
    std::unique_ptr<RepeatToolController> repeatTool_;
    std::unique_ptr<ResponsiveMenuController> menuController_;
    std::unique_ptr<ScoreViewController> scoreController_;
    std::unique_ptr<SkipToolController> skipTool_;
    std::unique_ptr<TempoToolController> tempoTool_;
    std::unique_ptr<TimelineController> timelineController_;
    std::unique_ptr<TransposeToolController> transposeTool_;
    std::unique_ptr<VampToolController> vampTool_;
    std::shared_ptr<EditModel> editModel_;
    std::string showFolder_;
    std::string dataFolder_;
    notify::EventObserver eventObserver_;
    vand::osc::OscSettings oscSettings_;
    std::shared_ptr<vand::VandPlayerOscCallback> oscSender_;
    std::shared_ptr<vand::AppSettings> appSettings_;
    // Goes before the player it watches.
    std::unique_ptr<OutputDeviceMonitor> deviceMonitor_;
    QString showName_;
    std::list<PendingOscCommand> pendingOsc_;
    // Last: it goes first, so no answer arrives while the rest goes.
    std::unique_ptr<BackgroundTask> serverTask_;
};

// Runs action; a failure is shown in the message dialog under title, so no
// exception leaves a slot. True when the action completed.
template <typename Action>
bool MusicalMainController::Guarded(const char* title, Action&& action)
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        onError(e.what(), title);
    } catch (...) {
        onError("Unknown error.", title);
    }
    return false;
}

} // namespace vand::qt
