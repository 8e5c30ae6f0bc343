#include "vand_networking_http/NetworkApiInterface.h"

#include <filesystem>
#include <system_error>

namespace vand::networking {

namespace fs = std::filesystem;

namespace {

// A relative path that stays inside its folder.
bool IsSafeRelativePath(const std::string& text) {
  if (text.empty() || text.find('\0') != std::string::npos || text.find('\\') != std::string::npos) return false;
  const fs::path path = fs::u8path(text);
  if (path.is_absolute() || path.has_root_name() || path.has_root_directory()) return false;
  for (const auto& part : path) {
    if (part == "..") return false;
  }
  return true;
}

}  // namespace

std::string DefaultApiAddress() { return "https://api.tarnwick.invalid/v1/"; }

NetworkApiInterface::NetworkApiInterface(std::string baseAddress) : baseAddress_(std::move(baseAddress)) {}

void NetworkApiInterface::SetShowIdentity(const vand::ShowIdentity& identity, vand::ProductType productType) {
  identity_ = identity;
  productType_ = productType;
}

ApiResult<ShowFileList> NetworkApiInterface::GetAllShowFiles() {
  // No transport yet: every request fails as an unreachable server does.
  return {ApiStatus::API_NETWORK_ERROR, nullptr, std::string()};
}

DownloadPlan NetworkApiInterface::GetDownloadPlan(const ShowFileList& files) const { return files; }

DownloadPlan NetworkApiInterface::ValidateDownloadPlan(const DownloadPlan& plan,
                                                       const std::string& showFolderUtf8) const {
  DownloadPlan needed;
  const fs::path folder = fs::u8path(showFolderUtf8);
  for (const auto& file : plan) {
    if (!IsSafeRelativePath(file.path)) continue;
    std::error_code error;
    const fs::path local = folder / fs::u8path(file.path);
    const bool present = fs::is_regular_file(local, error);
    if (!present || fs::file_size(local, error) != file.size || error) needed.push_back(file);
  }
  return needed;
}

}  // namespace vand::networking
