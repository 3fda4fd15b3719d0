// File and folder naming of picture jobs: every escape, the naming modes, prefixes and
// suffixes, replacement pairs, the length limit with its surrogate-safe cut, the extension,
// repeats and their collision base, the folder modes, and names that try to leave the album
// folder.

#include "download/PicNaming.h"
#include "QtPrint.h"
#include "download/SafeNames.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

namespace {

// An album at list position 4 of 12, two of them selected, in the blog folder "Alice的博客/".
NamingContext Context(quint8 fileMode = NAME_BY_NUMBER)
{
    NamingContext ctx;
    ctx.naming.fileNameMode = fileMode;
    ctx.album.name = QStringLiteral("相册A");
    ctx.album.listIndex = 4;
    ctx.album.extraNum1 = 7;
    ctx.album.extraNum2 = -3;
    ctx.selectedCount = 2;
    ctx.albumCount = 12;
    ctx.blogFolder = QStringLiteral("Alice的博客/");
    return ctx;
}

// A job list whose album folder is `length` units long ("/aaa…a/").
ST_DOWNJOBLIST JobsWithFolderLength(int length)
{
    ST_DOWNJOBLIST jobs;
    jobs.rootFolder = QStringLiteral("/save/");
    jobs.albumFolder = QLatin1Char('/') + QString(length - 2, QLatin1Char('a')) + QLatin1Char('/');
    return jobs;
}

ST_DOWNJOBLIST JobsNamed(const QStringList &names)
{
    ST_DOWNJOBLIST jobs = JobsWithFolderLength(20);
    for (const QString &name : names)
        jobs.Append(QStringLiteral("http://x/p.jpg"), name, QString());
    return jobs;
}

struct EscapeCase {
    const char *prefix;
    const char *stem;
};

TEST(MakePicFileName, EveryEscapeInTheFileName)
{
    // Number mode, third job of the album (n = 2): the base is "3".
    const EscapeCase cases[] = {
        {"?1_", "相册A_3"},
        {"?2_", "3_3"},
        {"?3_", "5_3"},
        {"?4_", "7_3"},
        {"?5_", "-3_3"},
        {"?6_", "2_3"},
        {"?7_", "12_3"},
        {"?8_", "Alice的博客_3"}, // the folder's "/" is cleaned away
        {"?9_", "0005_3"},
        {"?0_", "0_3"}, // not an escape; the "?" is cleaned away
        {"?1?9?1_", "相册A0005相册A_3"},
    };
    for (const EscapeCase &c : cases) {
        NamingContext ctx = Context();
        ctx.naming.filePrefix = QString::fromUtf8(c.prefix);
        EXPECT_EQ(MakePicFileName(QStringLiteral("http://x/a.jpg"), QString(), ctx, 2),
                  QString::fromUtf8(c.stem))
            << c.prefix;
    }
}

TEST(MakePicFileName, EscapesInTheSuffixAndFourDigitsPastNine)
{
    NamingContext ctx = Context();
    ctx.album.listIndex = 122;
    ctx.naming.fileSuffix = QStringLiteral("-?9-?3");
    EXPECT_EQ(MakePicFileName(QString(), QString(), ctx, 0), QStringLiteral("1-0123-123"));
}

struct ModeCase {
    quint8 mode;
    const char *address;
    const char *name;
    qsizetype n;
    const char *stem;
};

TEST(MakePicFileName, NamingModes)
{
    const ModeCase cases[] = {
        {NAME_BY_DESCRIPTION, "http://x/a.jpg", "图片1", 0, "图片1"},
        {NAME_BY_DESCRIPTION, "http://x/a.jpg", "a&amp;b  c", 0, "a&b c"},
        {NAME_BY_DESCRIPTION, "http://x/a.jpg", " ?:*<> ", 0, "相册A"}, // cleans to nothing
        {NAME_BY_DESCRIPTION, "http://x/a.jpg", "", 3, "相册A"},
        {NAME_BY_NUMBER, "http://x/a.jpg", "图片1", 0, "1"},
        {NAME_BY_NUMBER, "http://x/a.jpg", "图片1", 9, "10"},
        {NAME_BY_ADDRESS, "http://x/y/abc.PNG", "图片1", 0, "abc.PNG"},
        {NAME_BY_ADDRESS, "http://x/y/abc.jpg?w=1", "图片1", 0, "abc.jpgw=1"},
        {NAME_BY_ADDRESS, "abc.jpg", "图片1", 2, "3"},  // no "/": by number
        {NAME_BY_ADDRESS, "/abc.jpg", "图片1", 2, "3"}, // last "/" at index 0: by number
        {7, "http://x/abc.jpg", "图片1", 4, "5"},       // unknown mode acts as by number
    };
    for (const ModeCase &c : cases) {
        const NamingContext ctx = Context(c.mode);
        EXPECT_EQ(
            MakePicFileName(QString::fromUtf8(c.address), QString::fromUtf8(c.name), ctx, c.n),
            QString::fromUtf8(c.stem))
            << int(c.mode) << " " << c.address << " " << c.name;
    }
}

TEST(MakePicFileName, EmptyStemBecomesTheLocalTime)
{
    const NamingContext ctx = Context(NAME_BY_ADDRESS);
    const QString stem = MakePicFileName(QStringLiteral("http://x/y/"), QString(), ctx, 0);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\d{14}$")).match(stem).hasMatch())
        << stem.toStdString();
}

TEST(MakePicFileName, PrefixSuffixAndReplacementsThenCleaning)
{
    NamingContext ctx = Context(NAME_BY_DESCRIPTION);
    ctx.naming.filePrefix = QStringLiteral("P_");
    ctx.naming.fileSuffix = QStringLiteral("_S");
    EXPECT_EQ(MakePicFileName(QString(), QStringLiteral("图片1"), ctx, 0),
              QStringLiteral("P_图片1_S"));

    ctx.naming.replaceFrom = QStringLiteral("图片|_S");
    ctx.naming.replaceTo = QStringLiteral("pic|-end");
    EXPECT_EQ(MakePicFileName(QString(), QStringLiteral("图片1"), ctx, 0),
              QStringLiteral("P_pic1-end"));

    // A replacement that brings in a separator or a dot-only name is cleaned afterwards.
    ctx.naming.filePrefix.clear();
    ctx.naming.fileSuffix.clear();
    ctx.naming.replaceFrom = QStringLiteral("-");
    ctx.naming.replaceTo = QStringLiteral("/");
    EXPECT_EQ(MakePicFileName(QString(), QStringLiteral("a-b"), ctx, 0), QStringLiteral("ab"));
    ctx.naming.replaceFrom = QStringLiteral("ab");
    ctx.naming.replaceTo = QStringLiteral("..");
    EXPECT_EQ(MakePicFileName(QString(), QStringLiteral("ab"), ctx, 0),
              QStringLiteral("\u3002\u3002"));
}

struct PairsCase {
    const char *text;
    const char *from;
    const char *to;
    const char *result;
};

TEST(ReplacePairs, Table)
{
    const PairsCase cases[] = {
        {"a-b-ab", "a|b", "1|2", "1-2-12"},   // pair by pair
        {"a|b and a", "a|b", "1", "1 and a"}, // different bar counts: the whole text
        {"aaa", "a|aa", "aa|x", "xxx"},       // later pairs see earlier results
        {"abc", "", "x", "abc"},              // empty from replaces nothing
        {"abc", "", "a|b", "abc"},            // ... also with different bar counts
        {"abc", "|b", "y|z", "azc"},          // an empty piece replaces nothing
        {"ABC", "b", "x", "ABC"},             // case-sensitive
        {"a|b", "|", "/", "a/b"},             // bar counts 1 and 0: the whole "|"
        {"x.y.z", ".", "", "xyz"},            // deletion
    };
    for (const PairsCase &c : cases) {
        QString text = QString::fromUtf8(c.text);
        ReplacePairs(text, QString::fromUtf8(c.from), QString::fromUtf8(c.to));
        EXPECT_EQ(text, QString::fromUtf8(c.result)) << c.text << " " << c.from << " " << c.to;
    }
}

TEST(HasPicExtension, Table)
{
    const std::pair<const char *, bool> cases[] = {
        {"a.jpg", true},   {"a.JPEG", true}, {"a.Bmp", true},    {"a.gif", true},
        {"a.png", true},   {"a.tif", true},  {"a.tiff", false},  {"a.jpg.txt", false},
        {"a", false},      {".png", true},   {"a.png/b", false}, {"a.", false},
        {"a.webp", false},
    };
    for (const auto &[text, expected] : cases)
        EXPECT_EQ(HasPicExtension(QString::fromUtf8(text)), expected) << text;
}

TEST(FindJobFileName, FirstEqualIgnoringCase)
{
    const ST_DOWNJOBLIST jobs =
        JobsNamed({QStringLiteral("a.jpg"), QStringLiteral("Pic.JPG"), QStringLiteral("pic.jpg")});
    EXPECT_EQ(FindJobFileName(jobs, QStringLiteral("pic.jpg")), 1);
    EXPECT_EQ(FindJobFileName(jobs, QStringLiteral("A.JPG")), 0);
    EXPECT_EQ(FindJobFileName(jobs, QStringLiteral("pic.jp")), -1);
    EXPECT_EQ(FindJobFileName(jobs, QStringLiteral("b.jpg")), -1);
    EXPECT_EQ(FindJobFileName(ST_DOWNJOBLIST(), QStringLiteral("a.jpg")), -1);
}

struct FinishCase {
    int folderLength;
    const char *stem;
    const char *fileName;
};

TEST(FinishJobFileName, LengthLimitAndExtension)
{
    const FinishCase cases[] = {
        {20, "abc", "abc.jpg"},
        {20, "abc.png", "abc.png"},
        {20, "abc.PNG", "abc.PNG"}, // case kept
        {20, "x.jpeg", "x.jpeg"},
        {20, "x.tiff", "x.tiff.jpg"}, // not a picture extension
        {20, "x.gif.txt", "x.gif.txt.jpg"},
        {240, "abcdefghijklmnop", "abcdefghij.jpg"},          // 250 - 240 = 10 units
        {240, "abcdefghi\xF0\x9F\x98\x80x", "abcdefghi.jpg"}, // the pair is not split
        {240, "abcdefgh\xF0\x9F\x98\x80x", "abcdefgh\xF0\x9F\x98\x80.jpg"},
        {245, "abc.png", "abc.p.jpg"}, // the cut takes the extension's end
        {250, "abcdef", ".jpg"},       // no room: the extension alone
        {300, "abcdef", ".jpg"},
    };
    for (const FinishCase &c : cases) {
        const ST_DOWNJOBLIST jobs = JobsWithFolderLength(c.folderLength);
        ASSERT_EQ(jobs.albumFolder.size(), c.folderLength);
        EXPECT_EQ(FinishJobFileName(QString::fromUtf8(c.stem), jobs), QString::fromUtf8(c.fileName))
            << c.folderLength << " " << c.stem;
    }
}

struct RepeatCase {
    int folderLength;
    std::vector<const char *> existing;
    const char *stem;
    const char *fileName;
};

TEST(FinishJobFileName, RepeatsUseTheCollisionBase)
{
    const RepeatCase cases[] = {
        {20, {}, "abc.PNG", "abc.PNG"},
        {20, {"abc.PNG"}, "abc.PNG", "abc.PNG(1).PNG"}, // the base keeps its extension
        {20, {"abc.PNG", "abc.PNG(1).PNG"}, "abc.PNG", "abc.PNG(2).PNG"},
        {20, {"Pic.JPG"}, "pic", "pic(1).jpg"}, // letter case does not count
        {20, {"a.jpg", "a(1).jpg", "a(2).jpg"}, "a", "a(3).jpg"},
        {20, {"a(1).jpg"}, "a", "a.jpg"},              // only a repeat is numbered
        {247, {"abc.jpg"}, "abcdef", "abcdef(1).jpg"}, // base from before the length limit
    };
    for (const RepeatCase &c : cases) {
        ST_DOWNJOBLIST jobs = JobsWithFolderLength(c.folderLength);
        for (const char *name : c.existing)
            jobs.Append(QStringLiteral("http://x/p"), QString::fromUtf8(name), QString());
        EXPECT_EQ(FinishJobFileName(QString::fromUtf8(c.stem), jobs), QString::fromUtf8(c.fileName))
            << c.stem;
    }
}

TEST(FinishJobFileName, LongNamesFitTheFileSystemLimit)
{
    const QString stem = QString(200, QChar(0x56FE)); // 600 bytes on disk
    ST_DOWNJOBLIST jobs = JobsWithFolderLength(20);
    const QString first = FinishJobFileName(stem, jobs);
    EXPECT_EQ(first, QString(83, QChar(0x56FE)) + QStringLiteral(".jpg")); // 249 + 4 bytes
    jobs.Append(QStringLiteral("http://x/p"), first, QString());
    const QString second = FinishJobFileName(stem, jobs);
    EXPECT_EQ(second, QString(82, QChar(0x56FE)) + QStringLiteral("(1).jpg"));
    EXPECT_LE(NameBytes(second), NAME_MAX_BYTES);

    // Four-byte characters are never cut in half.
    QString emoji;
    for (int i = 0; i < 100; ++i)
        emoji += QString::fromUtf8("\xF0\x9F\x98\x80");
    const QString cut = FinishJobFileName(emoji, JobsWithFolderLength(20));
    EXPECT_EQ(cut, emoji.left(2 * 62) + QStringLiteral(".jpg")); // 248 + 4 bytes
}

TEST(MakeJobFileName, DefaultsAndNumberWithPrefix)
{
    ST_DOWNJOBLIST jobs = JobsWithFolderLength(30);
    // Defaults: description mode, no prefix, suffix or replacement.
    EXPECT_EQ(MakeJobFileName(QStringLiteral("http://x/a.png"), QStringLiteral("图片1"),
                              Context(NAME_BY_DESCRIPTION), jobs),
              QStringLiteral("图片1.jpg"));
    // Number mode with the prefix "?3_" and the album at list position 4.
    NamingContext ctx = Context(NAME_BY_NUMBER);
    ctx.naming.filePrefix = QStringLiteral("?3_");
    EXPECT_EQ(MakeJobFileName(QStringLiteral("http://x/a.png"), QStringLiteral("图片1"), ctx, jobs),
              QStringLiteral("5_1.jpg"));
    // "?2" counts the album's jobs.
    ctx.naming.filePrefix = QStringLiteral("?2-");
    jobs.Append(QStringLiteral("http://x/a.png"), QStringLiteral("x.jpg"), QString());
    EXPECT_EQ(MakeJobFileName(QStringLiteral("http://x/a.png"), QString(), ctx, jobs),
              QStringLiteral("2-2.jpg"));
}

TEST(MakeJobFileName, AddressModeRepeatsWithinTheAlbum)
{
    ST_DOWNJOBLIST jobs = JobsWithFolderLength(30);
    const NamingContext ctx = Context(NAME_BY_ADDRESS);
    const QString address = QStringLiteral("http://x/y/abc.PNG");
    const QString first = MakeJobFileName(address, QStringLiteral("图片1"), ctx, jobs);
    EXPECT_EQ(first, QStringLiteral("abc.PNG"));
    jobs.Append(address, first, QString());
    EXPECT_EQ(MakeJobFileName(address, QStringLiteral("图片2"), ctx, jobs),
              QStringLiteral("abc.PNG(1).PNG"));
}

TEST(MakeJobFileName, AbsoluteNamesOnlyInsideTheRoot)
{
    ST_DOWNJOBLIST jobs;
    jobs.rootFolder = QStringLiteral("/save/blog/");
    jobs.albumFolder = QStringLiteral("/save/blog/album/");
    const NamingContext ctx = Context(NAME_BY_DESCRIPTION);
    const QString a = QStringLiteral("http://x/a.png");
    EXPECT_EQ(MakeJobFileName(a, QStringLiteral("/save/blog/other/x.png"), ctx, jobs),
              QStringLiteral("/save/blog/other/x.png"));
    EXPECT_EQ(MakeJobFileName(a, QStringLiteral("/save/blog/x"), ctx, jobs),
              QStringLiteral("/save/blog/x.jpg"));
    jobs.Append(a, QStringLiteral("/save/blog/x.jpg"), QString());
    EXPECT_EQ(MakeJobFileName(a, QStringLiteral("/save/blog/X"), ctx, jobs),
              QStringLiteral("/save/blog/X(1).jpg"));

    const char *refused[] = {"/etc/passwd", "/save/blog/../x.png", "/save/blog/./x.png",
                             "/save/blogx/a.png", "/save/blog"};
    for (const char *name : refused)
        EXPECT_EQ(MakeJobFileName(a, QString::fromUtf8(name), ctx, jobs), QString()) << name;

    jobs.rootFolder.clear(); // no root: no absolute name at all
    EXPECT_EQ(MakeJobFileName(a, QStringLiteral("/save/blog/other/x.png"), ctx, jobs), QString());
}

TEST(MakeJobFileName, DescriptiveNamesThatTryToEscapeAreCleaned)
{
    ST_DOWNJOBLIST jobs = JobsWithFolderLength(30);
    jobs.rootFolder = QStringLiteral("/save/");
    const NamingContext ctx = Context(NAME_BY_DESCRIPTION);
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("../x"), QStringLiteral("x.jpg")},
        {QStringLiteral("a/b"), QStringLiteral("ab.jpg")},
        {QStringLiteral("a\\b"), QStringLiteral("ab.jpg")},
        {QStringLiteral("."), QStringLiteral("\u3002.jpg")},
        {QStringLiteral(".."), QStringLiteral("\u3002\u3002.jpg")},
        {QString(), QStringLiteral("相册A.jpg")},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral("ab.jpg")},
        {QStringLiteral("/etc/passwd"), QString()},       // absolute and outside the root: refused
        {QStringLiteral(":/x"), QStringLiteral("x.jpg")}, // a Qt resource path is no file path
    };
    for (const auto &[name, fileName] : cases) {
        const QString made = MakeJobFileName(QStringLiteral("http://x/a"), name, ctx, jobs);
        EXPECT_EQ(made, fileName) << name.toStdString();
        if (!made.isEmpty()) {
            EXPECT_TRUE(IsSafeComponent(made));
        }
    }
}

