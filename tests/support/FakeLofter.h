#pragma once

// The fake LOFTER service: an in-process HTTP/1.1 server on 127.0.0.1 that serves blogs
// (archive page, archive call, post pages), generated pictures and any extra reply a test
// adds, and that can be told per path to misbehave (slow, failing, compressed, GBK,
// redirecting, cookie-checking, truncated, stalled, endless ...). It records every request.
//
// Typical use in a test:
//
//     testsupport::FakeLofter lofter;                       // listening at once, free port
//     testsupport::FakeBlog blog;
//     blog.address = "/blogs/alice/";
//     blog.title = "Alice & Bob";
//     blog.blogId = 4242;
//     blog.posts = testsupport::FakeLofter::GeneratePosts({.count = 120});
//     lofter.AddBlog(blog);
//     QString address = lofter.Url("/blogs/alice/");       // http://127.0.0.1:PORT/blogs/alice/
//
//     testsupport::ReplyOptions slow;
//     slow.gzip = true;
//     slow.delay = std::chrono::milliseconds(200);
//     lofter.SetOptions("/blogs/alice/view", slow);        // only this path
//
//     ... run the code under test against `address` ...
//     auto requests = lofter.Requests();                    // what arrived, in order
//
// Threads: the public member functions may be called from any thread at any time, also while
// requests are being served; they take an internal lock. The server's own threads (a
// listening thread and a pool of connection threads) run only inside the FakeLofter's
// lifetime: the destructor wakes every stalled, trickling, endless or never-answering reply,
// stops the server and joins its threads, promptly (well under a second), whatever the
// clients are doing. Up to 64 requests are served at the same time per instance. The first
// instance sets SIGPIPE to be ignored, process-wide, so that a client that hangs up cannot
// kill the test program.

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace testsupport {

// ---------------------------------------------------------------------------------------------
// Pictures

enum class PictureKind { Jpeg, Png, Gif };

// Describes one generated picture. The same spec always gives the same bytes (within one
// process and across processes). Pictures with different seeds differ in their pixels.
struct PictureSpec {
    PictureKind kind = PictureKind::Jpeg;
    int seed = 0;   // chooses colours and pattern; any non-negative value
    int width = 32; // 1..4096
    int height = 24;
    // Total file size in bytes. 0 = the natural size of the encoded image. A size above the
    // natural size is reached exactly with padding that every decoder skips (JPEG comment
    // segments, a private PNG chunk, GIF comment extensions; a few bytes after the end marker
    // when the gap is too small for a block). A size below the natural size gives the natural
    // size.
    std::int64_t byteSize = 0;

    bool operator==(const PictureSpec &) const = default;
};

// The file-name extension of a kind, without dot: "jpg", "png", "gif".
QString PictureExtension(PictureKind kind);

// The encoded bytes of a picture, made on first use and cached for the life of the process
// (thread-safe). JPEG and PNG are encoded by QImage (a QCoreApplication should exist so that
// Qt finds its image plugins); GIF is a GIF89a written here. Tests compare downloaded files
// with these bytes.
QByteArray PictureBytes(const PictureSpec &spec);

// The server path under which every FakeLofter serves `spec`:
// "/img/<seed>_<width>x<height>_<byteSize>.<ext>", e.g. "/img/7_32x24_0.jpg".
QString PicturePath(const PictureSpec &spec);

// The reverse of PicturePath (a query, if any, is ignored); nullopt for any other path.
std::optional<PictureSpec> ParsePicturePath(const QString &path);

// gzip (RFC 1952) of `bytes`, as the service sends it under ReplyOptions::gzip.
QByteArray GzipBytes(const QByteArray &bytes);

// ---------------------------------------------------------------------------------------------
// Blogs

// One post of a fake blog.
struct FakePost {
    QString permalink;       // last segment of the post address, e.g. "1a2b3c_4d5e6f"
    std::int64_t timeMs = 0; // publication time in ms since 1970 (the archive's "time")
    QString title;           // may be empty, may hold any Unicode text
    QString noticeLinkTitle; // substitute title shown by the archive call
    QStringList pictures;    // picture addresses inside the content area, in page order
    // Picture addresses outside the content area: the first stands before it (an avatar in
    // the page head), the others after it.
    QStringList outsidePictures;
    // When set, GET <blog>post/<permalink> answers exactly this text instead of the page.
    std::optional<QByteArray> pageOverride;
};
// Picture addresses (in `pictures` and `outsidePictures`) that begin with "/" are taken as
// paths of the serving FakeLofter and made absolute ("http://127.0.0.1:PORT/...") when the
// page is served; other addresses are written into the page unchanged.

// A fake blog, served under `address`.
struct FakeBlog {
    // Path prefix of the blog: "/" (the blog is the root of the server) or "/a/b/" (begins
    // and ends with "/"). The blog address of the client is Url(address).
    QString address = "/";
    QString title;               // plain text; HTML-escaped in the archive page's <title>
    std::int64_t blogId = 1;     // the number behind "blogId=" on the archive page
    std::vector<FakePost> posts; // any order; the archive call sorts them newest first
    // When set, GET <address>view answers exactly this text (UTF-8 unless the charset knob
    // says otherwise) instead of the generated archive page.
    std::optional<QByteArray> archivePageOverride;
    // When set, the archive call answers exactly this text whatever the request body says.
    std::optional<QByteArray> archiveAnswerOverride;
};

// How GeneratePosts fills posts.
struct GenerateOptions {
    int count = 10;
    std::int64_t newestTimeMs = 1400000000000; // time of post 0 (May 2014)
    std::int64_t stepMs = 3600000;             // post i is at newestTimeMs - i * stepMs
    QString permalinkPrefix = "p";             // permalinks are "<prefix><i hex>_<hash hex>"
    // Titles: false gives "Post <i>" for every post; true gives the sample mix: Chinese and
    // ASCII titles, some repeating, some holding characters that file names cannot hold
    // (\ / : * ? " < > |), a few empty with a noticeLinkTitle, a few empty without one.
    bool mixedTitles = false;
    // Pictures: each post gets `picturesPerPost` pictures in its content area (kinds cycling
    // JPEG, PNG, GIF when `mixKinds`, else all `kind`), one avatar before the content area and
    // one picture after it. Picture seeds are unique per post and position.
    int picturesPerPost = 1;
    bool mixKinds = false;
    PictureKind kind = PictureKind::Jpeg;
    int pictureWidth = 32;
    int pictureHeight = 24;
    std::int64_t pictureBytes = 0; // PictureSpec::byteSize for the content pictures
    int seedBase = 0;              // added to every picture seed
};

// ---------------------------------------------------------------------------------------------
// Replies and per-path behaviour

enum class Charset {
    Utf8, // "Content-Type: text/html; charset=UTF-8", body as UTF-8
    Gbk,  // "Content-Type: text/html; charset=GBK", body re-encoded to GBK
    None  // "Content-Type: text/html" without a charset parameter, body as UTF-8
};

// Behaviour knobs for the replies of one path (or, as the default, of every path without
// its own options). Everything defaults to a plain, prompt, complete reply. The steps happen
// in this order: record the request, `delay`, `neverAnswer`, `requiredCookie`, `redirectTo`,
// make the reply, `statusOverride`/`bodyOverride`, charset, gzip, headers, then the body
// delivery knobs.
struct ReplyOptions {
    // Wait this long after the request arrived before anything else (interruptible by the
    // destructor).
    std::chrono::milliseconds delay{0};
    // Read the request, then send nothing until the service is destroyed (the connection then
    // ends, possibly after a bare 503 head). The same 503 ends a `delay` cut short that way.
    bool neverAnswer = false;
    // When not empty ("name=value"): a request whose Cookie header lacks that pair gets
    // "403 Forbidden" with a small page instead of the reply.
    QByteArray requiredCookie;
    // When not empty: answer `redirectStatus` with "Location: <redirectTo>" and a small body.
    // A value beginning with "/" is made absolute with the service's origin. Two paths that
    // redirect to each other make a redirect loop.
    QString redirectTo;
    int redirectStatus = 302;
    // 0 = the natural status (200, or 404 for an unknown path). Otherwise this status with
    // the natural body (or `bodyOverride`), sent whole.
    int statusOverride = 0;
    std::optional<QByteArray> bodyOverride; // replaces the natural body (UTF-8 for text)
    // Text replies (Content-Type text/..., or one naming javascript or json) carry this
    // charset. Pictures and other binary replies are never re-encoded.
    Charset charset = Charset::Utf8;
    // Send the body gzip-compressed with "Content-Encoding: gzip" (whatever the request's
    // Accept-Encoding says). Without it the body is never compressed.
    bool gzip = false;
    // Extra header lines on the reply, e.g. {"Set-Cookie", "sid=abc; Path=/"}; any number,
    // in this order.
    std::vector<std::pair<QByteArray, QByteArray>> extraHeaders;
    // Add this many bytes of filler header lines ("X-Filler-<n>: xxx...", at most about 8 KiB
    // each) to the reply head, e.g. 1 << 20 for a 1 MB header block.
    std::int64_t hugeHeaderBytes = 0;

    // Body delivery (the head is always sent first, in one piece).
    // Announce "Content-Length" this many bytes larger than the body, send the whole body,
    // then close the connection.
    std::int64_t extraContentLength = 0;
    // >= 0: close the connection after this many body bytes (the announced length stays the
    // full length).
    std::int64_t closeAfterBytes = -1;
    // When `stallFor` > 0: after `stallAfterBytes` body bytes (0 = right after the head),
    // send nothing for `stallFor`, then go on.
    std::int64_t stallAfterBytes = 0;
    std::chrono::milliseconds stallFor{0};
    // When > 0: send the body one byte at a time, waiting this long before each byte.
    std::chrono::milliseconds trickleInterval{0};
    // Endless body: no Content-Length, the reply body (or filler) repeated without end until
    // the client closes or the service is destroyed.
    bool endless = false;
};

// One HTTP reply made by a handler. `body` of a text reply is UTF-8; the charset and gzip
// knobs of the path are applied to it afterwards.
struct Reply {
    int status = 200;
    QByteArray contentType = "text/html"; // without charset; the charset knob adds it
    QByteArray body;
    std::vector<std::pair<QByteArray, QByteArray>> headers; // extra header lines, in order
};

// One request as the service received it.
struct RecordedRequest {
    QByteArray method; // "GET", "POST", ...
    QByteArray target; // path with query, as sent: "/blogs/alice/view?x=1"
    QByteArray path;   // path without query, percent-decoded (the key of SetOptions)
    // Header lines as (name, value). The names keep the client's spelling. The order is the
    // order the HTTP library hands them over: grouped by name in case-insensitive name
    // order, lines of one name in arrival order.
    std::vector<std::pair<QByteArray, QByteArray>> headers;
    QByteArray body; // request body bytes (decoded from chunked transfer if it was chunked)

    // The value of the first header line named `name` (case-insensitive); empty if none.
    QByteArray Header(const QByteArray &name) const;
    // Every value of header lines named `name`, in order.
    QList<QByteArray> Headers(const QByteArray &name) const;
    bool HasHeader(const QByteArray &name) const;
};

using Handler = std::function<Reply(const RecordedRequest &request)>;

// ---------------------------------------------------------------------------------------------
// The service

class FakeLofter {
public:
    // Starts listening on 127.0.0.1 at a free port (`port` 0) or at `port`; serving starts at
    // once. Throws std::runtime_error when the port cannot be bound.
    explicit FakeLofter(int port = 0);
    // Stops promptly (see the class comment) and joins every thread it started.
    ~FakeLofter();
    FakeLofter(const FakeLofter &) = delete;
    FakeLofter &operator=(const FakeLofter &) = delete;

    int Port() const;
    // "http://127.0.0.1:PORT"
    QString Origin() const;
    // Origin() + path; `path` begins with "/" (it may hold a query).
    QString Url(const QString &path) const;

    // Blogs. AddBlog replaces a blog with the same address. A request goes to the blog with
    // the longest address that prefixes its path. Routes under a blog address:
    //   GET  <address>view      the archive page
    //   POST <address>dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr
    //   GET  <address>post/<permalink>
    void AddBlog(const FakeBlog &blog);
    void RemoveBlog(const QString &address);
    // Runs `change` on the stored blog under the lock (no-op when there is none).
    void UpdateBlog(const QString &address, const std::function<void(FakeBlog &)> &change);
    // A copy of the stored blog; nullopt when there is none.
    std::optional<FakeBlog> Blog(const QString &address) const;

    // Posts for tests and sample blogs; deterministic for the same options.
    static std::vector<FakePost> GeneratePosts(const GenerateOptions &options);

    // The generated texts, for tests that compare or build on them. `origin` is what
    // picture paths beginning with "/" are prefixed with.
    static QByteArray ArchivePageText(const FakeBlog &blog);
    static QByteArray PostPageText(const FakePost &post, const QString &origin);
    // The archive call's answer for `blog`: at most `count` posts with time < cursorMs, newest
    // first, in the script form of the real service ("sN.blogId=ID;sN.time=T;sN.title=\"...\";
    // sN.permalink=\"...\";sN.noticeLinkTitle=\"...\";" among other properties; non-ASCII
    // characters of strings as \uXXXX escapes).
    static QByteArray ArchiveAnswerText(const FakeBlog &blog, std::int64_t cursorMs, int count);
    // The parsed archive call body: blog id (line 7), cursor (line 8), count (line 9). nullopt
    // when the body does not have that shape.
    struct ArchiveCall {
        std::int64_t blogId = 0;
        std::int64_t cursorMs = 0;
        int count = 0;
    };
    static std::optional<ArchiveCall> ParseArchiveCall(const QByteArray &body);

    // Pictures are served at PicturePath(spec) by every FakeLofter, with Content-Type
    // image/jpeg, image/png or image/gif. PictureUrl = Url(PicturePath(spec)).
    QString PictureUrl(const PictureSpec &spec) const;

    // Extra replies: `handler` answers `method` (e.g. "GET") on exactly `path` (without query).
    // Extra handlers take precedence over blogs and pictures; a later Serve for the same
    // method and path replaces the earlier one. The handler runs on a server thread; the
    // path's ReplyOptions still apply to its reply.
    void Serve(const QByteArray &method, const QString &path, Handler handler);
    // A fixed reply, as a shorthand for Serve with a handler that returns `reply`.
    void ServeFixed(const QByteArray &method, const QString &path, const Reply &reply);

    // Behaviour knobs. SetOptions applies to exactly `path` (without query); every other path
    // follows the default (initially ReplyOptions{}). ClearOptions drops every per-path knob
    // and resets the default.
    void SetDefaultOptions(const ReplyOptions &options);
    void SetOptions(const QString &path, const ReplyOptions &options);
    void ClearOptions();

    // Request log, in the order the requests arrived (fully read), across all paths.
    std::vector<RecordedRequest> Requests() const;
    // Only the requests for `path` (without query).
    std::vector<RecordedRequest> RequestsFor(const QString &path) const;
    std::size_t RequestCount() const;
    void ClearRequests();
    // Waits (processing Qt events, as WaitFor does) until at least `count` requests are in
    // the log. Returns false when `timeout` passed first.
    bool WaitForRequests(std::size_t count,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// ---------------------------------------------------------------------------------------------
// A raw TCP server for replies that no HTTP library would send

enum class RawBehaviour {
    NeverAnswer, // accept, never read, never write, keep the connection open until destroyed
    CloseAtOnce, // accept, read the request head, close without sending a byte
    Scripted     // read the request head, send `script` exactly, then close or hold
};

// An http address on 127.0.0.1 at which nothing listens (a port just bound and released), so
// connections to it are refused at once.
QString RefusingUrl(const QString &path = QStringLiteral("/"));

// RawServer listens on 127.0.0.1 (free port) with its own accepting thread and one thread
// per connection; all are joined by the destructor, which returns promptly even while
// connections are held open. Owned by the test; member functions are thread-safe.
class RawServer {
public:
    // `script` is used with RawBehaviour::Scripted: the exact bytes sent after the request head
    // has arrived (status line, header lines, blank line, body, anything). With
    // `holdOpen`, the connection stays open after the script until destruction; otherwise it
    // is closed.
    explicit RawServer(RawBehaviour behaviour, QByteArray script = {}, bool holdOpen = false);
    ~RawServer();
    RawServer(const RawServer &) = delete;
    RawServer &operator=(const RawServer &) = delete;

    int Port() const;
    // "http://127.0.0.1:PORT" + path
    QString Url(const QString &path = "/") const;
    // Number of connections accepted so far.
    int Connections() const;
    // The bytes received on every connection so far (request heads), concatenated.
    QByteArray Received() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

} // namespace testsupport
