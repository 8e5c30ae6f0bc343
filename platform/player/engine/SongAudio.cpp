#include "engine/SongAudio.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <stdexcept>

#include <samplerate.h>
#include <sndfile.h>

#include "kit/Log.h"

namespace vand::player {
namespace {

constexpr sf_count_t kChunkFrames = 16384;
constexpr float kScale = 1.0f / 32768.0f;
// More than this many frames (about three hours of stereo at 48 kHz) is not held.
constexpr std::int64_t kMaxFrames = std::int64_t{1} << 29;

SNDFILE* File(void* p) { return static_cast<SNDFILE*>(p); }
SRC_STATE* Converter(void* p) { return static_cast<SRC_STATE*>(p); }

std::int16_t ToSample(float x) {
  if (!(x == x)) return 0;  // NaN
  x = std::clamp(x, -1.0f, 1.0f);
  return static_cast<std::int16_t>(std::lrintf(x * 32767.0f));
}

}  // namespace

std::int64_t SongAudio::Read(std::int64_t first, std::int64_t frames, float* left, float* right) const {
  const std::int16_t* data = Samples();
  const std::int64_t ready = data ? Ready() : 0;
  const int channels = Channels();
  std::int64_t got = 0;
  for (std::int64_t i = 0; i < frames; ++i) {
    const std::int64_t f = first + i;
    if (f < 0 || f >= ready) {
      left[i] = 0.0f;
      right[i] = 0.0f;
      continue;
    }
    ++got;
    if (channels == 1) {
      left[i] = right[i] = data[f] * kScale;
    } else {
      left[i] = data[2 * f] * kScale;
      right[i] = data[2 * f + 1] * kScale;
    }
  }
  return got;
}

// ---------------------------------------------------------------------------

SongDecoder::SongDecoder(std::shared_ptr<SongAudio> audio, int outputRate)
    : audio_(std::move(audio)), outputRate_(outputRate) {}

SongDecoder::~SongDecoder() {
  if (file_) sf_close(File(file_));
  if (converter_) src_delete(Converter(converter_));
}

void SongDecoder::Fail(const std::string& why) {
  error_ = why;
  audio_->failed_.store(true, std::memory_order_release);
  Finish();
}

void SongDecoder::Finish() {
  if (file_) {
    sf_close(File(file_));
    file_ = nullptr;
  }
  if (converter_) {
    converter_ = src_delete(Converter(converter_));
  }
  audio_->done_.store(true, std::memory_order_release);
}

void SongDecoder::Open() {
  const std::string name = audio_->File().string();
  SF_INFO info{};
  SNDFILE* sf = sf_open(audio_->File().c_str(), SFM_READ, &info);
  if (!sf) {
    Fail("cannot decode the audio file " + name + ": " + sf_strerror(nullptr));
    return;
  }
  file_ = sf;
  if (info.samplerate <= 0 || info.channels <= 0 || info.channels > 64 || info.frames < 0) {
    Fail("the audio file " + name + " has an unusable header");
    return;
  }
  fileChannels_ = info.channels;
  channels_ = std::min(info.channels, 2);
  ratio_ = static_cast<double>(outputRate_) / info.samplerate;
  const double expected = std::ceil(static_cast<double>(info.frames) * ratio_) + 64.0;
  if (expected > static_cast<double>(kMaxFrames)) {
    Fail("the audio file " + name + " is too long to play");
    return;
  }
  if (info.samplerate != outputRate_) {
    int error = 0;
    converter_ = src_new(SRC_SINC_MEDIUM_QUALITY, channels_, &error);
    if (!converter_) {
      Fail("cannot convert the sample rate of " + name + ": " + src_strerror(error));
      return;
    }
  }
  const auto capacity = static_cast<std::int64_t>(expected);
  audio_->storage_.reset(new (std::nothrow) std::int16_t[static_cast<std::size_t>(capacity * channels_)]);
  if (!audio_->storage_) {
    Fail("not enough memory for the audio of " + name);
    return;
  }
  audio_->capacity_ = capacity;
  audio_->channels_.store(channels_, std::memory_order_release);
  audio_->data_.store(audio_->storage_.get(), std::memory_order_release);
  in_.resize(static_cast<std::size_t>(kChunkFrames * fileChannels_));
  kept_.resize(static_cast<std::size_t>(kChunkFrames * channels_));
  out_.resize(static_cast<std::size_t>((std::ceil(kChunkFrames * ratio_) + 256) * channels_));
}

void SongDecoder::Append(const float* frames, std::int64_t count) {
  const std::int64_t ready = audio_->ready_.load(std::memory_order_relaxed);
  count = std::min(count, audio_->capacity_ - ready);
  if (count <= 0) return;
  std::int16_t* out = audio_->storage_.get() + ready * channels_;
  for (std::int64_t i = 0; i < count * channels_; ++i) out[i] = ToSample(frames[i]);
  audio_->ready_.store(ready + count, std::memory_order_release);
}

bool SongDecoder::Step() {
  if (audio_->Done()) return false;
  try {
    return Decode();
  } catch (const std::exception& e) {
    Fail("cannot decode the audio file " + audio_->File().string() + ": " + e.what());
    return false;
  }
}

bool SongDecoder::Decode() {
  if (!file_) {
    Open();
    if (audio_->Done()) return false;
  }
  sf_count_t got = 0;
  if (!endOfInput_) {
    got = sf_readf_float(File(file_), in_.data(), kChunkFrames);
    if (got < 0) got = 0;
    if (sf_error(File(file_)) != SF_ERR_NO_ERROR) {
      Fail("cannot decode the audio file " + audio_->File().string() + ": " + sf_strerror(File(file_)));
      return false;
    }
    if (got < kChunkFrames) endOfInput_ = true;
  }
  // Only the first two channels are played.
  const float* frames = in_.data();
  if (fileChannels_ != channels_) {
    for (sf_count_t i = 0; i < got; ++i) {
      for (int c = 0; c < channels_; ++c) kept_[i * channels_ + c] = in_[i * fileChannels_ + c];
    }
    frames = kept_.data();
  }
  if (!converter_) {
    Append(frames, got);
  } else {
    SRC_DATA data{};
    data.data_in = frames;
    data.input_frames = static_cast<long>(got);
    data.src_ratio = ratio_;
    data.end_of_input = endOfInput_ ? 1 : 0;
    // The converter keeps some input back; with the end of input it gives all of it.
    for (int guard = 0; guard < 64; ++guard) {
      data.data_out = out_.data();
      data.output_frames = static_cast<long>(out_.size() / static_cast<std::size_t>(channels_));
      if (int error = src_process(Converter(converter_), &data)) {
        Fail("cannot convert the sample rate of " + audio_->File().string() + ": " + src_strerror(error));
        return false;
      }
      Append(out_.data(), data.output_frames_gen);
      data.data_in += data.input_frames_used * channels_;
      data.input_frames -= data.input_frames_used;
      if (data.input_frames <= 0 && (!endOfInput_ || data.output_frames_gen == 0)) break;
    }
  }
  if (endOfInput_) {
    Finish();
    return false;
  }
  return true;
}

// ---------------------------------------------------------------------------

SongAudioCache::SongAudioCache(int outputRate, std::function<void()> progress)
    : outputRate_(outputRate), progress_(std::move(progress)) {
  worker_ = std::thread(&SongAudioCache::Run, this);
}

SongAudioCache::~SongAudioCache() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  worker_.join();
}

