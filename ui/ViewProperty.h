#pragma once

#include <QVariant>

class QObject;

namespace vand::qt {

// How a write that does not happen is reported.
enum class ViewPropertyReport {
    Always,
    // Once per view class and property name: for writes repeated on every
    // scroll or zoom, which would otherwise flood the log.
    Once,
};

// Sets a property that the view declares. QObject::setProperty would quietly
// add a dynamic property under a misspelt name; here a name the view does not
// declare, or a value it refuses, is reported through the log and nothing is
// set. False then, and for a null view. GUI thread.
bool SetViewProperty(QObject* view, const char* name, const QVariant& value,
                     ViewPropertyReport report = ViewPropertyReport::Always);

} // namespace vand::qt
