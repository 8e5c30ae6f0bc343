#include "sfx/SfxMetaTypes.h"

#include <QtGlobal>

namespace {

// Runs when the library is loaded, before any client can make a player.
void RegisterSfxMetaTypes()
{
    qRegisterMetaType<std::string>("std::string");
    qRegisterMetaType<std::wstring>("std::wstring");
    qRegisterMetaType<qulonglong>("qulonglong");
    qRegisterMetaType<vand::audio::sfx::SfxDto>("vand::audio::sfx::SfxDto");
    qRegisterMetaType<std::shared_ptr<std::promise<void>>>("std::shared_ptr<std::promise<void>>");
    qRegisterMetaType<std::shared_ptr<std::promise<float>>>("std::shared_ptr<std::promise<float>>");
    qRegisterMetaType<std::shared_ptr<std::promise<bool>>>("std::shared_ptr<std::promise<bool>>");
    qRegisterMetaType<std::shared_ptr<std::promise<vand::audio::sfx::SfxDto>>>(
        "std::shared_ptr<std::promise<vand::audio::sfx::SfxDto>>");
    qRegisterMetaType<std::shared_ptr<std::promise<std::shared_ptr<vand::sfx::ActiveAudioListModel>>>>(
        "std::shared_ptr<std::promise<std::shared_ptr<vand::sfx::ActiveAudioListModel>>>");
    qRegisterMetaType<std::promise<vand::audio::SfxRepository*>*>("std::promise<vand::audio::SfxRepository*>*");
}

} // namespace

Q_CONSTRUCTOR_FUNCTION(RegisterSfxMetaTypes)
