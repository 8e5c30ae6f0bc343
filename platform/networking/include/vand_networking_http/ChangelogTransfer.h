#pragma once

// Fetching one change-log file and sharing a saved one through the show
// server of the default data folder's server.json.
//
// Threading: both block the calling thread until done (see
// NetworkApiInterface.h for the time limits); any thread.

#include <cstdint>
#include <string>

#include "cmn/ShowIdentity.h"

namespace vand::networking {

class VANDDownloader {
 public:
  VANDDownloader();

  // Fetches link (http or https) to destination. The file is written beside
  // destination first and renamed over it only when its SHA-256 is `sha256`
  // (lower or upper case hex). Throws std::runtime_error with a message for
  // the user; destination is then unchanged.
  void Download(const std::string& link, const std::string& destination, const std::string& sha256);
};

// Uploads a saved change log as version major.minor of the show and adds it
// to the server's index. fileName is a bare name or a path inside showFolder.
// Never replaces a version or a file the server already has. Returns whether
// the server took the file and its index entry; failures are logged.
bool UploadChangelog(const std::string& fileName, std::uint8_t major, std::uint8_t minor,
                     const vand::ShowIdentity& identity, const std::string& showFolder,
                     vand::ProductType productType);

}  // namespace vand::networking
