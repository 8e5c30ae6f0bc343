#include "DialogController.h"

#include <QUrl>
#include <iostream>

namespace vand::qt {

namespace {
const char* kDialogUrl = "qrc:/qt/qml/com/tarnwick/vand_ui/qml/FlatDialogWindow.qml";

const char* KindName(int kind)
{
    switch (kind) {
    case 0: return "error";
    case 1: return "warning";
    default: return "info";
    }
}
} // namespace

DialogController::DialogController(const std::string& text, const std::string& title, int kind,
                                   QObject* parent, QQmlEngine* engine)
    : DialogController(text, title, kind, parent, engine, nullptr, false, std::string())
{
}

DialogController::DialogController(const std::string& text, const std::string& title, int kind,
                                   QObject* parent, QQmlEngine* engine,
                                   std::shared_ptr<DialogSettings> settings, bool showCheckbox,
                                   std::string dialogName)
    : QmlController(engine, QUrl(QString::fromLatin1(kDialogUrl)), parent, true,
                    {{QStringLiteral("title"), QString::fromStdString(title)},
                     {QStringLiteral("text"), QString::fromStdString(text)}}),
      settings_(std::move(settings)), dialogName_(QString::fromStdString(dialogName))
{
    if (!rootObject_) {
        // The build errors are already on the standard error stream; a broken
        // dialog must not turn the report it carries into an exception.
        std::cerr << "Message dialog could not be shown: " << title << ": " << text << '\n';
        return;
    }

    rootObject_->setProperty("type", QString::fromLatin1(KindName(kind)));

    if (!showCheckbox) {
        SetVisible(true);
        return;
    }

    connect(rootObject_, SIGNAL(checkboxConfirmed()), this, SLOT(onCheckboxConfirmed()));
    if (!settings_ || settings_->GetShowDialog(dialogName_)) {
        rootObject_->setProperty("showCheckbox", true);
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
