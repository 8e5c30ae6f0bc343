// Reading and writing the *.logdata format (JSON).

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "CL/ChangeLog.h"
#include "CL/Errors.h"
#include "kit/File.h"
#include "kit/Json.h"

namespace CL {

// Access to ChangeLog's private parts for the reader and writer.
class ChangeLogIo {
 public:
  static void SetReport(ChangeLog& log, LoadReport r) { log.report_ = std::move(r); }
  static void SetUnknownMembers(ChangeLog& log, std::vector<std::pair<std::string, std::string>> m) {
    log.unknownMembers_ = std::move(m);
  }
  static const std::vector<std::pair<std::string, std::string>>& UnknownMembers(const ChangeLog& log) {
    return log.unknownMembers_;
  }
};

namespace {

using codes::kMaxIdBytes;
using codes::kMaxTextBytes;
constexpr std::size_t kMaxSongKeyBytes = 64;
constexpr const char* kFormatName = "vand-logdata";
constexpr std::int64_t kInt32Min = std::numeric_limits<Int32>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<Int32>::max();

using Value = rapidjson::Value;
using kit::json::Fail;
using kit::json::Find;
using kit::json::Integer;
using kit::json::kRequired;
using kit::json::Quote;
using kit::json::Text;

UInt32 GetTick(const Value& obj, const char* name, const std::string& where, std::optional<UInt32> fallback) {
  std::optional<std::int64_t> fb;
  if (fallback) fb = *fallback;
  return static_cast<UInt32>(Integer(obj, name, where, 0, std::numeric_limits<UInt32>::max(), fb));
}

double GetNumber(const Value& obj, const char* name, const std::string& where, std::optional<double> fallback) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  return kit::json::Number(obj, name, where, -kInf, kInf, fallback);
}

// Any finite number a float holds.
float GetFloat(const Value& obj, const char* name, const std::string& where, float fallback) {
  const double d = GetNumber(obj, name, where, fallback);
  if (d < -std::numeric_limits<float>::max() || d > std::numeric_limits<float>::max()) {
    Fail(where, Quote(name) + " is too large");
  }
  return static_cast<float>(d);
}

std::string TickText(UInt32 t) { return std::to_string(t); }

std::optional<std::int64_t> WholeNumber(std::optional<double> d) {
  if (!d) return std::nullopt;
  return static_cast<std::int64_t>(*d);
}

// Reads the value of a song event of a known kind into its record.
void ReadValue(const codes::EventKind& kind, const Value& ev, const std::string& where, cmn::VandEvent& record) {
  switch (kind.value) {
    case codes::ValueKind::Int:
      static_cast<RegionEvent&>(record).SetIntValue(
          static_cast<int>(Integer(ev, "int", where, static_cast<std::int64_t>(kind.min),
                                   static_cast<std::int64_t>(kind.max), WholeNumber(kind.valueIfMissing))));
      break;
    case codes::ValueKind::Factor:
      // Kept as read; a load limits it to the kind's range and reports that.
      static_cast<TempoScale&>(record).SetFactor(GetNumber(ev, "float", where, kind.valueIfMissing));
      break;
    case codes::ValueKind::Text:
      static_cast<Marker&>(record).SetText(Text(ev, "text", where, "", kMaxTextBytes));
      break;
    case codes::ValueKind::Osc: {
      const Value& osc = kit::json::Object(ev, "osc", where);
      static_cast<Osc&>(record).SetOscProperties(
          OscProperties(Text(osc, "message", where + ".osc", "", kMaxTextBytes),
                        Text(osc, "networkId", where + ".osc", "", kMaxIdBytes)));
      break;
    }
    case codes::ValueKind::None:
    case codes::ValueKind::Sfx: break;
  }
}

std::unique_ptr<cmn::VandEvent> ReadEvent(const Value& ev, const std::string& where) {
  if (!ev.IsObject()) Fail(where, "an event must be an object");
  const std::string codeText = Text(ev, "code", where, kRequired, 4);
  if (codeText.size() != 1) Fail(where, "\"code\" must be one character");
  const auto code = static_cast<unsigned char>(codeText[0]);
  const std::string id = Text(ev, "id", where, "", kMaxIdBytes);
  const UInt32 start = GetTick(ev, "start", where, std::nullopt);
  const bool region = codes::IsRegionCode(code);
  const UInt32 end = GetTick(ev, "end", where, region ? std::nullopt : std::optional<UInt32>(0));

  std::unique_ptr<cmn::VandEvent> record = MakeSongRecord(code);
  if (!record) {
    if (codes::IsSfxCode(code)) Fail(where, "sound effects belong in \"soundEffects\", not in a song");
    if (code < 0x20 || code >= 0x7F) Fail(where, "\"code\" must be a printable character");
    return std::make_unique<UnknownEvent>(code, start, end, id, kit::json::Write(ev));
  }
  record->start(start);
  record->end(end);  // point events keep end 0
  record->SetEventId(id);
  ReadValue(*codes::FindEventKind(code), ev, where, *record);
  return record;
}

Sfx ReadSfx(const Value& v, const std::string& where) {
  if (!v.IsObject()) Fail(where, "a sound effect must be an object");
  SfxProperties p;
  p.setName(Text(v, "name", where, "", kMaxTextBytes));
  p.setEffectId(Text(v, "effectId", where, "", kMaxIdBytes));
  // The record's setters take any value (a combo index of -1, a pan of 0-100):
  // read back whatever its type holds, so that every saved log loads again.
  p.setEffectIdIndex(static_cast<Int32>(Integer(v, "effectIndex", where, kInt32Min, kInt32Max, 0)));
  p.setOutputPath(Text(v, "outputPath", where, "", kMaxIdBytes));
  p.setRepeats(static_cast<Int32>(Integer(v, "repeats", where, kInt32Min, kInt32Max, 0)));
  p.setVolume(GetFloat(v, "volume", where, 1.0f));
  p.setPan(GetFloat(v, "pan", where, 0.5f));
  p.setReverb(GetFloat(v, "reverb", where, 0.0f));
  p.fadeIn = static_cast<UInt16>(Integer(v, "fadeIn", where, 0, 65535, 0));
  p.fadeOut = static_cast<UInt16>(Integer(v, "fadeOut", where, 0, 65535, 0));
  return Sfx(GetTick(v, "tick", where, 0), Text(v, "id", where, "", kMaxIdBytes), p,
             kit::json::Bool(v, "ambient", where, false));
}

// Ids, inverted and empty regions, out-of-range factors and forbidden overlaps.
void NormaliseSong(const std::string& song, std::vector<std::unique_ptr<cmn::VandEvent>> events, SongLog& out,
                   LoadReport& report) {
  using codes::Title;
  const std::string inSong = " in song " + song;
  // Regions: swap inverted ones, drop empty ones.
  std::vector<std::unique_ptr<cmn::VandEvent>> kept;
  kept.reserve(events.size());
  for (auto& e : events) {
    if (codes::IsRegionCode(e->code())) {
      if (e->end() < e->start()) {
        report.invertedLoopEvents.push_back(Title(e->code()) + " " + e->EventId() + inSong + " ended at tick " +
                                            TickText(e->end()) + " before its start at tick " + TickText(e->start()) +
                                            "; its start and end were swapped.");
        const UInt32 s = e->start();
        e->start(e->end());
        e->end(s);
      } else if (e->end() == e->start()) {
        report.removedEvents.push_back(Title(e->code()) + " " + e->EventId() + inSong + " at tick " +
                                       TickText(e->start()) + " had no length and was removed.");
        continue;
      }
    }
    const codes::EventKind* kind = codes::FindEventKind(e->code());
    if (kind != nullptr && kind->value == codes::ValueKind::Factor) {
      auto* ts = static_cast<TempoScale*>(e.get());
      const double f = ts->factor();
      const double clamped = std::clamp(f, kind->min, kind->max);
      if (clamped != f) {
        report.tempoScaleWarnings.push_back(Title(e->code()) + " " + e->EventId() + inSong + " at tick " +
                                            TickText(e->start()) + " was " + std::to_string(f) +
                                            "; it was limited to " + std::to_string(clamped) + ".");
        ts->SetFactor(clamped);
      }
    }
    kept.push_back(std::move(e));
  }
  // In start order (stable), later regions that overlap earlier ones go.
  std::stable_sort(kept.begin(), kept.end(), [](const auto& a, const auto& b) { return a->start() < b->start(); });
  std::map<unsigned char, UInt32> endOfKind;  // largest end of the regions kept per kind
  UInt32 endOfFlow = 0;                       // largest end of the flow regions kept
  // Views of the ids kept so far; each stays valid while its event (moved
  // into `out`, never reallocated) keeps that id.
  std::map<unsigned char, std::unordered_set<std::string_view>> ids;
  // Per kind and taken id, the suffix to try next: every smaller one is
  // taken, so many events of one id are renamed in linear time.
  std::map<unsigned char, std::unordered_map<std::string, unsigned>> nextSuffix;
  for (auto& e : kept) {
    const unsigned char code = e->code();
    if (codes::IsRegionCode(code)) {
      const bool sameKind = endOfKind.count(code) && endOfKind[code] > e->start();
      const bool flow = codes::IsFlowRegionCode(code) && endOfFlow > e->start();
      if (sameKind || flow) {
        const std::string line = Title(code) + " " + e->EventId() + inSong + " at ticks " + TickText(e->start()) +
                                 " to " + TickText(e->end()) + " overlapped an earlier " +
                                 (sameKind ? "one of its kind" : "loop or jump") + " and was removed.";
        (code == codes::kTempoScale ? report.tempoScaleWarnings : report.removedEvents).push_back(line);
        continue;
      }
      endOfKind[code] = std::max(endOfKind[code], e->end());
      if (codes::IsFlowRegionCode(code)) endOfFlow = std::max(endOfFlow, e->end());
    }
    std::unordered_set<std::string_view>& taken = ids[code];
    if (taken.empty()) taken.reserve(kept.size());
    // As codes::FreeId: the id itself when free, else the first free "<id>_<n>" from n = 2.
    auto freeId = [&taken, &suffixes = nextSuffix[code]](const std::string& base) {
      if (!taken.count(base)) return base;
      unsigned& n = suffixes.try_emplace(base, 2u).first->second;
      for (;; ++n) {
        std::string candidate = base + "_" + std::to_string(n);
        if (!taken.count(candidate)) return candidate;
      }
    };
    const std::string& old = e->EventId();
    auto generated = [&] { return codes::GeneratedId(code, std::to_string(e->start())); };
    std::string id = freeId(old.empty() ? generated() : old);
    // A suffix must not push the id past what the reader accepts.
    if (id.size() > kMaxIdBytes) id = freeId(generated());
    if (id != old) {
      report.renamedEventIds.push_back(Title(code) + (old.empty() ? " without an id" : " " + old) + inSong +
                                       " at tick " + TickText(e->start()) + " is now " + id + ".");
      e->SetEventId(id);
    }
    taken.insert(e->EventId());
    out.Add(std::move(e));
  }
}

// Refuses a log of more than kMaxEvents events before any is read.
void CheckEventCount(const Value& doc) {
  std::size_t events = 0;
  if (const Value* sfxs = Find(doc, "soundEffects"); sfxs != nullptr && sfxs->IsArray()) events += sfxs->Size();
  if (const Value* songs = Find(doc, "songs"); songs != nullptr && songs->IsObject()) {
    for (auto it = songs->MemberBegin(); it != songs->MemberEnd(); ++it) {
      if (const Value* evs = Find(it->value, "events"); evs != nullptr && evs->IsArray()) events += evs->Size();
    }
  }
  if (events > ChangeLog::kMaxEvents) {
    Fail("top level", "it holds " + std::to_string(events) + " events, more than the " +
                          std::to_string(ChangeLog::kMaxEvents) + " a change log may hold");
  }
}

ChangeLog Parse(const std::string& text, const std::string& expectedShowId) {
  rapidjson::Document doc;
  kit::json::Parse(doc, text);
  if (!doc.IsObject()) Fail("top level", "the file must hold a JSON object");
  if (Text(doc, "format", "top level", kRequired, 64) != kFormatName) {
    Fail("top level", "\"format\" is not \"" + std::string(kFormatName) + "\"");
  }
  const std::string minReader = Text(doc, "minReaderVersion", "top level", "", 32);
  if (!minReader.empty()) {
    cmn::VANDVersion needed;
    try {
      needed.SetWithString(minReader);
    } catch (const std::invalid_argument&) {
      Fail("top level", "\"minReaderVersion\" is not a version");
    }
    if (needed.major > ChangeLog::kFormatMajor) {
      throw ChangeLogVersionError("it needs version " + minReader +
                                  " of the change-log format, and this version of the application reads version " +
                                  std::to_string(ChangeLog::kFormatMajor) + "." +
                                  std::to_string(ChangeLog::kFormatMinor));
    }
  }

  CheckEventCount(doc);

  ChangeLog log;
  const std::string showId = Text(doc, "showIdentifier", "top level", "", kMaxIdBytes);
  if (!expectedShowId.empty() && !showId.empty() && showId != expectedShowId) {
    throw std::runtime_error("it belongs to the show \"" + showId + "\", not to the show \"" + expectedShowId + "\"");
  }
  log.SetShowIdentifier(showId);
  const std::string versionText = Text(doc, "version", "top level", "", 32);
  if (!versionText.empty()) {
    cmn::VANDVersion v;
    try {
      v.SetWithString(versionText);
    } catch (const std::invalid_argument&) {
      Fail("top level", "\"version\" is not a version");
    }
    log.SetVersion(v);
  }
  log.SetModifiedTime(GetTick(doc, "modified", "top level", 0));
  log.SetNextSfxSuffix(GetTick(doc, "nextSfxSuffix", "top level", 1));

  if (const Value* nets = kit::json::OptionalArray(doc, "networks", "top level")) {
    NetworkPathVectorT networks;
    for (rapidjson::SizeType i = 0; i < nets->Size(); ++i) {
      const std::string where = "networks[" + std::to_string(i) + "]";
      const Value& n = (*nets)[i];
      if (!n.IsObject()) Fail(where, "a network must be an object");
      NetworkPath p;
      p.NetworkId(Text(n, "networkId", where, kRequired, kMaxIdBytes));
      p.Name(Text(n, "name", where, "", kMaxTextBytes));
      p.IpAddress(Text(n, "ip", where, "", 256));
      // Destinations are stored as entered (the sender uses the port's low 16 bits).
      p.Port = static_cast<Int32>(Integer(n, "port", where, kInt32Min, kInt32Max, 0));
      p.Mode = static_cast<Int32>(Integer(n, "mode", where, kInt32Min, kInt32Max, 0));
      networks.push_back(std::move(p));
    }
    log.SetNetworks(networks);
  }

  if (const Value* paths = kit::json::OptionalArray(doc, "outputPaths", "top level")) {
    for (rapidjson::SizeType i = 0; i < paths->Size(); ++i) {
      const std::string where = "outputPaths[" + std::to_string(i) + "]";
      const Value& p = (*paths)[i];
      if (!p.IsObject()) Fail(where, "an output path must be an object");
      const std::string id = Text(p, "id", where, kRequired, kMaxIdBytes);
      if (id.empty()) Fail(where, "\"id\" is empty");
      log.SetOutputPath(OutputPath(id, Text(p, "name", where, "", kMaxTextBytes),
                                   Text(p, "deviceId", where, "", kMaxTextBytes),
                                   Text(p, "deviceName", where, "", kMaxTextBytes)));
    }
  }

  if (const Value* sfxs = kit::json::OptionalArray(doc, "soundEffects", "top level")) {
    for (rapidjson::SizeType i = 0; i < sfxs->Size(); ++i) {
      log.AppendSfx(ReadSfx((*sfxs)[i], "soundEffects[" + std::to_string(i) + "]"));
    }
  }

  LoadReport report;
  if (const Value* songs = Find(doc, "songs")) {
    if (!songs->IsObject()) Fail("top level", "\"songs\" must be an object");
    for (auto it = songs->MemberBegin(); it != songs->MemberEnd(); ++it) {
      const std::string song(it->name.GetString(), it->name.GetStringLength());
      const std::string where = "songs." + Quote(song);
      if (song.empty() || song.size() > kMaxSongKeyBytes) Fail(where, "a song number must be 1 to 64 bytes");
      if (log.FindSongLog(song) != nullptr) Fail(where, "the song appears twice");
      const Value& s = it->value;
      if (!s.IsObject()) Fail(where, "a song must be an object");
      SongLog songLog;
      if (Find(s, "attacca") != nullptr) {
        songLog.attacca = static_cast<UInt8>(Integer(s, "attacca", where, 0, 2, 0));
        songLog.attaccaSet = true;
      }
      std::vector<std::unique_ptr<cmn::VandEvent>> events;
      if (const Value* evs = kit::json::OptionalArray(s, "events", where)) {
        events.reserve(evs->Size());
        for (rapidjson::SizeType i = 0; i < evs->Size(); ++i) {
          events.push_back(ReadEvent((*evs)[i], where + ".events[" + std::to_string(i) + "]"));
        }
      }
      NormaliseSong(song, std::move(events), songLog, report);
      log.GetSongLogs().emplace(song, std::move(songLog));
    }
  }
  ChangeLogIo::SetReport(log, std::move(report));

  static const std::set<std::string> kKnown = {
      "format",        "formatVersion", "minReaderVersion", "showIdentifier", "version", "modified",
      "nextSfxSuffix", "networks",      "outputPaths",      "soundEffects",   "songs"};
  std::vector<std::pair<std::string, std::string>> unknown;
  for (auto it = doc.MemberBegin(); it != doc.MemberEnd(); ++it) {
    std::string name(it->name.GetString(), it->name.GetStringLength());
    if (!kKnown.count(name)) unknown.emplace_back(std::move(name), kit::json::Write(it->value));
  }
  ChangeLogIo::SetUnknownMembers(log, std::move(unknown));
  return log;
}

// Shortest decimal text of a float, as a double (0.3f is written 0.3).
double FloatForJson(float f) {
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof(buf), f);
  *r.ptr = '\0';
  return std::strtod(buf, nullptr);
}

