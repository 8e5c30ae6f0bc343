// How the engine's cost grows with the change log (run on demand):
//   bench_events [SECONDS]             for 150, 10 000 and 100 000 events in the song's log (markers,
//                                      OSC events and caesuras): start-up time and resident memory,
//                                      engine cost per second of playback, CPU while held at a caesura;
//                                      each size runs in a process of its own
//   bench_events one FOLDER [SECONDS]  the figures of one show folder written by `write`
//   bench_events write N FOLDER        writes a show whose first song's log holds N events
// Playback is stepped on the manual clock (the engine thread's work only, OSC sending on). Held at a
// caesura, the engine runs on the silent clock, which runs a block every 10 ms whatever the state,
// and on the sound server's clock when PULSE_SERVER is set (scripts/start-audio).

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QTemporaryDir>

#include "CL/ChangeLog.h"
#include "CL/Events.h"
#include "DemoShow.h"
#include "EngineBench.h"
#include "engine/ShowModel.h"
#include "notify/EventObserver.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin/PulseClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

using vand::bench::NullOsc;
using vand::bench::ProcessCpuSeconds;
using vand::bench::ResidentMiB;
using vand::bench::ThreadCpuSeconds;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

vand::player::SongDefinition Song(const std::string& number, int bars) {
  vand::player::SongDefinition s;
  s.number = number;
  s.name = "Song " + number;
  s.audio = "audio/" + number + ".wav";
  s.startTick = 0;
  s.barCount = bars;
  s.tempos = {{"1", 120.0}, {"21", 132.0}, {"201", 108.0}};
  s.meters = {{"1", 4, 4}, {"11", 3, 4}, {"251", 6, 8}};
  s.keys = {{"1", -3, 0}, {"21", 2, 0}};
  if (bars < 251) {
    s.tempos.pop_back();
    s.meters.pop_back();
  }
  const unsigned first = number == "1" ? 1u : 1001u;
  for (unsigned p = 0; p < 100; ++p) s.pages.push_back({first + p, p * 6000u});
  return s;
}

// `events` events spread evenly over the first song: one caesura in every
// hundred, the others markers and OSC events in turn.
void WriteShow(std::size_t events, const fs::path& folder) {
  vand::player::ShowDefinition def;
  def.identifier = "bench";
  def.showName = "Bench";
  def.songs = {Song("1", 300), Song("2", 30)};
  vand::demo::AudioStyle style;
  style.format = vand::demo::AudioStyle::Format::Wav;
  style.sampleRate = 8000;
  style.channels = 1;
  style.silent = true;
  vand::demo::WriteShowFolder(folder, def, style);
  const auto model = vand::player::LoadShowModel(folder);
  const vand::player::SongModel& song = model->songs[0];

  CL::ChangeLog log;
  log.SetVersion(cmn::VANDVersion(1, 0));
  log.SetShowIdentifier("bench");
  log.SetNetworks({CL::NetworkPath("N0", "QLab", "127.0.0.1", 53000)});
  CL::SongLog& s = log.GetOrCreateSongLog(song.number);
  const double span = static_cast<double>(song.length - song.startTick);
  for (std::size_t i = 0; i < events; ++i) {
    const auto tick = static_cast<UInt32>(song.startTick + (static_cast<double>(i) + 0.5) * span / events);
    const std::string n = std::to_string(i);
    if (i % 100 == 50) {
      s.Add(CL::Caesura(tick, "N" + n, 0));
    } else if (i % 2 == 0) {
      s.Add(CL::Marker(tick, "m" + n, "E" + n));
    } else {
      s.Add(CL::Osc(tick, "S" + n, CL::OscProperties("/cue/" + n + "/go", "N0")));
    }
  }
  log.SaveToFile(folder / CL::ChangeLog::MakeFileName("Bench", log.GetVersion()));
}

// Receives every player event, as the application does.
struct Listener {
  Listener() {
    observer.SetCallbackFunc([](int, int, const char*, void* self) { ++static_cast<Listener*>(self)->events; }, this);
    for (int id = 0; id < notify::kPlayerEventCount; ++id) observer.Register(static_cast<notify::PlayerEvent>(id), id);
  }
  std::atomic<long> events{0};
  notify::EventObserver observer;
};

std::unique_ptr<vand::Pelorin2AudioInterface> Engine(const fs::path& folder, const fs::path& data,
                                                     std::shared_ptr<vand::player::OutputClock> clock,
                                                     std::shared_ptr<NullOsc> osc) {
  vand::player::EngineOptions options;
  options.clock = std::move(clock);
  auto engine = std::make_unique<vand::Pelorin2AudioInterface>(folder.string(), data.string(), osc, options);
  engine->ThrowIfThreadExceptions();
  engine->DoOscProcessing(true);
  return engine;
}

