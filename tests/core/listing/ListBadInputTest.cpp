// Hostile or broken pages and answers: huge answers and titles, titles made of characters no
// file name can hold, titles that clean to dots, parts without markers. Nothing crashes or
// hangs, and every album name and the blog folder stay single, safe file-name components.

#include "ListHarness.h"

#include <QRegularExpression>
#include <QSet>

using listtest::IsFolderPiece;
using listtest::IsSafeName;
using listtest::ListHarness;
using testsupport::FakeBlog;
using testsupport::FakeLofter;

namespace {

const QRegularExpression kTimeName(QStringLiteral("^\\d{14}( \\(\\d+\\))?$"));

void ExpectAllSafe(const ListHarness &h)
{
    const QStringList names = h.Names();
    for (const QString &name : names)
        EXPECT_TRUE(IsSafeName(name));
    EXPECT_EQ(QSet<QString>(names.begin(), names.end()).size(), names.size());
    EXPECT_TRUE(IsFolderPiece(h.state->BlogFolder()));
}

QByteArray Part(int i, const QByteArray &title, const QByteArray &tail = QByteArray())
{
    const QByteArray s = "s" + QByteArray::number(i);
    return s + ".blogId=1;" + s + ".time=" + QByteArray::number(1000000 - i) + ";" + s +
           ".title=\"" + title + "\";" + s + ".permalink=\"p" + QByteArray::number(i) + "\";" +
           tail + "\n";
}

} // namespace

// Blog titles: forbidden characters or white space only give the time as folder name; dots
// give ideographic full stops; a huge title gives the time too.
TEST(ListBadInput, BlogTitlesBecomeSafeFolderPieces)
{
    struct Case {
        QString title;
        QString folder; // empty: the 14-digit time followed by "/"
    };
    const Case cases[] = {
        {QStringLiteral("???"), QString()},
        {QStringLiteral("\\/:*?\"<>|"), QString()},
        {QStringLiteral(".."), QStringLiteral("。。/")},
        {QStringLiteral("./."), QString()},
        {QStringLiteral(" \u3000 "), QString()},
        {QString(100000, QChar(u'长')), QString()},
        {QStringLiteral("Tom &amp; Jerry"), QStringLiteral("Tom & Jerry/")},
    };
    FakeLofter lofter;
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.title.left(20)));
        const QString path = QStringLiteral("/t%1/").arg(n++);
        lofter.AddBlog(listtest::PlainBlog(path, c.title, 1));
        ListHarness h;
        ASSERT_EQ(h.Run(lofter.Url(path)), ListEnd::Completed);
        const QString folder = h.state->BlogFolder();
        if (c.folder.isEmpty())
            EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}/$")).match(folder).hasMatch())
                << ::testing::PrintToString(folder);
        else
            EXPECT_EQ(folder, c.folder);
        ExpectAllSafe(h);
    }
}

// Post titles that no file system would take as they stand.
TEST(ListBadInput, PostTitlesBecomeSafeNames)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/p/"), QStringLiteral("P"), 0);
    const QStringList titles{
        QStringLiteral("."),          QStringLiteral(".."),
        QStringLiteral(" . "),        QStringLiteral("./.."),
        QStringLiteral("/"),          QStringLiteral("???"),
        QStringLiteral("??"),         QString(QChar(u'\0')) + QStringLiteral(".."),
        QString(100000, QChar(u'x')), QStringLiteral("\t\t"),
        QStringLiteral("a\\u0000b"), // a literal backslash-u in the title
    };
    for (int i = 0; i < titles.size(); ++i) {
        testsupport::FakePost post;
        post.permalink = QStringLiteral("q%1").arg(i);
        post.timeMs = 1400000000000 - i;
        post.title = titles[i];
        blog.posts.push_back(post);
    }
    lofter.AddBlog(blog);
    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/p/"))), ListEnd::Completed);
    ASSERT_EQ(h.state->albumList.Count(), titles.size());
    ExpectAllSafe(h);
    const QStringList names = h.Names();
    EXPECT_EQ(names[0], QStringLiteral("。"));
    EXPECT_EQ(names[1], QStringLiteral("。。"));
    EXPECT_EQ(names[7], QStringLiteral("。。 (1)"));
    EXPECT_TRUE(kTimeName.match(names[8]).hasMatch()) << names[8].left(20).toStdString();
    for (const QString &name : names)
        EXPECT_LE(name.size(), 80);
}

