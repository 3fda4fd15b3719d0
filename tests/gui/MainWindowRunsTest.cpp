// The window's states through a real list run and a real download run against the fake
// service: texts and enabled states of the controls at each step, and closing the window while
// a run is going.

#include "CComboBox2.h"
#include "CMyGridCtrl.h"
#include "GuiHarness.h"
#include "QtPrint.h"
#include "WaitFor.h"
#include "download/DownloadRun.h"
#include "listing/ListRun.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

using guitest::Gate;
using guitest::GuiHarness;
using testsupport::FakeBlog;
using testsupport::FakeLofter;
using testsupport::WaitFor;

FakeBlog Blog(int posts)
{
    FakeBlog blog;
    blog.address = QStringLiteral("/b/");
    blog.title = QStringLiteral("Blog");
    testsupport::GenerateOptions options;
    options.count = posts;
    blog.posts = FakeLofter::GeneratePosts(options);
    return blog;
}

void Press(CGleanerDlg &w, int id)
{
    qobject_cast<QPushButton *>(w.Control(id))->click();
}

// Controls that a list run disables, and those it leaves alone.
const std::vector<int> kListDisabled = {IDC_SITE,       IDC_DOWNLOAD,  IDC_ADDRESS,
                                        IDC_THUMBNAILS, IDC_FIND_LINK, IDC_FILTER_LINK,
                                        IDC_EXPORT_LINK};
const std::vector<int> kDownDisabled = {IDC_SITE, IDC_GET_LIST, IDC_SET_PATH, IDC_ADDRESS,
                                        IDC_SAVE_PATH};

