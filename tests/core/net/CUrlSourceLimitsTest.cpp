// Size limits, time-outs and hostile replies: every attempt ends, with false or a bounded
// result, within its time-outs. Time bounds here are watchdogs, not speed requirements.
#include "NetTestSupport.h"
#include "net/CUrlSource.h"

#include "FakeLofter.h"

#include <QTemporaryDir>

#include <atomic>
#include <thread>

#include <gtest/gtest.h>
#include <zlib.h>

using nettest::QuickRequest;
using nettest::Stopwatch;
using testsupport::FakeLofter;
using testsupport::RawBehaviour;
using testsupport::RawServer;
using testsupport::Reply;
using testsupport::ReplyOptions;
using namespace std::chrono_literals;

namespace {

Reply Bytes(qsizetype size)
{
    Reply reply;
    reply.contentType = "application/octet-stream";
    reply.body = QByteArray(size, 'b');
    return reply;
}

// A reply without Content-Length whose end is the closing of the connection.
QByteArray CloseDelimited(qsizetype size)
{
    return "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\nConnection: "
           "close\r\n\r\n" +
           QByteArray(size, 'c');
}

class CUrlSourceLimitsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { nettest::ClearProxyEnvironment(); }

    FakeLofter lofter;
    CUrlSource source;
};

TEST_F(CUrlSourceLimitsTest, AnnouncedLengthIsCheckedBeforeTheBody)
{
    struct Case {
        qsizetype size;
        int minK;
        int maxK;
        bool ok;
    };
    const Case cases[] = {
        {5000, 0, 4, false}, {4096, 0, 4, true}, {4097, 0, 4, false}, {4096, 4, 0, true},
        {4095, 4, 0, false}, {0, 0, 0, true},    {0, 1, 0, false},    {100000, 0, 0, true},
    };
    for (const Case &c : cases) {
        const QString path = QString("/len%1").arg(c.size);
        lofter.ServeFixed("GET", path, Bytes(c.size));
        CUrlRequest request = QuickRequest(lofter.Url(path));
        request.minSizeK = c.minK;
        request.maxSizeK = c.maxK;
        EXPECT_EQ(source.Request(request, 0), c.ok) << c.size << " " << c.minK << " " << c.maxK;
        // A refused length refuses before any body byte is read.
        EXPECT_EQ(source.BodySize(), c.ok ? c.size : 0) << c.size;
    }
}

TEST_F(CUrlSourceLimitsTest, WithoutLengthTheBodyIsMeasuredAsItComes)
{
    struct Case {
        int minK;
        int maxK;
        bool ok;
    };
    const Case cases[] = {{0, 0, true}, {0, 4, false}, {5, 0, false}, {4, 5, true}};
    for (const Case &c : cases) {
        RawServer server(RawBehaviour::Scripted, CloseDelimited(5000));
        CUrlRequest request = QuickRequest(server.Url("/x"));
        request.minSizeK = c.minK;
        request.maxSizeK = c.maxK;
        EXPECT_EQ(source.Request(request, 0), c.ok) << c.minK << " " << c.maxK;
        EXPECT_FALSE(source.headerText.contains("Content-Length"));
        // The floor is checked at the end, over everything that arrived.
        if (c.minK == 5)
            EXPECT_EQ(source.BodySize(), 5000);
        else if (c.maxK == 4)
            EXPECT_GT(source.BodySize(), 4096);
        else
            EXPECT_EQ(source.BodySize(), 5000);
    }
}

TEST_F(CUrlSourceLimitsTest, EndlessBodyStopsRightAfterPassingTheCeiling)
{
    lofter.ServeFixed("GET", "/endless", Bytes(1000));
    ReplyOptions endless;
    endless.endless = true;
    lofter.SetOptions("/endless", endless);
    CUrlRequest request = QuickRequest(lofter.Url("/endless"));
    request.maxSizeK = 64;
    Stopwatch watch;
    EXPECT_FALSE(source.Request(request, 0));
    EXPECT_GT(source.BodySize(), 64 * 1024);
    EXPECT_LE(source.BodySize(), 64 * 1024 + 102400);
    EXPECT_LT(watch.Elapsed(), 10s);
}

