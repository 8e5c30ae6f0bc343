#include "sfx/SfxFileInterface.h"

#include <utility>

namespace vand::audio {

SfxFileInterface::SfxFileInterface() = default;
SfxFileInterface::SfxFileInterface(const SfxFileInterface& other) = default;
SfxFileInterface& SfxFileInterface::operator=(const SfxFileInterface& other) = default;
SfxFileInterface::~SfxFileInterface() = default;

SfxException::SfxException(std::string message)
    : message_(std::move(message))
{
}
SfxException::SfxException(const SfxException& other) = default;
SfxException& SfxException::operator=(const SfxException& other) = default;
SfxException::~SfxException() = default;

const char* SfxException::what() const noexcept
{
    return message_.c_str();
}

} // namespace vand::audio
