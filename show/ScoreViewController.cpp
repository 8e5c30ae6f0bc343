#include "show/ScoreViewController.h"

#include <QDir>
#include <QFile>
#include <QMetaObject>
#include <QQmlEngine>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <string>
#include <utility>
#include <vector>

#include "cmn/ShowIdentity.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "show/ScoreImageProvider.h"
#include "show/ScorePackage.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

void Log(kit::LogLevel level, const std::string& text)
{
    kit::Log(level, "score", text);
}

std::vector<vand::show::ScorePage> ReadPackageFile(const QString& path, const std::atomic<bool>& stop)
{
    const vand::show::ScorePackageLimits limits;
    try {
        const std::string bytes = kit::ReadWholeFile(QFile::encodeName(path).toStdString(), limits.maxPackageBytes);
        return vand::show::ReadScorePackage(bytes, limits, &stop);
    } catch (const std::exception& e) {
        Log(kit::LogLevel::Warning, std::string("The score package cannot be read: ") + e.what());
    }
    return {};
}

} // namespace

ScoreViewController::ScoreViewController(QObject* scoreItem, std::shared_ptr<Interface> player,
                                         std::shared_ptr<vand::ShowIdentityService> identity, QQmlEngine* engine)
    : QmlController(scoreItem, engine)
    , player_(std::move(player))
    , identity_(std::move(identity))
{
    if (scoreItem)
        connect(scoreItem, SIGNAL(pageChanged(int)), this, SLOT(currentPageChanged_(int)));
}

ScoreViewController::~ScoreViewController()
{
    StopReading();
    if (store_)
        store_->Withdraw(generation_);
}

ScoreViewController::PackageRead ScoreViewController::ReadFirstPackage(const QString& folderPath,
                                                                       const std::atomic<bool>& stop)
{
    PackageRead read;
    const QDir folder(folderPath);
    const QStringList packages = folder.entryList({QStringLiteral("*.score")}, QDir::Files, QDir::Unsorted);
    if (packages.isEmpty())
        return read;
    read.found = true;
    read.pages = ReadPackageFile(folder.filePath(packages.first()), stop);
    return read;
}

void ScoreViewController::StopReading()
{
    if (slot_)
        slot_->stop.store(true);
    slot_.reset();
    // Deleting the watcher drops the result; the worker finishes on its own.
    watcher_.reset();
}

void ScoreViewController::LoadScore()
{
    StopReading();
    if (store_)
        store_->Withdraw(generation_);
    store_.reset();
    generation_ = 0;
    pageNumbers_.clear();
    pageIndex_.clear();
    // The pages of an earlier package are gone from the store: the view lets
    // go of them until the new ones come.
    if (rootObject_ && !rootObject_->property("imageListModel").toStringList().isEmpty()) {
        SetViewProperty(rootObject_, "pageNumbers", pageNumbers_);
        SetViewProperty(rootObject_, "imageListModel", QStringList());
    }

    auto slot = std::make_shared<ReadSlot>();
    const QString folder = QString::fromStdString(Directories::GetShowDirectory());
    auto read = [reader = reader_, folder, slot]() {
        PackageRead result;
        try {
            result = reader(folder, slot->stop);
        } catch (const std::exception& e) {
            Log(kit::LogLevel::Warning, std::string("The score package cannot be read: ") + e.what());
        } catch (...) {
            Log(kit::LogLevel::Warning, "The score package cannot be read.");
        }
        const std::lock_guard<std::mutex> lock(slot->mutex);
        slot->result = std::move(result);
    };
    slot_ = slot;
    watcher_ = std::make_unique<QFutureWatcher<void>>();
    QFutureWatcher<void>* watcher = watcher_.get();
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, slot] {
        try {
            watcher_.release()->deleteLater(); // it is inside its own signal
            slot_.reset();
            PackageRead result;
            {
                const std::lock_guard<std::mutex> lock(slot->mutex);
                if (slot->result)
                    result = std::move(*slot->result);
            }
            ShowPackage(std::move(result));
        } catch (const std::exception& e) {
            Log(kit::LogLevel::Error, std::string("The score pages cannot be shown: ") + e.what());
        } catch (...) {
            Log(kit::LogLevel::Error, "The score pages cannot be shown.");
        }
    });
    watcher->setFuture(QtConcurrent::run(QThreadPool::globalInstance(), std::move(read)));
}