TEST_F(CUrlSourceLimitsTest, EndlessBodyWithoutLimitsEndsAtTheMemoryBound)
{
    lofter.ServeFixed("GET", "/endless", Bytes(64 * 1024));
    ReplyOptions endless;
    endless.endless = true;
    lofter.SetOptions("/endless", endless);
    Stopwatch watch;
    EXPECT_FALSE(source.Request(QuickRequest(lofter.Url("/endless")), 0));
    EXPECT_LE(source.BodySize(), CUrlSource::kMaxMemoryBodyBytes);
    EXPECT_GT(source.BodySize(), CUrlSource::kMaxMemoryBodyBytes / 2);
    EXPECT_LT(watch.Elapsed(), 60s);
}

TEST_F(CUrlSourceLimitsTest, GzipBombInflatesToABoundedText)
{
    // 80 MiB of one letter, compressed to well under 1 MiB.
    QByteArray packed;
    {
        z_stream zs{};
        ASSERT_EQ(deflateInit2(&zs, Z_BEST_SPEED, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY), Z_OK);
        const QByteArray chunk(1 << 20, 'a');
        char out[1 << 16];
        for (int i = 0; i < 80; ++i) {
            zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(chunk.constData()));
            zs.avail_in = uInt(chunk.size());
            const int flush = i == 79 ? Z_FINISH : Z_NO_FLUSH;
            do {
                zs.next_out = reinterpret_cast<Bytef *>(out);
                zs.avail_out = sizeof(out);
                deflate(&zs, flush);
                packed.append(out, qsizetype(sizeof(out) - zs.avail_out));
            } while (zs.avail_out == 0);
        }
        deflateEnd(&zs);
    }
    ASSERT_LT(packed.size(), 1 << 20);
    Reply bomb = Bytes(0);
    bomb.body = packed;
    bomb.headers = {{"Content-Encoding", "gzip"}};
    lofter.ServeFixed("GET", "/bomb", bomb);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/bomb")), 0));
    const QString text = source.GetText(TEXT_INFLATE | TEXT_UTF8);
    EXPECT_EQ(text.size(), CUrlSource::kMaxInflatedBytes);
    EXPECT_EQ(text.count(QChar('a')), text.size());
}

TEST_F(CUrlSourceLimitsTest, ServerThatNeverAnswersFailsAfterTheConnectTimeOut)
{
    RawServer silent(RawBehaviour::NeverAnswer);
    ReplyOptions never;
    never.neverAnswer = true;
    lofter.SetOptions("/never", never);
    for (const QString &url : {silent.Url("/x"), lofter.Url("/never")}) {
        CUrlRequest request = QuickRequest(url, 30000);
        request.connectTimeoutMs = 400;
        Stopwatch watch;
        EXPECT_FALSE(source.Request(request, 0)) << url.toStdString();
        EXPECT_GE(watch.Elapsed(), 350ms);
        EXPECT_LT(watch.Elapsed(), 10s);
    }
}

TEST_F(CUrlSourceLimitsTest, SlowHeadIsBoundedByTheConnectTimeOut)
{
    lofter.ServeFixed("GET", "/slow", Bytes(10));
    ReplyOptions slow;
    slow.delay = 1500ms;
    lofter.SetOptions("/slow", slow);
    CUrlRequest request = QuickRequest(lofter.Url("/slow"), 30000);
    request.connectTimeoutMs = 300;
    Stopwatch watch;
    EXPECT_FALSE(source.Request(request, 0));
    EXPECT_LT(watch.Elapsed(), 1400ms); // given up before the head could come
    request.connectTimeoutMs = 5000;
    request.readTimeoutMs = 300; // the read time-out does not bound the wait for the head
    EXPECT_TRUE(source.Request(request, 0));
}

