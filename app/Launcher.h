#pragma once

#include <QObject>
#include <QString>
#include <exception>
#include <memory>
#include <string>

#include "cmn/ShowIdentity.h"
#include "vand_core/qt/MetaTypes.h" // vand::ShowIdentity in queued slots
#include "vand_networking_http/NetworkApiInterface.h"

class QQmlApplicationEngine;

namespace vand {
class PlayerFactory;
}

namespace vand::qt {

class BackgroundTask;
class DialogController;
class InputDialogController;
class MusicalMainController;
class ShowDownloaderController;

// Decides once at start how the program comes up (show download or the main
// window at once) and handles the end of the program: the main window's close
// request comes here, and unsaved edits are asked about first.
//
// Threading: GUI thread. With a show server set up, the show's file list is
// asked for on a worker behind a wait window with Cancel; the decision is
// taken when the answer comes (within the request's deadline), so the main
// window may open after the constructor has returned.
class Launcher : public QObject
{
    Q_OBJECT
public:
    Launcher(QQmlApplicationEngine* engine, std::unique_ptr<vand::PlayerFactory> factory, QObject* parent = nullptr);
    ~Launcher() override;

    MusicalMainController* GetMainController() const { return mainController_.get(); }
    // The start-up request for the show's file list and its wait window; null
    // when no show server is set up.
    BackgroundTask* GetFileListTask() const { return fileListTask_.get(); }
    ShowDownloaderController* GetDownloader() const { return downloader_.get(); }
    InputDialogController* GetQuitPrompt() const { return quitPrompt_.get(); }
    DialogController* GetStartErrorDialog() const { return startErrorDialog_.get(); }
    bool GetCloseAfterSave() const { return closeAfterSave_; }
    const QString& GetUpdateNotice() const { return updateNotice_; }

    // A failure that reached a slot and ended the event loop; the
    // application object writes it to the error log.
    std::exception_ptr TakeFatalError();

    // The notice shown once the main window opens after a download.
    static QString UpdateNotice(const vand::networking::DownloadPlan& plan);

public slots:
    void LaunchPelorinMainController();
    void ClosingSaveQuery();
    void CloseAfterSave();
    void CloseApp();
    void NegateClose();
    void deleteSavePromptDialog();

private slots:
    void QuitPromptClosed_();
    // The downloader's completion (the notice is shown only when a show was
    // obtained) and its cancel or window close (no notice).
    void DownloadCompleted_(vand::ShowIdentity identity);
    void DownloadAbandoned_();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Throws; the constructor and the slot report differently.
    void LaunchMainController();
    // The show download when plan is not empty, else the main window.
    // Throws as LaunchMainController.
    void StartWith(vand::networking::DownloadPlan plan, const vand::ShowIdentity& identity);
    // The file list, asked for on the worker; StartWith follows its answer.
    void CheckShowFilesInBackground(const vand::networking::ServerConfig& server, const vand::ShowIdentity& identity,
                                    const std::string& showFolder);
    static void ReportFileListFailure(std::string message);
    // StartWith from the event loop: a failure is reported as
    // LaunchPelorinMainController reports it.
    void StartFromLoop(vand::networking::DownloadPlan plan, const vand::ShowIdentity& identity);
    QObject* OpenQuitPrompt();
    // The "Loading Edits Failed" dialog for a change log of another version.
    void ShowStartError(const std::exception& e);
    // The same dialog, beside the main window, when the show's newest change
    // logs could not be read and an older version (or none) was loaded.
    void ReportUnreadableLogs();
    void OpenStartDialog(const std::string& text);

    std::unique_ptr<InputDialogController> quitPrompt_;
    bool closeAfterSave_ = false;
    std::unique_ptr<DialogController> startErrorDialog_;
    QString updateNotice_;
    std::unique_ptr<MusicalMainController> mainController_;
    std::unique_ptr<ShowDownloaderController> downloader_;
    std::unique_ptr<vand::PlayerFactory> factory_;
    QQmlApplicationEngine* engine_ = nullptr;
    std::exception_ptr fatalError_;
    // Last: it goes first, joining its worker before the rest.
    std::unique_ptr<BackgroundTask> fileListTask_;
};

} // namespace vand::qt
