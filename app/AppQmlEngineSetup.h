#pragma once

class QQmlEngine;

namespace vand::qt {

// Prepares an engine for the application: everything PrepareQmlEngine does,
// the application's own view module (com.tarnwick.musical_ui) and the score
// pages' image provider ("image://score/...").
void PrepareAppQmlEngine(QQmlEngine& engine);

} // namespace vand::qt
