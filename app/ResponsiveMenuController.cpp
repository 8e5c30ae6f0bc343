#include "ResponsiveMenuController.h"

#include <QByteArray>
#include <QMetaObject>
#include <QVariant>

#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

// The menu's signals and the controller signals they are relayed to, in the
// order they are connected.
struct Relay
{
    const char* menuSignal;
    const char* controllerSignal;
};

constexpr Relay kRelays[] = {
    {"midiCommandsClicked", "midiCommandsClicked"},
    {"oscManagerClicked", "oscManagerClicked"},
    {"audioManagerClicked", "audioManagerClicked"},
    {"playPause", "PlayPauseRequested"},
    {"stop", "StopRequested"},
    {"continuePlay", "ContinuePlayRequested"},
    {"nextMarker", "SeekNextMarkerRequested"},
    {"previousMarker", "SeekPrevMarkerRequested"},
    {"nextBar", "SeekNextBarRequested"},
    {"previousBar", "SeekPrevBarRequested"},
    {"zoomIn", "ZoomInRequested"},
    {"zoomOut", "ZoomOutRequested"},
    {"deleteSelected", "DeleteRequested"},
    {"undo", "UndoRequested"},
    {"redo", "RedoRequested"},
    {"getLatestLogClicked", "getLatestChangelogClicked"},
    {"saveClicked", "saveRequested"},
    {"shareClicked", "shareRequested"},
    {"selectAll", "selectAllRequested"},
};

// The string form that QObject::connect takes for a signal without arguments
// (what the SIGNAL macro produces).
QByteArray SignalSignature(const char* name)
{
    return QByteArray("2") + name + "()";
}

QByteArray SlotSignature(const char* name)
{
    return QByteArray("1") + name + "()";
}

} // namespace

ResponsiveMenuController::ResponsiveMenuController(bool showAudioManager, const QString& appName,
                                                   QObject* menuItem, QQmlEngine* engine,
                                                   bool oscEnabled)
    : QmlController(menuItem, engine), appName_(appName)
{
    if (!rootObject_)
        return;

    SetViewProperty(rootObject_, "showAudioManager", showAudioManager);
    SetViewProperty(rootObject_, "oscEnabled", oscEnabled);
    SetViewProperty(rootObject_, "appName", appName_);

    connect(rootObject_, SignalSignature("aboutClicked").constData(), this,
            SlotSignature("AboutClicked_").constData());
    for (const Relay& relay : kRelays) {
        connect(rootObject_, SignalSignature(relay.menuSignal).constData(), this,
                SignalSignature(relay.controllerSignal).constData());
    }
}

ResponsiveMenuController::~ResponsiveMenuController() = default;

void ResponsiveMenuController::UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave,
                                                   bool canShare)
{
    if (!rootObject_)
        return;
    SetViewProperty(rootObject_, "canUndo", canUndo);
    SetViewProperty(rootObject_, "canRedo", canRedo);
    SetViewProperty(rootObject_, "canSave", canSave);
    SetViewProperty(rootObject_, "canShare", canShare);
}

void ResponsiveMenuController::AboutClicked_()
{
    if (!rootObject_)
        return;
    QObject* about = rootObject_->property("aboutWindow").value<QObject*>();
    if (about)
        QMetaObject::invokeMethod(about, "open");
}

} // namespace vand::qt
