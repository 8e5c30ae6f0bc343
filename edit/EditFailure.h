#pragma once

// How edit mode reports a failure that must not leave a slot: through the
// controller's `error` signal (the main window shows it), with a prefix
// before the exception's text.

#include <exception>
#include <string>

#include "ui/QmlController.h"

namespace vand::qt {

inline constexpr const char* kEditFailedTitle = "Edit Failed";
inline constexpr const char* kPlaybackErrorTitle = "Playback Error";

// Runs action; an exception becomes `error` (prefix + its text, title) on
// controller. Returns whether the action completed.
template <typename Action>
bool ReportFailure(QmlController* controller, const char* title, Action&& action, const std::string& prefix = {})
{
    try {
        action();
        return true;
    } catch (const std::exception& e) {
        emit controller->error(prefix + e.what(), title);
    } catch (...) {
        emit controller->error(prefix + "Unknown error.", title);
    }
    return false;
}

} // namespace vand::qt
