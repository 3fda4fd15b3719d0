// The end of start-up in the window: the site combo, the status line, the window shown, and
// site recognition following the address box afterwards.
#include "CComboBox2.h"
#include "GuiHarness.h"
#include "QtPrint.h"
#include "WaitFor.h"

#include "model/SiteRecognition.h"
#include "settings/UpdateCheck.h"
#include "window/ControlIds.h"

#include <QComboBox>
#include <QRect>

#include <gtest/gtest.h>

using guitest::GuiHarness;

namespace {

QComboBox *Combo(CGleanerDlg &window, int id)
{
    return qobject_cast<QComboBox *>(window.Control(id));
}

// Without configuration addresses the start-up thread answers at once with the built-in
// names; the window then selects LOFTER, hides the sub-kind combo, shows itself and the
// status line.
TEST(StartupResult, NoConfigurationFillsBuiltInSitesAndSelectsLofter)
{
    qunsetenv("GLEANER_CONFIG_URLS");
    GuiHarness h;
    h.window->SetStartupHook([](CGleanerDlg &window) { window.RunStartup(false); });
    h.Init();
    ASSERT_TRUE(testsupport::WaitFor([&] { return h.window->IsReady(); }));
    QComboBox *site = Combo(*h.window, IDC_SITE);
    ASSERT_NE(site, nullptr);
    EXPECT_EQ(site->count(), SiteRecognition::kSiteKindCount);
    EXPECT_EQ(site->currentIndex(), SiteRecognition::kLofterSiteKind);
    EXPECT_EQ(site->currentText(), SiteRecognition::BuiltInSiteNames().at(19));
    EXPECT_FALSE(h.window->IsControlShown(IDC_SUB_KIND));
    EXPECT_FALSE(h.window->IsControlShown(IDC_UPDATE_LINK));
    EXPECT_TRUE(h.window->isVisible());
    EXPECT_FALSE(h.Text(IDC_SERVICE_STATUS).isEmpty());
    EXPECT_TRUE(h.window->Messages().isEmpty());
}

// Typing an address selects its site; a QQ address shows the sub-kind combo and the address
// box moves right of it; back to LOFTER, the box takes the combo's place again.
TEST(StartupResult, AddressBoxFollowsTheRecognisedSite)
{
    qunsetenv("GLEANER_CONFIG_URLS");
    GuiHarness h;
    h.window->SetStartupHook([](CGleanerDlg &window) { window.RunStartup(false); });
    h.Init();
    ASSERT_TRUE(testsupport::WaitFor([&] { return h.window->IsReady(); }));
    QComboBox *site = Combo(*h.window, IDC_SITE);
    QWidget *subKind = h.window->Control(IDC_SUB_KIND);
    QWidget *address = h.window->Control(IDC_ADDRESS);
    const QRect lofterBox = address->geometry();
    EXPECT_EQ(lofterBox.left(), subKind->geometry().left());

    h.window->AddressBox().setEditText(QStringLiteral("http://user.qzone.qq.com/123"));
    EXPECT_EQ(site->currentIndex(), SiteRecognition::kQqSiteKind);
    EXPECT_TRUE(h.window->IsControlShown(IDC_SUB_KIND));
    EXPECT_EQ(address->geometry().left(),
              subKind->geometry().right() + 1 + SiteRecognition::kAddressGap);
    EXPECT_EQ(address->geometry().right(), lofterBox.right());

    h.window->AddressBox().setEditText(QStringLiteral("http://someone.lofter.com/"));
    EXPECT_EQ(site->currentIndex(), SiteRecognition::kLofterSiteKind);
    EXPECT_FALSE(h.window->IsControlShown(IDC_SUB_KIND));
    EXPECT_EQ(address->geometry(), lofterBox);
}

} // namespace

namespace {

// A newer version: the update link shows, the message says so, the update page opens (and
// the program is told to end a second later, which a test without an event loop ignores).
TEST(StartupResult, NewerVersionShowsTheLinkTheMessageAndOpensThePage)
{
    GuiHarness h;
    QList<QUrl> pages;
    h.window->SetPageOpener([&pages](const QUrl &page) { pages.append(page); });
    h.Init();
    StartupResult result;
    result.siteNames = SiteRecognition::BuiltInSiteNames();
    result.accepted = true;
    result.verdict = UpdateCheck::Decide(QStringLiteral("99.01.01.01#notes"),
                                         QStringLiteral("http://127.0.0.1:9/update.html"));
    ASSERT_EQ(result.verdict.kind, UpdateVerdict::Newer);
    h.window->OnStartupResult(result);
    EXPECT_TRUE(h.window->IsControlShown(IDC_UPDATE_LINK));
    EXPECT_EQ(h.window->Messages(), QStringList{UpdateCheck::NewerMessage(result.verdict)});
    EXPECT_EQ(pages, QList<QUrl>{QUrl(QStringLiteral("http://127.0.0.1:9/update.html"))});
}

} // namespace
