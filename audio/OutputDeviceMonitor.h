#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sfx/DeviceControlWin32.h"

class Interface;

namespace vand::qt {

// Watches the player's output device. The sound server moves a stream whose
// device goes away to its default device without telling the player, and
// Qt reports no change of the device list, so every poll, while the player
// plays on a device of its own, the device list is taken afresh: when the
// device is no longer in it, the player is switched to the default device
// (playback goes on) and `warning` says so.
//
// It also watches whether anything is heard: when the player has lost its
// sound output, `warning` says that nothing is heard (never that the show
// plays on some device), again at every start of playback while it lasts,
// and `information` says when sound is back. GUI thread only.
class OutputDeviceMonitor : public QObject
{
    Q_OBJECT
public:
    using PlayerSource = std::function<std::shared_ptr<Interface>()>;
    using DeviceLister = std::function<std::vector<vand::audio::AudioDevice>()>;

    static constexpr int kPollIntervalMs = 2000;
    static constexpr const char* kWarningTitle = "Audio Device Not Available";
    static constexpr const char* kLostTitle = "No Sound Output";
    static constexpr const char* kBackTitle = "Sound Output Back";

    // Polls every kPollIntervalMs from now on. Without a lister the machine's
    // devices are listed (vand::audio::DeviceControlWin32).
    explicit OutputDeviceMonitor(PlayerSource player, DeviceLister lister = {});
    ~OutputDeviceMonitor() override;

    // Checks a device the player was just asked to use: true when it is the
    // default device (empty) or listed; otherwise the player goes to the
    // default device, `warning` goes out and the result is false. Throws
    // what the player throws.
    bool Check(const std::string& deviceId);
    const QTimer& Timer() const { return timer_; }

    // The text of the warning for a device of that name.
    static std::string WarningText(const std::string& deviceName);
    // The text while nothing is heard; `deviceName` names a device that went
    // away, when one did.
    static std::string LostText(const std::string& deviceName = {});
    static std::string BackText();

signals:
    void warning(std::string message, std::string title);
    void information(std::string message, std::string title);

public slots:
    // Checks the player's current device and whether it is heard; failures go
    // to the log.
    void Poll();
    // Playback started: while nothing is heard, says so again.
    void PlaybackStarted();

private:
    PlayerSource player_;
    DeviceLister lister_;
    QTimer timer_;
    // The device last seen in a list, so that a device that went away is
    // named as the user knew it.
    std::string knownId_;
    std::string knownName_;
    bool lostTold_ = false; // the last word on the output was that nothing is heard
    void CheckHeard(Interface& player);
};

} // namespace vand::qt
