#include "sfx/SfxPlayerInterface.h"

namespace vand::audio {

SfxPlayerInterface::SfxPlayerInterface() = default;
SfxPlayerInterface::SfxPlayerInterface(const SfxPlayerInterface& other) = default;
SfxPlayerInterface& SfxPlayerInterface::operator=(const SfxPlayerInterface& other) = default;
SfxPlayerInterface::~SfxPlayerInterface() = default;

} // namespace vand::audio
