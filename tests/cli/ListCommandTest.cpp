// `gleaner list` as a user runs it: the built program run as a process in a temporary working
// folder against the fake service on loopback. Standard output (lines and JSON), standard error
// (status texts, messages, reasons), exit status, and soft.dat.

#include "FakeLofter.h"
#include "QtPrint.h"
#include "RunGleaner.h"
#include "settings/SettingsBlock.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <chrono>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

using clitest::Outcome;
using clitest::RunGleaner;
using testsupport::FakeBlog;
using testsupport::FakeLofter;

namespace {

QStringList Lines(const QString &text)
{
    QStringList lines = text.split(QLatin1Char('\n'));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

FakeBlog Blog(const QString &path, const QString &title, const QStringList &titles)
{
    FakeBlog blog;
    blog.address = path;
    blog.title = title;
    blog.blogId = 555;
    blog.posts = FakeLofter::GeneratePosts({.count = static_cast<int>(titles.size())});
    for (int i = 0; i < titles.size(); ++i)
        blog.posts[static_cast<size_t>(i)].title = titles[i];
    return blog;
}

class ListCommand : public ::testing::Test {
protected:
    QTemporaryDir folder;
    FakeLofter lofter;
};

} // namespace

TEST_F(ListCommand, PrintsOneLinePerAlbumAndRemembersTheAddress)
{
    const FakeBlog blog =
        Blog(QStringLiteral("/cli/"), QStringLiteral("小明的博客"),
             {QStringLiteral("第一"), QStringLiteral("a/b"), QStringLiteral("第一")});
    lofter.AddBlog(blog);
    const QString address = lofter.Url(QStringLiteral("/cli/"));

    const Outcome o =
        RunGleaner(folder.path(),
                   {QStringLiteral("list"), QStringLiteral(" ") + address + QStringLiteral(" ")});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QStringList expected{
        QStringLiteral("0001\t第一\t") + address + QStringLiteral("post/") +
            blog.posts[0].permalink,
        QStringLiteral("0002\tab\t") + address + QStringLiteral("post/") + blog.posts[1].permalink,
        QStringLiteral("0003\t第一 (1)\t") + address + QStringLiteral("post/") +
            blog.posts[2].permalink,
    };
    EXPECT_EQ(Lines(o.out), expected);
    EXPECT_EQ(Lines(o.err), (QStringList{QStringLiteral("正在获取相册列表，请稍等..."),
                                         QStringLiteral("获取相册列表完成，共3个")}));

    SettingsBlock saved(folder.filePath(QStringLiteral("soft.dat")));
    ASSERT_EQ(saved.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_EQ(saved.History(HISTORY_ADDRESS), QStringList{address});

    // Again: the history is read back, not repeated.
    const Outcome again = RunGleaner(folder.path(), {QStringLiteral("list"), address});
    EXPECT_EQ(again.exitCode, 0);
    EXPECT_EQ(Lines(again.out), expected);
    SettingsBlock savedAgain(folder.filePath(QStringLiteral("soft.dat")));
    savedAgain.LoadSettings();
    EXPECT_EQ(savedAgain.History(HISTORY_ADDRESS), QStringList{address});
}

TEST_F(ListCommand, JsonHoldsTheGridTexts)
{
    const FakeBlog blog = Blog(QStringLiteral("/json/"), QStringLiteral("Json: \"quoted\""),
                               {QStringLiteral("one"), QString(), QStringLiteral("中文")});
    lofter.AddBlog(blog);
    const QString address = lofter.Url(QStringLiteral("/json/"));

    const Outcome o =
        RunGleaner(folder.path(), {QStringLiteral("list"), address, QStringLiteral("--json")});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(o.out.toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << o.out.toStdString();
    const QJsonObject root = doc.object();
    EXPECT_EQ(root.value(QStringLiteral("blogFolder")).toString(), QStringLiteral("Json quoted/"));
    const QJsonArray albums = root.value(QStringLiteral("albums")).toArray();
    ASSERT_EQ(albums.size(), 3);
    const QStringList names{QStringLiteral("one"), blog.posts[1].permalink, QStringLiteral("中文")};
    for (int i = 0; i < 3; ++i) {
        const QJsonObject album = albums.at(i).toObject();
        EXPECT_EQ(album.value(QStringLiteral("index")).toInt(-1), i);
        EXPECT_EQ(album.value(QStringLiteral("number")).toString(),
                  QString::asprintf("%04d", i + 1));
        EXPECT_EQ(album.value(QStringLiteral("name")).toString(), names[i]);
        EXPECT_EQ(album.value(QStringLiteral("postUrl")).toString(),
                  address + QStringLiteral("post/") + blog.posts[static_cast<size_t>(i)].permalink);
        EXPECT_EQ(album.value(QStringLiteral("count")).toString(), QStringLiteral("未知"));
        EXPECT_TRUE(album.value(QStringLiteral("remark")).isString());
        EXPECT_EQ(album.value(QStringLiteral("remark")).toString(), QString());
    }
}

TEST_F(ListCommand, EmptyBlogCompletes)
{
    lofter.AddBlog(Blog(QStringLiteral("/empty/"), QStringLiteral("Empty"), {}));
    const Outcome o =
        RunGleaner(folder.path(), {QStringLiteral("list"), lofter.Url(QStringLiteral("/empty/")),
                                   QStringLiteral("--json")});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(o.out.toUtf8()).object();
    EXPECT_EQ(root.value(QStringLiteral("blogFolder")).toString(), QStringLiteral("Empty/"));
    EXPECT_TRUE(root.value(QStringLiteral("albums")).isArray());
    EXPECT_EQ(root.value(QStringLiteral("albums")).toArray().size(), 0);
    EXPECT_TRUE(Lines(o.err).endsWith(QStringLiteral("获取相册列表完成，共0个")));
    SettingsBlock saved(folder.filePath(QStringLiteral("soft.dat")));
    ASSERT_EQ(saved.LoadSettings(), SettingsBlock::LoadOutcome::FileRead);
    EXPECT_TRUE(saved.History(HISTORY_ADDRESS).isEmpty());
}

// Failures: exit status 1, the message box's text or a reason on stderr, nothing on stdout.
TEST_F(ListCommand, FailuresExitWithOneAndSayWhy)
{
    FakeBlog notArchive = Blog(QStringLiteral("/na/"), QStringLiteral("x"), {QStringLiteral("p")});
    notArchive.archivePageOverride = QByteArray("<title>Welcome</title>");
    lofter.AddBlog(notArchive);
    lofter.ServeFixed("GET", QStringLiteral("/blank/view"),
                      testsupport::Reply{200, "text/html", "", {}});
    struct Case {
        QString address;
        QString errPart;
    };
    const Case cases[] = {
        {QString(), QStringLiteral("请输入博客地址。")},
        {QStringLiteral("lofter.com/blog"), QStringLiteral("http://")},
        {lofter.Url(QStringLiteral("/na/")), QStringLiteral("LOFTER")},
        {lofter.Url(QStringLiteral("/blank/")), QStringLiteral("gleaner: ")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        const Outcome o = RunGleaner(folder.path(), {QStringLiteral("list"), c.address});
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_TRUE(o.out.isEmpty()) << o.out.toStdString();
        EXPECT_TRUE(o.err.contains(c.errPart)) << o.err.toStdString();
        EXPECT_TRUE(Lines(o.err).last().startsWith(QStringLiteral("gleaner: ")))
            << o.err.toStdString();
    }
}

TEST_F(ListCommand, UsageErrorsExitWithTwo)
{
    const QList<QStringList> cases{
        {QStringLiteral("list")},
        {QStringLiteral("list"), QStringLiteral("http://a/"), QStringLiteral("http://b/")},
        {QStringLiteral("list"), QStringLiteral("--xml"), QStringLiteral("http://a/")},
        {QStringLiteral("lsit"), QStringLiteral("http://a/")},
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(QLatin1Char(' ')).toStdString());
        const Outcome o = RunGleaner(folder.path(), args);
        EXPECT_EQ(o.exitCode, 2);
        EXPECT_TRUE(o.out.isEmpty());
        EXPECT_TRUE(o.err.contains(QStringLiteral("usage:"))) << o.err.toStdString();
    }
    EXPECT_EQ(lofter.RequestCount(), 0u);
    EXPECT_FALSE(QFile::exists(folder.filePath(QStringLiteral("soft.dat"))));
}

TEST_F(ListCommand, HelpNamesTheListCommand)
{
    const Outcome o = RunGleaner(folder.path(), {QStringLiteral("--help")});
    EXPECT_EQ(o.exitCode, 0);
    EXPECT_TRUE(o.out.contains(QStringLiteral("gleaner list ADDRESS [--json]")));
}
