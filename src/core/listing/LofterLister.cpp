#include "listing/LofterLister.h"

#include "listing/ListTexts.h"
#include "net/CUrlRequest.h"
#include "net/CUrlSource.h"
#include "text/TextScan.h"
#include "text/TextToolkit.h"

#include <QDateTime>
#include <QSet>
#include <QStringList>

namespace {

const QString kArchivePrefix = QStringLiteral("归档 - ");

// The referring page sent with the archive call: the service's home page.
constexpr char kServiceHome[] = "http://www.lofter.com/";

// wcstol(text, nullptr, 16) over at most the four units of `digits`, truncated to one UTF-16
// unit as the wide-character original did.
char16_t ReadHexUnit(QStringView digits)
{
    qsizetype i = 0;
    const qsizetype n = digits.size();
    auto isSpace = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u' ' || (u >= u'\t' && u <= u'\r');
    };
    auto hexValue = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= u'0' && u <= u'9')
            return u - u'0';
        if (u >= u'a' && u <= u'f')
            return u - u'a' + 10;
        if (u >= u'A' && u <= u'F')
            return u - u'A' + 10;
        return -1;
    };
    while (i < n && isSpace(digits[i]))
        ++i;
    bool negative = false;
    if (i < n && (digits[i] == u'+' || digits[i] == u'-')) {
        negative = digits[i] == u'-';
        ++i;
    }
    if (i + 2 < n && digits[i] == u'0' && (digits[i + 1] == u'x' || digits[i + 1] == u'X') &&
        hexValue(digits[i + 2]) >= 0)
        i += 2;
    std::uint32_t value = 0;
    for (; i < n && hexValue(digits[i]) >= 0; ++i)
        value = value * 16 + static_cast<std::uint32_t>(hexValue(digits[i]));
    if (negative)
        value = 0u - value;
    return static_cast<char16_t>(value & 0xFFFFu);
}

// Fills `tpl` from one part of the archive answer (the text after one ".blogId="). Answers
// false when the part names no permalink. `time` receives the post's time text (possibly
// empty).
bool ReadPost(QString &part, const QString &blogAddress, ST_PERLISTRECORD &tpl, QString &time,
              QString &permalink)
{
    tpl.picCount = -1;
    tpl.remarkFlags = 0;
    time = GetBetween(part, QStringLiteral(".time="), QStringLiteral(";"), BETWEEN_ADVANCE);
    QString title =
        GetBetween(part, QStringLiteral(".title=\""), QStringLiteral("\""), BETWEEN_ADVANCE);
    permalink =
        GetBetween(part, QStringLiteral(".permalink=\""), QStringLiteral("\""), BETWEEN_ADVANCE);
    if (permalink.isEmpty())
        return false;
    if (title.isEmpty())
        title = GetBetween(part, QStringLiteral("noticeLinkTitle=\""), QStringLiteral("\""),
                           BETWEEN_ADVANCE);
    title = DecodeUnicodeEscapes(title);
    // A NUL (from "\u0000") would cut the album's folder name short on every file system
    // call; it goes before the name is cleaned.
    title.remove(QChar(u'\0'));
    if (title.isEmpty())
        title = permalink;
    tpl.name = title;
    tpl.postUrl = blogAddress + QStringLiteral("post/") + permalink;
    return true;
}

} // namespace

QString ArchivePageUrl(const QString &blogAddress)
{
    return blogAddress + QStringLiteral("view");
}

QString ArchiveCallUrl(const QString &blogAddress)
{
    return blogAddress + QStringLiteral("dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr");
}

QString ArchiveCallHeaders()
{
    return QStringLiteral("Accept-Encoding: gzip, deflate\r\nReferer: ") +
           QLatin1String(kServiceHome) + QStringLiteral("\r\nContent-Type: text/plain");
}

QByteArray ArchiveCallBody(const QString &blogId, const QString &cursor)
{
    QByteArray body = "callCount=1\r\n"
                      "scriptSessionId=${scriptSessionId}187\r\n"
                      "httpSessionId=\r\n"
                      "c0-scriptName=ArchiveBean\r\n"
                      "c0-methodName=getArchivePostByTime\r\n"
                      "c0-id=0\r\n"
                      "c0-param0=number:";
    body += ToGbk(blogId);
    body += "\r\nc0-param1=number:";
    body += ToGbk(cursor);
    body += "\r\nc0-param2=number:";
    body += QByteArray::number(ARCHIVE_PAGE_POSTS);
    body += "\r\nc0-param3=boolean:false\r\n"
            "batchId=1";
    return body;
}

