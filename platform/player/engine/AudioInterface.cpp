#include "vand_pelorin/AudioInterface.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <ctime>
#include <deque>
#include <mutex>
#include <stdexcept>

#include "CL/ActiveChangeLog.h"
#include "engine/AudioPath.h"
#include "engine/BackgroundWorker.h"
#include "engine/ClickGrid.h"
#include "engine/MidiCommands.h"
#include "engine/PlaybackPlan.h"
#include "engine/ShowModel.h"
#include "engine/Transport.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "notify/EventObserver.h"
#include "vand_pelorin/MidiBackend.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin/PulseClock.h"

namespace fs = std::filesystem;
using namespace vand::player;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kStartTimeout = std::chrono::seconds(5);

// Lines of a load report that reach a message; the rest are counted, so that
// a log with a change on every one of its events still gives a short text.
constexpr std::size_t kMaxReportLines = 50;

std::string Join(const std::vector<std::string>& lines) {
  std::string out;
  for (std::size_t i = 0; i < lines.size() && i < kMaxReportLines; ++i) {
    if (!out.empty()) out += '\n';
    out += lines[i];
  }
  if (lines.size() > kMaxReportLines) {
    out += "\n... and " + std::to_string(lines.size() - kMaxReportLines) + " more.";
  }
  return out;
}

// `separator` and the message of `error`; empty for an exception without one.
std::string Reason(std::exception_ptr error, const char* separator) {
  try {
    std::rethrow_exception(error);
  } catch (const std::exception& e) {
    return separator + std::string(e.what());
  } catch (...) {
    return std::string();
  }
}

const TL::BarsBeats* AtOrBefore(const std::vector<TL::BarsBeats>& grid, UInt32 tick) {
  if (grid.empty()) return nullptr;
  auto it =
      std::upper_bound(grid.begin(), grid.end(), tick, [](UInt32 t, const TL::BarsBeats& b) { return t < b.tick; });
  return it == grid.begin() ? &grid.front() : &*(it - 1);
}

const TL::BarsBeats* Nearest(const std::vector<TL::BarsBeats>& grid, UInt32 tick) {
  if (grid.empty()) return nullptr;
  auto it =
      std::lower_bound(grid.begin(), grid.end(), tick, [](const TL::BarsBeats& b, UInt32 t) { return b.tick < t; });
  if (it == grid.end()) return &grid.back();
  if (it == grid.begin() || it->tick == tick) return &*it;
  auto before = it - 1;
  return (tick - before->tick) <= (it->tick - tick) ? &*before : &*it;  // ties go to the earlier entry
}

// A log file that does not read (damaged, of a newer format, of another show)
// may still be recovered: a save never replaces it.
void RefuseToReplaceUnreadable(const fs::path& file, const fs::path& identityFile) {
  std::error_code error;
  if (!fs::exists(file, error)) return;
  try {
    (void)CL::ChangeLog(file, identityFile);
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot save \"" + file.filename().string() +
                             "\": a change log of that name is already there and cannot be read, so it is kept. " +
                             e.what());
  }
}

}  // namespace

