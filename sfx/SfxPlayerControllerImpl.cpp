#include "sfx/SfxPlayerControllerImpl.h"

#include "SfxPlayerControllerParts.h"

#include "kit/Log.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/PackagedVorbisFile.h"
#include "sfx/SfxPlayerConnectionMediator.h"
#include "sfx/SfxPlayerIds.h"
#include "sfx/SfxPlayerImpl.h"
#include "sfx/SfxRepository.h"
#include "sfx/UserAudioFile.h"

#include <QThread>
#include <QUuid>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

namespace vand::audio {

using vand::audio::sfx::SfxDto;
using vand::sfx::ActiveAudioListModel;
using vand::sfx::CustomAudioException;

namespace {

constexpr int kVoices = 16;
constexpr char kNotLoadedMessage[] =
    "SFX Files Map does not contain the desired file, likely due to an issue loading the source file.";

bool IsEffectFileKey(const std::string& key)
{
    return key.size() > 3 && key.compare(key.size() - 4, 4, ".sfx") == 0;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

SfxPlayerControllerImpl* SfxPlayerControllerImpl::instance(std::unique_ptr<SfxRepository>& repository)
{
    static std::once_flag once;
    static SfxPlayerControllerImpl* controller = nullptr;
    std::call_once(once, [&repository] { controller = new SfxPlayerControllerImpl(std::move(repository)); });
    return controller;
}

SfxPlayerControllerImpl::SfxPlayerControllerImpl(std::unique_ptr<SfxRepository> repository)
    : playPool_(std::make_shared<QThreadPool>())
    , fadePool_(std::make_shared<QThreadPool>())
    , stopPool_(std::make_shared<QThreadPool>())
    , activeAudio_(std::make_shared<ActiveAudioListModel>())
    , repository_(std::move(repository))
{
    try {
        manifest_.emplace();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "sfx", std::string("The sound-effect catalogue cannot be read: ") + e.what());
    }
    connect(this, &SfxPlayerControllerImpl::sfxPlayerControllerImplCreated, SfxPlayerConnectionMediator::instance(),
            &SfxPlayerConnectionMediator::registerSfxPlayerController, Qt::DirectConnection);
    for (QThreadPool* pool : {playPool_.get(), fadePool_.get()}) {
        pool->setThreadPriority(QThread::TimeCriticalPriority);
        pool->setMaxThreadCount(kVoices);
    }
    emit sfxPlayerControllerImplCreated(*this);
    connect(activeAudio_.get(), &ActiveAudioListModel::playTrack, this, &SfxPlayerControllerImpl::onPlaySfx);
    connect(activeAudio_.get(), &ActiveAudioListModel::stopTrack, this, &SfxPlayerControllerImpl::onStopSfx);
    connect(activeAudio_.get(), &ActiveAudioListModel::isPinnedChanged, this,
            &SfxPlayerControllerImpl::onIsPinnedChanged);
}

SfxPlayerControllerImpl::~SfxPlayerControllerImpl() = default;

std::size_t SfxPlayerControllerImpl::PlayerCount() const
{
    return players_.size() + retiring_.size();
}

void SfxPlayerControllerImpl::report_(const QString& priority, const QString& message, const QString& what)
{
    kit::Log(priority == QLatin1String("warning") ? kit::LogLevel::Warning : kit::LogLevel::Error, "sfx",
             message.toStdString());
    emit soundEffectError(priority, message, what);
}

SfxPlayerControllerImpl::PlayerEntry& SfxPlayerControllerImpl::entry_(unsigned long long playerId)
{
    const auto it = players_.find(playerId);
    if (it == players_.end())
        throw std::out_of_range(NoPlayer_(playerId));
    return it->second;
}

SfxPlayerImpl& SfxPlayerControllerImpl::player_(unsigned long long playerId)
{
    return *entry_(playerId).player;
}

std::string SfxPlayerControllerImpl::NoPlayer_(unsigned long long playerId)
{
    return "No sound effect player has id " + std::to_string(playerId) + ".";
}

bool SfxPlayerControllerImpl::IsLevel_(double value)
{
    return std::isfinite(value) && value >= 0.0;
}

// Readers --------------------------------------------------------------------

std::shared_ptr<SfxPlayerControllerImpl::FileEntry> SfxPlayerControllerImpl::watch_(
    const std::string& key, std::shared_ptr<DecodedAudioFile> reader)
{
    auto file = std::make_shared<FileEntry>();
    file->key = key;
    file->reader = std::move(reader);
    // Readers announce through this thread's event loop, so nothing is
    // missed by connecting now.
    const std::weak_ptr<FileEntry> weak = file;
    std::erase_if(filesByReader_, [](const auto& named) { return named.second.expired(); });
    filesByReader_[file->reader.get()] = weak;
    connect(file->reader.get(), &DecodedAudioFile::isReady, this, &SfxPlayerControllerImpl::onIsReady);
    connect(file->reader.get(), &DecodedAudioFile::loadFailed, this,
            [this, weak](const QString& priority, const QString& message) {
                if (const auto f = weak.lock())
                    fileFailed_(*f, priority, message);
            });
    files_[key] = file;
    return file;
}

std::shared_ptr<SfxPlayerControllerImpl::FileEntry> SfxPlayerControllerImpl::effectFile_(const std::string& key,
                                                                                         const std::string& path)
{
    if (const auto it = files_.find(key); it != files_.end())
        return it->second;
    return watch_(key, std::make_shared<PackagedVorbisFile>(path));
}

std::shared_ptr<SfxPlayerControllerImpl::FileEntry> SfxPlayerControllerImpl::userFile_(const std::string& key)
{
    if (const auto it = files_.find(key); it != files_.end())
        return it->second;
    for (int attempt = 1;; ++attempt) {
        try {
            return watch_(key, std::make_shared<UserAudioFile>(key));
        } catch (const CustomAudioException& e) {
            if (attempt == 2) {
                report_(Text(e.Priority()), Text(e.Message()), QString::fromUtf8(e.what()));
                throw CustomAudioException("error", kNotLoadedMessage);
            }
        }
    }
}

void SfxPlayerControllerImpl::onIsReady()
{
    // Readers live on this thread and announce through its event loop, so
    // the sender is alive here.
    const auto named = filesByReader_.find(sender());
    if (named == filesByReader_.end())
        return;
    if (const std::shared_ptr<FileEntry> file = named->second.lock())
        guarded_("onIsReady", [&] { fileReady_(*file); });
}

void SfxPlayerControllerImpl::fileReady_(FileEntry& file)
{
    file.state = FileEntry::State::Ready;
    emit sfxIsReady(Text(file.key));
    std::vector<unsigned long long> waiting;
    for (auto& [id, entry] : players_) {
        if (entry.file.get() != &file)
            continue;
        entry.player->SetFile(file.reader.get()); // the duration is known now
        if (entry.waiting)
            waiting.push_back(id);
    }
    for (unsigned long long id : waiting) {
        const auto it = players_.find(id);
        if (it == players_.end() || !it->second.waiting)
            continue;
        const double position = *std::exchange(it->second.waiting, std::nullopt);
        startRun_(id, it->second, position);
    }
}

void SfxPlayerControllerImpl::fileFailed_(FileEntry& file, const QString& priority, const QString& message)
{
    file.state = FileEntry::State::Failed;
    file.failurePriority = priority;
    file.failureMessage = message;
    for (auto& [id, entry] : players_) {
        if (entry.file.get() == &file)
            entry.waiting.reset();
    }
    report_(priority, message, Text(file.key));
}

void SfxPlayerControllerImpl::PreloadFile(const std::string& key)
{
    if (files_.count(key))
        return;
    if (IsEffectFileKey(key)) {
        effectFile_(key, key);
        return;
    }
    try {
        userFile_(key);
    } catch (const CustomAudioException&) {
        // Reported by userFile_; nothing is stored.
    }
}

// Loading and pruning --------------------------------------------------------

void SfxPlayerControllerImpl::onSoundEffectsChanged()
{
    if (QThread::currentThread() != thread()) {
        QMetaObject::invokeMethod(this, &SfxPlayerControllerImpl::onSoundEffectsChanged, Qt::QueuedConnection);
        return;
    }
    guarded_("reload", [this] { reload_(); });
}

void SfxPlayerControllerImpl::reload_()
{
    if (!repository_)
        throw std::runtime_error("Null pointer for sfx repository");
    const std::vector<SfxDto> records = repository_->Get();
    loadSfx(records);
    prunePlayers(records);
}

unsigned long long SfxPlayerControllerImpl::addPlayer_(SfxDto record, const std::shared_ptr<FileEntry>& file,
                                                       unsigned long long playerId, bool custom)
{
    const std::string eventId = record.eventId();
    auto player = std::make_unique<SfxPlayerImpl>(std::move(record), playPool_, stopPool_, fadePool_);
    player->SetFile(file->reader.get());
    connect(player.get(), &SfxPlayerImpl::sfxFinished, this, [this, playerId] { runEnded_(playerId); });
    connect(player.get(), &SfxPlayerImpl::progress, this, &SfxPlayerControllerImpl::onProgress, Qt::UniqueConnection);
    connect(player.get(), &SfxPlayerImpl::sfxFileRequested, this, &SfxPlayerControllerImpl::onSfxFileRequested,
            Qt::DirectConnection);
    idsByPlayer_[player.get()] = playerId;
    if (!eventId.empty())
        eventIds_[eventId] = playerId;
    PlayerEntry entry;
    entry.player = std::move(player);
    entry.file = file;
    entry.custom = custom;
    players_.emplace(playerId, std::move(entry));
    return playerId;
}

void SfxPlayerControllerImpl::loadSfx(const std::vector<SfxDto>& records)
{
    for (SfxDto record : records) {
        const QString which = Text(record.name()) + QStringLiteral(" (") + Text(record.eventId()) + QLatin1Char(')');
        const std::optional<std::string> path =
            record.type() == SfxType::USER_PROVIDED || !manifest_ ? std::nullopt : manifest_->path(record.effectId());
        if (!path) {
            report_(QStringLiteral("error"),
                    QStringLiteral("The sound effect %1 was not loaded: the catalogue has no effect \"%2\".")
                        .arg(which, Text(record.effectId())),
                    Text(record.eventId()));
            continue;
        }
        record.setEffectPath(*path);
        const std::shared_ptr<FileEntry> file = effectFile_(record.effectId(), *path);
        if (const auto named = eventIds_.find(record.eventId()); named != eventIds_.end()) {
            const auto it = players_.find(named->second);
            if (it != players_.end() && it->second.player->SfxData().effectId() == record.effectId()) {
                it->second.player->ReplaceSfxData(record);
                continue;
            }
        }
        addPlayer_(std::move(record), file, detail::NextSfxPlayerId(), false);
    }
}

void SfxPlayerControllerImpl::prunePlayers(const std::vector<SfxDto>& records)
{
    // A player stays while its event lists its effect and the event ids map
    // names it for that event.
    std::vector<unsigned long long> gone;
    for (const auto& [id, entry] : players_) {
        const SfxDto& own = entry.player->SfxData();
        const bool listed = std::any_of(records.begin(), records.end(), [&own](const SfxDto& r) {
            return r.eventId() == own.eventId() && r.effectId() == own.effectId();
        });
        const auto named = eventIds_.find(own.eventId());
        if (!listed || named == eventIds_.end() || named->second != id)
            gone.push_back(id);
    }
    for (unsigned long long id : gone) {
        auto node = players_.extract(id);
        const auto named = eventIds_.find(node.mapped().player->SfxData().eventId());
        if (named != eventIds_.end() && named->second == id)
            eventIds_.erase(named);
        retire_(id, std::move(node.mapped()));
    }
    for (auto it = files_.begin(); it != files_.end();) {
        const bool used =
            std::any_of(records.begin(), records.end(), [&it](const SfxDto& r) { return r.effectId() == it->first; });
        if (IsEffectFileKey(it->first) && !used)
            it = files_.erase(it); // players still playing it hold it
        else
            ++it;
    }
}

void SfxPlayerControllerImpl::retire_(unsigned long long playerId, PlayerEntry entry)
{
    entry.waiting.reset();
    if (entry.runs > 0) {
        entry.player->Stop(true);
        retiring_.emplace(playerId, std::move(entry));
        return;
    }
    dropRow_(playerId);
    idsByPlayer_.erase(entry.player.get());
}

void SfxPlayerControllerImpl::dropRow_(unsigned long long playerId)
{
    if (!activeAudio_->contains(playerId))
        return;
    activeAudio_->setData(playerId, false, ActiveAudioListModel::IsPinnedRole);
    activeAudio_->removeTrack(playerId);
}

// Players made for others ----------------------------------------------------

void SfxPlayerControllerImpl::createSfxPlayer(qulonglong playerId, SfxDto sfx,
                                              std::shared_ptr<std::promise<void>> playerCreated)
{
    answer_(playerCreated, [&] {
        if (players_.count(playerId) || retiring_.count(playerId))
            throw SfxException("The sound effect player id " + std::to_string(playerId) + " is already taken.");
        std::shared_ptr<FileEntry> file;
        if (sfx.type() == SfxType::USER_PROVIDED) {
            file = userFile_(sfx.effectPath());
        } else {
            const std::optional<std::string> path = manifest_ ? manifest_->path(sfx.effectId()) : std::nullopt;
            if (!path)
                throw SfxException("The sound-effect catalogue has no effect \"" + sfx.effectId() + "\".");
            sfx.setEffectPath(*path);
            file = effectFile_(sfx.effectId(), *path);
        }
        addPlayer_(std::move(sfx), file, playerId, false);
        if (file->state == FileEntry::State::Ready)
            emit sfxIsReady(Text(file->key));
    });
}

// Slots of the mediator -------------------------------------------------------

void SfxPlayerControllerImpl::onActiveRepositoryRequested(std::promise<SfxRepository*>* promise)
{
    if (promise)
        promise->set_value(repository_.get());
}

void SfxPlayerControllerImpl::onActiveAudioListRequested(
    std::shared_ptr<std::promise<std::shared_ptr<ActiveAudioListModel>>> promise)
{
    answer_(promise, [this] { return activeAudio_; });
}

void SfxPlayerControllerImpl::onPreloadCustomAudio(QString file)
{
    guarded_("preload", [&] { PreloadFile(file.toStdString()); });
}

void SfxPlayerControllerImpl::onSfxFileRequested(std::string effectId, std::promise<const SfxFileInterface*>& file)
{
    const auto it = files_.find(effectId);
    file.set_value(it == files_.end() ? nullptr : it->second->reader.get());
}

// Per-player operations --------------------------------------------------------

float SfxPlayerControllerImpl::GetDuration(unsigned long long playerId)
{
    return player_(playerId).GetDuration();
}

void SfxPlayerControllerImpl::SetOutputDevice(unsigned long long playerId, const wchar_t* deviceId)
{
    player_(playerId).SetOutputDevice(deviceId);
}

void SfxPlayerControllerImpl::SetVolume(unsigned long long playerId, float volume)
{
    SfxPlayerImpl& player = player_(playerId);
    if (!IsLevel_(volume))
        throw std::invalid_argument("The volume " + std::to_string(volume) + " is refused: it is no level.");
    player.SetVolume(volume);
}

float SfxPlayerControllerImpl::Volume(unsigned long long playerId)
{
    return player_(playerId).Volume();
}

void SfxPlayerControllerImpl::SetReverb(unsigned long long playerId, float reverb)
{
    player_(playerId).SetReverb(reverb);
}

void SfxPlayerControllerImpl::SetPan(unsigned long long playerId, float pan)
{
    player_(playerId).SetPan(pan);
}

void SfxPlayerControllerImpl::SetSfxPath(unsigned long long playerId, const std::string& path)
{
    player_(playerId).SetSfxPath(path);
}

bool SfxPlayerControllerImpl::Done(unsigned long long playerId)
{
    PlayerEntry& entry = entry_(playerId);
    return !entry.waiting && entry.player->Done();
}

void SfxPlayerControllerImpl::WaitUntilDone(unsigned long long playerId)
{
    while (!Done(playerId))
        QThread::msleep(100);
}

bool SfxPlayerControllerImpl::PlaysSameSfx(unsigned long long playerId, const SfxDto& other)
{
    return player_(playerId).PlaysSameSfx(other);
}

std::optional<const SfxDto*> SfxPlayerControllerImpl::SfxData(unsigned long long playerId)
{
    const auto it = players_.find(playerId);
    if (it == players_.end())
        return std::nullopt;
    return &it->second.player->SfxData();
}

std::optional<SfxPlayerInterface*> SfxPlayerControllerImpl::GetPlayer(const std::string& eventId)
{
    const auto named = eventIds_.find(eventId);
    if (named == eventIds_.end())
        return std::nullopt;
    return GetPlayer(named->second);
}

std::optional<SfxPlayerInterface*> SfxPlayerControllerImpl::GetPlayer(unsigned long long playerId)
{
    const auto it = players_.find(playerId);
    if (it == players_.end())
        return std::nullopt;
    return it->second.player.get();
}

std::shared_ptr<ActiveAudioListModel> SfxPlayerControllerImpl::getActiveAudioList()
{
    return activeAudio_;
}

void SfxPlayerControllerImpl::onGetDuration(qulonglong playerId, std::shared_ptr<std::promise<float>> answer)
{
    answer_(answer, [&] { return GetDuration(playerId); });
}

void SfxPlayerControllerImpl::onVolume(qulonglong playerId, std::shared_ptr<std::promise<float>> answer)
{
    answer_(answer, [&] { return Volume(playerId); });
}

void SfxPlayerControllerImpl::onDone(qulonglong playerId, std::shared_ptr<std::promise<bool>> answer)
{
    answer_(answer, [&] { return Done(playerId); });
}

void SfxPlayerControllerImpl::onPlaysSameSfx(qulonglong playerId, SfxDto sfx,
                                             std::shared_ptr<std::promise<bool>> answer)
{
    answer_(answer, [&] { return PlaysSameSfx(playerId, sfx); });
}

void SfxPlayerControllerImpl::onSfxData(qulonglong playerId, std::shared_ptr<std::promise<SfxDto>> answer)
{
    answer_(answer, [&] { return SfxDto(player_(playerId).SfxData()); });
}

void SfxPlayerControllerImpl::onWaitUntilDone(qulonglong playerId)
{
    guarded_("WaitUntilDone", [&] { entry_(playerId); });
}

void SfxPlayerControllerImpl::onSetOutputDevice(qulonglong playerId, std::wstring deviceId)
{
    guarded_("SetOutputDevice", [&] { SetOutputDevice(playerId, deviceId.c_str()); });
}

void SfxPlayerControllerImpl::onSetVolume(qulonglong playerId, float volume)
{
    guarded_("SetVolume", [&] { SetVolume(playerId, volume); });
}

void SfxPlayerControllerImpl::onSetReverb(qulonglong playerId, float reverb)
{
    guarded_("SetReverb", [&] { SetReverb(playerId, reverb); });
}

void SfxPlayerControllerImpl::onSetPan(qulonglong playerId, float pan)
{
    guarded_("SetPan", [&] { SetPan(playerId, pan); });
}

void SfxPlayerControllerImpl::onSetSfxPath(qulonglong playerId, std::string path)
{
    guarded_("SetSfxPath", [&] { SetSfxPath(playerId, path); });
}

void SfxPlayerControllerImpl::onReplaceSfxData(qulonglong playerId, SfxDto sfx)
{
    guarded_("ReplaceSfxData", [&] { player_(playerId).ReplaceSfxData(sfx); });
}

} // namespace vand::audio
