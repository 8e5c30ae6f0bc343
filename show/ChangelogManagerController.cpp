#include "show/ChangelogManagerController.h"

#include <QUrl>
#include <QVariant>
#include <QWindow>
#include <chrono>
#include <cstdint>
#include <iostream>
#include <map>
#include <stdexcept>
#include <utility>

#include "CL/ChangeLog.h"
#include "kit/Log.h"
#include "kit/Path.h"
#include "show/ChangelogFiles.h"
#include "ui/BackgroundTask.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

namespace fs = std::filesystem;
using vand::networking::NetworkApiInterface;

const QUrl kViewUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/ChangelogManagerWindow.qml"));

const std::shared_ptr<vand::ShowIdentityService>& Checked(const std::shared_ptr<vand::ShowIdentityService>& identity)
{
    if (!identity)
        throw std::invalid_argument("The change-log manager needs the show's identity.");
    return identity;
}

// A "*.logdata" path (exact case), as the manager lists and prunes them.
bool IsLogPath(const fs::path& path)
{
    constexpr std::string_view kExtension = ".logdata";
    const std::string text = path.string();
    return text.size() >= kExtension.size()
           && text.compare(text.size() - kExtension.size(), kExtension.size(), kExtension) == 0;
}

std::uint32_t WrittenSeconds(const fs::path& file)
{
    const auto time = std::chrono::file_clock::to_sys(fs::last_write_time(file));
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(time.time_since_epoch()).count();
    return static_cast<std::uint32_t>(seconds);
}

// The server's answer to the version list.
struct ServerLogList
{
    int status = NetworkApiInterface::API_NETWORK_ERROR;
    vand::networking::ChangelogInfoList logs;
};

// The server's answer to one version: its link, and the file fetched.
struct FetchedServerLog
{
    bool linked = false;
    vand::networking::ChangelogFullInfo info;
    fs::path staged;
    std::string error;
};

void RemoveStaged(const FetchedServerLog& fetched)
{
    std::error_code ignored;
    if (!fetched.staged.empty())
        fs::remove(fetched.staged, ignored);
}

} // namespace

ChangelogManagerController::ChangelogManagerController(QQmlEngine* engine,
                                                       std::shared_ptr<vand::ShowIdentityService> identity,
                                                       QObject* parent)
    : QmlController(engine, kViewUrl, parent, true)
    , localModel_(std::make_unique<ChangelogListModel>())
    , serverModel_(std::make_unique<ChangelogListModel>())
    , identity_(Checked(identity))
    , showFolder_(identity_->ShowFolder())
    , identityFile_(identity_->IdentityFilePath())
    , server_(vand::networking::LoadServerConfig(identity_->DataFolder()))
    , task_(std::make_unique<BackgroundTask>(engine, rootObject_, QStringLiteral("Event Log Manager")))
{
    if (!rootObject_)
        return;
    SetViewProperty(rootObject_, "localModel", QVariant::fromValue(localModel_.get()));
    SetViewProperty(rootObject_, "serverModel", QVariant::fromValue(serverModel_.get()));
    connect(rootObject_, SIGNAL(loadSelectedLocal(int)), this, SLOT(LoadSelectedLocal_(int)));
    connect(rootObject_, SIGNAL(loadSelectedServer(int)), this, SLOT(LoadSelectedServer_(int)));
    connect(rootObject_, SIGNAL(closing(QQuickCloseEvent*)), this, SIGNAL(Closing()));
}

ChangelogManagerController::~ChangelogManagerController()
{
    // No answer may arrive once the controller starts going.
    task_.reset();
    if (!rootObject_)
        return;
    disconnect(rootObject_, nullptr, this, nullptr);
    if (auto* window = qobject_cast<QWindow*>(rootObject_.data()))
        window->close();
    // The window goes later (deleteLater); it must not read the models after
    // they are gone.
    SetViewProperty(rootObject_, "localModel", QVariant::fromValue<QObject*>(nullptr));
    SetViewProperty(rootObject_, "serverModel", QVariant::fromValue<QObject*>(nullptr));
}

void ChangelogManagerController::Show()
{
    LoadLocalLogs();
    SetViewProperty(rootObject_, "visible", true);
    LoadServerLogs();
}

bool ChangelogManagerController::IsBusy() const
{
    return task_->IsRunning();
}

void ChangelogManagerController::Cancel()
{
    task_->Cancel();
}

void ChangelogManagerController::RefreshLocalLogs()
{
    LoadLocalLogs();
    localModel_->RefreshAll();
}

void ChangelogManagerController::LoadSelectedLocal_(int index)
{
    std::cout << "LoadSelectedLocal_(), index = " << index << std::endl;
    emit ChangelogLocalSelected(index);
}

void ChangelogManagerController::LoadSelectedServer_(int index)
{
    std::cout << "LoadSelectedServer_(), index = " << index << std::endl;
    emit ChangelogServerSelected(index);
}

void ChangelogManagerController::LoadLocalLogs()
{
    localModel_->Clear();
    for (const fs::directory_entry& entry : fs::directory_iterator(showFolder_)) {
        if (!IsLogPath(entry.path()))
            continue;
        try {
            if (!entry.is_regular_file())
                throw std::runtime_error("it is not a file.");
            localModel_->AddLog(CL::ChangeLog(entry.path(), identityFile_), entry.path());
        } catch (const std::exception& e) {
            kit::Log(kit::LogLevel::Warning, "show",
                     "The change log \"" + entry.path().string() + "\" is not listed: " + e.what());
        }
    }
    localModel_->Sort();
    localModel_->RefreshAll();
}

