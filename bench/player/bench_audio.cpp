// Sound benchmarks of the player engine (run on demand):
//   bench_audio render [SECONDS]      engine cost per second of 48 kHz stereo, plain and in a tempo-scale
//                                     region (control ticks and rendering, on the manual sound clock)
//   bench_audio callgrind plain|stretched SECONDS
//                                     the same for one case, to run under callgrind (see callgrind-render)
//   bench_audio cue [STARTS]          Play() to the first sound frame handed to the stream, plus the
//                                     stream's latency while playing (needs PULSE_SERVER: scripts/start-audio)
//   bench_audio underruns [SECONDS [TARGET_MS REQUEST_MS]]
//                                     play that long on the sound server (buffer 20/5 ms); underruns counted
//   bench_audio memory                resident size with the demo show, and while playing through a
//                                     show of 12 songs
//   bench_audio idle [SECONDS]        CPU of a stopped engine on the sound server
// Songs are synthesised (clicks and chords, Ogg Vorbis at 44.1 kHz, as the demo show's).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include "CL/ChangeLog.h"
#include "CL/Events.h"
#include "DemoShow.h"
#include "EngineBench.h"
#include "vand_pelorin/ManualAudioClock.h"
#include "vand_pelorin/PulseClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

using vand::bench::ProcessCpuSeconds;
using vand::bench::ResidentMiB;
using vand::bench::ThreadCpuSeconds;

vand::player::SongDefinition Song(const std::string& number, int bars) {
  vand::player::SongDefinition s;
  s.number = number;
  s.name = "Song " + number;
  s.audio = "audio/" + number + ".ogg";
  s.startTick = 0;
  s.barCount = bars;
  s.tempos = {{"1", 120.0}};
  s.meters = {{"1", 4, 4}};
  s.keys = {{"1", -3, 0}};
  return s;
}

// A show of `songs` songs of `bars` bars (2 s a bar), with a tempo-scale
// region of 0.9 over the whole of song 2 when there is one.
struct Show {
  QTemporaryDir dir;
  fs::path folder, data;
  // `wav`: 48 kHz WAV files (quick to write, for runs under callgrind).
  Show(int songs, int bars, bool wav = false) {
    folder = fs::path(dir.path().toStdString()) / "show";
    data = fs::path(dir.path().toStdString()) / "data";
    fs::create_directories(data);
    vand::player::ShowDefinition def;
    def.identifier = "bench";
    def.showName = "Bench";
    for (int i = 1; i <= songs; ++i) def.songs.push_back(Song(std::to_string(i), bars));
    vand::demo::AudioStyle style;  // Ogg Vorbis, 44.1 kHz, stereo, music
    if (wav) {
      style.format = vand::demo::AudioStyle::Format::Wav;
      style.sampleRate = 48000;
    }
    vand::demo::WriteShowFolder(folder, def, style);
    CL::ChangeLog log;
    log.SetVersion(cmn::VANDVersion(1, 0));
    log.SetShowIdentifier("bench");
    if (songs >= 2) log.GetOrCreateSongLog("2").Add(CL::TempoScale(0, static_cast<UInt32>(bars) * 2000, "D1", 0.9));
    log.SaveToFile(folder / CL::ChangeLog::MakeFileName("Bench", log.GetVersion()));
  }
};

std::unique_ptr<vand::Pelorin2AudioInterface> Engine(const Show& show, std::shared_ptr<vand::player::OutputClock> clock) {
  vand::player::EngineOptions options;
  options.clock = std::move(clock);
  auto engine =
      std::make_unique<vand::Pelorin2AudioInterface>(show.folder.string(), show.data.string(), nullptr, options);
  engine->ThrowIfThreadExceptions();
  if (!engine->WaitUntilSettled(60s)) std::fprintf(stderr, "decoding did not finish\n");
  return engine;
}

