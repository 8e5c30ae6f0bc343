#include "vand_audio/SoundFileDecoder.h"

#include "MemoryCursor.h"
#include "vand_audio/OggVorbisDecoder.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

namespace vand_audio {

namespace {

using detail::MemoryCursor;

sf_count_t MemoryLength(void* user) { return static_cast<MemoryCursor*>(user)->size; }

sf_count_t MemorySeek(sf_count_t offset, int whence, void* user) {
  auto* m = static_cast<MemoryCursor*>(user);
  return m->Seek(offset, whence) ? m->position : -1;
}

sf_count_t MemoryRead(void* out, sf_count_t count, void* user) {
  return static_cast<MemoryCursor*>(user)->Read(out, count);
}

sf_count_t MemoryWrite(const void*, sf_count_t, void*) { return 0; }

sf_count_t MemoryTell(void* user) { return static_cast<MemoryCursor*>(user)->position; }

// libsndfile's text of an error, without its closing full stop.
std::string ErrorText(int sndfileError) {
  std::string text = sf_error_number(sndfileError);
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  return text;
}

[[noreturn]] void ThrowOpenFailure(int sndfileError) {
  const std::string reason = ErrorText(sndfileError);
  switch (sndfileError) {
    case SF_ERR_UNSUPPORTED_ENCODING:
      throw DecodeError(DecodeFailure::NotSupported, "The sound file's encoding is not supported: " + reason + ".");
    case SF_ERR_SYSTEM: throw DecodeError(DecodeFailure::Resource, "The sound file cannot be read: " + reason + ".");
    default: throw DecodeError(DecodeFailure::Format, "This is not a sound file that can be played: " + reason + ".");
  }
}

// Ogg data goes to OggVorbisDecoder unless its first packet opens an Opus or
// FLAC stream: it checks Vorbis data as strictly as the packaged effects',
// and libsndfile's Vorbis reader leaks memory on damaged files.
bool IsOggVorbis(const unsigned char* data, std::size_t size) {
  if (size < 4 || std::memcmp(data, "OggS", 4) != 0) return false;
  if (size < 27) return true;
  const std::size_t packet = 27 + std::size_t{data[26]};
  auto opens = [&](const char* magic, std::size_t length) {
    return size >= packet + length && std::memcmp(data + packet, magic, length) == 0;
  };
  return !opens("OpusHead", 8) && !opens(
                                      "\x7f"
                                      "FLAC",
                                      5);
}

}  // namespace

struct SoundFileDecoder::State {
  MemoryCursor memory;
  SF_VIRTUAL_IO io{MemoryLength, MemorySeek, MemoryRead, MemoryWrite, MemoryTell};
  SF_INFO info{};
  SNDFILE* file = nullptr;
  // Ogg Vorbis instead of libsndfile, over `owned` or the caller's bytes.
  std::string owned;
  std::unique_ptr<OggVorbisDecoder> vorbis;
  // Float PCM: read as float and scaled here (libsndfile would hand its
  // 16-bit values out unscaled or normalised to the file's peak).
  bool floatData = false;
  std::vector<float> scratch;
  ~State() {
    if (file != nullptr) sf_close(file);
  }
};

SoundFileDecoder::SoundFileDecoder(const std::filesystem::path& path, std::size_t maxPcmBytes)
    : state_(std::make_unique<State>()), maxPcmBytes_(maxPcmBytes) {
  // Not blocking: a named pipe must not stall the open.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    const std::string reason = std::strerror(err);
    if (err == EACCES || err == EPERM) {
      throw DecodeError(DecodeFailure::AccessDenied, "The sound file may not be read: " + reason + ".");
    }
    throw DecodeError(DecodeFailure::Resource, "The sound file cannot be opened: " + reason + ".");
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    throw DecodeError(DecodeFailure::Resource, "The sound file is not a regular file.");
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  unsigned char head[64];
  const ssize_t headBytes = ::pread(fd, head, sizeof head, 0);
  if (headBytes > 0 && IsOggVorbis(head, static_cast<std::size_t>(headBytes))) {
    ReadOggVorbis_(fd, static_cast<std::uintmax_t>(st.st_size));
    return;
  }
  state_->file = sf_open_fd(fd, SFM_READ, &state_->info, SF_TRUE);
  if (state_->file == nullptr) ThrowOpenFailure(sf_error(nullptr));
  Check_();
}

SoundFileDecoder::SoundFileDecoder(const unsigned char* data, std::size_t size, std::size_t maxPcmBytes)
    : state_(std::make_unique<State>()), maxPcmBytes_(maxPcmBytes) {
  if (data == nullptr || size > static_cast<std::size_t>(std::numeric_limits<sf_count_t>::max())) {
    ThrowOpenFailure(SF_ERR_UNRECOGNISED_FORMAT);
  }
  if (IsOggVorbis(data, size)) {
    OpenOggVorbis_(data, size);
    return;
  }
  state_->memory = MemoryCursor{data, static_cast<std::int64_t>(size)};
  state_->file = sf_open_virtual(&state_->io, SFM_READ, &state_->info, &state_->memory);
  if (state_->file == nullptr) ThrowOpenFailure(sf_error(nullptr));
  Check_();
}

SoundFileDecoder::~SoundFileDecoder() = default;

void SoundFileDecoder::ReadOggVorbis_(int fd, std::uintmax_t size) {
  struct Closer {
    int fd;
    ~Closer() { ::close(fd); }
  } closer{fd};
  if (size > maxPcmBytes_) CheckPcmSize(size, maxPcmBytes_);
  state_->owned.resize(static_cast<std::size_t>(size));
  std::size_t got = 0;
  while (got < state_->owned.size()) {
    const ssize_t n = ::pread(fd, state_->owned.data() + got, state_->owned.size() - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw DecodeError(DecodeFailure::Resource, "The sound file cannot be read whole.");
    got += static_cast<std::size_t>(n);
  }
  OpenOggVorbis_(reinterpret_cast<const unsigned char*>(state_->owned.data()), state_->owned.size());
}

void SoundFileDecoder::OpenOggVorbis_(const unsigned char* data, std::size_t size) {
  state_->vorbis = std::make_unique<OggVorbisDecoder>(data, static_cast<std::int64_t>(size), maxPcmBytes_);
  sampleRate_ = state_->vorbis->SampleRate();
  channels_ = state_->vorbis->Channels();
}

void SoundFileDecoder::Check_() {
  CheckSoundLimits(state_->info.samplerate, state_->info.channels);
  sampleRate_ = static_cast<std::uint32_t>(state_->info.samplerate);
  channels_ = static_cast<std::uint16_t>(state_->info.channels);
  const int subtype = state_->info.format & SF_FORMAT_SUBMASK;
  state_->floatData = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
}

std::size_t SoundFileDecoder::Read(std::int16_t* out, std::size_t maxFrames) {
  if (maxFrames == 0) return 0;
  if (state_->vorbis) return state_->vorbis->Read(out, maxFrames);
  const sf_count_t want = static_cast<sf_count_t>(std::min<std::size_t>(maxFrames, 1u << 20));
  sf_count_t got = 0;
  if (state_->floatData) {
    state_->scratch.resize(static_cast<std::size_t>(want) * channels_);
    got = sf_readf_float(state_->file, state_->scratch.data(), want);
    for (sf_count_t i = 0; i < std::max<sf_count_t>(got, 0) * channels_; ++i) {
      const float v = state_->scratch[static_cast<std::size_t>(i)] * 32767.0f;
      out[i] = std::isnan(v) ? 0 : static_cast<std::int16_t>(std::lrintf(std::clamp(v, -32768.0f, 32767.0f)));
    }
  } else {
    got = sf_readf_short(state_->file, out, want);
  }
  if (got < 0) ThrowOpenFailure(SF_ERR_MALFORMED_FILE);
  if (got == 0) {
    const int error = sf_error(state_->file);
    if (error != SF_ERR_NO_ERROR) {
      throw DecodeError(DecodeFailure::Format, "The sound file is damaged: " + ErrorText(error) + ".");
    }
    return 0;
  }
  pcmBytes_ += static_cast<std::size_t>(got) * channels_ * sizeof(std::int16_t);
  CheckPcmSize(pcmBytes_, maxPcmBytes_);
  return static_cast<std::size_t>(got);
}

}  // namespace vand_audio
