#pragma once

#include <QVariant>

class QObject;

namespace vand::qt {

// Sets a property that the view declares. QObject::setProperty would quietly
// add a dynamic property under a misspelt name; here a name the view does not
// declare, or a value it refuses, is reported through the log and nothing is
// set. False then, and for a null view. GUI thread.
bool SetViewProperty(QObject* view, const char* name, const QVariant& value);

} // namespace vand::qt
