#include "engine/PlaybackPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/ClickGrid.h"

namespace vand::player {
namespace {

UInt32 Clamp(UInt32 v, UInt32 hi) { return std::min(v, hi); }

bool Overlaps(UInt32 s1, UInt32 e1, UInt32 s2, UInt32 e2) { return s1 < e2 && s2 < e1; }

// Keeps the segments that do not overlap one kept earlier.
std::vector<Segment> Disjoint(std::vector<Segment> in) {
  std::stable_sort(in.begin(), in.end(), [](const Segment& a, const Segment& b) { return a.start < b.start; });
  std::vector<Segment> out;
  for (const auto& s : in) {
    if (!out.empty() && Overlaps(out.back().start, out.back().end, s.start, s.end)) continue;
    out.push_back(s);
  }
  return out;
}

}  // namespace

std::size_t SongPlan::FirstActionAt(double tick) const {
  auto it = std::lower_bound(actions.begin(), actions.end(), tick,
                             [](const Action& a, double t) { return static_cast<double>(a.tick) < t; });
  return static_cast<std::size_t>(it - actions.begin());
}

namespace {

// The segment of `segments` (disjoint, by start) that holds `tick`; null when none does.
const Segment* SegmentAt(const std::vector<Segment>& segments, double tick) {
  auto it = std::upper_bound(segments.begin(), segments.end(), tick,
                             [](double t, const Segment& s) { return t < static_cast<double>(s.start); });
  if (it == segments.begin()) return nullptr;
  --it;
  return tick < static_cast<double>(it->end) ? &*it : nullptr;
}

// The first start or end of `segments` (disjoint, by start, so their ends
// ascend too) above `tick`; infinity when there is none.
double NextBoundary(const std::vector<Segment>& segments, double tick) {
  auto it = std::upper_bound(segments.begin(), segments.end(), tick,
                             [](double t, const Segment& s) { return t < static_cast<double>(s.end); });
  if (it == segments.end()) return std::numeric_limits<double>::infinity();
  return static_cast<double>(it->start) > tick ? it->start : it->end;
}

}  // namespace

double SongPlan::TempoFactorAt(double tick) const {
  const Segment* s = SegmentAt(tempoScales, tick);
  return s ? s->value : 1.0;
}

double SongPlan::NextTempoBoundary(double tick) const { return NextBoundary(tempoScales, tick); }

double SongPlan::NextParameterBoundary(double tick) const {
  return std::min(NextBoundary(tempoScales, tick), NextBoundary(transpositions, tick));
}

int SongPlan::TranspositionAt(double tick) const {
  const Segment* s = SegmentAt(transpositions, tick);
  return s ? static_cast<int>(s->value) : 0;
}

UInt32 SongPlan::ResolveCuts(UInt32 tick) const {
  // A cut may end where the next one starts: each step lands further on.
  for (;;) {
    auto it =
        std::upper_bound(cuts.begin(), cuts.end(), tick, [](UInt32 t, const FlowRegion& c) { return t < c.start; });
    if (it == cuts.begin() || tick >= (it - 1)->end) return tick;
    tick = (it - 1)->end;
  }
}

std::pair<std::size_t, std::size_t> SongPlan::OscsAt(UInt32 tick) const {
  auto first =
      std::lower_bound(oscs.begin(), oscs.end(), tick, [](const CL::Osc& o, UInt32 t) { return o.start() < t; });
  auto last = std::upper_bound(first, oscs.end(), tick, [](UInt32 t, const CL::Osc& o) { return t < o.start(); });
  return {static_cast<std::size_t>(first - oscs.begin()), static_cast<std::size_t>(last - oscs.begin())};
}

bool SongPlan::Playable() const { return attacca != 2 && song->Playable(); }

std::optional<std::size_t> PlaybackPlan::NextPlayable(std::size_t from) const {
  for (std::size_t i = from + 1; i < songs.size(); ++i) {
    if (songs[i].Playable()) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> PlaybackPlan::PreviousPlayable(std::size_t from) const {
  for (std::size_t i = std::min(from, songs.size()); i-- > 0;) {
    if (songs[i].Playable()) return i;
  }
  return std::nullopt;
}

std::optional<std::size_t> PlaybackPlan::FirstPlayable() const {
  for (std::size_t i = 0; i < songs.size(); ++i) {
    if (songs[i].Playable()) return i;
  }
  return std::nullopt;
}

SongPlan CompileSongPlan(const SongModel& song, const CL::SongLog* log) {
  SongPlan plan;
  plan.song = &song;
  plan.attacca = song.defaultAttacca;
  if (!log) {
    plan.clickGrid = song.baseGrid;
    return plan;
  }
  if (log->attaccaSet) plan.attacca = std::min<UInt8>(log->attacca, 2);
  const UInt32 limit = song.length;

  // Flow regions: one at a time, so later overlapping ones are dropped.
  std::vector<FlowRegion> flow;
  for (const codes::EventKind& kind : codes::kEventKinds) {
    if (kind.flow == codes::FlowKind::None) continue;
    for (const cmn::VandEvent* e : log->GetEventsOfCode(kind.code)) {
      UInt32 s = Clamp(std::min(e->start(), e->end()), limit);
      UInt32 en = Clamp(std::max(e->start(), e->end()), limit);
      if (s >= en) continue;
      int count = e->int_value();
      if (kind.value == codes::ValueKind::Int) count = static_cast<int>(std::clamp<double>(count, kind.min, kind.max));
      flow.push_back({kind.flow, s, en, count, e->EventId()});
    }
  }
  std::stable_sort(flow.begin(), flow.end(),
                   [](const FlowRegion& a, const FlowRegion& b) { return a.start < b.start; });
  // Every region kept so far starts at or before r, so r overlaps one of them
  // exactly when it starts before the furthest end kept.
  UInt32 keptEnd = 0;
  for (const auto& r : flow) {
    if (r.start < keptEnd) continue;
    keptEnd = r.end;
    if (r.kind == FlowRegion::Kind::Cut) {
      plan.cuts.push_back(r);
      plan.actions.push_back({r.start, ActionKind::CutStart, static_cast<std::uint32_t>(plan.cuts.size() - 1)});
    } else {
      plan.regions.push_back(r);
      auto index = static_cast<std::uint32_t>(plan.regions.size() - 1);
      plan.actions.push_back({r.start, ActionKind::RegionStart, index});
      plan.actions.push_back({r.end, ActionKind::RegionEnd, index});
    }
  }

  for (const auto& c : log->GetDisplayCaesurasRef()) {
    if (c.start() <= limit) plan.actions.push_back({c.start(), ActionKind::Caesura, 0});
  }
  for (const auto& m : log->GetMarkers()) {
    if (m.start() > limit) continue;
    plan.actions.push_back({m.start(), ActionKind::Marker, 0});
    plan.markers.push_back(m.start());
  }
  std::sort(plan.markers.begin(), plan.markers.end());
  for (const auto& o : log->GetOscs()) {
    if (o.start() > limit) continue;
    plan.actions.push_back({o.start(), ActionKind::Osc, static_cast<std::uint32_t>(plan.oscs.size())});
    plan.oscs.push_back(o);
  }
  std::stable_sort(plan.actions.begin(), plan.actions.end(), [](const Action& a, const Action& b) {
    if (a.tick != b.tick) return a.tick < b.tick;
    return a.kind < b.kind;
  });

  const codes::EventKind& tempo = *codes::FindEventKind(codes::kTempoScale);
  std::vector<Segment> scales;
  for (const auto& t : log->GetTempoScales()) {
    UInt32 s = Clamp(t.start(), limit), e = Clamp(t.end(), limit);
    double f = t.factor();
    if (!std::isfinite(f)) f = 1.0;
    if (s < e) scales.push_back({s, e, std::clamp(f, tempo.min, tempo.max)});
  }
  plan.tempoScales = Disjoint(std::move(scales));
  const codes::EventKind& transpose = *codes::FindEventKind(codes::kTranspose);
  std::vector<Segment> transpositions;
  for (const auto& t : log->GetTranspositions()) {
    UInt32 s = Clamp(t.start(), limit), e = Clamp(t.end(), limit);
    if (s < e) transpositions.push_back({s, e, std::clamp<double>(t.int_value(), transpose.min, transpose.max)});
  }
  plan.transpositions = Disjoint(std::move(transpositions));

  const codes::EventKind& click = *codes::FindEventKind(codes::kClick);
  std::vector<ClickRegion> clicks;
  for (const auto& c : log->GetClicks()) {
    UInt32 s = Clamp(c.start(), limit), e = Clamp(c.end(), limit);
    if (s < e && codes::InLimits(click, c.int_value())) clicks.push_back({s, e, c.int_value()});
  }
  if (clicks.empty()) {
    plan.clickGrid = song.baseGrid;
  } else {
    for (const auto& e : BuildClickGrid(song.grid, song.meters, clicks, song.length)) {
      plan.clickGrid.push_back(ToBarsBeats(e));
    }
  }
  return plan;
}

std::shared_ptr<const PlaybackPlan> CompilePlaybackPlan(std::shared_ptr<const ShowModel> show, const CL::ChangeLog& log,
                                                        std::uint64_t generation) {
  auto plan = std::make_shared<PlaybackPlan>();
  plan->generation = generation;
  plan->show = show;
  plan->songs.reserve(show->songs.size());
  for (const auto& song : show->songs) plan->songs.push_back(CompileSongPlan(song, log.FindSongLog(song.number)));
  return plan;
}

}  // namespace vand::player
