// Player engine benchmarks (run on demand):
//   1. compiling the plan of a 300-bar song with 200 events;
//   2. LoadSong until its first event arrives, on the real (silent) engine thread;
//   3. the engine thread's cost per second of playback on the silent clock.

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "CL/Events.h"
#include "DemoShow.h"
#include "EngineBench.h"
#include "engine/PlaybackPlan.h"
#include "engine/ShowModel.h"
#include "notify/EventObserver.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

using vand::bench::NullOsc;
using vand::bench::ProcessCpuSeconds;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

vand::player::SongDefinition LongSong(const std::string& number) {
  vand::player::SongDefinition s;
  s.number = number;
  s.name = "Long " + number;
  s.audio = "audio/" + number + ".wav";
  s.startTick = 0;
  s.barCount = 300;
  s.tempos = {{"1", 120.0}, {"101", 132.0}, {"201", 108.0}};
  s.meters = {{"1", 4, 4}, {"151", 3, 4}, {"251", 6, 8}};
  s.keys = {{"1", -3, 0}, {"101", 2, 0}};
  for (unsigned p = 0; p < 30; ++p) s.pages.push_back({p + 1 + (number == "1" ? 0u : 100u), p * 20000u});
  return s;
}

// 200 events spread over the song: every kind, no forbidden overlaps.
CL::ChangeLog BusyLog(const vand::player::SongModel& song, const std::string& number) {
  CL::ChangeLog log;
  log.SetNetworks({CL::NetworkPath("N0", "QLab", "127.0.0.1", 53000)});
  CL::SongLog& s = log.GetOrCreateSongLog(number);
  const auto& bars = song.barStarts;
  int n = 0;
  for (std::size_t b = 0; b + 3 < bars.size() && n < 200; b += 3) {
    const std::string id = std::to_string(b);
    switch ((b / 3) % 10) {
      case 0: s.Add(CL::Vamp(bars[b], bars[b + 1], "V" + id, 2)); break;
      case 1: s.Add(CL::Repeat(bars[b], bars[b + 1], "A" + id, 2)); break;
      case 2: s.Add(CL::Cut(bars[b], bars[b + 1], "B" + id, 0)); break;
      case 3: s.Add(CL::Fermata(bars[b], bars[b + 2], "M" + id, 0)); break;
      case 4: s.Add(CL::TempoScale(bars[b], bars[b + 2], "D" + id, 0.9)); break;
      case 5: s.Add(CL::Transpose(bars[b], bars[b + 2], "C" + id, 2)); break;
      case 6: s.Add(CL::Click(bars[b], bars[b + 1], "L" + id, 4)); break;
      case 7: s.Add(CL::Caesura(bars[b] + 250, "N" + id, 0)); break;
      default: break;
    }
    s.Add(CL::Marker(bars[b + 1] + 100, "m" + id, "E" + id));
    s.Add(CL::Osc(bars[b + 2] + 50, "S" + id, CL::OscProperties("/cue/" + id + "/go", "N0")));
    n += (b / 3) % 10 < 8 ? 3 : 2;
  }
  return log;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QTemporaryDir dir;
  const fs::path show = fs::path(dir.path().toStdString()) / "show";
  const fs::path data = fs::path(dir.path().toStdString()) / "data";
  fs::create_directories(data);
  vand::player::ShowDefinition def;
  def.identifier = "bench";
  def.showName = "Bench";
  def.songs = {LongSong("1"), LongSong("2")};
  vand::demo::AudioStyle style;
  style.format = vand::demo::AudioStyle::Format::Wav;
  style.sampleRate = 8000;
  style.channels = 1;
  style.silent = true;
  vand::demo::WriteShowFolder(show, def, style);
  auto model = vand::player::LoadShowModel(show);
  CL::ChangeLog log = BusyLog(model->songs[0], "1");
  std::printf("song: %zu bars, %zu beats, %zu events\n", model->songs[0].barStarts.size(), model->songs[0].grid.size(),
              log.FindSongLog("1")->EventCount());

  // 1. Plan compilation.
  {
    const int rounds = 500;
    std::vector<double> times;
    for (int i = 0; i < rounds; ++i) {
      auto t0 = Clock::now();
      auto plan = vand::player::CompileSongPlan(model->songs[0], log.FindSongLog("1"));
      times.push_back(Ms(Clock::now() - t0));
      if (plan.actions.empty()) return 1;
    }
    std::sort(times.begin(), times.end());
    std::printf("plan of one song: median %.3f ms, max %.3f ms (%d rounds)\n", times[times.size() / 2], times.back(),
                rounds);
  }

  log.SetShowIdentifier("bench");
  log.SaveToFile(show / CL::ChangeLog::MakeFileName("Bench", log.GetVersion()));

  // 2. LoadSong to the first event, on the real engine thread.
  {
    std::mutex m;
    std::condition_variable cv;
    int loaded = 0;
    struct Ctx {
      std::mutex* m;
      std::condition_variable* cv;
      int* loaded;
    } ctx{&m, &cv, &loaded};
    notify::EventObserver observer;
    observer.SetCallbackFunc(
        [](int, int, const char*, void* c) {
          auto* x = static_cast<Ctx*>(c);
          std::lock_guard lock(*x->m);
          ++*x->loaded;
          x->cv->notify_all();
        },
        &ctx);
    observer.RegisterSongTitle(14);
    vand::Pelorin2AudioInterface engine(show.string(), data.string(), nullptr);
    engine.ThrowIfThreadExceptions();
    {
      std::unique_lock lock(m);
      cv.wait(lock, [&] { return loaded >= 1; });
    }
    std::vector<double> times;
    for (int i = 0; i < 100; ++i) {
      int before = 0;
      {
        std::lock_guard lock(m);
        before = loaded;
      }
      auto t0 = Clock::now();
      engine.LoadSong(i % 2 ? "1" : "2");
      std::unique_lock lock(m);
      cv.wait(lock, [&] { return loaded > before; });
      times.push_back(Ms(Clock::now() - t0));
    }
    std::sort(times.begin(), times.end());
    std::printf("LoadSong to its first event: median %.3f ms, max %.3f ms (100 loads)\n", times[times.size() / 2],
                times.back());
  }

  // 3. Engine cost per second of playback: stepped as fast as it goes, then in real time.
  {
    auto osc = std::make_shared<NullOsc>();
    auto clock = std::make_shared<vand::player::ManualClock>();
    vand::player::EngineOptions options;
    options.clock = clock;
    notify::EventObserver observer;
    observer.SetCallbackFunc([](int, int, const char*, void*) {}, nullptr);
    for (int id = 0; id < notify::kPlayerEventCount; ++id) observer.Register(static_cast<notify::PlayerEvent>(id), id);
    vand::Pelorin2AudioInterface engine(show.string(), data.string(), osc, options);
    engine.DoOscProcessing(true);
    engine.Play();
    const double seconds = 120.0;
    double spent = 0.0;
    double played = 0.0;
    auto t0 = Clock::now();
    while (played < seconds * 1000.0) {
      clock->Advance(1000.0);
      played += 1000.0;
      if (!engine.GetIsPlaying()) engine.Continue();  // past the holds
    }
    spent = Ms(Clock::now() - t0);
    std::printf("stepped: %.0f s of playback in %.1f ms: %.3f ms per second of playback (%ld OSC calls)\n", seconds,
                spent, spent / seconds, osc->calls.load());
  }
  {
    vand::player::EngineOptions options;
    options.clock = std::make_shared<vand::player::NullClock>();
    vand::Pelorin2AudioInterface engine(show.string(), data.string(), nullptr, options);
    engine.ThrowIfThreadExceptions();
    const double idle0 = ProcessCpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    const double idle = ProcessCpuSeconds() - idle0;
    engine.Play();
    const double cpu0 = ProcessCpuSeconds();
    auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double cpu = ProcessCpuSeconds() - cpu0;
    const double wall = Ms(Clock::now() - t0) / 1000.0;
    std::printf("silent clock in real time: %.2f ms CPU per second of playback (idle %.2f ms per second)\n",
                cpu / wall * 1000.0, idle / 2.0 * 1000.0);
  }
  return 0;
}
