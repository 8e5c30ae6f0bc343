#include "sfx/CatalogueReader.h"

#include "FileBytes.h"
#include "cmn/VANDVersion.h"

#include <QStandardPaths>
#include <QStringList>

#include "kit/Json.h"

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
std::size_t reservedSlots(const kit::json::Value& metadata, const char* key)
{
    const kit::json::Value* count = kit::json::Find(metadata, key);
    if (!count || !count->IsInt())
        return 0;
    // A negative count becomes a size no list can have, which Resize refuses.
    return static_cast<std::size_t>(static_cast<std::int64_t>(count->GetInt()));
}

bool supportedVersion(const kit::json::Value& metadata)
{
    cmn::FileVersion version(1, 0);
    const kit::json::Value* text = kit::json::Find(metadata, "version");
    if (text && text->IsString())
        version = cmn::FileVersion(std::string(text->GetString(), text->GetStringLength()));
    return version >= cmn::FileVersion(1, 1) && version < cmn::FileVersion(2, 0);
}

const kit::json::Value* stringMember(const kit::json::Value& entry, const char* key)
{
    const kit::json::Value* member = kit::json::Find(entry, key);
    return member && member->IsString() ? member : nullptr;
}

std::string text(const kit::json::Value& value)
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

    // An unreadable file reads as empty text, which does not parse.
    rapidjson::Document document;
    try {
        kit::json::Parse(document, ReadFileBytes(*folder / kManifestFile).value_or(std::string()));
    } catch (const kit::json::Error&) {
        throw std::runtime_error("Error parsing sound effects manifest");
    }

    const kit::json::Value* metadata = kit::json::Find(document, "metadata");
    if (!metadata || !metadata->IsObject())
        throw std::runtime_error("No metadata available for sound effects");

    list.Resize(reservedSlots(*metadata, primary ? "count" : "ambientCount"));

    if (!supportedVersion(*metadata))
        throw std::runtime_error("Unsupported sfx manifest version");

    const kit::json::Value* entries = kit::json::Find(document, listKey);
    if (!entries || !entries->IsArray())
        throw std::runtime_error("No sound effects available");

    std::vector<CatalogueEntry> read;
    for (const kit::json::Value& entry : entries->GetArray()) {
        const kit::json::Value* id = stringMember(entry, "id");
        const kit::json::Value* name = stringMember(entry, "name");
        const kit::json::Value* file = stringMember(entry, "path");
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
