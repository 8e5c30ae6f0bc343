#pragma once

// The enumerator behind DeviceControlWin32 (library-internal, not exported).

#include "sfx/DeviceControlWin32.h"

namespace vand::audio {

class DeviceControlWin32Impl : public DeviceControlInterface
{
public:
    ~DeviceControlWin32Impl() override;
    std::vector<AudioDevice> GetOutputDevices() const override;
};

} // namespace vand::audio
