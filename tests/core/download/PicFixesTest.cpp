// The picture file fixes: extension by content (every signature, renames that never replace a
// file, the job list following the renames), time stamps in job order, and job entries that
// would reach outside the album folder.

#include "download/PicFixes.h"
#include "FakeLofter.h"
#include "QtPrint.h"
#include "download/SafeNames.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

using testsupport::PictureBytes;
using testsupport::PictureKind;
using testsupport::PictureSpec;

QByteArray Jpeg()
{
    return PictureBytes(PictureSpec{.kind = PictureKind::Jpeg, .seed = 1});
}
QByteArray Png()
{
    return PictureBytes(PictureSpec{.kind = PictureKind::Png, .seed = 2});
}
QByteArray Gif()
{
    return PictureBytes(PictureSpec{.kind = PictureKind::Gif, .seed = 3});
}

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

struct Times {
    qint64 access = -1;
    qint64 modified = -1;
};

Times TimesOf(const QString &path)
{
    struct stat st {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return {st.st_atim.tv_sec, st.st_mtim.tv_sec};
}

class FixesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + QStringLiteral("/root/");
        album = root + QStringLiteral("album/");
        ASSERT_TRUE(QDir().mkpath(album));
        jobs.rootFolder = root;
        jobs.StartAlbum();
        jobs.albumFolder = album;
    }
    QStringList Entries(const QString &folder) const
    {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir;
    QString root;
    QString album;
    ST_DOWNJOBLIST jobs;
};

struct MagicCase {
    const char *hex;
    const char *ext; // empty: no match
};

const MagicCase kMagic[] = {
    {"ffd8", ".jpg"},
    {"ffd8ffe000104a46", ".jpg"},
    {"8950", ".png"},
    {"474946", ".gif"},
    {"474945", ""},
    {"424d", ".bmp"},
    {"0000020000", ".tga"},
    {"0000100000", ".tga"},
    {"00000200", ".tga"}, // short file: bytes past the end read as zero
    {"00000a0000", ""},
    {"0000020001", ".cur"}, // byte 4 not zero: not a tga
    {"0000010001", ".ico"},
    {"0000010000", ""},
    {"4d4d", ".tiff"},
    {"4949", ".tiff"},
    {"ff", ""},
    {"", ""},
    {"00000000000000ffd8", ""},
};

TEST(ExtensionByMagic, SignatureTable)
{
    for (const MagicCase &c : kMagic)
        EXPECT_EQ(ExtensionByMagic(QByteArray::fromHex(c.hex)), QString::fromLatin1(c.ext))
            << c.hex;
}

TEST_F(FixesTest, EverySignatureRenamesTheFile)
{
    for (const MagicCase &c : kMagic) {
        QString path = album + QStringLiteral("f.dat");
        WriteRaw(path, QByteArray::fromHex(c.hex));
        const bool renamed = FixExtByMagic(path);
        const QString expected = album + QStringLiteral("f") +
                                 (*c.ext ? QString::fromLatin1(c.ext) : QStringLiteral(".dat"));
        EXPECT_EQ(renamed, *c.ext != 0) << c.hex;
        EXPECT_EQ(path, expected) << c.hex;
        EXPECT_EQ(Entries(album), QStringList({QFileInfo(expected).fileName()})) << c.hex;
        EXPECT_EQ(ReadAll(expected), QByteArray::fromHex(c.hex));
        QFile::remove(expected);
    }
}

struct FixCase {
    const char *what;
    QByteArray content;
    const char *name;
    std::vector<const char *> others; // existing files beside it (GIF content)
    const char *finalName;
    bool renamed;
};

