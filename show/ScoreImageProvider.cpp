#include "show/ScoreImageProvider.h"

#include <QImage>
#include <QQmlEngine>
#include <QQuickTextureFactory>
#include <QQuickWindow>
#include <atomic>

namespace vand::qt {

namespace {

const QString kProviderId = QStringLiteral("score");

// Process-wide: Qt Quick's pixmap cache is shared by every engine.
std::atomic<quint64> lastGeneration{0};

// A decoded page, made into a texture outside the atlas.
class PageTextureFactory : public QQuickTextureFactory
{
public:
    explicit PageTextureFactory(QImage image)
        : image_(std::move(image))
    {
    }
    QSGTexture* createTexture(QQuickWindow* window) const override { return window->createTextureFromImage(image_); }
    QSize textureSize() const override { return image_.size(); }
    int textureByteCount() const override { return int(image_.sizeInBytes()); }
    QImage image() const override { return image_; }

private:
    QImage image_;
};

} // namespace

quint64 ScorePageStore::Publish(std::vector<vand::show::ScorePage> pages)
{
    auto shared = std::make_shared<const std::vector<vand::show::ScorePage>>(std::move(pages));
    const quint64 generation = ++lastGeneration;
    std::lock_guard lock(mutex_);
    pages_[generation] = std::move(shared);
    return generation;
}

void ScorePageStore::Withdraw(quint64 generation)
{
    std::shared_ptr<const std::vector<vand::show::ScorePage>> released;
    {
        std::lock_guard lock(mutex_);
        auto it = pages_.find(generation);
        if (it == pages_.end())
            return;
        released = std::move(it->second);
        pages_.erase(it);
    }
    // The pages go here, outside the lock, unless a decode still holds them.
}

std::shared_ptr<const std::vector<vand::show::ScorePage>> ScorePageStore::Pages(quint64 generation) const
{
    std::lock_guard lock(mutex_);
    auto it = pages_.find(generation);
    return it == pages_.end() ? nullptr : it->second;
}

QString ScorePageUrl(quint64 generation, int index)
{
    return QStringLiteral("image://%1/%2/%3").arg(kProviderId).arg(generation).arg(index);
}

ScoreImageProvider::ScoreImageProvider()
    : QQuickImageProvider(QQuickImageProvider::Texture, QQmlImageProviderBase::ForceAsynchronousImageLoading)
    , store_(std::make_shared<ScorePageStore>())
{
}

QQuickTextureFactory* ScoreImageProvider::requestTexture(const QString& id, QSize* size, const QSize&)
{
    const qsizetype slash = id.indexOf(QLatin1Char('/'));
    bool generationOk = false;
    bool indexOk = false;
    const quint64 generation = id.left(slash).toULongLong(&generationOk);
    const qsizetype index = slash < 0 ? -1 : id.mid(slash + 1).toLongLong(&indexOk);
    QImage image;
    if (generationOk && indexOk) {
        const auto pages = store_->Pages(generation);
        if (pages && index >= 0 && index < qsizetype(pages->size())) {
            const std::string& png = (*pages)[std::size_t(index)].png;
            image.loadFromData(reinterpret_cast<const uchar*>(png.data()), qsizetype(png.size()), "PNG");
        }
    }
    if (size)
        *size = image.size();
    return image.isNull() ? nullptr : new PageTextureFactory(std::move(image));
}

void RegisterScoreImageProvider(QQmlEngine& engine)
{
    if (!engine.imageProvider(kProviderId))
        engine.addImageProvider(kProviderId, new ScoreImageProvider);
}

std::shared_ptr<ScorePageStore> ScorePageStoreOf(QQmlEngine* engine)
{
    auto* provider = engine ? dynamic_cast<ScoreImageProvider*>(engine->imageProvider(kProviderId)) : nullptr;
    return provider ? provider->Store() : nullptr;
}

} // namespace vand::qt
