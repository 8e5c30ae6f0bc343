#include "show/ChangelogFiles.h"

#include <optional>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <utility>

#include "CL/ChangeLog.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "vand_networking_http/ChangelogTransfer.h"

namespace vand::qt {

namespace {

namespace fs = std::filesystem;

// Change logs are small; anything near this is not one.
constexpr std::uintmax_t kMaxChangelogBytes = 16 * 1024 * 1024;

std::string VersionText(unsigned major, unsigned minor)
{
    return std::to_string(major) + "." + std::to_string(minor);
}

// The file name of `fileName`'s show at another version: the text before its
// last "-" (before ".logdata" when there is none), "-", the version,
// ".logdata".
std::string NameAtVersion(const std::string& fileName, unsigned major, unsigned minor)
{
    const std::string stem = fileName.substr(0, fileName.size() - std::string_view(".logdata").size());
    const std::size_t dash = stem.rfind('-');
    return (dash == std::string::npos ? stem : stem.substr(0, dash)) + "-" + VersionText(major, minor) + ".logdata";
}

// The first minor version above `minor` of `major` that no change-log file of
// the folder names, with its file name; nothing when every one is taken.
std::optional<std::pair<unsigned, std::string>> NextFreeMinor(const fs::path& folder, const std::string& fileName,
                                                              unsigned major, unsigned minor)
{
    std::error_code error;
    const std::vector<fs::path> files = CL::ChangeLog::ListLogFiles(folder, error);
    if (error)
        throw fs::filesystem_error("directory_iterator::directory_iterator", folder, error);
    for (unsigned candidate = minor + 1; candidate <= 255; ++candidate) {
        bool taken = false;
        for (const fs::path& file : files) {
            const auto version = CL::ChangeLog::VersionOfLogFileName(file.filename().string());
            taken = taken || (version && version->major == major && version->minor == candidate);
        }
        const std::string name = NameAtVersion(fileName, major, candidate);
        if (!taken && !fs::exists(folder / fs::u8path(name), error))
            return std::make_pair(candidate, name);
    }
    return std::nullopt;
}

// Writes the local log again as version major.minor under `target`; a file
// that does not read as this show's change log is copied byte for byte.
void KeepUnderVersion(const fs::path& local, const fs::path& target, unsigned major, unsigned minor,
                      const fs::path& identityFile)
{
    try {
        CL::ChangeLog log(local, identityFile);
        log.SetVersion(cmn::VANDVersion(static_cast<UInt16>(major), static_cast<UInt16>(minor)));
        log.SaveToFile(target);
        return;
    } catch (const std::exception& e) {
        kit::Log(kit::LogLevel::Warning, "show",
                 "\"" + local.string() + "\" is kept as it is under \"" + target.filename().string()
                     + "\": " + e.what());
    }
    kit::WriteFileAtomically(target, kit::ReadWholeFile(local, kMaxChangelogBytes));
}

} // namespace

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

fs::path FetchChangelogFile(const vand::networking::ServerConfig& server,
                            const vand::networking::ChangelogFullInfo& info, const fs::path& showFolder,
                            const std::atomic<bool>* cancel)
{
    if (!IsPlainLogFileName(info.fileName)) {
        throw std::runtime_error("The show server named the change log of version "
                                 + VersionText(info.major, info.minor) + " \"" + info.fileName
                                 + "\", which is not a change-log file name.");
    }
    const fs::path staged = showFolder / fs::u8path(info.fileName + ".incoming");
    vand::networking::VANDDownloader(server, cancel).Download(info.link, staged.string(), info.sha256);
    return staged;
}

PlacedChangelog PlaceFetchedChangelog(const fs::path& staged, const vand::networking::ChangelogFullInfo& info,
                                      const fs::path& showFolder, const fs::path& identityFile)
{
    struct RemoveStaged
    {
        const fs::path& path;
        ~RemoveStaged()
        {
            std::error_code ignored;
            fs::remove(path, ignored);
        }
    } removeStaged{staged};

    PlacedChangelog placed;
    placed.fileName = info.fileName;
    const fs::path target = showFolder / fs::u8path(info.fileName);
    std::error_code error;
    if (fs::exists(target, error)) {
        const std::string fetched = kit::ReadWholeFile(staged, kMaxChangelogBytes);
        std::string local;
        try {
            local = kit::ReadWholeFile(target, kMaxChangelogBytes);
        } catch (const std::runtime_error&) {
            // Not a file that could be read: it must not be replaced unseen.
            throw std::runtime_error("\"" + info.fileName
                                     + "\" in the show folder cannot be read, so the server's version "
                                     + VersionText(info.major, info.minor) + " was not put in its place.");
        }
        if (local == fetched)
            return placed;
        const auto free = NextFreeMinor(showFolder, info.fileName, info.major, info.minor);
        if (!free) {
            throw std::runtime_error("Your own \"" + info.fileName + "\" holds other edits than the server's version "
                                     + VersionText(info.major, info.minor) + ", and no version "
                                     + std::to_string(info.major)
                                     + ".x above it is free to keep it under. Nothing was changed.");
        }
        KeepUnderVersion(target, showFolder / fs::u8path(free->second), info.major, free->first, identityFile);
        placed.keptAs = free->second;
        placed.keptVersion = VersionText(info.major, free->first);
    }
    fs::rename(staged, target);
    return placed;
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
