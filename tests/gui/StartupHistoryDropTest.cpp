// Start-up (clipboard address, proposed and remembered save folder, histories), the history
// rules and the typing filter of the history boxes, and dropping files and folders.

#include "CComboBox2.h"
#include "GuiHarness.h"
#include "QtPrint.h"
#include "settings/SettingsBlock.h"
#include "window/ControlIds.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>

namespace {

using guitest::GuiHarness;

TEST(Startup, ClipboardAddressIsTakenWhenItHasOneTo199Characters)
{
    struct Case {
        QString clipboard;
        QString address;
    };
    const QString long199 = QStringLiteral("http://a.lofter.com/") + QString(179, u'x');
    const QString long200 = long199 + QStringLiteral("y");
    const std::vector<Case> cases = {
        {QStringLiteral("  http://a.lofter.com/\n"), QStringLiteral("http://a.lofter.com/")},
        {QStringLiteral("x"), QStringLiteral("x")},
        {long199, long199},
        {long200, QString()},
        {QStringLiteral(" \t\n "), QString()},
        {QString(), QString()},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.clipboard.size());
        GuiHarness h(c.clipboard);
        h.Init();
        EXPECT_EQ(h.Text(IDC_ADDRESS), c.address);
    }
}

TEST(Startup, SaveFolderIsProposedThenTheRememberedOneWins)
{
    {
        // The test folder lies under the temporary folder: the documents sub-folder is
        // proposed and created.
        GuiHarness h;
        ASSERT_TRUE(h.programFolder.toLower().contains(QStringLiteral("/tmp/")));
        h.Init();
        const QString expected = h.documentsFolder + QStringLiteral("/图集拾取器/");
        EXPECT_EQ(h.Text(IDC_SAVE_PATH), expected);
        EXPECT_TRUE(QFileInfo(expected).isDir());
    }
    {
        GuiHarness h;
        SettingsBlock settings(SettingsBlock::PathInFolder(h.programFolder));
        settings.LoadSettings();
        settings.AddHistory(HISTORY_SAVE_PATH, QStringLiteral("/old/"));
        settings.AddHistory(HISTORY_SAVE_PATH, QStringLiteral("/pictures/"));
        settings.AddHistory(HISTORY_ADDRESS, QStringLiteral("http://b.lofter.com/"));
        ASSERT_TRUE(settings.SaveSettings());
        h.Init();
        EXPECT_EQ(h.Text(IDC_SAVE_PATH), QStringLiteral("/pictures/"));
        EXPECT_EQ(h.window->History(IDC_SAVE_PATH), (QStringList{"/pictures/", "/old/"}));
        EXPECT_EQ(h.window->History(IDC_ADDRESS), QStringList{"http://b.lofter.com/"});
    }
}

TEST(History, ANewSaveFolderIsRememberedAndSavedADuplicateIsNot)
{
    GuiHarness h;
    h.Init();
    CGleanerDlg &w = *h.window;
    const QString file = w.State().settings.FilePath();
    w.AcceptSavePath(QStringLiteral("/data/Pics"));
    EXPECT_EQ(h.Text(IDC_SAVE_PATH), QStringLiteral("/data/Pics/"));
    EXPECT_EQ(w.SavePathBox().History(), QStringList{"/data/Pics/"});
    w.AcceptSavePath(QStringLiteral("/data/more/"));
    EXPECT_EQ(w.State().settings.History(HISTORY_SAVE_PATH),
              (QStringList{"/data/more/", "/data/Pics/"}));
    {
        SettingsBlock stored(file);
        stored.LoadSettings();
        EXPECT_EQ(stored.History(HISTORY_SAVE_PATH), (QStringList{"/data/more/", "/data/Pics/"}));
    }
    // Already remembered in another letter case: shown, not reordered, not saved again.
    QFile::remove(file);
    w.AcceptSavePath(QStringLiteral("/DATA/pics/"));
    EXPECT_EQ(h.Text(IDC_SAVE_PATH), QStringLiteral("/DATA/pics/"));
    EXPECT_EQ(w.State().settings.History(HISTORY_SAVE_PATH),
              (QStringList{"/data/more/", "/data/Pics/"}));
    EXPECT_EQ(w.SavePathBox().History(), (QStringList{"/data/Pics/", "/data/more/"}));
    EXPECT_FALSE(QFileInfo::exists(file));
    // 400 characters or more: shown, not remembered.
    const QString huge = QStringLiteral("/") + QString(400, u'a') + QStringLiteral("/");
    w.AcceptSavePath(huge);
    EXPECT_EQ(h.Text(IDC_SAVE_PATH), huge);
    EXPECT_EQ(w.SavePathBox().History().size(), 2);
}

