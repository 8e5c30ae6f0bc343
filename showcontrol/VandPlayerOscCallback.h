#pragma once

// The timed OSC sender: the engine hands it the timeline's OSC events; it
// resolves each event's destination and sends the message when its delay has
// passed, then lights the outgoing-OSC lamp (OutgoingNotification).
//
// Threads:
// - ExecuteEvent and EnqueueEvent come on the engine's threads (and on the
//   GUI thread for held commands); they look the destination up and return
//   at once, never sleeping or touching the network.
// - SetPlayer, ReleasePlayer and ExecuteHeldEvent: GUI thread.
// - One sender thread (time-critical priority) owns the socket and sends in
//   deadline order. A send's deadline is fixed when ExecuteEvent is called
//   (steady clock + delay), so no send waits behind another's delay.
// - OutgoingNotification is emitted on the sender thread; enqueueOscCommand
//   on the engine's. Receivers on the GUI thread get them queued.
// - The player pointer is guarded by a mutex, the default port is atomic;
//   no lock is held while calling the player, the socket or a receiver.
// - ReleasePlayer drops the sends that are waiting and waits for the one
//   being sent, if any (a single datagram write); once it returns nothing more
//   is sent. Destruction drops the waiting sends and joins the sender thread.

#include <QHostAddress>
#include <QObject>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <queue>
#include <vector>

#include "CL/Events.h"
#include "vand_player_core/PlayerOscCallback.h"

class Interface;
class QThread;

namespace vand {

class VandPlayerOscCallback : public QObject, public PlayerOscCallback
{
    Q_OBJECT
public:
    static constexpr const char* kLookupFailure = "Unable to fully configure OSC Send command: ";

    explicit VandPlayerOscCallback(std::uint16_t defaultPort);
    ~VandPlayerOscCallback() override;

    // Sends the event's message after delayMs to its destination; an event
    // whose destination cannot be resolved goes to the local host at the
    // default port (with a line on the standard error stream). With a player
    // set, nothing is sent while it is not playing. A blank message is not
    // sent.
    void ExecuteEvent(const CL::Osc& osc, unsigned delayMs) override;
    // Emits enqueueOscCommand with a copy of the event.
    void EnqueueEvent(const CL::Osc& osc, unsigned delayMs) override;
    void SetDefaultPort(std::uint16_t port) override;

    // As ExecuteEvent, without the playing test: for a command the
    // application held until playback started (the engine reports playing
    // only a block after Play).
    void ExecuteHeldEvent(const CL::Osc& osc, unsigned delayMs);

    std::uint16_t DefaultPort() const { return defaultPort_.load(); }
    // Sends waiting for their deadline (any thread).
    std::size_t WaitingSends();

    virtual void SetPlayer(std::shared_ptr<Interface> player);
    virtual void ReleasePlayer();

signals:
    void enqueueOscCommand(CL::Osc osc, uint32_t delay);
    void OutgoingNotification();

private:
    using Clock = std::chrono::steady_clock;

    struct PendingSend
    {
        Clock::time_point due;
        std::uint64_t order = 0; // keeps equal deadlines in call order
        QString text;
        QHostAddress address;
        quint16 port = 0;
    };
    struct LaterFirst
    {
        bool operator()(const PendingSend& a, const PendingSend& b) const
        {
            return a.due != b.due ? a.due > b.due : a.order > b.order;
        }
    };

    void Execute(const CL::Osc& osc, unsigned delayMs, bool onlyWhilePlaying);
    void RunSender();

    std::atomic<std::uint16_t> defaultPort_;

    std::mutex playerMutex_;
    std::shared_ptr<Interface> player_;

    // Set once by ReleasePlayer; read early to skip the lookup, and again
    // under queueMutex_ where it decides.
    std::atomic<bool> released_{false};
    std::mutex queueMutex_;
    std::condition_variable wake_;
    std::priority_queue<PendingSend, std::vector<PendingSend>, LaterFirst> queue_;
    std::uint64_t nextOrder_ = 0;
    bool stopping_ = false;
    // A send taken off the queue is being written; sent_ tells when it is done.
    bool sending_ = false;
    std::condition_variable sent_;

    std::unique_ptr<QThread> thread_;
};

} // namespace vand
