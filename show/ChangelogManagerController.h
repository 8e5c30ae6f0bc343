#pragma once

// The change-log manager: the "Event Log Manager" window with the versions in
// the show folder and the versions on the show server side by side. Loading a
// row is handed to the owner by its index (ChangelogLocalSelected,
// ChangelogServerSelected); the owner loads a local version from the row's
// file, or fetches a server version first with DownloadServerLog and then
// tidies the folder with PruneLocalLogs and RefreshLocalLogs.
//
// Threading: the controller lives on the GUI thread. Its server requests (the
// version list, a version's file) run on a worker of its own behind a wait
// window with Cancel; their answers come back queued, and only while the
// controller lives. Without a server set up nothing is asked, and the
// answer (none) comes at once. The load signals are emitted inside the window's button
// handler: the owner must not delete the controller while they run (drop it
// by a queued call).

#include <QObject>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "cmn/ShowIdentity.h"
#include "show/ChangelogFiles.h"
#include "show/ChangelogListModel.h"
#include "ui/QmlController.h"
#include "vand_networking_http/NetworkApiInterface.h"

class QQmlEngine;

namespace vand::qt {

class BackgroundTask;

// What became of DownloadServerLog.
struct ServerLogDownload
{
    // The fetched version's file in the show folder; empty when the server
    // has no such version or could not be asked (and error is empty too).
    PlacedChangelog placed;
    // Why the download failed, for the user; empty when it did not.
    std::string error;
};

class ChangelogManagerController : public QmlController
{
    Q_OBJECT
public:
    // Builds the window (hidden) as a child of parent. Reads the show folder
    // and the identity file from identity once; the server is the one of
    // identity's data folder. Throws std::invalid_argument without identity.
    ChangelogManagerController(QQmlEngine* engine, std::shared_ptr<vand::ShowIdentityService> identity,
                               QObject* parent);
    // Closes the window; the window's closing is not passed on then.
    ~ChangelogManagerController() override;

    // Fills the local list, shows the window and asks the server for its
    // versions; the server list fills when the answer comes (ServerLogsRead).
    // A folder that cannot be read (std::filesystem::filesystem_error) or no
    // current show (std::out_of_range) propagates.
    void Show();
    // Reads the local list again.
    void RefreshLocalLogs();
    // Keeps, of the show folder's log files that share the text after the
    // last "-" of their path, the one written last (the first met on a tie)
    // and removes the others. std::filesystem::filesystem_error propagates;
    // removals done before it stay done.
    void PruneLocalLogs();
    // Keeps, of the show folder's log files that share the text after the
    // last "-" of their path, `keep` (when it is one of them) or else the one
    // written last, and removes the others.
    void PruneLocalLogs(const std::filesystem::path& keep);
    // Fetches the server's version ("major.minor") into the show folder on
    // the worker, puts it in place (PlaceFetchedChangelog: a local file of
    // its name with other content is kept under another version) and hands
    // the outcome to `done` on the GUI thread; "Link was not successfully
    // received." goes to the standard output when the server has no such
    // version or cannot be asked. Cancel drops the outcome (done is not
    // called). A text that is no version throws std::invalid_argument at
    // once; false when another request still runs.
    bool DownloadServerLog(const std::string& version, std::function<void(ServerLogDownload)> done);
    // Whether a server request runs; Cancel ends it (as the wait window's
    // button does).
    bool IsBusy() const;
    void Cancel();

    ChangelogListModel* GetLocalModel() const { return localModel_.get(); }
    ChangelogListModel* GetServerModel() const { return serverModel_.get(); }
    const std::filesystem::path& GetShowFolder() const { return showFolder_; }

    // The wait window of the server requests.
    BackgroundTask* GetServerTask() const { return task_.get(); }

signals:
    void ChangelogLocalSelected(int index);
    void ChangelogServerSelected(int index);
    void Closing();
    // The server list holds the server's answer (empty when it failed).
    void ServerLogsRead();

public slots:
    void LoadSelectedLocal_(int index);
    void LoadSelectedServer_(int index);

private:
    // Lists every readable "*.logdata" file of the show folder, sorted; a file
    // that cannot be read is skipped with one line on the log.
    void LoadLocalLogs();
    // Asks the server for its versions on the worker; the list fills when
    // they come ("Networking Issue: " on the standard output when the server
    // cannot be asked).
    void LoadServerLogs();

    std::unique_ptr<ChangelogListModel> localModel_;
    std::unique_ptr<ChangelogListModel> serverModel_;
    std::shared_ptr<vand::ShowIdentityService> identity_;
    std::filesystem::path showFolder_;
    std::filesystem::path identityFile_;
    vand::networking::ServerConfig server_;
    // Last: it goes first, joining its worker before the rest.
    std::unique_ptr<BackgroundTask> task_;
};

} // namespace vand::qt
