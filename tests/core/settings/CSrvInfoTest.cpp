// The remote configuration list against the fake service on loopback: the two stages, their
// exact queries, which reply wins, and every kind of bad reply or address being skipped.
#include "settings/CSrvInfo.h"

#include "net/CookieStore.h"

#include "FakeLofter.h"
#include "QtPrint.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <cstdlib>
#include <thread>
#include <vector>

using testsupport::FakeLofter;
using testsupport::RawBehaviour;
using testsupport::RawServer;
using testsupport::RecordedRequest;
using testsupport::RefusingUrl;
using testsupport::Reply;
using testsupport::ReplyOptions;

namespace {

QByteArray ServerListPage(const QStringList &addresses)
{
    return "<html><head><title>servers</title></head><body><p>Nothing to see.</p>\n"
           "<!--gleaner-servers:\r\n" +
           addresses.join("\r\n").toUtf8() + "\r\n--></body></html>\n";
}

QByteArray ConfigPage(const QStringList &entries, const QStringList &sites = {"A", "B"})
{
    QByteArray page =
        "<html><body><h1>config</h1>\n<!--gleaner-config:\n" + entries.join('|').toUtf8() + "\n";
    if (!sites.isEmpty())
        page += sites.join('|').toUtf8() + "\n";
    return page + "-->\n</body></html>\n";
}

// Seven entries whose entry 0 names `tag`, so that a test can tell which reply won.
QStringList Entries(const QString &tag, int count = CSrvInfo::kEntryCount)
{
    QStringList entries;
    for (int i = 0; i < count; ++i)
        entries.append(i == 0 ? "15.04.08.02#" + tag : QString("e%1").arg(i));
    return entries;
}

Reply Page(const QByteArray &body)
{
    Reply reply;
    reply.body = body;
    return reply;
}

// The query of a recorded request as (key, raw value) pairs, in order.
std::vector<std::pair<QByteArray, QByteArray>> QueryOf(const RecordedRequest &request)
{
    std::vector<std::pair<QByteArray, QByteArray>> pairs;
    const qsizetype at = request.target.indexOf('?');
    if (at < 0)
        return pairs;
    for (const QByteArray &part : request.target.mid(at + 1).split('&')) {
        const qsizetype eq = part.indexOf('=');
        pairs.emplace_back(part.left(eq), eq < 0 ? QByteArray() : part.mid(eq + 1));
    }
    return pairs;
}

QByteArrayList Keys(const RecordedRequest &request)
{
    QByteArrayList keys;
    for (const auto &pair : QueryOf(request))
        keys.append(pair.first);
    return keys;
}

QByteArray Value(const RecordedRequest &request, const QByteArray &key)
{
    for (const auto &pair : QueryOf(request)) {
        if (pair.first == key)
            return pair.second;
    }
    return "<missing>";
}

QByteArrayList Paths(const std::vector<RecordedRequest> &requests)
{
    QByteArrayList paths;
    for (const RecordedRequest &request : requests)
        paths.append(request.path);
    return paths;
}

// Deterministic bytes of every value, NUL and markers' characters included.
QByteArray Garbage(qsizetype size)
{
    QByteArray bytes(size, '\0');
    quint32 state = 12345;
    for (qsizetype i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = char(state >> 24);
    }
    return bytes;
}

class CSrvInfoTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        for (const char *name : {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY",
                                 "all_proxy", "ALL_PROXY", "no_proxy", "NO_PROXY"})
            unsetenv(name);
    }

    // Serves a first-stage reply at `path` that lists `secondStagePaths` (paths of this
    // service, or absolute addresses when they begin with "http").
    void ServeList(const QString &path, const QStringList &secondStagePaths)
    {
        QStringList addresses;
        for (const QString &p : secondStagePaths)
            addresses.append(p.startsWith("/") ? lofter.Url(p) : p);
        lofter.ServeFixed("GET", path, Page(ServerListPage(addresses)));
    }

    FakeLofter lofter;
};

