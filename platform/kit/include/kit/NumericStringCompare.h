#pragma once

#include <string>
#include <string_view>

namespace kit {

// Natural order: runs of digits compare as numbers, everything else byte-wise,
// so "2" < "10" < "10A" < "11". A strict weak order that still tells "3" and
// "03" apart: on equal numbers the run with fewer leading zeros sorts first.
struct NumericStringCompare {
  bool operator()(const std::string& a, const std::string& b) const;
  bool operator()(std::string_view a, std::string_view b) const;
  using is_transparent = void;
};

// -1, 0 or 1 in the order above.
int NumericStringCompareValues(std::string_view a, std::string_view b);

}  // namespace kit
