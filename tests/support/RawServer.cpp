// RawServer: POSIX sockets, one accepting thread and one thread per connection. Every wait is a
// poll() of at most kPollMs, so the stop flag ends all of them soon after the destructor sets it.

#include "FakeLofter.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testsupport {
namespace {

constexpr int kPollMs = 20;

} // namespace

struct RawServer::State {
    RawBehaviour behaviour = RawBehaviour::NeverAnswer;
    QByteArray script;
    bool holdOpen = false;
    int listenFd = -1;
    int port = 0;
    std::atomic<bool> stopping{false};
    std::atomic<int> connections{0};
    std::thread acceptor;

    mutable std::mutex mutex; // guards workers and received
    std::vector<std::thread> workers;
    QByteArray received;

    // Waits until `fd` is ready for `events`; false when stopping or on error.
    bool WaitReady(int fd, short events) const
    {
        while (!stopping.load()) {
            pollfd p{fd, events, 0};
            const int r = ::poll(&p, 1, kPollMs);
            if (r > 0) {
                return true;
            }
            if (r < 0 && errno != EINTR) {
                return false;
            }
        }
        return false;
    }

    // Reads until the blank line that ends a request head (or the peer closes).
    void ReadHead(int fd)
    {
        QByteArray head;
        char buffer[4096];
        while (!head.contains("\r\n\r\n") && head.size() < (1 << 20)) {
            if (!WaitReady(fd, POLLIN)) {
                break;
            }
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0) {
                break;
            }
            head.append(buffer, static_cast<qsizetype>(n));
        }
        std::lock_guard lock(mutex);
        received.append(head);
    }

    void SendAll(int fd, const QByteArray &bytes) const
    {
        qsizetype sent = 0;
        while (sent < bytes.size()) {
            if (!WaitReady(fd, POLLOUT)) {
                return;
            }
            const ssize_t n =
                ::send(fd, bytes.constData() + sent, static_cast<std::size_t>(bytes.size() - sent),
                       MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0) {
                if (errno == EAGAIN || errno == EINTR) {
                    continue;
                }
                return;
            }
            sent += n;
        }
    }

    void HoldUntilStop() const
    {
        while (!stopping.load()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
        }
    }

    void Serve(int fd)
    {
        switch (behaviour) {
        case RawBehaviour::NeverAnswer:
            HoldUntilStop();
            break;
        case RawBehaviour::CloseAtOnce:
            ReadHead(fd);
            break;
        case RawBehaviour::Scripted:
            ReadHead(fd);
            SendAll(fd, script);
            if (holdOpen) {
                HoldUntilStop();
            }
            break;
        }
        ::shutdown(fd, SHUT_RDWR);
        ::close(fd);
    }

    void Accept()
    {
        while (WaitReady(listenFd, POLLIN)) {
            const int fd = ::accept(listenFd, nullptr, nullptr);
            if (fd < 0) {
                continue;
            }
            connections.fetch_add(1);
            std::lock_guard lock(mutex);
            workers.emplace_back([this, fd] { Serve(fd); });
        }
    }
};

QString RefusingUrl(const QString &path)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 9; // discard: nothing answers there on a test machine either
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return QStringLiteral("http://127.0.0.1:%1").arg(port) + path;
}

RawServer::RawServer(RawBehaviour behaviour, QByteArray script, bool holdOpen)
    : state_(std::make_unique<State>())
{
    State &s = *state_;
    s.behaviour = behaviour;
    s.script = std::move(script);
    s.holdOpen = holdOpen;
    s.listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (s.listenFd < 0) {
        throw std::runtime_error("RawServer: socket() failed");
    }
    const int yes = 1;
    ::setsockopt(s.listenFd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (::bind(s.listenFd, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        ::listen(s.listenFd, 64) != 0 ||
        ::getsockname(s.listenFd, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        ::close(s.listenFd);
        throw std::runtime_error("RawServer: cannot listen on 127.0.0.1");
    }
    s.port = ntohs(address.sin_port);
    s.acceptor = std::thread([&s] { s.Accept(); });
}

RawServer::~RawServer()
{
    State &s = *state_;
    s.stopping.store(true);
    s.acceptor.join();
    // The acceptor has ended, so nobody adds workers any more.
    for (std::thread &worker : s.workers) {
        worker.join();
    }
    ::close(s.listenFd);
}

int RawServer::Port() const
{
    return state_->port;
}

QString RawServer::Url(const QString &path) const
{
    return QStringLiteral("http://127.0.0.1:%1").arg(state_->port) + path;
}

int RawServer::Connections() const
{
    return state_->connections.load();
}

QByteArray RawServer::Received() const
{
    std::lock_guard lock(state_->mutex);
    return state_->received;
}

} // namespace testsupport
