#pragma once

// The score pages as Qt Quick images: "image://score/<generation>/<index>".
// A score controller publishes its pages in the store behind the engine's
// provider under a generation of its own, so a later package never meets an
// earlier one's images in Qt Quick's pixmap cache; each page is held once, as
// its PNG bytes, and decoded only when Qt Quick asks for it.
//
// Pages are served as textures of their own, never in Qt Quick's texture
// atlas: Qt 6.4 takes a mipmapped image out of the atlas by copying a region
// that a freed page may still fill, so the view would go on showing an
// earlier page.
//
// Threads: the store may be used from any thread; its lock guards only the
// table and is never held while a page is decoded. requestTexture runs on Qt
// Quick's image thread; RegisterScoreImageProvider and ScorePageStoreOf on the
// GUI thread.

#include <QImage>
#include <QQuickImageProvider>
#include <QString>
#include <QtGlobal>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "show/ScorePackage.h"

class QQmlEngine;

namespace vand::qt {

class ScorePageStore
{
public:
    // Keeps the pages under a new generation (never 0, unique in the process).
    quint64 Publish(std::vector<vand::show::ScorePage> pages);
    void Withdraw(quint64 generation);
    // The pages of a generation; null once withdrawn or when never published.
    std::shared_ptr<const std::vector<vand::show::ScorePage>> Pages(quint64 generation) const;

private:
    mutable std::mutex mutex_;
    std::map<quint64, std::shared_ptr<const std::vector<vand::show::ScorePage>>> pages_;
};

// The URL under which the view finds a page.
QString ScorePageUrl(quint64 generation, int index);

class ScoreImageProvider : public QQuickImageProvider
{
public:
    ScoreImageProvider();
    const std::shared_ptr<ScorePageStore>& Store() const { return store_; }
    // Null (Qt Quick reports it) for an id that names no page or bytes that
    // are not a PNG image.
    QQuickTextureFactory* requestTexture(const QString& id, QSize* size, const QSize& requestedSize) override;

private:
    std::shared_ptr<ScorePageStore> store_;
};

// Gives the engine a score image provider unless it has one.
void RegisterScoreImageProvider(QQmlEngine& engine);
// The store behind the engine's score image provider; null without one.
std::shared_ptr<ScorePageStore> ScorePageStoreOf(QQmlEngine* engine);

} // namespace vand::qt
