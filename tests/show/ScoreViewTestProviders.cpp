// Image providers for the score view's Qt Quick tests, and the application's
// view module for the runner.
//   image://testpages/<name>  a 100 x 140 page at once (loaded on the image
//                             thread like any asynchronous image)
//   image://slowpages/<name>  the same, delivered only when the test calls
//                             slowPages.release(name)
#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QObject>
#include <QPointer>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickAsyncImageProvider>
#include <QQuickImageProvider>
#include <QQuickTextureFactory>
#include <QtQml/qqmlextensionplugin.h>

Q_IMPORT_QML_PLUGIN(com_tarnwick_musical_uiPlugin)

namespace {

QImage PageImage(const QString& name)
{
    QImage image(100, 140, QImage::Format_RGB32);
    image.fill(QColor::fromHsv(int(qHash(name) % 360), 80, 250));
    return image;
}

class TestPages : public QQuickImageProvider
{
public:
    TestPages()
        : QQuickImageProvider(QQuickImageProvider::Image)
    {
    }
    QImage requestImage(const QString& id, QSize* size, const QSize&) override
    {
        QImage image = PageImage(id);
        if (size)
            *size = image.size();
        return image;
    }
};

class SlowResponse : public QQuickImageResponse
{
public:
    explicit SlowResponse(QString name)
        : name_(std::move(name))
    {
    }
    QQuickTextureFactory* textureFactory() const override
    {
        return QQuickTextureFactory::textureFactoryForImage(PageImage(name_));
    }
    const QString& Name() const { return name_; }

private:
    QString name_;
};

// Holds the slow provider's requests until the test releases them.
class SlowPages : public QObject
{
    Q_OBJECT
public:
    void Add(SlowResponse* response)
    {
        QMutexLocker lock(&mutex_);
        pending_.append(response);
    }

    // Delivers every request for name made so far; the number delivered.
    Q_INVOKABLE int release(const QString& name)
    {
        QList<QPointer<SlowResponse>> due;
        {
            QMutexLocker lock(&mutex_);
            for (auto it = pending_.begin(); it != pending_.end();) {
                if (*it && (*it)->Name() == name) {
                    due.append(*it);
                    it = pending_.erase(it);
                } else {
                    ++it;
                }
            }
        }
        int delivered = 0;
        for (const auto& response : due) {
            if (!response)
                continue;
            // Emitted on the response's own thread, which also deletes it.
            SlowResponse* target = response.data();
            QMetaObject::invokeMethod(
                target, [target] { emit target->finished(); }, Qt::QueuedConnection);
            ++delivered;
        }
        return delivered;
    }

    Q_INVOKABLE int pendingCount(const QString& name)
    {
        QMutexLocker lock(&mutex_);
        int count = 0;
        for (const auto& response : pending_)
            count += response && response->Name() == name ? 1 : 0;
        return count;
    }

private:
    QMutex mutex_;
    QList<QPointer<SlowResponse>> pending_;
};

class SlowProvider : public QQuickAsyncImageProvider
{
public:
    explicit SlowProvider(SlowPages* pages)
        : pages_(pages)
    {
    }
    QQuickImageResponse* requestImageResponse(const QString& id, const QSize&) override
    {
        auto* response = new SlowResponse(id);
        pages_->Add(response);
        return response;
    }

private:
    SlowPages* pages_;
};

} // namespace

void AddScoreViewTestProviders(QQmlEngine& engine)
{
    auto* pages = new SlowPages;
    pages->setParent(&engine);
    engine.addImageProvider(QStringLiteral("testpages"), new TestPages);
    engine.addImageProvider(QStringLiteral("slowpages"), new SlowProvider(pages));
    engine.rootContext()->setContextProperty(QStringLiteral("slowPages"), pages);
}

#include "ScoreViewTestProviders.moc"
