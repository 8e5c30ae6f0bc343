#pragma once

// Fetching one change-log file and sharing a saved one through the show
// server of the default data folder's server.json.
//
// Threading: both block the calling thread until done (see
// NetworkApiInterface.h for the time limits: a change-log file has the
// server's file deadline, 30 s unless set otherwise); any thread, meant for a
// worker. With a cancel flag, a transfer stops within about 50 ms of it
// being set and ends as a failed one.

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

#include "cmn/ShowIdentity.h"
#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::networking {

class VANDDownloader {
 public:
  // The server of the default data folder's server.json, read at Download.
  VANDDownloader();
  // That server (its CA file and deadlines); cancel may be null.
  explicit VANDDownloader(ServerConfig server, const std::atomic<bool>* cancel = nullptr);

  // Fetches link (http or https) to destination. The file is written beside
  // destination first and renamed over it only when its SHA-256 is `sha256`
  // (lower or upper case hex). Throws std::runtime_error with a message for
  // the user; destination is then unchanged.
  void Download(const std::string& link, const std::string& destination, const std::string& sha256);

 private:
  std::optional<ServerConfig> server_;
  const std::atomic<bool>* cancel_ = nullptr;
};

// Uploads a saved change log as version major.minor of the show and adds it
// to the server's index. fileName is a bare name or a path inside showFolder.
// Never replaces a version or a file the server already has. Returns whether
// the server took the file and its index entry; failures are logged.
bool UploadChangelog(const std::string& fileName, std::uint8_t major, std::uint8_t minor,
                     const vand::ShowIdentity& identity, const std::string& showFolder, vand::ProductType productType);
// The same through `server`; cancel may be null. The file itself has the
// file deadline, each index request the API deadline.
bool UploadChangelog(const ServerConfig& server, const std::string& fileName, std::uint8_t major, std::uint8_t minor,
                     const vand::ShowIdentity& identity, const std::string& showFolder,
                     const std::atomic<bool>* cancel);

}  // namespace vand::networking
