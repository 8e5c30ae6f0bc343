#pragma once

// The server's JSON documents: the show's file list and the change-log index.
// Parsers take untrusted text and never throw; they return an empty text or
// why the document cannot be used.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::networking::detail {

inline constexpr std::size_t kMaxJsonBytes = 1024 * 1024;

// files.json: [{"path","kind","size","sha256","major","minor"}], checked as a
// whole (CheckFileList).
std::string ParseFileList(std::string_view text, ShowFileList& files);

// logs/index.json: [{"major","minor","modified","file","sha256"}].
struct LogIndexEntry {
  std::uint8_t major = 0;
  std::uint8_t minor = 0;
  std::uint32_t modified = 0;
  std::string file;  // a bare file name
  std::string sha256;

  bool operator==(const LogIndexEntry&) const = default;
};
std::string ParseLogIndex(std::string_view text, std::vector<LogIndexEntry>& entries);
std::string WriteLogIndex(const std::vector<LogIndexEntry>& entries);

// server.json: {"apiBase", "caFile", "apiDeadlineMs", "fileDeadlineMs"}.
std::string ParseServerConfig(std::string_view text, ServerConfig& config);

// The "message" of a JSON error answer, if it has one.
std::string ErrorMessageOf(std::string_view body);

}  // namespace vand::networking::detail