class AudioInterface::Impl final : public BlockSink,
                                   public CL::SongInfoProvider,
                                   public std::enable_shared_from_this<AudioInterface::Impl> {
 public:
  struct Queued {
    Command command;
    std::vector<std::uint8_t> midi;  // non-empty: a MIDI message instead of a command
  };

  Impl(const std::string& showFolderUtf8, const std::string& dataFolderUtf8,
       std::shared_ptr<vand::PlayerOscCallback> oscCallback, EngineOptions opts)
      : options(std::move(opts)), osc(std::move(oscCallback)) {
    showFolder = fs::path(showFolderUtf8);
    dataFolder = fs::path(dataFolderUtf8);
    for (const fs::path& left : kit::RemoveStaleTemporaryFiles(showFolder)) {
      LogLine(kit::LogLevel::Info, "removed " + left.filename().string() + ", left by a save that did not finish");
    }
    show = LoadShowModel(showFolder);
    for (const SongModel& song : show->songs) {
      if (!song.Playable())
        LogLine(kit::LogLevel::Warning, "song " + song.number + " cannot be played: " + song.audioError);
    }
    identityFile = showFolder / "identity.json";

    // The newest log that reads; the newer ones that do not stay as they are.
    CL::ReadableLog newest = CL::ChangeLog::LoadNewestReadable(showFolder, identityFile);
    unreadableLogs = std::move(newest.unreadable);
    for (const std::string& why : unreadableLogs) LogLine(kit::LogLevel::Warning, why);
    if (!newest.file.empty()) {
      editor.SetChangeLog(std::move(newest.log));
      activeLogFile = fs::absolute(newest.file);
    }
    editor.SetSongInfoProvider(this);
    editor.MakeActive();
    AfterLogLoaded();
    plan = Compile();
    RefreshNetworks();

    engineData = dataFolder / options.dataSubfolder;
    midi = ReadMidiSettings(engineData / "midi.json");

    std::size_t first = plan->FirstPlayable().value_or(0);
    shared.song.store(first);
    transport = std::make_unique<Transport>(shared, plan, first);
    editor.SelectSongLogForEditing(show->songs[first].number);
    queue.push_back({Command{Command::Kind::Start}, {}});

    clock = options.clock ? options.clock : std::make_shared<PulseClock>();
    midiBackend = options.midi;
    std::weak_ptr<OutputClock> weakClock = clock;
    audio = std::make_unique<AudioPath>(show, clock->Renders(), [weakClock] {
      if (auto c = weakClock.lock()) c->Wake();
    });
  }

  // Starts the engine thread (and waits up to 5 s for it), then opens the
  // saved MIDI source. Called once the engine is owned by its shared pointer.
  void Launch() {
    try {
      clock->Start(*this, show->sampleRate);
    } catch (...) {
      std::lock_guard lock(startMutex);
      startError = std::current_exception();
    }
    {
      std::unique_lock lock(startMutex);
      if (!startCv.wait_for(lock, kStartTimeout, [this] { return started || startError; })) {
        startError = std::make_exception_ptr(std::runtime_error("The audio engine thread did not start."));
      }
    }
    if (midiBackend && !midi.source.empty()) {
      std::vector<MidiEndPoint> list;
      try {
        list = midiBackend->ListSources();
      } catch (...) {
        LogLine(kit::LogLevel::Warning, "cannot list the MIDI sources" + Reason(std::current_exception(), ": "));
      }
      for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].GetSourceName() == midi.source) {
          OpenMidi(list, i);
          break;
        }
      }
    }
  }

  ~Impl() override {
    if (clock) clock->Stop();
    if (midiBackend) midiBackend->Close();
  }

  // --- the engine thread ---
  // The control tick: applies the queued commands, advances the transport,
  // tells the audio path where playback went, and delivers what the block
  // raised once it is heard (command results at once).
  void RunBlock(std::int64_t frames) override {
    // Alive until the block ends, even when a callback destroys the engine.
    std::shared_ptr<Impl> self = weak_from_this().lock();
    if (shut.load()) return;
    {
      std::lock_guard lock(startMutex);
      if (!started) {
        started = true;
        startCv.notify_all();
      }
    }
    std::shared_ptr<const PlaybackPlan> newPlan;
    std::deque<Queued> work;
    {
      std::lock_guard lock(queueMutex);
      newPlan = std::move(pendingPlan);
      work.swap(queue);
    }
    if (newPlan) transport->SetPlan(std::move(newPlan));
    transport->SetOscActive(oscProcessing.load() && osc != nullptr);
    for (auto it = work.begin(); it != work.end(); ++it) {
      // Playback starts once its song is decoded far enough; the commands
      // after it wait with it, in order.
      if (MayStartPlayback(*it) && transport->State() != TransportState::Playing &&
          !audio->ReadyAt(transport->GetCursor().song, transport->GetCursor().tick)) {
        std::lock_guard lock(queueMutex);
        queue.insert(queue.begin(), std::make_move_iterator(it), std::make_move_iterator(work.end()));
        break;
      }
      if (it->midi.empty()) {
        transport->Apply(it->command);
      } else {
        HandleMidi(it->midi);
      }
    }
    const std::int64_t blockStart = controlFrame;
    audio->Follow(transport->Trajectory(), static_cast<double>(blockStart));
    transport->Trajectory().clear();
    std::vector<OutItem> now;
    now.swap(transport->Outbox());

    frames = std::max<std::int64_t>(0, frames);
    transport->Advance(static_cast<double>(frames) * 1000.0 / show->sampleRate);
    audio->Follow(transport->Trajectory(), static_cast<double>(blockStart));
    transport->Trajectory().clear();
    controlFrame += frames;
    audio->SetGain(blockStart, frames, shared.outputGain.load());
    const std::size_t song = transport->GetCursor().song;
    audio->Keep(song, transport->CurrentPlan()->NextPlayable(song));
    audio->CollectGarbage();

    const double heard = static_cast<double>(controlFrame - std::max<std::int64_t>(0, clock->LatencyFrames()));
    shared.tick.store(static_cast<UInt32>(std::max(0.0, std::floor(audio->Playhead().At(heard).second + 1e-6))));

    // What the commands raised goes out at once, after what is still waiting.
    if (!now.empty()) {
      Deliver(pending);
      pending.clear();
      Deliver(now);
    }
    for (auto& item : transport->Outbox()) pending.push_back({controlFrame, std::move(item)});
    transport->Outbox().clear();
    std::vector<OutItem> due;
    while (!pending.empty() && static_cast<double>(pending.front().first) <= heard) {
      due.push_back(std::move(pending.front().second));
      pending.pop_front();
    }
    Deliver(due);
  }

  // The sink is idle when nothing plays, ramps, sounds or waits to be delivered.
  bool Idle() const override {
    return transport->State() != TransportState::Playing && !transport->Ramping() && pending.empty() && audio->Silent();
  }

  bool Halted() const override {
    const TransportState state = transport->State();
    return (state == TransportState::Stopped || state == TransportState::Paused || state == TransportState::Faded) &&
           !transport->Ramping();
  }

  RenderSource* Source() override { return audio->Source(); }

  static bool MayStartPlayback(const Queued& q) {
    return !q.midi.empty() || q.command.kind == Command::Kind::Play || q.command.kind == Command::Kind::Continue;
  }

  void Deliver(std::deque<std::pair<std::int64_t, OutItem>>& items) {
    std::vector<OutItem> out;
    for (auto& [frame, item] : items) out.push_back(std::move(item));
    Deliver(out);
  }

  void OnClockFailure(std::exception_ptr error) override {
    std::lock_guard lock(startMutex);
    if (!started) {
      startError = error;
      startCv.notify_all();
      return;
    }
    // Repeated failures are logged at the 1st, 2nd, 4th, 8th … time only.
    const unsigned long n = ++blockFailures;
    if ((n & (n - 1)) != 0) return;
    LogLine(kit::LogLevel::Error, "a playback block failed (" + std::to_string(n) + " so far)" + Reason(error, ": "));
  }
  unsigned long blockFailures = 0;  // guarded by startMutex

  // Nothing more is delivered once the engine is shut down (a callback may do it).
  void Deliver(std::vector<OutItem>& items, bool evenWhenShut = false) {
    for (auto& item : items) {
      if (shut.load() && !evenWhenShut) return;
      try {
        if (auto* e = std::get_if<OutEvent>(&item)) {
          notify::PublishPlayerEvent(e->event, e->value, e->text);
        } else if (auto* o = std::get_if<OutOsc>(&item)) {
          if (!osc) continue;
          if (o->execute) {
            osc->ExecuteEvent(o->osc, o->delayMs);
          } else {
            osc->EnqueueEvent(o->osc, o->delayMs);
          }
        } else if (auto* c = std::get_if<OutCall>(&item)) {
          if (c->fn) c->fn();
        }
      } catch (...) {
        LogLine(kit::LogLevel::Error, "a callback failed" + Reason(std::current_exception(), ": "));
      }
    }
  }

  void HandleMidi(const std::vector<std::uint8_t>& bytes) {
    auto message = ParseMidiMessage(bytes);
    if (!message) return;
    Command notice{Command::Kind::Raise};
    notice.event = {notify::PlayerEvent::MidiNotification, 0, {}};
    transport->Apply(notice);

    std::optional<std::pair<unsigned char, midi_commands::LearnedCommand>> learned;
    std::optional<unsigned char> matched;
    {
      std::lock_guard lock(midiMutex);
      if (learning && IsLearnable(*message)) {
        midi_commands::LearnedCommand l{message->status, message->channel, message->data1};
        learned = std::make_pair(*learning, l);
        midi.commands[*learning] = l;
        learning.reset();
      } else if (!learning) {
        matched = MatchMidiCommand(midi.commands, *message);
      }
    }
    if (learned) {
      SaveMidi();
      Command answer{Command::Kind::Raise};
      answer.event = {notify::PlayerEvent::LearnedMIDICommand, LearnedEventValue(learned->first, learned->second), {}};
      transport->Apply(answer);
      return;
    }
    if (!matched) return;
    Command c;
    using K = Command::Kind;
    switch (*matched) {
      case kMidiPlay: c.kind = K::Play; break;
      case kMidiPause: c.kind = K::Pause; break;
      case kMidiStop: c.kind = K::Stop; break;
      case kMidiContinue: c.kind = K::Continue; break;
      case kMidiExitFlow: c.kind = K::FlowExit; break;
      case kMidiNextSong:
      case kMidiPreviousSong: {
        const auto& p = *transport->CurrentPlan();
        auto target = *matched == kMidiNextSong ? p.NextPlayable(transport->GetCursor().song)
                                                : p.PreviousPlayable(transport->GetCursor().song);
        if (!target) return;
        c.kind = K::Load;
        c.song = *target;
        break;
      }
      case kMidiFadeOut:
        c.kind = K::Fade;
        c.seconds = kMidiFadeOutSeconds;
        break;
      case kMidiNextMarker: c.kind = K::NextMarker; break;
      case kMidiPreviousMarker: c.kind = K::PreviousMarker; break;
      case kMidiNextBar: c.kind = K::NextMeasure; break;
      case kMidiPreviousBar: c.kind = K::PreviousMeasure; break;
      default: return;
    }
    transport->Apply(c);
  }

  // --- commands from other threads ---
  // Waking under the queue's lock orders the call before anything the engine
  // thread does with the block it starts.
  void Enqueue(Command command) {
    if (shut.load()) return;
    std::lock_guard lock(queueMutex);
    queue.push_back({std::move(command), {}});
    clock->Wake();
  }

  void EnqueueMidi(const std::vector<std::uint8_t>& bytes) {
    if (shut.load() || bytes.empty() || bytes.size() > 3) return;
    std::lock_guard lock(queueMutex);
    if (queue.size() > 10000) return;  // a flood of messages is dropped
    queue.push_back({Command{}, bytes});
    clock->Wake();
  }

  void WakeEngine() {
    std::lock_guard lock(queueMutex);
    if (clock) clock->Wake();
  }

  // The song, when its audio can be decoded; throws std::runtime_error naming
  // the file otherwise (std::invalid_argument for an unknown song).
  const SongModel& PlayableSongOrThrow(const std::string& number) const {
    const SongModel& s = show->SongOrThrow(number);
    if (!s.Playable()) throw std::runtime_error("Song " + s.number + " cannot be played: " + s.audioError);
    audio->Probe(s.index);
    return s;
  }

  void EnqueueLoad(std::size_t song, std::optional<UInt32> tick) {
    if (shut.load()) return;
    {
      std::lock_guard lock(shared.songMutex);
      ++shared.pendingLoads;
      shared.song.store(song);
      shared.state.store(static_cast<int>(TransportState::Stopped));
    }
    Command c{Command::Kind::Load};
    c.song = song;
    c.tick = tick;
    c.countsPending = true;
    Enqueue(std::move(c));
  }

  // --- change log ---
  void AfterLogLoaded() {
    std::lock_guard lock(CL::ActiveChangeLogMutex());
    CL::ChangeLog& log = editor.GetChangeLog();
    for (const auto& song : show->songs) log.GetOrCreateSongLog(song.number);
    // Click values that the meters do not allow become the first allowed one.
    std::vector<std::string> clickLines;
    for (const auto& song : show->songs) {
      CL::SongLog* songLog = log.FindSongLog(song.number);
      if (!songLog) continue;
      for (auto& click : songLog->GetClicks()) {
        auto allowed = AllowedClickValues(song.meters, click.start(), click.end());
        if (std::find(allowed.begin(), allowed.end(), click.int_value()) != allowed.end()) continue;
        std::string what = "Click " + click.EventId() + " in song " + song.number + ": click value " +
                           std::to_string(click.int_value()) + " does not fit its meters";
        if (allowed.empty()) {
          clickLines.push_back(what + "; no click value fits there, so it was left unchanged.");
        } else {
          clickLines.push_back(what + "; it was changed to " + std::to_string(allowed.front()) + ".");
          click.SetIntValue(allowed.front());
        }
      }
    }
    const CL::LoadReport& report = log.GetLoadReport();
    tempoScaleWarnings = Join(report.tempoScaleWarnings);
    clickEditLog = Join(clickLines);
    std::vector<std::string> fixed = report.invertedLoopEvents;
    fixed.insert(fixed.end(), report.removedEvents.begin(), report.removedEvents.end());
    fixed.insert(fixed.end(), report.renamedEventIds.begin(), report.renamedEventIds.end());
    fixedEventCount = static_cast<unsigned>(fixed.size());
    fixedEventDescription = Join(fixed);
  }

  std::shared_ptr<const PlaybackPlan> Compile() {
    std::lock_guard lock(CL::ActiveChangeLogMutex());
    return CompilePlaybackPlan(show, editor.GetChangeLog(), ++generation);
  }

  // Rebuilds the plan and hands it to the engine thread.
  void Rebuild() {
    plan = Compile();
    RefreshNetworks();
    std::lock_guard lock(queueMutex);
    pendingPlan = plan;
    if (clock) clock->Wake();
  }

  // A new snapshot only when the destinations changed. Readers on other threads
  // hold references into snapshots, so replaced ones are kept for the engine's
  // life (the destinations change only when the user edits them).
  void RefreshNetworks() {
    const CL::NetworkPathVectorT& current = editor.GetChangeLog().GetNetworks();
    std::lock_guard lock(networksMutex);
    if (networks && *networks == current) return;
    if (networks) retiredNetworks.push_back(std::move(networks));
    networks = std::make_shared<const CL::NetworkPathVectorT>(current);
  }

  // --- MIDI ---
  void OpenMidi(const std::vector<MidiEndPoint>& list, std::size_t index) {
    bool ok = false;
    std::string why;
    try {
      ok = midiBackend->Open(list[index], [this](const std::vector<std::uint8_t>& bytes) { EnqueueMidi(bytes); });
    } catch (...) {
      why = Reason(std::current_exception(), ": ");
    }
    if (!ok) LogLine(kit::LogLevel::Warning, "cannot open the MIDI source " + list[index].GetSourceName() + why);
    std::lock_guard lock(midiMutex);
    sources = list;
    connected = ok ? std::optional<std::size_t>(index) : std::nullopt;
  }

  // Saves the MIDI settings on the worker (never on the engine thread); a
  // save already queued writes the newest settings, so saves coalesce.
  void SaveMidi() {
    if (midiSaveQueued.exchange(true)) return;
    worker.Post([this] {
      midiSaveQueued.store(false);
      MidiSettings snapshot;
      {
        std::lock_guard lock(midiMutex);
        snapshot = midi;
      }
      try {
        WriteMidiSettings(engineData / "midi.json", snapshot);
      } catch (...) {
        LogLine(kit::LogLevel::Error, "the MIDI settings were not saved" + Reason(std::current_exception(), ": "));
      }
    });
  }

  // One line on standard error, after the engine's prefix.
  void LogLine(kit::LogLevel level, const std::string& text) const {
    kit::Log(level, "engine", options.logPrefix + ": " + text);
  }

  // --- CL::SongInfoProvider (called with the active-log mutex held; reads the immutable show only) ---
  bool HasSong(const std::string& song) const override { return show->Find(song).has_value(); }
  UInt32 GetSongStartTick(const std::string& song) const override {
    auto i = show->Find(song);
    return i ? show->songs[*i].startTick : 0;
  }
  UInt32 GetSongLengthTicks(const std::string& song) const override {
    auto i = show->Find(song);
    return i ? show->songs[*i].length : 0;
  }
  TL::BarsBeats GetBarBeatAtOrBefore(const std::string& song, UInt32 tick) const override {
    auto i = show->Find(song);
    if (!i) return {};
    const TL::BarsBeats* b = AtOrBefore(show->songs[*i].baseGrid, tick);
    return b ? *b : TL::BarsBeats{};
  }
  std::vector<int> GetAllowedClickValues(const std::string& song, UInt32 start, UInt32 end) const override {
    auto i = show->Find(song);
    return i ? AllowedClickValues(show->songs[*i].meters, start, end) : std::vector<int>{};
  }

  // --- state ---
  EngineOptions options;
  std::shared_ptr<vand::PlayerOscCallback> osc;
  fs::path showFolder, dataFolder, engineData, identityFile;
  std::shared_ptr<const ShowModel> show;

  // GUI thread.
  CL::Editor editor;
  std::shared_ptr<const PlaybackPlan> plan;
  std::uint64_t generation = 0;
  fs::path activeLogFile;
  std::vector<std::string> unreadableLogs;  // at show load, newest first
  std::string tempoScaleWarnings, clickEditLog, fixedEventDescription;
  unsigned fixedEventCount = 0;
  std::string outputDeviceUid;

  // Destinations for readers on any thread: the current snapshot and the ones replaced.
  mutable std::mutex networksMutex;
  std::shared_ptr<const CL::NetworkPathVectorT> networks;
  std::deque<std::shared_ptr<const CL::NetworkPathVectorT>> retiredNetworks;

  // Hand-over to the engine thread.
  std::mutex queueMutex;
  std::deque<Queued> queue;
  std::shared_ptr<const PlaybackPlan> pendingPlan;

  // Engine thread.
  TransportShared shared;
  std::unique_ptr<Transport> transport;
  std::shared_ptr<OutputClock> clock;
  std::atomic<bool> shut{false};
  // Timeline OSC goes to the callback from the start: a show's cues follow the
  // show, whatever else listens for OSC.
  std::atomic<bool> oscProcessing{true};

  // Start-up.
  std::mutex startMutex;
  std::condition_variable startCv;
  bool started = false;
  std::exception_ptr startError;
  bool startErrorThrown = false;

  // MIDI.
  std::shared_ptr<MidiBackend> midiBackend;
  mutable std::mutex midiMutex;
  MidiSettings midi;
  std::optional<unsigned char> learning;
  std::vector<MidiEndPoint> sources;
  std::optional<std::size_t> connected;
  std::atomic<bool> midiSaveQueued{false};

  // Sound (engine thread).
  std::unique_ptr<AudioPath> audio;
  std::int64_t controlFrame = 0;                         // output frames the blocks have reached
  std::deque<std::pair<std::int64_t, OutItem>> pending;  // raised, waiting to be heard

  // Last: its destructor runs what is queued while the rest is still there.
  BackgroundWorker worker;
};

