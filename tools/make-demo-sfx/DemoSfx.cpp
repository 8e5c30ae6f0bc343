#include "DemoSfx.h"

#include <cmath>
#include <cstdint>
#include <numbers>
#include <stdexcept>

#include "kit/File.h"
#include "vand_audio/SoundFileEncoder.h"

namespace vand::demo {

namespace fs = std::filesystem;

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Deterministic white noise in -1..1.
class Noise {
 public:
  explicit Noise(std::uint32_t seed) : state_(seed) {}
  float Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<float>(state_ >> 8) / static_cast<float>(1u << 23) - 1.0f;
  }

 private:
  std::uint32_t state_;
};

// Decaying partials of a struck bar; `spread` shifts the right channel's
// partials a little for width.
std::vector<float> Struck(const DemoEffect& e, double fundamental, const std::vector<double>& ratios, double decay) {
  const auto frames = static_cast<std::size_t>(e.seconds * e.sampleRate);
  std::vector<float> out(frames * static_cast<std::size_t>(e.channels));
  for (std::size_t f = 0; f < frames; ++f) {
    const double t = static_cast<double>(f) / e.sampleRate;
    const double attack = std::min(1.0, t / 0.003);
    for (int c = 0; c < e.channels; ++c) {
      double v = 0.0;
      for (std::size_t k = 0; k < ratios.size(); ++k) {
        const double hz = fundamental * ratios[k] * (1.0 + 0.002 * c);
        v += std::exp(-t / (decay / (1.0 + k))) * std::sin(kTwoPi * hz * t) / (1.0 + k);
      }
      out[f * static_cast<std::size_t>(e.channels) + static_cast<std::size_t>(c)] =
          static_cast<float>(0.35 * attack * v);
    }
  }
  return out;
}

std::vector<float> Knock(const DemoEffect& e) {
  const auto frames = static_cast<std::size_t>(e.seconds * e.sampleRate);
  std::vector<float> out(frames * static_cast<std::size_t>(e.channels));
  Noise noise(7);
  for (double at : {0.0, 0.22}) {
    const auto start = static_cast<std::size_t>(at * e.sampleRate);
    for (std::size_t f = start; f < frames; ++f) {
      const double t = static_cast<double>(f - start) / e.sampleRate;
      const double body = std::exp(-t / 0.035) * std::sin(kTwoPi * 170.0 * t);
      const double click = std::exp(-t / 0.004) * noise.Next();
      for (int c = 0; c < e.channels; ++c) {
        out[f * static_cast<std::size_t>(e.channels) + static_cast<std::size_t>(c)] +=
            static_cast<float>(0.6 * body + 0.25 * click);
      }
    }
  }
  return out;
}

// Low-passed noise with droplets, each channel its own; the last half second
// is faded into the first so that the loop has no seam.
std::vector<float> Rain(const DemoEffect& e) {
  const auto frames = static_cast<std::size_t>(e.seconds * e.sampleRate);
  const auto overlap = static_cast<std::size_t>(0.5 * e.sampleRate);
  const auto channels = static_cast<std::size_t>(e.channels);
  std::vector<float> long_((frames + overlap) * channels);
  for (std::size_t c = 0; c < channels; ++c) {
    Noise noise(100 + static_cast<std::uint32_t>(c));
    double low = 0.0;
    double drop = 0.0;
    for (std::size_t f = 0; f < frames + overlap; ++f) {
      low += 0.08 * (noise.Next() - low);
      const float chance = noise.Next();
      if (chance > 0.9995f) drop = 0.5;
      drop *= 0.995;
      long_[f * channels + c] = static_cast<float>(0.5 * low + drop * noise.Next() * 0.4);
    }
  }
  std::vector<float> out(long_.begin(), long_.begin() + static_cast<std::ptrdiff_t>(frames * channels));
  for (std::size_t f = 0; f < overlap; ++f) {
    const float in = static_cast<float>(f) / static_cast<float>(overlap);
    for (std::size_t c = 0; c < channels; ++c) {
      out[f * channels + c] = in * out[f * channels + c] + (1.0f - in) * long_[(frames + f) * channels + c];
    }
  }
  return out;
}

std::vector<float> Synthesise(const DemoEffect& e) {
  if (e.id == "bell") return Struck(e, 523.25, {1.0, 2.0, 2.76, 5.4}, 0.9);
  if (e.id == "chime") return Struck(e, 1318.5, {1.0, 1.335, 2.0}, 0.5);
  if (e.id == "knock") return Knock(e);
  return Rain(e);
}

std::string Entries(bool ambient) {
  std::string list;
  for (const DemoEffect& e : DemoEffects()) {
    if (e.ambient != ambient) continue;
    if (!list.empty()) list += ",\n";
    list += "    {\"id\": \"" + e.id + "\", \"name\": \"" + e.name + "\", \"path\": \"" + e.path + "\"}";
  }
  return list;
}

std::size_t Count(bool ambient) {
  std::size_t n = 0;
  for (const DemoEffect& e : DemoEffects()) n += e.ambient == ambient ? 1 : 0;
  return n;
}

}  // namespace

const std::vector<DemoEffect>& DemoEffects() {
  static const std::vector<DemoEffect> effects = {
      {"bell", "Bell", "bell.sfx", false, 44100, 2, 2.5},
      {"knock", "Knock", "knock.sfx", false, 44100, 2, 0.6},
      {"chime", "Chime", "chime.sfx", false, 48000, 1, 1.5},
      {"rain", "Rain", "ambient/rain.sfx", true, 44100, 2, 4.0},
  };
  return effects;
}

fs::path WriteDemoSfx(const fs::path& dataFolder) {
  const fs::path folder = dataFolder / "vand_data" / "sfx";
  for (const DemoEffect& e : DemoEffects()) {
    const fs::path file = folder / e.path;
    fs::create_directories(file.parent_path());
    const std::vector<float> samples = Synthesise(e);
    kit::WriteFileAtomically(
        file, vand_audio::EncodeSound(samples.data(), samples.size() / static_cast<std::size_t>(e.channels),
                                      e.sampleRate, e.channels, vand_audio::SoundFileFormat::OggVorbis));
  }
  const std::string manifest = "{\n  \"metadata\": {\"version\": \"1.1\", \"count\": " + std::to_string(Count(false)) +
                               ", \"ambientCount\": " + std::to_string(Count(true)) + "},\n  \"sfx\": [\n" +
                               Entries(false) + "\n  ],\n  \"ambient\": [\n" + Entries(true) + "\n  ]\n}\n";
  kit::WriteFileAtomically(folder / "manifest.json", manifest);
  return folder;
}

}  // namespace vand::demo
