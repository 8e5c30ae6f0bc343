#pragma once

// Whole-file reads and writes. Every file the program writes goes through
// WriteFileAtomically, so a failure never leaves a truncated or half-written
// file behind. Both calls may be made from any thread; two writers of the same
// target must not overlap (the later rename wins).

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace kit {

// Writes `bytes` to a temporary file beside `target`, flushes it to disk and
// renames it over `target`. Throws std::runtime_error naming the file; on
// failure `target` is unchanged and the temporary file is removed. The folder
// must exist.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole regular file of at most maxBytes. Throws std::runtime_error
// naming the file when it is missing, not a regular file, larger than
// maxBytes or cannot be read.
std::string ReadWholeFile(const std::filesystem::path& file, std::uintmax_t maxBytes);

}  // namespace kit