// ---------------------------------------------------------------------------

AudioInterface::AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                               std::shared_ptr<vand::PlayerOscCallback> osc)
    : AudioInterface(showFolder, dataFolder, std::move(osc), EngineOptions{}) {}

AudioInterface::AudioInterface(const std::string& showFolder, const std::string& dataFolder,
                               std::shared_ptr<vand::PlayerOscCallback> osc, EngineOptions options)
    : impl_(std::make_shared<Impl>(showFolder, dataFolder, std::move(osc), std::move(options))) {
  impl_->Launch();
}

AudioInterface::~AudioInterface() {
  try {
    Shutdown();
  } catch (...) {
    impl_->LogLine(kit::LogLevel::Error, "shutting down failed" + Reason(std::current_exception(), ": "));
  }
}

void AudioInterface::ThrowIfThreadExceptions() {
  std::exception_ptr error;
  {
    std::lock_guard lock(impl_->startMutex);
    if (impl_->startError && !impl_->startErrorThrown) {
      impl_->startErrorThrown = true;
      error = impl_->startError;
    }
  }
  if (error) std::rethrow_exception(error);
}

double AudioInterface::GetOutputGain() const { return impl_->shared.outputGain.load(); }

bool AudioInterface::WaitUntilSettled(std::chrono::milliseconds timeout) {
  const auto until = std::chrono::steady_clock::now() + timeout;
  auto left = [&] {
    return std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
  };
  return impl_->audio->WaitForDecoding(left()) &&
         impl_->worker.WaitIdle(std::max(left(), std::chrono::milliseconds(0)));
}

