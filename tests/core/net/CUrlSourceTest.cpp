// Behaviour of one exchange against the fake service: what goes out, what the engine keeps,
// how text is decoded, and when a target file appears.
#include "net/CUrlSource.h"
#include "NetTestSupport.h"
#include "text/TextToolkit.h"

#include "FakeLofter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using nettest::QuickRequest;
using nettest::Stopwatch;
using testsupport::FakeLofter;
using testsupport::Reply;
using testsupport::ReplyOptions;

namespace {

Reply TextReply(const QByteArray &body, int status = 200)
{
    Reply reply;
    reply.status = status;
    reply.body = body;
    return reply;
}

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CUrlSourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { nettest::ClearProxyEnvironment(); }

    FakeLofter lofter;
    CUrlSource source;
    QTemporaryDir folder;
};

TEST_F(CUrlSourceTest, PageArrivesWithItsHeaderBlock)
{
    lofter.ServeFixed("GET", "/page", TextReply("<p>hello</p>"));
    CUrlRequest request = QuickRequest(lofter.Url("/page"));
    ASSERT_TRUE(source.Request(request, 0));
    EXPECT_EQ(source.GetText(0), "<p>hello</p>");
    EXPECT_EQ(source.BodySize(), 12);
    EXPECT_EQ(source.body, "<p>hello</p>");
    EXPECT_FALSE(source.compressed);
    EXPECT_TRUE(source.headerText.startsWith("HTTP/1.1 200 OK\r\n"))
        << source.headerText.toStdString();
    EXPECT_TRUE(source.headerText.endsWith("\r\n"));
    EXPECT_FALSE(source.headerText.endsWith("\r\n\r\n"));
    EXPECT_TRUE(source.headerText.contains("Content-Length: 12\r\n"));
}

TEST_F(CUrlSourceTest, AgentTextAndCallerHeadersGoOutAsGiven)
{
    lofter.ServeFixed("GET", "/page", TextReply("ok"));
    CUrlRequest request = QuickRequest(lofter.Url("/page"));
    request.headers = "Accept-Encoding: gzip, deflate\r\nReferer: .\r\nX-Mixed: a  b";
    ASSERT_TRUE(source.Request(request, 0));
    const auto log = lofter.RequestsFor("/page");
    ASSERT_EQ(log.size(), 1u);
    // The field name appears twice: once as the header's name, once inside the agent text.
    EXPECT_EQ(log[0].Header("User-Agent"),
              "User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
              "Chrome/38.0.2125.104 Safari/537.36");
    EXPECT_EQ(log[0].Header("Accept-Encoding"), "gzip, deflate");
    EXPECT_EQ(log[0].Header("Referer"), ".");
    EXPECT_EQ(log[0].Header("X-Mixed"), "a  b");
    EXPECT_EQ(log[0].method, "GET");
    // The body is kept as sent: nothing asks the server to compress it on the engine's behalf.
    lofter.ClearRequests();
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/page")), 0));
    EXPECT_FALSE(lofter.RequestsFor("/page").at(0).HasHeader("Accept-Encoding"));
}

TEST_F(CUrlSourceTest, CacheFlagsDecideWhetherCachesMayAnswer)
{
    lofter.ServeFixed("GET", "/page", TextReply("ok"));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/page")), 0));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/page")),
                               REQ_ALLOW_CACHE_WRITE | REQ_ALLOW_CACHE_READ));
    const auto log = lofter.RequestsFor("/page");
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].Header("Cache-Control"), "no-cache");
    EXPECT_EQ(log[0].Header("Pragma"), "no-cache");
    EXPECT_FALSE(log[1].HasHeader("Cache-Control"));
    EXPECT_FALSE(log[1].HasHeader("Pragma"));
}

