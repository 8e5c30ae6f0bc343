#include "edittools/RangeToolControllers.h"

#include "CL/Events.h"
#include "cmn/VandEvent.h"

namespace vand::qt {

// --- cut -----------------------------------------------------------------------

CutToolController::CutToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                     EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("CutTool.qml"), editController, std::move(player), CL::Cut::kCode, parent,
                         true)
{
}

void CutToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeCutRequest(QVariant, QVariant, QVariant, QVariant)),
                SLOT(onCutChangeRequest(QVariant, QVariant, QVariant, QVariant)));
    ConnectView(SIGNAL(createCutRequest(QVariant, QVariant, QVariant, QVariant)),
                SLOT(onCutCreationRequest(QVariant, QVariant, QVariant, QVariant)));
    ConnectPanel(true);
    ConnectView(SIGNAL(cutToolClosing()), SLOT(onCutToolClosing()));
}

void CutToolController::onCutButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRange(startBarsBeats, endBarsBeats);
}

void CutToolController::onCutEdit(cmn::VandEvent* vandEvent)
{
    if (vandEvent && BeginRangeEdit(*vandEvent))
        FinishEdit(*vandEvent);
}

void CutToolController::onCutCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat)
{
    CreateRange<CL::Cut>(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt(), 0);
}

void CutToolController::onCutChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat)
{
    ChangeRange(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt());
}

void CutToolController::onCutToolClosing()
{
    emit cutToolClosing();
}

// --- skip ----------------------------------------------------------------------

SkipToolController::SkipToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                       EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("SkipTool.qml"), editController, std::move(player), CL::Fermata::kCode, parent,
                         true)
{
}

void SkipToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeSkipRequest(QVariant, QVariant, QVariant, QVariant)),
                SLOT(onSkipChangeRequest(QVariant, QVariant, QVariant, QVariant)));
    ConnectView(SIGNAL(createSkipRequest(QVariant, QVariant, QVariant, QVariant)),
                SLOT(onSkipCreationRequest(QVariant, QVariant, QVariant, QVariant)));
    ConnectPanel(true);
    ConnectView(SIGNAL(skipToolClosing()), SLOT(onSkipToolClosing()));
}

void SkipToolController::onSkipButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    OpenRange(startBarsBeats, endBarsBeats);
}

void SkipToolController::onSkipEdit(cmn::VandEvent* vandEvent)
{
    if (vandEvent && BeginRangeEdit(*vandEvent))
        FinishEdit(*vandEvent);
}

void SkipToolController::onSkipCreationRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat)
{
    CreateRange<CL::Fermata>(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt(), 0);
}

void SkipToolController::onSkipChangeRequest(QVariant startBar, QVariant startBeat, QVariant endBar, QVariant endBeat)
{
    ChangeRange(startBar.toString(), startBeat.toInt(), endBar.toString(), endBeat.toInt());
}

void SkipToolController::onSkipToolClosing()
{
    emit skipToolClosing();
}

} // namespace vand::qt
