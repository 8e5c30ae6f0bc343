#include "ServerJson.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include "Http.h"
#include "ShowFiles.h"
#include "kit/Json.h"

namespace vand::networking::detail {

namespace {

constexpr std::uint64_t kMaxFileSize = std::uint64_t(1) << 46;  // 64 TiB: sums stay far from overflow
constexpr std::size_t kMaxMessageBytes = 1024;
constexpr std::int64_t kMaxDeadlineMs = 3600 * 1000;

namespace json = kit::json;

bool ParseDocument(std::string_view text, rapidjson::Document& doc) {
  if (text.size() > kMaxJsonBytes) return false;
  try {
    json::Parse(doc, text);
  } catch (const json::Error&) {
    return false;
  }
  return true;
}

// Runs the getters in `read`: false when one of them fails.
template <class Read>
bool Reads(Read read) {
  try {
    read();
  } catch (const json::Error&) {
    return false;
  }
  return true;
}

// A required text member; the document's size bounds its length.
std::string Text(const rapidjson::Value& object, const char* name) {
  return json::Text(object, name, {}, json::kRequired, kMaxJsonBytes);
}

std::string Entry(std::size_t index) { return "entry " + std::to_string(index + 1); }

}  // namespace

std::string ParseFileList(std::string_view text, ShowFileList& files) {
  files.clear();
  rapidjson::Document doc;
  if (!ParseDocument(text, doc)) return "The file list is not valid JSON.";
  if (!doc.IsArray()) return "The file list is not a list.";
  ShowFileList parsed;
  parsed.reserve(doc.Size());
  for (rapidjson::SizeType i = 0; i < doc.Size(); ++i) {
    const auto& item = doc[i];
    if (!item.IsObject()) return "The file list's " + Entry(i) + " is not an object.";
    ShowFile file;
    if (!Reads([&] {
          file.path = Text(item, "path");
          file.kind = Text(item, "kind");
          file.sha256 = Text(item, "sha256");
          file.size = static_cast<std::uint64_t>(json::Integer(item, "size", {}, 0, kMaxFileSize, json::kRequired));
        })) {
      return "The file list's " + Entry(i) + " lacks its path, kind, size or SHA-256.";
    }
    // Versions are optional for files other than change logs.
    if (!Reads([&] {
          file.major = static_cast<int>(json::Integer(item, "major", {}, 0, 255, 0));
          file.minor = static_cast<int>(json::Integer(item, "minor", {}, 0, 255, 0));
        })) {
      return "The file list's " + Entry(i) + " has a version out of range.";
    }
    file.sha256 = LowerAscii(std::move(file.sha256));
    parsed.push_back(std::move(file));
  }
  if (std::string why = CheckFileList(parsed); !why.empty()) return why;
  files = std::move(parsed);
  return {};
}

std::string ParseLogIndex(std::string_view text, std::vector<LogIndexEntry>& entries) {
  entries.clear();
  rapidjson::Document doc;
  if (!ParseDocument(text, doc)) return "The change-log index is not valid JSON.";
  if (!doc.IsArray()) return "The change-log index is not a list.";
  std::vector<LogIndexEntry> parsed;
  for (rapidjson::SizeType i = 0; i < doc.Size(); ++i) {
    const auto& item = doc[i];
    LogIndexEntry entry;
    if (!item.IsObject() || !Reads([&] {
          entry.major = static_cast<std::uint8_t>(json::Integer(item, "major", {}, 0, 255, json::kRequired));
          entry.minor = static_cast<std::uint8_t>(json::Integer(item, "minor", {}, 0, 255, json::kRequired));
          entry.modified =
              static_cast<std::uint32_t>(json::Integer(item, "modified", {}, 0, UINT32_MAX, json::kRequired));
          entry.file = Text(item, "file");
          entry.sha256 = Text(item, "sha256");
        })) {
      return "The change-log index's " + Entry(i) + " is incomplete.";
    }
    entry.sha256 = LowerAscii(std::move(entry.sha256));
    if (!CheckShowPath(entry.file).empty() || entry.file.find('/') != std::string::npos) {
      return "The change-log index's " + Entry(i) + " names an unsafe file.";
    }
    if (!IsHexDigest(entry.sha256)) return "The change-log index's " + Entry(i) + " has no valid SHA-256.";
    parsed.push_back(std::move(entry));
  }
  entries = std::move(parsed);
  return {};
}

std::string WriteLogIndex(const std::vector<LogIndexEntry>& entries) {
  rapidjson::StringBuffer buffer;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> writer(buffer);
  writer.StartArray();
  for (const auto& entry : entries) {
    writer.StartObject();
    writer.Key("major");
    writer.Uint(entry.major);
    writer.Key("minor");
    writer.Uint(entry.minor);
    writer.Key("modified");
    writer.Uint(entry.modified);
    writer.Key("file");
    writer.String(entry.file.c_str(), static_cast<rapidjson::SizeType>(entry.file.size()));
    writer.Key("sha256");
    writer.String(entry.sha256.c_str(), static_cast<rapidjson::SizeType>(entry.sha256.size()));
    writer.EndObject();
  }
  writer.EndArray();
  return std::string(buffer.GetString(), buffer.GetSize()) + "\n";
}

std::string ParseServerConfig(std::string_view text, ServerConfig& config) {
  config = {};
  rapidjson::Document doc;
  if (!ParseDocument(text, doc) || !doc.IsObject()) return "it is not a JSON object";
  ServerConfig parsed;
  if (!Reads([&] { parsed.apiBase = Text(doc, "apiBase"); }) || !IsHttpUrl(parsed.apiBase)) {
    return "\"apiBase\" is not an http or https address";
  }
  if (!Reads([&] { parsed.caFile = json::Text(doc, "caFile", {}, "", kMaxJsonBytes); })) {
    return "\"caFile\" is not a text";
  }
  if (!Reads([&] {
        parsed.deadlines.api = std::chrono::milliseconds(json::Integer(
            doc, "apiDeadlineMs", {}, 1, kMaxDeadlineMs, static_cast<std::int64_t>(parsed.deadlines.api.count())));
        parsed.deadlines.file = std::chrono::milliseconds(json::Integer(
            doc, "fileDeadlineMs", {}, 1, kMaxDeadlineMs, static_cast<std::int64_t>(parsed.deadlines.file.count())));
      })) {
    return "\"apiDeadlineMs\" and \"fileDeadlineMs\" must be whole numbers of milliseconds from 1 to " +
           std::to_string(kMaxDeadlineMs);
  }
  if (parsed.apiBase.back() != '/') parsed.apiBase.push_back('/');
  config = std::move(parsed);
  return {};
}

std::string ErrorMessageOf(std::string_view body) {
  rapidjson::Document doc;
  if (body.size() > kMaxMessageBytes * 4 || !ParseDocument(body, doc) || !doc.IsObject()) return {};
  std::string message;
  if (!Reads([&] { message = json::Text(doc, "message", {}, json::kRequired, kMaxMessageBytes); })) return {};
  return message;
}

}  // namespace vand::networking::detail
