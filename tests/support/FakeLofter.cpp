// The fake LOFTER service on top of cpp-httplib.
//
// Every reply body goes out through a content provider with an explicit length (or, for the
// endless body, without one), never through Response::body: the library would otherwise
// compress text bodies by itself whenever the client accepts gzip, and the compression knob
// must be ours alone. The provider is also where truncation, stalls and trickling happen.

#include "FakeLofter.h"

#include "WaitFor.h"

#include <QStringEncoder>

#include <httplib.h>

#include <atomic>
#include <csignal>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace testsupport {
namespace {

constexpr auto kPollStep = std::chrono::milliseconds(10);
const QByteArray kArchiveCallTail = "dwr/call/plaincall/ArchiveBean.getArchivePostByTime.dwr";

// Writing to a connection the client already closed must fail with EPIPE, not kill the
// process; the HTTP library leaves that to its host.
void IgnoreSigpipeOnce()
{
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGPIPE, SIG_IGN); });
}

bool IsText(const QByteArray &contentType)
{
    return contentType.startsWith("text/") || contentType.contains("javascript") ||
           contentType.contains("json");
}

QByteArray SmallPage(int status, const QByteArray &reason)
{
    const QByteArray head = QByteArray::number(status) + " " + reason;
    return "<html><head><title>" + head + "</title></head><body><h1>" + head +
           "</h1></body></html>\n";
}

// True when the Cookie header of `request` holds exactly the pair `wanted` ("name=value").
bool HasCookie(const RecordedRequest &request, const QByteArray &wanted)
{
    for (const QByteArray &header : request.Headers("Cookie")) {
        for (const QByteArray &pair : header.split(';')) {
            if (pair.trimmed() == wanted) {
                return true;
            }
        }
    }
    return false;
}

} // namespace

struct FakeLofter::State {
    httplib::Server server;
    std::thread thread;
    std::atomic<bool> stopping{false};
    std::atomic<bool> listenReturned{false};
    int port = 0;

    mutable std::mutex mutex; // guards everything below
    std::map<QString, FakeBlog> blogs;
    std::map<std::pair<QByteArray, QString>, Handler> handlers;
    std::map<QString, ReplyOptions> options;
    ReplyOptions defaultOptions;
    std::vector<RecordedRequest> requests;

    QString Origin() const { return QStringLiteral("http://127.0.0.1:%1").arg(port); }

    // Sleeps `duration` in short steps; false when the service began to stop meanwhile.
    bool Pause(std::chrono::milliseconds duration) const
    {
        const auto end = std::chrono::steady_clock::now() + duration;
        while (!stopping.load()) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= end) {
                return true;
            }
            std::this_thread::sleep_for(
                std::min<std::chrono::steady_clock::duration>(kPollStep, end - now));
        }
        return false;
    }

    ReplyOptions OptionsFor(const QString &path) const
    {
        std::lock_guard lock(mutex);
        auto it = options.find(path);
        return it != options.end() ? it->second : defaultOptions;
    }

    Reply MakeReply(const RecordedRequest &request);
    void Handle(const httplib::Request &req, httplib::Response &res);
};

