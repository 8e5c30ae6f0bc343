#pragma once

#include <QString>
#include <functional>
#include <memory>

class Interface;

namespace vand::qt {

// The player of the show loaded now; null when there is none. The MIDI
// manager asks for it at every call.
using PlayerSource = std::function<std::shared_ptr<Interface>()>;

// Where the MIDI manager keeps the name of the input the user chose. GUI
// thread only.
class MidiSourceSettings
{
public:
    virtual ~MidiSourceSettings() = default;

    virtual QString GetMidiSourceName() const = 0;
    virtual void SetMidiSourceName(const QString& name) = 0;
    // Writes the settings out; false when the store reports an error.
    virtual bool Save() = 0;
};

// Runs action; a failure becomes one line on the standard error stream
// naming where it happened, so no exception leaves a slot that QML calls.
void RunMidiManagerAction(const char* where, const std::function<void()>& action);

} // namespace vand::qt
