// The blog routes of the fake service: archive page, archive call, post pages, extra handlers
// and the request log, seen through a plain cpp-httplib client.

#include "FakeLofter.h"

#include <QRegularExpression>
#include <QStringDecoder>

#include <gtest/gtest.h>
#include <httplib.h>

#include <set>
#include <thread>

namespace testsupport {
namespace {

const std::string kArchiveCall = "dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr";

std::string ArchiveBody(const QByteArray &blogId, const QByteArray &cursor, const QByteArray &count)
{
    return ("callCount=1\r\nscriptSessionId=${scriptSessionId}187\r\nhttpSessionId=\r\n"
            "c0-scriptName=ArchiveBean\r\nc0-methodName=getArchivePostByTime\r\nc0-id=0\r\n"
            "c0-param0=number:" +
            blogId + "\r\nc0-param1=number:" + cursor + "\r\nc0-param2=number:" + count +
            "\r\nc0-param3=boolean:false\r\nbatchId=1")
        .toStdString();
}

httplib::Client MakeClient(const FakeLofter &lofter)
{
    httplib::Client client("127.0.0.1", lofter.Port());
    client.set_connection_timeout(std::chrono::seconds(10));
    client.set_read_timeout(std::chrono::seconds(20));
    client.set_decompress(false);
    return client;
}

// Replaces \uXXXX escapes, as a client of the archive call does.
QString Unescape(const QByteArray &text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 5 < text.size() && text[i + 1] == 'u') {
            out += QChar(static_cast<char16_t>(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 5;
        } else if (text[i] == '\\' && i + 1 < text.size()) {
            out += QChar::fromLatin1(text[++i]);
        } else {
            out += QChar::fromLatin1(text[i]);
        }
    }
    return out;
}

struct AnswerPost {
    qint64 blogId = 0;
    qint64 time = 0;
    QString title;
    QString permalink;
    QString notice;
};

// Reads the answer by its property groups; each group must hold the properties in the order
// blogId, time, title, permalink, noticeLinkTitle.
std::vector<AnswerPost> ParseAnswer(const QByteArray &answer)
{
    static const QRegularExpression group(QStringLiteral(
        "(s\\d+)\\.blogId=(\\d+);.*?\\1\\.time=(\\d+);.*?\\1\\.title=\"((?:[^\"\\\\]|"
        "\\\\.)*)\";\\1\\.permalink=\"([^\"]*)\";\\1\\.noticeLinkTitle=(null|\"((?:["
        "^\"\\\\]|\\\\.)*)\");"));
    std::vector<AnswerPost> posts;
    auto it = group.globalMatch(QString::fromLatin1(answer));
    while (it.hasNext()) {
        const auto m = it.next();
        AnswerPost post;
        post.blogId = m.captured(2).toLongLong();
        post.time = m.captured(3).toLongLong();
        post.title = Unescape(m.captured(4).toLatin1());
        post.permalink = m.captured(5);
        post.notice = Unescape(m.captured(7).toLatin1());
        posts.push_back(post);
    }
    return posts;
}

FakeBlog AliceBlog(int posts)
{
    FakeBlog blog;
    blog.address = QStringLiteral("/blogs/alice/");
    blog.title = QStringLiteral("Alice & Bob <相册>");
    blog.blogId = 4242;
    GenerateOptions options;
    options.count = posts;
    options.mixedTitles = true;
    blog.posts = FakeLofter::GeneratePosts(options);
    return blog;
}

TEST(FakeLofterBlog, ArchivePageCarriesEscapedTitleAndBlogId)
{
    FakeLofter lofter;
    lofter.AddBlog(AliceBlog(3));
    auto client = MakeClient(lofter);
    const auto result = client.Get("/blogs/alice/view");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 200);
    EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=UTF-8");
    const QString page = QString::fromStdString(result->body);
    const qsizetype title =
        page.indexOf(QStringLiteral("<title>归档 - Alice &amp; Bob &lt;相册&gt;</title>"));
    ASSERT_GE(title, 0) << result->body;
    const qsizetype id = page.indexOf(QStringLiteral("blogId="), title);
    ASSERT_GT(id, title);
    EXPECT_EQ(page.mid(id, 12), QStringLiteral("blogId=4242\""));
    EXPECT_EQ(QByteArray::fromStdString(result->body), FakeLofter::ArchivePageText(AliceBlog(3)));
}

TEST(FakeLofterBlog, OverridesReplaceArchivePageAndAnswer)
{
    FakeLofter lofter;
    FakeBlog blog = AliceBlog(3);
    blog.archivePageOverride = QByteArray("<title>not an archive</title>");
    blog.archiveAnswerOverride = QByteArray("s1.blogId=1;s1.time=5;");
    lofter.AddBlog(blog);
    auto client = MakeClient(lofter);
    const auto page = client.Get("/blogs/alice/view");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->body, "<title>not an archive</title>");
    const auto answer = client.Post(("/blogs/alice/" + kArchiveCall).c_str(),
                                    ArchiveBody("999", "0", "1"), "text/plain");
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->body, "s1.blogId=1;s1.time=5;");
}

