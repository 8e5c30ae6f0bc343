// Feeds arbitrary bytes to the score package reader. Whatever it reads must
// be in page order and within its limits, and the pages, packed again as a
// plain tar, must read back the same.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "TarWriter.h"
#include "kit/Log.h"
#include "show/ScorePackage.h"

namespace {

const vand::show::ScorePackageLimits kLimits{std::uint64_t(1) << 20, std::uint64_t(4) << 20};

std::string Pack(const std::vector<vand::show::ScorePage>& pages) {
  std::vector<vand::tools::TarEntry> entries;
  for (const auto& page : pages) entries.push_back({"p" + std::to_string(page.number) + ".png", page.png});
  return vand::tools::WriteTar(entries);
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
