#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "sfx/DeviceControlWin32.h"
#include "ui/QmlController.h"

class Interface;
class QQmlEngine;

namespace vand::qt {

// The Audio Manager dialog: the player's output device, chosen from the
// machine's devices ("(default)" first), and its volume. OK stores the choice
// and emits audioSettingsUpdated(); applying it is the caller's business. A
// failure of OK is reported through `error` ("Error Configuring Audio") and
// changes nothing. GUI thread only.
class AudioManagerController : public QmlController
{
    Q_OBJECT
public:
    // Builds the window (hidden) as a child of parent, lists the devices and
    // preselects the player's device and volume. Throws when the window
    // cannot be built or the player fails.
    AudioManagerController(QQmlEngine* engine, std::shared_ptr<Interface> player, QObject* parent);
    ~AudioManagerController() override;

    // The linear gain chosen at the last OK; 0 before.
    double GetOutputVolume() const { return volume_; }
    // The device id chosen at the last OK; empty for the system's default
    // device, and before.
    QString GetOutputDeviceUid() const { return deviceId_; }
    const std::vector<vand::audio::AudioDevice>& GetDevices() const { return devices_; }

signals:
    void audioSettingsUpdated();

public slots:
    void onOkayClicked_();

private:
    std::shared_ptr<Interface> player_;
    std::vector<vand::audio::AudioDevice> devices_;
    double volume_ = 0.0;
    QString deviceId_;
    // The slider's position as the window took it from the player's volume:
    // while the slider stands there, OK hands on the player's volume as is.
    double untouchedPosition_ = 0.0;
};

} // namespace vand::qt
