#pragma once

#include "download/DownEnd.h"
#include "download/DownRunOptions.h"
#include "download/DownRunStatus.h"
#include "model/GleanerState.h"
#include "window/WindowPort.h"

#include <QString>

#include <atomic>
#include <thread>

// Starts download runs on a thread of their own and joins them: what the "下载" button does
// while no run goes, and what "终止下载" does while one goes.
//
// Owned by the front end next to the state and the window, both of which must outlive it.
// Start, Wait and the destructor are called on the owner's thread; RequestStop and the getters
// on any thread. One run at a time; any number of runs in a row.
//
// Threads: the run thread (DownAlbumsFunc) starts one picture manager per album and joins it;
// the manager starts the workers and joins them. Every thread is joined before the run returns,
// so after Wait nothing of the run is left running.
//
// Joining: as with ListRun, a window that carries calls out on the owner's thread must not be
// waited for from that thread while the run may still call it.
class DownloadRun {
public:
    enum class StartResult {
        Started,      // the run thread runs
        Busy,         // a run is still going (or just ending); nothing was done
        ThreadFailed, // the thread could not be created; the state is idle again
    };

    DownloadRun(GleanerState &state, WindowPort &window);
    // Requests a stop and joins the run.
    ~DownloadRun();
    DownloadRun(const DownloadRun &) = delete;
    DownloadRun &operator=(const DownloadRun &) = delete;

    // Settings used instead of the stored ones by the runs started from now on (never saved).
    void SetOptions(const DownRunOptions &options) { options_ = options; }

    // When no run is going (downState DOWN_IDLE and the previous thread finished, which is then
    // joined): sets downState to DOWN_RUNNING, clears stopFlag and starts DownAlbumsFunc on a
    // new thread. A thread that cannot be created shows "Create thread:DownAlbumsFunc failed."
    // and puts the state back to DOWN_IDLE.
    StartResult Start();
    // While a run goes: downState becomes DOWN_STOP and stopFlag 1. No further album is
    // visited, no further picture is started, the pictures in flight are cut off, and the run
    // ends through "下载完毕". Does nothing when no run goes.
    void RequestStop();
    // Blocks until the run started last has returned. Returns at once when there is none.
    void Wait();
    // True when no run thread of this object is running.
    bool IsFinished() const { return finished_.load(); }
    // Why the run started last ended; Completed before the first run.
    DownEnd Result() const { return result_.load(); }

    // Figures of the run started last (of the one going, while it goes).
    int PicturesSaved() const { return status_.picturesSaved.load(); }
    int PicturesFailed() const { return status_.picturesFailed.load(); }
    // True while a picture manager of the run has workers; the window's "打开" button then
    // opens CurrentAlbumFolder() instead of the save folder.
    bool WorkersActive() const { return status_.workersActive.load() != 0; }
    // The folder of the album in hand (the root folder before the first album); empty before
    // the first run.
    QString CurrentAlbumFolder() const { return status_.AlbumFolder(); }

private:
    GleanerState &state_;
    WindowPort &window_;
    DownRunOptions options_;
    DownRunStatus status_;
    std::thread thread_;
    std::atomic<bool> finished_{true};
    std::atomic<DownEnd> result_{DownEnd::Completed};
};
