#include "show/ShowDownloaderController.h"

#include <QMetaObject>
#include <QThread>
#include <QUrl>

#include "kit/Log.h"

namespace vand::qt {

namespace {

const QUrl kViewUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/ShowDownloader.qml"));

} // namespace

ShowDownloaderController::ShowDownloaderController(QQmlEngine* engine, QObject* parent, vand::ProductType productType,
                                                   Clock clock)
    : QmlController(engine, kViewUrl, parent, true)
    , productType_(productType)
    , clock_(clock ? std::move(clock) : Clock(&std::chrono::steady_clock::now))
{
    vand::core::RegisterQtMetaTypes();
    lastForward_ = clock_();
    PostVisible(true);
    if (!rootObject_)
        return;
    connect(rootObject_, SIGNAL(cancel()), this, SLOT(Cancel_()));
    connect(rootObject_, SIGNAL(downloadErrorAcknowledged()), this, SLOT(DownloadFinished_()));
    connect(rootObject_, SIGNAL(closing(QQuickCloseEvent*)), this, SIGNAL(Closing()));
    connect(this, SIGNAL(statusChanged(QString)), rootObject_, SIGNAL(statusChanged(QString)));
    connect(this, SIGNAL(downloadError(QString)), rootObject_, SIGNAL(downloadError(QString)));
    connect(this, SIGNAL(totalProgressChanged(double, double)), rootObject_,
            SIGNAL(totalProgressChanged(double, double)));
    connect(this, SIGNAL(progressChanged(double, double)), rootObject_, SIGNAL(progressChanged(double, double)));
}

ShowDownloaderController::~ShowDownloaderController()
{
    cancel_ = true;
    StopWorker();
}

void ShowDownloaderController::StopWorker()
{
    if (!worker_.joinable())
        return;
    {
        std::lock_guard lock(errorMutex_);
        releaseWaits_ = true;
    }
    errorHandled_.notify_all();
    worker_.join();
    std::lock_guard lock(errorMutex_);
    releaseWaits_ = false;
}

void ShowDownloaderController::Download(vand::ShowIdentity identity,
                                        std::unique_ptr<vand::networking::DownloadPlan> plan)
{
    StopWorker();
    auto parameters = std::make_unique<WorkerParameters>();
    parameters->controller = this;
    parameters->identity = std::move(identity);
    parameters->plan = std::move(plan);
    worker_ = std::thread(&ShowDownloaderController::Work, std::move(parameters));
}

void ShowDownloaderController::SetStagedShowCheck(std::function<void(const vand::networking::StagedShow&)> check)
{
    checkStaged_ = std::move(check);
}

void ShowDownloaderController::Work(std::unique_ptr<WorkerParameters> parameters)
{
    ShowDownloaderController* self = parameters->controller;
    try {
        self->RunDownload(*parameters);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "show", std::string("An error occured: ") + e.what());
        self->ReportDownloadError(e.what());
        self->SetStatus("Error!");
    }
}

void ShowDownloaderController::RunDownload(WorkerParameters& parameters)
{
    auto callbacks = std::make_shared<vand::networking::DownloadCallbacks>();
    callbacks->statusText = [this](const std::string& text) { SetStatus(text); };
    callbacks->status = [this](const std::string& text) {
        static_cast<vand::networking::IReportProgressCallback*>(this)->ReportStatus(text);
    };
    callbacks->progress = [this](const std::string& file, std::int64_t done, std::int64_t total) {
        static_cast<vand::networking::IReportProgressCallback*>(this)->ReportProgress(file, done, total);
    };
    callbacks->total = [this](std::int64_t total) { SetOverallTotal(total); };
    callbacks->error = [this](const std::string& message) { ReportDownloadError(message); };
    callbacks->checkStaged = checkStaged_;

    vand::ShowIdentity result;
    try {
        result = vand_download::PerformShowDownload(parameters.identity, callbacks, &cancel_, std::string(),
                                                    productType_, parameters.plan.get());
    } catch (const vand_download::DownloadException& e) {
        ReportDownloadError(e.what());
        return;
    }
    {
        std::lock_guard lock(mutex_);
        identity_ = result;
    }
    if (result.identifier.empty()) {
        Cancel_();
        return;
    }
    emit DownloadFinishedSignal(result);
}

void ShowDownloaderController::PostVisible(bool visible)
{
    // Posted onto the controller, which lives on the GUI thread, so the view
    // is only ever touched there.
    QMetaObject::invokeMethod(
        this,
        [this, visible] {
            if (rootObject_)
                rootObject_->setProperty("visible", visible);
        },
        Qt::QueuedConnection);
}

void ShowDownloaderController::SetStatus(const std::string& status)
{
    {
        std::lock_guard lock(mutex_);
        status_ = status;
    }
    emit statusChanged(QString::fromUtf8(status.data(), static_cast<qsizetype>(status.size())));
}

std::string ShowDownloaderController::GetStatus() const
{
    std::lock_guard lock(mutex_);
    return status_;
}

vand::ShowIdentity ShowDownloaderController::GetIdentity() const
{
    std::lock_guard lock(mutex_);
    return identity_;
}

void ShowDownloaderController::ReportDownloadError(const std::string& message)
{
    const QString text = QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size()));
    if (QThread::currentThread() == thread()) {
        emit downloadError(text);
        PostVisible(false);
        return;
    }
    std::unique_lock lock(errorMutex_);
    errorPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            emit downloadError(text);
            PostVisible(false);
            {
                std::lock_guard handled(errorMutex_);
                errorPending_ = false;
            }
            errorHandled_.notify_all();
        },
        Qt::QueuedConnection);
    errorHandled_.wait(lock, [this] { return !errorPending_ || releaseWaits_; });
    errorPending_ = false;
}

bool ShowDownloaderController::IsWaitingForErrorDialog() const
{
    std::lock_guard lock(errorMutex_);
    return errorPending_;
}

void ShowDownloaderController::SetOverallTotal(std::int64_t total)
{
    overallTotal_ = total;
}

void ShowDownloaderController::ReportStatus(const std::string& status)
{
    SetStatus(status);
}

void ShowDownloaderController::ReportProgress(const std::string& fileName, std::int64_t done, std::int64_t total)
{
    if (total == 0)
        return;
    // Every report is counted; only the signals are throttled. (Counting only
    // forwarded reports would lose the last bytes of each file whose final
    // report falls inside the interval.)
    auto& last = fileProgress_[fileName];
    overallDone_ += done - last.first;
    last = {done, total};
    const auto now = clock_();
    if (now < lastForward_ + kProgressInterval)
        return;
    // The time stamp moves before the overall total is known too, so those
    // reports are throttled as well.
    lastForward_ = now;
    emit progressChanged(static_cast<double>(done), static_cast<double>(total));
    const std::int64_t overallTotal = overallTotal_;
    if (overallTotal == 0)
        return;
    emit totalProgressChanged(static_cast<double>(overallDone_.load()), static_cast<double>(overallTotal));
}

void ShowDownloaderController::Cancel_()
{
    PostVisible(false);
    cancel_ = true;
    emit Cancelled();
}

void ShowDownloaderController::DownloadFinished_()
{
    emit DownloadFinishedSignal(GetIdentity());
}

} // namespace vand::qt
