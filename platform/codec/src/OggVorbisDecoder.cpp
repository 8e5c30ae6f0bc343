#include "vand_audio/OggVorbisDecoder.h"

#include <ogg/ogg.h>
#include <vorbis/vorbisfile.h>

#include "MemoryCursor.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <string>

namespace vand_audio {

namespace {

[[noreturn]] void NotVorbis() { throw DecodeError(DecodeFailure::Format, "This is not Ogg Vorbis data."); }
[[noreturn]] void Damaged(const std::string& what) {
  throw DecodeError(DecodeFailure::Format, "The Ogg Vorbis data is damaged: " + what + ".");
}
[[noreturn]] void Truncated() { throw DecodeError(DecodeFailure::Format, "The Ogg Vorbis data is truncated."); }

// Every byte belongs to an Ogg page whose checksum holds, every page belongs
// to a logical stream between its first and its last page, and every stream
// ends with its end-of-stream page. Throws otherwise.
void CheckPages(const unsigned char* data, std::int64_t size) {
  if (size < 4 || std::memcmp(data, "OggS", 4) != 0) NotVorbis();
  ogg_sync_state sync;
  ogg_sync_init(&sync);
  struct Clear {
    ogg_sync_state* s;
    ~Clear() { ogg_sync_clear(s); }
  } clear{&sync};

  constexpr std::int64_t kChunk = 64 * 1024;
  std::set<int> open;
  bool anyPage = false;
  std::int64_t fed = 0;
  while (fed < size) {
    const std::int64_t n = std::min(kChunk, size - fed);
    char* buffer = ogg_sync_buffer(&sync, static_cast<long>(n));
    if (buffer == nullptr) Damaged("out of memory while reading its pages");
    std::memcpy(buffer, data + fed, static_cast<std::size_t>(n));
    ogg_sync_wrote(&sync, static_cast<long>(n));
    fed += n;
    ogg_page page;
    long result;
    while ((result = ogg_sync_pageseek(&sync, &page)) != 0) {
      if (result < 0) Damaged("bytes outside any valid page");
      anyPage = true;
      const int serial = ogg_page_serialno(&page);
      if (ogg_page_bos(&page)) {
        if (!open.insert(serial).second) Damaged("a stream starts twice");
      } else if (open.count(serial) == 0) {
        Damaged("a page outside its stream");
      }
      if (ogg_page_eos(&page)) open.erase(serial);
    }
  }
  if (!anyPage || sync.fill > sync.returned || !open.empty()) Truncated();
}

using detail::MemoryCursor;

std::size_t ReadMemory(void* out, std::size_t size, std::size_t count, void* source) {
  if (size == 0) return 0;
  auto* m = static_cast<MemoryCursor*>(source);
  const std::int64_t items = std::min<std::int64_t>(static_cast<std::int64_t>(count),
                                                    (m->size - m->position) / static_cast<std::int64_t>(size));
  if (items <= 0) return 0;
  return static_cast<std::size_t>(m->Read(out, items * static_cast<std::int64_t>(size))) / size;
}

int SeekMemory(void* source, ogg_int64_t offset, int whence) {
  return static_cast<MemoryCursor*>(source)->Seek(offset, whence) ? 0 : -1;
}

long TellMemory(void* source) { return static_cast<long>(static_cast<MemoryCursor*>(source)->position); }

}  // namespace

struct OggVorbisDecoder::State {
  MemoryCursor memory;
  OggVorbis_File file{};
  bool opened = false;
  ~State() {
    if (opened) ov_clear(&file);
  }
};

OggVorbisDecoder::OggVorbisDecoder(const unsigned char* data, std::int64_t size, std::size_t maxPcmBytes)
    : state_(std::make_unique<State>()), maxPcmBytes_(maxPcmBytes) {
  if (data == nullptr || size <= 0) NotVorbis();
  CheckPages(data, size);
  state_->memory = MemoryCursor{data, size};
  const ov_callbacks callbacks{ReadMemory, SeekMemory, nullptr, TellMemory};
  const int result = ov_open_callbacks(&state_->memory, &state_->file, nullptr, 0, callbacks);
  if (result < 0) {
    switch (result) {
      case OV_ENOTVORBIS: NotVorbis();
      case OV_EVERSION: throw DecodeError(DecodeFailure::NotSupported, "The Vorbis version is not supported.");
      case OV_EREAD: Truncated();
      default: Damaged("its Vorbis headers cannot be read");
    }
  }
  state_->opened = true;

  const long links = ov_streams(&state_->file);
  const vorbis_info* first = ov_info(&state_->file, 0);
  if (links < 1 || first == nullptr) Damaged("it holds no Vorbis stream");
  for (long link = 1; link < links; ++link) {
    const vorbis_info* info = ov_info(&state_->file, static_cast<int>(link));
    if (info == nullptr || info->rate != first->rate || info->channels != first->channels) {
      throw DecodeError(DecodeFailure::NotSupported, "The Ogg Vorbis data changes its rate or channels midway.");
    }
  }
  CheckSoundLimits(first->rate, first->channels);
  sampleRate_ = static_cast<std::uint32_t>(first->rate);
  channels_ = static_cast<std::uint16_t>(first->channels);
}

OggVorbisDecoder::~OggVorbisDecoder() = default;

std::vector<unsigned char> OggVorbisDecoder::Decode() {
  constexpr std::size_t kFrames = 4096;
  std::vector<unsigned char> pcm;
  for (;;) {
    const std::size_t at = pcm.size();
    pcm.resize(at + kFrames * channels_ * sizeof(std::int16_t));
    const std::size_t frames = Read(reinterpret_cast<std::int16_t*>(pcm.data() + at), kFrames);
    pcm.resize(at + frames * channels_ * sizeof(std::int16_t));
    if (frames == 0) return pcm;
  }
}

std::size_t OggVorbisDecoder::Read(std::int16_t* out, std::size_t maxFrames) {
  const std::size_t frameBytes = std::size_t{channels_} * sizeof(std::int16_t);
  const std::size_t wanted = maxFrames * frameBytes;
  std::size_t got = 0;
  char* bytes = reinterpret_cast<char*>(out);
  while (got < wanted) {
    int link = 0;
    const int ask = static_cast<int>(std::min<std::size_t>(wanted - got, 1 << 20));
    const long n = ov_read(&state_->file, bytes + got, ask, 0, 2, 1, &link);
    if (n < 0) Damaged(n == OV_HOLE ? "its audio data is interrupted" : "its audio data cannot be decoded");
    if (n == 0) break;
    got += static_cast<std::size_t>(n);
  }
  pcmBytes_ += got;
  CheckPcmSize(pcmBytes_, maxPcmBytes_);
  return got / frameBytes;
}

}  // namespace vand_audio
