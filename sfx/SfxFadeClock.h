#pragma once

// The wait between two steps of a fade: the players' and the legacy
// manager's fades sleep through it. Tests put a fake here to step fades by
// hand.
//
// Threads: WaitStep is called on the fading thread; a clock may be shared by
// several fades at once.

#include "sfx/SfxExport.h"

#include <memory>

namespace vand::audio {

class SFX_EXPORT SfxFadeClock
{
public:
    virtual ~SfxFadeClock();
    // Blocks the fade's thread for one step of `milliseconds`.
    virtual void WaitStep(unsigned int milliseconds) = 0;

    // A clock that sleeps for each step.
    static std::shared_ptr<SfxFadeClock> Sleeping();
};

} // namespace vand::audio
