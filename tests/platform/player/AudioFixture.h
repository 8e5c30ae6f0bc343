#pragma once

// Songs whose audio is a known signal, and measures of rendered sound.

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <vector>

#include <sndfile.h>

namespace player_test {

// The rate the test shows play at (48 frames a tick at normal speed).
inline constexpr int kRate = 48000;

// Writes a 16-bit WAV file of `seconds` at `rate`: sample = signal(time in s, channel).
inline void WriteSignal(const std::filesystem::path& file, double seconds,
                        const std::function<double(double, int)>& signal, int rate = kRate, int channels = 1) {
  SF_INFO info{};
  info.samplerate = rate;
  info.channels = channels;
  info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* sf = sf_open(file.c_str(), SFM_WRITE, &info);
  if (!sf) throw std::runtime_error("cannot write " + file.string());
  const auto frames = static_cast<std::int64_t>(seconds * rate);
  std::vector<float> buffer(static_cast<std::size_t>(frames * channels));
  for (std::int64_t i = 0; i < frames; ++i) {
    for (int c = 0; c < channels; ++c) buffer[i * channels + c] = static_cast<float>(signal(double(i) / rate, c));
  }
  sf_writef_float(sf, buffer.data(), frames);
  sf_close(sf);
}

inline std::function<double(double, int)> Tone(double hz, double amplitude = 0.5) {
  return [=](double t, int) { return amplitude * std::sin(2.0 * std::numbers::pi * hz * t); };
}

// One channel of interleaved stereo, frames [from, to) (clamped).
inline std::vector<float> Channel(const std::vector<float>& stereo, int channel, std::int64_t from = 0,
                                  std::int64_t to = -1) {
  const auto frames = static_cast<std::int64_t>(stereo.size() / 2);
  if (to < 0 || to > frames) to = frames;
  from = std::max<std::int64_t>(0, from);
  std::vector<float> out;
  for (std::int64_t i = from; i < to; ++i) out.push_back(stereo[static_cast<std::size_t>(2 * i + channel)]);
  return out;
}

inline double Rms(const std::vector<float>& s) {
  double sum = 0.0;
  for (float x : s) sum += double(x) * x;
  return s.empty() ? 0.0 : std::sqrt(sum / double(s.size()));
}

// Largest difference between neighbouring samples: a click shows as a big step.
inline double MaxStep(const std::vector<float>& s) {
  double step = 0.0;
  for (std::size_t i = 1; i < s.size(); ++i) step = std::max(step, std::abs(double(s[i]) - s[i - 1]));
  return step;
}

// Frequency from the rising zero crossings, between the first and the last.
inline double Frequency(const std::vector<float>& s, int rate) {
  std::int64_t first = -1, last = -1, count = 0;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i - 1] < 0.0f && s[i] >= 0.0f) {
      if (first < 0) first = static_cast<std::int64_t>(i);
      last = static_cast<std::int64_t>(i);
      ++count;
    }
  }
  if (count < 2) return 0.0;
  return double(count - 1) * rate / double(last - first);
}

// Amplitude of the `hz` component (Goertzel).
inline double Amplitude(const std::vector<float>& s, double hz, int rate) {
  const double w = 2.0 * std::numbers::pi * hz / rate;
  const double coefficient = 2.0 * std::cos(w);
  double s1 = 0.0, s2 = 0.0;
  for (float x : s) {
    const double s0 = x + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  return s.empty() ? 0.0 : 2.0 * std::sqrt(std::max(0.0, power)) / double(s.size());
}

}  // namespace player_test
