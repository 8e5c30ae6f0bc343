#include "VandMenuBarController.h"

#include <QUrl>

namespace vand::qt {

VandMenuBarController::VandMenuBarController(QQmlEngine* engine, QObject* window)
    : QmlController(engine, QUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/musical_ui/qml/VandMenuBar.qml")), window,
                    true)
{
    if (rootObject_)
        connect(rootObject_, SIGNAL(getLatestLogClicked()), this, SIGNAL(getLatestChangelogClicked()));
}

VandMenuBarController::~VandMenuBarController() = default;

} // namespace vand::qt
