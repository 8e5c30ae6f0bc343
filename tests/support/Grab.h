#pragma once

#include <QString>

class QImage;
class QObject;
class QQuickWindow;

namespace vand::test {

// Renders a window or item offscreen and writes it to a PNG, for looking at
// what a view shows. Returns false when nothing could be grabbed.
bool GrabToPng(QObject* windowOrItem, const QString& path);

// The window's picture under a 28-pixel strip holding its title, as a window
// manager would draw it (offscreen and under Xvfb there is none).
QImage GrabWithTitle(QQuickWindow* window);

} // namespace vand::test
