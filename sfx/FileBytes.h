#pragma once

// Reading a whole file into memory (library-internal).

#include <filesystem>
#include <optional>
#include <string>

namespace vand::sfx::detail {

// The file's bytes exactly as stored, or nothing when it is not a readable
// regular file of at most 256 MiB.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& file);

} // namespace vand::sfx::detail
