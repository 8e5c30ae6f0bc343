#include "PublishShow.h"

#include <rapidjson/prettywriter.h>
#include <rapidjson/stringbuffer.h>

#include <algorithm>
#include <stdexcept>
#include <system_error>

#include "CL/ChangeLog.h"
#include "ServerJson.h"
#include "ShowFiles.h"
#include "kit/File.h"
#include "vand_networking_http/Sha256.h"

namespace vand::publish {

namespace fs = std::filesystem;
namespace detail = vand::networking::detail;

namespace {

std::string Identifier(const fs::path& showFolder) {
  const std::string identifier = CL::ChangeLog::ReadShowIdentifier(showFolder / "identity.json");
  if (identifier.empty()) throw std::runtime_error(showFolder.string() + "/identity.json names no show identifier");
  return identifier;
}

std::string KindOf(const std::string& relative) {
  const std::string ext = detail::LowerAscii(fs::path(relative).extension().string());
  if (relative == "show.json") return "SHOW";
  if (relative == "identity.json") return "IDENTITY";
  if (ext == ".logdata") return "LOG";
  if (ext == ".score") return "SCORE";
  if (ext == ".jpg" || ext == ".jpeg" || ext == ".png") return "ART";
  if (ext == ".ogg" || ext == ".wav" || ext == ".flac") return "AUDIO";
  return {};
}

// "name-MAJOR.MINOR.logdata" -> (major, minor); (0, 0) when it has no version.
std::pair<unsigned, unsigned> LogVersion(const std::string& name) {
  const auto dash = name.rfind('-');
  const auto dot = name.rfind('.');
  if (dash == std::string::npos || dot == std::string::npos || dash > dot) return {0, 0};
  const std::string version = name.substr(dash + 1, dot - dash - 1);
  const auto point = version.find('.');
  if (point == std::string::npos) return {0, 0};
  try {
    return {static_cast<unsigned>(std::stoul(version.substr(0, point))) & 0xff,
            static_cast<unsigned>(std::stoul(version.substr(point + 1))) & 0xff};
  } catch (const std::exception&) {
    return {0, 0};
  }
}

}  // namespace

Published PublishShow(const fs::path& showFolder, const fs::path& serverRoot) {
  Published result;
  result.identifier = Identifier(showFolder);
  if (result.identifier.find('/') != std::string::npos || result.identifier == "." || result.identifier == "..") {
    throw std::runtime_error("the show identifier \"" + result.identifier + "\" cannot name a folder");
  }
  const fs::path show = serverRoot / "shows" / result.identifier;
  fs::remove_all(show);
  fs::create_directories(show / "files");
  fs::create_directories(show / "logs");

  std::vector<fs::path> entries;
  for (auto it = fs::recursive_directory_iterator(showFolder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().filename().string();
    if (!name.empty() && name.front() == '.') {
      if (it->is_directory()) it.disable_recursion_pending();
      continue;
    }
    if (it->is_regular_file()) entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());

  rapidjson::StringBuffer files;
  rapidjson::PrettyWriter<rapidjson::StringBuffer> list(files);
  std::vector<detail::LogIndexEntry> index;
  list.StartArray();
  for (const auto& entry : entries) {
    const std::string relative = entry.lexically_relative(showFolder).generic_string();
    const std::string kind = KindOf(relative);
    if (kind.empty()) {
      result.skipped.push_back(relative);
      continue;
    }
    const fs::path target = show / "files" / relative;
    fs::create_directories(target.parent_path());
    fs::copy_file(entry, target, fs::copy_options::overwrite_existing);
    const std::string sha = vand::networking::Sha256OfFile(entry);
    const auto [major, minor] = kind == "LOG" ? LogVersion(entry.filename().string()) : std::pair<unsigned, unsigned>{};
    list.StartObject();
    list.Key("path");
    list.String(relative.c_str());
    list.Key("kind");
    list.String(kind.c_str());
    list.Key("size");
    list.Uint64(fs::file_size(entry));
    list.Key("sha256");
    list.String(sha.c_str());
    list.Key("major");
    list.Uint(major);
    list.Key("minor");
    list.Uint(minor);
    list.EndObject();
    result.files.push_back(relative);

    if (kind == "LOG" && relative.find('/') == std::string::npos) {
      fs::copy_file(entry, show / "logs" / entry.filename(), fs::copy_options::overwrite_existing);
      index.push_back({static_cast<std::uint8_t>(major), static_cast<std::uint8_t>(minor),
                       detail::ModifiedSeconds(entry), entry.filename().string(), sha});
    }
  }
  list.EndArray();
  // Written whole and renamed into place, so the server never serves half a list.
  kit::WriteFileAtomically(show / "files.json", std::string(files.GetString(), files.GetSize()) + "\n");
  kit::WriteFileAtomically(show / "logs" / "index.json", detail::WriteLogIndex(index));
  return result;
}

}  // namespace vand::publish
