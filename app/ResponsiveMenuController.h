#pragma once

#include <QObject>
#include <QString>

#include "ui/QmlController.h"

class QQmlEngine;

namespace vand::qt {

// Wraps the main window's in-window menu (its `menu` item, not owned): hands
// it the product's switches and name, relays its commands as signals of its
// own and keeps its undo, redo, save and share entries current.
class ResponsiveMenuController : public QmlController
{
    Q_OBJECT
public:
    ResponsiveMenuController(bool showAudioManager, const QString& appName, QObject* menuItem,
                             QQmlEngine* engine, bool oscEnabled);
    ~ResponsiveMenuController() override;

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
    QString appName_;
};

} // namespace vand::qt
