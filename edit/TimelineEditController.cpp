#include "edit/TimelineEditController.h"

#include <QQuickItem>
#include <stdexcept>

#include "CL/Editor.h"
#include "EditSupport.h"
#include "kit/Log.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"

namespace vand::qt {

namespace {

QQuickItem* Button(QObject* bar, const char* name)
{
    return ViewPart(bar, name, "The edit toolbar");
}

void SetEnabled(QQuickItem* item, bool enabled)
{
    if (item)
        item->setEnabled(enabled);
}

} // namespace

TimelineEditController::TimelineEditController(EditModel* editModel, QQuickItem* bar, QQmlEngine* engine)
    : QmlController(bar, engine)
    , editModel_(editModel)
{
    if (!editModel_)
        throw std::invalid_argument("The edit toolbar needs an edit model.");
    editButton_ = Button(rootObject_, "editButtonControl");
    deleteButton_ = Button(rootObject_, "deleteButtonControl");
    undoButton_ = Button(rootObject_, "undoButtonControl");
    redoButton_ = Button(rootObject_, "redoButtonControl");
    saveButton_ = Button(rootObject_, "saveControl");
    shareButton_ = Button(rootObject_, "shareControl");
    UpdateEditDeleteEnabled();
    if (!rootObject_)
        return;
    connect(rootObject_, SIGNAL(editButton()), this, SLOT(OnEditButton_()));
    connect(rootObject_, SIGNAL(deleteButton()), this, SIGNAL(DeleteRequested()));
    connect(rootObject_, SIGNAL(undoButton()), this, SIGNAL(UndoRequested()));
    connect(rootObject_, SIGNAL(redoButton()), this, SIGNAL(RedoRequested()));
    connect(rootObject_, SIGNAL(saveButton()), this, SLOT(OnSaveButton_()));
    connect(rootObject_, SIGNAL(shareButton()), this, SLOT(OnSaveAndUploadButton_()));
}

TimelineEditController::~TimelineEditController()
{
    notify::callbackDispatcher.RemoveCallbacksForTarget(this);
}

void TimelineEditController::MarkModified()
{
    editModel_->SetNeedsSave(true);
    editModel_->SetNeedsUpload(true);
    UpdateButtonStates();
}

void TimelineEditController::MarkSaved()
{
    editModel_->SetNeedsSave(false);
    UpdateButtonStates();
}

void TimelineEditController::MarkSavedAndUploaded()
{
    editModel_->SetNeedsSave(false);
    editModel_->SetNeedsUpload(false);
    UpdateButtonStates();
}

void TimelineEditController::UpdateButtonStates()
{
    if (!editModel_->showManager)
        return;
    const CL::Editor* editor = editModel_->showManager->GetEditor();
    if (!editor)
        return;
    const bool canRedo = editor->CanRedo();
    const bool canUndo = editor->CanUndo();
    const bool canSave = editModel_->needsSave;
    const bool canShare = editModel_->needsUpload;
    SetEnabled(redoButton_, canRedo);
    SetEnabled(undoButton_, canUndo);
    SetEnabled(saveButton_, canSave);
    SetEnabled(shareButton_, canShare);
    emit UndoRedoStateUpdated(canUndo, canRedo, canSave, canShare);
}

void TimelineEditController::UpdateEditDeleteEnabled()
{
    const bool enabled = editModel_->selectedEvent != nullptr;
    SetEnabled(editButton_, enabled);
    SetEnabled(deleteButton_, enabled);
}

void TimelineEditController::SetSaveEnabled(bool enabled)
{
    SetEnabled(saveButton_, enabled);
}

void TimelineEditController::OnEditButton_()
{
    emit EditButtonSignal(editModel_->selectedEvent);
}

void TimelineEditController::OnSaveButton_()
{
    SetEnabled(saveButton_, false);
}

void TimelineEditController::OnSaveAndUploadButton_()
{
    SetEnabled(saveButton_, false);
}

} // namespace vand::qt
