#pragma once

// SHA-256 (libcrypto) as lower-case hex.

#include <cstddef>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace vand::networking {

class Sha256 {
 public:
  Sha256();
  ~Sha256();
  Sha256(const Sha256&) = delete;
  Sha256& operator=(const Sha256&) = delete;

  void Update(const void* data, std::size_t size);
  // The digest of everything so far; the hash starts again afterwards.
  std::string HexDigest();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

std::string Sha256Hex(std::string_view bytes);
// Throws std::runtime_error when the file cannot be read.
std::string Sha256OfFile(const std::filesystem::path& file);

}  // namespace vand::networking
