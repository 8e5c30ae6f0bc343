#pragma once

// The handler of incoming OSC commands. The dispatcher calls it on the GUI
// thread, one message at a time; every operation may throw, and the
// dispatcher reports what it throws through Error.
//
// Levels are linear gains (1.0 is unity); show and song are passed as
// written in the address; the handler decides how they match and checks
// ranges.

#include <string>

namespace vand::osc {

struct OscMessage;

class OscProcInterface
{
public:
    virtual void Stop(const std::string& show, const std::string& song);
    virtual void Play(const std::string& show, const std::string& song);
    virtual void FadeOut(const std::string& show, const std::string& song, float seconds);
    virtual void FadeTo(const std::string& show, const std::string& song, float seconds, float level,
                        bool gotoNextSong);
    virtual void SetVolume(float level);
    virtual void Advance(const std::string& show, const std::string& song);
    virtual void Pause(const std::string& show, const std::string& song);
    virtual void EventCommand(const std::string& show, const std::string& song, const std::string& eventId);
    // Writes "<context>: <message>" and an empty line to standard error.
    virtual void Error(const std::string& message, const std::string& context);
    virtual void SfxPlay(const std::string& show, const std::string& sfxId);
    virtual void SfxStop(const std::string& show, const std::string& sfxId);
    virtual void SfxStopAll(const std::string& show);
    // Every decoded message, before its address is parsed.
    virtual void Notification(const OscMessage& message);
    virtual void SfxFadeTo(const std::string& show, const std::string& sfxId, double level, float milliseconds);
    virtual ~OscProcInterface();
};

} // namespace vand::osc
