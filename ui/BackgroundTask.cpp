#include "ui/BackgroundTask.h"

#include <QMetaObject>
#include <QUrl>
#include <exception>

#include "kit/Log.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

const QUrl kViewUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/vand_ui/qml/WaitWindow.qml"));

} // namespace

BackgroundTask::BackgroundTask(QQmlEngine* engine, QObject* parent, const QString& title)
    : QmlController(engine, kViewUrl, parent, true, {{QStringLiteral("title"), title}})
{
    if (rootObject_)
        connect(rootObject_, SIGNAL(cancel()), this, SLOT(Cancel_()));
}

BackgroundTask::~BackgroundTask()
{
    for (const auto& job : workers_)
        job->cancel = true;
    for (const auto& job : workers_) {
        if (job->thread.joinable())
            job->thread.join();
    }
}

void BackgroundTask::Launch(std::shared_ptr<Job> job, const QString& text, std::function<void()> body)
{
    Job* raw = job.get();
    raw->thread = std::thread([this, raw, body = std::move(body)] {
        try {
            body();
        } catch (const std::exception& e) {
            raw->failure = e.what();
        } catch (...) {
            raw->failure = "Unknown error.";
        }
        raw->ended.store(true, std::memory_order_release);
        // No arguments: nothing of ours crosses with the call; Collect_ reads
        // the job after the flag.
        QMetaObject::invokeMethod(this, "Collect_", Qt::QueuedConnection);
    });
    workers_.push_back(job);
    current_ = std::move(job);
    ShowWait(text);
}

void BackgroundTask::Collect_()
{
    // Delivery may start new work: take the ended jobs out first.
    std::vector<std::shared_ptr<Job>> ended;
    for (auto it = workers_.begin(); it != workers_.end();) {
        if ((*it)->ended.load(std::memory_order_acquire)) {
            (*it)->thread.join();
            ended.push_back(*it);
            it = workers_.erase(it);
        } else {
            ++it;
        }
    }
    for (const auto& job : ended) {
        const bool dropped = job != current_;
        if (!dropped)
            current_.reset();
        if (!job->failure.empty())
            kit::Log(kit::LogLevel::Error, "ui", "Background work failed: " + job->failure);
        try {
            job->deliver(dropped);
        } catch (const std::exception& e) {
            kit::Log(kit::LogLevel::Error, "ui", std::string("Handling a background result failed: ") + e.what());
        } catch (...) {
            kit::Log(kit::LogLevel::Error, "ui", "Handling a background result failed.");
        }
        if (dropped) {
            emit Discarded();
            continue;
        }
        // Hidden once the answer is shown (never no window at all), unless
        // the handler started more work.
        if (!current_)
            HideWait();
        emit Finished();
    }
}

void BackgroundTask::Cancel()
{
    if (!current_)
        return;
    const std::shared_ptr<Job> job = std::move(current_);
    current_.reset();
    job->cancel = true;
    try {
        if (job->cancelled)
            job->cancelled();
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "ui", std::string("Handling a cancel failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "ui", "Handling a cancel failed.");
    }
    if (!current_)
        HideWait();
    emit Finished();
}

void BackgroundTask::Cancel_()
{
    Cancel();
}

void BackgroundTask::ShowWait(const QString& text)
{
    if (!rootObject_)
        return;
    SetViewProperty(rootObject_, "text", text);
    SetViewProperty(rootObject_, "visible", true);
}

void BackgroundTask::HideWait()
{
    if (rootObject_)
        SetViewProperty(rootObject_, "visible", false);
}

} // namespace vand::qt
