// Every primitive and toolkit routine takes any text: 10 MiB, lone surrogates, NUL inside,
// markers that are the whole text, and finishes without a crash or an endless loop. The
// results are checked against simple invariants, not against timing.

#include "TextTestUtil.h"
#include "text/TextScan.h"
#include "text/TextToolkit.h"

#include <gtest/gtest.h>

#include <random>

namespace {

constexpr qsizetype kTenMiBUnits = 5 * 1024 * 1024; // 10 MiB of UTF-16

// A text of `units` random UTF-16 units drawn mostly from markup characters, with NULs,
// lone high and low surrogates, entities and markers mixed in.
QString HostileText(qsizetype units, unsigned seed)
{
    static const char16_t alphabet[] = {u'<',   u'>',   u'/',  u'a',      u'b',  u'&',   u';',
                                        u'"',   u' ',   u'.',  u'\t',     u'\0', 0xD800, 0xDBFF,
                                        0xDC00, 0xDFFF, u'中', u'\u3000', u':',  u'|'};
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> pick(0, static_cast<int>(std::size(alphabet)) - 1);
    QString text(units, Qt::Uninitialized);
    QChar *data = text.data();
    for (qsizetype i = 0; i < units; ++i)
        data[i] = QChar(alphabet[pick(generator)]);
    return text;
}

TEST(BadInput, TenMiBHostileTextThroughEveryPrimitive)
{
    const QString page = HostileText(kTenMiBUnits, 7);

    QString walk = page;
    qsizetype steps = 0;
    for (;;) {
        const qsizetype before = walk.size();
        (void)GetBetween(walk, QStringLiteral("<a"), QStringLiteral(">"), BETWEEN_ADVANCE);
        if (walk.size() == before)
            break;
        ASSERT_LT(walk.size(), before);
        ++steps;
    }
    EXPECT_GT(steps, 1000);
    EXPECT_EQ(walk.indexOf(QStringLiteral("<a")), -1);

    QString skip = page;
    EXPECT_EQ(SkipTo(skip, Units(u"\xD800\xDC00"), true), page.indexOf(Units(u"\xD800\xDC00")));
    QString keep = page;
    const qsizetype nul = page.indexOf(QChar(u'\0'));
    EXPECT_EQ(KeepBefore(keep, Units(std::u16string_view(u"\0", 1))), nul);
    EXPECT_EQ(keep.size(), nul);

    QStringList parts;
    const qsizetype n = Split(page, QStringLiteral("</"), parts);
    EXPECT_GT(n, 0);
    EXPECT_EQ(parts.size(), n + 1);
    EXPECT_EQ(parts.join(QStringLiteral("</")), page);
    EXPECT_EQ(Split(page, QString(), parts), 0);
    EXPECT_TRUE(parts.isEmpty());

    QString decoded = page;
    DecodeEntities(decoded);
    EXPECT_LE(decoded.size(), page.size());

    QString name = page;
    CleanName(name, false);
    EXPECT_EQ(name.indexOf(QLatin1Char('/')), -1);
    EXPECT_EQ(name.indexOf(QLatin1Char('\t')), -1);
    QString fallback = page;
    CleanName(fallback, true);
    EXPECT_EQ(fallback.size(), 14);
}

TEST(BadInput, TenMiBOfEntitiesDecodesInOnePassPerEntity)
{
    QString text;
    text.reserve(kTenMiBUnits);
    while (text.size() + 5 <= kTenMiBUnits)
        text += QStringLiteral("&amp;");
    const qsizetype count = text.size() / 5;
    DecodeEntities(text);
    EXPECT_EQ(text.size(), count);
    EXPECT_EQ(text.count(QLatin1Char('&')), count);
}

TEST(BadInput, TenMiBThroughTheToolkit)
{
    const QString page = HostileText(kTenMiBUnits, 11);
    const QByteArray narrow = ToGbk(page);
    EXPECT_EQ(narrow.indexOf('\0'), -1);
    EXPECT_LE(narrow.size(), 2 * page.size());

    QString noNul = page;
    noNul.replace(QChar(u'\0'), QLatin1Char('x'));
    const QByteArray gbk = ToGbk(noNul);
    EXPECT_GT(gbk.size(), page.size()); // 中 and U+3000 take two bytes each
    const QString back = FromCodePage(gbk, CP_GBK);
    EXPECT_FALSE(back.isEmpty());
    EXPECT_EQ(back.indexOf(QChar(u'\0')), -1);

    // Random bytes in every code page understood.
    std::mt19937 generator(3);
    QByteArray bytes(1 << 20, Qt::Uninitialized);
    for (char &b : bytes)
        b = static_cast<char>(generator() & 0xFF);
    for (const int codePage : {0, 936, 54936, 950, 932, 949, 1252, 20127, 1200, 1201, 65001})
        (void)FromCodePage(bytes, codePage);

    QByteArray hex = bytes;
    InvertedHex(hex, true);
    InvertedHex(hex, false);
    EXPECT_EQ(hex, bytes);
    QByteArray junk = bytes;
    InvertedHex(junk, false);
    EXPECT_EQ(junk.size(), bytes.size() / 2);

    const QString shortPage = page.left(1 << 16);
    (void)CryptText(shortPage, true, QStringLiteral("k"));
    (void)CryptText(shortPage, false, QStringLiteral("k"));
    (void)XorHex(shortPage, true, QStringLiteral("k"));
    (void)XorHex(shortPage, false, QStringLiteral("k"));
    (void)ShiftText(shortPage, -7, 13);
}

TEST(BadInput, MarkersLongerThanOrEqualToTheText)
{
    QString text = QStringLiteral("abc");
    EXPECT_TRUE(
        GetBetween(text, QStringLiteral("abcd"), QStringLiteral("x"), BETWEEN_ADVANCE).isEmpty());
    EXPECT_EQ(text, QStringLiteral("abc"));
    EXPECT_TRUE(
        GetBetween(text, QStringLiteral("abc"), QStringLiteral("abc"), BETWEEN_ADVANCE).isEmpty());
    EXPECT_TRUE(text.isEmpty());
    // Walking an empty text with empty markers ends at once.
    EXPECT_TRUE(GetBetween(text, QString(), QString(), BETWEEN_ADVANCE).isEmpty());
    EXPECT_TRUE(text.isEmpty());
    QStringList parts;
    EXPECT_EQ(Split(QStringLiteral("abc"), QStringLiteral("abc"), parts), 1);
    EXPECT_EQ(parts, (QStringList{"", ""}));
}

} // namespace
