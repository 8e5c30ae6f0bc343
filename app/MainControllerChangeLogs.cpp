// The main controller's change-log commands: save, share, fetch the latest
// version, and the change-log manager window.
#include "app/MusicalMainController.h"
#include "edit/EditController.h"
#include "edit/TimelineEditController.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "CL/ChangeLog.h"
#include "CL/Editor.h"
#include "app/PlayerFactory.h"
#include "cmn/ShowIdentity.h"
#include "kit/Log.h"
#include "model/ShowManager.h"
#include "show/ChangelogFiles.h"
#include "show/ChangelogManagerController.h"
#include "ui/BackgroundTask.h"
#include "ui/ViewProperty.h"
#include "vand_networking_http/ChangelogTransfer.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_pelorin/AudioInterface.h"

namespace vand::qt {

namespace {

namespace fs = std::filesystem;
using vand::networking::NetworkApiInterface;

const char* kSaveErrorTitle = "Save Failed";
const char* kShareFailedTitle = "Save and Share Failed";
const char* kServerErrorTitle = "Server Error on Save";
const char* kDownloadErrorTitle = "Download Error";
const char* kManagerErrorTitle = "Event Log Manager";
const char* kDownloadFailed = "Log failed to download. ";
const char* kNoServerList = "Failed to get current log on server. Check internet connectivity?";

// A client of the server named in the data folder, for one operation.
NetworkApiInterface ApiClient(const std::string& dataFolder, const vand::ShowIdentity& identity,
                              vand::ProductType productType)
{
    NetworkApiInterface api(vand::networking::LoadServerConfig(fs::u8path(dataFolder)));
    api.SetShowIdentity(identity, productType);
    return api;
}

std::string VersionText(unsigned major, unsigned minor)
{
    return std::to_string(major) + "." + std::to_string(minor);
}

// The server's versions as Share needs them: the status, and the highest
// major number (0 for none).
struct ServerVersions
{
    int status = NetworkApiInterface::API_NETWORK_ERROR;
    unsigned top = 0;
};

// The latest version's link and its file, fetched beside its place; or why
// not.
struct LatestLog
{
    vand::networking::ChangelogFullInfo info;
    fs::path staged;
    std::string error;
};

// Without a server nothing is asked: the answer is at hand.
bool NoServer(const NetworkApiInterface& api)
{
    return api.GetServer().apiBase.empty();
}

void RemoveStaged(const fs::path& staged)
{
    std::error_code ignored;
    if (!staged.empty())
        fs::remove(staged, ignored);
}

} // namespace

fs::path MusicalMainController::NewestLocalLogPath() const
{
    std::error_code error;
    fs::path newest = CL::ChangeLog::FindNewestLogFile(fs::u8path(showFolder_), error);
    if (error)
        throw fs::filesystem_error("directory_iterator::directory_iterator", fs::u8path(showFolder_), error);
    return newest;
}

bool MusicalMainController::GetNewestLocalLogVersion(unsigned char& major, unsigned char& minor) const
{
    major = 0;
    minor = 0;
    const fs::path newest = NewestLocalLogPath();
    const auto version =
        newest.empty() ? std::nullopt : CL::ChangeLog::VersionOfLogFileName(newest.filename().string());
    if (!version)
        return false;
    major = version->major;
    minor = version->minor;
    return true;
}

QString MusicalMainController::FindNewestLocalLogFile() const
{
    return QString::fromStdString(NewestLocalLogPath().filename().string());
}

bool MusicalMainController::TouchFile(const QString& path)
{
    if (!QFileInfo::exists(path))
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        return false;
    const bool touched = file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    file.close();
    return touched;
}

void MusicalMainController::ReloadCurrentSong()
{
    const std::shared_ptr<Interface> player = showManager_ ? showManager_->GetPlayer() : nullptr;
    if (!player)
        throw std::runtime_error("No show is loaded.");
    player->LoadSong(showManager_->GetCurrentSongNumber());
}

std::string MusicalMainController::SaveNextMinorVersion()
{
    if (!player_ || !showManager_)
        throw std::runtime_error("No show is loaded.");
    unsigned char major = 0;
    unsigned char minor = 0;
    GetNewestLocalLogVersion(major, minor);
    if (minor == 255) {
        // The next minor number would wrap to 0 and overwrite a shared version.
        throw std::runtime_error("Version " + std::to_string(major)
                                 + ".255 is the last local version of "
                                   "this change log. Share your edits to start a new version.");
    }
    player_->SaveChangelog(major, minor + 1u);
    player_->LoadNewChangeLog();
    return VersionText(major, minor + 1u);
}

void MusicalMainController::onSaveButton()
{
    const bool saved = Guarded(kSaveErrorTitle, [this] {
        SaveNextMinorVersion();
        if (editController_)
            editController_->ChangeLogSaved();
        emit SaveCompleted();
        onInformation("These changes are only saved locally and are NOT distributed to your cast. We always "
                      "recommend sharing changes when possible.",
                      "Save Complete");
    });
    if (!saved)
        RestoreSaveButton_();
}

void MusicalMainController::RestoreSaveButton_()
{
    Guarded(kSaveErrorTitle, [this] {
        if (editController_)
            editController_->GetToolbar()->UpdateButtonStates();
    });
}

void MusicalMainController::onSaveAndUploadButton()
{
    Guarded(kShareFailedTitle, [this] { StartShare(); });
    // Save follows the change log's flags again, whatever became of the share
    // (at once unless the share is under way).
    if (!serverTask_ || !serverTask_->IsRunning())
        RestoreSaveButton_();
}

void MusicalMainController::StartShare()
{
    if (!player_ || !showManager_ || !showIdentity_)
        throw std::runtime_error("No show is loaded.");
    if (serverTask_->IsRunning())
        throw std::runtime_error("The show server is still being asked.");
    NetworkApiInterface api = ApiClient(dataFolder_, showIdentity_->CurrentIdentity(), 0);
    // The edits to share are this player's: a show loaded again meanwhile
    // has lost them.
    const std::weak_ptr<Interface> player = player_;
    BackgroundTask::Handlers<ServerVersions> handlers;
    handlers.done = [this, player](ServerVersions versions) {
        Guarded(kShareFailedTitle, [&] { ContinueShare(versions.status, versions.top, player); });
        if (!serverTask_->IsRunning())
            RestoreSaveButton_();
    };
    handlers.cancelled = [this] { RestoreSaveButton_(); };
    serverTask_->Start<ServerVersions>(
        QStringLiteral("Asking the show server for its versions..."),
        [api](const BackgroundTask::CancelFlag& cancel) mutable {
            api.SetCancelFlag(&cancel);
            const auto available = api.GetAvailableLogs();
            ServerVersions versions;
            versions.status = available.HasValue() ? NetworkApiInterface::API_SUCCESS : available.GetStatus();
            if (available.HasValue()) {
                for (const auto& entry : *available.GetValue())
                    versions.top = std::max<unsigned>(versions.top, entry.major);
            }
            return versions;
        },
        std::move(handlers), NoServer(api));
}

void MusicalMainController::ContinueShare(int status, unsigned top, const std::weak_ptr<Interface>& player)
{
    if (!player_ || !showManager_ || player.lock() != player_) {
        onError("The show was loaded again while the show server was asked. Nothing was saved or shared.",
                kShareFailedTitle);
        return;
    }
    if (status != NetworkApiInterface::API_SUCCESS) {
        // The edits must not wait for the server: they are saved as Save does.
        std::string saved;
        try {
            saved = SaveNextMinorVersion();
        } catch (const std::exception& e) {
            onError(std::string(kNoServerList) + " Your edits could not be saved locally either: " + e.what(),
                    kServerErrorTitle);
            return;
        }
        if (editController_)
            editController_->ChangeLogSaved();
        onError(std::string(kNoServerList) + " Your edits were saved locally as version " + saved + ".",
                kServerErrorTitle);
        return;
    }
    if (top >= 255) {
        // Version 256.0 would be read back as no version at all.
        onError("The show server already holds version 255, the highest version that can be shared. Nothing "
                "was saved.",
                kShareFailedTitle);
        return;
    }
    player_->SaveChangelog(top + 1, 0);
    player_->LoadNewChangeLog();

    // The new version is saved from here on, whatever becomes of the upload.
    const CL::Editor* editor = showManager_->PauseAndGetEditor();
    const cmn::VANDVersion version = editor ? editor->GetVersion() : cmn::VANDVersion(top + 1, 0);
    const std::string fileName = player_->GetChangelogFilename();
    const std::string versionText = VersionText(version.major, version.minor);
    const auto server = vand::networking::LoadServerConfig(fs::u8path(dataFolder_));
    BackgroundTask::Handlers<bool> handlers;
    handlers.done = [this, fileName](bool uploaded) {
        Guarded(kShareFailedTitle, [&] { FinishShare(uploaded, fileName); });
        RestoreSaveButton_();
    };
    handlers.cancelled = [this, versionText] {
        // Saved, so quitting does not ask again; Share stays enabled.
        Guarded(kShareFailedTitle, [this] {
            if (editController_)
                editController_->ChangeLogSaved();
        });
        onInformation("The share was cancelled. Your edits are saved on this computer as version " + versionText
                          + "; share them when the show server answers again.",
                      "Share Cancelled");
        RestoreSaveButton_();
    };
    const bool started = serverTask_->Start<bool>(
        QStringLiteral("Sharing your edits as version %1...").arg(QString::fromStdString(versionText)),
        [server, fileName, version, identity = showIdentity_->CurrentIdentity(),
         folder = showFolder_](const BackgroundTask::CancelFlag& cancel) {
            try {
                return vand::networking::UploadChangelog(server, fileName, static_cast<std::uint8_t>(version.major),
                                                         static_cast<std::uint8_t>(version.minor), identity, folder,
                                                         &cancel);
            } catch (const std::exception& e) {
                kit::Log(kit::LogLevel::Warning, "shell", std::string("Sharing the change log failed: ") + e.what());
                return false;
            }
        },
        std::move(handlers), server.apiBase.empty());
    if (!started)
        FinishShare(false, fileName);
}

void MusicalMainController::FinishShare(bool uploaded, const std::string& fileName)
{
    if (!uploaded) {
        // Saved, so quitting does not ask again; Share stays enabled.
        if (editController_)
            editController_->ChangeLogSaved();
        onError("The edits failed to upload. Upload returned an error.", kShareFailedTitle);
        return;
    }
    if (editController_)
        editController_->ChangeLogSavedAndUploaded();
    TouchFile(QString::fromStdString(fileName));
    onInformation("Your edits are now available in Dravel and Pelorin.", "Share Complete");
}

void MusicalMainController::GetLatestLogClicked_()
{
    try {
        StartFetchLatestLog();
    } catch (const std::exception& e) {
        onError(std::string(kDownloadFailed) + e.what(), kDownloadErrorTitle);
    } catch (...) {
        onError(std::string(kDownloadFailed) + "Unknown error.", kDownloadErrorTitle);
    }
}

void MusicalMainController::StartFetchLatestLog()
{
    if (!showManager_ || !showIdentity_)
        throw std::runtime_error("No show is loaded.");
    if (serverTask_->IsRunning())
        throw std::runtime_error("The show server is still being asked.");
    NetworkApiInterface api = ApiClient(dataFolder_, showIdentity_->CurrentIdentity(), factory_->productType);
    const fs::path folder = fs::u8path(showFolder_);
    const fs::path identityFile = showIdentity_->IdentityFilePath();
    BackgroundTask::Handlers<LatestLog> handlers;
    handlers.done = [this, folder, identityFile](LatestLog latest) {
        try {
            if (!latest.error.empty())
                throw std::runtime_error(latest.error);
            // Another show, or none, may have been loaded while the server was
            // asked: the file goes only into the folder it was fetched for.
            if (!showManager_ || fs::u8path(showFolder_) != folder)
                throw std::runtime_error("The show was changed while the log was downloaded. Nothing was changed.");
            const PlacedChangelog placed = PlaceFetchedChangelog(latest.staged, latest.info, folder, identityFile);
            std::string text =
                "Log version " + VersionText(latest.info.major, latest.info.minor) + " has been downloaded.";
            if (!placed.keptAs.empty()) {
                text += " Your own \"" + placed.fileName + "\" held other edits; it is kept as version "
                        + placed.keptVersion + " (\"" + placed.keptAs + "\").";
            }
            onInformation(text, "Download successful");

            // The newest file of the folder is loaded, which may be a newer
            // local one; the song is the one current now.
            const QString newest = FindNewestLocalLogFile();
            if (newest.isEmpty())
                throw std::runtime_error("The show folder holds no change log with a version.");
            showManager_->SetChangelogFilename(newest.toStdString());
            ReloadCurrentSong();
            if (editController_) {
                editController_->ChangeLogSaved();
                editController_->UpdateLogVersionText();
            }
        } catch (const std::exception& e) {
            RemoveStaged(latest.staged);
            onError(std::string(kDownloadFailed) + e.what(), kDownloadErrorTitle);
        }
    };
    handlers.dropped = [](LatestLog latest) { RemoveStaged(latest.staged); };
    serverTask_->Start<LatestLog>(
        QStringLiteral("Downloading the latest change log..."),
        [api, folder](const BackgroundTask::CancelFlag& cancel) mutable {
            LatestLog latest;
            api.SetCancelFlag(&cancel);
            const auto version = api.GetLatestLog();
            if (!version.HasValue()) {
                latest.error = "Get Latest Log Version Failed. " + version.GetDisplayMessage();
                return latest;
            }
            const auto link = api.GetChangelogLinkByVersion(version.GetValue()->major, version.GetValue()->minor);
            if (!link.HasValue()) {
                latest.error = "Latest Log Link Request Failed. " + link.GetDisplayMessage();
                return latest;
            }
            latest.info = *link.GetValue();
            try {
                latest.staged = FetchChangelogFile(api.GetServer(), latest.info, folder, &cancel);
            } catch (const std::exception& e) {
                latest.error = e.what();
            }
            return latest;
        },
        std::move(handlers), NoServer(api));
}

void MusicalMainController::ShowChangelogManager_()
{
    Guarded(kManagerErrorTitle, [this] {
        DropChangelogManager();
        changelogManager_ = std::make_shared<ChangelogManagerController>(engine_, showIdentity_, rootObject_);
        ChangelogManagerController* manager = changelogManager_.get();
        connect(manager, SIGNAL(ChangelogLocalSelected(int)), this, SLOT(ChangelogLocalSelected_(int)));
        connect(manager, SIGNAL(ChangelogServerSelected(int)), this, SLOT(ChangelogServerSelected_(int)));
        connect(manager, SIGNAL(Closing()), this, SLOT(ChangelogManagerClosing_()));
        try {
            manager->SetVisible(true);
            manager->Show();
        } catch (...) {
            DropChangelogManager();
            throw;
        }
    });
}

void MusicalMainController::ChangelogLocalSelected_(int index)
{
    Guarded(kManagerErrorTitle, [this, index] {
        if (!changelogManager_ || !showManager_)
            return;
        // Exactly the file the row was read from.
        const fs::path file = changelogManager_->GetLocalModel()->GetFile(index);
        std::error_code error;
        if (file.empty() || !fs::is_regular_file(file, error))
            return;
        showManager_->SetChangelogFilename(file.filename().string());
        ReloadCurrentSong();
        DropChangelogManager();
        emit SignalAttaccaUpdate();
    });
}

void MusicalMainController::ChangelogServerSelected_(int index)
{
    Guarded(kManagerErrorTitle, [this, index] {
        if (!changelogManager_ || !showManager_)
            return;
        const std::string version = changelogManager_->GetServerModel()->GetVersionString(index).toStdString();
        if (version.empty())
            return;
        const std::weak_ptr<ChangelogManagerController> manager = changelogManager_;
        changelogManager_->DownloadServerLog(
            version, [this, manager](ServerLogDownload outcome) { LoadFetchedServerLog(outcome, manager); });
    });
}

void MusicalMainController::LoadFetchedServerLog(const ServerLogDownload& outcome,
                                                 const std::weak_ptr<ChangelogManagerController>& manager)
{
    if (!outcome.error.empty()) {
        onError(std::string(kDownloadFailed) + outcome.error, kDownloadErrorTitle);
        return;
    }
    const std::string& name = outcome.placed.fileName;
    if (name.empty()) {
        kit::Log(kit::LogLevel::Error, "shell", "Server file does not exist.");
        return;
    }
    Guarded(kManagerErrorTitle, [&] {
        // The show may have gone while the server was asked.
        if (!showManager_)
            throw std::runtime_error("No show is loaded.");
        showManager_->SetChangelogFilename(name);
        if (const auto open = manager.lock()) {
            // The version just chosen stays, whatever other file shares its
            // version.
            open->PruneLocalLogs(fs::u8path(showFolder_) / fs::u8path(name));
            open->RefreshLocalLogs();
        }
        ReloadCurrentSong();
        if (!outcome.placed.keptAs.empty()) {
            onInformation("Your own \"" + name
                              + "\" held other edits than the server's version; it is kept as "
                                "version "
                              + outcome.placed.keptVersion + " (\"" + outcome.placed.keptAs + "\").",
                          kManagerErrorTitle);
        }
        if (changelogManager_ == manager.lock())
            DropChangelogManager();
        emit SignalAttaccaUpdate();
    });
}

void MusicalMainController::ChangelogManagerClosing_()
{
    DropChangelogManager();
}

void MusicalMainController::DropChangelogManager()
{
    std::shared_ptr<ChangelogManagerController> manager = std::move(changelogManager_);
    changelogManager_.reset();
    if (!manager)
        return;
    disconnect(manager.get(), nullptr, this, nullptr);
    // A request of its own that still runs ends here.
    manager->Cancel();
    if (QObject* window = manager->GetQmlObject())
        SetViewProperty(window, "visible", false);
    // Its window may be running the handler that brought us here: the
    // controller and its window go once that handler has returned.
    QMetaObject::invokeMethod(
        this, [manager]() mutable { manager.reset(); }, Qt::QueuedConnection);
}

} // namespace vand::qt
