#include "download/DownAlbumsFunc.h"

#include "download/DownAlbumContext.h"
#include "download/DownFolders.h"
#include "download/DownRecords.h"
#include "download/DownTexts.h"
#include "download/PicFixes.h"
#include "download/PicWorkers.h"
#include "download/PostExtractor.h"
#include "download/SafeNames.h"
#include "model/GleanerState.h"
#include "window/ControlIds.h"
#include "window/WindowPort.h"

#include <QDateTime>

namespace {

// The controls a download run disables while it goes.
constexpr int kLockedControls[] = {IDC_SITE, IDC_GET_LIST, IDC_SET_PATH, IDC_ADDRESS,
                                   IDC_SAVE_PATH};

bool StopPending(const GleanerState &state)
{
    return state.downState.load() == DOWN_STOP;
}

// DOWN_RUNNING for the next album, unless a stop is pending (which must not be overwritten).
void MarkAlbumRunning(GleanerState &state)
{
    std::uint8_t current = state.downState.load();
    while (current != DOWN_STOP && !state.downState.compare_exchange_weak(current, DOWN_RUNNING)) {
    }
}

// The stored parameters, or the run's override, kept in the ranges a run may use.
PicWorkerParams WorkerParams(const GleanerState &state, const DownRunOptions &options)
{
    const DownParams stored =
        options.params ? *options.params : state.settings.GetDownParams(state.siteKind.load());
    PicWorkerParams params;
    params.minSizeK = stored.minSizeK;
    params.maxSizeK = stored.maxSizeK;
    params.threadCount =
        stored.threadCount >= 1 && stored.threadCount <= 15 ? stored.threadCount : 5;
    params.timeoutSec = stored.timeoutSec >= 10 ? stored.timeoutSec : 30;
    params.retryWaitSeconds = options.retryWaitSeconds;
    params.singleWorkerPauseMs = options.singleWorkerPauseMs;
    return params;
}

} // namespace

QList<qint32> SelectedAlbums(const GridOps &grid, const AlbumViewState &view, int albumCount)
{
    QList<qint32> selection;
    const auto valid = [albumCount](qint32 index) { return index >= 0 && index < albumCount; };
    if (!view.thumbMode) {
        for (int row = grid.NextSelectedRow(grid.FixedRowCount() - 1); row >= 0;
             row = grid.NextSelectedRow(row)) {
            const qint32 index = grid.GetCellData(row, 0);
            if (valid(index))
                selection.append(index);
        }
        return selection;
    }
    int visited = 0;
    for (int row = grid.FixedRowCount(); row < grid.RowCount(); ++row) {
        for (int col = 0; col < grid.ColumnCount(); ++col, ++visited) {
            if (!grid.IsCellSelected(row, col) || visited >= albumCount)
                continue;
            const qint32 index = grid.GetCellData(row, col);
            if (valid(index))
                selection.append(index);
        }
    }
    return selection;
}

void EnterDownState(GleanerState &state, WindowPort &window)
{
    MarkAlbumRunning(state);
    window.SetControlText(IDC_DOWNLOAD, QString::fromUtf16(kStopDownloadText));
    for (int id : kLockedControls)
        window.EnableControl(id, false);
}

void LeaveDownState(GleanerState &state, WindowPort &window)
{
    state.downState.store(DOWN_IDLE);
    window.SetControlText(IDC_DOWNLOAD, QString::fromUtf16(kDownloadText));
    for (int id : kLockedControls)
        window.EnableControl(id, true);
    window.SetControlText(IDC_ALBUM_STATUS, QString::fromUtf16(kDownloadDoneText));
    window.SetControlText(IDC_PIC_STATUS, QString());
}

