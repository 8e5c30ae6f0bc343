#pragma once

#include <QObject>

#include "ui/QmlController.h"

class QQmlEngine;

namespace vand::qt {

// Builds the platform's native menu bar (VandMenuBar.qml) for a window and
// owns it; the menu controller connects its commands. Nothing in this product
// creates one, and one must never stand beside the in-window menu: its items
// take the same shortcuts even where the platform draws no native menu. GUI
// thread.
class VandMenuBarController : public QmlController
{
    Q_OBJECT
public:
    // The bar belongs to window (its Quit entry closes it).
    VandMenuBarController(QQmlEngine* engine, QObject* window);
    ~VandMenuBarController() override;

signals:
    // The bar's "Download Latest Log".
    void getLatestChangelogClicked();
};

} // namespace vand::qt
