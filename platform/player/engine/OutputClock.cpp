#include "vand_pelorin/OutputClock.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <stdexcept>

namespace vand::player {

NullClock::NullClock() = default;

NullClock::~NullClock() { Stop(); }

void NullClock::Start(BlockSink& sink, int sampleRate) {
  if (thread_.joinable()) throw std::logic_error("the output clock runs already");
  blockFrames_ = std::max<std::int64_t>(1, sampleRate / 100);
  state_ = std::make_shared<State>();
  thread_ = std::thread(&NullClock::Run, state_, &sink, sampleRate);
}

void NullClock::Stop() {
  if (!state_) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->stop = true;
  }
  state_->wake.notify_all();
  if (!thread_.joinable()) return;
  if (thread_.get_id() == std::this_thread::get_id()) {
    thread_.detach();  // it sees the stop when the current block returns
  } else {
    thread_.join();
  }
}

void NullClock::Wake() {
  if (!state_) return;
  {
    std::lock_guard lock(state_->mutex);
    state_->woken = true;
  }
  state_->wake.notify_all();
}

// Touches only `state` and, between stops, `sink`: never the clock object.
void NullClock::Run(std::shared_ptr<State> state, BlockSink* sink, int sampleRate) {
  using Clock = std::chrono::steady_clock;
  const auto period = std::chrono::milliseconds(10);
  // A stall (a suspended machine) is not made up for beyond a quarter second.
  const std::int64_t maxFrames = sampleRate / 4;
  auto stopped = [&] {
    std::lock_guard lock(state->mutex);
    return state->stop;
  };
  try {
    if (stopped()) return;
    sink->RunBlock(0);
    auto last = Clock::now();
    double pending = 0.0;
    auto nextTick = last + period;
    for (;;) {
      {
        std::unique_lock lock(state->mutex);
        state->wake.wait_until(lock, nextTick, [&] { return state->stop || state->woken; });
        if (state->stop) return;
        state->woken = false;
      }
      auto now = Clock::now();
      if (now >= nextTick) nextTick = now + period;
      pending += std::chrono::duration<double>(now - last).count() * sampleRate;
      last = now;
      auto frames = static_cast<std::int64_t>(std::floor(pending));
      pending -= static_cast<double>(frames);
      // A failed block is reported and the clock goes on: a show must not
      // stall for good because one block threw.
      try {
        sink->RunBlock(std::min(frames, maxFrames));
      } catch (...) {
        if (stopped()) return;
        sink->OnClockFailure(std::current_exception());
      }
    }
  } catch (...) {
    if (!stopped()) sink->OnClockFailure(std::current_exception());
  }
}

void ManualClock::Start(BlockSink& sink, int sampleRate) {
  sink_ = &sink;
  sampleRate_ = sampleRate;
  blockFrames_ = std::max<std::int64_t>(1, sampleRate / 100);
  sink_->RunBlock(0);
}

void ManualClock::Stop() { sink_ = nullptr; }

void ManualClock::Advance(double ms) {
  if (!sink_ || !(ms > 0.0)) return;
  double frames = ms * sampleRate_ / 1000.0 + fraction_;
  auto total = static_cast<std::int64_t>(std::floor(frames + 1e-9));
  fraction_ = std::max(0.0, frames - static_cast<double>(total));
  while (total > 0 && sink_) {
    std::int64_t n = std::min(total, blockFrames_);
    sink_->RunBlock(n);
    total -= n;
  }
}

void ManualClock::Pump() {
  if (sink_) sink_->RunBlock(0);
}

}  // namespace vand::player
