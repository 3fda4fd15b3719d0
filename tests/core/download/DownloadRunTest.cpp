// The download run end to end against the fake service: the folder tree and the files, the
// window's labels and button, the messages, the stop, the skip rule, the lists and the fixes.

#include "DownloadFixture.h"
#include "WaitFor.h"
#include "download/DownAlbumsFunc.h"
#include "download/DownTexts.h"
#include "download/PicFixes.h"
#include "download/WholeFile.h"

#include <QDateTime>
#include <QFileInfo>

#include <sys/stat.h>

using testsupport::FakeBlog;
using testsupport::FakeLofter;
using testsupport::GenerateOptions;
using testsupport::PictureBytes;
using testsupport::PictureKind;
using testsupport::PictureSpec;

namespace {

FakeBlog Blog(int posts, GenerateOptions generate = {})
{
    generate.count = posts;
    FakeBlog blog;
    blog.posts = FakeLofter::GeneratePosts(generate);
    return blog;
}

// The content picture of generated post `i` (one picture per post).
PictureSpec PostPicture(int i, PictureKind kind = PictureKind::Jpeg)
{
    PictureSpec spec;
    spec.kind = kind;
    spec.seed = i * 16;
    return spec;
}

QStringList Texts(const QStringList &changes, int id)
{
    QStringList texts;
    const QString prefix = QStringLiteral("text %1 ").arg(id);
    for (const QString &line : changes) {
        if (line.startsWith(prefix))
            texts.append(line.mid(prefix.size()));
    }
    return texts;
}

} // namespace
class DownloadRunTest : public DownloadFixture {};

TEST_F(DownloadRunTest, DownloadsSelectedAlbumsIntoTheirFolders)
{
    ListBlog(Blog(3));
    SelectAlbums({0, 2});
    window.SetControlText(IDC_SAVE_PATH, QStringLiteral("  ") + save + QStringLiteral("  "));
    EXPECT_EQ(RunDownload(), DownEnd::Completed);

    const QString root = BlogRoot();
    EXPECT_EQ(root, save + QStringLiteral("Blog/"));
    EXPECT_EQ(ReadAll(root + QStringLiteral("Post 0/图片1.jpg")), PictureBytes(PostPicture(0)));
    EXPECT_EQ(ReadAll(root + QStringLiteral("Post 2/图片1.jpg")), PictureBytes(PostPicture(2)));
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("Post 1")));
    EXPECT_EQ(ReadAll(root + QStringLiteral("Post 0/pic.tql")),
              Utf16LeBytes(lofter.PictureUrl(PostPicture(0))));
    EXPECT_EQ(saved, 2);
    EXPECT_EQ(failed, 0);
    EXPECT_EQ(state->albumList.selectedCount.load(), 2);
    EXPECT_EQ(state->downState.load(), DOWN_IDLE);

    const QStringList changes = window.Changes();
    EXPECT_EQ(Texts(changes, IDC_ALBUM_STATUS),
              (QStringList{"正在下载第1/2个图集", "正在下载第2/2个图集", "下载完毕"}));
    EXPECT_EQ(
        Texts(changes, IDC_PIC_STATUS),
        (QStringList{"......", "已获取到1张图片信息", "已开始下载图片", "已下载1/1......", "......",
                     "已获取到1张图片信息", "已开始下载图片", "已下载1/1......", ""}));
    EXPECT_EQ(Texts(changes, IDC_DOWNLOAD), (QStringList{"终止下载", "下载"}));
    for (int id : {IDC_SITE, IDC_GET_LIST, IDC_SET_PATH, IDC_ADDRESS, IDC_SAVE_PATH}) {
        EXPECT_TRUE(changes.contains(QStringLiteral("enable %1 0").arg(id))) << id;
        EXPECT_TRUE(window.IsControlEnabled(id)) << id;
    }
    EXPECT_EQ(changes.filter(QStringLiteral("pics-done ")).size(), 2);
    EXPECT_TRUE(
        changes.filter(QStringLiteral("pics-done ")).first().endsWith(QStringLiteral(" 1")));
    // The settings' default option "open the folder" is off here.
    EXPECT_TRUE(changes.filter(QStringLiteral("open-folder")).isEmpty());
    EXPECT_TRUE(window.Messages().isEmpty());
}

