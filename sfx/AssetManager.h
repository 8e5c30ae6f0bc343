#pragma once

// File assets listed by a JSON asset manifest that a JSON Schema validates.
//
// Threads: the constructor does blocking file reads on the caller's thread;
// afterwards the manager is only read and may be shared between readers.

#include "sfx/SfxExport.h"

#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace vand {

class SFX_EXPORT BadFileException : public std::exception
{
public:
    explicit BadFileException(std::string message);
    const char* what() const noexcept override;

private:
    std::string message_;
};

class SFX_EXPORT AssetDescriptor
{
public:
    AssetDescriptor(const std::string& type, const std::string& id, const std::string& group, const std::string& name,
                    const std::string& filename);
    AssetDescriptor(const AssetDescriptor& other);
    AssetDescriptor(AssetDescriptor&& other) noexcept;
    ~AssetDescriptor();

    std::string Type() const;
    std::string Id() const;
    std::string Group() const;
    std::string Name() const;
    // Relative to the manager's base folder.
    std::string SourceFilename() const;

private:
    std::string type_;
    std::string id_;
    std::string group_;
    std::string name_;
    std::string sourceFilename_;
};

// One loaded asset: its descriptor and its file's bytes, exactly as stored.
class SFX_EXPORT Asset
{
public:
    Asset(AssetDescriptor descriptor, std::vector<unsigned char> data);
    ~Asset();

    const AssetDescriptor& Descriptor() const;
    const std::vector<unsigned char>& Data() const;

private:
    AssetDescriptor descriptor_;
    std::vector<unsigned char> data_;
};

class SFX_EXPORT AssetManager
{
public:
    // Validates the manifest against the schema, checks its "filetype"
    // ("vand_assets") and "version", and reads every listed file of
    // `baseFolder`. Throws BadFileException; a file name that is absolute or
    // leads out of `baseFolder` is refused, and so is a schema or manifest
    // that nests more than 64 levels deep. A manifest of a version other than
    // 0.x or 1.0 gives a manager without assets (and one line on the standard
    // error stream).
    AssetManager(const std::string& manifestPath, const std::string& schemaPath, const std::string& baseFolder);
    AssetManager(AssetManager&& other) noexcept;
    AssetManager& operator=(AssetManager&& other) noexcept;
    ~AssetManager();

    // The first asset of the manifest with this id; std::out_of_range when
    // there is none.
    const Asset& GetAsset(const std::string& id) const;

private:
    std::map<std::string, std::unique_ptr<Asset>> assets_;
};

} // namespace vand
