#pragma once

// Helpers shared by the network engine tests: a request record with short time-outs and no
// retry pause, a stopwatch for watchdog bounds, and a proxy-free environment.

#include "net/CUrlRequest.h"

#include <QString>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>

namespace nettest {

// A record as callers make it, with time-outs short enough for tests and no pause after a
// failed attempt.
inline CUrlRequest QuickRequest(const QString &url, std::uint32_t timeoutMs = 3000)
{
    CUrlRequest request(QString(), QString(), timeoutMs);
    request.url = url;
    request.retryWaitSeconds = 0;
    return request;
}

class Stopwatch {
public:
    std::chrono::milliseconds Elapsed() const
    {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now() - start_);
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

// A loopback address at which nothing listens: connections to it are refused at once.
inline QString RefusingUrl(const QString &path = "/")
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    int port = 9;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof address) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr *>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    if (fd >= 0)
        ::close(fd);
    return QString("http://127.0.0.1:%1%2").arg(port).arg(path);
}

// Loopback traffic must not go through a proxy configured on the machine that runs the tests.
// Called before any request thread exists.
inline void ClearProxyEnvironment()
{
    for (const char *name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
        unsetenv(name);
}

} // namespace nettest
