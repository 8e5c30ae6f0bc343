#pragma once

// Decodes one whole Ogg Vorbis file held in memory into interleaved signed
// 16-bit little-endian PCM.
//
// Threads: one decoder is used by one thread at a time; decoders on different
// threads are independent. Nothing blocks but the decoding itself.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vand_audio/DecodeLimits.h"

namespace vand_audio {

class OggVorbisDecoder {
 public:
  // Reads the headers of `size` bytes at `data`, which must stay alive and
  // unchanged while the decoder lives. Throws DecodeError (a
  // std::runtime_error) with the reason: not Ogg Vorbis data, damaged or
  // truncated, a format that changes between chained streams, a rate outside
  // kMinSampleRate..kMaxSampleRate or a channel count outside 1..kMaxChannels.
  OggVorbisDecoder(const unsigned char* data, std::int64_t size, std::size_t maxPcmBytes = kMaxPcmBytes);
  ~OggVorbisDecoder();
  OggVorbisDecoder(const OggVorbisDecoder&) = delete;
  OggVorbisDecoder& operator=(const OggVorbisDecoder&) = delete;

  // The whole sound. The buffer grows as frames decode, whatever the headers
  // claim; a sound whose PCM would pass maxPcmBytes, or damaged audio data,
  // throws DecodeError. Call once, instead of Read.
  std::vector<unsigned char> Decode();

  // The next frames, up to `maxFrames` into `out` (room for maxFrames x
  // Channels() samples); 0 at the end. Throws as Decode.
  std::size_t Read(std::int16_t* out, std::size_t maxFrames);

  std::uint32_t SampleRate() const { return sampleRate_; }
  std::uint16_t Channels() const { return channels_; }

 private:
  struct State;
  std::unique_ptr<State> state_;
  std::uint32_t sampleRate_ = 0;
  std::uint16_t channels_ = 0;
  std::size_t maxPcmBytes_;
  std::size_t pcmBytes_ = 0;
};

}  // namespace vand_audio
