#pragma once

#include <QString>

class QObject;

namespace vand::test {

// Renders a window or item offscreen and writes it to a PNG, for looking at
// what a view shows. Returns false when nothing could be grabbed.
bool GrabToPng(QObject* windowOrItem, const QString& path);

} // namespace vand::test
