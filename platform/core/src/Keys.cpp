#include "cmn/Keys.h"

#include <array>

namespace Keys {

std::string keyNameFromSig(Int16 sharpsFlats, UInt16 mode) {
  // Index 0 = seven flats ... 7 = no accidentals ... 14 = seven sharps.
  static constexpr std::array<const char*, 15> kMajor = {"Cb", "Gb", "Db", "Ab", "Eb", "Bb", "F", "C",
                                                         "G",  "D",  "A",  "E",  "B",  "F#", "C#"};
  static constexpr std::array<const char*, 15> kMinor = {"Abm", "Ebm", "Bbm", "Fm",  "Cm",  "Gm",  "Dm", "Am",
                                                         "Em",  "Bm",  "F#m", "C#m", "G#m", "D#m", "A#m"};
  if (sharpsFlats < -7 || sharpsFlats > 7 || mode > 1) return std::string();
  const auto index = static_cast<std::size_t>(sharpsFlats + 7);
  return mode == 0 ? kMajor[index] : kMinor[index];
}

}  // namespace Keys
