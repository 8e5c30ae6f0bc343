#pragma once

// The playback plan: per song, the change log compiled into sorted action
// points (jumps, holds, region entries and exits, markers, OSC) and parameter
// segments (tempo scale, transposition), with the click-edited grid. A plan is
// immutable; the engine thread receives new ones as a whole.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "CL/ChangeLog.h"
#include "CL/Events.h"
#include "CL/SongLog.h"
#include "TL/BarsBeats.h"
#include "cmn/EventCodes.h"
#include "engine/ShowModel.h"

namespace vand::player {

// At one tick actions apply in this order.
enum class ActionKind : std::uint8_t {
  RegionEnd = 0,    // end of a vamp, repeat or skip
  CutStart = 1,     // jump to the cut's end
  Caesura = 2,      // hold
  RegionStart = 3,  // entry into a vamp, repeat or skip
  Marker = 4,
  Osc = 5,
};

struct Action {
  UInt32 tick = 0;
  ActionKind kind = ActionKind::Marker;
  std::uint32_t index = 0;  // into regions (RegionStart, RegionEnd), cuts or oscs; 0 for the others
};

struct FlowRegion {
  using Kind = codes::FlowKind;
  Kind kind = Kind::Cut;
  UInt32 start = 0;
  UInt32 end = 0;
  int count = 0;  // vamp: 0 = endless; repeat: passes
  std::string id;
};

struct Segment {
  UInt32 start = 0;
  UInt32 end = 0;
  double value = 0.0;
};

struct SongPlan {
  const SongModel* song = nullptr;
  UInt8 attacca = 0;
  std::vector<Action> actions;  // by tick, then kind
  // Regions and cuts are disjoint from each other (a later overlapping one is dropped).
  std::vector<FlowRegion> regions;      // by start
  std::vector<FlowRegion> cuts;         // by start
  std::vector<UInt32> markers;          // ascending
  std::vector<CL::Osc> oscs;            // by start
  std::vector<Segment> tempoScales;     // disjoint, by start
  std::vector<Segment> transpositions;  // disjoint, by start
  std::vector<TL::BarsBeats> clickGrid;

  // The lookups run in every block: binary searches, whatever the log's size.
  // Index of the first action at or after `tick`.
  std::size_t FirstActionAt(double tick) const;
  double TempoFactorAt(double tick) const;
  // Next tick above `tick` where the tempo factor changes (infinity when none).
  double NextTempoBoundary(double tick) const;
  // Next tick above `tick` where the tempo factor or the transposition changes.
  double NextParameterBoundary(double tick) const;
  int TranspositionAt(double tick) const;
  // Where a jump to `tick` lands: the end of any cut that contains it.
  UInt32 ResolveCuts(UInt32 tick) const;
  // The OSC events at exactly `tick`: indexes [first, second) into oscs.
  std::pair<std::size_t, std::size_t> OscsAt(UInt32 tick) const;
  // Neither skipped (attacca 2) nor without audio.
  bool Playable() const;
};

struct PlaybackPlan {
  std::uint64_t generation = 0;
  std::shared_ptr<const ShowModel> show;
  std::vector<SongPlan> songs;  // the show's song order

  // The next / previous song after `from` that is Playable.
  std::optional<std::size_t> NextPlayable(std::size_t from) const;
  std::optional<std::size_t> PreviousPlayable(std::size_t from) const;
  std::optional<std::size_t> FirstPlayable() const;
};

// Compiles one song. `log` may be null (no edits).
SongPlan CompileSongPlan(const SongModel& song, const CL::SongLog* log);

// Compiles every song from the change log.
std::shared_ptr<const PlaybackPlan> CompilePlaybackPlan(std::shared_ptr<const ShowModel> show, const CL::ChangeLog& log,
                                                        std::uint64_t generation);

}  // namespace vand::player
