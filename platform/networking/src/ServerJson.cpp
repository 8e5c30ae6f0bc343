#include "ServerJson.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <set>

#include "Http.h"
#include "ShowFiles.h"

namespace vand::networking::detail {

namespace {

constexpr std::uint64_t kMaxFileSize = std::uint64_t(1) << 46;  // 64 TiB: sums stay far from overflow
constexpr std::size_t kMaxMessageBytes = 1024;

bool ParseDocument(std::string_view text, rapidjson::Document& doc) {
  if (text.size() > kMaxJsonBytes) return false;
  doc.Parse<rapidjson::kParseIterativeFlag | rapidjson::kParseValidateEncodingFlag>(text.data(), text.size());
  return !doc.HasParseError();
}

const rapidjson::Value* Member(const rapidjson::Value& object, const char* name) {
  const auto it = object.FindMember(name);
  return it == object.MemberEnd() ? nullptr : &it->value;
}

bool ReadText(const rapidjson::Value& object, const char* name, std::string& out) {
  const auto* value = Member(object, name);
  if (!value || !value->IsString()) return false;
  out.assign(value->GetString(), value->GetStringLength());
  return true;
}

bool ReadUnsigned(const rapidjson::Value& object, const char* name, std::uint64_t max, std::uint64_t& out) {
  const auto* value = Member(object, name);
  if (!value || !value->IsUint64() || value->GetUint64() > max) return false;
  out = value->GetUint64();
  return true;
}

void ToLower(std::string& text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
}

bool IsLowerHex64(const std::string& text) {
  return text.size() == 64 &&
         std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
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
    std::uint64_t size = 0, major = 0, minor = 0;
    if (!ReadText(item, "path", file.path) || !ReadText(item, "kind", file.kind) ||
        !ReadText(item, "sha256", file.sha256) || !ReadUnsigned(item, "size", kMaxFileSize, size)) {
      return "The file list's " + Entry(i) + " lacks its path, kind, size or SHA-256.";
    }
    // Versions are optional for files other than change logs.
    if (Member(item, "major") && !ReadUnsigned(item, "major", 255, major)) {
      return "The file list's " + Entry(i) + " has a version out of range.";
    }
    if (Member(item, "minor") && !ReadUnsigned(item, "minor", 255, minor)) {
      return "The file list's " + Entry(i) + " has a version out of range.";
    }
    ToLower(file.sha256);
    file.size = size;
    file.major = static_cast<int>(major);
    file.minor = static_cast<int>(minor);
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
    std::uint64_t major = 0, minor = 0, modified = 0;
    if (!item.IsObject() || !ReadUnsigned(item, "major", 255, major) || !ReadUnsigned(item, "minor", 255, minor) ||
        !ReadUnsigned(item, "modified", UINT32_MAX, modified) || !ReadText(item, "file", entry.file) ||
        !ReadText(item, "sha256", entry.sha256)) {
      return "The change-log index's " + Entry(i) + " is incomplete.";
    }
    ToLower(entry.sha256);
    if (!CheckShowPath(entry.file).empty() || entry.file.find('/') != std::string::npos) {
      return "The change-log index's " + Entry(i) + " names an unsafe file.";
    }
    if (!IsLowerHex64(entry.sha256)) return "The change-log index's " + Entry(i) + " has no valid SHA-256.";
    entry.major = static_cast<std::uint8_t>(major);
    entry.minor = static_cast<std::uint8_t>(minor);
    entry.modified = static_cast<std::uint32_t>(modified);
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
  if (!ReadText(doc, "apiBase", parsed.apiBase) || !IsHttpUrl(parsed.apiBase)) {
    return "\"apiBase\" is not an http or https address";
  }
  if (Member(doc, "caFile") && !Member(doc, "caFile")->IsNull() && !ReadText(doc, "caFile", parsed.caFile)) {
    return "\"caFile\" is not a text";
  }
  if (parsed.apiBase.back() != '/') parsed.apiBase.push_back('/');
  config = std::move(parsed);
  return {};
}

std::string ErrorMessageOf(std::string_view body) {
  rapidjson::Document doc;
  if (body.size() > kMaxMessageBytes * 4 || !ParseDocument(body, doc) || !doc.IsObject()) return {};
  std::string message;
  if (!ReadText(doc, "message", message) || message.size() > kMaxMessageBytes) return {};
  return message;
}

}  // namespace vand::networking::detail
