#pragma once

#include "showcontrol/OscMessage.h"
#include "showcontrol/OscProcInterface.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>
#include <string>

namespace vand::test {

// What a recording handler saw, one line per call, e.g. "Play(show,3)";
// numbers with six significant digits. Lives in the test so that it outlives
// a handler owned by a server.
struct OscCalls
{
    QStringList calls;
    // Name of an operation that throws std::runtime_error("handler failed").
    QString throwFrom;
    // Called after every recorded call.
    std::function<void()> afterCall;
    bool handlerDestroyed = false;
};

class RecordingHandler : public vand::osc::OscProcInterface
{
public:
    explicit RecordingHandler(OscCalls& calls)
        : out_(calls)
    {
    }
    ~RecordingHandler() override { out_.handlerDestroyed = true; }

    static QString Number(double value) { return QString::number(value, 'g', 6); }

    void Stop(const std::string& show, const std::string& song) override { Record("Stop", {show, song}); }
    void Play(const std::string& show, const std::string& song) override { Record("Play", {show, song}); }
    void FadeOut(const std::string& show, const std::string& song, float seconds) override
    {
        Record("FadeOut", {show, song, Text(seconds)});
    }
    void FadeTo(const std::string& show, const std::string& song, float seconds, float level,
                bool gotoNextSong) override
    {
        Record("FadeTo", {show, song, Text(seconds), Text(level), gotoNextSong ? "true" : "false"});
    }
    void SetVolume(float level) override { Record("SetVolume", {Text(level)}); }
    void Advance(const std::string& show, const std::string& song) override { Record("Advance", {show, song}); }
    void Pause(const std::string& show, const std::string& song) override { Record("Pause", {show, song}); }
    void EventCommand(const std::string& show, const std::string& song, const std::string& eventId) override
    {
        Record("EventCommand", {show, song, eventId});
    }
    void Error(const std::string& message, const std::string& context) override { Record("Error", {message, context}); }
    void SfxPlay(const std::string& show, const std::string& sfxId) override { Record("SfxPlay", {show, sfxId}); }
    void SfxStop(const std::string& show, const std::string& sfxId) override { Record("SfxStop", {show, sfxId}); }
    void SfxStopAll(const std::string& show) override { Record("SfxStopAll", {show}); }
    void Notification(const vand::osc::OscMessage& message) override
    {
        Record("Notification", {message.address, std::to_string(message.arguments.size())});
    }
    void SfxFadeTo(const std::string& show, const std::string& sfxId, double level, float milliseconds) override
    {
        Record("SfxFadeTo", {show, sfxId, Text(level), Text(milliseconds)});
    }

private:
    static std::string Text(double value) { return Number(value).toStdString(); }

    void Record(const char* name, std::initializer_list<std::string> arguments)
    {
        QStringList parts;
        for (const std::string& argument : arguments)
            parts << QString::fromStdString(argument);
        out_.calls << QStringLiteral("%1(%2)").arg(QLatin1String(name), parts.join(QLatin1Char(',')));
        if (out_.afterCall)
            out_.afterCall();
        if (out_.throwFrom == QLatin1String(name))
            throw std::runtime_error("handler failed");
    }

    OscCalls& out_;
};

} // namespace vand::test