template <class W>
void WriteString(W& w, const char* key, const std::string& value) {
  w.Key(key);
  w.String(value.c_str(), static_cast<rapidjson::SizeType>(value.size()));
}

template <class W>
void WriteEvent(W& w, const cmn::VandEvent& e) {
  if (const auto* u = dynamic_cast<const UnknownEvent*>(&e)) {
    // Written as read, with the id and ticks it has now (a load may rename it).
    rapidjson::Document raw;
    try {
      kit::json::Parse(raw, u->Raw());
    } catch (const kit::json::Error&) {
    }
    if (!raw.IsObject()) raw.SetObject();
    auto& a = raw.GetAllocator();
    for (const char* key : {"code", "id", "start", "end"}) {
      while (raw.RemoveMember(key)) {
      }
    }
    const std::string code(1, static_cast<char>(e.code()));
    raw.AddMember("code", rapidjson::Value(code.c_str(), a), a);
    raw.AddMember("id", rapidjson::Value(e.EventId().c_str(), static_cast<rapidjson::SizeType>(e.EventId().size()), a),
                  a);
    raw.AddMember("start", rapidjson::Value(e.start()), a);
    if (e.end() != 0) raw.AddMember("end", rapidjson::Value(e.end()), a);
    const std::string text = kit::json::Write(raw);
    w.RawValue(text.c_str(), text.size(), rapidjson::kObjectType);
    return;
  }
  w.StartObject();
  WriteString(w, "code", std::string(1, static_cast<char>(e.code())));
  WriteString(w, "id", e.EventId());
  w.Key("start");
  w.Uint(e.start());
  if (e.IsPairedEvent()) {
    w.Key("end");
    w.Uint(e.end());
  }
  const codes::EventKind* kind = codes::FindEventKind(e.code());
  switch (kind ? kind->value : codes::ValueKind::None) {
    case codes::ValueKind::Int:
      w.Key("int");
      w.Int(e.int_value());
      break;
    case codes::ValueKind::Factor:
      w.Key("float");
      w.Double(static_cast<const TempoScale&>(e).factor());
      break;
    case codes::ValueKind::Text: WriteString(w, "text", e.value()); break;
    case codes::ValueKind::Osc: {
      const auto& p = static_cast<const Osc&>(e).GetOscProperties();
      w.Key("osc");
      w.StartObject();
      WriteString(w, "message", p.Message());
      WriteString(w, "networkId", p.NetworkId());
      w.EndObject();
      break;
    }
    default: break;
  }
  w.EndObject();
}

}  // namespace

