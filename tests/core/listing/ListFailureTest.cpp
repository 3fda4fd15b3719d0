// Every way a list run can end without albums: the message it shows (or none), why it
// reports ending, and the window it leaves behind: labels, button text, enabled and shown
// states, no address remembered.

#include "ListHarness.h"
#include "listing/ListTexts.h"

#include <functional>

using listtest::ListHarness;
using testsupport::FakeBlog;
using testsupport::FakeLofter;

namespace {

struct FailureCase {
    const char *name;
    // Prepares the service and answers the address to type.
    std::function<QString(FakeLofter &)> prepare;
    ListEnd end;
    QString message; // empty: no message box
    QString blogFolder;
};

const QString kNone;

FakeBlog BlogWithPage(const QString &path, const QByteArray &page)
{
    FakeBlog blog = listtest::PlainBlog(path, QStringLiteral("unused"), 3);
    blog.archivePageOverride = page;
    return blog;
}

std::vector<FailureCase> Cases()
{
    const QString m2 = QString::fromUtf16(kMsgNotWebAddress);
    const QString m3 = QString::fromUtf16(kMsgNotLofterBlog);
    const QString m4 = QString::fromUtf16(kMsgNoBlogId);
    return {
        {"no web address", [](FakeLofter &) { return QStringLiteral("  www.lofter.com/blog/  "); },
         ListEnd::NotWebAddress, m2, kNone},
        {"archive page unreachable",
         [](FakeLofter &f) {
             testsupport::ReplyOptions cut;
             cut.closeAfterBytes = 0;
             f.SetOptions(QStringLiteral("/cut/view"), cut);
             f.AddBlog(listtest::PlainBlog(QStringLiteral("/cut/"), QStringLiteral("Cut"), 3));
             return f.Url(QStringLiteral("/cut/"));
         },
         ListEnd::ArchivePageNotFetched, kNone, kNone},
        {"archive page empty",
         [](FakeLofter &f) {
             f.ServeFixed("GET", QStringLiteral("/empty/view"),
                          testsupport::Reply{200, "text/html", "", {}});
             return f.Url(QStringLiteral("/empty/"));
         },
         ListEnd::ArchivePageNotFetched, kNone, kNone},
        {"title without the archive prefix",
         [](FakeLofter &f) {
             f.AddBlog(BlogWithPage(QStringLiteral("/other/"),
                                    "<html><title>Hello - 归档</title>blogId=5\"</html>"));
             return f.Url(QStringLiteral("/other/"));
         },
         ListEnd::NotArchivePage, m3, kNone},
        {"error page of an unknown blog",
         [](FakeLofter &f) { return f.Url(QStringLiteral("/nobody/")); }, ListEnd::NotArchivePage,
         m3, kNone},
        {"no blog id",
         [](FakeLofter &f) {
             f.AddBlog(BlogWithPage(QStringLiteral("/noid/"),
                                    "<html><title>归档 - Bob</title><p>no id</p></html>"));
             return f.Url(QStringLiteral("/noid/"));
         },
         ListEnd::NoBlogId, m4, QStringLiteral("Bob/")},
        {"blog id only before the title",
         [](FakeLofter &f) {
             f.AddBlog(BlogWithPage(QStringLiteral("/early/"),
                                    "<a href=\"x?blogId=5\"></a><title>归档 - Eve</title>"));
             return f.Url(QStringLiteral("/early/"));
         },
         ListEnd::NoBlogId, m4, QStringLiteral("Eve/")},
        {"blog id too long for the call",
         [](FakeLofter &f) {
             f.AddBlog(BlogWithPage(QStringLiteral("/longid/"), "<title>归档 - Lo</title>blogId=" +
                                                                    QByteArray(2000, '9') + "\""));
             return f.Url(QStringLiteral("/longid/"));
         },
         ListEnd::NoBlogId, m4, QStringLiteral("Lo/")},
        {"archive call fails",
         [](FakeLofter &f) {
             f.AddBlog(listtest::PlainBlog(QStringLiteral("/carol/"), QStringLiteral("Carol"), 3));
             testsupport::ReplyOptions cut;
             cut.closeAfterBytes = 0;
             f.SetOptions(QStringLiteral("/carol/") + listtest::kArchiveCallTail, cut);
             return f.Url(QStringLiteral("/carol/"));
         },
         ListEnd::ArchiveCallFailed, kNone, QStringLiteral("Carol/")},
        {"archive answer empty",
         [](FakeLofter &f) {
             FakeBlog blog = listtest::PlainBlog(QStringLiteral("/dan/"), QStringLiteral("Dan"), 3);
             blog.archiveAnswerOverride = QByteArray();
             f.AddBlog(blog);
             return f.Url(QStringLiteral("/dan/"));
         },
         ListEnd::ArchiveCallFailed, kNone, QStringLiteral("Dan/")},
        {"archive answer without posts marker",
         [](FakeLofter &f) {
             FakeBlog blog = listtest::PlainBlog(QStringLiteral("/fay/"), QStringLiteral("Fay"), 3);
             blog.archiveAnswerOverride =
                 QByteArray("dwr.engine._remoteHandleCallback('1','0',[]);");
             f.AddBlog(blog);
             return f.Url(QStringLiteral("/fay/"));
         },
         ListEnd::Completed, kNone, QStringLiteral("Fay/")},
        {"blog without posts",
         [](FakeLofter &f) {
             f.AddBlog(listtest::PlainBlog(QStringLiteral("/gus/"), QStringLiteral("Gus"), 0));
             return f.Url(QStringLiteral("/gus/"));
         },
         ListEnd::Completed, kNone, QStringLiteral("Gus/")},
    };
}

} // namespace

