#pragma once

// The transport and flow-control state machine. It lives on the engine thread
// (or the thread stepping a manual clock): commands are applied in order at
// the start of each block, then playback advances by the block's output time.
// Nothing here calls out: events, OSC requests and fade completions go to the
// outbox, which the engine delivers after the block with no lock held.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <variant>
#include <vector>

#include "CL/Events.h"
#include "engine/PlaybackPlan.h"
#include "notify/EventObserver.h"

namespace vand::player {

enum class TransportState : int { Stopped = 0, Playing = 1, Paused = 2, Held = 3, Faded = 4 };

struct OutEvent {
  notify::PlayerEvent event;
  int value = 0;
  std::string text;
};

struct OutOsc {
  bool execute = true;  // ExecuteEvent; false: EnqueueEvent
  CL::Osc osc;
  unsigned delayMs = 0;
};

struct OutCall {
  std::function<void()> fn;
};

using OutItem = std::variant<OutEvent, OutOsc, OutCall>;

// Where playback is at one moment of a block: from `atMs` of output time on,
// the audio runs from `tick` of `song` at `factor` ticks per output
// millisecond, transposed by `transpose` half steps (when `sounding`). The
// audio path follows these points; consecutive points on one straight line
// are one stretch of audio.
struct TrajectoryPoint {
  double atMs = 0.0;  // from the start of the block; commands apply at 0
  std::size_t song = 0;
  double tick = 0.0;
  double factor = 1.0;
  int transpose = 0;
  bool sounding = false;
  bool runOn = false;    // the song was entered by attacca: the previous one rings on
  bool command = false;  // placed by a command rather than by playback
};

struct Command {
  enum class Kind {
    Start,  // first block: announce the current song and the volume
    Play,
    Pause,
    Stop,
    Continue,
    FlowExit,
    Load,  // song, tick (or the song's start tick)
    Seek,
    NextMeasure,
    PreviousMeasure,
    NextMarker,
    PreviousMarker,
    Fade,
    FadeTo,
    CancelFade,
    SetVolume,
    Raise,  // publish `event` in order with the others
  };
  Command() = default;
  explicit Command(Kind k) : kind(k) {}

  Kind kind = Kind::Play;
  std::size_t song = 0;
  std::optional<UInt32> tick;
  double seconds = 0.0;
  double level = 0.0;
  std::function<void()> done;
  OutEvent event{notify::PlayerEvent::PlaybackStarted, 0, {}};
  bool countsPending = false;  // a Load or SetVolume whose value the caller already published
};

// What queries read, from any thread.
struct TransportShared {
  std::atomic<int> state{static_cast<int>(TransportState::Stopped)};
  std::atomic<UInt32> tick{0};  // the audible playhead (see Transport::Publish)
  std::atomic<std::size_t> song{0};
  std::atomic<double> master{1.0};
  std::atomic<double> outputGain{1.0};
  // A caller that queues a Load publishes its song (and the stopped state) at
  // once and counts it here; the engine publishes its own song and state only
  // when no such Load is waiting. Volumes set by callers likewise.
  std::mutex songMutex;
  int pendingLoads = 0;
  int pendingVolumes = 0;
};

// Position of playback within a song's plan.
struct Cursor {
  std::size_t song = 0;
  double tick = 0.0;
  std::size_t next = 0;    // first action not yet applied
  std::uint64_t pass = 0;  // counts jumps, so a loop's second pass differs from its first
  bool flowActive = false;
  std::size_t flowRegion = 0;
  int passesLeft = 0;  // repeat: passes including the current; vamp: 0 = endless
  bool exitPending = false;
  // Rest position whose caesura and OSC events were dealt with at rest (-1: none).
  std::int64_t restTick = -1;
  // Its markers too: the repositioning announced the position (not so at a hold).
  bool restAnnounced = false;
  // Its OSC events went to the application to be sent when playback starts.
  bool restOscQueued = false;
};

class Transport {
 public:
  static constexpr double kLookAheadMs = 150.0;
  static constexpr double kPlayheadPeriodMs = 40.0;
  static constexpr double kVolumePeriodMs = 50.0;
  static constexpr double kPreviousMeasureGraceTicks = 250.0;

