#pragma once

// Qt meta-types of the values that the library's queued signals carry between
// client threads and the player controller's thread. The library registers
// them once when it is loaded.
//
// Threads: declarations only.

#include "sfx/SfxDto.h"
#include "vand_core/qt/MetaTypes.h" // std::string

#include <QMetaType>

#include <future>
#include <memory>
#include <string>

namespace vand::audio {
class SfxRepository;
} // namespace vand::audio

namespace vand::sfx {
class ActiveAudioListModel;
} // namespace vand::sfx

Q_DECLARE_METATYPE(std::wstring)
Q_DECLARE_METATYPE(vand::audio::sfx::SfxDto)
Q_DECLARE_METATYPE(std::shared_ptr<std::promise<void>>)
Q_DECLARE_METATYPE(std::shared_ptr<std::promise<float>>)
Q_DECLARE_METATYPE(std::shared_ptr<std::promise<bool>>)
Q_DECLARE_METATYPE(std::shared_ptr<std::promise<vand::audio::sfx::SfxDto>>)
Q_DECLARE_METATYPE(std::shared_ptr<std::promise<std::shared_ptr<vand::sfx::ActiveAudioListModel>>>)
Q_DECLARE_METATYPE(std::promise<vand::audio::SfxRepository*>*)
