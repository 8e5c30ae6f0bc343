#include "ResponsiveMenuController.h"

#include <QByteArray>
#include <QMetaObject>
#include <QVariant>

#include "app/VandMenuBarController.h"
#include "ui/ViewProperty.h"

namespace vand::qt {

namespace {

// The menu's signals and the controller signals they are relayed to, in the
// order they are connected.
struct Relay
{
    const char* menuSignal;
    const char* controllerSignal;
    // The receiver is a slot of the controller, not a signal.
    bool toSlot = false;
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

// The platform menu bar's signals and the controller signals they are
// relayed to, in the order they are connected (after the in-window menu's).
constexpr Relay kMenuBarRelays[] = {
    {"midiCommandsClicked", "midiCommandsClicked"},
    {"oscManagerClicked", "oscManagerClicked"},
    {"audioManagerClicked", "audioManagerClicked"},
    {"aboutClicked", "AboutClicked_", true},
    {"undoClicked", "UndoRequested"},
    {"redoClicked", "RedoRequested"},
    {"deleteClicked", "DeleteRequested"},
    {"playPauseClicked", "PlayPauseRequested"},
    {"stopClicked", "StopRequested"},
    {"continuePlayClicked", "ContinuePlayRequested"},
    {"jumpToBarClicked", "JumpToBarStartRequested"},
    {"nextMarkerClicked", "SeekNextMarkerRequested"},
    {"prevMarkerClicked", "SeekPrevMarkerRequested"},
    {"nextBarClicked", "SeekNextBarRequested"},
    {"prevBarClicked", "SeekPrevBarRequested"},
    {"viewPastLogsClicked", "ViewPastLogsRequested"},
    {"zoomInClicked", "ZoomInRequested"},
    {"zoomOutClicked", "ZoomOutRequested"},
    {"getLatestLogClicked", "getLatestChangelogClicked"},
    {"saveClicked", "saveRequested"},
    {"shareClicked", "shareRequested"},
    {"selectAllClicked", "selectAllRequested"},
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

ResponsiveMenuController::ResponsiveMenuController(bool showAudioManager, const QString& appName, QObject* menuItem,
                                                   QQmlEngine* engine, bool oscEnabled)
    : ResponsiveMenuController(showAudioManager, appName, menuItem, engine, oscEnabled, nullptr)
{
}

ResponsiveMenuController::ResponsiveMenuController(bool showAudioManager, const QString& appName, QObject* menuItem,
                                                   QQmlEngine* engine, bool oscEnabled,
                                                   std::unique_ptr<VandMenuBarController> menuBar)
    : QmlController(menuItem, engine)
    , menuBar_(std::move(menuBar))
    , appName_(appName)
{
    if (rootObject_) {
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
    ConnectMenuBar(showAudioManager, oscEnabled);
}

ResponsiveMenuController::~ResponsiveMenuController() = default;

void ResponsiveMenuController::ConnectMenuBar(bool showAudioManager, bool oscEnabled)
{
    QObject* bar = menuBar_ ? menuBar_->GetQmlObject() : nullptr;
    if (!bar)
        return;
    // The bar shows the product's name and switches like the in-window menu.
    SetViewProperty(bar, "showAudioManager", showAudioManager);
    SetViewProperty(bar, "oscEnabled", oscEnabled);
    SetViewProperty(bar, "appName", appName_);

    for (const Relay& relay : kMenuBarRelays) {
        const QByteArray receiver =
            relay.toSlot ? SlotSignature(relay.controllerSignal) : SignalSignature(relay.controllerSignal);
        connect(bar, SignalSignature(relay.menuSignal).constData(), this, receiver.constData());
    }
    // The output paths open through the main window, as from the in-window
    // menu.
    if (rootObject_) {
        connect(bar, SignalSignature("outputPathsClicked").constData(), rootObject_,
                SignalSignature("outputPaths").constData());
    }
}

void ResponsiveMenuController::UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave, bool canShare)
{
    // The platform menu bar first, then the in-window menu.
    for (QObject* menu : {menuBar_ ? menuBar_->GetQmlObject() : nullptr, rootObject_.data()}) {
        if (!menu)
            continue;
        SetViewProperty(menu, "canUndo", canUndo);
        SetViewProperty(menu, "canRedo", canRedo);
        SetViewProperty(menu, "canSave", canSave);
        SetViewProperty(menu, "canShare", canShare);
    }
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
