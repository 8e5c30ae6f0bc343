#pragma once

#include "ui/AcknowledgementsWindowController.h"
#include "ui/QmlController.h"

#include <QString>
#include <memory>

namespace vand::qt {

// Wraps the main window's About item: fills in the version texts and the
// logo, and opens the acknowledgements window when the item asks for it.
class AboutWindowController : public QmlController
{
    Q_OBJECT
public:
    AboutWindowController(QObject* aboutItem, QQmlEngine* engine, const QString& version, const QString& logoSource,
                          const QString& acknowledgementsPath, const QString& versionIdentifier);
    ~AboutWindowController() override;

    // The controller of the acknowledgements window last opened, or null.
    AcknowledgementsWindowController* GetAcknowledgementsWindow() const { return acknowledgementsWindow_.get(); }

public slots:
    // Opens a new acknowledgements window; the previous one is deleted.
    void AcknowledgementsClicked();

private:
    std::unique_ptr<AcknowledgementsWindowController> acknowledgementsWindow_;
    QString acknowledgementsPath_;
};

} // namespace vand::qt
