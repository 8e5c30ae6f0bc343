#include "app/MusicalMainController.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaObject>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QSettings>
#include <QUrl>
#include <QVariant>
#include <filesystem>
#include <optional>
#include <stdexcept>

#include "app/AppSettings.h"
#include "app/DragClamp.h"
#include "app/PathText.h"
#include "app/PlayerFactory.h"
#include "app/ResponsiveMenuController.h"
#include "audio/AudioManagerController.h"
#include "audio/OutputDeviceMonitor.h"
#include "audio/OutputPathsManagerController.h"
#include "cmn/EventCodes.h"
#include "cmn/ShowIdentity.h"
#include "cmn/VandEvent.h"
#include "edit/EditController.h"
#include "edit/TimelineEditController.h"
#include "edittools/CaesuraToolController.h"
#include "edittools/ClickToolController.h"
#include "edittools/CountToolControllers.h"
#include "edittools/MarkerToolController.h"
#include "edittools/OscToolController.h"
#include "edittools/RangeToolControllers.h"
#include "kit/Log.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "show/ScoreViewController.h"
#include "showcontrol/MidiManagerController.h"
#include "showcontrol/OscManagerController.h"
#include "showcontrol/OscServer.h"
#include "showcontrol/VandPlayerOscCallback.h"
#include "timeline/TimelineController.h"
#include "ui/AboutWindowController.h"
#include "ui/BackgroundTask.h"
#include "ui/DialogController.h"
#include "ui/ViewProperty.h"
#include "vand_core/qt/MetaTypes.h"
#include "vand_pelorin/AudioInterface.h"

