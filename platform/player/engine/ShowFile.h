#pragma once

// The show definition file "show.json": what the engine reads of a show.
//
// {
//   "format": "vand-show", "formatVersion": "1.0",
//   "identifier": "demo", "showName": "Demo Show", "sampleRate": 48000,
//   "songs": [ {
//     "number": "1", "name": "Overture", "audio": "audio/01-overture.flac",
//     "audioOffsetTicks": 0, "startTick": 2000, "defaultAttacca": 0,
//     "firstBar": 1, "pickupBeats": 1, "barCount": 64, "lengthTicks": null,
//     "tempos": [ {"bar": "1", "bpm": 120.0} ],
//     "meters": [ {"bar": "1", "num": 4, "den": 4} ],
//     "keys":   [ {"bar": "1", "sharpsFlats": -3, "mode": 0} ],
//     "barLabels": { "17": "16A" },
//     "beats": null,
//     "pages": [ [1, 0], [2, 32000] ] } ] }
//
// Ticks are milliseconds of the song's own audio at its original tempo.
// With a generated grid the "bar" of tempos, meters, keys and barLabels is the
// bar's ordinal number (firstBar for the first full bar, firstBar - 1 for the
// pickup). With explicit "beats" ([[tick, "label", beat], ...]) it is a bar
// label of that list.
//
// The reader checks everything it can without touching other files and
// throws std::runtime_error("show.json: ...") naming what is wrong.

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vand::player {

struct TempoMark {
  std::string bar;
  double bpm = 120.0;  // quarter notes per minute
};

struct MeterMark {
  std::string bar;
  int num = 4;
  int den = 4;
};

struct KeyMark {
  std::string bar;
  int sharpsFlats = 0;  // -7..7
  int mode = 0;         // 0 major, 1 minor
};

struct ExplicitBeat {
  std::uint32_t tick = 0;
  std::string label;
  int beat = 1;
};

struct PageMark {
  unsigned page = 0;
  std::uint32_t tick = 0;
};

struct SongDefinition {
  std::string number;
  std::string name;
  std::string audio;  // relative to the show folder
  std::uint32_t audioOffsetTicks = 0;
  std::uint32_t startTick = 0;
  std::uint8_t defaultAttacca = 0;
  int firstBar = 1;
  int pickupBeats = 0;
  int barCount = 0;
  std::optional<std::uint32_t> lengthTicks;
  std::vector<TempoMark> tempos;
  std::vector<MeterMark> meters;
  std::vector<KeyMark> keys;
  std::map<std::string, std::string> barLabels;
  std::optional<std::vector<ExplicitBeat>> beats;
  std::vector<PageMark> pages;
};

struct ShowDefinition {
  std::string identifier;
  std::string showName;
  int sampleRate = 48000;
  std::vector<SongDefinition> songs;  // in file order
};

// Largest tick a show may use (24 hours).
inline constexpr std::uint32_t kMaxShowTick = 24u * 3600u * 1000u;

ShowDefinition ParseShowDefinition(std::string_view json);
ShowDefinition ReadShowDefinition(const std::filesystem::path& file);

// Serialises a definition (used by the demo generator and tests).
std::string WriteShowDefinition(const ShowDefinition& show);

// True when `relative` is a plain relative path that stays inside its folder.
bool IsContainedRelativePath(std::string_view relative);

// A bar label the grid can carry: an optional '-', 1 to 9 digits, then at
// most 3 further printable ASCII characters that are not digits ("16A", "0").
bool IsValidBarLabel(std::string_view label);

}  // namespace vand::player
