#include "net/CUrlSource.h"

#include "net/CookieStore.h"
#include "net/CurlGlobal.h"
#include "text/TextScan.h"
#include "text/TextToolkit.h"

#include <QSaveFile>

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <optional>
#include <thread>

const char *const CUrlSource::kAgentText =
    "User-Agent:Mozilla/5.0 (Windows NT 5.1) AppleWebKit/537.36 (KHTML, like Gecko) "
    "Chrome/38.0.2125.104 Safari/537.36";

namespace {

using Clock = std::chrono::steady_clock;

struct CurlUrlFree {
    void operator()(CURLU *u) const { curl_url_cleanup(u); }
};
struct CurlEasyFree {
    void operator()(CURL *e) const { curl_easy_cleanup(e); }
};
struct CurlListFree {
    void operator()(curl_slist *l) const { curl_slist_free_all(l); }
};
struct CurlTextFree {
    void operator()(char *p) const { curl_free(p); }
};

// Escapes `url` the way a browser does before sending it: before the query every byte that
// may not stand in an address (controls, space, non-ASCII, " < > \ ^ ` { | }) becomes %XX, with
// existing escapes kept; the query and fragment keep their characters, except the bytes that
// cannot travel in a request line at all (controls, space, non-ASCII).
QByteArray BrowserEscapedUrl(const QString &url)
{
    const QByteArray raw = url.trimmed().toUtf8();
    static const char hex[] = "0123456789ABCDEF";
    QByteArray out;
    out.reserve(raw.size() + 16);
    bool inQuery = false;
    for (const char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        if (ch == '?' || ch == '#')
            inQuery = true;
        bool escape = b <= 0x20 || b >= 0x7F;
        if (!inQuery && !escape)
            escape = std::memchr("\"<>\\^`{|}", ch, 9) != nullptr;
        if (escape) {
            out += '%';
            out += hex[b >> 4];
            out += hex[b & 15];
        } else {
            out += ch;
        }
    }
    return out;
}

// The header line `line` names the field `name` (case-insensitive).
bool NamesField(QByteArrayView line, QByteArrayView name)
{
    return line.size() > name.size() && line[name.size()] == ':' &&
           qstrnicmp(line.data(), name.data(), name.size()) == 0;
}

bool HasField(const QList<QByteArray> &lines, QByteArrayView name)
{
    return std::any_of(lines.begin(), lines.end(),
                       [name](const QByteArray &line) { return NamesField(line, name); });
}

// Status code of a status line "HTTP/1.1 404 Not Found", or 0.
int StatusOf(const QByteArray &statusLine)
{
    const QList<QByteArray> parts = statusLine.split(' ');
    return parts.size() >= 2 ? parts[1].toInt() : 0;
}

// The decimal number after the first Content-Length field of `block` (blanks skipped, stopping
// at the first non-digit; saturating), or nothing when the block has no such field.
std::optional<quint64> ContentLengthOf(const QByteArray &block)
{
    for (const QByteArray &line : block.split('\n')) {
        if (!NamesField(line, "Content-Length"))
            continue;
        qsizetype i = qsizetype(sizeof("Content-Length:")) - 1;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        quint64 value = 0;
        for (; i < line.size() && line[i] >= '0' && line[i] <= '9'; ++i) {
            const quint64 digit = quint64(line[i] - '0');
            if (value > (std::numeric_limits<quint64>::max() - digit) / 10)
                return std::numeric_limits<quint64>::max();
            value = value * 10 + digit;
        }
        return value;
    }
    return std::nullopt;
}

bool IsFollowedRedirect(int status, const QByteArray &block)
{
    if (!(status >= 300 && status <= 303) && status != 307 && status != 308)
        return false;
    const QList<QByteArray> lines = block.split('\n');
    return HasField(lines, "Location");
}

QByteArray Inflated(const QByteArray &input)
{
    QByteArray out;
    z_stream zs{};
    if (inflateInit2(&zs, 47) != Z_OK)
        return out;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(input.constData()));
    zs.avail_in = static_cast<uInt>(input.size());
    char step[8192];
    for (;;) {
        zs.next_out = reinterpret_cast<Bytef *>(step);
        zs.avail_out = sizeof(step);
        const int rc = inflate(&zs, Z_NO_FLUSH);
        const qsizetype produced = qsizetype(sizeof(step) - zs.avail_out);
        const qsizetype room = CUrlSource::kMaxInflatedBytes - out.size();
        out.append(step, std::min(produced, room));
        if (rc != Z_OK || produced >= room)
            break;
    }
    inflateEnd(&zs);
    return out;
}

} // namespace

