#pragma once

// A client of the older sound-effect interface on a thread of its own, as an
// application using it runs: it makes one ambient player at construction,
// starts it when told (Play) and stops every ambient effect when told (Stop).
// Each step answers through a future. The destructor releases the steps not
// taken and joins, so a caller that fails half way still lets it end.

#include <functional>
#include <future>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "sfx/SfxManager.h"

namespace vand::test {

class LegacyClient
{
public:
    // start: how the player is started once Play is called (id < 0: never).
    LegacyClient(const std::string& eventId, std::function<void(vand::audio::SfxManager&, int id)> start)
        : made(madeSignal_.get_future())
        , played(playedSignal_.get_future())
        , stopped(stoppedSignal_.get_future())
    {
        thread_ = std::thread([this, eventId, start = std::move(start), play = playSignal_.get_future(),
                               stop = stopSignal_.get_future()]() mutable {
            std::ostringstream quiet;
            std::streambuf* out = std::cout.rdbuf(quiet.rdbuf());
            vand::audio::SfxManager manager;
            std::cout.rdbuf(out);
            const int id = manager.AddPlayer(vand::audio::sfx::SfxDto::builder()
                                                 .name("Rain")
                                                 .effectId("rain")
                                                 .eventId(eventId)
                                                 .type(vand::audio::SfxType::AMBIENT)
                                                 .build());
            madeSignal_.set_value(id);
            play.wait();
            if (id >= 0)
                start(manager, id);
            playedSignal_.set_value();
            stop.wait();
            manager.StopAmbientEffects();
            manager.WaitForAllToComplete();
            stoppedSignal_.set_value();
        });
    }

    ~LegacyClient()
    {
        Play();
        Stop();
        thread_.join();
    }

    LegacyClient(const LegacyClient&) = delete;
    LegacyClient& operator=(const LegacyClient&) = delete;

    void Play()
    {
        if (!playAsked_)
            playSignal_.set_value();
        playAsked_ = true;
    }
    void Stop()
    {
        if (!stopAsked_)
            stopSignal_.set_value();
        stopAsked_ = true;
    }

private:
    std::promise<int> madeSignal_;
    std::promise<void> playSignal_;
    std::promise<void> playedSignal_;
    std::promise<void> stopSignal_;
    std::promise<void> stoppedSignal_;
    bool playAsked_ = false;
    bool stopAsked_ = false;
    std::thread thread_;

public:
    std::future<int> made;     // the player's id (< 0: not made)
    std::future<void> played;  // Play was carried out
    std::future<void> stopped; // Stop was carried out
};

} // namespace vand::test
