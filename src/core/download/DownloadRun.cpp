#include "download/DownloadRun.h"

#include "download/DownAlbumsFunc.h"
#include "download/DownTexts.h"

#include <system_error>

DownloadRun::DownloadRun(GleanerState &state, WindowPort &window) : state_(state), window_(window)
{
}

DownloadRun::~DownloadRun()
{
    RequestStop();
    Wait();
}

DownloadRun::StartResult DownloadRun::Start()
{
    if (!finished_.load() || state_.downState.load() != DOWN_IDLE)
        return StartResult::Busy;
    Wait(); // the previous thread has returned; this only reclaims it

    status_.picturesSaved.store(0);
    status_.picturesFailed.store(0);
    state_.stopFlag.store(0);
    state_.downState.store(DOWN_RUNNING);
    finished_.store(false);
    try {
        // The thread gets its own copy of the options, so SetOptions during a run changes
        // nothing of it.
        thread_ = std::thread([this, options = options_] {
            result_.store(DownAlbumsFunc(state_, window_, options, status_));
            finished_.store(true);
        });
    } catch (const std::system_error &) {
        finished_.store(true);
        state_.downState.store(DOWN_IDLE);
        window_.MessageBox(QString::fromLatin1(kMsgRunThreadFailed));
        return StartResult::ThreadFailed;
    }
    return StartResult::Started;
}

void DownloadRun::RequestStop()
{
    std::uint8_t current = state_.downState.load();
    while (current != DOWN_IDLE && current != DOWN_STOP) {
        if (state_.downState.compare_exchange_weak(current, DOWN_STOP)) {
            state_.stopFlag.store(1);
            return;
        }
    }
}

void DownloadRun::Wait()
{
    if (thread_.joinable())
        thread_.join();
}
