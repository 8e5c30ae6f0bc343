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

} // namespace

ChangelogManagerController::ChangelogManagerController(QQmlEngine* engine,
                                                       std::shared_ptr<vand::ShowIdentityService> identity,
                                                       QObject* parent)
    : QmlController(engine, kViewUrl, parent, true),
      localModel_(std::make_unique<ChangelogListModel>()),
      serverModel_(std::make_unique<ChangelogListModel>()),
      identity_(Checked(identity)),
      showFolder_(identity_->ShowFolder()),
      identityFile_(identity_->IdentityFilePath()),
      api_(vand::networking::LoadServerConfig(identity_->DataFolder()))
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
    LoadServerLogs();
    SetViewProperty(rootObject_, "visible", true);
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
    for (const auto& info : GetAvailableLogs_()) {
        CL::ChangeLog log;
        log.SetVersion(cmn::VANDVersion(info.major, info.minor));
        log.SetModifiedTime(info.modified);
        serverModel_->AddLog(log);
    }
    serverModel_->Sort();
    serverModel_->RefreshAll();
}

vand::networking::ChangelogFullInfoList ChangelogManagerController::GetAvailableLogs_()
{
    api_.SetShowIdentity(identity_->CurrentIdentity(), 0);
    auto result = api_.GetAvailableLogs();
    vand::networking::ChangelogFullInfoList list;
    if (result.GetStatus() == NetworkApiInterface::API_SUCCESS) {
        if (const auto* logs = result.GetValue()) {
            for (const auto& entry : *logs) {
                vand::networking::ChangelogFullInfo info;
                info.major = entry.major;
                info.minor = entry.minor;
                info.modified = entry.modified;
                list.push_back(std::move(info));
            }
        }
        return list;
    }
    std::cout << "Networking Issue: ";
    if (result.GetStatus() == NetworkApiInterface::API_BAD_REQUEST)
        std::cout << "API_BAD_REQUEST" << std::endl;
    else if (result.GetStatus() == NetworkApiInterface::API_UNAUTHORIZED)
        std::cout << "API_UNAUTHORIZED" << std::endl;
    else
        std::cout.flush();
    return list;
}

std::string ChangelogManagerController::DownloadServerLog(const std::string& version)
{
    api_.SetShowIdentity(identity_->CurrentIdentity(), 0);
    cmn::VANDVersion wanted;
    wanted.SetWithString(version);
    // The server keeps 8-bit versions: a wider one is not there (and must not
    // be narrowed onto another).
    if (wanted.major <= 255 && wanted.minor <= 255) {
        auto reply = api_.GetChangelogLinkByVersion(static_cast<std::uint8_t>(wanted.major),
                                                    static_cast<std::uint8_t>(wanted.minor));
        if (reply.GetStatus() == NetworkApiInterface::API_SUCCESS && reply.HasValue()) {
            std::cout << reply.GetValue()->link << std::endl;
            return DownloadChangelogFile(*reply.GetValue(), showFolder_);
        }
    }
    std::cout << "Link was not successfully received." << std::endl;
    return {};
}

void ChangelogManagerController::PruneLocalLogs()
{
    std::map<std::string, std::pair<fs::path, std::uint32_t>> newest;
    for (const fs::directory_entry& entry : fs::directory_iterator(showFolder_)) {
        if (!IsLogPath(entry.path()) || !entry.is_regular_file())
            continue;
        const std::vector<std::string> parts = SplitString(entry.path().string(), '-');
        if (parts.size() < 2)
            continue;
        const std::string key = kit::path::splitext(parts.back()).first;
        const std::uint32_t written = WrittenSeconds(entry.path());
        const auto found = newest.find(key);
        if (found == newest.end()) {
            newest.emplace(key, std::make_pair(entry.path(), written));
        } else if (written > found->second.second) {
            fs::remove(found->second.first);
            found->second = {entry.path(), written};
        } else {
            fs::remove(entry.path());
        }
    }
}

} // namespace vand::qt
