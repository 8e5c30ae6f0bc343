#include "engine/AudioPath.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace vand::player {
namespace {

// Ticks by which a point may miss the line of the previous one and still
// continue it (rounding only; real jumps are at least a tick).
constexpr double kContinuityTicks = 1e-3;
// Audio decoded beyond the start position before playback may start.
constexpr double kStartReserveMs = 500.0;

}  // namespace

// ---------------------------------------------------------------------------

void AudiblePlayhead::Mark(double frame, std::size_t song, double tick, double ticksPerFrame, bool command) {
  marks_[next_] = Entry{frame, song, tick, ticksPerFrame, command};
  next_ = (next_ + 1) % kSize;
  count_ = std::min(count_ + 1, kSize);
}

std::pair<std::size_t, double> AudiblePlayhead::At(double frame) const {
  if (count_ == 0) return {0, 0.0};
  auto at = [&](std::size_t age) -> const Entry& { return marks_[(next_ + kSize - 1 - age) % kSize]; };
  // The newest command's mark stands until it is heard.
  for (std::size_t age = 0; age < count_; ++age) {
    const Entry& m = at(age);
    if (!m.command) continue;
    if (m.frame > frame) return {m.song, m.tick};
    break;
  }
  for (std::size_t age = 0; age < count_; ++age) {
    const Entry& m = at(age);
    if (m.frame <= frame) return {m.song, m.tick + (frame - m.frame) * m.ticksPerFrame};
  }
  const Entry& oldest = at(count_ - 1);
  return {oldest.song, oldest.tick};
}

// ---------------------------------------------------------------------------

AudioPath::AudioPath(std::shared_ptr<const ShowModel> show, bool renders, std::function<void()> wake)
    : show_(std::move(show)), framesPerMs_(show_->sampleRate / 1000.0) {
  if (!renders) return;
  renderer_ = std::make_unique<Renderer>(show_->sampleRate);
  cache_ = std::make_unique<SongAudioCache>(show_->sampleRate, std::move(wake));
}

std::shared_ptr<const SongAudio> AudioPath::Handle(std::size_t song) {
  if (auto handle = cache_->Find(song)) return handle;
  // A song reached within a block (attacca) before the next Keep.
  std::vector<std::size_t> songs = kept_;
  songs.insert(songs.begin(), song);
  std::vector<SongAudioCache::Source> sources;
  for (std::size_t s : songs) sources.push_back({s, show_->songs[s].audioFile});
  cache_->Keep(sources);
  kept_ = songs;
  return cache_->Find(song);
}

void AudioPath::Publish(RenderEvent&& event) {
  if (!renderer_->Publish(std::move(event))) resync_ = true;
}

void AudioPath::Follow(const std::vector<TrajectoryPoint>& points, double blockStart) {
  // The first block, before anything is published: the engine's builder
  // (the GUI thread) does not wait for this.
  if (renderer_) renderer_->PrepareStretchers(show_->sampleRate);
  for (const TrajectoryPoint& p : points) {
    const double frame = blockStart + p.atMs * framesPerMs_;
    if (last_ && !resync_ && !p.runOn && p.song == last_->song && p.sounding == last_->sounding &&
        p.factor == last_->factor && p.transpose == last_->transpose) {
      const double perFrame = last_->sounding ? last_->factor / framesPerMs_ : 0.0;
      const double expected = last_->tick + (frame - lastFrame_) * perFrame;
      if (std::abs(p.tick - expected) < kContinuityTicks) continue;
    }
    const bool resync = resync_;
    resync_ = false;
    playhead_.Mark(frame, p.song, p.tick, p.sounding ? p.factor / framesPerMs_ : 0.0, p.command);
    last_ = p;
    lastFrame_ = frame;
    if (!renderer_) continue;
    if (resync) lastGain_ = -1.0;
    RenderEvent e;
    e.frame = static_cast<std::int64_t>(std::llround(frame));
    if (p.sounding) {
      const SongModel& song = show_->songs[p.song];
      e.kind = RenderEvent::Kind::Play;
      e.entry = p.runOn ? RenderEvent::Entry::RunOn : RenderEvent::Entry::Crossfade;
      e.audio = Handle(p.song);
      e.position = (p.tick - static_cast<double>(song.audioStart)) * framesPerMs_;
      e.speed = p.factor;
      e.transpose = p.transpose;
    } else {
      e.kind = RenderEvent::Kind::Silence;
    }
    Publish(std::move(e));
  }
}

void AudioPath::SetGain(std::int64_t blockStart, std::int64_t frames, double gain) {
  if (!renderer_ || std::abs(gain - lastGain_) < 1e-7) return;
  lastGain_ = gain;
  RenderEvent e;
  e.kind = RenderEvent::Kind::Gain;
  e.frame = blockStart;
  e.gain = static_cast<float>(gain);
  // At least a few milliseconds, so that a volume step makes no zipper noise.
  e.rampFrames = std::max<std::int64_t>(frames, std::llround(5.0 * framesPerMs_));
  Publish(std::move(e));
}

void AudioPath::Keep(std::size_t current, std::optional<std::size_t> next) {
  if (!cache_) return;
  std::vector<std::size_t> songs{current};
  if (next && *next != current) songs.push_back(*next);
  if (songs == kept_) return;
  std::vector<SongAudioCache::Source> sources;
  for (std::size_t s : songs) sources.push_back({s, show_->songs[s].audioFile});
  cache_->Keep(sources);
  kept_ = std::move(songs);
}

bool AudioPath::ReadyAt(std::size_t song, double tick) {
  if (!cache_) return true;
  auto handle = Handle(song);
  if (!handle || handle->Done()) return true;
  const double frame = (tick - static_cast<double>(show_->songs[song].audioStart) + kStartReserveMs) * framesPerMs_;
  return static_cast<double>(handle->Ready()) >= frame;
}

void AudioPath::Probe(std::size_t song) const {
  const auto& file = show_->songs[song].audioFile;
  if (auto handle = cache_ ? cache_->Find(song) : nullptr; handle && handle->Done()) {
    if (handle->Failed()) throw std::runtime_error("Cannot decode the audio file " + file.string() + ".");
    return;
  }
  SongAudioCache::Probe(file);
}

void AudioPath::CollectGarbage() {
  if (renderer_) renderer_->CollectGarbage();
}

bool AudioPath::WaitForDecoding(std::chrono::milliseconds timeout) { return !cache_ || cache_->WaitIdle(timeout); }

}  // namespace vand::player
