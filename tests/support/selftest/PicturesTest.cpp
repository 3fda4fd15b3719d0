// Generated pictures: decodable, exactly the requested size, served byte for byte.

#include "FakeLofter.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <gtest/gtest.h>
#include <httplib.h>

#include <set>

namespace testsupport {
namespace {

QImage Decode(const QByteArray &bytes, const char *format)
{
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    return reader.read();
}

const char *FormatOf(PictureKind kind)
{
    switch (kind) {
    case PictureKind::Jpeg:
        return "jpeg";
    case PictureKind::Png:
        return "png";
    case PictureKind::Gif:
        return "gif";
    }
    return "";
}

TEST(FakePictures, EveryKindDecodesAtEverySize)
{
    for (PictureKind kind : {PictureKind::Jpeg, PictureKind::Png, PictureKind::Gif}) {
        PictureSpec natural{kind, 5, 33, 17, 0};
        const qsizetype naturalSize = PictureBytes(natural).size();
        // Gaps of every small size exercise the fall-backs of each padding scheme.
        std::vector<std::int64_t> sizes = {0, 300 * 1024, 20 * 1024 * 1024, naturalSize - 1};
        for (std::int64_t gap = 1; gap <= 14; ++gap) {
            sizes.push_back(naturalSize + gap);
        }
        sizes.push_back(naturalSize + 65537);
        sizes.push_back(naturalSize + 65539);
        sizes.push_back(naturalSize + 256 + 3);
        for (std::int64_t size : sizes) {
            SCOPED_TRACE(testing::Message() << FormatOf(kind) << " size " << size);
            const QByteArray bytes = PictureBytes(PictureSpec{kind, 5, 33, 17, size});
            EXPECT_EQ(bytes.size(), std::max<std::int64_t>(size, naturalSize));
            const QImage image = Decode(bytes, FormatOf(kind));
            ASSERT_FALSE(image.isNull());
            EXPECT_EQ(image.size(), QSize(33, 17));
        }
    }
}

TEST(FakePictures, GifIsGif89aWithTheGeneratedPixels)
{
    const PictureSpec gif{PictureKind::Gif, 9, 40, 30, 0};
    const PictureSpec png{PictureKind::Png, 9, 40, 30, 0};
    const QByteArray bytes = PictureBytes(gif);
    EXPECT_TRUE(bytes.startsWith("GIF89a"));
    EXPECT_TRUE(bytes.endsWith(';'));
    const QImage fromGif = Decode(bytes, "gif").convertToFormat(QImage::Format_RGB32);
    const QImage fromPng = Decode(PictureBytes(png), "png").convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(fromGif.isNull());
    EXPECT_EQ(fromGif, fromPng); // both are lossless renderings of the same pattern
}

TEST(FakePictures, SeedsGiveDifferentPicturesAndSpecsAreStable)
{
    const PictureSpec a{PictureKind::Png, 1, 16, 16, 0};
    const PictureSpec b{PictureKind::Png, 2, 16, 16, 0};
    EXPECT_NE(PictureBytes(a), PictureBytes(b));
    EXPECT_EQ(PictureBytes(a), PictureBytes(a));
    for (const PictureSpec &spec : {a, PictureSpec{PictureKind::Gif, 77, 3, 4, 123456},
                                    PictureSpec{PictureKind::Jpeg, 0, 1, 1, 9}}) {
        const auto parsed = ParsePicturePath(PicturePath(spec));
        ASSERT_TRUE(parsed.has_value()) << qPrintable(PicturePath(spec));
        EXPECT_EQ(*parsed, spec);
    }
    EXPECT_EQ(PicturePath(a), QStringLiteral("/img/1_16x16_0.png"));
    EXPECT_FALSE(ParsePicturePath(QStringLiteral("/img/1_16x16_0.bmp")));
    EXPECT_FALSE(ParsePicturePath(QStringLiteral("/img/1_0x16_0.png")));
    EXPECT_FALSE(ParsePicturePath(QStringLiteral("/x/img/1_16x16_0.png")));
}

TEST(FakePictures, ServedBytesEqualTheHelpersBytes)
{
    FakeLofter lofter;
    httplib::Client client("127.0.0.1", lofter.Port());
    client.set_read_timeout(std::chrono::seconds(20));
    const std::vector<std::pair<PictureSpec, std::string>> cases = {
        {{PictureKind::Jpeg, 3, 64, 48, 300 * 1024}, "image/jpeg"},
        {{PictureKind::Png, 4, 20, 10, 0}, "image/png"},
        {{PictureKind::Gif, 5, 20, 10, 5000}, "image/gif"},
    };
    for (const auto &[spec, type] : cases) {
        EXPECT_EQ(lofter.PictureUrl(spec), lofter.Origin() + PicturePath(spec));
        const auto result = client.Get(PicturePath(spec).toStdString());
        ASSERT_TRUE(result);
        EXPECT_EQ(result->status, 200);
        EXPECT_EQ(result->get_header_value("Content-Type"), type);
        EXPECT_EQ(QByteArray::fromStdString(result->body), PictureBytes(spec));
    }
}

TEST(FakePictures, GeneratedPostsHaveDistinctPictures)
{
    GenerateOptions options;
    options.count = 40;
    options.mixKinds = true;
    options.picturesPerPost = 3;
    options.mixedTitles = true;
    const auto posts = FakeLofter::GeneratePosts(options);
    ASSERT_EQ(posts.size(), 40U);
    QStringList all;
    std::set<QString> permalinks;
    int gifs = 0;
    for (const FakePost &post : posts) {
        ASSERT_EQ(post.pictures.size(), 3);
        all += post.pictures;
        permalinks.insert(post.permalink);
        gifs += static_cast<int>(post.pictures.filter(QStringLiteral(".gif")).size());
        for (const QString &picture : post.pictures) {
            EXPECT_TRUE(ParsePicturePath(picture).has_value());
        }
    }
    all.removeDuplicates();
    EXPECT_EQ(all.size(), 120);
    EXPECT_EQ(permalinks.size(), 40U);
    EXPECT_EQ(gifs, 40);
    EXPECT_EQ(posts[0].timeMs - posts[1].timeMs, options.stepMs);
}

} // namespace
} // namespace testsupport