// ---------------------------------------------------------------------------------------------
// Base addresses

TEST_F(CSrvInfoTest, ParseBaseAddressesSplitsTrimsAndKeepsThree)
{
    const struct {
        const char *value;
        QStringList expected;
    } cases[] = {
        {"", {}},
        {" | |  |", {}},
        {"http://a/x", {"http://a/x"}},
        {" http://a/x | http://b/y ", {"http://a/x", "http://b/y"}},
        {"http://a||http://b|", {"http://a", "http://b"}},
        {"http://a|http://b|http://c|http://d", {"http://a", "http://b", "http://c"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CSrvInfo::ParseBaseAddresses(c.value), c.expected) << c.value;
}

TEST_F(CSrvInfoTest, WithoutEnvironmentValueFetchReturnsAtOnceAndRequestsNothing)
{
    lofter.ServeFixed("GET", "/cfg/base", Page(ServerListPage({lofter.Url("/cfg/s.php")})));
    lofter.ServeFixed("GET", "/cfg/s.php", Page(ConfigPage(Entries("x"))));
    for (const char *value : {static_cast<const char *>(nullptr), "", " | | "}) {
        if (value)
            setenv(CSrvInfo::kEnvironmentName, value, 1);
        else
            unsetenv(CSrvInfo::kEnvironmentName);
        CSrvInfo info(CSrvInfo::BaseAddressesFromEnvironment());
        QStringList sites = {"built-in"};
        EXPECT_FALSE(info.Fetch(sites)) << (value ? value : "unset");
        EXPECT_EQ(sites, QStringList{"built-in"});
        EXPECT_EQ(info.EntryCount(), 0);
        EXPECT_EQ(info.GetEntry(0), QString());
        EXPECT_EQ(info.StatusText(), "\tSrv Info:0_0");
    }
    unsetenv(CSrvInfo::kEnvironmentName);
    EXPECT_EQ(lofter.RequestCount(), 0u);
}

TEST_F(CSrvInfoTest, EnvironmentValueGivesTheBaseAddresses)
{
    ServeList("/cfg/base", {"/cfg/s.php"});
    lofter.ServeFixed("GET", "/cfg/s.php", Page(ConfigPage(Entries("env"))));
    const QString value = RefusingUrl("/none") + " | " + lofter.Url("/cfg/base");
    setenv(CSrvInfo::kEnvironmentName, value.toUtf8().constData(), 1);
    const QStringList bases = CSrvInfo::BaseAddressesFromEnvironment();
    unsetenv(CSrvInfo::kEnvironmentName);
    ASSERT_EQ(bases.size(), 2);
    EXPECT_EQ(bases.at(1), lofter.Url("/cfg/base"));

    CSrvInfo info(bases);
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.StatusText(), "\tSrv Info:2_1");
    EXPECT_EQ(info.GetEntry(0), "15.04.08.02#env");
}

// ---------------------------------------------------------------------------------------------
// The queries

TEST_F(CSrvInfoTest, TwoStagesSendTheExactQueriesAndHeaderLines)
{
    ServeList("/cfg/base", {"/cfg/second.htm?id=3"});
    const QStringList entries = {
        "15.04.08.02#fixes", "http://127.0.0.1/update.html", "", "r3", "r4", "r5", "r6"};
    lofter.ServeFixed("GET", "/cfg/second.php", Page(ConfigPage(entries, {"S0", "", "S2"})));

    CSrvInfo info({lofter.Url("/cfg/base")});
    QStringList sites = {"old"};
    ASSERT_TRUE(info.Fetch(sites));

    const auto requests = lofter.Requests();
    ASSERT_EQ(requests.size(), 2u);
    const QRegularExpression fraction("^[01]\\.[0-9]{16}%0A$");

    const RecordedRequest &first = requests[0];
    EXPECT_EQ(first.method, "GET");
    EXPECT_EQ(first.path, "/cfg/base");
    EXPECT_EQ(Keys(first), (QByteArrayList{"f", "t"}));
    EXPECT_EQ(Value(first, "f"), "T");
    EXPECT_TRUE(fraction.match(QString::fromLatin1(Value(first, "t"))).hasMatch())
        << first.target.constData();

    const RecordedRequest &second = requests[1];
    EXPECT_EQ(second.path, "/cfg/second.php");
    EXPECT_TRUE(second.target.startsWith("/cfg/second.php?id=3&f=T&t=")) << second.target.data();
    EXPECT_EQ(Keys(second), (QByteArrayList{"id", "f", "t", "s"}));
    EXPECT_EQ(Value(second, "f"), "T");
    EXPECT_EQ(Value(second, "s"), "19");
    const QByteArray t = QByteArray::fromPercentEncoding(Value(second, "t"));
    EXPECT_TRUE(QRegularExpression("^[01]\\.[0-9]{16}\n$").match(QString::fromLatin1(t)).hasMatch())
        << t.constData();

    for (const RecordedRequest &request : requests) {
        EXPECT_EQ(request.Header("Accept-Encoding"), "gzip, deflate");
        EXPECT_EQ(request.Header("Referer"), ".");
    }

    EXPECT_EQ(info.EntryCount(), 7);
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(info.GetEntry(i), entries.at(i)) << i;
    EXPECT_EQ(sites, (QStringList{"S0", "", "S2"}));
    EXPECT_EQ(info.ServerNo(), 1);
    EXPECT_EQ(info.AddressNo(), 1);
    EXPECT_EQ(info.StatusText(), "\tSrv Info:1_1");
}

TEST_F(CSrvInfoTest, QueryAddressChoosesTheSeparatorAndEncodesValues)
{
    const QString t = "0.1234567890123456\n";
    const struct {
        const char *address;
        int siteKind;
        const char *expected;
    } cases[] = {
        {"http://h/a", -1, "http://h/a?f=T&t=0.1234567890123456%0A"},
        {"http://h/a?x=1", -1, "http://h/a?x=1&f=T&t=0.1234567890123456%0A"},
        {"http://h/a?", 19, "http://h/a?&f=T&t=0.1234567890123456%0A&s=19"},
        {"http://h/a.php?k=v", 19, "http://h/a.php?k=v&f=T&t=0.1234567890123456%0A&s=19"},
        {"?only", -1, "?only?f=T&t=0.1234567890123456%0A"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CSrvInfo::QueryAddress(c.address, t, c.siteKind), c.expected) << c.address;
    EXPECT_EQ(CSrvInfo::QueryAddress("http://h/", "a b&c=d", -1), "http://h/?f=T&t=a%20b%26c%3Dd");
}

TEST_F(CSrvInfoTest, BaseAddressWithOrWithoutQueryIsExtended)
{
    ServeList("/cfg/base", {"/cfg/s.php?n=1"});
    lofter.ServeFixed("GET", "/cfg/s.php", Page(ConfigPage(Entries("q"))));
    const struct {
        QString base;
        QByteArray targetPrefix;
        QByteArrayList keys;
    } cases[] = {
        {"/cfg/base", "/cfg/base?f=T&t=", {"f", "t"}},
        {"/cfg/base?k=v", "/cfg/base?k=v&f=T&t=", {"k", "f", "t"}},
        {"/cfg/base?a=1&b=2", "/cfg/base?a=1&b=2&f=T&t=", {"a", "b", "f", "t"}},
    };
    for (const auto &c : cases) {
        lofter.ClearRequests();
        CSrvInfo info({lofter.Url(c.base)});
        QStringList sites;
        ASSERT_TRUE(info.Fetch(sites)) << c.base.toStdString();
        const auto requests = lofter.Requests();
        ASSERT_EQ(requests.size(), 2u) << c.base.toStdString();
        EXPECT_TRUE(requests[0].target.startsWith(c.targetPrefix)) << requests[0].target.data();
        EXPECT_EQ(Keys(requests[0]), c.keys);
        EXPECT_TRUE(requests[1].target.startsWith("/cfg/s.php?n=1&f=T&t="))
            << requests[1].target.data();
    }
}

TEST_F(CSrvInfoTest, HtmBeforeQueryBecomesPhpAndEntitiesAreDecoded)
{
    // The list is read as page text: "&amp;" stands for "&".
    lofter.ServeFixed("GET", "/cfg/base",
                      Page(ServerListPage({lofter.Url("/cfg/one.htm?a=1&amp;b=2")})));
    lofter.ServeFixed("GET", "/cfg/one.php", Page(ConfigPage(Entries("php"))));
    lofter.ServeFixed("GET", "/cfg/one.htm", Page(ConfigPage(Entries("htm"))));

    CSrvInfo info({lofter.Url("/cfg/base")});
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.GetEntry(0), "15.04.08.02#php");
    const auto requests = lofter.RequestsFor("/cfg/one.php");
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].target.startsWith("/cfg/one.php?a=1&b=2&f=T&t="))
        << requests[0].target.data();
    EXPECT_TRUE(lofter.RequestsFor("/cfg/one.htm").empty());
}

