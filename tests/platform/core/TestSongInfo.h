#pragma once

#include <map>
#include <string>
#include <vector>

#include "CL/Editor.h"

// Songs for the editor: a 4/4 grid of 480-tick beats from each song's start
// tick, bars numbered from 1 (bar 7 of song "1" is relabelled "7A").
class TestSongInfo : public CL::SongInfoProvider {
 public:
  struct Song {
    UInt32 start;
    UInt32 length;
  };
  std::map<std::string, Song> songs{{"1", {1000, 100000}}, {"2", {0, 50000}}};
  std::vector<int> clickValues{4, 8, 16};

  bool HasSong(const std::string& song) const override { return songs.count(song) != 0; }
  UInt32 GetSongStartTick(const std::string& song) const override { return songs.at(song).start; }
  UInt32 GetSongLengthTicks(const std::string& song) const override { return songs.at(song).length; }
  TL::BarsBeats GetBarBeatAtOrBefore(const std::string& song, UInt32 tick) const override {
    const UInt32 start = songs.at(song).start;
    const UInt32 beatIndex = tick < start ? 0 : (tick - start) / 480;
    TL::BarsBeats b;
    b.tick = start + beatIndex * 480;
    const Int32 bar = static_cast<Int32>(beatIndex / 4) + 1;
    b.SetBarLabel(bar, song == "1" && bar == 7 ? "A" : "");
    b.beat = static_cast<Int32>(beatIndex % 4) + 1;
    return b;
  }
  std::vector<int> GetAllowedClickValues(const std::string&, UInt32, UInt32) const override { return clickValues; }

  // Tick of bar/beat in song "1".
  static UInt32 At(int bar, int beat) { return 1000 + static_cast<UInt32>(((bar - 1) * 4 + (beat - 1)) * 480); }
};