void ChangelogManagerController::LoadServerLogs()
{
    serverModel_->Clear();
    const vand::ShowIdentity identity = identity_->CurrentIdentity();
    BackgroundTask::Handlers<ServerLogList> handlers;
    handlers.done = [this](ServerLogList answer) {
        if (answer.status == NetworkApiInterface::API_SUCCESS) {
            for (const auto& info : answer.logs) {
                CL::ChangeLog log;
                log.SetVersion(cmn::VANDVersion(info.major, info.minor));
                log.SetModifiedTime(info.modified);
                serverModel_->AddLog(log);
            }
        } else {
            std::cout << "Networking Issue: ";
            if (answer.status == NetworkApiInterface::API_BAD_REQUEST)
                std::cout << "API_BAD_REQUEST" << std::endl;
            else if (answer.status == NetworkApiInterface::API_UNAUTHORIZED)
                std::cout << "API_UNAUTHORIZED" << std::endl;
            else
                std::cout.flush();
        }
        serverModel_->Sort();
        serverModel_->RefreshAll();
        emit ServerLogsRead();
    };
    task_->Start<ServerLogList>(
        QStringLiteral("Reading the versions on the show server..."),
        [server = server_, identity](const BackgroundTask::CancelFlag& cancel) {
            NetworkApiInterface api(server);
            api.SetShowIdentity(identity, 0);
            api.SetCancelFlag(&cancel);
            auto result = api.GetAvailableLogs();
            ServerLogList answer;
            answer.status = result.GetStatus();
            if (answer.status == NetworkApiInterface::API_SUCCESS && result.HasValue())
                answer.logs = *result.GetValue();
            return answer;
        },
        std::move(handlers), server_.apiBase.empty());
}

bool ChangelogManagerController::DownloadServerLog(const std::string& version,
                                                   std::function<void(ServerLogDownload)> done)
{
    if (task_->IsRunning())
        return false;
    const vand::ShowIdentity identity = identity_->CurrentIdentity();
    cmn::VANDVersion wanted;
    wanted.SetWithString(version);
    // The server keeps 8-bit versions: a wider one is not there (and must not
    // be narrowed onto another).
    if (wanted.major > 255 || wanted.minor > 255) {
        std::cout << "Link was not successfully received." << std::endl;
        done({});
        return true;
    }
    const auto major = static_cast<std::uint8_t>(wanted.major);
    const auto minor = static_cast<std::uint8_t>(wanted.minor);
    BackgroundTask::Handlers<FetchedServerLog> handlers;
    handlers.done = [this, done = std::move(done)](FetchedServerLog fetched) {
        if (!fetched.linked) {
            std::cout << "Link was not successfully received." << std::endl;
            done({});
            return;
        }
        std::cout << fetched.info.link << std::endl;
        ServerLogDownload outcome;
        if (fetched.error.empty()) {
            try {
                outcome.placed = PlaceFetchedChangelog(fetched.staged, fetched.info, showFolder_, identityFile_);
            } catch (const std::exception& e) {
                outcome.error = e.what();
            }
        } else {
            outcome.error = fetched.error;
        }
        RemoveStaged(fetched);
        done(std::move(outcome));
    };
    handlers.dropped = [](FetchedServerLog fetched) { RemoveStaged(fetched); };
    return task_->Start<FetchedServerLog>(
        QStringLiteral("Downloading version %1 from the show server...").arg(QString::fromStdString(version)),
        [server = server_, identity, folder = showFolder_, major, minor](const BackgroundTask::CancelFlag& cancel) {
            NetworkApiInterface api(server);
            api.SetShowIdentity(identity, 0);
            api.SetCancelFlag(&cancel);
            auto reply = api.GetChangelogLinkByVersion(major, minor);
            FetchedServerLog fetched;
            if (reply.GetStatus() != NetworkApiInterface::API_SUCCESS || !reply.HasValue())
                return fetched;
            fetched.linked = true;
            fetched.info = *reply.GetValue();
            try {
                fetched.staged = FetchChangelogFile(server, fetched.info, folder, &cancel);
            } catch (const std::exception& e) {
                fetched.error = e.what();
            }
            return fetched;
        },
        std::move(handlers), server_.apiBase.empty());
}

void ChangelogManagerController::PruneLocalLogs()
{
    PruneLocalLogs({});
}

void ChangelogManagerController::PruneLocalLogs(const fs::path& keep)
{
    // Per key: the file kept so far, its time, and whether it is `keep`.
    struct Kept
    {
        fs::path file;
        std::uint32_t written = 0;
        bool pinned = false;
    };
    std::map<std::string, Kept> newest;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(showFolder_)) {
        if (!IsLogPath(entry.path()) || !entry.is_regular_file())
            continue;
        const std::vector<std::string> parts = SplitString(entry.path().string(), '-');
        if (parts.size() < 2)
            continue;
        const std::string key = kit::path::splitext(parts.back()).first;
        const std::uint32_t written = WrittenSeconds(entry.path());
        const bool pinned = !keep.empty() && fs::equivalent(entry.path(), keep, error);
        const auto found = newest.find(key);
        if (found == newest.end()) {
            newest.emplace(key, Kept{entry.path(), written, pinned});
        } else if (!found->second.pinned && (pinned || written > found->second.written)) {
            fs::remove(found->second.file);
            found->second = {entry.path(), written, pinned};
        } else {
            fs::remove(entry.path());
        }
    }
}

} // namespace vand::qt
