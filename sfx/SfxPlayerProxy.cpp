#include "sfx/SfxPlayerProxy.h"

#include "sfx/SfxFileInterface.h"
#include "sfx/SfxPlayerConnectionMediator.h"
#include "sfx/SfxPlayerIds.h"

#include <QThread>

#include <chrono>

namespace vand::audio {

using vand::audio::sfx::SfxDto;

namespace {

constexpr unsigned long kDonePollMs = 100;

// Waits for the controller's answer within the mediator's time limit; every
// way of not getting one is an SfxException that names the operation.
template <class T>
T Await(std::future<T>& answer, qulonglong id, const char* operation)
{
    const std::string where = "Sound effect player " + std::to_string(id) + ", " + operation + ": ";
    const auto limit = SfxPlayerConnectionMediator::AnswerTimeLimit();
    if (answer.wait_for(limit) != std::future_status::ready) {
        throw SfxException(where + "the player controller did not answer within " + std::to_string(limit.count())
                           + " ms.");
    }
    try {
        return answer.get();
    } catch (const std::future_error&) {
        throw SfxException(where + "the player controller dropped the request.");
    } catch (const std::exception& e) {
        throw SfxException(where + e.what());
    }
}

// Equal in every field, the event id and the active intervals included.
bool SameRecord(const SfxDto& a, const SfxDto& b)
{
    if (!(a == b) || a.eventId() != b.eventId() || a.activeIntervals().size() != b.activeIntervals().size())
        return false;
    for (std::size_t i = 0; i < a.activeIntervals().size(); ++i) {
        const auto* x = dynamic_cast<const SongInterval*>(a.activeIntervals()[i].get());
        const auto* y = dynamic_cast<const SongInterval*>(b.activeIntervals()[i].get());
        if (!x || !y || x->type() != y->type() || x->index() != y->index() || x->start() != y->start()
            || x->end() != y->end())
            return false;
    }
    return true;
}

} // namespace

SfxPlayerProxy::SfxPlayerProxy(SfxDto record, QObject* parent)
    : QObject(parent)
    , id_(detail::NextSfxPlayerId())
{
    auto created = std::make_shared<std::promise<void>>();
    std::future<void> answer = created->get_future();
    // Direct: the mediator connects this proxy on its own thread, and its
    // refusal leaves this constructor.
    connect(this, &SfxPlayerProxy::createSfxPlayerImpl, SfxPlayerConnectionMediator::instance(),
            &SfxPlayerConnectionMediator::registerSfxPlayerProxy, Qt::DirectConnection);
    emit createSfxPlayerImpl(this, id_, std::move(record), std::move(created));
    Await(answer, id_, "create");
}

SfxPlayerProxy::~SfxPlayerProxy() = default;

qulonglong SfxPlayerProxy::id() const
{
    return id_;
}

template <class T, class Ask>
T SfxPlayerProxy::ask_(const char* operation, Ask&& ask) const
{
    auto promise = std::make_shared<std::promise<T>>();
    std::future<T> answer = promise->get_future();
    ask(std::move(promise));
    return Await(answer, id_, operation);
}

void SfxPlayerProxy::Play(double)
{
    emit playSfx(id_);
}

void SfxPlayerProxy::Stop(bool isUrgent)
{
    emit stopSfx(id_, isUrgent);
}

void SfxPlayerProxy::Stop()
{
    emit stopSfx(id_, false);
}

void SfxPlayerProxy::SetOutputDevice(const wchar_t* deviceId)
{
    emit setOutputDevice(id_, deviceId != nullptr ? std::wstring(deviceId) : std::wstring());
}

void SfxPlayerProxy::SetVolume(float volume)
{
    emit setVolume(id_, volume);
}

float SfxPlayerProxy::Volume()
{
    return ask_<float>("Volume", [this](std::shared_ptr<std::promise<float>> p) { emit volume(id_, std::move(p)); });
}

void SfxPlayerProxy::SetReverb(float reverb)
{
    emit setReverb(id_, reverb);
}

void SfxPlayerProxy::SetPan(float pan)
{
    emit setPan(id_, pan);
}

void SfxPlayerProxy::SetSfxPath(const std::string& path)
{
    emit setSfxPath(id_, path);
}

void SfxPlayerProxy::ReplaceSfxData(const SfxDto& other)
{
    emit replaceSfxData(id_, other);
}

float SfxPlayerProxy::GetDuration()
{
    return ask_<float>("GetDuration",
                       [this](std::shared_ptr<std::promise<float>> p) { emit getDuration(id_, std::move(p)); });
}

void SfxPlayerProxy::FadeTo(float volume, unsigned int milliseconds)
{
    emit fadeRequested(id_, static_cast<double>(volume), milliseconds);
}

bool SfxPlayerProxy::Done()
{
    return ask_<bool>("Done", [this](std::shared_ptr<std::promise<bool>> p) { emit done(id_, std::move(p)); });
}

void SfxPlayerProxy::WaitUntilDone()
{
    emit waitUntilDone(id_);
    while (!Done())
        QThread::msleep(kDonePollMs);
}

bool SfxPlayerProxy::PlaysSameSfx(const SfxDto& other)
{
    return ask_<bool>("PlaysSameSfx", [this, &other](std::shared_ptr<std::promise<bool>> p) {
        emit playsSameSfx(id_, other, std::move(p));
    });
}

const SfxDto& SfxPlayerProxy::SfxData() const
{
    auto* self = const_cast<SfxPlayerProxy*>(this);
    SfxDto answer = ask_<SfxDto>(
        "SfxData", [self](std::shared_ptr<std::promise<SfxDto>> p) { emit self->sfxData(self->id_, std::move(p)); });
    std::lock_guard lock(answersLock_);
    for (const SfxDto& earlier : answers_) {
        if (SameRecord(earlier, answer))
            return earlier;
    }
    return answers_.emplace_back(std::move(answer));
}

} // namespace vand::audio