std::size_t AudioInterface::SongsHeld() const { return impl_->audio->SongsHeld(); }

void AudioInterface::Shutdown() {
  Impl& d = *impl_;
  if (d.shut.exchange(true)) return;
  d.clock->Stop();
  if (d.midiBackend) d.midiBackend->Close();
  // The engine thread has ended: what is left is delivered from here.
  std::vector<OutItem> out;
  std::optional<unsigned char> cancelled;
  {
    std::lock_guard lock(d.midiMutex);
    cancelled = d.learning;
    d.learning.reset();
    d.connected.reset();
  }
  if (cancelled) out.emplace_back(OutEvent{notify::PlayerEvent::MIDICommandCanceled, *cancelled, {}});
  if (d.shared.state.load() != static_cast<int>(TransportState::Stopped)) {
    d.shared.state.store(static_cast<int>(TransportState::Stopped));
    out.emplace_back(OutEvent{notify::PlayerEvent::PlaybackStopped, 0, {}});
  }
  {
    std::lock_guard lock(d.queueMutex);
    d.queue.clear();
  }
  d.Deliver(out, true);
}

// --- transport ---

void AudioInterface::Play() {
  // Only when no song of the show can be played is the current one unplayable.
  const SongModel& current = impl_->show->songs[impl_->shared.song.load()];
  if (!current.Playable())
    throw std::runtime_error("Song " + current.number + " cannot be played: " + current.audioError);
  impl_->Enqueue(Command(Command::Kind::Play));
}
void AudioInterface::Pause(bool) { impl_->Enqueue(Command(Command::Kind::Pause)); }
void AudioInterface::Stop() { impl_->Enqueue(Command(Command::Kind::Stop)); }
void AudioInterface::Continue() { impl_->Enqueue(Command(Command::Kind::Continue)); }
void AudioInterface::FlowControlExit() { impl_->Enqueue(Command(Command::Kind::FlowExit)); }