// State of one attempt, reached from libcurl's callbacks, which run on the calling thread
// inside curl_multi_perform.
struct CUrlSource::Transfer {
    Transfer(CUrlSource &source, const CUrlRequest &request) : source(source), request(request) {}

    CUrlSource &source;
    const CUrlRequest &request;
    quint64 minBytes = 0;
    quint64 maxBytes = 0; // 0: no upper bound
    bool toFile = false;

    QByteArray block; // header lines of the reply being received, each ended by CR LF
    int status = 0;
    bool finalHeaders = false; // the final reply's header block is complete
    bool refused = false;      // one of our own checks failed the attempt

    qint64 received = 0;
    std::optional<QSaveFile> file;
    bool fileUnusable = false;

    Clock::time_point lastActivity = Clock::now();
    curl_off_t lastDownloaded = 0;
    curl_off_t lastUploaded = 0;

    // Checks made when the final reply's header block is complete; false refuses the reply.
    bool AcceptHeaders()
    {
        if (toFile && (status < 200 || status > 299))
            return false;
        if (const std::optional<quint64> length = ContentLengthOf(block)) {
            if (*length < minBytes || (maxBytes != 0 && *length > maxBytes))
                return false;
            if (!toFile && *length <= quint64(kMaxMemoryBodyBytes))
                source.body.reserve(qsizetype(*length));
        }
        return true;
    }

    bool WriteToFile(const char *data, qsizetype size)
    {
        if (fileUnusable)
            return true;
        if (!file) {
            file.emplace(request.targetFile);
            if (!file->open(QIODevice::WriteOnly)) {
                fileUnusable = true;
                return true;
            }
        }
        if (file->write(data, size) != size) {
            file->cancelWriting();
            fileUnusable = true;
        }
        return true;
    }

    // Puts the whole body in place of the target file; failures to do so are not reported.
    void CommitFile()
    {
        if (fileUnusable)
            return;
        if (!file) {
            file.emplace(request.targetFile);
            if (!file->open(QIODevice::WriteOnly))
                return;
        }
        file->commit();
    }

    static size_t OnHeader(char *data, size_t size, size_t count, void *self);
    static size_t OnBody(char *data, size_t size, size_t count, void *self);
    static int OnProgress(void *self, curl_off_t, curl_off_t downloaded, curl_off_t,
                          curl_off_t uploaded);
};

size_t CUrlSource::Transfer::OnHeader(char *data, size_t size, size_t count, void *self)
{
    auto &t = *static_cast<Transfer *>(self);
    const size_t length = size * count;
    t.lastActivity = Clock::now();
    QByteArray line(data, qsizetype(length));
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);

    if (line.startsWith("HTTP/")) {
        t.block.clear();
        t.finalHeaders = false;
        t.status = StatusOf(line);
    }
    if (!line.isEmpty()) {
        if (t.block.size() + line.size() + 2 > kMaxHeaderBlockBytes) {
            t.refused = true;
            return 0;
        }
        t.block += line;
        t.block += "\r\n";
        return length;
    }
    if (t.block.isEmpty() || (t.status >= 100 && t.status <= 199))
        return length;

    t.source.headerText = FromCodePage(t.block, CP_GBK);
    t.source.compressed = t.block.contains("gzip");
    if (IsFollowedRedirect(t.status, t.block))
        return length;
    t.finalHeaders = true;
    if (!t.AcceptHeaders()) {
        t.refused = true;
        return 0;
    }
    return length;
}

