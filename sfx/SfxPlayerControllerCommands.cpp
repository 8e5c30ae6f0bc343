// The player controller's playback commands and its upkeep of the
// active-audio list. Rows follow the runs the controller starts: a row is
// added (or marked playing) when a run starts, and goes, or stays not playing
// when pinned, once every run started on its player has reported its end. A
// late end of a run that a restart replaced therefore leaves the new run's
// row alone.

#include "sfx/SfxPlayerControllerImpl.h"

#include "SfxPlayerControllerParts.h"

#include "kit/Log.h"
#include "sfx/ActiveAudioListModel.h"
#include "sfx/DecodedAudioFile.h"
#include "sfx/SfxPlayerIds.h"
#include "sfx/SfxPlayerImpl.h"

#include <QUuid>

#include <charconv>
#include <cmath>
#include <limits>

namespace vand::audio {

using vand::audio::sfx::SfxDto;
using vand::sfx::ActiveAudioListModel;
using vand::sfx::CustomAudioException;

namespace {

// A row whose progress is above this resumes there.
constexpr double kResumeFrom = 2.220446049250313e-16;

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// The whole text as a decimal player id; nothing when it is not one.
std::optional<unsigned long long> DecimalId(const std::string& text)
{
    unsigned long long value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value, 10);
    if (text.empty() || error != std::errc() || at != end)
        return std::nullopt;
    return value;
}

// The record a user audio file plays with: what the parameters say, as the
// record's types hold them.
SfxDto CustomRecord(const CustomAudioParameters& parameters, const std::string& eventId)
{
    return SfxDto::builder()
        .name(parameters.name().toStdString())
        .effectPath(parameters.file().toStdString())
        .repeats(parameters.repeats())
        .type(SfxType::USER_PROVIDED)
        .volume(static_cast<float>(parameters.volume()))
        .reverb(static_cast<float>(parameters.reverb()))
        .pan(static_cast<float>(parameters.pan()))
        .fadeIn(static_cast<std::uint16_t>(parameters.fadeIn()))
        .fadeOut(static_cast<std::uint16_t>(parameters.fadeOut()))
        .eventId(eventId)
        .build();
}

void CheckCustomParameters(const CustomAudioParameters& parameters)
{
    constexpr std::uint32_t kMaxFade = std::numeric_limits<std::uint16_t>::max();
    const double volume = parameters.volume();
    if (!std::isfinite(volume) || volume < 0.0 || !std::isfinite(parameters.reverb())
        || !std::isfinite(parameters.pan()) || parameters.fadeIn() > kMaxFade || parameters.fadeOut() > kMaxFade) {
        throw CustomAudioException("error",
                                   "The audio file " + parameters.file().toStdString()
                                       + " was not played: its volume, reverb, pan or fades are out of range.");
    }
}

} // namespace

bool SfxPlayerControllerImpl::playOrWait_(unsigned long long playerId, PlayerEntry& entry, double position)
{
    switch (entry.file->state) {
    case FileEntry::State::Loading:
        entry.waiting = position;
        return true;
    case FileEntry::State::Failed:
        report_(entry.file->failurePriority, entry.file->failureMessage, Text(entry.file->key));
        return false;
    case FileEntry::State::Ready:
        break;
    }
    return startRun_(playerId, entry, position);
}

bool SfxPlayerControllerImpl::startRun_(unsigned long long playerId, PlayerEntry& entry, double position)
{
    bool refused = false;
    const auto refusal = connect(
        entry.player.get(), &SfxPlayerImpl::playRefused, this, [&refused] { refused = true; }, Qt::DirectConnection);
    entry.player->Play(position);
    disconnect(refusal);
    const SfxDto& record = entry.player->SfxData();
    if (refused) {
        report_(QStringLiteral("warning"),
                QStringLiteral("The sound effect %1 was not played: every voice is busy.").arg(Text(record.name())),
                Text(record.eventId()));
        if (entry.runs == 0)
            rowEnded_(playerId);
        return false;
    }
    ++entry.runs;
    emit playingSfx(playerId, Text(record.eventId()));
    const QString path = Text(record.effectPath());
    activeAudio_->addOrPlayTrack(playerId, entry.custom ? path : Text(record.name()), path, record.volume(),
                                 entry.file->reader->Duration(), position, true, false);
    return true;
}

bool SfxPlayerControllerImpl::play(unsigned long long playerId)
{
    const auto it = players_.find(playerId);
    if (it == players_.end()) {
        report_(QStringLiteral("error"), Text(NoPlayer_(playerId)), QStringLiteral("play"));
        return false;
    }
    PlayerEntry& entry = it->second;
    if (entry.waiting)
        return true;
    double position = 0.0;
    if (entry.runs > 0)
        entry.player->Restart();
    else if (activeAudio_->progress(playerId) > kResumeFrom)
        position = activeAudio_->progress(playerId);
    return playOrWait_(playerId, entry, position);
}

