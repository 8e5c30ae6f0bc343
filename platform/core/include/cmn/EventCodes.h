#pragma once

#include <map>
#include <string>

#include "cmn/Types.h"

namespace codes {

// One-byte change-log event codes.
inline constexpr unsigned char kVamp = '@';
inline constexpr unsigned char kRepeat = 'A';
inline constexpr unsigned char kCut = 'B';
inline constexpr unsigned char kTranspose = 'C';
inline constexpr unsigned char kTempoScale = 'D';
inline constexpr unsigned char kMarker = 'E';
inline constexpr unsigned char kClick = 'L';
inline constexpr unsigned char kFermata = 'M';  // a skip
inline constexpr unsigned char kCaesura = 'N';
inline constexpr unsigned char kSfx = 'Q';
inline constexpr unsigned char kAmbientSfx = 'R';
inline constexpr unsigned char kOsc = 'S';
inline constexpr unsigned char kBarsBeats = 'b';

// Event code -> edit name. Usable as a map (editNameByVandEventCode.at(c)) or
// called (editNameByVandEventCode().at(c)).
struct EditNameTable : std::map<unsigned char, std::string> {
  using std::map<unsigned char, std::string>::map;
  const std::map<unsigned char, std::string>& operator()() const { return *this; }
};

inline const EditNameTable editNameByVandEventCode{
    {kVamp, "Vamp"},       {kRepeat, "Repeat"},         {kCut, "Cut"},
    {kTranspose, "Transpose"}, {kTempoScale, "TempoScale"}, {kMarker, "Marker"},
    {kClick, "Click"},     {kFermata, "Fermata"},       {kCaesura, "Caesura"},
    {kSfx, "Sfx"},         {kAmbientSfx, "Ambient Sfx"}, {kOsc, "OSC"},
    {kBarsBeats, "BarsBeats"},
};

// The edit name of a code, empty for a code without one.
std::string EditName(unsigned char code);

// True for the region kinds (events with a start and an end).
bool IsRegionCode(unsigned char code);
// True for the kinds that change the flow of playback: vamp, repeat, cut, skip.
bool IsFlowRegionCode(unsigned char code);
// True for the codes a song log stores (regions, markers, caesuras, OSC).
bool IsSongEventCode(unsigned char code);
// True for the show-level sound-effect codes 'Q' and 'R'.
bool IsSfxCode(unsigned char code);

}  // namespace codes
