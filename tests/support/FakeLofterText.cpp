// The texts of the fake service: archive page, archive answer, post page, generated posts.
// Pure functions of their arguments; callable from any thread.

#include "FakeLofter.h"

#include <algorithm>

namespace testsupport {
namespace {

QString HtmlEscape(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        switch (c.unicode()) {
        case '&':
            out += QStringLiteral("&amp;");
            break;
        case '<':
            out += QStringLiteral("&lt;");
            break;
        case '>':
            out += QStringLiteral("&gt;");
            break;
        case '"':
            out += QStringLiteral("&quot;");
            break;
        case '\'':
            out += QStringLiteral("&#39;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

// A string literal as the service's script writes it: quotes and backslashes escaped,
// everything outside printable ASCII as \uXXXX (UTF-16 units).
QByteArray ScriptString(const QString &text)
{
    QByteArray out;
    out.reserve(text.size() + 2);
    out.append('"');
    for (QChar c : text) {
        const ushort u = c.unicode();
        if (u == '"' || u == '\\') {
            out.append('\\');
            out.append(static_cast<char>(u));
        } else if (u == '\n') {
            out.append("\\n");
        } else if (u >= 0x20 && u < 0x7f) {
            out.append(static_cast<char>(u));
        } else {
            out.append("\\u");
            out.append(QByteArray::number(u, 16).rightJustified(4, '0'));
        }
    }
    out.append('"');
    return out;
}

QString Absolute(const QString &address, const QString &origin)
{
    return address.startsWith(QLatin1Char('/')) ? origin + address : address;
}

std::vector<FakePost> SortedNewestFirst(const std::vector<FakePost> &posts)
{
    std::vector<FakePost> sorted = posts;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const FakePost &a, const FakePost &b) { return a.timeMs > b.timeMs; });
    return sorted;
}

QString MixedTitle(int i)
{
    if (i % 31 == 13) {
        return {}; // empty, and no notice title either
    }
    if (i % 29 == 11) {
        return {}; // empty, the notice title stands in
    }
    if (i % 17 == 3) {
        return QStringLiteral("重复的标题");
    }
    if (i % 23 == 5) {
        return QStringLiteral("Same Title");
    }
    if (i % 13 == 7) {
        return QStringLiteral("a/b:c*d?\"e<f>g|h\\ 第%1篇").arg(i);
    }
    if (i % 37 == 19) {
        return QStringLiteral("花 \U0001F338 %1").arg(i);
    }
    if (i % 11 == 2) {
        return QStringLiteral("Tom & Jerry <%1>").arg(i);
    }
    switch (i % 3) {
    case 0:
        return QStringLiteral("春日风景 第%1篇").arg(i);
    case 1:
        return QStringLiteral("Photo walk %1").arg(i);
    default:
        return QStringLiteral("夜景 night %1").arg(i);
    }
}

} // namespace

QByteArray RecordedRequest::Header(const QByteArray &name) const
{
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            return value;
        }
    }
    return {};
}

QList<QByteArray> RecordedRequest::Headers(const QByteArray &name) const
{
    QList<QByteArray> values;
    for (const auto &[key, value] : headers) {
        if (key.compare(name, Qt::CaseInsensitive) == 0) {
            values.append(value);
        }
    }
    return values;
}

bool RecordedRequest::HasHeader(const QByteArray &name) const
{
    return std::any_of(headers.begin(), headers.end(), [&](const auto &header) {
        return header.first.compare(name, Qt::CaseInsensitive) == 0;
    });
}

