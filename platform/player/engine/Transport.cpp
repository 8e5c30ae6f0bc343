#include "engine/Transport.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

#include "cmn/Keys.h"
#include "vand_audio/VolumeType.h"

namespace vand::player {
namespace {

using notify::PlayerEvent;

constexpr double kEpsilon = 1e-9;

// Loop guards: each bounds one block's work should a plan ever make a loop
// spin without end. Move() gives up after kMaxMoveSteps steps, Run() after
// kMaxSongEndsPerBlock song ends. At either limit the rest of the block's
// output time is dropped: the cursor stays where it stopped, no event is
// lost, and the next block carries on from there.
constexpr std::size_t kMaxMoveSteps = 1000000;
constexpr int kMaxSongEndsPerBlock = 1000;

// Receives what happens while the cursor moves.
class MoveSink {
 public:
  virtual void OnMarker(UInt32 tick) = 0;
  // The plan's OSC event `index` is reached on `pass`, `atMs` into the move.
  virtual void OnOsc(std::uint32_t index, std::uint64_t pass, double atMs) = 0;
  virtual void OnFlowChanged() = 0;
  virtual void OnJump() = 0;
  // The cursor runs on from here at `factor`, `atMs` into the move.
  virtual void OnRun(double /*atMs*/, double /*factor*/) {}