Reply FakeLofter::State::MakeReply(const RecordedRequest &request)
{
    const QString path = QString::fromUtf8(request.path);
    Handler handler;
    std::optional<FakeBlog> blog;
    {
        std::lock_guard lock(mutex);
        auto it = handlers.find({request.method, path});
        if (it == handlers.end() && request.method == "HEAD") {
            it = handlers.find({QByteArray("GET"), path});
        }
        if (it != handlers.end()) {
            handler = it->second;
        } else {
            const FakeBlog *best = nullptr;
            for (const auto &[address, candidate] : blogs) {
                if (path.startsWith(address) && (!best || address.size() > best->address.size())) {
                    best = &candidate;
                }
            }
            if (best) {
                blog = *best;
            }
        }
    }
    if (handler) {
        return handler(request);
    }
    const bool get = request.method == "GET" || request.method == "HEAD";
    if (blog) {
        const QString rest = path.mid(blog->address.size());
        if (get && rest == QLatin1String("view")) {
            return Reply{200, "text/html", ArchivePageText(*blog), {}};
        }
        if (request.method == "POST" && rest == QLatin1String(kArchiveCallTail)) {
            const auto call = ParseArchiveCall(request.body);
            FakeBlog answerFor = *blog;
            std::int64_t cursor = 0;
            int count = 0;
            if (call && call->blogId == blog->blogId) {
                cursor = call->cursorMs;
                count = call->count;
            }
            return Reply{200, "text/javascript", ArchiveAnswerText(answerFor, cursor, count), {}};
        }
        if (get && rest.startsWith(QLatin1String("post/"))) {
            const QString permalink = rest.mid(5);
            for (const FakePost &post : blog->posts) {
                if (post.permalink == permalink) {
                    return Reply{200, "text/html", PostPageText(post, Origin()), {}};
                }
            }
        }
    }
    if (get) {
        if (const auto spec = ParsePicturePath(path)) {
            static const QByteArray types[] = {"image/jpeg", "image/png", "image/gif"};
            return Reply{200, types[static_cast<int>(spec->kind)], PictureBytes(*spec), {}};
        }
    }
    return Reply{404, "text/html", SmallPage(404, "Not Found"), {}};
}

