#include "vand_networking_http/ShowDownload.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <numeric>
#include <system_error>
#include <thread>
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
  // Refuses the staged show when the check throws.
  void Check(const StagedShow& show) const {
    if (!callbacks_ || !callbacks_->checkStaged) return;
    Status("Checking the downloaded show...");
    try {
      callbacks_->checkStaged(show);
    } catch (const std::exception& e) {
      throw DownloadException("The downloaded show cannot be used, so the show on this computer is kept. " +
                              std::string(e.what()));
    }
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

// The SHA-256 of a file that is being written, computed on a thread of its
// own from what the writer has written so far (read back from the page
// cache), so hashing overlaps the transfer.
class GrowingFileHash {
 public:
  explicit GrowingFileHash(const fs::path& file) : fd_(::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW)) {
    if (fd_ < 0) throw std::runtime_error("Cannot read \"" + file.string() + "\": " + std::strerror(errno));
    thread_ = std::thread([this] { Run(); });
  }

  ~GrowingFileHash() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
    ::close(fd_);
  }

  // The file now holds `size` bytes.
  void Advance(std::int64_t size) {
    {
      std::lock_guard lock(mutex_);
      available_ = size;
    }
    changed_.notify_all();
  }

  // The digest of the file's first `size` bytes; waits until they are hashed.
  std::string Finish(std::int64_t size) {
    Advance(size);
    std::unique_lock lock(mutex_);
    done_.wait(lock, [&] { return hashed_ >= size || !error_.empty(); });
    if (!error_.empty()) throw std::runtime_error(error_);
    return hash_.HexDigest();
  }

 private:
  void Run() {
    std::vector<char> buffer(1 << 20);
    std::unique_lock lock(mutex_);
    for (;;) {
      changed_.wait(lock, [&] { return stop_ || hashed_ < available_; });
      if (stop_) return;
      const std::int64_t from = hashed_;
      const auto want = static_cast<std::size_t>(std::min<std::int64_t>(available_ - from, buffer.size()));
      lock.unlock();
      ssize_t got = 0;
      do {
        got = ::pread(fd_, buffer.data(), want, from);
      } while (got < 0 && errno == EINTR);
      if (got > 0) hash_.Update(buffer.data(), static_cast<std::size_t>(got));
      lock.lock();
      if (got <= 0) {
        error_ = "Cannot read back a downloaded file.";
        done_.notify_all();
        return;
      }
      hashed_ += got;
      done_.notify_all();
    }
  }

  int fd_;
  Sha256 hash_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::condition_variable done_;
  std::int64_t available_ = 0;
  std::int64_t hashed_ = 0;
  bool stop_ = false;
  std::string error_;
  std::thread thread_;
};

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
    StagedFile out(part, offset);
    auto hash = std::make_unique<GrowingFileHash>(part);
    hash->Advance(offset);  // what an earlier run left is hashed first
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
            hash.reset();
            out.Restart();
            hash = std::make_unique<GrowingFileHash>(part);
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
        hash->Advance(out.Size());
        reporter.Progress(file.path, out.Size(), size);
        return true;
      };
      const HttpResponse response = http.Fetch(url, offset, sink, cancel);
      if (response.cancelled) return Outcome::Cancelled;
      if (oversize) {
        hash.reset();
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
    if (hash->Finish(size) == file.sha256) {
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
  reporter.Check(StagedShow{folder, staging, plan.files});
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

}  // namespace vand_download

namespace vand::networking {

bool StagedShow::Brings(const std::string& path) const {
  return std::any_of(staged.begin(), staged.end(), [&](const ShowFile& file) { return file.path == path; });
}

std::filesystem::path StagedShow::Resolve(const std::string& path) const {
  return (Brings(path) ? stagingFolder : showFolder) / std::filesystem::u8path(path);
}

}  // namespace vand::networking

namespace vand_download {

vand::ShowIdentity PerformShowDownload(const vand::ShowIdentity& identity, std::shared_ptr<DownloadCallbacks> callbacks,
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
