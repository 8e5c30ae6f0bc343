#pragma once

// The one player controller of the process: owns every sound-effect player,
// builds one for each sound-effect event of the show's repository from the
// installed catalogue, caches the effect-file readers they share, prunes the
// players whose events are gone, plays, stops, restarts and fades them, and
// keeps the active-audio list in step with what plays.
//
// Threads: the controller lives on the thread that first called instance(),
// which must run a Qt event loop: readers announce their load, runs their
// progress and end, and client threads their requests (through the
// connection mediator and player proxies) by queued events to it. Every
// operation and slot runs on that thread, and all of the controller's maps
// are touched only there, reloads included. Slots never throw: a failure of
// a command is reported by soundEffectError, a failed query by the exception
// in its promise. Playback runs on the play pool (16 time-critical voices),
// fades on a second pool configured the same way, stop requests on one shared
// stop pool.

#include "sfx/SfxExport.h"
#include "sfx/SfxManifest.h"
#include "sfx/SfxMetaTypes.h"
#include "sfx/SfxPlayerController.h"

#include <QObject>
#include <QString>
#include <QThreadPool>

#include <future>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

namespace vand::sfx {
class ActiveAudioListModel;
} // namespace vand::sfx

namespace vand::audio {

class DecodedAudioFile;
class SfxFileInterface;
class SfxPlayerImpl;
class SfxRepository;

class SFX_EXPORT SfxPlayerControllerImpl : public QObject, public SfxPlayerControllerInterface
{
    Q_OBJECT

public:
    // The first call creates the controller on the calling thread and takes
    // the repository out of the pointer; later calls return the same
    // controller and leave the pointer alone. Never destroyed.
    static SfxPlayerControllerImpl* instance(std::unique_ptr<vand::audio::SfxRepository>& repository);

    using SfxPlayerControllerInterface::stop;

    void play(const vand::audio::CustomAudioParameters& parameters) override;
    unsigned long long play(const std::string& id) override;
    bool play(unsigned long long playerId) override;
    void stop(bool isUrgent) override;
    void stop(const vand::audio::CustomAudioParameters& parameters) override;
    void stop(const std::string& id) override;
    void stop(unsigned long long playerId) override;
    void stop() override;
    float GetDuration(unsigned long long playerId) override;
    void SetOutputDevice(unsigned long long playerId, const wchar_t* deviceId) override;
    void SetVolume(unsigned long long playerId, float volume) override;
    float Volume(unsigned long long playerId) override;
    void SetReverb(unsigned long long playerId, float reverb) override;
    void SetPan(unsigned long long playerId, float pan) override;
    void SetSfxPath(unsigned long long playerId, const std::string& path) override;
    bool Done(unsigned long long playerId) override;
    void WaitUntilDone(unsigned long long playerId) override;
    bool PlaysSameSfx(unsigned long long playerId, const vand::audio::sfx::SfxDto& other) override;
    std::optional<const vand::audio::sfx::SfxDto*> SfxData(unsigned long long playerId) override;
    std::optional<vand::audio::SfxPlayerInterface*> GetPlayer(const std::string& eventId) override;
    std::optional<vand::audio::SfxPlayerInterface*> GetPlayer(unsigned long long playerId) override;
    void PreloadFile(const std::string& key) override;
    void FadeTo(std::string eventId, float volume, float milliseconds) override;
    std::shared_ptr<vand::sfx::ActiveAudioListModel> getActiveAudioList() override;
    // Players held, pruned ones still playing included.
    std::size_t PlayerCount() const;

public slots:
    // Makes the player of a proxy and fulfils the promise, or stores the
    // reason it could not (id taken, effect not in the catalogue, file not
    // decodable) in it.
    void createSfxPlayer(qulonglong playerId, vand::audio::sfx::SfxDto sfx,
                         std::shared_ptr<std::promise<void>> playerCreated);
    // Reloads the players from the repository: a player for each event, a
    // reader for each effect, and the players of events that are gone
    // pruned (a playing one is cut and goes when its run has ended).
    void onSoundEffectsChanged();
    void onActiveRepositoryRequested(std::promise<vand::audio::SfxRepository*>* promise);
    void onActiveAudioListRequested(
        std::shared_ptr<std::promise<std::shared_ptr<vand::sfx::ActiveAudioListModel>>> promise);
    void onPreloadCustomAudio(QString file);
    // A reader has loaded (its isReady): players waiting for it start, and
    // sfxIsReady names its key.
    void onIsReady();
    // The cached reader of the key, or null.
    void onSfxFileRequested(std::string effectId, std::promise<const vand::audio::SfxFileInterface*>& file);

    void onGetDuration(qulonglong playerId, std::shared_ptr<std::promise<float>> answer);
    void onVolume(qulonglong playerId, std::shared_ptr<std::promise<float>> answer);
    void onDone(qulonglong playerId, std::shared_ptr<std::promise<bool>> answer);
    void onPlaysSameSfx(qulonglong playerId, vand::audio::sfx::SfxDto sfx, std::shared_ptr<std::promise<bool>> answer);
    // A copy of the player's record.
    void onSfxData(qulonglong playerId, std::shared_ptr<std::promise<vand::audio::sfx::SfxDto>> answer);
    // A client's WaitUntilDone has begun. The client polls Done from its own
    // thread, so nothing waits here (a wait on this thread would hold up
    // every other client); an unknown player is reported.
    void onWaitUntilDone(qulonglong playerId);

