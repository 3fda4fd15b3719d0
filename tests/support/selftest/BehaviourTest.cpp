// The per-path behaviour knobs and the raw server, seen on the wire, and prompt destruction
// while clients are stalled.

#include "FakeLofter.h"
#include "RawClient.h"

#include <QStringDecoder>

#include <gtest/gtest.h>
#include <httplib.h>
#include <zlib.h>

#include <future>
#include <thread>

namespace testsupport {
namespace {

using namespace std::chrono_literals;
using selftest::HeadStatus;
using selftest::HeadValue;
using selftest::RawConnection;

QByteArray Gunzip(const QByteArray &bytes)
{
    z_stream stream{};
    if (inflateInit2(&stream, 47) != Z_OK) {
        return {};
    }
    QByteArray out;
    char buffer[8192];
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(bytes.constData()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    int result = Z_OK;
    while (result == Z_OK) {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        result = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, static_cast<qsizetype>(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    return result == Z_STREAM_END ? out : QByteArray();
}

QByteArray Get(const QByteArray &path, const QByteArray &extra = {})
{
    return "GET " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\n" + extra + "\r\n";
}

const QByteArray kText = "<html>中文页面 & text 🌸</html>";

// A fake service with one fixed text reply at /page, under `options`.
struct Fixture {
    FakeLofter lofter;
    explicit Fixture(const ReplyOptions &options, const QByteArray &body = kText)
    {
        lofter.ServeFixed("GET", QStringLiteral("/page"), Reply{200, "text/html", body, {}});
        lofter.SetOptions(QStringLiteral("/page"), options);
    }
};

TEST(FakeLofterKnobs, CharsetAndGzipDecodeBackToTheSameText)
{
    struct Case {
        Charset charset;
        bool gzip;
        const char *contentType;
    };
    const Case cases[] = {
        {Charset::Utf8, false, "text/html; charset=UTF-8"},
        {Charset::Utf8, true, "text/html; charset=UTF-8"},
        {Charset::Gbk, false, "text/html; charset=GBK"},
        {Charset::Gbk, true, "text/html; charset=GBK"},
        {Charset::None, false, "text/html"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.contentType + std::string(c.gzip ? " gzip" : ""));
        ReplyOptions options;
        options.charset = c.charset;
        options.gzip = c.gzip;
        Fixture f(options, "<p>归档 - 中文 ABC</p>");
        RawConnection connection(f.lofter.Port());
        connection.Send(Get("/page", "Accept-Encoding: gzip, deflate\r\n"));
        const QByteArray head = connection.ReadHead(10s);
        const QByteArray body =
            connection.ReadFor(10s, HeadValue(head, "Content-Length").toLongLong());
        EXPECT_EQ(HeadStatus(head), 200);
        EXPECT_EQ(HeadValue(head, "Content-Type"), c.contentType);
        EXPECT_EQ(HeadValue(head, "Content-Encoding"), c.gzip ? "gzip" : "");
        EXPECT_EQ(body.size(), HeadValue(head, "Content-Length").toLongLong());
        const QByteArray plain = c.gzip ? Gunzip(body) : body;
        QString text;
        if (c.charset == Charset::Gbk) {
            EXPECT_NE(plain, QByteArray("<p>归档 - 中文 ABC</p>"));
            QStringDecoder fromGbk("GBK");
            text = fromGbk.decode(plain);
        } else {
            text = QString::fromUtf8(plain);
        }
        EXPECT_EQ(text, QStringLiteral("<p>归档 - 中文 ABC</p>"));
    }
}

TEST(FakeLofterKnobs, PathOptionsOverrideTheDefault)
{
    FakeLofter lofter;
    ReplyOptions gone;
    gone.statusOverride = 410;
    lofter.SetDefaultOptions(gone);
    ReplyOptions plain;
    lofter.SetOptions(QStringLiteral("/img/1_4x4_0.png"), plain);
    httplib::Client client("127.0.0.1", lofter.Port());
    client.set_read_timeout(20s);
    EXPECT_EQ(client.Get("/img/1_4x4_0.png")->status, 200);
    EXPECT_EQ(client.Get("/img/2_4x4_0.png")->status, 410);
    lofter.ClearOptions();
    EXPECT_EQ(client.Get("/img/2_4x4_0.png")->status, 200);
}

TEST(FakeLofterKnobs, StatusOverrideSendsTheWholeBody)
{
    for (int status : {404, 500}) {
        ReplyOptions options;
        options.statusOverride = status;
        Fixture f(options);
        httplib::Client client("127.0.0.1", f.lofter.Port());
        client.set_read_timeout(20s);
        const auto result = client.Get("/page");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, status);
        EXPECT_EQ(QByteArray::fromStdString(result->body), kText);
    }
    ReplyOptions replaced;
    replaced.statusOverride = 500;
    replaced.bodyOverride = QByteArray("<h1>Server Error</h1>");
    Fixture f(replaced);
    httplib::Client client("127.0.0.1", f.lofter.Port());
    EXPECT_EQ(client.Get("/page")->body, "<h1>Server Error</h1>");
}

TEST(FakeLofterKnobs, TruncatedBodiesCloseTheConnection)
{
    struct Case {
        const char *name;
        std::int64_t closeAfter;
        std::int64_t extraLength;
        qsizetype expectReceived;
    };
    const qsizetype full = kText.size();
    const Case cases[] = {
        {"closed mid-body", 7, 0, 7},
        {"closed before the body", 0, 0, 0},
        {"announced larger", -1, 100, full},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ReplyOptions options;
        options.closeAfterBytes = c.closeAfter;
        options.extraContentLength = c.extraLength;
        Fixture f(options);
        RawConnection connection(f.lofter.Port());
        connection.Send(Get("/page"));
        const QByteArray head = connection.ReadHead(10s);
        EXPECT_EQ(HeadValue(head, "Content-Length").toLongLong(), full + c.extraLength);
        const QByteArray body = connection.ReadFor(10s);
        EXPECT_TRUE(connection.PeerClosed());
        EXPECT_EQ(body, kText.left(c.expectReceived));
    }
}

TEST(FakeLofterKnobs, StalledBodyResumesAfterTheStall)
{
    for (std::int64_t after : {std::int64_t{0}, std::int64_t{5}}) {
        SCOPED_TRACE(after);
        ReplyOptions options;
        options.stallAfterBytes = after;
        options.stallFor = 3s;
        Fixture f(options);
        RawConnection connection(f.lofter.Port());
        connection.Send(Get("/page"));
        const QByteArray head = connection.ReadHead(10s);
        ASSERT_EQ(HeadStatus(head), 200);
        const QByteArray before = connection.ReadFor(10s, after);
        EXPECT_EQ(before, kText.left(after));
        // Far shorter than the stall: nothing more can arrive meanwhile.
        EXPECT_EQ(connection.ReadFor(300ms), QByteArray());
        EXPECT_FALSE(connection.PeerClosed());
        const QByteArray rest = connection.ReadFor(20s, kText.size() - after);
        EXPECT_EQ(before + rest, kText);
    }
}

TEST(FakeLofterKnobs, TrickledBodyComesInManyPieces)
{
    ReplyOptions options;
    options.trickleInterval = 150ms;
    Fixture f(options, "abcdefgh");
    RawConnection connection(f.lofter.Port());
    connection.Send(Get("/page"));
    const QByteArray head = connection.ReadHead(10s);
    const int readsBefore = connection.DataReads();
    const QByteArray body = connection.ReadFor(10s, 8);
    EXPECT_EQ(body, "abcdefgh");
    // One byte per interval: even a slow client sees several separate arrivals.
    EXPECT_GE(connection.DataReads() - readsBefore, 4);
}

TEST(FakeLofterKnobs, DelayAndNeverAnswerOutlastAShortClientTimeout)
{
    ReplyOptions delayed;
    delayed.delay = 5s;
    ReplyOptions silent;
    silent.neverAnswer = true;
    for (const ReplyOptions &options : {delayed, silent}) {
        Fixture f(options);
        httplib::Client client("127.0.0.1", f.lofter.Port());
        client.set_read_timeout(300ms);
        EXPECT_FALSE(client.Get("/page"));
        EXPECT_TRUE(f.lofter.WaitForRequests(1)); // the request itself arrived
    }
    ReplyOptions shortDelay;
    shortDelay.delay = 50ms;
    Fixture f(shortDelay);
    httplib::Client client("127.0.0.1", f.lofter.Port());
    client.set_read_timeout(20s);
    ASSERT_TRUE(client.Get("/page"));
}

TEST(FakeLofterKnobs, RedirectsPointAtTheTargetAndLoopsNeverEnd)
{
    FakeLofter lofter;
    lofter.ServeFixed("GET", QStringLiteral("/target"), Reply{200, "text/plain", "arrived", {}});
    for (int status : {301, 302}) {
        ReplyOptions redirect;
        redirect.redirectTo = QStringLiteral("/target");
        redirect.redirectStatus = status;
        lofter.SetOptions(QStringLiteral("/from"), redirect);
        RawConnection connection(lofter.Port());
        connection.Send(Get("/from"));
        const QByteArray head = connection.ReadHead(10s);
        EXPECT_EQ(HeadStatus(head), status);
        EXPECT_EQ(HeadValue(head, "Location"), (lofter.Origin() + "/target").toUtf8());

        httplib::Client client("127.0.0.1", lofter.Port());
        client.set_follow_location(true);
        client.set_read_timeout(20s);
        const auto followed = client.Get("/from");
        ASSERT_TRUE(followed);
        EXPECT_EQ(followed->body, "arrived");
    }
    ReplyOptions toB;
    toB.redirectTo = QStringLiteral("/b");
    ReplyOptions toA;
    toA.redirectTo = lofter.Url(QStringLiteral("/a"));
    lofter.SetOptions(QStringLiteral("/a"), toB);
    lofter.SetOptions(QStringLiteral("/b"), toA);
    lofter.ClearRequests();
    httplib::Client client("127.0.0.1", lofter.Port());
    client.set_follow_location(true);
    client.set_read_timeout(20s);
    const auto loop = client.Get("/a");
    EXPECT_FALSE(loop);
    EXPECT_EQ(loop.error(), httplib::Error::ExceedRedirectCount);
    EXPECT_GE(lofter.RequestsFor(QStringLiteral("/a")).size(), 3U);
    EXPECT_GE(lofter.RequestsFor(QStringLiteral("/b")).size(), 3U);
}

TEST(FakeLofterKnobs, CookiesAreSetAndRequired)
{
    ReplyOptions options;
    options.extraHeaders = {{"Set-Cookie", "sid=abc; Path=/"}, {"Set-Cookie", "theme=dark"}};
    options.requiredCookie = "sid=abc";
    Fixture f(options);
    httplib::Client client("127.0.0.1", f.lofter.Port());
    client.set_read_timeout(20s);
    const auto refused = client.Get("/page");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 403);
    EXPECT_EQ(refused->get_header_value_count("Set-Cookie"), 2U);
    const std::pair<const char *, int> cases[] = {
        {"sid=abc", 200}, {"a=1; sid=abc; b=2", 200}, {"sid=abcd", 403}, {"xsid=abc", 403}};
    for (const auto &[cookie, status] : cases) {
        SCOPED_TRACE(cookie);
        const auto result = client.Get("/page", httplib::Headers{{"Cookie", cookie}});
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, status);
    }
}

TEST(FakeLofterKnobs, HugeHeaderBlockAndEndlessBody)
{
    ReplyOptions huge;
    huge.hugeHeaderBytes = 1 << 20;
    Fixture big(huge);
    RawConnection headConnection(big.lofter.Port());
    headConnection.Send(Get("/page"));
    const QByteArray head = headConnection.ReadHead(10s);
    EXPECT_GE(head.size(), 1 << 20);
    EXPECT_EQ(HeadStatus(head), 200);
    EXPECT_EQ(headConnection.ReadFor(10s, kText.size()), kText);

    ReplyOptions endless;
    endless.endless = true;
    Fixture f(endless, "0123456789");
    RawConnection connection(f.lofter.Port());
    connection.Send(Get("/page"));
    const QByteArray endlessHead = connection.ReadHead(10s);
    EXPECT_EQ(HeadValue(endlessHead, "Content-Length"), "");
    EXPECT_EQ(HeadValue(endlessHead, "Transfer-Encoding"), "");
    const QByteArray body = connection.ReadFor(10s, 3 << 20);
    EXPECT_GE(body.size(), 3 << 20);
    EXPECT_FALSE(connection.PeerClosed());
    EXPECT_TRUE(body.startsWith("01234567890123"));
}

TEST(RawServerTest, BehavioursOnTheWire)
{
    {
        RawServer silent(RawBehaviour::NeverAnswer);
        httplib::Client client("127.0.0.1", silent.Port());
        client.set_read_timeout(300ms);
        EXPECT_FALSE(client.Get("/x"));
        EXPECT_EQ(silent.Connections(), 1);
    }
    {
        RawServer closing(RawBehaviour::CloseAtOnce);
        httplib::Client client("127.0.0.1", closing.Port());
        client.set_read_timeout(20s);
        EXPECT_FALSE(client.Get("/closing"));
        EXPECT_TRUE(closing.Received().startsWith("GET /closing HTTP/1.1\r\n"));
    }
    {
        RawServer scripted(
            RawBehaviour::Scripted,
            "HTTP/1.1 200 OK\r\nContent-Length: 5\r\nConnection: close\r\n\r\nhello");
        EXPECT_EQ(scripted.Url(QStringLiteral("/a")),
                  QStringLiteral("http://127.0.0.1:%1/a").arg(scripted.Port()));
        httplib::Client client("127.0.0.1", scripted.Port());
        client.set_read_timeout(20s);
        const auto result = client.Get("/s");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->body, "hello");
    }
    {
        RawServer held(RawBehaviour::Scripted, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhal",
                       true);
        RawConnection connection(held.Port());
        connection.Send(Get("/"));
        const QByteArray script = "HTTP/1.1 200 OK\r\nContent-Length: 10\r\n\r\nhal";
        EXPECT_EQ(connection.ReadFor(10s, script.size()), script);
        EXPECT_EQ(connection.ReadFor(300ms), QByteArray());
        EXPECT_FALSE(connection.PeerClosed());
    }
}

// Destroys `server` on another thread; true when that returned within a generous watchdog.
template <typename Server> bool DestroyPromptly(std::unique_ptr<Server> server)
{
    auto done = std::async(std::launch::async, [s = std::move(server)]() mutable { s.reset(); });
    return done.wait_for(30s) == std::future_status::ready;
}

TEST(FakeLofterShutdown, DestructionWhileClientsAreStalledReturns)
{
    struct Case {
        const char *name;
        ReplyOptions options;
    };
    std::vector<Case> cases(6);
    cases[0] = {"never answers", {}};
    cases[0].options.neverAnswer = true;
    cases[1] = {"stalled after the head", {}};
    cases[1].options.stallFor = std::chrono::hours(1);
    cases[2] = {"trickling", {}};
    cases[2].options.trickleInterval = 10s;
    cases[3] = {"endless", {}};
    cases[3].options.endless = true;
    cases[4] = {"delayed", {}};
    cases[4].options.delay = std::chrono::hours(1);
    cases[5] = {"idle keep-alive connection", {}};
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        auto lofter = std::make_unique<FakeLofter>();
        lofter->ServeFixed("GET", QStringLiteral("/page"), Reply{200, "text/html", kText, {}});
        lofter->SetOptions(QStringLiteral("/page"), c.options);
        const int port = lofter->Port();
        std::atomic<bool> clientDone{false};
        std::thread client([port, &clientDone] {
            RawConnection connection(port);
            connection.Send(Get("/page"));
            // Reads until the server closes; the watchdog only guards against a hang.
            while (!connection.PeerClosed() && !clientDone.load()) {
                connection.ReadFor(100ms, 1 << 20);
            }
        });
        ASSERT_TRUE(lofter->WaitForRequests(1));
        EXPECT_TRUE(DestroyPromptly(std::move(lofter)));
        clientDone.store(true);
        client.join();
    }
}

TEST(RawServerTest, DestructionWhileConnectionsAreHeldReturns)
{
    for (RawBehaviour behaviour : {RawBehaviour::NeverAnswer, RawBehaviour::Scripted}) {
        auto server = std::make_unique<RawServer>(behaviour, "HTTP/1.1 200 OK\r\n", true);
        RawConnection first(server->Port());
        RawConnection second(server->Port());
        first.Send(Get("/"));
        ASSERT_TRUE(first.Connected() && second.Connected());
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        while (server->Connections() < 2 && std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(5ms);
        }
        EXPECT_EQ(server->Connections(), 2);
        EXPECT_TRUE(DestroyPromptly(std::move(server)));
        first.ReadFor(10s);
        EXPECT_TRUE(first.PeerClosed());
    }
}

} // namespace
} // namespace testsupport
