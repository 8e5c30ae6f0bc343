#include "StallingServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <list>
#include <vector>

namespace vand::test {

namespace {

using Clock = std::chrono::steady_clock;

void SetNonBlocking(int fd)
{
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
}

int ConnectUpstream(quint16 port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return -1;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    SetNonBlocking(fd);
    return fd;
}

// One accepted connection and, when relayed, its upstream side.
struct Connection
{
    int client = -1;
    int upstream = -1;
    std::string toClient;   // bytes waiting to be written to the client
    std::string toUpstream; // bytes waiting to be written upstream
    bool requested = false; // Trickle: the request's first bytes came
    std::size_t sent = 0;   // Trickle: answer bytes written
    Clock::time_point nextByte;
    bool done = false;

    void Close()
    {
        if (client >= 0)
            ::close(client);
        if (upstream >= 0)
            ::close(upstream);
        client = upstream = -1;
        done = true;
    }
};

// Reads what fd has into out (when given); false once it is closed.
bool Drain(int fd, std::string* out)
{
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got > 0) {
            if (out)
                out->append(buffer, static_cast<std::size_t>(got));
            continue;
        }
        if (got == 0)
            return false;
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
}

// Writes as much of pending as fd takes; false when fd failed.
bool Flush(int fd, std::string& pending)
{
    while (!pending.empty()) {
        const ssize_t wrote = ::write(fd, pending.data(), pending.size());
        if (wrote > 0) {
            pending.erase(0, static_cast<std::size_t>(wrote));
            continue;
        }
        return wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR);
    }
    return true;
}

} // namespace

StallingServer::StallingServer(Options options)
    : options_(std::move(options))
    , holding_(options_.held)
{
}

StallingServer::StallingServer()
    : StallingServer(Options{})
{
}

StallingServer::~StallingServer()
{
    stop_ = true;
    Wake();
    if (thread_.joinable())
        thread_.join();
    for (int fd : {listener_, wake_[0], wake_[1]}) {
        if (fd >= 0)
            ::close(fd);
    }
}

bool StallingServer::Start()
{
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (listener_ < 0 || ::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = 0;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(listener_, 64) != 0
        || ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        return false;
    SetNonBlocking(listener_);
    port_ = ntohs(address.sin_port);
    thread_ = std::thread([this] { Serve(); });
    return true;
}

std::string StallingServer::ApiBase() const
{
    return "http://127.0.0.1:" + std::to_string(port_) + "/";
}

void StallingServer::Release()
{
    holding_ = false;
    Wake();
}

void StallingServer::Hold()
{
    holding_ = true;
    Wake();
}

void StallingServer::Wake()
{
    if (wake_[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = ::write(wake_[1], &byte, 1);
    }
}

void StallingServer::Serve()
{
    std::list<Connection> open;
    while (!stop_.load()) {
        const bool holding = holding_.load();
        auto now = Clock::now();
        int timeout = -1;
        std::vector<pollfd> fds{{listener_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        std::vector<std::pair<Connection*, bool>> owners{{nullptr, false}, {nullptr, false}};
        for (Connection& c : open) {
            if (options_.mode == Mode::Relay && !holding && c.upstream < 0) {
                c.upstream = ConnectUpstream(options_.upstream);
                if (c.upstream < 0) {
                    c.Close();
                    continue;
                }
            }
            // A held connection is not read: its request waits in the kernel.
            const bool readClient = options_.mode != Mode::Relay || c.upstream >= 0;
            short clientEvents = readClient ? POLLIN : 0;
            if (!c.toClient.empty())
                clientEvents |= POLLOUT;
            fds.push_back({c.client, clientEvents, 0});
            owners.push_back({&c, false});
            if (c.upstream >= 0) {
                fds.push_back({c.upstream, short(POLLIN | (c.toUpstream.empty() ? 0 : POLLOUT)), 0});
                owners.push_back({&c, true});
            }
            if (options_.mode == Mode::Trickle && c.requested && c.sent < std::size_t(options_.answer.size())) {
                const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(c.nextByte - now).count();
                timeout = timeout < 0 ? int(std::max<long long>(wait, 0))
                                      : std::min(timeout, int(std::max<long long>(wait, 0)));
            }
        }
        ::poll(fds.data(), fds.size(), timeout);
        if (fds[1].revents & POLLIN)
            Drain(wake_[0], nullptr);
        if (fds[0].revents & POLLIN) {
            for (;;) {
                const int client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
                if (client < 0)
                    break;
                ++connections_;
                Connection c;
                c.client = client;
                open.push_back(std::move(c));
            }
        }
        now = Clock::now();
        for (std::size_t i = 2; i < fds.size(); ++i) {
            Connection& c = *owners[i].first;
            if (c.done)
                continue;
            const short events = fds[i].revents;
            if (owners[i].second) {
                // The upstream side of a relay.
                if ((events & (POLLIN | POLLHUP | POLLERR)) && !Drain(c.upstream, &c.toClient)) {
                    Flush(c.client, c.toClient);
                    c.Close();
                    continue;
                }
                if ((events & POLLOUT) && !Flush(c.upstream, c.toUpstream))
                    c.Close();
                continue;
            }
            if (events & (POLLIN | POLLHUP | POLLERR)) {
                std::string request;
                const bool alive = Drain(c.client, &request);
                if (!request.empty() && !c.requested) {
                    c.requested = true;
                    c.nextByte = now;
                }
                if (options_.mode == Mode::Relay)
                    c.toUpstream += request;
                if (!alive) {
                    c.Close();
                    continue;
                }
            }
            if ((events & POLLOUT) && !Flush(c.client, c.toClient))
                c.Close();
        }
        if (options_.mode == Mode::Trickle) {
            for (Connection& c : open) {
                if (c.done || !c.requested || c.sent >= std::size_t(options_.answer.size()) || now < c.nextByte)
                    continue;
                c.toClient.push_back(options_.answer[qsizetype(c.sent++)]);
                c.nextByte = now + options_.byteInterval;
                if (!Flush(c.client, c.toClient))
                    c.Close();
            }
        }
        for (Connection& c : open) {
            if (c.upstream >= 0 && !c.toUpstream.empty() && !Flush(c.upstream, c.toUpstream))
                c.Close();
        }
        open.remove_if([](const Connection& c) { return c.done; });
    }
    for (Connection& c : open)
        c.Close();
}

} // namespace vand::test
