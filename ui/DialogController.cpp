#include "DialogController.h"

#include <QUrl>

#include "kit/Log.h"
#include "ui/DialogKind.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {
const char* kDialogUrl = "qrc:/qt/qml/com/tarnwick/vand_ui/qml/FlatDialogWindow.qml";
} // namespace

DialogController::DialogController(const std::string& text, const std::string& title, int kind, QObject* parent,
                                   QQmlEngine* engine)
    : DialogController(text, title, kind, parent, engine, nullptr, false, std::string())
{
}

DialogController::DialogController(const std::string& text, const std::string& title, int kind, QObject* parent,
                                   QQmlEngine* engine, std::shared_ptr<DialogSettings> settings, bool showCheckbox,
                                   std::string dialogName)
    : QmlController(engine, QUrl(QString::fromLatin1(kDialogUrl)), parent, true,
                    {{QStringLiteral("title"), QString::fromStdString(title)},
                     {QStringLiteral("text"), QString::fromStdString(text)}})
    , settings_(std::move(settings))
    , dialogName_(QString::fromStdString(dialogName))
{
    if (!rootObject_) {
        // The build errors are already in the log; a broken dialog must not
        // turn the report it carries into an exception.
        kit::Log(kit::LogLevel::Error, "ui", "Message dialog could not be shown: " + title + ": " + text);
        return;
    }

    SetViewProperty(rootObject_, "type", DialogKindName(kind));

    if (!showCheckbox) {
        SetVisible(true);
        return;
    }

    connect(rootObject_, SIGNAL(checkboxConfirmed()), this, SLOT(onCheckboxConfirmed()));
    if (!settings_ || settings_->GetShowDialog(dialogName_)) {
        SetViewProperty(rootObject_, "showCheckbox", true);
        SetVisible(true);
    }
}

DialogController::~DialogController() = default;

void DialogController::onCheckboxConfirmed()
{
    if (settings_)
        settings_->SetShowDialog(dialogName_, false);
}

} // namespace vand::qt
