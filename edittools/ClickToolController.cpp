#include "edittools/ClickToolController.h"

#include <algorithm>

#include "CL/Events.h"
#include "cmn/VandEvent.h"
#include "ui/ViewProperty.h"
#include "vand_player_core/Interface.h"

namespace vand::qt {

ClickToolController::ClickToolController(QQmlEngine* engine, std::shared_ptr<Interface> player,
                                         EditController* editController, QObject* parent)
    : EditToolController(engine, ToolUrl("ClickTool.qml"), editController, std::move(player), CL::Click::kCode, parent,
                         false)
{
}

void ClickToolController::ConnectSignals()
{
    ConnectView(SIGNAL(changeClickRequest(QString, int, QString, int, int)),
                SLOT(onClickChangeRequest(QString, int, QString, int, int)));
    ConnectView(SIGNAL(createClickRequest(QString, int, QString, int, int)),
                SLOT(onClickCreationRequest(QString, int, QString, int, int)));
    ConnectPanel(true);
    ConnectView(SIGNAL(updateAvailableClicks()), SLOT(updateClicksModel()));
    ConnectView(SIGNAL(clickToolClosing()), SLOT(onClickToolClosing()));
}

std::vector<int> ClickToolController::AllowedValues() const
{
    const UInt32 in = TickOf(ShownText("inBarInput"), ShownText("inBeatInput").toInt());
    const UInt32 out = TickOf(ShownText("outBarInput"), ShownText("outBeatInput").toInt());
    return player_->GetClickValues(in, out);
}

void ClickToolController::ShowValues()
{
    QVariantList values;
    for (int value : AllowedValues())
        values.append(value);
    SetViewProperty(rootObject_, "clickCountModel", values);
    SetViewProperty(rootObject_, "clickCountIndex", 0);
}

void ClickToolController::updateClicksModel()
{
    Guard([this] { ShowValues(); });
}

void ClickToolController::onClickButtonClicked(TL::BarsBeats startBarsBeats, TL::BarsBeats endBarsBeats)
{
    if (!rootObject_)
        return;
    SetBarInputs(startBarsBeats, endBarsBeats);
    SetBeatInputs(startBarsBeats, endBarsBeats);
    ShowValues();
    SetViewProperty(rootObject_, "visible", true);
}

void ClickToolController::onClickEdit(cmn::VandEvent* vandEvent)
{
    if (!vandEvent || !BeginRangeEdit(*vandEvent, true))
        return;
    ShowValues();
    const std::vector<int> values = AllowedValues();
    const auto found = std::find(values.begin(), values.end(), vandEvent->int_value());
    if (found != values.end())
        SetViewProperty(rootObject_, "clickCountIndex", static_cast<int>(found - values.begin()));
    FinishEdit(*vandEvent);
}

void ClickToolController::onClickCreationRequest(QString startBar, int startBeat, QString endBar, int endBeat,
                                                 int count)
{
    CreateRange<CL::Click>(startBar, startBeat, endBar, endBeat, count);
}

void ClickToolController::onClickChangeRequest(QString startBar, int startBeat, QString endBar, int endBeat, int count)
{
    ChangeRange(startBar, startBeat, endBar, endBeat,
                [this, count](const cmn::VandEvent& event) { EditEventIntValue(event, count); });
}

void ClickToolController::onClickToolClosing()
{
    emit clickToolClosing();
}

} // namespace vand::qt
