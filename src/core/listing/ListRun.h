#pragma once

#include "listing/ListEnd.h"
#include "model/GleanerState.h"
#include "window/WindowPort.h"

#include <atomic>
#include <thread>

// Starts list runs on a thread of their own and joins them: what the "获取相册" button does
// (rebuild the grid empty, clear the album list, start GetListFunc) without the window.
//
// Owned by the front end next to the state and the window, both of which must outlive it.
// Start, Wait and the destructor are called on the owner's thread; RequestStop and the
// getters on any thread. One run at a time; the object may start any number of runs in a row.
//
// Joining: Wait and the destructor block until the run has returned. The run calls the
// window; a window that carries calls out on the owner's thread (the GUI) must therefore not
// be waited for from that thread while the run may still call it, unless the window answers
// such calls without that thread (for example once it is closing).
class ListRun {
public:
    enum class StartResult {
        Started,      // the list thread runs
        Busy,         // a run is still going (or just ending); nothing was done
        ThreadFailed, // the thread could not be created; the state is idle again
    };

    ListRun(GleanerState &state, WindowPort &window);
    // Requests a stop and joins the run.
    ~ListRun();
    ListRun(const ListRun &) = delete;
    ListRun &operator=(const ListRun &) = delete;

    // When no run is going (listState LIST_IDLE and the previous thread finished, which is
    // then joined): rebuilds the album grid empty for the current view, clears the album list,
    // sets listState to LIST_RUNNING and the site kind to LOFTER, and starts GetListFunc on a
    // new thread. A thread that cannot be created shows "Create thread:GetListFunc failed."
    // and puts listState back to LIST_IDLE.
    StartResult Start();
    // Asks a going run to stop (LIST_RUNNING becomes LIST_STOP); the run ends after the album
    // in hand or before its next archive call. Does nothing when no run is going.
    void RequestStop();
    // Blocks until the run started last has returned. Returns at once when there is none.
    void Wait();
    // True when no list thread of this object is running.
    bool IsFinished() const { return finished_.load(); }
    // Why the run started last ended; Completed before the first run.
    ListEnd Result() const { return result_.load(); }

private:
    GleanerState &state_;
    WindowPort &window_;
    std::thread thread_;
    std::atomic<bool> finished_{true};
    std::atomic<ListEnd> result_{ListEnd::Completed};
};
