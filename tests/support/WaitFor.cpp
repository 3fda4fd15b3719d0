#include "WaitFor.h"

#include <QCoreApplication>
#include <QThread>

namespace testsupport {

bool WaitFor(const std::function<bool()> &condition, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline)
            return condition();
        if (QCoreApplication::instance() != nullptr)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(2);
    }
    return true;
}

} // namespace testsupport
