#include "app/Launcher.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QStandardPaths>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "CL/Errors.h"
#include "app/MusicalMainController.h"
#include "app/PathText.h"
#include "app/PlayerFactory.h"
#include "app/StagedShowCheck.h"
#include "cmn/ShowIdentity.h"
#include "kit/Log.h"
#include "show/ShowDownloaderController.h"
#include "ui/BackgroundTask.h"
#include "ui/DialogController.h"
#include "ui/InputDialogController.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {
namespace fs = std::filesystem;
} // namespace

Launcher::Launcher(QQmlApplicationEngine* engine, std::unique_ptr<vand::PlayerFactory> factory, QObject* parent)
    : QObject(parent)
    , factory_(std::move(factory))
    , engine_(engine)
{
    if (!factory_)
        throw std::invalid_argument("The Launcher needs the product identity.");

    const fs::path dataFolder =
        fs::u8path(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation).toStdString())
        / fs::u8path(factory_->folderName.toStdString());
    vand::MakeDirectoryIfNeeded(Utf8(dataFolder));
    vand::SetDefaultDataFolder(dataFolder);

    const vand::ShowIdentity identity = vand::DefaultShowIdentityService().CurrentIdentity();
    const std::string showFolder = Directories::GetShowDirectory();

    const vand::networking::ServerConfig server = vand::networking::LoadServerConfig(dataFolder);
    if (!server.apiBase.empty()) {
        CheckShowFilesInBackground(server, identity, showFolder);
        return;
    }
    // No server: nothing to ask, and the show on disk opens at once.
    ReportFileListFailure({});
    try {
        StartWith({}, identity);
    } catch (const CL::ChangeLogVersionError& e) {
        ShowStartError(e);
    }
}

void Launcher::CheckShowFilesInBackground(const vand::networking::ServerConfig& server,
                                          const vand::ShowIdentity& identity, const std::string& showFolder)
{
    // What the worker answers: the request's failure, and the files still to
    // fetch.
    struct FileList
    {
        bool failed = false;
        std::string message;
        vand::networking::DownloadPlan plan;
    };
    fileListTask_ = std::make_unique<BackgroundTask>(engine_, nullptr, QStringLiteral("Show Server"));
    BackgroundTask::Handlers<FileList> handlers;
    handlers.done = [this, identity](FileList answer) {
        if (answer.failed)
            ReportFileListFailure(answer.message);
        StartFromLoop(std::move(answer.plan), identity);
    };
    handlers.cancelled = [this, identity] {
        ReportFileListFailure("Cancelled.");
        StartFromLoop({}, identity);
    };
    fileListTask_->Start<FileList>(
        QStringLiteral("Checking the show's files on the show server..."),
        [server, identity, showFolder, productType = factory_->productType](const BackgroundTask::CancelFlag& cancel) {
            vand::networking::NetworkApiInterface api(server);
            api.SetShowIdentity(identity, productType);
            api.SetCancelFlag(&cancel);
            auto result = api.GetAllShowFiles();
            FileList answer;
            answer.failed = result.GetStatus() != vand::networking::NetworkApiInterface::API_SUCCESS;
            answer.message = result.GetDisplayMessage();
            if (result.HasValue())
                answer.plan = api.ValidateDownloadPlan(api.GetDownloadPlan(*result.GetValue()), showFolder);
            return answer;
        },
        std::move(handlers));
}

void Launcher::ReportFileListFailure(std::string message)
{
    if (message.empty())
        message = "No error message. Possible network failure.";
    // Written without a line end, where the log writes whole lines.
    std::cerr << "Getting file list failed: " << message << std::flush;
}

void Launcher::StartFromLoop(vand::networking::DownloadPlan plan, const vand::ShowIdentity& identity)
{
    try {
        StartWith(std::move(plan), identity);
    } catch (const CL::ChangeLogVersionError& e) {
        ShowStartError(e);
    } catch (...) {
        // Fatal: the application object writes the error log after the loop.
        fatalError_ = std::current_exception();
        QCoreApplication::exit(1);
    }
}

