#pragma once

#include "window/HeadlessWindow.h"

#include <QString>

// The main window of the command line: a HeadlessWindow whose album-step status line (1009)
// and message boxes go to stderr as UTF-8 lines, a status text each time it changes and a
// message box's text when it is shown (and answered at once).
//
// Owned by the command that runs; any thread may call it (the runs call it from theirs).
class CliWindow : public HeadlessWindow {
public:
    CliWindow() = default;

protected:
    // Runs with the window's lock held, which also guards lastStatus_.
    void OnCall(const QString &line) override;
    void OnMessage(const QString &text) override;

private:
    QString lastStatus_;
};
