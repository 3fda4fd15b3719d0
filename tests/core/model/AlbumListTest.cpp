// The album list: name cleaning and distinct names, the 80-unit cut, the grid row an album
// becomes (texts, data value, filter, numbering), the column texts, and use from two threads.

#include "model/AlbumList.h"
#include "QtPrint.h"
#include "RecordingWindow.h"
#include "window/AlbumGridSetup.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <cstdint>
#include <thread>

namespace {

ST_PERLISTRECORD Post(const QString &title, qint32 picCount = -1, qint32 remark = 0)
{
    ST_PERLISTRECORD tpl;
    tpl.name = title;
    tpl.postUrl = QStringLiteral("http://a.lofter.com/post/1_") + QString::number(qHash(title));
    tpl.picCount = picCount;
    tpl.remarkFlags = remark;
    return tpl;
}

QStringList Names(const AlbumList &list)
{
    QStringList names;
    for (int i = 0; i < list.Count(); ++i)
        names.append(list.At(i).name);
    return names;
}

// The window after RebuildAlbumGrid in the list view, as every list run starts.
class ShownAlbums : public ::testing::Test {
protected:
    void SetUp() override { RebuildAlbumGrid(window, view); }

    QStringList RowTexts(int row)
    {
        QStringList texts;
        for (int col = 0; col < 6; ++col)
            texts.append(window.Grid().GetCellText(row, col));
        return texts;
    }

    // Adds and shows each title as a list run does.
    void AddAndShow(const QStringList &titles)
    {
        for (const QString &title : titles)
            list.ShowAlbum(window, list.AddAlbum(Post(title)) - 1, view);
    }

    RecordingWindow window;
    AlbumViewState view;
    AlbumList list;
};

struct NamingCase {
    const char *what;
    QStringList titles;
    QStringList names;
};

TEST(AlbumList, NamesAreCleanedAndMadeDistinct)
{
    const NamingCase cases[] = {
        {"three equal titles",
         {QStringLiteral("abc"), QStringLiteral("abc"), QStringLiteral("abc")},
         {QStringLiteral("abc"), QStringLiteral("abc (1)"), QStringLiteral("abc (2)")}},
        {"a title that already reads abc (1)",
         {QStringLiteral("abc"), QStringLiteral("abc"), QStringLiteral("abc"),
          QStringLiteral("abc (1)")},
         {QStringLiteral("abc"), QStringLiteral("abc (1)"), QStringLiteral("abc (2)"),
          QStringLiteral("abc (1) (1)")}},
        {"abc (1) first, then abc twice",
         {QStringLiteral("abc (1)"), QStringLiteral("abc"), QStringLiteral("abc")},
         {QStringLiteral("abc (1)"), QStringLiteral("abc"), QStringLiteral("abc (2)")}},
        {"comparison is case-sensitive",
         {QStringLiteral("Cat"), QStringLiteral("cat")},
         {QStringLiteral("Cat"), QStringLiteral("cat")}},
        {"distinct after cleaning",
         {QStringLiteral("a/b"), QStringLiteral("ab"), QStringLiteral("  a:b  ")},
         {QStringLiteral("ab"), QStringLiteral("ab (1)"), QStringLiteral("ab (2)")}},
        {"placeholders in a title are plain text",
         {QStringLiteral("%1 %2"), QStringLiteral("%1 %2")},
         {QStringLiteral("%1 %2"), QStringLiteral("%1 %2 (1)")}},
    };
    for (const NamingCase &c : cases) {
        AlbumList list;
        for (const QString &title : c.titles)
            list.AddAlbum(Post(title));
        EXPECT_EQ(Names(list), c.names) << c.what;
    }
}

TEST(AlbumList, AddAlbumCopiesTheTemplateAndSetsPositionAndThumb)
{
    AlbumList list;
    ST_PERLISTRECORD tpl = Post(QStringLiteral("first"), 7, 2);
    tpl.coverUrl = QStringLiteral("http://img/c.jpg");
    tpl.extraText1 = QStringLiteral("x1");
    tpl.extraText2 = QStringLiteral("x2");
    tpl.extraNum1 = 11;
    tpl.extraNum2 = 12;
    tpl.listIndex = 99;
    tpl.thumbIndex = 42;
    EXPECT_EQ(list.AddAlbum(tpl), 1);
    EXPECT_EQ(list.AddAlbum(tpl), 2);

    ST_PERLISTRECORD expected = tpl;
    expected.name = QStringLiteral("first (1)");
    expected.listIndex = 1;
    expected.thumbIndex = -1;
    EXPECT_EQ(list.At(1), expected);
    EXPECT_EQ(list.At(0).listIndex, 0);

    list.SetThumbIndex(1, 3);
    EXPECT_EQ(list.At(1).thumbIndex, 3);
    EXPECT_EQ(list.At(2).listIndex, -1); // out of range: a default record
    EXPECT_EQ(list.At(-1).listIndex, -1);
}

TEST(AlbumList, ClearEmptiesTheListAndForgetsNamesButKeepsSelectedCount)
{
    AlbumList list;
    list.AddAlbum(Post(QStringLiteral("abc")));
    list.selectedCount = 4;
    list.Clear();
    list.Clear(); // clearing an empty list does nothing
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.selectedCount.load(), 4);
    EXPECT_EQ(list.AddAlbum(Post(QStringLiteral("abc"))), 1);
    EXPECT_EQ(list.At(0).name, QStringLiteral("abc"));
    EXPECT_EQ(list.At(0).listIndex, 0);
}