void Launcher::StartWith(vand::networking::DownloadPlan plan, const vand::ShowIdentity& identity)
{
    if (!plan.empty()) {
        downloader_ = std::make_unique<ShowDownloaderController>(engine_, nullptr, factory_->productType);
        // Queued: the completion comes from the worker, and the downloader is
        // never deleted inside one of its own signals.
        connect(downloader_.get(), &ShowDownloaderController::DownloadFinishedSignal, this,
                &Launcher::DownloadCompleted_, Qt::QueuedConnection);
        connect(downloader_.get(), &ShowDownloaderController::Closing, this, &Launcher::DownloadAbandoned_,
                Qt::QueuedConnection);
        connect(downloader_.get(), &ShowDownloaderController::Cancelled, this, &Launcher::DownloadAbandoned_,
                Qt::QueuedConnection);
        // A show that would not read never replaces the one on disk.
        downloader_->SetStagedShowCheck(CheckStagedShow);
        updateNotice_ = UpdateNotice(plan);
        try {
            downloader_->Download(identity, std::make_unique<vand::networking::DownloadPlan>(std::move(plan)));
            return;
        } catch (const std::system_error& e) {
            kit::Log(kit::LogLevel::Error, "shell", std::string("The show download could not start: ") + e.what());
            downloader_.reset();
            updateNotice_.clear();
        }
    }
    LaunchMainController();
}

void Launcher::ShowStartError(const std::exception& e)
{
    const std::string text =
        std::string("Loading show edits failed with the following error: ") + e.what()
        + ". \n\nBecause the error is related to log versioning, you may be able to fix this issue by "
          "downloading the latest version of the application from the VAND website.";
    OpenStartDialog(text);
}

void Launcher::OpenStartDialog(const std::string& text)
{
    startErrorDialog_ = std::make_unique<DialogController>(text, "Loading Edits Failed", 0, nullptr, engine_);
}

Launcher::~Launcher()
{
    // The prompt's window is ours to delete; it must go before the engine.
    if (quitPrompt_)
        delete quitPrompt_->GetQmlObject();
}

std::exception_ptr Launcher::TakeFatalError()
{
    std::exception_ptr error;
    std::swap(error, fatalError_);
    return error;
}

QString Launcher::UpdateNotice(const vand::networking::DownloadPlan& plan)
{
    bool logUpdated = false;
    bool filesUpdated = false;
    QString version;
    for (const auto& file : plan.files) {
        if (file.kind == "LOG") {
            logUpdated = true;
            version = QStringLiteral("%1.%2").arg(file.major).arg(file.minor);
        } else {
            filesUpdated = true;
        }
    }
    if (logUpdated && filesUpdated)
        return QStringLiteral("The event log has been updated to version ") + version
               + QStringLiteral(" and the show files have been repaired or updated to the latest version.");
    if (logUpdated)
        return QStringLiteral("The event log has been updated to version ") + version + QStringLiteral(".");
    if (filesUpdated)
        return QStringLiteral("The show files have been repaired or updated to the latest version.");
    return QString();
}

void Launcher::LaunchMainController()
{
    downloader_.reset();
    if (mainController_)
        return;
    mainController_ = std::make_unique<MusicalMainController>(engine_, factory_.get());
    connect(mainController_.get(), &MusicalMainController::Closing, this, &Launcher::ClosingSaveQuery);
    connect(mainController_.get(), &MusicalMainController::SaveCompleted, this, &Launcher::CloseAfterSave);
    if (!updateNotice_.isEmpty())
        mainController_->ShowDialog(updateNotice_.toStdString(), "Files Were Updated", 2);
    ReportUnreadableLogs();
}

