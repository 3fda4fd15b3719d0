// "\u" escapes of archive answers: four characters read as a hexadecimal number, shorter
// tails kept without their "\u", nothing else decoded.

#include "QtPrint.h"
#include "listing/LofterLister.h"

#include <gtest/gtest.h>

TEST(DecodeUnicodeEscapes, Table)
{
    struct Case {
        QString in;
        QString out;
    };
    const Case cases[] = {
        {QString(), QString()},
        {QStringLiteral("plain text"), QStringLiteral("plain text")},
        {QStringLiteral("\\u4e2d\\u6587"), QStringLiteral("中文")},
        {QStringLiteral("\\u4E2D\\u6587!"), QStringLiteral("中文!")},
        {QStringLiteral("a\\u0041b"), QStringLiteral("aAb")},
        {QStringLiteral("end\\u12"), QStringLiteral("end12")},
        {QStringLiteral("end\\u"), QStringLiteral("end")},
        {QStringLiteral("\\u4e2d\\u"), QStringLiteral("中")},
        {QStringLiteral("\\ud83d\\ude00"), QStringLiteral("😀")},
        {QStringLiteral("\\u00zz"), QString(QChar(u'\0'))},
        {QStringLiteral("\\uzzzzrest"), QString(QChar(u'\0')) + QStringLiteral("rest")},
        {QStringLiteral("\\u0x41"), QStringLiteral("A")},
        {QStringLiteral("\\u -1 y"), QString(QChar(u'\xFFFF')) + QStringLiteral("y")},
        {QStringLiteral("\\n\\t\\\""), QStringLiteral("\\n\\t\\\"")},
        {QStringLiteral("\\U4e2d"), QStringLiteral("\\U4e2d")},
        {QStringLiteral("\\u\\u0041"), QStringLiteral("A")},
    };
    for (const Case &c : cases)
        EXPECT_EQ(DecodeUnicodeEscapes(c.in), c.out) << ::testing::PrintToString(c.in);
}

TEST(DecodeUnicodeEscapes, LongTextsDecodeWhole)
{
    QString in;
    QString out;
    for (int i = 0; i < 20000; ++i) {
        in += QStringLiteral("\\u6587x");
        out += QStringLiteral("文x");
    }
    EXPECT_EQ(DecodeUnicodeEscapes(in), out);
}