TEST_F(CSrvInfoTest, HtmWithoutQueryIsLeftAsItIs)
{
    ServeList("/cfg/base", {"/cfg/page.htm"});
    lofter.ServeFixed("GET", "/cfg/page.htm", Page(ConfigPage(Entries("htm"))));
    CSrvInfo info({lofter.Url("/cfg/base")});
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.GetEntry(0), "15.04.08.02#htm");
    EXPECT_EQ(Paths(lofter.Requests()), (QByteArrayList{"/cfg/base", "/cfg/page.htm"}));
}

// ---------------------------------------------------------------------------------------------
// Which reply wins

TEST_F(CSrvInfoTest, FirstReplyWithSevenEntriesWinsInOrder)
{
    // Each base lists its second-stage replies by entry count (0 = a page without a block).
    struct Case {
        const char *name;
        std::vector<std::vector<int>> bases;
        int serverNo;
        int addressNo;
        QByteArrayList paths;
    };
    const Case cases[] = {
        {"single", {{7}}, 1, 1, {"/b1", "/b1/s1.php"}},
        {"six then seven", {{6, 7}}, 1, 2, {"/b1", "/b1/s1.php", "/b1/s2.php"}},
        {"seven stops the search", {{7, 7}, {7}}, 1, 1, {"/b1", "/b1/s1.php"}},
        {"next base",
         {{6}, {8, 7}},
         2,
         2,
         {"/b1", "/b1/s1.php", "/b2", "/b2/s1.php", "/b2/s2.php"}},
        {"three bases",
         {{0, 6}, {}, {1, 7, 7}},
         3,
         2,
         {"/b1", "/b1/s1.php", "/b1/s2.php", "/b2", "/b3", "/b3/s1.php", "/b3/s2.php"}},
        {"none accepted",
         {{6}, {8}, {0}},
         0,
         0,
         {"/b1", "/b1/s1.php", "/b2", "/b2/s1.php", "/b3", "/b3/s1.php"}},
    };
    for (const Case &c : cases) {
        FakeLofter service;
        QStringList bases;
        for (size_t b = 0; b < c.bases.size(); ++b) {
            const QString base = QString("/b%1").arg(b + 1);
            QStringList list;
            for (size_t a = 0; a < c.bases[b].size(); ++a) {
                const QString path = QString("%1/s%2.php").arg(base).arg(a + 1);
                list.append(service.Url(path));
                const int count = c.bases[b][a];
                const QByteArray body = count == 0 ? QByteArray("<html>no block</html>")
                                                   : ConfigPage(Entries(path, count), {path});
                service.ServeFixed("GET", path, Page(body));
            }
            service.ServeFixed("GET", base, Page(ServerListPage(list)));
            bases.append(service.Url(base));
        }
        CSrvInfo info(bases);
        QStringList sites = {"fallback"};
        EXPECT_EQ(info.Fetch(sites), c.serverNo != 0) << c.name;
        EXPECT_EQ(Paths(service.Requests()), c.paths) << c.name;
        EXPECT_EQ(info.ServerNo(), c.serverNo) << c.name;
        EXPECT_EQ(info.AddressNo(), c.addressNo) << c.name;
        EXPECT_EQ(info.StatusText(), QString("\tSrv Info:%1_%2").arg(c.serverNo).arg(c.addressNo))
            << c.name;
        if (c.serverNo != 0) {
            const QString winner = QString("/b%1/s%2.php").arg(c.serverNo).arg(c.addressNo);
            EXPECT_EQ(info.GetEntry(0), "15.04.08.02#" + winner) << c.name;
            EXPECT_EQ(info.EntryCount(), 7) << c.name;
            EXPECT_EQ(sites, QStringList{winner}) << c.name;
        } else {
            EXPECT_EQ(info.EntryCount(), 0) << c.name;
            EXPECT_EQ(sites, QStringList{"fallback"}) << c.name;
        }
    }
}

