#include "ShowFiles.h"

#include <fcntl.h>
#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <set>
#include <stdexcept>
#include <system_error>

#include "kit/File.h"
#include "kit/Json.h"
#include "kit/Log.h"
#include "vand_networking_http/Sha256.h"

namespace vand::networking::detail {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMaxPathBytes = 1024;
constexpr std::uintmax_t kMaxRecordBytes = 16 * 1024 * 1024;
constexpr std::int64_t kWriteBackBytes = 8 * 1024 * 1024;

std::vector<std::string_view> Segments(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    if (slash == std::string_view::npos) {
      parts.push_back(path.substr(start));
      return parts;
    }
    parts.push_back(path.substr(start, slash - start));
    start = slash + 1;
  }
}

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

// Strict UTF-8: no overlong forms, no surrogates (a JSON "\\udc00" escape
// decodes to one), nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    int length = 0;
    std::uint32_t code = 0;
    if (byte < 0x80) {
      ++i;
      continue;
    } else if ((byte & 0xE0) == 0xC0) {
      length = 2;
      code = byte & 0x1F;
    } else if ((byte & 0xF0) == 0xE0) {
      length = 3;
      code = byte & 0x0F;
    } else if ((byte & 0xF8) == 0xF0) {
      length = 4;
      code = byte & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    static constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::string SystemError(const std::string& what, const fs::path& file, int error) {
  return what + " \"" + file.string() + "\": " + std::strerror(error);
}

}  // namespace

bool IsHexDigest(std::string_view text) {
  return text.size() == 64 &&
         std::all_of(text.begin(), text.end(), [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

std::string LowerAscii(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) { return c >= 'A' && c <= 'Z' ? c + 32 : c; });
  return text;
}

std::string CheckShowPath(std::string_view path) {
  if (path.empty()) return "an empty path";
  if (path.size() > kMaxPathBytes) return "a path longer than 1024 bytes";
  if (path.find('\0') != std::string_view::npos) return "a path with a NUL character";
  if (path.find('\\') != std::string_view::npos) return "a path with a backslash: " + Quoted(path);
  if (std::any_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
    return "a path with a control character";
  }
  if (!IsValidUtf8(path)) return "a path that is not valid UTF-8";
  if (path.front() == '/') return "an absolute path: " + Quoted(path);
  const auto parts = Segments(path);
  for (const auto part : parts) {
    if (part.empty() || part == "." || part == "..") return "a path that leaves its folder: " + Quoted(path);
  }
  if (parts.front() == kStagingFolder || (parts.size() == 1 && parts.front() == kRecordFile)) {
    return "a reserved path: " + Quoted(path);
  }
  return {};
}

std::string CheckFileList(const std::vector<ShowFile>& files) {
  static const std::set<std::string> kKinds = {"SHOW", "IDENTITY", "AUDIO", "SCORE", "ART", "LOG"};
  std::set<std::string> paths;
  for (const auto& file : files) {
    if (std::string why = CheckShowPath(file.path); !why.empty()) return "The file list names " + why + ".";
    if (!kKinds.count(file.kind)) return "The file list gives " + Quoted(file.path) + " an unknown kind.";
    if (!IsHexDigest(file.sha256)) return "The file list gives " + Quoted(file.path) + " no valid SHA-256.";
    if (!paths.insert(file.path).second) return "The file list names " + Quoted(file.path) + " twice.";
  }
  // A file where another entry needs a folder.
  for (const auto& path : paths) {
    for (std::size_t slash = path.find('/'); slash != std::string::npos; slash = path.find('/', slash + 1)) {
      if (paths.count(path.substr(0, slash))) {
        return "The file list names " + Quoted(path.substr(0, slash)) + " both as a file and as a folder.";
      }
    }
  }
  return {};
}

Place CheckLocalPlace(const fs::path& folder, std::string_view path) {
  if (!CheckShowPath(path).empty()) return Place::Unsafe;
  const auto parts = Segments(path);
  fs::path current = folder;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    current /= fs::u8path(parts[i]);
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0) return Place::Free;  // nothing further down exists
    const bool last = i + 1 == parts.size();
    if (S_ISLNK(info.st_mode)) return Place::Unsafe;
    if (!last && !S_ISDIR(info.st_mode)) return Place::Unsafe;
    if (last) return S_ISREG(info.st_mode) ? Place::RegularFile : Place::Unsafe;
  }
  return Place::Unsafe;
}

StagedFile::StagedFile(const fs::path& part, std::int64_t offset) : path_(part) {
  fd_ = ::open(part.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd_ < 0) throw std::runtime_error(SystemError("Cannot write", part, errno));
  if (::ftruncate(fd_, offset) != 0 || ::lseek(fd_, offset, SEEK_SET) != offset) {
    const int error = errno;
    ::close(fd_);
    throw std::runtime_error(SystemError("Cannot write", part, error));
  }
  size_ = offset;
  flushed_ = offset;
}

StagedFile::~StagedFile() {
  if (fd_ >= 0) ::close(fd_);
}

void StagedFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = ::write(fd_, bytes.data(), bytes.size());
    if (done < 0 && errno == EINTR) continue;
    if (done < 0) throw std::runtime_error(SystemError("Cannot write", path_, errno));
    bytes.remove_prefix(static_cast<std::size_t>(done));
    size_ += done;
  }
  // Starts writing back what has arrived while the transfer goes on, so the
  // flush before the rename has little left to do.
  if (size_ - flushed_ >= kWriteBackBytes) {
    ::sync_file_range(fd_, flushed_, size_ - flushed_, SYNC_FILE_RANGE_WRITE);
    flushed_ = size_;
  }
}

void StagedFile::Restart() {
  if (::ftruncate(fd_, 0) != 0 || ::lseek(fd_, 0, SEEK_SET) != 0) {
    throw std::runtime_error(SystemError("Cannot write", path_, errno));
  }
  size_ = 0;
  flushed_ = 0;
}

void StagedFile::Close() {
  if (fd_ < 0) return;
  const int synced = ::fsync(fd_);
  const int syncError = errno;
  const int closed = ::close(fd_);
  fd_ = -1;
  if (synced != 0) throw std::runtime_error(SystemError("Cannot write", path_, syncError));
  if (closed != 0) throw std::runtime_error(SystemError("Cannot write", path_, errno));
}

void RenameInto(const fs::path& from, const fs::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    throw std::runtime_error(SystemError("Cannot put in place", to, errno));
  }
}

DownloadRecord ReadRecord(const fs::path& showFolder) {
  namespace json = kit::json;
  DownloadRecord record;
  rapidjson::Document doc;
  try {
    json::Parse(doc, kit::ReadWholeFile(showFolder / fs::u8path(kRecordFile), kMaxRecordBytes));
  } catch (const std::runtime_error&) {
    return record;
  }
  const json::Value* files = json::Find(doc, "files");
  if (files == nullptr || !files->IsObject()) return record;
  for (const auto& member : files->GetObject()) {
    try {
      const json::Value& value = member.value;
      RecordEntry entry;
      entry.size = static_cast<std::uint64_t>(json::Integer(value, "size", {}, 0, INT64_MAX, json::kRequired));
      entry.modified = json::Integer(value, "modified", {}, INT64_MIN, INT64_MAX, json::kRequired);
      entry.sha256 = json::Text(value, "sha256", {}, json::kRequired, kMaxRecordBytes);
      record[std::string(member.name.GetString(), member.name.GetStringLength())] = std::move(entry);
    } catch (const json::Error&) {
      // An entry that cannot be read is checked again.
    }
  }
  return record;
}

void WriteRecord(const fs::path& showFolder, const DownloadRecord& record) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  writer.StartObject();
  writer.Key("files");
  writer.StartObject();
  for (const auto& [path, entry] : record) {
    writer.Key(path.c_str(), static_cast<rapidjson::SizeType>(path.size()));
    writer.StartObject();
    writer.Key("size");
    writer.Uint64(entry.size);
    writer.Key("modified");
    writer.Int64(entry.modified);
    writer.Key("sha256");
    writer.String(entry.sha256.c_str(), static_cast<rapidjson::SizeType>(entry.sha256.size()));
    writer.EndObject();
  }
  writer.EndObject();
  writer.EndObject();
  kit::WriteFileAtomically(showFolder / fs::u8path(kRecordFile),
                           std::string_view(buffer.GetString(), buffer.GetSize()));
}

std::int64_t ModificationStamp(const fs::path& file) {
  std::error_code error;
  const auto time = fs::last_write_time(file, error);
  if (error) return 0;
  return std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
}

std::uint32_t ModifiedSeconds(const fs::path& file) {
  std::error_code error;
  const auto time = fs::last_write_time(file, error);
  if (error) return 0;
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::file_clock::to_sys(time).time_since_epoch());
  return static_cast<std::uint32_t>(std::clamp<std::int64_t>(seconds.count(), 0, UINT32_MAX));
}

bool HoldsFile(const fs::path& showFolder, const ShowFile& file, DownloadRecord& record, bool& changed) {
  if (CheckLocalPlace(showFolder, file.path) != Place::RegularFile) return false;
  const fs::path local = showFolder / fs::u8path(file.path);
  std::error_code error;
  const auto size = fs::file_size(local, error);
  if (error || size != file.size) return false;
  const std::int64_t modified = ModificationStamp(local);
  const auto known = record.find(file.path);
  if (known != record.end() && known->second.size == size && known->second.modified == modified) {
    return known->second.sha256 == file.sha256;
  }
  std::string sha;
  try {
    sha = Sha256OfFile(local);
  } catch (const std::exception& e) {
    kit::Log(kit::LogLevel::Warning, "networking", e.what());
    return false;
  }
  record[file.path] = RecordEntry{size, modified, sha};
  changed = true;
  return sha == file.sha256;
}

}  // namespace vand::networking::detail