namespace vand::qt {

namespace {

namespace fs = std::filesystem;

const char* kMainWindowUrl = "qrc:/qt/qml/com/tarnwick/musical_ui/qml/MusicalMain.qml";
const char* kLoadErrorTitle = "Loading Show Failed";
const char* kMidiManagerErrorTitle = "MIDI Manager Error";
const char* kEditFailedTitle = "Edit Failed";
const char* kAttaccaErrorTitle = "Attacca Not Changed";
constexpr int kWarningKind = 1;

QVariantMap MainWindowProperties(const vand::PlayerFactory* factory)
{
    if (!factory)
        throw std::invalid_argument("The main controller needs the product identity.");
    // The window is created hidden; the show load shows it.
    return {{QStringLiteral("showAlbumArtImage"), factory->showAlbumArt},
            {QStringLiteral("showFade"), factory->showFade},
            {QStringLiteral("visible"), false}};
}

QObject* ObjectProperty(QObject* object, const char* name)
{
    return object ? object->property(name).value<QObject*>() : nullptr;
}

} // namespace

MusicalMainController::MusicalMainController(QQmlApplicationEngine* engine, vand::PlayerFactory* factory)
    : QmlController(engine, QUrl(QString::fromLatin1(kMainWindowUrl)), nullptr, true, MainWindowProperties(factory))
    , lifeGuard_(std::make_shared<LifeGuard>())
    , factory_(factory)
{
    try {
        if (!rootObject_)
            throw std::runtime_error("The main window could not be created.");
        vand::core::RegisterQtMetaTypes();
        lifeGuard_->self = this;

        // Each event comes back under its own number (HandlePlayerEvent).
        using notify::PlayerEvent;
        eventObserver_.SetCallbackFunc(&MusicalMainController::OnPlayerEvent, this);
        eventObserver_.RegisterPageNum(int(PlayerEvent::PageNum));
        eventObserver_.RegisterPlayhead(int(PlayerEvent::Playhead));
        eventObserver_.RegisterPlaybackStarted(int(PlayerEvent::PlaybackStarted));
        eventObserver_.RegisterPlaybackStopped(int(PlayerEvent::PlaybackStopped));
        eventObserver_.RegisterPlaybackPaused(int(PlayerEvent::PlaybackPaused));
        eventObserver_.RegisterPlaybackFading(int(PlayerEvent::PlaybackFading));
        eventObserver_.RegisterKey(int(PlayerEvent::Key));
        eventObserver_.RegisterTempo(int(PlayerEvent::Tempo));
        eventObserver_.RegisterMeter(int(PlayerEvent::Meter));
        eventObserver_.RegisterTransposition(int(PlayerEvent::Transposition));
        eventObserver_.RegisterTempoScale(int(PlayerEvent::TempoScale));
        eventObserver_.RegisterVampOn(int(PlayerEvent::VampOn));
        eventObserver_.RegisterVampOff(int(PlayerEvent::VampOff));
        eventObserver_.RegisterBarBeat(int(PlayerEvent::BarBeat));
        eventObserver_.RegisterSongTitle(int(PlayerEvent::SongTitle));
        eventObserver_.RegisterSongLoaded(int(PlayerEvent::SongLoaded));
        eventObserver_.RegisterStatusFlowControl(int(PlayerEvent::StatusFlowControl));
        eventObserver_.RegisterMidiNotification(int(PlayerEvent::MidiNotification));
        eventObserver_.RegisterLearnedMIDICommand(int(PlayerEvent::LearnedMIDICommand));
        eventObserver_.RegisterMIDICommandCanceled(int(PlayerEvent::MIDICommandCanceled));
        eventObserver_.RegisterStatusVolume(int(PlayerEvent::StatusVolume));
        eventObserver_.RegisterMarker(int(PlayerEvent::Marker));

        SetViewProperty(rootObject_, "showMixer", factory_->showMixer);
        SetViewProperty(rootObject_, "showScore", factory_->showScore);

        serverTask_ = std::make_unique<BackgroundTask>(engine_, rootObject_, QStringLiteral("Show Server"));

        LoadShow();

        SetViewProperty(rootObject_, "cornerLogoSource", factory_->cornerLogoUrl);

        aboutWindow_ = std::make_unique<AboutWindowController>(
            ObjectProperty(rootObject_, "aboutWindow"), engine_, factory_->VersionString(), factory_->aboutLogoUrl,
            QStringLiteral(":/qt/qml/com/tarnwick/") + factory_->folderName
                + QStringLiteral("2_ui/resources/text/acknowledgements.txt"),
            factory_->BuildIdentifier());

        menuController_ = std::make_unique<ResponsiveMenuController>(factory_->showAudioManager, factory_->displayName,
                                                                     ObjectProperty(rootObject_, "menu"), engine_,
                                                                     factory_->oscEnabled);

        wiring_.exchange(true);
        ConnectView();

        // The OSC server starts once here, with the saved settings.
        const QString oscSettingsPath = GetOscSettingsPath();
        if (QFileInfo::exists(oscSettingsPath))
            oscSettings_.Load(oscSettingsPath.toStdString());
        StartOscServer();

        SetViewProperty(rootObject_, "oscEnable", factory_->oscEnabled);

        ConnectOscSender();

        deviceMonitor_ = std::make_unique<OutputDeviceMonitor>([this] { return player_; });
        connect(deviceMonitor_.get(), &OutputDeviceMonitor::warning, this,
                [this](std::string message, std::string title) { ShowDialog(message, title, kWarningKind); });
        connect(deviceMonitor_.get(), &OutputDeviceMonitor::information, this,
                [this](std::string message, std::string title) { onInformation(message, title); });

        ApplyAudioSettings();
    } catch (...) {
        // No engine callback may reach a half-built controller.
        std::lock_guard lock(lifeGuard_->mutex);
        lifeGuard_->self = nullptr;
        throw;
    }
}

MusicalMainController::~MusicalMainController()
{
    // A server request still running is cancelled; its answer never comes.
    serverTask_.reset();
    {
        std::lock_guard lock(lifeGuard_->mutex);
        lifeGuard_->self = nullptr;
    }
    // Nothing more goes out while the show is torn down.
    if (oscSender_)
        oscSender_->ReleasePlayer();
    try {
        if (player_ && !player_->IsStopped())
            player_->Stop();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "shell", std::string("Stopping the player failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "shell", "Stopping the player failed");
    }
    // The edit controller holds the timeline, so it goes first.
    editController_.reset();
    timelineController_.reset();
    caesuraTool_.reset();
    markerTool_.reset();
    // The remaining members go in the reverse of their declaration order.
}

void MusicalMainController::ShowDialog(const std::string& message, const std::string& title, int kind)
{
    try {
        auto dialog = std::make_unique<DialogController>(message, title, kind, rootObject_, engine_);
        messageDialog_ = std::move(dialog);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "shell", title + ": " + message + " (" + e.what() + ")");
    }
}

void MusicalMainController::onInformation(std::string message, std::string title)
{
    ShowDialog(message, title, 2);
}

void MusicalMainController::onError(std::string message, std::string title)
{
    ShowDialog(message, title, 0);
}

bool MusicalMainController::HasUnsavedEdits() const
{
    // The edit controller keeps this model's flag current.
    return editController_ && editModel_ && editModel_->needsSave;
}

QString MusicalMainController::GetDataFolder() const
{
    return factory_->DataFolderPath();
}

QString MusicalMainController::GetSettingsPath() const
{
    return QDir(GetDataFolder()).filePath(QStringLiteral("general_settings.vand"));
}

QString MusicalMainController::GetOscSettingsPath() const
{
    return QDir(GetDataFolder()).filePath(QStringLiteral("osc_settings.vand"));
}

void MusicalMainController::ApplyAudioSettings()
{
    try {
        const QString path = GetSettingsPath();
        const bool exists = QFileInfo::exists(path);
        appSettings_ = std::make_shared<vand::AppSettings>(std::make_unique<QSettings>(path, QSettings::IniFormat));
        if (!exists)
            return;
        appSettings_->Load();
        if (player_) {
            const QByteArray device = appSettings_->GetDefaultOutputDeviceString().toUtf8();
            player_->SetOutputDeviceUid(device.constData());
            player_->SetVolume(appSettings_->GetDefaultVolume(), vand_audio::VolumeType(1));
            // A saved device that is gone is kept in the settings for when it
            // is back; meanwhile the show plays through the default device.
            if (deviceMonitor_)
                deviceMonitor_->Check(device.toStdString());
        }
    } catch (const std::exception& e) {
        onError(e.what(), "Error Setting Audio");
    }
}

void MusicalMainController::LoadShow_()
{
    Guarded(kLoadErrorTitle, [this] { LoadShow(); });
}

void MusicalMainController::LoadShow()
{
    oscManager_.reset();
    oscServer_.reset();
    // The timed OSC sender lets go of its player before that engine shuts down.
    if (oscSender_)
        oscSender_->ReleasePlayer();
    if (showManager_)
        showManager_->ReleasePlayer();

    SetViewProperty(rootObject_, "visible", true);

    dataFolder_ = GetDataFolder().toUtf8().toStdString();
    vand::MakeDirectoryIfNeeded(dataFolder_);

    showIdentity_ = std::make_shared<vand::ShowIdentityService>(fs::u8path(dataFolder_));
    const vand::ShowIdentity identity = showIdentity_->CurrentIdentity();
    showFolder_ = Utf8(fs::u8path(dataFolder_) / fs::u8path(identity.folder));
    showName_ = QString::fromStdString(identity.showName);
    const QString organisation = QString::fromStdString(identity.organisationName);

    // Tear down the previous show.
    mixerController_.reset();
    outputPathsManager_.reset();
    if (editController_) {
        disconnect(this, nullptr, editController_.get(), nullptr);
        editController_.reset();
    }
    timelineController_.reset();
    editModel_.reset();
    showManager_.reset();
    // The score view's controller lets go of the player before it shuts down.
    scoreController_.reset();
    oscSender_.reset();
    if (player_)
        player_->Shutdown();
    player_.reset();

    // The saved "allow incoming OSC" choice is kept across loads; with the
    // product's OSC switch off nothing of OSC starts anyway.
    if (factory_->oscEnabled) {
        // A listen port the server refused is not the default destination
        // either: unresolved events then go to the default port.
        if (!oscSettings_.ListenPortInRange()) {
            kit::Log(kit::LogLevel::Warning, "osc",
                     "The OSC listen port " + std::to_string(oscSettings_.oscListenPort)
                         + " is not a UDP port (1 to 65535); OSC events without a destination go to port "
                         + std::to_string(vand::osc::OscSettings::kDefaultListenPort) + ".");
        }
        oscSender_ = std::make_shared<vand::VandPlayerOscCallback>(oscSettings_.ListenPortOrDefault());
        ConnectOscSender();
    }
    player_ = factory_->CreateAudioInterface(QString::fromStdString(showFolder_), oscSender_);

    showManager_ = std::make_shared<vand::ShowManager>(player_);
    if (oscSender_)
        oscSender_->SetPlayer(player_);

    editModel_ = std::make_shared<EditModel>(showManager_, factory_->oscEnabled);
    timelineController_ = std::make_unique<TimelineController>(ObjectProperty(rootObject_, "timelineControl"), engine_,
                                                               player_, showManager_, editModel_,
                                                               factory_->timelineFadeRegion, factory_->oscEnabled);
    connect(timelineController_.get(), &TimelineController::timelineClicked, this,
            &MusicalMainController::onClearOscQueue);
    TimelineController* timeline = timelineController_.get();
    connect(timeline, SIGNAL(EditSelectedSignal(const cmn::VandEvent*)), this,
            SLOT(onVandEditSelectedExternally(const cmn::VandEvent*)));
    connect(timeline, SIGNAL(EditDraggedSignal(const cmn::VandEvent*, int, int, bool, bool)), this,
            SLOT(onVandEditDragged(const cmn::VandEvent*, int, int, bool, bool)));

    editController_ = std::make_unique<EditController>(
        engine_, showManager_, editModel_, player_,
        qobject_cast<QQuickItem*>(ObjectProperty(rootObject_, "editPanelControl")), *timeline, factory_->oscEnabled);
    EditController* edit = editController_.get();
    connect(edit, SIGNAL(EventItemChangedSignal(EventInfoItem)), this, SLOT(onEventItemChanged(EventInfoItem)));
    connect(edit, SIGNAL(MarkerItemChangedSignal(MarkerInfoItem)), this, SLOT(onMarkerItemChanged(MarkerInfoItem)));
    connect(edit, &QmlController::information, this, &MusicalMainController::onInformation);
    connect(edit, &QmlController::error, this, &MusicalMainController::onError);

    outputPathsManager_ =
        std::make_shared<OutputPathsManagerController>(player_->GetOutputPathMap(), engine_, rootObject_, showFolder_);
    OutputPathsManagerController* paths = outputPathsManager_.get();
    connect(paths, SIGNAL(AddOutputPathSignal(const CL::OutputPath&)), this,
            SLOT(onAddOutputhPath(const CL::OutputPath&)));
    connect(paths, SIGNAL(RemoveOutputPathSignal(const CL::OutputPath&)), this,
            SLOT(onRemoveOutputhPath(const CL::OutputPath&)));
    connect(paths, &QmlController::error, this, &MusicalMainController::onError);
    paths->SetVisible(false);

    SetViewProperty(rootObject_, "title",
                    factory_->displayName + QStringLiteral(" - ") + showName_ + QStringLiteral(" - ") + organisation);

    // At start-up the constructor starts the server, once the saved OSC
    // settings are loaded.
    if (wiring_.load())
        StartOscServer();

    if (factory_->showAlbumArt)
        LoadAlbumArt();

    scoreController_ = std::make_unique<ScoreViewController>(ObjectProperty(rootObject_, "scoreControl"), player_,
                                                             showIdentity_, engine_);
    connect(scoreController_.get(), &QmlController::error, this, &MusicalMainController::onError);
    scoreController_->LoadScore();

    ConnectView();
}

void MusicalMainController::LoadAlbumArt()
{
    const QString path = QString::fromStdString(Utf8(fs::u8path(showFolder_) / "AlbumArtwork.jpg"));
    if (QFileInfo::exists(path)) {
        SetViewProperty(rootObject_, "albumArtImageUrl", QUrl::fromLocalFile(path));
        return;
    }
    kit::Log(kit::LogLevel::Debug, "shell", "Artwork file not found at: " + path.toStdString());
    SetViewProperty(rootObject_, "albumArtImageUrl", QUrl());
    SetViewProperty(rootObject_, "showAlbumArtImage", false);
}

void MusicalMainController::ConnectView()
{
    if (!wiring_.load() || !rootObject_)
        return;
    QObject* window = rootObject_;
    const auto unique = Qt::UniqueConnection;

    connect(window, SIGNAL(play()), this, SLOT(Play_()), unique);
    connect(window, SIGNAL(stop()), this, SLOT(Stop_()), unique);
    connect(window, SIGNAL(pause()), this, SLOT(PauseToggle_()), unique);
    connect(window, SIGNAL(fade(int)), this, SLOT(Fade_(int)), unique);
    connect(window, SIGNAL(continueFlow()), this, SLOT(ContinueFlow_()), unique);
    connect(window, SIGNAL(nextSong()), this, SLOT(NextSong_()), unique);
    connect(window, SIGNAL(prevSong()), this, SLOT(PrevSong_()), unique);
    connect(window, SIGNAL(jumpToBar(QString)), this, SLOT(JumpToBar_(QString)), unique);
    if (ResponsiveMenuController* menu = menuController_.get()) {
        connect(menu, &ResponsiveMenuController::audioManagerClicked, this, &MusicalMainController::ShowAudioManager_,
                unique);
        connect(menu, &ResponsiveMenuController::getLatestChangelogClicked, this,
                &MusicalMainController::GetLatestLogClicked_, unique);
        if (factory_->oscEnabled)
            connect(menu, &ResponsiveMenuController::oscManagerClicked, this, &MusicalMainController::ShowOscManager_,
                    unique);
    }
    EditController* edit = editController_.get();
    if (edit)
        connect(this, SIGNAL(SignalAttaccaUpdate()), edit, SLOT(TriggerAttaccaUpdate()), unique);
    connect(window, SIGNAL(changelogManagerOpened()), this, SLOT(ShowChangelogManager_()), unique);
    connect(window, SIGNAL(outputPathsOpened()), this, SLOT(ShowOutputPaths_()), unique);
    connect(this, SIGNAL(PlayStarted()), window, SIGNAL(playStarted()), unique);
    connect(this, SIGNAL(Stopped()), window, SIGNAL(stopped()), unique);
    connect(this, SIGNAL(Paused()), window, SIGNAL(paused()), unique);
    connect(this, SIGNAL(Fading()), window, SIGNAL(fading()), unique);
    connect(this, SIGNAL(JumpToBarResult(bool)), window, SIGNAL(jumpToBarResult(bool)), unique);
    connect(this, &MusicalMainController::FadeComplete, this, &MusicalMainController::FadeComplete_, unique);
    if (edit) {
        connect(edit, SIGNAL(AttaccaStateChanged(std::string, UInt8)), this,
                SLOT(onAttaccaStageChanged(std::string, UInt8)), unique);
    }
    if (edit)
        connect(edit, SIGNAL(EditButtonSignal(cmn::VandEvent*)), this, SLOT(onEditButton(cmn::VandEvent*)), unique);
    if (TimelineController* timeline = timelineController_.get())
        connect(timeline, &TimelineController::EditDoubleClickedSignal, this,
                &MusicalMainController::onEditDoubleClicked, unique);
    connect(window, SIGNAL(caesuraButtonPressed(int)), this, SLOT(onCaesuraButton(int)), unique);
    connect(window, SIGNAL(markerButtonPressed(int)), this, SLOT(onMarkerButton(int)), unique);
    connect(window, SIGNAL(skipButtonPressed(int, int)), this, SLOT(onSkipButton(int, int)), unique);
    connect(window, SIGNAL(vampButtonPressed(int, int)), this, SLOT(onVampButton(int, int)), unique);
    connect(window, SIGNAL(cutButtonPressed(int, int)), this, SLOT(onCutButton(int, int)), unique);
    connect(window, SIGNAL(transposeButtonPressed(int, int)), this, SLOT(onTransposeButton(int, int)), unique);
    connect(window, SIGNAL(tempoButtonPressed(int, int)), this, SLOT(onTempoButton(int, int)), unique);
    connect(window, SIGNAL(repeatButtonPressed(int, int)), this, SLOT(onRepeatButton(int, int)), unique);
    connect(window, SIGNAL(clickButtonPressed(int, int)), this, SLOT(onClickButton(int, int)), unique);
    if (factory_->oscEnabled)
        connect(window, SIGNAL(oscButtonPressed(int)), this, SLOT(onOscButton(int)), unique);
    if (QObject* editBar = window->findChild<QObject*>(QStringLiteral("editBar"))) {
        connect(editBar, SIGNAL(saveButton()), this, SLOT(onSaveButton()), unique);
        connect(editBar, SIGNAL(shareButton()), this, SLOT(onSaveAndUploadButton()), unique);
    }
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SIGNAL(Closing()), unique);

