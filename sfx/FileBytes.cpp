#include "FileBytes.h"

#include <stdexcept>

#include "kit/File.h"

namespace vand::sfx::detail {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& file)
{
    // Manifests, schemas and asset files are small; anything larger is refused.
    constexpr std::uintmax_t kMaxBytes = 256u * 1024u * 1024u;
    try {
        return kit::ReadWholeFile(file, kMaxBytes);
    } catch (const std::runtime_error&) {
        return std::nullopt;
    }
}

} // namespace vand::sfx::detail
