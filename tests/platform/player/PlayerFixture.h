#pragma once

// Fixtures for the engine tests: a show folder written into a temporary
// directory, an engine on a manual clock, and recorders for its events and
// OSC requests. The manual clock runs the engine's blocks on the test thread,
// so everything the engine raises arrives synchronously while the test
// advances the clock.

#include <chrono>
#include <filesystem>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <QString>
#include <QTemporaryDir>
#include <QTest>

#include "CL/ChangeLog.h"
#include "CL/Events.h"
#include "DemoShow.h"
#include "engine/ShowFile.h"
#include "kit/Log.h"
#include "notify/EventObserver.h"
#include "vand_pelorin/ManualAudioClock.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"
#include "vand_player_core/PlayerOscCallback.h"

namespace player_test {

namespace fs = std::filesystem;
using notify::PlayerEvent;

// Time given to what runs on other threads (engine threads, the sound server).
inline constexpr auto kPatience = std::chrono::seconds(20);

// Waits until `pred` holds (checking as fast as it can); false after kPatience.
template <class Pred>
bool WaitFor(Pred pred) {
  const auto until = std::chrono::steady_clock::now() + kPatience;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::yield();
  }
  return true;
}

struct Event {
  PlayerEvent event = PlayerEvent::PlaybackStarted;
  int value = 0;
  std::string text;
  bool operator==(const Event&) const = default;
};

// For failure messages only.
inline const char* Name(PlayerEvent event) {
  static constexpr const char* kNames[] = {"PlaybackStarted",
                                           "PlaybackStopped",
                                           "PlaybackPaused",
                                           "PlaybackFading",
                                           "StatusFlowControl",
                                           "Key",
                                           "Tempo",
                                           "Meter",
                                           "Transposition",
                                           "TempoScale",
                                           "BarBeat",
                                           "Marker",
                                           "PageNum",
                                           "Playhead",
                                           "SongTitle",
                                           "SongLoaded",
                                           "LearnedMIDICommand",
                                           "MIDICommandCanceled",
                                           "MidiNotification",
                                           "VampOn",
                                           "VampOff",
                                           "StatusVolume"};
  static_assert(std::size(kNames) == notify::kPlayerEventCount);
  const auto i = static_cast<std::size_t>(event);
  return i < std::size(kNames) ? kNames[i] : "?";
}

inline char* toString(const PlayerEvent& e) { return QTest::toString(Name(e)); }

inline char* toString(const Event& e) {
  return QTest::toString(
      QString("(%1, %2, \"%3\")").arg(Name(e.event)).arg(e.value).arg(QString::fromStdString(e.text)));
}

// Every player event, registered under its own number.
class EventRecorder {
 public:
  EventRecorder() {
    observer_.SetCallbackFunc(&EventRecorder::OnEvent, this);
    for (int id = 0; id < notify::kPlayerEventCount; ++id) observer_.Register(static_cast<PlayerEvent>(id), id);
  }

  std::vector<Event> Take() {
    std::lock_guard lock(mutex_);
    std::vector<Event> out;
    out.swap(events_);
    return out;
  }
  void Clear() { Take(); }
  std::vector<Event> Snapshot() const {
    std::lock_guard lock(mutex_);
    return events_;
  }

  static std::vector<PlayerEvent> Kinds(const std::vector<Event>& events) {
    std::vector<PlayerEvent> kinds;
    for (const auto& e : events) kinds.push_back(e.event);
    return kinds;
  }
  static std::vector<Event> Of(const std::vector<Event>& events, PlayerEvent kind) {
    std::vector<Event> out;
    for (const auto& e : events) {
      if (e.event == kind) out.push_back(e);
    }
    return out;
  }
  static std::vector<int> Values(const std::vector<Event>& events, PlayerEvent kind) {
    std::vector<int> out;
    for (const auto& e : Of(events, kind)) out.push_back(e.value);
    return out;
  }
  static std::vector<std::string> Texts(const std::vector<Event>& events, PlayerEvent kind) {
    std::vector<std::string> out;
    for (const auto& e : Of(events, kind)) out.push_back(e.text);
    return out;
  }

 private:
  static void OnEvent(int id, int value, const char* text, void* context) {
    auto* self = static_cast<EventRecorder*>(context);
    std::lock_guard lock(self->mutex_);
    self->events_.push_back({static_cast<PlayerEvent>(id), value, text ? text : ""});
  }

  mutable std::mutex mutex_;
  std::vector<Event> events_;
  notify::EventObserver observer_;
};

