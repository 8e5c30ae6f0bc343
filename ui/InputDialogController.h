#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>
#include <functional>
#include <string>

class QQmlEngine;

namespace vand::qt {

// Asks a question in FlatInputWindow (kind code 0 error, 1 warning, anything
// else information) and hands the entered text to the callback when the user
// accepts. The window is created visible and is never deleted here: the host
// owns it (GetQmlObject) and deletes it, as a rule once it has answered.
class InputDialogController : public QObject
{
    Q_OBJECT
public:
    using Callback = std::function<void(const std::string&)>;

    InputDialogController(const std::string& text, const std::string& title, int kind, QObject* parent,
                          QQmlEngine* engine, Callback callback, bool confirmation);

    void SetConfirmationPreamble(const QString& preamble);
    void SetProperty(const QString& name, const QVariant& value);
    QObject* GetQmlObject() const { return window_; }

public slots:
    void accepted();

private:
    // Cleared when the host deletes the window.
    QPointer<QObject> window_;
    Callback callback_;
};

} // namespace vand::qt