TEST_F(CSrvInfoTest, OnlyTheFirstThreeBaseAddressesAreUsed)
{
    ServeList("/b4", {"/s.php"});
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(Entries("fourth"))));
    CSrvInfo info({lofter.Url("/b1"), lofter.Url("/b2"), lofter.Url("/b3"), lofter.Url("/b4")});
    QStringList sites;
    EXPECT_FALSE(info.Fetch(sites));
    EXPECT_EQ(Paths(lofter.Requests()), (QByteArrayList{"/b1", "/b2", "/b3"}));
}

// ---------------------------------------------------------------------------------------------
// Bad replies and addresses

TEST_F(CSrvInfoTest, BadSecondStageRepliesAreSkipped)
{
    const QByteArray good = ConfigPage(Entries("good"));
    QByteArray longBlock = "<!--gleaner-config:\n" + Entries("x").join('|').toUtf8();
    longBlock += QByteArray(CSrvInfo::kMaxBlockChars, 'y') + "\n-->";
    const struct {
        const char *name;
        QByteArray body;
    } cases[] = {
        {"empty", ""},
        {"plain page", "<html><body>Hello</body></html>"},
        {"list without markers", Entries("bare").join('|').toUtf8()},
        {"server-list marker", ServerListPage({Entries("s").join('|')})},
        {"no end marker", "<!--gleaner-config:\n" + Entries("open").join('|').toUtf8()},
        {"end marker only before",
         "--> " + Entries("before").join('|').toUtf8() + " <!--gleaner-config:"},
        {"empty block", "<!--gleaner-config:\n\n  \n-->"},
        {"six entries", ConfigPage(Entries("six", 6))},
        {"eight entries", ConfigPage(Entries("eight", 8))},
        {"one entry", ConfigPage({"15.04.08.02"})},
        {"sites first line only", "<!--gleaner-config:\nA|B|C\n-->"},
        {"block too long", longBlock},
        {"10 MB of garbage", Garbage(10 * 1024 * 1024)},
        {"marker then 10 MB of bars",
         "<!--gleaner-config:" + QByteArray(10 * 1024 * 1024, '|') + "-->"},
    };
    lofter.ServeFixed("GET", "/s2.php", Page(good));
    ServeList("/base", {"/s1.php", "/s2.php"});
    for (const auto &c : cases) {
        lofter.ClearRequests();
        lofter.ServeFixed("GET", "/s1.php", Page(c.body));
        CSrvInfo info({lofter.Url("/base")});
        QStringList sites;
        ASSERT_TRUE(info.Fetch(sites)) << c.name;
        EXPECT_EQ(info.StatusText(), "\tSrv Info:1_2") << c.name;
        EXPECT_EQ(info.GetEntry(0), "15.04.08.02#good") << c.name;
        EXPECT_EQ(Paths(lofter.Requests()), (QByteArrayList{"/base", "/s1.php", "/s2.php"}))
            << c.name;
    }
}

