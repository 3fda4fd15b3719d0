#pragma once

// Helpers shared by the network engine tests: a request record with short time-outs and no
// retry pause, a stopwatch for watchdog bounds, and a proxy-free environment.

#include "net/CUrlRequest.h"

#include <QString>

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

// Loopback traffic must not go through a proxy configured on the machine that runs the tests.
// Called before any request thread exists.
inline void ClearProxyEnvironment()
{
    for (const char *name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy",
                             "ALL_PROXY", "no_proxy", "NO_PROXY"})
        unsetenv(name);
}

} // namespace nettest
