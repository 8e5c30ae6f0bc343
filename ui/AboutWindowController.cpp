#include "AboutWindowController.h"

#include <exception>
#include <string>

#include "kit/Log.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

AboutWindowController::AboutWindowController(QObject* aboutItem, QQmlEngine* engine, const QString& version,
                                             const QString& logoSource, const QString& acknowledgementsPath,
                                             const QString& versionIdentifier)
    : QmlController(aboutItem, engine)
    , acknowledgementsPath_(acknowledgementsPath)
{
    if (!rootObject_)
        return;
    connect(rootObject_, SIGNAL(acknowledgementsClicked()), this, SLOT(AcknowledgementsClicked()));
    SetViewProperty(rootObject_, "version", version);
    SetViewProperty(rootObject_, "versionIdentifier", versionIdentifier);
    SetViewProperty(rootObject_, "logoSource", logoSource);
}

AboutWindowController::~AboutWindowController() = default;

void AboutWindowController::AcknowledgementsClicked()
{
    try {
        // The new window first, then the old controller goes (and schedules
        // its window for deletion): one window after each click.
        acknowledgementsWindow_ =
            std::make_unique<AcknowledgementsWindowController>(rootObject_, engine_, acknowledgementsPath_);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "ui", std::string("Opening the acknowledgements failed: ") + e.what());
    }
}

} // namespace vand::qt