TEST_F(CSrvInfoTest, BadFirstStageRepliesAreSkipped)
{
    QStringList thousand;
    for (int i = 0; i < 1000; ++i)
        thousand.append("not an address " + QString::number(i));
    const struct {
        const char *name;
        QByteArray body;
    } cases[] = {
        {"empty", ""},
        {"plain page", "<html><body>Hello</body></html>"},
        {"config marker", ConfigPage({lofter.Url("/s1.php")})},
        {"no end marker", "<!--gleaner-servers:\n" + lofter.Url("/s1.php").toUtf8()},
        {"empty block", "<!--gleaner-servers:-->"},
        {"1,000 malformed entries", ServerListPage(thousand)},
        {"10 MB of garbage", Garbage(10 * 1024 * 1024)},
    };
    lofter.ServeFixed("GET", "/s1.php", Page(ConfigPage(Entries("first"))));
    ServeList("/b2", {"/s2.php"});
    lofter.ServeFixed("GET", "/s2.php", Page(ConfigPage(Entries("second"))));
    for (const auto &c : cases) {
        lofter.ClearRequests();
        lofter.ServeFixed("GET", "/b1", Page(c.body));
        CSrvInfo info({lofter.Url("/b1"), lofter.Url("/b2")});
        QStringList sites;
        ASSERT_TRUE(info.Fetch(sites)) << c.name;
        EXPECT_EQ(info.StatusText(), "\tSrv Info:2_1") << c.name;
        EXPECT_EQ(info.GetEntry(0), "15.04.08.02#second") << c.name;
        EXPECT_EQ(Paths(lofter.Requests()), (QByteArrayList{"/b1", "/b2", "/s2.php"})) << c.name;
    }
}

