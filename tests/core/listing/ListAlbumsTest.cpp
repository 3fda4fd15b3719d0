// Albums a list run makes: names (escapes, substitutes, cleaning, distinctness), post
// addresses, the grid rows, pagination over many archive calls, stop requests, and the
// address history.

#include "ListHarness.h"
#include "WaitFor.h"
#include "listing/ListTexts.h"
#include "settings/SettingsBlock.h"

#include <QSet>

using listtest::IsSafeName;
using listtest::ListHarness;
using testsupport::FakeBlog;
using testsupport::FakeLofter;
using testsupport::FakePost;

namespace {

FakePost Post(const QString &permalink, std::int64_t timeMs, const QString &title,
              const QString &notice = QString())
{
    FakePost post;
    post.permalink = permalink;
    post.timeMs = timeMs;
    post.title = title;
    post.noticeLinkTitle = notice;
    return post;
}

// Posts of an archive answer in the service's script form.
QByteArray AnswerPart(int i, std::int64_t timeMs, const QByteArray &title,
                      const QByteArray &permalink)
{
    const QByteArray s = "s" + QByteArray::number(i);
    QByteArray part = s + ".blogId=9;" + s + ".time=" + QByteArray::number(timeMs) + ";";
    part += s + ".title=\"" + title + "\";";
    if (!permalink.isNull())
        part += s + ".permalink=\"" + permalink + "\";";
    return part + "\n";
}

QString CallPath(const QString &blogPath)
{
    return blogPath + listtest::kArchiveCallTail;
}

} // namespace

TEST(ListAlbums, TitlesBecomeCleanDistinctNames)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/b/"), QStringLiteral("Names"), 0);
    const std::int64_t t = 1400000000000;
    blog.posts = {
        Post("p0", t - 0, QStringLiteral("abc")),
        Post("p1", t - 1, QStringLiteral("abc")),
        Post("p2", t - 2, QStringLiteral("abc")),
        Post("p3", t - 3, QStringLiteral("abc (1)")),
        Post("p4", t - 4, QStringLiteral("中文标题")),
        Post("p5", t - 5, QString(), QStringLiteral("公告")),
        Post("p6", t - 6, QString()),
        Post("p7", t - 7, QStringLiteral("a/b:c*d?e<f>g|h")),
        Post("p8", t - 8, QStringLiteral("...")),
        Post("p9", t - 9, QStringLiteral("a") + QChar(u'\0') + QStringLiteral("b")),
        Post("pa", t - 10, QStringLiteral("  spaced   out  ")),
        Post("pb", t - 11, QString(QChar(u'\0'))),
    };
    lofter.AddBlog(blog);
    ListHarness h;
    const QString address = lofter.Url(QStringLiteral("/b/"));
    ASSERT_EQ(h.Run(address), ListEnd::Completed);

    const QStringList names = h.Names();
    ASSERT_EQ(names.size(), 12);
    const QStringList expected{
        QStringLiteral("abc"),         QStringLiteral("abc (1)"),    QStringLiteral("abc (2)"),
        QStringLiteral("abc (1) (1)"), QStringLiteral("中文标题"),   QStringLiteral("公告"),
        QStringLiteral("p6"),          QStringLiteral("abcdefgh"),   QStringLiteral("。。。"),
        QStringLiteral("ab"),          QStringLiteral("spaced out"), QStringLiteral("pb"),
    };
    EXPECT_EQ(names, expected);
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    for (const QString &name : names)
        EXPECT_TRUE(IsSafeName(name));
    for (int i = 0; i < names.size(); ++i)
        EXPECT_EQ(h.state->albumList.At(i).postUrl,
                  address + QStringLiteral("post/") + blog.posts[static_cast<size_t>(i)].permalink);
}

