#include "download/PostExtractor.h"

#include "download/DownFolders.h"
#include "download/DownRecords.h"
#include "download/DownTexts.h"
#include "download/PicNaming.h"
#include "download/SafeNames.h"
#include "model/GleanerState.h"
#include "net/CUrlRequest.h"
#include "net/CUrlSource.h"
#include "text/TextScan.h"
#include "window/ControlIds.h"
#include "window/WindowPort.h"

#include <QDateTime>
#include <QDir>

void ParseLofterPost(DownAlbumContext &ctx, int albumIndex)
{
    const ST_PERLISTRECORD album = ctx.state.albumList.At(albumIndex);
    if (album.listIndex < 0)
        return;

    CUrlRequest request(QString(), QString(), 20000);
    request.headers = QStringLiteral("Accept-Encoding: gzip, deflate");
    request.url = album.postUrl;
    CUrlSource source(&ctx.state.cookies);
    GleanerState &state = ctx.state;
    source.SetAbortCheck([&state] { return state.downState.load() == DOWN_STOP; });
    if (!source.Request(request, 0))
        return;

    // LOFTER pages are UTF-8; read as GBK, an address with non-ASCII characters would be
    // garbled. A reply that names GBK is still read as GBK.
    QString page = source.GetText(TEXT_INFLATE | TEXT_UTF8);
    if (page.isEmpty())
        return;
    SkipTo(page, QStringLiteral("div class=\"content"), true);
    KeepBefore(page, QStringLiteral("class=\"nctitle"));
    QStringList pieces;
    if (Split(page, QStringLiteral("<img src=\""), pieces) < 1 || pieces.size() < 2)
        return;
    const QString &piece = pieces.at(1);
    const qsizetype quote = piece.indexOf(QLatin1Char('"'));
    const QString address = quote < 0 ? QString() : piece.left(quote);
    const QString name = QString::asprintf("图片%d", int(ctx.jobs.Count()) + 1);
    AddPicJob(ctx, address, name, QString(), albumIndex);
}

void AddPicJob(DownAlbumContext &ctx, const QString &address, const QString &name,
               const QString &headerLines, int albumIndex)
{
    if (ctx.state.downState.load() == DOWN_ALBUM_DONE)
        return;
    const qsizetype n = ctx.jobs.Count();
    ctx.naming.album = ctx.state.albumList.At(albumIndex);

    if (n == 0) {
        ctx.jobs.albumFolder += MakeAlbumFolderName(ctx.naming);
        QDir().mkdir(ctx.jobs.albumFolder); // one level; a failure shows when pictures are written
        SetFolderTimes(ctx.jobs.albumFolder, QDateTime::currentSecsSinceEpoch());
        ctx.rememberedMarker = ReadFolderMarker(ctx.jobs.albumFolder);
    }

    const QString fileName = MakeJobFileName(address, name, ctx.naming, ctx.jobs);
    if (fileName.isEmpty())
        return;

    const quint16 options = ctx.options.Apply(ctx.state.settings.OptionBits(ctx.state.siteKind));
    if ((options & OPT_SKIP_DOWNLOADED) && !ctx.rememberedMarker.isEmpty() &&
        address == ctx.rememberedMarker) {
        std::uint8_t running = DOWN_RUNNING;
        ctx.state.downState.compare_exchange_strong(running, DOWN_ALBUM_DONE);
        return;
    }

    ctx.jobs.Append(address, fileName, headerLines);
    ctx.window.SetControlText(IDC_PIC_STATUS,
                              QString::asprintf(kJobsFoundFormat, int(ctx.jobs.Count())));
    if (options & OPT_NAME_LIST) {
        AddNameListLine(
            AlbumRecordPath(ctx.jobs.albumFolder, ctx.naming.album.name, QStringLiteral(".txt")),
            name, n == 0);
    }
}