void AudioInterface::NextSong() {
  auto target = impl_->plan->NextPlayable(impl_->shared.song.load());
  if (target) impl_->EnqueueLoad(*target, std::nullopt);
}

void AudioInterface::PrevSong() {
  auto target = impl_->plan->PreviousPlayable(impl_->shared.song.load());
  if (target) impl_->EnqueueLoad(*target, std::nullopt);
}

void AudioInterface::Fade(std::function<void()> done, float seconds) {
  Command c(Command::Kind::Fade);
  c.done = std::move(done);
  c.seconds = seconds;
  impl_->Enqueue(std::move(c));
}

void AudioInterface::FadeTo(std::function<void()> done, float seconds, float level) {
  Command c(Command::Kind::FadeTo);
  c.done = std::move(done);
  c.seconds = seconds;
  c.level = level;
  impl_->Enqueue(std::move(c));
}

void AudioInterface::CancelFade() { impl_->Enqueue(Command(Command::Kind::CancelFade)); }

bool AudioInterface::IsStopped() const {
  return impl_->shared.state.load() == static_cast<int>(TransportState::Stopped);
}

bool AudioInterface::GetIsPlaying() const {
  return impl_->shared.state.load() == static_cast<int>(TransportState::Playing);
}

bool AudioInterface::GetIsPaused() const {
  int s = impl_->shared.state.load();
  return s == static_cast<int>(TransportState::Paused) || s == static_cast<int>(TransportState::Held);
}

bool AudioInterface::GetIsFaded() const {
  return impl_->shared.state.load() == static_cast<int>(TransportState::Faded);
}

UInt32 AudioInterface::GetTickIndex() const { return impl_->shared.tick.load(); }

// --- position ---

void AudioInterface::Seek(UInt32 tick) {
  Command c(Command::Kind::Seek);
  c.tick = tick;
  impl_->Enqueue(std::move(c));
}