TEST_F(CUrlSourceTest, PostBodyArrivesWholeWithoutContinueHandshake)
{
    lofter.ServeFixed("POST", "/call", TextReply("done"));
    for (const int size : {1, 1024, 1025, 5000}) {
        lofter.ClearRequests();
        QByteArray data(size, '\0');
        for (int i = 0; i < size; ++i)
            data[i] = char('a' + i % 26);
        CUrlRequest request = QuickRequest(lofter.Url("/call"));
        request.verb = "POST";
        request.headers = "Content-Type: text/plain";
        request.SetPostData(data);
        ASSERT_TRUE(source.Request(request, 0)) << size;
        const auto log = lofter.RequestsFor("/call");
        ASSERT_EQ(log.size(), 1u);
        EXPECT_EQ(log[0].method, "POST");
        EXPECT_EQ(log[0].body, data) << size;
        EXPECT_EQ(log[0].Header("Content-Length"), QByteArray::number(size));
        EXPECT_EQ(log[0].Header("Content-Type"), "text/plain");
        EXPECT_FALSE(log[0].HasHeader("Expect"));
        EXPECT_EQ(source.GetText(0), "done");
    }
}

TEST_F(CUrlSourceTest, PostWithoutContentTypeGetsNoneAdded)
{
    lofter.ServeFixed("POST", "/call", TextReply("done"));
    CUrlRequest request = QuickRequest(lofter.Url("/call"));
    request.verb = "POST";
    request.SetPostData("k=v");
    ASSERT_TRUE(source.Request(request, 0));
    const auto log = lofter.RequestsFor("/call");
    ASSERT_EQ(log.size(), 1u);
    EXPECT_FALSE(log[0].HasHeader("Content-Type"));
    EXPECT_EQ(log[0].body, "k=v");
}

TEST_F(CUrlSourceTest, NotFoundPageThatArrivesWholeIsASuccess)
{
    lofter.ServeFixed("GET", "/gone", TextReply("<h1>not here</h1>", 404));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/gone")), 0));
    EXPECT_EQ(source.GetText(0), "<h1>not here</h1>");
    EXPECT_TRUE(source.headerText.startsWith("HTTP/1.1 404"));
}

TEST_F(CUrlSourceTest, ErrorStatusForATargetFileFailsAndWritesNothing)
{
    for (const int status : {403, 404, 500, 503}) {
        const QString path = QString("/err%1.jpg").arg(status);
        lofter.ServeFixed("GET", path, TextReply("<html>error page</html>", status));
        const QString target = folder.filePath(QString("pic%1.jpg").arg(status));
        CUrlRequest request = QuickRequest(lofter.Url(path));
        request.targetFile = target;
        request.tries = 2;
        EXPECT_FALSE(source.Request(request, 3)) << status;
        EXPECT_FALSE(QFile::exists(target)) << status;
        // Nothing of the error page is kept, so a caller's fallback address applies.
        EXPECT_EQ(source.BodySize(), 0) << status;
        EXPECT_EQ(lofter.RequestsFor(path).size(), 2u) << status;
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 0);
}

TEST_F(CUrlSourceTest, TargetFileReceivesThePictureWhole)
{
    const testsupport::PictureSpec spec{
        .kind = testsupport::PictureKind::Jpeg, .seed = 3, .byteSize = 300000};
    const QString target = folder.filePath("a.jpg");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older, longer file that must be replaced entirely......");
    old.close();

    CUrlRequest request = QuickRequest(lofter.PictureUrl(spec));
    request.targetFile = target;
    ASSERT_TRUE(source.Request(request, 3));
    EXPECT_EQ(ReadFile(target), testsupport::PictureBytes(spec));
    EXPECT_EQ(source.BodySize(), 300000);
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"a.jpg"});
}

TEST_F(CUrlSourceTest, EmptyBodyGivesAnEmptyFile)
{
    lofter.ServeFixed("GET", "/empty", TextReply(""));
    const QString target = folder.filePath("empty.bin");
    CUrlRequest request = QuickRequest(lofter.Url("/empty"));
    request.targetFile = target;
    ASSERT_TRUE(source.Request(request, 3));
    ASSERT_TRUE(QFile::exists(target));
    EXPECT_EQ(QFileInfo(target).size(), 0);
}

