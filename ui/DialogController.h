#pragma once

#include "ui/DialogSettings.h"
#include "ui/QmlController.h"

#include <QString>
#include <memory>
#include <string>

namespace vand::qt {

// Shows the message dialog (FlatDialogWindow): kind code 0 error, 1 warning,
// anything else information. With the check box, the user's "Do not show
// again" answer is kept in the dialog settings (the application settings)
// under the dialog name.
class DialogController : public QmlController
{
    Q_OBJECT
public:
    DialogController(const std::string& text, const std::string& title, int kind, QObject* parent, QQmlEngine* engine);
    DialogController(const std::string& text, const std::string& title, int kind, QObject* parent, QQmlEngine* engine,
                     std::shared_ptr<DialogSettings> settings, bool showCheckbox, std::string dialogName);
    ~DialogController() override;

public slots:
    void onCheckboxConfirmed();

private:
    std::shared_ptr<DialogSettings> settings_;
    QString dialogName_;
};

} // namespace vand::qt