bool AudioInterface::SeekToBar(const std::string& bar) {
  if (bar.empty()) return false;
  const SongModel& song = impl_->show->songs[impl_->shared.song.load()];
  const GridEntry* found = nullptr;
  for (const auto& e : song.grid) {
    if (e.label == bar) {
      found = &e;
      break;
    }
  }
  if (!found) {
    for (const auto& e : song.grid) {
      if (NumericallyEqual(e.label, bar)) {
        found = &e;
        break;
      }
    }
  }
  if (!found) return false;
  Seek(found->tick);
  return true;
}

void AudioInterface::SeekToNextMeasure() { impl_->Enqueue(Command(Command::Kind::NextMeasure)); }
void AudioInterface::SeekToPreviousMeasure() { impl_->Enqueue(Command(Command::Kind::PreviousMeasure)); }
void AudioInterface::SeekRight() { impl_->Enqueue(Command(Command::Kind::NextMarker)); }
void AudioInterface::SeekLeft() { impl_->Enqueue(Command(Command::Kind::PreviousMarker)); }

// --- songs ---

void AudioInterface::LoadSong(const std::string& song) {
  const SongModel& s = impl_->PlayableSongOrThrow(song);
  impl_->EnqueueLoad(s.index, std::nullopt);
}

void AudioInterface::LoadSongAtTime(const std::string& song, UInt32 tick) {
  const SongModel& s = impl_->PlayableSongOrThrow(song);
  impl_->EnqueueLoad(s.index, tick);
}

bool AudioInterface::SongExists(const std::string& song) const { return impl_->show->FindLoosely(song).has_value(); }

std::string AudioInterface::GetActualSongNumber(const std::string& requested) const {
  auto i = impl_->show->FindLoosely(requested);
  return i ? impl_->show->songs[*i].number : requested;
}

std::string AudioInterface::GetCurrentSongNumber() const {
  return impl_->show->songs[impl_->shared.song.load()].number;
}

SongNameMap AudioInterface::GetSongNamesBySongNumber() const {
  SongNameMap names;
  for (const auto& s : impl_->show->songs) names.emplace(s.number, s.name);
  return names;
}

UInt32 AudioInterface::GetSongLength(const std::string& song) const { return impl_->show->SongOrThrow(song).length; }

UInt32 AudioInterface::GetSongStartTickIndex(const std::string& song) const {
  return impl_->show->SongOrThrow(song).startTick;
}

UInt32 AudioInterface::GetSongAudioStartTick(const std::string& song) const {
  return impl_->show->SongOrThrow(song).audioStart;
}

UInt32 AudioInterface::GetSongAudioEndTick(const std::string& song) const {
  return impl_->show->SongOrThrow(song).audioEnd;
}

UInt32 AudioInterface::GetCurrentStartTickIndex() const {
  return impl_->show->songs[impl_->shared.song.load()].startTick;
}

UInt32 AudioInterface::GetMinStartTickIndex() const { return GetCurrentStartTickIndex(); }

unsigned char AudioInterface::GetAttacca(const std::string& song) const {
  return impl_->plan->songs[impl_->show->SongOrThrow(song).index].attacca;
}

void AudioInterface::SetAttacca(const std::string& song, unsigned char state) {
  impl_->show->SongOrThrow(song);
  impl_->editor.SetAttacca(song, std::min<unsigned char>(state, 2));
  impl_->Rebuild();
}

std::pair<std::string, UInt32> AudioInterface::LookupPage(unsigned page) const {
  auto it = impl_->show->pages.find(page);
  if (it == impl_->show->pages.end()) throw std::out_of_range("Unknown page: " + std::to_string(page));
  return {impl_->show->songs[it->second.song].number, it->second.tick};
}

// --- bars and beats ---

TL::TimelineSequence<TL::BarsBeats> AudioInterface::GetBarsBeats(const std::string& song, bool withClickEdits) const {
  const SongModel& s = impl_->show->SongOrThrow(song);
  return TL::TimelineSequence<TL::BarsBeats>(withClickEdits ? impl_->plan->songs[s.index].clickGrid : s.baseGrid);
}

TL::BarsBeats AudioInterface::GetBarBeatByTick(UInt32 tick, bool withClickEdits, bool atOrBefore) const {
  std::size_t i = impl_->shared.song.load();
  const auto& grid = withClickEdits ? impl_->plan->songs[i].clickGrid : impl_->show->songs[i].baseGrid;
  const TL::BarsBeats* b = atOrBefore ? AtOrBefore(grid, tick) : Nearest(grid, tick);
  return b ? *b : TL::BarsBeats{};
}

TL::BarsBeats AudioInterface::GetBarBeatLeftByTick(UInt32 tick) const { return GetBarBeatByTick(tick, true, true); }

std::string AudioInterface::GetBarString(UInt32 tick) const {
  std::size_t i = impl_->shared.song.load();
  const auto& grid = impl_->plan->songs[i].clickGrid;
  const TL::BarsBeats* b = AtOrBefore(grid, tick);
  if (!b) return {};
  std::string text = b->bar_number() + ":" + std::to_string(b->beat);
  if (tick > b->tick) text += "+" + std::to_string(tick - b->tick);
  if (tick < b->tick) text += "-" + std::to_string(b->tick - tick);
  return text;
}

UInt32 AudioInterface::GetAvailableShiftAfterBarBeat(UInt32 tick, bool withClickEdits) const {
  std::size_t i = impl_->shared.song.load();
  const SongModel& s = impl_->show->songs[i];
  const auto& grid = withClickEdits ? impl_->plan->songs[i].clickGrid : s.baseGrid;
  auto it =
      std::upper_bound(grid.begin(), grid.end(), tick, [](UInt32 t, const TL::BarsBeats& b) { return t < b.tick; });
  UInt32 next = it == grid.end() ? s.length : std::min(it->tick, s.length);
  return next > tick && next - tick > 1 ? next - tick - 1 : 0;
}

