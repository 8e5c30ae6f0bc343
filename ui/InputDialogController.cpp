#include "InputDialogController.h"

#include <QUrl>
#include <exception>

#include "kit/Log.h"
#include "ui/DialogKind.h"
#include "ui/QmlController.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

InputDialogController::InputDialogController(const std::string& text, const std::string& title, int kind,
                                             QObject* parent, QQmlEngine* engine, Callback callback, bool confirmation)
    : QObject(parent)
{
    window_ = BuildQmlObject(engine, QUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/vand_ui/qml/FlatInputWindow.qml")),
                             nullptr, {{QStringLiteral("showConfirmation"), confirmation}});
    if (!window_)
        return;

    SetViewProperty(window_, "title", QString::fromStdString(title));
    SetViewProperty(window_, "text", QString::fromStdString(text));
    SetViewProperty(window_, "type", DialogKindName(kind));
    connect(window_, SIGNAL(accepted()), this, SLOT(accepted()));

    callback_ = std::move(callback);
    SetViewProperty(window_, "visible", true);
}

void InputDialogController::SetConfirmationPreamble(const QString& preamble)
{
    SetViewProperty(window_, "confirmationPreamble", preamble);
}

void InputDialogController::SetProperty(const QString& name, const QVariant& value)
{
    SetViewProperty(window_, name.toUtf8().constData(), value);
}

void InputDialogController::accepted()
{
    if (!window_ || !callback_)
        return;
    const std::string value = window_->property("value").toString().toStdString();
    try {
        callback_(value);
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Error, "ui", std::string("Input dialog callback failed: ") + e.what());
    } catch (...) {
        kit::Log(kit::LogLevel::Error, "ui", "Input dialog callback failed");
    }
}

} // namespace vand::qt
