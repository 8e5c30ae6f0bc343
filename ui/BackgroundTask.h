#pragma once

// Blocking work (a request to the show server) run on a thread of its own
// while the GUI thread goes on turning, behind a modal wait window that
// offers Cancel. One piece of work at a time.
//
// Threading: construction, Start, Cancel, every handler and the destructor
// run on the GUI thread. Only the work runs on the worker; it must not touch
// GUI objects (capture values) and should watch its cancel flag, which its
// transfers take. Its result comes back by a queued call. Cancel ends the
// wait at once: the result that comes later goes to `dropped`, never to
// `done`. The destructor cancels and joins every worker still running, so
// it waits as long as the work takes to notice the flag.

#include <QString>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "ui/QmlController.h"

namespace vand::qt {

class BackgroundTask : public QmlController
{
    Q_OBJECT
public:
    using CancelFlag = std::atomic<bool>;

    template <typename Result>
    struct Handlers
    {
        // The result, unless Cancel came first.
        std::function<void(Result)> done;
        // Cancel was pressed; runs at once.
        std::function<void()> cancelled;
        // The result of cancelled work, when it arrives (to clean up).
        std::function<void(Result)> dropped;
    };

    // The wait window is built hidden, titled `title`, over `parent`'s window
    // (none when null).
    BackgroundTask(QQmlEngine* engine, QObject* parent, const QString& title);
    ~BackgroundTask() override;

    // Runs work on a worker and shows the wait window with `text`; returns at
    // once. False, and nothing started, while other work runs. Throws
    // std::system_error when no thread can be started. An exception that
    // escapes the work is logged and ends the wait with no handler called.
    // With `here`, for work that will not wait (no server to ask), the work
    // runs on the calling thread and `done` follows at once, without the
    // wait window.
    template <typename Result>
    bool Start(const QString& text, std::function<Result(const CancelFlag&)> work, Handlers<Result> handlers,
               bool here = false);

    bool IsRunning() const { return current_ != nullptr; }
    // Ends the wait: the work's flag is set and its result will be dropped.
    void Cancel();

signals:
    // The wait ended: `done` or `cancelled` has run (or the work failed).
    void Finished();
    // The result of cancelled work has come and gone to `dropped`.
    void Discarded();

private slots:
    void Cancel_();
    // Delivers the results of the workers that have ended.
    void Collect_();

private:
    struct Job
    {
        CancelFlag cancel{false};
        // Set by the worker once the work has returned; its result and
        // failure are written before.
        std::atomic<bool> ended{false};
        std::string failure;
        std::function<void(bool dropped)> deliver;
        std::function<void()> cancelled;
        std::thread thread;
    };

    // Starts body on a worker for job; job->deliver runs on the GUI thread
    // once body has returned.
    void Launch(std::shared_ptr<Job> job, const QString& text, std::function<void()> body);
    void ShowWait(const QString& text);
    void HideWait();

    std::shared_ptr<Job> current_;
    std::vector<std::shared_ptr<Job>> workers_;
};

template <typename Result>
bool BackgroundTask::Start(const QString& text, std::function<Result(const CancelFlag&)> work,
                           Handlers<Result> handlers, bool here)
{
    if (current_)
        return false;
    if (here) {
        const CancelFlag never{false};
        Result result = work(never);
        if (handlers.done)
            handlers.done(std::move(result));
        return true;
    }
    auto job = std::make_shared<Job>();
    job->cancelled = std::move(handlers.cancelled);
    // Written by the worker before it marks the job ended, read after.
    auto result = std::make_shared<std::optional<Result>>();
    job->deliver = [result, done = std::move(handlers.done), dropped = std::move(handlers.dropped)](bool wasDropped) {
        if (!result->has_value())
            return;
        if (!wasDropped) {
            if (done)
                done(std::move(**result));
        } else if (dropped) {
            dropped(std::move(**result));
        }
    };
    Launch(job, text, [job = job.get(), result, work = std::move(work)] { result->emplace(work(job->cancel)); });
    return true;
}

} // namespace vand::qt
