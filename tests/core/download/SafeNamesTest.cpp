// The checks that keep every path inside the save folder: plain names, the byte limit, the
// surrogate-safe cuts, absolute paths inside the root, and job paths.

#include "download/SafeNames.h"
#include "QtPrint.h"

#include <gtest/gtest.h>

#include <QDir>

namespace {

TEST(SafeNames, PlainAndSafeComponents)
{
    const std::pair<QString, bool> cases[] = {
        {QStringLiteral("a.jpg"), true},
        {QStringLiteral(".jpg"), true},
        {QStringLiteral("..."), true},
        {QStringLiteral("图片1.jpg"), true},
        {QString(), false},
        {QStringLiteral("."), false},
        {QStringLiteral(".."), false},
        {QStringLiteral("a/b"), false},
        {QStringLiteral("/"), false},
        {QStringLiteral("a\\b"), false},
        {QStringLiteral("a") + QChar(0), false},
        {QString(255, QLatin1Char('a')), true},
        {QString(256, QLatin1Char('a')), false},
        {QString(85, QChar(0x56FE)), true},  // 255 bytes
        {QString(86, QChar(0x56FE)), false}, // 258 bytes
    };
    for (const auto &[name, safe] : cases)
        EXPECT_EQ(IsSafeComponent(name), safe) << name.toStdString();
    EXPECT_TRUE(IsPlainName(QString(300, QLatin1Char('a'))));
}

TEST(SafeNames, CutsNeverSplitASurrogatePair)
{
    const QString text =
        QStringLiteral("ab") + QString::fromUtf8("\xF0\x9F\x98\x80") + QStringLiteral("c");
    EXPECT_EQ(CutUnits(text, 3), QStringLiteral("ab"));
    EXPECT_EQ(CutUnits(text, 4), text.left(4));
    EXPECT_EQ(CutUnits(text, 0), QString());
    EXPECT_EQ(CutUnits(text, -5), QString());
    EXPECT_EQ(CutUnits(text, 99), text);

    QString emoji;
    for (int i = 0; i < 70; ++i)
        emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
    QString fitted = QStringLiteral("/dir/") + emoji; // only the last piece counts
    FitNameBytes(fitted, 3);
    EXPECT_EQ(fitted, QStringLiteral("/dir/") + emoji.left(2 * 63)); // 252 + 3 bytes
}

TEST(SafeNames, InsideFolder)
{
    const QString root = QStringLiteral("/save/blog/");
    const std::pair<const char *, bool> cases[] = {
        {"/save/blog/a.jpg", true},     {"/save/blog/sub/a.jpg", true},
        {"/save/blog//a.jpg", true},    {"/save/blog/", false},
        {"/save/blog", false},          {"/save/bloga.jpg", false},
        {"/save/blog/../a.jpg", false}, {"/save/blog/sub/../a.jpg", false},
        {"/save/blog/./a.jpg", false},  {"/etc/passwd", false},
        {"save/blog/a.jpg", false},     {"a.jpg", false},
    };
    for (const auto &[path, inside] : cases)
        EXPECT_EQ(IsInsideFolder(QString::fromUtf8(path), root), inside) << path;
    EXPECT_TRUE(IsInsideFolder(QStringLiteral("/save/blog/a"), QStringLiteral("/save//blog")));
    EXPECT_FALSE(IsInsideFolder(QStringLiteral("/save/blog/a"), QString()));
    EXPECT_FALSE(IsInsideFolder(QStringLiteral("/save/a"), QStringLiteral("/save/blog/..")));
    // A relative root is taken from the current folder.
    EXPECT_TRUE(IsInsideFolder(QDir::currentPath() + QStringLiteral("/pics/a.jpg"),
                               QStringLiteral("pics/")));
}

TEST(SafeNames, JobFilePath)
{
    ST_DOWNJOBLIST jobs;
    jobs.rootFolder = QStringLiteral("/save/");
    jobs.StartAlbum();
    jobs.albumFolder += QStringLiteral("album/");
    const char *entries[] = {"a.jpg",       "../x.jpg", "a/b.jpg", "/save/o/c.jpg",
                             "/etc/passwd", "",         ".",       ".."};
    for (const char *entry : entries)
        jobs.Append(QStringLiteral("http://x/p"), QString::fromUtf8(entry), QString());
    const QStringList expected = {QStringLiteral("/save/album/a.jpg"),
                                  QString(),
                                  QString(),
                                  QStringLiteral("/save/o/c.jpg"),
                                  QString(),
                                  QString(),
                                  QString(),
                                  QString()};
    for (qsizetype i = 0; i < jobs.Count(); ++i)
        EXPECT_EQ(JobFilePath(jobs, i), expected.at(i)) << entries[i];
    EXPECT_EQ(JobFilePath(jobs, -1), QString());
    EXPECT_EQ(JobFilePath(jobs, jobs.Count()), QString());
    jobs.albumFolder = QStringLiteral("/save/album"); // no trailing "/"
    EXPECT_EQ(JobFilePath(jobs, 0), QString());
}

TEST(SafeNames, StartAlbumEmptiesTheParallelArrays)
{
    ST_DOWNJOBLIST jobs;
    jobs.rootFolder = QStringLiteral("/save/");
    jobs.albumFolder = QStringLiteral("/save/old/");
    jobs.Append(QStringLiteral("u"), QStringLiteral("f"), QStringLiteral("h"));
    EXPECT_EQ(jobs.Count(), 1);
    jobs.StartAlbum();
    EXPECT_EQ(jobs.Count(), 0);
    EXPECT_TRUE(jobs.fileNames.isEmpty());
    EXPECT_TRUE(jobs.headers.isEmpty());
    EXPECT_EQ(jobs.albumFolder, QStringLiteral("/save/"));
}

} // namespace
