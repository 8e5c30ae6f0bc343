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
//   bench_audio stop [STOPS]          Stop() to silence on the default sink's monitor, beside a bare
//                                     stream's flush (20/5 ms buffer) on the same server
// Songs are synthesised (clicks and chords, Ogg Vorbis at 44.1 kHz, as the demo show's).

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <unistd.h>

#include <pulse/simple.h>

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

std::unique_ptr<vand::Pelorin2AudioInterface> Engine(const Show& show,
                                                     std::shared_ptr<vand::player::OutputClock> clock) {
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
    auto engine =
        std::make_unique<vand::Pelorin2AudioInterface>(folder.string(), dir.path().toStdString(), nullptr, options);
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

// Reads the default sink's monitor in 10 ms fragments.
class Monitor {
 public:
  Monitor() {
    pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, 48000, 2};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.fragsize = 8 * 480;
    stream_ = pa_simple_new(nullptr, "bench_audio", PA_STREAM_RECORD, "@DEFAULT_MONITOR@", "monitor", &spec, nullptr,
                            &attr, nullptr);
  }
  ~Monitor() {
    if (stream_) pa_simple_free(stream_);
  }
  bool Ok() const { return stream_ != nullptr; }
  // The left channel of the next `ms`; afterwards, when that returned and how
  // much had been captured but not yet read then.
  std::vector<float> Take(double ms) {
    std::vector<float> stereo(static_cast<std::size_t>(ms * 48.0) * 2);
    pa_simple_read(stream_, stereo.data(), stereo.size() * sizeof(float), nullptr);
    returned = Clock::now();
    unreadMs = static_cast<double>(pa_simple_get_latency(stream_, nullptr)) / 1000.0;
    std::vector<float> left(stereo.size() / 2);
    for (std::size_t i = 0; i < left.size(); ++i) left[i] = stereo[2 * i];
    return left;
  }
  Clock::time_point returned;
  double unreadMs = 0.0;

 private:
  pa_simple* stream_ = nullptr;
};

// Milliseconds from the start of `left` to where the sound last exceeds a whisper.
double SoundEndMs(const std::vector<float>& left) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (std::abs(left[i]) > 1e-3f) end = i + 1;
  }
  return static_cast<double>(end) / 48.0;
}

// `call` at a moment the monitor knows: from it to the silence heard.
template <class Call>
double CallToSilence(Monitor& monitor, Call call) {
  const double unread = monitor.unreadMs;
  const auto returned = monitor.returned;
  const auto t = Clock::now();
  call();
  const double at = unread + std::chrono::duration<double, std::milli>(t - returned).count();
  return SoundEndMs(monitor.Take(200)) - at;
}

void Report(const char* what, std::vector<double> v) {
  std::sort(v.begin(), v.end());
  std::printf("%-34s median %6.2f ms  min %6.2f  max %6.2f\n", what, v[v.size() / 2], v.front(), v.back());
}

int StopBench(int stops) {
  if (!HaveServer()) return 2;
  Monitor monitor;
  if (!monitor.Ok()) return 1;
  std::vector<double> engineStops, bareFlushes;
  {
    Show show(1, 30);
    auto clock = std::make_shared<vand::player::PulseClock>();
    auto engine = Engine(show, clock);
    if (clock->GetStats().silent) return 1;
    monitor.Take(2500);  // a null sink takes a new stream up within its idle block
    for (int i = 0; i < stops; ++i) {
      engine->Play();
      monitor.Take(400);
      engineStops.push_back(CallToSilence(monitor, [&] { engine->Stop(); }));
      monitor.Take(200);
    }
  }
  {
    // A bare stream playing a tone, written from its own thread.
    pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, 48000, 2};
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = 20 * 48 * 8;
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = 5 * 48 * 8;
    pa_simple* bare =
        pa_simple_new(nullptr, "bench_audio", PA_STREAM_PLAYBACK, nullptr, "bare", &spec, nullptr, &attr, nullptr);
    if (!bare) return 1;
    monitor.Take(2500);
    for (int i = 0; i < stops; ++i) {
      std::atomic<bool> run{true};
      std::thread writer([&] {
        std::vector<float> chunk(240 * 2);
        std::int64_t n = 0;
        while (run.load()) {
          for (std::size_t f = 0; f < 240; ++f, ++n) {
            chunk[2 * f] = chunk[2 * f + 1] =
                0.5f * static_cast<float>(std::sin(2.0 * 3.14159265 * 440.0 * n / 48000.0));
          }
          pa_simple_write(bare, chunk.data(), chunk.size() * sizeof(float), nullptr);
        }
      });
      monitor.Take(400);
      bareFlushes.push_back(CallToSilence(monitor, [&] {
        run.store(false);
        pa_simple_flush(bare, nullptr);
      }));
      writer.join();
      pa_simple_flush(bare, nullptr);
      monitor.Take(200);
    }
    pa_simple_free(bare);
  }
  std::printf("call to silence on the default sink's monitor, %d stops:\n", stops);
  Report("engine Stop()", engineStops);
  Report("bare stream flush", bareFlushes);
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
  if (mode == "stop") return StopBench(static_cast<int>(number(2, 20)));
  std::fprintf(stderr, "usage: bench_audio render|callgrind plain|stretched|cue|underruns|memory|idle|stop [N]\n");
  return 2;
}
