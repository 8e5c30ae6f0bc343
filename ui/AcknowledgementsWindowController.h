#pragma once

#include "ui/QmlController.h"

#include <QString>

namespace vand::qt {

// Builds the acknowledgements window and fills it with the text file at the
// given path (a resource path such as ":/qt/qml/..."). A file that cannot be
// read shows an error sentence instead.
class AcknowledgementsWindowController : public QmlController
{
public:
    AcknowledgementsWindowController(QObject* parent, QQmlEngine* engine, const QString& path);
};

} // namespace vand::qt
