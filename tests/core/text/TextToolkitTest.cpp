// The text toolkit: GBK conversion whatever the locale, code pages, the three cipher routines
// (round trips and exact forms), RandomFraction's form, and host resolution on names that never
// leave this machine.

#include "text/TextToolkit.h"
#include "TextTestUtil.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <atomic>
#include <clocale>
#include <ctime>
#include <thread>
#include <vector>

namespace {

const char kGbkBytes[] = "\xB9\xE9\xB5\xB5\x20\x2D\x20\xD6\xD0\xCE\xC4\x80";
const QString kGbkText = QString::fromUtf8("归档 - 中文€");

TEST(ToGbk, KnownBytesUnderTheCLocale)
{
    std::setlocale(LC_ALL, "C");
    const QByteArray bytes = ToGbk(kGbkText);
    EXPECT_EQ(bytes, QByteArray(kGbkBytes, 12));
    EXPECT_EQ(FromCodePage(kGbkBytes, 12, CP_GBK), kGbkText);
    EXPECT_EQ(FromCodePage(bytes, 936), kGbkText);
}

TEST(ToGbk, EdgeCases)
{
    EXPECT_TRUE(ToGbk(QString()).isEmpty());
    EXPECT_TRUE(ToGbk(QStringLiteral("")).isEmpty());
    EXPECT_EQ(ToGbk(QStringLiteral("plain ASCII")), QByteArray("plain ASCII"));
    // A NUL inside ends the result.
    EXPECT_EQ(ToGbk(Units(u"ab\0cd")), QByteArray("ab"));
    EXPECT_TRUE(ToGbk(Units(u"\0cd")).isEmpty());
    // Characters GBK lacks, and lone surrogates, become the converter's substitute byte '?'.
    EXPECT_EQ(ToGbk(Units(u"\u0E01")), QByteArray("?"));
    EXPECT_EQ(ToGbk(Units(u"\U0001F600x")), QByteArray("?x"));
    EXPECT_EQ(ToGbk(Units(u"\xD800x\xDC00")), QByteArray("?x?"));
    // The narrow text is terminated.
    const QByteArray narrow = ToGbk(kGbkText);
    EXPECT_EQ(narrow.constData()[narrow.size()], '\0');
}

TEST(FromCodePage, EdgeCases)
{
    EXPECT_TRUE(FromCodePage("abc", 0, CP_GBK).isEmpty());
    EXPECT_TRUE(FromCodePage(nullptr, 5, CP_GBK).isEmpty());
    EXPECT_TRUE(FromCodePage("abc", -1, CP_GBK).isEmpty());
    EXPECT_TRUE(FromCodePage("", 0, CP_UTF8).isEmpty());
    // The result ends at the first NUL character.
    EXPECT_EQ(FromCodePage("ab\0cd", 5, CP_GBK), QStringLiteral("ab"));
    EXPECT_EQ(FromCodePage("ab\0cd", 5, CP_UTF8), QStringLiteral("ab"));
    EXPECT_TRUE(FromCodePage("\0ab", 3, CP_GBK).isEmpty());
    // UTF-8, and invalid UTF-8 bytes becoming U+FFFD.
    EXPECT_EQ(FromCodePage("\xE4\xB8\xAD\xE6\x96\x87", 6, CP_UTF8), QString::fromUtf8("中文"));
    EXPECT_EQ(FromCodePage("a\xE4\xB8", 3, CP_UTF8), Units(u"a\uFFFD\uFFFD"));
    // Only `length` bytes are read.
    EXPECT_EQ(FromCodePage("abcdef", 3, CP_GBK), QStringLiteral("abc"));
    // The original platform's "local code page" numbers are 936 here.
    EXPECT_EQ(FromCodePage(kGbkBytes, 12, 0), kGbkText);
    // Other code pages.
    EXPECT_EQ(FromCodePage("\xE9", 1, 1252), Units(u"\u00E9"));
    EXPECT_EQ(FromCodePage("\x80", 1, 1252), Units(u"\u20AC"));
    EXPECT_EQ(FromCodePage("a\0b\0", 4, 1200), QStringLiteral("ab"));
    EXPECT_EQ(FromCodePage("\x81\x30\x81\x30", 4, 54936), Units(u"\u0080"));
    // A code page not understood converts nothing.
    EXPECT_TRUE(FromCodePage("abc", 3, 12345).isEmpty());
    EXPECT_TRUE(FromCodePage("abc", 3, -1).isEmpty());
}

TEST(InvertedHex, ExactForms)
{
    struct Case {
        QByteArray plain, hex;
    };
    const Case cases[] = {
        {QByteArray("\x00", 1), "FF"},
        {QByteArray("\xFF", 1), "00"},
        {QByteArray("\x01\x7F\x80\xFE", 4), "FE807F01"},
        {"A", "BE"},
        {"", ""},
    };
    for (const Case &c : cases) {
        QByteArray text = c.plain;
        InvertedHex(text, true);
        EXPECT_EQ(text, c.hex);
        InvertedHex(text, false);
        EXPECT_EQ(text, c.plain);
    }
}

TEST(InvertedHex, RoundTripOfEveryByte)
{
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        all.append(static_cast<char>(b));
    QByteArray text = all;
    InvertedHex(text, true);
    ASSERT_EQ(text.size(), 512);
    EXPECT_TRUE(QRegularExpression("^[0-9A-F]+$").match(QString::fromLatin1(text)).hasMatch());
    InvertedHex(text, false);
    EXPECT_EQ(text, all);
}

TEST(InvertedHex, LenientDecoding)
{
    QByteArray lower("ff00");
    InvertedHex(lower, false);
    EXPECT_EQ(lower, QByteArray("\x00\xFF", 2));
    QByteArray odd("FFF"); // the unpaired last digit is dropped
    InvertedHex(odd, false);
    EXPECT_EQ(odd, QByteArray("\x00", 1));
    QByteArray junk("G0"); // a non-digit counts as 0
    InvertedHex(junk, false);
    EXPECT_EQ(junk, QByteArray("\xFF", 1));
}

TEST(CryptText, EscapesAndExactForms)
{
    struct Case {
        const char *name;
        QString text, key, cipher;
    };
    // Key "K" is 0x4B. "K" ^ "K" = 0 -> K '1'; "F" (0x46) ^ K = 13 -> K '2'; "A" (0x41) ^ K = 10
    // -> K '3'; then 255 - each byte in hexadecimal.
    const Case cases[] = {
        {"byte equal to the key", "K", "K", "B4CE"},
        {"XOR 13", "F", "K", "B4CD"},
        {"XOR 10", "A", "K", "B4CC"},
        {"plain byte", "a", "K", "D5"},
        {"key cycles", "aa", "KL", "D5D2"},
        {"empty text", "", "K", ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(CryptText(c.text, true, c.key), c.cipher);
        EXPECT_EQ(CryptText(c.cipher, false, c.key), c.text);
    }
}

const QString kRoundTripTexts[] = {
    QString(),
    QStringLiteral("hello"),
    QStringLiteral("KFA KFA"),
    QString::fromUtf8("归档 - 中文€"),
    QStringLiteral("line\r\nbreak\ttab\a"),
    QStringLiteral("http://example.invalid/path?a=1&b=2"),
    QString::fromUtf8("配置服务器|更新页面|十九个站点"),
};

const QString kKeys[] = {QStringLiteral("K"), QStringLiteral("key"), QString::fromUtf8("中文钥匙"),
                         QStringLiteral("\r\n"), QString()};

TEST(CryptText, RoundTrips)
{
    QString every;
    for (char16_t u = 1; u < 0x80; ++u)
        every.append(QChar(u));
    every += QString::fromUtf8("汉字€…。");
    for (const QString &key : kKeys) {
        for (const QString &text : kRoundTripTexts) {
            const QString cipher = CryptText(text, true, key);
            EXPECT_TRUE(QRegularExpression("^([0-9A-F]{2})*$").match(cipher).hasMatch());
            EXPECT_EQ(CryptText(cipher, false, key), text) << text.toStdString();
        }
        EXPECT_EQ(CryptText(CryptText(every, true, key), false, key), every);
    }
}

TEST(CryptText, EncipheredFormHoldsNoNulCrLf)
{
    QString every;
    for (char16_t u = 1; u < 0x80; ++u)
        every.append(QChar(u));
    const QString cipher = CryptText(every, true, QStringLiteral("Key!"));
    QByteArray raw = cipher.toLatin1();
    InvertedHex(raw, false);
    EXPECT_FALSE(raw.contains('\0'));
    EXPECT_FALSE(raw.contains('\r'));
    EXPECT_FALSE(raw.contains('\n'));
}

TEST(CryptText, MalformedInputDoesNotCrash)
{
    EXPECT_TRUE(CryptText(QStringLiteral("B4"), false, QStringLiteral("K")).isEmpty());
    (void)CryptText(QStringLiteral("not hex at all"), false, QStringLiteral("K"));
    (void)CryptText(QStringLiteral("ABC"), false, QString());
}

TEST(XorHex, ExactForms)
{
    EXPECT_EQ(XorHex(QStringLiteral("A"), true, QStringLiteral("B")), QStringLiteral("03"));
    EXPECT_EQ(XorHex(QStringLiteral("AB"), true, QString()), QStringLiteral("4142"));
    EXPECT_EQ(XorHex(QStringLiteral("4142"), false, QString()), QStringLiteral("AB"));
    EXPECT_EQ(XorHex(QStringLiteral("0300"), false, QStringLiteral("BA")), QStringLiteral("AA"));
    EXPECT_EQ(XorHex(QStringLiteral("6f6B"), false, QString()), QStringLiteral("ok"));
    // A decoded byte 0 ends the text.
    EXPECT_EQ(XorHex(QStringLiteral("4100"), false, QString()), QStringLiteral("A"));
    EXPECT_EQ(XorHex(kGbkText, true, QString()), QStringLiteral("B9E9B5B5202D20D6D0CEC480"));
}

TEST(XorHex, OddLengthGivesEmpty)
{
    EXPECT_TRUE(XorHex(QStringLiteral("ABC"), false, QStringLiteral("k")).isEmpty());
    EXPECT_TRUE(XorHex(QStringLiteral("4"), false, QString()).isEmpty());
    EXPECT_TRUE(XorHex(QString(), false, QStringLiteral("k")).isEmpty());
}

TEST(XorHex, RoundTrips)
{
    for (const QString &key : kKeys) {
        for (const QString &text : kRoundTripTexts) {
            const QString cipher = XorHex(text, true, key);
            EXPECT_EQ(cipher.size(), 2 * ToGbk(text).size());
            EXPECT_TRUE(QRegularExpression("^([0-9A-F]{2})*$").match(cipher).hasMatch());
            EXPECT_EQ(XorHex(cipher, false, key), text) << text.toStdString();
        }
    }
}

TEST(ShiftText, Cases)
{
    struct Case {
        const char *name;
        QString text;
        int first, step;
        QString shifted;
    };
    const Case cases[] = {
        {"constant shift", "abc", 1, 0, "bcd"},
        {"progressive shift", "abc", 0, 1, "ace"},
        {"both", "aaa", 2, 3, "cfi"},
        {"negative numbers undo", "ace", 0, -1, "abc"},
        {"negative first", "bcd", -1, 0, "abc"},
        {"modulo 256", "z", 256, 0, "z"},
        {"below zero wraps", "a", -257, 0, "`"},
        {"a byte that becomes 0 ends the text", "ba", 0x9F, 0, "\x01"},
        {"empty", "", 5, 5, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ShiftText(c.text, c.first, c.step), c.shifted);
    }
    // Chinese text: the GBK bytes shift, and shifting back restores them.
    const QString chinese = QString::fromUtf8("中文");
    EXPECT_EQ(ShiftText(ShiftText(chinese, 0, 0), 0, 0), chinese);
    // Large index times step does not overflow.
    const QString longText(100000, QLatin1Char('a'));
    EXPECT_EQ(ShiftText(longText, 0, 256), longText);
    EXPECT_EQ(ShiftText(longText, 0, -256), longText);
}

TEST(RandomFraction, Form)
{
    const QRegularExpression form("^[01]\\.[0-9]{16}\n$");
    for (int i = 0; i < 5; ++i) {
        const QString text = RandomFraction();
        EXPECT_TRUE(form.match(text).hasMatch()) << text.toStdString();
        const double value = text.trimmed().toDouble();
        EXPECT_GE(value, 0.0);
        EXPECT_LE(value, 1.0);
    }
}

TEST(RandomFraction, SameSecondSameText)
{
    for (int attempt = 0; attempt < 5; ++attempt) {
        const std::time_t before = std::time(nullptr);
        const QString a = RandomFraction();
        const QString b = RandomFraction();
        if (std::time(nullptr) != before)
            continue; // a second boundary fell between the calls: try again
        EXPECT_EQ(a, b);
        return;
    }
    FAIL() << "no two calls within one second";
}

TEST(RandomFraction, ThreadsDoNotShareState)
{
    std::atomic<int> bad{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&bad] {
            for (int i = 0; i < 200; ++i) {
                if (RandomFraction().size() != 19)
                    ++bad;
            }
        });
    }
    for (std::thread &t : threads)
        t.join();
    EXPECT_EQ(bad.load(), 0);
}

TEST(ResolveHostIPv4, LoopbackAndReservedNames)
{
    EXPECT_EQ(ResolveHostIPv4("127.0.0.1"), QStringLiteral("127.0.0.1"));
    EXPECT_EQ(ResolveHostIPv4("localhost"), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(ResolveHostIPv4("no-such-host.invalid").isEmpty());
    EXPECT_TRUE(ResolveHostIPv4(QByteArray()).isEmpty());
    EXPECT_TRUE(ResolveHostIPv4(QByteArray("local\0host", 10)).isEmpty());
}

} // namespace
