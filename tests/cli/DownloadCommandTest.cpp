// `gleaner download` as a user runs it: the built program as a process in a temporary working
// folder against the fake service on loopback. Files written, stdout (the folder to open),
// stderr (status texts, messages, summary), exit status, soft.dat left unchanged by
// overrides, and Ctrl-C.

#include "FakeLofter.h"
#include "QtPrint.h"
#include "RunGleaner.h"
#include "settings/SettingsBlock.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
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
using testsupport::PictureBytes;
using testsupport::PictureSpec;

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

PictureSpec PostPicture(int i)
{
    PictureSpec spec;
    spec.seed = i * 16;
    return spec;
}

class DownloadCommand : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder.isValid());
        ASSERT_TRUE(home.isValid());
        FakeBlog blog;
        blog.address = QStringLiteral("/b/");
        blog.title = QStringLiteral("Blog");
        blog.posts = FakeLofter::GeneratePosts({.count = 4});
        lofter.AddBlog(blog);
        address = lofter.Url(QStringLiteral("/b/"));
        out = folder.path() + QStringLiteral("/out/");
    }

    Outcome Run(QStringList args, const std::function<void(pid_t)> &whileRunning = {})
    {
        args.prepend(address);
        args.prepend(QStringLiteral("download"));
        return RunGleaner(folder.path(), args, home.path(), whileRunning);
    }

    QTemporaryDir folder;
    QTemporaryDir home;
    FakeLofter lofter;
    QString address;
    QString out;
};

} // namespace

TEST_F(DownloadCommand, SelectedAlbumsIntoTheSaveFolderAndTheFolderOnStdout)
{
    const Outcome o = Run({"--select", "1,3-4", "--save", "out"});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QString root = out + QStringLiteral("Blog/");
    for (int i : {0, 2, 3}) {
        EXPECT_EQ(ReadAll(root + QStringLiteral("Post %1/图片1.jpg").arg(i)),
                  PictureBytes(PostPicture(i)))
            << i;
    }
    EXPECT_FALSE(QFileInfo::exists(root + QStringLiteral("Post 1")));
    // The default settings open the folder: the last album's folder is printed.
    EXPECT_EQ(o.out, root + QStringLiteral("Post 3/\n"));
    EXPECT_TRUE(o.err.contains(QStringLiteral("正在下载第3/3个图集\n")));
    EXPECT_TRUE(o.err.contains(QStringLiteral("下载完毕\n")));
    EXPECT_TRUE(o.err.endsWith(QStringLiteral("gleaner: 3 pictures saved, 0 failed\n")));
}

TEST_F(DownloadCommand, OverridesHoldForTheRunOnlyAndAreNeverSaved)
{
    // A first run writes soft.dat with the defaults.
    ASSERT_EQ(Run({"--select", "1", "--save", "out"}).exitCode, 0);
    const QByteArray settings = ReadAll(folder.filePath(QStringLiteral("soft.dat")));
    ASSERT_EQ(settings.size(), SettingsBlock::BLOCK_SIZE);

    const Outcome o =
        Run({"--select", "2", "--save", "out", "--threads", "1", "--timeout", "10", "--min-size",
             "60", "--max-size", "0", "--without", "open-folder", "--with", "name-list"});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(o.out, QString()); // open-folder off
    // The picture is below 60 KiB: it fails, and says so in the summary.
    EXPECT_TRUE(o.err.endsWith(QStringLiteral("gleaner: 0 pictures saved, 1 failed\n")));
    const QString album = out + QStringLiteral("Blog/Post 1/");
    EXPECT_FALSE(QFileInfo::exists(album + QStringLiteral("图片1.jpg")));
    EXPECT_EQ(ReadAll(album + QStringLiteral("Post 1.txt")).size(), 2 + 2 * 5);
    EXPECT_EQ(ReadAll(folder.filePath(QStringLiteral("soft.dat"))), settings);
}

TEST_F(DownloadCommand, UsageErrorsExitTwoBeforeAnyDownload)
{
    const QStringList cases[] = {
        {"--threads", "0"},      {"--threads", "16"},      {"--timeout", "9"}, {"--min-size", "x"},
        {"--max-size", "70000"}, {"--with", "everything"}, {"--select", "0"},  {"--select", "3-1"},
        {"--select", "1,,2"},    {"--frobnicate"},         {"--save"},         {"--select", "9"},
    };
    for (const QStringList &args : cases) {
        SCOPED_TRACE(args.join(' ').toStdString());
        const Outcome o = Run(args);
        EXPECT_EQ(o.exitCode, 2);
        EXPECT_TRUE(o.err.contains(QStringLiteral("usage: gleaner download")));
    }
    const Outcome none = RunGleaner(folder.path(), {"download"}, home.path());
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_TRUE(lofter.RequestsFor(testsupport::PicturePath(PostPicture(0))).empty());
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(DownloadCommand, AMessageBoxExitsOne)
{
    QFile blocker(folder.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Outcome o = Run({"--save", "file/sub"});
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_TRUE(o.err.contains(QStringLiteral("请检测设置的保存路径是否有误\n")));
    EXPECT_TRUE(lofter.RequestsFor(testsupport::PicturePath(PostPicture(0))).empty());
}

TEST_F(DownloadCommand, DefaultSaveFolderOfATemporaryWorkingFolderIsInDocuments)
{
    // The working folder lies under the system's temporary folder ("/tmp/").
    ASSERT_TRUE(folder.path().toLower().contains(QStringLiteral("/tmp/")));
    const Outcome o = Run({"--select", "2", "--without", "open-folder"});
    EXPECT_EQ(o.exitCode, 0) << o.err.toStdString();
    EXPECT_EQ(ReadAll(home.path() + QStringLiteral("/Documents/图集拾取器/Blog/Post 1/图片1.jpg")),
              PictureBytes(PostPicture(1)));
}

TEST_F(DownloadCommand, CtrlCStopsTheRunThroughDone)
{
    testsupport::ReplyOptions stall;
    stall.stallAfterBytes = 10;
    stall.stallFor = std::chrono::seconds(60);
    lofter.SetOptions(testsupport::PicturePath(PostPicture(0)), stall);
    const Outcome o = Run({"--save", "out"}, [this](pid_t pid) {
        const bool reached = [&] {
            const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
            while (std::chrono::steady_clock::now() < deadline) {
                if (!lofter.RequestsFor(testsupport::PicturePath(PostPicture(0))).empty())
                    return true;
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            return false;
        }();
        EXPECT_TRUE(reached);
        kill(pid, SIGINT);
    });
    EXPECT_EQ(o.exitCode, 130);
    EXPECT_TRUE(o.err.contains(QStringLiteral("下载完毕\n"))) << o.err.toStdString();
    EXPECT_TRUE(o.err.endsWith(QStringLiteral("gleaner: 0 pictures saved, 1 failed\n")));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("Blog/Post 0/pic.tql")));
    EXPECT_FALSE(QFileInfo::exists(out + QStringLiteral("Blog/Post 1")));
    // A stopped run still ends with its last step: the folder of the album in hand opens.
    EXPECT_EQ(o.out, out + QStringLiteral("Blog/Post 0/\n"));
}
