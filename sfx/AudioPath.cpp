#include "sfx/AudioPath.h"

#include <stdexcept>
#include <utility>

namespace vand::audio {

AudioPath::AudioPath(const std::string& name, const AudioDevice& device)
    : name_(name)
    , device_(device)
{
}

AudioPath::AudioPath(const AudioPath& other) = default;

AudioPath::AudioPath(AudioPath&& other)
    : name_(std::move(other.name_))
    , device_(other.device_)
{
}

AudioPath& AudioPath::operator=(const AudioPath& other) = default;

AudioPath& AudioPath::operator=(AudioPath&& other)
{
    if (this != &other) {
        name_ = std::move(other.name_);
        device_ = other.device_;
    }
    return *this;
}

AudioPath::~AudioPath() = default;

std::string AudioPath::Name() const
{
    return name_;
}
const AudioDevice& AudioPath::OutputAudioDevice() const
{
    return device_;
}
void AudioPath::SetOutputAudioDevice(const AudioDevice& device)
{
    device_ = device;
}

AudioPathManager::AudioPathManager() = default;
AudioPathManager::AudioPathManager(const AudioPathManager& other) = default;

AudioPathManager::AudioPathManager(AudioPathManager&& other) noexcept
    : paths_(std::move(other.paths_))
    , nextId_(other.nextId_)
{
    other.paths_.clear();
}

AudioPathManager& AudioPathManager::operator=(const AudioPathManager& other) = default;

AudioPathManager& AudioPathManager::operator=(AudioPathManager&& other) noexcept
{
    if (this != &other) {
        paths_ = std::move(other.paths_);
        other.paths_.clear();
        nextId_ = other.nextId_;
    }
    return *this;
}

AudioPathManager::~AudioPathManager() = default;

int AudioPathManager::AddPath(const AudioPath& path)
{
    const int id = nextId_;
    paths_.emplace(id, path);
    ++nextId_;
    return id;
}

const wchar_t* AudioPathManager::GetDeviceIdFromPathId(int pathId) const
{
    const auto found = paths_.find(pathId);
    if (found == paths_.end())
        throw std::runtime_error("Path Id not found.");
    return found->second.OutputAudioDevice().id;
}

} // namespace vand::audio
