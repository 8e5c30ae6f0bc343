#pragma once

// Named routes for sound effects, each bound to one output device.
//
// Threads: plain values; no shared state.

#include "sfx/DeviceControlWin32.h"
#include "sfx/SfxExport.h"

#include <map>
#include <string>

namespace vand::audio {

class SFX_EXPORT AudioPath
{
public:
    AudioPath(const std::string& name, const AudioDevice& device);
    AudioPath(const AudioPath& other);
    // Moves the name; the device record is copied (its id text is shared).
    AudioPath(AudioPath&& other);
    AudioPath& operator=(const AudioPath& other);
    AudioPath& operator=(AudioPath&& other);
    ~AudioPath();

    std::string Name() const;
    const AudioDevice& OutputAudioDevice() const;
    void SetOutputAudioDevice(const AudioDevice& device);

private:
    std::string name_;
    AudioDevice device_;
};

// Numbers paths from 1000 up; an id is never given twice by one manager (a
// copy continues its source's numbering).
class SFX_EXPORT AudioPathManager
{
public:
    AudioPathManager();
    AudioPathManager(const AudioPathManager& other);
    AudioPathManager(AudioPathManager&& other) noexcept;
    AudioPathManager& operator=(const AudioPathManager& other);
    AudioPathManager& operator=(AudioPathManager&& other) noexcept;
    ~AudioPathManager();

    // Stores a copy of the path under the next id and returns the id.
    int AddPath(const AudioPath& path);
    // The device id of the path's device (the same pointer as the device
    // record's `id`); std::runtime_error "Path Id not found." for an unknown id.
    const wchar_t* GetDeviceIdFromPathId(int pathId) const;

private:
    std::map<int, AudioPath> paths_;
    int nextId_ = 1000;
};

} // namespace vand::audio