TEST_F(FixesTest, FixExtByMagicCases)
{
    const FixCase cases[] = {
        {"png saved as jpg", Png(), "x.jpg", {}, "x.png", true},
        {"jpeg keeps its name", Jpeg(), "x.jpg", {}, "x.jpg", false},
        {"gif beside an existing gif", Gif(), "x.jpg", {"x.gif"}, "x.jpg", false},
        {"two-byte jpeg", QByteArray::fromHex("ffd8"), "x.png", {}, "x.jpg", true},
        {"empty file", QByteArray(), "x.png", {}, "x.png", false},
        {"letter case", Jpeg(), "x.JPG", {}, "x.jpg", true},
        {"no extension", Png(), "x", {}, "x.png", true},
        {"last dot only", Gif(), "a.b.jpg", {}, "a.b.gif", true},
    };
    for (const FixCase &c : cases) {
        QDir(album).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(album));
        for (const char *other : c.others)
            WriteRaw(album + QString::fromUtf8(other), "other");
        QString path = album + QString::fromUtf8(c.name);
        WriteRaw(path, c.content);
        EXPECT_EQ(FixExtByMagic(path), c.renamed) << c.what;
        EXPECT_EQ(path, album + QString::fromUtf8(c.finalName)) << c.what;
        EXPECT_EQ(ReadAll(album + QString::fromUtf8(c.finalName)), c.content) << c.what;
        for (const char *other : c.others)
            EXPECT_EQ(ReadAll(album + QString::fromUtf8(other)), QByteArray("other")) << c.what;
        EXPECT_EQ(Entries(album).size(), qsizetype(1 + c.others.size())) << c.what;
    }
}

TEST_F(FixesTest, FixExtByMagicLeavesMissingFilesAndFoldersAlone)
{
    QString missing = album + QStringLiteral("none.jpg");
    EXPECT_FALSE(FixExtByMagic(missing));
    EXPECT_EQ(missing, album + QStringLiteral("none.jpg"));
    ASSERT_TRUE(QDir().mkdir(album + QStringLiteral("d.jpg")));
    QString folder = album + QStringLiteral("d.jpg");
    EXPECT_FALSE(FixExtByMagic(folder));
    EXPECT_TRUE(QFileInfo(album + QStringLiteral("d.jpg")).isDir());
    // A dotted folder with a file name without a dot: the folder's dot is not the extension.
    const QString dotted = root + QStringLiteral("a.b/");
    ASSERT_TRUE(QDir().mkpath(dotted));
    QString path = dotted + QStringLiteral("x");
    WriteRaw(path, Png());
    EXPECT_TRUE(FixExtByMagic(path));
    EXPECT_EQ(path, dotted + QStringLiteral("x.png"));
    EXPECT_EQ(Entries(root), QStringList({QStringLiteral("a.b"), QStringLiteral("album")}));
}

TEST_F(FixesTest, FixPicFormatsUpdatesTheJobList)
{
    WriteRaw(album + QStringLiteral("a.jpg"), Png());
    WriteRaw(album + QStringLiteral("b.jpg"), Jpeg());
    WriteRaw(album + QStringLiteral("d.jpg"), Gif());
    WriteRaw(album + QStringLiteral("d.gif"), "other");
    ASSERT_TRUE(QDir().mkpath(root + QStringLiteral("sub")));
    WriteRaw(root + QStringLiteral("sub/e.jpg"), Png());
    WriteRaw(root + QStringLiteral("evil.jpg"), Png()); // reachable only by escaping
    const QString names[] = {QStringLiteral("a.jpg"),
                             QStringLiteral("b.jpg"),
                             QStringLiteral("c.jpg"),
                             QStringLiteral("d.jpg"),
                             root + QStringLiteral("sub/e.jpg"),
                             QStringLiteral("../evil.jpg"),
                             root + QStringLiteral("album/../evil.jpg")};
    for (const QString &name : names)
        jobs.Append(QStringLiteral("http://x/p"), name, QString());

    FixPicFormats(jobs);

    EXPECT_EQ(
        jobs.fileNames,
        QStringList({QStringLiteral("a.png"), QStringLiteral("b.jpg"), QStringLiteral("c.jpg"),
                     QStringLiteral("d.jpg"), root + QStringLiteral("sub/e.png"),
                     QStringLiteral("../evil.jpg"), root + QStringLiteral("album/../evil.jpg")}));
    EXPECT_EQ(Entries(album), QStringList({QStringLiteral("a.png"), QStringLiteral("b.jpg"),
                                           QStringLiteral("d.gif"), QStringLiteral("d.jpg")}));
    EXPECT_EQ(ReadAll(album + QStringLiteral("d.gif")), QByteArray("other"));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("sub/e.png")));
    EXPECT_TRUE(QFileInfo::exists(root + QStringLiteral("evil.jpg")));
    EXPECT_EQ(JobFilePath(jobs, 0), album + QStringLiteral("a.png"));
}

