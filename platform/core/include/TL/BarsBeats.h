#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <type_traits>

#include "cmn/Types.h"

namespace TL {

// One entry of a song's bar-and-beat grid (16 bytes):
// bytes 0-3 tick, 4-11 bar data (number and a suffix of up to 4 characters,
// e.g. 16 and "A" for bar "16A"), 12-15 beat (1-based; 1 starts a bar).
struct BarsBeats {
  UInt32 tick{0};
  Int32 bar{0};
  char barSuffix[4]{};
  Int32 beat{0};

  static constexpr unsigned char evt_code = 'b';

  // Bar label: decimal bar followed by the suffix ("12A"; "0" for a pickup).
  std::string bar_number() const;
  // "tick=960 bar=12A beat=1"
  std::string WriteString() const;
  // Sets bar and suffix (the suffix is cut to 4 bytes).
  void SetBarLabel(Int32 barNumber, const std::string& suffix);

  bool operator==(const BarsBeats& o) const;
};

static_assert(sizeof(BarsBeats) == 16, "BarsBeats is a 16-byte record");
static_assert(offsetof(BarsBeats, tick) == 0 && offsetof(BarsBeats, bar) == 4 && offsetof(BarsBeats, barSuffix) == 8 &&
                  offsetof(BarsBeats, beat) == 12,
              "the byte layout above");
static_assert(std::is_trivially_copyable_v<BarsBeats>);
static_assert(std::is_standard_layout_v<BarsBeats>);

std::ostream& operator<<(std::ostream& os, const BarsBeats& b);

}  // namespace TL
