#pragma once

#include "net/CUrlRequest.h"

#include <QByteArray>
#include <QString>

#include <functional>

class CookieStore;

// Flags of CUrlSource::Request and RequestOnce. There is no local cache; without
// REQ_ALLOW_CACHE_READ the request asks caches on the way for a fresh copy ("Cache-Control:
// no-cache" and "Pragma: no-cache", unless the caller's header lines name those fields).
// REQ_ALLOW_CACHE_WRITE has no effect on the wire.
inline constexpr unsigned REQ_ALLOW_CACHE_WRITE = 1;
inline constexpr unsigned REQ_ALLOW_CACHE_READ = 2;

// Flags of CUrlSource::GetText.
inline constexpr unsigned TEXT_INFLATE = 1; // inflate the body first when `compressed`
inline constexpr unsigned TEXT_UTF8 = 2;    // decode as UTF-8 unless the reply names GBK

// The HTTP engine: performs a CUrlRequest over libcurl (http and https, redirects followed,
// proxies from the environment, certificates verified) and holds the reply of the latest
// attempt. Each attempt is one blocking transfer on the calling thread.
//
// The caller owns the object and may reuse it for any number of requests in a row; one object
// is used by one thread at a time. Objects on different threads share nothing but the
// CookieStore they were given, which must outlive them. Connections are kept open between the
// requests of one object and reused when the next one goes to the same server.
//
// Results are only true or false; nothing is thrown.
class CUrlSource {
public:
    // The agent text; it begins with the field name itself, so the header line that goes out
    // reads "User-Agent: User-Agent:Mozilla/5.0 ...".
    static const char *const kAgentText;
    // GetText never inflates to more than this many bytes; the rest of a larger stream is
    // dropped as if it had been truncated.
    static constexpr qsizetype kMaxInflatedBytes = 64 * 1024 * 1024;
    // A reply body held in memory (no target file) never grows beyond this many bytes, and one
    // written to a file beyond kMaxFileBodyBytes; a longer body fails the attempt even when
    // maxSizeK is 0.
    static constexpr qsizetype kMaxMemoryBodyBytes = 64 * 1024 * 1024;
    static constexpr qint64 kMaxFileBodyBytes = qint64(1) << 30;
    // A reply header block longer than this fails the attempt.
    static constexpr qsizetype kMaxHeaderBlockBytes = 256 * 1024;
    // Redirects followed within one attempt.
    static constexpr long kMaxRedirects = 20;

    // `cookies` may be null: then cookies live only within one attempt (across its redirects)
    // and no policy applies beyond the defaults.
    explicit CUrlSource(CookieStore *cookies = nullptr);
    ~CUrlSource();
    CUrlSource(const CUrlSource &) = delete;
    CUrlSource &operator=(const CUrlSource &) = delete;

    // A check that ends the transfer in flight, and any further attempt or retry pause, as soon
    // as it answers true: the stop button and closing the window use it, so that a run never
    // waits out a time-out. Called on the requesting thread, between transfer steps and at
    // least every 50 ms while a transfer or a retry pause waits; it must be cheap and
    // thread-safe (typically it reads an atomic). An aborted attempt fails like a time-out.
    void SetAbortCheck(std::function<bool()> shouldAbort) { abortCheck_ = std::move(shouldAbort); }

    // Up to `request.tries` attempts; true at the first that succeeds. Each failed attempt is
    // followed by a pause of `retryWaitSeconds`. With `tries` 0, false at once and nothing is
    // sent.
    bool Request(const CUrlRequest &request, unsigned flags);

    // One exchange. False when the address cannot be split (nothing is sent), on any transport
    // error or time-out, after too many redirects, when the body is outside the size limits
    // (an announced Content-Length outside them fails before any body byte is read), and, for
    // a request with a target file, when the final reply's status is not 2xx (its body is then
    // not read). A 404 page without a target file that arrives whole is a success.
    //
    // With a target file the body streams into a temporary file in the file's folder, which
    // replaces the target only when the attempt succeeds; `body` then stays empty and
    // BodySize() counts the bytes received. A target folder that does not exist, or a file that
    // cannot be written, leaves the result true and creates nothing.
    bool RequestOnce(const CUrlRequest &request, unsigned flags);

    // The body of the latest attempt as text (also after a failed attempt: what had arrived).
    // With TEXT_INFLATE and `compressed`, the body is inflated first (zlib or gzip header
    // detected by itself; a truncated or corrupt stream gives what inflated before the break;
    // at most kMaxInflatedBytes). A header block containing "charset=GBK" means GBK, otherwise
    // TEXT_UTF8 means UTF-8, otherwise GBK. The text ends at its first NUL; invalid bytes become
    // U+FFFD. HTML entities are decoded (DecodeEntities).
    QString GetText(unsigned flags) const;

    // Body bytes received in the latest attempt (held in `body`, or written to the file).
    qsizetype BodySize() const { return bodySize_; }

    // The latest reply header block: status line and header lines, each ended by CR LF. After
    // redirects, the final reply's block. Kept when an attempt receives no complete block.
    QString headerText;
    // The latest body as received (still compressed if the server compressed it).
    QByteArray body;
    // True when the header block received in the latest attempt contains "gzip".
    bool compressed = false;

private:
    struct Transfer;

    bool Aborted() const { return abortCheck_ && abortCheck_(); }

    CookieStore *cookies_;
    std::function<bool()> abortCheck_;
    // Kept between attempts so that connections are reused; libcurl's multi handle.
    void *multi_ = nullptr;
    qsizetype bodySize_ = 0;
};