// A 10 MB answer of 60 posts, half of them with 340,000-character titles, markers in odd places,
// and parts without any marker.
TEST(ListBadInput, HugeAndBrokenAnswersAreReadSafely)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/huge/"), QStringLiteral("Huge"), 0);
    QByteArray answer = "var s0=[];\n";
    const QByteArray longTitle(340000, 'w');
    for (int i = 0; i < 60; ++i)
        answer += Part(i, i % 2 ? longTitle : "short\\u00" + QByteArray::number(i % 10));
    answer += "s99.blogId=";                       // nothing after the last separator
    answer += ".blogId=.blogId=.blogId=;;;\"\"\""; // empty parts and stray quotes
    // A permalink before the title is not found: no album.
    answer += ".blogId=x.permalink=\"early\";x.title=\"late\";";
    // A title before the time is not found: the album is named after its permalink.
    answer += ".blogId=x.title=\"before\";x.time=5;x.permalink=\"tb\";";
    answer += ".blogId=x.title=\"unterminated";
    blog.archiveAnswerOverride = answer;
    lofter.AddBlog(blog);
    ASSERT_GT(answer.size(), 10 * 1000 * 1000);

    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/huge/"))), ListEnd::Completed);
    ASSERT_EQ(h.state->albumList.Count(), 61);
    EXPECT_EQ(h.state->albumList.At(0).name, QStringLiteral("short000"));
    EXPECT_TRUE(kTimeName.match(h.state->albumList.At(1).name).hasMatch());
    EXPECT_EQ(h.state->albumList.At(10).name, QStringLiteral("short000 (1)"));
    EXPECT_EQ(h.state->albumList.At(60).postUrl, lofter.Url(QStringLiteral("/huge/post/tb")));
    EXPECT_EQ(h.state->albumList.At(60).name, QStringLiteral("tb"));
    // The answer ignores the cursor: the second call lists nothing new and ends the run.
    EXPECT_EQ(lofter.RequestsFor(QStringLiteral("/huge/") + listtest::kArchiveCallTail).size(), 2u);
    ExpectAllSafe(h);
}

// Parts that lack every marker give no album and end the listing without a second call.
TEST(ListBadInput, PartsWithoutMarkersGiveNoAlbums)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/none/"), QStringLiteral("None"), 0);
    QByteArray answer;
    for (int i = 0; i < 80; ++i)
        answer += ".blogId=junk" + QByteArray::number(i) + " title permalink time\n";
    blog.archiveAnswerOverride = answer;
    lofter.AddBlog(blog);
    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/none/"))), ListEnd::Completed);
    EXPECT_EQ(h.state->albumList.Count(), 0);
    EXPECT_EQ(lofter.RequestsFor(QStringLiteral("/none/") + listtest::kArchiveCallTail).size(), 1u);
}

// A 10 MB archive page with a huge title and the blog id at its end.
TEST(ListBadInput, HugeArchivePageIsRead)
{
    FakeLofter lofter;
    FakeBlog blog = listtest::PlainBlog(QStringLiteral("/page/"), QStringLiteral("x"), 2, 31);
    QByteArray page = "<html><head><title>归档 - " + QByteArray(5 * 1000 * 1000, 'T') +
                      "</title></head><body>" + QByteArray(5 * 1000 * 1000, ' ') +
                      "<iframe src=\"x?blogId=31\"></iframe></body></html>";
    blog.archivePageOverride = page;
    lofter.AddBlog(blog);
    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/page/"))), ListEnd::Completed);
    EXPECT_EQ(h.state->BlogId(), QStringLiteral("31"));
    EXPECT_EQ(h.state->albumList.Count(), 2);
    EXPECT_TRUE(
        QRegularExpression(QStringLiteral("^\\d{14}/$")).match(h.state->BlogFolder()).hasMatch());
    ExpectAllSafe(h);
}