std::vector<int> AudioInterface::GetClickValues(UInt32 start, UInt32 end) const {
  const SongModel& s = impl_->show->songs[impl_->shared.song.load()];
  return AllowedClickValues(s.meters, std::min(start, end), std::max(start, end));
}

TL::Timeline AudioInterface::GetTimeline() const { return impl_->show->songs[impl_->shared.song.load()].timeline; }

const CL::SongLog* AudioInterface::GetSongLog() const {
  std::lock_guard lock(CL::ActiveChangeLogMutex());
  return impl_->editor.GetChangeLog().FindSongLog(GetCurrentSongNumber());
}

std::vector<cmn::VandEvent*> AudioInterface::GetMarkers() {
  std::lock_guard lock(CL::ActiveChangeLogMutex());
  std::vector<cmn::VandEvent*> out;
  if (CL::SongLog* log = impl_->editor.GetChangeLog().FindSongLog(GetCurrentSongNumber())) {
    for (auto& m : log->GetMarkers()) out.push_back(&m);
  }
  const auto earlier = [](auto* a, auto* b) { return a->start() < b->start(); };
  if (!std::is_sorted(out.begin(), out.end(), earlier)) std::stable_sort(out.begin(), out.end(), earlier);
  return out;
}

std::vector<std::unique_ptr<cmn::VandEvent>> AudioInterface::GetChangeLogPanelEvents() {
  std::lock_guard lock(CL::ActiveChangeLogMutex());
  std::vector<std::unique_ptr<cmn::VandEvent>> out;
  CL::ChangeLog& log = impl_->editor.GetChangeLog();
  if (const CL::SongLog* songLog = log.FindSongLog(GetCurrentSongNumber())) {
    for (const cmn::VandEvent* e : songLog->GetAllEvents()) {
      if (e->code() != codes::kMarker) out.push_back(e->Clone());
    }
  }
  for (const CL::Sfx* sfx : std::as_const(log).GetSfxs()) out.push_back(sfx->Clone());
  std::stable_sort(out.begin(), out.end(), [](const auto& a, const auto& b) {
    if (a->start() != b->start()) return a->start() < b->start();
    if (a->code() != b->code()) return a->code() < b->code();
    return a->EventId() < b->EventId();
  });
  return out;
}

// --- change log ---

CL::Editor* AudioInterface::GetChangeLogEditor() { return &impl_->editor; }

void AudioInterface::SetChangelogFilename(const std::string& name) {
  fs::path path(name);
  if (path.is_relative()) path = impl_->showFolder / path;
  impl_->editor.LoadChangeLogFile(path, impl_->identityFile);  // keeps the old log when it fails
  impl_->activeLogFile = fs::absolute(path);
  impl_->AfterLogLoaded();
  impl_->Rebuild();
}

std::string AudioInterface::GetChangelogFilename() const {
  return impl_->activeLogFile.empty() ? std::string() : impl_->activeLogFile.string();
}

void AudioInterface::LoadNewChangeLog() { impl_->Rebuild(); }

std::string AudioInterface::SaveChangelog(unsigned major, unsigned minor) {
  if (major > 0xFFFF || minor > 0xFFFF)
    throw std::invalid_argument("A change-log version must lie between 0 and 65535.");
  Impl& d = *impl_;
  const cmn::VANDVersion version(static_cast<UInt16>(major), static_cast<UInt16>(minor));
  const std::string fileName = CL::ChangeLog::MakeFileName(d.show->showName, version);
  RefuseToReplaceUnreadable(d.showFolder / fileName, d.identityFile);
  {
    std::lock_guard lock(CL::ActiveChangeLogMutex());
    CL::ChangeLog& log = d.editor.GetChangeLog();
    const cmn::VANDVersion oldVersion = log.GetVersion();
    const UInt32 oldModified = log.GetModifiedTime();
    log.SetVersion(version);
    log.SetModifiedTime(static_cast<UInt32>(std::time(nullptr)));
    if (log.GetShowIdentifier().empty()) log.SetShowIdentifier(d.show->identifier);
    try {
      log.SaveToFile(d.showFolder / fileName);
    } catch (...) {
      log.SetVersion(oldVersion);
      log.SetModifiedTime(oldModified);
      throw;
    }
  }
  d.activeLogFile = fs::absolute(d.showFolder / fileName);
  return fileName;
}

std::string AudioInterface::GetLogVersion() const { return impl_->editor.GetVersion().GetAsString(); }
std::string AudioInterface::GetTempoScaleWarnings() const { return impl_->tempoScaleWarnings; }
std::string AudioInterface::GetModifiedClickEditLog() const { return impl_->clickEditLog; }
unsigned AudioInterface::GetInvertedLoopEventCount() const { return impl_->fixedEventCount; }
std::string AudioInterface::GetInvertedLoopEventDescription() const { return impl_->fixedEventDescription; }
std::vector<std::string> AudioInterface::GetUnreadableChangeLogs() const { return impl_->unreadableLogs; }
std::filesystem::path AudioInterface::GetShowDirectory() const { return impl_->showFolder; }

// --- output and volume ---

void AudioInterface::SetOutputDeviceUid(const char* uid) {
  impl_->outputDeviceUid = impl_->clock->SelectDevice(uid ? uid : "");
}
std::string AudioInterface::GetOutputDeviceUid() const { return impl_->outputDeviceUid; }
bool AudioInterface::IsOutputLost() const { return impl_->clock->Lost(); }

