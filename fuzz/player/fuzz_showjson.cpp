// Fuzzes the show.json reader and the grid it lays over each song.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>

#include "engine/ShowFile.h"
#include "engine/SongGrid.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    auto show = vand::player::ParseShowDefinition(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const auto& song : show.songs) {
      auto grid = vand::player::BuildSongGrid(song);
      for (std::size_t i = 1; i < grid.beats.size(); ++i) {
        if (grid.beats[i].tick <= grid.beats[i - 1].tick) __builtin_trap();  // the reader promises a strict grid
      }
    }
  } catch (const std::runtime_error&) {
  }
  return 0;
}
