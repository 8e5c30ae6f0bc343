#include "show/ChangelogFiles.h"

#include <stdexcept>
#include <string_view>

#include "vand_networking_http/ChangelogTransfer.h"

namespace vand::qt {

bool IsPlainLogFileName(const std::string& name)
{
    constexpr std::string_view kExtension = ".logdata";
    if (name.size() <= kExtension.size() || name.front() == '.')
        return false;
    if (name.compare(name.size() - kExtension.size(), kExtension.size(), kExtension) != 0)
        return false;
    if (name.find("..") != std::string::npos)
        return false;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7F)
            return false;
    }
    return true;
}

std::string DownloadChangelogFile(const vand::networking::ChangelogFullInfo& info,
                                  const std::filesystem::path& showFolder)
{
    if (!IsPlainLogFileName(info.fileName)) {
        throw std::runtime_error("The show server named the change log of version "
                                 + std::to_string(info.major) + "." + std::to_string(info.minor) + " \""
                                 + info.fileName + "\", which is not a change-log file name.");
    }
    const std::filesystem::path destination = showFolder / std::filesystem::u8path(info.fileName);
    vand::networking::VANDDownloader().Download(info.link, destination.string(), info.sha256);
    return info.fileName;
}

std::vector<std::string> SplitString(const std::string& text, char delimiter, int maxSplits)
{
    std::vector<std::string> parts;
    std::size_t position = 0;
    int splits = 0;
    while (maxSplits < 0 || splits < maxSplits) {
        const std::size_t found = text.find(delimiter, position);
        if (found == std::string::npos)
            break;
        parts.push_back(text.substr(position, found - position));
        position = found + 1;
        ++splits;
    }
    parts.push_back(text.substr(position));
    return parts;
}

} // namespace vand::qt