ChangeLog ChangeLog::FromJson(const std::string& text, const std::string& expectedShowId,
                              const std::string& sourceName) {
  const std::string prefix = "The change log \"" + sourceName + "\" cannot be read: ";
  try {
    return Parse(text, expectedShowId);
  } catch (const kit::json::Error& e) {
    throw std::runtime_error(prefix + e.what() + ".");
  } catch (const ChangeLogVersionError& e) {
    throw ChangeLogVersionError("The change log \"" + sourceName + "\" cannot be loaded: " + e.what());
  } catch (const std::bad_alloc&) {
    throw std::runtime_error(prefix + "out of memory.");
  } catch (const std::runtime_error& e) {
    throw std::runtime_error(prefix + e.what() + ".");
  }
}

namespace {

ChangeLog ReadLogFile(const std::filesystem::path& logdata, const std::string& showId) {
  const std::string name = logdata.filename().string();
  std::string text;
  try {
    text = kit::ReadWholeFile(logdata, ChangeLog::kMaxFileBytes);
  } catch (const std::runtime_error& e) {
    throw std::runtime_error("The change log \"" + name + "\" cannot be read: " + e.what());
  }
  return ChangeLog::FromJson(text, showId, name);
}

}  // namespace

ChangeLog::ChangeLog(const std::filesystem::path& logdata, const std::filesystem::path& identityFile) {
  *this = ReadLogFile(logdata, identityFile.empty() ? std::string() : ReadShowIdentifier(identityFile));
}