size_t CUrlSource::Transfer::OnBody(char *data, size_t size, size_t count, void *self)
{
    auto &t = *static_cast<Transfer *>(self);
    const size_t length = size * count;
    t.lastActivity = Clock::now();
    const qint64 cap = t.toFile ? kMaxFileBodyBytes : qint64(kMaxMemoryBodyBytes);
    if (t.received + qint64(length) > cap) {
        t.refused = true;
        return 0;
    }
    t.received += qint64(length);
    t.source.bodySize_ = qsizetype(t.received);
    if (t.toFile)
        t.WriteToFile(data, qsizetype(length));
    else
        t.source.body.append(data, qsizetype(length));
    if (t.maxBytes != 0 && quint64(t.received) > t.maxBytes) {
        t.refused = true;
        return 0;
    }
    return length;
}

int CUrlSource::Transfer::OnProgress(void *self, curl_off_t, curl_off_t downloaded, curl_off_t,
                                     curl_off_t uploaded)
{
    auto &t = *static_cast<Transfer *>(self);
    if (downloaded != t.lastDownloaded || uploaded != t.lastUploaded) {
        t.lastDownloaded = downloaded;
        t.lastUploaded = uploaded;
        t.lastActivity = Clock::now();
    }
    return 0;
}

CUrlSource::CUrlSource(CookieStore *cookies) : cookies_(cookies)
{
    EnsureCurlGlobalInit();
}

CUrlSource::~CUrlSource()
{
    if (multi_)
        curl_multi_cleanup(static_cast<CURLM *>(multi_));
}

bool CUrlSource::Request(const CUrlRequest &request, unsigned flags)
{
    for (unsigned attempt = 0; attempt < request.tries; ++attempt) {
        if (Aborted())
            return false;
        if (RequestOnce(request, flags))
            return true;
        const auto pauseEnd = Clock::now() + std::chrono::seconds(request.retryWaitSeconds);
        while (Clock::now() < pauseEnd) {
            if (Aborted())
                return false;
            std::this_thread::sleep_for(
                std::min<Clock::duration>(std::chrono::milliseconds(50), pauseEnd - Clock::now()));
        }
    }
    return false;
}

