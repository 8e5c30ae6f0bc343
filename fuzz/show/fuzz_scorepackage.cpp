// Feeds arbitrary bytes to the score package reader. Whatever it reads must
// be in page order and within its limits, and the pages, packed again as a
// plain tar, must read back the same.

#include <archive.h>
#include <archive_entry.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "kit/Log.h"
#include "show/ScorePackage.h"

namespace {

const vand::show::ScorePackageLimits kLimits{std::uint64_t(1) << 20, std::uint64_t(4) << 20};

std::string Pack(const std::vector<vand::show::ScorePage>& pages) {
  std::string out;
  archive* a = archive_write_new();
  archive_write_set_format_ustar(a);
  auto append = [](archive*, void* user, const void* data, size_t size) -> la_ssize_t {
    static_cast<std::string*>(user)->append(static_cast<const char*>(data), size);
    return static_cast<la_ssize_t>(size);
  };
  if (archive_write_open(a, &out, nullptr, append, nullptr) != ARCHIVE_OK) std::abort();
  for (const auto& page : pages) {
    archive_entry* entry = archive_entry_new();
    const std::string name = "p" + std::to_string(page.number) + ".png";
    archive_entry_set_pathname(entry, name.c_str());
    archive_entry_set_filetype(entry, AE_IFREG);
    archive_entry_set_perm(entry, 0644);
    archive_entry_set_size(entry, static_cast<la_int64_t>(page.png.size()));
    if (archive_write_header(a, entry) != ARCHIVE_OK) std::abort();
    if (!page.png.empty() &&
        archive_write_data(a, page.png.data(), page.png.size()) != static_cast<la_ssize_t>(page.png.size())) {
      std::abort();
    }
    archive_entry_free(entry);
  }
  archive_write_close(a);
  archive_write_free(a);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  kit::SetLogThreshold(kit::LogLevel::Error);  // every refusal is a warning
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const auto pages = vand::show::ReadScorePackage(bytes, kLimits);
  std::uint64_t total = 0;
  for (std::size_t i = 0; i < pages.size(); ++i) {
    if (pages[i].png.size() > kLimits.maxEntryBytes) std::abort();
    if (i > 0 && pages[i - 1].number > pages[i].number) std::abort();
    if (pages[i].number < 0) std::abort();
    total += pages[i].png.size();
  }
  if (total > kLimits.maxPackageBytes) std::abort();
  if (pages.empty()) return 0;

  const std::string packed = Pack(pages);
  if (packed.size() > kLimits.maxPackageBytes) return 0;  // ustar blocks grow small pages
  if (vand::show::ReadScorePackage(packed, kLimits) != pages) std::abort();
  return 0;
}