DownEnd DownAlbumsFunc(GleanerState &state, WindowPort &window, const DownRunOptions &options,
                       DownRunStatus &status)
{
    QString root = window.ControlText(IDC_SAVE_PATH).trimmed();
    if (root.isEmpty()) {
        window.MessageBox(QString::fromUtf16(kMsgNoSavePath));
        state.downState.store(DOWN_IDLE);
        return DownEnd::NoSavePath;
    }
    if (!root.endsWith(QLatin1Char('/')))
        root += QLatin1Char('/');
    root += state.BlogFolder() + state.SubFolder();
    if (!MakeFolderPath(root, window)) {
        window.MessageBox(QString::fromUtf16(kMsgBadSavePath));
        state.downState.store(DOWN_IDLE);
        return DownEnd::FolderFailed;
    }
    SetFolderTimes(root, QDateTime::currentSecsSinceEpoch());
    EnterDownState(state, window);
    status.SetAlbumFolder(root);

    const PicWorkerParams params = WorkerParams(state, options);
    const QList<qint32> selection =
        SelectedAlbums(window.Grid(), state.View(), state.albumList.Count());
    state.albumList.selectedCount.store(static_cast<qint32>(selection.size()));

    DownEnd end = DownEnd::Completed;
    qint64 total = 0;
    QString lastAlbumFolder = root;
    if (selection.isEmpty()) {
        window.MessageBox(QString::fromUtf16(kMsgNoAlbumSelected));
        end = DownEnd::NoAlbumSelected;
    }
    const auto optionBits = [&] {
        return options.Apply(state.settings.OptionBits(state.siteKind.load()));
    };

    for (qsizetype i = 0; i < selection.size() && !StopPending(state); ++i) {
        const qint32 albumIndex = selection.at(i);
        // Each album has its own job list: nothing of an earlier album can reach it.
        ST_DOWNJOBLIST jobs;
        jobs.rootFolder = root;
        jobs.StartAlbum();
        MarkAlbumRunning(state);
        window.SetControlText(IDC_ALBUM_STATUS, QString::asprintf(kAlbumProgressFormat, int(i + 1),
                                                                  int(selection.size())));
        window.SetControlText(IDC_PIC_STATUS, QString::fromUtf16(kAlbumStartText));

        DownAlbumContext ctx{state, window, jobs, options, {}, {}};
        ctx.naming.naming = state.settings.GetNaming(state.siteKind.load());
        ctx.naming.selectedCount = static_cast<qint32>(selection.size());
        ctx.naming.albumCount = state.albumList.Count();
        ctx.naming.blogFolder = state.BlogFolder();
        const int kind = state.siteKind.load();
        if (kind > SITE_KIND_LOFTER || kind < 0)
            window.MessageBox(QString::fromLatin1(kMsgBadListType));
        else if (kind == SITE_KIND_LOFTER)
            ParseLofterPost(ctx, albumIndex);
        lastAlbumFolder = jobs.albumFolder;
        status.SetAlbumFolder(jobs.albumFolder);

        if (jobs.Count() < 1 || StopPending(state))
            continue;
        total += jobs.Count();
        const ST_PERLISTRECORD album = state.albumList.At(albumIndex);
        if (optionBits() & OPT_URL_LIST_ONLY) {
            WriteUrlList(AlbumRecordPath(jobs.albumFolder, album.name, QStringLiteral(".lst")),
                         jobs);
            continue;
        }

        window.SetControlText(IDC_PIC_STATUS, QString::fromUtf16(kPicturesStartedText));
        PicBatch batch;
        batch.jobs = &jobs;
        batch.params = params;
        batch.cookies = &state.cookies;
        batch.window = &window;
        batch.stopRequested = [&state] {
            return state.stopFlag.load() != 0 || state.downState.load() == DOWN_STOP;
        };
        batch.workersActive = &status.workersActive;
        std::thread manager = StartDownPicFunc(batch, state.stopFlag);
        if (!manager.joinable()) {
            window.MessageBox(QString::fromLatin1(kMsgManagerThreadFailed));
            continue;
        }
        manager.join();
        status.picturesSaved.fetch_add(batch.result.saved);
        status.picturesFailed.fetch_add(batch.result.failed);

        if (!StopPending(state) && !batch.result.stopped)
            WriteFolderMarker(jobs.urls.at(0), jobs.albumFolder);
        if (optionBits() & OPT_FIX_FORMAT)
            FixPicFormats(jobs);
        if (optionBits() & OPT_FIX_ORDER)
            FixPicOrder(jobs);
    }

    if (StopPending(state))
        end = DownEnd::Stopped;
    LeaveDownState(state, window);
    if (total > 0 && (optionBits() & OPT_OPEN_FOLDER))
        window.OpenFolder(lastAlbumFolder);
    return end;
}
