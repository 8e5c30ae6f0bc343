#pragma once

// A fade clock for tests: fade steps without waiting, or, when blocking, one
// step per permit.

#include "sfx/SfxFadeClock.h"

#include <QSemaphore>

#include <atomic>

namespace vand::test {

class SteppedClock : public vand::audio::SfxFadeClock
{
public:
    explicit SteppedClock(bool blocking = false)
        : blocking_(blocking)
    {
    }
    void WaitStep(unsigned int milliseconds) override
    {
        lastStep = int(milliseconds);
        ++waits;
        // A failed test must not leave a fade waiting for ever.
        if (blocking_)
            permits_.tryAcquire(1, 20000);
    }
    void release(int steps) { permits_.release(steps); }

    std::atomic<int> waits{0};
    // The length of the last step waited for, in milliseconds.
    std::atomic<int> lastStep{0};

private:
    bool blocking_;
    QSemaphore permits_;
};

} // namespace vand::test
