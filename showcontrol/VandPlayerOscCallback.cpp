#include "showcontrol/VandPlayerOscCallback.h"

#include <QThread>

#include <exception>
#include <string>

#include "kit/Log.h"
#include "showcontrol/OscUdpClient.h"
#include "vand_player_core/Interface.h"

namespace vand {

VandPlayerOscCallback::VandPlayerOscCallback(std::uint16_t defaultPort)
    : QObject(nullptr)
    , defaultPort_(defaultPort)
{
    thread_.reset(QThread::create([this] { RunSender(); }));
    thread_->setObjectName(QStringLiteral("OSC sender"));
    thread_->start(QThread::TimeCriticalPriority);
}

VandPlayerOscCallback::~VandPlayerOscCallback()
{
    {
        std::lock_guard lock(queueMutex_);
        stopping_ = true;
        queue_ = {};
    }
    wake_.notify_all();
    thread_->wait();
}

void VandPlayerOscCallback::SetPlayer(std::shared_ptr<Interface> player)
{
    std::lock_guard lock(playerMutex_);
    player_ = std::move(player);
}

void VandPlayerOscCallback::ReleasePlayer()
{
    std::shared_ptr<Interface> last;
    {
        std::lock_guard lock(playerMutex_);
        last.swap(player_);
    }
    {
        std::unique_lock lock(queueMutex_);
        released_.store(true);
        queue_ = {};
        // A send already taken goes out before this returns (the sender
        // thread itself never waits for its own send).
        if (QThread::currentThread() != thread_.get())
            sent_.wait(lock, [this] { return !sending_; });
    }
    wake_.notify_all();
}

void VandPlayerOscCallback::SetDefaultPort(std::uint16_t port)
{
    defaultPort_.store(port);
}

std::size_t VandPlayerOscCallback::WaitingSends()
{
    std::lock_guard lock(queueMutex_);
    return queue_.size();
}

void VandPlayerOscCallback::EnqueueEvent(const CL::Osc& osc, unsigned delayMs)
{
    emit enqueueOscCommand(osc, delayMs);
}

void VandPlayerOscCallback::ExecuteEvent(const CL::Osc& osc, unsigned delayMs)
{
    Execute(osc, delayMs, true);
}

void VandPlayerOscCallback::ExecuteHeldEvent(const CL::Osc& osc, unsigned delayMs)
{
    Execute(osc, delayMs, false);
}

void VandPlayerOscCallback::Execute(const CL::Osc& osc, unsigned delayMs, bool onlyWhilePlaying)
{
    const Clock::time_point due = Clock::now() + std::chrono::milliseconds(delayMs);
    if (released_.load())
        return;
    std::shared_ptr<Interface> player;
    {
        std::lock_guard lock(playerMutex_);
        player = player_;
    }

    const CL::OscProperties properties = osc.osc_properties();
    QHostAddress address(QHostAddress::LocalHost);
    quint16 port = defaultPort_.load();
    if (player) {
        try {
            const CL::NetworkPath& destination = player->GetNetwork(properties.NetworkId());
            if (destination.Port < 1 || destination.Port > 65535) {
                throw std::out_of_range("the port " + std::to_string(destination.Port) + " of destination "
                                        + properties.NetworkId() + " is not a UDP port");
            }
            address = QHostAddress(QString::fromStdString(destination.IpAddress()));
            port = static_cast<quint16>(destination.Port);
        } catch (const std::exception& e) {
            kit::Log(kit::LogLevel::Error, "osc",
                     kLookupFailure + std::string(e.what())
                         + ". Using default values of localhost:" + std::to_string(port));
        }
        if (onlyWhilePlaying && !player->GetIsPlaying())
            return;
    }

    QString text = QString::fromStdString(properties.Message());
    if (text.trimmed().isEmpty())
        return;
    {
        std::lock_guard lock(queueMutex_);
        if (released_.load() || stopping_)
            return;
        queue_.push(PendingSend{due, nextOrder_++, std::move(text), address, port});
    }
    wake_.notify_all();
}

void VandPlayerOscCallback::RunSender()
{
    osc::OscUdpClient client;
    std::unique_lock lock(queueMutex_);
    while (!stopping_) {
        if (queue_.empty()) {
            wake_.wait(lock);
            continue;
        }
        const Clock::time_point due = queue_.top().due;
        if (Clock::now() < due) {
            wake_.wait_until(lock, due);
            continue;
        }
        PendingSend send = queue_.top();
        queue_.pop();
        sending_ = true;
        lock.unlock();
        const bool left = client.Send(send.text, send.address, send.port);
        lock.lock();
        sending_ = false;
        sent_.notify_all();
        if (left) {
            lock.unlock();
            emit OutgoingNotification();
            lock.lock();
        }
    }
}

} // namespace vand