TEST_F(CSrvInfoTest, MalformedOrForeignSecondStageAddressesAreNotRequested)
{
    const QString port = QString::number(lofter.Port());
    const QStringList list = {
        "not an address",
        "ftp://127.0.0.1:" + port + "/s.php",
        "file:///etc/passwd",
        "http://",
        "http:/127.0.0.1:" + port + "/s.php",
        "http://127.0.0.1:99999/s.php",
        "http://127.0.0.1:" + port + "/s.php#fragment",
        "/s.php",
    };
    ASSERT_EQ(list.size(), CSrvInfo::kMaxSecondStage);
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(Entries("s"))));

    // Eight bad addresses fill the list: nothing of the second stage is requested.
    lofter.ServeFixed("GET", "/b1", Page(ServerListPage(list)));
    // Seven bad ones and a good one: the good one is the eighth address.
    lofter.ServeFixed("GET", "/b2",
                      Page(ServerListPage(list.mid(0, 7) + QStringList{lofter.Url("/s.php")})));
    CSrvInfo info({lofter.Url("/b1"), lofter.Url("/b2")});
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.StatusText(), "\tSrv Info:2_8");
    EXPECT_EQ(Paths(lofter.Requests()), (QByteArrayList{"/b1", "/b2", "/s.php"}));
}

