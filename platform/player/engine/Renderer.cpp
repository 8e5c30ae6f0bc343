#include "engine/Renderer.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#if defined(__SSE__)
#include <xmmintrin.h>
#endif

namespace vand::player {
namespace {

#if defined(__x86_64__)
bool HasAvx() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}
const bool kHasAvx = HasAvx();
#endif

// The floating-point state rendering wants, while it lives:
// - denormals flushed to zero, as usual for audio (arithmetic on them costs
//   many times the usual time);
// - the upper halves of the AVX registers cleared: SSE code (the stretcher's)
//   running after AVX code that left them dirty (other code on the same
//   thread) ran about four times slower here.
class RenderFloatState {
 public:
#if defined(__SSE__)
  RenderFloatState() : saved_(_mm_getcsr()) {
    _mm_setcsr(saved_ | 0x8040);  // flush to zero, denormals are zero
#if defined(__x86_64__)
    if (kHasAvx) asm volatile("vzeroupper" ::: "memory");
#endif
  }
  ~RenderFloatState() { _mm_setcsr(saved_); }

 private:
  unsigned saved_;
#endif
};

constexpr std::int64_t kChunk = 1024;
constexpr std::size_t kEventCapacity = 512;
constexpr std::size_t kTrashCapacity = 256;

bool Stretched(double speed, int transpose) { return transpose != 0 || std::abs(speed - 1.0) > 1e-9; }

}  // namespace

Renderer::Renderer(int sampleRate)
    : crossfadeFrames_(std::max<std::int64_t>(1, std::llround(sampleRate * kCrossfadeSeconds))),
      runOnFrames_(std::max<std::int64_t>(1, std::llround(sampleRate * kRunOnSeconds))), events_(kEventCapacity),
      trash_(kTrashCapacity), left_(kChunk), right_(kChunk) {}

Renderer::~Renderer() = default;

void Renderer::PrepareStretchers(int sampleRate) {
  if (stretchersReady_.load(std::memory_order_relaxed)) return;
  RenderFloatState floatState;  // the stretchers' first work runs here
  for (auto& s : stretchers_) s = std::make_unique<Stretcher>(sampleRate);
  stretchersReady_.store(true, std::memory_order_release);
}

bool Renderer::Publish(RenderEvent&& event) { return events_.Push(std::move(event)); }

void Renderer::CollectGarbage() {
  while (auto* handle = trash_.Front()) {
    handle->reset();
    trash_.Pop();
  }
}

// Gives a voice's handle back to the engine thread, which frees what is no
// longer used; only with the ring full (the engine thread stalled for many
// voice changes) is the handle dropped here.
void Renderer::Release(Voice& voice) {
  if (voice.audio && !trash_.Push(std::move(voice.audio))) voice.audio.reset();
  voice.audio.reset();
  if (voice.stretcher) {
    for (std::size_t i = 0; i < stretchers_.size(); ++i) {
      if (stretchers_[i].get() == voice.stretcher) stretcherBusy_[i] = false;
    }
    voice.stretcher = nullptr;
  }
  voice.active = false;
}

Stretcher* Renderer::TakeStretcher() {
  if (!stretchersReady_.load(std::memory_order_acquire)) return nullptr;
  for (std::size_t i = 0; i < stretchers_.size(); ++i) {
    if (!stretcherBusy_[i]) {
      stretcherBusy_[i] = true;
      return stretchers_[i].get();
    }
  }
  // All in use: the quietest fading voice gives its stretcher up.
  Voice* quietest = nullptr;
  for (auto& v : fading_) {
    if (v.active && v.stretcher && (!quietest || v.env < quietest->env)) quietest = &v;
  }
  if (!quietest) return nullptr;
  Stretcher* s = quietest->stretcher;
  quietest->stretcher = nullptr;
  Release(*quietest);
  for (std::size_t i = 0; i < stretchers_.size(); ++i) {
    if (stretchers_[i].get() == s) stretcherBusy_[i] = true;
  }
  return s;
}

// Moves the main voice to a fading voice that ends after `length` frames.
void Renderer::Retire(std::int64_t length) {
  if (!main_.active) return;
  Voice* slot = nullptr;
  for (auto& v : fading_) {
    if (!v.active) {
      slot = &v;
      break;
    }
  }
  if (!slot) {
    slot = &fading_[0];
    for (auto& v : fading_) {
      if (v.env < slot->env) slot = &v;
    }
    Release(*slot);
  }
  *slot = std::move(main_);
  slot->envFrom = slot->env;
  slot->envTo = 0.0f;
  slot->envPos = 0;
  slot->envLength = length;
  main_ = Voice{};
}

