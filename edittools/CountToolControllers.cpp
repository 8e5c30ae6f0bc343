#include "edittools/CountToolControllers.h"

#include "CL/Events.h"
#include "cmn/VandEvent.h"
#include "model/SelectionRecords.h"

namespace vand::qt {

// --- repeat ----------------------------------------------------------------------

RepeatToolController::RepeatToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                           EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("RepeatTool.qml"), editController, std::move(player), CL::Repeat::kCode,
                         parent, true)
{
}

void RepeatToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeRepeatRequest(QString, int, QString, int, int)),
                SLOT(onRepeatChangeRequest(QString, int, QString, int, int)));
    ConnectView(SIGNAL(createRepeatRequest(QString, int, QString, int, int)),
                SLOT(onRepeatCreationRequest(QString, int, QString, int, int)));
    ConnectPanel(true);
    ConnectView(SIGNAL(repeatToolClosing()), SLOT(onRepeatToolClosing()));
}

void RepeatToolController::onRepeatButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRange(startBarsBeats, endBarsBeats);
}

void RepeatToolController::onRepeatEdit(cmn::VandEvent* vandEvent)
{
    if (vandEvent)
        OpenNumberEdit(*vandEvent, vandEvent->int_value());
}

void RepeatToolController::onRepeatCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                   int count)
{
    CreateRange<CL::Repeat>(startBar, startBeat, endBar, endBeat, count);
}

void RepeatToolController::onRepeatChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int count)
{
    ChangeRange(startBar, startBeat, endBar, endBeat,
                [this, count](const cmn::VandEvent& event) { EditEventIntValue(event, count); });
}

void RepeatToolController::onRepeatToolClosing()
{
    emit repeatToolClosing();
}

// --- tempo -----------------------------------------------------------------------

TempoToolController::TempoToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                         EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("TempoTool.qml"), editController, std::move(player), CL::TempoScale::kCode,
                         parent, true)
{
}

void TempoToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeTempoRequest(QString, int, QString, int, int)),
                SLOT(onTempoChangeRequest(QString, int, QString, int, int)));
    ConnectView(SIGNAL(createTempoRequest(QString, int, QString, int, int)),
                SLOT(onTempoCreationRequest(QString, int, QString, int, int)));
    ConnectPanel(true);
    ConnectView(SIGNAL(tempoToolClosing()), SLOT(onTempoToolClosing()));
}

void TempoToolController::onTempoButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRange(startBarsBeats, endBarsBeats);
}

void TempoToolController::onTempoEdit(cmn::VandEvent* vandEvent)
{
    if (vandEvent)
        OpenNumberEdit(*vandEvent, TempoScalePercent(vandEvent->float_value()));
}

void TempoToolController::onTempoCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int percent)
{
    CreateRange<CL::TempoScale>(startBar, startBeat, endBar, endBeat, percent / 100.0);
}

void TempoToolController::onTempoChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                               int percent)
{
    ChangeRange(startBar, startBeat, endBar, endBeat, [this, percent](const cmn::VandEvent& event) {
        EditEventFloatValue(event, static_cast<float>(percent / 100.0));
    });
}

void TempoToolController::onTempoToolClosing()
{
    emit tempoToolClosing();
}

// --- transpose -------------------------------------------------------------------

TransposeToolController::TransposeToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                                 EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("TransposeTool.qml"), editController, std::move(player), CL::Transpose::kCode,
                         parent, true)
{
}

void TransposeToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeTransposeRequest(QString, int, QString, int, int)),
                SLOT(onTransposeChangeRequest(QString, int, QString, int, int)));
    ConnectView(SIGNAL(createTransposeRequest(QString, int, QString, int, int)),
                SLOT(onTransposeCreationRequest(QString, int, QString, int, int)));
    ConnectPanel(true);
    ConnectView(SIGNAL(transposeToolClosing()), SLOT(onTransposeToolClosing()));
}

void TransposeToolController::onTransposeButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRange(startBarsBeats, endBarsBeats);
}

void TransposeToolController::onTransposeEdit(cmn::VandEvent* vandEvent)
{
    if (vandEvent)
        OpenNumberEdit(*vandEvent, vandEvent->int_value());
}

void TransposeToolController::onTransposeCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                         int halfSteps)
{
    CreateRange<CL::Transpose>(startBar, startBeat, endBar, endBeat, halfSteps);
}

void TransposeToolController::onTransposeChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                       int halfSteps)
{
    ChangeRange(startBar, startBeat, endBar, endBeat,
                [this, halfSteps](const cmn::VandEvent& event) { EditEventIntValue(event, halfSteps); });
}

void TransposeToolController::onTransposeToolClosing()
{
    emit transposeToolClosing();
}

// --- vamp ------------------------------------------------------------------------

VampToolController::VampToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                       EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("VampTool.qml"), editController, std::move(player), CL::Vamp::kCode, parent,
                         true)
{
}

void VampToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeVampRequest(QString, int, QString, int, int)),
                SLOT(onVampChangeRequest(QString, int, QString, int, int)));
    ConnectView(SIGNAL(createVampRequest(QString, int, QString, int, int)),
                SLOT(onVampCreationRequest(QString, int, QString, int, int)));
    ConnectPanel(true);
    ConnectView(SIGNAL(vampToolClosing()), SLOT(onVampToolClosing()));
}

void VampToolController::onVampButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRange(startBarsBeats, endBarsBeats);
}

void VampToolController::onVampEdit(cmn::VandEvent* vandEvent)
{
    if (vandEvent)
        OpenNumberEdit(*vandEvent, vandEvent->int_value(), true);
}

void VampToolController::onVampCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count)
{
    CreateRange<CL::Vamp>(startBar, startBeat, endBar, endBeat, count);
}

void VampToolController::onVampChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count)
{
    ChangeRange(startBar, startBeat, endBar, endBeat,
                [this, count](const cmn::VandEvent& event) { EditEventIntValue(event, count); });
}

void VampToolController::onVampToolClosing()
{
    emit vampToolClosing();
}

} // namespace vand::qt
