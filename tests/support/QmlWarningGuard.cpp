#include "QmlWarningGuard.h"

#include <QMutex>
#include <QMutexLocker>

namespace vand::test {

namespace {
QMutex g_mutex;
QStringList g_warnings;
QtMessageHandler g_previous = nullptr;
int g_depth = 0;

bool isQmlMessage(const QMessageLogContext& context, const QString& msg)
{
    const QString file = QString::fromUtf8(context.file ? context.file : "");
    const QString category = QString::fromUtf8(context.category ? context.category : "");
    return file.endsWith(QLatin1String(".qml")) || file.endsWith(QLatin1String(".js"))
           || category.startsWith(QLatin1String("qt.qml")) || category == QLatin1String("qml")
           || category == QLatin1String("js") || msg.contains(QLatin1String(".qml:"));
}
} // namespace

QmlWarningGuard::QmlWarningGuard()
{
    QMutexLocker lock(&g_mutex);
    if (g_depth++ == 0) {
        g_warnings.clear();
        g_previous = qInstallMessageHandler(&QmlWarningGuard::handler);
    }
    previous_ = g_previous;
}

QmlWarningGuard::~QmlWarningGuard()
{
    QMutexLocker lock(&g_mutex);
    if (--g_depth == 0)
        qInstallMessageHandler(g_previous);
}

QStringList QmlWarningGuard::warnings() const
{
    QMutexLocker lock(&g_mutex);
    return g_warnings;
}

void QmlWarningGuard::clear()
{
    QMutexLocker lock(&g_mutex);
    g_warnings.clear();
}

void QmlWarningGuard::handler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    QtMessageHandler previous = nullptr;
    {
        QMutexLocker lock(&g_mutex);
        if (type != QtDebugMsg && type != QtInfoMsg && isQmlMessage(context, msg))
            g_warnings << msg;
        previous = g_previous;
    }
    if (previous)
        previous(type, context, msg);
}

} // namespace vand::test
