// The picture manager and its workers, driven directly with job lists of many pictures: the
// number of workers in flight, the single-worker pause, the progress label, the read time-out,
// the fallback address, the size limits, unsafe names and the stop.

#include "download/PicWorkers.h"
#include "FakeLofter.h"
#include "QtPrint.h"
#include "RecordingWindow.h"
#include "WaitFor.h"
#include "download/PicFixes.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <QRegularExpression>

#include <algorithm>
#include <condition_variable>
#include <mutex>

using testsupport::FakeLofter;
using testsupport::PictureBytes;
using testsupport::PictureSpec;

namespace {

PictureSpec Picture(int seed, std::int64_t bytes = 0)
{
    PictureSpec spec;
    spec.seed = seed;
    spec.byteSize = bytes;
    return spec;
}

QByteArray ReadAll(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

class PicWorkersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        jobs.rootFolder = dir.path() + QStringLiteral("/");
        jobs.StartAlbum();
        batch.jobs = &jobs;
        batch.window = &window;
        batch.params.threadCount = 5;
        batch.params.timeoutSec = 10;
        batch.params.retryWaitSeconds = 0;
        batch.params.singleWorkerPauseMs = 0;
        batch.workersActive = &active;
        batch.stopRequested = [this] { return stop.load() != 0; };
    }

    // Job i fetches picture seed i into "<i>.jpg".
    void AddPictures(int count, std::int64_t bytes = 0)
    {
        for (int i = 0; i < count; ++i)
            jobs.Append(lofter.PictureUrl(Picture(i, bytes)), QStringLiteral("%1.jpg").arg(i),
                        QString());
    }

    void RunManager()
    {
        std::atomic<std::uint8_t> stopFlag{1};
        std::thread manager = StartDownPicFunc(batch, stopFlag);
        ASSERT_TRUE(manager.joinable());
        EXPECT_EQ(stopFlag.load(), 0); // cleared for the album
        manager.join();
        EXPECT_EQ(active.load(), 0);
    }

    QStringList Files() const
    {
        return QDir(jobs.albumFolder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

    QTemporaryDir dir;
    FakeLofter lofter;
    RecordingWindow window;
    ST_DOWNJOBLIST jobs;
    PicBatch batch;
    std::atomic<std::uint8_t> active{0};
    std::atomic<int> stop{0};
};

// Counts the requests in flight. Each request is held until `expected` requests are in flight
// at once (or a 20 s watchdog passes), so the maximum is reached whatever the timing; once it
// has been reached every request passes at once.
struct ConcurrencyProbe {
    std::mutex mutex;
    std::condition_variable reached;
    int expected = 0;
    int inFlight = 0;
    int maxInFlight = 0;
    bool released = false;

    void Hold()
    {
        std::unique_lock lock(mutex);
        maxInFlight = std::max(maxInFlight, ++inFlight);
        if (inFlight >= expected) {
            released = true;
            reached.notify_all();
        }
        reached.wait_for(lock, std::chrono::seconds(20), [this] { return released; });
        --inFlight;
    }
};

} // namespace

TEST_F(PicWorkersTest, WorkersInFlightNeverExceedTheThreadCount)
{
    struct Case {
        quint32 threads;
        int jobs;
        int expectedMax;
    };
    for (const Case c : {Case{5, 3, 3}, Case{15, 30, 15}, Case{2, 7, 2}}) {
        SCOPED_TRACE(c.threads);
        jobs.StartAlbum();
        auto probe = std::make_shared<ConcurrencyProbe>();
        probe->expected = c.expectedMax;
        for (int i = 0; i < c.jobs; ++i) {
            const QString path = QStringLiteral("/slow/%1_%2.jpg").arg(c.threads).arg(i);
            lofter.Serve("GET", path, [probe, i](const testsupport::RecordedRequest &) {
                probe->Hold();
                return testsupport::Reply{200, "image/jpeg", PictureBytes(Picture(i)), {}};
            });
            jobs.Append(lofter.Url(path), QStringLiteral("%1_%2.jpg").arg(c.threads).arg(i),
                        QString());
        }
        batch.params.threadCount = c.threads;
        window.ClearCalls();
        RunManager();
        {
            std::lock_guard lock(probe->mutex);
            EXPECT_EQ(probe->maxInFlight, c.expectedMax);
        }
        EXPECT_EQ(batch.result.jobs, c.jobs);
        EXPECT_EQ(batch.result.saved, c.jobs);
        EXPECT_EQ(batch.result.failed, 0);
        for (int i = 0; i < c.jobs; ++i) {
            EXPECT_EQ(ReadAll(jobs.albumFolder + QStringLiteral("%1_%2.jpg").arg(c.threads).arg(i)),
                      PictureBytes(Picture(i)));
        }
        const QStringList changes = window.Changes();
        ASSERT_GE(changes.size(), 2);
        EXPECT_EQ(changes.at(changes.size() - 2),
                  QStringLiteral("text 1006 已下载%1/%1......").arg(c.jobs));
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^pics-done \\d+ %1$").arg(c.jobs))
                        .match(changes.last())
                        .hasMatch())
            << changes.last().toStdString();
    }
}

