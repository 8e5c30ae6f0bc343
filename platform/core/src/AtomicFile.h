#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace vand::core::detail {

// Writes `bytes` to a temporary file beside `target`, flushes it to disk and
// renames it over `target`. Throws std::runtime_error naming the file; on
// failure `target` is unchanged and the temporary file is removed.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes);

// Reads a whole file of at most maxBytes. Throws std::runtime_error.
std::string ReadWholeFile(const std::filesystem::path& file, std::uintmax_t maxBytes);

}  // namespace vand::core::detail
