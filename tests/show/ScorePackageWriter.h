#pragma once

// Writes score packages for the tests with libarchive's write API: tar
// entries under any name, type and size, plain or compressed.

#include <archive.h>
#include <archive_entry.h>

#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

namespace score_test {

struct Entry
{
    std::string name;
    std::string data;
    int type = AE_IFREG;
};

enum class Compression { None, Gzip, Xz };

// The bytes a test page holds: its name and a filler that makes each page
// of its own length.
inline std::string PageBytes(const std::string& name)
{
    std::string bytes = "\x89PNG fake page " + name + " ";
    bytes.append(200 + 37 * name.size(), char('a' + name.size() % 26));
    return bytes;
}

inline std::vector<Entry> Pages(const std::vector<std::string>& names)
{
    std::vector<Entry> entries;
    for (const auto& name : names)
        entries.push_back({name, PageBytes(name)});
    return entries;
}

inline std::string WriteTar(const std::vector<Entry>& entries, Compression compression = Compression::None)
{
    std::string out;
    archive* a = archive_write_new();
    archive_write_set_format_ustar(a);
    // No padding after the end: the tests cut and measure the bytes.
    archive_write_set_bytes_in_last_block(a, 1);
    if (compression == Compression::Gzip)
        archive_write_add_filter_gzip(a);
    else if (compression == Compression::Xz)
        archive_write_add_filter_xz(a);
    auto append = [](archive*, void* user, const void* data, size_t size) -> la_ssize_t {
        static_cast<std::string*>(user)->append(static_cast<const char*>(data), size);
        return static_cast<la_ssize_t>(size);
    };
    if (archive_write_open(a, &out, nullptr, append, nullptr) != ARCHIVE_OK)
        throw std::runtime_error(archive_error_string(a));
    for (const Entry& e : entries) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.name.c_str());
        archive_entry_set_filetype(entry, static_cast<unsigned>(e.type));
        archive_entry_set_perm(entry, 0644);
        if (e.type == AE_IFLNK)
            archive_entry_set_symlink(entry, "target.png");
        archive_entry_set_size(entry, e.type == AE_IFREG ? la_int64_t(e.data.size()) : 0);
        bool ok = archive_write_header(a, entry) == ARCHIVE_OK;
        if (ok && e.type == AE_IFREG)
            ok = archive_write_data(a, e.data.data(), e.data.size()) == la_ssize_t(e.data.size());
        archive_entry_free(entry);
        if (!ok)
            throw std::runtime_error(archive_error_string(a));
    }
    archive_write_close(a);
    archive_write_free(a);
    return out;
}

// Offset of an entry's data in a plain tar written by WriteTar: each header
// is one 512-byte block and data is padded to whole blocks.
inline std::size_t DataOffset(const std::vector<Entry>& entries, std::size_t index)
{
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += 512 + (entries[i].data.size() + 511) / 512 * 512;
    return offset + 512;
}

} // namespace score_test

namespace score_test {

// Rewrites the size field of the header block at offset (and its checksum)
// to declare size bytes of data.
inline void SetDeclaredSize(std::string& tar, std::size_t headerOffset, unsigned long long size)
{
    char field[13];
    std::snprintf(field, sizeof(field), "%011llo", size);
    tar.replace(headerOffset + 124, 12, std::string(field, 11) + '\0');
    tar.replace(headerOffset + 148, 8, std::string(8, ' '));
    unsigned sum = 0;
    for (std::size_t i = 0; i < 512; ++i)
        sum += static_cast<unsigned char>(tar[headerOffset + i]);
    char checksum[9];
    std::snprintf(checksum, sizeof(checksum), "%06o", sum);
    tar.replace(headerOffset + 148, 8, std::string(checksum, 6) + '\0' + ' ');
}

} // namespace score_test
