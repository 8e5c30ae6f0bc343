#pragma once

// Publishes a show folder in the show server's layout (see
// vand_networking_http/NetworkApiInterface.h):
//   <root>/shows/<id>/files.json, files/<path>, logs/index.json, logs/<file>
// The identifier is the "identifier" of the folder's identity.json. Files are
// classified by name: show.json SHOW, identity.json IDENTITY, *.logdata LOG
// (version from "name-MAJOR.MINOR.logdata"), *.score SCORE, *.jpg/*.jpeg/*.png
// ART, *.ogg/*.wav/*.flac AUDIO; other files and dot files are left out.

#include <filesystem>
#include <string>
#include <vector>

namespace vand::publish {

struct Published {
  std::string identifier;
  std::vector<std::string> files;    // the listed paths
  std::vector<std::string> skipped;  // left out
};

// Replaces what the root held for this show. Throws std::runtime_error.
Published PublishShow(const std::filesystem::path& showFolder, const std::filesystem::path& serverRoot);

}  // namespace vand::publish