void Renderer::Apply(RenderEvent& e, std::int64_t late) {
  switch (e.kind) {
    case RenderEvent::Kind::Gain:
      gainFrom_ = gain_;
      gainTo_ = e.gain;
      gainPos_ = 0;
      gainLength_ = std::max<std::int64_t>(1, e.rampFrames - late);
      break;
    case RenderEvent::Kind::Silence:
      Retire(crossfadeFrames_);
      // Voices ringing on fall silent with the rest.
      for (auto& v : fading_) {
        if (v.active && v.envLength - v.envPos > crossfadeFrames_) {
          v.envFrom = v.env;
          v.envTo = 0.0f;
          v.envPos = 0;
          v.envLength = crossfadeFrames_;
        }
      }
      e.audio.reset();
      break;
    case RenderEvent::Kind::Play: {
      Retire(e.entry == RenderEvent::Entry::RunOn ? runOnFrames_ : crossfadeFrames_);
      Voice v;
      v.audio = std::move(e.audio);
      v.active = true;
      v.envFrom = 0.0f;
      v.envTo = 1.0f;
      v.envLength = crossfadeFrames_;
      const double position = e.position + static_cast<double>(late) * e.speed;
      if (Stretched(e.speed, e.transpose)) {
        v.stretcher = TakeStretcher();
        if (v.stretcher) {
          v.stretcher->Start(v.audio.get(), position, e.speed, std::pow(2.0, e.transpose / 12.0));
        }
      }
      v.position = std::round(position);
      main_ = std::move(v);
      break;
    }
  }
}

void Renderer::ApplyDue(std::int64_t now) {
  while (RenderEvent* e = events_.Front()) {
    if (e->frame > now) break;
    Apply(*e, now - e->frame);
    e->audio.reset();  // handles not taken by a voice (none in practice)
    events_.Pop();
  }
}

float Renderer::Envelope(Voice& v) {
  if (v.envPos >= v.envLength) {
    v.env = v.envTo;
    return v.env;
  }
  const double x = static_cast<double>(v.envPos++) / static_cast<double>(v.envLength);
  const double quarter = x * std::numbers::pi / 2.0;
  if (v.envTo >= v.envFrom) {
    v.env = static_cast<float>(v.envFrom + (v.envTo - v.envFrom) * std::sin(quarter));
  } else {
    v.env = static_cast<float>(v.envTo + (v.envFrom - v.envTo) * std::cos(quarter));
  }
  return v.env;
}

void Renderer::RenderVoice(Voice& v, std::int64_t frames) {
  if (v.stretcher) {
    v.stretcher->Render(left_.data(), right_.data(), frames);
  } else if (v.audio) {
    v.audio->Read(static_cast<std::int64_t>(v.position), frames, left_.data(), right_.data());
    v.position += static_cast<double>(frames);
  } else {
    std::fill_n(left_.data(), frames, 0.0f);
    std::fill_n(right_.data(), frames, 0.0f);
  }
}

void Renderer::Mix(float* out, std::int64_t frames) {
  std::fill_n(out, frames * 2, 0.0f);
  auto add = [&](Voice& v) {
    if (!v.active) return;
    // A voice without a stretcher (none was free) stays silent rather than off pitch.
    const bool audible = v.stretcher || v.audio;
    RenderVoice(v, frames);
    for (std::int64_t i = 0; i < frames; ++i) {
      const float e = Envelope(v);
      if (!audible) continue;
      out[2 * i] += left_[i] * e;
      out[2 * i + 1] += right_[i] * e;
    }
  };
  add(main_);
  for (auto& v : fading_) {
    add(v);
    if (v.active && v.envPos >= v.envLength && v.envTo <= 0.0f) Release(v);
  }
  for (std::int64_t i = 0; i < frames; ++i) {
    if (gainPos_ < gainLength_) {
      ++gainPos_;
      gain_ = gainFrom_ + (gainTo_ - gainFrom_) * static_cast<float>(gainPos_) / static_cast<float>(gainLength_);
    }
    out[2 * i] *= gain_;
    out[2 * i + 1] *= gain_;
  }
}

void Renderer::Render(float* out, std::int64_t frames) {
  RenderFloatState floatState;
  std::int64_t done = 0;
  while (done < frames) {
    ApplyDue(frame_ + done);
    std::int64_t n = std::min(frames - done, kChunk);
    if (const RenderEvent* next = events_.Front()) n = std::min(n, next->frame - (frame_ + done));
    Mix(out + 2 * done, n);
    done += n;
  }
  frame_ += frames;
  bool silent = !main_.active;
  for (const auto& v : fading_) silent = silent && !v.active;
  silent_.store(silent, std::memory_order_release);
}

}  // namespace vand::player
