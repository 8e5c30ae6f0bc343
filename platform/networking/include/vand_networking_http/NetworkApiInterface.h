#pragma once

// Client of the show server's web API: the show's file list and the plan of
// files to fetch, and the change-log versions kept on the server.
//
// Threading: an instance is used by one thread at a time; each request blocks
// that thread until the server has answered or the transfer has failed
// (connect timeout 5 s; a transfer below 1 B/s for 15 s is abandoned; a
// request that has not finished within the server's API deadline, 10 s
// unless set otherwise, ends as a failed one). Meant for a worker thread:
// with a cancel flag set, a running request stops within about 50 ms.
// Different instances may run on different threads at once.
//
// The server's address comes from "server.json" in the data folder:
//   {"apiBase": "http://127.0.0.1:8077/", "caFile": "/path/to/ca.pem",
//    "apiDeadlineMs": 10000, "fileDeadlineMs": 30000}
// (all but "apiBase" optional). Without that file no request is made and
// every call fails as an unreachable server does (API_NETWORK_ERROR, empty
// message).
//
// Layout under apiBase:
//   shows/{id}/files.json        [{"path","kind","size","sha256","major","minor"}]
//   shows/{id}/files/{path}      the show's files
//   shows/{id}/logs/index.json   [{"major","minor","modified","file","sha256"}]
//   shows/{id}/logs/{file}       the change logs

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cmn/ShowIdentity.h"

namespace vand::networking {

// How long one request may take in all, besides the stall limits; zero: no
// limit.
struct RequestDeadlines {
  std::chrono::milliseconds api{10000};   // a list, a link, a version
  std::chrono::milliseconds file{30000};  // one change-log file

  bool operator==(const RequestDeadlines&) const = default;
};

// Where the server is. An empty apiBase means "no server".
struct ServerConfig {
  std::string apiBase;  // http or https, ends with '/'
  std::string caFile;   // extra CA bundle for https; empty: the system's
  RequestDeadlines deadlines;

  bool operator==(const ServerConfig&) const = default;
};

// Reads <dataFolder>/server.json. A missing file gives "no server"; a file
// that cannot be used is reported on the log and also gives "no server".
ServerConfig LoadServerConfig(const std::filesystem::path& dataFolder);
// LoadServerConfig of vand::GetDefaultDataFolder().
ServerConfig DefaultServerConfig();

// One file of the show as the server lists it.
struct ShowFile {
  std::string path;  // relative to the show folder, '/'-separated
  std::string kind;  // "SHOW", "IDENTITY", "AUDIO", "SCORE", "ART" or "LOG"
  int major = 0;     // change-log version (kind "LOG")
  int minor = 0;
  std::uint64_t size = 0;
  std::string sha256;  // 64 lower-case hex digits

  bool operator==(const ShowFile&) const = default;
};

using ShowFileList = std::vector<ShowFile>;

// The files to fetch for one show, where from and where to.
struct DownloadPlan {
  ServerConfig server;
  std::string showIdentifier;   // the show on the server
  std::string showFolder;       // UTF-8 path of the local show folder
  std::vector<ShowFile> files;  // in download order

  bool empty() const { return files.empty(); }
};

// One change-log version on the server.
struct ChangelogInfo {
  std::uint8_t major = 0;
  std::uint8_t minor = 0;
  std::uint32_t modified = 0;  // seconds since 1970-01-01 UTC

  bool operator==(const ChangelogInfo&) const = default;
};
using ChangelogInfoList = std::vector<ChangelogInfo>;

// A change-log version with what it takes to fetch it.
struct ChangelogFullInfo {
  std::uint8_t major = 0;
  std::uint8_t minor = 0;
  std::uint32_t modified = 0;
  std::string link;            // absolute URL of the file
  std::string showIdentifier;  // the show it belongs to
  std::string sha256;          // handed to VANDDownloader::Download
  std::string fileName;        // name under which it is kept in the show folder

  bool operator==(const ChangelogFullInfo&) const = default;
};
using ChangelogFullInfoList = std::vector<ChangelogFullInfo>;

class NetworkApiInterface {
 public:
  // Statuses are the HTTP codes of the answer, with these named ones; 403 is
  // reported as API_UNAUTHORIZED. The negative ones are not from HTTP; a
  // request that ran out of time is an API_NETWORK_ERROR that says so.
  static constexpr int API_SUCCESS = 200;
  static constexpr int API_BAD_REQUEST = 400;
  static constexpr int API_UNAUTHORIZED = 401;
  static constexpr int API_NOT_FOUND = 404;
  static constexpr int API_NETWORK_ERROR = -1;     // no answer; empty message unless it ran out of time
  static constexpr int API_INVALID_RESPONSE = -2;  // an answer that cannot be used

  // The answer to one request: the status, the value (null unless the status
  // is API_SUCCESS) and a text for the user (empty for API_NETWORK_ERROR).
  template <typename T>
  class RequestResult {
   public:
    RequestResult(int status, std::unique_ptr<T> value, std::string displayMessage)
        : status_(status), value_(std::move(value)), displayMessage_(std::move(displayMessage)) {}

    int GetStatus() const { return status_; }
    bool HasValue() const { return value_ != nullptr; }
    const T* GetValue() const { return value_.get(); }
    std::unique_ptr<T> TakeValue() { return std::move(value_); }
    const std::string& GetDisplayMessage() const { return displayMessage_; }

   private:
    int status_;
    std::unique_ptr<T> value_;
    std::string displayMessage_;
  };

  // The server of server.json in the default data folder.
  NetworkApiInterface();
  explicit NetworkApiInterface(ServerConfig server);

  void SetShowIdentity(const vand::ShowIdentity& identity, vand::ProductType productType);
  // Requests stop, failing as an unreachable server does, once *cancel is
  // true; null (the default) for none. The flag must outlive the requests.
  void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }
  const vand::ShowIdentity& GetShowIdentity() const { return identity_; }
  vand::ProductType GetProductType() const { return productType_; }
  const ServerConfig& GetServer() const { return server_; }

  // The show's files on the server. A list with an unsafe path, a duplicate,
  // a file where another entry needs a folder, an unknown kind or a malformed
  // checksum is refused whole (API_INVALID_RESPONSE).
  RequestResult<ShowFileList> GetAllShowFiles();

  // Every listed file, in list order, to be fetched from this client's server
  // for the current show.
  DownloadPlan GetDownloadPlan(const ShowFileList& files) const;

  // The plan for the show folder, keeping the entries that the folder lacks
  // or holds with another size or SHA-256. The checksum of a file is not
  // recomputed when its size and modification time match the record of the
  // last verified download (the record is brought up to date otherwise).
  // An entry that cannot be placed safely (a symbolic link on the way, a
  // folder where the file belongs, an unsafe path) stays in the plan, so that
  // the download refuses it before writing anything.
  DownloadPlan ValidateDownloadPlan(const DownloadPlan& plan, const std::string& showFolderUtf8) const;

  // The change-log versions on the server (an empty list when it has none).
  RequestResult<ChangelogInfoList> GetAvailableLogs();
  // The highest version; API_NOT_FOUND when the server has none.
  RequestResult<ChangelogInfo> GetLatestLog();
  // The link, checksum and file name of one version; API_NOT_FOUND when the
  // server does not have it.
  RequestResult<ChangelogFullInfo> GetChangelogLinkByVersion(std::uint8_t major, std::uint8_t minor);

 private:
  ServerConfig server_;
  vand::ShowIdentity identity_;
  vand::ProductType productType_ = 0;
  const std::atomic<bool>* cancel_ = nullptr;
};

}  // namespace vand::networking