TEST(ListAlbums, AlbumsShowInTheGridAndTheWindowReturnsToIdle)
{
    FakeLofter lofter;
    lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/g/"), QStringLiteral("Grid / Blog"), 3));
    ListHarness h;
    h.window.ShowControl(IDC_NOTICE, true);
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/g/"))), ListEnd::Completed);

    const GridOps &grid = h.window.Grid();
    ASSERT_EQ(grid.RowCount(), 4);
    for (int row = 1; row < 4; ++row) {
        EXPECT_EQ(grid.GetCellText(row, 0), QString::asprintf("%04d", row));
        EXPECT_EQ(grid.GetCellData(row, 0), row - 1);
        EXPECT_EQ(grid.GetCellText(row, 1), QStringLiteral("Post %1").arg(row - 1));
        EXPECT_EQ(grid.GetCellText(row, 2), QStringLiteral("未知"));
        EXPECT_EQ(grid.GetCellText(row, 3), QString());
    }
    EXPECT_EQ(h.window.ControlText(IDC_ALBUM_FRAME), QStringLiteral("相册列表(共3个)"));
    EXPECT_EQ(h.window.ControlText(IDC_ALBUM_STATUS), QStringLiteral("获取相册列表完成，共3个"));
    EXPECT_EQ(h.window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
    for (int id : {IDC_DOWNLOAD, IDC_SITE, IDC_ADDRESS, IDC_THUMBNAILS, IDC_FIND_LINK,
                   IDC_FILTER_LINK, IDC_EXPORT_LINK})
        EXPECT_TRUE(h.window.IsControlEnabled(id)) << id;
    EXPECT_FALSE(h.window.IsControlShown(IDC_NOTICE));
    EXPECT_EQ(h.state->listState.load(), LIST_IDLE);
    EXPECT_EQ(h.state->BlogFolder(), QStringLiteral("Grid Blog/"));
    EXPECT_EQ(h.state->SubFolder(), QString());
    EXPECT_TRUE(h.window.Messages().isEmpty());
}

// 1,000 posts take 21 calls of at most 50 posts; each call asks for the posts older than the
// last one read; every post is listed once, newest first.
TEST(ListAlbums, ThousandPostsListCompletelyInOrder)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/big/"), QStringLiteral("Big"), 1000);
    lofter.AddBlog(blog);
    ListHarness h;
    const QString address = lofter.Url(QStringLiteral("/big/"));
    ASSERT_EQ(h.Run(address), ListEnd::Completed);

    QStringList expectedUrls;
    QStringList expectedNames;
    for (const FakePost &post : blog.posts) {
        expectedUrls.append(address + QStringLiteral("post/") + post.permalink);
        expectedNames.append(post.title);
    }
    EXPECT_EQ(h.PostUrls(), expectedUrls);
    EXPECT_EQ(h.Names(), expectedNames);
    EXPECT_EQ(h.window.Grid().RowCount(), 1001);
    EXPECT_EQ(h.window.ControlText(IDC_ALBUM_STATUS), QStringLiteral("获取相册列表完成，共1000个"));

    const auto calls = lofter.RequestsFor(CallPath(QStringLiteral("/big/")));
    ASSERT_EQ(calls.size(), 21u);
    for (std::size_t k = 1; k < calls.size(); ++k) {
        const auto parsed = FakeLofter::ParseArchiveCall(calls[k].body);
        ASSERT_TRUE(parsed.has_value());
        EXPECT_EQ(parsed->cursorMs, blog.posts[50 * k - 1].timeMs) << k;
        EXPECT_EQ(parsed->count, 50);
    }
}

// An answer that ignores the cursor: the second call brings the same posts, which are not
// listed again, and the cursor that did not move ends the run.
TEST(ListAlbums, CursorThatDoesNotMoveEndsTheRun)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/same/"), QStringLiteral("Same"), 0);
    QByteArray answer;
    for (int i = 0; i < 50; ++i)
        answer += AnswerPart(i, 1400000000000 - i, "t" + QByteArray::number(i),
                             "p" + QByteArray::number(i));
    blog.archiveAnswerOverride = answer;
    lofter.AddBlog(blog);
    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/same/"))), ListEnd::Completed);
    EXPECT_EQ(h.state->albumList.Count(), 50);
    EXPECT_EQ(lofter.RequestsFor(CallPath(QStringLiteral("/same/"))).size(), 2u);
}

// A part without a permalink gives no album; the others are listed.
TEST(ListAlbums, PartWithoutPermalinkIsSkipped)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/skip/"), QStringLiteral("Skip"), 0);
    blog.archiveAnswerOverride = AnswerPart(1, 30, "one", "p1") + AnswerPart(2, 20, "two", {}) +
                                 AnswerPart(3, 10, "three", "p3");
    lofter.AddBlog(blog);
    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/skip/"))), ListEnd::Completed);
    EXPECT_EQ(h.Names(), (QStringList{QStringLiteral("one"), QStringLiteral("three")}));
}

