#pragma once

// Score packages for the tests: pages whose bytes name them, and the places
// in a plain tar where an entry's header and data lie, to cut or falsify.

#include <cstdio>
#include <string>
#include <vector>

#include "TarWriter.h"

namespace score_test {

using vand::tools::TarEntry;
using vand::tools::TarFilter;
using vand::tools::WriteTar;

// The bytes a test page holds: its name and a filler that makes each page
// of its own length.
inline std::string PageBytes(const std::string& name)
{
    std::string bytes = "\x89PNG fake page " + name + " ";
    bytes.append(200 + 37 * name.size(), char('a' + name.size() % 26));
    return bytes;
}

inline std::vector<TarEntry> Pages(const std::vector<std::string>& names)
{
    std::vector<TarEntry> entries;
    for (const auto& name : names)
        entries.push_back({name, PageBytes(name)});
    return entries;
}

// Offset of an entry's data in a plain tar: each header is one 512-byte
// block and data is padded to whole blocks.
inline std::size_t DataOffset(const std::vector<TarEntry>& entries, std::size_t index)
{
    std::size_t offset = 0;
    for (std::size_t i = 0; i < index; ++i)
        offset += 512 + (entries[i].data.size() + 511) / 512 * 512;
    return offset + 512;
}

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
