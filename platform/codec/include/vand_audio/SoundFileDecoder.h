#pragma once

// Decodes a sound file of any format libsndfile reads (WAV, AIFF, FLAC, Ogg,
// MP3, ...) into interleaved signed 16-bit PCM, from a file or from memory.
// Float data is scaled to the 16-bit range. Ogg Vorbis goes through
// OggVorbisDecoder, with its checks (damaged or truncated data is refused).
//
// Threads: a decoder may be opened on one thread and read on another, one
// thread at a time.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>

#include "vand_audio/DecodeLimits.h"

namespace vand_audio {

class SoundFileDecoder {
 public:
  // Opens the file and reads its header. Throws DecodeError: Resource when it
  // is missing or not a regular file, AccessDenied when it may not be read,
  // Format when libsndfile does not know it or it is malformed, NotSupported
  // for an encoding libsndfile cannot read or a rate or channel count outside
  // the limits.
  explicit SoundFileDecoder(const std::filesystem::path& file, std::size_t maxPcmBytes = kMaxPcmBytes);
  // The same over `size` bytes at `data`, which must outlive the decoder.
  SoundFileDecoder(const unsigned char* data, std::size_t size, std::size_t maxPcmBytes = kMaxPcmBytes);
  ~SoundFileDecoder();
  SoundFileDecoder(const SoundFileDecoder&) = delete;
  SoundFileDecoder& operator=(const SoundFileDecoder&) = delete;

  std::uint32_t SampleRate() const { return sampleRate_; }
  std::uint16_t Channels() const { return channels_; }

  // Decodes up to `maxFrames` frames into `out` (room for maxFrames x
  // Channels() samples) and returns how many it decoded; 0 at the end. Throws
  // DecodeError when the data cannot be read or the PCM decoded so far passes
  // maxPcmBytes.
  std::size_t Read(std::int16_t* out, std::size_t maxFrames);

 private:
  struct State;
  void Check_();
  void ReadOggVorbis_(int fd, std::uintmax_t size);
  void OpenOggVorbis_(const unsigned char* data, std::size_t size);

  std::unique_ptr<State> state_;
  std::uint32_t sampleRate_ = 0;
  std::uint16_t channels_ = 0;
  std::size_t maxPcmBytes_;
  std::size_t pcmBytes_ = 0;
};

}  // namespace vand_audio
