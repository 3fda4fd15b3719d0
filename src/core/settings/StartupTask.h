#pragma once

#include "settings/UpdateCheck.h"

#include <QMetaType>
#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <thread>

class CSrvInfo;

// What the start-up thread hands to the main window when it is done.
struct StartupResult {
    // The items of the site combo (1002), one per site kind in kind order.
    QStringList siteNames;
    // Whether the configuration service gave an accepted reply.
    bool accepted = false;
    // The text of line 1031 for the case without update (our status and CSrvInfo::StatusText()).
    QString statusText;
    // The update check's verdict.
    UpdateVerdict verdict;
};
Q_DECLARE_METATYPE(StartupResult)

// The start-up work: fetches the remote configuration list on a thread of its own, then reports
// WM_STARTUP_DONE with the site names, the status line and the update verdict.
//
// Owned by the main window, created and destroyed on the GUI thread, and must not outlive the
// CSrvInfo it is given. Start and Stop are called on the owner's thread and never wait on the
// network: Stop cuts off the request in flight and joins the thread promptly. The signal is
// always emitted on the owner's thread (the result is posted to this object), so a receiver
// may touch widgets; after Stop it is never emitted.
class StartupTask : public QObject {
    Q_OBJECT
public:
    // `fallbackSiteNames`: the names used when the service gives none (the built-in names), and
    // for the site kinds beyond the end of a shorter list the service gives.
    StartupTask(CSrvInfo &srvInfo, QStringList fallbackSiteNames, QObject *parent = nullptr);
    // Stops and joins the thread.
    ~StartupTask() override;
    StartupTask(const StartupTask &) = delete;
    StartupTask &operator=(const StartupTask &) = delete;

    // Starts the thread; a second call does nothing. Returns at once.
    void Start();
    // Asks the thread to end, cuts off its request and joins it. WM_STARTUP_DONE is not emitted
    // afterwards, not even for a result already on its way.
    void Stop();

    // The work of the thread, run on the calling thread: fetches and decides. Public for the
    // owner that wants it synchronously (command line) and for tests.
    static StartupResult Run(CSrvInfo &srvInfo, const QStringList &fallbackSiteNames);

Q_SIGNALS:
    // Emitted once, on the owner's thread, when the fetch has ended.
    void WM_STARTUP_DONE(const StartupResult &result);

private:
    void Deliver(const StartupResult &result);

    CSrvInfo &srvInfo_;
    const QStringList fallbackSiteNames_;
    std::atomic<bool> stopRequested_{false};
    bool abortCheckInstalled_ = false; // owner's thread only
    std::thread thread_;               // started and joined on the owner's thread
};
