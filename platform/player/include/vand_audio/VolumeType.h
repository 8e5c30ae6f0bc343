#pragma once

namespace vand_audio {

// The highest linear gain the engine applies (about +12 dB); volumes and
// fade-to levels above it are taken as this.
inline constexpr double kMaxGain = 4.0;

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
