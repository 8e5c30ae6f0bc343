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
#include "app/model/ShowManager.h"
#include "cmn/ShowIdentity.h"
#include "kit/Log.h"
#include "show/ChangelogFiles.h"
#include "show/ChangelogManagerController.h"
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
        throw std::runtime_error("Version " + std::to_string(major) + ".255 is the last local version of "
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
    Guarded(kShareFailedTitle, [this] { SaveAndShare(); });
    // Save follows the change log's flags again, whatever became of the share.
    RestoreSaveButton_();
}

void MusicalMainController::SaveAndShare()
{
    if (!player_ || !showManager_ || !showIdentity_)
        throw std::runtime_error("No show is loaded.");
    const vand::ShowIdentity identity = showIdentity_->CurrentIdentity();
    NetworkApiInterface api = ApiClient(dataFolder_, identity, 0);
    const auto available = api.GetAvailableLogs();
    if (!available.HasValue()) {
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

    unsigned top = 0;
    for (const auto& entry : *available.GetValue())
        top = std::max<unsigned>(top, entry.major);
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
    std::string fileName;
    bool uploaded = false;
    try {
        const CL::Editor* editor = showManager_->PauseAndGetEditor();
        const cmn::VANDVersion version = editor ? editor->GetVersion() : cmn::VANDVersion(top + 1, 0);
        fileName = player_->GetChangelogFilename();
        uploaded = vand::networking::UploadChangelog(fileName, static_cast<std::uint8_t>(version.major),
                                                     static_cast<std::uint8_t>(version.minor), identity,
                                                     showFolder_, factory_->productType);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Warning, "shell", std::string("Sharing the change log failed: ") + e.what());
    }
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
        FetchLatestLog();
    } catch (const std::exception& e) {
        onError(std::string(kDownloadFailed) + e.what(), kDownloadErrorTitle);
    } catch (...) {
        onError(std::string(kDownloadFailed) + "Unknown error.", kDownloadErrorTitle);
    }
}

void MusicalMainController::FetchLatestLog()
{
    if (!showManager_ || !showIdentity_)
        throw std::runtime_error("No show is loaded.");
    NetworkApiInterface api = ApiClient(dataFolder_, showIdentity_->CurrentIdentity(), factory_->productType);
    const auto latest = api.GetLatestLog();
    if (!latest.HasValue())
        throw std::runtime_error("Get Latest Log Version Failed. " + latest.GetDisplayMessage());
    const unsigned major = latest.GetValue()->major;
    const unsigned minor = latest.GetValue()->minor;
    const auto link = api.GetChangelogLinkByVersion(static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor));
    if (!link.HasValue())
        throw std::runtime_error("Latest Log Link Request Failed. " + link.GetDisplayMessage());
    DownloadChangelogFile(*link.GetValue(), fs::u8path(showFolder_));
    onInformation("Log version " + VersionText(major, minor) + " has been downloaded.", "Download successful");

    // The newest file of the folder is loaded, which may be a newer local one.
    const QString newest = FindNewestLocalLogFile();
    if (newest.isEmpty())
        throw std::runtime_error("The show folder holds no change log with a version.");
    showManager_->SetChangelogFilename(newest.toStdString());
    ReloadCurrentSong();
    if (editController_) {
        editController_->ChangeLogSaved();
        editController_->UpdateLogVersionText();
    }
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
    if (!changelogManager_ || !showManager_)
        return;
    const std::string version = changelogManager_->GetServerModel()->GetVersionString(index).toStdString();
    if (version.empty())
        return;
    std::string name;
    try {
        name = changelogManager_->DownloadServerLog(version);
    } catch (const std::exception& e) {
        onError(std::string(kDownloadFailed) + e.what(), kDownloadErrorTitle);
        return;
    } catch (...) {
        onError(std::string(kDownloadFailed) + "Unknown error.", kDownloadErrorTitle);
        return;
    }
    if (name.empty()) {
        kit::Log(kit::LogLevel::Error, "shell", "Server file does not exist.");
        return;
    }
    Guarded(kManagerErrorTitle, [this, &name] {
        showManager_->SetChangelogFilename(name);
        changelogManager_->PruneLocalLogs();
        changelogManager_->RefreshLocalLogs();
        ReloadCurrentSong();
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
    if (QObject* window = manager->GetQmlObject())
        SetViewProperty(window, "visible", false);
    // Its window may be running the handler that brought us here: the
    // controller and its window go once that handler has returned.
    QMetaObject::invokeMethod(this, [manager]() mutable { manager.reset(); }, Qt::QueuedConnection);
}

} // namespace vand::qt
