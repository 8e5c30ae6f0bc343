#pragma once

// Sound through the PulseAudio protocol (a PulseAudio server, or PipeWire's).
//
// Threads:
// - libpulse's mainloop thread renders: when the stream asks for data, the
//   sink's RenderSource fills it. Nothing else of ours runs there.
// - The clock's own engine thread runs the blocks. After each write it keeps
//   the blocks one block ahead of the frames written; commands (Wake) run at
//   once. When the sink is idle the stream is paused (corked) and the thread
//   sleeps until the next command: a stopped show costs nothing.
// - SelectDevice and GetStats come from other threads (the GUI).
// - A retry thread, while the output is lost, opens one again about every
//   second (the device last selected, else the default).
//
// Buffering: a 20 ms target with 5 ms requests, the latency adjusted by the
// server. The frames heard are the frames written minus the stream's latency.
//
// Without a server, when the stream fails, or when it stops taking audio (a
// watchdog), the clock goes on silently in real time at the same position,
// with one warning. A reopened stream plays silence until the server asks for
// more; then the sound goes on there from the current position (logged).
// A stream the server moved to another device gets a new stream's patience.
//
// When the sink halts (Stop, Pause, the end of a fade), what the stream holds
// beyond the server's read position is replaced by a 3 ms fade of the same
// sound and silence: the stop is heard at once, without a click. The cut
// starts past the read position by a margin that grows with the time the
// server took to tell it; when that margin passes what is queued, the queue
// plays out (the sink's own fade).

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "vand_pelorin/OutputClock.h"

namespace vand::player {

class PulseClock final : public OutputClock {
 public:
  struct Settings {
    std::string server;  // empty: libpulse's choice (PULSE_SERVER, else the user's server)
    std::string clientName = "pelorin2";
    double targetMs = 20.0;     // buffer the server keeps filled
    double requestMs = 5.0;     // smallest request
    double watchdogMs = 500.0;  // a playing stream silent this long has stopped
    double retryMs = 1000.0;    // between attempts to open an output while lost
    double connectTimeoutMs = 3000.0;
  };

  struct Stats {
    bool silent = false;  // the silent fallback runs
    std::string device;   // the sink in use; empty: the server's default
    std::uint64_t underruns = 0;
    std::int64_t framesWritten = 0;
    double latencyMs = 0.0;  // the stream's latency at the last write
    // When the first frame that was not silent was written after the stream last started.
    std::chrono::steady_clock::time_point soundStart{};
    // Halts of a playing stream, and what became of what the stream held then.
    std::uint64_t halts = 0;
    std::uint64_t cuts = 0;  // rewritten with the fade
    // Left to play out (the sink's own fade, within the buffer): the server
    // told its read position too late for a cut ahead of it.
    std::uint64_t cutsSkipped = 0;
    std::int64_t framesCut = 0;  // frames rewritten, all cuts
    // Cuts the server has reported on right after taking them, and of those
    // the ones it had already read past (a click).
    std::uint64_t cutsChecked = 0;
    std::uint64_t cutsLate = 0;
    // The last reported cut: how far its fade began after what the server
    // had read (negative: late).
    double lastCutLeadMs = 0.0;
  };

  PulseClock();
  explicit PulseClock(Settings settings);
  ~PulseClock() override;

  // Never throws for want of a server: the silent fallback starts instead.
  void Start(BlockSink& sink, int sampleRate) override;
  void Stop() override;
  void Wake() override;
  std::int64_t LatencyFrames() const override;
  std::int64_t BlockFrames() const override;
  bool Renders() const override { return true; }
  bool Lost() const override;
  // The sink whose name is `id` (an unknown one: the default, with a warning).
  std::string SelectDevice(const std::string& id) override;

  Stats GetStats() const;

  struct State;

 private:
  Settings settings_;
  std::shared_ptr<State> state_;
  std::thread thread_;
  std::thread retry_;
};

}  // namespace vand::player
