// The shared cookie store: cookies that replies set are sent by later requests on any thread,
// cookies can be handed over from outside, and persistent ones survive in the cookie file.
#include "net/CookieStore.h"
#include "NetTestSupport.h"
#include "net/CUrlSource.h"

#include "FakeLofter.h"

#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <latch>
#include <thread>
#include <vector>

using nettest::QuickRequest;
using testsupport::FakeLofter;
using testsupport::RecordedRequest;
using testsupport::Reply;
using testsupport::ReplyOptions;

namespace {

Reply TextReply(const QByteArray &body)
{
    Reply reply;
    reply.body = body;
    return reply;
}

std::int64_t InAnHour()
{
    return QDateTime::currentSecsSinceEpoch() + 3600;
}

class CookieStoreTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { nettest::ClearProxyEnvironment(); }

    void SetUp() override
    {
        // "/login" sets a session cookie; "/private" needs it; "/echo" returns the Cookie line.
        Reply login = TextReply("welcome");
        login.headers = {{"Set-Cookie", "sid=abc123; Path=/"}};
        lofter.ServeFixed("GET", "/login", login);
        lofter.ServeFixed("GET", "/private", TextReply("secret page"));
        ReplyOptions guarded;
        guarded.requiredCookie = "sid=abc123";
        lofter.SetOptions("/private", guarded);
        lofter.Serve("GET", "/echo", [](const RecordedRequest &request) {
            return TextReply("[" + request.Header("Cookie") + "]");
        });
    }

    // The Cookie line that a request made through `store` sends.
    QString SentCookies(CookieStore *store)
    {
        CUrlSource source(store);
        return source.Request(QuickRequest(lofter.Url("/echo")), 0) ? source.GetText(0)
                                                                    : QString("failed");
    }

    FakeLofter lofter;
    QTemporaryDir folder;
};

TEST_F(CookieStoreTest, CookieSetByOneRequestIsSentByAnotherThread)
{
    CookieStore store;
    std::thread login([&] {
        CUrlSource source(&store);
        EXPECT_TRUE(source.Request(QuickRequest(lofter.Url("/login")), 0));
    });
    login.join();
    std::thread reader([&] {
        CUrlSource source(&store);
        CUrlRequest request = QuickRequest(lofter.Url("/private"));
        request.targetFile = folder.filePath("private.html");
        EXPECT_TRUE(source.Request(request, 0));
    });
    reader.join();
    QFile page(folder.filePath("private.html"));
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    EXPECT_EQ(page.readAll(), "secret page");
}

TEST_F(CookieStoreTest, WithoutAStoreCookiesDoNotOutliveTheRequest)
{
    CUrlSource source;
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/login")), 0));
    CUrlRequest request = QuickRequest(lofter.Url("/private"));
    ASSERT_TRUE(source.Request(request, 0)); // the refusal page arrives whole
    EXPECT_TRUE(source.headerText.startsWith("HTTP/1.1 403"));
    EXPECT_NE(source.GetText(0), "secret page");
    request.targetFile = folder.filePath("p.html");
    EXPECT_FALSE(source.Request(request, 0));

    // Two stores are two jars.
    CookieStore first;
    CookieStore second;
    CUrlSource viaFirst(&first);
    ASSERT_TRUE(viaFirst.Request(QuickRequest(lofter.Url("/login")), 0));
    EXPECT_EQ(SentCookies(&first), "[sid=abc123]");
    EXPECT_EQ(SentCookies(&second), "[]");
}

TEST_F(CookieStoreTest, CookieSetDuringARedirectIsSentToTheTarget)
{
    Reply hop;
    hop.status = 302;
    hop.headers = {{"Set-Cookie", "sid=abc123; Path=/"},
                   {"Location", lofter.Url("/private").toUtf8()}};
    lofter.ServeFixed("GET", "/hop", hop);
    CUrlSource source; // even without a store
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/hop")), 0));
    EXPECT_EQ(source.GetText(0), "secret page");
}

