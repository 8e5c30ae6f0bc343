#include "vand_networking_http/ShowDownload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <numeric>
#include <system_error>
#include <vector>

#include "Http.h"
#include "ShowFiles.h"
#include "kit/Log.h"
#include "vand_networking_http/Sha256.h"

namespace vand_download {

namespace fs = std::filesystem;
using namespace vand::networking;
using namespace vand::networking::detail;

namespace {

// The callbacks record with every member optional.
class Reporter {
 public:
  explicit Reporter(std::shared_ptr<DownloadCallbacks> callbacks) : callbacks_(std::move(callbacks)) {}

  void StatusText(const std::string& text) const {
    if (callbacks_ && callbacks_->statusText) callbacks_->statusText(text);
  }
  void Status(const std::string& text) const {
    if (callbacks_ && callbacks_->status) callbacks_->status(text);
  }
  void Progress(const std::string& file, std::int64_t done, std::int64_t total) const {
    if (callbacks_ && callbacks_->progress) callbacks_->progress(file, done, total);
  }
  void Total(std::int64_t total) const {
    if (callbacks_ && callbacks_->total) callbacks_->total(total);
  }

 private:
  std::shared_ptr<DownloadCallbacks> callbacks_;
};

[[noreturn]] void Fail(const std::string& message) { throw DownloadException(message); }

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

bool IsRealFolder(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsRegularFile(const fs::path& path) {
  struct stat info {};
  return ::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Makes `path` a real folder, removing whatever else stands there (a link is
// removed itself, never followed).
void MakeRealFolder(const fs::path& path) {
  if (IsRealFolder(path)) return;
  std::error_code error;
  fs::remove_all(path, error);
  fs::create_directory(path);
}

// The staging place of one file, its folders made real.
fs::path StagingPlace(const fs::path& staging, const std::string& path) {
  fs::path current = staging;
  const fs::path relative = fs::u8path(path);
  for (auto it = relative.begin(); it != relative.end(); ++it) {
    if (std::next(it) == relative.end()) break;
    current /= *it;
    MakeRealFolder(current);
  }
  return staging / relative;
}

// Feeds the first `bytes` of a staged part into hash; false when they cannot be read.
bool HashPrefix(const fs::path& part, std::int64_t bytes, Sha256& hash) {
  const int fd = ::open(part.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
  if (fd < 0) return false;
  std::vector<char> buffer(1 << 20);
  std::int64_t left = bytes;
  while (left > 0) {
    const ssize_t got = ::read(fd, buffer.data(), static_cast<std::size_t>(std::min<std::int64_t>(left, buffer.size())));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    hash.Update(buffer.data(), static_cast<std::size_t>(got));
    left -= got;
  }
  ::close(fd);
  return left == 0;
}

bool StagedFileMatches(const fs::path& staged, const ShowFile& file) {
  std::error_code error;
  if (!IsRegularFile(staged) || fs::file_size(staged, error) != file.size || error) return false;
  try {
    return Sha256OfFile(staged) == file.sha256;
  } catch (const std::exception&) {
    return false;
  }
}

enum class Outcome { Staged, Cancelled };

// Fetches one file into "<staged>.part", resuming what an earlier attempt
// left, and renames it to `staged` once its size and checksum match.
Outcome FetchFile(Http& http, const std::string& url, const ShowFile& file, const fs::path& staged,
                  const std::atomic<bool>* cancel, const Reporter& reporter) {
  const fs::path part = fs::path(staged).concat(".part");
  const auto size = static_cast<std::int64_t>(file.size);
  std::int64_t offset = 0;
  if (IsRegularFile(part)) {
    std::error_code error;
    offset = static_cast<std::int64_t>(fs::file_size(part, error));
    if (error || offset > size) offset = 0;
  }
  for (bool restarted = false;; restarted = true) {
    Sha256 hash;
    if (offset > 0 && !HashPrefix(part, offset, hash)) {
      offset = 0;
      hash.HexDigest();  // starts the hash again
    }
    StagedFile out(part, offset);
    reporter.Progress(file.path, offset, size);

    if (offset < size) {
      bool started = false;
      bool oversize = false;
      long unexpected = 0;
      BodySink sink;
      sink.write = [&](long status, std::int64_t rangeStart, std::string_view chunk) {
        if (!started) {
          started = true;
          if (status == 200 && out.Size() > 0) {
            // The server ignored the range: the whole file comes again.
            out.Restart();
            hash.HexDigest();
          } else if (!(status == 200 || (status == 206 && rangeStart == out.Size()))) {
            unexpected = status;
            return false;
          }
        }
        if (out.Size() + static_cast<std::int64_t>(chunk.size()) > size) {
          oversize = true;
          return false;
        }
        out.Write(chunk);
        hash.Update(chunk.data(), chunk.size());
        reporter.Progress(file.path, out.Size(), size);
        return true;
      };
      const HttpResponse response = http.Fetch(url, offset, sink, cancel);
      if (response.cancelled) return Outcome::Cancelled;
      if (oversize) {
        out.Close();
        std::error_code ignored;
        fs::remove(part, ignored);
        Fail(Quoted(file.path) + " is larger on the server than its file list says.");
      }
      if (unexpected != 0) {
        Fail("The show server answered " + Quoted(file.path) + " with status " + std::to_string(unexpected) + ".");
      }
      if (!response.Completed()) {
        if (response.status >= 400) {
          Fail("The show server answered " + Quoted(file.path) + " with status " + std::to_string(response.status) +
               ".");
        }
        Fail("Downloading " + Quoted(file.path) + " failed: " + response.error);
      }
    }
    out.Close();
    if (out.Size() != size) {
      Fail("Downloading " + Quoted(file.path) + " ended after " + std::to_string(out.Size()) + " of " +
           std::to_string(size) + " bytes.");
    }
    if (hash.HexDigest() == file.sha256) {
      RenameInto(part, staged);
      return Outcome::Staged;
    }
    std::error_code ignored;
    fs::remove(part, ignored);
    if (restarted) Fail(Quoted(file.path) + " does not match its checksum on the server.");
    kit::Log(kit::LogLevel::Warning, "networking",
             "\"" + file.path + "\" did not match its checksum; downloading it again.");
    offset = 0;
  }
}

vand::ShowIdentity Run(const vand::ShowIdentity& identity, const Reporter& reporter, const std::atomic<bool>* cancel,
                 const DownloadPlan& plan) {
  auto cancelled = [cancel] { return cancel && cancel->load(); };
  if (plan.server.apiBase.empty()) Fail("No show server is set up.");
  if (plan.showFolder.empty()) Fail("The download has no show folder.");
  if (plan.showIdentifier.empty()) Fail("The download names no show.");
  if (std::string why = CheckFileList(plan.files); !why.empty()) Fail(why);

  reporter.StatusText("Checking files...");
  const fs::path folder = fs::u8path(plan.showFolder);
  fs::create_directories(folder);
  for (const auto& file : plan.files) {
    if (CheckLocalPlace(folder, file.path) == Place::Unsafe) {
      Fail(Quoted(file.path) + " cannot be placed in the show folder: a link or a folder stands in its way.");
    }
  }
  const std::int64_t total = std::accumulate(plan.files.begin(), plan.files.end(), std::int64_t(0),
                                             [](std::int64_t sum, const ShowFile& f) { return sum + f.size; });
  reporter.Total(total);

  const fs::path staging = folder / fs::u8path(kStagingFolder);
  MakeRealFolder(staging);
  Http http(plan.server);
  const std::string base = plan.server.apiBase + "shows/" + EscapeSegment(plan.showIdentifier) + "/files/";
  for (std::size_t i = 0; i < plan.files.size(); ++i) {
    if (cancelled()) return {};
    const ShowFile& file = plan.files[i];
    reporter.Status("Downloading " + std::to_string(i + 1) + " of " + std::to_string(plan.files.size()) + ": " +
                    file.path);
    const fs::path staged = StagingPlace(staging, file.path);
    if (StagedFileMatches(staged, file)) {
      reporter.Progress(file.path, static_cast<std::int64_t>(file.size), static_cast<std::int64_t>(file.size));
      continue;
    }
    std::error_code ignored;
    fs::remove_all(staged, ignored);
    if (FetchFile(http, base + EscapePath(file.path), file, staged, cancel, reporter) == Outcome::Cancelled) return {};
  }
  if (cancelled()) return {};

  // Every file is staged and checked: put them in place.
  reporter.Status("Installing files...");
  DownloadRecord record = ReadRecord(folder);
  for (const auto& file : plan.files) {
    if (CheckLocalPlace(folder, file.path) == Place::Unsafe) {
      Fail(Quoted(file.path) + " cannot be placed in the show folder: a link or a folder stands in its way.");
    }
    const fs::path target = folder / fs::u8path(file.path);
    fs::create_directories(target.parent_path());
    RenameInto(staging / fs::u8path(file.path), target);
    record[file.path] = RecordEntry{file.size, ModificationStamp(target), file.sha256};
  }
  try {
    WriteRecord(folder, record);
  } catch (const std::exception& e) {
    kit::Log(kit::LogLevel::Warning, "networking", e.what());
  }
  std::error_code ignored;
  fs::remove_all(staging, ignored);
  reporter.StatusText("Done");
  return identity;
}

}  // namespace

vand::ShowIdentity PerformShowDownload(const vand::ShowIdentity& identity,
                                       std::shared_ptr<DownloadCallbacks> callbacks,
                                       const std::atomic<bool>* cancel, const std::string&, vand::ProductType,
                                       DownloadPlan* plan) {
  if (!plan) throw DownloadException("There is no download plan.");
  const Reporter reporter(std::move(callbacks));
  try {
    return Run(identity, reporter, cancel, *plan);
  } catch (const DownloadException&) {
    throw;
  } catch (const std::exception& e) {
    throw DownloadException(e.what());
  }
}

}  // namespace vand_download
