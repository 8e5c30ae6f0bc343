// The main controller's side of the edit tools: opening a tool from the edit
// panel's buttons or on an existing event, and letting it go when its dialog
// closes.

#include <QMetaObject>
#include <algorithm>
#include <stdexcept>

#include "app/AppSettings.h"
#include "app/MusicalMainController.h"
#include "app/PlayerFactory.h"
#include "cmn/EventCodes.h"
#include "cmn/VandEvent.h"
#include "edit/EditController.h"
#include "edit/EditSupport.h"
#include "edittools/CaesuraToolController.h"
#include "edittools/ClickToolController.h"
#include "edittools/CountToolControllers.h"
#include "edittools/MarkerToolController.h"
#include "edittools/OscToolController.h"
#include "edittools/RangeToolControllers.h"
#include "model/EditModel.h"
#include "ui/DialogController.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

namespace {

const char* kClickNoticeName = "ClickToolNotification";
const char* kClickNotice =
    "While there is no audible click track present in Pelorin, this feature changes the resolution of where you can "
    "place events in the timeline to allow for more precise editing. Be aware any edits made to the click in Pelorin "
    "will affect the click track in Dravel.";

// A tick from the window, where a position left of the timeline's start is
// negative.
UInt32 Tick(int tick)
{
    return static_cast<UInt32>(std::max(tick, 0));
}

} // namespace

template <typename Tool, typename Open, typename ClosingSignal, typename ClosingSlot>
void MusicalMainController::OpenTool(std::unique_ptr<Tool>& member, Open&& open, ClosingSignal closing,
                                     ClosingSlot closingSlot, bool refresh)
{
    if (!player_)
        throw std::runtime_error("No show is loaded.");
    member.reset();
    member = std::make_unique<Tool>(engine_, player_, editController_.get(), rootObject_);
    Tool* tool = member.get();
    connect(tool, &QmlController::error, this, &MusicalMainController::onError);
    try {
        open(*tool);
    } catch (...) {
        member.reset();
        throw;
    }
    tool->ConnectSignals();
    if (refresh)
        connect(tool, &EditToolController::valuesUpdated, this, &MusicalMainController::onEditValueUpdated);
    connect(tool, closing, this, closingSlot);
}

template <typename Tool, typename ClosingSignal, typename ClosingSlot>
void MusicalMainController::OpenRangeTool(std::unique_ptr<Tool>& member,
                                          void (Tool::*opening)(TL::BarsBeats, TL::BarsBeats), int startTick,
                                          int endTick, ClosingSignal closing, ClosingSlot closingSlot)
{
    Guarded(kEditFailedTitle, [&] {
        OpenTool(
            member,
            [&](Tool& tool) {
                const TL::BarsBeats end = player_->GetBarBeatByTick(Tick(endTick));
                (tool.*opening)(player_->GetBarBeatByTick(Tick(startTick)), end);
            },
            closing, closingSlot, false);
    });
}

template <typename Tool, typename ClosingSignal, typename ClosingSlot>
void MusicalMainController::OpenEditTool(std::unique_ptr<Tool>& member, void (Tool::*opening)(cmn::VandEvent*),
                                         cmn::VandEvent* event, ClosingSignal closing, ClosingSlot closingSlot)
{
    Guarded(kEditFailedTitle, [&] {
        OpenTool(
            member, [&](Tool& tool) { (tool.*opening)(event); }, closing, closingSlot, true);
    });
}

template <typename Tool>
void MusicalMainController::DropTool(std::unique_ptr<Tool>& member)
{
    // The closing signal is still being delivered: the tool and its dialog
    // go once it has returned.
    if (Tool* tool = member.release()) {
        disconnect(tool, nullptr, this, nullptr);
        tool->deleteLater();
    }
}

// --- new events ---------------------------------------------------------------

void MusicalMainController::onCaesuraButton(int startTick)
{
    Guarded(kEditFailedTitle, [&] {
        const TL::BarsBeats position = player_ ? player_->GetBarBeatByTick(Tick(startTick)) : TL::BarsBeats();
        OpenTool(
            caesuraTool_,
            [&](CaesuraToolController& tool) {
                tool.onCaesuraButtonClicked(position, player_->GetMinStartTickIndex());
            },
            &CaesuraToolController::caesuraToolClosing, &MusicalMainController::onCaesuraToolClosing, true);
    });
}