 protected:
  ~MoveSink() = default;
};

enum class MoveStop { None, Hold, SongEnd };

void JumpTo(const SongPlan& plan, Cursor& c, UInt32 tick, MoveSink& sink) {
  UInt32 target = plan.ResolveCuts(tick);
  c.tick = target;
  c.next = plan.FirstActionAt(target);
  ++c.pass;
  c.restTick = -1;
  sink.OnJump();
}

// Moves the cursor along the plan for up to `outMs` of output time. Applies
// the actions it reaches, in tick order. Returns the output time used; less
// than `outMs` when it stops at a hold, at the song's end or at kMaxMoveSteps.
double Move(const SongPlan& plan, Cursor& c, double outMs, double endTick, MoveSink& sink, MoveStop& stop) {
  stop = MoveStop::None;
  double used = 0.0;
  const auto& actions = plan.actions;
  // Every iteration either applies an action, jumps or consumes time; jumps
  // only go to region starts, which lie behind a stretch of time.
  for (std::size_t step = 0; step < kMaxMoveSteps; ++step) {
    bool jumped = false;
    while (c.next < actions.size() && static_cast<double>(actions[c.next].tick) <= c.tick + kEpsilon) {
      const Action& a = actions[c.next++];
      const bool atRest = c.restTick == static_cast<std::int64_t>(a.tick);
      switch (a.kind) {
        case ActionKind::RegionEnd: {
          if (!c.flowActive || c.flowRegion != a.index) break;
          const FlowRegion& r = plan.regions[a.index];
          bool loop = false;
          if (r.kind == FlowRegion::Kind::Repeat) {
            loop = !c.exitPending && c.passesLeft > 1;
          } else if (r.kind == FlowRegion::Kind::Vamp) {
            loop = !c.exitPending && (r.count == 0 || c.passesLeft > 1);
          }
          if (loop) {
            if (r.count != 0) --c.passesLeft;
            JumpTo(plan, c, r.start, sink);
            // The region stays active: its own entry is not applied again.
            sink.OnFlowChanged();
            jumped = true;
          } else {
            c.flowActive = false;
            c.exitPending = false;
            sink.OnFlowChanged();
          }
          break;
        }
        case ActionKind::CutStart:
          JumpTo(plan, c, a.tick, sink);
          jumped = true;
          break;
        case ActionKind::Caesura:
          if (atRest) break;
          c.restTick = a.tick;
          c.restAnnounced = false;
          c.restOscQueued = false;
          stop = MoveStop::Hold;
          return used;
        case ActionKind::RegionStart: {
          if (c.flowActive && c.flowRegion == a.index) break;
          const FlowRegion& r = plan.regions[a.index];
          c.flowActive = true;
          c.flowRegion = a.index;
          c.exitPending = false;
          c.passesLeft = r.kind == FlowRegion::Kind::Skip ? 0 : r.count;
          sink.OnFlowChanged();
          break;
        }
        case ActionKind::Marker:
          if (!(atRest && c.restAnnounced)) sink.OnMarker(a.tick);
          break;
        case ActionKind::Osc:
          if (!(atRest && c.restOscQueued)) sink.OnOsc(a.index, c.pass, used);
          break;
      }
      if (jumped) break;
    }
    if (jumped) continue;
    if (c.tick >= endTick - kEpsilon) {
      stop = MoveStop::SongEnd;
      return used;
    }
    const double remaining = outMs - used;
    if (remaining <= kEpsilon) return used;
    const double factor = plan.TempoFactorAt(c.tick);
    sink.OnRun(used, factor);
    double boundary = std::min(endTick, plan.NextParameterBoundary(c.tick));
    if (c.next < actions.size()) boundary = std::min(boundary, static_cast<double>(actions[c.next].tick));
    const double reach = c.tick + remaining * factor;
    if (reach >= boundary - kEpsilon) {
      used += (boundary - c.tick) / factor;
      c.tick = boundary;
    } else {
      c.tick = reach;
      used = outMs;
    }
    if (c.restTick >= 0 && c.tick > static_cast<double>(c.restTick) + kEpsilon) c.restTick = -1;
  }
  return used;
}

// Seconds (often a float) as milliseconds, to the microsecond; at most an hour.
double RampMs(double seconds) {
  if (!std::isfinite(seconds) || seconds <= 0.0) return 0.0;
  return std::round(std::min(seconds, 3600.0) * 1e6) / 1e3;
}

// The last of `points` (ascending by tick) at or before `tick`; the first
// when all lie after it; null when there are none.
template <class Points, class Pred>
auto LastAtOrBefore(const Points& points, double tick, Pred tickOf) -> decltype(&points.front()) {
  if (points.empty()) return nullptr;
  auto it = std::upper_bound(points.begin(), points.end(), tick,
                             [&](double t, const auto& p) { return t < static_cast<double>(tickOf(p)); });
  return it == points.begin() ? &points.front() : &*(it - 1);
}

}  // namespace

std::string FormatOneDecimal(double value) {
  if (!std::isfinite(value)) return "0";
  long long tenths = std::llround(value * 10.0);
  std::string out = std::to_string(tenths / 10);
  if (tenths < 0 && tenths / 10 == 0) out = "-0";
  if (tenths % 10 != 0) {
    out.push_back('.');
    out.push_back(static_cast<char>('0' + std::llabs(tenths % 10)));
  }
  return out;
}

std::string FormatBarBeat(const std::string& label, int beat) {
  std::string bar = label;
  if (bar.size() < 4) bar.insert(bar.begin(), 4 - bar.size(), '0');
  std::string b = std::to_string(beat);
  if (b.size() < 2) b.insert(b.begin(), 2 - b.size(), '0');
  return bar + " " + b;
}

int TransposeKeySignature(int sharpsFlats, int halfSteps) {
  if (halfSteps == 0) return sharpsFlats;
  int r = ((sharpsFlats + 7 * halfSteps) % 12 + 12) % 12;  // 0..11
  return r > 6 ? r - 12 : r;                               // -5..6
}

Transport::Transport(TransportShared& shared, std::shared_ptr<const PlaybackPlan> plan, std::size_t song)
    : shared_(shared), plan_(std::move(plan)) {
  cursor_.song = song;
  PlaceAtRest(Plan().song->startTick);
  master_ = shared_.master.load();
  Publish();
}

double Transport::EndTick() const {
  const SongPlan& p = Plan();
  if (p.attacca == 1 && plan_->NextPlayable(cursor_.song)) return p.song->length;
  return p.song->SeekLimit();
}

void Transport::Raise(PlayerEvent event, int value, std::string text) {
  outbox_.emplace_back(OutEvent{event, value, std::move(text)});
}

void Transport::SetState(TransportState s) { state_ = s; }

void Transport::Publish() {
  {
    std::lock_guard lock(shared_.songMutex);
    if (shared_.pendingLoads == 0) {
      shared_.song.store(cursor_.song);
      // At rest the tick heard is the cursor's; it goes out before the state,
      // so that a reader who sees the state sees its tick. While playing the
      // engine publishes the tick heard.
      if (state_ != TransportState::Playing) {
        shared_.tick.store(static_cast<UInt32>(std::max(0.0, std::floor(cursor_.tick + kEpsilon))));
      }
      shared_.state.store(static_cast<int>(state_));
    }
    if (shared_.pendingVolumes == 0) shared_.master.store(master_);
  }
  shared_.outputGain.store(master_ * fadeGain_);
}

void Transport::Record(double atMs, bool command) {
  TrajectoryPoint p;
  p.atMs = atMs;
  p.song = cursor_.song;
  p.tick = cursor_.tick;
  p.factor = Plan().TempoFactorAt(cursor_.tick);
  p.transpose = Plan().TranspositionAt(cursor_.tick);
  p.sounding = state_ == TransportState::Playing;
  p.runOn = runOnPending_;
  p.command = command;
  runOnPending_ = false;
  trajectory_.push_back(p);
}

void Transport::Replace(std::optional<Ramp>& running, Ramp ramp, std::function<void()> done) {
  if (running) ramp.done = std::move(running->done);
  if (done) ramp.done.push_back(std::move(done));
  running = std::move(ramp);
}

void Transport::Complete(Ramp& ramp) {
  for (auto& fn : ramp.done) {
    if (fn) outbox_.emplace_back(OutCall{std::move(fn)});
  }
  ramp.done.clear();
}

void Transport::SetPlan(std::shared_ptr<const PlaybackPlan> plan) {
  if (!plan || plan->songs.size() != plan_->songs.size()) return;
  const SongPlan& old = Plan();
  const bool processedHere = cursor_.next > old.FirstActionAt(cursor_.tick);
  std::optional<FlowRegion> region;
  if (cursor_.flowActive) region = old.regions[cursor_.flowRegion];
  // OSC events handed out ahead of time, by what names them in any plan.
  std::vector<std::tuple<std::string, UInt32, std::uint64_t>> sent;
  for (const auto& [index, pass] : oscSent_)
    sent.emplace_back(old.oscs[index].EventId(), old.oscs[index].start(), pass);
  plan_ = std::move(plan);
  const SongPlan& now = Plan();
  oscSent_.clear();
  for (const auto& [id, start, pass] : sent) {
    const auto [first, last] = now.OscsAt(start);
    for (std::size_t i = first; i < last; ++i) {
      if (now.oscs[i].EventId() == id) oscSent_.insert({static_cast<std::uint32_t>(i), pass});
    }
  }
  if (state_ != TransportState::Held && processedHere) {
    auto it = std::upper_bound(now.actions.begin(), now.actions.end(), cursor_.tick,
                               [](double t, const Action& a) { return t < static_cast<double>(a.tick); });
    cursor_.next = static_cast<std::size_t>(it - now.actions.begin());
  } else {
    cursor_.next = now.FirstActionAt(cursor_.tick);
  }
  if (region) {
    // The regions holding the cursor (ends count): the last starting at or
    // before it, and the one before that when it ends just there.
    auto after = std::upper_bound(now.regions.begin(), now.regions.end(), cursor_.tick,
                                  [](double t, const FlowRegion& r) { return t < static_cast<double>(r.start); });
    const auto last = static_cast<std::size_t>(after - now.regions.begin());
    bool kept = false;
    for (std::size_t i = last > 2 ? last - 2 : 0; i < last && !kept; ++i) {
      const FlowRegion& r = now.regions[i];
      if (r.kind == region->kind && r.id == region->id && cursor_.tick >= r.start && cursor_.tick <= r.end) {
        cursor_.flowRegion = i;
        if (r.kind == FlowRegion::Kind::Repeat) cursor_.passesLeft = std::min(cursor_.passesLeft, r.count);
        if (r.kind == FlowRegion::Kind::Vamp && r.count != region->count) cursor_.passesLeft = r.count;
        kept = true;
      }
    }
    if (!kept) LeaveFlow();
  }
  UpdateDisplay(false);
  Publish();
}

void Transport::Apply(Command& command) {
  using K = Command::Kind;
  switch (command.kind) {
    case K::Start: {
      const SongModel& s = *Plan().song;
      Raise(PlayerEvent::SongTitle, 0, s.name);
      Raise(PlayerEvent::SongLoaded, 0, s.number);
      Reposition(true);
      EnqueueOscAt(static_cast<UInt32>(cursor_.tick));
      Raise(PlayerEvent::StatusVolume, static_cast<int>(std::lround(master_ * 1000.0)));
      break;
    }
    case K::Play: Play(); break;
    case K::Pause: Pause(); break;
    case K::Stop: Stop(); break;
    case K::Continue: Continue(); break;
    case K::FlowExit: FlowExit(); break;
    case K::Load:
      if (command.countsPending) {
        std::lock_guard lock(shared_.songMutex);
        if (shared_.pendingLoads > 0) --shared_.pendingLoads;
      }
      if (command.song < plan_->songs.size()) Load(command.song, command.tick);
      break;
    case K::Seek:
      if (command.tick) Seek(*command.tick);
      break;
    case K::NextMeasure: {
      const auto& bars = Plan().song->barStarts;
      auto it = std::upper_bound(bars.begin(), bars.end(), cursor_.tick + kEpsilon,
                                 [](double t, UInt32 b) { return t < static_cast<double>(b); });
      if (it != bars.end()) Seek(*it);
      break;
    }
    case K::PreviousMeasure: {
      const SongModel& song = *Plan().song;
      const auto& bars = song.barStarts;
      auto it = std::upper_bound(bars.begin(), bars.end(), cursor_.tick + kEpsilon,
                                 [](double t, UInt32 b) { return t < static_cast<double>(b); });
      if (it == bars.begin()) {  // before the first full bar: the pickup
        Seek(song.startTick);
        break;
      }
      --it;  // the current bar's start
      if (cursor_.tick - *it > kPreviousMeasureGraceTicks) {
        Seek(*it);
      } else if (it == bars.begin()) {
        Seek(std::min(song.startTick, *it));
      } else {
        Seek(*(it - 1));
      }
      break;
    }
    case K::NextMarker: {
      const auto& m = Plan().markers;
      auto it = std::upper_bound(m.begin(), m.end(), cursor_.tick + kEpsilon,
                                 [](double t, UInt32 v) { return t < static_cast<double>(v); });
      if (it != m.end()) Seek(*it);
      break;
    }
    case K::PreviousMarker: {
      const auto& m = Plan().markers;
      auto it = std::lower_bound(m.begin(), m.end(), cursor_.tick - kEpsilon,
                                 [](UInt32 v, double t) { return static_cast<double>(v) < t; });
      if (it == m.begin()) {
        Seek(Plan().song->startTick);
      } else {
        Seek(*(it - 1));
      }
      break;
    }
    case K::Fade: {
      if (state_ != TransportState::Playing) {
        if (command.done) outbox_.emplace_back(OutCall{std::move(command.done)});
        break;
      }
      // A fade replacing a running one completes both when it ends.
      Replace(fade_, Ramp{fadeGain_, 0.0, RampMs(command.seconds), 0.0, {}}, std::move(command.done));
      Raise(PlayerEvent::PlaybackFading);
      break;
    }
    case K::FadeTo: {
      double level = std::isfinite(command.level) ? std::clamp(command.level, 0.0, vand_audio::kMaxGain) : master_;
      Replace(masterRamp_, Ramp{master_, level, RampMs(command.seconds), 0.0, {}}, std::move(command.done));
      sinceVolumeMs_ = 0.0;
      Raise(PlayerEvent::PlaybackFading);
      break;
    }
    case K::CancelFade:
      // A fade-out stopped part-way gives the level back; a FadeTo level stays
      // where it got to, and the display hears of it.
      if (fade_) CancelFadeRamp();
      if (masterRamp_) Raise(PlayerEvent::StatusVolume, static_cast<int>(std::lround(master_ * 1000.0)));
      masterRamp_.reset();
      if (state_ == TransportState::Faded) {
        fadeGain_ = 1.0;
        SetState(TransportState::Paused);
        Raise(PlayerEvent::PlaybackPaused);
      }
      break;
    case K::SetVolume:
      // A volume set ends a running ramp: its work is done.
      if (masterRamp_) Complete(*masterRamp_);
      masterRamp_.reset();
      if (command.countsPending) {
        std::lock_guard lock(shared_.songMutex);
        if (shared_.pendingVolumes > 0) --shared_.pendingVolumes;
      }
      master_ = std::isfinite(command.level) ? std::clamp(command.level, 0.0, vand_audio::kMaxGain) : master_;
      Raise(PlayerEvent::StatusVolume, static_cast<int>(std::lround(master_ * 1000.0)));
      break;
    case K::Raise: outbox_.emplace_back(command.event); break;
  }
  Record(0.0, true);
  Publish();
}

void Transport::CancelFadeRamp() {
  fade_.reset();
  fadeGain_ = 1.0;
}

void Transport::Play() {
  switch (state_) {
    case TransportState::Playing:
      if (fade_) CancelFadeRamp();
      return;
    case TransportState::Held:
      if (fade_) CancelFadeRamp();
      Release();
      return;
    case TransportState::Faded:
    case TransportState::Stopped:
    case TransportState::Paused: {
      CancelFadeRamp();
      // A cue inside a cut plays from the cut's end.
      const SongPlan& p = Plan();
      auto tick = static_cast<UInt32>(std::floor(cursor_.tick + kEpsilon));
      if (p.ResolveCuts(tick) != tick) {
        class Quiet final : public MoveSink {
         public:
          void OnMarker(UInt32) override {}
          void OnOsc(std::uint32_t, std::uint64_t, double) override {}
          void OnFlowChanged() override {}
          void OnJump() override {}
        } quiet;
        JumpTo(p, cursor_, tick, quiet);
        repositioned_ = true;
      }
      SetState(TransportState::Playing);
      Raise(PlayerEvent::PlaybackStarted);
      return;
    }
  }
}

void Transport::Pause() {
  if (state_ == TransportState::Playing) {
    SetState(TransportState::Paused);
    Raise(PlayerEvent::PlaybackPaused);
  } else if (state_ == TransportState::Faded) {
    CancelFadeRamp();
    SetState(TransportState::Paused);
    Raise(PlayerEvent::PlaybackPaused);
  }
}

void Transport::Release() {
  SetState(TransportState::Playing);
  Raise(PlayerEvent::PlaybackStarted);
  UpdateDisplay(false);
}

void Transport::Stop() {
  CancelFadeRamp();
  SetState(TransportState::Stopped);
  Raise(PlayerEvent::PlaybackStopped);
  PlaceAtRest(Plan().song->startTick);
  Reposition(false, true);
  EnqueueOscAt(Plan().song->startTick);
}

void Transport::Continue() {
  switch (state_) {
    case TransportState::Playing:
      if (cursor_.flowActive) FlowExit();
      return;
    default: Play(); return;
  }
}

void Transport::FlowExit() {
  if (state_ == TransportState::Held) {
    Release();
    return;
  }
  if (!cursor_.flowActive) return;
  const FlowRegion& r = Plan().regions[cursor_.flowRegion];
  if (r.kind == FlowRegion::Kind::Skip) {
    cursor_.tick = r.end;
    cursor_.next = Plan().FirstActionAt(r.end);
    ++cursor_.pass;
    cursor_.restTick = -1;
    LeaveFlow();
    repositioned_ = true;
    return;
  }
  cursor_.exitPending = true;
  if (r.kind == FlowRegion::Kind::Repeat) cursor_.passesLeft = 1;
  UpdateDisplay(false);
}

void Transport::Load(std::size_t song, std::optional<UInt32> tick) {
  const bool running = state_ != TransportState::Stopped;
  CancelFadeRamp();
  SetState(TransportState::Stopped);
  if (running) Raise(PlayerEvent::PlaybackStopped);
  cursor_.song = song;
  const SongModel& s = *Plan().song;
  UInt32 at = tick ? std::clamp(*tick, s.audioStart, s.SeekLimit()) : s.startTick;
  PlaceAtRest(at);
  Raise(PlayerEvent::SongTitle, 0, s.name);
  Raise(PlayerEvent::SongLoaded, 0, s.number);
  Reposition(true);
  EnqueueOscAt(at);
}

void Transport::Seek(UInt32 tick) {
  const SongModel& s = *Plan().song;
  UInt32 at = std::clamp(tick, s.audioStart, s.SeekLimit());
  // While playing, a position inside a cut is left at once (at rest, Play does it).
  if (state_ == TransportState::Playing) at = Plan().ResolveCuts(at);
  if (state_ == TransportState::Held) SetState(TransportState::Paused);
  PlaceAtRest(at);
  Reposition(false);
  EnqueueOscAt(at);
}

void Transport::PlaceAtRest(UInt32 tick) {
  cursor_.tick = tick;
  cursor_.next = Plan().FirstActionAt(tick);
  ++cursor_.pass;
  cursor_.flowActive = false;
  cursor_.exitPending = false;
  cursor_.passesLeft = 0;
  cursor_.restTick = tick;
  cursor_.restAnnounced = true;
  cursor_.restOscQueued = false;
  oscSent_.clear();
  repositioned_ = false;
}

void Transport::LeaveFlow() {
  cursor_.flowActive = false;
  cursor_.exitPending = false;
  cursor_.passesLeft = 0;
  UpdateDisplay(false);
}

void Transport::EnqueueOscAt(UInt32 tick) {
  if (!oscActive_) return;
  if (cursor_.restTick == static_cast<std::int64_t>(tick)) cursor_.restOscQueued = true;
  const SongPlan& plan = Plan();
  const auto [first, last] = plan.OscsAt(tick);
  for (std::size_t i = first; i < last; ++i) outbox_.emplace_back(OutOsc{false, plan.oscs[i], 0});
}

Transport::Display Transport::Compute() const {
  const SongPlan& p = Plan();
  const SongModel& s = *p.song;
  const double t = cursor_.tick;
  Display d;
  const double factor = p.TempoFactorAt(t);
  d.transpose = p.TranspositionAt(t);
  if (auto k = LastAtOrBefore(s.keys, t, [](const KeyPoint& x) { return x.tick; })) {
    d.key = Keys::keyNameFromSig(static_cast<Int16>(TransposeKeySignature(k->sharpsFlats, d.transpose)),
                                 static_cast<UInt16>(k->mode));
  }
  if (auto tp = LastAtOrBefore(s.tempos, t, [](const TempoPoint& x) { return x.tick; })) {
    d.tempo = FormatOneDecimal(tp->bpm * factor);
  }
  if (auto m = LastAtOrBefore(s.meters, t, [](const MeterPoint& x) { return x.tick; })) {
    d.meter = std::to_string(m->num) + "/" + std::to_string(m->den);
  }
  d.scale = FormatOneDecimal(factor * 100.0) + "%";
  if (auto b = LastAtOrBefore(s.grid, t, [](const GridEntry& x) { return x.tick; })) {
    d.barBeat = FormatBarBeat(b->label, b->beat);
  }
  d.page = static_cast<int>(plan_->show->PageAt(s.index, static_cast<UInt32>(std::floor(t + kEpsilon))));
  if (state_ == TransportState::Held) {
    d.flowLabel = "Caesura";
    d.continueLit = true;
  } else if (cursor_.flowActive) {
    const FlowRegion& r = p.regions[cursor_.flowRegion];
    switch (r.kind) {
      case FlowRegion::Kind::Vamp:
        d.flowLabel = "Vamp";
        d.flowValue = r.count;
        d.continueLit = true;
        break;
      case FlowRegion::Kind::Repeat:
        d.flowLabel = "Repeat";
        d.flowValue = cursor_.passesLeft;
        break;
      case FlowRegion::Kind::Skip:
        d.flowLabel = "Skip";
        d.continueLit = true;
        break;
      case FlowRegion::Kind::Cut:
      case FlowRegion::Kind::None: break;
    }
  }
  if (d.flowLabel.empty()) d.flowLabel = "ClearPickupBeat";
  return d;
}

void Transport::UpdateDisplay(bool force, bool forceFlow) {
  Display d = Compute();
  const bool all = force || !shown_;
  const Display old = shown_ ? *shown_ : Display{};
  if (all || d.scale != old.scale) Raise(PlayerEvent::TempoScale, 0, d.scale);
  if (all || d.transpose != old.transpose) Raise(PlayerEvent::Transposition, d.transpose);
  if (all || d.key != old.key) Raise(PlayerEvent::Key, 0, d.key);
  if (all || d.tempo != old.tempo) Raise(PlayerEvent::Tempo, 0, d.tempo);
  if (all || d.meter != old.meter) Raise(PlayerEvent::Meter, 0, d.meter);
  if (all || forceFlow || d.flowLabel != old.flowLabel || d.flowValue != old.flowValue) {
    Raise(PlayerEvent::StatusFlowControl, d.flowValue, d.flowLabel);
  }
  if (all || forceFlow || d.continueLit != old.continueLit) {
    Raise(d.continueLit ? PlayerEvent::VampOn : PlayerEvent::VampOff);
  }
  if (all || d.page != old.page) Raise(PlayerEvent::PageNum, d.page);
  if (all || d.barBeat != old.barBeat) Raise(PlayerEvent::BarBeat, 0, d.barBeat);
  shown_ = d;
}

void Transport::Reposition(bool force, bool forceFlow, bool marker) {
  UpdateDisplay(force, forceFlow);
  auto tick = static_cast<int>(std::floor(cursor_.tick + kEpsilon));
  if (marker) Raise(PlayerEvent::Marker, tick);
  Raise(PlayerEvent::Playhead, tick);
  sincePlayheadMs_ = 0.0;
  repositioned_ = false;
}

void Transport::Advance(double outputMs) {
  if (!(outputMs >= 0.0) || !std::isfinite(outputMs)) outputMs = 0.0;

  if (state_ == TransportState::Playing) Run(outputMs);

  // The fade ramp runs with playback; at its end the output is silent and
  // playback rests where it got to.
  if (fade_ && state_ == TransportState::Playing) {
    fade_->elapsedMs += outputMs;
    double x = fade_->durationMs > 0.0 ? std::min(1.0, fade_->elapsedMs / fade_->durationMs) : 1.0;
    fadeGain_ = fade_->from * std::cos(x * std::numbers::pi / 2.0);
    if (x >= 1.0) {
      fadeGain_ = 0.0;
      SetState(TransportState::Faded);
      Complete(*fade_);
      fade_.reset();
    }
  }
  if (masterRamp_) {
    masterRamp_->elapsedMs += outputMs;
    sinceVolumeMs_ += outputMs;
    double x = masterRamp_->durationMs > 0.0 ? std::min(1.0, masterRamp_->elapsedMs / masterRamp_->durationMs) : 1.0;
    master_ = masterRamp_->from + (masterRamp_->to - masterRamp_->from) * x;
    if (x >= 1.0) {
      master_ = masterRamp_->to;
      Raise(PlayerEvent::StatusVolume, static_cast<int>(std::lround(master_ * 1000.0)));
      Complete(*masterRamp_);
      masterRamp_.reset();
    } else if (sinceVolumeMs_ >= kVolumePeriodMs) {
      sinceVolumeMs_ = 0.0;
      Raise(PlayerEvent::StatusVolume, static_cast<int>(std::lround(master_ * 1000.0)));
    }
  }

  if (repositioned_) {
    Reposition(false);
  } else {
    UpdateDisplay(false);
    if (state_ == TransportState::Playing) {
      sincePlayheadMs_ += outputMs;
      if (sincePlayheadMs_ >= kPlayheadPeriodMs - kEpsilon) {
        sincePlayheadMs_ = std::fmod(sincePlayheadMs_, kPlayheadPeriodMs);
        Raise(PlayerEvent::Playhead, static_cast<int>(std::floor(cursor_.tick + kEpsilon)));
      }
    }
  }
  if (state_ == TransportState::Playing && oscActive_) LookAhead();
  Record(outputMs);
  Publish();
}

void Transport::Run(double outputMs) {
  class RealSink final : public MoveSink {
   public:
    explicit RealSink(Transport& t) : t_(t) {}
    void OnMarker(UInt32 tick) override { t_.Raise(PlayerEvent::Marker, static_cast<int>(tick)); }
    void OnOsc(std::uint32_t index, std::uint64_t pass, double) override {
      if (t_.oscSent_.erase({index, pass}) > 0) return;
      if (t_.oscActive_) t_.outbox_.emplace_back(OutOsc{true, t_.Plan().oscs[index], 0});
    }
    void OnFlowChanged() override { t_.UpdateDisplay(false); }
    void OnJump() override { t_.repositioned_ = true; }
    void OnRun(double atMs, double) override { t_.Record(base + atMs); }

    double base = 0.0;  // output time of the block before this move

   private:
    Transport& t_;
  } sink(*this);

  double remaining = outputMs;
  for (int songEnds = 0; songEnds < kMaxSongEndsPerBlock && state_ == TransportState::Playing; ++songEnds) {
    MoveStop stop = MoveStop::None;
    sink.base = outputMs - remaining;
    remaining -= Move(Plan(), cursor_, remaining, EndTick(), sink, stop);
    if (stop == MoveStop::Hold) {
      SetState(TransportState::Held);
      Record(outputMs - remaining);
      Raise(PlayerEvent::PlaybackPaused);
      Reposition(false, false, false);  // its markers are reached on release
      EnqueueOscAt(static_cast<UInt32>(cursor_.restTick));
      return;
    }
    if (stop != MoveStop::SongEnd) return;
    OnSongEnd();
    if (state_ != TransportState::Playing) Record(outputMs - remaining);
    if (remaining <= kEpsilon) return;
  }
}

void Transport::OnSongEnd() {
  auto next = plan_->NextPlayable(cursor_.song);
  if (Plan().attacca == 1 && next) {
    // Run on into the next song without a gap.
    cursor_.song = *next;
    const SongModel& s = *Plan().song;
    PlaceAtRest(s.startTick);
    cursor_.restTick = -1;  // arriving while playing: its events at the start apply
    runOnPending_ = true;
    Raise(PlayerEvent::SongTitle, 0, s.name);
    Raise(PlayerEvent::SongLoaded, 0, s.number);
    Reposition(true);
    Raise(PlayerEvent::PlaybackStarted);
    return;
  }
  CancelFadeRamp();
  SetState(TransportState::Stopped);
  Raise(PlayerEvent::PlaybackStopped);
  if (next) {
    Load(*next, std::nullopt);
  } else {
    PlaceAtRest(Plan().song->startTick);
    Reposition(false, true);
    EnqueueOscAt(Plan().song->startTick);
  }
}

void Transport::LookAhead() {
  // Hands out each OSC event of the window once, when it first enters it.
  class DrySink final : public MoveSink {
   public:
    explicit DrySink(Transport& t) : t_(t) {}
    void OnMarker(UInt32) override {}
    void OnOsc(std::uint32_t index, std::uint64_t pass, double atMs) override {
      if (!t_.oscSent_.insert({index, pass}).second) return;
      t_.outbox_.emplace_back(
          OutOsc{true, t_.Plan().oscs[index], static_cast<unsigned>(std::lround(std::max(0.0, atMs)))});
    }
    void OnFlowChanged() override {}
    void OnJump() override {}

   private:
    Transport& t_;
  } dry(*this);
  // Passes the real cursor has left behind are done with.
  for (auto it = oscSent_.begin(); it != oscSent_.end();) {
    it = it->second < cursor_.pass ? oscSent_.erase(it) : std::next(it);
  }
  Cursor copy = cursor_;
  MoveStop stop = MoveStop::None;
  Move(Plan(), copy, kLookAheadMs, EndTick(), dry, stop);
}

}  // namespace vand::player
