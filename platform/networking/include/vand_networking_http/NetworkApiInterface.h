#pragma once

// Client of the maker's web API: the show's file list and the plan of files
// to fetch. Requests carry the current show's identity.

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cmn/ShowIdentity.h"

namespace vand::networking {

enum class ApiStatus {
  API_SUCCESS,
  API_NETWORK_ERROR,
  API_SERVER_ERROR,
  API_INVALID_RESPONSE,
};

// The answer to one request: a status, the value (empty on failure) and the
// server's text for the user (may be empty).
template <typename T>
class ApiResult {
 public:
  ApiResult(ApiStatus status, std::unique_ptr<T> value, std::string displayMessage)
      : status_(status), value_(std::move(value)), displayMessage_(std::move(displayMessage)) {}

  ApiStatus GetStatus() const { return status_; }
  bool HasValue() const { return value_ != nullptr; }
  const T* GetValue() const { return value_.get(); }
  std::unique_ptr<T> TakeValue() { return std::move(value_); }
  const std::string& GetDisplayMessage() const { return displayMessage_; }

 private:
  ApiStatus status_;
  std::unique_ptr<T> value_;
  std::string displayMessage_;
};

// One file of the show as the server lists it.
struct ShowFile {
  std::string path;  // relative to the show folder, '/'-separated
  std::string kind;  // "LOG" for a change log; "AUDIO", "SCORE", "ART", "SHOW" ...
  int major = 0;     // change-log version (kind "LOG")
  int minor = 0;
  std::uint64_t size = 0;

  bool operator==(const ShowFile&) const = default;
};

using ShowFileList = std::vector<ShowFile>;
// The files to fetch, in download order.
using DownloadPlan = std::vector<ShowFile>;

// The API's base address.
std::string DefaultApiAddress();

class NetworkApiInterface {
 public:
  explicit NetworkApiInterface(std::string baseAddress = DefaultApiAddress());

  void SetShowIdentity(const vand::ShowIdentity& identity, vand::ProductType productType);
  const vand::ShowIdentity& GetShowIdentity() const { return identity_; }
  vand::ProductType GetProductType() const { return productType_; }
  const std::string& GetBaseAddress() const { return baseAddress_; }

  // The show's files on the server.
  ApiResult<ShowFileList> GetAllShowFiles();

  // Every listed file, in list order.
  DownloadPlan GetDownloadPlan(const ShowFileList& files) const;

  // The entries that the show folder lacks or holds with another size.
  // Entries whose path is empty, absolute or leaves the show folder are dropped.
  DownloadPlan ValidateDownloadPlan(const DownloadPlan& plan, const std::string& showFolderUtf8) const;

 private:
  std::string baseAddress_;
  vand::ShowIdentity identity_;
  vand::ProductType productType_ = 0;
};

}  // namespace vand::networking