// A stop request that arrives while an archive call is being answered: the call in flight is
// cut off, or, when its answer was already in hand, the run stops after the album in hand; it
// never asks again. Without permalinks the answer gives no album and the stop is honoured
// before the next call.
TEST(ListAlbums, StopEndsTheRunAfterTheAlbumOrBeforeTheNextCall)
{
    struct Case {
        const char *name;
        bool withPermalinks;
        int maxAlbums;
    };
    for (const Case &c :
         {Case{"after the album in hand", true, 1}, Case{"between the calls", false, 0}}) {
        SCOPED_TRACE(c.name);
        FakeLofter lofter;
        lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/s/"), QStringLiteral("Stop"), 0));
        ListHarness h;
        GleanerState *state = h.state.get();
        const bool withPermalinks = c.withPermalinks;
        lofter.Serve("POST", CallPath(QStringLiteral("/s/")),
                     [state, withPermalinks](const testsupport::RecordedRequest &) {
                         std::uint8_t running = LIST_RUNNING;
                         state->listState.compare_exchange_strong(running, LIST_STOP);
                         QByteArray answer;
                         for (int i = 0; i < 50; ++i)
                             answer += AnswerPart(i, 1400000000000 - i * 1000, "t",
                                                  withPermalinks ? "p" + QByteArray::number(i)
                                                                 : QByteArray());
                         return testsupport::Reply{200, "text/javascript", answer, {}};
                     });
        const QString address = lofter.Url(QStringLiteral("/s/"));
        ASSERT_EQ(h.Run(address), ListEnd::Stopped);

        const int albums = h.state->albumList.Count();
        EXPECT_LE(albums, c.maxAlbums);
        EXPECT_EQ(lofter.RequestsFor(CallPath(QStringLiteral("/s/"))).size(), 1u);
        EXPECT_EQ(h.state->listState.load(), LIST_IDLE);
        EXPECT_EQ(h.window.ControlText(IDC_ALBUM_STATUS),
                  QString::asprintf("获取相册列表完成，共%d个", albums));
        EXPECT_EQ(h.window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
        EXPECT_EQ(h.window.IsControlEnabled(IDC_DOWNLOAD), albums > 0);
        // An address that listed albums is remembered, even after a stop.
        EXPECT_EQ(h.window.History(IDC_ADDRESS), albums > 0 ? QStringList{address} : QStringList());
    }
}

// A stop cuts off a request in flight instead of waiting for its 20-second time-outs, for the
// archive page and for the archive call alike.
TEST(ListAlbums, StopCutsOffTheRequestInFlight)
{
    for (const QString &slowPath : {QStringLiteral("/f/view"), CallPath(QStringLiteral("/f/"))}) {
        SCOPED_TRACE(slowPath.toStdString());
        FakeLofter lofter;
        lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/f/"), QStringLiteral("Flight"), 3));
        testsupport::ReplyOptions silent;
        silent.neverAnswer = true;
        lofter.SetOptions(slowPath, silent);
        ListHarness h;
        h.window.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/f/")));
        const auto started = std::chrono::steady_clock::now();
        ListRun run(*h.state, h.window);
        ASSERT_EQ(run.Start(), ListRun::StartResult::Started);
        ASSERT_TRUE(testsupport::WaitFor([&] { return !lofter.RequestsFor(slowPath).empty(); }));
        run.RequestStop();
        run.Wait();
        EXPECT_EQ(run.Result(), ListEnd::Stopped);
        EXPECT_EQ(h.state->albumList.Count(), 0);
        EXPECT_EQ(h.window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
        // Watchdog: well below the 20-second time-outs the request would otherwise wait out.
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
    }
}

// Stopping through ListRun in the middle of a long listing; the destructor stops and joins.
TEST(ListAlbums, RequestStopDuringPaginationAndDestructorJoin)
{
    FakeLofter lofter;
    lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/long/"), QStringLiteral("Long"), 1000));
    testsupport::ReplyOptions slow;
    slow.delay = std::chrono::milliseconds(100);
    lofter.SetOptions(CallPath(QStringLiteral("/long/")), slow);

    ListHarness h;
    h.window.SetControlText(IDC_ADDRESS, lofter.Url(QStringLiteral("/long/")));
    {
        ListRun run(*h.state, h.window);
        ASSERT_EQ(run.Start(), ListRun::StartResult::Started);
        EXPECT_EQ(run.Start(), ListRun::StartResult::Busy);
        ASSERT_TRUE(testsupport::WaitFor([&] { return h.state->albumList.Count() >= 50; }));
        run.RequestStop();
        run.Wait();
        EXPECT_EQ(run.Result(), ListEnd::Stopped);
        const int listed = h.state->albumList.Count();
        EXPECT_GE(listed, 50);
        EXPECT_LT(listed, 1000);
        EXPECT_EQ(h.window.Grid().RowCount(), listed + 1);

        // The same object starts the next run; the destructor stops it and joins.
        ASSERT_EQ(run.Start(), ListRun::StartResult::Started);
    }
    EXPECT_EQ(h.state->listState.load(), LIST_IDLE);
    EXPECT_EQ(h.window.ControlText(IDC_GET_LIST), QStringLiteral("获取相册"));
    EXPECT_LT(h.state->albumList.Count(), 1000);
}

// The address history: the trimmed text as typed, saved to soft.dat, added once.
TEST(ListAlbums, AddressHistoryIsTrimmedSavedAndNotRepeated)
{
    FakeLofter lofter;
    lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/h/"), QStringLiteral("History"), 2));
    ListHarness h;
    const QString address = lofter.Url(QStringLiteral("/h/post/xyz"));

    ASSERT_EQ(h.Run(QStringLiteral("  ") + address + QStringLiteral("\t ")), ListEnd::Completed);
    const QStringList firstNames = h.Names();
    EXPECT_EQ(h.window.History(IDC_ADDRESS), QStringList{address});
    EXPECT_EQ(h.state->settings.HistoryEntry(HISTORY_ADDRESS, 0), address);
    {
        SettingsBlock onDisk(h.state->settings.FilePath());
        ASSERT_EQ(onDisk.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
        EXPECT_EQ(onDisk.History(HISTORY_ADDRESS), QStringList{address});
    }

    // Again, in other letter case: same albums, no second history entry.
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/h/post/XYZ"))), ListEnd::Completed);
    ASSERT_EQ(h.Run(address), ListEnd::Completed);
    EXPECT_EQ(h.Names(), firstNames);
    EXPECT_EQ(h.window.History(IDC_ADDRESS), QStringList{address});
    EXPECT_EQ(h.state->settings.History(HISTORY_ADDRESS), QStringList{address});
}
