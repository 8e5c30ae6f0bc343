#include "kit/File.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace kit {

namespace {

std::string ErrnoText(int err) { return std::generic_category().message(err); }

void WriteAll(int fd, std::string_view bytes, const std::filesystem::path& tmp) {
  const char* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::runtime_error("Cannot write \"" + tmp.string() + "\": " + ErrnoText(errno));
    }
    p += n;
    left -= static_cast<std::size_t>(n);
  }
}

}  // namespace

void WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  static std::atomic<unsigned> counter{0};
  const std::filesystem::path folder = target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
  const std::filesystem::path tmp =
      folder / (target.filename().string() + "." + std::to_string(::getpid()) + "." +
                std::to_string(counter.fetch_add(1)) + ".tmp");
  const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0) {
    throw std::runtime_error("Cannot save \"" + target.string() + "\": " + ErrnoText(errno));
  }
  bool closed = false;
  try {
    WriteAll(fd, bytes, tmp);
    if (::fsync(fd) != 0) {
      throw std::runtime_error("Cannot save \"" + target.string() + "\": " + ErrnoText(errno));
    }
    closed = true;
    if (::close(fd) != 0) {
      throw std::runtime_error("Cannot save \"" + target.string() + "\": " + ErrnoText(errno));
    }
  } catch (...) {
    if (!closed) ::close(fd);
    ::unlink(tmp.c_str());
    throw;
  }
  if (::rename(tmp.c_str(), target.c_str()) != 0) {
    const int err = errno;
    ::unlink(tmp.c_str());
    throw std::runtime_error("Cannot save \"" + target.string() + "\": " + ErrnoText(err));
  }
  // Make the rename itself durable.
  const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd >= 0) {
    ::fsync(dirFd);
    ::close(dirFd);
  }
}

std::string ReadWholeFile(const std::filesystem::path& file, std::uintmax_t maxBytes) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(file, ec)) {
    throw std::runtime_error("\"" + file.string() + "\" is not a readable file.");
  }
  const auto size = std::filesystem::file_size(file, ec);
  if (ec) throw std::runtime_error("Cannot read \"" + file.string() + "\": " + ec.message());
  if (size > maxBytes) {
    throw std::runtime_error("\"" + file.string() + "\" is too large (" + std::to_string(size) + " bytes).");
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("Cannot open \"" + file.string() + "\".");
  std::string text;
  text.resize(static_cast<std::size_t>(size));
  in.read(text.data(), static_cast<std::streamsize>(size));
  if (in.gcount() != static_cast<std::streamsize>(size)) {
    throw std::runtime_error("Cannot read \"" + file.string() + "\": the file changed while reading.");
  }
  return text;
}

}  // namespace kit
