#include "ListCommand.h"

#include "CliOutput.h"
#include "CliWindow.h"
#include "listing/ListRun.h"
#include "model/GleanerState.h"
#include "window/ControlIds.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString EndReason(ListEnd end)
{
    switch (end) {
    case ListEnd::Completed:
        return {};
    case ListEnd::EmptyAddress:
        return QStringLiteral("no blog address given");
    case ListEnd::NotWebAddress:
        return QStringLiteral("not a web address (http:// or https://)");
    case ListEnd::ArchivePageNotFetched:
        return QStringLiteral("the blog's archive page could not be read");
    case ListEnd::NotArchivePage:
        return QStringLiteral("the page is not the archive page of a LOFTER blog");
    case ListEnd::NoBlogId:
        return QStringLiteral("no blog id on the archive page");
    case ListEnd::ArchiveCallFailed:
        return QStringLiteral("the archive call failed or gave an empty answer");
    case ListEnd::Stopped:
        return QStringLiteral("the listing was stopped");
    }
    return QStringLiteral("the listing failed");
}

void PrintAlbums(GleanerState &state, CliWindow &window, bool json)
{
    const GridOps &grid = window.Grid();
    QJsonArray albums;
    for (int row = grid.FixedRowCount(); row < grid.RowCount(); ++row) {
        const qint32 index = grid.GetCellData(row, 0);
        const QString postUrl = state.albumList.At(index).postUrl;
        if (!json) {
            WriteUtf8(stdout, grid.GetCellText(row, 0) + QLatin1Char('\t') +
                                  grid.GetCellText(row, 1) + QLatin1Char('\t') + postUrl);
            continue;
        }
        QJsonObject album;
        album.insert(QStringLiteral("index"), index);
        album.insert(QStringLiteral("number"), grid.GetCellText(row, 0));
        album.insert(QStringLiteral("name"), grid.GetCellText(row, 1));
        album.insert(QStringLiteral("postUrl"), postUrl);
        album.insert(QStringLiteral("count"), grid.GetCellText(row, 2));
        album.insert(QStringLiteral("remark"), grid.GetCellText(row, 3));
        albums.append(album);
    }
    if (json) {
        QJsonObject root;
        root.insert(QStringLiteral("blogFolder"), state.BlogFolder());
        root.insert(QStringLiteral("albums"), albums);
        WriteUtf8(stdout, QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Compact)));
    }
}

int UsageError(const QString &what)
{
    WriteUtf8(stderr, QStringLiteral("gleaner: ") + what);
    WriteUtf8(stderr, QStringLiteral("usage: gleaner list ADDRESS [--json]"));
    return 2;
}

} // namespace

int RunListCommand(const QStringList &args)
{
    bool json = false;
    QStringList positional;
    for (const QString &arg : args) {
        if (arg == QLatin1String("--json"))
            json = true;
        else if (arg.startsWith(QLatin1String("--")))
            return UsageError(QStringLiteral("unknown option '%1'").arg(arg));
        else
            positional.append(arg);
    }
    if (positional.isEmpty())
        return UsageError(QStringLiteral("list needs a blog address"));
    if (positional.size() > 1)
        return UsageError(QStringLiteral("list takes one blog address"));

    GleanerState state(QDir::currentPath());
    CliWindow window;
    // As the window does at start-up: settings loaded, the histories in their boxes.
    state.settings.LoadSettings();
    for (const QString &text : state.settings.History(HISTORY_ADDRESS))
        window.AppendHistory(IDC_ADDRESS, text);
    for (const QString &text : state.settings.History(HISTORY_SAVE_PATH))
        window.AppendHistory(IDC_SAVE_PATH, text);
    state.siteKind.store(SITE_KIND_LOFTER);
    window.SetControlText(IDC_ADDRESS, positional.at(0));

    ListRun run(state, window);
    if (run.Start() != ListRun::StartResult::Started) {
        WriteUtf8(stderr, QStringLiteral("gleaner: the list run could not be started"));
        return 1;
    }
    run.Wait();

    PrintAlbums(state, window, json);
    const ListEnd end = run.Result();
    if (end == ListEnd::Completed)
        return 0;
    WriteUtf8(stderr, QStringLiteral("gleaner: ") + EndReason(end));
    return 1;
}