TEST_F(CUrlSourceTest, FailedAttemptLeavesTheOldFileAndNoTemporary)
{
    const testsupport::PictureSpec spec{.seed = 4, .byteSize = 50000};
    const QString target = folder.filePath("keep.jpg");
    QFile old(target);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("old");
    old.close();

    ReplyOptions cut;
    cut.closeAfterBytes = 20000;
    lofter.SetOptions(testsupport::PicturePath(spec), cut);
    CUrlRequest request = QuickRequest(lofter.PictureUrl(spec));
    request.targetFile = target;
    EXPECT_FALSE(source.Request(request, 3));
    EXPECT_EQ(source.BodySize(), 20000);
    EXPECT_EQ(ReadFile(target), "old");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"keep.jpg"});
}

TEST_F(CUrlSourceTest, MissingTargetFolderCreatesNothingAndStaysTrue)
{
    const QString target = folder.filePath("no/such/folder/p.jpg");
    CUrlRequest request = QuickRequest(lofter.PictureUrl({.seed = 5}));
    request.targetFile = target;
    EXPECT_TRUE(source.Request(request, 3));
    EXPECT_GT(source.BodySize(), 0);
    EXPECT_FALSE(QFileInfo::exists(folder.filePath("no")));
}

TEST_F(CUrlSourceTest, UnsplittableAddressSendsNothing)
{
    const QString port = QString::number(lofter.Port());
    const QStringList addresses = {
        "",
        "not an address",
        "http://",
        "127.0.0.1:" + port + "/page",
        "ftp://127.0.0.1:" + port + "/page",
        "file:///etc/hostname",
        "http://127.0.0.1:99999/page",
        "http://[::1/page",
    };
    for (const QString &address : addresses) {
        CUrlRequest request = QuickRequest(address);
        request.tries = 3;
        EXPECT_FALSE(source.Request(request, 0)) << address.toStdString();
    }
    EXPECT_EQ(lofter.RequestCount(), 0u);
}

TEST_F(CUrlSourceTest, UnsafeCharactersBeforeTheQueryAreEscapedAndTheQueryIsLeftAlone)
{
    const CUrlRequest request =
        QuickRequest(lofter.Url(QString("/some dir/pi\u00e8ce {1}.html?a=%41&b=x+y|z")));
    source.Request(request, 0);
    const auto log = lofter.Requests();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].target, "/some%20dir/pi%C3%A8ce%20%7B1%7D.html?a=%41&b=x+y|z");
}

TEST_F(CUrlSourceTest, TriesZeroSendsNothing)
{
    CUrlRequest request = QuickRequest(lofter.Url("/page"));
    request.tries = 0;
    request.retryWaitSeconds = 5;
    Stopwatch watch;
    EXPECT_FALSE(source.Request(request, 0));
    EXPECT_LT(watch.Elapsed(), std::chrono::seconds(4));
    EXPECT_EQ(lofter.RequestCount(), 0u);
}

TEST_F(CUrlSourceTest, TriesRepeatWholeAttemptsUntilOneSucceeds)
{
    // A reply cut off right after its head fails every attempt.
    Reply page = TextReply(QByteArray(500, 'p'));
    lofter.ServeFixed("GET", "/cut", page);
    ReplyOptions cut;
    cut.closeAfterBytes = 0;
    lofter.SetOptions("/cut", cut);
    CUrlRequest request = QuickRequest(lofter.Url("/cut"));
    request.tries = 3;
    EXPECT_FALSE(source.Request(request, 0));
    EXPECT_EQ(lofter.RequestsFor("/cut").size(), 3u);

    // For a picture, an error status fails the attempt, so the next try gets the picture.
    std::atomic<int> calls{0};
    lofter.Serve("GET", "/flaky", [&calls](const testsupport::RecordedRequest &) {
        return ++calls == 1 ? TextReply("busy", 503) : TextReply("fine");
    });
    CUrlRequest flaky = QuickRequest(lofter.Url("/flaky"));
    flaky.tries = 3;
    flaky.targetFile = folder.filePath("flaky.txt");
    EXPECT_TRUE(source.Request(flaky, 3));
    EXPECT_EQ(calls.load(), 2);
    EXPECT_EQ(ReadFile(flaky.targetFile), "fine");
}