    void onSetOutputDevice(qulonglong playerId, std::wstring deviceId);
    void onSetVolume(qulonglong playerId, float volume);
    void onSetReverb(qulonglong playerId, float reverb);
    void onSetPan(qulonglong playerId, float pan);
    void onSetSfxPath(qulonglong playerId, std::string path);
    void onReplaceSfxData(qulonglong playerId, vand::audio::sfx::SfxDto sfx);

    void onPlaySfx(qulonglong playerId);
    void onStopSfx(qulonglong playerId, bool isUrgent = false);
    void onFadeRequested(qulonglong playerId, double volume, uint duration);
    // Ends the player's runs at once and plays it again from the start; the
    // row stays, playing.
    void restart(qulonglong playerId);
    // Moves the player's runs to `position` (0 to 1) of their pass; an
    // unknown id or a position that is no number is ignored.
    void SetPosition(unsigned long long playerId, double position) override;
    // The event's player has no run left: its row goes, or stays not playing
    // when pinned.
    void onPlayerDone(QString eventId);
    // The sending player's row takes the progress.
    void onProgress(double progress);
    // An unpinned row of a player that plays nothing goes.
    void onIsPinnedChanged(qulonglong playerId, bool isPinned);

signals:
    void sfxPlayerControllerImplCreated(vand::audio::SfxPlayerControllerImpl& controller);
    // The reader of the effect id (or preloaded key) has loaded.
    void sfxIsReady(QString effectId);
    // A request failed: priority "error" or "warning", a message for the
    // user, and what failed.
    void soundEffectError(QString priority, QString message, QString what);
    // A run of the player has started.
    void playingSfx(qulonglong playerId, QString eventId);
    // Declared for clients that connect to them by name; the controller
    // answers its queries through promises instead and emits none of these.
    void sfxPlayerImplCreated(qulonglong playerId);
    void duration(qulonglong playerId, float seconds);
    void volume(qulonglong playerId, float volume);
    void done(qulonglong playerId, bool done);
    void playsSameSfx(qulonglong playerId, bool same);
    void sfxData(qulonglong playerId, vand::audio::sfx::SfxDto sfx);
    void initialize();
    void restartRequest(QString& eventId);

private:
    struct FileEntry;
    struct PlayerEntry;

    explicit SfxPlayerControllerImpl(std::unique_ptr<vand::audio::SfxRepository> repository);
    ~SfxPlayerControllerImpl() override;

    PlayerEntry& entry_(unsigned long long playerId);
    SfxPlayerImpl& player_(unsigned long long playerId);
    void reload_();
    void loadSfx(const std::vector<vand::audio::sfx::SfxDto>& records);
    void prunePlayers(const std::vector<vand::audio::sfx::SfxDto>& records);
    void retire_(unsigned long long playerId, PlayerEntry entry);
    unsigned long long createCustomAudioPlayer(const vand::audio::CustomAudioParameters& parameters);
    unsigned long long addPlayer_(vand::audio::sfx::SfxDto record, const std::shared_ptr<FileEntry>& file,
                                  unsigned long long playerId, bool custom);
    std::shared_ptr<FileEntry> effectFile_(const std::string& key, const std::string& path);
    std::shared_ptr<FileEntry> userFile_(const std::string& key);
    std::shared_ptr<FileEntry> watch_(const std::string& key, std::shared_ptr<DecodedAudioFile> reader);
    void fileReady_(FileEntry& file);
    void fileFailed_(FileEntry& file, const QString& priority, const QString& message);
    bool playOrWait_(unsigned long long playerId, PlayerEntry& entry, double position);
    bool startRun_(unsigned long long playerId, PlayerEntry& entry, double position);
    void runEnded_(unsigned long long playerId);
    void rowEnded_(unsigned long long playerId);
    void dropRow_(unsigned long long playerId);
    static std::string NoPlayer_(unsigned long long playerId);
    // Levels and times from clients are refused when they are no real amount.
    static bool IsLevel_(double value);
    void report_(const QString& priority, const QString& message, const QString& what);
    template <class Action>
    void guarded_(const char* what, Action&& action);
    template <class T, class Query>
    void answer_(const std::shared_ptr<std::promise<T>>& promise, Query&& query);

    std::unordered_map<std::string, std::shared_ptr<FileEntry>> files_;
    std::map<unsigned long long, PlayerEntry> players_;
    std::unordered_map<std::string, unsigned long long> eventIds_;
    std::optional<vand::sfx::SfxManifest> manifest_;
    std::shared_ptr<QThreadPool> playPool_;
    std::shared_ptr<QThreadPool> fadePool_;
    std::shared_ptr<QThreadPool> stopPool_;
    std::shared_ptr<vand::sfx::ActiveAudioListModel> activeAudio_;
    std::unique_ptr<vand::audio::SfxRepository> repository_;
    // Players pruned while a run played: cut, and deleted when it has ended.
    std::map<unsigned long long, PlayerEntry> retiring_;
    std::unordered_map<const QObject*, unsigned long long> idsByPlayer_;
    // The file entry of each reader, for onIsReady's sender.
    std::unordered_map<const QObject*, std::weak_ptr<FileEntry>> filesByReader_;
};

} // namespace vand::audio
