#include "vand_networking_http/NetworkApiInterface.h"

#include <algorithm>
#include <fstream>
#include <system_error>

#include "Http.h"
#include "ServerJson.h"
#include "ShowFiles.h"
#include "kit/Log.h"

namespace vand::networking {

namespace fs = std::filesystem;

namespace {

using Api = NetworkApiInterface;

template <typename T>
using Result = Api::RequestResult<T>;

template <typename T>
Result<T> Failure(int status, std::string message) {
  return Result<T>(status, nullptr, std::move(message));
}

// The status for an answer that arrived, with the server's text for the user.
template <typename T>
Result<T> HttpFailure(const detail::HttpResponse& response) {
  int status = static_cast<int>(response.status);
  if (status == 401 || status == 403) status = Api::API_UNAUTHORIZED;
  std::string message = detail::ErrorMessageOf(response.body);
  if (message.empty()) message = "The show server answered with status " + std::to_string(response.status) + ".";
  return Failure<T>(status, std::move(message));
}

// GETs a JSON document of the current show; an empty optional body is
// returned through `failure` when it did not come.
template <typename T>
bool GetDocument(const ServerConfig& server, const ShowIdentity& identity, const std::atomic<bool>* cancel,
                 const std::string& relative, std::string& body, Result<T>& failure) {
  if (server.apiBase.empty()) {
    failure = Failure<T>(Api::API_NETWORK_ERROR, {});
    return false;
  }
  if (identity.identifier.empty()) {
    failure = Failure<T>(Api::API_BAD_REQUEST, "No show is selected.");
    return false;
  }
  const std::string url = server.apiBase + "shows/" + detail::EscapeSegment(identity.identifier) + "/" + relative;
  detail::HttpResponse response = detail::Http(server, server.deadlines.api).Get(url, detail::kMaxJsonBytes, cancel);
  if (response.tooLarge) {
    failure = Failure<T>(Api::API_INVALID_RESPONSE, "The show server's answer is larger than 1 MiB.");
    return false;
  }
  if (!response.Completed()) {
    failure = Failure<T>(Api::API_NETWORK_ERROR, response.timedOut ? response.error : std::string());
    return false;
  }
  if (response.status < 200 || response.status > 299) {
    failure = HttpFailure<T>(response);
    return false;
  }
  body = std::move(response.body);
  return true;
}

template <typename T>
Result<T> Success(T value) {
  return Result<T>(Api::API_SUCCESS, std::make_unique<T>(std::move(value)), {});
}

// The change-log index of the current show, or the failure.
bool GetLogIndex(const ServerConfig& server, const ShowIdentity& identity, const std::atomic<bool>* cancel,
                 std::vector<detail::LogIndexEntry>& entries, int& status, std::string& message) {
  std::string body;
  Result<int> failure(Api::API_SUCCESS, nullptr, {});
  if (!GetDocument(server, identity, cancel, "logs/index.json", body, failure)) {
    // A show without an index has no change log on the server yet.
    if (failure.GetStatus() == Api::API_NOT_FOUND) {
      entries.clear();
      return true;
    }
    status = failure.GetStatus();
    message = failure.GetDisplayMessage();
    return false;
  }
  if (std::string why = detail::ParseLogIndex(body, entries); !why.empty()) {
    status = Api::API_INVALID_RESPONSE;
    message = why;
    return false;
  }
  return true;
}

}  // namespace

ServerConfig LoadServerConfig(const fs::path& dataFolder) {
  const fs::path file = dataFolder / "server.json";
  std::error_code error;
  if (!fs::exists(file, error)) return {};
  std::string text;
  const auto size = fs::file_size(file, error);
  std::ifstream in(file, std::ios::binary);
  std::string why;
  if (error || size > detail::kMaxJsonBytes || !in) {
    why = "it cannot be read";
  } else {
    text.resize(size);
    if (!in.read(text.data(), static_cast<std::streamsize>(size))) why = "it cannot be read";
  }
  ServerConfig config;
  if (why.empty()) why = detail::ParseServerConfig(text, config);
  if (!why.empty()) {
    kit::Log(kit::LogLevel::Warning, "networking",
             "The show server settings \"" + file.string() + "\" are not used: " + why + ".");
    return {};
  }
  return config;
}

ServerConfig DefaultServerConfig() { return LoadServerConfig(vand::GetDefaultDataFolder()); }

NetworkApiInterface::NetworkApiInterface() : server_(DefaultServerConfig()) {}

NetworkApiInterface::NetworkApiInterface(ServerConfig server) : server_(std::move(server)) {}

void NetworkApiInterface::SetShowIdentity(const vand::ShowIdentity& identity, vand::ProductType productType) {
  identity_ = identity;
  productType_ = productType;
}

Api::RequestResult<ShowFileList> NetworkApiInterface::GetAllShowFiles() {
  std::string body;
  Result<ShowFileList> failure(API_SUCCESS, nullptr, {});
  if (!GetDocument(server_, identity_, cancel_, "files.json", body, failure)) return failure;
  ShowFileList files;
  if (std::string why = detail::ParseFileList(body, files); !why.empty()) {
    return Failure<ShowFileList>(API_INVALID_RESPONSE, why);
  }
  return Success(std::move(files));
}

DownloadPlan NetworkApiInterface::GetDownloadPlan(const ShowFileList& files) const {
  DownloadPlan plan;
  plan.server = server_;
  plan.showIdentifier = identity_.identifier;
  plan.files = files;
  return plan;
}

DownloadPlan NetworkApiInterface::ValidateDownloadPlan(const DownloadPlan& plan,
                                                       const std::string& showFolderUtf8) const {
  DownloadPlan needed = plan;
  needed.showFolder = showFolderUtf8;
  needed.files.clear();
  const fs::path folder = fs::u8path(showFolderUtf8);
  detail::DownloadRecord record = detail::ReadRecord(folder);
  bool changed = false;
  for (const auto& file : plan.files) {
    if (!detail::HoldsFile(folder, file, record, changed)) needed.files.push_back(file);
  }
  if (changed) {
    try {
      detail::WriteRecord(folder, record);
    } catch (const std::exception& e) {
      kit::Log(kit::LogLevel::Warning, "networking", e.what());
    }
  }
  return needed;
}

Api::RequestResult<ChangelogInfoList> NetworkApiInterface::GetAvailableLogs() {
  std::vector<detail::LogIndexEntry> entries;
  int status = API_SUCCESS;
  std::string message;
  if (!GetLogIndex(server_, identity_, cancel_, entries, status, message))
    return Failure<ChangelogInfoList>(status, message);
  ChangelogInfoList list;
  for (const auto& entry : entries) list.push_back({entry.major, entry.minor, entry.modified});
  return Success(std::move(list));
}

Api::RequestResult<ChangelogInfo> NetworkApiInterface::GetLatestLog() {
  auto all = GetAvailableLogs();
  if (!all.HasValue()) return Failure<ChangelogInfo>(all.GetStatus(), all.GetDisplayMessage());
  const auto& list = *all.GetValue();
  if (list.empty()) return Failure<ChangelogInfo>(API_NOT_FOUND, "The show server holds no change log of this show.");
  const auto latest = std::max_element(list.begin(), list.end(), [](const auto& a, const auto& b) {
    return std::tie(a.major, a.minor) < std::tie(b.major, b.minor);
  });
  return Success(*latest);
}

Api::RequestResult<ChangelogFullInfo> NetworkApiInterface::GetChangelogLinkByVersion(std::uint8_t major,
                                                                                     std::uint8_t minor) {
  std::vector<detail::LogIndexEntry> entries;
  int status = API_SUCCESS;
  std::string message;
  if (!GetLogIndex(server_, identity_, cancel_, entries, status, message))
    return Failure<ChangelogFullInfo>(status, message);
  for (const auto& entry : entries) {
    if (entry.major != major || entry.minor != minor) continue;
    ChangelogFullInfo info;
    info.major = entry.major;
    info.minor = entry.minor;
    info.modified = entry.modified;
    info.link = server_.apiBase + "shows/" + detail::EscapeSegment(identity_.identifier) + "/logs/" +
                detail::EscapeSegment(entry.file);
    info.showIdentifier = identity_.identifier;
    info.sha256 = entry.sha256;
    info.fileName = entry.file;
    return Success(std::move(info));
  }
  return Failure<ChangelogFullInfo>(API_NOT_FOUND, "The show server holds no change log of version " +
                                                       std::to_string(major) + "." + std::to_string(minor) + ".");
}

}  // namespace vand::networking
