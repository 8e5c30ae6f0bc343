#include "edittools/CaesuraToolController.h"

#include <algorithm>

#include "CL/Events.h"
#include "cmn/VandEvent.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

CaesuraToolController::CaesuraToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                             EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("CaesuraTool.qml"), editController, std::move(player), CL::Caesura::kCode,
                         parent, true)
{
}

void CaesuraToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeCaesuraRequest(QVariant, QVariant, qreal)),
                SLOT(onCaesuraChangeRequest(QVariant, QVariant, qreal)));
    ConnectView(SIGNAL(createCaesuraRequest(QVariant, QVariant, qreal)),
                SLOT(onCaesuraCreationRequest(QVariant, QVariant, qreal)));
    ConnectPanel(false);
    ConnectView(SIGNAL(caesuraToolClosing()), SLOT(onCaesuraToolClosing()));
}

void CaesuraToolController::UpdateShiftLimits()
{
    WriteShiftLimits(false);
}

void CaesuraToolController::onCaesuraButtonClicked(TL::BarsBeats position, UInt32 MinStartTick)
{
    if (!rootObject_)
        return;
    minStartTick_ = MinStartTick;
    SetBarInputs(position);
    SetBeatInputs(position);
    SetShiftMinimum(MinStartTick);
    UpdateShiftLimits();
    SetViewProperty(rootObject_, "visible", true);
}

void CaesuraToolController::onCaesuraEdit(cmn::VandEvent* vandEvent)
{
    if (!rootObject_ || !vandEvent)
        return;
    // A caesura moved onto the pre-start beat keeps to the song's minimum too.
    minStartTick_ = player_->GetMinStartTickIndex();
    SetViewProperty(rootObject_, "isEdit", true);
    const UInt32 start = vandEvent->start();
    const TL::BarsBeats position = player_->GetBarBeatLeftByTick(start);
    SetBarInputs(position);
    SetBeatInputs(position);
    const UInt32 available = player_->GetAvailableShiftAfterBarBeat(position.tick, true);
    SetViewProperty(rootObject_, "inShift", static_cast<double>(start - std::min(start, position.tick)));
    SetViewProperty(rootObject_, "inShiftMax", available);
    FinishEdit(*vandEvent);
}

void CaesuraToolController::onCaesuraCreationRequest(QVariant bar, QVariant beat, double inShift)
{
    Guard([&] {
        if (!SongUnchanged())
            return;
        const UInt32 tick = std::max(TickOf(bar.toString(), beat.toInt()), barList_->GetPreStartTick());
        AddEvent(CL::Caesura(ShiftedTick(tick, inShift), EventIdText().toStdString(), 0));
    });
}

void CaesuraToolController::onCaesuraChangeRequest(QVariant bar, QVariant beat, double inShift)
{
    Guard([&] {
        if (!editedEvent_ || !SongUnchanged())
            return;
        const UInt32 tick = std::max(TickOf(bar.toString(), beat.toInt()), player_->GetCurrentStartTickIndex());
        const UInt32 shifted = ShiftedTick(tick, inShift);
        EditEventStartEndValues(*editedEvent_, shifted, shifted);
        emit valuesUpdated();
    });
}

void CaesuraToolController::onCaesuraToolClosing()
{
    emit caesuraToolClosing();
}

} // namespace vand::qt