TEST_F(FixesTest, FixPicOrderGivesDescendingTimesInJobOrder)
{
    const QString names[] = {QStringLiteral("1.jpg"), QStringLiteral("2.jpg"),
                             QStringLiteral("gone.jpg"), QStringLiteral("3.jpg")};
    for (const QString &name : names) {
        if (name != QStringLiteral("gone.jpg"))
            WriteRaw(album + name, Jpeg());
        jobs.Append(QStringLiteral("http://x/p"), name, QString());
    }
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    FixPicOrder(jobs);
    const qint64 after = QDateTime::currentSecsSinceEpoch();

    const std::pair<QString, qint64> expected[] = {{QStringLiteral("1.jpg"), 0},
                                                   {QStringLiteral("2.jpg"), 60},
                                                   {QStringLiteral("3.jpg"), 180}};
    for (const auto &[name, back] : expected) {
        const Times t = TimesOf(album + name);
        EXPECT_GE(t.modified, before - back) << name.toStdString();
        EXPECT_LE(t.modified, after - back) << name.toStdString();
        EXPECT_EQ(t.access, t.modified) << name.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(album + QStringLiteral("gone.jpg")));
    const Times first = TimesOf(album + QStringLiteral("1.jpg"));
    EXPECT_EQ(TimesOf(album + QStringLiteral("2.jpg")).modified, first.modified - 60);
    EXPECT_EQ(TimesOf(album + QStringLiteral("3.jpg")).modified, first.modified - 180);
}

TEST_F(FixesTest, SetFileTimesCases)
{
    const QString file = album + QStringLiteral("f.jpg");
    WriteRaw(file, Jpeg());
    ASSERT_TRUE(SetFileTimes(file, 1000000000));
    EXPECT_EQ(TimesOf(file).modified, 1000000000);
    EXPECT_EQ(TimesOf(file).access, 1000000000);
    EXPECT_TRUE(SetFileTimes(file, 0)); // opened, times left alone
    EXPECT_EQ(TimesOf(file).modified, 1000000000);
    EXPECT_FALSE(SetFileTimes(album + QStringLiteral("missing.jpg"), 1000000000));
    EXPECT_FALSE(QFileInfo::exists(album + QStringLiteral("missing.jpg")));
    EXPECT_FALSE(SetFileTimes(album, 1000000000)); // a folder

    // A link is not followed: the file it points to keeps its times.
    const QString outside = dir.path() + QStringLiteral("/outside.jpg");
    WriteRaw(outside, Jpeg());
    ASSERT_TRUE(SetFileTimes(outside, 1200000000));
    ASSERT_TRUE(QFile::link(outside, album + QStringLiteral("link.jpg")));
    EXPECT_FALSE(SetFileTimes(album + QStringLiteral("link.jpg"), 1000000000));
    EXPECT_EQ(TimesOf(outside).modified, 1200000000);
}

TEST_F(FixesTest, RenameNoReplaceNeverReplaces)
{
    WriteRaw(album + QStringLiteral("a"), "a");
    WriteRaw(album + QStringLiteral("b"), "b");
    EXPECT_FALSE(RenameNoReplace(album + QStringLiteral("a"), album + QStringLiteral("b")));
    EXPECT_EQ(ReadAll(album + QStringLiteral("a")), QByteArray("a"));
    EXPECT_EQ(ReadAll(album + QStringLiteral("b")), QByteArray("b"));
    EXPECT_TRUE(RenameNoReplace(album + QStringLiteral("a"), album + QStringLiteral("c")));
    EXPECT_EQ(Entries(album), QStringList({QStringLiteral("b"), QStringLiteral("c")}));
}

} // namespace
