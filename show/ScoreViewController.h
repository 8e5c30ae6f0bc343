#pragma once

// The score view's controller: reads the show folder's score package, hands
// the view its pages (image URLs and page numbers, in page order), keeps the
// view on the page the player reports, and moves the player to the page the
// user turns to.
//
// Threads: GUI thread only. The package is read on the GUI thread in one go;
// the pages are decoded later on Qt Quick's image thread, one when shown.

#include <QStringList>
#include <QVariantList>
#include <QtGlobal>
#include <map>
#include <memory>

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
    // Wraps the main window's score view (not owned) and follows its
    // pageChanged(int). Reads nothing yet.
    ScoreViewController(QObject* scoreItem, std::shared_ptr<Interface> player,
                        std::shared_ptr<vand::ShowIdentityService> identity, QQmlEngine* engine);
    ~ScoreViewController() override;

    // Reads the first "*.score" of the show folder and gives the view its
    // pages. Problems are reported through kit::Log; the view then gets no
    // pages.
    void LoadScore();
    // The player's page event: the view turns to the first page of that
    // number. 0 (no page) and pages the package lacks leave it where it is.
    void SetCurrentPage(int page);

public slots:
    // The page (a number from the view's pageNumbers) the user turned to: the
    // player moves to its music, playing on if it was playing.
    void currentPageChanged_(int page);

private:
    void ShowPages(const QStringList& urls);
    void TurnPlayerTo(int page);

    std::shared_ptr<Interface> player_;
    std::shared_ptr<vand::ShowIdentityService> identity_;
    std::shared_ptr<ScorePageStore> store_;
    quint64 generation_ = 0;
    QVariantList pageNumbers_;
    // Page number -> index of its first page in the list.
    std::map<int, int> pageIndex_;
};

} // namespace vand::qt
