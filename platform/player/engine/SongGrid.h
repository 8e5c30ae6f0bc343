#pragma once

// The bars-and-beats grid of one song, laid over its audio from show.json.

#include <cstdint>
#include <string>
#include <vector>

#include "engine/ShowFile.h"

namespace vand::player {

struct GridEntry {
  std::uint32_t tick = 0;
  std::string label;  // bar label
  int beat = 1;       // 1 marks a bar start
};

struct TempoPoint {
  std::uint32_t tick = 0;
  double bpm = 120.0;  // quarter notes per minute
};

struct MeterPoint {
  std::uint32_t tick = 0;
  int num = 4;
  int den = 4;
};

struct KeyPoint {
  std::uint32_t tick = 0;
  int sharpsFlats = 0;
  int mode = 0;
};

struct SongGrid {
  std::vector<GridEntry> beats;  // ticks strictly increasing
  std::vector<TempoPoint> tempos;
  std::vector<MeterPoint> meters;
  std::vector<KeyPoint> keys;
  std::uint32_t length = 0;  // end of the timeline (the end barline)
};

// Builds the grid: generated from meters and tempos, or the explicit beats.
// Throws std::runtime_error("show.json: song N: ...").
SongGrid BuildSongGrid(const SongDefinition& song);

}  // namespace vand::player
