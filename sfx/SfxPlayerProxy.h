#pragma once

// The client side of a player: turns each operation into one signal tagged
// with the player's id, which the controller's thread answers; queries wait
// for the answer. Owned by the facade vand::audio::SfxPlayer; not exported.
//
// Threads: made and used on one client thread, any thread but one that the
// controller's thread waits for. The constructor and the queries block until
// the controller's thread has answered, at most the mediator's answer time
// limit; commands return at once and reach the controller in the order they
// were given. WaitUntilDone polls Done from the calling thread.

#include "sfx/SfxDto.h"
#include "sfx/SfxMetaTypes.h"
#include "sfx/SfxPlayerInterface.h"

#include <QObject>

#include <future>
#include <memory>
#include <optional>
#include <string>

namespace vand::audio {

class SfxPlayerProxy : public QObject, public SfxPlayerInterface
{
    Q_OBJECT

public:
    // Takes the next player id and has the controller make its player.
    // std::runtime_error "No sound effect player controller registered" when
    // there is no controller; SfxException naming the step when the
    // controller refuses or does not answer in time.
    explicit SfxPlayerProxy(vand::audio::sfx::SfxDto record, QObject* parent = nullptr);
    ~SfxPlayerProxy() override;

    // The position is not sent: the controller decides where a run starts.
    void Play(double position) override;
    void Stop(bool isUrgent) override;
    void Stop() override;
    void SetOutputDevice(const wchar_t* deviceId) override;
    void SetVolume(float volume) override;
    float Volume() override;
    void SetReverb(float reverb) override;
    void SetPan(float pan) override;
    void SetSfxPath(const std::string& path) override;
    void ReplaceSfxData(const vand::audio::sfx::SfxDto& other) override;
    float GetDuration() override;
    void FadeTo(float volume, unsigned int milliseconds) override;
    bool Done() override;
    void WaitUntilDone() override;
    bool PlaysSameSfx(const vand::audio::sfx::SfxDto& other) override;
    // A copy of the controller's record, kept until the next call.
    const vand::audio::sfx::SfxDto& SfxData() const override;

    qulonglong id() const;

signals:
    void playSfx(qulonglong id);
    void stopSfx(qulonglong id, bool isUrgent);
    void setOutputDevice(qulonglong id, std::wstring deviceId);
    void setVolume(qulonglong id, float volume);
    void volume(qulonglong id, std::shared_ptr<std::promise<float>> answer);
    void setReverb(qulonglong id, float reverb);
    void setPan(qulonglong id, float pan);
    void setSfxPath(qulonglong id, std::string path);
    void replaceSfxData(qulonglong id, vand::audio::sfx::SfxDto sfx);
    void getDuration(qulonglong id, std::shared_ptr<std::promise<float>> answer);
    void fadeRequested(qulonglong id, double volume, uint duration);
    void done(qulonglong id, std::shared_ptr<std::promise<bool>> answer);
    void playsSameSfx(qulonglong id, vand::audio::sfx::SfxDto sfx, std::shared_ptr<std::promise<bool>> answer);
    void sfxData(qulonglong id, std::shared_ptr<std::promise<vand::audio::sfx::SfxDto>> answer);

private:
    // Emits the question with a fresh promise that only the receivers hold
    // (so a request that is dropped breaks it) and waits for the answer.
    template<class T, class Ask>
    T ask_(const char* operation, Ask&& ask) const;

    const qulonglong id_;
    mutable std::optional<vand::audio::sfx::SfxDto> data_;
};

} // namespace vand::audio