TEST_F(CookieStoreTest, ImportedCookiesAreSent)
{
    CookieStore store;
    CookieRecord cookie;
    cookie.name = "sid";
    cookie.value = "abc123";
    cookie.domain = "127.0.0.1";
    ASSERT_TRUE(store.ImportCookie(cookie));
    CUrlSource source(&store);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/private")), 0));
    EXPECT_EQ(source.GetText(0), "secret page");

    const QList<CookieRecord> held = store.Cookies();
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held[0].name, "sid");
    EXPECT_EQ(held[0].value, "abc123");
    EXPECT_EQ(held[0].domain, "127.0.0.1");
    EXPECT_EQ(held[0].path, "/");
    EXPECT_EQ(held[0].expiry, 0);
}

TEST_F(CookieStoreTest, CookieRecordsKeepTheirAttributes)
{
    CookieStore store;
    const CookieRecord given{"token", "x=y", ".example.org", "/app", InAnHour(), true, true};
    ASSERT_TRUE(store.ImportCookie(given));
    const QList<CookieRecord> held = store.Cookies();
    ASSERT_EQ(held.size(), 1);
    EXPECT_EQ(held[0].name, given.name);
    EXPECT_EQ(held[0].value, given.value);
    EXPECT_EQ(held[0].domain, given.domain);
    EXPECT_EQ(held[0].path, given.path);
    EXPECT_EQ(held[0].expiry, given.expiry);
    EXPECT_TRUE(held[0].secure);
    EXPECT_TRUE(held[0].httpOnly);

    // Only for that domain and path, and only over https: none of it goes to the loopback.
    EXPECT_EQ(SentCookies(&store), "[]");
}

TEST_F(CookieStoreTest, RecordsThatCannotBeExpressedAreRefused)
{
    CookieStore store;
    const CookieRecord bad[] = {
        {"", "v", "127.0.0.1", "/", 0, false, false},
        {"n", "v", "", "/", 0, false, false},
        {"n", "v\tw", "127.0.0.1", "/", 0, false, false},
        {"n\n", "v", "127.0.0.1", "/", 0, false, false},
        {"n", "v", "127.0.0.1\r\nevil", "/", 0, false, false},
    };
    for (const CookieRecord &cookie : bad)
        EXPECT_FALSE(store.ImportCookie(cookie)) << cookie.name.constData();
    EXPECT_TRUE(store.Cookies().isEmpty());
    EXPECT_EQ(SentCookies(&store), "[]");
}

TEST_F(CookieStoreTest, NetscapeLinesAreImported)
{
    CookieStore store;
    const QByteArray lines = "# Netscape HTTP Cookie File\n"
                             "\n"
                             "127.0.0.1\tFALSE\t/\tFALSE\t0\tsid\tabc123\r\n"
                             "#HttpOnly_127.0.0.1\tFALSE\t/\tFALSE\t0\tlang\tzh\n"
                             "malformed line without tabs\n"
                             "127.0.0.1\tFALSE\t/\tFALSE\tnotanumber\tx\ty\n"
                             "127.0.0.1\tFALSE\t/\tFALSE\t1000\told\tgone\n";
    EXPECT_EQ(store.ImportNetscapeLines(lines), 3);
    const QString sent = SentCookies(&store);
    EXPECT_TRUE(sent.contains("sid=abc123")) << sent.toStdString();
    EXPECT_TRUE(sent.contains("lang=zh")) << sent.toStdString();
    EXPECT_FALSE(sent.contains("old=")) << sent.toStdString(); // expired in 1970
    EXPECT_EQ(store.Cookies().size(), 2);
}

TEST_F(CookieStoreTest, OnlyPersistentCookiesAreSavedAndLoaded)
{
    const QString file = folder.filePath("cookies.txt");
    {
        CookieStore store;
        ASSERT_TRUE(store.ImportCookie({"keep", "1", "127.0.0.1", "/", InAnHour(), false, true}));
        ASSERT_TRUE(store.ImportCookie({"session", "2", "127.0.0.1", "/", 0, false, false}));
        ASSERT_TRUE(store.Save(file));
    }
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    const QByteArray text = saved.readAll();
    EXPECT_TRUE(text.contains("\tkeep\t1")) << text.constData();
    EXPECT_FALSE(text.contains("session")) << text.constData();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"cookies.txt"});

    CookieStore reloaded(file);
    EXPECT_EQ(SentCookies(&reloaded), "[keep=1]");
}

