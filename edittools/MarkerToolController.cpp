#include "edittools/MarkerToolController.h"

#include <algorithm>

#include "CL/Events.h"
#include "cmn/VandEvent.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

MarkerToolController::MarkerToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                           EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("MarkerTool.qml"), editController, std::move(player), CL::Marker::kCode,
                         parent, true)
{
}

void MarkerToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeMarkerRequest(QString, int, QString)), SLOT(onMarkerChangeRequest(QString, int, QString)));
    ConnectView(SIGNAL(createMarkerRequest(QString, int, QString)),
                SLOT(onMarkerCreationRequest(QString, int, QString)));
    ConnectPanel(false);
    ConnectView(SIGNAL(markerToolClosing()), SLOT(onMarkerToolClosing()));
}

void MarkerToolController::onMarkerButtonClicked(TL::BarsBeats position)
{
    if (!rootObject_)
        return;
    SetBarInputs(position);
    SetBeatInputs(position);
    SetViewProperty(rootObject_, "visible", true);
}

void MarkerToolController::onMarkerEdit(cmn::VandEvent* vandEvent)
{
    if (!rootObject_ || !vandEvent)
        return;
    SetViewProperty(rootObject_, "isEdit", true);
    const TL::BarsBeats position = player_->GetBarBeatByTick(vandEvent->start());
    SetBarInputs(position);
    SetBeatInputs(position);
    SetStringValue(vandEvent->value());
    FinishEdit(*vandEvent);
}

UInt32 MarkerToolController::MarkerTick(const QString& bar, int beat) const
{
    return std::max(TickOf(bar, beat), player_->GetCurrentStartTickIndex());
}

void MarkerToolController::onMarkerCreationRequest(QString bar, int beat, QString value)
{
    Guard([&] {
        if (!SongUnchanged())
            return;
        AddEvent(CL::Marker(MarkerTick(bar, beat), value.toStdString(), EventIdText().toStdString()));
    });
}

void MarkerToolController::onMarkerChangeRequest(QString bar, int beat, QString value)
{
    Guard([&] {
        if (!editedEvent_ || !SongUnchanged())
            return;
        const UInt32 tick = MarkerTick(bar, beat);
        EditEventStartEndValues(*editedEvent_, tick, tick);
        EditEventStringValue(*editedEvent_, value.toStdString());
        emit valuesUpdated();
    });
}

void MarkerToolController::onMarkerToolClosing()
{
    emit markerToolClosing();
}

} // namespace vand::qt
