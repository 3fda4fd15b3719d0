#include "net/CUrlRequest.h"

#include <gtest/gtest.h>

TEST(CUrlRequest, ConstructorGivesBothTimeOutsAndTheDefaults)
{
    const CUrlRequest request("http://127.0.0.1/x", "/tmp/f.jpg", 12345);
    EXPECT_EQ(request.url, "http://127.0.0.1/x");
    EXPECT_EQ(request.targetFile, "/tmp/f.jpg");
    EXPECT_EQ(request.readTimeoutMs, 12345u);
    EXPECT_EQ(request.connectTimeoutMs, 12345u);
    EXPECT_EQ(request.verb, "GET");
    EXPECT_TRUE(request.headers.isEmpty());
    EXPECT_FALSE(request.HasPostData());
    EXPECT_EQ(request.minSizeK, 0);
    EXPECT_EQ(request.maxSizeK, 0);
    EXPECT_EQ(request.tries, 1);
    EXPECT_EQ(request.retryWaitSeconds, 1);
}

TEST(CUrlRequest, SetPostDataCopiesUpToTheFirstNul)
{
    struct Case {
        QByteArray given;
        QByteArray kept;
    };
    const Case cases[] = {
        {"a=1&b=2", "a=1&b=2"},
        {QByteArray("ab\0cd", 5), "ab"},
        {QByteArray(1025, 'x'), QByteArray(1025, 'x')},
        {"", ""},
        {QByteArray("\0tail", 5), ""},
    };
    for (const Case &c : cases) {
        CUrlRequest request;
        request.SetPostData("old body");
        request.SetPostData(c.given);
        EXPECT_EQ(request.postData, c.kept) << c.given.toHex().constData();
        EXPECT_EQ(request.HasPostData(), !c.kept.isEmpty());
    }
}

TEST(CUrlRequest, SetPostDataTakesANarrowCString)
{
    CUrlRequest request;
    const char text[] = "x=\xB9\xE9";
    request.SetPostData(text);
    EXPECT_EQ(request.postData, QByteArray("x=\xB9\xE9"));
}
