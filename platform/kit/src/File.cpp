#include "kit/File.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <system_error>

namespace kit {

namespace {

std::string ErrnoText(int err) { return std::generic_category().message(err); }

constexpr std::string_view kTemporarySuffix = ".tmp";

// A run of 1 to 10 decimal digits without a leading zero (a number the name builder wrote).
std::optional<long> Digits(std::string_view text) {
  if (text.empty() || text.size() > 10 || (text.size() > 1 && text.front() == '0')) return std::nullopt;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

bool Running(long pid) {
  // Signal 0 only asks: EPERM means it runs under another user.
  return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

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
      folder / TemporaryFileName(target.filename().string(), static_cast<long>(::getpid()), counter.fetch_add(1));
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

std::string TemporaryFileName(const std::string& targetName, long pid, unsigned counter) {
  return targetName + "." + std::to_string(pid) + "." + std::to_string(counter) + std::string(kTemporarySuffix);
}

std::optional<long> TemporaryFileWriter(std::string_view name) {
  if (name.size() <= kTemporarySuffix.size() || !name.ends_with(kTemporarySuffix)) return std::nullopt;
  name.remove_suffix(kTemporarySuffix.size());
  const auto counterDot = name.rfind('.');
  if (counterDot == std::string_view::npos || !Digits(name.substr(counterDot + 1))) return std::nullopt;
  name = name.substr(0, counterDot);
  const auto pidDot = name.rfind('.');
  if (pidDot == std::string_view::npos || pidDot == 0) return std::nullopt;  // the target's name is not empty
  const std::optional<long> pid = Digits(name.substr(pidDot + 1));
  if (!pid || *pid <= 0 || *pid > INT_MAX) return std::nullopt;
  return pid;
}

std::vector<std::filesystem::path> RemoveStaleTemporaryFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> removed;
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    const std::optional<long> writer = TemporaryFileWriter(it->path().filename().string());
    std::error_code typeError;
    if (!writer || !it->is_regular_file(typeError) || it->is_symlink(typeError) || Running(*writer)) continue;
    std::error_code removeError;
    if (std::filesystem::remove(it->path(), removeError)) removed.push_back(it->path());
  }
  return removed;
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
