#include "showcontrol/OscCommand.h"

#include "showcontrol/OscMessage.h"
#include "showcontrol/OscProcInterface.h"

#include "kit/Log.h"

#include <cmath>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

namespace vand::osc {

namespace {

using Arguments = std::vector<std::unique_ptr<OscParam>>;

constexpr float kDefaultFadeSeconds = 0.25f;
constexpr float kDefaultFadeToLevel = 0.5f;

bool IsNumber(const OscParam& argument)
{
    return argument.Kind() == OscKindInt32 || argument.Kind() == OscKindFloat32;
}

// A numeric argument as float32; NaN and infinities are refused.
float ReadNumber(const OscParam& argument)
{
    const float value = argument.AsFloat32();
    if (!std::isfinite(value))
        throw std::runtime_error("Parameter is not a finite number.");
    return value;
}

double GainOfDb(double db)
{
    return std::pow(10.0, db / 20.0);
}

// Levels of the fade-to commands come in whole dB, truncated toward zero.
double GainOfWholeDb(const OscParam& argument)
{
    return GainOfDb(std::trunc(ReadNumber(argument)));
}

void RunSfxCommand(OscProcInterface& handler, const OscCommand& command, const Arguments& arguments)
{
    if (arguments.empty()) {
        if (command.action == "play")
            handler.SfxPlay(command.show, command.id);
        else if (command.action == "stop" && command.id == "*")
            handler.SfxStopAll(command.show);
        else if (command.action == "stop")
            handler.SfxStop(command.show, command.id);
        return;
    }
    // A fade needs both its level and its time; with one argument it is ignored.
    if (command.action == "fadeto" && arguments.size() >= 2) {
        const double level = GainOfWholeDb(*arguments[0]);
        const float milliseconds = ReadNumber(*arguments[1]) * 1000.0f;
        handler.SfxFadeTo(command.show, command.id, level, milliseconds);
    }
}

void RunEventCommand(OscProcInterface& handler, const OscCommand& command)
{
    if (command.action != "advance" && command.action != "go")
        throw std::runtime_error("Unknown command for OSC event command.");
    handler.EventCommand(command.show, command.song, command.id);
}

void RunPlayerCommand(OscProcInterface& handler, const OscCommand& command, const Arguments& arguments)
{
    const std::string& action = command.action;
    if (action == "advance" || action == "go") {
        handler.Advance(command.show, command.song);
    } else if (action == "fadeout") {
        const bool given = !arguments.empty() && IsNumber(*arguments[0]);
        handler.FadeOut(command.show, command.song, given ? ReadNumber(*arguments[0]) : kDefaultFadeSeconds);
    } else if (action == "fadeto") {
        float level = kDefaultFadeToLevel;
        float seconds = kDefaultFadeSeconds;
        if (arguments.size() == 2) {
            level = static_cast<float>(GainOfWholeDb(*arguments[0]));
            seconds = ReadNumber(*arguments[1]);
        }
        handler.FadeTo(command.show, command.song, seconds, level, false);
    } else if (action == "stop") {
        handler.Stop(command.show, command.song);
        RunSfxCommand(handler, ParseOscAddress("/vand/sfx/*/stop"), {});
    } else if (action == "play") {
        handler.Play(command.show, command.song);
    } else if (action == "pause") {
        handler.Pause(command.show, command.song);
    } else if (action == "volume") {
        const bool given = !arguments.empty() && IsNumber(*arguments[0]);
        handler.SetVolume(given ? static_cast<float>(GainOfDb(ReadNumber(*arguments[0]))) : 1.0f);
    }
}

void Report(OscProcInterface& handler, const std::string& text) noexcept
{
    try {
        handler.Error(text, kOscCommandErrorContext);
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "osc", std::string(kOscCommandErrorContext) + ": " + text);
    }
}

} // namespace

OscCommand ParseOscAddress(const std::string& address)
{
    if (address.size() < 6)
        throw std::runtime_error("OSC command is too short for processing.");
    if (address.compare(0, 6, "/vand/") != 0)
        throw std::runtime_error("OSC commands to VAND software must start with /vand/");

    std::vector<std::string_view> parts;
    std::string_view rest(address);
    for (;;) {
        const std::size_t slash = rest.find('/');
        parts.push_back(rest.substr(0, slash));
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    if (address.back() == '/')
        parts.pop_back();

    OscCommand command;
    for (std::size_t i = 2; i < parts.size(); i += 2) {
        if (i + 1 == parts.size()) {
            command.action = parts[i];
            break;
        }
        const std::string_view keyword = parts[i];
        const std::string_view value = parts[i + 1];
        if (keyword == "show") {
            command.show = value;
        } else if (keyword == "song") {
            command.song = value;
        } else if (keyword == "event") {
            command.id = value;
            command.isEvent = true;
        } else if (keyword == "sfx") {
            command.id = value;
            command.isSfx = true;
        } else {
            throw std::runtime_error("Unknown OSC command part: " + std::string(keyword));
        }
    }
    return command;
}

void DispatchOscCommand(OscProcInterface* handler, const OscMessage& message) noexcept
{
    if (!handler)
        return;
    try {
        handler->Notification(message);
    } catch (const std::exception& e) {
        Report(*handler, e.what());
    } catch (...) {
        Report(*handler, "Unknown error.");
    }
    try {
        const OscCommand command = ParseOscAddress(message.address);
        if (command.isSfx)
            RunSfxCommand(*handler, command, message.arguments);
        else if (command.isEvent)
            RunEventCommand(*handler, command);
        else
            RunPlayerCommand(*handler, command, message.arguments);
    } catch (const std::exception& e) {
        Report(*handler, e.what());
    } catch (...) {
        Report(*handler, "Unknown error.");
    }
}

std::string ToOscName(const std::string& name)
{
    std::string out = name;
    for (char& c : out) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80)
            c = '_';
        else if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        else if (std::string_view("#,* /?[]{}").find(c) != std::string_view::npos)
            c = '_';
    }
    return out;
}

} // namespace vand::osc
