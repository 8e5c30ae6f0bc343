#pragma once

#include <filesystem>
#include <string>

namespace vand::qt {

// The path as UTF-8 text, as the core's folder functions take it.
inline std::string Utf8(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

} // namespace vand::qt
