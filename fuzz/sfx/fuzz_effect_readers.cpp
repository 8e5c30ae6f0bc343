// Feeds arbitrary bytes to both effect-file decoders: the Ogg Vorbis decoder
// of the packaged effects and the sound-file decoder of user files (libsndfile
// over memory). Either refuses the bytes with DecodeError, or decodes within
// the limits: a rate and channel count the player takes, whole frames, never
// more PCM than the cap, and the same PCM on a second decode.
//
// Ogg data is fuzzed through the Ogg Vorbis decoder only: the sound-file
// decoder hands Ogg Vorbis to that same decoder, and Ogg Opus and FLAC to
// libsndfile, whose Ogg reader (1.2.0) leaks memory on damaged files.
//
// With an empty first corpus folder the target first writes its seeds there:
// generated files and files damaged the ways the decoders must refuse.
// -close_fd_mask=2 silences libmpg123, which reports every bad MPEG frame on
// standard error (libFuzzer still reports what it finds).
//   build-fuzz/fuzz/sfx/fuzz_effect_readers -max_total_time=60 -close_fd_mask=2 /tmp/effect-corpus

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "AudioFixtures.h"
#include "vand_audio/OggVorbisDecoder.h"
#include "vand_audio/SoundFileDecoder.h"

namespace {

namespace fs = std::filesystem;
namespace fixtures = vand_audio::fixtures;
using vand_audio::SoundFileFormat;

// Small enough to keep each run quick; large enough for every seed.
constexpr std::size_t kCap = 4 * 1024 * 1024;

void Check(bool ok) {
  if (!ok) std::abort();
}

void CheckLimits(std::uint32_t rate, std::uint16_t channels) {
  Check(rate >= vand_audio::kMinSampleRate && rate <= vand_audio::kMaxSampleRate);
  Check(channels >= 1 && channels <= vand_audio::kMaxChannels);
}

std::vector<unsigned char> DecodeOgg(const std::uint8_t* data, std::size_t size) {
  vand_audio::OggVorbisDecoder decoder(data, static_cast<std::int64_t>(size), kCap);
  CheckLimits(decoder.SampleRate(), decoder.Channels());
  std::vector<unsigned char> pcm = decoder.Decode();
  Check(pcm.size() <= kCap);
  Check(pcm.size() % (2u * decoder.Channels()) == 0);
  return pcm;
}

std::vector<std::int16_t> DecodeSoundFile(const std::uint8_t* data, std::size_t size) {
  vand_audio::SoundFileDecoder decoder(data, size, kCap);
  CheckLimits(decoder.SampleRate(), decoder.Channels());
  std::vector<std::int16_t> all;
  std::vector<std::int16_t> chunk(4096u * decoder.Channels());
  while (const std::size_t frames = decoder.Read(chunk.data(), 4096)) {
    Check(frames <= 4096);
    all.insert(all.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(frames * decoder.Channels()));
  }
  Check(all.size() * 2 <= kCap);
  return all;
}

void WriteSeeds(const fs::path& folder) {
  const std::string stereo = fixtures::Sine(SoundFileFormat::OggVorbis, 44100, 2, 0.3);
  const std::vector<std::pair<std::string, std::string>> seeds = {
      {"stereo.ogg", stereo},
      {"mono48k.ogg", fixtures::Sine(SoundFileFormat::OggVorbis, 48000, 1, 0.2)},
      {"truncated.ogg", fixtures::Truncated(stereo, stereo.size() / 2)},
      {"rate0.ogg", fixtures::WithIdentification(stereo, 2, 0)},
      {"rate10MHz.ogg", fixtures::WithIdentification(stereo, 2, 10'000'000)},
      {"channels255.ogg", fixtures::WithIdentification(stereo, 255, 44100)},
      {"hugecomment.ogg", fixtures::WithCommentClaim(stereo, 0x7fffffffu)},
      {"chained.ogg", stereo + fixtures::Sine(SoundFileFormat::OggVorbis, 22050, 1, 0.1)},
      {"pcm16.wav", fixtures::Sine(SoundFileFormat::Wav16, 22050, 2, 0.1)},
      {"float.wav", fixtures::Sine(SoundFileFormat::WavFloat, 8000, 1, 0.1)},
      {"mono.flac", fixtures::Sine(SoundFileFormat::Flac, 16000, 1, 0.1)},
  };
  for (const auto& [name, bytes] : seeds) std::ofstream(folder / name, std::ios::binary) << bytes;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  for (int i = 1; i < *argc; ++i) {
    const char* arg = (*argv)[i];
    if (arg[0] == '-') continue;
    std::error_code ec;
    if (fs::is_directory(arg, ec) && fs::is_empty(arg, ec)) WriteSeeds(arg);
    break;
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    const std::vector<unsigned char> pcm = DecodeOgg(data, size);
    Check(DecodeOgg(data, size) == pcm);
  } catch (const vand_audio::DecodeError&) {
  }
  if (size >= 4 && std::memcmp(data, "OggS", 4) == 0) return 0;
  try {
    const std::vector<std::int16_t> pcm = DecodeSoundFile(data, size);
    Check(DecodeSoundFile(data, size) == pcm);
  } catch (const vand_audio::DecodeError&) {
  }
  return 0;
}
