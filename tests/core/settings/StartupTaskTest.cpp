// The start-up task against the fake service on loopback: what it reports for an accepted reply,
// for no addresses and for short site lists, on which thread, and that Stop cuts off a request
// to a server that never answers.
#include "settings/StartupTask.h"

#include "settings/CSrvInfo.h"

#include "FakeLofter.h"
#include "QtPrint.h"
#include "WaitFor.h"

#include <QCoreApplication>
#include <QThread>

#include <gtest/gtest.h>

#include <optional>
#include <vector>

using testsupport::FakeLofter;
using testsupport::RawBehaviour;
using testsupport::RawServer;
using testsupport::Reply;
using testsupport::WaitFor;

namespace {

QStringList Fallback()
{
    QStringList names;
    for (int i = 0; i < 20; ++i)
        names.append(QString("built-in %1").arg(i));
    return names;
}

Reply Page(const QByteArray &body)
{
    Reply reply;
    reply.body = body;
    return reply;
}

// Serves a two-stage configuration on `lofter`: entries `version|page|r2..r6`, then `sites`
// (no site line when empty). Answers the base address to give to CSrvInfo.
QString ServeConfig(FakeLofter &lofter, const QString &version, const QString &page,
                    const QStringList &sites)
{
    lofter.ServeFixed(
        "GET", "/cfg/base",
        Page("<!--gleaner-servers:\n" + lofter.Url("/cfg/s.htm?x=1").toUtf8() + "\n-->"));
    QByteArray config =
        "<!--gleaner-config:\n" + (version + "|" + page + "|r2|r3|r4|r5|r6").toUtf8();
    if (!sites.isEmpty())
        config += "\n" + sites.join('|').toUtf8();
    lofter.ServeFixed("GET", "/cfg/s.php", Page(config + "\n-->"));
    return lofter.Url("/cfg/base");
}

// Records the results the task reports, and the thread each arrived on.
struct Receiver {
    std::vector<StartupResult> results;
    std::vector<QThread *> threads;