TEST_F(CSrvInfoTest, AtMostEightSecondStageAddressesAreTriedPerBase)
{
    // A thousand addresses; the first eight answer six entries, every later one seven.
    std::atomic<int> served{0};
    lofter.Serve("GET", "/s.php", [&served](const RecordedRequest &request) {
        ++served;
        const int n = Value(request, "i").toInt();
        return Page(ConfigPage(Entries(QString::number(n), n <= 8 ? 6 : 7)));
    });
    QStringList list;
    for (int i = 1; i <= 1000; ++i)
        list.append(lofter.Url(QString("/s.php?i=%1").arg(i)));
    lofter.ServeFixed("GET", "/base", Page(ServerListPage(list)));

    CSrvInfo info({lofter.Url("/base")});
    QStringList sites;
    EXPECT_FALSE(info.Fetch(sites));
    EXPECT_EQ(served.load(), CSrvInfo::kMaxSecondStage);
    const auto requests = lofter.RequestsFor("/s.php");
    ASSERT_EQ(requests.size(), 8u);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Value(requests[i], "i"), QByteArray::number(i + 1));
    EXPECT_EQ(info.StatusText(), "\tSrv Info:0_0");
}

TEST_F(CSrvInfoTest, UnreachableAddressesAreSkipped)
{
    RawServer hangUp(RawBehaviour::CloseAtOnce);
    RawServer silent(RawBehaviour::NeverAnswer);
    ServeList("/b3", {RefusingUrl("/s.php"), hangUp.Url("/s.php"), silent.Url("/s.php"), "/s.php"});
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(Entries("reached"))));

    CSrvInfo info({RefusingUrl("/b1"), silent.Url("/b2"), lofter.Url("/b3")});
    info.SetTimeoutMs(300);
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.StatusText(), "\tSrv Info:3_4");
    EXPECT_EQ(info.GetEntry(0), "15.04.08.02#reached");
    EXPECT_EQ(hangUp.Connections(), 1);
    EXPECT_EQ(silent.Connections(), 2);
}

TEST_F(CSrvInfoTest, FailedTransferIsSkippedEvenWithAGoodStart)
{
    // The reply breaks off after its block: the attempt fails, so its text is not used.
    ServeList("/base", {"/cut.php", "/whole.php"});
    lofter.ServeFixed("GET", "/cut.php", Page(ConfigPage(Entries("cut"))));
    ReplyOptions cut;
    cut.extraContentLength = 1000;
    lofter.SetOptions("/cut.php", cut);
    lofter.ServeFixed("GET", "/whole.php", Page(ConfigPage(Entries("whole"))));

    CSrvInfo info({lofter.Url("/base")});
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.GetEntry(0), "15.04.08.02#whole");
    EXPECT_EQ(info.StatusText(), "\tSrv Info:1_2");
}

TEST_F(CSrvInfoTest, CompressedRepliesAreInflated)
{
    ServeList("/base", {"/s.php"});
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(Entries("gz"))));
    ReplyOptions gzip;
    gzip.gzip = true;
    lofter.SetDefaultOptions(gzip);

    CSrvInfo info({lofter.Url("/base")});
    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    EXPECT_EQ(info.GetEntry(0), "15.04.08.02#gz");
}

TEST_F(CSrvInfoTest, CookiesGoThroughTheOwnersStore)
{
    ServeList("/base", {"/s.php"});
    ReplyOptions setCookie;
    setCookie.extraHeaders = {{"Set-Cookie", "sid=abc; Path=/"}};
    lofter.SetOptions("/base", setCookie);
    ReplyOptions needCookie;
    needCookie.requiredCookie = "sid=abc";
    lofter.SetOptions("/s.php", needCookie);
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(Entries("cookie"))));

    QStringList sites;
    CSrvInfo without({lofter.Url("/base")}, nullptr);
    EXPECT_FALSE(without.Fetch(sites));

    CookieStore store;
    CSrvInfo with({lofter.Url("/base")}, &store);
    ASSERT_TRUE(with.Fetch(sites));
    EXPECT_EQ(with.GetEntry(0), "15.04.08.02#cookie");
}

// ---------------------------------------------------------------------------------------------
// Site names and entries

