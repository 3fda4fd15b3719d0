// The two requests of a list run as the service receives them: the archive page GET and the
// archive call POST with its three header lines, its eleven-line body byte for byte and the
// time cursor; and the addresses the run derives from what the user typed.

#include "ListHarness.h"
#include "listing/ListTexts.h"

#include <QDateTime>
#include <QRegularExpression>

using listtest::ListHarness;
using testsupport::FakeLofter;
using testsupport::RecordedRequest;

namespace {

QByteArray ExpectedBody(const QByteArray &blogId, const QByteArray &cursor)
{
    return "callCount=1\r\n"
           "scriptSessionId=${scriptSessionId}187\r\n"
           "httpSessionId=\r\n"
           "c0-scriptName=ArchiveBean\r\n"
           "c0-methodName=getArchivePostByTime\r\n"
           "c0-id=0\r\n"
           "c0-param0=number:" +
           blogId + "\r\nc0-param1=number:" + cursor +
           "\r\nc0-param2=number:50\r\n"
           "c0-param3=boolean:false\r\n"
           "batchId=1";
}

// The cursor line of an archive call body.
QByteArray CursorOf(const RecordedRequest &request)
{
    const QRegularExpression line(QStringLiteral("\r\nc0-param1=number:([^\r\n]*)\r\n"));
    return line.match(QString::fromLatin1(request.body)).captured(1).toLatin1();
}

} // namespace

TEST(ArchiveRequest, PageAndCallArriveByteForByte)
{
    FakeLofter lofter;
    lofter.AddBlog(
        listtest::PlainBlog(QStringLiteral("/blogs/alice/"), QStringLiteral("Alice"), 3, 4242));
    ListHarness h;
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/blogs/alice/"))), ListEnd::Completed);
    const qint64 after = QDateTime::currentSecsSinceEpoch();

    const std::vector<RecordedRequest> requests = lofter.Requests();
    ASSERT_EQ(requests.size(), 2u);

    const RecordedRequest &page = requests[0];
    EXPECT_EQ(page.method, "GET");
    EXPECT_EQ(page.target, "/blogs/alice/view");
    EXPECT_EQ(page.Headers("Accept-Encoding"), QList<QByteArray>{"gzip, deflate"});
    EXPECT_FALSE(page.HasHeader("Referer"));
    EXPECT_TRUE(page.body.isEmpty());

    const RecordedRequest &call = requests[1];
    EXPECT_EQ(call.method, "POST");
    EXPECT_EQ(call.target, "/blogs/alice/dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr");
    EXPECT_EQ(call.Headers("Accept-Encoding"), QList<QByteArray>{"gzip, deflate"});
    EXPECT_EQ(call.Headers("Referer"), QList<QByteArray>{"http://www.lofter.com/"});
    EXPECT_EQ(call.Headers("Content-Type"), QList<QByteArray>{"text/plain"});

    const QByteArray cursor = CursorOf(call);
    EXPECT_EQ(call.body, ExpectedBody("4242", cursor));
    EXPECT_EQ(call.body.count("\r\n"), 10);
    EXPECT_FALSE(call.body.endsWith("\r\n"));
    ASSERT_TRUE(cursor.endsWith("000")) << cursor.constData();
    bool ok = false;
    const qint64 seconds = cursor.chopped(3).toLongLong(&ok);
    ASSERT_TRUE(ok) << cursor.constData();
    EXPECT_GE(seconds, before);
    EXPECT_LE(seconds, after);
    EXPECT_EQ(h.state->BlogId(), QStringLiteral("4242"));
}

// Gzip-compressed replies are inflated: the page and the answer read the same.
TEST(ArchiveRequest, CompressedRepliesAreRead)
{
    FakeLofter lofter;
    testsupport::ReplyOptions gzip;
    gzip.gzip = true;
    lofter.SetDefaultOptions(gzip);
    lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/z/"), QStringLiteral("Zed"), 4));
    ListHarness h;
    ASSERT_EQ(h.Run(lofter.Url(QStringLiteral("/z/"))), ListEnd::Completed);
    EXPECT_EQ(h.Names(), (QStringList{QStringLiteral("Post 0"), QStringLiteral("Post 1"),
                                      QStringLiteral("Post 2"), QStringLiteral("Post 3")}));
    EXPECT_EQ(h.state->BlogFolder(), QStringLiteral("Zed/"));
}

// What the user types becomes the blog address: trimmed, cut before the first "post/", with
// a final "/". Every request and every post address stands on it.
TEST(ArchiveRequest, TypedAddressesBecomeTheBlogAddress)
{
    FakeLofter lofter;
    lofter.AddBlog(
        listtest::PlainBlog(QStringLiteral("/blogs/alice/"), QStringLiteral("Alice"), 2));
    const QString blog = lofter.Url(QStringLiteral("/blogs/alice/"));
    const QString permalink0 = lofter.Blog(QStringLiteral("/blogs/alice/"))->posts[0].permalink;
    const QStringList typed{
        blog,
        QStringLiteral("  \t") + blog + QStringLiteral(" \r\n"),
        lofter.Url(QStringLiteral("/blogs/alice")),
        blog + QStringLiteral("post/") + permalink0,
        blog + QStringLiteral("post/"),
        blog + QStringLiteral("post/x/post/y"),
    };
    for (const QString &address : typed) {
        SCOPED_TRACE(address.toStdString());
        lofter.ClearRequests();
        ListHarness h;
        ASSERT_EQ(h.Run(address), ListEnd::Completed);
        const std::vector<RecordedRequest> requests = lofter.Requests();
        ASSERT_EQ(requests.size(), 2u);
        EXPECT_EQ(requests[0].target, "/blogs/alice/view");
        EXPECT_EQ(requests[1].path,
                  "/blogs/alice/dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr");
        ASSERT_EQ(h.state->albumList.Count(), 2);
        EXPECT_EQ(h.state->albumList.At(0).postUrl, blog + QStringLiteral("post/") + permalink0);
        EXPECT_TRUE(h.window.Messages().isEmpty());
    }
}

// "https://" is a web address like "http://" (here the plain-HTTP service cannot speak TLS,
// so the page cannot be fetched, silently); either may stand anywhere in the text.
TEST(ArchiveRequest, HttpsAddressesAreAccepted)
{
    FakeLofter lofter;
    lofter.AddBlog(listtest::PlainBlog(QStringLiteral("/a/"), QStringLiteral("A"), 1));
    ListHarness h;
    const QString https = QStringLiteral("https://127.0.0.1:%1/a/").arg(lofter.Port());
    EXPECT_EQ(h.Run(https), ListEnd::ArchivePageNotFetched);
    EXPECT_TRUE(h.window.Messages().isEmpty());

    ListHarness h2;
    EXPECT_EQ(h2.Run(QStringLiteral("see ") + lofter.Url(QStringLiteral("/a/"))),
              ListEnd::ArchivePageNotFetched);
    EXPECT_TRUE(h2.window.Messages().isEmpty());
}
