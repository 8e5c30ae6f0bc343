#pragma once

// The frames a window swaps, for timing what the user sees: the time each
// frame came (queued from the render thread where there is one), and ways to
// wait for the next ones. GUI thread.

#include <QCoreApplication>
#include <QObject>
#include <QQuickWindow>
#include <functional>
#include <vector>

#include "PatternShow.h"

namespace vand::bench {

class FrameWatch
{
public:
    explicit FrameWatch(QQuickWindow* window)
        : window_(window)
    {
        QObject::connect(window_, &QQuickWindow::frameSwapped, window_, [this] {
            swaps.push_back(NowMs());
            if (onSwap)
                onSwap();
        });
    }

    // One turn of the event loop, deferred deletions included (views that
    // leave are deleted later).
    static void Spin()
    {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Asks for frames until n more have been swapped.
    void WaitFrames(int n)
    {
        const std::size_t target = swaps.size() + static_cast<std::size_t>(n);
        while (swaps.size() < target) {
            window_->update();
            Spin();
        }
    }

    // Milliseconds from before action to the next swapped frame.
    double TimeToNextFrame(const std::function<void()>& action)
    {
        const std::size_t seen = swaps.size();
        const double before = NowMs();
        action();
        window_->update();
        while (swaps.size() == seen)
            Spin();
        return swaps.back() - before;
    }

    std::vector<double> swaps;
    // Runs after each swapped frame is recorded.
    std::function<void()> onSwap;

private:
    QQuickWindow* window_;
};

} // namespace vand::bench
