#include "vand_networking_http/ChangelogTransfer.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "Http.h"
#include "ServerJson.h"
#include "ShowFiles.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "vand_networking_http/NetworkApiInterface.h"
#include "vand_networking_http/Sha256.h"

namespace vand::networking {

namespace fs = std::filesystem;

namespace {

// Change logs are small; anything near this is not one.
constexpr std::int64_t kMaxChangelogBytes = 16 * 1024 * 1024;

void LogUploadFailure(const std::string& text) {
  kit::Log(kit::LogLevel::Warning, "networking", "Change log upload: " + text);
}

// The change log to upload: a bare name in the show folder, or a path that
// lies directly in it.
bool ResolveChangelog(const std::string& fileName, const fs::path& showFolder, fs::path& file) {
  const fs::path given = fs::u8path(fileName);
  if (given.is_absolute()) {
    const fs::path relative = given.lexically_normal().lexically_relative(showFolder.lexically_normal());
    if (relative.empty() || relative.has_parent_path()) return false;
    file = showFolder / relative;
  } else {
    if (fileName.find('/') != std::string::npos) return false;
    file = showFolder / given;
  }
  const std::string name = file.filename().string();
  return detail::CheckShowPath(name).empty() && detail::CheckLocalPlace(showFolder, name) == detail::Place::RegularFile;
}

}  // namespace

VANDDownloader::VANDDownloader() = default;

VANDDownloader::VANDDownloader(ServerConfig server, const std::atomic<bool>* cancel)
    : server_(std::move(server)), cancel_(cancel) {}

void VANDDownloader::Download(const std::string& link, const std::string& destination, const std::string& sha256) {
  if (!detail::IsHttpUrl(link)) throw std::runtime_error("The change log's link is not an http or https address.");
  const std::string expected = detail::LowerAscii(sha256);
  const fs::path target = fs::u8path(destination);
  const fs::path part = fs::path(target).concat(".part");
  try {
    detail::StagedFile file(part, 0);
    Sha256 hash;
    detail::BodySink sink;
    sink.write = [&](long status, std::int64_t, std::string_view chunk) {
      if (status != 200 || file.Size() + static_cast<std::int64_t>(chunk.size()) > kMaxChangelogBytes) return false;
      file.Write(chunk);
      hash.Update(chunk.data(), chunk.size());
      return true;
    };
    const ServerConfig server = server_ ? *server_ : DefaultServerConfig();
    const detail::HttpResponse response = detail::Http(server, server.deadlines.file).Fetch(link, 0, sink, cancel_);
    if (!response.Completed()) {
      if (response.sinkRefused && response.status == 200) {
        throw std::runtime_error("The change log is larger than 16 MiB.");
      }
      if (response.timedOut || response.cancelled) throw std::runtime_error(response.error);
      throw std::runtime_error(response.status >= 400
                                   ? "The show server answered with status " + std::to_string(response.status) + "."
                                   : "The show server cannot be reached: " + response.error);
    }
    if (response.status != 200) {
      throw std::runtime_error("The show server answered with status " + std::to_string(response.status) + ".");
    }
    file.Close();
    if (hash.HexDigest() != expected) {
      throw std::runtime_error("The downloaded change log does not match its checksum.");
    }
    detail::RenameInto(part, target);
  } catch (...) {
    std::error_code ignored;
    fs::remove(part, ignored);
    throw;
  }
}

bool UploadChangelog(const std::string& fileName, std::uint8_t major, std::uint8_t minor,
                     const vand::ShowIdentity& identity, const std::string& showFolder, vand::ProductType) {
  return UploadChangelog(DefaultServerConfig(), fileName, major, minor, identity, showFolder, nullptr);
}

bool UploadChangelog(const ServerConfig& server, const std::string& fileName, std::uint8_t major, std::uint8_t minor,
                     const vand::ShowIdentity& identity, const std::string& showFolder,
                     const std::atomic<bool>* cancel) {
  if (server.apiBase.empty()) {
    LogUploadFailure("no show server is set up.");
    return false;
  }
  if (identity.identifier.empty()) {
    LogUploadFailure("no show is selected.");
    return false;
  }
  fs::path file;
  if (!ResolveChangelog(fileName, fs::u8path(showFolder), file)) {
    LogUploadFailure("\"" + fileName + "\" is not a file of the show folder.");
    return false;
  }
  std::string bytes;
  try {
    bytes = kit::ReadWholeFile(file, kMaxChangelogBytes);
  } catch (const std::runtime_error&) {
    LogUploadFailure("\"" + file.string() + "\" cannot be read.");
    return false;
  }

  const std::string name = file.filename().string();
  const std::string logs = server.apiBase + "shows/" + detail::EscapeSegment(identity.identifier) + "/logs/";
  detail::Http api(server, server.deadlines.api);
  detail::Http transfer(server, server.deadlines.file);

  std::vector<detail::LogIndexEntry> index;
  const detail::HttpResponse current = api.Get(logs + "index.json", detail::kMaxJsonBytes, cancel);
  const bool noIndexYet = current.Completed() && current.status == 404;
  if (!noIndexYet &&
      (!current.Completed() || current.status != 200 || !detail::ParseLogIndex(current.body, index).empty())) {
    LogUploadFailure(current.timedOut || current.cancelled ? current.error : "the server's index cannot be read.");
    return false;
  }
  for (const auto& entry : index) {
    if ((entry.major == major && entry.minor == minor) || entry.file == name) {
      LogUploadFailure("the server already has version " + std::to_string(entry.major) + "." +
                       std::to_string(entry.minor) + " (\"" + entry.file + "\").");
      return false;
    }
  }
  const detail::HttpResponse head = api.Head(logs + detail::EscapeSegment(name), cancel);
  if (!head.Completed() || head.status != 404) {
    LogUploadFailure(head.Completed() && head.status == 200 ? "the server already has \"" + name + "\"."
                                                            : "the server cannot be asked for \"" + name + "\".");
    return false;
  }
  const detail::HttpResponse put =
      transfer.Put(logs + detail::EscapeSegment(name), bytes, "application/octet-stream", cancel);
  if (!put.Completed() || put.status < 200 || put.status > 299) {
    LogUploadFailure("the server did not take \"" + name + "\" (status " + std::to_string(put.status) + ").");
    return false;
  }
  index.push_back({major, minor, detail::ModifiedSeconds(file), name, Sha256Hex(bytes)});
  const detail::HttpResponse putIndex =
      api.Put(logs + "index.json", detail::WriteLogIndex(index), "application/json", cancel);
  if (!putIndex.Completed() || putIndex.status < 200 || putIndex.status > 299) {
    LogUploadFailure("the server did not take its new index (status " + std::to_string(putIndex.status) + ").");
    return false;
  }
  return true;
}

}  // namespace vand::networking