// CPU of the process per second while the engine holds at a caesura in the middle of the song.
double HeldCpuMsPerSecond(const fs::path& folder, const fs::path& data,
                          std::shared_ptr<vand::player::OutputClock> clock) {
  auto engine = Engine(folder, data, std::move(clock), std::make_shared<NullOsc>());
  UInt32 caesura = 0;
  {
    const CL::SongLog* log = engine->GetSongLog();
    const auto& all = log->GetDisplayCaesurasRef();
    if (all.empty()) return -1.0;
    caesura = all[all.size() / 2].start();
  }
  engine->Seek(caesura > 300 ? caesura - 300 : 0);
  engine->Play();
  const auto until = Clock::now() + 10s;
  while (!engine->GetIsPaused() && Clock::now() < until) std::this_thread::sleep_for(5ms);
  if (!engine->GetIsPaused()) return -1.0;
  engine->WaitUntilSettled(120s);  // the songs are decoded, off the measure
  std::this_thread::sleep_for(500ms);
  const double cpu0 = ProcessCpuSeconds();
  const auto t0 = Clock::now();
  std::this_thread::sleep_for(3s);
  const double cpu = ProcessCpuSeconds() - cpu0;
  return cpu / (Ms(Clock::now() - t0) / 1000.0) * 1000.0;
}

int One(const fs::path& folder, double seconds) {
  QTemporaryDir dataDir;
  const fs::path data = dataDir.path().toStdString();
  std::size_t events = 0;

  // Start-up and memory, on the silent clock.
  {
    const double before = ResidentMiB();
    const auto t0 = Clock::now();
    auto engine = Engine(folder, data, std::make_shared<vand::player::NullClock>(), std::make_shared<NullOsc>());
    const double startMs = Ms(Clock::now() - t0);
    events = engine->GetSongLog()->EventCount();
    std::printf("%6zu events: start-up %8.1f ms, resident %6.1f MiB (%.1f MiB before the engine)\n", events, startMs,
                ResidentMiB(), before);
  }

  // Engine cost per second of playback, stepped on this thread; past the
  // holds. Then the same without anyone listening and with OSC off: what is
  // left is the blocks' own work, without handing out what they raised.
  for (bool delivered : {true, false}) {
    auto clock = std::make_shared<vand::player::ManualClock>();
    auto osc = std::make_shared<NullOsc>();
    auto engine = Engine(folder, data, clock, osc);
    std::unique_ptr<Listener> listener;
    if (delivered) {
      listener = std::make_unique<Listener>();
    } else {
      engine->DoOscProcessing(false);
    }
    engine->Play();
    const double cpu0 = ThreadCpuSeconds();
    for (double played = 0.0; played < seconds * 1000.0; played += 100.0) {
      clock->Advance(100.0);
      if (!engine->GetIsPlaying()) engine->Continue();
    }
    const double cpu = ThreadCpuSeconds() - cpu0;
    if (delivered) {
      std::printf("%6zu events: playback %.3f ms of CPU per second (%.0f s, %ld player events, %ld OSC sends)\n",
                  events, cpu / seconds * 1000.0, seconds, listener->events.load(), osc->calls.load());
    } else {
      std::printf("%6zu events: playback, nothing listening, OSC off: %.3f ms of CPU per second\n", events,
                  cpu / seconds * 1000.0);
    }
  }

  const double silent = HeldCpuMsPerSecond(folder, data, std::make_shared<vand::player::NullClock>());
  std::printf("%6zu events: held at a caesura on the silent clock: %.3f ms of CPU per second\n", events, silent);
  if (std::getenv("PULSE_SERVER")) {
    const double sound = HeldCpuMsPerSecond(folder, data, std::make_shared<vand::player::PulseClock>());
    std::printf("%6zu events: held at a caesura on the sound server: %.3f ms of CPU per second\n", events, sound);
  }
  return 0;
}

int All(const char* self, double seconds) {
  QTemporaryDir dir;
  for (std::size_t n : {std::size_t{150}, std::size_t{10000}, std::size_t{100000}}) {
    const fs::path folder = fs::path(dir.path().toStdString()) / std::to_string(n);
    WriteShow(n, folder);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
      const std::string path = folder.string(), time = std::to_string(seconds);
      execl(self, self, "one", path.c_str(), time.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "the run with %zu events failed\n", n);
      return 1;
    }
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "one" && argc > 2) return One(argv[2], argc > 3 ? std::atof(argv[3]) : 60.0);
  if (mode == "write" && argc > 3) {
    WriteShow(static_cast<std::size_t>(std::atol(argv[2])), argv[3]);
    return 0;
  }
  if (mode.empty() || std::atof(mode.c_str()) > 0.0) {
    return All("/proc/self/exe", mode.empty() ? 60.0 : std::atof(mode.c_str()));
  }
  std::fprintf(stderr, "usage: bench_events [SECONDS] | one FOLDER [SECONDS] | write N FOLDER\n");
  return 2;
}
