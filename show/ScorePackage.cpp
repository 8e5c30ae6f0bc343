#include "show/ScorePackage.h"

#include <archive.h>
#include <archive_entry.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>

#include "kit/Log.h"

namespace vand::show {

namespace {

// Where the reader's problems go: the log, or (for a check) the first one
// kept as the answer.
struct Problems
{
    std::string* first = nullptr;

    void Warn(const std::string& text) const
    {
        if (!first) {
            kit::Log(kit::LogLevel::Warning, "score", text);
        } else if (first->empty()) {
            *first = text;
        }
    }
};

std::string ErrorText(archive* handle)
{
    const char* text = archive_error_string(handle);
    return text ? text : "unknown error";
}

std::string Mebibytes(std::uint64_t bytes)
{
    return std::to_string(bytes >> 20) + " MiB";
}

void WarnEntryTooLarge(const Problems& problems, const std::string& name, std::uint64_t limit)
{
    problems.Warn("Score page " + name + " is larger than " + Mebibytes(limit) + "; it is left out.");
}

void WarnPackageTooLarge(const Problems& problems, const std::string& name, std::uint64_t limit)
{
    problems.Warn("The score pages pass " + Mebibytes(limit) + " at " + name
                  + "; the pages from there on are left out.");
}

void WarnTooMuchSkipped(const Problems& problems, const std::string& name, std::uint64_t limit)
{
    problems.Warn("The entries besides the score pages pass " + Mebibytes(limit) + " at " + name
                  + "; the pages from there on are left out.");
}

struct HandleFree
{
    void operator()(archive* handle) const { archive_read_free(handle); }
};
using Handle = std::unique_ptr<archive, HandleFree>;

// A read handle open on the bytes, tar with every filter; null (and a
// warning) when it cannot be had.
Handle OpenScorePackage(std::string_view bytes, const Problems& problems)
{
    Handle handle(archive_read_new());
    if (!handle) {
        problems.Warn("Failed to open in-memory archive: out of memory");
        return nullptr;
    }
    if (archive_read_support_format_tar(handle.get()) != ARCHIVE_OK) {
        problems.Warn("Failed to add TAR Support.");
        return nullptr;
    }
    if (archive_read_support_filter_all(handle.get()) != ARCHIVE_OK) {
        problems.Warn("Failed to add ALL Support.");
        return nullptr;
    }
    if (archive_read_open_memory(handle.get(), bytes.data(), bytes.size()) != ARCHIVE_OK) {
        problems.Warn("Failed to open in-memory archive: " + ErrorText(handle.get()));
        return nullptr;
    }
    return handle;
}

enum class EntryRead { Whole, TooLarge, Dropped, Fatal, Stopped };

bool Stopped(const std::atomic<bool>* stop)
{
    return stop && stop->load(std::memory_order_relaxed);
}

// Appends the current entry's data to out; more than limit bytes of it is
// TooLarge.
EntryRead ReadEntryData(archive* handle, std::uint64_t limit, std::string& out, const std::atomic<bool>* stop)
{
    const void* block = nullptr;
    size_t size = 0;
    la_int64_t offset = 0;
    int result = ARCHIVE_OK;
    while ((result = archive_read_data_block(handle, &block, &size, &offset)) == ARCHIVE_OK) {
        if (Stopped(stop))
            return EntryRead::Stopped;
        if (size > limit - out.size())
            return EntryRead::TooLarge;
        out.append(static_cast<const char*>(block), size);
    }
    if (result == ARCHIVE_EOF)
        return EntryRead::Whole;
    return result == ARCHIVE_FATAL ? EntryRead::Fatal : EntryRead::Dropped;
}

} // namespace

bool IsPageImageName(std::string_view path)
{
    constexpr std::string_view kExtension = ".png";
    if (path.size() < kExtension.size() || path.substr(path.size() - kExtension.size()) != kExtension)
        return false;
    const std::size_t slash = path.find_last_of('/');
    const std::string_view base = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return base.front() != '.';
}

int PageNumberFromName(std::string_view path)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    const auto isWord = [&](char c) {
        return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
    };
    // The final extension: a dot followed by one or more word characters up
    // to the end.
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string_view::npos || dot + 1 == path.size())
        return 0;
    if (!std::all_of(path.begin() + dot + 1, path.end(), isWord))
        return 0;
    std::size_t first = dot;
    while (first > 0 && isDigit(path[first - 1]))
        --first;
    if (first == dot)
        return 0;
    long long number = 0;
    for (std::size_t i = first; i < dot; ++i) {
        number = number * 10 + (path[i] - '0');
        if (number > INT_MAX)
            return 0;
    }
    return static_cast<int>(number);
}