ReadableLog ChangeLog::LoadNewestReadable(const std::filesystem::path& folder,
                                          const std::filesystem::path& identityFile) {
  const std::string showId = identityFile.empty() ? std::string() : ReadShowIdentifier(identityFile);
  std::error_code unlisted;
  ReadableLog result;
  for (const std::filesystem::path& file : ListLogFiles(folder, unlisted)) {
    try {
      result.log = ReadLogFile(file, showId);
      result.file = file;
      break;
    } catch (const ChangeLogVersionError&) {
      throw;
    } catch (const std::exception& e) {
      result.unreadable.push_back(e.what());
    }
  }
  return result;
}

std::string ChangeLog::ReadShowIdentifier(const std::filesystem::path& identityFile) {
  std::error_code ec;
  if (!std::filesystem::exists(identityFile, ec)) return std::string();
  const std::string text = kit::ReadWholeFile(identityFile, 1024 * 1024);
  const std::string notValid = "The show identity file \"" + identityFile.string() + "\" is not valid JSON.";
  rapidjson::Document doc;
  try {
    kit::json::Parse(doc, text);
  } catch (const kit::json::Error&) {
    throw std::runtime_error(notValid);
  }
  if (!doc.IsObject()) throw std::runtime_error(notValid);
  const Value* identifier = Find(doc, "identifier");
  if (identifier == nullptr || !identifier->IsString()) {
    throw std::runtime_error("The show identity file \"" + identityFile.string() + "\" names no identifier.");
  }
  return std::string(identifier->GetString(), identifier->GetStringLength());
}

