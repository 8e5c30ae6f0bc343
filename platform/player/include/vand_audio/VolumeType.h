#pragma once

namespace vand_audio {

// Which level SetVolume sets; 1 (Main) is the master output gain. Converts
// from and to int, so callers may pass the number.
struct VolumeType {
  int value = 1;
  constexpr VolumeType(int v = 1) : value(v) {}  // NOLINT: implicit on purpose
  constexpr operator int() const { return value; }
  static const VolumeType Main;
};

inline constexpr VolumeType VolumeType::Main{1};
inline constexpr VolumeType Main{1};

}  // namespace vand_audio
