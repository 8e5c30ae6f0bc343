#pragma once

// The engine's MIDI commands: names, allowed statuses, learning and matching
// of incoming messages, and the saved assignments (midi.json).

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "vand_player_core/LearnedCommand.h"

namespace vand::player {

enum MidiCommand : unsigned char {
  kMidiPlay = 0,
  kMidiPause = 1,
  kMidiStop = 2,
  kMidiContinue = 3,
  kMidiExitFlow = 4,
  kMidiNextSong = 5,
  kMidiPreviousSong = 6,
  kMidiFadeOut = 7,
  kMidiNextMarker = 8,
  kMidiPreviousMarker = 9,
  kMidiNextBar = 10,
  kMidiPreviousBar = 11,
};

inline constexpr float kMidiFadeOutSeconds = 3.0f;

const std::map<unsigned char, std::string>& MidiCommandNames();
std::vector<int> AllowedMidiStatuses();  // note on, note off, control change, program change

struct MidiMessage {
  std::uint8_t status = 0;   // high nibble
  std::uint8_t channel = 0;  // 0-15
  std::uint8_t data1 = 0;
  std::uint8_t data2 = 0;
};

// A channel message, or nothing for system and malformed messages.
std::optional<MidiMessage> ParseMidiMessage(const std::vector<std::uint8_t>& bytes);
// Learning takes allowed statuses only, and no note off (nor note on with velocity 0).
bool IsLearnable(const MidiMessage& message);
// The command assigned to the message; a note on with velocity 0 counts as a note off.
std::optional<unsigned char> MatchMidiCommand(const std::map<unsigned char, midi_commands::LearnedCommand>& commands,
                                              const MidiMessage& message);
// The value of the learned-command event: cmd << 16 | (status | channel) << 8 | note.
int LearnedEventValue(unsigned char command, const midi_commands::LearnedCommand& learned);

struct MidiSettings {
  std::string source;  // name of the input last chosen
  std::map<unsigned char, midi_commands::LearnedCommand> commands;
};

// {"source":"Midi Through:0","commands":{"0":[144,0,60]}}. A missing file gives
// empty settings; a broken one too, with a warning on standard error.
MidiSettings ReadMidiSettings(const std::filesystem::path& file);
// Writes through a temporary file and a rename. Throws std::runtime_error.
void WriteMidiSettings(const std::filesystem::path& file, const MidiSettings& settings);

}  // namespace vand::player