QString InitialTimeCursor()
{
    // Whole seconds, then "000": the service reads milliseconds. Written from a 64-bit count,
    // so the text stays right after 2038 as well.
    return QString::number(QDateTime::currentSecsSinceEpoch()) + QStringLiteral("000");
}

QString DecodeUnicodeEscapes(const QString &text)
{
    QStringList parts;
    if (Split(text, QStringLiteral("\\u"), parts) == 0)
        return text;
    QString out;
    out.reserve(text.size());
    out += parts.at(0);
    for (qsizetype i = 1; i < parts.size(); ++i) {
        const QString &part = parts.at(i);
        if (part.size() >= 4) {
            out += QChar(ReadHexUnit(QStringView(part).left(4)));
            out += QStringView(part).mid(4);
        } else {
            out += part;
        }
    }
    return out;
}

ListEnd ListLofterBlog(const QString &blogAddress, GleanerState &state, WindowPort &window)
{
    CUrlRequest request(QString(), QString(), 20000);
    CUrlSource source(&state.cookies);
    // A stop ends the request in flight instead of waiting for its time-outs.
    const auto stopped = [&state] { return state.listState.load() == LIST_STOP; };
    source.SetAbortCheck(stopped);

    request.url = ArchivePageUrl(blogAddress);
    request.headers = QStringLiteral("Accept-Encoding: gzip, deflate");
    if (!source.Request(request, 0))
        return stopped() ? ListEnd::Stopped : ListEnd::ArchivePageNotFetched;
    QString page = source.GetText(TEXT_INFLATE | TEXT_UTF8);
    if (page.isEmpty())
        return ListEnd::ArchivePageNotFetched;

    QString title =
        GetBetween(page, QStringLiteral("<title>"), QStringLiteral("</title>"), BETWEEN_ADVANCE);
    if (!title.startsWith(kArchivePrefix)) {
        window.MessageBox(QString::fromUtf16(kMsgNotLofterBlog));
        return ListEnd::NotArchivePage;
    }
    SkipTo(title, kArchivePrefix, true);
    title.remove(QChar(u'\0'));
    CleanName(title, true);
    state.SetBlogFolder(title);

    const QString blogId =
        GetBetween(page, QStringLiteral("blogId="), QStringLiteral("\""), BETWEEN_ADVANCE);
    page.clear();
    state.SetBlogId(blogId);
    QString cursor = InitialTimeCursor();
    // A text that does not fit the call is no blog id the service could know.
    if (blogId.isEmpty() || ArchiveCallBody(blogId, cursor).size() > ARCHIVE_BODY_MAX) {
        window.MessageBox(QString::fromUtf16(kMsgNoBlogId));
        return ListEnd::NoBlogId;
    }

    const AlbumViewState view = state.View();
    QSet<QString> listed;
    ST_PERLISTRECORD tpl;
    qint64 cursorValue = cursor.toLongLong();
    for (;;) {
        if (stopped())
            return ListEnd::Stopped;

        request = CUrlRequest(QString(), QString(), 20000);
        request.verb = QStringLiteral("POST");
        request.headers = ArchiveCallHeaders();
        request.SetPostData(ArchiveCallBody(blogId, cursor));
        request.url = ArchiveCallUrl(blogAddress);
        if (!source.Request(request, 0))
            return stopped() ? ListEnd::Stopped : ListEnd::ArchiveCallFailed;
        QString answer = source.GetText(TEXT_INFLATE);
        if (answer.isEmpty())
            return ListEnd::ArchiveCallFailed;

        QStringList parts;
        Split(answer, QStringLiteral(".blogId="), parts);
        answer.clear();
        if (parts.size() < 2)
            return ListEnd::Completed;

        QString lastTime;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            QString time;
            QString permalink;
            const bool hasPost = ReadPost(parts[i], blogAddress, tpl, time, permalink);
            parts[i].clear();
            if (!time.isEmpty())
                lastTime = time;
            if (!hasPost || listed.contains(permalink))
                continue;
            listed.insert(permalink);
            const int count = state.albumList.AddAlbum(tpl);
            state.albumList.ShowAlbum(window, count - 1, view);
            if (stopped())
                return ListEnd::Stopped;
        }

        if (parts.size() - 1 < ARCHIVE_PAGE_POSTS)
            return ListEnd::Completed;
        // The next call asks for the posts older than the last one read; a cursor that does
        // not move back in time would give the same answer again.
        bool ok = false;
        const qint64 next = lastTime.trimmed().toLongLong(&ok);
        if (!ok || next >= cursorValue)
            return ListEnd::Completed;
        cursorValue = next;
        cursor = QString::number(next);
    }
}
