// GetBetween, SkipTo, KeepBefore, Split and DecodeEntities: the edge cases of their contract, as
// tables of cases.

#include "text/TextScan.h"
#include "TextTestUtil.h"

#include <gtest/gtest.h>

#include <string_view>

using namespace std::string_view_literals;

namespace {

struct BetweenCase {
    const char *name;
    std::u16string_view text, start, end;
    int mode;
    std::u16string_view result, textAfter;
};

const BetweenCase kBetweenCases[] = {
    {"found, mode 0 keeps the text", u"a<b>c</b>d", u"<b>", u"</b>", 0, u"c", u"a<b>c</b>d"},
    {"found, advance cuts through start", u"a<b>c</b>d", u"<b>", u"</b>", BETWEEN_ADVANCE, u"c",
     u"c</b>d"},
    {"start absent, advance leaves the text", u"abc", u"<x>", u"y", BETWEEN_ADVANCE, u"", u"abc"},
    {"start absent, mode 0", u"abc", u"<x>", u"c", 0, u"", u"abc"},
    {"end absent, advance still cuts", u"a<b>cd", u"<b>", u"</b>", BETWEEN_ADVANCE, u"", u"cd"},
    {"end absent, mode 0", u"a<b>cd", u"<b>", u"</b>", 0, u"", u"a<b>cd"},
    {"end only before start", u"</b>a<b>cd", u"<b>", u"</b>", BETWEEN_ADVANCE, u"", u"cd"},
    {"first end after the first start", u"x</b>y<b>z</b>w<b>v</b>", u"<b>", u"</b>",
     BETWEEN_ADVANCE, u"z", u"z</b>w<b>v</b>"},
    {"empty end is found at once", u"a<b>cd", u"<b>", u"", BETWEEN_ADVANCE, u"", u"cd"},
    {"empty start: what stands before the first end", u"ab</b>cd", u"", u"</b>", 0, u"ab",
     u"ab</b>cd"},
    {"empty start with advance cuts nothing", u"ab</b>cd", u"", u"</b>", BETWEEN_ADVANCE, u"ab",
     u"ab</b>cd"},
    {"both empty", u"abc", u"", u"", BETWEEN_ADVANCE, u"", u"abc"},
    {"empty text", u"", u"a", u"b", BETWEEN_ADVANCE, u"", u""},
    {"empty text, empty markers", u"", u"", u"", BETWEEN_ADVANCE, u"", u""},
    {"start equals end", u"a|b|c", u"|", u"|", BETWEEN_ADVANCE, u"b", u"b|c"},
    {"nothing between", u"<b></b>", u"<b>", u"</b>", BETWEEN_ADVANCE, u"", u"</b>"},
    {"start at the very end", u"abc<b>", u"<b>", u"</b>", BETWEEN_ADVANCE, u"", u""},
    {"case-sensitive", u"<B>x</B>", u"<b>", u"</b>", BETWEEN_ADVANCE, u"", u"<B>x</B>"},
    {"Chinese and a surrogate pair", u"标题<t>\U0001F600中</t>尾", u"<t>", u"</t>", BETWEEN_ADVANCE,
     u"\U0001F600中", u"\U0001F600中</t>尾"},
    {"NUL inside the piece", u"[a\0b]"sv, u"[", u"]", 0, u"a\0b"sv, u"[a\0b]"sv},
    {"other modes leave the text", u"a<b>c</b>", u"<b>", u"</b>", 2, u"c", u"a<b>c</b>"},
};

TEST(GetBetween, Cases)
{
    for (const BetweenCase &c : kBetweenCases) {
        SCOPED_TRACE(c.name);
        QString text = Units(c.text);
        const QString result = GetBetween(text, Units(c.start), Units(c.end), c.mode);
        EXPECT_EQ(result, Units(c.result));
        EXPECT_EQ(text, Units(c.textAfter));
    }
}

TEST(GetBetween, DefaultModeLeavesTheText)
{
    QString text = QStringLiteral("k=\"v\";");
    EXPECT_EQ(GetBetween(text, QStringLiteral("k=\""), QStringLiteral("\"")), QStringLiteral("v"));
    EXPECT_EQ(text, QStringLiteral("k=\"v\";"));
}

TEST(GetBetween, AdvanceWalksEveryOccurrence)
{
    QString page = QStringLiteral("<i>1</i> <i>22</i><i></i> <i>333</i> <i>4");
    QStringList found;
    for (int guard = 0; guard < 100; ++guard) {
        const qsizetype before = page.size();
        const QString piece =
            GetBetween(page, QStringLiteral("<i>"), QStringLiteral("</i>"), BETWEEN_ADVANCE);
        if (page.size() == before)
            break; // no start left: the text stays as it is
        found.append(piece);
    }
    EXPECT_EQ(found, (QStringList{"1", "22", "", "333", ""}));
    EXPECT_EQ(page, QStringLiteral("4"));
}

TEST(GetBetween, AdvanceDoesNotTouchOtherCopies)
{
    const QString original = QStringLiteral("a<b>c</b>d<b>e</b>");
    QString text = original; // shares its data with `original`
    EXPECT_EQ(GetBetween(text, "<b>", "</b>", BETWEEN_ADVANCE), QStringLiteral("c"));
    EXPECT_EQ(GetBetween(text, "<b>", "</b>", BETWEEN_ADVANCE), QStringLiteral("e"));
    EXPECT_EQ(text, QStringLiteral("e</b>"));
    EXPECT_EQ(original, QStringLiteral("a<b>c</b>d<b>e</b>"));
}

// Linearity without a clock: walking a page must cut its front in place, never copy the
// remainder. The text's characters therefore stay where they were, in the one buffer that the
// page was built in, and each cut only moves the start of the text within it.
TEST(GetBetween, AdvanceCutsInPlaceWithoutCopyingTheRest)
{
    QString page;
    for (int i = 0; i < 2000; ++i)
        page += QStringLiteral("<a href=\"/post/%1\">x</a>\n").arg(i);
    const QChar *const base = page.constData();
    const qsizetype total = page.size();
    int steps = 0;
    for (;;) {
        const qsizetype before = page.size();
        const QString piece =
            GetBetween(page, QStringLiteral("href=\""), QStringLiteral("\""), BETWEEN_ADVANCE);
        if (page.size() == before)
            break;
        ASSERT_EQ(piece, QStringLiteral("/post/%1").arg(steps));
        ASSERT_EQ(page.constData(), base + (total - page.size()))
            << "step " << steps << " copied the remainder";
        ++steps;
    }
    EXPECT_EQ(steps, 2000);
}

TEST(SkipTo, CutsInPlaceWithoutCopyingTheRest)
{
    QString page = QString(10000, QLatin1Char('x')) + QStringLiteral("<m>tail");
    const QChar *const base = page.constData();
    EXPECT_EQ(SkipTo(page, QStringLiteral("<m>"), true), 10000);
    EXPECT_EQ(page, QStringLiteral("tail"));
    EXPECT_EQ(page.constData(), base + 10003);
}

struct SkipCase {
    const char *name;
    std::u16string_view text, marker;
    bool past;
    qsizetype result;
    std::u16string_view textAfter;
};

const SkipCase kSkipCases[] = {
    {"before the marker", u"abc<m>def", u"<m>", false, 3, u"<m>def"},
    {"past the marker", u"abc<m>def", u"<m>", true, 3, u"def"},
    {"first occurrence", u"a,b,c", u",", true, 1, u"b,c"},
    {"marker at 0", u"<m>x", u"<m>", false, 0, u"<m>x"},
    {"marker is the whole text", u"<m>", u"<m>", true, 0, u""},
    {"absent marker changes nothing", u"abc", u"<m>", true, -1, u"abc"},
    {"absent marker, not past", u"abc", u"<m>", false, -1, u"abc"},
    {"empty marker, past", u"abc", u"", true, 0, u"abc"},
    {"empty marker", u"abc", u"", false, 0, u"abc"},
    {"empty text", u"", u"x", true, -1, u""},
    {"empty text, empty marker", u"", u"", true, 0, u""},
    {"marker longer than the text", u"ab", u"abc", true, -1, u"ab"},
    {"lone surrogate marker", u"a\xD800z", u"\xD800", true, 1, u"z"},
};

TEST(SkipTo, Cases)
{
    for (const SkipCase &c : kSkipCases) {
        SCOPED_TRACE(c.name);
        QString text = Units(c.text);
        EXPECT_EQ(SkipTo(text, Units(c.marker), c.past), c.result);
        EXPECT_EQ(text, Units(c.textAfter));
    }
}

struct KeepCase {
    const char *name;
    std::u16string_view text, marker;
    qsizetype result;
    std::u16string_view textAfter;
};

const KeepCase kKeepCases[] = {
    {"before the first marker", u"abc<m>def<m>", u"<m>", 3, u"abc"},
    {"marker at 0", u"<m>abc", u"<m>", 0, u""},
    {"marker at the end", u"abc<m>", u"<m>", 3, u"abc"},
    {"absent marker changes nothing", u"abc", u"<m>", -1, u"abc"},
    {"empty marker empties the text", u"abc", u"", 0, u""},
    {"empty text", u"", u"x", -1, u""},
    {"empty text, empty marker", u"", u"", 0, u""},
    {"NUL as marker", u"ab\0cd"sv, u"\0"sv, 2, u"ab"},
};

TEST(KeepBefore, Cases)
{
    for (const KeepCase &c : kKeepCases) {
        SCOPED_TRACE(c.name);
        QString text = Units(c.text);
        EXPECT_EQ(KeepBefore(text, Units(c.marker)), c.result);
        EXPECT_EQ(text, Units(c.textAfter));
    }
}

struct SplitCase {
    const char *name;
    QString text, separator;
    qsizetype count;
    QStringList parts;
};

TEST(Split, Cases)
{
    const SplitCase cases[] = {
        {"letter, comma, letter, comma", "a,b,", ",", 2, {"a", "b", ""}},
        {"no separator gives 0 and no parts", "abc", ",", 0, {}},
        {"empty text", "", ",", 0, {}},
        {"empty separator", "a,b", "", 0, {}},
        {"empty text and separator", "", "", 0, {}},
        {"separators only", ",,", ",", 2, {"", "", ""}},
        {"leading separator", ",a", ",", 1, {"", "a"}},
        {"whole text is the separator", "::", "::", 1, {"", ""}},
        {"multi-unit separator, empty part", "a::b::::c", "::", 3, {"a", "b", "", "c"}},
        {"non-overlapping from the front", ":::", "::", 1, {"", ":"}},
        {"case-sensitive", "aXbxc", "x", 1, {"aXb", "c"}},
        {"Chinese separator",
         QString::fromUtf8("甲，乙，丙"),
         QString::fromUtf8("，"),
         2,
         {QString::fromUtf8("甲"), QString::fromUtf8("乙"), QString::fromUtf8("丙")}},
    };
    for (const SplitCase &c : cases) {
        SCOPED_TRACE(c.name);
        QStringList parts{"stale", "entries"};
        const QString before = c.text;
        EXPECT_EQ(Split(c.text, c.separator, parts), c.count);
        EXPECT_EQ(parts, c.parts);
        EXPECT_EQ(c.text, before);
    }
}

TEST(Split, PartsJoinBackToTheText)
{
    QString text;
    for (int i = 0; i < 500; ++i)
        text += QStringLiteral("row %1|").arg(i) + (i % 7 == 0 ? QStringLiteral("|") : QString());
    QStringList parts;
    const qsizetype n = Split(text, QStringLiteral("|"), parts);
    EXPECT_EQ(parts.size(), n + 1);
    EXPECT_EQ(parts.join(QLatin1Char('|')), text);
    EXPECT_EQ(n, text.count(QLatin1Char('|')));
}

struct EntityCase {
    const char *name;
    std::u16string_view text, decoded;
};

const EntityCase kEntityCases[] = {
    {"all seven", u"&quot;&amp;&lt;&gt;&nbsp;&hellip;&#39;", u"\"&<> \u2026'"},
    {"in running text", u"Tom &amp; Jerry&#39;s &lt;b&gt;", u"Tom & Jerry's <b>"},
    {"escaped lt decodes twice", u"&amp;lt;", u"<"},
    {"escaped gt decodes twice", u"&amp;gt;", u">"},
    {"escaped nbsp decodes twice", u"&amp;nbsp;", u" "},
    {"escaped hellip decodes twice", u"&amp;hellip;", u"\u2026"},
    {"escaped apostrophe decodes twice", u"&amp;#39;", u"'"},
    {"escaped quot ends as the entity", u"&amp;quot;", u"&quot;"},
    {"escaped amp decodes once", u"&amp;amp;", u"&amp;"},
    {"other entities stay", u"&#34;&apos;&copy;&#x27;&mdash;", u"&#34;&apos;&copy;&#x27;&mdash;"},
    {"case-sensitive", u"&AMP;&Lt;", u"&AMP;&Lt;"},
    {"no semicolon", u"&lt &amp", u"&lt &amp"},
    {"adjacent", u"&amp;&amp;", u"&&"},
    {"empty", u"", u""},
    {"lone surrogate and NUL stay", u"\xDC00&lt;\0"sv, u"\xDC00<\0"sv},
};

TEST(DecodeEntities, Cases)
{
    for (const EntityCase &c : kEntityCases) {
        SCOPED_TRACE(c.name);
        QString text = Units(c.text);
        DecodeEntities(text);
        EXPECT_EQ(text, Units(c.decoded));
    }
}

} // namespace
