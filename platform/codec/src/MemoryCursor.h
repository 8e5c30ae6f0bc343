#pragma once

// A read position over bytes held by the caller, for the decoders' I/O
// callbacks (library-internal).

#include <stdio.h>  // SEEK_SET, SEEK_CUR, SEEK_END

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace vand_audio::detail {

struct MemoryCursor {
  const unsigned char* data = nullptr;
  std::int64_t size = 0;
  std::int64_t position = 0;

  // False, position unchanged, for a target before the start or past the end.
  bool Seek(std::int64_t offset, int whence) {
    std::int64_t base = 0;
    switch (whence) {
      case SEEK_SET: base = 0; break;
      case SEEK_CUR: base = position; break;
      case SEEK_END: base = size; break;
      default: return false;
    }
    if ((offset > 0 && base > size - offset) || base + offset < 0) return false;
    position = base + offset;
    return true;
  }

  // Copies up to `bytes` bytes and moves past them; how many it copied.
  std::int64_t Read(void* out, std::int64_t bytes) {
    const std::int64_t n = std::clamp<std::int64_t>(size - position, 0, std::max<std::int64_t>(bytes, 0));
    if (n > 0) std::memcpy(out, data + position, static_cast<std::size_t>(n));
    position += n;
    return n;
  }
};

}  // namespace vand_audio::detail