TEST_F(PicWorkersTest, OneWorkerFetchesInJobOrderWithThePauseBetween)
{
    AddPictures(3);
    batch.params.threadCount = 1;
    batch.params.singleWorkerPauseMs = 300;
    RunManager();
    const auto requests = lofter.Requests();
    ASSERT_EQ(requests.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(QString::fromUtf8(requests[i].path), testsupport::PicturePath(Picture(i)));
    EXPECT_EQ(batch.result.saved, 3);
    // The labels: one per finished picture.
    EXPECT_EQ(window.Changes().filter(QStringLiteral("text 1006")),
              (QStringList{"text 1006 已下载1/3......", "text 1006 已下载2/3......",
                           "text 1006 已下载3/3......"}));
}

TEST_F(PicWorkersTest, NoJobsOrNoWorkersDoNothing)
{
    RunManager();
    EXPECT_TRUE(window.Changes().isEmpty());
    AddPictures(2);
    batch.params.threadCount = 0;
    RunManager();
    EXPECT_TRUE(window.Changes().isEmpty());
    EXPECT_EQ(lofter.RequestCount(), 0u);
    EXPECT_TRUE(Files().isEmpty());
}

TEST_F(PicWorkersTest, FailuresLeaveNoFileAndCountAsFinished)
{
    // 0: stalls past the read time-out; 1: 404; 2: closed mid-body; 3: below the minimum;
    // 4: exactly the minimum; 5: above the maximum; 6: empty address; 7: an unsafe file name;
    // 8: first address empty reply (404), the fallback after CR LF delivers.
    const std::int64_t kib = 1024;
    const QString stallPath = QStringLiteral("/stall.jpg");
    testsupport::ReplyOptions stall;
    stall.stallAfterBytes = 100;
    stall.stallFor = std::chrono::seconds(20);
    lofter.Serve("GET", stallPath, [](const testsupport::RecordedRequest &) {
        return testsupport::Reply{200, "image/jpeg", PictureBytes(Picture(50, 4096)), {}};
    });
    lofter.SetOptions(stallPath, stall);
    testsupport::ReplyOptions cut;
    cut.closeAfterBytes = 500;
    lofter.SetOptions(testsupport::PicturePath(Picture(52, 4096)), cut);

    jobs.Append(lofter.Url(stallPath), QStringLiteral("0.jpg"), QString());
    jobs.Append(lofter.Url(QStringLiteral("/missing.jpg")), QStringLiteral("1.jpg"), QString());
    jobs.Append(lofter.PictureUrl(Picture(52, 4096)), QStringLiteral("2.jpg"), QString());
    jobs.Append(lofter.PictureUrl(Picture(53, 3 * kib - 1)), QStringLiteral("3.jpg"), QString());
    jobs.Append(lofter.PictureUrl(Picture(54, 3 * kib)), QStringLiteral("4.jpg"), QString());
    jobs.Append(lofter.PictureUrl(Picture(55, 6 * kib)), QStringLiteral("5.jpg"), QString());
    jobs.Append(QString(), QStringLiteral("6.jpg"), QString());
    jobs.Append(lofter.PictureUrl(Picture(57, 4 * kib)), QStringLiteral("../7.jpg"), QString());
    jobs.Append(lofter.Url(QStringLiteral("/missing2.jpg")) + QStringLiteral("\r\n") +
                    lofter.PictureUrl(Picture(58, 4 * kib)),
                QStringLiteral("8.jpg"), QString());
    batch.params.threadCount = 9;
    batch.params.timeoutSec = 1;
    batch.params.minSizeK = 3;
    batch.params.maxSizeK = 5;
    RunManager();

    EXPECT_EQ(Files(), (QStringList{QStringLiteral("4.jpg"), QStringLiteral("8.jpg")}));
    EXPECT_EQ(ReadAll(jobs.albumFolder + QStringLiteral("4.jpg")),
              PictureBytes(Picture(54, 3 * kib)));
    EXPECT_EQ(ReadAll(jobs.albumFolder + QStringLiteral("8.jpg")),
              PictureBytes(Picture(58, 4 * kib)));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + QStringLiteral("/../7.jpg")));
    EXPECT_EQ(batch.result.saved, 2);
    EXPECT_EQ(batch.result.failed, 7);
    // Two tries per address: the stalled picture was asked twice, the unsafe one never.
    EXPECT_EQ(lofter.RequestsFor(stallPath).size(), 2u);
    EXPECT_EQ(lofter.RequestsFor(QStringLiteral("/missing2.jpg")).size(), 2u);
    EXPECT_TRUE(lofter.RequestsFor(testsupport::PicturePath(Picture(57, 4 * kib))).empty());
    EXPECT_EQ(window.Changes().filter(QStringLiteral("text 1006")).last(),
              QStringLiteral("text 1006 已下载9/9......"));
}

