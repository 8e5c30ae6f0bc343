#pragma once

#include "ui/QmlController.h"

class QQmlEngine;

namespace vand::qt {

// What a product's mixer hook returns: the controller of the main window's
// mixer view, which it wraps without owning. It carries out nothing itself; a
// product that switches the mixer on derives from it to give the view its
// group model and to answer the models' requests and the view's signals. GUI
// thread.
class MixerController : public QmlController
{
    Q_OBJECT
public:
    MixerController(QObject* mixerView, QQmlEngine* engine);
    ~MixerController() override;
};

} // namespace vand::qt
