#pragma once

// The command language carried in OSC addresses and its dispatcher.
//
// An address is "/vand/" followed by pairs (keyword, value) with the
// keywords "show", "song", "event" and "sfx", in any order and repeated at
// will (the last value wins), then the action:
//   /vand/play   /vand/song/12/play   /vand/event/E5/go   /vand/sfx/*/stop
//
// Threads: plain functions, called on the GUI thread by the OSC server, one
// message at a time.

#include <string>

namespace vand::osc {

struct OscMessage;
class OscProcInterface;

// Context under which the dispatcher reports its failures.
inline constexpr const char* kOscCommandErrorContext = "Unable to process OSC command";

struct OscCommand
{
    std::string show;
    std::string song;
    std::string id;     // after "event" or "sfx", whichever came last
    std::string action; // empty when the address ends with a pair
    bool isEvent = false;
    bool isSfx = false;
};

// Throws std::runtime_error when the address is not a command.
OscCommand ParseOscAddress(const std::string& address);

// Calls Notification with the message, then at most one command operation
// (Stop and SfxStopAll for "stop"). Every failure, the handler's own
// included, goes to the handler's Error; never throws. A null handler does
// nothing.
void DispatchOscCommand(OscProcInterface* handler, const OscMessage& message) noexcept;

// The address form of a show's name: lower-case ASCII, and '_' for each byte
// of a multi-byte character and for each of # , * blank / ? [ ] { }.
std::string ToOscName(const std::string& name);

} // namespace vand::osc
