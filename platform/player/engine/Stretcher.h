#pragma once

// Tempo scaling and transposition of one voice: Rubber Band in real-time mode
// (its faster engine, which keeps the render cost and the start-up work low).
// Construction allocates and belongs off the render thread; Start and Render
// allocate nothing and run on the render thread.
//
// Start primes the stretcher with the audio before the start position and
// drops its start delay, so the first frame rendered is the one at the
// position: bar positions stay where the transport puts them.

#include <cstdint>
#include <memory>
#include <vector>

namespace RubberBand {
class RubberBandStretcher;
}

namespace vand::player {

class SongAudio;

class Stretcher {
 public:
  static constexpr int kMaxProcess = 4096;

  explicit Stretcher(int sampleRate);
  ~Stretcher();
  Stretcher(const Stretcher&) = delete;
  Stretcher& operator=(const Stretcher&) = delete;

  // Restarts at source frame `position`, consuming `speed` source frames per
  // output frame, with the pitch moved by `pitch` (a frequency ratio).
  // `audio` must outlive the use of this stretcher until the next Start.
  void Start(const SongAudio* audio, double position, double speed, double pitch);
  // Writes the next `frames` output frames.
  void Render(float* left, float* right, std::int64_t frames);

 private:
  void Feed(std::int64_t frames);

  std::unique_ptr<RubberBand::RubberBandStretcher> rb_;
  const SongAudio* audio_ = nullptr;
  std::int64_t input_ = 0;  // next source frame to feed
  std::vector<float> inLeft_, inRight_, dropLeft_, dropRight_;
};

}  // namespace vand::player
