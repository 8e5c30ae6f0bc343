#pragma once

// The demo sound-effects catalogue: "vand_data/sfx/manifest.json" (version
// "1.1") and synthesised Ogg Vorbis effects (".sfx"): a bell, a knock and a
// chime (48 kHz mono) as primary effects, a 4 s rain loop as the ambient one.
// Deterministic. A data folder holding it, named first in XDG_DATA_DIRS, is
// where the library's SFX manifest looks.

#include <filesystem>
#include <string>
#include <vector>

namespace vand::demo {

struct DemoEffect {
  std::string id;
  std::string name;
  std::string path;  // relative to the manifest's folder
  bool ambient = false;
  int sampleRate = 44100;
  int channels = 2;
  double seconds = 1.0;
};

// The catalogue's entries, primary effects first.
const std::vector<DemoEffect>& DemoEffects();

// Writes the catalogue under `dataFolder` ("<dataFolder>/vand_data/sfx/...")
// and returns the manifest's folder. Throws std::runtime_error.
std::filesystem::path WriteDemoSfx(const std::filesystem::path& dataFolder);

}  // namespace vand::demo
