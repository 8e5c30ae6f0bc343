#pragma once

// The render side of the engine: samples from what the engine thread
// published.
//
// Threads: the engine thread is the only producer of render events (Publish)
// and the only taker of handles given back (CollectGarbage); the output thread
// is the only one rendering (Render). They share two lock-free rings and a few
// atomics; rendering never blocks, allocates, logs or touches files.
//
// A render event takes effect at an output frame. Between events the main
// voice runs on by itself at its speed, so a late engine thread delays changes,
// never the sound: an event found late applies at once, at the position it
// would have reached by then.
//
// Voices: the main voice plays the transport's path; a jump, a stop or a
// change of speed or pitch moves it to a fading voice (5 ms, equal power)
// while the new main voice fades in. A song entered by attacca lets the old
// song's voice ring on past its end and fade out over 2 s; a stop silences
// it with the rest, within 5 ms. Voices off tempo or
// pitch go through a Stretcher; the others read the decoded audio directly.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "engine/SongAudio.h"
#include "engine/SpscRing.h"
#include "engine/Stretcher.h"
#include "vand_pelorin/OutputClock.h"

namespace vand::player {

struct RenderEvent {
  enum class Kind : std::uint8_t {
    Play,     // the main voice plays from here
    Silence,  // the main voice stops
    Gain,     // the output gain ramps to `gain`
  };
  enum class Entry : std::uint8_t {
    Crossfade,  // the old main voice fades out in 5 ms
    RunOn,      // the old main voice rings on and fades out in 2 s (attacca)
  };
  Kind kind = Kind::Silence;
  Entry entry = Entry::Crossfade;
  std::int64_t frame = 0;  // output frame where it takes effect
  std::shared_ptr<const SongAudio> audio;
  double position = 0.0;        // Play: source frame at `frame`
  double speed = 1.0;           // Play: source frames per output frame
  int transpose = 0;            // Play: half steps
  float gain = 1.0f;            // Gain: the target
  std::int64_t rampFrames = 0;  // Gain: frames to reach it
};

class Renderer final : public RenderSource {
 public:
  static constexpr double kCrossfadeSeconds = 0.005;
  static constexpr double kRunOnSeconds = 2.0;

  explicit Renderer(int sampleRate);
  ~Renderer();
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // --- engine thread ---
  // Builds and warms the stretchers (tens of milliseconds of Rubber Band's
  // set-up), once, before the first event that needs one is published. Until
  // then a voice off tempo or pitch finds no stretcher and stays silent.
  void PrepareStretchers(int sampleRate);
  // False when the ring is full (the event is left untouched).
  bool Publish(RenderEvent&& event);
  // Releases the audio handles the output thread let go of.
  void CollectGarbage();
  // No voice sounded at the end of the last Render.
  bool Silent() const { return silent_.load(std::memory_order_acquire); }

  // --- output thread ---
  void Render(float* out, std::int64_t frames) override;

 private:
  struct Voice {
    std::shared_ptr<const SongAudio> audio;
    Stretcher* stretcher = nullptr;
    double position = 0.0;  // plain voices: the next source frame
    bool active = false;
    // Envelope: from `envFrom` to `envTo` over `envLength` frames.
    float env = 0.0f, envFrom = 0.0f, envTo = 0.0f;
    std::int64_t envPos = 0, envLength = 0;
  };

  void ApplyDue(std::int64_t now);
  void Apply(RenderEvent& event, std::int64_t late);
  void Retire(std::int64_t length);
  void Release(Voice& voice);
  Stretcher* TakeStretcher();
  void Mix(float* out, std::int64_t frames);
  void RenderVoice(Voice& voice, std::int64_t frames);
  float Envelope(Voice& voice);

  const std::int64_t crossfadeFrames_;
  const std::int64_t runOnFrames_;
  SpscRing<RenderEvent> events_;
  SpscRing<std::shared_ptr<const SongAudio>> trash_;

  // Output thread only.
  std::int64_t frame_ = 0;
  Voice main_;
  std::array<Voice, 4> fading_;
  // Written by PrepareStretchers before stretchersReady_ is set; read here
  // only after it is seen set.
  std::array<std::unique_ptr<Stretcher>, 3> stretchers_;
  std::atomic<bool> stretchersReady_{false};
  std::array<bool, 3> stretcherBusy_{};
  float gain_ = 1.0f, gainFrom_ = 1.0f, gainTo_ = 1.0f;
  std::int64_t gainPos_ = 0, gainLength_ = 0;
  std::vector<float> left_, right_;
  std::atomic<bool> silent_{true};
};

}  // namespace vand::player
