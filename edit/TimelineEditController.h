#pragma once

// The edit toolbar (TimeLineEditorBar): turns its Edit, Delete, Undo, Redo,
// Save and Share buttons into signals and keeps their enabled states in step
// with the selection, the change-log editor's history and the edit model's
// needs-save and needs-upload flags. The ten tool buttons are relayed by the
// edit panel, not here.
//
// Threads: GUI thread only. UpdateButtonStates lets editor errors through.

#include <QPointer>

#include "ui/QmlController.h"

class QQmlEngine;
class QQuickItem;

namespace cmn {
class VandEvent;
}

namespace vand::qt {

class EditModel;

class TimelineEditController : public QmlController
{
    Q_OBJECT
public:
    TimelineEditController(EditModel* editModel, QQuickItem* bar, QQmlEngine* engine);
    ~TimelineEditController() override;

    // Both flags set (and published), then the buttons recomputed.
    void MarkModified();
    // Needs-save cleared; needs-upload kept.
    void MarkSaved();
    // Both flags cleared.
    void MarkSavedAndUploaded();
    // Undo, redo, save and share from the editor and the flags; nothing
    // without a show manager or an editor.
    void UpdateButtonStates();
    // Edit and Delete enabled exactly while an event is selected.
    void UpdateEditDeleteEnabled();
    // Save enabled or not, whatever the flags say (until the next update).
    void SetSaveEnabled(bool enabled);

signals:
    void EditButtonSignal(cmn::VandEvent* vandEvent);
    void UndoRedoStateUpdated(bool canUndo, bool canRedo, bool canSave, bool canShare);
    void DeleteRequested();
    void UndoRequested();
    void RedoRequested();

public slots:
    void OnEditButton_();
    // Save stays disabled while the save runs; its outcome sets it again.
    void OnSaveButton_();
    void OnSaveAndUploadButton_();

private:
    EditModel* editModel_ = nullptr;
    QPointer<QQuickItem> editButton_;
    QPointer<QQuickItem> deleteButton_;
    QPointer<QQuickItem> undoButton_;
    QPointer<QQuickItem> redoButton_;
    QPointer<QQuickItem> saveButton_;
    QPointer<QQuickItem> shareButton_;
};

} // namespace vand::qt