TEST_F(DownloadRunTest, EarlyEndsShowTheirMessageAndLeaveTheStateIdle)
{
    ListBlog(Blog(1));
    SelectAlbums({0});
    // A regular file where a folder level should be.
    QFile blocker(dir.path() + QStringLiteral("/file"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();

    struct Case {
        QString savePath;
        DownEnd end;
        QStringList messages;
    };
    const Case cases[] = {
        {QStringLiteral("   "), DownEnd::NoSavePath, {QStringLiteral("请先设置保存路径")}},
        // The message names the first level that is not a folder.
        {dir.path() + QStringLiteral("/file/sub"),
         DownEnd::FolderFailed,
         {dir.path() + QStringLiteral("/file"), QStringLiteral("请检测设置的保存路径是否有误")}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.savePath.toStdString());
        window.SetControlText(IDC_SAVE_PATH, c.savePath);
        const qsizetype before = window.Messages().size();
        EXPECT_EQ(RunDownload(), c.end);
        EXPECT_EQ(window.Messages().mid(before), c.messages);
        EXPECT_EQ(state->downState.load(), DOWN_IDLE);
        EXPECT_EQ(window.ControlText(IDC_DOWNLOAD), QStringLiteral("下载"));
    }
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/file/sub")));
    EXPECT_EQ(
        lofter.RequestsFor(QStringLiteral("/b/post/") + lofter.Blog("/b/")->posts[0].permalink)
            .size(),
        0u);
    // A later press starts a run again.
    window.SetControlText(IDC_SAVE_PATH, save);
    EXPECT_EQ(RunDownload(), DownEnd::Completed);
    EXPECT_EQ(saved, 1);
}

TEST_F(DownloadRunTest, NoSelectionShowsAMessageAndEndsThroughDone)
{
    ListBlog(Blog(2));
    window.Grid().ClearSelection();
    state->settings.SetOptionBits(SITE_KIND_LOFTER, OPT_OPEN_FOLDER);
    EXPECT_EQ(RunDownload(), DownEnd::NoAlbumSelected);
    EXPECT_EQ(window.Messages(), QStringList{QString::fromUtf16(kMsgNoAlbumSelected)});
    EXPECT_EQ(window.ControlText(IDC_ALBUM_STATUS), QStringLiteral("下载完毕"));
    EXPECT_EQ(state->albumList.selectedCount.load(), 0);
    EXPECT_TRUE(window.Changes().filter(QStringLiteral("open-folder")).isEmpty());
}

TEST_F(DownloadRunTest, StopDuringTheFirstAlbumEndsTheRunWithoutMarker)
{
    ListBlog(Blog(2));
    SelectAlbums({0, 1});
    testsupport::ReplyOptions stall;
    stall.stallAfterBytes = 10;
    stall.stallFor = std::chrono::seconds(30);
    lofter.SetOptions(testsupport::PicturePath(PostPicture(0)), stall);

    DownloadRun run(*state, window);
    run.SetOptions(options);
    ASSERT_EQ(run.Start(), DownloadRun::StartResult::Started);
    ASSERT_TRUE(testsupport::WaitFor(
        [&] { return !lofter.RequestsFor(testsupport::PicturePath(PostPicture(0))).empty(); }));
    EXPECT_EQ(run.Start(), DownloadRun::StartResult::Busy);
    run.RequestStop();
    run.Wait();

    EXPECT_EQ(run.Result(), DownEnd::Stopped);
    const QString album0 = BlogRoot() + QStringLiteral("Post 0/");
    EXPECT_FALSE(QFileInfo::exists(album0 + QStringLiteral("pic.tql")));
    EXPECT_EQ(QDir(album0).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList());
    EXPECT_FALSE(QFileInfo::exists(BlogRoot() + QStringLiteral("Post 1")));
    EXPECT_TRUE(
        lofter.RequestsFor(QStringLiteral("/b/post/") + lofter.Blog("/b/")->posts[1].permalink)
            .empty());
    EXPECT_EQ(window.ControlText(IDC_ALBUM_STATUS), QStringLiteral("下载完毕"));
    EXPECT_EQ(window.ControlText(IDC_PIC_STATUS), QString());
    EXPECT_EQ(window.ControlText(IDC_DOWNLOAD), QStringLiteral("下载"));
    EXPECT_EQ(state->downState.load(), DOWN_IDLE);
    EXPECT_EQ(run.PicturesSaved(), 0);
    // A new run goes again.
    lofter.ClearOptions();
    ASSERT_EQ(run.Start(), DownloadRun::StartResult::Started);
    run.Wait();
    EXPECT_EQ(run.Result(), DownEnd::Completed);
    EXPECT_EQ(run.PicturesSaved(), 2);
}

TEST_F(DownloadRunTest, SkipDownloadedAddsNoJobOnTheSecondRun)
{
    ListBlog(Blog(2));
    SelectAlbums({0, 1});
    for (const bool skip : {true, false}) {
        SCOPED_TRACE(skip);
        state->settings.SetOptionBits(SITE_KIND_LOFTER, skip ? OPT_SKIP_DOWNLOADED : 0);
        ASSERT_EQ(RunDownload(), DownEnd::Completed);
        ASSERT_EQ(saved, 2);
        lofter.ClearRequests();
        window.ClearCalls();
        ASSERT_EQ(RunDownload(), DownEnd::Completed);
        const std::size_t pictureRequests =
            lofter.RequestsFor(testsupport::PicturePath(PostPicture(0))).size() +
            lofter.RequestsFor(testsupport::PicturePath(PostPicture(1))).size();
        EXPECT_EQ(pictureRequests, skip ? 0u : 2u);
        EXPECT_EQ(saved, skip ? 0 : 2);
        EXPECT_EQ(window.Changes().filter(QStringLiteral("已开始下载图片")).size(), skip ? 0 : 2);
        EXPECT_EQ(state->downState.load(), DOWN_IDLE);
        // The next run starts from empty folders.
        ASSERT_TRUE(QDir(BlogRoot()).removeRecursively());
    }
}

TEST_F(DownloadRunTest, UrlListOnlyWritesListsAndOpensTheLastFolder)
{
    ListBlog(Blog(2));
    SelectAlbums({0, 1});
    // A picture address with Chinese characters, written in GBK.
    lofter.UpdateBlog(QStringLiteral("/b/"), [](FakeBlog &blog) {
        blog.posts[1].pictures = {QStringLiteral("http://127.0.0.1:1/图/a.jpg")};
    });
    state->settings.SetOptionBits(SITE_KIND_LOFTER,
                                  OPT_URL_LIST_ONLY | OPT_OPEN_FOLDER | OPT_NAME_LIST);
    EXPECT_EQ(RunDownload(), DownEnd::Completed);

    const QString root = BlogRoot();
    EXPECT_EQ(ReadAll(root + QStringLiteral("Post 0/Post 0.lst")),
              lofter.PictureUrl(PostPicture(0)).toUtf8() + "\r\n");
    EXPECT_EQ(ReadAll(root + QStringLiteral("Post 1/Post 1.lst")),
              QByteArray("http://127.0.0.1:1/\xCD\xBC/a.jpg\r\n"));
    // The name list: byte-order mark and one line "图片1".
    EXPECT_EQ(ReadAll(root + QStringLiteral("Post 1/Post 1.txt")),
              QByteArray("\xFF\xFE") + Utf16LeBytes(QStringLiteral("图片1\r\n")));
    for (const char *album : {"Post 0/", "Post 1/"}) {
        EXPECT_EQ(
            QDir(root + QString::fromUtf8(album)).entryList(QDir::Files | QDir::Hidden).size(), 2)
            << album;
        EXPECT_FALSE(
            QFileInfo::exists(root + QString::fromUtf8(album) + QStringLiteral("pic.tql")));
    }
    EXPECT_EQ(window.Changes().filter(QStringLiteral("open-folder")),
              QStringList{QStringLiteral("open-folder ") + root + QStringLiteral("Post 1/")});
    EXPECT_EQ(saved + failed, 0);
}

TEST_F(DownloadRunTest, NoPictureLeavesTotalZeroAndTheFolderClosed)
{
    ListBlog(Blog(2, {.picturesPerPost = 0}));
    SelectAlbums({0, 1});
    state->settings.SetOptionBits(SITE_KIND_LOFTER, OPT_OPEN_FOLDER);
    EXPECT_EQ(RunDownload(), DownEnd::Completed);
    EXPECT_TRUE(window.Changes().filter(QStringLiteral("open-folder")).isEmpty());
    EXPECT_TRUE(window.Changes().filter(QStringLiteral("已开始下载图片")).isEmpty());
    EXPECT_FALSE(QFileInfo::exists(BlogRoot() + QStringLiteral("Post 0")));
}

TEST_F(DownloadRunTest, FixesRenameByContentAndStampAlbumOrder)
{
    // A PNG picture behind an address ending in .jpg is saved as 图片1.jpg, then renamed.
    FakeBlog blog = Blog(1);
    lofter.Serve("GET", QStringLiteral("/pics/one.jpg"), [](const testsupport::RecordedRequest &) {
        return testsupport::Reply{
            200, "image/jpeg", PictureBytes(PostPicture(5, PictureKind::Png)), {}};
    });
    blog.posts[0].pictures = {QStringLiteral("/pics/one.jpg")};
    ListBlog(blog);
    SelectAlbums({0});
    state->settings.SetOptionBits(SITE_KIND_LOFTER, OPT_FIX_FORMAT | OPT_FIX_ORDER);
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    EXPECT_EQ(RunDownload(), DownEnd::Completed);
    const qint64 after = QDateTime::currentSecsSinceEpoch();
    const QString album = BlogRoot() + QStringLiteral("Post 0/");
    EXPECT_FALSE(QFileInfo::exists(album + QStringLiteral("图片1.jpg")));
    EXPECT_EQ(ReadAll(album + QStringLiteral("图片1.png")),
              PictureBytes(PostPicture(5, PictureKind::Png)));
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(album + QStringLiteral("图片1.png")).constData(), &info), 0);
    EXPECT_GE(info.st_mtime, before);
    EXPECT_LE(info.st_mtime, after);
}

