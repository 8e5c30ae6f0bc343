#pragma once

// Makes the timeline's item views from one compiled component per view file,
// so that a view can be made when its item scrolls into reach and dropped
// when it leaves. Also measures label texts the way the views lay them out,
// so that label decisions need no view.
//
// Threads: GUI thread.

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QPointer>
#include <QQmlEngine>
#include <QString>
#include <QVariantMap>
#include <map>
#include <string>
#include <unordered_map>

class QObject;
class QQmlComponent;

class QQuickItem;

namespace vand::qt {

// What a view reads back as an int from a real property (x, width).
int ViewInt(double value);

// Advance widths of texts in one pixel size of the application font, measured
// once per text.
class LabelWidths
{
public:
    explicit LabelWidths(int pixelSize);
    double Advance(const QString& text);
    double Advance(const std::string& text);

private:
    QFont font_;
    QFontMetricsF metrics_;
    QHash<QString, double> cache_;
    std::unordered_map<std::string, double> utf8Cache_;
};

class ItemViewFactory
{
public:
    explicit ItemViewFactory(QQmlEngine* engine);
    ~ItemViewFactory();
    ItemViewFactory(const ItemViewFactory&) = delete;
    ItemViewFactory& operator=(const ItemViewFactory&) = delete;

    // The view of url under parent, made with the initial properties; null
    // when the file does not load (its errors are reported once), or without
    // an engine or a parent.
    QQuickItem* Create(const QString& url, QQuickItem* parent, const QVariantMap& properties);

    QQmlEngine* Engine() const { return engine_; }
    // Width of a marker label's text (10-pixel font).
    double MarkerLabelWidth(const QString& text) { return markerLabels_.Advance(text); }

private:
    QQmlComponent* Component(const QString& url);

    QPointer<QQmlEngine> engine_;
    // Children of the engine, so they never outlive it.
    std::map<QString, QPointer<QQmlComponent>> components_;
    LabelWidths markerLabels_;
};

} // namespace vand::qt
