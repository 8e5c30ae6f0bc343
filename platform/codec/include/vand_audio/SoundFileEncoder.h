#pragma once

// Encodes interleaved float samples (-1 to 1) into a whole sound file in
// memory with libsndfile, for the demo data and test fixtures.
//
// Threads: no shared state; callable from any thread.

#include <cstddef>
#include <string>

namespace vand_audio {

enum class SoundFileFormat { OggVorbis, Flac, Wav16, WavFloat };

// Throws std::runtime_error when libsndfile cannot write the format or the
// samples. `vorbisQuality` (0 to 1) applies to Ogg Vorbis only.
std::string EncodeSound(const float* samples, std::size_t frames, int sampleRate, int channels, SoundFileFormat format,
                        double vorbisQuality = 0.4);

}  // namespace vand_audio
