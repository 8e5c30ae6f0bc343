#include "edittools/OscToolController.h"

#include <algorithm>

#include "CL/Events.h"
#include "cmn/VandEvent.h"
#include "showcontrol/NetworkListModel.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

OscToolController::OscToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                     EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("OscTool.qml"), editController, std::move(player), CL::Osc::kCode, parent,
                         true)
    , networks_(std::make_unique<vand::NetworkListModel>(player_->GetNetworks()))
{
    SetViewProperty(rootObject_, "networkModel", QVariant::fromValue(static_cast<QObject*>(networks_.get())));
}

OscToolController::~OscToolController()
{
    // The destination picker lets go of the model before it goes.
    if (rootObject_) {
        disconnect(rootObject_, nullptr, this, nullptr);
        SetViewProperty(rootObject_, "networkModel", QVariant());
    }
}

void OscToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeRequest(QString, int, QString, QString, qreal)),
                SLOT(onToolChangeRequest(QString, int, QString, QString, qreal)));
    ConnectView(SIGNAL(createRequest(QString, int, QString, QString, qreal)),
                SLOT(onToolCreationRequest(QString, int, QString, QString, qreal)));
    ConnectPanel(false);
    ConnectView(SIGNAL(toolClosing()), SLOT(onToolClosing()));
}

void OscToolController::UpdateShiftLimits()
{
    WriteShiftLimits(true);
}

void OscToolController::onToolButtonClicked(TL::BarsBeats position, UInt32 minStartTick)
{
    minStartTick_ = minStartTick;
    if (!rootObject_)
        return;
    SetBarInputs(position);
    SetBeatInputs(position);
    SetShiftMinimum(minStartTick);
    SetViewProperty(rootObject_, "visible", true);
    UpdateShiftLimits();
}

void OscToolController::onToolEdit(cmn::VandEvent* vandEvent, UInt32 minStartTick)
{
    if (!rootObject_ || !vandEvent)
        return;
    // Kept, so that the pre-start beat keeps to the minimum here too.
    minStartTick_ = minStartTick;
    SetViewProperty(rootObject_, "isEdit", true);
    const UInt32 start = vandEvent->start();
    const TL::BarsBeats position = player_->GetBarBeatLeftByTick(start);
    SetBarInputs(position);
    SetBeatInputs(position);
    SetShiftMinimum(minStartTick);
    // The slider's minimum follows the beat shown, not only the pre-start one.
    UpdateShiftLimits();
    SetViewProperty(rootObject_, "inShiftMax", player_->GetAvailableShiftAfterBarBeat(position.tick, true));
    SetViewProperty(rootObject_, "inShift", static_cast<double>(start - std::min(start, position.tick)));
    const CL::OscProperties properties = vandEvent->osc_properties();
    SetStringValue(properties.Message());
    SelectNetwork(QString::fromStdString(properties.NetworkId()));
    FinishEdit(*vandEvent);
}

void OscToolController::SelectNetwork(const QString& networkId)
{
    int selected = -1;
    for (int row = 0; row < networks_->rowCount(); ++row) {
        if (networks_->data(networks_->index(row), vand::NetworkListModel::NetworkIdRole).toString() == networkId) {
            selected = row;
            break;
        }
    }
    SetViewProperty(rootObject_, "networkCurrentIndex", selected);
}

void OscToolController::onToolCreationRequest(QString bar, int beat, QString value, QString networkId, double inShift)
{
    Guard([&] {
        if (!SongUnchanged())
            return;
        const UInt32 tick = std::max(TickOf(bar, beat), barList_->GetPreStartTick());
        AddEvent(CL::Osc(ShiftedTick(tick, inShift), EventIdText().toStdString(),
                         CL::OscProperties(value.toStdString(), networkId.toStdString())));
    });
}

void OscToolController::onToolChangeRequest(QString bar, int beat, QString value, QString networkId, double inShift)
{
    Guard([&] {
        if (!editedEvent_ || !SongUnchanged())
            return;
        const UInt32 tick = std::max(ShiftedTick(TickOf(bar, beat), inShift), player_->GetCurrentStartTickIndex());
        EditEventStartEndValues(*editedEvent_, tick, tick);
        editedEvent_->start(tick);
        editedEvent_->end(tick);
        EditEventOscPropertyValues(*editedEvent_, CL::OscProperties(value.toStdString(), networkId.toStdString()));
        emit valuesUpdated();
    });
}

void OscToolController::onToolClosing()
{
    emit toolClosing();
}

} // namespace vand::qt
