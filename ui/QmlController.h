#pragma once

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QVariantMap>
#include <string>

#include "vand_core/qt/MetaTypes.h" // std::string, for the signals below

class QQmlEngine;
class QQuickCloseEvent; // private in Qt 6; only passed through as a pointer

namespace vand::qt {

// Builds the QML object at url in the engine's root context with the initial
// properties. With a parent, the object becomes its child before creation
// completes: its parent item unless it is a window, and a window's transient
// parent when the parent is a window. A view that fails to build is reported
// through the log (the component's errors, or "Failed to create " and the
// URL) and null is returned; nothing is thrown. GUI thread.
QObject* BuildQmlObject(QQmlEngine* engine, const QUrl& url, QObject* parent,
                        const QVariantMap& initialProperties = {});

// Base of the view controllers: builds a QML view from its URL and owns the
// root, or wraps an item that already exists without owning it. The root is
// held weakly: a root that QML deletes reads as null. GUI thread only.
class QmlController : public QObject
{
    Q_OBJECT
public:
    // Builds the view (BuildQmlObject). A view that fails to build leaves the
    // root null; nothing is thrown.
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
    QPointer<QObject> rootObject_;
    bool ownsRoot_ = true;
};

} // namespace vand::qt
