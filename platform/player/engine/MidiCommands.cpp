#include "engine/MidiCommands.h"

#include <cstdlib>
#include <stdexcept>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "kit/File.h"
#include "kit/Json.h"
#include "kit/Log.h"

namespace vand::player {

const std::map<unsigned char, std::string>& MidiCommandNames() {
  static const std::map<unsigned char, std::string> names{
      {kMidiPlay, "Play"},
      {kMidiPause, "Pause"},
      {kMidiStop, "Stop"},
      {kMidiContinue, "Continue"},
      {kMidiExitFlow, "Exit Flow"},
      {kMidiNextSong, "Next Song"},
      {kMidiPreviousSong, "Previous Song"},
      {kMidiFadeOut, "Fade Out"},
      {kMidiNextMarker, "Next Marker"},
      {kMidiPreviousMarker, "Previous Marker"},
      {kMidiNextBar, "Next Bar"},
      {kMidiPreviousBar, "Previous Bar"},
  };
  return names;
}

std::vector<int> AllowedMidiStatuses() { return {0x90, 0x80, 0xB0, 0xC0}; }

std::optional<MidiMessage> ParseMidiMessage(const std::vector<std::uint8_t>& bytes) {
  if (bytes.empty() || bytes[0] < 0x80 || bytes[0] >= 0xF0) return std::nullopt;
  MidiMessage m;
  m.status = bytes[0] & 0xF0;
  m.channel = bytes[0] & 0x0F;
  const bool oneDataByte = m.status == 0xC0 || m.status == 0xD0;
  const std::size_t need = oneDataByte ? 2 : 3;
  if (bytes.size() < need) return std::nullopt;
  m.data1 = bytes[1] & 0x7F;
  m.data2 = oneDataByte ? 0 : (bytes[2] & 0x7F);
  return m;
}

namespace {

std::uint8_t EffectiveStatus(const MidiMessage& m) { return m.status == 0x90 && m.data2 == 0 ? 0x80 : m.status; }

}  // namespace

bool IsLearnable(const MidiMessage& message) {
  const std::uint8_t status = EffectiveStatus(message);
  if (status == 0x80) return false;
  for (int allowed : AllowedMidiStatuses()) {
    if (allowed == status) return true;
  }
  return false;
}

std::optional<unsigned char> MatchMidiCommand(const std::map<unsigned char, midi_commands::LearnedCommand>& commands,
                                              const MidiMessage& message) {
  const std::uint8_t status = EffectiveStatus(message);
  for (const auto& [cmd, learned] : commands) {
    if ((learned.status & 0xF0) == status && learned.channel == message.channel && learned.note == message.data1) {
      return cmd;
    }
  }
  return std::nullopt;
}

int LearnedEventValue(unsigned char command, const midi_commands::LearnedCommand& learned) {
  return (static_cast<int>(command) << 16) | (((learned.status & 0xF0) | (learned.channel & 0x0F)) << 8) | learned.note;
}

MidiSettings ReadMidiSettings(const std::filesystem::path& file) {
  constexpr std::uintmax_t kMaxFileBytes = 1024 * 1024;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) return {};
  MidiSettings settings;
  try {
    rapidjson::Document doc;
    kit::json::Parse(doc, kit::ReadWholeFile(file, kMaxFileBytes));
    if (!doc.IsObject()) kit::json::Fail("", "the top level must be an object");
    settings.source = kit::json::Text(doc, "source", "", "", kMaxFileBytes);
    if (const rapidjson::Value* commands = kit::json::Find(doc, "commands")) {
      if (!commands->IsObject()) kit::json::Fail("", "\"commands\" must be an object");
      // Entries this version does not know or cannot use are left out.
      for (const auto& m : commands->GetObject()) {
        char* end = nullptr;
        const long cmd = std::strtol(m.name.GetString(), &end, 10);
        if (!end || *end != '\0' || cmd < 0 || cmd > 255 ||
            MidiCommandNames().count(static_cast<unsigned char>(cmd)) == 0) {
          continue;
        }
        const auto& v = m.value;
        if (!v.IsArray() || v.Size() != 3 || !v[0].IsUint() || !v[1].IsUint() || !v[2].IsUint()) continue;
        if (v[0].GetUint() > 0xFF || v[1].GetUint() > 15 || v[2].GetUint() > 127) continue;
        settings.commands[static_cast<unsigned char>(cmd)] = {static_cast<UInt8>(v[0].GetUint() & 0xF0),
                                                              static_cast<UInt8>(v[1].GetUint()),
                                                              static_cast<UInt8>(v[2].GetUint())};
      }
    }
  } catch (const std::runtime_error& e) {
    kit::Log(kit::LogLevel::Warning, "midi", "Ignoring the MIDI settings in " + file.string() + ": " + e.what());
    return {};
  }
  return settings;
}

void WriteMidiSettings(const std::filesystem::path& file, const MidiSettings& settings) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> w(buffer);
  w.StartObject();
  w.Key("source");
  w.String(settings.source.c_str());
  w.Key("commands");
  w.StartObject();
  for (const auto& [cmd, learned] : settings.commands) {
    w.Key(std::to_string(cmd).c_str());
    w.StartArray();
    w.Uint(learned.status);
    w.Uint(learned.channel);
    w.Uint(learned.note);
    w.EndArray();
  }
  w.EndObject();
  w.EndObject();

  std::error_code ec;
  std::filesystem::create_directories(file.parent_path(), ec);
  kit::WriteFileAtomically(file, std::string(buffer.GetString(), buffer.GetSize()) + "\n");
}

}  // namespace vand::player
