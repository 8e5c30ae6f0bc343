#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vand::core {

// A byte buffer with a strict (lexicographic) ordering, usable as a map key.
class DataVector : public std::vector<std::uint8_t> {
 public:
  using std::vector<std::uint8_t>::vector;
  DataVector() = default;
  explicit DataVector(std::string_view bytes) : std::vector<std::uint8_t>(bytes.begin(), bytes.end()) {}

  bool operator<(const DataVector& other) const;
  bool operator==(const DataVector& other) const;
};

}  // namespace vand::core