TEST_F(PicWorkersTest, StopStartsNoFurtherWorkerAndCutsRunningOnesOff)
{
    // 30 pictures that each stall after their first bytes; two workers.
    testsupport::ReplyOptions stall;
    stall.stallAfterBytes = 10;
    stall.stallFor = std::chrono::seconds(30);
    lofter.SetDefaultOptions(stall);
    AddPictures(30, 2048);
    batch.params.threadCount = 2;
    std::atomic<std::uint8_t> stopFlag{0};
    std::thread manager = StartDownPicFunc(batch, stopFlag);
    ASSERT_TRUE(manager.joinable());
    ASSERT_TRUE(lofter.WaitForRequests(2));
    EXPECT_EQ(active.load(), 1);
    stop.store(1);
    manager.join();

    EXPECT_TRUE(batch.result.stopped);
    EXPECT_EQ(lofter.RequestCount(), 2u);
    EXPECT_TRUE(Files().isEmpty());
    EXPECT_EQ(
        QDir(jobs.albumFolder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList());
    EXPECT_EQ(batch.result.saved, 0);
    EXPECT_EQ(active.load(), 0);
    const QStringList changes = window.Changes();
    EXPECT_TRUE(changes.filter(QStringLiteral("text 1006")).isEmpty());
    ASSERT_FALSE(changes.isEmpty());
    EXPECT_TRUE(changes.last().startsWith(QStringLiteral("pics-done ")));
    EXPECT_TRUE(changes.last().endsWith(QStringLiteral(" 30")));
}

TEST_F(PicWorkersTest, HeadersAndAbsoluteNamesInsideTheRoot)
{
    jobs.albumFolder = jobs.rootFolder + QStringLiteral("album/");
    ASSERT_TRUE(QDir().mkpath(jobs.albumFolder));
    jobs.Append(lofter.PictureUrl(Picture(1)), jobs.rootFolder + QStringLiteral("abs.jpg"),
                QStringLiteral("X-Test: one"));
    jobs.Append(lofter.PictureUrl(Picture(2)), QStringLiteral("rel.jpg"), QString());
    RunManager();
    EXPECT_EQ(ReadAll(jobs.rootFolder + QStringLiteral("abs.jpg")), PictureBytes(Picture(1)));
    EXPECT_EQ(ReadAll(jobs.albumFolder + QStringLiteral("rel.jpg")), PictureBytes(Picture(2)));
    const auto first = lofter.RequestsFor(testsupport::PicturePath(Picture(1)));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].Header("X-Test"), QByteArray("one"));
}

TEST_F(PicWorkersTest, OrderFixAfterTheWorkersStampsDescendingMinutes)
{
    AddPictures(3);
    RunManager();
    ASSERT_EQ(batch.result.saved, 3);
    const qint64 before = QDateTime::currentSecsSinceEpoch();
    FixPicOrder(jobs);
    const qint64 after = QDateTime::currentSecsSinceEpoch();
    qint64 times[3] = {};
    for (int i = 0; i < 3; ++i) {
        struct stat info {};
        ASSERT_EQ(
            ::stat(
                QFile::encodeName(jobs.albumFolder + QStringLiteral("%1.jpg").arg(i)).constData(),
                &info),
            0);
        times[i] = info.st_mtime;
    }
    EXPECT_GE(times[0], before);
    EXPECT_LE(times[0], after);
    EXPECT_EQ(times[1], times[0] - 60);
    EXPECT_EQ(times[2], times[0] - 120);
}
