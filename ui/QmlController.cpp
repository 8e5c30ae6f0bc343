#include "QmlController.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <iostream>
#include <stdexcept>

namespace vand::qt {

QmlController::QmlController(QQmlEngine* engine, const QUrl& url, QObject* parent, bool ownsRoot,
                             const QVariantMap& initialProperties)
    : QObject(nullptr), engine_(engine)
{
    QQmlComponent component(engine, url, parent);
    if (component.isError()) {
        QString text;
        for (const auto& e : component.errors())
            text += e.toString() + QLatin1Char('\n');
        std::cerr << text.toStdString() << '\n';
        return;
    }

    rootObject_ = component.beginCreate(engine->rootContext());
    if (!rootObject_) {
        std::cerr << "Failed to create " << url.toString().toStdString() << '\n';
        for (const auto& e : component.errors())
            std::cerr << e.toString().toStdString() << '\n';
        ownsRoot_ = false;
        return;
    }
    component.setInitialProperties(rootObject_, initialProperties);

    ownsRoot_ = ownsRoot;
    if (parent) {
        rootObject_->setParent(parent);
        if (!qobject_cast<QWindow*>(rootObject_)) {
            if (auto* item = qobject_cast<QQuickItem*>(rootObject_))
                item->setParentItem(qobject_cast<QQuickItem*>(parent));
        }
        rootObject_->setProperty("transientParent", QVariant::fromValue(parent));
    }
    component.completeCreate();
}

QmlController::QmlController(QObject* item, QQmlEngine* engine)
    : QObject(nullptr), engine_(engine), rootObject_(item), ownsRoot_(false)
{
}

QmlController::~QmlController()
{
    ReleaseRoot();
}

void QmlController::ReleaseRoot()
{
    if (rootObject_ && ownsRoot_) {
        rootObject_->deleteLater();
        rootObject_ = nullptr;
    }
}

void QmlController::Closing_(QQuickCloseEvent*)
{
    ReleaseRoot();
}

void QmlController::SetVisible(bool visible)
{
    if (!rootObject_)
        throw std::runtime_error("Cannot Set QML Object visible. Qml Object is null.");
    rootObject_->setProperty("visible", visible);
}

int QmlController::GetX() const
{
    return rootObject_ ? rootObject_->property("x").toInt() : 0;
}

int QmlController::GetRight() const
{
    if (!rootObject_)
        return 0;
    return rootObject_->property("x").toInt() + rootObject_->property("width").toInt();
}

void QmlController::SetZ(int z)
{
    if (auto* item = qobject_cast<QQuickItem*>(rootObject_))
        item->setZ(static_cast<qreal>(z));
}

} // namespace vand::qt