TEST(History, TypingFiltersTheHistoryInLowerCase)
{
    const QStringList history = {
        QStringLiteral("http://ABC.lofter.com/"),
        QStringLiteral("http://zabcz.lofter.com/post/1tql?!oxffSECRET"),
        QStringLiteral("http://other.lofter.com/"),
        QStringLiteral("http://aBc.example/"),
    };
    struct Case {
        QString typed;
        QStringList shown;
    };
    const std::vector<Case> cases = {
        {QStringLiteral("ABC"),
         {"http://abc.example/", "http://abc.lofter.com/", "http://zabcz.lofter.com/post/1"}},
        {QStringLiteral("other"), {"http://other.lofter.com/"}},
        {QStringLiteral("secret"), {"http://zabcz.lofter.com/post/1"}},
        {QStringLiteral("nothing"), {}},
        {QString(), {}},
    };
    for (const Case &c : cases)
        EXPECT_EQ(CComboBox2::FilterHistory(history, c.typed), c.shown) << c.typed.toStdString();

    GuiHarness h;
    h.Init();
    CComboBox2 &box = h.window->AddressBox();
    for (const QString &text : history)
        box.AppendHistory(text);
    QLineEdit *edit = box.lineEdit();
    edit->setFocus();
    edit->clear();
    // textEdited is what typing emits.
    edit->insert(QStringLiteral("ABC"));
    Q_EMIT edit->textEdited(edit->text());
    EXPECT_TRUE(box.IsFilterShown());
    EXPECT_EQ(box.FilterEntries(), cases[0].shown);
    EXPECT_EQ(edit->text(), QStringLiteral("ABC"));
    EXPECT_EQ(edit->cursorPosition(), 3);
    edit->setText(QStringLiteral("nothing"));
    Q_EMIT edit->textEdited(edit->text());
    EXPECT_FALSE(box.IsFilterShown());
    EXPECT_EQ(edit->text(), QStringLiteral("nothing"));
    // Opening the drop-down lists the whole history, sorted, and keeps the text.
    box.showPopup();
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items.append(box.itemText(i));
    QStringList sorted = history;
    sorted.sort();
    EXPECT_EQ(items, sorted);
    EXPECT_EQ(box.currentText(), QStringLiteral("nothing"));
    box.hidePopup();
}

TEST(OpenPath, OpensTheSaveFolderWhenThereIsOne)
{
    GuiHarness h;
    h.Init();
    auto *open = qobject_cast<QAbstractButton *>(h.window->Control(IDC_OPEN_PATH));
    h.window->SetControlText(IDC_SAVE_PATH, QString());
    open->click();
    EXPECT_TRUE(h.opened.isEmpty());
    h.window->SetControlText(IDC_SAVE_PATH, QStringLiteral("/some/folder/"));
    open->click();
    EXPECT_EQ(h.opened, QStringList{"/some/folder/"});
}

void Drop(CGleanerDlg &w, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    const QPointF at(w.width() / 2.0, w.height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    ASSERT_TRUE(enter.isAccepted());
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &drop);
}

TEST(Drop, AFolderBecomesTheSaveFolderAFileGivesItsFolder)
{
    GuiHarness h;
    h.Init();
    const QString base = h.dir.path();
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("/a")));
    ASSERT_TRUE(QDir().mkpath(base + QStringLiteral("/a.b")));
    QFile file(base + QStringLiteral("/a/b.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    struct Case {
        QString dropped;
        QString savePath;
    };
    const std::vector<Case> cases = {
        {base + QStringLiteral("/a/b.jpg"), base + QStringLiteral("/a/")},
        {base + QStringLiteral("/a"), base + QStringLiteral("/a/")},
        {base + QStringLiteral("/a.b"), base + QStringLiteral("/a.b/")},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.dropped.toStdString());
        Drop(*h.window, c.dropped);
        EXPECT_EQ(h.Text(IDC_SAVE_PATH), c.savePath);
    }
    EXPECT_EQ(h.window->State().settings.History(HISTORY_SAVE_PATH),
              (QStringList{base + QStringLiteral("/a.b/"), base + QStringLiteral("/a/")}));
}

} // namespace