    void Attach(StartupTask &task)
    {
        QObject::connect(&task, &StartupTask::WM_STARTUP_DONE, &task,
                         [this](const StartupResult &result) {
                             results.push_back(result);
                             threads.push_back(QThread::currentThread());
                         });
    }
};

struct AcceptedCase {
    const char *name;
    QString version;
    QStringList sites;
    QStringList expectedNames; // empty: the fallback names
    UpdateVerdict::Kind verdict;
};

class StartupAcceptedTest : public ::testing::TestWithParam<AcceptedCase> {};

TEST_P(StartupAcceptedTest, ReportsNamesStatusAndVerdictOnTheOwnersThread)
{
    const AcceptedCase &c = GetParam();
    FakeLofter lofter;
    const QString page = lofter.Url("/update.html");
    CSrvInfo srvInfo({ServeConfig(lofter, c.version, page, c.sites)});
    StartupTask task(srvInfo, Fallback());
    Receiver receiver;
    receiver.Attach(task);
    task.Start();
    ASSERT_TRUE(WaitFor([&] { return !receiver.results.empty(); }));
    task.Stop();
    QCoreApplication::processEvents();
    ASSERT_EQ(receiver.results.size(), 1u);
    EXPECT_EQ(receiver.threads.at(0), QThread::currentThread());

    const StartupResult &result = receiver.results.at(0);
    EXPECT_TRUE(result.accepted);
    EXPECT_EQ(result.siteNames, c.expectedNames.isEmpty() ? Fallback() : c.expectedNames);
    EXPECT_TRUE(result.statusText.endsWith("\tSrv Info:1_1")) << result.statusText.toStdString();
    EXPECT_EQ(result.verdict.kind, c.verdict);
    if (c.verdict == UpdateVerdict::Newer) {
        EXPECT_EQ(result.verdict.version, c.version.left(c.version.indexOf('#')));
        EXPECT_EQ(result.verdict.updatePage, page);
    }
    EXPECT_EQ(srvInfo.GetEntry(CSrvInfo::ENTRY_UPDATE_PAGE), page);
}

QStringList Sites(int count)
{
    QStringList names;
    for (int i = 0; i < count; ++i)
        names.append(QString("Site %1").arg(i));
    return names;
}

QStringList PaddedSites(int count)
{
    QStringList names = Sites(count);
    for (int i = count; i < 20; ++i)
        names.append(Fallback().at(i));
    return names;
}

INSTANTIATE_TEST_SUITE_P(
    Replies, StartupAcceptedTest,
    ::testing::Values(
        AcceptedCase{"NewerWithNames", "15.04.08.02#fix", Sites(20), Sites(20),
                     UpdateVerdict::Newer},
        AcceptedCase{"SameVersion", "15.04.08.01", Sites(20), Sites(20), UpdateVerdict::None},
        AcceptedCase{"CharacterwiseNewer", "15.4.8.1", Sites(20), Sites(20), UpdateVerdict::Newer},
        AcceptedCase{"OlderVersion", "15.04.07.09", Sites(20), Sites(20), UpdateVerdict::None},
        // Fewer names than site kinds: ours complete the list, so item 19 is still LOFTER.
        AcceptedCase{"ShortSiteList", "15.04.08.01", Sites(3), PaddedSites(3), UpdateVerdict::None},
        AcceptedCase{"MoreNamesKept", "15.04.08.01", Sites(22), Sites(22), UpdateVerdict::None},
        AcceptedCase{"NoSiteLine", "15.04.08.01", QStringList(), QStringList(),
                     UpdateVerdict::None}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(StartupTask, NoAddressesGivesTheBuiltInNamesAtOnce)
{
    CSrvInfo srvInfo{QStringList()};
    StartupTask task(srvInfo, Fallback());
    Receiver receiver;
    receiver.Attach(task);
    task.Start();
    task.Start(); // a second start does nothing
    ASSERT_TRUE(WaitFor([&] { return !receiver.results.empty(); }));
    QCoreApplication::processEvents();
    ASSERT_EQ(receiver.results.size(), 1u);
    const StartupResult &result = receiver.results.at(0);
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.siteNames, Fallback());
    EXPECT_TRUE(result.statusText.endsWith("\tSrv Info:0_0")) << result.statusText.toStdString();
    EXPECT_EQ(result.verdict, UpdateVerdict());
}

TEST(StartupTask, RunWithoutAnswerGivesFallbackAndNoVerdict)
{
    FakeLofter lofter;
    // A reply with six entries is not accepted.
    lofter.ServeFixed("GET", "/cfg/base",
                      Page("<!--gleaner-servers:\n" + lofter.Url("/cfg/s.php").toUtf8() + "\n-->"));
    lofter.ServeFixed("GET", "/cfg/s.php",
                      Page("<!--gleaner-config:\n99.0|http://127.0.0.1/u|a|b|c|d\nX|Y\n-->"));
    CSrvInfo srvInfo({lofter.Url("/cfg/base")});
    const StartupResult result = StartupTask::Run(srvInfo, Fallback());
    EXPECT_FALSE(result.accepted);
    EXPECT_EQ(result.siteNames, Fallback());
    EXPECT_EQ(result.verdict, UpdateVerdict());
    EXPECT_EQ(lofter.RequestCount(), 2u);
}

TEST(StartupTask, StopCutsOffAServerThatNeverAnswers)
{
    RawServer silent(RawBehaviour::NeverAnswer);
    FakeLofter lofter;
    const QString fallbackBase = ServeConfig(lofter, "99.0", lofter.Url("/u"), Sites(20));
    CSrvInfo srvInfo({silent.Url("/cfg"), fallbackBase});
    // Far beyond the test's watchdog: only the abort can end the request in time.
    srvInfo.SetTimeoutMs(3'600'000);
    StartupTask task(srvInfo, Fallback());
    Receiver receiver;
    receiver.Attach(task);
    task.Start();
    ASSERT_TRUE(WaitFor([&] { return silent.Connections() >= 1; }));
    task.Stop();
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.results.empty());
    // The search ended at the abort: the second base address was never asked.
    EXPECT_EQ(lofter.RequestCount(), 0u);
    EXPECT_EQ(srvInfo.EntryCount(), 0);
}

TEST(StartupTask, DestroyedWhileRunningJoins)
{
    RawServer silent(RawBehaviour::NeverAnswer);
    CSrvInfo srvInfo({silent.Url("/cfg")});
    srvInfo.SetTimeoutMs(3'600'000);
    Receiver receiver;
    {
        StartupTask task(srvInfo, Fallback());
        receiver.Attach(task);
        task.Start();
        ASSERT_TRUE(WaitFor([&] { return silent.Connections() >= 1; }));
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.results.empty());
}

TEST(StartupTask, StopBeforeDeliverySuppressesTheSignal)
{
    CSrvInfo srvInfo{QStringList()};
    StartupTask task(srvInfo, Fallback());
    Receiver receiver;
    receiver.Attach(task);
    task.Start();
    task.Stop(); // the result may already be posted; it must not arrive
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.results.empty());
    task.Start(); // no restart after Stop
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    EXPECT_TRUE(receiver.results.empty());
}

} // namespace