TEST_F(CookieStoreTest, LoginThatStaysSignedInSurvivesARestart)
{
    const QString file = folder.filePath("cookies.txt");
    Reply login = TextReply("welcome");
    login.headers = {{"Set-Cookie", "sid=abc123; Path=/; Max-Age=86400"},
                     {"Set-Cookie", "tmp=1; Path=/"}};
    lofter.ServeFixed("GET", "/remember", login);
    {
        CookieStore store(file); // no file yet: starts empty
        EXPECT_TRUE(store.Cookies().isEmpty());
        CUrlSource source(&store);
        ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/remember")), 0));
    } // the owner's end writes the file
    CookieStore restarted(file);
    CUrlSource source(&restarted);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/private")), 0));
    EXPECT_EQ(source.GetText(0), "secret page");
    EXPECT_EQ(SentCookies(&restarted), "[sid=abc123]");
}

TEST_F(CookieStoreTest, SaveWithoutAFileOrIntoAMissingFolderFails)
{
    CookieStore store;
    EXPECT_FALSE(store.Save());
    EXPECT_FALSE(store.Save(folder.filePath("missing/cookies.txt")));
    EXPECT_FALSE(store.Load(folder.filePath("absent.txt")));
}

TEST_F(CookieStoreTest, ClearDropsEverything)
{
    CookieStore store;
    CUrlSource source(&store);
    ASSERT_TRUE(source.Request(QuickRequest(lofter.Url("/login")), 0));
    EXPECT_EQ(store.Cookies().size(), 1);
    store.Clear();
    EXPECT_TRUE(store.Cookies().isEmpty());
    EXPECT_EQ(SentCookies(&store), "[]");
}

// Sixteen threads, each with its own record and engine object, share only the store: each sets
// a cookie of its own, then every thread sees all sixteen, while pictures, compressed pages and
// imports go on at the same time.
TEST_F(CookieStoreTest, SixteenThreadsShareOnlyTheStore)
{
    constexpr int kThreads = 16;
    lofter.Serve("GET", "/set", [](const RecordedRequest &request) {
        const QByteArray n = request.target.mid(request.target.indexOf('=') + 1);
        Reply reply = TextReply("set " + n);
        reply.headers = {{"Set-Cookie", "c" + n + "=v" + n + "; Path=/"}};
        return reply;
    });
    lofter.ServeFixed("GET", "/zipped", TextReply(QByteArray(20000, 'q')));
    ReplyOptions gzip;
    gzip.gzip = true;
    lofter.SetOptions("/zipped", gzip);

    CookieStore store;
    std::latch allSet(kThreads);
    std::vector<int> failures(kThreads, 0);
    std::vector<std::thread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            int &failed = failures[std::size_t(i)];
            CUrlSource source(&store);
            CUrlRequest request = QuickRequest(lofter.Url(QString("/set?n=%1").arg(i)), 10000);
            failed += !source.Request(request, 0);
            store.ImportCookie(
                {"imported" + QByteArray::number(i), "1", "127.0.0.1", "/", 0, false, false});
            allSet.arrive_and_wait();

            request.url = lofter.Url("/echo");
            failed += !source.Request(request, 0);
            const QString sent = source.GetText(0);
            for (int j = 0; j < kThreads; ++j) {
                failed += !sent.contains(QString("c%1=v%1").arg(j));
                failed += !sent.contains(QString("imported%1=1").arg(j));
            }
            const testsupport::PictureSpec spec{.seed = 100 + i, .byteSize = 150000};
            request.url = lofter.PictureUrl(spec);
            request.targetFile = folder.filePath(QString("pic%1.jpg").arg(i));
            failed += !source.Request(request, 3);
            QFile picture(request.targetFile);
            failed += !picture.open(QIODevice::ReadOnly) ||
                      picture.readAll() != testsupport::PictureBytes(spec);

            request.url = lofter.Url("/zipped");
            request.targetFile.clear();
            failed += !source.Request(request, 0);
            failed += source.GetText(TEXT_INFLATE) != QString(20000, 'q');
            failed += int(store.Cookies().size()) < 2 * kThreads;
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(failures[std::size_t(i)], 0) << "thread " << i;
}

} // namespace