void FakeLofter::State::Handle(const httplib::Request &req, httplib::Response &res)
{
    RecordedRequest record;
    record.method = QByteArray::fromStdString(req.method);
    record.target = QByteArray::fromStdString(req.target);
    record.path = QByteArray::fromStdString(req.path);
    for (const auto &[name, value] : req.headers) {
        // The library adds these four as if they were header lines.
        if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
            name == "LOCAL_PORT") {
            continue;
        }
        record.headers.emplace_back(QByteArray::fromStdString(name),
                                    QByteArray::fromStdString(value));
    }
    record.body = QByteArray::fromStdString(req.body);
    {
        std::lock_guard lock(mutex);
        requests.push_back(record);
    }

    const QString path = QString::fromUtf8(record.path);
    const ReplyOptions opt = OptionsFor(path);
    if (!Pause(opt.delay)) {
        res.status = 503;
        return;
    }
    if (opt.neverAnswer) {
        while (!stopping.load()) {
            std::this_thread::sleep_for(kPollStep);
        }
        res.status = 503;
        return;
    }

    Reply reply;
    if (!opt.requiredCookie.isEmpty() && !HasCookie(record, opt.requiredCookie)) {
        reply = Reply{403, "text/html", SmallPage(403, "Forbidden"), {}};
    } else if (!opt.redirectTo.isEmpty()) {
        const QString location = opt.redirectTo.startsWith(QLatin1Char('/'))
                                     ? Origin() + opt.redirectTo
                                     : opt.redirectTo;
        reply = Reply{opt.redirectStatus, "text/html", SmallPage(opt.redirectStatus, "Moved"), {}};
        reply.headers.emplace_back("Location", location.toUtf8());
    } else {
        try {
            reply = MakeReply(record);
        } catch (const std::exception &error) {
            reply = Reply{500, "text/plain", QByteArray("handler failed: ") + error.what(), {}};
        }
        if (opt.statusOverride != 0) {
            reply.status = opt.statusOverride;
        }
        if (opt.bodyOverride) {
            reply.body = *opt.bodyOverride;
        }
    }

    QByteArray contentType = reply.contentType;
    QByteArray body = reply.body;
    if (IsText(contentType)) {
        switch (opt.charset) {
        case Charset::Utf8:
            contentType += "; charset=UTF-8";
            break;
        case Charset::Gbk: {
            QStringEncoder toGbk("GBK");
            body = toGbk.encode(QString::fromUtf8(body));
            contentType += "; charset=GBK";
            break;
        }
        case Charset::None:
            break;
        }
    }
    if (opt.gzip && !opt.endless) {
        body = GzipBytes(body);
        res.set_header("Content-Encoding", "gzip");
    }

    res.status = reply.status;
    for (const auto &[name, value] : reply.headers) {
        res.set_header(name.toStdString(), value.toStdString());
    }
    for (const auto &[name, value] : opt.extraHeaders) {
        res.set_header(name.toStdString(), value.toStdString());
    }
    for (std::int64_t left = opt.hugeHeaderBytes, n = 0; left > 0; ++n) {
        const std::string name = "X-Filler-" + std::to_string(n);
        const std::int64_t line = std::min<std::int64_t>(left, 8192);
        const auto valueSize =
            std::max<std::int64_t>(1, line - static_cast<std::int64_t>(name.size()) - 4);
        res.set_header(name, std::string(static_cast<std::size_t>(valueSize), 'x'));
        left -= line;
    }

    struct Delivery {
        QByteArray body;
        ReplyOptions options;
        bool stalled = false;
        const State *state = nullptr;
    };
    auto delivery = std::make_shared<Delivery>();
    delivery->body = body.isEmpty() && opt.endless ? QByteArray(16384, 'x') : body;
    delivery->options = opt;
    delivery->state = this;

    // Bytes that may go out at `offset` before a knob interrupts; 0 means stop here.
    auto step = [](Delivery &d, std::int64_t offset, std::int64_t available) -> std::int64_t {
        const ReplyOptions &o = d.options;
        if (o.closeAfterBytes >= 0) {
            if (offset >= o.closeAfterBytes) {
                return 0;
            }
            available = std::min(available, o.closeAfterBytes - offset);
        }
        if (o.stallFor.count() > 0 && !d.stalled) {
            if (offset >= o.stallAfterBytes) {
                d.stalled = true;
                if (!d.state->Pause(o.stallFor)) {
                    return 0;
                }
            } else {
                available = std::min(available, o.stallAfterBytes - offset);
            }
        }
        if (o.trickleInterval.count() > 0) {
            if (!d.state->Pause(o.trickleInterval)) {
                return 0;
            }
            available = std::min<std::int64_t>(available, 1);
        }
        return std::min<std::int64_t>(available, 65536);
    };

    const std::string type = contentType.toStdString();
    if (opt.endless) {
        res.set_content_provider(
            type, [delivery, step](std::size_t offset, httplib::DataSink &sink) {
                Delivery &d = *delivery;
                if (d.state->stopping.load()) {
                    return false;
                }
                const auto size = static_cast<std::int64_t>(d.body.size());
                const auto at = static_cast<std::int64_t>(offset) % size;
                const std::int64_t n = step(d, static_cast<std::int64_t>(offset), size - at);
                if (n <= 0) {
                    return false;
                }
                return sink.write(d.body.constData() + at, static_cast<std::size_t>(n));
            });
        return;
    }
    const auto announced = static_cast<std::size_t>(body.size() + opt.extraContentLength);
    if (announced == 0) {
        res.set_content(std::string(), type);
        return;
    }
    res.set_content_provider(
        announced, type,
        [delivery, step](std::size_t offset, std::size_t, httplib::DataSink &sink) {
            Delivery &d = *delivery;
            if (d.state->stopping.load()) {
                return false;
            }
            const auto size = static_cast<std::int64_t>(d.body.size());
            const auto at = static_cast<std::int64_t>(offset);
            if (at >= size) {
                return false; // the announced length was larger: close here
            }
            const std::int64_t n = step(d, at, size - at);
            if (n <= 0) {
                return false;
            }
            return sink.write(d.body.constData() + at, static_cast<std::size_t>(n));
        });
}

FakeLofter::FakeLofter(int port) : state_(std::make_unique<State>())
{
    IgnoreSigpipeOnce();
    State &s = *state_;
    s.server.new_task_queue = [] { return new httplib::ThreadPool(64); };
    // Small replies go out at once instead of waiting for the client's delayed ACK.
    s.server.set_tcp_nodelay(true);
    s.server.set_keep_alive_timeout(2);
    s.server.set_read_timeout(5, 0);
    s.server.set_write_timeout(5, 0);
    s.server.set_payload_max_length(64 << 20);
    const auto handle = [&s](const httplib::Request &req, httplib::Response &res) {
        s.Handle(req, res);
    };
    s.server.Get(".*", handle);
    s.server.Post(".*", handle);
    s.server.Put(".*", handle);
    s.server.Patch(".*", handle);
    s.server.Delete(".*", handle);
    s.server.Options(".*", handle);
    if (port == 0) {
        s.port = s.server.bind_to_any_port("127.0.0.1");
    } else {
        s.port = s.server.bind_to_port("127.0.0.1", port) ? port : -1;
    }
    if (s.port <= 0) {
        throw std::runtime_error("FakeLofter: cannot bind 127.0.0.1");
    }
    s.thread = std::thread([&s] {
        s.server.listen_after_bind();
        s.listenReturned.store(true);
    });
}

