// GetClipboardText on the offscreen platform's clipboard: text comes back, anything else gives
// an empty text.

#include "Clipboard.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QUrl>

namespace {

TEST(Clipboard, TextComesBack)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->setText(QStringLiteral("http://someone.lofter.com/"));
    EXPECT_EQ(GetClipboardText(), QStringLiteral("http://someone.lofter.com/"));
    clipboard->setText(QString::fromUtf8("归档 - 中文€"));
    EXPECT_EQ(GetClipboardText(), QString::fromUtf8("归档 - 中文€"));
}

TEST(Clipboard, TextEndsAtTheFirstNul)
{
    QGuiApplication::clipboard()->setText(QStringLiteral("ab") + QChar(u'\0') +
                                          QStringLiteral("cd"));
    EXPECT_EQ(GetClipboardText(), QStringLiteral("ab"));
}

TEST(Clipboard, PictureGivesEmptyText)
{
    QImage picture(8, 8, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QGuiApplication::clipboard()->setImage(picture);
    ASSERT_TRUE(QGuiApplication::clipboard()->mimeData()->hasImage());
    EXPECT_TRUE(GetClipboardText().isEmpty());
}

TEST(Clipboard, EmptyClipboardGivesEmptyText)
{
    QGuiApplication::clipboard()->clear();
    EXPECT_TRUE(GetClipboardText().isEmpty());
}

TEST(Clipboard, NonTextDataGivesEmptyText)
{
    auto *data = new QMimeData;
    data->setData(QStringLiteral("application/octet-stream"), QByteArray("\x01\x02", 2));
    QGuiApplication::clipboard()->setMimeData(data); // the clipboard takes ownership
    EXPECT_TRUE(GetClipboardText().isEmpty());
}

} // namespace
