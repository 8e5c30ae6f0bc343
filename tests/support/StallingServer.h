#pragma once

// A show server that misbehaves, for the time limits of server requests: it
// listens on 127.0.0.1 at an ephemeral port and serves its connections on a
// thread of its own (so a client that blocks the test's thread cannot stall
// it, nor can it stall the client).
//   Silent   accepts, reads whatever comes and never answers;
//   Trickle  answers each request with `answer`, one byte per `byteInterval`;
//   Relay    holds each connection unanswered while held, then passes its
//            bytes both ways to `upstream` (a real server on 127.0.0.1).
// Start, Release and the destructor are called from the test's thread.

#include <QByteArray>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace vand::test {

class StallingServer
{
public:
    enum class Mode { Silent, Trickle, Relay };

    struct Options
    {
        Mode mode = Mode::Silent;
        // Trickle: a 200 answer that promises far more than it sends.
        QByteArray answer = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 102400\r\n\r\n[";
        std::chrono::milliseconds byteInterval{50};
        // Relay: the real server's port, and whether connections wait for
        // Release.
        quint16 upstream = 0;
        bool held = true;
    };

    explicit StallingServer(Options options);
    StallingServer();
    ~StallingServer();
    StallingServer(const StallingServer&) = delete;
    StallingServer& operator=(const StallingServer&) = delete;

    // Binds and starts serving; false when no socket could be had.
    bool Start();
    quint16 Port() const { return port_; }
    // "http://127.0.0.1:PORT/".
    std::string ApiBase() const;
    // Connections accepted so far.
    int Connections() const { return connections_.load(); }
    // Relay: held connections and those still to come go through from now
    // on; Hold holds the connections that come after it again.
    void Release();
    void Hold();

private:
    void Serve();
    void Wake();

    Options options_;
    quint16 port_ = 0;
    int listener_ = -1;
    int wake_[2] = {-1, -1};
    std::atomic<bool> stop_{false};
    std::atomic<bool> holding_{true};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

} // namespace vand::test
