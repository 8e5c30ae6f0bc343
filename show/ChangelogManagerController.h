#pragma once

// The change-log manager: the "Event Log Manager" window with the versions in
// the show folder and the versions on the show server side by side. Loading a
// row is handed to the owner by its index (ChangelogLocalSelected,
// ChangelogServerSelected); the owner loads a local version from the row's
// file, or fetches a server version first with DownloadServerLog and then
// tidies the folder with PruneLocalLogs and RefreshLocalLogs.
//
// Threading: GUI thread only. The server requests and the download block it
// (the client's time limits bound the wait). The load signals are emitted
// inside the window's button handler: the owner must not delete the
// controller while they run (drop it by a queued call).

#include <QObject>
#include <filesystem>
#include <memory>
#include <string>

#include "cmn/ShowIdentity.h"
#include "show/ChangelogListModel.h"
#include "ui/QmlController.h"
#include "vand_networking_http/NetworkApiInterface.h"

class QQmlEngine;

namespace vand::qt {

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

    // Fills both lists and shows the window. A folder that cannot be read
    // (std::filesystem::filesystem_error) or no current show
    // (std::out_of_range) propagates.
    void Show();
    // Reads the local list again.
    void RefreshLocalLogs();
    // Keeps, of the show folder's log files that share the text after the
    // last "-" of their path, the one written last (the first met on a tie)
    // and removes the others. std::filesystem::filesystem_error propagates;
    // removals done before it stay done.
    void PruneLocalLogs();
    // Fetches the server's version ("major.minor") into the show folder and
    // returns its file name; empty, with "Link was not successfully
    // received." on the standard output, when the server has no such
    // version or cannot be asked. A name the server gives that is not a plain
    // "*.logdata" name, and a failed transfer, throw std::runtime_error
    // (nothing written); a text that is no version throws
    // std::invalid_argument.
    std::string DownloadServerLog(const std::string& version);

    ChangelogListModel* GetLocalModel() const { return localModel_.get(); }
    ChangelogListModel* GetServerModel() const { return serverModel_.get(); }
    const std::filesystem::path& GetShowFolder() const { return showFolder_; }

signals:
    void ChangelogLocalSelected(int index);
    void ChangelogServerSelected(int index);
    void Closing();

public slots:
    void LoadSelectedLocal_(int index);
    void LoadSelectedServer_(int index);
    // The server's versions without links; empty, with "Networking Issue: "
    // on the standard output, when the server cannot be asked.
    vand::networking::ChangelogFullInfoList GetAvailableLogs_();

private:
    // Lists every readable "*.logdata" file of the show folder, sorted; a file
    // that cannot be read is skipped with one line on the log.
    void LoadLocalLogs();
    void LoadServerLogs();

    std::unique_ptr<ChangelogListModel> localModel_;
    std::unique_ptr<ChangelogListModel> serverModel_;
    std::shared_ptr<vand::ShowIdentityService> identity_;
    std::filesystem::path showFolder_;
    std::filesystem::path identityFile_;
    vand::networking::NetworkApiInterface api_;
};

} // namespace vand::qt
