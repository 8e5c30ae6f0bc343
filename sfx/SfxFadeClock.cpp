#include "sfx/SfxFadeClock.h"

#include <QThread>

namespace vand::audio {

namespace {

class SleepingFadeClock : public SfxFadeClock
{
public:
    void WaitStep(unsigned int milliseconds) override { QThread::msleep(milliseconds); }
};

} // namespace

SfxFadeClock::~SfxFadeClock() = default;

std::shared_ptr<SfxFadeClock> SfxFadeClock::Sleeping()
{
    return std::make_shared<SleepingFadeClock>();
}

} // namespace vand::audio
