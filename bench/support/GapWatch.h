#pragma once

// The longest gap between the ticks of a 1 ms timer on the calling thread
// (the GUI thread): how long its event loop was held at most while the
// watch ran. The thread must turn its event loop meanwhile.

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>

namespace vand::bench {

class GapWatch
{
public:
    GapWatch()
    {
        ticker_.setTimerType(Qt::PreciseTimer);
        ticker_.setInterval(1);
        QObject::connect(&ticker_, &QTimer::timeout, [this] {
            longestUs_ = std::max(longestUs_, sinceTick_.nsecsElapsed() / 1000);
            sinceTick_.restart();
        });
    }

    void Start()
    {
        longestUs_ = 0;
        sinceTick_.start();
        ticker_.start();
    }
    // The time since the last tick counts too: a loop held to the end has
    // not ticked at all.
    void Stop()
    {
        ticker_.stop();
        longestUs_ = std::max(longestUs_, sinceTick_.nsecsElapsed() / 1000);
    }
    double LongestMs() const { return longestUs_ / 1000.0; }

private:
    QTimer ticker_;
    QElapsedTimer sinceTick_;
    qint64 longestUs_ = 0;
};

} // namespace vand::bench
