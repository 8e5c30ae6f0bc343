#include "sfx/DeviceControlWin32.h"

#include "DeviceControlWin32Impl.h"

#include <utility>

namespace vand::audio {

AudioDevice::AudioDevice(const wchar_t* id, std::string name, std::string narrowId)
    : id(id)
    , name(std::move(name))
    , narrowId(std::move(narrowId))
{
}

DeviceControlInterface::~DeviceControlInterface() = default;

DeviceControlWin32::DeviceControlWin32()
    : impl_(std::make_unique<DeviceControlWin32Impl>())
{
}

DeviceControlWin32::DeviceControlWin32(DeviceControlWin32&& other) noexcept = default;

DeviceControlWin32& DeviceControlWin32::operator=(DeviceControlWin32&& other) noexcept = default;

DeviceControlWin32::~DeviceControlWin32() = default;

std::vector<AudioDevice> DeviceControlWin32::GetOutputDevices() const
{
    if (!impl_)
        return {};
    return impl_->GetOutputDevices();
}

} // namespace vand::audio