void SongAudioCache::Keep(const std::vector<Source>& songs) {
  std::vector<std::shared_ptr<SongAudio>> dropped;  // released after the lock
  {
    std::lock_guard lock(mutex_);
    std::vector<std::shared_ptr<SongAudio>> next;
    for (const auto& s : songs) {
      auto same = [&](const std::shared_ptr<SongAudio>& a) { return a && a->Song() == s.song; };
      if (std::any_of(next.begin(), next.end(), same)) continue;
      auto it = std::find_if(kept_.begin(), kept_.end(), same);
      if (it != kept_.end() && (*it)->File() == s.file) {
        next.push_back(std::move(*it));
      } else {
        next.push_back(std::make_shared<SongAudio>(s.song, s.file));
      }
    }
    for (auto& a : kept_) {
      if (a) dropped.push_back(std::move(a));
    }
    kept_ = std::move(next);
  }
  wake_.notify_all();
}

std::shared_ptr<const SongAudio> SongAudioCache::Find(std::size_t song) const {
  std::lock_guard lock(mutex_);
  for (const auto& a : kept_) {
    if (a->Song() == song) return a;
  }
  return nullptr;
}

std::size_t SongAudioCache::Size() const {
  std::lock_guard lock(mutex_);
  return kept_.size();
}

bool SongAudioCache::WaitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, timeout, [this] {
    return !busy_ && std::all_of(kept_.begin(), kept_.end(), [](const auto& a) { return a->Done(); });
  });
}

void SongAudioCache::Probe(const std::filesystem::path& file) {
  SF_INFO info{};
  SNDFILE* sf = sf_open(file.c_str(), SFM_READ, &info);
  if (!sf) throw std::runtime_error("Cannot decode the audio file " + file.string() + ": " + sf_strerror(nullptr));
  sf_close(sf);
  if (info.samplerate <= 0 || info.channels <= 0 || info.channels > 64 || info.frames < 0) {
    throw std::runtime_error("Cannot decode the audio file " + file.string() + ": its header is unusable");
  }
}

// The worker keeps one decoder per kept song and always works on the most
// urgent unfinished one, so a newly wanted current song overtakes a prefetch.
void SongAudioCache::Run() {
  std::vector<std::unique_ptr<SongDecoder>> decoders;
  for (;;) {
    std::shared_ptr<SongAudio> target;
    bool urgent = false;
    {
      std::unique_lock lock(mutex_);
      busy_ = false;
      idle_.notify_all();
      wake_.wait(lock, [this] {
        return stop_ || std::any_of(kept_.begin(), kept_.end(), [](const auto& a) { return !a->Done(); });
      });
      if (stop_) return;
      // Decoders of songs no longer kept are closed.
      std::erase_if(decoders, [this](const std::unique_ptr<SongDecoder>& d) {
        return std::none_of(kept_.begin(), kept_.end(), [&](const auto& a) { return a.get() == d->Audio(); });
      });
      for (std::size_t i = 0; i < kept_.size(); ++i) {
        if (!kept_[i]->Done()) {
          target = kept_[i];
          urgent = i == 0;
          break;
        }
      }
      busy_ = true;
    }
    auto it = std::find_if(decoders.begin(), decoders.end(), [&](const auto& d) { return d->Audio() == target.get(); });
    if (it == decoders.end()) {
      decoders.push_back(std::make_unique<SongDecoder>(target, outputRate_));
      it = decoders.end() - 1;
    }
    const bool more = (*it)->Step();
    if (!more) {
      if (!(*it)->Error().empty()) kit::Log(kit::LogLevel::Warning, "engine", (*it)->Error());
      decoders.erase(it);
    }
    if (progress_ && (urgent || !more)) progress_();
  }
}

}  // namespace vand::player
