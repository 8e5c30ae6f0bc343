#include "vand_networking_http/Sha256.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace vand::networking {

struct Sha256::Impl {
  EVP_MD_CTX* context = nullptr;
};

namespace {

void Start(EVP_MD_CTX* context) {
  if (EVP_DigestInit_ex(context, EVP_sha256(), nullptr) != 1) throw std::runtime_error("SHA-256 is not available.");
}

}  // namespace

Sha256::Sha256() : impl_(std::make_unique<Impl>()) {
  impl_->context = EVP_MD_CTX_new();
  if (!impl_->context) throw std::bad_alloc();
  Start(impl_->context);
}

Sha256::~Sha256() { EVP_MD_CTX_free(impl_->context); }

void Sha256::Update(const void* data, std::size_t size) {
  if (size > 0) EVP_DigestUpdate(impl_->context, data, size);
}

std::string Sha256::HexDigest() {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_DigestFinal_ex(impl_->context, digest, &length);
  Start(impl_->context);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string text;
  text.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    text.push_back(kHex[digest[i] >> 4]);
    text.push_back(kHex[digest[i] & 0xf]);
  }
  return text;
}

std::string Sha256Hex(std::string_view bytes) {
  Sha256 hash;
  hash.Update(bytes.data(), bytes.size());
  return hash.HexDigest();
}

std::string Sha256OfFile(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw std::runtime_error("Cannot read \"" + file.string() + "\": " + std::strerror(errno));
  Sha256 hash;
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = ::read(fd, buffer.data(), buffer.size());
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      throw std::runtime_error("Cannot read \"" + file.string() + "\": " + std::strerror(error));
    }
    if (got == 0) break;
    hash.Update(buffer.data(), static_cast<std::size_t>(got));
  }
  ::close(fd);
  return hash.HexDigest();
}

}  // namespace vand::networking
