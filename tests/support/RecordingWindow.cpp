#include "RecordingWindow.h"

QStringList RecordingWindow::Calls() const
{
    std::lock_guard lock(logMutex_);
    return calls_;
}

QStringList RecordingWindow::Changes() const
{
    QStringList changes;
    for (const QString &line : Calls())
        if (!line.startsWith(QStringLiteral("get-")))
            changes.append(line);
    return changes;
}

void RecordingWindow::ClearCalls()
{
    std::lock_guard lock(logMutex_);
    calls_.clear();
}

void RecordingWindow::OnCall(const QString &line)
{
    std::lock_guard lock(logMutex_);
    calls_.append(line);
}