TEST(MainWindowRuns, ListRunThenDownloadRunWalkTheStateTable)
{
    FakeLofter lofter;
    const FakeBlog blog = Blog(3);
    lofter.AddBlog(blog);
    Gate listGate;
    testsupport::Reply archive;
    archive.body = FakeLofter::ArchivePageText(blog);
    lofter.Serve("GET", QStringLiteral("/b/view"), listGate.Hold(archive));

    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    const QString save = h.dir.path() + QStringLiteral("/save/");
    w.SetControlText(IDC_SAVE_PATH, save);
    w.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/b/")));
    qobject_cast<QCheckBox *>(w.Control(IDC_SELECT_ALL))->setChecked(true);

    // Listing.
    Press(w, IDC_GET_LIST);
    ASSERT_TRUE(WaitFor([&] { return lofter.RequestCount() >= 1; }));
    EXPECT_EQ(w.State().listState.load(), LIST_RUNNING);
    EXPECT_EQ(h.Text(IDC_GET_LIST), QStringLiteral("终止获取"));
    EXPECT_EQ(h.Text(IDC_ALBUM_FRAME), QStringLiteral("相册列表"));
    EXPECT_EQ(h.Text(IDC_ALBUM_STATUS), QStringLiteral("正在获取相册列表，请稍等..."));
    EXPECT_EQ(h.Text(IDC_PIC_STATUS), QString());
    EXPECT_FALSE(w.IsControlShown(IDC_NOTICE));
    EXPECT_FALSE(w.IsChecked(IDC_SELECT_ALL));
    for (int id : kListDisabled)
        EXPECT_FALSE(h.Enabled(id)) << id;
    for (int id : {IDC_GET_LIST, IDC_SAVE_PATH, IDC_SET_PATH, IDC_OPEN_PATH})
        EXPECT_TRUE(h.Enabled(id)) << id;

    // Idle after listing.
    listGate.Open();
    ASSERT_TRUE(WaitFor([&] { return w.IsListFinished(); }));
    EXPECT_EQ(w.List().Result(), ListEnd::Completed);
    EXPECT_EQ(w.State().listState.load(), LIST_IDLE);
    EXPECT_EQ(h.Text(IDC_GET_LIST), QStringLiteral("获取相册"));
    for (int id : kListDisabled)
        EXPECT_TRUE(h.Enabled(id)) << id;
    EXPECT_FALSE(w.IsControlShown(IDC_NOTICE));
    CMyGridCtrl &grid = w.GridWidget();
    ASSERT_EQ(grid.RowCount(), 4);
    EXPECT_EQ(grid.model()->rowCount(), 3);
    EXPECT_EQ(w.History(IDC_ADDRESS), QStringList{lofter.Url(QStringLiteral("/b/"))});

    // Downloading: albums 0 and 2 marked by clicks; the post page of album 2 waits.
    guitest::ClickCell(grid, 1, 1);
    guitest::ClickCell(grid, 3, 2);
    EXPECT_EQ(grid.NextSelectedRow(0), 1);
    EXPECT_EQ(grid.NextSelectedRow(1), 3);
    DownRunOptions options;
    options.retryWaitSeconds = 0;
    options.singleWorkerPauseMs = 0;
    w.Download().SetOptions(options);
    Gate postGate;
    testsupport::Reply post;
    post.body = FakeLofter::PostPageText(blog.posts[2], lofter.Origin());
    lofter.Serve("GET", QStringLiteral("/b/post/") + blog.posts[2].permalink, postGate.Hold(post));

    Press(w, IDC_DOWNLOAD);
    // The post page of album 2 waits: the run is then past its start, whatever order it makes
    // its changes in.
    ASSERT_TRUE(WaitFor([&] {
        return lofter.RequestsFor(QStringLiteral("/b/post/") + blog.posts[2].permalink).size() == 1;
    }));
    EXPECT_EQ(h.Text(IDC_DOWNLOAD), QStringLiteral("终止下载"));
    EXPECT_NE(w.State().downState.load(), DOWN_IDLE);
    for (int id : kDownDisabled)
        EXPECT_FALSE(h.Enabled(id)) << id;
    EXPECT_TRUE(h.Enabled(IDC_DOWNLOAD));
    EXPECT_TRUE(h.Enabled(IDC_OPEN_PATH));

    // Idle after downloading.
    postGate.Open();
    ASSERT_TRUE(WaitFor([&] { return w.IsDownloadFinished(); }));
    EXPECT_EQ(w.Download().Result(), DownEnd::Completed);
    EXPECT_EQ(w.Download().PicturesSaved(), 2);
    EXPECT_EQ(w.State().downState.load(), DOWN_IDLE);
    EXPECT_EQ(h.Text(IDC_DOWNLOAD), QStringLiteral("下载"));
    EXPECT_EQ(h.Text(IDC_ALBUM_STATUS), QStringLiteral("下载完毕"));
    EXPECT_EQ(h.Text(IDC_PIC_STATUS), QString());
    for (int id : kDownDisabled)
        EXPECT_TRUE(h.Enabled(id)) << id;
    EXPECT_TRUE(QFileInfo(save + QStringLiteral("Blog")).isDir());
    EXPECT_TRUE(w.Messages().isEmpty());
    EXPECT_EQ(h.opened.size(), 1); // "open the save folder" is on by default
}

TEST(MainWindowRuns, GetListDoesNothingBeforeStartupAndStopsARunningList)
{
    FakeLofter lofter;
    const FakeBlog blog = Blog(2);
    lofter.AddBlog(blog);
    Gate gate;
    testsupport::Reply archive;
    archive.body = FakeLofter::ArchivePageText(blog);
    lofter.Serve("GET", QStringLiteral("/b/view"), gate.Hold(archive));

    GuiHarness h;
    h.window->SetStartupHook([](CGleanerDlg &) {}); // start-up not finished
    h.Init();
    CGleanerDlg &w = *h.window;
    w.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/b/")));
    w.OnGetList();
    EXPECT_EQ(w.State().listState.load(), LIST_IDLE);
    EXPECT_EQ(h.Text(IDC_GET_LIST), QStringLiteral("获取相册"));

    w.OnStartupDone();
    w.OnGetList();
    ASSERT_TRUE(WaitFor([&] { return lofter.RequestCount() >= 1; }));
    w.OnGetList(); // the stop request
    EXPECT_EQ(w.State().listState.load(), LIST_STOP);
    EXPECT_EQ(h.Text(IDC_GET_LIST), QStringLiteral("终止获取"));
    gate.Open();
    ASSERT_TRUE(WaitFor([&] { return w.IsListFinished(); }));
    EXPECT_EQ(w.State().listState.load(), LIST_IDLE);
    EXPECT_EQ(h.Text(IDC_GET_LIST), QStringLiteral("获取相册"));
}

