#include "Grab.h"

#include <QImage>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTest>

namespace vand::test {

bool GrabToPng(QObject* object, const QString& path)
{
    QQuickWindow* window = qobject_cast<QQuickWindow*>(object);
    if (!window) {
        if (auto* item = qobject_cast<QQuickItem*>(object))
            window = item->window();
    }
    if (!window)
        return false;
    if (!window->isVisible())
        window->show();
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    const QImage image = window->grabWindow();
    return !image.isNull() && image.save(path);
}

} // namespace vand::test
