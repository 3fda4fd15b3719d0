#include "listing/ListRun.h"

#include "listing/GetListFunc.h"
#include "listing/ListTexts.h"
#include "window/AlbumGridSetup.h"

#include <system_error>

ListRun::ListRun(GleanerState &state, WindowPort &window) : state_(state), window_(window) {}

ListRun::~ListRun()
{
    RequestStop();
    Wait();
}

ListRun::StartResult ListRun::Start()
{
    if (!finished_.load() || state_.listState.load() != LIST_IDLE)
        return StartResult::Busy;
    Wait(); // the previous thread has returned; this only reclaims it

    RebuildAlbumGrid(window_, state_.View());
    state_.albumList.Clear();
    state_.listState.store(LIST_RUNNING);
    state_.siteKind.store(SITE_KIND_LOFTER);
    finished_.store(false);
    try {
        thread_ = std::thread([this] {
            result_.store(GetListFunc(state_, window_));
            finished_.store(true);
        });
    } catch (const std::system_error &) {
        finished_.store(true);
        state_.listState.store(LIST_IDLE);
        window_.MessageBox(QString::fromLatin1(kThreadFailedText));
        return StartResult::ThreadFailed;
    }
    return StartResult::Started;
}

void ListRun::RequestStop()
{
    std::uint8_t running = LIST_RUNNING;
    state_.listState.compare_exchange_strong(running, LIST_STOP);
}

void ListRun::Wait()
{
    if (thread_.joinable())
        thread_.join();
}
