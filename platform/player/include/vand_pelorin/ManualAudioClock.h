#pragma once

// Test clock with sound. Like ManualClock, blocks run only when a test asks,
// on the test's thread; each block of 10 ms is rendered at once, and the test
// receives the samples. A simulated stream latency makes what is heard (the
// playhead, the events of playback) lag behind the blocks as on a sound card.

#include <cstdint>
#include <vector>

#include "vand_pelorin/OutputClock.h"

namespace vand::player {

class ManualAudioClock final : public OutputClock {
 public:
  explicit ManualAudioClock(std::int64_t latencyFrames = 0) : latency_(latencyFrames) {}
  void Start(BlockSink& sink, int sampleRate) override;
  void Stop() override;
  void Wake() override {}
  std::int64_t LatencyFrames() const override { return latency_; }
  std::int64_t BlockFrames() const override { return blockFrames_; }
  bool Renders() const override { return true; }

  // Runs and renders blocks until `ms` of output have passed; returns the
  // interleaved stereo samples.
  std::vector<float> Render(double ms);
  // Applies queued commands without advancing playback.
  void Pump();
  int SampleRate() const { return sampleRate_; }
  std::int64_t FramesRendered() const { return rendered_; }

 private:
  BlockSink* sink_ = nullptr;
  RenderSource* source_ = nullptr;
  int sampleRate_ = 48000;
  std::int64_t blockFrames_ = 480;
  std::int64_t latency_ = 0;
  std::int64_t rendered_ = 0;
  double fraction_ = 0.0;
};

}  // namespace vand::player
