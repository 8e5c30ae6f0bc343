#pragma once

// The score package: a tar archive (plain or under any compression filter
// libarchive knows) of PNG page images, read from memory in one go. Qt-free.
//
// A package is untrusted: a few kilobytes of compressed data can unpack to
// terabytes. What is kept, and what is unpacked only to be passed over, are
// both bounded (ScorePackageLimits), so a read ends within seconds.
//
// Threads: the functions keep no state; call them from any thread. A read
// takes up to a few seconds: keep it off the GUI thread.

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vand::show {

// One page image: its page number and the PNG file's bytes, unchanged.
struct ScorePage
{
    int number = 0;
    std::string png;

    bool operator==(const ScorePage&) const = default;
};

struct ScorePackageLimits
{
    // An entry declared or found larger is left out unread.
    std::uint64_t maxEntryBytes = std::uint64_t(64) << 20;
    // A larger package is not read; reading stops once the pages kept
    // together would pass it.
    std::uint64_t maxPackageBytes = std::uint64_t(1) << 30;
    // Everything unpacked but not kept (entries that are not pages or are
    // left out, and the archive's own headers) may come to this much;
    // reading stops before an entry that would pass it.
    std::uint64_t maxSkippedBytes = std::uint64_t(256) << 20;
};

// Whether an entry path names a page image: it ends in ".png" (exact case)
// and its base name does not begin with ".".
bool IsPageImageName(std::string_view path);

// The run of digits directly before the final extension, as a decimal
// number: "page12.png" 12, "score/003.png" 3, "p1_2.png" 2. 0 when there is
// none or it does not fit an int ("cover.png" 0).
int PageNumberFromName(std::string_view path);

// The page images of a package, ascending by page number; pages with equal
// numbers keep their archive order. Every other entry is skipped unread. A
// package that cannot be opened gives no pages; an entry that cannot be read
// whole is left out and the pages before it are kept. Each of these is
// reported as a warning through kit::Log. Once *stop is true the read ends
// soon after (between blocks of data) with the pages read so far.
std::vector<ScorePage> ReadScorePackage(std::string_view bytes, const ScorePackageLimits& limits = {},
                                        const std::atomic<bool>* stop = nullptr);

// Empty when ReadScorePackage would read the package whole (nothing left out,
// nothing to warn about); else the first problem it would report.
std::string CheckScorePackage(std::string_view bytes, const ScorePackageLimits& limits = {});

} // namespace vand::show
