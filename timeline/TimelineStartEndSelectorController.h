#pragma once

// The controller side of the In/Out selector component
// (TimeLineStartEndSelector.qml): slots for its bar changes. The component
// library offers it; the application makes none.
//
// Threads: GUI thread.

#include <string>
#include <vector>

#include "ui/QmlController.h"

namespace vand::qt {

class TimelineStartEndSelectorController : public QmlController
{
    Q_OBJECT
public:
    // Wraps a selector item (not owned) and follows its bar changes.
    TimelineStartEndSelectorController(QObject* selector, QQmlEngine* engine, std::vector<std::string> barLabels);

    // The bar label the In Bar selector last chose; empty before.
    const std::string& GetStartBar() const { return startBar_; }

public slots:
    // An index outside the list is ignored.
    void OnChangeStartBar_(int index);
    void OnChangeEndBar_(int index);

private:
    std::vector<std::string> barLabels_;
    std::string startBar_;
};

} // namespace vand::qt