// CPU seconds of the calling thread to run and render `seconds` of song `song`.
double RenderCost(const Show& show, const std::string& song, double seconds) {
  auto clock = std::make_shared<vand::player::ManualAudioClock>();
  auto engine = Engine(show, clock);
  engine->LoadSong(song);
  clock->Pump();
  engine->WaitUntilSettled(60s);
  engine->Play();
  const double cpu0 = ThreadCpuSeconds();
  double energy = 0.0;
  for (double done = 0.0; done < seconds; done += 1.0) {
    for (float x : clock->Render(1000.0)) energy += double(x) * x;
  }
  const double cpu = ThreadCpuSeconds() - cpu0;
  if (!(energy > 0.0)) std::fprintf(stderr, "song %s rendered silence\n", song.c_str());
  return cpu;
}

int RenderBench(double seconds) {
  Show show(2, 100);  // 200 s songs
  for (const char* song : {"1", "2"}) {
    const double cpu = RenderCost(show, song, seconds);
    std::printf("%s: %.0f s of 48 kHz stereo in %.3f s of CPU: %.2f %% of a core\n",
                std::string(song) == "1" ? "plain    " : "stretched", seconds, cpu, cpu / seconds * 100.0);
  }
  return 0;
}

int CallgrindBench(const std::string& which, double seconds) {
  Show show(2, static_cast<int>(seconds / 2.0) + 3, true);
  const double cpu = RenderCost(show, which == "stretched" ? "2" : "1", seconds);
  std::printf("%s: %.0f s rendered (%.3f s of CPU)\n", which.c_str(), seconds, cpu);
  return 0;
}

bool HaveServer() {
  if (std::getenv("PULSE_SERVER")) return true;
  std::fprintf(stderr, "PULSE_SERVER is not set: start a private server with scripts/start-audio\n");
  return false;
}

int CueBench(int starts) {
  if (!HaveServer()) return 2;
  Show show(1, 30);
  auto clock = std::make_shared<vand::player::PulseClock>();
  auto engine = Engine(show, clock);
  if (clock->GetStats().silent) return 1;
  std::this_thread::sleep_for(2500ms);  // a null sink takes a new stream up within its idle block
  std::vector<double> total, toWrite, latency;
  for (int i = 0; i < starts; ++i) {
    const auto before = clock->GetStats().soundStart;
    const auto t0 = Clock::now();
    engine->Play();
    while (clock->GetStats().soundStart == before) std::this_thread::sleep_for(100us);
    const double written = std::chrono::duration<double, std::milli>(clock->GetStats().soundStart - t0).count();
    std::this_thread::sleep_for(300ms);
    const double streamLatency = clock->GetStats().latencyMs;  // while playing
    toWrite.push_back(written);
    latency.push_back(streamLatency);
    total.push_back(written + streamLatency);
    engine->Stop();
    std::this_thread::sleep_for(400ms);  // the stream pauses once the stop is heard
  }
  auto report = [&](const char* what, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    std::printf("%-34s median %6.2f ms  min %6.2f  max %6.2f  spread %5.2f ms\n", what, v[v.size() / 2], v.front(),
                v.back(), v.back() - v.front());
  };
  std::printf("cue latency over %d starts (stream target 20 ms):\n", starts);
  report("Play() to first sound written", toWrite);
  report("stream latency (playing)", latency);
  report("total", total);
  return 0;
}

