#include "engine/Stretcher.h"

#include <algorithm>
#include <cmath>

#include <rubberband/RubberBandStretcher.h>

#include "engine/SongAudio.h"

namespace vand::player {

using RB = RubberBand::RubberBandStretcher;

Stretcher::Stretcher(int sampleRate)
    : rb_(std::make_unique<RB>(static_cast<std::size_t>(sampleRate), 2,
                               RB::OptionProcessRealTime | RB::OptionEngineFaster | RB::OptionThreadingNever)),
      inLeft_(kMaxProcess), inRight_(kMaxProcess), dropLeft_(kMaxProcess), dropRight_(kMaxProcess) {
  rb_->setMaxProcessSize(kMaxProcess);
  // Rubber Band grows its buffers when the ratios first reach new extremes;
  // it does so here, at the extremes the engine uses, and not while rendering.
  for (double speed : {0.5, 2.0}) {
    for (double halfSteps : {-6.0, 6.0}) Start(nullptr, 0.0, speed, std::pow(2.0, halfSteps / 12.0));
  }
  rb_->reset();
}

Stretcher::~Stretcher() = default;

void Stretcher::Feed(std::int64_t frames) {
  while (frames > 0) {
    const std::int64_t n = std::min<std::int64_t>(frames, kMaxProcess);
    if (audio_) {
      audio_->Read(input_, n, inLeft_.data(), inRight_.data());
    } else {
      std::fill_n(inLeft_.data(), n, 0.0f);
      std::fill_n(inRight_.data(), n, 0.0f);
    }
    const float* in[2] = {inLeft_.data(), inRight_.data()};
    rb_->process(in, static_cast<std::size_t>(n), false);
    input_ += n;
    frames -= n;
  }
}

void Stretcher::Start(const SongAudio* audio, double position, double speed, double pitch) {
  audio_ = audio;
  rb_->reset();
  rb_->setTimeRatio(speed > 0.0 ? 1.0 / speed : 1.0);
  rb_->setPitchScale(pitch > 0.0 ? pitch : 1.0);
  const auto pad = static_cast<std::int64_t>(rb_->getPreferredStartPad());
  auto drop = static_cast<std::int64_t>(rb_->getStartDelay());
  // The pad is the audio just before the position (silence before the song).
  input_ = static_cast<std::int64_t>(std::llround(position)) - pad;
  Feed(pad);
  float* out[2] = {dropLeft_.data(), dropRight_.data()};
  for (int guard = 0; drop > 0 && guard < 1000; ++guard) {
    const int available = rb_->available();
    if (available > 0) {
      const auto n = std::min<std::int64_t>({available, drop, kMaxProcess});
      rb_->retrieve(out, static_cast<std::size_t>(n));
      drop -= n;
    } else {
      Feed(std::clamp<std::int64_t>(static_cast<std::int64_t>(rb_->getSamplesRequired()), 1, kMaxProcess));
    }
  }
}

void Stretcher::Render(float* left, float* right, std::int64_t frames) {
  std::int64_t done = 0;
  for (int guard = 0; done < frames && guard < 1000; ++guard) {
    const int available = rb_->available();
    if (available > 0) {
      const auto n = std::min<std::int64_t>(available, frames - done);
      float* out[2] = {left + done, right + done};
      rb_->retrieve(out, static_cast<std::size_t>(n));
      done += n;
    } else {
      Feed(std::clamp<std::int64_t>(static_cast<std::int64_t>(rb_->getSamplesRequired()), 1, kMaxProcess));
    }
  }
  std::fill(left + done, left + frames, 0.0f);
  std::fill(right + done, right + frames, 0.0f);
}

}  // namespace vand::player
