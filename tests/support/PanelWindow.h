#pragma once

// The main window's timeline panel, alone or above its edit panel, in a
// window of its own: what the timeline and edit-mode tests and benchmarks
// drive their controllers on.
//
// Threads: GUI thread only.

#include <QColor>
#include <QString>
#include <memory>
#include <optional>

class QQmlEngine;
class QQuickItem;
class QQuickWindow;

namespace vand::test {

struct PanelWindowOptions
{
    int width = 1090;
    int height = 240;
    // The edit panel below the timeline panel, filling the rest.
    bool editPanel = false;
    // The edit panel's oscEnable, when set.
    std::optional<bool> oscEnable;
    // The window's background; the default when invalid.
    QColor color;
};

// A visible window on qml, which PrepareAppQmlEngine has prepared; null, with
// the component's errors in error, when it cannot be made.
std::unique_ptr<QQuickWindow> MakePanelWindow(QQmlEngine& qml, const PanelWindowOptions& options, QString& error);

// The timeline panel's TimeLine item.
QQuickItem* PanelTimeline(QQuickWindow& window);

// The edit panel; null without one.
QQuickItem* PanelEditPanel(QQuickWindow& window);

} // namespace vand::test