TEST(AlbumList, UnusableTitlesBecomeTheLocalTimeAndStayDistinct)
{
    AlbumList list;
    list.AddAlbum(Post(QStringLiteral("???")));
    list.AddAlbum(Post(QStringLiteral("\\/:")));
    const QString first = list.At(0).name;
    const QString second = list.At(1).name;
    static const QRegularExpression fourteenDigits(QStringLiteral("^\\d{14}$"));
    EXPECT_TRUE(fourteenDigits.match(first).hasMatch()) << first.toStdString();
    // Within the same second the second name is numbered; across a second boundary it is the
    // next time text. Either way the names differ.
    EXPECT_TRUE(second == first + QStringLiteral(" (1)") ||
                (fourteenDigits.match(second).hasMatch() && second != first))
        << second.toStdString();
}

TEST_F(ShownAlbums, RowsCarryNumberNameCountRemarkAndTheAlbumIndex)
{
    list.AddAlbum(Post(QStringLiteral("sunset"), -1, 0));
    list.AddAlbum(Post(QStringLiteral("sea"), 7, 3));
    EXPECT_EQ(list.ShowAlbum(window, 0, view), 1);
    EXPECT_EQ(list.ShowAlbum(window, 1, view), 2);

    const MemoryGrid &grid = window.Grid();
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(RowTexts(1), (QStringList{QStringLiteral("0001"), QStringLiteral("sunset"),
                                        QStringLiteral("未知"), QString(), QString(), QString()}));
    EXPECT_EQ(RowTexts(2),
              (QStringList{QStringLiteral("0002"), QStringLiteral("sea"), QStringLiteral("   7"),
                           QStringLiteral("加密相册"), QString(), QString()}));
    EXPECT_EQ(grid.GetCellData(1, 0), 0);
    EXPECT_EQ(grid.GetCellData(2, 0), 1);
    EXPECT_EQ(grid.GetCellText(0, 1), QStringLiteral("名称")); // header untouched
    // Showing an album changes no control.
    EXPECT_EQ(window.Changes(), QStringList{QStringLiteral("check 1012 0")});
}

TEST_F(ShownAlbums, FilterShowsMatchingNamesNumberedWithoutGaps)
{
    for (const char *title : {"cat one", "dog", "Cat two", "my cat", "bird"})
        list.AddAlbum(Post(QString::fromUtf8(title)));
    view.filterText = QStringLiteral("cat");
    for (int i = 0; i < list.Count(); ++i)
        list.ShowAlbum(window, i, view);

    const MemoryGrid &grid = window.Grid();
    ASSERT_EQ(grid.RowCount(), 3);
    EXPECT_EQ(RowTexts(1).mid(0, 2),
              (QStringList{QStringLiteral("0001"), QStringLiteral("cat one")}));
    EXPECT_EQ(RowTexts(2).mid(0, 2),
              (QStringList{QStringLiteral("0002"), QStringLiteral("my cat")}));
    EXPECT_EQ(grid.GetCellData(1, 0), 0);
    EXPECT_EQ(grid.GetCellData(2, 0), 3); // the album index keeps its gap
    EXPECT_EQ(list.ShowAlbum(window, 1, view), -1);
}

