// The sample-blog program: starts on a free port, announces its address, serves the archive
// page to the curl command-line tool, and ends on SIGTERM.

#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

TEST(SampleBlogProgram, ServesItsArchiveToCurlAndStopsOnTerm)
{
    QProcess blog;
    blog.start(QStringLiteral(SAMPLE_BLOG_PATH),
               {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--posts"),
                QStringLiteral("25"), QStringLiteral("--delay-ms"), QStringLiteral("0"),
                QStringLiteral("--picture-kib"), QStringLiteral("4")});
    ASSERT_TRUE(blog.waitForStarted(30000)) << qPrintable(blog.errorString());
    while (!blog.canReadLine() && blog.waitForReadyRead(30000)) {
    }
    const QString address = QString::fromUtf8(blog.readLine()).trimmed();
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:[1-9][0-9]*/$"))
                    .match(address)
                    .hasMatch())
        << qPrintable(address) << qPrintable(QString::fromLocal8Bit(blog.readAllStandardError()));

    QProcess curl;
    curl.start(QStringLiteral("curl"), {QStringLiteral("--silent"), QStringLiteral("--show-error"),
                                        QStringLiteral("--max-time"), QStringLiteral("20"),
                                        address + QStringLiteral("view")});
    ASSERT_TRUE(curl.waitForFinished(30000));
    EXPECT_EQ(curl.exitCode(), 0) << qPrintable(
        QString::fromLocal8Bit(curl.readAllStandardError()));
    const QString page = QString::fromUtf8(curl.readAllStandardOutput());
    EXPECT_TRUE(page.contains(QStringLiteral("<title>归档 - 样例博客 Sample &amp; Blog</title>")))
        << qPrintable(page);
    EXPECT_TRUE(page.contains(QStringLiteral("blogId=20150408\"")));

    blog.terminate();
    ASSERT_TRUE(blog.waitForFinished(30000));
    EXPECT_EQ(blog.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(blog.exitCode(), 0);
}

TEST(SampleBlogProgram, RefusesAnotherBindAddress)
{
    QProcess blog;
    blog.start(QStringLiteral(SAMPLE_BLOG_PATH),
               {QStringLiteral("--port"), QStringLiteral("0"), QStringLiteral("--bind"),
                QStringLiteral("0.0.0.0")});
    ASSERT_TRUE(blog.waitForFinished(30000));
    EXPECT_EQ(blog.exitCode(), 2);
    EXPECT_TRUE(blog.readAllStandardOutput().isEmpty());
}

} // namespace
