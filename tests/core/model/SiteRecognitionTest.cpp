// Site recognition: the fragment table and its order, the "http://" and position rules, the QQ
// sub-kinds, the built-in names, what an address edit decides and where the address box goes.
#include "model/SiteRecognition.h"

#include "QtPrint.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct RecogniseCase {
    const char *name;
    QString text;
    int siteKind;
};

class RecogniseSiteTest : public ::testing::TestWithParam<RecogniseCase> {};

TEST_P(RecogniseSiteTest, GivesTheSiteKind)
{
    EXPECT_EQ(SiteRecognition::RecogniseSite(GetParam().text), GetParam().siteKind);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, RecogniseSiteTest,
    ::testing::Values(
        RecogniseCase{"LofterBlog", "http://alice.lofter.com/", 19},
        RecogniseCase{"LofterPost", "http://alice.lofter.com/post/1d2c3b_4a5f6e", 19},
        RecogniseCase{"LofterHttps", "https://alice.lofter.com/", -1},
        RecogniseCase{"LofterCapitals", "http://alice.LOFTER.com/", -1},
        RecogniseCase{"NoScheme", "alice.lofter.com/", -1},
        // "http://" anywhere is enough, even after the fragment.
        RecogniseCase{"HttpLater", "x.lofter.com http://", 19},
        // A fragment at position 0 does not count, even with "http://" later.
        RecogniseCase{"FragmentAtZero", "lofter.com/?from=http://x", -1},
        // Only the first occurrence is looked at.
        RecogniseCase{"FirstOccurrenceAtZero", "lofter.com/?http://b.lofter.com", -1},
        RecogniseCase{"EarlierKindAtZero", "baidu.com/?http://b.lofter.com", 19},
        RecogniseCase{"QqZone", "http://user.qzone.qq.com/12345", 0},
        RecogniseCase{"QqNeedsSlash", "http://user.qzone.qq.com", -1},
        RecogniseCase{"Baidu", "http://hi.baidu.com/x", 1},
        RecogniseCase{"Netease", "http://photo.163.com/x", 2},
        RecogniseCase{"Renren", "http://www.renren.com/x", 3},
        RecogniseCase{"Sina", "http://photo.blog.sina.com.cn/x", 4},
        RecogniseCase{"Weibo", "http://weibo.com/u/1", 4},
        RecogniseCase{"WeiboNeedsSlash", "http://www.weibo.com", -1},
        RecogniseCase{"Site56", "http://i.56.com/x", 5},
        RecogniseCase{"Poco", "http://my.poco.cn/x", 6},
        RecogniseCase{"Yupoo", "http://www.yupoo.com/x", 7},
        RecogniseCase{"Site51", "http://photo.51.com/x", 8},
        RecogniseCase{"Zol", "http://bbs.zol.com.cn/x", 9},
        RecogniseCase{"ZolNeedsSlash", "http://bbs.zol.com.cn", -1},
        RecogniseCase{"Pchome", "http://photo.pchome.net/x", 10},
        RecogniseCase{"Taobao", "http://item.taobao.com/x", 11},
        RecogniseCase{"Tmall", "http://detail.tmall.com/x", 11},
        RecogniseCase{"TmallNeedsSlash", "http://detail.tmall.com", -1},
        RecogniseCase{"Site1688", "http://detail.1688.com/x", 11},
        RecogniseCase{"Moko", "http://www.moko.cc/x", 12},
        RecogniseCase{"Babytree", "http://www.babytree.com/x", 13},
        RecogniseCase{"Pconline", "http://photo.pconline.com.cn/x", 14},
        RecogniseCase{"Hupu", "http://my.hupu.com/x", 15},
        RecogniseCase{"Jd", "http://item.jd.com/1.html", 16},
        RecogniseCase{"Instagram", "http://instagram.com/x", 17},
        RecogniseCase{"Huaban", "http://huaban.com/boards/1", 18},
        // Two sites in one address: the one tested first wins, wherever it stands.
        RecogniseCase{"FirstInOrderWins", "http://alice.lofter.com/?ref=http://hi.baidu.com", 1},
        RecogniseCase{"QqBeforeEverything", "http://item.jd.com/?u=http://t.qq.com/x", 0},
        RecogniseCase{"WeiboBeforeLofter", "http://a.lofter.com/?u=http://weibo.com/", 4},
        RecogniseCase{"UnknownSite", "http://example.org/x", -1}, RecogniseCase{"Empty", "", -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SiteRecognitionTable, CoversEveryKindInOrderWithTheDocumentedFragmentCounts)
{
    int count = 0;
    const SiteRecognition::Fragment *fragments = SiteRecognition::Fragments(count);
    ASSERT_EQ(count, 23); // 20 kinds, two for Sina Weibo, three for Taobao/Tmall/1688
    int perKind[SiteRecognition::kSiteKindCount] = {};
    int previous = 0;
    for (int i = 0; i < count; ++i) {
        const int kind = fragments[i].siteKind;
        ASSERT_GE(kind, previous) << "fragment " << i << " out of test order";
        ASSERT_LT(kind, SiteRecognition::kSiteKindCount);
        previous = kind;
        ++perKind[kind];
        // Each fragment recognises its own kind in a plain address of its host.
        const QString address = "http://www." + QString(fragments[i].text) + "/x";
        EXPECT_EQ(SiteRecognition::RecogniseSite(address), kind) << address.toStdString();
    }
    for (int kind = 0; kind < SiteRecognition::kSiteKindCount; ++kind)
        EXPECT_EQ(perKind[kind], kind == 4 ? 2 : kind == 11 ? 3 : 1) << "site kind " << kind;
    EXPECT_EQ(QString(fragments[count - 1].text), "lofter.com");
}

TEST(SiteRecognitionNames, BuiltInNamesOnePerKindAndSubKindItems)
{
    const QStringList names = SiteRecognition::BuiltInSiteNames();
    ASSERT_EQ(names.size(), SiteRecognition::kSiteKindCount);
    EXPECT_EQ(names.at(SiteRecognition::kLofterSiteKind), "LOFTER");
    EXPECT_EQ(std::set<QString>(names.begin(), names.end()).size(), names.size());
    for (const QString &name : names)
        EXPECT_FALSE(name.trimmed().isEmpty());
    EXPECT_EQ(SiteRecognition::SubKindNames(),
              QStringList({"QQ空间相册", "QQ群相册", "腾讯微博相册"}));
}

struct DecideCase {
    const char *name;
    QString text;
    int currentSelection;
    int itemCount;
    bool applies;
    int siteSelection;
    bool subKindShown;
    int subKindItem;
};

class DecideAddressTest : public ::testing::TestWithParam<DecideCase> {};

TEST_P(DecideAddressTest, ChangesTheCombosAsAnEditDoes)
{
    const DecideCase &c = GetParam();
    const SiteRecognition::AddressDecision d =
        SiteRecognition::DecideAddress(c.text, c.currentSelection, c.itemCount);
    EXPECT_EQ(d.applies, c.applies);
    if (!c.applies)
        return;
    EXPECT_EQ(d.siteSelection, c.siteSelection);
    EXPECT_EQ(d.subKindShown, c.subKindShown);
    EXPECT_EQ(d.subKindItem, c.subKindItem);
}

INSTANTIATE_TEST_SUITE_P(
    Edits, DecideAddressTest,
    ::testing::Values(
        DecideCase{"LofterFromQq", "http://alice.lofter.com/", 0, 20, true, 19, false, -1},
        DecideCase{"HttpsChangesNothing", "https://alice.lofter.com/", 3, 20, false, 3, false, -1},
        DecideCase{"UnknownKeepsSelection", "http://example.org/", 7, 20, true, 7, false, -1},
        DecideCase{"UnknownKeepsQq", "http://example.org/", 0, 20, true, 0, true, 0},
        DecideCase{"TencentWeibo", "http://t.qq.com/someone/", 19, 20, true, 0, true, 2},
        DecideCase{"QqGroup", "http://qun.qq.com/air/", 19, 20, true, 0, true, 1},
        DecideCase{"QqZone", "http://user.qzone.qq.com/1/", 19, 20, true, 0, true, 0},
        // Tencent Weibo is asked before QQ group.
        DecideCase{"WeiboBeforeGroup", "http://qun.qq.com/?x=t.qq.com", 19, 20, true, 0, true, 2},
        // An empty combo has no selection and cannot get one.
        DecideCase{"EmptyCombo", "http://alice.lofter.com/", -1, 0, true, -1, false, -1},
        DecideCase{"EmptyComboQq", "http://t.qq.com/x/", -1, 0, true, -1, false, -1},
        // A combo without the recognised item keeps its selection.
        DecideCase{"ShortCombo", "http://alice.lofter.com/", 2, 5, true, 2, false, -1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SiteRecognitionSelect, PickedEntryReplacesTheText)
{
    EXPECT_EQ(SiteRecognition::TextAfterSelect(2, "http://bob.lofter.com/", "typed"),
              "http://bob.lofter.com/");
    EXPECT_EQ(SiteRecognition::TextAfterSelect(-1, QString(), "typed"), "typed");
    // A picked lower-case entry is recognised like a typed one.
    EXPECT_EQ(SiteRecognition::DecideAddress(
                  SiteRecognition::TextAfterSelect(0, "http://bob.lofter.com/", "http://t.qq.com/"),
                  0, 20)
                  .siteSelection,
              19);
}

struct GeometryCase {
    const char *name;
    QRect addressBox;
    QRect subKind;
    bool shown;
    QRect expected;
};

class AddressBoxRectTest : public ::testing::TestWithParam<GeometryCase> {};

TEST_P(AddressBoxRectTest, MovesOnlyTheLeftEdge)
{
    const GeometryCase &c = GetParam();
    EXPECT_EQ(SiteRecognition::AddressBoxRect(c.addressBox, c.subKind, c.shown), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Geometry, AddressBoxRectTest,
    ::testing::Values(
        // Sub-kind combo 80 px wide at x 118: its right edge is 198, the box starts at 201.
        GeometryCase{"Shown", QRect(201, 30, 378, 21), QRect(118, 30, 80, 21), true,
                     QRect(QPoint(201, 30), QPoint(578, 50))},
        GeometryCase{"HiddenTakesItsPlace", QRect(201, 30, 378, 21), QRect(118, 30, 80, 21), false,
                     QRect(QPoint(118, 30), QPoint(578, 50))},
        GeometryCase{"ShownAgain", QRect(118, 30, 461, 21), QRect(118, 30, 80, 21), true,
                     QRect(QPoint(201, 30), QPoint(578, 50))},
        GeometryCase{"OtherTop", QRect(50, 7, 100, 30), QRect(10, 9, 20, 5), true,
                     QRect(QPoint(33, 7), QPoint(149, 36))}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SiteRecognitionSubKind, ShownOnlyForQq)
{
    for (int selection = -1; selection < SiteRecognition::kSiteKindCount; ++selection)
        EXPECT_EQ(SiteRecognition::SubKindShown(selection), selection == 0) << selection;
}

} // namespace