void AudioInterface::SetVolume(double gain, vand_audio::VolumeType type) {
  if (type != vand_audio::VolumeType::Main) return;
  if (!std::isfinite(gain)) return;
  gain = std::clamp(gain, 0.0, vand_audio::kMaxGain);
  {
    // Published at once; the engine does not publish its older value over it.
    std::lock_guard lock(impl_->shared.songMutex);
    ++impl_->shared.pendingVolumes;
    impl_->shared.master.store(gain);
  }
  Command c(Command::Kind::SetVolume);
  c.level = gain;
  c.countsPending = true;
  impl_->Enqueue(std::move(c));
}

void AudioInterface::SetVolume(double gain) { SetVolume(gain, vand_audio::VolumeType::Main); }
double AudioInterface::GetVolume() const { return impl_->shared.master.load(); }

const std::map<std::string, CL::OutputPath>& AudioInterface::GetOutputPathMap() const {
  return impl_->editor.GetChangeLog().GetOutputPaths();
}

void AudioInterface::onAddOutputhPath(const CL::OutputPath& path) { impl_->editor.SetOutputPath(path); }
void AudioInterface::onRemoveOutputhPath(const CL::OutputPath& path) { impl_->editor.RemoveOutputPath(path.GetId()); }

// --- OSC ---

const CL::NetworkPathVectorT& AudioInterface::GetNetworks() const { return impl_->editor.GetChangeLog().GetNetworks(); }

const CL::NetworkPath& AudioInterface::GetNetwork(const std::string& networkId) const {
  std::shared_ptr<const CL::NetworkPathVectorT> snapshot;
  {
    std::lock_guard lock(impl_->networksMutex);
    snapshot = impl_->networks;
  }
  if (snapshot) {
    for (const auto& n : *snapshot) {
      if (n.NetworkId() == networkId) return n;  // snapshots live as long as the engine
    }
  }
  throw std::out_of_range("Unknown network id: " + networkId);
}

void AudioInterface::SetOscControlDefaultPort(std::uint16_t port) {
  if (impl_->osc) impl_->osc->SetDefaultPort(port);
}

void AudioInterface::DoOscProcessing(bool on) {
  impl_->oscProcessing.store(on);
  impl_->WakeEngine();
}

// --- MIDI ---

std::map<unsigned char, std::string> AudioInterface::GetCommandNames() const { return MidiCommandNames(); }

std::map<unsigned char, midi_commands::LearnedCommand> AudioInterface::GetLearnedCommands() const {
  std::lock_guard lock(impl_->midiMutex);
  return impl_->midi.commands;
}

bool AudioInterface::IsMidiCommandLearning(unsigned char cmd) const {
  std::lock_guard lock(impl_->midiMutex);
  return impl_->learning && *impl_->learning == cmd;
}

void AudioInterface::LearnMidiCommand(unsigned char cmd) {
  if (MidiCommandNames().count(cmd) == 0) return;
  std::optional<unsigned char> previous;
  {
    std::lock_guard lock(impl_->midiMutex);
    previous = impl_->learning;
    impl_->learning = cmd;
  }
  if (previous && *previous != cmd) {
    Command c(Command::Kind::Raise);
    c.event = {notify::PlayerEvent::MIDICommandCanceled, *previous, {}};
    impl_->Enqueue(std::move(c));
  }
}

void AudioInterface::SetMidiCommand(unsigned char cmd, unsigned char status, unsigned char channel,
                                    unsigned char note) {
  if (MidiCommandNames().count(cmd) == 0 || channel > 15 || note > 127) return;
  {
    std::lock_guard lock(impl_->midiMutex);
    impl_->midi.commands[cmd] = {static_cast<UInt8>(status & 0xF0), channel, note};
  }
  impl_->SaveMidi();
}

std::vector<int> AudioInterface::GetAllowedCommandStatuses() const { return AllowedMidiStatuses(); }

std::vector<MidiEndPoint> AudioInterface::GetMidiSources() const {
  if (!impl_->midiBackend) return {};
  try {
    return impl_->midiBackend->ListSources();
  } catch (...) {
    impl_->LogLine(kit::LogLevel::Warning, "cannot list the MIDI sources" + Reason(std::current_exception(), ": "));
    return {};
  }
}

void AudioInterface::SetMidiSource(int index) {
  Impl& d = *impl_;
  if (!d.midiBackend || d.shut.load()) return;
  std::vector<MidiEndPoint> list = GetMidiSources();
  const bool inList = index >= 0 && static_cast<std::size_t>(index) < list.size();
  std::optional<unsigned char> cancelled;
  {
    std::lock_guard lock(d.midiMutex);
    // The source open now (same name, same address) stays open, and a
    // learning in progress goes on; its index follows the list of now.
    if (inList && d.connected && *d.connected < d.sources.size() &&
        d.sources[*d.connected] == list[static_cast<std::size_t>(index)]) {
      d.sources = list;
      d.connected = static_cast<std::size_t>(index);
      return;
    }
    cancelled = d.learning;
    d.learning.reset();
  }
  if (cancelled) {
    Command c(Command::Kind::Raise);
    c.event = {notify::PlayerEvent::MIDICommandCanceled, *cancelled, {}};
    d.Enqueue(std::move(c));
  }
  d.midiBackend->Close();
  if (!inList) {
    std::lock_guard lock(d.midiMutex);
    d.connected.reset();
    d.sources = list;
    return;
  }
  d.OpenMidi(list, static_cast<std::size_t>(index));
  {
    std::lock_guard lock(d.midiMutex);
    if (!d.connected) return;
    d.midi.source = list[static_cast<std::size_t>(index)].GetSourceName();
  }
  d.SaveMidi();
}

bool AudioInterface::HasMidiSource() const {
  std::lock_guard lock(impl_->midiMutex);
  return impl_->connected.has_value();
}

unsigned char AudioInterface::GetConnectedSourceIndex() const {
  std::lock_guard lock(impl_->midiMutex);
  return impl_->connected ? static_cast<unsigned char>(*impl_->connected) : 0;
}