TEST(FakeLofterBlog, ArchivePagesOverThousandPostsGiveEachPostOnceNewestFirst)
{
    FakeLofter lofter;
    FakeBlog blog = AliceBlog(1000);
    // Shuffle the stored order: the service must sort by time itself.
    std::reverse(blog.posts.begin(), blog.posts.begin() + 500);
    lofter.AddBlog(blog);
    auto client = MakeClient(lofter);
    std::set<QString> seen;
    qint64 cursor = 1700000000000;
    qint64 previous = cursor;
    int calls = 0;
    while (true) {
        const auto result =
            client.Post(("/blogs/alice/" + kArchiveCall).c_str(),
                        ArchiveBody("4242", QByteArray::number(cursor), "50"), "text/plain");
        ASSERT_TRUE(result);
        ++calls;
        const QByteArray answer = QByteArray::fromStdString(result->body);
        ASSERT_TRUE(answer.startsWith("//#DWR-INSERT\n//#DWR-REPLY\n"));
        ASSERT_TRUE(answer.contains("dwr.engine._remoteHandleCallback("));
        const auto posts = ParseAnswer(answer);
        ASSERT_EQ(posts.size(), static_cast<std::size_t>(answer.count(".blogId=")));
        ASSERT_LE(posts.size(), 50U);
        for (const AnswerPost &post : posts) {
            EXPECT_EQ(post.blogId, 4242);
            EXPECT_LT(post.time, previous);
            previous = post.time;
            EXPECT_TRUE(seen.insert(post.permalink).second) << qPrintable(post.permalink);
        }
        if (posts.size() < 50) {
            break;
        }
        cursor = posts.back().time;
    }
    EXPECT_EQ(seen.size(), 1000U);
    EXPECT_EQ(calls, 21);
}

TEST(FakeLofterBlog, ArchiveAnswerEscapesTitlesAndKeepsNoticeTitles)
{
    FakeLofter lofter;
    FakeBlog blog;
    blog.address = QStringLiteral("/");
    blog.blogId = 7;
    FakePost chinese{
        QStringLiteral("a1"), 3000, QStringLiteral("中文 \"quoted\" 🌸"), {}, {}, {}, {}};
    FakePost empty{QStringLiteral("b2"), 2000, {}, QStringLiteral("通知"), {}, {}, {}};
    FakePost future{QStringLiteral("c3"), 9000, QStringLiteral("too new"), {}, {}, {}, {}};
    blog.posts = {empty, chinese, future};
    lofter.AddBlog(blog);
    auto client = MakeClient(lofter);
    const auto result =
        client.Post(("/" + kArchiveCall).c_str(), ArchiveBody("7", "5000", "50"), "text/plain");
    ASSERT_TRUE(result);
    for (char c : result->body) {
        ASSERT_TRUE(static_cast<unsigned char>(c) < 0x80) << "non-ASCII byte in " << result->body;
    }
    EXPECT_NE(result->body.find("\\u4e2d\\u6587"), std::string::npos) << result->body;
    const auto posts = ParseAnswer(QByteArray::fromStdString(result->body));
    ASSERT_EQ(posts.size(), 2U);
    EXPECT_EQ(posts[0].permalink, QStringLiteral("a1"));
    EXPECT_EQ(posts[0].title, chinese.title);
    EXPECT_EQ(posts[0].notice, QString());
    EXPECT_EQ(posts[1].permalink, QStringLiteral("b2"));
    EXPECT_EQ(posts[1].title, QString());
    EXPECT_EQ(posts[1].notice, QStringLiteral("通知"));
}

