#include "sfx/AssetManager.h"

#include "FileBytes.h"
#include "kit/Json.h"
#include "kit/Log.h"

#include <rapidjson/schema.h>
#include <rapidjson/stringbuffer.h>

#include <cctype>
#include <charconv>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <utility>

namespace vand {

namespace fs = std::filesystem;

namespace {

constexpr char kFileType[] = "vand_assets";

// How deep a schema or a manifest may nest (the root counts as 1). Real ones
// nest a few levels; the limit keeps the schema's construction off a deep
// stack and the validator, which looks at every open level on every value,
// from taking time that grows with the square of the depth.
constexpr unsigned kMaxDepth = 64;

// Refuses a document that opens more than kMaxDepth containers.
class DepthLimit : public rapidjson::BaseReaderHandler<rapidjson::UTF8<>, DepthLimit>
{
public:
    bool StartObject() { return ++depth_ <= kMaxDepth; }
    bool EndObject(rapidjson::SizeType) { return --depth_, true; }
    bool StartArray() { return ++depth_ <= kMaxDepth; }
    bool EndArray(rapidjson::SizeType) { return --depth_, true; }

private:
    unsigned depth_ = 0;
};

bool withinDepth(const kit::json::Value& document)
{
    DepthLimit limit;
    return kit::json::Accept(document, limit);
}

// One "%d" of a version text: optional blanks and sign, then digits.
const char* parseNumber(const char* first, const char* last, int& value)
{
    while (first != last && std::isspace(static_cast<unsigned char>(*first)))
        ++first;
    if (first != last && *first == '+')
        ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() ? end : nullptr;
}

// "major.minor" as two whole numbers; nothing when the text is not of that
// form or a number does not fit an int.
std::optional<std::pair<int, int>> parseVersion(const std::string& text)
{
    const char* last = text.data() + text.size();
    int major = 0;
    int minor = 0;
    const char* at = parseNumber(text.data(), last, major);
    if (!at || at == last || *at != '.')
        return std::nullopt;
    if (!parseNumber(at + 1, last, minor))
        return std::nullopt;
    return std::make_pair(major, minor);
}

bool supportedVersion(const std::pair<int, int>& version)
{
    return version.first == 0 || (version.first == 1 && version.second == 0);
}

std::string pointerText(const rapidjson::Pointer& pointer)
{
    rapidjson::StringBuffer buffer;
    pointer.StringifyUriFragment(buffer);
    return std::string(buffer.GetString(), buffer.GetSize());
}

// A member's text, or nothing when it is not given or not a string.
std::optional<std::string> text(const kit::json::Value& object, const char* key)
{
    const kit::json::Value* value = kit::json::Find(object, key);
    if (!value || !value->IsString())
        return std::nullopt;
    return std::string(value->GetString(), value->GetStringLength());
}

std::string member(const kit::json::Value& asset, std::size_t position, const char* key)
{
    std::optional<std::string> value = text(asset, key);
    if (!value)
        throw BadFileException("Asset Manager asset " + std::to_string(position) + " has no string \"" + key + "\"");
    return std::move(*value);
}

// The asset's file inside `baseFolder`; a name that is absolute or climbs out
// of the folder would let a manifest read any file of the machine.
fs::path assetFile(const fs::path& baseFolder, const std::string& filename)
{
    const fs::path name(filename);
    const fs::path normal = name.lexically_normal();
    if (name.has_root_path() || (!normal.empty() && *normal.begin() == ".."))
        throw BadFileException("Asset file name leads out of the asset folder: " + filename);
    return baseFolder / name;
}

} // namespace

BadFileException::BadFileException(std::string message)
    : message_(std::move(message))
{
}

const char* BadFileException::what() const noexcept
{
    return message_.c_str();
}

AssetDescriptor::AssetDescriptor(const std::string& type, const std::string& id, const std::string& group,
                                 const std::string& name, const std::string& filename)
    : type_(type)
    , id_(id)
    , group_(group)
    , name_(name)
    , sourceFilename_(filename)
{
}

AssetDescriptor::AssetDescriptor(const AssetDescriptor& other) = default;
AssetDescriptor::AssetDescriptor(AssetDescriptor&& other) noexcept = default;
AssetDescriptor::~AssetDescriptor() = default;

std::string AssetDescriptor::Type() const
{
    return type_;
}
std::string AssetDescriptor::Id() const
{
    return id_;
}
std::string AssetDescriptor::Group() const
{
    return group_;
}
std::string AssetDescriptor::Name() const
{
    return name_;
}
std::string AssetDescriptor::SourceFilename() const
{
    return sourceFilename_;
}

Asset::Asset(AssetDescriptor descriptor, std::vector<unsigned char> data)
    : descriptor_(std::move(descriptor))
    , data_(std::move(data))
{
}

Asset::~Asset() = default;

const AssetDescriptor& Asset::Descriptor() const
{
    return descriptor_;
}
const std::vector<unsigned char>& Asset::Data() const
{
    return data_;
}

AssetManager::AssetManager(const std::string& manifestPath, const std::string& schemaPath,
                           const std::string& baseFolder)
{
    // A file that cannot be read parses as empty text, which no parse accepts.
    const std::string manifestText = sfx::detail::ReadFileBytes(manifestPath).value_or(std::string());
    const std::string schemaText = sfx::detail::ReadFileBytes(schemaPath).value_or(std::string());

    rapidjson::Document schemaDocument;
    try {
        kit::json::Parse(schemaDocument, schemaText);
    } catch (const kit::json::Error&) {
        throw BadFileException("Asset Manager Schema Document is not Valid");
    }
    if (!withinDepth(schemaDocument))
        throw BadFileException("Asset Manager Schema Document is not Valid");
    const rapidjson::SchemaDocument schema(schemaDocument);

    rapidjson::Document manifest;
    try {
        kit::json::Parse(manifest, manifestText);
    } catch (const kit::json::Error&) {
        throw BadFileException("Asset Manager Failed Validation");
    }
    if (!withinDepth(manifest)) {
        throw BadFileException("Asset Manager Failed Validation: the manifest nests deeper than "
                               + std::to_string(kMaxDepth) + " levels");
    }

    rapidjson::SchemaValidator validator(schema);
    if (!kit::json::Accept(manifest, validator)) {
        throw BadFileException(std::string("Asset Manager Failed Validation: ")
                               + "Invalid schema: " + pointerText(validator.GetInvalidSchemaPointer()) + "\n"
                               + "Invalid keyword: " + validator.GetInvalidSchemaKeyword() + "\n"
                               + "Invalid document: " + pointerText(validator.GetInvalidDocumentPointer()) + "\n");
    }

    if (text(manifest, "filetype") != std::optional<std::string>(kFileType))
        throw BadFileException("Wrong File Type String");

    const std::string versionText = text(manifest, "version").value_or(std::string());
    const auto version = parseVersion(versionText);
    if (!version || !supportedVersion(*version)) {
        // Callers rely on an empty manager here rather than an exception.
        kit::Log(kit::LogLevel::Warning, "sfx",
                 "Asset manifest " + manifestPath + ": version \"" + versionText
                     + "\" is not supported (0.x and 1.0 are); no assets loaded.");
        return;
    }

    const kit::json::Value* assets = kit::json::Find(manifest, "assets");
    if (!assets || !assets->IsArray())
        throw BadFileException("Asset Manager manifest has no \"assets\" array");

    const fs::path base(baseFolder);
    std::size_t position = 0;
    for (const kit::json::Value& entry : assets->GetArray()) {
        std::string type = member(entry, position, "type");
        std::string id = member(entry, position, "id");
        std::string group = member(entry, position, "group");
        std::string name = member(entry, position, "name");
        std::string filename = member(entry, position, "filename");
        AssetDescriptor descriptor(type, id, group, name, filename);
        ++position;
        const fs::path file = assetFile(base, descriptor.SourceFilename());
        const std::optional<std::string> bytes = sfx::detail::ReadFileBytes(file);
        if (!bytes)
            throw BadFileException("Unable to read file " + file.string());
        if (assets_.count(id) != 0)
            continue; // The first asset with an id stays.
        assets_.emplace(id, std::make_unique<Asset>(std::move(descriptor),
                                                    std::vector<unsigned char>(bytes->begin(), bytes->end())));
    }
}

AssetManager::AssetManager(AssetManager&& other) noexcept = default;
AssetManager& AssetManager::operator=(AssetManager&& other) noexcept = default;
AssetManager::~AssetManager() = default;

const Asset& AssetManager::GetAsset(const std::string& id) const
{
    const auto found = assets_.find(id);
    if (found == assets_.end())
        throw std::out_of_range("No asset with id \"" + id + "\"");
    return *found->second;
}

} // namespace vand
