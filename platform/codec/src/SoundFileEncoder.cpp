#include "vand_audio/SoundFileEncoder.h"

#include <sndfile.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vand_audio {

namespace {

// A file in memory for libsndfile's virtual I/O: encoders seek back to fix
// their headers, so the whole file is built before anyone sees it.
struct MemoryFile {
  std::string bytes;
  sf_count_t pos = 0;

  static MemoryFile& Of(void* user) { return *static_cast<MemoryFile*>(user); }
  static sf_count_t Length(void* user) { return static_cast<sf_count_t>(Of(user).bytes.size()); }
  static sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    MemoryFile& f = Of(user);
    const sf_count_t base = whence == SEEK_CUR ? f.pos : whence == SEEK_END ? Length(user) : 0;
    if (base + offset < 0) return -1;
    f.pos = base + offset;
    return f.pos;
  }
  static sf_count_t Read(void* ptr, sf_count_t count, void* user) {
    MemoryFile& f = Of(user);
    const sf_count_t n = std::clamp<sf_count_t>(Length(user) - f.pos, 0, count);
    if (n > 0) std::memcpy(ptr, f.bytes.data() + f.pos, static_cast<std::size_t>(n));
    f.pos += n;
    return n;
  }
  static sf_count_t Write(const void* ptr, sf_count_t count, void* user) {
    MemoryFile& f = Of(user);
    const auto end = static_cast<std::size_t>(f.pos + count);
    if (f.bytes.size() < end) f.bytes.resize(end);
    std::memcpy(f.bytes.data() + f.pos, ptr, static_cast<std::size_t>(count));
    f.pos += count;
    return count;
  }
  static sf_count_t Tell(void* user) { return Of(user).pos; }
};

}  // namespace

std::string EncodeSound(const float* samples, std::size_t frames, int sampleRate, int channels, SoundFileFormat format,
                        double vorbisQuality) {
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = channels;
  switch (format) {
    case SoundFileFormat::OggVorbis: info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS; break;
    case SoundFileFormat::Flac: info.format = SF_FORMAT_FLAC | SF_FORMAT_PCM_16; break;
    case SoundFileFormat::Wav16: info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16; break;
    case SoundFileFormat::WavFloat: info.format = SF_FORMAT_WAV | SF_FORMAT_FLOAT; break;
  }
  if (!sf_format_check(&info)) throw std::runtime_error("libsndfile cannot write this sound format");
  SF_VIRTUAL_IO io{&MemoryFile::Length, &MemoryFile::Seek, &MemoryFile::Read, &MemoryFile::Write, &MemoryFile::Tell};
  MemoryFile encoded;
  SNDFILE* sf = sf_open_virtual(&io, SFM_WRITE, &info, &encoded);
  if (sf == nullptr) throw std::runtime_error(std::string("cannot encode the sound: ") + sf_strerror(nullptr));
  if (format == SoundFileFormat::OggVorbis) {
    sf_command(sf, SFC_SET_VBR_ENCODING_QUALITY, &vorbisQuality, sizeof(vorbisQuality));
  }
  // In blocks: libsndfile hands a whole write to libvorbis at once, whose
  // analysis of minutes of audio in one call overflows the stack.
  constexpr std::size_t kBlockFrames = 16384;
  sf_count_t written = 0;
  for (std::size_t at = 0; at < frames; at += kBlockFrames) {
    const std::size_t count = std::min(kBlockFrames, frames - at);
    const sf_count_t done =
        sf_writef_float(sf, samples + at * static_cast<std::size_t>(channels), static_cast<sf_count_t>(count));
    written += done;
    if (done != static_cast<sf_count_t>(count)) break;
  }
  const int closed = sf_close(sf);
  if (written != static_cast<sf_count_t>(frames) || closed != 0) {
    throw std::runtime_error("cannot encode the sound");
  }
  return std::move(encoded.bytes);
}

}  // namespace vand_audio