TEST_F(ShownAlbums, LongNamesAreCutTo80UnitsInTheRecord)
{
    const QString ninety = QString(90, QLatin1Char('n'));
    const QString eighty = QString(80, QLatin1Char('n'));
    AddAndShow({ninety, QString(80, QLatin1Char('m'))});

    EXPECT_EQ(list.At(0).name, eighty);
    EXPECT_EQ(window.Grid().GetCellText(1, 1), eighty);
    EXPECT_EQ(list.At(1).name, QString(80, QLatin1Char('m'))); // exactly 80: unchanged

    // The cut happens before the filter: a filtered-out album is cut too.
    view.filterText = QStringLiteral("zzz");
    list.ShowAlbum(window, list.AddAlbum(Post(QString(85, QLatin1Char('q')))) - 1, view);
    EXPECT_EQ(list.At(2).name, QString(80, QLatin1Char('q')));
    EXPECT_EQ(window.Grid().RowCount(), 3);
}

TEST_F(ShownAlbums, CutNamesThatMeetAnotherAlbumAreNumberedAgain)
{
    // Two titles that differ only after unit 80 would end with one name, and so one folder,
    // for two albums; the second is numbered within the 80 units instead.
    const QString stem = QString(80, QLatin1Char('s'));
    AddAndShow({stem + QStringLiteral("-first"), stem + QStringLiteral("-second"),
                stem + QStringLiteral("-third")});

    EXPECT_EQ(Names(list), (QStringList{stem, stem.left(76) + QStringLiteral(" (1)"),
                                        stem.left(76) + QStringLiteral(" (2)")}));
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(window.Grid().GetCellText(i + 1, 1), list.At(i).name);

    // A later title equal to a cut name is made distinct by AddAlbum as usual.
    AddAndShow({stem});
    EXPECT_EQ(list.At(3).name, stem.left(76) + QStringLiteral(" (3)"));
}

TEST_F(ShownAlbums, TheCutNeverSplitsASurrogatePair)
{
    const QString face = QStringLiteral("\U0001F600"); // two UTF-16 units
    const QString title = QString(79, QLatin1Char('x')) + face + QStringLiteral("tail");
    AddAndShow({title});
    EXPECT_EQ(list.At(0).name, QString(79, QLatin1Char('x')));

    const QString even = QString(78, QLatin1Char('y')) + face + QStringLiteral("tail");
    AddAndShow({even});
    EXPECT_EQ(list.At(1).name, QString(78, QLatin1Char('y')) + face);
}

TEST_F(ShownAlbums, ThumbnailViewCutsButAddsNoRow)
{
    list.AddAlbum(Post(QString(81, QLatin1Char('t'))));
    view.thumbMode = true;
    EXPECT_EQ(list.ShowAlbum(window, 0, view), -1);
    EXPECT_EQ(window.Grid().RowCount(), 1);
    EXPECT_EQ(list.At(0).name.size(), 80);
    EXPECT_EQ(list.ShowAlbum(window, 5, view), -1);
}

struct TextCase {
    qint32 value;
    const char16_t *text;
};

TEST(AlbumTexts, CountText)
{
    const TextCase cases[] = {
        {-1, u"未知"},
        {0, u"   0"},
        {7, u"   7"},
        {1234, u"1234"},
        {12345, u"12345"},
        {-2, u"4294967294"},
        {INT32_MIN, u"2147483648"},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(CountText(c.value), QString::fromUtf16(c.text)) << c.value;
}

TEST(AlbumTexts, RemarkText)
{
    const TextCase cases[] = {
        {0, u""},
        {1, u"加密相册"},
        {2, u"私密相册"},
        {3, u"加密相册"},
        {4, u"好友可见"},
        {6, u"私密相册"},
        {8, u""},
        {-1, u"2147483647"},
        {INT32_MIN, u"00000000"},
        {INT32_MIN + 42, u"00000042"},
        {INT32_MIN + 123456789, u"123456789"},
    };
    for (const TextCase &c : cases)
        EXPECT_EQ(RemarkText(c.value), QString::fromUtf16(c.text)) << c.value;
}

TEST_F(ShownAlbums, AListRunThreadAndAReaderShareTheList)
{
    constexpr int kAlbums = 300;
    std::thread run([this] {
        for (int i = 0; i < kAlbums; ++i)
            list.ShowAlbum(window, list.AddAlbum(Post(QStringLiteral("same"))) - 1, view);
    });
    // Read while the run adds: every record seen is consistent with its position.
    int seen = 0;
    while (seen < kAlbums) {
        const int count = list.Count();
        for (; seen < count; ++seen)
            ASSERT_EQ(list.At(seen).listIndex, seen);
    }
    run.join();

    QStringList names = Names(list);
    names.removeDuplicates();
    EXPECT_EQ(names.size(), kAlbums);
    EXPECT_EQ(window.Grid().RowCount(), kAlbums + 1);
    EXPECT_EQ(window.Grid().GetCellText(kAlbums, 1), QStringLiteral("same (%1)").arg(kAlbums - 1));
}

} // namespace
