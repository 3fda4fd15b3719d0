// The folder marker, the URL list and the name list: exact bytes, round trips, missing and
// odd files, whole-file writes (no temporary file left, a symbolic link replaced rather than
// written through), and the record paths of unsafe album names.

#include "download/DownRecords.h"
#include "QtPrint.h"
#include "download/SafeNames.h"
#include "download/WholeFile.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

void WriteRaw(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

QByteArray Hex(const char *hex)
{
    return QByteArray::fromHex(hex);
}

class RecordsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + QStringLiteral("/album/");
        ASSERT_TRUE(QDir().mkpath(folder));
    }
    // The names in the album folder, hidden ones included, sorted.
    QStringList Entries() const
    {
        return QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    }

    QTemporaryDir dir;
    QString folder;
};

TEST_F(RecordsTest, MarkerRoundTripAndExactBytes)
{
    const QString texts[] = {
        QStringLiteral("http://imglf3.nosdn.127.net/img/abc.jpg?imageView&thumbnail=1680x0"),
        QStringLiteral("http://x/中文/图片.png"),
        QStringLiteral("http://x/\U0001F600.jpg"),
        QString(),
    };
    for (const QString &text : texts) {
        ASSERT_TRUE(WriteFolderMarker(text, folder));
        EXPECT_EQ(ReadAll(folder + QStringLiteral("pic.tql")), Utf16LeBytes(text));
        EXPECT_EQ(ReadFolderMarker(folder), text);
    }
    // Exact bytes: UTF-16LE units, no byte-order mark, no line end.
    ASSERT_TRUE(WriteFolderMarker(QStringLiteral("a中"), folder));
    EXPECT_EQ(ReadAll(folder + QStringLiteral("pic.tql")), Hex("61002d4e"));
    // A shorter marker replaces a longer one completely.
    ASSERT_TRUE(WriteFolderMarker(QStringLiteral("b"), folder));
    EXPECT_EQ(ReadAll(folder + QStringLiteral("pic.tql")), Hex("6200"));
    EXPECT_EQ(Entries(), QStringList({QStringLiteral("pic.tql")})); // no temporary file left
}

TEST_F(RecordsTest, MarkerIsReadUpToTheFirstLineFeed)
{
    const std::pair<QByteArray, QString> cases[] = {
        {Hex("61000a006200"), QStringLiteral("a")},
        {Hex("61000d000a006200"), QStringLiteral("a\r")},
        {Hex("0a006100"), QString()},
        {Hex("610062"), QStringLiteral("a")}, // an odd last byte is ignored
        {Hex("000a6100"), QString(QChar(0x0A00)) + QStringLiteral("a")}, // U+0A00 is no line feed
        {Hex("fffe6100"), QString(QChar(0xFEFF)) + QStringLiteral("a")}, // no BOM handling
    };
    for (const auto &[bytes, text] : cases) {
        WriteRaw(folder + QStringLiteral("pic.tql"), bytes);
        EXPECT_EQ(ReadFolderMarker(folder), text) << bytes.toHex().toStdString();
    }
    // A marker holding two addresses joined by CR LF reads back as the first one and its CR.
    ASSERT_TRUE(WriteFolderMarker(QStringLiteral("http://a/1.jpg\r\nhttp://b/1.jpg"), folder));
    EXPECT_EQ(ReadFolderMarker(folder), QStringLiteral("http://a/1.jpg\r"));
}

TEST_F(RecordsTest, FolderWithoutMarker)
{
    EXPECT_EQ(ReadFolderMarker(folder), QString());
    EXPECT_EQ(ReadFolderMarker(dir.path() + QStringLiteral("/missing/")), QString());
    ASSERT_TRUE(QDir().mkdir(folder + QStringLiteral("pic.tql"))); // a folder of that name
    EXPECT_EQ(ReadFolderMarker(folder), QString());
    EXPECT_FALSE(WriteFolderMarker(QStringLiteral("http://a"), folder));
    EXPECT_TRUE(QFileInfo(folder + QStringLiteral("pic.tql")).isDir());
}

TEST_F(RecordsTest, WritersRefuseFoldersWithoutTrailingSlashAndMissingFolders)
{
    EXPECT_FALSE(WriteFolderMarker(QStringLiteral("http://a"), QString()));
    EXPECT_FALSE(WriteFolderMarker(QStringLiteral("http://a"), dir.path())); // no "/" at the end
    EXPECT_FALSE(QFile::exists(dir.path() + QStringLiteral("pic.tql")));
    EXPECT_FALSE(
        WriteFolderMarker(QStringLiteral("http://a"), dir.path() + QStringLiteral("/missing/")));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/missing")));
    EXPECT_EQ(ReadFolderMarker(QString()), QString());
}

TEST_F(RecordsTest, MarkerLinkIsReplacedNotWrittenThrough)
{
    const QString outside = dir.path() + QStringLiteral("/outside.txt");
    WriteRaw(outside, "keep");
    ASSERT_TRUE(QFile::link(outside, folder + QStringLiteral("pic.tql")));
    ASSERT_TRUE(WriteFolderMarker(QStringLiteral("http://a/1.jpg"), folder));
    EXPECT_EQ(ReadAll(outside), QByteArray("keep"));
    const QFileInfo marker(folder + QStringLiteral("pic.tql"));
    EXPECT_FALSE(marker.isSymLink());
    EXPECT_EQ(ReadFolderMarker(folder), QStringLiteral("http://a/1.jpg"));
}

