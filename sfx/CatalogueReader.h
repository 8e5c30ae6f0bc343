#pragma once

// Reads one list of the installed catalogue's "manifest.json" (internal; the
// SFX manifest and the legacy manager share it).
//
// Threads: no shared state; any thread.

#include "sfx/SfxDto.h"
#include "sfx/SfxVector.h"

#include <optional>
#include <string>
#include <vector>

namespace vand::sfx::detail {

struct CatalogueEntry
{
    std::string id;
    std::string name;
    // The manifest's folder, "/" and the entry's path, backslashes turned
    // into slashes.
    std::string path;
};

// Reads the "sfx" list (PRIMARY) or the "ambient" list (AMBIENT). Without a
// manifest it writes "No SFX Manifest Found. Returning with no SFX in
// Manager." to standard output and gives nothing. Before the entries are
// read, `list` is resized to the list's "count" or "ambientCount" (a
// negative one throws std::invalid_argument "Size is too large"). Any other
// failure throws std::runtime_error with the manifest's error texts.
std::optional<std::vector<CatalogueEntry>> ReadCatalogueList(vand::audio::SfxType type,
                                                             vand::audio::sfx::SfxVector& list);

} // namespace vand::sfx::detail
