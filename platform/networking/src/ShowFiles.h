#pragma once

// Where a show's files may go, the staging area of downloads and the record
// of the last verified download.

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::networking::detail {

// Both live in the show folder and no server path may name them.
inline constexpr std::string_view kStagingFolder = ".incoming";
inline constexpr std::string_view kRecordFile = ".download-record.json";

// A SHA-256 as the server lists it once lowered: 64 hex digits, lowercase.
bool IsHexDigest(std::string_view text);
// `text` with its ASCII capitals lowered (SHA-256 texts are compared lowered).
std::string LowerAscii(std::string text);

// Empty when `path` is relative, '/'-separated, with no "..", "." or empty
// segment, no backslash or NUL, and names nothing of our own; else why not.
std::string CheckShowPath(std::string_view path);

// A show file list that can be fetched as a whole: safe paths, known kinds,
// well-formed checksums, no path twice and no file where another entry needs
// a folder. Empty, or why not.
std::string CheckFileList(const std::vector<ShowFile>& files);

// How `path` stands in `folder` on disk.
enum class Place { Free, RegularFile, Unsafe };
// Unsafe: a symbolic link on the way or at the end, something other than a
// folder where a folder is needed, or something other than a regular file
// where the file belongs.
Place CheckLocalPlace(const std::filesystem::path& folder, std::string_view path);

// Writes a file beside its target and renames it over the target; the file is
// flushed to disk before the rename. Throws std::runtime_error.
class StagedFile {
 public:
  // Opens `part`: kept as it is from `offset` on (truncated there), created
  // when missing.
  StagedFile(const std::filesystem::path& part, std::int64_t offset);
  ~StagedFile();
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;

  void Write(std::string_view bytes);
  // Empties the file and writes from the start again.
  void Restart();
  // Flushes to disk and closes.
  void Close();
  std::int64_t Size() const { return size_; }

 private:
  std::filesystem::path path_;
  int fd_ = -1;
  std::int64_t size_ = 0;
  std::int64_t flushed_ = 0;  // written back up to here
};

void RenameInto(const std::filesystem::path& from, const std::filesystem::path& to);

// The record of the last verified download: per show path, the size and
// modification time the file had when its SHA-256 was checked.
struct RecordEntry {
  std::uint64_t size = 0;
  std::int64_t modified = 0;  // file clock, nanoseconds
  std::string sha256;
};
using DownloadRecord = std::map<std::string, RecordEntry>;

DownloadRecord ReadRecord(const std::filesystem::path& showFolder);
// Throws std::runtime_error; the old record stays when writing fails.
void WriteRecord(const std::filesystem::path& showFolder, const DownloadRecord& record);
std::int64_t ModificationStamp(const std::filesystem::path& file);
// The modification time as the change-log index gives it: whole seconds since
// the epoch, 0 when it cannot be read.
std::uint32_t ModifiedSeconds(const std::filesystem::path& file);

// Whether the file in the show folder holds exactly `file` (size, then the
// record or the checksum). Adds what it learns to `record` and sets `changed`.
bool HoldsFile(const std::filesystem::path& showFolder, const ShowFile& file, DownloadRecord& record, bool& changed);

}  // namespace vand::networking::detail
