#pragma once

// Click values and the click-edited grid.
//
// A base-grid beat is one denominator note, 32/den 32nds. A click region of
// value v (in 32nds) puts its entries every v 32nds, measured from each bar's
// start; inside the region they replace the base beats and every bar is
// renumbered 1..k.

#include <cstdint>
#include <vector>

#include "engine/SongGrid.h"

namespace vand::player {

// The click values allowed over [start, end] (inclusive), in display order.
std::vector<int> AllowedClickValues(const std::vector<MeterPoint>& meters, std::uint32_t start, std::uint32_t end);

// The click values one meter allows, in display order (before the icon-set filter).
std::vector<int> ClickValuesForMeter(int num, int den);

struct ClickRegion {
  std::uint32_t start = 0;
  std::uint32_t end = 0;
  int value = 0;  // 32nds
};

// The base grid with the click regions applied. `length` closes the last bar.
std::vector<GridEntry> BuildClickGrid(const std::vector<GridEntry>& base, const std::vector<MeterPoint>& meters,
                                      const std::vector<ClickRegion>& regions, std::uint32_t length);

}  // namespace vand::player