std::vector<FakePost> FakeLofter::GeneratePosts(const GenerateOptions &options)
{
    std::vector<FakePost> posts;
    posts.reserve(static_cast<std::size_t>(std::max(0, options.count)));
    PictureSpec avatar;
    avatar.kind = PictureKind::Png;
    avatar.seed = options.seedBase + 1000000;
    avatar.width = 16;
    avatar.height = 16;
    for (int i = 0; i < options.count; ++i) {
        FakePost post;
        const auto hash = static_cast<std::uint32_t>(i) * 2654435761U ^ 0x5bd1e995U;
        post.permalink = QStringLiteral("%1%2_%3")
                             .arg(options.permalinkPrefix)
                             .arg(i, 0, 16)
                             .arg(hash, 8, 16, QLatin1Char('0'));
        post.timeMs = options.newestTimeMs - static_cast<std::int64_t>(i) * options.stepMs;
        if (options.mixedTitles) {
            post.title = MixedTitle(i);
            if (post.title.isEmpty() && i % 29 == 11) {
                post.noticeLinkTitle = QStringLiteral("通知 %1").arg(i);
            }
        } else {
            post.title = QStringLiteral("Post %1").arg(i);
        }
        for (int j = 0; j < options.picturesPerPost; ++j) {
            PictureSpec spec;
            spec.kind = options.mixKinds ? static_cast<PictureKind>((i + j) % 3) : options.kind;
            spec.seed = options.seedBase + i * 16 + std::min(j, 14);
            spec.width = options.pictureWidth;
            spec.height = options.pictureHeight;
            spec.byteSize = options.pictureBytes;
            post.pictures.append(PicturePath(spec));
        }
        PictureSpec after;
        after.kind = PictureKind::Jpeg;
        after.seed = options.seedBase + i * 16 + 15;
        after.width = 8;
        after.height = 8;
        post.outsidePictures = {PicturePath(avatar), PicturePath(after)};
        posts.push_back(std::move(post));
    }
    return posts;
}

QByteArray FakeLofter::ArchivePageText(const FakeBlog &blog)
{
    if (blog.archivePageOverride) {
        return *blog.archivePageOverride;
    }
    const QString title = HtmlEscape(blog.title);
    const QString id = QString::number(blog.blogId);
    QString page;
    page += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n"
                           "<meta http-equiv=\"Content-Type\" content=\"text/html; "
                           "charset=utf-8\" />\n");
    page += QStringLiteral("<title>归档 - %1</title>\n").arg(title);
    page += QStringLiteral("<meta name=\"Keywords\" content=\"%1\" />\n"
                           "<link rel=\"stylesheet\" href=\"/style/archive.css\" />\n"
                           "</head>\n<body>\n")
                .arg(title);
    page += QStringLiteral("<div class=\"g-hd\"><h1><a href=\"/\">%1</a></h1></div>\n").arg(title);
    page += QStringLiteral("<iframe id=\"control_frame\" frameborder=\"0\" scrolling=\"no\" "
                           "src=\"//www.lofter.com/control?blogId=%1\"></iframe>\n")
                .arg(id);
    page += QStringLiteral("<div class=\"g-bd\">\n<div class=\"m-archive\" data-id=\"%1\">\n"
                           "<h2>归档</h2>\n<div class=\"months\"></div>\n</div>\n</div>\n")
                .arg(id);
    page +=
        QStringLiteral("<script>var blogInfo = {blogId: %1};</script>\n</body>\n</html>\n").arg(id);
    return page.toUtf8();
}

QByteArray FakeLofter::PostPageText(const FakePost &post, const QString &origin)
{
    if (post.pageOverride) {
        return *post.pageOverride;
    }
    QString page;
    page += QStringLiteral("<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\" />\n"
                           "<title>%1</title>\n</head>\n<body>\n")
                .arg(HtmlEscape(post.title));
    qsizetype outside = 0;
    page += QStringLiteral("<div class=\"g-hdc\"><a href=\"/\" class=\"avatar\">");
    if (outside < post.outsidePictures.size()) {
        page += QStringLiteral("<img src=\"%1\" alt=\"\" />")
                    .arg(Absolute(post.outsidePictures[outside++], origin));
    }
    page += QStringLiteral("</a></div>\n<div class=\"g-mn\">\n<div class=\"postinner\">\n");
    page += QStringLiteral("<div class=\"content\">\n");
    for (const QString &picture : post.pictures) {
        page += QStringLiteral("<div class=\"pic\"><a class=\"imgclasstag\" "
                               "bigimgsrc=\"%1\" hidefocus=\"true\"><img src=\"%1\" /></a></div>\n")
                    .arg(Absolute(picture, origin));
    }
    page +=
        QStringLiteral("<div class=\"text\"><p>%1</p></div>\n</div>\n").arg(HtmlEscape(post.title));
    page += QStringLiteral("<div class=\"nctitle\">热度(%1)</div>\n").arg(post.pictures.size());
    page += QStringLiteral("<div class=\"link\">\n");
    for (; outside < post.outsidePictures.size(); ++outside) {
        page += QStringLiteral("<a href=\"/\"><img src=\"%1\" /></a>\n")
                    .arg(Absolute(post.outsidePictures[outside], origin));
    }
    page += QStringLiteral("</div>\n</div>\n</div>\n</body>\n</html>\n");
    return page.toUtf8();
}

