#include "TarWriter.h"

#include <archive.h>
#include <archive_entry.h>

#include <memory>
#include <stdexcept>

namespace vand::tools {

namespace {

constexpr time_t kEntryTime = 1767225600;  // 2026-01-01

struct WriterFree {
  void operator()(archive* a) const { archive_write_free(a); }
};
struct EntryFree {
  void operator()(archive_entry* e) const { archive_entry_free(e); }
};

[[noreturn]] void Fail(archive* a) {
  const char* why = archive_error_string(a);
  throw std::runtime_error(std::string("cannot write a tar archive: ") + (why ? why : "unknown error"));
}

unsigned FileType(TarEntry::Type type) {
  switch (type) {
    case TarEntry::Type::Directory: return AE_IFDIR;
    case TarEntry::Type::Symlink: return AE_IFLNK;
    case TarEntry::Type::File: break;
  }
  return AE_IFREG;
}

}  // namespace

std::string WriteTar(const std::vector<TarEntry>& entries, TarFilter filter) {
  std::string out;
  std::unique_ptr<archive, WriterFree> writer(archive_write_new());
  archive* a = writer.get();
  archive_write_set_format_ustar(a);
  archive_write_set_bytes_in_last_block(a, 1);
  if (filter == TarFilter::Gzip && archive_write_add_filter_gzip(a) != ARCHIVE_OK) Fail(a);
  if (filter == TarFilter::Xz && archive_write_add_filter_xz(a) != ARCHIVE_OK) Fail(a);
  auto append = [](archive*, void* user, const void* data, size_t size) -> la_ssize_t {
    static_cast<std::string*>(user)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
  };
  if (archive_write_open(a, &out, nullptr, append, nullptr) != ARCHIVE_OK) Fail(a);
  for (const TarEntry& e : entries) {
    std::unique_ptr<archive_entry, EntryFree> entry(archive_entry_new());
    const bool file = e.type == TarEntry::Type::File;
    archive_entry_set_pathname(entry.get(), e.name.c_str());
    archive_entry_set_filetype(entry.get(), FileType(e.type));
    archive_entry_set_perm(entry.get(), 0644);
    archive_entry_set_mtime(entry.get(), kEntryTime, 0);
    if (e.type == TarEntry::Type::Symlink) archive_entry_set_symlink(entry.get(), "target");
    archive_entry_set_size(entry.get(), file ? static_cast<la_int64_t>(e.data.size()) : 0);
    if (archive_write_header(a, entry.get()) != ARCHIVE_OK) Fail(a);
    if (file && !e.data.empty() &&
        archive_write_data(a, e.data.data(), e.data.size()) != static_cast<la_ssize_t>(e.data.size())) {
      Fail(a);
    }
  }
  if (archive_write_close(a) != ARCHIVE_OK) Fail(a);
  return out;
}

}  // namespace vand::tools
