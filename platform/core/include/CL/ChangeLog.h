#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "CL/Events.h"
#include "CL/Properties.h"
#include "CL/SongLog.h"
#include "cmn/VANDVersion.h"
#include "kit/NumericStringCompare.h"

namespace CL {

// What normalising a log at load changed; one readable line per change.
struct LoadReport {
  std::vector<std::string> invertedLoopEvents;  // regions with end < start, swapped
  std::vector<std::string> tempoScaleWarnings;  // clamped or removed tempo scales
  std::vector<std::string> renamedEventIds;     // duplicate or missing ids given new ones
  std::vector<std::string> removedEvents;       // other records dropped (empty or overlapping regions)

  bool empty() const {
    return invertedLoopEvents.empty() && tempoScaleWarnings.empty() && renamedEventIds.empty() && removedEvents.empty();
  }
};

class ChangeLog;
struct ReadableLog;

// A whole change log: version, modification time, network destinations,
// output paths, show-level sound effects and the per-song logs. Copyable
// (deep copy).
class ChangeLog {
 public:
  using SongMap = std::map<std::string, SongLog, kit::NumericStringCompare>;

  // Reader version of the file format; files whose minReaderVersion is above
  // it are refused with ChangeLogVersionError.
  static constexpr UInt16 kFormatMajor = 1;
  static constexpr UInt16 kFormatMinor = 0;
  // Largest file the reader accepts.
  static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024u * 1024u;
  // Most events (the songs' and the sound effects together) a log may hold;
  // a file with more is refused as unreadable. The lists and the timeline
  // of a song of this many events still open in seconds.
  static constexpr std::size_t kMaxEvents = std::size_t(1) << 20;  // 1 048 576

  // Empty log, version 0.0.
  ChangeLog();
  // Reads a *.logdata file. identityFile is the show's identity.json; when it
  // names a show and the log names another, the log is refused. Throws
  // std::runtime_error (unreadable, malformed, another show; the message names
  // the file) or ChangeLogVersionError (format too new).
  ChangeLog(const std::filesystem::path& logdata, const std::filesystem::path& identityFile);

  ChangeLog(const ChangeLog&);
  ChangeLog& operator=(const ChangeLog&);
  ChangeLog(ChangeLog&&) noexcept;
  ChangeLog& operator=(ChangeLog&&) noexcept;
  ~ChangeLog();

  cmn::VANDVersion GetVersion() const { return version_; }
  void SetVersion(cmn::VANDVersion v) { version_ = v; }
  UInt32 GetModifiedTime() const { return modified_; }  // seconds since 1970
  void SetModifiedTime(UInt32 t) { modified_ = t; }

  // Show-level sound effects, in log order.
  std::vector<Sfx*> GetSfxs();
  std::vector<const Sfx*> GetSfxs() const;
  Sfx& AppendSfx(const Sfx& sfx);
  std::unique_ptr<Sfx> RemoveSfx(const cmn::VandEvent* sfx);
  Sfx* FindSfx(const std::string& id);  // the first with that id

  UInt32 GetNextSfxSuffix() const { return nextSfxSuffix_; }
  void SetNextSfxSuffix(UInt32 n) { nextSfxSuffix_ = n; }

  const std::string& GetShowIdentifier() const { return showIdentifier_; }
  void SetShowIdentifier(const std::string& id) { showIdentifier_ = id; }

  const NetworkPathVectorT& GetNetworks() const { return networks_; }
  void SetNetworks(const NetworkPathVectorT& n) { networks_ = n; }

  // Output paths by id.
  const std::map<std::string, OutputPath>& GetOutputPaths() const { return outputPaths_; }
  void SetOutputPath(const OutputPath& path);  // adds or replaces by id
  void RemoveOutputPath(const std::string& id);

  // Song logs by song number, in natural order.
  const SongMap& GetSongLogs() const { return songs_; }
  SongMap& GetSongLogs() { return songs_; }
  const SongLog* FindSongLog(const std::string& song) const;
  SongLog* FindSongLog(const std::string& song);
  SongLog& GetOrCreateSongLog(const std::string& song);