TEST_F(CUrlSourceLimitsTest, StallAfterTheHeadFailsAfterTheReadTimeOut)
{
    lofter.ServeFixed("GET", "/stall", Bytes(5000));
    for (const std::int64_t after : {std::int64_t(0), std::int64_t(1000)}) {
        ReplyOptions stall;
        stall.stallAfterBytes = after;
        stall.stallFor = 8s;
        lofter.SetOptions("/stall", stall);
        CUrlRequest request = QuickRequest(lofter.Url("/stall"), 30000);
        request.readTimeoutMs = 500;
        Stopwatch watch;
        EXPECT_FALSE(source.Request(request, 0)) << after;
        EXPECT_GE(watch.Elapsed(), 450ms);
        EXPECT_LT(watch.Elapsed(), 6s);
        EXPECT_EQ(source.BodySize(), after);
        EXPECT_TRUE(source.headerText.startsWith("HTTP/1.1 200"));
    }
    // What had arrived stays readable.
    EXPECT_EQ(source.GetText(0), QString(1000, 'b'));
}

TEST_F(CUrlSourceLimitsTest, ShortStallWithinTheReadTimeOutIsNotCutOff)
{
    lofter.ServeFixed("GET", "/pause", Bytes(3000));
    ReplyOptions pause;
    pause.stallAfterBytes = 100;
    pause.stallFor = 1500ms;
    lofter.SetOptions("/pause", pause);
    CUrlRequest request = QuickRequest(lofter.Url("/pause"), 4000);
    request.connectTimeoutMs = 1000; // only the read time-out applies to the body
    EXPECT_TRUE(source.Request(request, 0));
    EXPECT_EQ(source.BodySize(), 3000);
}

TEST_F(CUrlSourceLimitsTest, TrickleWithinTheReadTimeOutIsNotCutOff)
{
    lofter.ServeFixed("GET", "/trickle", Bytes(6));
    ReplyOptions trickle;
    trickle.trickleInterval = 350ms;
    lofter.SetOptions("/trickle", trickle);
    CUrlRequest request = QuickRequest(lofter.Url("/trickle"));
    request.readTimeoutMs = 1000; // shorter than the whole body takes
    request.connectTimeoutMs = 1000;
    Stopwatch watch;
    EXPECT_TRUE(source.Request(request, 0));
    EXPECT_EQ(source.body, QByteArray(6, 'b'));
    EXPECT_GT(watch.Elapsed(), 1000ms);
}

TEST_F(CUrlSourceLimitsTest, BrokenBodiesFail)
{
    lofter.ServeFixed("GET", "/short", Bytes(4000));
    ReplyOptions longer;
    longer.extraContentLength = 500;
    lofter.SetOptions("/short", longer);
    EXPECT_FALSE(source.Request(QuickRequest(lofter.Url("/short")), 0));
    EXPECT_EQ(source.BodySize(), 4000);

    lofter.ServeFixed("GET", "/cut", Bytes(4000));
    ReplyOptions cut;
    cut.closeAfterBytes = 1234;
    lofter.SetOptions("/cut", cut);
    EXPECT_FALSE(source.Request(QuickRequest(lofter.Url("/cut")), 0));
    EXPECT_EQ(source.BodySize(), 1234);
    EXPECT_EQ(source.GetText(0), QString(1234, 'b'));
}

TEST_F(CUrlSourceLimitsTest, HugeHeaderBlockFails)
{
    lofter.ServeFixed("GET", "/huge", Bytes(10));
    ReplyOptions huge;
    huge.hugeHeaderBytes = 1 << 20;
    lofter.SetOptions("/huge", huge);
    Stopwatch watch;
    EXPECT_FALSE(source.Request(QuickRequest(lofter.Url("/huge")), 0));
    EXPECT_LE(source.headerText.size(), CUrlSource::kMaxHeaderBlockBytes);
    EXPECT_LT(watch.Elapsed(), 10s);
    // A large but reasonable block is fine.
    huge.hugeHeaderBytes = 64 * 1024;
    lofter.SetOptions("/huge", huge);
    EXPECT_TRUE(source.Request(QuickRequest(lofter.Url("/huge")), 0));
    EXPECT_GT(source.headerText.size(), 64 * 1024);
}

