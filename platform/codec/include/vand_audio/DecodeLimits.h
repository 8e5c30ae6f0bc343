#pragma once

// What the decoders accept. A sound outside these limits is refused with
// DecodeError before any of its PCM is kept.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vand_audio {

inline constexpr std::uint32_t kMinSampleRate = 8000;
inline constexpr std::uint32_t kMaxSampleRate = 192000;
inline constexpr std::uint16_t kMaxChannels = 8;
// About 30 minutes of 48 kHz stereo 16-bit PCM.
inline constexpr std::size_t kMaxPcmBytes = std::size_t{30} * 60 * 48000 * 2 * 2;

// Why a sound cannot be decoded.
enum class DecodeFailure {
  Resource,      // missing, unreadable or too long
  Format,        // not a sound file this decoder knows, or damaged
  AccessDenied,  // no permission to read it
  NotSupported,  // a known format with an encoding, rate or channel count we do not play
};

class DecodeError : public std::runtime_error {
 public:
  DecodeError(DecodeFailure failure, const std::string& reason);
  DecodeFailure Failure() const noexcept { return failure_; }

 private:
  DecodeFailure failure_;
};

// Throws DecodeError (NotSupported) naming the limit a rate or channel count
// breaks.
void CheckSoundLimits(std::int64_t sampleRate, std::int64_t channels);

// Throws DecodeError (Resource) when `pcmBytes` exceed `maxPcmBytes`.
void CheckPcmSize(std::size_t pcmBytes, std::size_t maxPcmBytes);

}  // namespace vand_audio