unsigned long long SfxPlayerControllerImpl::play(const std::string& id)
{
    if (players_.empty())
        guarded_("reload", [this] { reload_(); });
    std::vector<unsigned long long> matches;
    for (const auto& [playerId, entry] : players_) {
        const SfxDto& record = entry.player->SfxData();
        if (record.name() == id || record.eventId() == id)
            matches.push_back(playerId);
    }
    unsigned long long played = 0;
    for (unsigned long long playerId : matches) {
        PlayerEntry& entry = players_.at(playerId);
        if (entry.runs > 0)
            entry.player->Restart();
        if (entry.waiting || playOrWait_(playerId, entry, 0.0))
            played = playerId;
    }
    if (!matches.empty())
        return played;

    const std::optional<unsigned long long> number = DecimalId(id);
    if (!number) {
        kit::Log(kit::LogLevel::Debug, "sfx",
                 "Invalid request from OSC: cannot play sound effect player with event id " + id);
        return 0;
    }
    if (play(*number))
        return *number;
    kit::Log(kit::LogLevel::Debug, "sfx", "Invalid sound effect id");
    return 0;
}

void SfxPlayerControllerImpl::play(const CustomAudioParameters& parameters)
{
    CheckCustomParameters(parameters);
    const SfxDto wanted = CustomRecord(parameters, std::string());
    std::vector<unsigned long long> idle;
    for (const auto& [playerId, entry] : players_) {
        if (entry.player->SfxData().type() == SfxType::USER_PROVIDED && entry.runs == 0 && !entry.waiting
            && entry.player->PlaysSameSfx(wanted))
            idle.push_back(playerId);
    }
    for (unsigned long long playerId : idle)
        playOrWait_(playerId, players_.at(playerId), 0.0);
    if (!idle.empty())
        return;
    const unsigned long long playerId = createCustomAudioPlayer(parameters);
    playOrWait_(playerId, players_.at(playerId), 0.0);
}

unsigned long long SfxPlayerControllerImpl::createCustomAudioPlayer(const CustomAudioParameters& parameters)
{
    const std::shared_ptr<FileEntry> file = userFile_(parameters.file().toStdString());
    return addPlayer_(CustomRecord(parameters, QUuid::createUuid().toString().toStdString()), file,
                      detail::NextSfxPlayerId(), true);
}

void SfxPlayerControllerImpl::stop(bool isUrgent)
{
    for (auto& [playerId, entry] : players_) {
        entry.waiting.reset();
        entry.player->Stop(isUrgent);
    }
}

void SfxPlayerControllerImpl::stop()
{
    stop(false);
}

void SfxPlayerControllerImpl::stop(unsigned long long playerId)
{
    const auto it = players_.find(playerId);
    if (it == players_.end()) {
        report_(QStringLiteral("error"), Text(NoPlayer_(playerId)), QStringLiteral("stop"));
        return;
    }
    it->second.waiting.reset();
    it->second.player->Stop();
}

void SfxPlayerControllerImpl::stop(const std::string& id)
{
    std::vector<unsigned long long> matches;
    for (const auto& [playerId, entry] : players_) {
        const SfxDto& record = entry.player->SfxData();
        if (record.name() == id || record.eventId() == id)
            matches.push_back(playerId);
    }
    for (unsigned long long playerId : matches)
        stop(playerId);
    if (!matches.empty())
        return;
    const std::optional<unsigned long long> number = DecimalId(id);
    if (!number) {
        kit::Log(kit::LogLevel::Debug, "sfx",
                 "Invalid request from OSC: cannot stop sound effect player with id " + id);
        return;
    }
    stop(*number);
}

void SfxPlayerControllerImpl::stop(const CustomAudioParameters& parameters)
{
    const SfxDto wanted = CustomRecord(parameters, parameters.file().toStdString());
    std::vector<unsigned long long> matches;
    for (const auto& [playerId, entry] : players_) {
        if (entry.player->SfxData().type() == SfxType::USER_PROVIDED && entry.player->PlaysSameSfx(wanted))
            matches.push_back(playerId);
    }
    for (unsigned long long playerId : matches)
        stop(playerId);
}

