// Feeds arbitrary bytes to the asset manager as its manifest, with a schema
// that checks nothing, so the manager's own checks face every input. A
// manifest is either refused with BadFileException or loaded; a loaded asset
// holds exactly the bytes of its file inside the asset folder, and a file
// outside that folder is never read.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "sfx/AssetManager.h"

namespace {

namespace fs = std::filesystem;

const std::string kInside = "inside bytes\r\n";
const std::string kOutside = "outside bytes";

void write(const fs::path& file, const std::string& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << bytes;
}

// A folder with the schema, an asset folder holding "a.bin" and "sub/b.bin",
// and "outside.bin" beside the asset folder.
const fs::path& Folder() {
  static const fs::path folder = [] {
    const fs::path f = fs::temp_directory_path() / ("fuzz_assets." + std::to_string(::getpid()));
    write(f / "schema.json", "{}");
    write(f / "assets" / "a.bin", kInside);
    write(f / "assets" / "sub" / "b.bin", kInside);
    write(f / "outside.bin", kOutside);
    return f;
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path& folder = Folder();
  write(folder / "manifest.json", std::string(reinterpret_cast<const char*>(data), size));
  try {
    vand::AssetManager manager((folder / "manifest.json").string(), (folder / "schema.json").string(),
                               (folder / "assets").string());
    for (const char* id : {"a", "b", "x", ""}) {
      try {
        const vand::Asset& asset = manager.GetAsset(id);
        const std::string bytes(asset.Data().begin(), asset.Data().end());
        if (bytes != kInside) std::abort();  // only files inside the folder, whole
      } catch (const std::out_of_range&) {
      }
    }
  } catch (const vand::BadFileException&) {
  }
  return 0;
}
