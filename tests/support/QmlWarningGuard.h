#pragma once

#include <QStringList>
#include <QtGlobal>

namespace vand::test {

// Collects the warnings that QML reports (binding errors, reference errors,
// type errors) while it is alive, and passes every message on to the handler
// that was installed before it.
class QmlWarningGuard
{
public:
    QmlWarningGuard();
    ~QmlWarningGuard();
    QmlWarningGuard(const QmlWarningGuard&) = delete;
    QmlWarningGuard& operator=(const QmlWarningGuard&) = delete;

    QStringList warnings() const;
    void clear();

private:
    static void handler(QtMsgType type, const QMessageLogContext& context, const QString& msg);
    QtMessageHandler previous_ = nullptr;
};

} // namespace vand::test
