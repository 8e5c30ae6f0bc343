#include "showcontrol/VandOscCallbacks.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <stdexcept>

#include "CL/ActiveChangeLog.h"
#include "showcontrol/OscCommand.h"
#include "vand_audio/VolumeType.h"
#include "vand_player_core/Interface.h"

namespace vand {

namespace {

// A linear level the engine may take: from silence to its highest gain.
float ClampLevel(float level)
{
    if (std::isnan(level))
        throw std::invalid_argument("The OSC level is not a number.");
    return std::clamp(level, 0.0f, static_cast<float>(vand_audio::kMaxGain));
}

float FadeMilliseconds(float seconds)
{
    if (std::isnan(seconds))
        throw std::invalid_argument("The OSC fade time is not a number.");
    return std::clamp(seconds, 0.0f, VandOscCallbacks::kMaxFadeSeconds) * 1000.0f;
}

} // namespace

VandOscCallbacks::VandOscCallbacks(std::shared_ptr<Interface> player, std::string showName)
    : QObject(nullptr)
    , player_(std::move(player))
    , showName_(std::move(showName))
    , oscShowName_(osc::ToOscName(showName_))
{
    if (!player_)
        throw std::invalid_argument("The OSC command handler needs a player.");
}

VandOscCallbacks::~VandOscCallbacks() = default;

bool VandOscCallbacks::ShowMatches(const std::string& show) const
{
    return show.empty() || show == oscShowName_;
}

bool VandOscCallbacks::SongMatches(const std::string& song) const
{
    const std::string current = player_->GetCurrentSongNumber();
    return song.empty() || song == current;
}

void VandOscCallbacks::Stop(const std::string& show, const std::string& song)
{
    if (!ShowMatches(show) || !SongMatches(song))
        return;
    player_->Stop();
}

void VandOscCallbacks::Play(const std::string& show, const std::string& song)
{
    if (!ShowMatches(show))
        return;
    if (SongMatches(song)) {
        player_->Stop();
        player_->Play();
        emit RequestPlayQueudOscEvents();
        return;
    }
    try {
        if (!player_->SongExists(song))
            throw std::runtime_error("Song " + song + " does not exist.");
        player_->LoadSong(player_->GetActualSongNumber(song));
        player_->Play();
        emit RequestPlayQueudOscEvents();
    } catch (const std::exception& e) {
        Error(e.what(), kPlayErrorContext);
    }
}

void VandOscCallbacks::FadeOut(const std::string& show, const std::string& song, float seconds)
{
    if (!ShowMatches(show) || !SongMatches(song))
        return;
    emit FadeRequested(FadeMilliseconds(seconds));
}

void VandOscCallbacks::FadeTo(const std::string& show, const std::string& song, float seconds, float level,
                              bool gotoNextSong)
{
    if (!ShowMatches(show) || !SongMatches(song))
        return;
    emit FadeToRequested(FadeMilliseconds(seconds), ClampLevel(level), gotoNextSong);
}

void VandOscCallbacks::SetVolume(float level)
{
    player_->SetVolume(static_cast<double>(ClampLevel(level)));
}

void VandOscCallbacks::Advance(const std::string& show, const std::string& song)
{
    if (!ShowMatches(show) || !SongMatches(song))
        return;
    player_->Continue();
    emit RequestPlayQueudOscEvents();
}

void VandOscCallbacks::Pause(const std::string& show, const std::string& song)
{
    if (!ShowMatches(show) || !SongMatches(song))
        return;
    if (player_->GetIsPaused()) {
        player_->Continue();
        emit RequestPlayQueudOscEvents();
    } else {
        player_->Pause(false);
    }
}

void VandOscCallbacks::EventCommand(const std::string& show, const std::string& song, const std::string& eventId)
{
    if (!ShowMatches(show) || !SongMatches(song))
        return;
    // The current song's own events: the editor's selection may still name
    // the previous song right after a song change.
    const CL::SongLog* songLog = player_->GetSongLog();
    if (!songLog)
        return;
    bool found = false;
    unsigned start = 0;
    unsigned end = 0;
    {
        // Song logs change on this thread only; the lock keeps out the
        // sound-effect calls of other threads while the records are read.
        std::lock_guard lock(CL::ActiveChangeLogMutex());
        for (const cmn::VandEvent* event : songLog->GetAllEvents()) {
            if (event->EventId() == eventId) {
                start = event->start();
                end = event->end();
                found = true;
                break;
            }
        }
    }
    if (!found)
        return;

    const unsigned playhead = player_->GetTickIndex();
    if (end != 0) {
        if (start <= playhead && playhead <= end)
            player_->Continue();
        else
            JumpTo(end);
        return;
    }
    if (playhead == start) {
        player_->Continue();
        emit RequestPlayQueudOscEvents();
    } else {
        JumpTo(start);
    }
}

void VandOscCallbacks::JumpTo(unsigned tick)
{
    const std::string current = player_->GetCurrentSongNumber();
    if (tick < player_->GetSongAudioEndTick(current)) {
        player_->Pause(false);
        player_->Seek(tick);
        player_->Continue();
        emit RequestPlayQueudOscEvents();
        return;
    }
    const unsigned char attacca = player_->GetAttacca(current);
    player_->NextSong();
    if (attacca == 1) {
        player_->Continue();
        emit RequestPlayQueudOscEvents();
    }
}

void VandOscCallbacks::Notification(const osc::OscMessage&)
{
    emit Notification();
}

} // namespace vand