  Transport(TransportShared& shared, std::shared_ptr<const PlaybackPlan> plan, std::size_t song);

  // A new plan keeps the position; a flow region that no longer exists is left.
  void SetPlan(std::shared_ptr<const PlaybackPlan> plan);
  void SetOscActive(bool active) { oscActive_ = active; }

  void Apply(Command& command);
  void Advance(double outputMs);

  std::vector<OutItem>& Outbox() { return outbox_; }
  // Where playback went since the last Take (see TrajectoryPoint).
  std::vector<TrajectoryPoint>& Trajectory() { return trajectory_; }
  // A fade or a volume ramp is running.
  bool Ramping() const { return fade_.has_value() || masterRamp_.has_value(); }
  TransportState State() const { return state_; }
  const Cursor& GetCursor() const { return cursor_; }
  const std::shared_ptr<const PlaybackPlan>& CurrentPlan() const { return plan_; }
  double FadeGain() const { return fadeGain_; }
  double Master() const { return master_; }

 private:
  struct Display {
    std::string key, tempo, meter, scale, barBeat, flowLabel;
    int transpose = 0;
    int flowValue = 0;
    int page = 0;
    bool continueLit = false;
  };
  struct Ramp {
    double from = 1.0, to = 0.0, durationMs = 0.0, elapsedMs = 0.0;
    // The ramp's completion, after those of the ramps it replaced.
    std::vector<std::function<void()>> done;
  };

  const SongPlan& Plan() const { return plan_->songs[cursor_.song]; }
  double EndTick() const;
  void Raise(notify::PlayerEvent event, int value = 0, std::string text = {});
  void SetState(TransportState s);
  void Publish();

  // Transport operations.
  void Play();
  void Pause();
  void Stop();
  void Continue();
  void FlowExit();
  void Load(std::size_t song, std::optional<UInt32> tick);
  void Seek(UInt32 tick);
  void Release();
  void CancelFadeRamp();
  // Starts `ramp` in place of `running`, whose completions run when it ends.
  void Replace(std::optional<Ramp>& running, Ramp ramp, std::function<void()> done);
  void Complete(Ramp& ramp);
  void Record(double atMs, bool command = false);

  // Places the cursor at rest at `tick` (flow cleared).
  void PlaceAtRest(UInt32 tick);
  // Events after a repositioning; `force` raises every display value.
  void Reposition(bool force, bool forceFlow = false, bool marker = true);
  void EnqueueOscAt(UInt32 tick);
  Display Compute() const;
  void UpdateDisplay(bool force, bool forceFlow = false);
  void LeaveFlow();

  void Run(double outputMs);
  void OnSongEnd();
  void LookAhead();

  TransportShared& shared_;
  std::shared_ptr<const PlaybackPlan> plan_;
  Cursor cursor_;
  TransportState state_ = TransportState::Stopped;
  std::vector<OutItem> outbox_;
  std::vector<TrajectoryPoint> trajectory_;
  bool runOnPending_ = false;
  bool oscActive_ = false;
  // OSC events already handed out ahead of time: (index into the plan's oscs, pass).
  std::set<std::pair<std::uint32_t, std::uint64_t>> oscSent_;
  std::optional<Display> shown_;
  double sincePlayheadMs_ = 0.0;
  bool repositioned_ = false;

  double master_ = 1.0;
  double fadeGain_ = 1.0;
  std::optional<Ramp> fade_;        // fade gain towards 0
  std::optional<Ramp> masterRamp_;  // master gain towards a level
  double sinceVolumeMs_ = 0.0;
};

// "120", "92.5": rounded to one decimal, without a trailing ".0".
std::string FormatOneDecimal(double value);
// "0012 03": the bar label padded to at least four characters, the beat to two.
std::string FormatBarBeat(const std::string& label, int beat);
// The key signature moved by `halfSteps`, spelled with at most six accidentals.
int TransposeKeySignature(int sharpsFlats, int halfSteps);

}  // namespace vand::player
