#include "vand_audio/DecodeLimits.h"

namespace vand_audio {

DecodeError::DecodeError(DecodeFailure failure, const std::string& reason)
    : std::runtime_error(reason), failure_(failure) {}

void CheckSoundLimits(std::int64_t sampleRate, std::int64_t channels) {
  if (sampleRate < kMinSampleRate || sampleRate > kMaxSampleRate) {
    throw DecodeError(DecodeFailure::NotSupported, "The sample rate " + std::to_string(sampleRate) + " Hz is outside " +
                                                       std::to_string(kMinSampleRate / 1000) + " to " +
                                                       std::to_string(kMaxSampleRate / 1000) + " kHz.");
  }
  if (channels < 1 || channels > kMaxChannels) {
    throw DecodeError(DecodeFailure::NotSupported, "The sound has " + std::to_string(channels) + " channels; 1 to " +
                                                       std::to_string(kMaxChannels) + " are supported.");
  }
}

void CheckPcmSize(std::size_t pcmBytes, std::size_t maxPcmBytes) {
  if (pcmBytes <= maxPcmBytes) return;
  constexpr std::size_t kMegabyte = 1024 * 1024;
  const std::string limit = maxPcmBytes >= kMegabyte ? std::to_string(maxPcmBytes / kMegabyte) + " MB"
                                                     : std::to_string(maxPcmBytes) + " bytes";
  throw DecodeError(DecodeFailure::Resource, "The sound is too long: it decodes to more than " + limit + ".");
}

}  // namespace vand_audio
