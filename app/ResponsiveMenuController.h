#pragma once

#include <QObject>
#include <QString>
#include <memory>

#include "ui/QmlController.h"

class QQmlEngine;

namespace vand::qt {

class VandMenuBarController;

// Wraps the main window's in-window menu (its `menu` item, not owned): hands
// it the product's switches and name, relays its commands as signals of its
// own and keeps its undo, redo, save and share entries current. It may own a
// platform menu bar as well, which it treats the same way; this product gives
// it none.
class ResponsiveMenuController : public QmlController
{
    Q_OBJECT
public:
    ResponsiveMenuController(bool showAudioManager, const QString& appName, QObject* menuItem, QQmlEngine* engine,
                             bool oscEnabled);
    // With a platform menu bar, owned from then on and deleted with this
    // controller.
    ResponsiveMenuController(bool showAudioManager, const QString& appName, QObject* menuItem, QQmlEngine* engine,
                             bool oscEnabled, std::unique_ptr<VandMenuBarController> menuBar);
    ~ResponsiveMenuController() override;

    VandMenuBarController* GetMenuBar() const { return menuBar_.get(); }

signals:
    void midiCommandsClicked();
    void oscManagerClicked();
    void audioManagerClicked();
    void UndoRequested();
    void RedoRequested();
    void DeleteRequested();
    void PlayPauseRequested();
    void StopRequested();
    void ContinuePlayRequested();
    void JumpToBarStartRequested();
    void SeekNextMarkerRequested();
    void SeekPrevMarkerRequested();
    void SeekNextBarRequested();
    void SeekPrevBarRequested();
    void ZoomInRequested();
    void ZoomOutRequested();
    void ViewPastLogsRequested();
    void getLatestChangelogClicked();
    void shareRequested();
    void saveRequested();
    void selectAllRequested();

public slots:
    void UpdateUndoRedoState(bool canUndo, bool canRedo, bool canSave, bool canShare);
    void AboutClicked_();

private:
    void ConnectMenuBar(bool showAudioManager, bool oscEnabled);

    std::unique_ptr<VandMenuBarController> menuBar_;
    QString appName_;
};

} // namespace vand::qt