// The lines logged while it lives, instead of standard error.
class LogCapture {
 public:
  LogCapture() {
    kit::SetLogSink([this](kit::LogLevel, std::string_view, std::string_view text) {
      std::lock_guard lock(mutex_);
      lines_.emplace_back(text);
    });
  }
  ~LogCapture() { kit::SetLogSink({}); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;

  // The lines so far; the engine's threads may still be logging.
  std::vector<std::string> Lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

struct OscCall {
  bool execute = true;
  std::string id;
  UInt32 tick = 0;
  unsigned delayMs = 0;
  bool operator==(const OscCall&) const = default;
};

inline char* toString(const OscCall& c) {
  return QTest::toString(QString("(%1 %2 @%3 +%4)")
                             .arg(c.execute ? "execute" : "enqueue")
                             .arg(QString::fromStdString(c.id))
                             .arg(c.tick)
                             .arg(c.delayMs));
}

class RecordingOsc final : public vand::PlayerOscCallback {
 public:
  void ExecuteEvent(const CL::Osc& osc, unsigned delayMs) override { Add({true, osc.EventId(), osc.start(), delayMs}); }
  void EnqueueEvent(const CL::Osc& osc, unsigned delayMs) override {
    Add({false, osc.EventId(), osc.start(), delayMs});
  }
  void SetDefaultPort(std::uint16_t port) override { defaultPort = port; }

  std::vector<OscCall> Take() {
    std::lock_guard lock(mutex_);
    std::vector<OscCall> out;
    out.swap(calls_);
    return out;
  }

  std::uint16_t defaultPort = 0;

 private:
  void Add(OscCall c) {
    std::lock_guard lock(mutex_);
    calls_.push_back(std::move(c));
  }
  std::mutex mutex_;
  std::vector<OscCall> calls_;
};

// A change log (version 1.0) holding `events` in `song`.
inline CL::ChangeLog LogFor(const std::string& song, std::vector<std::unique_ptr<cmn::VandEvent>> events) {
  CL::ChangeLog log;
  log.SetVersion(cmn::VANDVersion(1, 0));
  CL::SongLog& s = log.GetOrCreateSongLog(song);
  for (auto& e : events) s.Add(std::move(e));
  return log;
}

template <class... T>
std::vector<std::unique_ptr<cmn::VandEvent>> Events(T&&... e) {
  std::vector<std::unique_ptr<cmn::VandEvent>> v;
  (v.push_back(std::make_unique<std::decay_t<T>>(std::forward<T>(e))), ...);
  return v;
}

// A song at 120 bpm in 4/4 from tick 0: bar n starts at (n - 1) * 2000, beats every 500.
inline vand::player::SongDefinition SimpleSong(const std::string& number, int bars, const std::string& name = {}) {
  vand::player::SongDefinition s;
  s.number = number;
  s.name = name.empty() ? "Song " + number : name;
  s.audio = "audio/" + number + ".wav";
  s.startTick = 0;
  s.barCount = bars;
  s.tempos = {{"1", 120.0}};
  s.meters = {{"1", 4, 4}};
  s.keys = {{"1", 0, 0}};
  return s;
}

inline vand::player::ShowDefinition SimpleShow(std::vector<vand::player::SongDefinition> songs) {
  vand::player::ShowDefinition show;
  show.identifier = "test";
  show.showName = "Test Show";
  show.sampleRate = 48000;
  show.songs = std::move(songs);
  return show;
}

inline vand::demo::AudioStyle SilentWav(std::uint32_t tailMs = 0) {
  vand::demo::AudioStyle style;
  style.format = vand::demo::AudioStyle::Format::Wav;
  style.sampleRate = 8000;
  style.channels = 1;
  style.silent = true;
  style.tailMs = tailMs;
  return style;
}

// A show folder, a data folder and an engine on a manual clock.
class Fixture {
  QTemporaryDir dir_;  // first: removed after the engine is gone

 public:
  explicit Fixture(const vand::player::ShowDefinition& show, const CL::ChangeLog* log = nullptr,
                   std::uint32_t tailMs = 0)
      : show_(show) {
    showFolder = fs::path(dir_.path().toStdString()) / "show";
    dataFolder = fs::path(dir_.path().toStdString()) / "data";
    fs::create_directories(dataFolder);
    vand::demo::WriteShowFolder(showFolder, show, SilentWav(tailMs));
    if (log) WriteLog(*log);
  }

  void WriteLog(CL::ChangeLog log) {
    if (log.GetShowIdentifier().empty()) log.SetShowIdentifier(show_.identifier);
    log.SaveToFile(showFolder / CL::ChangeLog::MakeFileName(show_.showName, log.GetVersion()));
  }

  vand::Pelorin2AudioInterface& Start(std::shared_ptr<vand::PlayerOscCallback> osc = nullptr,
                                      std::shared_ptr<vand::player::MidiBackend> midi = nullptr) {
    clock = std::make_shared<vand::player::ManualClock>();
    vand::player::EngineOptions options;
    options.clock = clock;
    options.midi = std::move(midi);
    engine = std::make_unique<vand::Pelorin2AudioInterface>(showFolder.string(), dataFolder.string(), std::move(osc),
                                                            options);
    engine->ThrowIfThreadExceptions();
    return *engine;
  }

  // An engine that renders sound on the manual audio clock, which simulates
  // a stream latency of `latencyFrames`.
  vand::Pelorin2AudioInterface& StartWithSound(std::int64_t latencyFrames = 0) {
    audioClock = std::make_shared<vand::player::ManualAudioClock>(latencyFrames);
    vand::player::EngineOptions options;
    options.clock = audioClock;
    engine = std::make_unique<vand::Pelorin2AudioInterface>(showFolder.string(), dataFolder.string(), nullptr, options);
    engine->ThrowIfThreadExceptions();
    return *engine;
  }

  void Advance(double ms) { clock->Advance(ms); }
  void Pump() { clock ? clock->Pump() : audioClock->Pump(); }
  // Sound clock: renders `ms` of output (interleaved stereo).
  std::vector<float> Render(double ms) { return audioClock->Render(ms); }

  fs::path showFolder;
  fs::path dataFolder;
  std::shared_ptr<vand::player::ManualClock> clock;
  std::shared_ptr<vand::player::ManualAudioClock> audioClock;
  std::unique_ptr<vand::Pelorin2AudioInterface> engine;

 private:
  vand::player::ShowDefinition show_;
};

}  // namespace player_test
