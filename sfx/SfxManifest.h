#pragma once

// The installed catalogue of sound effects: "manifest.json" in "vand_data/sfx"
// under the second generic data location (on Linux the first entry of
// XDG_DATA_DIRS, /usr/local/share by default).
//
// Threads: built once by its owner's thread and only read afterwards; the
// lists carry their own locks, the names have none.

#include "sfx/SfxDto.h"
#include "sfx/SfxExport.h"
#include "sfx/SfxVector.h"

#include <optional>
#include <string>
#include <unordered_map>

namespace vand::sfx {

class SFX_EXPORT SfxManifest
{
public:
    // Reads the ambient effects, then the primary ones. A missing manifest is
    // no error: the catalogue is empty and "No SFX Manifest Found. Returning
    // with no SFX in Manager." goes to standard output once for each list.
    // Any other failure throws std::runtime_error (std::invalid_argument "Size
    // is too large" for a negative "count" or "ambientCount").
    SfxManifest();
    SfxManifest(const SfxManifest& other);
    SfxManifest& operator=(const SfxManifest& other);
    virtual ~SfxManifest();

    vand::audio::sfx::SfxVector SoundEffects() const;
    vand::audio::sfx::SfxVector AmbientEffects() const;
    bool HasEffectId(const std::string& id) const;

    // The effect's full file path, the primary list first.
    std::optional<std::string> path(const std::string& id) const;
    // PRIMARY when the primary list holds the id, else AMBIENT when the
    // ambient list does.
    std::optional<vand::audio::SfxType> type(const std::string& id) const;
    std::optional<std::string> displayName(const std::string& id) const;

private:
    void loadFromFile_(vand::audio::SfxType type);

    std::unordered_map<std::string, std::string> names_;
    vand::audio::sfx::SfxVector ambient_;
    vand::audio::sfx::SfxVector primary_;
};

} // namespace vand::sfx
