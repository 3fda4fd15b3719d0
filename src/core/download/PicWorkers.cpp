#include "download/PicWorkers.h"

#include "download/DownTexts.h"
#include "download/SafeNames.h"
#include "net/CUrlRequest.h"
#include "net/CUrlSource.h"
#include "window/ControlIds.h"
#include "window/WindowPort.h"

#include <QFileInfo>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <vector>

namespace {

bool Requested(const std::function<bool()> &check)
{
    return check && check();
}

// Sleeps `ms` in short steps, returning early once a stop is requested.
void PauseUnlessStopped(int ms, const std::function<bool()> &stopRequested)
{
    using namespace std::chrono;
    const auto end = steady_clock::now() + milliseconds(ms);
    while (!Requested(stopRequested)) {
        const auto left = duration_cast<milliseconds>(end - steady_clock::now());
        if (left <= milliseconds(0))
            return;
        std::this_thread::sleep_for(std::min(left, milliseconds(50)));
    }
}

} // namespace

bool DownOnePicFunc(const ST_DOWNJOBLIST &jobs, qsizetype jobIndex, const PicWorkerParams &params,
                    CookieStore *cookies, const std::function<bool()> &shouldAbort)
{
    const QString target = JobFilePath(jobs, jobIndex);
    if (target.isEmpty() || jobIndex >= jobs.urls.size())
        return false;

    const QString &address = jobs.urls.at(jobIndex);
    const qsizetype cut = address.indexOf(QLatin1String("\r\n"));
    const QString first = cut < 0 ? address : address.left(cut);
    const QString fallback = cut < 0 ? QString() : address.mid(cut + 2);

    CUrlRequest request(QString(), QString(), 20000);
    request.readTimeoutMs = params.timeoutSec * 1000;
    if (!jobs.headers.isEmpty() && jobIndex < jobs.headers.size())
        request.headers = jobs.headers.at(jobIndex);
    request.minSizeK = static_cast<std::int32_t>(std::min<quint32>(params.minSizeK, INT32_MAX));
    request.maxSizeK = static_cast<std::int32_t>(std::min<quint32>(params.maxSizeK, INT32_MAX));
    request.targetFile = target;
    request.tries = 2;
    request.retryWaitSeconds = static_cast<std::uint8_t>(std::min(params.retryWaitSeconds, 255u));
    request.url = first;

    CUrlSource source(cookies);
    if (shouldAbort)
        source.SetAbortCheck(shouldAbort);
    bool ok = source.Request(request, REQ_ALLOW_CACHE_WRITE | REQ_ALLOW_CACHE_READ);
    // A first address that failed, or answered without a body, hands over to the fallback.
    if ((!ok || source.BodySize() < 1) && !fallback.isEmpty() && !Requested(shouldAbort)) {
        request.url = fallback;
        ok = source.Request(request, REQ_ALLOW_CACHE_WRITE | REQ_ALLOW_CACHE_READ);
    }
    // The engine answers true for a folder that does not exist (nothing written): only a file
    // on disk counts.
    return ok && QFileInfo(target).isFile();
}

void DownPicFunc(PicBatch &batch)
{
    batch.result = PicBatchResult{};
    const ST_DOWNJOBLIST &jobs = *batch.jobs;
    const qsizetype n = jobs.Count();
    batch.result.jobs = static_cast<int>(n);
    const qsizetype t = std::min<qsizetype>(batch.params.threadCount, n);
    if (t <= 0)
        return;

    if (batch.workersActive)
        batch.workersActive->store(1);
    const auto started = std::chrono::steady_clock::now();

    // Ended slots are queued by their workers; the manager sleeps on the condition until one
    // is there.
    std::mutex mutex;
    std::condition_variable endedCv;
    std::deque<qsizetype> ended;
    std::atomic<int> doneCount{0};
    std::atomic<int> saved{0};
    std::atomic<int> failed{0};
    std::vector<std::thread> slots(static_cast<size_t>(t));

    const auto finish = [&](qsizetype slot, bool ok) {
        (ok ? saved : failed).fetch_add(1);
        doneCount.fetch_add(1);
        {
            std::lock_guard lock(mutex);
            ended.push_back(slot);
        }
        endedCv.notify_one();
    };
    const auto startWorker = [&](qsizetype slot, qsizetype job) {
        try {
            slots[static_cast<size_t>(slot)] = std::thread([&, slot, job] {
                finish(slot,
                       DownOnePicFunc(jobs, job, batch.params, batch.cookies, batch.stopRequested));
            });
        } catch (const std::system_error &) {
            finish(slot, false); // a worker that cannot start counts as finished
        }
    };

    for (qsizetype s = 0; s < t; ++s)
        startWorker(s, s);
    qsizetype next = t;
    int lastShown = static_cast<int>(n) + 1;

    for (;;) {
        qsizetype slot = -1;
        {
            std::unique_lock lock(mutex);
            endedCv.wait(lock, [&] { return !ended.empty(); });
            slot = ended.front();
            ended.pop_front();
        }
        std::thread &worker = slots[static_cast<size_t>(slot)];
        if (worker.joinable())
            worker.join();
        if (Requested(batch.stopRequested)) {
            batch.result.stopped = true;
            break;
        }
        if (next < n) {
            if (batch.params.threadCount == 1)
                PauseUnlessStopped(batch.params.singleWorkerPauseMs, batch.stopRequested);
            if (Requested(batch.stopRequested)) {
                batch.result.stopped = true;
                break;
            }
            startWorker(slot, next);
            ++next;
        }
        const int done = doneCount.load();
        const bool finalPass = done >= n;
        if ((done != lastShown || finalPass) && batch.window) {
            batch.window->SetControlText(IDC_PIC_STATUS,
                                         QString::asprintf(kPicturesProgressFormat, done, int(n)));
            lastShown = done;
        }
        if (finalPass)
            break;
    }

    // After a stop the running workers are cut off by their abort check; wait for them here so
    // that none outlives this album.
    for (std::thread &worker : slots) {
        if (worker.joinable())
            worker.join();
    }
    batch.result.saved = saved.load();
    batch.result.failed = failed.load();

    if (batch.window) {
        const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(
            std::chrono::steady_clock::now() - started);
        batch.window->PicturesDone(static_cast<int>(seconds.count()), static_cast<int>(n));
    }
    if (batch.workersActive)
        batch.workersActive->store(0);
}

std::thread StartDownPicFunc(PicBatch &batch, std::atomic<std::uint8_t> &stopFlag)
{
    stopFlag.store(0);
    try {
        return std::thread([&batch] { DownPicFunc(batch); });
    } catch (const std::system_error &) {
        return std::thread();
    }
}
