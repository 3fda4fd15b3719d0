// The headless window and the tests' recording window: initial control states, the recorded
// call lines and their order, message boxes, history boxes, and the album grid set-up.

#include "QtPrint.h"
#include "RecordingWindow.h"
#include "window/AlbumGridSetup.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

TEST(HeadlessWindow, StartsAsTheWindowTemplateBuildsIt)
{
    RecordingWindow window;
    EXPECT_EQ(window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
    EXPECT_EQ(window.ControlText(IDC_DOWNLOAD), QStringLiteral("下载"));
    EXPECT_FALSE(window.IsControlEnabled(IDC_DOWNLOAD));
    EXPECT_TRUE(window.IsControlEnabled(IDC_GET_LIST));
    EXPECT_EQ(window.ControlText(IDC_ALBUM_FRAME), QStringLiteral("相册列表"));
    EXPECT_FALSE(window.IsControlShown(IDC_UPDATE_LINK));
    EXPECT_TRUE(window.IsControlShown(IDC_NOTICE));
    EXPECT_FALSE(window.IsChecked(IDC_SELECT_ALL));
    EXPECT_EQ(window.ControlText(IDC_ADDRESS), QString());
    EXPECT_TRUE(window.Messages().isEmpty());
}

TEST(RecordingWindow, RecordsEveryCallInOrderAndKeepsTheState)
{
    RecordingWindow window;
    window.SetControlText(IDC_ALBUM_STATUS, QStringLiteral("获取相册列表完成，共3个"));
    window.EnableControl(IDC_DOWNLOAD, true);
    window.EnableControl(IDC_SITE, false);
    window.ShowControl(IDC_NOTICE, false);
    window.SetChecked(IDC_SELECT_ALL, true);
    window.AppendHistory(IDC_ADDRESS, QStringLiteral("http://a.lofter.com/"));
    window.MessageBox(QStringLiteral("请先设置保存路径"));
    (void)window.ControlText(IDC_ADDRESS);
    (void)window.IsChecked(IDC_THUMBNAILS);

    const QStringList expected = {
        QStringLiteral("text 1009 获取相册列表完成，共3个"),
        QStringLiteral("enable 1005 1"),
        QStringLiteral("enable 1002 0"),
        QStringLiteral("show 1013 0"),
        QStringLiteral("check 1012 1"),
        QStringLiteral("history 1001 http://a.lofter.com/"),
        QStringLiteral("message 请先设置保存路径"),
        QStringLiteral("get-text 1001"),
        QStringLiteral("get-check 1014"),
    };
    EXPECT_EQ(window.Calls(), expected);
    EXPECT_EQ(window.Changes(), expected.mid(0, 7));

    EXPECT_EQ(window.ControlText(IDC_ALBUM_STATUS), QStringLiteral("获取相册列表完成，共3个"));
    EXPECT_TRUE(window.IsControlEnabled(IDC_DOWNLOAD));
    EXPECT_FALSE(window.IsControlEnabled(IDC_SITE));
    EXPECT_FALSE(window.IsControlShown(IDC_NOTICE));
    EXPECT_TRUE(window.IsChecked(IDC_SELECT_ALL));
    EXPECT_EQ(window.History(IDC_ADDRESS), QStringList{QStringLiteral("http://a.lofter.com/")});
    EXPECT_TRUE(window.History(IDC_SAVE_PATH).isEmpty());
    EXPECT_EQ(window.Messages(), QStringList{QStringLiteral("请先设置保存路径")});

    window.ClearCalls();
    EXPECT_TRUE(window.Calls().isEmpty());
    EXPECT_TRUE(window.IsControlEnabled(IDC_DOWNLOAD)); // state kept
}

TEST(RecordingWindow, HistoryKeepsEveryAppendedTextInOrder)
{
    RecordingWindow window;
    window.AppendHistory(IDC_SAVE_PATH, QStringLiteral("/b/"));
    window.AppendHistory(IDC_SAVE_PATH, QStringLiteral("/a/"));
    window.AppendHistory(IDC_SAVE_PATH, QStringLiteral("/b/"));
    EXPECT_EQ(window.History(IDC_SAVE_PATH),
              (QStringList{QStringLiteral("/b/"), QStringLiteral("/a/"), QStringLiteral("/b/")}));
}

TEST(RecordingWindow, CallsFromSeveralThreadsAreAllRecorded)
{
    RecordingWindow window;
    constexpr int kThreads = 4;
    constexpr int kCalls = 250;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&window, t] {
            for (int i = 0; i < kCalls; ++i) {
                window.SetControlText(IDC_PIC_STATUS, QStringLiteral("%1/%2").arg(t).arg(i));
                (void)window.IsControlEnabled(IDC_DOWNLOAD);
                window.Grid().AppendRow();
            }
            window.MessageBox(QStringLiteral("done %1").arg(t));
        });
    }
    for (auto &thread : threads)
        thread.join();

    const QStringList calls = window.Calls();
    EXPECT_EQ(calls.size(), kThreads * (2 * kCalls + 1));
    EXPECT_EQ(window.Messages().size(), kThreads);
    EXPECT_EQ(window.Grid().RowCount(), kThreads * kCalls);
    // The control holds the text of the last recorded text call.
    QString last;
    for (const QString &line : calls)
        if (line.startsWith(QStringLiteral("text 1006 ")))
            last = line.mid(10);
    EXPECT_EQ(window.ControlText(IDC_PIC_STATUS), last);
}