int UnderrunBench(double seconds, double targetMs, double requestMs) {
  if (!HaveServer()) return 2;
  const int bars = static_cast<int>(seconds / 2.0) + 5;
  Show show(1, bars);
  vand::player::PulseClock::Settings settings;
  settings.targetMs = targetMs;
  settings.requestMs = requestMs;
  auto clock = std::make_shared<vand::player::PulseClock>(settings);
  auto engine = Engine(show, clock);
  std::this_thread::sleep_for(2500ms);
  const auto before = clock->GetStats();
  engine->Play();
  const double cpu0 = ProcessCpuSeconds();
  const auto t0 = Clock::now();
  for (int s = 1; s <= static_cast<int>(seconds); ++s) {
    std::this_thread::sleep_until(t0 + std::chrono::seconds(s));
    const auto now = clock->GetStats();
    if (now.underruns != before.underruns || s % 10 == 0) {
      std::printf("  %3d s: %6.2f s written, tick %6u, %llu underruns\n", s,
                  static_cast<double>(now.framesWritten - before.framesWritten) / 48000.0, engine->GetTickIndex(),
                  static_cast<unsigned long long>(now.underruns - before.underruns));
    }
  }
  const double cpu = ProcessCpuSeconds() - cpu0;
  const auto after = clock->GetStats();
  std::printf("%.0f s of playback: %llu underruns, silent fallback: %s, tick %u, %.2f %% of a core\n", seconds,
              static_cast<unsigned long long>(after.underruns - before.underruns), after.silent ? "yes" : "no",
              engine->GetTickIndex(), cpu / seconds * 100.0);
  return 0;
}

int MemoryBench() {
  {
    QTemporaryDir dir;
    const fs::path folder = fs::path(dir.path().toStdString()) / "demo";
    vand::demo::WriteDemoShow(folder);
    const double before = ResidentMiB();
    auto clock = std::make_shared<vand::player::ManualAudioClock>();
    vand::player::EngineOptions options;
    options.clock = clock;
    auto engine = std::make_unique<vand::Pelorin2AudioInterface>(folder.string(), dir.path().toStdString(), nullptr,
                                                                 options);
    engine->WaitUntilSettled(60s);
    std::printf("demo show loaded (first two songs decoded): %.1f MiB resident (%.1f MiB before)\n", ResidentMiB(),
                before);
  }
  Show show(12, 60);  // 12 songs of 2 minutes
  auto clock = std::make_shared<vand::player::ManualAudioClock>();
  auto engine = Engine(show, clock);
  std::printf("12-song show loaded: %.1f MiB resident\n", ResidentMiB());
  for (int i = 1; i <= 12; ++i) {
    engine->LoadSong(std::to_string(i));
    clock->Pump();
    engine->WaitUntilSettled(60s);
    engine->Play();
    clock->Render(2000.0);
    std::printf("  song %2d playing: %.1f MiB resident, %zu songs held\n", i, ResidentMiB(), engine->SongsHeld());
  }
  return 0;
}

int IdleBench(double seconds) {
  if (!HaveServer()) return 2;
  Show show(1, 10);
  auto clock = std::make_shared<vand::player::PulseClock>();
  auto engine = Engine(show, clock);
  std::this_thread::sleep_for(2500ms);
  engine->Play();
  std::this_thread::sleep_for(1s);
  engine->Stop();
  std::this_thread::sleep_for(500ms);
  const double cpu0 = ProcessCpuSeconds();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  const double cpu = ProcessCpuSeconds() - cpu0;
  std::printf("stopped for %.0f s: %.4f s of CPU, %.3f %% of a core\n", seconds, cpu, cpu / seconds * 100.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const std::string mode = argc > 1 ? argv[1] : "";
  auto number = [&](int i, double fallback) { return argc > i ? std::atof(argv[i]) : fallback; };
  if (mode == "render") return RenderBench(number(2, 60.0));
  if (mode == "callgrind" && argc > 2) return CallgrindBench(argv[2], number(3, 10.0));
  if (mode == "cue") return CueBench(static_cast<int>(number(2, 20)));
  if (mode == "underruns") return UnderrunBench(number(2, 60.0), number(3, 20.0), number(4, 5.0));
  if (mode == "memory") return MemoryBench();
  if (mode == "idle") return IdleBench(number(2, 10.0));
  std::fprintf(stderr, "usage: bench_audio render|callgrind plain|stretched|cue|underruns|memory|idle [N]\n");
  return 2;
}