TEST(ListFailure, EveryEndingWithoutAlbumsLeavesAnIdleWindow)
{
    FakeLofter lofter;
    for (const FailureCase &c : Cases()) {
        SCOPED_TRACE(c.name);
        ListHarness h;
        const QString address = c.prepare(lofter);
        const std::size_t requestsBefore = lofter.RequestCount();

        EXPECT_EQ(h.Run(address), c.end);

        const QStringList expectedMessages =
            c.message.isEmpty() ? QStringList() : QStringList{c.message};
        EXPECT_EQ(h.window.Messages(), expectedMessages);
        EXPECT_EQ(h.window.ControlText(IDC_ALBUM_FRAME), QStringLiteral("相册列表(共0个)"));
        EXPECT_EQ(h.window.ControlText(IDC_ALBUM_STATUS),
                  QStringLiteral("获取相册列表完成，共0个"));
        EXPECT_EQ(h.window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
        EXPECT_EQ(h.window.ControlText(IDC_PIC_STATUS), QString());
        EXPECT_FALSE(h.window.IsControlEnabled(IDC_DOWNLOAD));
        for (int id : {IDC_SITE, IDC_ADDRESS, IDC_THUMBNAILS, IDC_FIND_LINK, IDC_FILTER_LINK,
                       IDC_EXPORT_LINK})
            EXPECT_TRUE(h.window.IsControlEnabled(id)) << id;
        EXPECT_FALSE(h.window.IsControlShown(IDC_NOTICE));
        EXPECT_EQ(h.state->listState.load(), LIST_IDLE);
        EXPECT_EQ(h.state->siteKind.load(), SITE_KIND_LOFTER);
        EXPECT_EQ(h.state->albumList.Count(), 0);
        EXPECT_EQ(h.window.Grid().RowCount(), 1); // the header row alone
        EXPECT_EQ(h.state->BlogFolder(), c.blogFolder);
        EXPECT_EQ(h.state->SubFolder(), QString());
        EXPECT_TRUE(h.window.History(IDC_ADDRESS).isEmpty());
        EXPECT_TRUE(h.state->settings.History(HISTORY_ADDRESS).isEmpty());
        if (c.end == ListEnd::NotWebAddress) {
            EXPECT_EQ(lofter.RequestCount(), requestsBefore);
        }
    }
}

// An empty address: the message, and nothing else changes (the grid was rebuilt before the
// thread started, which clears "全选").
TEST(ListFailure, EmptyAddressShowsTheMessageAndTouchesNoControl)
{
    for (const QString &address : {QString(), QStringLiteral(" \t \r\n ")}) {
        SCOPED_TRACE(address.toStdString());
        ListHarness h;
        h.window.SetChecked(IDC_SELECT_ALL, true);
        h.window.SetControlText(IDC_ADDRESS, address);
        h.window.ClearCalls();
        ListRun run(*h.state, h.window);
        ASSERT_EQ(run.Start(), ListRun::StartResult::Started);
        run.Wait();
        EXPECT_EQ(run.Result(), ListEnd::EmptyAddress);

        const QString m1 = QString::fromUtf16(kMsgEmptyAddress);
        EXPECT_EQ(h.window.Changes(),
                  (QStringList{QStringLiteral("check 1012 0"), QStringLiteral("message ") + m1}));
        EXPECT_EQ(h.window.Messages(), QStringList{m1});
        EXPECT_EQ(h.window.ControlText(IDC_ALBUM_STATUS), QStringLiteral("state1"));
        EXPECT_EQ(h.window.ControlText(IDC_ALBUM_FRAME), QStringLiteral("相册列表"));
        EXPECT_EQ(h.window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
        EXPECT_TRUE(h.window.IsControlShown(IDC_NOTICE));
        EXPECT_TRUE(h.window.IsControlEnabled(IDC_ADDRESS));
        EXPECT_FALSE(h.window.IsControlEnabled(IDC_DOWNLOAD));
        EXPECT_EQ(h.state->listState.load(), LIST_IDLE);
        EXPECT_EQ(h.state->BlogFolder(), QString());
    }
}

// The controls while the run is going, in the order the window receives them.
TEST(ListFailure, EnterAndLeaveStateChangeTheControlsInOrder)
{
    ListHarness h;
    h.window.SetControlText(IDC_ADDRESS, QStringLiteral("not an address"));
    h.window.ClearCalls();
    ListRun run(*h.state, h.window);
    ASSERT_EQ(run.Start(), ListRun::StartResult::Started);
    run.Wait();

    const QString m2 = QString::fromUtf16(kMsgNotWebAddress);
    const QStringList expected{
        QStringLiteral("check 1012 0"), // the grid rebuilt empty
        QStringLiteral("enable 1002 0"),
        QStringLiteral("enable 1005 0"),
        QStringLiteral("enable 1001 0"),
        QStringLiteral("enable 1014 0"),
        QStringLiteral("check 1012 0"),
        QStringLiteral("text 1004 终止获取"),
        QStringLiteral("text 1011 相册列表"),
        QStringLiteral("text 1009 正在获取相册列表，请稍等..."),
        QStringLiteral("text 1006 "),
        QStringLiteral("show 1013 0"),
        QStringLiteral("enable 1034 0"),
        QStringLiteral("enable 1036 0"),
        QStringLiteral("enable 1037 0"),
        QStringLiteral("message ") + m2,
        QStringLiteral("text 1011 相册列表(共0个)"),
        QStringLiteral("text 1009 获取相册列表完成，共0个"),
        QStringLiteral("enable 1002 1"),
        QStringLiteral("text 1004 获取相册"),
        QStringLiteral("enable 1001 1"),
        QStringLiteral("enable 1014 1"),
        QStringLiteral("enable 1034 1"),
        QStringLiteral("enable 1036 1"),
        QStringLiteral("enable 1037 1"),
    };
    EXPECT_EQ(h.window.Changes(), expected);
}
