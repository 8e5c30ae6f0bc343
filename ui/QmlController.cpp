#include "QmlController.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <stdexcept>

#include "kit/Log.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

// Each error's text and a line end, in one text.
QString ErrorLines(const QQmlComponent& component)
{
    QString text;
    for (const auto& e : component.errors())
        text += e.toString() + QLatin1Char('\n');
    return text;
}

void Report(const QString& text)
{
    kit::Log(kit::LogLevel::Error, "ui", text.toStdString());
}

} // namespace

QObject* BuildQmlObject(QQmlEngine* engine, const QUrl& url, QObject* parent, const QVariantMap& initialProperties)
{
    QQmlComponent component(engine, url, parent);
    if (component.isError()) {
        // Followed by an empty line.
        Report(ErrorLines(component) + QLatin1Char('\n'));
        return nullptr;
    }

    QObject* object = component.beginCreate(engine->rootContext());
    if (!object) {
        Report(QStringLiteral("Failed to create ") + url.toString() + QLatin1Char('\n') + ErrorLines(component));
        return nullptr;
    }
    component.setInitialProperties(object, initialProperties);

    if (parent) {
        object->setParent(parent);
        if (qobject_cast<QWindow*>(object)) {
            if (qobject_cast<QWindow*>(parent))
                SetViewProperty(object, "transientParent", QVariant::fromValue(parent));
        } else if (auto* item = qobject_cast<QQuickItem*>(object)) {
            item->setParentItem(qobject_cast<QQuickItem*>(parent));
        }
    }
    component.completeCreate();
    return object;
}

QmlController::QmlController(QQmlEngine* engine, const QUrl& url, QObject* parent, bool ownsRoot,
                             const QVariantMap& initialProperties)
    : QObject(nullptr)
    , engine_(engine)
    , rootObject_(BuildQmlObject(engine, url, parent, initialProperties))
    , ownsRoot_(rootObject_ && ownsRoot)
{
}

QmlController::QmlController(QObject* item, QQmlEngine* engine)
    : QObject(nullptr)
    , engine_(engine)
    , rootObject_(item)
    , ownsRoot_(false)
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
    SetViewProperty(rootObject_, "visible", visible);
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
