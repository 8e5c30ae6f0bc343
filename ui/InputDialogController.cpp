#include "InputDialogController.h"

#include <QQmlComponent>
#include <QQmlEngine>
#include <QUrl>
#include <exception>
#include <iostream>

namespace vand::qt {

namespace {

QString KindName(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("error");
    case 1: return QStringLiteral("warning");
    default: return QStringLiteral("info");
    }
}

} // namespace

InputDialogController::InputDialogController(const std::string& text, const std::string& title, int kind,
                                             QObject* parent, QQmlEngine* engine, Callback callback,
                                             bool confirmation)
    : QObject(parent)
{
    QQmlComponent component(engine, QUrl(QStringLiteral("qrc:/qt/qml/com/tarnwick/vand_ui/qml/FlatInputWindow.qml")));
    if (component.isError()) {
        for (const auto& e : component.errors())
            std::cerr << e.toString().toStdString() << '\n';
        return;
    }

    window_ = component.createWithInitialProperties({{QStringLiteral("showConfirmation"), confirmation}});
    if (!window_) {
        for (const auto& e : component.errors())
            std::cerr << e.toString().toStdString() << '\n';
        return;
    }

    window_->setProperty("title", QString::fromStdString(title));
    window_->setProperty("text", QString::fromStdString(text));
    window_->setProperty("type", KindName(kind));
    connect(window_, SIGNAL(accepted()), this, SLOT(accepted()));

    callback_ = std::move(callback);
    window_->setProperty("visible", true);
}

void InputDialogController::SetConfirmationPreamble(const QString& preamble)
{
    if (window_)
        window_->setProperty("confirmationPreamble", preamble);
}

void InputDialogController::SetProperty(const QString& name, const QVariant& value)
{
    if (window_)
        window_->setProperty(name.toUtf8().constData(), value);
}

void InputDialogController::accepted()
{
    if (!window_ || !callback_)
        return;
    const std::string value = window_->property("value").toString().toStdString();
    try {
        callback_(value);
    } catch (const std::exception& e) {
        std::cerr << "Input dialog callback failed: " << e.what() << '\n';
    } catch (...) {
        std::cerr << "Input dialog callback failed\n";
    }
}

} // namespace vand::qt
