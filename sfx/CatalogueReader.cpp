#include "sfx/CatalogueReader.h"

#include "FileBytes.h"
#include "cmn/VANDVersion.h"

#include <QStandardPaths>
#include <QStringList>

#include <rapidjson/document.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <stdexcept>

namespace vand::sfx::detail {

using vand::audio::SfxType;
namespace fs = std::filesystem;

namespace {

constexpr char kManifestFolder[] = "vand_data/sfx";
constexpr char kManifestFile[] = "manifest.json";

// The folder that holds the manifest, or nothing when the platform names fewer
// than two generic data locations.
std::optional<fs::path> manifestFolder()
{
    const QStringList locations = QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    if (locations.size() < 2)
        return std::nullopt;
    return fs::path(locations.at(1).toStdString()) / kManifestFolder;
}

// "count" / "ambientCount": only a reserve, so a missing or non-integer value
// reserves nothing and the list grows as entries come.
std::size_t reservedSlots(const rapidjson::Value& metadata, const char* key)
{
    const auto member = metadata.FindMember(key);
    if (member == metadata.MemberEnd() || !member->value.IsInt())
        return 0;
    // A negative count becomes a size no list can have, which Resize refuses.
    return static_cast<std::size_t>(static_cast<std::int64_t>(member->value.GetInt()));
}

bool supportedVersion(const rapidjson::Value& metadata)
{
    cmn::FileVersion version(1, 0);
    const auto member = metadata.FindMember("version");
    if (member != metadata.MemberEnd() && member->value.IsString())
        version = cmn::FileVersion(std::string(member->value.GetString(), member->value.GetStringLength()));
    return version >= cmn::FileVersion(1, 1) && version < cmn::FileVersion(2, 0);
}

const rapidjson::Value* stringMember(const rapidjson::Value& entry, const char* key)
{
    const auto member = entry.FindMember(key);
    if (member == entry.MemberEnd() || !member->value.IsString())
        return nullptr;
    return &member->value;
}

std::string text(const rapidjson::Value& value)
{
    return std::string(value.GetString(), value.GetStringLength());
}

} // namespace

std::optional<std::vector<CatalogueEntry>> ReadCatalogueList(SfxType type, vand::audio::sfx::SfxVector& list)
{
    const bool primary = type == SfxType::PRIMARY;
    const char* listKey = primary ? "sfx" : "ambient";

    const std::optional<fs::path> folder = manifestFolder();
    std::error_code error;
    if (!folder || !fs::exists(*folder / kManifestFile, error)) {
        // Standard output, as the installer's support notes expect.
        std::cout << "No SFX Manifest Found. Returning with no SFX in Manager.\n" << std::flush;
        return std::nullopt;
    }
    const std::string folderText = folder->string();

    rapidjson::Document document;
    const std::string bytes = ReadFileBytes(*folder / kManifestFile).value_or(std::string());
    document.Parse(bytes.data(), bytes.size());
    if (document.HasParseError())
        throw std::runtime_error("Error parsing sound effects manifest");

    if (!document.IsObject())
        throw std::runtime_error("No metadata available for sound effects");
    const auto metadata = document.FindMember("metadata");
    if (metadata == document.MemberEnd() || !metadata->value.IsObject())
        throw std::runtime_error("No metadata available for sound effects");

    list.Resize(reservedSlots(metadata->value, primary ? "count" : "ambientCount"));

    if (!supportedVersion(metadata->value))
        throw std::runtime_error("Unsupported sfx manifest version");

    const auto entries = document.FindMember(listKey);
    if (entries == document.MemberEnd() || !entries->value.IsArray())
        throw std::runtime_error("No sound effects available");

    std::vector<CatalogueEntry> read;
    for (const rapidjson::Value& entry : entries->value.GetArray()) {
        const rapidjson::Value* id = entry.IsObject() ? stringMember(entry, "id") : nullptr;
        const rapidjson::Value* name = entry.IsObject() ? stringMember(entry, "name") : nullptr;
        const rapidjson::Value* file = entry.IsObject() ? stringMember(entry, "path") : nullptr;
        if (!id || !name || !file) {
            throw std::runtime_error("Invalid sound effects manifest: entry " + std::to_string(read.size()) + " of \""
                                     + listKey + "\" needs the strings \"id\", \"name\" and \"path\"");
        }
        std::string fullPath = folderText + "/" + text(*file);
        std::replace(fullPath.begin(), fullPath.end(), '\\', '/');
        read.push_back({text(*id), text(*name), std::move(fullPath)});
    }
    return read;
}

} // namespace vand::sfx::detail
