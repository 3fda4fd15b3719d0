// Throughput of the HTTP engine against the fake service over loopback, next to the curl
// command-line tool fetching the same files with the same parallelism, and the peak memory of
// fifteen simultaneous picture downloads. Prints figures; asserts nothing.
#include "net/CUrlSource.h"
#include "net/CookieStore.h"

#include "FakeLofter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A value of /proc/self/status ("VmRSS", "VmHWM") in KiB, or -1.
long StatusKiB(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(QByteArray(field) + ':'))
            return line.mid(qsizetype(qstrlen(field)) + 1).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

QByteArray Filler(qsizetype size, int seed)
{
    QByteArray bytes(size, '\0');
    quint32 x = quint32(seed) * 2654435761u + 1;
    for (qsizetype i = 0; i < size; ++i) {
        x = x * 1664525u + 1013904223u;
        bytes[i] = char(x >> 24);
    }
    return bytes;
}

struct Job {
    QString url;
    QString file; // empty: keep the body in memory
};

// Runs `jobs` on `threads` threads, each with its own engine object; returns wall seconds.
double RunEngine(CookieStore &store, const std::vector<Job> &jobs, int threads,
                 std::int64_t expectedBytes, int &failures)
{
    std::atomic<std::size_t> next{0};
    std::atomic<int> failed{0};
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([&] {
            CUrlSource source(&store);
            CUrlRequest request(QString(), QString(), 20000);
            request.retryWaitSeconds = 0;
            for (std::size_t i = next++; i < jobs.size(); i = next++) {
                request.url = jobs[i].url;
                request.targetFile = jobs[i].file;
                if (!source.Request(request, 3) || source.BodySize() != expectedBytes)
                    ++failed;
            }
        });
    }
    for (std::thread &thread : pool)
        thread.join();
    failures = failed.load();
    return SecondsSince(start);
}

// The same jobs through `curl --parallel`; returns wall seconds, or -1 when curl failed.
double RunCurl(const std::vector<Job> &jobs, int parallel, const QString &configFile)
{
    QFile config(configFile);
    if (!config.open(QIODevice::WriteOnly))
        return -1;
    for (const Job &job : jobs) {
        config.write("url = \"" + job.url.toUtf8() + "\"\n");
        config.write("output = \"" +
                     (job.file.isEmpty() ? QByteArray("/dev/null") : job.file.toUtf8()) + "\"\n");
    }
    config.close();
    QProcess curl;
    const Clock::time_point start = Clock::now();
    curl.start("curl", {"-q", "--silent", "--fail", "--parallel", "--parallel-max",
                        QString::number(parallel), "--config", configFile});
    if (!curl.waitForFinished(600000) || curl.exitCode() != 0)
        return -1;
    return SecondsSince(start);
}

void Compare(const char *name, CookieStore &store, const std::vector<Job> &jobs, std::int64_t bytes,
             const QString &configFile, int threads = 5)
{
    int failures = 0;
    const double ours = RunEngine(store, jobs, threads, bytes, failures);
    const double theirs = RunCurl(jobs, threads, configFile);
    std::printf("%-28s engine %7.3f s (%d failed)   curl %7.3f s   ratio %.2f\n", name, ours,
                failures, theirs, theirs > 0 ? ours / theirs : 0.0);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    for (const char *name :
         {"http_proxy", "https_proxy", "HTTP_PROXY", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"})
        unsetenv(name);

    testsupport::FakeLofter lofter;
    QTemporaryDir folder;
    CookieStore store;
    constexpr qsizetype kSmall = 100 * 1024;
    constexpr qsizetype kBig = 5 * 1024 * 1024;
    constexpr qsizetype kPicture = 20 * 1024 * 1024;
    testsupport::Reply reply;
    reply.contentType = "image/jpeg";
    reply.body = Filler(kSmall, 1);
    lofter.ServeFixed("GET", "/bench/small", reply);
    reply.body = Filler(kBig, 2);
    lofter.ServeFixed("GET", "/bench/big", reply);
    reply.body = "ok";
    lofter.ServeFixed("GET", "/bench/tiny", reply);
    reply.body = Filler(kPicture, 3);
    lofter.ServeFixed("GET", "/bench/picture", reply);
    reply.body.clear();

    // Peak memory first, while the process is still small.
    {
        std::vector<Job> jobs;
        for (int i = 0; i < 15; ++i)
            jobs.push_back({lofter.Url(QString("/bench/picture?i=%1").arg(i)),
                            folder.filePath(QString("picture%1.jpg").arg(i))});
        const long before = StatusKiB("VmHWM");
        int failures = 0;
        const double seconds = RunEngine(store, jobs, 15, kPicture, failures);
        const long after = StatusKiB("VmHWM");
        std::printf("15 x 20 MiB to files, 15 threads: %.3f s (%d failed); peak RSS %.1f MiB "
                    "(%.1f MiB before the downloads)\n",
                    seconds, failures, after / 1024.0, before / 1024.0);
        for (const Job &job : jobs)
            QFile::remove(job.file);
    }

    std::vector<Job> tiny;
    for (int i = 0; i < 100; ++i)
        tiny.push_back({lofter.Url(QString("/bench/tiny?i=%1").arg(i)), QString()});
    Compare("100 x 2 bytes, 1 thread", store, tiny, 2, folder.filePath("tiny.cfg"), 1);

    std::vector<Job> small;
    for (int i = 0; i < 1000; ++i)
        small.push_back({lofter.Url(QString("/bench/small?i=%1").arg(i)), QString()});
    Compare("1000 x 100 KiB, 5 threads", store, small, kSmall, folder.filePath("small.cfg"));

    std::vector<Job> big;
    for (int i = 0; i < 200; ++i)
        big.push_back({lofter.Url(QString("/bench/big?i=%1").arg(i)),
                       folder.filePath(QString("big%1.bin").arg(i % 20))});
    Compare("200 x 5 MiB to files, 5 thr", store, big, kBig, folder.filePath("big.cfg"));
    return 0;
}