namespace {

std::vector<ScorePage> ReadPages(std::string_view bytes, const ScorePackageLimits& limits, const Problems& problems,
                                 const std::atomic<bool>* stop)
{
    std::vector<ScorePage> pages;
    if (bytes.size() > limits.maxPackageBytes) {
        problems.Warn("The score package is larger than " + Mebibytes(limits.maxPackageBytes) + "; it is not read.");
        return pages;
    }
    const Handle handle = OpenScorePackage(bytes, problems);
    if (!handle)
        return pages;

    std::uint64_t kept = 0;
    // The unpacked bytes passed over so far: all the archive gave but the
    // pages kept.
    const auto passed = [&] {
        const la_int64_t unpacked = archive_filter_bytes(handle.get(), 0);
        return unpacked > la_int64_t(kept) ? std::uint64_t(unpacked) - kept : 0;
    };
    archive_entry* entry = nullptr;
    int header = ARCHIVE_OK;
    while (!Stopped(stop) && (header = archive_read_next_header(handle.get(), &entry)) == ARCHIVE_OK) {
        const char* path = archive_entry_pathname(entry);
        const std::string name = path ? path : "";
        const bool sized = archive_entry_size_is_set(entry);
        const la_int64_t declared = archive_entry_size(entry);
        const std::uint64_t size = sized && declared > 0 ? std::uint64_t(declared) : 0;
        // The next header unpacks, and so passes over, the rest of this entry.
        const auto mayPassOver = [&](std::uint64_t rest) {
            if (passed() <= limits.maxSkippedBytes && rest <= limits.maxSkippedBytes - passed())
                return true;
            WarnTooMuchSkipped(problems, name, limits.maxSkippedBytes);
            return false;
        };
        if (!path || archive_entry_filetype(entry) != AE_IFREG || !IsPageImageName(path)) {
            if (!mayPassOver(size))
                break;
            continue;
        }
        if (sized && (declared < 0 || std::uint64_t(declared) > limits.maxEntryBytes)) {
            WarnEntryTooLarge(problems, name, limits.maxEntryBytes);
            if (!mayPassOver(size))
                break;
            continue;
        }
        const std::uint64_t room = std::min(limits.maxEntryBytes, limits.maxPackageBytes - kept);
        if (sized && std::uint64_t(declared) > room) {
            WarnPackageTooLarge(problems, name, limits.maxPackageBytes);
            break;
        }
        if (!mayPassOver(0))
            break;

        ScorePage page;
        page.number = PageNumberFromName(name);
        if (sized)
            page.png.reserve(static_cast<std::size_t>(declared));
        const EntryRead read = ReadEntryData(handle.get(), room, page.png, stop);
        if (read == EntryRead::Stopped)
            break;
        if (read == EntryRead::TooLarge && room < limits.maxEntryBytes) {
            WarnPackageTooLarge(problems, name, limits.maxPackageBytes);
            break;
        }
        const std::uint64_t rest = size > page.png.size() ? size - page.png.size() : 0;
        if (read == EntryRead::TooLarge) {
            WarnEntryTooLarge(problems, name, limits.maxEntryBytes);
            if (!mayPassOver(rest))
                break;
            continue;
        }
        if (read != EntryRead::Whole) {
            problems.Warn("Score page " + name + " could not be read (" + ErrorText(handle.get())
                          + "); it is left out.");
            if (read == EntryRead::Fatal || !mayPassOver(rest))
                break;
            continue;
        }
        if (sized && page.png.size() != std::uint64_t(declared)) {
            problems.Warn("Score page " + name + " ends short of its size; it is left out.");
            continue;
        }
        kept += page.png.size();
        pages.push_back(std::move(page));
    }
    // A header that cannot be read ends the package; the pages so far count.
    if (header != ARCHIVE_OK && header != ARCHIVE_EOF)
        problems.Warn("The score package cannot be read past " + std::to_string(pages.size())
                      + " pages: " + ErrorText(handle.get()));

    std::stable_sort(pages.begin(), pages.end(),
                     [](const ScorePage& a, const ScorePage& b) { return a.number < b.number; });
    return pages;
}

} // namespace

std::vector<ScorePage> ReadScorePackage(std::string_view bytes, const ScorePackageLimits& limits,
                                        const std::atomic<bool>* stop)
{
    return ReadPages(bytes, limits, Problems{}, stop);
}

std::string CheckScorePackage(std::string_view bytes, const ScorePackageLimits& limits)
{
    std::string first;
    ReadPages(bytes, limits, Problems{&first}, nullptr);
    return first;
}

} // namespace vand::show
