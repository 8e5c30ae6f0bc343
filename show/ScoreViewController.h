#pragma once

// The score view's controller: reads the show folder's score package, hands
// the view its pages (image URLs and page numbers, in page order), keeps the
// view on the page the player reports, and moves the player to the page the
// user turns to.
//
// Threads: GUI thread, except the package read. LoadScore hands the read to
// a worker of the global thread pool and returns at once; the pages come back
// queued to the GUI thread. A later LoadScore, or the controller's
// destruction, stops a read that still runs and drops its result; nothing of
// the controller is reached from the worker. The pages are decoded later on
// Qt Quick's image thread, one when shown.

#include <QFutureWatcher>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QtGlobal>
#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "show/ScorePackage.h"
#include "ui/QmlController.h"

class Interface;
class QQmlEngine;

namespace vand {
class ShowIdentityService;
}

namespace vand::qt {

class ScorePageStore;

class ScoreViewController : public QmlController
{
    Q_OBJECT
public:
    // What a read of the show folder gives: whether it holds a "*.score" file,
    // and that package's pages in page order.
    struct PackageRead
    {
        bool found = false;
        std::vector<vand::show::ScorePage> pages;
    };
    // Reads the first "*.score" of a folder, on the worker; should end soon
    // once `stop` is true. The default reads the file within the package
    // limits.
    using PackageReader = std::function<PackageRead(const QString& folder, const std::atomic<bool>& stop)>;
    static PackageRead ReadFirstPackage(const QString& folder, const std::atomic<bool>& stop);

    // Wraps the main window's score view (not owned) and follows its
    // pageChanged(int). Reads nothing yet.
    ScoreViewController(QObject* scoreItem, std::shared_ptr<Interface> player,
                        std::shared_ptr<vand::ShowIdentityService> identity, QQmlEngine* engine);
    ~ScoreViewController() override;

    // Starts reading the first "*.score" of the show folder and returns; the
    // view gets its pages when the read is done. Problems are reported
    // through kit::Log; the view then gets no pages.
    void LoadScore();
    // Whether a read started by LoadScore has not reached the view yet.
    bool IsReading() const { return watcher_ != nullptr; }
    // The seam where the disk enters (tests); takes effect at the next LoadScore.
    void SetPackageReader(PackageReader reader) { reader_ = std::move(reader); }
    // The player's page event: the view turns to the first page of that
    // number. 0 (no page) and pages the package lacks leave it where it is.
    void SetCurrentPage(int page);

public slots:
    // The page (a number from the view's pageNumbers) the user turned to: the
    // player moves to its music, playing on if it was playing.
    void currentPageChanged_(int page);

private:
    void StopReading();
    void ShowPackage(PackageRead read);
    void ShowPages(const QStringList& urls);
    void TurnPlayerTo(int page);

    // What the worker hands over: its stop flag and, once read, the result.
    // The result passes under a std::mutex rather than through the future's
    // own result store, so the hand-over is one the race checker can see.
    struct ReadSlot
    {
        std::atomic<bool> stop{false};
        std::mutex mutex;
        std::optional<PackageRead> result;
    };

    PackageReader reader_ = &ReadFirstPackage;
    // The read under way, if any (the watcher only says when it ended).
    std::unique_ptr<QFutureWatcher<void>> watcher_;
    std::shared_ptr<ReadSlot> slot_;

    std::shared_ptr<Interface> player_;
    std::shared_ptr<vand::ShowIdentityService> identity_;
    std::shared_ptr<ScorePageStore> store_;
    quint64 generation_ = 0;
    QVariantList pageNumbers_;
    // Page number -> index of its first page in the list.
    std::map<int, int> pageIndex_;
};

} // namespace vand::qt