    if (ResponsiveMenuController* menu = menuController_.get()) {
        using M = ResponsiveMenuController;
        using C = MusicalMainController;
        if (edit) {
            using E = EditController;
            connect(edit, &E::UpdateUndoRedoState, menu, &M::UpdateUndoRedoState, unique);
            connect(menu, &M::UndoRequested, edit, &E::UndoRequested, unique);
            connect(menu, &M::RedoRequested, edit, &E::RedoRequested, unique);
            connect(menu, &M::DeleteRequested, edit, &E::DeleteRequested, unique);
        }
        connect(menu, &M::StopRequested, this, &C::Stop_, unique);
        connect(menu, &M::PlayPauseRequested, this, &C::PauseToggleSlot_, unique);
        connect(menu, &M::ContinuePlayRequested, this, &C::ContinuePlay_, unique);
        // Each jump and seek request first seeks, then drops the held OSC
        // commands.
        connect(menu, &M::JumpToBarStartRequested, this, &C::JumpToBarStartRequested, unique);
        connect(menu, &M::JumpToBarStartRequested, this, &C::onClearOscQueue, unique);
        connect(menu, &M::SeekNextMarkerRequested, this, &C::SeekNextMarkerRequested_, unique);
        connect(menu, &M::SeekNextMarkerRequested, this, &C::onClearOscQueue, unique);
        connect(menu, &M::SeekPrevMarkerRequested, this, &C::SeekPrevMarkerRequested_, unique);
        connect(menu, &M::SeekPrevMarkerRequested, this, &C::onClearOscQueue, unique);
        connect(menu, &M::SeekNextBarRequested, this, &C::SeekNextBarRequested_, unique);
        connect(menu, &M::SeekNextBarRequested, this, &C::onClearOscQueue, unique);
        connect(menu, &M::SeekPrevBarRequested, this, &C::SeekPrevBarRequested_, unique);
        connect(menu, &M::SeekPrevBarRequested, this, &C::onClearOscQueue, unique);
        connect(menu, &M::ZoomInRequested, this, &C::ZoomInRequested_, unique);
        connect(menu, &M::ZoomOutRequested, this, &C::ZoomOutRequested_, unique);
        connect(menu, &M::midiCommandsClicked, this, &C::ShowMidiManager_, unique);
        connect(menu, &M::ViewPastLogsRequested, this, &C::ShowChangelogManager_, unique);
        connect(menu, &M::saveRequested, this, &C::onSaveButton, unique);
        connect(menu, &M::shareRequested, this, &C::onSaveAndUploadButton, unique);
        connect(menu, &M::selectAllRequested, this, &C::onSelectAllRequested_, unique);
    }
}