TEST(FinishJobFileName, StemsThatTryToEscapeAreRefused)
{
    const ST_DOWNJOBLIST jobs = JobsNamed({});
    const QString refused[] = {
        QStringLiteral("../x"),        QStringLiteral("a/b"),
        QStringLiteral("/etc/passwd"), QStringLiteral("."),
        QStringLiteral(".."),          QString(),
        QStringLiteral("a\\b"),        QStringLiteral("a") + QChar(0) + QStringLiteral("b")};
    for (const QString &stem : refused)
        EXPECT_EQ(FinishJobFileName(stem, jobs), QString()) << stem.toStdString();
}

struct FolderCase {
    quint8 mode;
    const char *prefix;
    const char *suffix;
    const char *folder;
};

TEST(MakeAlbumFolderName, ModesAndEscapes)
{
    const FolderCase cases[] = {
        {FOLDER_BY_ALBUM, "", "", "相册A/"},
        {FOLDER_BY_ALBUM, "?9-", "", "0005-相册A/"},
        {FOLDER_BY_ALBUM, "?1-", "-?3", "相册A-相册A-5/"},
        {FOLDER_BY_ALBUM, "?2?4?5?6?7?8-", "", "245678-相册A/"}, // not folder escapes
        {FOLDER_NONE, "", "", ""},
        {FOLDER_NONE, "?9", "", "0005/"},
        {5, "", "", ""}, // unknown mode acts as none
        {FOLDER_BY_ALBUM, " ..", "?", "相册A/"},
    };
    for (const FolderCase &c : cases) {
        NamingContext ctx = Context();
        ctx.naming.folderNameMode = c.mode;
        ctx.naming.folderPrefix = QString::fromUtf8(c.prefix);
        ctx.naming.folderSuffix = QString::fromUtf8(c.suffix);
        EXPECT_EQ(MakeAlbumFolderName(ctx), QString::fromUtf8(c.folder))
            << int(c.mode) << " " << c.prefix << " " << c.suffix;
    }
    // The first album of the list, named X, with the prefix "?9-".
    NamingContext first = Context();
    first.album.listIndex = 0;
    first.album.name = QStringLiteral("X");
    first.naming.folderPrefix = QStringLiteral("?9-");
    EXPECT_EQ(MakeAlbumFolderName(first), QStringLiteral("0001-X/"));
}

