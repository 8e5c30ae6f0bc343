#pragma once

// The handler of incoming OSC commands: applies them to the player engine.
// Commands for another show, or for a song that is not the current one, do
// nothing. Fades go to the main controller as signals, so that fades from OSC
// and from the window take one path.
//
// Threads: GUI thread. The dispatcher calls the operations synchronously from
// the OSC server's datagram slot; the signals reach the main controller
// directly. Player calls may throw; the dispatcher reports what they throw.

#include <QObject>

#include <memory>
#include <string>

#include "showcontrol/OscProcInterface.h"

class Interface;

namespace vand {

class VandOscCallbacks : public QObject, public osc::OscProcInterface
{
    Q_OBJECT
public:
    // Fade times are capped at this many seconds (and at 0 below).
    static constexpr float kMaxFadeSeconds = 10.0f;
    static constexpr const char* kPlayErrorContext = "OSC was unable to load and play the specified song number";

    // The player must be present; the show's name is matched in its address
    // form (osc::ToOscName).
    VandOscCallbacks(std::shared_ptr<Interface> player, std::string showName);
    ~VandOscCallbacks() override;

    const std::string& OscShowName() const { return oscShowName_; }

    void Stop(const std::string& show, const std::string& song) override;
    void Play(const std::string& show, const std::string& song) override;
    void FadeOut(const std::string& show, const std::string& song, float seconds) override;
    void FadeTo(const std::string& show, const std::string& song, float seconds, float level,
                bool gotoNextSong) override;
    void SetVolume(float level) override;
    void Advance(const std::string& show, const std::string& song) override;
    void Pause(const std::string& show, const std::string& song) override;
    // Cues an event of the current song by its id: continues when the
    // playhead is on it, else jumps to it (to its end for a region).
    void EventCommand(const std::string& show, const std::string& song, const std::string& eventId) override;
    void Notification(const osc::OscMessage& message) override;

signals:
    // Milliseconds, from 0 to 10000.
    void FadeRequested(float fadeTime);
    // Milliseconds from 0 to 10000; a linear level from 0 to vand_audio::kMaxGain (1 is unity).
    void FadeToRequested(float fadeTime, float targetVolumePercent, bool gotoNextSong);
    // Playback was started or resumed by a command: held outgoing OSC may go.
    void RequestPlayQueudOscEvents();
    // A message arrived (every decoded datagram).
    void Notification();

private:
    bool ShowMatches(const std::string& show) const;
    bool SongMatches(const std::string& song) const;
    void JumpTo(unsigned tick);

    std::shared_ptr<Interface> player_;
    std::string showName_;
    std::string oscShowName_;
};

} // namespace vand
