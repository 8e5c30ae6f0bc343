#include "timeline/TimelineStartEndSelectorController.h"

#include <iostream>

namespace vand::qt {

TimelineStartEndSelectorController::TimelineStartEndSelectorController(QObject* selector, QQmlEngine* engine,
                                                                       std::vector<std::string> barLabels)
    : QmlController(selector, engine)
    , barLabels_(std::move(barLabels))
{
    if (!selector)
        return;
    connect(selector, SIGNAL(changedStartBarIndex(int)), this, SLOT(OnChangeStartBar_(int)));
    connect(selector, SIGNAL(changedEndBarIndex(int)), this, SLOT(OnChangeEndBar_(int)));
}

void TimelineStartEndSelectorController::OnChangeStartBar_(int index)
{
    if (index < 0 || std::size_t(index) >= barLabels_.size())
        return;
    startBar_ = barLabels_[std::size_t(index)];
}

void TimelineStartEndSelectorController::OnChangeEndBar_(int index)
{
    // The text of this line is the component's own; it goes to standard output.
    std::cout << "index: " << index << std::endl;
}

} // namespace vand::qt
