// CleanName: each step and their order, as a table of cases, and the time fallback.

#include "TextTestUtil.h"
#include "text/TextScan.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string_view>

using namespace std::string_view_literals;

namespace {

struct CleanCase {
    const char *name;
    std::u16string_view text, cleaned;
};

const CleanCase kCleanCases[] = {
    {"blanks at both ends and three between", u"  hello   world  ", u"hello world"},
    {"three dots become ideographic full stops", u"...", u"\u3002\u3002\u3002"},
    {"dots with blanks around", u" ... ", u"\u3002\u3002\u3002"},
    {"tab becomes underscore", u"a\tb", u"a_b"},
    {"two tabs", u"a\t\tb", u"a__b"},
    {"slash dropped, letters join", u"a/b", u"ab"},
    {"colon dropped, letters join", u"a:b", u"ab"},
    {"every forbidden character", u"a\\b*c?d\"e<f>g|h\r\ni\aj", u"abcdefghij"},
    {"entities first: quotes then dropped", u"&quot;x&quot;", u"x"},
    {"double-decoded lt and gt dropped", u"&amp;lt;name&amp;gt;", u"name"},
    {"nbsp becomes a space, pairs collapse", u"a&nbsp;&nbsp;&nbsp;b", u"a b"},
    {"ellipsis and apostrophe", u"wait&hellip; it&#39;s", u"wait\u2026 it's"},
    {"ampersand stays", u"A &amp; B", u"A & B"},
    {"dots at both ends", u"..name..", u"name"},
    {"dot at the start", u".hidden", u"hidden"},
    {"dot at the end", u"end.", u"end"},
    {"inner dots stay", u"a.b.c", u"a.b.c"},
    {"dots removed before the second trim", u". name .", u"name"},
    {"the last trim comes after the dots", u". . .", u"."},
    {"dots made of forbidden mix vanish", u"./.", u""},
    {"ideographic space is white space", u"\u3000标题\u3000", u"标题"},
    {"no-break space is not white space", u"\u00A0x\u00A0", u"\u00A0x\u00A0"},
    {"tabs at the ends are trimmed, not replaced", u" \t a \t ", u"a"},
    {"spaces and tab inside", u"a  \t  b", u"a _ b"},
    {"only white space", u" \t\r\n ", u""},
    {"empty", u"", u""},
    {"bell removed", u"\abell\a", u"bell"},
    {"line break inside removed", u"a\r\nb", u"ab"},
    {"Chinese title", u"归档 - 中文&nbsp;&nbsp;标题", u"归档 - 中文 标题"},
    {"lone surrogate stays",
     u"a\xD800"
     u"b",
     u"a\xD800"
     u"b"},
    {"NUL stays", u"a\0b"sv, u"a\0b"sv},
};

TEST(CleanName, Cases)
{
    for (const CleanCase &c : kCleanCases) {
        SCOPED_TRACE(c.name);
        QString text = Units(c.text);
        CleanName(text, false);
        EXPECT_EQ(text, Units(c.cleaned));
    }
}

TEST(CleanName, WhiteSpaceSet)
{
    const char16_t spaces[] = {0x0009, 0x000A, 0x000B, 0x000C, 0x000D, 0x0020, 0x1680,
                               0x2000, 0x2001, 0x2002, 0x2003, 0x2004, 0x2005, 0x2006,
                               0x2008, 0x2009, 0x200A, 0x2028, 0x2029, 0x205F, 0x3000};
    int count = 0;
    for (char32_t u = 0; u <= 0xFFFF; ++u) {
        if (IsNameWhiteSpace(static_cast<char16_t>(u)))
            ++count;
    }
    EXPECT_EQ(count, static_cast<int>(std::size(spaces)));
    for (const char16_t s : spaces)
        EXPECT_TRUE(IsNameWhiteSpace(s)) << int(s);
    for (const char16_t s : {u'\u00A0', u'\u2007', u'\u202F', u'\u0085', u'\u200B', u'\0'})
        EXPECT_FALSE(IsNameWhiteSpace(s)) << int(s);
}

QString TimeText()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[32];
    const std::size_t n = std::strftime(buffer, sizeof buffer, "%Y%m%d%H%M%S", &local);
    return QString::fromLatin1(buffer, static_cast<qsizetype>(n));
}

// Checks that `text` is the 14-digit local time taken between `before` and `after`.
void ExpectTimeBetween(const QString &text, const QString &before, const QString &after)
{
    ASSERT_EQ(text.size(), 14) << text.toStdString();
    for (const QChar c : text)
        ASSERT_TRUE(c.isDigit()) << text.toStdString();
    EXPECT_GE(text, before);
    EXPECT_LE(text, after);
}

TEST(CleanName, TimeFallback)
{
    struct FallbackCase {
        const char *name;
        QString text;
        bool fallback; // true: the time; false: `text` as cleaned without fallback
    };
    const FallbackCase cases[] = {
        {"empty", "", true},
        {"empty after cleaning", " /:*?<>| ", true},
        {"dots and forbidden characters only", "./.", true},
        {"1000 characters", QString(1000, QLatin1Char('a')), true},
        {"1001 characters", QString(1001, QLatin1Char('a')), true},
        {"999 characters stay", QString(999, QLatin1Char('a')), false},
        {"999 after trimming stay", " " + QString(999, QLatin1Char('b')) + " ", false},
        {"1000 before decoding, 996 after", "&lt;" + QString(996, QLatin1Char('c')), false},
        {"one character stays", "x", false},
        {"dots become full stops and stay", "...", false},
    };
    for (const FallbackCase &c : cases) {
        SCOPED_TRACE(c.name);
        QString expected = c.text;
        CleanName(expected, false);
        QString text = c.text;
        const QString before = TimeText();
        CleanName(text, true);
        const QString after = TimeText();
        if (c.fallback)
            ExpectTimeBetween(text, before, after);
        else
            EXPECT_EQ(text, expected);
    }
}

TEST(CleanName, LongTextStaysWithoutFallback)
{
    QString text(1500, QLatin1Char('z'));
    CleanName(text, false);
    EXPECT_EQ(text, QString(1500, QLatin1Char('z')));
}

} // namespace
