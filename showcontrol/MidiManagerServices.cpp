#include "showcontrol/MidiManagerServices.h"

#include <exception>
#include <string>

#include "kit/Log.h"

namespace vand::qt {

void RunMidiManagerAction(const char* where, const std::function<void()>& action)
{
    try {
        action();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "midi", std::string("MIDI Manager: ") + where + " failed: " + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "midi", std::string("MIDI Manager: ") + where + " failed.");
    }
}

} // namespace vand::qt
