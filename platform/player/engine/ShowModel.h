#pragma once

// The show as the engine holds it: songs from show.json with their grids,
// timelines, pages and audio extents. Immutable once loaded.
// Threading: loading runs on the caller's thread and reads the songs' audio
// headers on a few short-lived threads of its own, joined before it returns.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TL/BarsBeats.h"
#include "TL/Timeline.h"
#include "cmn/Types.h"
#include "engine/ShowFile.h"
#include "engine/SongGrid.h"
#include "kit/NumericStringCompare.h"

namespace vand::player {

struct AudioHeader {
  std::int64_t frames = 0;
  int sampleRate = 0;
  int channels = 0;
};

// Reads the header of an audio file (WAV, FLAC, Ogg ...) without decoding.
// Throws std::runtime_error naming the file.
AudioHeader ReadAudioHeader(const std::filesystem::path& file);

struct SongModel {
  std::size_t index = 0;  // position in the show's song order
  std::string number;
  std::string name;
  std::filesystem::path audioFile;
  AudioHeader audio;
  // Why the audio cannot be played (file missing, unreadable, too long);
  // empty when it can. Such a song has no audio: audioEnd is audioStart.
  std::string audioError;
  UInt32 audioStart = 0;  // tick of the first sample
  UInt32 audioEnd = 0;    // tick after the last sample
  UInt32 startTick = 0;
  UInt32 length = 0;
  UInt8 defaultAttacca = 0;

  std::vector<GridEntry> grid;          // base grid with labels
  std::vector<TL::BarsBeats> baseGrid;  // the same as records
  std::vector<UInt32> barStarts;        // ticks of the beat-1 entries
  std::vector<MeterPoint> meters;
  std::vector<TempoPoint> tempos;
  std::vector<KeyPoint> keys;
  TL::Timeline timeline;
  std::vector<PageMark> pages;  // ascending tick

  // Where a seek may go: [audioStart, max(length, audioEnd)].
  UInt32 SeekLimit() const { return std::max(length, audioEnd); }
  bool Playable() const { return audioError.empty(); }
};

struct PageLocation {
  std::size_t song = 0;
  UInt32 tick = 0;
};

struct PagePlace {
  std::size_t song = 0;
  UInt32 tick = 0;
  unsigned page = 0;
};

struct ShowModel {
  std::filesystem::path folder;
  std::string identifier;
  std::string showName;
  int sampleRate = 48000;
  std::vector<SongModel> songs;  // in kit::NumericStringCompare order of their numbers
  std::map<unsigned, PageLocation> pages;
  // The same pages in show order (song, tick), equal places by page number.
  std::vector<PagePlace> pagesInOrder;

  // The page shown at a position: the last page starting at or before it in
  // show order (of pages starting at one place, the highest number), else the
  // show's first page (the lowest number at the first place); 0 for a show
  // without pages. A binary search.
  unsigned PageAt(std::size_t song, UInt32 tick) const;

  // Index of the song with exactly this number.
  std::optional<std::size_t> Find(const std::string& number) const;
  // Exact match first, else the first number that is numerically equal ("3" ~ "03").
  std::optional<std::size_t> FindLoosely(const std::string& number) const;
  const SongModel& SongOrThrow(const std::string& number) const;  // std::invalid_argument
};

// Loads <folder>/show.json and the audio headers. Throws std::runtime_error
// for a show.json that cannot be read; a song whose audio cannot be read is
// kept, with its audioError.
std::shared_ptr<const ShowModel> LoadShowModel(const std::filesystem::path& folder);

// Builds the model from a parsed definition (audio headers read from `folder`).
std::shared_ptr<const ShowModel> BuildShowModel(const ShowDefinition& definition, const std::filesystem::path& folder);

// Text equality where digit runs compare by value: "012" ~ "12", "3A" ~ "03A".
bool NumericallyEqual(const std::string& a, const std::string& b);

// The record of a grid entry; the label must pass IsValidBarLabel.
TL::BarsBeats ToBarsBeats(const GridEntry& entry);

}  // namespace vand::player
