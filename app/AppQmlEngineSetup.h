#pragma once

class QQmlEngine;

namespace vand::qt {

// Prepares an engine for the application: everything PrepareQmlEngine does,
// and the application's own view module (com.tarnwick.musical_ui).
void PrepareAppQmlEngine(QQmlEngine& engine);

} // namespace vand::qt
