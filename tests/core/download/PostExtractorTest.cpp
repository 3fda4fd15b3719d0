// The LOFTER post extractor and AddPicJob: which picture a page yields, the job's name and
// folder, the marker and the skip rule, the status line and the name list.

#include "download/PostExtractor.h"
#include "DownloadFixture.h"
#include "download/DownRecords.h"
#include "download/WholeFile.h"

#include <QFileInfo>

using testsupport::FakeBlog;
using testsupport::FakeLofter;

namespace {

class PostExtractorTest : public DownloadFixture {
protected:
    // One album whose post page is `page`; jobs ready for the album in hand.
    void ListOnePost(const QByteArray &page)
    {
        FakeBlog blog;
        blog.posts = FakeLofter::GeneratePosts({.count = 1});
        blog.posts[0].pageOverride = page;
        ListBlog(blog);
        jobs.rootFolder = save;
        ASSERT_TRUE(QDir().mkpath(save));
        jobs.StartAlbum();
        state->downState.store(DOWN_RUNNING);
    }

    DownAlbumContext Context()
    {
        DownAlbumContext ctx{*state, window, jobs, options, {}, {}};
        ctx.naming.naming = state->settings.GetNaming(SITE_KIND_LOFTER);
        ctx.naming.albumCount = state->albumList.Count();
        ctx.naming.selectedCount = 1;
        return ctx;
    }

    ST_DOWNJOBLIST jobs;
};

} // namespace

TEST_F(PostExtractorTest, TakesTheFirstPictureOfTheContentArea)
{
    struct Case {
        const char *page;
        QStringList urls; // expected job addresses
    };
    const Case cases[] = {
        // The avatar before the content area and the picture after nctitle are not taken.
        {"<img src=\"http://a/avatar.png\"><div class=\"content\"><img src=\"http://a/1.jpg\">"
         "<img src=\"http://a/2.jpg\"><img src=\"http://a/3.jpg\"></div>"
         "<div class=\"nctitle\"><img src=\"http://a/after.jpg\">",
         {"http://a/1.jpg"}},
        // No content marker: the whole page is searched (up to nctitle).
        {"<p><img src=\"http://a/head.jpg\"></p><img src=\"http://a/x.jpg\">",
         {"http://a/head.jpg"}},
        {"<div class=\"content\">no picture</div><div class=\"nctitle\"><img "
         "src=\"http://a/n.jpg\">",
         {}},
        // An address not closed by a double quote gives an empty address.
        {"<div class=\"content\"><img src=http://a/open.jpg>", {}},
        {"", {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.page);
        ListOnePost(QByteArray(c.page));
        DownAlbumContext ctx = Context();
        ParseLofterPost(ctx, 0);
        EXPECT_EQ(jobs.urls, c.urls);
        if (!c.urls.isEmpty()) {
            EXPECT_EQ(jobs.fileNames, QStringList{QStringLiteral("图片1.jpg")});
            EXPECT_EQ(jobs.headers, QStringList{QString()});
            EXPECT_EQ(jobs.albumFolder, save + QStringLiteral("Post 0/"));
            EXPECT_TRUE(QFileInfo(jobs.albumFolder).isDir());
            EXPECT_EQ(window.ControlText(IDC_PIC_STATUS), QStringLiteral("已获取到1张图片信息"));
        }
    }
}

TEST_F(PostExtractorTest, UnclosedAddressYieldsAJobWithAnEmptyAddress)
{
    ListOnePost("<div class=\"content\"><img src=\"http://a/open.jpg");
    DownAlbumContext ctx = Context();
    ParseLofterPost(ctx, 0);
    EXPECT_EQ(jobs.urls, QStringList{QString()});
}

TEST_F(PostExtractorTest, SkipRuleAndNameList)
{
    ListOnePost("<div class=\"content\"><img src=\"http://a/1.jpg\">");
    const QString folder = save + QStringLiteral("Post 0/");
    ASSERT_TRUE(QDir().mkpath(folder));
    ASSERT_TRUE(WriteFolderMarker(QStringLiteral("http://a/1.jpg"), folder));

    struct Case {
        quint16 bits;
        bool added;
    };
    for (const Case c : {Case{OPT_SKIP_DOWNLOADED, false}, Case{OPT_NAME_LIST, true},
                         Case{OPT_SKIP_DOWNLOADED | OPT_NAME_LIST, false}}) {
        SCOPED_TRACE(c.bits);
        jobs.StartAlbum();
        state->downState.store(DOWN_RUNNING);
        QFile::remove(folder + QStringLiteral("Post 0.txt"));
        state->settings.SetOptionBits(SITE_KIND_LOFTER, c.bits);
        DownAlbumContext ctx = Context();
        ParseLofterPost(ctx, 0);
        EXPECT_EQ(ctx.rememberedMarker, QStringLiteral("http://a/1.jpg"));
        EXPECT_EQ(jobs.Count(), c.added ? 1 : 0);
        EXPECT_EQ(state->downState.load(), c.added ? DOWN_RUNNING : DOWN_ALBUM_DONE);
        EXPECT_EQ(ReadAll(folder + QStringLiteral("Post 0.txt")),
                  c.added ? QByteArray("\xFF\xFE") + Utf16LeBytes(QStringLiteral("图片1\r\n"))
                          : QByteArray("<unreadable>"));
    }

    // A pending stop is not overwritten by the skip rule; an empty address never matches an
    // empty marker.
    jobs.StartAlbum();
    state->settings.SetOptionBits(SITE_KIND_LOFTER, OPT_SKIP_DOWNLOADED);
    state->downState.store(DOWN_STOP);
    DownAlbumContext stopped = Context();
    AddPicJob(stopped, QStringLiteral("http://a/1.jpg"), QStringLiteral("x"), QString(), 0);
    EXPECT_EQ(state->downState.load(), DOWN_STOP);
    ASSERT_TRUE(QFile::remove(folder + QStringLiteral("pic.tql")));
    jobs.StartAlbum();
    state->downState.store(DOWN_RUNNING);
    DownAlbumContext empty = Context();
    AddPicJob(empty, QString(), QStringLiteral("x"), QString(), 0);
    EXPECT_EQ(jobs.Count(), 1);
}

TEST_F(PostExtractorTest, AddPicJobNamesRepeatsAndRefusesUnsafeNames)
{
    ListOnePost("");
    NamingRecord naming;
    naming.fileNameMode = NAME_BY_ADDRESS;
    state->settings.SetNaming(SITE_KIND_LOFTER, naming);
    DownAlbumContext ctx = Context();
    AddPicJob(ctx, QStringLiteral("http://a/b/abc.PNG"), QStringLiteral("n"), QString(), 0);
    AddPicJob(ctx, QStringLiteral("http://a/c/abc.png"), QStringLiteral("n"), QString(), 0);
    // An absolute name inside the root is kept; one outside it is refused.
    AddPicJob(ctx, QStringLiteral("http://a/x.jpg"), save + QStringLiteral("own.jpg"), QString(),
              0);
    AddPicJob(ctx, QStringLiteral("http://a/y.jpg"), QStringLiteral("/etc/evil.jpg"), QString(), 0);
    EXPECT_EQ(jobs.fileNames,
              (QStringList{QStringLiteral("abc.PNG"), QStringLiteral("abc.png(1).png"),
                           save + QStringLiteral("own.jpg")}));
    EXPECT_EQ(window.ControlText(IDC_PIC_STATUS), QStringLiteral("已获取到3张图片信息"));
}
