#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
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

// Longest event id (and network, effect and output-path id) and longest text
// (marker text, OSC message, names) that an edit may make and a change log holds.
inline constexpr std::size_t kMaxIdBytes = 256;
inline constexpr std::size_t kMaxTextBytes = 64 * 1024;

// Where the records of a kind live.
enum class Home : std::uint8_t {
  Song,  // a song's change log
  Show,  // the change log's show-level sound effects
  Grid,  // a song's bar-and-beat grid; never in a change log
};
enum class Extent : std::uint8_t { Point, Region };
// How a region changes the flow of playback.
enum class FlowKind : std::uint8_t { None, Vamp, Repeat, Skip, Cut };
// The value a record carries besides its ticks and id.
enum class ValueKind : std::uint8_t {
  None,
  Int,     // a whole number within [min, max] (int_value)
  Factor,  // a real number within [min, max] (the tempo factor)
  Text,    // at most kMaxTextBytes
  Osc,     // OSC properties
  Sfx,     // sound-effect properties
};

// Everything the editor, the change-log reader and writer and the playback
// plan know of one kind of event.
struct EventKind {
  unsigned char code;
  const char* name;   // edit name, as the views show it: "Vamp", "Ambient Sfx"
  const char* noun;   // inside a sentence: "vamp", "tempo scale"; empty: no noun
  const char* title;  // starting a report line: "Vamp", "Tempo scale"
  Home home;
  Extent extent;
  FlowKind flow;
  ValueKind value;
  double min = 0.0;  // limits of an Int or Factor value
  double max = 0.0;
  // What a change log that leaves the value out loads with; none: it must be given.
  std::optional<double> valueIfMissing;
  // Refusal of a value outside [min, max]; "{min}", "{max}" and "{value}"
  // stand for the limits and the value refused.
  const char* limitRule = "";
  char idLetter = 0;  // generated ids are this letter and the position ("V12.3")
};

inline constexpr std::array<EventKind, 13> kEventKinds{{
    {kVamp, "Vamp", "vamp", "Vamp", Home::Song, Extent::Region, FlowKind::Vamp, ValueKind::Int, 0, 500, 0,
     "A vamp's count must be from {min} (endless) to {max}.", 'V'},
    {kRepeat, "Repeat", "repeat", "Repeat", Home::Song, Extent::Region, FlowKind::Repeat, ValueKind::Int, 1, 500, 2,
     "A repeat's count must be from {min} to {max}.", 'A'},
    {kCut, "Cut", "cut", "Cut", Home::Song, Extent::Region, FlowKind::Cut, ValueKind::None, 0, 0, {}, "", 'B'},
    {kTranspose, "Transpose", "transposition", "Transposition", Home::Song, Extent::Region, FlowKind::None,
     ValueKind::Int, -6, 6, 0, "A transposition must be from {min} to {max} half steps.", 'C'},
    {kTempoScale,
     "TempoScale",
     "tempo scale",
     "Tempo scale",
     Home::Song,
     Extent::Region,
     FlowKind::None,
     ValueKind::Factor,
     0.5,
     2.0,
     {},
     "A tempo scale must be from {min} to {max}.",
     'D'},
    {kMarker,
     "Marker",
     "marker",
     "Marker",
     Home::Song,
     Extent::Point,
     FlowKind::None,
     ValueKind::Text,
     0,
     0,
     {},
     "",
     'E'},
    {kClick,
     "Click",
     "click change",
     "Click",
     Home::Song,
     Extent::Region,
     FlowKind::None,
     ValueKind::Int,
     1,
     128,
     {},
     "The click value {value} is not allowed.",
     'L'},
    {kFermata,
     "Fermata",
     "skip",
     "Skip",
     Home::Song,
     Extent::Region,
     FlowKind::Skip,
     ValueKind::None,
     0,
     0,
     {},
     "",
     'M'},
    {kCaesura,
     "Caesura",
     "caesura",
     "Caesura",
     Home::Song,
     Extent::Point,
     FlowKind::None,
     ValueKind::None,
     0,
     0,
     {},
     "",
     'N'},
    {kSfx,
     "Sfx",
     "sound effect",
     "Sound effect",
     Home::Show,
     Extent::Point,
     FlowKind::None,
     ValueKind::Sfx,
     0,
     0,
     {},
     "",
     'Q'},
    {kAmbientSfx,
     "Ambient Sfx",
     "ambient sound effect",
     "Ambient sound effect",
     Home::Show,
     Extent::Point,
     FlowKind::None,
     ValueKind::Sfx,
     0,
     0,
     {},
     "",
     'R'},
    {kOsc,
     "OSC",
     "OSC command",
     "OSC command",
     Home::Song,
     Extent::Point,
     FlowKind::None,
     ValueKind::Osc,
     0,
     0,
     {},
     "",
     'S'},
    {kBarsBeats, "BarsBeats", "", "", Home::Grid, Extent::Point, FlowKind::None, ValueKind::None, 0, 0, {}, "", 'b'},
}};

// The row of a code; null for a code without one.
const EventKind* FindEventKind(unsigned char code);

// Event code -> edit name, from kEventKinds. Usable as a map
// (editNameByVandEventCode.at(c)) or called (editNameByVandEventCode().at(c)).
struct EditNameTable : std::map<unsigned char, std::string> {
  EditNameTable();
  const std::map<unsigned char, std::string>& operator()() const { return *this; }
};
inline const EditNameTable editNameByVandEventCode;

// The edit name of a code, empty for a code without one.
std::string EditName(unsigned char code);
// "vamp", "tempo scale" ... for sentences; "event of code 'X'" for a code without a noun.
std::string Noun(unsigned char code);
// "Vamp", "Tempo scale" ... to start a report line; "Event 'X'" for a code without one.
std::string Title(unsigned char code);

// True for the region kinds (events with a start and an end).
bool IsRegionCode(unsigned char code);
// True for the kinds that change the flow of playback: vamp, repeat, cut, skip.
bool IsFlowRegionCode(unsigned char code);
// True for the codes a song log stores (regions, markers, caesuras, OSC).
bool IsSongEventCode(unsigned char code);
// True for the show-level sound-effect codes 'Q' and 'R'.
bool IsSfxCode(unsigned char code);
// True for the kinds whose value is a whole number (vamp, repeat, transposition, click).
bool HasIntValue(unsigned char code);

// True when `value` lies within the kind's [min, max] (false for NaN).
bool InLimits(const EventKind& kind, double value);
// The kind's limitRule for a refused value: "A repeat's count must be from 1
// to 500.", "A tempo scale must be from 50% to 200%." (factors as percentages).
std::string LimitRule(const EventKind& kind, double value);

// The id a new event of `code` gets at a position: the kind's id letter, then
// the position text ("V12.3", "E4800").
std::string GeneratedId(unsigned char code, const std::string& position);
// `base`, or base_2, base_3 ... whichever `taken` says is free.
std::string FreeId(const std::string& base, const std::function<bool(const std::string&)>& taken);

}  // namespace codes
