#include "audio/MixerController.h"

namespace vand::qt {

MixerController::MixerController(QObject* mixerView, QQmlEngine* engine)
    : QmlController(mixerView, engine)
{
}

MixerController::~MixerController() = default;

} // namespace vand::qt