TEST_F(CUrlSourceLimitsTest, RedirectLoopFails)
{
    ReplyOptions toB;
    toB.redirectTo = "/b";
    ReplyOptions toA;
    toA.redirectTo = "/a";
    lofter.SetOptions("/a", toB);
    lofter.SetOptions("/b", toA);
    Stopwatch watch;
    EXPECT_FALSE(source.Request(QuickRequest(lofter.Url("/a")), 0));
    EXPECT_LT(watch.Elapsed(), 10s);
    const std::size_t hops = lofter.RequestCount();
    EXPECT_GE(hops, std::size_t(CUrlSource::kMaxRedirects));
    EXPECT_LE(hops, std::size_t(CUrlSource::kMaxRedirects + 1));
}

TEST_F(CUrlSourceLimitsTest, ContinueBlockIsNotTheHeaderText)
{
    RawServer server(RawBehaviour::Scripted,
                     "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n"
                     "X-Final: yes\r\n\r\nok");
    ASSERT_TRUE(source.Request(QuickRequest(server.Url("/x")), 0));
    EXPECT_EQ(source.headerText, "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-Final: yes\r\n");
    EXPECT_EQ(source.GetText(0), "ok");
}

} // namespace

namespace {

// Sets `flag` from another thread after `delay`; joined on destruction.
class LateFlag {
public:
    LateFlag(std::atomic<bool> &flag, std::chrono::milliseconds delay)
        : thread_([&flag, delay] {
              std::this_thread::sleep_for(delay);
              flag.store(true);
          })
    {
    }
    ~LateFlag() { thread_.join(); }

private:
    std::thread thread_;
};

} // namespace

TEST_F(CUrlSourceLimitsTest, AbortCheckEndsTransfersAndRetryPausesAtOnce)
{
    RawServer silent(RawBehaviour::NeverAnswer);
    ReplyOptions stall;
    stall.stallAfterBytes = 10;
    stall.stallFor = 60s;
    lofter.ServeFixed("GET", "/stall", Bytes(1000));
    lofter.SetOptions("/stall", stall);

    struct Case {
        const char *name;
        QString url;
        std::uint8_t tries;
        std::uint8_t retryWaitSeconds;
    };
    const Case cases[] = {
        {"silent server", silent.Url("/x"), 1, 0},
        {"stalled body", lofter.Url("/stall"), 1, 0},
        {"retry pause", testsupport::RefusingUrl(), 3, 30},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        CUrlRequest request = QuickRequest(c.url, 60000);
        request.tries = c.tries;
        request.retryWaitSeconds = c.retryWaitSeconds;
        std::atomic<bool> abort{false};
        source.SetAbortCheck([&abort] { return abort.load(); });
        Stopwatch watch;
        {
            LateFlag late(abort, 300ms);
            EXPECT_FALSE(source.Request(request, 0));
        }
        // Without the check each case would wait 60 s (time-outs) or 30 s per pause.
        EXPECT_LT(watch.Elapsed(), 10s);
        source.SetAbortCheck({});
    }
}

TEST_F(CUrlSourceLimitsTest, RaisedAbortCheckSendsNothing)
{
    lofter.ServeFixed("GET", "/any", Bytes(10));
    source.SetAbortCheck([] { return true; });
    EXPECT_FALSE(source.Request(QuickRequest(lofter.Url("/any")), 0));
    EXPECT_EQ(lofter.RequestCount(), 0u);
    source.SetAbortCheck({});
    EXPECT_TRUE(source.Request(QuickRequest(lofter.Url("/any")), 0));
}