TEST_F(CUrlSourceTest, FailedAttemptIsFollowedByTheRetryPause)
{
    ReplyOptions cut;
    cut.closeAfterBytes = 0;
    lofter.SetOptions("/cut", cut);
    lofter.ServeFixed("GET", "/cut", TextReply(QByteArray(500, 'p')));
    CUrlRequest request(QString(), QString(), 3000); // defaults: one try, 1 s pause
    request.url = lofter.Url("/cut");
    Stopwatch watch;
    EXPECT_FALSE(source.Request(request, 0));
    EXPECT_GE(watch.Elapsed(), std::chrono::milliseconds(950));
    EXPECT_LT(watch.Elapsed(), std::chrono::seconds(10));
    EXPECT_EQ(lofter.RequestsFor("/cut").size(), 1u);
}

TEST_F(CUrlSourceTest, GzipReplyIsInflatedOnlyWhenAsked)
{
    const QByteArray page = "<html>" + QByteArray(3000, 'z') + " &amp; done</html>";
    lofter.ServeFixed("GET", "/z", TextReply(page));
    ReplyOptions gzip;
    gzip.gzip = true;
    lofter.SetOptions("/z", gzip);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/z")), 0));
    EXPECT_TRUE(source.compressed);
    EXPECT_TRUE(source.body.startsWith("\x1f\x8b"));
    EXPECT_LT(source.BodySize(), page.size());
    EXPECT_EQ(source.GetText(TEXT_INFLATE), "<html>" + QString(3000, 'z') + " & done</html>");
    EXPECT_EQ(source.GetText(TEXT_INFLATE | TEXT_UTF8),
              "<html>" + QString(3000, 'z') + " & done</html>");
    // Without inflation the compressed bytes are decoded as they are.
    const QString raw = source.GetText(0);
    EXPECT_TRUE(raw.startsWith(QChar(0x1f))) << raw.left(4).toStdString();
    EXPECT_FALSE(raw.contains("zzzz"));
}

TEST_F(CUrlSourceTest, AnyHeaderLineNamingGzipMarksTheReplyCompressed)
{
    Reply reply = TextReply("plain text");
    reply.headers = {{"X-Note", "we like gzip"}};
    lofter.ServeFixed("GET", "/note", reply);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/note")), 0));
    EXPECT_TRUE(source.compressed);
    EXPECT_EQ(source.GetText(0), "plain text");
    // Inflating what is not a compressed stream gives what inflated before the error: nothing.
    EXPECT_EQ(source.GetText(TEXT_INFLATE), "");

    lofter.ServeFixed("GET", "/plain", TextReply("plain text"));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/plain")), 0));
    EXPECT_FALSE(source.compressed);
    EXPECT_EQ(source.GetText(TEXT_INFLATE), "plain text");
}

TEST_F(CUrlSourceTest, TruncatedGzipGivesTheTextUpToTheBreak)
{
    QByteArray page;
    for (int i = 0; page.size() < 200000; ++i)
        page += QByteArray::number(i * 7919 % 100003) + ' ';
    const QByteArray packed = testsupport::GzipBytes(page);
    Reply reply = TextReply(packed.left(packed.size() / 2));
    reply.headers = {{"Content-Encoding", "gzip"}};
    lofter.ServeFixed("GET", "/cut", reply);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/cut")), 0));
    const QString text = source.GetText(TEXT_INFLATE);
    EXPECT_GT(text.size(), 1000);
    EXPECT_LT(text.size(), page.size());
    EXPECT_TRUE(QString::fromLatin1(page).startsWith(text));
}

TEST_F(CUrlSourceTest, CharsetDecidesTheDecoding)
{
    const QString chinese = QString::fromUtf8("归档 - 中文€");
    lofter.ServeFixed("GET", "/t", TextReply(chinese.toUtf8()));

    struct Case {
        testsupport::Charset charset;
        unsigned flags;
        bool readable;
    };
    const Case cases[] = {
        {testsupport::Charset::Gbk, TEXT_UTF8, true}, // GBK named: UTF-8 flag is overruled
        {testsupport::Charset::Gbk, 0, true},
        {testsupport::Charset::Utf8, TEXT_UTF8, true},
        {testsupport::Charset::None, TEXT_UTF8, true},
        {testsupport::Charset::Utf8, 0, false}, // UTF-8 bytes read as GBK
    };
    for (const Case &c : cases) {
        ReplyOptions options;
        options.charset = c.charset;
        lofter.SetOptions("/t", options);
        ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/t")), 0));
        EXPECT_EQ(source.GetText(c.flags) == chinese, c.readable)
            << int(c.charset) << " " << c.flags << " " << source.GetText(c.flags).toStdString();
    }
}