TEST(MakeAlbumFolderName, AlbumNamesThatTryToEscapeAreCleaned)
{
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("../x"), QStringLiteral("x/")},
        {QStringLiteral("a/b"), QStringLiteral("ab/")},
        {QStringLiteral("/etc/passwd"), QStringLiteral("etcpasswd/")},
        {QStringLiteral("."), QStringLiteral("\u3002/")},
        {QStringLiteral(".."), QStringLiteral("\u3002\u3002/")},
        {QString(), QString()},
        {QStringLiteral("a") + QChar(0) + QStringLiteral("b"), QStringLiteral("ab/")},
    };
    for (const auto &[album, folder] : cases) {
        NamingContext ctx = Context();
        ctx.album.name = album;
        const QString made = MakeAlbumFolderName(ctx);
        EXPECT_EQ(made, folder) << album.toStdString();
        if (!made.isEmpty()) {
            EXPECT_TRUE(IsSafeComponent(made.chopped(1)));
        }
    }
    // A folder name longer than the file system takes is cut to fit.
    NamingContext ctx = Context();
    ctx.album.name = QString(80, QChar(0x56FE));
    ctx.naming.folderPrefix = QStringLiteral("?1?1");
    const QString made = MakeAlbumFolderName(ctx);
    EXPECT_EQ(made, QString(85, QChar(0x56FE)) + QLatin1Char('/'));
}

TEST(MakeAlbumFolderName, NoFolderModeLetsNamesRepeatAcrossAlbums)
{
    // Two albums in folder mode "none": both pictures land in the root under the same name
    // (each album has its own job list, so no numbering applies across albums).
    ST_DOWNJOBLIST jobs;
    jobs.rootFolder = QStringLiteral("/save/blog/");
    QStringList paths;
    for (int album = 0; album < 2; ++album) {
        NamingContext ctx = Context(NAME_BY_DESCRIPTION);
        ctx.naming.folderNameMode = FOLDER_NONE;
        ctx.album.listIndex = album;
        ctx.album.name = QStringLiteral("相册%1").arg(album);
        jobs.StartAlbum();
        jobs.albumFolder += MakeAlbumFolderName(ctx);
        const QString name =
            MakeJobFileName(QStringLiteral("http://x/a.jpg"), QStringLiteral("图片1"), ctx, jobs);
        jobs.Append(QStringLiteral("http://x/a.jpg"), name, QString());
        paths.append(JobFilePath(jobs, 0));
    }
    EXPECT_EQ(paths, QStringList({QStringLiteral("/save/blog/图片1.jpg"),
                                  QStringLiteral("/save/blog/图片1.jpg")}));
}

} // namespace
