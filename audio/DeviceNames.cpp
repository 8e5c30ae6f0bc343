#include "audio/DeviceNames.h"

#include <algorithm>

namespace vand::qt {

std::string DeviceDisplayName(const vand::audio::AudioDevice& device,
                              const std::vector<vand::audio::AudioDevice>& devices)
{
    const auto sameName = [&device](const vand::audio::AudioDevice& other) { return other.name == device.name; };
    if (std::count_if(devices.begin(), devices.end(), sameName) < 2)
        return device.name;
    return device.name + " (" + device.narrowId + ")";
}

std::vector<std::string> DeviceDisplayNames(const std::vector<vand::audio::AudioDevice>& devices)
{
    std::vector<std::string> names;
    names.reserve(devices.size());
    for (const vand::audio::AudioDevice& device : devices)
        names.push_back(DeviceDisplayName(device, devices));
    return names;
}

} // namespace vand::qt
