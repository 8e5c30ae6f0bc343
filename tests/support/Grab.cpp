#include "Grab.h"

#include <QImage>
#include <QPainter>
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

QImage GrabWithTitle(QQuickWindow* window)
{
    const QImage content = window->grabWindow();
    QImage framed(content.width(), content.height() + 28, QImage::Format_RGB32);
    framed.fill(QColor("#3a3a3a"));
    QPainter painter(&framed);
    painter.setPen(Qt::white);
    painter.drawText(QRect(8, 0, content.width() - 16, 28), Qt::AlignVCenter, window->title());
    painter.drawImage(0, 28, content);
    return framed;
}

} // namespace vand::test