bool CUrlSource::RequestOnce(const CUrlRequest &request, unsigned flags)
{
    body.clear();
    compressed = false;
    bodySize_ = 0;

    std::unique_ptr<CURLU, CurlUrlFree> url(curl_url());
    const QByteArray address = BrowserEscapedUrl(request.url);
    if (!url || curl_url_set(url.get(), CURLUPART_URL, address.constData(), 0) != CURLUE_OK)
        return false;
    {
        char *part = nullptr;
        if (curl_url_get(url.get(), CURLUPART_SCHEME, &part, 0) != CURLUE_OK)
            return false;
        std::unique_ptr<char, CurlTextFree> scheme(part);
        if (qstrcmp(scheme.get(), "http") != 0 && qstrcmp(scheme.get(), "https") != 0)
            return false;
        part = nullptr;
        if (curl_url_get(url.get(), CURLUPART_HOST, &part, 0) != CURLUE_OK)
            return false;
        std::unique_ptr<char, CurlTextFree> host(part);
        if (!host || !*host)
            return false;
    }

    std::unique_ptr<CURL, CurlEasyFree> easy(curl_easy_init());
    if (!easy)
        return false;
    CURL *e = easy.get();

    Transfer t(*this, request);
    t.minBytes = request.minSizeK > 0 ? quint64(request.minSizeK) * 1024 : 0;
    t.maxBytes = request.maxSizeK > 0 ? quint64(request.maxSizeK) * 1024 : 0;
    t.toFile = !request.targetFile.isEmpty();

    // Header lines: the caller's, unchanged, then what the engine adds unless the caller
    // already names the field.
    QList<QByteArray> lines;
    for (QByteArray line : ToGbk(request.headers).split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            lines.append(line);
    }
    const bool hasBody = request.HasPostData();
    const QByteArray verb = request.verb.toLatin1();
    if (!HasField(lines, "Expect"))
        lines.append("Expect:");
    if ((hasBody || verb == "POST") && !HasField(lines, "Content-Type"))
        lines.append("Content-Type:");
    if (!(flags & REQ_ALLOW_CACHE_READ)) {
        if (!HasField(lines, "Cache-Control"))
            lines.append("Cache-Control: no-cache");
        if (!HasField(lines, "Pragma"))
            lines.append("Pragma: no-cache");
    }
    std::unique_ptr<curl_slist, CurlListFree> headerList;
    for (const QByteArray &line : lines) {
        curl_slist *grown = curl_slist_append(headerList.get(), line.constData());
        if (!grown)
            return false;
        (void)headerList.release();
        headerList.reset(grown);
    }

    curl_easy_setopt(e, CURLOPT_CURLU, url.get());
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(e, CURLOPT_USERAGENT, kAgentText);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, long(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS,
                     long(std::max<std::uint32_t>(request.connectTimeoutMs, 1)));
    curl_easy_setopt(e, CURLOPT_BUFFERSIZE, 102400L);
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headerList.get());
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &t);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &t);
    curl_easy_setopt(e, CURLOPT_XFERINFOFUNCTION, &Transfer::OnProgress);
    curl_easy_setopt(e, CURLOPT_XFERINFODATA, &t);
    curl_easy_setopt(e, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(e, CURLOPT_COOKIEFILE, "");
    if (cookies_) {
        curl_easy_setopt(e, CURLOPT_SHARE, cookies_->Share());
        const QByteArray caFile = cookies_->CaFile().toLocal8Bit();
        if (!caFile.isEmpty())
            curl_easy_setopt(e, CURLOPT_CAINFO, caFile.constData());
    }

    if (verb == "GET" && !hasBody) {
        curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    } else if (verb == "HEAD" && !hasBody) {
        curl_easy_setopt(e, CURLOPT_NOBODY, 1L);
    } else {
        curl_easy_setopt(e, CURLOPT_POST, 1L);
        curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.postData.size()));
        curl_easy_setopt(e, CURLOPT_POSTFIELDS, request.postData.constData());
        if (verb != "POST")
            curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, verb.constData());
    }

    if (!multi_)
        multi_ = curl_multi_init();
    CURLM *multi = static_cast<CURLM *>(multi_);
    if (!multi || curl_multi_add_handle(multi, e) != CURLM_OK)
        return false;

    // Drive the transfer here, so that every wait is bounded: until the final reply's header
    // block is complete, no byte may stay away longer than connectTimeoutMs; after it, longer
    // than readTimeoutMs.
    bool timedOut = false;
    CURLcode result = CURLE_OK;
    bool done = false;
    while (!done) {
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK) {
            result = CURLE_FAILED_INIT;
            break;
        }
        int queued = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == e) {
                result = message->data.result;
                done = true;
            }
        }
        if (done || running == 0)
            break;
        const auto limit = std::chrono::milliseconds(t.finalHeaders ? request.readTimeoutMs
                                                                    : request.connectTimeoutMs);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            t.lastActivity + limit - Clock::now());
        if (left.count() <= 0 || Aborted()) {
            timedOut = true;
            break;
        }
        const long long pollCap = abortCheck_ ? 50 : 1000;
        curl_multi_poll(multi, nullptr, 0, int(std::min<long long>(left.count(), pollCap)),
                        nullptr);
    }
    curl_multi_remove_handle(multi, e);

    bool ok = done && result == CURLE_OK && !timedOut && !t.refused && t.finalHeaders;
    if (ok &&
        (quint64(t.received) < t.minBytes || (t.maxBytes != 0 && quint64(t.received) > t.maxBytes)))
        ok = false;
    if (ok && t.toFile)
        t.CommitFile();
    // An unsuccessful attempt leaves no file: the temporary one goes with `t.file`.
    return ok;
}

QString CUrlSource::GetText(unsigned flags) const
{
    const QByteArray bytes = (flags & TEXT_INFLATE) && compressed ? Inflated(body) : body;
    const bool utf8 = !headerText.contains(QLatin1String("charset=GBK")) && (flags & TEXT_UTF8);
    QString text = FromCodePage(bytes, utf8 ? CP_UTF8 : CP_GBK);
    DecodeEntities(text);
    return text;
}
