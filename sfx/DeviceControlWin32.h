#pragma once

// The machine's audio output devices, as Qt Multimedia lists them.
//
// Threads: GetOutputDevices runs on the calling thread, which needs a
// QCoreApplication in the process (the application calls it on its GUI
// thread). An enumerator holds no state between calls; separate objects are
// independent. The endpoint-id texts that records point to live as long as
// the process.

#include "sfx/SfxExport.h"

#include <memory>
#include <string>
#include <vector>

namespace vand::audio {

// One output device. Copying a record copies the `id` pointer; the text it
// points to belongs to the library and stays valid for the life of the
// process, so records, audio paths and lists may keep it.
class SFX_EXPORT AudioDevice
{
public:
    AudioDevice(const wchar_t* id, std::string name, std::string narrowId);

    // The device id as wide text.
    const wchar_t* id;
    // The device's description, UTF-8; shown in device lists.
    std::string name;
    // The device id as UTF-8: what the player engine's output-device
    // selection and the output-path device file take.
    std::string narrowId;
};

class SFX_EXPORT DeviceControlInterface
{
public:
    virtual ~DeviceControlInterface();
    virtual std::vector<AudioDevice> GetOutputDevices() const = 0;
};

class DeviceControlWin32Impl;

class SFX_EXPORT DeviceControlWin32 : public DeviceControlInterface
{
public:
    DeviceControlWin32();
    // The source is left without an implementation and lists nothing.
    DeviceControlWin32(DeviceControlWin32&& other) noexcept;
    DeviceControlWin32& operator=(DeviceControlWin32&& other) noexcept;
    DeviceControlWin32(const DeviceControlWin32&) = delete;
    DeviceControlWin32& operator=(const DeviceControlWin32&) = delete;
    ~DeviceControlWin32() override;

    // The active output devices in the order Qt lists them; the default
    // device is neither marked nor moved. Never throws for a missing or
    // failing sound system: the list is then empty (and one line says so on
    // the standard error stream). Empty on a moved-from object.
    std::vector<AudioDevice> GetOutputDevices() const override;

private:
    std::unique_ptr<DeviceControlWin32Impl> impl_;
};

} // namespace vand::audio
