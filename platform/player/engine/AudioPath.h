#pragma once

// The engine thread's side of the sound. It follows the transport's
// trajectory and output gain and tells the renderer what to play (a render
// event at each jump, stop, start or change of tempo or pitch, a gain event
// when the level moves), keeps the songs it needs decoded, and remembers which
// output frame plays which tick (the audible playhead).
//
// Threads: everything here runs on the engine thread (the thread running the
// blocks), except what the renderer's own header says of it.

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "engine/Renderer.h"
#include "engine/ShowModel.h"
#include "engine/SongAudio.h"
#include "engine/Transport.h"

namespace vand::player {

// Output frame -> tick, from marks placed where playback changed course.
class AudiblePlayhead {
 public:
  // From output frame `frame` on, `song` plays from `tick` on, advancing
  // `ticksPerFrame` a frame. A mark placed by a command is shown at once and
  // stands still until its frame is heard.
  void Mark(double frame, std::size_t song, double tick, double ticksPerFrame, bool command);
  // The song and tick heard at output frame `frame`.
  std::pair<std::size_t, double> At(double frame) const;

 private:
  struct Entry {
    double frame = 0.0;
    std::size_t song = 0;
    double tick = 0.0;
    double ticksPerFrame = 0.0;
    bool command = false;
  };
  static constexpr std::size_t kSize = 128;
  std::array<Entry, kSize> marks_{};
  std::size_t count_ = 0;  // marks held (at most kSize)
  std::size_t next_ = 0;   // where the next mark goes
};

class AudioPath {
 public:
  // `renders`: the clock pulls sound (otherwise only the playhead is kept).
  // `wake` runs on the decoder's thread when decoding made progress.
  AudioPath(std::shared_ptr<const ShowModel> show, bool renders, std::function<void()> wake);

  RenderSource* Source() { return renderer_ ? renderer_.get() : nullptr; }

  // Follows the points of one block that starts at output frame `blockStart`.
  void Follow(const std::vector<TrajectoryPoint>& points, double blockStart);
  // The output gain reaches `gain` at the end of the block [blockStart, blockStart + frames).
  void SetGain(std::int64_t blockStart, std::int64_t frames, double gain);
  // Keeps the current and the next song decoded, and lets the others go.
  void Keep(std::size_t current, std::optional<std::size_t> next);
  // Enough of the song is decoded to start playing at `tick` (always true
  // without sound, and for a song whose decoding ended, even in failure).
  bool ReadyAt(std::size_t song, double tick);
  // Throws std::runtime_error naming the file when the song cannot be decoded.
  void Probe(std::size_t song) const;
  // Nothing sounds.
  bool Silent() const { return !renderer_ || renderer_->Silent(); }
  // Frees the audio the renderer let go of.
  void CollectGarbage();

  const AudiblePlayhead& Playhead() const { return playhead_; }
  // Tests and benchmarks: waits until nothing is left to decode; songs held.
  bool WaitForDecoding(std::chrono::milliseconds timeout);
  std::size_t SongsHeld() const { return cache_ ? cache_->Size() : 0; }

 private:
  std::shared_ptr<const SongAudio> Handle(std::size_t song);
  void Publish(RenderEvent&& event);

  std::shared_ptr<const ShowModel> show_;
  const double framesPerMs_;
  std::unique_ptr<Renderer> renderer_;
  std::unique_ptr<SongAudioCache> cache_;
  std::vector<std::size_t> kept_;
  AudiblePlayhead playhead_;
  std::optional<TrajectoryPoint> last_;
  double lastFrame_ = 0.0;
  double lastGain_ = -1.0;
  bool resync_ = false;  // an event did not fit: state everything again
};

}  // namespace vand::player
