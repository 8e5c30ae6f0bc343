#include "timeline/ItemViewFactory.h"

#include <QQmlComponent>
#include <QQmlContext>
#include <QQmlEngine>
#include <QQuickItem>
#include <cmath>

#include "kit/Log.h"

namespace vand::qt {

int ViewInt(double value)
{
    // QVariant's conversion of a real to int rounds to the nearest.
    return qRound(value);
}

LabelWidths::LabelWidths(int pixelSize)
    : font_([pixelSize] {
        QFont font;
        font.setPixelSize(pixelSize);
        return font;
    }())
    , metrics_(font_)
{
}

double LabelWidths::Advance(const QString& text)
{
    const auto found = cache_.constFind(text);
    if (found != cache_.constEnd())
        return found.value();
    const double width = metrics_.horizontalAdvance(text);
    cache_.insert(text, width);
    return width;
}

double LabelWidths::Advance(const std::string& text)
{
    const auto found = utf8Cache_.find(text);
    if (found != utf8Cache_.end())
        return found->second;
    const double width = Advance(QString::fromStdString(text));
    utf8Cache_.emplace(text, width);
    return width;
}

ItemViewFactory::ItemViewFactory(QQmlEngine* engine)
    : engine_(engine)
    , markerLabels_(10)
{
}

ItemViewFactory::~ItemViewFactory()
{
    for (auto& entry : components_)
        delete entry.second.data();
}

QQmlComponent* ItemViewFactory::Component(const QString& url)
{
    auto found = components_.find(url);
    if (found != components_.end())
        return found->second && !found->second->isError() ? found->second.data() : nullptr;
    auto* component = new QQmlComponent(engine_, QUrl(url), engine_);
    components_.emplace(url, component);
    if (component->isError()) {
        for (const auto& e : component->errors())
            kit::Log(kit::LogLevel::Error, "timeline", e.toString().toStdString());
        kit::Log(kit::LogLevel::Error, "timeline", "");
        return nullptr;
    }
    return component;
}

QQuickItem* ItemViewFactory::Create(const QString& url, QQuickItem* parent, const QVariantMap& properties)
{
    if (!engine_ || !parent)
        return nullptr;
    QQmlComponent* component = Component(url);
    if (!component)
        return nullptr;
    QObject* object = component->beginCreate(engine_->rootContext());
    if (!object) {
        kit::Log(kit::LogLevel::Error, "timeline", "Failed to create " + url.toStdString());
        for (const auto& e : component->errors())
            kit::Log(kit::LogLevel::Error, "timeline", e.toString().toStdString());
        return nullptr;
    }
    component->setInitialProperties(object, properties);
    auto* item = qobject_cast<QQuickItem*>(object);
    object->setParent(parent);
    if (item)
        item->setParentItem(parent);
    component->completeCreate();
    if (!item) {
        delete object;
        return nullptr;
    }
    return item;
}

} // namespace vand::qt