void SfxPlayerControllerImpl::FadeTo(std::string eventId, float volume, float milliseconds)
{
    if (!IsLevel_(volume) || !IsLevel_(milliseconds)
        || milliseconds > static_cast<float>(std::numeric_limits<unsigned int>::max())) {
        report_(QStringLiteral("warning"),
                QStringLiteral("The fade of %1 to %2 over %3 ms was refused: a level and a time must be real "
                               "amounts of at least 0.")
                    .arg(Text(eventId))
                    .arg(volume)
                    .arg(milliseconds),
                QStringLiteral("FadeTo"));
        return;
    }
    const auto named = eventIds_.find(eventId);
    if (named == eventIds_.end() || !players_.count(named->second)) {
        report_(QStringLiteral("error"),
                QStringLiteral("No sound effect player plays the event %1.").arg(Text(eventId)),
                QStringLiteral("FadeTo"));
        return;
    }
    players_.at(named->second).player->FadeTo(volume, static_cast<unsigned int>(milliseconds));
}

void SfxPlayerControllerImpl::SetPosition(unsigned long long playerId, double position)
{
    const auto it = players_.find(playerId);
    if (it != players_.end() && std::isfinite(position))
        it->second.player->SetPosition(position);
}

// Slots ------------------------------------------------------------------------

void SfxPlayerControllerImpl::onPlaySfx(qulonglong playerId)
{
    guarded_("play", [&] { play(static_cast<unsigned long long>(playerId)); });
}

void SfxPlayerControllerImpl::onStopSfx(qulonglong playerId, bool isUrgent)
{
    guarded_("stop", [&] {
        if (!isUrgent) {
            stop(static_cast<unsigned long long>(playerId));
            return;
        }
        PlayerEntry& entry = entry_(playerId);
        entry.waiting.reset();
        entry.player->Stop(true);
    });
}

void SfxPlayerControllerImpl::onFadeRequested(qulonglong playerId, double volume, uint duration)
{
    if (!IsLevel_(volume)) {
        report_(QStringLiteral("warning"),
                QStringLiteral("The fade of player %1 to %2 was refused: a level must be a real amount of at least 0.")
                    .arg(playerId)
                    .arg(volume),
                QStringLiteral("FadeTo"));
        return;
    }
    guarded_("FadeTo", [&] { player_(playerId).FadeTo(static_cast<float>(volume), duration); });
}

void SfxPlayerControllerImpl::restart(qulonglong playerId)
{
    guarded_("restart", [&] {
        PlayerEntry& entry = entry_(playerId);
        entry.player->Restart();
        playOrWait_(playerId, entry, 0.0);
    });
}

void SfxPlayerControllerImpl::onPlayerDone(QString eventId)
{
    const auto named = eventIds_.find(eventId.toStdString());
    const auto it = named == eventIds_.end() ? players_.end() : players_.find(named->second);
    if (it == players_.end()) {
        report_(QStringLiteral("error"), QStringLiteral("No sound effect player plays the event %1.").arg(eventId),
                QStringLiteral("onPlayerDone"));
        return;
    }
    if (it->second.runs == 0 && !it->second.waiting)
        rowEnded_(it->first);
}

void SfxPlayerControllerImpl::onProgress(double progress)
{
    const auto it = idsByPlayer_.find(sender());
    if (it != idsByPlayer_.end())
        activeAudio_->setData(it->second, progress, ActiveAudioListModel::ProgressRole);
}

void SfxPlayerControllerImpl::onIsPinnedChanged(qulonglong playerId, bool isPinned)
{
    if (isPinned)
        return;
    // The list announces the change from inside its own write of the row, so
    // the row goes once that write is over.
    QMetaObject::invokeMethod(
        this,
        [this, playerId] {
            const auto it = players_.find(playerId);
            if (it != players_.end() && (it->second.runs > 0 || it->second.waiting))
                return;
            activeAudio_->removeTrack(playerId);
        },
        Qt::QueuedConnection);
}

// Row upkeep -------------------------------------------------------------------

void SfxPlayerControllerImpl::runEnded_(unsigned long long playerId)
{
    if (const auto it = players_.find(playerId); it != players_.end()) {
        if (it->second.runs > 0)
            --it->second.runs;
        if (it->second.runs == 0 && !it->second.waiting)
            rowEnded_(playerId);
        return;
    }
    if (const auto it = retiring_.find(playerId); it != retiring_.end()) {
        if (--it->second.runs > 0)
            return;
        dropRow_(playerId);
        idsByPlayer_.erase(it->second.player.get());
        retiring_.erase(it);
    }
}

void SfxPlayerControllerImpl::rowEnded_(unsigned long long playerId)
{
    if (activeAudio_->contains(playerId) && !activeAudio_->removeTrack(playerId))
        activeAudio_->setData(playerId, false, ActiveAudioListModel::IsPlayingRole);
}

} // namespace vand::audio