void MusicalMainController::onMarkerButton(int startTick)
{
    Guarded(kEditFailedTitle, [&] {
        OpenTool(
            markerTool_,
            [&](MarkerToolController& tool) { tool.onMarkerButtonClicked(player_->GetBarBeatByTick(Tick(startTick))); },
            &MarkerToolController::markerToolClosing, &MusicalMainController::onMarkerToolClosing, false);
    });
}

void MusicalMainController::onOscButton(int startTick)
{
    Guarded(kEditFailedTitle, [&] {
        OpenTool(
            oscTool_,
            [&](OscToolController& tool) {
                tool.onToolButtonClicked(player_->GetBarBeatByTick(Tick(startTick)), player_->GetMinStartTickIndex());
            },
            &OscToolController::toolClosing, &MusicalMainController::onOscToolClosing, false);
    });
}

void MusicalMainController::onCutButton(int startTick, int endTick)
{
    OpenRangeTool(cutTool_, &CutToolController::onCutButtonClicked, startTick, endTick,
                  &CutToolController::cutToolClosing, &MusicalMainController::onCutToolClosing);
}

void MusicalMainController::onSkipButton(int startTick, int endTick)
{
    OpenRangeTool(skipTool_, &SkipToolController::onSkipButtonClicked, startTick, endTick,
                  &SkipToolController::skipToolClosing, &MusicalMainController::onSkipToolClosing);
}

void MusicalMainController::onRepeatButton(int startTick, int endTick)
{
    OpenRangeTool(repeatTool_, &RepeatToolController::onRepeatButtonClicked, startTick, endTick,
                  &RepeatToolController::repeatToolClosing, &MusicalMainController::onRepeatToolClosing);
}

void MusicalMainController::onTempoButton(int startTick, int endTick)
{
    OpenRangeTool(tempoTool_, &TempoToolController::onTempoButtonClicked, startTick, endTick,
                  &TempoToolController::tempoToolClosing, &MusicalMainController::onTempoToolClosing);
}

void MusicalMainController::onTransposeButton(int startTick, int endTick)
{
    OpenRangeTool(transposeTool_, &TransposeToolController::onTransposeButtonClicked, startTick, endTick,
                  &TransposeToolController::transposeToolClosing, &MusicalMainController::onTransposeToolClosing);
}

void MusicalMainController::onVampButton(int startTick, int endTick)
{
    OpenRangeTool(vampTool_, &VampToolController::onVampButtonClicked, startTick, endTick,
                  &VampToolController::vampToolClosing, &MusicalMainController::onVampToolClosing);
}

void MusicalMainController::onClickButton(int startTick, int endTick)
{
    const bool opened = Guarded(kEditFailedTitle, [&] {
        OpenTool(
            clickTool_,
            [&](ClickToolController& tool) {
                // The click tool places its range on the grid without click edits.
                const TL::BarsBeats start = player_->GetBarBeatByTick(Tick(startTick), false, true);
                const TL::BarsBeats end = player_->GetBarBeatByTick(Tick(endTick), false, true);
                tool.onClickButtonClicked(start, end);
            },
            &ClickToolController::clickToolClosing, &MusicalMainController::onClickToolClosing, false);
    });
    if (opened)
        ShowClickToolNotice();
}

void MusicalMainController::ShowClickToolNotice()
{
    if (factory_->hideClickToolNotice)
        return;
    try {
        messageDialog_ =
            std::make_unique<DialogController>(kClickNotice, "About Click in " + factory_->displayName.toStdString(), 2,
                                               rootObject_, engine_, appSettings_, true, kClickNoticeName);
    } catch (const std::exception& e) {
        onError(e.what(), kEditFailedTitle);
    }
}

// --- existing events ----------------------------------------------------------

void MusicalMainController::onEditButton(cmn::VandEvent* vandEvent)
{
    if (!vandEvent)
        return;
    switch (vandEvent->code()) {
    case codes::kVamp:
        onVampEdit(vandEvent);
        break;
    case codes::kRepeat:
        onRepeatEdit(vandEvent);
        break;
    case codes::kCut:
        onCutEdit(vandEvent);
        break;
    case codes::kTranspose:
        onTransposeEdit(vandEvent);
        break;
    case codes::kTempoScale:
        onTempoEdit(vandEvent);
        break;
    case codes::kMarker:
        onMarkerEdit(vandEvent);
        break;
    case codes::kClick:
        onClickEdit(vandEvent);
        break;
    case codes::kFermata:
        onSkipEdit(vandEvent);
        break;
    case codes::kCaesura:
        onCaesuraEdit(vandEvent);
        break;
    case codes::kOsc:
        onOscEdit(vandEvent);
        break;
    default:
        break;
    }
}