void MusicalMainController::onAttaccaStageChanged(std::string songNum, UInt8 state)
{
    const bool stored = Guarded(kAttaccaErrorTitle, [&] {
        if (!player_)
            throw std::runtime_error("No show is loaded.");
        player_->SetAttacca(songNum, state);
        if (editController_)
            editController_->SetChangeLogModified();
    });
    // The icons show what the player holds.
    if (!stored && editController_)
        editController_->TriggerAttaccaUpdate();
}

void MusicalMainController::onVandEditSelectedExternally(const cmn::VandEvent* vandEvent)
{
    if (!vandEvent || !editController_)
        return;
    if (vandEvent->code() == codes::kMarker) {
        editController_->ClearEventSelection();
        editController_->onVandMarkerSelectedExternally(vandEvent);
    } else {
        editController_->ClearMarkerSelection();
        editController_->onVandEditSelectedExternally(vandEvent);
    }
}

void MusicalMainController::onEventItemChanged(EventInfoItem item)
{
    Guarded(kEditFailedTitle, [&] {
        if (timelineController_)
            timelineController_->SelectEvent(item);
        if (editController_)
            editController_->ClearMarkerSelection();
    });
}

void MusicalMainController::onMarkerItemChanged(MarkerInfoItem item)
{
    Guarded(kEditFailedTitle, [&] {
        if (timelineController_)
            timelineController_->SelectMarker(item);
        if (editController_)
            editController_->ClearEventSelection();
    });
}