FakeLofter::~FakeLofter()
{
    State &s = *state_;
    s.stopping.store(true);
    // stop() only acts on a running server; the listening thread may not have got there yet.
    while (!s.server.is_running() && !s.listenReturned.load()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    s.server.stop();
    s.thread.join();
}

int FakeLofter::Port() const
{
    return state_->port;
}

QString FakeLofter::Origin() const
{
    return state_->Origin();
}

QString FakeLofter::Url(const QString &path) const
{
    return Origin() + path;
}

void FakeLofter::AddBlog(const FakeBlog &blog)
{
    std::lock_guard lock(state_->mutex);
    state_->blogs[blog.address] = blog;
}

void FakeLofter::RemoveBlog(const QString &address)
{
    std::lock_guard lock(state_->mutex);
    state_->blogs.erase(address);
}

void FakeLofter::UpdateBlog(const QString &address, const std::function<void(FakeBlog &)> &change)
{
    std::lock_guard lock(state_->mutex);
    auto it = state_->blogs.find(address);
    if (it != state_->blogs.end()) {
        change(it->second);
        it->second.address = address;
    }
}

std::optional<FakeBlog> FakeLofter::Blog(const QString &address) const
{
    std::lock_guard lock(state_->mutex);
    auto it = state_->blogs.find(address);
    if (it == state_->blogs.end()) {
        return std::nullopt;
    }
    return it->second;
}

QString FakeLofter::PictureUrl(const PictureSpec &spec) const
{
    return Url(PicturePath(spec));
}

void FakeLofter::Serve(const QByteArray &method, const QString &path, Handler handler)
{
    std::lock_guard lock(state_->mutex);
    state_->handlers[{method, path}] = std::move(handler);
}

void FakeLofter::ServeFixed(const QByteArray &method, const QString &path, const Reply &reply)
{
    Serve(method, path, [reply](const RecordedRequest &) { return reply; });
}

void FakeLofter::SetDefaultOptions(const ReplyOptions &options)
{
    std::lock_guard lock(state_->mutex);
    state_->defaultOptions = options;
}

void FakeLofter::SetOptions(const QString &path, const ReplyOptions &options)
{
    std::lock_guard lock(state_->mutex);
    state_->options[path] = options;
}

void FakeLofter::ClearOptions()
{
    std::lock_guard lock(state_->mutex);
    state_->options.clear();
    state_->defaultOptions = ReplyOptions{};
}

std::vector<RecordedRequest> FakeLofter::Requests() const
{
    std::lock_guard lock(state_->mutex);
    return state_->requests;
}

std::vector<RecordedRequest> FakeLofter::RequestsFor(const QString &path) const
{
    const QByteArray wanted = path.toUtf8();
    std::vector<RecordedRequest> matching;
    std::lock_guard lock(state_->mutex);
    for (const RecordedRequest &request : state_->requests) {
        if (request.path == wanted) {
            matching.push_back(request);
        }
    }
    return matching;
}

std::size_t FakeLofter::RequestCount() const
{
    std::lock_guard lock(state_->mutex);
    return state_->requests.size();
}

void FakeLofter::ClearRequests()
{
    std::lock_guard lock(state_->mutex);
    state_->requests.clear();
}

bool FakeLofter::WaitForRequests(std::size_t count, std::chrono::milliseconds timeout) const
{
    return WaitFor([&] { return RequestCount() >= count; }, timeout);
}

} // namespace testsupport
