#pragma once

// Writes a tar archive (ustar) into memory, plain or compressed, with no
// padding after its end. No state; any thread.

#include <string>
#include <vector>

namespace vand::tools {

struct TarEntry {
  enum class Type { File, Directory, Symlink };

  std::string name;
  std::string data;  // files only
  Type type = Type::File;
};

enum class TarFilter { None, Gzip, Xz };

// Every entry has permissions 0644 and one fixed time, so equal entries give
// equal bytes. Throws std::runtime_error with libarchive's message.
std::string WriteTar(const std::vector<TarEntry>& entries, TarFilter filter = TarFilter::None);

}  // namespace vand::tools
