#pragma once

#include <chrono>
#include <functional>

namespace testsupport {

// Polls `condition` (on the calling thread, processing Qt events between polls) until it is
// true or `timeout` has passed. Returns the last value of the condition. Tests use it instead
// of fixed sleeps; the timeout is a watchdog, never a speed assertion.
bool WaitFor(const std::function<bool()> &condition,
             std::chrono::milliseconds timeout = std::chrono::seconds(20));

} // namespace testsupport
