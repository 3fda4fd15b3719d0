#include "settings/StartupTask.h"

#include "settings/CSrvInfo.h"

#include <QMetaObject>

#include <utility>

StartupTask::StartupTask(CSrvInfo &srvInfo, QStringList fallbackSiteNames, QObject *parent)
    : QObject(parent), srvInfo_(srvInfo), fallbackSiteNames_(std::move(fallbackSiteNames))
{
    qRegisterMetaType<StartupResult>();
}

StartupTask::~StartupTask()
{
    Stop();
    // The check refers to this object; the CSrvInfo outlives it.
    if (abortCheckInstalled_)
        srvInfo_.SetAbortCheck({});
}

void StartupTask::Start()
{
    if (thread_.joinable() || stopRequested_.load())
        return;
    srvInfo_.SetAbortCheck([this] { return stopRequested_.load(); });
    abortCheckInstalled_ = true;
    thread_ = std::thread([this] {
        StartupResult result = Run(srvInfo_, fallbackSiteNames_);
        if (stopRequested_.load())
            return;
        // Posted to this object: delivered on the owner's thread, dropped if the object is
        // destroyed first.
        QMetaObject::invokeMethod(
            this, [this, result = std::move(result)] { Deliver(result); }, Qt::QueuedConnection);
    });
}

void StartupTask::Stop()
{
    stopRequested_.store(true);
    if (thread_.joinable())
        thread_.join();
}

void StartupTask::Deliver(const StartupResult &result)
{
    if (!stopRequested_.load())
        Q_EMIT WM_STARTUP_DONE(result);
}

StartupResult StartupTask::Run(CSrvInfo &srvInfo, const QStringList &fallbackSiteNames)
{
    StartupResult result;
    QStringList names = fallbackSiteNames;
    result.accepted = srvInfo.Fetch(names);
    // Item i of the site combo stands for site kind i: a shorter list from the service is
    // completed with our own names, so every site kind keeps its item.
    for (qsizetype i = names.size(); i < fallbackSiteNames.size(); ++i)
        names.append(fallbackSiteNames.at(i));
    result.siteNames = names;
    result.verdict = UpdateCheck::Decide(srvInfo);
    result.statusText = UpdateCheck::StatusLine(result.accepted, srvInfo.StatusText());
    return result;
}
