// The legacy manager's fade-in, heard (run on demand): the manager on a client
// thread puts the catalogue's rain on as the ambient effect (a 1 s fade-in,
// or --fade MS through Play), the controller serves it from the main thread,
// and the rain's own stream on the sound server's monitor is recorded for
// S seconds from the moment of the request: its level per 100 ms (RMS, full
// scale 1, and in dB below the last second's level) shows how the fade rises.
// Prints the wall time of the request (milliseconds since the epoch) so that
// a recording of the whole sink (parec -d null.monitor) can be aligned with
// it.
//
//   bench_legacy_fade [--fade MS] [--seconds S]
// Needs a sound server: on a desktop its own; elsewhere
//   eval "$(scripts/start-audio build-bench)"; export PULSE_SERVER

#include <QCoreApplication>
#include <QTemporaryDir>

#include "BenchClock.h"
#include "LegacyClient.h"
#include "SfxShow.h"
#include "SinkMonitor.h"
#include "sfx/SfxManager.h"
#include "sfx/SfxPlayerControllerImpl.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <set>
#include <string>

namespace {

using vand::audio::SfxManager;
using vand::audio::SfxPlayerControllerImpl;
using vand::bench::runFor;

constexpr int kWindowFrames = 4410; // 100 ms at 44.1 kHz

template <class T>
bool ready(std::future<T>& f)
{
    return f.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int fadeMs = 0; // 0: SetAmbient, which fades in over 1 s
    int seconds = 3;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--fade") == 0)
            fadeMs = std::atoi(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atoi(argv[i + 1]);
    }

    QTemporaryDir dir;
    vand::test::InstallDemoCatalogue(dir);
    vand::test::SfxShow show;
    SfxPlayerControllerImpl* controller = show.Controller();
    bool loaded = false;
    QObject::connect(controller, &SfxPlayerControllerImpl::sfxIsReady, [&loaded] { loaded = true; });

    vand::test::LegacyClient client("sfx.rain", [fadeMs](SfxManager& manager, int id) {
        if (fadeMs > 0)
            manager.Play(id, fadeMs);
        else
            manager.SetAmbient(id);
    });
    runFor(20000, [&] { return ready(client.made); });
    const int id = client.made.get();
    runFor(10000, [&] { return loaded; });
    if (id < 0 || !loaded) {
        std::fprintf(stderr, "The catalogue's rain could not be made or loaded.\n");
        return 1;
    }
    const std::set<int> before = vand::test::OurSinkInputs();
    const auto asked = std::chrono::system_clock::now();
    client.Play();
    runFor(10000, [&] { return ready(client.played); });
    // The sink input appears once the run has set itself up; what it played
    // before the recording starts is lost, so the trace starts there.
    int input = -1;
    auto found = std::async(std::launch::async, [&before] { return vand::test::NewSinkInput(before); });
    runFor(10000, [&] { return ready(found); });
    input = found.get();
    const auto listening = std::chrono::system_clock::now();
    auto heard = std::async(std::launch::async, [input, seconds] {
        return vand::test::ListenInWindows(input, seconds * 10, kWindowFrames);
    });
    runFor((seconds + 10) * 1000, [&] { return ready(heard); });
    const std::vector<vand::test::Loudness> trace = heard.get();
    client.Stop();
    runFor(10000, [&] { return ready(client.stopped); });

    const auto msSince = [](auto from, auto to) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(to - from).count();
    };
    std::printf("request at %lld ms since the epoch; %s of %d ms\n",
                static_cast<long long>(msSince(std::chrono::system_clock::time_point(), asked)),
                fadeMs > 0 ? "Play with a fade-in" : "SetAmbient, a fade-in", fadeMs > 0 ? fadeMs : 1000);
    std::printf("sink input %d; recording from %lld ms after the request\n", input,
                static_cast<long long>(msSince(asked, listening)));
    double full = 0.0;
    const std::size_t last = std::min<std::size_t>(10, trace.size());
    for (std::size_t i = trace.size() - last; i < trace.size(); ++i)
        full += (trace[i].first + trace[i].second) / 2.0 / double(last);
    std::printf("window (ms from recording start)  RMS      dB below the last second\n");
    for (std::size_t i = 0; i < trace.size(); ++i) {
        const double level = (trace[i].first + trace[i].second) / 2.0;
        const double db = level > 0.0 && full > 0.0 ? 20.0 * std::log10(level / full) : -120.0;
        std::printf("%5zu-%5zu                         %.4f   %6.1f\n", i * 100, (i + 1) * 100, level, db);
    }
    return 0;
}