void MusicalMainController::onVandEditDragged(const cmn::VandEvent* vandEvent, int start, int end, bool adjustLeft,
                                              bool adjustRight)
{
    if (!vandEvent || !editController_)
        return;
    std::optional<DragTicks> ticks;
    Guarded(kEditFailedTitle, [&] {
        if (!showManager_)
            throw std::runtime_error("No show is loaded.");
        const std::string song = showManager_->GetCurrentSongNumber();
        ticks = ClampDrag(start, end, showManager_->GetSongStartTickIndex(song), showManager_->GetSongLength(song),
                          adjustLeft, adjustRight);
    });
    if (!ticks)
        return;
    if (!FitsInTicks(*ticks)) {
        onError("The edit could not be completed because: the event does not fit into the song.", kEditFailedTitle);
        editController_->RestoreViews();
        return;
    }
    if (editController_->onVandMoveEvent(*vandEvent, static_cast<UInt32>(ticks->start), static_cast<UInt32>(ticks->end),
                                         adjustLeft, adjustRight)) {
        Guarded(kEditFailedTitle, [this] { editController_->RefreshAfterEdit({}); });
    }
}

void MusicalMainController::onSelectAllRequested_()
{
    Guarded(kEditFailedTitle, [this] {
        if (!player_)
            throw std::runtime_error("No show is loaded.");
        const std::string song = player_->GetCurrentSongNumber();
        const UInt32 start = player_->GetSongAudioStartTick(song);
        const UInt32 end = player_->GetSongAudioEndTick(song);
        QMetaObject::invokeMethod(rootObject_, "setSelectionStart", Q_ARG(QVariant, QVariant(start)));
        QMetaObject::invokeMethod(rootObject_, "setSelectionEnd", Q_ARG(QVariant, QVariant(end)));
    });
}

void MusicalMainController::ShowMidiManager_()
{
    Guarded(kMidiManagerErrorTitle, [this] {
        if (!appSettings_)
            throw std::runtime_error("The application settings are not loaded.");
        appSettings_->Load();
        midiManager_.reset();
        // The player of the show loaded at the time of each call.
        auto player = [this]() -> std::shared_ptr<Interface> {
            return showManager_ ? showManager_->GetPlayer() : nullptr;
        };
        midiManager_ = std::make_unique<MidiManagerController>(engine_, player, appSettings_, rootObject_);
        connect(this, &MusicalMainController::MidiLearned, midiManager_.get(), &MidiManagerController::MidiLearned);
        connect(this, &MusicalMainController::MidiUnlearned, midiManager_.get(), &MidiManagerController::MidiUnlearned);
        midiManager_->SetVisible(true);
    });
}

} // namespace vand::qt
