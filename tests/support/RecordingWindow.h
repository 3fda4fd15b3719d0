#pragma once

#include "window/HeadlessWindow.h"

#include <QStringList>

#include <mutex>

// The main window for tests: a HeadlessWindow (controls and grid in memory, message boxes
// answered at once) that also records every call of the window interface, in the order in
// which the calls took effect, as one text line each (formats in HeadlessWindow::OnCall).
// Grid calls are not recorded; tests read the grid's state through Grid().
//
// Owned by the test; any thread may call it.
class RecordingWindow : public HeadlessWindow {
public:
    RecordingWindow() = default;

    // Every call so far, oldest first.
    QStringList Calls() const;
    // The calls that change or show something (the "get-…" reads left out).
    QStringList Changes() const;
    // Forgets the calls recorded so far; control states are kept.
    void ClearCalls();

protected:
    void OnCall(const QString &line) override;

private:
    mutable std::mutex logMutex_;
    QStringList calls_;
};