void Launcher::ReportUnreadableLogs()
{
    const std::shared_ptr<Interface> player = mainController_->GetPlayer();
    const std::vector<std::string> unreadable = player ? player->GetUnreadableChangeLogs() : std::vector<std::string>();
    if (unreadable.empty())
        return;
    std::string text = "Loading show edits failed with the following error: ";
    for (std::size_t i = 0; i < unreadable.size(); ++i)
        text += (i > 0 ? "\n" : "") + unreadable[i];
    text += "\n\n";
    const fs::path loaded = fs::u8path(player->GetChangelogFilename());
    if (loaded.empty())
        text += "No version of the show's edits could be read, so the show starts without edits.";
    else
        text += "The edits of version " + player->GetLogVersion() + " (\"" + Utf8(loaded.filename())
                + "\") were loaded instead.";
    text += unreadable.size() == 1 ? " The file that could not be read is kept as it is."
                                   : " The files that could not be read are kept as they are.";
    OpenStartDialog(text);
}

void Launcher::LaunchPelorinMainController()
{
    StartFromLoop({}, {});
}

void Launcher::DownloadCompleted_(vand::ShowIdentity identity)
{
    if (identity.identifier.empty())
        updateNotice_.clear();
    LaunchPelorinMainController();
}

void Launcher::DownloadAbandoned_()
{
    updateNotice_.clear();
    LaunchPelorinMainController();
}

void Launcher::ClosingSaveQuery()
{
    if (!mainController_ || !mainController_->HasUnsavedEdits()) {
        CloseApp();
        return;
    }
    closeAfterSave_ = true;
    QObject* window = OpenQuitPrompt();
    if (!window) {
        // Without the prompt the edits would be lost unasked: stay open.
        closeAfterSave_ = false;
        kit::Log(kit::LogLevel::Error, "shell", "The unsaved changes prompt could not be shown.");
        return;
    }
    connect(window, SIGNAL(accepted()), mainController_.get(), SLOT(onSaveButton()));
    connect(window, SIGNAL(cancelled()), this, SLOT(CloseApp()));
    connect(window, SIGNAL(negated()), this, SLOT(NegateClose()));
}

QObject* Launcher::OpenQuitPrompt()
{
    QObject* parentItem = qobject_cast<QQuickItem*>(parent());
    quitPrompt_ = std::make_unique<InputDialogController>(
        "You have unsaved changes.  If you quit now, they will be lost forever.", "Unsaved Changes", 1, parentItem,
        engine_, nullptr, false);
    quitPrompt_->SetConfirmationPreamble(QStringLiteral("Unsaved Changes Detected:"));
    QObject* window = quitPrompt_->GetQmlObject();
    if (!window)
        return nullptr;
    SetViewProperty(window, "acceptButtonText", QStringLiteral("Save and Close"));
    SetViewProperty(window, "cancelButtonText", QStringLiteral("Close Without Saving"));
    SetViewProperty(window, "negateButtonText", QStringLiteral("Cancel"));
    SetViewProperty(window, "showNegateButton", true);
    SetViewProperty(window, "showInputField", false);
    SetViewProperty(window, "visible", true);
    connect(window, SIGNAL(accepted()), this, SLOT(deleteSavePromptDialog()));
    connect(window, SIGNAL(cancelled()), this, SLOT(deleteSavePromptDialog()));
    connect(window, SIGNAL(negated()), this, SLOT(deleteSavePromptDialog()));
    // Escape and the title bar's close button both mean "Cancel": neither may
    // throw the edits away.
    connect(window, SIGNAL(closing(QQuickCloseEvent*)), this, SLOT(QuitPromptClosed_()));
    window->installEventFilter(this);
    return window;
}

bool Launcher::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && quitPrompt_ && watched == quitPrompt_->GetQmlObject()) {
        if (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            SetViewProperty(watched, "visible", false);
            QMetaObject::invokeMethod(watched, "negated");
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void Launcher::QuitPromptClosed_()
{
    NegateClose();
    if (QObject* window = sender())
        window->deleteLater();
}

void Launcher::CloseAfterSave()
{
    if (closeAfterSave_)
        CloseApp();
}

void Launcher::CloseApp()
{
    QCoreApplication::exit(0);
}

void Launcher::NegateClose()
{
    closeAfterSave_ = false;
}

void Launcher::deleteSavePromptDialog()
{
    if (QObject* window = sender())
        window->deleteLater();
}

} // namespace vand::qt
