#pragma once

// The client side of a player: turns each operation into one signal tagged
// with the player's id, which the controller's thread answers; queries wait
// for the answer. Owned by the facade vand::audio::SfxPlayer; not exported.
//
// Threads: made and used on one client thread, any thread but one that the
// controller's thread waits for. The constructor and the queries block until
// the controller's thread has answered, at most the mediator's answer time
// limit; commands return at once and reach the controller in the order they
// were given. WaitUntilDone polls Done from the calling thread. SfxData may
// be called from several threads at once.

#include "sfx/SfxDto.h"
#include "sfx/SfxMetaTypes.h"
#include "sfx/SfxPlayerInterface.h"

#include <QObject>

#include <deque>
#include <future>
#include <memory>
#include <mutex>
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
    // A copy of the controller's record as it stood. A copy once handed out
    // is never changed and lives as long as the proxy; answers equal in every
    // field share one copy.
    const vand::audio::sfx::SfxDto& SfxData() const override;

    qulonglong id() const;

signals:
    // Emitted once, by the constructor; connected directly to the mediator,
    // which connects this proxy and has the controller make its player.
    void createSfxPlayerImpl(vand::audio::SfxPlayerProxy* proxy, qulonglong id, vand::audio::sfx::SfxDto sfx,
                             std::shared_ptr<std::promise<void>> playerCreated);
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
    // WaitUntilDone has begun; the caller's own thread does the waiting.
    void waitUntilDone(qulonglong id);
    void playsSameSfx(qulonglong id, vand::audio::sfx::SfxDto sfx, std::shared_ptr<std::promise<bool>> answer);
    void sfxData(qulonglong id, std::shared_ptr<std::promise<vand::audio::sfx::SfxDto>> answer);

private:
    // Emits the question with a fresh promise that only the receivers hold
    // (so a request that is dropped breaks it) and waits for the answer.
    template <class T, class Ask>
    T ask_(const char* operation, Ask&& ask) const;

    const qulonglong id_;
    // The copies SfxData handed out; a deque keeps them in place.
    mutable std::mutex answersLock_;
    mutable std::deque<vand::audio::sfx::SfxDto> answers_;
};

} // namespace vand::audio
