#pragma once

// What drives the engine's block loop.
//
// An output clock calls BlockSink::RunBlock with the number of output frames
// that became due since the last call. The null clock does so from its own
// thread every 10 ms in real time (silent output); the manual clock does so
// only when a test advances it, on the test's thread, so tests step playback
// by hand and never sleep. Only one RunBlock call runs at a time.
//
// A clock that plays sound (Renders() true: the PulseClock, the manual audio
// clock of tests) also pulls samples from the sink's RenderSource, on its
// output thread, a little behind the blocks: RunBlock is the control tick
// (commands, flow, events), Render only turns what the ticks published into
// samples. LatencyFrames tells the engine how far the sound heard lags behind
// the frames the blocks have reached.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace vand::player {

// The sound of the engine, pulled by the output thread.
class RenderSource {
 public:
  // Writes `frames` interleaved stereo float frames. Never blocks, allocates,
  // logs or touches files. One thread at a time.
  virtual void Render(float* out, std::int64_t frames) = 0;

 protected:
  ~RenderSource() = default;
};

class BlockSink {
 public:
  // Renders `frames` output frames (0: only apply queued commands).
  virtual void RunBlock(std::int64_t frames) = 0;
  // RunBlock threw, or the clock could not start. A running clock goes on
  // calling RunBlock afterwards; a clock that failed to start does not.
  virtual void OnClockFailure(std::exception_ptr error) = 0;
  // The sound to render; null when the engine makes none.
  virtual RenderSource* Source() { return nullptr; }
  // Nothing sounds, ramps or waits to be delivered: a clock may sleep until
  // Wake (and a sound clock may pause its stream). Called between blocks.
  virtual bool Idle() const { return false; }
  // Playback is stopped or paused and no level ramps: nothing the blocks run
  // so far asked for sounds any more. A sound clock may then drop what it has
  // queued and not yet played, after a short fade. Called between blocks.
  virtual bool Halted() const { return false; }

 protected:
  ~BlockSink() = default;
};

class OutputClock {
 public:
  virtual ~OutputClock() = default;
  // Starts delivering blocks at `sampleRate` frames per second. The first
  // RunBlock call tells the sink that the clock runs. Throws when it cannot start.
  virtual void Start(BlockSink& sink, int sampleRate) = 0;
  // After it returns no RunBlock call runs or will run. Idempotent; not to be
  // called from inside RunBlock.
  virtual void Stop() = 0;
  // A command is waiting: run a block soon. Any thread.
  virtual void Wake() = 0;
  // Frames rendered but not yet heard.
  virtual std::int64_t LatencyFrames() const { return 0; }
  // Output frames per block the clock aims at.
  virtual std::int64_t BlockFrames() const = 0;
  // The clock pulls sound from the sink's RenderSource.
  virtual bool Renders() const { return false; }
  // The clock plays sound, but no output takes it: playback goes on silently
  // until an output opens again. Any thread.
  virtual bool Lost() const { return false; }
  // Plays on the device with this id (empty: the default device) from now
  // on; returns the id in use, empty when it is the default. A clock without
  // devices takes any id. Not on the clock's threads.
  virtual std::string SelectDevice(const std::string& id) { return id; }
};

// Silent output: consumes frames in real time, one block about every 10 ms.
// Stop joins the thread; called from the clock's own thread (the engine
// destroyed from one of its callbacks) it lets the thread end by itself.
class NullClock final : public OutputClock {
 public:
  NullClock();
  ~NullClock() override;
  void Start(BlockSink& sink, int sampleRate) override;
  void Stop() override;
  void Wake() override;
  std::int64_t BlockFrames() const override { return blockFrames_; }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable wake;
    bool stop = false;
    bool woken = false;
  };
  static void Run(std::shared_ptr<State> state, BlockSink* sink, int sampleRate);

  std::shared_ptr<State> state_;
  std::int64_t blockFrames_ = 480;
  std::thread thread_;
};

// Test clock: blocks run only through Advance and Pump, on the caller's thread.
class ManualClock final : public OutputClock {
 public:
  ManualClock() = default;
  void Start(BlockSink& sink, int sampleRate) override;
  void Stop() override;
  void Wake() override {}
  std::int64_t BlockFrames() const override { return blockFrames_; }

  // Runs blocks of 10 ms (the last one shorter) until `ms` of output have passed.
  void Advance(double ms);
  // Applies queued commands without advancing playback.
  void Pump();
  bool Running() const { return sink_ != nullptr; }
  int SampleRate() const { return sampleRate_; }

 private:
  BlockSink* sink_ = nullptr;
  int sampleRate_ = 48000;
  std::int64_t blockFrames_ = 480;
  double fraction_ = 0.0;
};

}  // namespace vand::player