QByteArray FakeLofter::ArchiveAnswerText(const FakeBlog &blog, std::int64_t cursorMs, int count)
{
    if (blog.archiveAnswerOverride) {
        return *blog.archiveAnswerOverride;
    }
    std::vector<FakePost> chosen;
    if (count > 0) {
        for (FakePost &post : SortedNewestFirst(blog.posts)) {
            if (post.timeMs < cursorMs) {
                chosen.push_back(std::move(post));
                if (chosen.size() == static_cast<std::size_t>(count)) {
                    break;
                }
            }
        }
    }
    QByteArray out = "//#DWR-INSERT\n//#DWR-REPLY\nvar s0=[]";
    for (std::size_t i = 1; i <= chosen.size(); ++i) {
        out += ",s" + QByteArray::number(static_cast<qulonglong>(i)) + "={}";
    }
    out += ";";
    for (std::size_t i = 1; i <= chosen.size(); ++i) {
        out += "s0[" + QByteArray::number(static_cast<qulonglong>(i - 1)) + "]=s" +
               QByteArray::number(static_cast<qulonglong>(i)) + ";";
    }
    out += "\n";
    const QByteArray id = QByteArray::number(static_cast<qlonglong>(blog.blogId));
    for (std::size_t i = 1; i <= chosen.size(); ++i) {
        const FakePost &post = chosen[i - 1];
        const QByteArray s = "s" + QByteArray::number(static_cast<qulonglong>(i));
        const QByteArray time = QByteArray::number(static_cast<qlonglong>(post.timeMs));
        out += s + ".allowView=100;";
        out += s + ".blogId=" + id + ";";
        out += s + ".blogInfo=null;";
        out += s + ".time=" + time + ";";
        out += s + ".publishTime=" + time + ";";
        out += s + ".title=" + ScriptString(post.title) + ";";
        out += s + ".permalink=" + ScriptString(post.permalink) + ";";
        out += s + ".noticeLinkTitle=" +
               (post.noticeLinkTitle.isEmpty() ? QByteArray("null")
                                               : ScriptString(post.noticeLinkTitle)) +
               ";";
        out += s + ".id=" + QByteArray::number(static_cast<qulonglong>(1000000 + i)) + ";";
        out += s + ".valid=0;\n";
    }
    out += "dwr.engine._remoteHandleCallback('1','0',s0);\n";
    return out;
}

std::optional<FakeLofter::ArchiveCall> FakeLofter::ParseArchiveCall(const QByteArray &body)
{
    const QList<QByteArray> lines = body.split('\n');
    if (lines.size() != 11) {
        return std::nullopt;
    }
    auto number = [&](int index, const QByteArray &prefix) -> std::optional<std::int64_t> {
        QByteArray line = lines[index];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (!line.startsWith(prefix)) {
            return std::nullopt;
        }
        bool ok = false;
        const qlonglong value = line.mid(prefix.size()).toLongLong(&ok);
        return ok ? std::optional<std::int64_t>(value) : std::nullopt;
    };
    const auto id = number(6, "c0-param0=number:");
    const auto cursor = number(7, "c0-param1=number:");
    const auto count = number(8, "c0-param2=number:");
    if (!id || !cursor || !count || *count < 0 || *count > 1000000) {
        return std::nullopt;
    }
    ArchiveCall call;
    call.blogId = *id;
    call.cursorMs = *cursor;
    call.count = static_cast<int>(*count);
    return call;
}

} // namespace testsupport