std::string ChangeLog::ToJson() const {
  rapidjson::StringBuffer buf;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> w(buf);
  w.SetIndent(' ', 1);
  w.StartObject();
  WriteString(w, "format", kFormatName);
  WriteString(w, "formatVersion", std::to_string(kFormatMajor) + "." + std::to_string(kFormatMinor));
  WriteString(w, "minReaderVersion", "1.0");
  WriteString(w, "showIdentifier", showIdentifier_);
  WriteString(w, "version", version_.GetAsString());
  w.Key("modified");
  w.Uint(modified_);
  w.Key("nextSfxSuffix");
  w.Uint(nextSfxSuffix_);

  w.Key("networks");
  w.StartArray();
  for (const auto& n : networks_) {
    w.StartObject();
    WriteString(w, "networkId", n.NetworkId());
    WriteString(w, "name", n.Name());
    WriteString(w, "ip", n.IpAddress());
    w.Key("port");
    w.Int(n.Port);
    w.Key("mode");
    w.Int(n.Mode);
    w.EndObject();
  }
  w.EndArray();

  w.Key("outputPaths");
  w.StartArray();
  for (const auto& [id, p] : outputPaths_) {
    w.StartObject();
    WriteString(w, "id", p.GetId());
    WriteString(w, "name", p.GetName());
    WriteString(w, "deviceId", p.GetDeviceId());
    WriteString(w, "deviceName", p.GetDeviceName());
    w.EndObject();
  }
  w.EndArray();

  w.Key("soundEffects");
  w.StartArray();
  for (const auto& s : sfxs_) {
    const SfxProperties& p = s->GetSfxProperties();
    w.StartObject();
    WriteString(w, "id", s->EventId());
    w.Key("ambient");
    w.Bool(s->IsAmbient());
    w.Key("tick");
    w.Uint(s->start());
    WriteString(w, "name", p.name());
    WriteString(w, "effectId", p.effectId());
    w.Key("effectIndex");
    w.Int(p.effectIdIndex());
    WriteString(w, "outputPath", p.outputPath());
    w.Key("repeats");
    w.Int(p.repeats());
    w.Key("volume");
    w.Double(FloatForJson(p.volume()));
    w.Key("pan");
    w.Double(FloatForJson(p.pan()));
    w.Key("reverb");
    w.Double(FloatForJson(p.reverb()));
    w.Key("fadeIn");
    w.Uint(p.fadeIn);
    w.Key("fadeOut");
    w.Uint(p.fadeOut);
    w.EndObject();
  }
  w.EndArray();

  w.Key("songs");
  w.StartObject();
  for (const auto& [song, log] : songs_) {
    if (log.IsEmpty()) continue;
    w.Key(song.c_str(), static_cast<rapidjson::SizeType>(song.size()));
    w.StartObject();
    if (log.attaccaSet) {
      w.Key("attacca");
      w.Uint(log.attacca);
    }
    w.Key("events");
    w.StartArray();
    for (const cmn::VandEvent* e : log.GetAllEvents()) WriteEvent(w, *e);
    w.EndArray();
    w.EndObject();
  }
  w.EndObject();

  for (const auto& [name, raw] : ChangeLogIo::UnknownMembers(*this)) {
    w.Key(name.c_str(), static_cast<rapidjson::SizeType>(name.size()));
    w.RawValue(raw.c_str(), raw.size(), rapidjson::kObjectType);
  }
  w.EndObject();
  return std::string(buf.GetString(), buf.GetSize());
}

}  // namespace CL
