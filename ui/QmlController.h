#pragma once

#include <QObject>
#include <QUrl>
#include <QVariantMap>
#include <string>

class QQmlEngine;
class QQuickCloseEvent; // private in Qt 6; only passed through as a pointer

namespace vand::qt {

// Base of the view controllers: builds a QML view from its URL and owns the
// root, or wraps an item that already exists without owning it.
class QmlController : public QObject
{
    Q_OBJECT
public:
    // Builds the view. A view that fails to build is reported on the standard
    // error stream and leaves the root null; nothing is thrown.
    QmlController(QQmlEngine* engine, const QUrl& url, QObject* parent, bool ownsRoot,
                  const QVariantMap& initialProperties = {});
    // Wraps an existing item; it is never owned.
    QmlController(QObject* item, QQmlEngine* engine);
    ~QmlController() override;

    QObject* GetQmlObject() const { return rootObject_; }
    void SetVisible(bool visible);
    int GetX() const;
    int GetRight() const;
    void SetZ(int z);

signals:
    void information(std::string message, std::string title);
    void error(std::string message, std::string title);

public slots:
    void Closing_(QQuickCloseEvent* event);

protected:
    void ReleaseRoot();

    QQmlEngine* engine_ = nullptr;
    QObject* rootObject_ = nullptr;
    bool ownsRoot_ = true;
};

} // namespace vand::qt

Q_DECLARE_METATYPE(std::string)
