#include "engine/ShowFile.h"

#include <set>
#include <stdexcept>

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "cmn/EventCodes.h"
#include "kit/File.h"
#include "kit/Json.h"

namespace vand::player {
namespace {

using Value = rapidjson::Value;
using kit::json::Fail;
using kit::json::Quote;

// The show file's own phrasing of range and list failures.
constexpr kit::json::Wording kWording{true, "a list"};

const Value* Member(const Value& obj, const char* name) { return kit::json::Find(obj, name); }

std::string Text(const Value& obj, const char* name, const std::string& where, bool required = true) {
  return kit::json::Text(obj, name, where, required ? kit::json::kRequired : std::optional<std::string_view>(""),
                         codes::kMaxTextBytes);
}

std::int64_t Integer(const Value& v, const std::string& where, const char* name, std::int64_t lo, std::int64_t hi) {
  return kit::json::IntegerValue(v, name, where, lo, hi, kWording);
}

std::int64_t IntegerMember(const Value& obj, const char* name, const std::string& where, std::int64_t lo,
                           std::int64_t hi, std::optional<std::int64_t> fallback) {
  return kit::json::Integer(obj, name, where, lo, hi, fallback, kWording);
}

double Number(const Value& v, const std::string& where, const char* name, double lo, double hi) {
  return kit::json::NumberValue(v, name, where, lo, hi, kWording);
}

const Value* OptionalList(const Value& obj, const char* name, const std::string& where) {
  return kit::json::OptionalArray(obj, name, where, kWording);
}

const Value& List(const Value& obj, const char* name, const std::string& where) {
  const Value* v = OptionalList(obj, name, where);
  if (!v) Fail(where, Quote(name) + " must be a list");
  return *v;
}

std::string BarRef(const Value& mark, const std::string& where) {
  const Value* v = Member(mark, "bar");
  if (!v) Fail(where, "\"bar\" is missing");
  if (v->IsString()) return std::string(v->GetString(), v->GetStringLength());
  if (v->IsInt64()) return std::to_string(v->GetInt64());
  Fail(where, "\"bar\" must be a text");
}

bool IsPowerOfTwoDen(int den) { return den == 1 || den == 2 || den == 4 || den == 8 || den == 16 || den == 32; }

SongDefinition ParseSong(const Value& s, std::size_t index) {
  std::string where = "song " + std::to_string(index + 1);
  if (!s.IsObject()) Fail("", where + " must be an object");
  SongDefinition d;
  d.number = Text(s, "number", where);
  if (d.number.empty() || d.number.size() > 32) Fail(where, "\"number\" must be 1 to 32 characters");
  for (unsigned char c : d.number) {
    if (c < 0x20 || c == 0x7f) Fail(where, "\"number\" holds a control character");
  }
  where = "song " + d.number;
  d.name = Text(s, "name", where);
  if (d.name.size() > 256) Fail(where, "\"name\" is too long");
  d.audio = Text(s, "audio", where);
  if (!IsContainedRelativePath(d.audio)) Fail(where, "\"audio\" must be a relative path inside the show folder");
  d.audioOffsetTicks = static_cast<std::uint32_t>(IntegerMember(s, "audioOffsetTicks", where, 0, kMaxShowTick, 0));
  d.startTick = static_cast<std::uint32_t>(IntegerMember(s, "startTick", where, 0, kMaxShowTick, 0));
  d.defaultAttacca = static_cast<std::uint8_t>(IntegerMember(s, "defaultAttacca", where, 0, 2, 0));
  d.firstBar = static_cast<int>(IntegerMember(s, "firstBar", where, -9999, 99999, 1));
  if (const Value* len = Member(s, "lengthTicks")) {
    d.lengthTicks = static_cast<std::uint32_t>(Integer(*len, where, "lengthTicks", 1, kMaxShowTick));
  }

  if (const Value* tempos = OptionalList(s, "tempos", where)) {
    for (const auto& t : tempos->GetArray()) {
      if (!t.IsObject()) Fail(where, "a tempo must be an object");
      const Value* bpm = Member(t, "bpm");
      if (!bpm) Fail(where, "a tempo needs \"bpm\"");
      d.tempos.push_back({BarRef(t, where + " tempo"), Number(*bpm, where, "bpm", 1.0, 1000.0)});
    }
  }
  if (const Value* meters = OptionalList(s, "meters", where)) {
    for (const auto& m : meters->GetArray()) {
      if (!m.IsObject()) Fail(where, "a meter must be an object");
      MeterMark mm;
      mm.bar = BarRef(m, where + " meter");
      mm.num = static_cast<int>(IntegerMember(m, "num", where, 1, 32, std::nullopt));
      mm.den = static_cast<int>(IntegerMember(m, "den", where, 1, 32, std::nullopt));
      if (!IsPowerOfTwoDen(mm.den)) Fail(where, "\"den\" must be 1, 2, 4, 8, 16 or 32");
      d.meters.push_back(mm);
    }
  }
  if (const Value* keys = OptionalList(s, "keys", where)) {
    for (const auto& k : keys->GetArray()) {
      if (!k.IsObject()) Fail(where, "a key must be an object");
      KeyMark km;
      km.bar = BarRef(k, where + " key");
      km.sharpsFlats = static_cast<int>(IntegerMember(k, "sharpsFlats", where, -7, 7, std::nullopt));
      km.mode = static_cast<int>(IntegerMember(k, "mode", where, 0, 1, 0));
      d.keys.push_back(km);
    }
  }
  if (const Value* labels = Member(s, "barLabels")) {
    if (!labels->IsObject()) Fail(where, "\"barLabels\" must be an object");
    for (const auto& m : labels->GetObject()) {
      if (!m.value.IsString()) Fail(where, "bar labels must be texts");
      std::string label(m.value.GetString(), m.value.GetStringLength());
      if (!IsValidBarLabel(label)) Fail(where, "bar label \"" + label + "\" is not a valid bar label");
      d.barLabels[std::string(m.name.GetString(), m.name.GetStringLength())] = label;
    }
  }
  if (const Value* beats = OptionalList(s, "beats", where)) {
    if (beats->Size() == 0) Fail(where, "\"beats\" is empty");
    std::vector<ExplicitBeat> list;
    list.reserve(beats->Size());
    for (const auto& b : beats->GetArray()) {
      if (!b.IsArray() || b.Size() != 3 || !b[1].IsString()) Fail(where, "a beat must be [tick, \"label\", beat]");
      ExplicitBeat e;
      e.tick = static_cast<std::uint32_t>(Integer(b[0], where, "beat tick", 0, kMaxShowTick));
      e.label.assign(b[1].GetString(), b[1].GetStringLength());
      if (!IsValidBarLabel(e.label)) Fail(where, "bar label \"" + e.label + "\" is not a valid bar label");
      e.beat = static_cast<int>(Integer(b[2], where, "beat number", 1, 64));
      if (!list.empty() && e.tick <= list.back().tick) Fail(where, "beat ticks must increase strictly");
      list.push_back(std::move(e));
    }
    d.beats = std::move(list);
  } else {
    d.pickupBeats = static_cast<int>(IntegerMember(s, "pickupBeats", where, 0, 31, 0));
    d.barCount = static_cast<int>(IntegerMember(s, "barCount", where, 1, 100000, std::nullopt));
  }
  if (const Value* pages = OptionalList(s, "pages", where)) {
    for (const auto& p : pages->GetArray()) {
      if (!p.IsArray() || p.Size() != 2) Fail(where, "a page must be [pageNumber, tick]");
      PageMark pm;
      pm.page = static_cast<unsigned>(Integer(p[0], where, "page number", 1, 1000000));
      pm.tick = static_cast<std::uint32_t>(Integer(p[1], where, "page tick", 0, kMaxShowTick));
      d.pages.push_back(pm);
    }
  }
  return d;
}

}  // namespace

bool IsContainedRelativePath(std::string_view relative) {
  if (relative.empty() || relative.size() > 1024) return false;
  if (relative.front() == '/' || relative.front() == '\\') return false;
  if (relative.find(':') != std::string_view::npos) return false;  // drive letters, URLs
  for (unsigned char c : relative) {
    if (c < 0x20 || c == 0x7f) return false;
  }
  std::size_t pos = 0;
  while (pos <= relative.size()) {
    std::size_t next = relative.find_first_of("/\\", pos);
    if (next == std::string_view::npos) next = relative.size();
    std::string_view part = relative.substr(pos, next - pos);
    if (part == "..") return false;
    pos = next + 1;
  }
  return true;
}

bool IsValidBarLabel(std::string_view label) {
  std::size_t i = 0;
  if (i < label.size() && label[i] == '-') ++i;
  std::size_t digitsStart = i;
  while (i < label.size() && label[i] >= '0' && label[i] <= '9') ++i;
  std::size_t digits = i - digitsStart;
  if (digits == 0 || digits > 9) return false;
  if (digits > 1 && label[digitsStart] == '0') return false;  // the number keeps no leading zeros
  if (label.size() - i > 3) return false;
  if (i < label.size() && label[i] >= '0' && label[i] <= '9') return false;
  for (; i < label.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(label[i]);
    if (c <= 0x20 || c >= 0x7f) return false;
  }
  return true;
}

namespace {

ShowDefinition ParseOrFail(std::string_view json) {
  rapidjson::Document doc;
  kit::json::Parse(doc, json);
  if (!doc.IsObject()) Fail("", "the top level must be an object");
  const std::string where = "show";
  if (const Value* format = Member(doc, "format")) {
    if (!format->IsString() || std::string_view(format->GetString()) != "vand-show")
      Fail("", "\"format\" must be \"vand-show\"");
  }
  if (const Value* version = Member(doc, "formatVersion")) {
    if (!version->IsString()) Fail("", "\"formatVersion\" must be text");
    std::string v = version->GetString();
    if (v.empty() || v[0] != '1' || (v.size() > 1 && v[1] != '.')) {
      Fail("", "format version " + v + " is not supported by this version of the application");
    }
  }
  ShowDefinition show;
  show.identifier = Text(doc, "identifier", where, false);
  show.showName = Text(doc, "showName", where);
  show.sampleRate = static_cast<int>(IntegerMember(doc, "sampleRate", where, 8000, 384000, 48000));
  const Value& songs = List(doc, "songs", where);
  if (songs.Size() == 0) Fail("", "the show has no songs");
  if (songs.Size() > 10000) Fail("", "the show has too many songs");
  std::set<std::string> numbers;
  std::set<unsigned> pages;
  for (rapidjson::SizeType i = 0; i < songs.Size(); ++i) {
    SongDefinition song = ParseSong(songs[i], i);
    if (!numbers.insert(song.number).second) Fail("", "song number \"" + song.number + "\" is used twice");
    for (const auto& p : song.pages) {
      if (!pages.insert(p.page).second) Fail("", "page " + std::to_string(p.page) + " is listed twice");
    }
    show.songs.push_back(std::move(song));
  }
  return show;
}

}  // namespace

ShowDefinition ParseShowDefinition(std::string_view json) {
  try {
    return ParseOrFail(json);
  } catch (const kit::json::Error& e) {
    throw std::runtime_error(std::string("show.json: ") + e.what());
  }
}

ShowDefinition ReadShowDefinition(const std::filesystem::path& file) {
  constexpr std::uintmax_t kMaxShowFileBytes = 64 * 1024 * 1024;
  std::string text;
  try {
    text = kit::ReadWholeFile(file, kMaxShowFileBytes);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(std::string("show.json: cannot open it. ") + e.what());
  }
  return ParseShowDefinition(text);
}

std::string WriteShowDefinition(const ShowDefinition& show) {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> w(buffer);
  w.SetIndent(' ', 2);
  w.StartObject();
  w.Key("format");
  w.String("vand-show");
  w.Key("formatVersion");
  w.String("1.0");
  w.Key("identifier");
  w.String(show.identifier.c_str());
  w.Key("showName");
  w.String(show.showName.c_str());
  w.Key("sampleRate");
  w.Int(show.sampleRate);
  w.Key("songs");
  w.StartArray();
  for (const auto& s : show.songs) {
    w.StartObject();
    w.Key("number");
    w.String(s.number.c_str());
    w.Key("name");
    w.String(s.name.c_str());
    w.Key("audio");
    w.String(s.audio.c_str());
    w.Key("audioOffsetTicks");
    w.Uint(s.audioOffsetTicks);
    w.Key("startTick");
    w.Uint(s.startTick);
    w.Key("defaultAttacca");
    w.Uint(s.defaultAttacca);
    w.Key("firstBar");
    w.Int(s.firstBar);
    w.Key("pickupBeats");
    w.Int(s.pickupBeats);
    w.Key("barCount");
    w.Int(s.barCount);
    w.Key("lengthTicks");
    if (s.lengthTicks) {
      w.Uint(*s.lengthTicks);
    } else {
      w.Null();
    }
    w.Key("tempos");
    w.StartArray();
    for (const auto& t : s.tempos) {
      w.StartObject();
      w.Key("bar");
      w.String(t.bar.c_str());
      w.Key("bpm");
      w.Double(t.bpm);
      w.EndObject();
    }
    w.EndArray();
    w.Key("meters");
    w.StartArray();
    for (const auto& m : s.meters) {
      w.StartObject();
      w.Key("bar");
      w.String(m.bar.c_str());
      w.Key("num");
      w.Int(m.num);
      w.Key("den");
      w.Int(m.den);
      w.EndObject();
    }
    w.EndArray();
    w.Key("keys");
    w.StartArray();
    for (const auto& k : s.keys) {
      w.StartObject();
      w.Key("bar");
      w.String(k.bar.c_str());
      w.Key("sharpsFlats");
      w.Int(k.sharpsFlats);
      w.Key("mode");
      w.Int(k.mode);
      w.EndObject();
    }
    w.EndArray();
    w.Key("barLabels");
    w.StartObject();
    for (const auto& [bar, label] : s.barLabels) {
      w.Key(bar.c_str());
      w.String(label.c_str());
    }
    w.EndObject();
    w.Key("beats");
    if (s.beats) {
      w.StartArray();
      for (const auto& b : *s.beats) {
        w.StartArray();
        w.Uint(b.tick);
        w.String(b.label.c_str());
        w.Int(b.beat);
        w.EndArray();
      }
      w.EndArray();
    } else {
      w.Null();
    }
    w.Key("pages");
    w.StartArray();
    for (const auto& p : s.pages) {
      w.StartArray();
      w.Uint(p.page);
      w.Uint(p.tick);
      w.EndArray();
    }
    w.EndArray();
    w.EndObject();
  }
  w.EndArray();
  w.EndObject();
  return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

}  // namespace vand::player
