#include "listing/GetListFunc.h"

#include "listing/ListTexts.h"
#include "listing/LofterLister.h"
#include "text/TextScan.h"
#include "window/ControlIds.h"

namespace {

// A folder piece as the download run appends it: cleaned without the time fallback, free of
// NUL, and ending with exactly one "/" unless empty.
QString FolderPiece(QString piece)
{
    piece.remove(QChar(u'\0'));
    CleanName(piece, false);
    // CleanName has removed every "/" and "\"; the one separator goes at the end.
    if (!piece.isEmpty())
        piece += QLatin1Char('/');
    return piece;
}

} // namespace

void EnterListState(GleanerState &state, WindowPort &window)
{
    std::uint8_t idle = LIST_IDLE;
    state.listState.compare_exchange_strong(idle, LIST_RUNNING);
    window.EnableControl(IDC_SITE, false);
    window.EnableControl(IDC_DOWNLOAD, false);
    window.EnableControl(IDC_ADDRESS, false);
    window.EnableControl(IDC_THUMBNAILS, false);
    window.SetChecked(IDC_SELECT_ALL, false);
    window.SetControlText(IDC_GET_LIST, QString::fromUtf16(kStopListText));
    window.SetControlText(IDC_ALBUM_FRAME, QString::fromUtf16(kAlbumFrameText));
    window.SetControlText(IDC_ALBUM_STATUS, QString::fromUtf16(kListingStatusText));
    window.SetControlText(IDC_PIC_STATUS, QString());
    window.ShowControl(IDC_NOTICE, false);
    window.EnableControl(IDC_FIND_LINK, false);
    window.EnableControl(IDC_FILTER_LINK, false);
    window.EnableControl(IDC_EXPORT_LINK, false);
}

void LeaveListState(GleanerState &state, WindowPort &window)
{
    state.listState.store(LIST_IDLE);
    window.EnableControl(IDC_SITE, true);
    if (state.albumList.Count() > 0)
        window.EnableControl(IDC_DOWNLOAD, true);
    window.SetControlText(IDC_GET_LIST, QString::fromUtf16(kGetListText));
    window.EnableControl(IDC_ADDRESS, true);
    window.EnableControl(IDC_THUMBNAILS, true);
    window.EnableControl(IDC_FIND_LINK, true);
    window.EnableControl(IDC_FILTER_LINK, true);
    window.EnableControl(IDC_EXPORT_LINK, true);
}

ListEnd GetListFunc(GleanerState &state, WindowPort &window)
{
    state.siteKind.store(SITE_KIND_LOFTER);
    state.SetBlogFolder(QString());
    state.SetSubFolder(QString());

    // The box is disabled for the whole run, so this is also the text remembered at the end.
    const QString address = window.ControlText(IDC_ADDRESS).trimmed();
    if (address.isEmpty()) {
        window.MessageBox(QString::fromUtf16(kMsgEmptyAddress));
        state.listState.store(LIST_IDLE);
        return ListEnd::EmptyAddress;
    }

    EnterListState(state, window);

    ListEnd end;
    if (!address.contains(QStringLiteral("http://")) &&
        !address.contains(QStringLiteral("https://"))) {
        window.MessageBox(QString::fromUtf16(kMsgNotWebAddress));
        end = ListEnd::NotWebAddress;
    } else {
        QString blogAddress = address;
        KeepBefore(blogAddress, QStringLiteral("post/"));
        if (!blogAddress.endsWith(QLatin1Char('/')))
            blogAddress += QLatin1Char('/');
        end = ListLofterBlog(blogAddress, state, window);
    }

    state.SetBlogFolder(FolderPiece(state.BlogFolder()));
    state.SetSubFolder(FolderPiece(state.SubFolder()));

    GridOps &grid = window.Grid();
    grid.FitRowHeights();
    grid.Redraw();

    const int count = state.albumList.Count();
    window.SetControlText(IDC_ALBUM_FRAME, QString::asprintf(kAlbumFrameCountFormat, count));
    window.SetControlText(IDC_ALBUM_STATUS, QString::asprintf(kListDoneFormat, count));

    LeaveListState(state, window);

    if (count > 0 && state.settings.AddHistory(HISTORY_ADDRESS, address)) {
        window.AppendHistory(IDC_ADDRESS, address);
        state.settings.SaveSettings();
    }
    return end;
}
