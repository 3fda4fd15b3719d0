#pragma once

#include "CliWindow.h"

#include <QString>

#include <mutex>

// The main window of `gleaner download`: a CliWindow (album status texts and message boxes to
// stderr) that also prints the picture status texts, draws a progress bar on a terminal, and
// prints the folder to open on stdout instead of starting a file manager.
//
// Owned by the download command; any thread may call it (the runs call it from theirs). The
// bar state is guarded by barMutex_ (taken inside the window's own lock in OnCall).
class DownloadWindow : public CliWindow {
public:
    // `terminal`: stderr is a terminal, so a progress bar is drawn there.
    explicit DownloadWindow(bool terminal);

    // Prints `path` on stdout, one line.
    void OpenFolder(const QString &path) override;
    // Ends the progress bar's line, if one is drawn.
    void EndProgress();

protected:
    void OnCall(const QString &line) override;

private:
    void DrawBar();
    void ClearBar();

    const bool terminal_;
    std::mutex barMutex_;
    bool barShown_ = false;
    QString lastPicStatus_;
    int album_ = 0, albums_ = 0, pictures_ = 0, picturesTotal_ = 0;
};
