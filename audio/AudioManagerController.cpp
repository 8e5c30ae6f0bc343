#include "audio/AudioManagerController.h"

#include <QStringList>
#include <QUrl>
#include <QVariant>
#include <stdexcept>

#include "audio/DeviceNames.h"
#include "audio/VolumeTaper.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

const char* kWindowUrl = "qrc:/qt/qml/com/tarnwick/musical_ui/qml/AudioManager.qml";
const char* kErrorTitle = "Error Configuring Audio";
// Gains below this are silence.
constexpr double kSilentGain = 0.00002;

double ReadReal(QObject* view, const char* name)
{
    bool ok = false;
    const double value = view->property(name).toDouble(&ok);
    if (!ok)
        throw std::runtime_error(std::string("The Audio Manager window has no number \"") + name + "\".");
    return value;
}

} // namespace

AudioManagerController::AudioManagerController(QQmlEngine* engine, std::shared_ptr<Interface> player, QObject* parent)
    : QmlController(engine, QUrl(QString::fromLatin1(kWindowUrl)), parent, true)
    , player_(std::move(player))
{
    if (!rootObject_)
        throw std::runtime_error("The Audio Manager window could not be built.");
    if (!player_)
        throw std::runtime_error("No show is loaded.");

    const std::string current = player_->GetOutputDeviceUid();
    devices_ = vand::audio::DeviceControlWin32().GetOutputDevices();

    QStringList names{QStringLiteral("(default)")};
    int preselected = 0;
    for (size_t i = 0; i < devices_.size(); ++i) {
        names << QString::fromStdString(DeviceDisplayName(devices_[i], devices_));
        if (devices_[i].narrowId == current)
            preselected = static_cast<int>(i) + 1;
    }

    SetViewProperty(rootObject_, "outputDeviceModel", names);
    SetViewProperty(rootObject_, "outputVolume", PositionOfLinearGain(player_->GetVolume()));
    SetViewProperty(rootObject_, "outputDeviceIndex", preselected);
    // The slider keeps its value within its range.
    untouchedPosition_ = ReadReal(rootObject_, "outputVolume");

    connect(rootObject_, SIGNAL(okay()), this, SLOT(onOkayClicked_()));
}

AudioManagerController::~AudioManagerController() = default;

void AudioManagerController::onOkayClicked_()
{
    try {
        SetVisible(false);
        // The slider is hidden: untouched, it hands on the player's volume as
        // it is now (an OSC level set meanwhile included), not its own
        // rounding of it.
        double volume = 0.0;
        if (ReadReal(rootObject_, "outputVolume") == untouchedPosition_) {
            volume = player_->GetVolume();
        } else {
            volume = ReadReal(rootObject_, "outputVolumeLinear");
            if (volume < kSilentGain)
                volume = 0.0;
        }

        const int entry = rootObject_->property("outputDeviceIndex").toInt();
        QString deviceId;
        if (entry >= 1) {
            if (static_cast<size_t>(entry) > devices_.size())
                throw std::runtime_error("The chosen output device is not in the list.");
            deviceId = QString::fromStdString(devices_.at(static_cast<size_t>(entry) - 1).narrowId);
        }

        volume_ = volume;
        deviceId_ = deviceId;
        emit audioSettingsUpdated();
    } catch (const std::exception& e) {
        emit error(e.what(), kErrorTitle);
    } catch (...) {
        emit error("Unknown error.", kErrorTitle);
    }
}

} // namespace vand::qt