TEST(MainWindowRuns, EnterInTheAddressBoxStartsAListRun)
{
    FakeLofter lofter;
    lofter.AddBlog(Blog(2));
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    w.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/b/")));
    QWidget *edit = w.AddressBox().lineEdit();
    w.activateWindow();
    edit->setFocus();
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(edit, &release);
    ASSERT_TRUE(WaitFor([&] { return lofter.RequestCount() >= 1 && w.IsListFinished(); }));
    EXPECT_EQ(w.List().Result(), ListEnd::Completed);
    EXPECT_EQ(w.GridWidget().RowCount(), 3);
}

TEST(MainWindowRuns, ClosingDuringAListRunStopsAndJoinsIt)
{
    FakeLofter lofter;
    lofter.AddBlog(Blog(2));
    testsupport::ReplyOptions never;
    never.neverAnswer = true;
    lofter.SetOptions(QStringLiteral("/b/view"), never);

    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    w.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/b/")));
    w.OnGetList();
    ASSERT_TRUE(lofter.WaitForRequests(1));
    EXPECT_FALSE(w.IsListFinished());

    w.close(); // returns once the run has been stopped and joined
    EXPECT_TRUE(w.IsListFinished());
    EXPECT_EQ(w.State().listState.load(), LIST_IDLE);
    // The port was closed before the join: the run's last calls went to the snapshot of the
    // controls, not to the widgets.
    EXPECT_EQ(w.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
    EXPECT_EQ(qobject_cast<QPushButton *>(w.Control(IDC_GET_LIST))->text(),
              QStringLiteral("终止获取"));
    h.window.reset();
}

TEST(MainWindowRuns, ClosingDuringADownloadStopsAndJoinsIt)
{
    FakeLofter lofter;
    const FakeBlog blog = Blog(2);
    lofter.AddBlog(blog);
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    w.SetControlText(IDC_SAVE_PATH, h.dir.path() + QStringLiteral("/save/"));
    w.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/b/")));
    w.OnGetList();
    ASSERT_TRUE(WaitFor([&] { return w.IsListFinished(); }));
    ASSERT_EQ(w.GridWidget().RowCount(), 3);

    testsupport::ReplyOptions never;
    never.neverAnswer = true;
    lofter.SetDefaultOptions(never);
    w.GridWidget().SelectAll();
    const size_t before = lofter.RequestCount();
    w.OnDownload();
    ASSERT_TRUE(lofter.WaitForRequests(before + 1));
    EXPECT_FALSE(w.IsDownloadFinished());
    w.close();
    EXPECT_TRUE(w.IsDownloadFinished());
    EXPECT_EQ(w.State().downState.load(), DOWN_IDLE);
    h.window.reset();
}

// Port calls from another thread reach the widgets; the GUI thread keeps running meanwhile.
TEST(MainWindowRuns, PortCallsFromARunThreadReachTheWidgets)
{
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    std::atomic<bool> done{false};
    QString readBack;
    std::thread run([&] {
        w.SetControlText(IDC_ALBUM_STATUS, QStringLiteral("从线程"));
        w.EnableControl(IDC_SET_PATH, false);
        w.ShowControl(IDC_UPDATE_LINK, true);
        w.SetChecked(IDC_THUMBNAILS, true);
        w.AppendHistory(IDC_SAVE_PATH, QStringLiteral("/x/"));
        w.MessageBox(QStringLiteral("提示文本"));
        readBack = w.ControlText(IDC_ALBUM_STATUS);
        done = true;
    });
    EXPECT_TRUE(WaitFor([&] { return done.load(); }));
    run.join();
    EXPECT_EQ(readBack, QStringLiteral("从线程"));
    EXPECT_EQ(qobject_cast<QLabel *>(w.Control(IDC_ALBUM_STATUS))->text(),
              QStringLiteral("从线程"));
    EXPECT_FALSE(w.Control(IDC_SET_PATH)->isEnabled());
    EXPECT_FALSE(w.Control(IDC_UPDATE_LINK)->isHidden());
    EXPECT_TRUE(qobject_cast<QCheckBox *>(w.Control(IDC_THUMBNAILS))->isChecked());
    EXPECT_EQ(w.SavePathBox().History(), QStringList{"/x/"});
    EXPECT_EQ(w.Messages(), QStringList{"提示文本"});
}

} // namespace