void ScoreViewController::ShowPackage(PackageRead read)
{
    if (!read.found) {
        Log(kit::LogLevel::Debug, "No .score file found.");
        SetViewProperty(rootObject_, "pageNumbers", pageNumbers_);
        SetViewProperty(rootObject_, "imageListModel", QStringList());
        return;
    }

    std::vector<vand::show::ScorePage> pages = std::move(read.pages);
    store_ = ScorePageStoreOf(engine_);
    if (!store_) {
        Log(kit::LogLevel::Error, "The score pages cannot be shown: the QML engine has no score image provider.");
        pages.clear();
    }
    QStringList urls;
    for (std::size_t i = 0; i < pages.size(); ++i) {
        pageNumbers_.append(pages[i].number);
        pageIndex_.emplace(pages[i].number, int(i));
    }
    if (store_) {
        const int count = int(pages.size());
        generation_ = store_->Publish(std::move(pages));
        for (int i = 0; i < count; ++i)
            urls.append(ScorePageUrl(generation_, i));
    }
    ShowPages(urls);
}

void ScoreViewController::ShowPages(const QStringList& urls)
{
    if (!rootObject_)
        return;
    // The numbers first: the view reads them when its list changes.
    SetViewProperty(rootObject_, "pageNumbers", pageNumbers_);
    SetViewProperty(rootObject_, "imageListModel", urls);
    if (!QMetaObject::invokeMethod(rootObject_, "updateImages", Qt::QueuedConnection))
        Log(kit::LogLevel::Error, "The score view has no function updateImages().");
}

void ScoreViewController::SetCurrentPage(int page)
{
    if (page == 0)
        return;
    const auto it = pageIndex_.find(page);
    if (it == pageIndex_.end()) {
        // Without a package there is nothing to miss.
        if (!pageIndex_.empty())
            Log(kit::LogLevel::Warning, "The score package has no page " + std::to_string(page) + ".");
        return;
    }
    SetViewProperty(rootObject_, "currentIndex", it->second);
}

void ScoreViewController::currentPageChanged_(int page)
{
    try {
        TurnPlayerTo(page);
    } catch (...) {
        // Only the log's own allocations can get here; nothing leaves the slot.
    }
}

void ScoreViewController::TurnPlayerTo(int page)
{
    if (!player_ || page == 0 || pageIndex_.count(page) == 0)
        return;
    const std::string pageText = std::to_string(page);
    std::pair<std::string, UInt32> place;
    try {
        place = player_->LookupPage(unsigned(page));
    } catch (const std::exception& e) {
        Log(kit::LogLevel::Warning, "Page " + pageText + " is not in the show: " + e.what());
        return;
    } catch (...) {
        Log(kit::LogLevel::Warning, "Page " + pageText + " is not in the show.");
        return;
    }

    // Found: pause, move, and play on whatever happened to the move.
    std::string failure;
    const auto note = [&failure](const char* what) { failure += (failure.empty() ? "" : "; ") + std::string(what); };
    bool wasPlaying = false;
    try {
        wasPlaying = player_->GetIsPlaying();
        if (wasPlaying)
            player_->Pause(false);
        if (player_->GetCurrentSongNumber() == place.first)
            player_->Seek(place.second);
        else
            player_->LoadSongAtTime(place.first, place.second);
    } catch (const std::exception& e) {
        note(e.what());
    } catch (...) {
        note("unknown error");
    }
    if (wasPlaying) {
        try {
            player_->Play();
        } catch (const std::exception& e) {
            note(e.what());
        } catch (...) {
            note("unknown error");
        }
    }
    if (!failure.empty())
        Log(kit::LogLevel::Error, "Turning to page " + pageText + " failed: " + failure);
}

} // namespace vand::qt