void MusicalMainController::onEditDoubleClicked()
{
    if (editController_)
        onEditButton(editController_->GetEditModel()->selectedEvent);
}

void MusicalMainController::onEditValueUpdated()
{
    Guarded(kEditFailedTitle, [this] {
        if (editController_)
            editController_->RefreshAfterEdit({});
    });
}

void MusicalMainController::onCaesuraEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(caesuraTool_, &CaesuraToolController::onCaesuraEdit, vandEvent,
                 &CaesuraToolController::caesuraToolClosing, &MusicalMainController::onCaesuraToolClosing);
}

void MusicalMainController::onMarkerEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(markerTool_, &MarkerToolController::onMarkerEdit, vandEvent, &MarkerToolController::markerToolClosing,
                 &MusicalMainController::onMarkerToolClosing);
}

void MusicalMainController::onOscEdit(cmn::VandEvent* vandEvent)
{
    Guarded(kEditFailedTitle, [&] {
        OpenTool(
            oscTool_, [&](OscToolController& tool) { tool.onToolEdit(vandEvent, player_->GetMinStartTickIndex()); },
            &OscToolController::toolClosing, &MusicalMainController::onOscToolClosing, true);
    });
}

void MusicalMainController::onCutEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(cutTool_, &CutToolController::onCutEdit, vandEvent, &CutToolController::cutToolClosing,
                 &MusicalMainController::onCutToolClosing);
}

void MusicalMainController::onSkipEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(skipTool_, &SkipToolController::onSkipEdit, vandEvent, &SkipToolController::skipToolClosing,
                 &MusicalMainController::onSkipToolClosing);
}

void MusicalMainController::onClickEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(clickTool_, &ClickToolController::onClickEdit, vandEvent, &ClickToolController::clickToolClosing,
                 &MusicalMainController::onClickToolClosing);
}

void MusicalMainController::onRepeatEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(repeatTool_, &RepeatToolController::onRepeatEdit, vandEvent, &RepeatToolController::repeatToolClosing,
                 &MusicalMainController::onRepeatToolClosing);
}

void MusicalMainController::onTempoEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(tempoTool_, &TempoToolController::onTempoEdit, vandEvent, &TempoToolController::tempoToolClosing,
                 &MusicalMainController::onTempoToolClosing);
}

void MusicalMainController::onTransposeEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(transposeTool_, &TransposeToolController::onTransposeEdit, vandEvent,
                 &TransposeToolController::transposeToolClosing, &MusicalMainController::onTransposeToolClosing);
}

void MusicalMainController::onVampEdit(cmn::VandEvent* vandEvent)
{
    OpenEditTool(vampTool_, &VampToolController::onVampEdit, vandEvent, &VampToolController::vampToolClosing,
                 &MusicalMainController::onVampToolClosing);
}

// --- closing -----------------------------------------------------------------------

void MusicalMainController::onCaesuraToolClosing()
{
    DropTool(caesuraTool_);
}

void MusicalMainController::onMarkerToolClosing()
{
    DropTool(markerTool_);
}

void MusicalMainController::onOscToolClosing()
{
    DropTool(oscTool_);
}

void MusicalMainController::onCutToolClosing()
{
    DropTool(cutTool_);
}

void MusicalMainController::onSkipToolClosing()
{
    DropTool(skipTool_);
}

void MusicalMainController::onClickToolClosing()
{
    DropTool(clickTool_);
}

void MusicalMainController::onRepeatToolClosing()
{
    DropTool(repeatTool_);
}

void MusicalMainController::onTempoToolClosing()
{
    DropTool(tempoTool_);
}

void MusicalMainController::onTransposeToolClosing()
{
    DropTool(transposeTool_);
}

void MusicalMainController::onVampToolClosing()
{
    DropTool(vampTool_);
}

} // namespace vand::qt
