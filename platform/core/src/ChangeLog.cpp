#include "CL/ChangeLog.h"

#include <algorithm>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "kit/File.h"

namespace CL {

ChangeLog::ChangeLog() = default;
ChangeLog::~ChangeLog() = default;
ChangeLog::ChangeLog(ChangeLog&&) noexcept = default;
ChangeLog& ChangeLog::operator=(ChangeLog&&) noexcept = default;

ChangeLog::ChangeLog(const ChangeLog& o)
    : version_(o.version_), modified_(o.modified_), nextSfxSuffix_(o.nextSfxSuffix_),
      showIdentifier_(o.showIdentifier_), networks_(o.networks_), outputPaths_(o.outputPaths_), songs_(o.songs_),
      report_(o.report_), unknownMembers_(o.unknownMembers_) {
  sfxs_.reserve(o.sfxs_.size());
  for (const auto& s : o.sfxs_) sfxs_.push_back(std::make_unique<Sfx>(*s));
}

ChangeLog& ChangeLog::operator=(const ChangeLog& o) {
  if (this != &o) {
    ChangeLog copy(o);
    *this = std::move(copy);
  }
  return *this;
}

std::vector<Sfx*> ChangeLog::GetSfxs() {
  std::vector<Sfx*> out;
  out.reserve(sfxs_.size());
  for (auto& s : sfxs_) out.push_back(s.get());
  return out;
}

std::vector<const Sfx*> ChangeLog::GetSfxs() const {
  std::vector<const Sfx*> out;
  out.reserve(sfxs_.size());
  for (const auto& s : sfxs_) out.push_back(s.get());
  return out;
}

Sfx& ChangeLog::AppendSfx(const Sfx& sfx) {
  sfxs_.push_back(std::make_unique<Sfx>(sfx));
  return *sfxs_.back();
}

std::unique_ptr<Sfx> ChangeLog::RemoveSfx(const cmn::VandEvent* sfx) {
  auto it = std::find_if(sfxs_.begin(), sfxs_.end(), [sfx](const auto& p) { return p.get() == sfx; });
  if (it == sfxs_.end()) return nullptr;
  std::unique_ptr<Sfx> out = std::move(*it);
  sfxs_.erase(it);
  return out;
}

Sfx* ChangeLog::FindSfx(const std::string& id) {
  for (auto& s : sfxs_) {
    if (s->EventId() == id) return s.get();
  }
  return nullptr;
}

void ChangeLog::SetOutputPath(const OutputPath& path) { outputPaths_[path.GetId()] = path; }

void ChangeLog::RemoveOutputPath(const std::string& id) { outputPaths_.erase(id); }

const SongLog* ChangeLog::FindSongLog(const std::string& song) const {
  const auto it = songs_.find(song);
  return it == songs_.end() ? nullptr : &it->second;
}

SongLog* ChangeLog::FindSongLog(const std::string& song) {
  const auto it = songs_.find(song);
  return it == songs_.end() ? nullptr : &it->second;
}

SongLog& ChangeLog::GetOrCreateSongLog(const std::string& song) { return songs_[song]; }

void ChangeLog::SaveToFile(const std::filesystem::path& file) const {
  const std::string text = ToJson();
  // Never write a log that would not load again (the newest file is loaded
  // with the show).
  try {
    (void)FromJson(text, std::string(), file.filename().string());
  } catch (const std::exception& e) {
    throw std::runtime_error("Cannot save \"" + file.string() + "\": the log would not load again. " + e.what());
  }
  kit::WriteFileAtomically(file, text);
}

std::string ChangeLog::MakeFileName(const std::string& showName, const cmn::VANDVersion& version) {
  std::string name = showName;
  for (char& c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos) c = '_';
  }
  if (name.empty()) name = "_";
  return name + "-" + version.GetAsString() + ".logdata";
}

std::string ChangeLog::VersionTextOfFileName(const std::string& fileName) {
  const auto dash = fileName.rfind('-');
  const auto dot = fileName.rfind('.');
  if (dash == std::string::npos || dot == std::string::npos || dot <= dash) return std::string();
  return fileName.substr(dash + 1, dot - dash - 1);
}

std::optional<cmn::FileVersion> ChangeLog::VersionOfLogFileName(const std::string& fileName) {
  constexpr std::string_view kExtension = ".logdata";
  if (fileName.size() < kExtension.size() ||
      fileName.compare(fileName.size() - kExtension.size(), kExtension.size(), kExtension) != 0) {
    return std::nullopt;
  }
  return cmn::FileVersion::Parse(VersionTextOfFileName(fileName));
}

std::filesystem::path ChangeLog::FindNewestLogFile(const std::filesystem::path& folder) {
  std::error_code ignored;
  return FindNewestLogFile(folder, ignored);
}

std::filesystem::path ChangeLog::FindNewestLogFile(const std::filesystem::path& folder, std::error_code& error) {
  const std::vector<std::filesystem::path> files = ListLogFiles(folder, error);
  return files.empty() ? std::filesystem::path() : files.front();
}

std::vector<std::filesystem::path> ChangeLog::ListLogFiles(const std::filesystem::path& folder,
                                                           std::error_code& error) {
  struct Found {
    cmn::FileVersion version;
    std::filesystem::path file;
  };
  std::vector<Found> found;
  error.clear();
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    if (const auto version = VersionOfLogFileName(it->path().filename().string())) {
      found.push_back({*version, it->path()});
    }
  }
  if (error) return {};
  // Newest first; of equal versions the later directory entry first.
  std::reverse(found.begin(), found.end());
  std::stable_sort(found.begin(), found.end(), [](const Found& a, const Found& b) { return b.version < a.version; });
  std::vector<std::filesystem::path> files;
  files.reserve(found.size());
  for (auto& f : found) files.push_back(std::move(f.file));
  return files;
}

bool operator==(const ChangeLog& a, const ChangeLog& b) {
  return a.GetVersion() == b.GetVersion() && a.GetModifiedTime() == b.GetModifiedTime();
}

}  // namespace CL
