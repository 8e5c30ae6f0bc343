// Audio devices and output paths: the Audio Manager and what it applies, the
// Output Paths window, and the paths it hands to the engine.

#include <QByteArray>
#include <QString>
#include <stdexcept>
#include <string>

#include "app/AppSettings.h"
#include "app/MusicalMainController.h"
#include "audio/AudioManagerController.h"
#include "audio/OutputDeviceMonitor.h"
#include "audio/OutputPathsManagerController.h"
#include "edit/EditController.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

const char* kAudioManagerErrorTitle = "Error Configuring Audio";
const char* kAudioSettingsErrorTitle = "Error Updating Audio Settings";
const char* kOutputPathErrorTitle = "Output Path Not Changed";
const char* kOutputPathsWindowErrorTitle = "Output Paths Error";

} // namespace

void MusicalMainController::ShowAudioManager_()
{
    Guarded(kAudioManagerErrorTitle, [this] {
        audioManager_.reset();
        audioManager_ = std::make_unique<AudioManagerController>(engine_, player_, rootObject_);
        connect(audioManager_.get(), &QmlController::error, this, &MusicalMainController::onError);
        connect(audioManager_.get(), &AudioManagerController::audioSettingsUpdated, this,
                &MusicalMainController::onAudioSettingsUpdated);
        audioManager_->SetVisible(true);
    });
}

void MusicalMainController::onAudioSettingsUpdated()
{
    QString device;
    const bool applied = Guarded(kAudioSettingsErrorTitle, [&] {
        if (!audioManager_ || !player_ || !appSettings_)
            throw std::runtime_error("No show is loaded.");
        device = audioManager_->GetOutputDeviceUid();
        player_->Stop();
        player_->SetOutputDeviceUid(device.toUtf8().constData());
        const double volume = audioManager_->GetOutputVolume();
        player_->SetVolume(volume, vand_audio::VolumeType(1));
        appSettings_->SetDefaultVolume(volume);
        appSettings_->SetDefaultOutputDeviceString(device);
        if (!appSettings_->Save())
            throw std::runtime_error("The settings could not be written to " + GetSettingsPath().toStdString() + ".");
    });
    if (applied && deviceMonitor_)
        Guarded(kAudioSettingsErrorTitle, [&] { deviceMonitor_->Check(device.toUtf8().toStdString()); });
}

void MusicalMainController::ShowOutputPaths_()
{
    Guarded(kOutputPathsWindowErrorTitle, [this] {
        if (!outputPathsManager_)
            throw std::runtime_error("No show is loaded.");
        outputPathsManager_->SetVisible(true);
    });
}

void MusicalMainController::onAddOutputhPath(CL::OutputPath path)
{
    Guarded(kOutputPathErrorTitle, [&] {
        if (!player_)
            throw std::runtime_error("No show is loaded.");
        player_->onAddOutputhPath(path);
        // Save stays enabled and Quit asks, as for any edit.
        if (editController_)
            editController_->SetChangeLogModified();
    });
}

void MusicalMainController::onRemoveOutputhPath(CL::OutputPath path)
{
    Guarded(kOutputPathErrorTitle, [&] {
        if (!player_)
            throw std::runtime_error("No show is loaded.");
        player_->onRemoveOutputhPath(path);
        if (editController_)
            editController_->SetChangeLogModified();
    });
}

} // namespace vand::qt