TEST(AlbumGridSetup, ListViewHasTheHeaderAndColumnWidths)
{
    RecordingWindow window;
    MemoryGrid &grid = window.Grid();
    window.SetChecked(IDC_SELECT_ALL, true);
    grid.SetupGrid(0, 3, 2, false); // an earlier thumbnail view with a selection
    grid.ClickCell(1, 1);
    window.ClearCalls();

    RebuildAlbumGrid(window, AlbumViewState{});

    EXPECT_EQ(window.Changes(), QStringList{QStringLiteral("check 1012 0")});
    EXPECT_EQ(grid.FixedRowCount(), 1);
    EXPECT_EQ(grid.RowCount(), 1);
    EXPECT_EQ(grid.ColumnCount(), 6);
    EXPECT_TRUE(grid.IsListMode());
    EXPECT_EQ(grid.DefaultCellMargin(), 8);
    EXPECT_EQ(grid.FirstSelectedRow(), 1);
    const QStringList headers = {QStringLiteral("序号"),
                                 QStringLiteral("名称"),
                                 QStringLiteral("数量"),
                                 QStringLiteral("备注"),
                                 QString(),
                                 QString()};
    const int widths[] = {50, 575, 50, 100, 0, 0};
    for (int col = 0; col < 6; ++col) {
        EXPECT_EQ(grid.GetCellText(0, col), headers.at(col)) << col;
        EXPECT_EQ(grid.ColumnWidth(col), widths[col]) << col;
    }
    EXPECT_GE(grid.FitHeightCount(), 1);
}

TEST(AlbumGridSetup, ThumbnailViewHasNoHeaderAndWideColumns)
{
    RecordingWindow window;
    MemoryGrid &grid = window.Grid();
    RebuildAlbumGrid(window, AlbumViewState{});
    grid.AppendRow();

    AlbumViewState view;
    view.thumbMode = true;
    RebuildAlbumGrid(window, view);

    EXPECT_EQ(grid.FixedRowCount(), 0);
    EXPECT_EQ(grid.RowCount(), 0);
    EXPECT_EQ(grid.ColumnCount(), 6);
    EXPECT_FALSE(grid.IsListMode());
    for (int col = 0; col < 6; ++col)
        EXPECT_EQ(grid.ColumnWidth(col), 129) << col;
}

} // namespace