TEST(FakeLofterBlog, BadArchiveCallsAnswerAnEmptyList)
{
    FakeLofter lofter;
    lofter.AddBlog(AliceBlog(20));
    auto client = MakeClient(lofter);
    const std::vector<std::pair<const char *, std::string>> cases = {
        {"wrong blog id", ArchiveBody("4243", "1700000000000", "50")},
        {"count zero", ArchiveBody("4242", "1700000000000", "0")},
        {"cursor before every post", ArchiveBody("4242", "1000", "50")},
        {"id not a number", ArchiveBody("abc", "1700000000000", "50")},
        {"ten lines", "callCount=1\r\nx\r\ny\r\nz\r\nw\r\nv\r\nc0-param0=number:4242\r\n"
                      "c0-param1=number:1700000000000\r\nc0-param2=number:50\r\nbatchId=1"},
        {"empty body", ""},
    };
    for (const auto &[name, body] : cases) {
        SCOPED_TRACE(name);
        const auto result =
            client.Post(("/blogs/alice/" + kArchiveCall).c_str(), body, "text/plain");
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        EXPECT_EQ(result->body.find(".blogId="), std::string::npos);
        EXPECT_NE(result->body.find("var s0=[];"), std::string::npos) << result->body;
        EXPECT_NE(result->body.find("dwr.engine._remoteHandleCallback("), std::string::npos);
    }
    const auto good = client.Post(("/blogs/alice/" + kArchiveCall).c_str(),
                                  ArchiveBody("4242", "1700000000000", "5"), "text/plain");
    ASSERT_TRUE(good);
    EXPECT_EQ(ParseAnswer(QByteArray::fromStdString(good->body)).size(), 5U);
}

TEST(FakeLofterBlog, PostPageHasPicturesInsideAndOutsideTheContentArea)
{
    FakeLofter lofter;
    FakeBlog blog;
    blog.address = QStringLiteral("/b/");
    FakePost post;
    post.permalink = QStringLiteral("1a_2b");
    post.timeMs = 1000;
    post.title = QStringLiteral("图");
    post.pictures = {QStringLiteral("/img/1_8x8_0.jpg"),
                     QStringLiteral("http://127.0.0.1:1/x.png")};
    post.outsidePictures = {QStringLiteral("/img/2_8x8_0.png"), QStringLiteral("/img/3_8x8_0.gif")};
    blog.posts = {post};
    lofter.AddBlog(blog);
    auto client = MakeClient(lofter);
    const auto result = client.Get("/b/post/1a_2b");
    ASSERT_TRUE(result);
    const QString page = QString::fromStdString(result->body);
    const qsizetype content = page.indexOf(QStringLiteral("div class=\"content"));
    const qsizetype end = page.indexOf(QStringLiteral("class=\"nctitle"));
    ASSERT_GT(content, 0);
    ASSERT_GT(end, content);
    const QString origin = lofter.Origin();
    const qsizetype avatar =
        page.indexOf(QStringLiteral("<img src=\"%1/img/2_8x8_0.png\"").arg(origin));
    const qsizetype first =
        page.indexOf(QStringLiteral("<img src=\"%1/img/1_8x8_0.jpg\"").arg(origin));
    const qsizetype second = page.indexOf(QStringLiteral("<img src=\"http://127.0.0.1:1/x.png\""));
    const qsizetype after =
        page.indexOf(QStringLiteral("<img src=\"%1/img/3_8x8_0.gif\"").arg(origin));
    EXPECT_TRUE(avatar >= 0 && avatar < content) << result->body;
    EXPECT_TRUE(first > content && first < second && second < end) << result->body;
    EXPECT_GT(after, end);
    // The first picture tag after the content marker is the post's first picture.
    EXPECT_EQ(page.indexOf(QStringLiteral("<img src=\""), content), first);

    const auto missing = client.Get("/b/post/nope");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
}