TEST_F(CUrlSourceTest, TextEndsAtTheFirstNulAndEntitiesAreDecoded)
{
    lofter.ServeFixed("GET", "/nul", TextReply(QByteArray("a &lt;b&gt;\0hidden", 18)));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/nul")), 0));
    EXPECT_EQ(source.BodySize(), 18);
    EXPECT_EQ(source.GetText(TEXT_UTF8), "a <b>");
    EXPECT_EQ(source.GetText(0), "a <b>");
}

TEST_F(CUrlSourceTest, InvalidBytesAreReplacedNotFatal)
{
    lofter.ServeFixed("GET", "/bad8", TextReply("ok\xff\xfe\x80\xc3 end"));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/bad8")), 0));
    const QString utf8 = source.GetText(TEXT_UTF8);
    EXPECT_TRUE(utf8.startsWith("ok"));
    EXPECT_TRUE(utf8.endsWith(" end"));
    EXPECT_TRUE(utf8.contains(QChar(0xFFFD)));

    Reply gbk = TextReply("x\x81");
    gbk.contentType = "text/html; charset=GBK";
    gbk.body = QByteArray("lead\x81\x20\xff tail");
    ReplyOptions none;
    none.charset = testsupport::Charset::None;
    lofter.SetOptions("/badgbk", none);
    lofter.ServeFixed("GET", "/badgbk", gbk);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/badgbk")), 0));
    ASSERT_TRUE(source.headerText.contains("charset=GBK"));
    const QString text = source.GetText(TEXT_UTF8);
    EXPECT_TRUE(text.startsWith("lead"));
    EXPECT_TRUE(text.endsWith("tail"));
    EXPECT_TRUE(text.contains(QChar(0xFFFD)));
}

TEST_F(CUrlSourceTest, RedirectsAreFollowedAndTheFinalReplyCounts)
{
    // The redirect's own body (8 KiB) is beyond the limit; only the final reply's body counts.
    Reply hop;
    hop.status = 302;
    hop.body = QByteArray(8192, 'r');
    hop.headers = {{"Location", lofter.Url("/final").toUtf8()}, {"X-Hop", "1"}};
    lofter.ServeFixed("GET", "/hop", hop);
    lofter.ServeFixed("GET", "/final", TextReply(QByteArray(3000, 'f')));

    CUrlRequest request = QuickRequest(lofter.Url("/hop"));
    request.minSizeK = 2;
    request.maxSizeK = 4;
    ASSERT_TRUE(source.Request(request, 0));
    EXPECT_EQ(source.body, QByteArray(3000, 'f'));
    EXPECT_TRUE(source.headerText.startsWith("HTTP/1.1 200"));
    EXPECT_FALSE(source.headerText.contains("X-Hop"));

    // A redirect to a small final reply fails the floor, however big the redirect body.
    lofter.ServeFixed("GET", "/final", TextReply("tiny"));
    EXPECT_FALSE(source.Request(request, 0));
}

TEST_F(CUrlSourceTest, HeaderTextSurvivesAnAttemptWithoutReply)
{
    lofter.ServeFixed("GET", "/page", TextReply("ok"));
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/page")), 0));
    const QString before = source.headerText;
    EXPECT_FALSE(source.Request(QuickRequest(testsupport::RefusingUrl()), 0));
    EXPECT_EQ(source.headerText, before);
    EXPECT_EQ(source.BodySize(), 0);
}

TEST_F(CUrlSourceTest, OneObjectServesManyAddressesInARow)
{
    for (int i = 0; i < 20; ++i) {
        const QString path = QString("/seq%1").arg(i);
        lofter.ServeFixed("GET", path, TextReply(QByteArray::number(i * i)));
        ASSERT_TRUE(source.Request(QuickRequest(lofter.Url(path)), 0));
        EXPECT_EQ(source.GetText(0), QString::number(i * i));
    }
}

} // namespace
