#pragma once

// Whole-file reads and writes. Every file the program writes goes through
// WriteFileAtomically, so a failure never leaves a truncated or half-written
// file behind. Both calls may be made from any thread; two writers of the same
// target must not overlap (the later rename wins).

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kit {

// Writes `bytes` to a temporary file beside `target`, flushes it to disk and
// renames it over `target`. Throws std::runtime_error naming the file; on
// failure `target` is unchanged and the temporary file is removed. The folder
// must exist.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// The name of WriteFileAtomically's temporary file for `targetName`, written
// by process `pid` as its `counter`th write: "<targetName>.<pid>.<counter>.tmp".
std::string TemporaryFileName(const std::string& targetName, long pid, unsigned counter);
// The process that wrote a temporary file of that name; nothing for a name
// TemporaryFileName does not make.
std::optional<long> TemporaryFileWriter(std::string_view fileName);

// Removes the temporary files that WriteFileAtomically left in `folder` when
// the process writing them ended before the rename: regular files named as
// above whose writer no longer runs. Nothing else is touched. Returns the
// files removed; a folder that cannot be read gives none.
std::vector<std::filesystem::path> RemoveStaleTemporaryFiles(const std::filesystem::path& folder);

// Reads a whole regular file of at most maxBytes. Throws std::runtime_error
// naming the file when it is missing, not a regular file, larger than
// maxBytes or cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file, std::uintmax_t maxBytes);

}  // namespace kit
