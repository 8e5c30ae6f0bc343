#pragma once

class QQmlEngine;

namespace vand::qt {

// Makes the project's QML modules reachable from an engine: imports the
// static plug-ins and adds "qrc:/qt/qml" to the import path (Qt 6.4 does not
// add it by itself). Every engine of the application and of the tests goes
// through here.
void PrepareQmlEngine(QQmlEngine& engine);

} // namespace vand::qt