  const LoadReport& GetLoadReport() const { return report_; }

  // JSON text of the log (the *.logdata format).
  std::string ToJson() const;
  // Parses JSON text of the *.logdata format and normalises it. expectedShowId
  // empty = no show check. sourceName names the input in error messages.
  static ChangeLog FromJson(const std::string& text, const std::string& expectedShowId, const std::string& sourceName);
  // Writes the log to `file` through a temporary file in the same folder that
  // is flushed to disk and renamed over the target. Throws std::runtime_error
  // with a readable text; the previous file is untouched on failure. A log
  // whose text would not read back (e.g. a NaN, an overlong id) is not written.
  void SaveToFile(const std::filesystem::path& file) const;

  // "<ShowName>-<major>.<minor>.logdata", with / \ : * ? " < > | and control
  // characters of the show name replaced by '_'.
  static std::string MakeFileName(const std::string& showName, const cmn::VANDVersion& version);
  // The text between the last '-' and the last '.' of a file name ("" if none).
  static std::string VersionTextOfFileName(const std::string& fileName);
  // The version that a change-log file name carries: a name ending in
  // ".logdata" (exact case) whose version text is "M.m" with both numbers at
  // most 255. Nothing for any other name, so no name can pose as version 0.0.
  static std::optional<cmn::FileVersion> VersionOfLogFileName(const std::string& fileName);
  // The regular *.logdata file of the folder with the highest version by
  // VersionOfLogFileName (a later directory entry wins on equal versions);
  // empty when there is none. The first form treats a folder that cannot be
  // read as empty; the second reports why through `error` and returns empty.
  static std::filesystem::path FindNewestLogFile(const std::filesystem::path& folder);
  static std::filesystem::path FindNewestLogFile(const std::filesystem::path& folder, std::error_code& error);
  // Every regular *.logdata file of the folder that carries a version, the
  // newest first (FindNewestLogFile's order); empty with `error` set when the
  // folder cannot be read.
  static std::vector<std::filesystem::path> ListLogFiles(const std::filesystem::path& folder, std::error_code& error);
  // The newest log of the folder that reads (see ReadableLog); a folder that
  // cannot be read holds none. Throws ChangeLogVersionError when a log of a
  // newer format comes before one that reads, and std::runtime_error when the
  // identity file exists but cannot be read. Writes nothing.
  static ReadableLog LoadNewestReadable(const std::filesystem::path& folder, const std::filesystem::path& identityFile);
  // The showIdentifier of an identity.json; "" when the file does not exist.
  // Throws std::runtime_error when it exists but cannot be read.
  static std::string ReadShowIdentifier(const std::filesystem::path& identityFile);

 private:
  friend class ChangeLogIo;

  cmn::VANDVersion version_;
  UInt32 modified_{0};
  UInt32 nextSfxSuffix_{1};
  std::string showIdentifier_;
  NetworkPathVectorT networks_;
  std::map<std::string, OutputPath> outputPaths_;
  std::vector<std::unique_ptr<Sfx>> sfxs_;
  SongMap songs_;
  LoadReport report_;
  // Top-level JSON members this version does not know, written back as read.
  std::vector<std::pair<std::string, std::string>> unknownMembers_;
};

// The newest change log of a folder that reads, and the newer files that do
// not (cut off, empty, not JSON, refused by the reader).
struct ReadableLog {
  ChangeLog log;                        // empty (version 0.0) when no file reads
  std::filesystem::path file;           // the file read; empty when none
  std::vector<std::string> unreadable;  // why each newer file did not read, naming it; newest first
};

// Same version and same modification time.
bool operator==(const ChangeLog& a, const ChangeLog& b);
inline bool operator!=(const ChangeLog& a, const ChangeLog& b) { return !(a == b); }

}  // namespace CL