TEST_F(RecordsTest, UrlListBytesInGbkWithTwoAddressJobs)
{
    ST_DOWNJOBLIST jobs;
    jobs.albumFolder = folder;
    jobs.Append(QStringLiteral("http://a/中文.jpg"), QStringLiteral("1.jpg"), QString());
    jobs.Append(QStringLiteral("http://b/1.jpg\r\nhttp://c/2.jpg"), QStringLiteral("2.jpg"),
                QString());
    const QString path = AlbumRecordPath(folder, QStringLiteral("相册"), QStringLiteral(".lst"));
    ASSERT_EQ(path, folder + QStringLiteral("相册.lst"));
    ASSERT_TRUE(WriteUrlList(path, jobs));
    const QByteArray expected = QByteArray("http://a/") + Hex("d6d0cec4") +
                                QByteArray(".jpg\r\nhttp://b/1.jpg\r\nhttp://c/2.jpg\r\n");
    EXPECT_EQ(ReadAll(path), expected);

    // Rewritten whole for the next run; an album without jobs gives an empty list.
    jobs.StartAlbum();
    ASSERT_TRUE(WriteUrlList(path, jobs));
    EXPECT_EQ(ReadAll(path), QByteArray());
    EXPECT_EQ(Entries(), QStringList({QStringLiteral("相册.lst")}));
}

TEST_F(RecordsTest, NameListBytesGrowPerJobAndRestartPerAlbum)
{
    const QString path = AlbumRecordPath(folder, QStringLiteral("相册"), QStringLiteral(".txt"));
    ASSERT_TRUE(AddNameListLine(path, QStringLiteral("图片1"), true));
    // FF FE, then "图片1\r\n" as UTF-16LE.
    EXPECT_EQ(ReadAll(path), Hex("fffe"
                                 "fe56"
                                 "4772"
                                 "3100"
                                 "0d00"
                                 "0a00"));
    ASSERT_TRUE(AddNameListLine(path, QStringLiteral("图片2"), false));
    EXPECT_EQ(ReadAll(path), Hex("fffe"
                                 "fe56"
                                 "4772"
                                 "3100"
                                 "0d00"
                                 "0a00"
                                 "fe56"
                                 "4772"
                                 "3200"
                                 "0d00"
                                 "0a00"));
    // The album's first job of a later run starts the list afresh.
    ASSERT_TRUE(AddNameListLine(path, QStringLiteral("x"), true));
    EXPECT_EQ(ReadAll(path), Hex("fffe"
                                 "7800"
                                 "0d00"
                                 "0a00"));
    EXPECT_EQ(Entries(), QStringList({QStringLiteral("相册.txt")}));
}

TEST_F(RecordsTest, NameListWithoutItsFirstLineIsLeftAlone)
{
    const QString path = folder + QStringLiteral("a.txt");
    EXPECT_FALSE(AddNameListLine(path, QStringLiteral("图片2"), false));
    EXPECT_FALSE(QFileInfo::exists(path));
    EXPECT_FALSE(AddNameListLine(QString(), QStringLiteral("图片1"), true));
}

TEST_F(RecordsTest, RecordPathsOfUnsafeAlbumNamesAreRefused)
{
    const QString refused[] = {QStringLiteral("a/b"), QStringLiteral("../x"),
                               QStringLiteral("a") + QChar(0), QString(300, QLatin1Char('n'))};
    for (const QString &name : refused) {
        const QString path = AlbumRecordPath(folder, name, QStringLiteral(".lst"));
        EXPECT_EQ(path, QString()) << name.toStdString();
        EXPECT_FALSE(WriteUrlList(path, ST_DOWNJOBLIST()));
        EXPECT_FALSE(AddNameListLine(AlbumRecordPath(folder, name, QStringLiteral(".txt")),
                                     QStringLiteral("图片1"), true));
    }
    EXPECT_EQ(AlbumRecordPath(dir.path(), QStringLiteral("a"), QStringLiteral(".lst")), QString());
    // A dot-only album name still names a file inside the folder.
    EXPECT_EQ(AlbumRecordPath(folder, QStringLiteral(".."), QStringLiteral(".lst")),
              folder + QStringLiteral("...lst"));
    EXPECT_EQ(Entries(), QStringList());
}

TEST_F(RecordsTest, WholeFileWriteFailsCleanly)
{
    EXPECT_FALSE(WriteFileWhole(folder, QByteArray("x")));
    EXPECT_FALSE(WriteFileWhole(folder + QStringLiteral("missing/x"), QByteArray("x")));
    ASSERT_TRUE(QDir().mkdir(folder + QStringLiteral("sub")));
    EXPECT_FALSE(WriteFileWhole(folder + QStringLiteral("sub"), QByteArray("x")));
    EXPECT_EQ(Entries(), QStringList({QStringLiteral("sub")})); // no temporary file left behind
    ASSERT_TRUE(WriteFileWhole(folder + QStringLiteral("f"), QByteArray("abc")));
    EXPECT_EQ(ReadAll(folder + QStringLiteral("f")), QByteArray("abc"));
}

} // namespace