TEST(FakeLofterBlog, LongestBlogAddressWinsAndInstancesAreIndependent)
{
    FakeLofter one;
    FakeLofter two;
    ASSERT_NE(one.Port(), two.Port());
    FakeBlog root;
    root.title = QStringLiteral("root");
    FakeBlog nested;
    nested.address = QStringLiteral("/x/");
    nested.title = QStringLiteral("nested");
    one.AddBlog(root);
    one.AddBlog(nested);
    two.AddBlog(nested);
    auto client = MakeClient(one);
    EXPECT_NE(client.Get("/view")->body.find("归档 - root<"), std::string::npos);
    EXPECT_NE(client.Get("/x/view")->body.find("归档 - nested<"), std::string::npos);
    auto other = MakeClient(two);
    EXPECT_EQ(other.Get("/view")->status, 404);
    EXPECT_EQ(one.RequestCount(), 2U);
    EXPECT_EQ(two.RequestCount(), 1U);
}

TEST(FakeLofterLog, RecordsMethodTargetHeadersAndBody)
{
    FakeLofter lofter;
    auto client = MakeClient(lofter);
    httplib::Headers headers = {
        {"Referer", "http://127.0.0.1/"}, {"X-Twice", "1"}, {"X-Twice", "2"}};
    ASSERT_TRUE(client.Get("/a/b?c=1&d=%20", headers));
    ASSERT_TRUE(client.Post("/form", headers, std::string("x\0y", 3), "text/plain"));
    ASSERT_TRUE(lofter.WaitForRequests(2, std::chrono::seconds(20)));
    const auto requests = lofter.Requests();
    ASSERT_EQ(requests.size(), 2U);
    EXPECT_EQ(requests[0].method, "GET");
    EXPECT_EQ(requests[0].target, "/a/b?c=1&d=%20");
    EXPECT_EQ(requests[0].path, "/a/b");
    EXPECT_EQ(requests[0].Header("referer"), "http://127.0.0.1/");
    EXPECT_EQ(requests[0].Headers("X-Twice"), (QList<QByteArray>{"1", "2"}));
    EXPECT_FALSE(requests[0].HasHeader("REMOTE_ADDR"));
    EXPECT_TRUE(requests[0].body.isEmpty());
    EXPECT_EQ(requests[1].method, "POST");
    EXPECT_EQ(requests[1].body, QByteArray("x\0y", 3));
    EXPECT_EQ(requests[1].Header("Content-Type"), "text/plain");
    EXPECT_EQ(lofter.RequestsFor(QStringLiteral("/form")).size(), 1U);
    lofter.ClearRequests();
    EXPECT_EQ(lofter.RequestCount(), 0U);
    EXPECT_FALSE(lofter.WaitForRequests(1, std::chrono::milliseconds(50)));
}

TEST(FakeLofterLog, ConcurrentClientsAreAllRecorded)
{
    FakeLofter lofter;
    std::vector<std::thread> clients;
    for (int t = 0; t < 8; ++t) {
        clients.emplace_back([&lofter, t] {
            auto client = MakeClient(lofter);
            for (int i = 0; i < 10; ++i) {
                client.Get(("/t" + std::to_string(t) + "/" + std::to_string(i)).c_str());
            }
        });
    }
    for (auto &client : clients) {
        client.join();
    }
    EXPECT_EQ(lofter.RequestCount(), 80U);
    EXPECT_EQ(lofter.RequestsFor(QStringLiteral("/t3/9")).size(), 1U);
}

TEST(FakeLofterServe, ExtraHandlersAnswerAndSeeTheRequest)
{
    FakeLofter lofter;
    lofter.Serve("GET", QStringLiteral("/config"), [](const RecordedRequest &request) {
        Reply reply;
        reply.contentType = "text/plain";
        reply.body = "got " + request.target;
        reply.headers.emplace_back("X-Extra", "yes");
        return reply;
    });
    lofter.ServeFixed("POST", QStringLiteral("/config"), Reply{201, "text/plain", "made", {}});
    auto client = MakeClient(lofter);
    const auto get = client.Get("/config?f=T&t=0.5");
    ASSERT_TRUE(get);
    EXPECT_EQ(get->body, "got /config?f=T&t=0.5");
    EXPECT_EQ(get->get_header_value("X-Extra"), "yes");
    EXPECT_EQ(get->get_header_value("Content-Type"), "text/plain; charset=UTF-8");
    const auto post = client.Post("/config", "", "text/plain");
    ASSERT_TRUE(post);
    EXPECT_EQ(post->status, 201);
    EXPECT_EQ(post->body, "made");
    const auto other = client.Get("/config2");
    ASSERT_TRUE(other);
    EXPECT_EQ(other->status, 404);
}

} // namespace
} // namespace testsupport