TEST_F(DownloadRunTest, FolderModeNoneWithRepeatingNamesLandsInTheRoot)
{
    ListBlog(Blog(2));
    SelectAlbums({0, 1});
    NamingRecord naming = state->settings.GetNaming(SITE_KIND_LOFTER);
    naming.folderNameMode = FOLDER_NONE;
    state->settings.SetNaming(SITE_KIND_LOFTER, naming);
    EXPECT_EQ(RunDownload(), DownEnd::Completed);
    // Both albums' picture is "图片1.jpg" in the root: the later one replaces the earlier.
    EXPECT_EQ(QDir(BlogRoot()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
              (QStringList{QStringLiteral("pic.tql"), QStringLiteral("图片1.jpg")}));
    EXPECT_EQ(ReadAll(BlogRoot() + QStringLiteral("图片1.jpg")), PictureBytes(PostPicture(1)));
    EXPECT_EQ(saved, 2);
}

TEST_F(DownloadRunTest, SiteKindWithoutExtractorAddsNothing)
{
    ListBlog(Blog(2));
    SelectAlbums({0, 1});
    struct Case {
        int kind;
        int messages;
    };
    for (const Case c : {Case{3, 0}, Case{20, 2}}) {
        state->siteKind.store(c.kind);
        state->settings.SetDownParams(c.kind, {0, 0, 3, 10});
        const qsizetype before = window.Messages().size();
        EXPECT_EQ(RunDownload(), DownEnd::Completed);
        EXPECT_EQ(window.Messages().size() - before, c.messages);
        for (const QString &m : window.Messages().mid(before))
            EXPECT_EQ(m, QStringLiteral("Error ListType Code."));
        EXPECT_EQ(saved, 0);
    }
    EXPECT_TRUE(
        lofter.RequestsFor(QStringLiteral("/b/post/") + lofter.Blog("/b/")->posts[0].permalink)
            .empty());
}

TEST(SelectedAlbumsTest, ListAndThumbnailRules)
{
    MemoryGrid grid;
    // List view: header row and four album rows; the data of column 0 is the album index.
    grid.SetupGrid(1, 5, 4, true);
    const qint32 data[] = {0, 3, 1, 2, 7};
    for (int row = 1; row < 5; ++row)
        grid.SetCellData(row, 0, data[row]);
    grid.SetCellSelected(4, 2, true); // any cell of the row counts
    grid.SetCellSelected(2, 0, true);
    grid.SetCellSelected(3, 3, true);
    AlbumViewState list;
    EXPECT_EQ(SelectedAlbums(grid, list, 4), (QList<qint32>{1, 2})); // 7 is out of range
    EXPECT_EQ(SelectedAlbums(grid, list, 8), (QList<qint32>{1, 2, 7}));

    // Thumbnail view: no header, 3 cells per row, 5 albums: the last row's third cell is empty.
    MemoryGrid thumbs;
    thumbs.SetupGrid(0, 2, 3, false);
    for (int cell = 0; cell < 6; ++cell)
        thumbs.SetCellData(cell / 3, cell % 3, cell == 5 ? 0 : cell);
    for (int cell : {4, 1, 5})
        thumbs.SetCellSelected(cell / 3, cell % 3, true);
    AlbumViewState thumbView;
    thumbView.thumbMode = true;
    EXPECT_EQ(SelectedAlbums(thumbs, thumbView, 5), (QList<qint32>{1, 4}));
}
