#include "vand_pelorin/ManualAudioClock.h"

#include <algorithm>
#include <cmath>

namespace vand::player {

void ManualAudioClock::Start(BlockSink& sink, int sampleRate) {
  sink_ = &sink;
  source_ = sink.Source();
  sampleRate_ = sampleRate;
  blockFrames_ = std::max<std::int64_t>(1, sampleRate / 100);
  sink_->RunBlock(0);
}

void ManualAudioClock::Stop() {
  sink_ = nullptr;
  source_ = nullptr;
}

std::vector<float> ManualAudioClock::Render(double ms) {
  std::vector<float> out;
  if (!sink_ || !(ms > 0.0)) return out;
  const double frames = ms * sampleRate_ / 1000.0 + fraction_;
  auto total = static_cast<std::int64_t>(std::floor(frames + 1e-9));
  fraction_ = std::max(0.0, frames - static_cast<double>(total));
  out.resize(static_cast<std::size_t>(total * 2), 0.0f);
  std::int64_t done = 0;
  while (done < total && sink_) {
    const std::int64_t n = std::min(total - done, blockFrames_);
    sink_->RunBlock(n);
    if (source_) source_->Render(out.data() + done * 2, n);
    done += n;
    rendered_ += n;
  }
  return out;
}

void ManualAudioClock::Pump() {
  if (sink_) sink_->RunBlock(0);
}

}  // namespace vand::player