TEST_F(CSrvInfoTest, SiteNamesAreReplacedOnlyByAnAcceptedListThatHasSome)
{
    QStringList many;
    for (int i = 0; i < 100; ++i)
        many.append(QString("site%1").arg(i));
    const struct {
        const char *name;
        QByteArray body;
        QStringList expected;
    } cases[] = {
        {"twenty names", ConfigPage(Entries("a"), many.mid(0, 20)), many.mid(0, 20)},
        {"trimmed, empty kept", ConfigPage(Entries("a"), {" x ", "", "\ty"}), {"x", "", "y"}},
        {"no site line", ConfigPage(Entries("a"), {}), {"built-in"}},
        {"capped", ConfigPage(Entries("a"), many), many.mid(0, CSrvInfo::kMaxSiteNames)},
        {"not accepted", ConfigPage(Entries("a", 6), {"z"}), {"built-in"}},
    };
    ServeList("/base", {"/s.php"});
    for (const auto &c : cases) {
        lofter.ServeFixed("GET", "/s.php", Page(c.body));
        CSrvInfo info({lofter.Url("/base")});
        QStringList sites = {"built-in"};
        info.Fetch(sites);
        EXPECT_EQ(sites, c.expected) << c.name;
    }
}

TEST_F(CSrvInfoTest, ParseConfigReadsTwoLinesOfItems)
{
    QStringList entries;
    QStringList sites;
    ASSERT_TRUE(CSrvInfo::ParseConfig(
        "x<!--gleaner-config:\r\n\r\n 1 | 2 ||4\r\n a|b \r\nignored|line\r\n-->y-->", entries,
        sites));
    EXPECT_EQ(entries, (QStringList{"1", "2", "", "4"}));
    EXPECT_EQ(sites, (QStringList{"a", "b"}));
    // The first block of a page counts.
    ASSERT_TRUE(CSrvInfo::ParseConfig("<!--gleaner-config:a-->\n<!--gleaner-config:b|c-->", entries,
                                      sites));
    EXPECT_EQ(entries, QStringList{"a"});
    EXPECT_TRUE(sites.isEmpty());
}

TEST_F(CSrvInfoTest, GetEntryNeverReadsOutsideTheList)
{
    const int outside[] = {-1, INT_MIN, 7, 8, INT_MAX};
    ServeList("/base", {"/s.php"});
    const QStringList entries = Entries("range");
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(entries)));

    CSrvInfo info({lofter.Url("/base")});
    for (int index : outside)
        EXPECT_EQ(info.GetEntry(index), QString()) << index;
    EXPECT_EQ(info.GetEntry(0), QString());
    EXPECT_EQ(info.StatusText(), "\tSrv Info:0_0");

    QStringList sites;
    ASSERT_TRUE(info.Fetch(sites));
    for (int index = 0; index < 7; ++index)
        EXPECT_EQ(info.GetEntry(index), entries.at(index)) << index;
    for (int index : outside)
        EXPECT_EQ(info.GetEntry(index), QString()) << index;
}

TEST_F(CSrvInfoTest, ReadersOnAnotherThreadSeeBeforeOrAfterOnly)
{
    ServeList("/base", {"/s.php"});
    ReplyOptions slow;
    slow.delay = std::chrono::milliseconds(100);
    lofter.SetOptions("/s.php", slow);
    lofter.ServeFixed("GET", "/s.php", Page(ConfigPage(Entries("late"))));

    CSrvInfo info({lofter.Url("/base")});
    std::atomic<bool> done{false};
    std::atomic<int> mixed{0};
    std::thread reader([&] {
        while (!done.load()) {
            const QString status = info.StatusText();
            const QString entry = info.GetEntry(0);
            if (status != "\tSrv Info:0_0" && status != "\tSrv Info:1_1")
                ++mixed;
            if (!entry.isEmpty() && entry != "15.04.08.02#late")
                ++mixed;
        }
    });
    QStringList sites;
    const bool accepted = info.Fetch(sites);
    done = true;
    reader.join();
    EXPECT_TRUE(accepted);
    EXPECT_EQ(mixed.load(), 0);
    EXPECT_EQ(info.StatusText(), "\tSrv Info:1_1");
}

} // namespace
