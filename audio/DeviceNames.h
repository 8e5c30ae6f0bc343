#pragma once

// The names under which output devices are shown: a device's description,
// and where another listed device has the same description (two identical
// interfaces, say), its id in parentheses after it, so that every entry of a
// list and every message tells which device it means.
//
// Threads: plain functions of their arguments; any thread.

#include <string>
#include <vector>

#include "sfx/DeviceControlWin32.h"

namespace vand::qt {

// The name of `device` among `devices` (the list it was listed in).
std::string DeviceDisplayName(const vand::audio::AudioDevice& device,
                              const std::vector<vand::audio::AudioDevice>& devices);

// The names of all `devices`, in their order.
std::vector<std::string> DeviceDisplayNames(const std::vector<vand::audio::AudioDevice>& devices);

} // namespace vand::qt
