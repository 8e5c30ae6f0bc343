#include "showcontrol/OscProcInterface.h"

#include "kit/Log.h"

namespace vand::osc {

void OscProcInterface::Stop(const std::string&, const std::string&) {}
void OscProcInterface::Play(const std::string&, const std::string&) {}
void OscProcInterface::FadeOut(const std::string&, const std::string&, float) {}
void OscProcInterface::FadeTo(const std::string&, const std::string&, float, float, bool) {}
void OscProcInterface::SetVolume(float) {}
void OscProcInterface::Advance(const std::string&, const std::string&) {}
void OscProcInterface::Pause(const std::string&, const std::string&) {}
void OscProcInterface::EventCommand(const std::string&, const std::string&, const std::string&) {}

void OscProcInterface::Error(const std::string& message, const std::string& context)
{
    kit::Log(kit::LogLevel::Error, "osc", context + ": " + message + "\n\n");
}

void OscProcInterface::SfxPlay(const std::string&, const std::string&) {}
void OscProcInterface::SfxStop(const std::string&, const std::string&) {}
void OscProcInterface::SfxStopAll(const std::string&) {}
void OscProcInterface::Notification(const OscMessage&) {}
void OscProcInterface::SfxFadeTo(const std::string&, const std::string&, double, float) {}

OscProcInterface::~OscProcInterface() = default;

} // namespace vand::osc
