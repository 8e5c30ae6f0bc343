#pragma once

// What the edit-mode controllers share: how a failure that must not leave a
// slot is reported (through the controller's `error` signal, which the main
// window shows, a prefix before the exception's text), and how a controller
// finds the parts of its view.

#include <QObject>
#include <QQuickItem>
#include <exception>
#include <string>

#include "kit/Log.h"
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

// The item a view exposes under a property name; a missing one is logged
// (naming the view as `owner`) and null.
inline QQuickItem* ViewPart(QObject* view, const char* name, const char* owner)
{
    if (!view)
        return nullptr;
    auto* item = view->property(name).value<QQuickItem*>();
    if (!item)
        kit::Log(kit::LogLevel::Error, "edit", std::string(owner) + " has no \"" + name + "\".");
    return item;
}

} // namespace vand::qt
