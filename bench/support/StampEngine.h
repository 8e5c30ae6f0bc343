#pragma once

// The product's engine on a manual clock whose Stop only stamps the time and
// counts, and whose Play does nothing: for timing the road of a command to
// the engine. The stamps are process-wide, for a benchmark's one engine.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "app/PelorinPlayerFactory.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace vand::bench {

// Nanoseconds on the steady clock.
inline std::int64_t NowNs()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The last Stop's time (NowNs) and how many there were.
inline std::atomic<std::int64_t> g_lastStop{0};
inline std::atomic<int> g_stops{0};

class StampEngine : public vand::Pelorin2AudioInterface
{
public:
    StampEngine(const std::string& show, const std::string& data, std::shared_ptr<vand::PlayerOscCallback> osc)
        : vand::Pelorin2AudioInterface(show, data, std::move(osc), Options())
    {
    }
    void Stop() override
    {
        g_lastStop.store(NowNs());
        g_stops.fetch_add(1);
    }
    void Play() override {}

private:
    static vand::player::EngineOptions Options()
    {
        vand::player::EngineOptions options;
        options.clock = std::make_shared<vand::player::ManualClock>();
        return options;
    }
};

class StampFactory : public vand::qt::PelorinPlayerFactory
{
public:
    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString& showFolder,
                                                         std::shared_ptr<vand::PlayerOscCallback> osc) override
    {
        auto engine = std::make_unique<StampEngine>(showFolder.toStdString(), DataFolderPath().toStdString(), osc);
        engine->ThrowIfThreadExceptions();
        return engine;
    }
};

} // namespace vand::bench
