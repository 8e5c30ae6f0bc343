#pragma once

// What the menu controller's tests share: the stand-in for the in-window
// menu (fixtures/MenuStandIn.qml, in the test's resources) and the list of
// the controller's own signals.

#include <QMetaMethod>
#include <QQmlComponent>
#include <QQmlEngine>
#include <QStringList>
#include <QUrl>
#include <QtDebug>
#include <memory>

#include "app/ResponsiveMenuController.h"

namespace menu_test {

// The in-window menu's signals and properties, with an About box that
// counts its openings; null (and the errors said) when it cannot be built.
inline std::unique_ptr<QObject> MakeMenuStandIn(QQmlEngine& engine)
{
    QQmlComponent component(&engine, QUrl(QStringLiteral("qrc:/fixtures/MenuStandIn.qml")));
    std::unique_ptr<QObject> menu(component.create());
    if (!menu)
        qWarning() << component.errors();
    return menu;
}

// Every signal that the menu controller declares itself, by name.
inline QStringList ControllerSignals()
{
    QStringList names;
    const QMetaObject& mo = vand::qt::ResponsiveMenuController::staticMetaObject;
    for (int i = mo.methodOffset(); i < mo.methodCount(); ++i) {
        if (mo.method(i).methodType() == QMetaMethod::Signal)
            names << QString::fromLatin1(mo.method(i).name());
    }
    return names;
}

} // namespace menu_test
