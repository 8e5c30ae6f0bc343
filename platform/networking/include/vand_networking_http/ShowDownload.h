#pragma once

// Download of a whole show: every file of a plan, all or nothing.
//
// Threading: PerformShowDownload blocks the calling thread (a worker) until
// the plan is done, has failed or was cancelled; the callbacks run on that
// thread, one at a time. The cancel flag may be set from any thread and is
// seen within about a second, also while the connection is stalled.
//
// Each file is staged in the show folder as ".incoming/<path>.part" and kept
// only when its size and SHA-256 match the plan; the staged files are renamed
// into place once all of them are staged. A failed or cancelled download
// therefore leaves the show folder's files as they were. Staged files survive
// for the next attempt: checked ones are kept, and a ".part" resumes where it
// stopped (a server that ignores the range, or a file whose checksum fails,
// restarts that file from zero once). Before anything is put in place the
// staged show may be checked (DownloadCallbacks::checkStaged): a show that
// would not read fails the download the same way.

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cmn/ShowIdentity.h"
#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::networking {

// What a download reports while it runs.
class IReportProgressCallback {
 public:
  virtual ~IReportProgressCallback() = default;
  virtual void ReportStatus(const std::string& status) = 0;
  // done and total are the bytes of one file.
  virtual void ReportProgress(const std::string& fileName, std::int64_t done, std::int64_t total) = 0;
};

// The show as it stands once a download's staged files are in place.
struct StagedShow {
  std::filesystem::path showFolder;
  std::filesystem::path stagingFolder;
  std::vector<ShowFile> staged;  // every file of the plan, each checked against its size and SHA-256

  // Whether the plan brings `path` (relative, '/'-separated).
  bool Brings(const std::string& path) const;
  // Where `path` reads from: its staged copy when the plan brings it, else
  // the show folder's file.
  std::filesystem::path Resolve(const std::string& path) const;
};

// The download's reports; any member may be empty.
struct DownloadCallbacks {
  std::function<void(const std::string&)> statusText;  // a short state ("Checking files...")
  std::function<void(const std::string&)> status;      // what is being done now
  std::function<void(const std::string& fileName, std::int64_t done, std::int64_t total)> progress;
  std::function<void(std::int64_t total)> total;  // bytes of the whole plan, once at the start
  std::function<void(const std::string&)> error;  // not called: failures are thrown
  // Called once every file is staged and checked, before any is put in
  // place. Throwing refuses the show: what() says why, and the show folder
  // stays as it was.
  std::function<void(const StagedShow&)> checkStaged;
};

}  // namespace vand::networking

namespace vand_download {

// A download that failed; what() is a message for the user.
class DownloadException : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Downloads the plan's files into its show folder. Returns `identity` when
// every file is in place, an identity with an empty identifier when the
// cancel flag was set first. Throws DownloadException (nothing of the show
// replaced). `reserved` must be empty; productType is sent with no request.
vand::ShowIdentity PerformShowDownload(const vand::ShowIdentity& identity,
                                       std::shared_ptr<vand::networking::DownloadCallbacks> callbacks,
                                       const std::atomic<bool>* cancel, const std::string& reserved,
                                       vand::ProductType productType, vand::networking::DownloadPlan* plan);

}  // namespace vand_download
