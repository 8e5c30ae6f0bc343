#include "cmn/ShowIdentity.h"

#include <rapidjson/document.h>
#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <cstdlib>
#include <map>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "kit/File.h"
#include "kit/Json.h"

namespace vand {

namespace {

constexpr const char* kCurrentShowFile = "current_show.json";
constexpr const char* kIdentityFile = "identity.json";

// A folder that stays inside the data folder: relative, no "..", not empty.
bool IsContainedFolder(const std::string& folder) {
  if (folder.empty() || folder.size() > 1024) return false;
  const std::filesystem::path p(folder);
  if (p.is_absolute() || p.has_root_name() || p.has_root_directory()) return false;
  for (const auto& part : p) {
    if (part == "..") return false;
  }
  return !p.lexically_normal().empty() && p.lexically_normal() != ".";
}

// The member's text; empty when it is absent or not text.
std::string MemberText(const rapidjson::Value& obj, const char* name) {
  const rapidjson::Value* v = kit::json::Find(obj, name);
  if (v == nullptr || !v->IsString()) return std::string();
  return std::string(v->GetString(), v->GetStringLength());
}

std::mutex& DefaultMutex() {
  static std::mutex m;
  return m;
}

std::filesystem::path& DefaultFolderSlot() {
  static std::filesystem::path folder;
  return folder;
}

}  // namespace

ShowIdentityService::ShowIdentityService(std::filesystem::path dataFolder) : dataFolder_(std::move(dataFolder)) {}

ShowIdentity ShowIdentityService::CurrentIdentity() const {
  std::lock_guard<std::mutex> lock(mutex_);
  const std::filesystem::path file = dataFolder_ / kCurrentShowFile;
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) throw std::out_of_range("invalid map<K, T> key");
  std::string text;
  try {
    text = kit::ReadWholeFile(file, 1024 * 1024);
  } catch (const std::runtime_error& e) {
    throw std::out_of_range(std::string("No current show: ") + e.what());
  }
  const std::string notValid = "No current show: \"" + file.string() + "\" is not valid JSON.";
  rapidjson::Document doc;
  try {
    kit::json::Parse(doc, text);
  } catch (const kit::json::Error&) {
    throw std::out_of_range(notValid);
  }
  if (!doc.IsObject()) throw std::out_of_range(notValid);
  ShowIdentity id;
  id.identifier = MemberText(doc, "identifier");
  id.showName = MemberText(doc, "showName");
  id.organisationName = MemberText(doc, "organisationName");
  id.folder = MemberText(doc, "folder");
  if (id.identifier.empty()) throw std::out_of_range("invalid map<K, T> key");
  if (!IsContainedFolder(id.folder)) {
    throw std::out_of_range("No current show: the folder \"" + id.folder + "\" in \"" + file.string() +
                            "\" does not lie inside the data folder.");
  }
  return id;
}

std::filesystem::path ShowIdentityService::ShowFolder() const {
  try {
    return dataFolder_ / std::filesystem::path(CurrentIdentity().folder).lexically_normal();
  } catch (const std::out_of_range&) {
    return dataFolder_ / "shows" / "default";
  }
}

std::filesystem::path ShowIdentityService::IdentityFilePath() const { return ShowFolder() / kIdentityFile; }

void ShowIdentityService::SetCurrent(const ShowIdentity& identity) {
  if (!IsContainedFolder(identity.folder)) {
    throw std::invalid_argument("The show folder \"" + identity.folder + "\" does not lie inside the data folder.");
  }
  rapidjson::StringBuffer buf;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> w(buf);
  w.StartObject();
  w.Key("identifier");
  w.String(identity.identifier.c_str(), static_cast<rapidjson::SizeType>(identity.identifier.size()));
  w.Key("folder");
  w.String(identity.folder.c_str(), static_cast<rapidjson::SizeType>(identity.folder.size()));
  w.Key("showName");
  w.String(identity.showName.c_str(), static_cast<rapidjson::SizeType>(identity.showName.size()));
  w.Key("organisationName");
  w.String(identity.organisationName.c_str(), static_cast<rapidjson::SizeType>(identity.organisationName.size()));
  w.EndObject();
  std::lock_guard<std::mutex> lock(mutex_);
  std::filesystem::create_directories(dataFolder_);
  kit::WriteFileAtomically(dataFolder_ / kCurrentShowFile, std::string_view(buf.GetString(), buf.GetSize()));
}

void SetDefaultDataFolder(const std::filesystem::path& dataFolder) {
  std::lock_guard<std::mutex> lock(DefaultMutex());
  DefaultFolderSlot() = dataFolder;
}

std::filesystem::path GetDefaultDataFolder() {
  std::lock_guard<std::mutex> lock(DefaultMutex());
  if (!DefaultFolderSlot().empty()) return DefaultFolderSlot();
  std::filesystem::path base;
  if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && xdg[0] == '/') {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') {
    base = std::filesystem::path(home) / ".local" / "share";
  } else {
    base = std::filesystem::temp_directory_path();
  }
  return base / "pelorin";
}

ShowIdentityService& DefaultShowIdentityService() {
  const std::filesystem::path folder = GetDefaultDataFolder();
  // One service per data folder, kept for the life of the process, so that
  // references handed out stay valid when the default folder changes.
  static std::mutex m;
  static auto* services = new std::map<std::filesystem::path, std::unique_ptr<ShowIdentityService>>();
  std::lock_guard<std::mutex> lock(m);
  auto& slot = (*services)[folder];
  if (!slot) slot = std::make_unique<ShowIdentityService>(folder);
  return *slot;
}

void MakeDirectoryIfNeeded(const std::string& pathUtf8) {
  std::filesystem::create_directories(std::filesystem::path(pathUtf8));
}

}  // namespace vand

namespace Directories {

std::string GetShowDirectory() {
  std::filesystem::path p = vand::DefaultShowIdentityService().ShowFolder();
  std::error_code ec;
  if (p.is_relative()) {
    const auto abs = std::filesystem::absolute(p, ec);
    if (!ec) p = abs;
  }
  std::string s = p.lexically_normal().string();
  while (s.size() > 1 && s.back() == '/') s.pop_back();
  return s;
}

}  // namespace Directories
