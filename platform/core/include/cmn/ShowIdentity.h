#pragma once

#include <filesystem>
#include <mutex>
#include <string>

namespace vand {

// Product number as the server API takes it: 1 = this product (some calls pass 0).
using ProductType = int;

// The current show. An empty identifier means "no show".
struct ShowIdentity {
  std::string identifier;
  std::string showName;
  std::string organisationName;
  std::string folder;  // relative to the data folder, '/'-separated

  bool operator==(const ShowIdentity&) const = default;
};

// Holder of the current show's identity, read from <data>/current_show.json:
//   {"identifier":"demo","folder":"shows/demo","showName":"Demo Show",
//    "organisationName":"Demo Theatre Company"}
// The file is read on each call, so a show switch by another component is seen.
class ShowIdentityService {
 public:
  explicit ShowIdentityService(std::filesystem::path dataFolder);

  // Throws std::out_of_range when there is no current show (no file, an empty
  // identifier, or a file that cannot be used; the message says which).
  ShowIdentity CurrentIdentity() const;
  // <show folder>/identity.json
  std::filesystem::path IdentityFilePath() const;
  // <data>/<folder> of the current show; <data>/shows/default without one.
  std::filesystem::path ShowFolder() const;
  // Writes current_show.json (temporary file, then rename). Throws
  // std::invalid_argument for a folder that is absolute or leaves the data
  // folder, std::runtime_error when the file cannot be written.
  void SetCurrent(const ShowIdentity& identity);

  const std::filesystem::path& DataFolder() const { return dataFolder_; }

 private:
  std::filesystem::path dataFolder_;
  mutable std::mutex mutex_;
};

// Data folder of the process-wide service behind Directories::GetShowDirectory.
// The application sets it at start-up (vand::core::InitDataFolderFromQt does);
// until then it is $XDG_DATA_HOME/pelorin or ~/.local/share/pelorin.
void SetDefaultDataFolder(const std::filesystem::path& dataFolder);
std::filesystem::path GetDefaultDataFolder();
ShowIdentityService& DefaultShowIdentityService();

// create_directories on a UTF-8 path; throws std::filesystem::filesystem_error.
void MakeDirectoryIfNeeded(const std::string& pathUtf8);

}  // namespace vand

namespace Directories {

// Absolute UTF-8 path of the current show folder, no trailing separator.
std::string GetShowDirectory();

}  // namespace Directories
