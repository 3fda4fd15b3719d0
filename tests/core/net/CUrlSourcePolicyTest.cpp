// Transport policy: https with verified certificates, and proxies from the environment.
#include "NetTestSupport.h"
#include "net/CUrlSource.h"
#include "net/CookieStore.h"

#include "FakeLofter.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <httplib.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <future>
#include <mutex>
#include <thread>

using nettest::QuickRequest;

namespace {

// An https server on 127.0.0.1 with a fresh self-signed certificate for that address.
//
// The server is made, run and destroyed on its own thread, and stopped from a short-lived
// one: the test's main thread never calls into the (uninstrumented) HTTP library, which keeps
// ThreadSanitizer's view of the main thread intact for the tests that follow.
class LoopbackHttpsServer {
    // A self-signed certificate for 127.0.0.1 through the openssl command. Started with
    // posix_spawn rather than QProcess, whose vfork-style start confuses ThreadSanitizer.
    static bool MakeCertificate(const QString &keyFile, const QString &certFile)
    {
        const QByteArray key = keyFile.toLocal8Bit();
        const QByteArray cert = certFile.toLocal8Bit();
        const char *argv[] = {"openssl",  "req",
                              "-x509",    "-newkey",
                              "rsa:2048", "-nodes",
                              "-keyout",  key.constData(),
                              "-out",     cert.constData(),
                              "-days",    "2",
                              "-subj",    "/CN=127.0.0.1",
                              "-addext",  "subjectAltName=IP:127.0.0.1",
                              nullptr};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        pid_t pid = 0;
        const int started = posix_spawnp(&pid, "openssl", &actions, nullptr,
                                         const_cast<char *const *>(argv), environ);
        posix_spawn_file_actions_destroy(&actions);
        int status = 0;
        return started == 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
               WEXITSTATUS(status) == 0;
    }

public:
    LoopbackHttpsServer()
    {
        certFile_ = folder_.filePath("cert.pem");
        const QString keyFile = folder_.filePath("key.pem");
        if (!MakeCertificate(keyFile, certFile_))
            return;
        std::promise<int> bound;
        std::future<int> port = bound.get_future();
        thread_ = std::thread([this, keyFile, &bound] {
            httplib::SSLServer server(certFile_.toLocal8Bit().constData(),
                                      keyFile.toLocal8Bit().constData());
            if (!server.is_valid()) {
                bound.set_value(-1);
                return;
            }
            // The connection threads are started from here, not from inside the library.
            server.new_task_queue = [] { return new httplib::ThreadPool(2); };
            server.Get("/secure", [](const httplib::Request &, httplib::Response &response) {
                response.set_content("over tls", "text/plain");
            });
            const int port = server.bind_to_any_port("127.0.0.1");
            if (port > 0) {
                std::lock_guard<std::mutex> guard(lock_);
                server_ = &server;
            }
            bound.set_value(port);
            if (port > 0)
                server.listen_after_bind();
            std::lock_guard<std::mutex> guard(lock_);
            server_ = nullptr;
        });
        port_ = port.get();
    }
    ~LoopbackHttpsServer()
    {
        if (!thread_.joinable())
            return;
        if (port_ > 0) {
            std::thread([this] {
                // A stop() before listening has begun is lost, so repeat until the server
                // thread reports that it has left the listening loop.
                for (;;) {
                    {
                        std::lock_guard<std::mutex> guard(lock_);
                        if (!server_)
                            break;
                        server_->stop();
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
                }
            }).join();
        }
        thread_.join();
    }
    bool Ready() const { return port_ > 0; }
    QString Url(const QString &path) const
    {
        return QString("https://127.0.0.1:%1%2").arg(port_).arg(path);
    }
    QString CertFile() const { return certFile_; }

private:
    QTemporaryDir folder_;
    QString certFile_;
    std::mutex lock_;
    httplib::SSLServer *server_ = nullptr; // guarded by lock_; set while listening
    int port_ = -1;
    std::thread thread_;
};

class CUrlSourcePolicyTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { nettest::ClearProxyEnvironment(); }
};

TEST_F(CUrlSourcePolicyTest, HttpsNeedsATrustedCertificate)
{
    LoopbackHttpsServer server;
    ASSERT_TRUE(server.Ready());

    CUrlSource bare;
    EXPECT_FALSE(bare.Request(QuickRequest(server.Url("/secure")), 0));

    CookieStore store;
    CUrlSource source(&store);
    EXPECT_FALSE(source.Request(QuickRequest(server.Url("/secure")), 0));

    store.SetCaFile(server.CertFile());
    ASSERT_TRUE(source.Request(QuickRequest(server.Url("/secure")), 0));
    EXPECT_EQ(source.GetText(0), "over tls");
    EXPECT_TRUE(source.headerText.startsWith("HTTP/1.1 200"));
}

TEST_F(CUrlSourcePolicyTest, ProxyFromTheEnvironmentIsUsed)
{
    testsupport::RawServer proxy(testsupport::RawBehaviour::Scripted,
                                 "HTTP/1.1 200 OK\r\nContent-Length: 7\r\n\r\nproxied");
    // The origin is never contacted: nothing listens there.
    const QString origin = "http://127.0.0.1:9/via-proxy?x=1";
    setenv("http_proxy", proxy.Url("").toLocal8Bit().constData(), 1);
    CUrlSource source;
    const bool ok = source.Request(QuickRequest(origin), 0);
    setenv("no_proxy", "127.0.0.1", 1);
    CUrlSource direct;
    const bool bypassed = direct.Request(QuickRequest(origin, 1000), 0);
    unsetenv("http_proxy");
    unsetenv("no_proxy");

    ASSERT_TRUE(ok);
    EXPECT_EQ(source.GetText(0), "proxied");
    EXPECT_TRUE(proxy.Received().startsWith("GET " + origin.toUtf8() + " HTTP/1.1\r\n"))
        << proxy.Received().left(200).constData();
    EXPECT_FALSE(bypassed);
    EXPECT_EQ(proxy.Connections(), 1);
}

} // namespace
