#pragma once

#include <QObject>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>

// Carries calls of the run threads over to the GUI thread and waits for them: the engine under
// the main window's WindowPort and the album grid's GridOps.
//
// Owned by the main window, bound to it (the "context" object, which lives on the GUI thread).
// Any thread may call Call/Run. A call made on the GUI thread runs at once. A call from another
// thread is queued to the GUI thread and the caller blocks until it has run. Once the window
// is closing (BeginClosing, on the GUI thread), no queued call runs any more and every waiting
// or later caller returns at once without a result, so the GUI thread may then join the runs
// without a deadlock. The work of a queued call is kept by value in a shared record: a caller
// that gave up never leaves the GUI thread holding references into its stack.
//
// Queued work travels through this object's own queue under its own mutex; the Qt event only
// says "drain the queue". So every hand-over between threads is ordered by a mutex the thread
// sanitizer sees (Qt's event queue lives in an uninstrumented library).
class GuiCallRouter : public QObject {
    Q_OBJECT

public:
    // `context`: an object of the GUI thread (the window); the router lives on its thread.
    explicit GuiCallRouter(QObject *context) : context_(context) {}

    bool OnGuiThread() const { return QThread::currentThread() == context_->thread(); }
    bool IsClosing() const { return closing_.load(); }

    // GUI thread only. From now on queued calls are dropped and waiting callers released.
    void BeginClosing()
    {
        {
            std::lock_guard lock(mutex_);
            closing_.store(true);
        }
        wake_.notify_all();
    }

    // Runs `work` on the GUI thread and answers its result; empty when the window is closing
    // and `work` did not run. On the GUI thread `work` always runs.
    template <typename R> std::optional<R> Call(std::function<R()> work)
    {
        if (OnGuiThread())
            return work();
        struct Pending {
            std::function<R()> work;
            std::optional<R> result;
            bool done = false;
        };
        auto pending = std::make_shared<Pending>();
        pending->work = std::move(work);
        if (!Post([this, pending] {
                std::optional<R> result = pending->work();
                std::lock_guard lock(mutex_);
                pending->result = std::move(result);
                pending->done = true;
            }))
            return std::nullopt;
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return pending->done || closing_.load(); });
        return pending->done ? std::move(pending->result) : std::nullopt;
    }

    // Call without a result; answers whether `work` ran.
    bool Run(std::function<void()> work)
    {
        return Call<bool>([work = std::move(work)] {
                   work();
                   return true;
               })
            .has_value();
    }

private:
    // Queues `task` (which records its own completion) unless the window is closing.
    bool Post(std::function<void()> task)
    {
        {
            std::lock_guard lock(mutex_);
            if (closing_.load())
                return false;
            queue_.push_back(std::move(task));
        }
        QMetaObject::invokeMethod(this, "Drain", Qt::QueuedConnection);
        return true;
    }

    // GUI thread: runs every queued task, unless closing has begun (closing is set on this
    // thread only, so nothing runs after it).
    Q_INVOKABLE void Drain()
    {
        for (;;) {
            std::function<void()> task;
            {
                std::lock_guard lock(mutex_);
                if (closing_.load() || queue_.empty()) {
                    queue_.clear();
                    return;
                }
                task = std::move(queue_.front());
                queue_.pop_front();
            }
            task();
            wake_.notify_all();
        }
    }

    QObject *context_;
    std::atomic<bool> closing_{false};
    std::mutex mutex_; // guards queue_, the results of pending calls and closing_ changes
    std::condition_variable wake_;
    std::deque<std::function<void()>> queue_;
};
