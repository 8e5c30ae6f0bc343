#include "engine/SongGrid.h"

#include <cmath>
#include <map>
#include <stdexcept>

namespace vand::player {
namespace {

[[noreturn]] void Fail(const SongDefinition& song, const std::string& what) {
  throw std::runtime_error("show.json: song " + song.number + ": " + what);
}

std::uint32_t RoundTick(const SongDefinition& song, double tick) {
  if (!(tick >= 0.0) || tick > static_cast<double>(kMaxShowTick)) Fail(song, "the song is longer than 24 hours");
  return static_cast<std::uint32_t>(std::llround(tick));
}

int ParseOrdinal(const SongDefinition& song, const std::string& bar, const char* what) {
  std::size_t used = 0;
  long long n = 0;
  try {
    n = std::stoll(bar, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != bar.size())
    Fail(song, std::string(what) + " names bar \"" + bar + "\", which is not a bar number");
  int first = song.firstBar - (song.pickupBeats > 0 ? 1 : 0);
  int last = song.firstBar + song.barCount - 1;
  if (n < first || n > last) Fail(song, std::string(what) + " names bar " + bar + ", which the song does not have");
  return static_cast<int>(n);
}

SongGrid BuildGenerated(const SongDefinition& song) {
  std::map<int, const TempoMark*> tempos;
  std::map<int, const MeterMark*> meters;
  std::map<int, const KeyMark*> keys;
  for (const auto& t : song.tempos) tempos[ParseOrdinal(song, t.bar, "a tempo")] = &t;
  for (const auto& m : song.meters) meters[ParseOrdinal(song, m.bar, "a meter")] = &m;
  for (const auto& k : song.keys) keys[ParseOrdinal(song, k.bar, "a key")] = &k;
  std::map<int, std::string> labels;
  for (const auto& [bar, label] : song.barLabels) labels[ParseOrdinal(song, bar, "a bar label")] = label;

  auto labelOf = [&](int ordinal) {
    auto it = labels.find(ordinal);
    return it != labels.end() ? it->second : std::to_string(ordinal);
  };

  SongGrid grid;
  double bpm = 120.0;
  int num = 4, den = 4;
  int sharpsFlats = 0, mode = 0;
  // The pickup takes the marks of the first full bar unless it has its own.
  const int pickupOrdinal = song.firstBar - 1;
  auto apply = [&](int ordinal, bool lookAhead) {
    auto pick = [&](auto& map) -> decltype(map.begin()->second) {
      auto it = map.find(ordinal);
      if (it == map.end() && lookAhead) it = map.find(ordinal + 1);
      return it == map.end() ? nullptr : it->second;
    };
    if (const TempoMark* t = pick(tempos)) bpm = t->bpm;
    if (const MeterMark* m = pick(meters)) {
      num = m->num;
      den = m->den;
    }
    if (const KeyMark* k = pick(keys)) {
      sharpsFlats = k->sharpsFlats;
      mode = k->mode;
    }
  };
  auto record = [&](std::uint32_t tick) {
    if (grid.tempos.empty() || grid.tempos.back().bpm != bpm) grid.tempos.push_back({tick, bpm});
    if (grid.meters.empty() || grid.meters.back().num != num || grid.meters.back().den != den) {
      grid.meters.push_back({tick, num, den});
    }
    if (grid.keys.empty() || grid.keys.back().sharpsFlats != sharpsFlats || grid.keys.back().mode != mode) {
      grid.keys.push_back({tick, sharpsFlats, mode});
    }
  };
  auto beatLength = [&] { return 60000.0 / bpm * 4.0 / den; };

  double pos = song.startTick;
  if (song.pickupBeats > 0) {
    apply(pickupOrdinal, true);
    if (song.pickupBeats >= num) Fail(song, "the pickup must be shorter than a bar");
    std::string label = labelOf(pickupOrdinal);
    record(RoundTick(song, pos));
    for (int i = 0; i < song.pickupBeats; ++i) {
      grid.beats.push_back({RoundTick(song, pos), label, num - song.pickupBeats + 1 + i});
      pos += beatLength();
    }
  }
  for (int b = song.firstBar; b < song.firstBar + song.barCount; ++b) {
    apply(b, false);
    std::string label = labelOf(b);
    record(RoundTick(song, pos));
    for (int beat = 1; beat <= num; ++beat) {
      grid.beats.push_back({RoundTick(song, pos), label, beat});
      pos += beatLength();
    }
  }
  grid.length = RoundTick(song, pos);
  return grid;
}

SongGrid BuildExplicit(const SongDefinition& song) {
  SongGrid grid;
  grid.beats.reserve(song.beats->size());
  for (const auto& b : *song.beats) grid.beats.push_back({b.tick, b.label, b.beat});

  auto tickOfBar = [&](const std::string& label, const char* what) {
    const GridEntry* first = nullptr;
    for (const auto& e : grid.beats) {
      if (e.label != label) continue;
      if (e.beat == 1) return e.tick;
      if (!first) first = &e;
    }
    if (!first) Fail(song, std::string(what) + " names bar \"" + label + "\", which the song does not have");
    return first->tick;
  };
  const std::uint32_t firstTick = grid.beats.front().tick;
  std::map<std::uint32_t, double> tempos{{firstTick, 120.0}};
  std::map<std::uint32_t, std::pair<int, int>> meters{{firstTick, {4, 4}}};
  std::map<std::uint32_t, std::pair<int, int>> keys{{firstTick, {0, 0}}};
  for (const auto& t : song.tempos) tempos[tickOfBar(t.bar, "a tempo")] = t.bpm;
  for (const auto& m : song.meters) meters[tickOfBar(m.bar, "a meter")] = {m.num, m.den};
  for (const auto& k : song.keys) keys[tickOfBar(k.bar, "a key")] = {k.sharpsFlats, k.mode};
  for (const auto& [tick, bpm] : tempos) grid.tempos.push_back({tick, bpm});
  for (const auto& [tick, m] : meters) grid.meters.push_back({tick, m.first, m.second});
  for (const auto& [tick, k] : keys) grid.keys.push_back({tick, k.first, k.second});

  const auto& beats = grid.beats;
  std::uint32_t step = beats.size() > 1 ? beats.back().tick - beats[beats.size() - 2].tick : 500;
  grid.length = RoundTick(song, static_cast<double>(beats.back().tick) + step);
  return grid;
}

}  // namespace

SongGrid BuildSongGrid(const SongDefinition& song) {
  SongGrid grid = song.beats ? BuildExplicit(song) : BuildGenerated(song);
  if (song.lengthTicks) grid.length = *song.lengthTicks;
  if (grid.length <= song.startTick) Fail(song, "the song must end after its start tick");
  // The grid stays inside the timeline.
  while (!grid.beats.empty() && grid.beats.back().tick >= grid.length) grid.beats.pop_back();
  if (grid.beats.empty()) Fail(song, "the song has no beats before its end");
  for (std::size_t i = 1; i < grid.beats.size(); ++i) {
    if (grid.beats[i].tick <= grid.beats[i - 1].tick) Fail(song, "the bars and beats do not increase strictly");
  }
  return grid;
}

}  // namespace vand::player
