#pragma once

// The "Downloading Show" window and its worker: downloads a plan of show
// files on one worker thread, shows the status and overall progress, offers
// Cancel, shows a failure in an error dialog, and reports when start-up may
// go on.
//
// Threading: construction, Download, the slots and the destructor run on the
// GUI thread. The worker runs the download and its reports (SetStatus,
// ReportProgress, ReportDownloadError, the completion signal and, for an
// empty result, Cancel_); everything it emits reaches the view and the
// Launcher by queued delivery. ReportDownloadError blocks the worker until the
// GUI thread has opened the error dialog, or until Download or the destructor
// releases it, so deleting the controller never waits on itself.

#include <QString>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "cmn/ShowIdentity.h"
#include "ui/QmlController.h"
#include "vand_core/qt/MetaTypes.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/ShowDownload.h"

namespace vand::qt {

class ShowDownloaderController : public QmlController, public vand::networking::IReportProgressCallback
{
    Q_OBJECT
public:
    // The throttle's clock; steady_clock::now unless a test steps it by hand.
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // Progress reaches the view at most once per this interval.
    static constexpr std::chrono::milliseconds kProgressInterval{100};

    ShowDownloaderController(QQmlEngine* engine, QObject* parent, vand::ProductType productType, Clock clock = {});
    ~ShowDownloaderController() override;

    // Starts the download of plan on the worker (after the previous worker has
    // ended) and returns at once. Throws std::system_error when no thread can
    // be started.
    void Download(vand::ShowIdentity identity, std::unique_ptr<vand::networking::DownloadPlan> plan);
    // The check the staged show must pass before it replaces the show on
    // disk (runs on the worker; see DownloadCallbacks::checkStaged). Set
    // before Download.
    void SetStagedShowCheck(std::function<void(const vand::networking::StagedShow&)> check);

    void SetStatus(const std::string& status);
    // Worker only: shows message in the error dialog and hides the window.
    void ReportDownloadError(const std::string& message);
    void SetOverallTotal(std::int64_t total);

    void ReportStatus(const std::string& status) override;
    void ReportProgress(const std::string& fileName, std::int64_t done, std::int64_t total) override;

    std::string GetStatus() const;
    vand::ShowIdentity GetIdentity() const;
    std::int64_t GetOverallDone() const { return overallDone_; }
    bool IsCancelRequested() const { return cancel_.load(); }
    // The worker waits in ReportDownloadError for the dialog to open.
    bool IsWaitingForErrorDialog() const;

signals:
    void progressChanged(double bytesReceived, double total);
    void totalProgressChanged(double bytesReceived, double total);
    void downloadError(QString msg);
    void statusChanged(QString status);
    void DownloadFinishedSignal(vand::ShowIdentity identity);
    void Closing();
    void Cancelled();

public slots:
    void Cancel_();
    void DownloadFinished_();

private:
    struct WorkerParameters
    {
        ShowDownloaderController* controller = nullptr;
        vand::ShowIdentity identity;
        std::unique_ptr<vand::networking::DownloadPlan> plan;
    };

    static void Work(std::unique_ptr<WorkerParameters> parameters);
    void RunDownload(WorkerParameters& parameters);
    void PostVisible(bool visible);
    // Lets a worker waiting in ReportDownloadError go on, then joins it.
    void StopWorker();

    mutable std::mutex mutex_; // status text and identity
    std::string status_;
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    vand::ShowIdentity identity_;
    vand::ProductType productType_ = 0;
    std::function<void(const vand::networking::StagedShow&)> checkStaged_;
    Clock clock_;
    std::chrono::steady_clock::time_point lastForward_;
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> fileProgress_;
    std::atomic<std::int64_t> overallDone_{0};
    std::atomic<std::int64_t> overallTotal_{0};

    mutable std::mutex errorMutex_;
    std::condition_variable errorHandled_;
    bool errorPending_ = false;
    bool releaseWaits_ = false;
};

} // namespace vand::qt
