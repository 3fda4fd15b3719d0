#pragma once

// The picture manager and its workers: for the jobs of one album, up to `threadCount` worker
// threads at a time, one picture each, a new one as soon as one ends.
//
// Threads: StartDownPicFunc is called on the download thread and starts the manager thread
// (DownPicFunc); the manager starts the workers (DownOnePicFunc) and joins every one of them
// before it returns, after a stop too (a stop cuts running transfers off through the engine's
// abort check, so this is prompt). The caller joins the manager. So when the manager's thread
// has been joined, no worker of the album runs any more: the job list, the counters and the
// result belong to that one album and are never touched by a worker of another.
//
// The job list is only read while the manager runs. Every picture goes through JobFilePath: a
// job whose entry is not safe is counted as failed without a request. A picture that fails
// (network, time-out, size limits, stop) leaves no file and no partial file.

#include "download/DownJobList.h"

#include <QtGlobal>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class CookieStore;
class WindowPort;

// The download parameters the workers of a run read, copied at the start of the run.
struct PicWorkerParams {
    quint32 minSizeK = 0;    // KiB; 0 = no lower limit
    quint32 maxSizeK = 0;    // KiB; 0 = no upper limit
    quint32 threadCount = 5; // worker slots; 0 downloads nothing
    quint32 timeoutSec = 30; // read time-out: the longest wait for data
    unsigned retryWaitSeconds = 1;
    int singleWorkerPauseMs = 2000; // pause before each further picture when threadCount is 1
};

// What one album's manager did. Pictures never started (after a stop) count in neither.
struct PicBatchResult {
    int jobs = 0;   // jobs of the album
    int saved = 0;  // pictures written to their files
    int failed = 0; // pictures tried without a file to show for it
    bool stopped = false;
};

// Everything the manager of one album works with; owned by the download thread, which keeps it
// alive until it has joined the manager.
struct PicBatch {
    const ST_DOWNJOBLIST *jobs = nullptr;
    PicWorkerParams params;
    CookieStore *cookies = nullptr;      // may be null
    WindowPort *window = nullptr;        // progress label and completion notice; may be null
    std::function<bool()> stopRequested; // thread-safe and cheap; null = never
    std::atomic<std::uint8_t> *workersActive = nullptr; // 1 while the manager has workers
    PicBatchResult result; // written by the manager, read after the join
};

// One picture: job `jobIndex` of `jobs`, fetched with two tries per address (the part after
// the first CR LF of the job's address is tried when the first part fails or yields no body)
// and written whole to the job's file. `shouldAbort` cuts the transfer off. True when the file
// was written.
bool DownOnePicFunc(const ST_DOWNJOBLIST &jobs, qsizetype jobIndex, const PicWorkerParams &params,
                    CookieStore *cookies, const std::function<bool()> &shouldAbort);

// The manager, on the calling thread: runs the album's jobs through at most
// min(threadCount, job count) workers, shows "已下载%d/%d......" in the picture status line
// whenever the finished count changes, stops starting workers once a stop is requested, joins
// every worker, then tells the window PicturesDone(seconds, jobs) (not when there were no
// workers at all). Fills `batch.result`.
void DownPicFunc(PicBatch &batch);

// Clears `stopFlag` and starts DownPicFunc(batch) on a new thread, which the caller joins. A
// thread that cannot be created gives a thread that is not joinable.
std::thread StartDownPicFunc(PicBatch &batch, std::atomic<std::uint8_t> &stopFlag);
