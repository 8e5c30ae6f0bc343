#pragma once

// Decoded song audio and the cache that decodes it.
//
// Threads: the cache's worker thread decodes files (libsndfile) and converts
// them to the output rate (libsamplerate), a chunk at a time, most urgent song
// first. The engine thread says which songs to keep (Keep) and takes handles
// (Find). The render thread reads samples through handles without locks: the
// frames [0, Ready()) of a handle never change once published, and the storage
// lives as long as the handle.
//
// Memory: only the kept songs are held (the engine keeps the current and the
// next playable one), as 16-bit samples, one or two channels.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vand::player {

class SongAudio {
 public:
  SongAudio(std::size_t song, std::filesystem::path file) : song_(song), file_(std::move(file)) {}
  SongAudio(const SongAudio&) = delete;
  SongAudio& operator=(const SongAudio&) = delete;

  std::size_t Song() const { return song_; }
  const std::filesystem::path& File() const { return file_; }

  // 1 or 2; valid once Samples() is not null.
  int Channels() const { return channels_.load(std::memory_order_acquire); }
  // Interleaved samples of the frames decoded so far (null before the first chunk).
  const std::int16_t* Samples() const { return data_.load(std::memory_order_acquire); }
  // Frames decoded so far, at the output rate.
  std::int64_t Ready() const { return ready_.load(std::memory_order_acquire); }
  // Decoding ended, with every frame the file gave or with an error.
  bool Done() const { return done_.load(std::memory_order_acquire); }
  bool Failed() const { return failed_.load(std::memory_order_acquire); }

  // Fills `frames` stereo frames starting at `first` (negative, or not yet
  // decoded: silence). Returns how many came from decoded audio.
  std::int64_t Read(std::int64_t first, std::int64_t frames, float* left, float* right) const;

 private:
  friend class SongAudioCache;
  friend class SongDecoder;

  const std::size_t song_;
  const std::filesystem::path file_;
  std::unique_ptr<std::int16_t[]> storage_;  // written only by the worker, before publishing
  std::int64_t capacity_ = 0;                // frames the storage holds
  std::atomic<int> channels_{2};
  std::atomic<const std::int16_t*> data_{nullptr};
  std::atomic<std::int64_t> ready_{0};
  std::atomic<bool> done_{false};
  std::atomic<bool> failed_{false};
};

// Reads one file a chunk at a time into a SongAudio at the output rate.
class SongDecoder {
 public:
  SongDecoder(std::shared_ptr<SongAudio> audio, int outputRate);
  ~SongDecoder();
  SongDecoder(const SongDecoder&) = delete;
  SongDecoder& operator=(const SongDecoder&) = delete;

  // Decodes the next chunk. False once the audio is done (complete or failed).
  bool Step();
  const SongAudio* Audio() const { return audio_.get(); }
  // The reason decoding failed (empty otherwise).
  const std::string& Error() const { return error_; }

 private:
  bool Decode();
  void Open();
  void Fail(const std::string& why);
  void Append(const float* frames, std::int64_t count);
  void Finish();

  std::shared_ptr<SongAudio> audio_;
  int outputRate_;
  void* file_ = nullptr;       // SNDFILE
  void* converter_ = nullptr;  // SRC_STATE
  int fileChannels_ = 0;
  int channels_ = 0;
  double ratio_ = 1.0;
  bool endOfInput_ = false;
  std::vector<float> in_, kept_, out_;
  std::string error_;
};

class SongAudioCache {
 public:
  struct Source {
    std::size_t song = 0;
    std::filesystem::path file;
  };

  // `progress` runs on the worker after each decoded chunk of the most
  // urgent song and when any song finishes (e.g. to wake the engine).
  SongAudioCache(int outputRate, std::function<void()> progress);
  ~SongAudioCache();
  SongAudioCache(const SongAudioCache&) = delete;
  SongAudioCache& operator=(const SongAudioCache&) = delete;

  // Keeps these songs, most urgent first, and lets go of every other one
  // (its memory goes when the last handle does). Starts decoding what is new.
  void Keep(const std::vector<Source>& songs);
  // The song's audio while it is kept, else null.
  std::shared_ptr<const SongAudio> Find(std::size_t song) const;
  // Number of songs kept.
  std::size_t Size() const;
  // Waits until nothing is left to decode. False after the timeout.
  bool WaitIdle(std::chrono::milliseconds timeout);

  // Throws std::runtime_error naming the file when it cannot be opened for decoding.
  static void Probe(const std::filesystem::path& file);

 private:
  void Run();

  const int outputRate_;
  std::function<void()> progress_;
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::vector<std::shared_ptr<SongAudio>> kept_;  // most urgent first
  bool busy_ = false;                             // the worker decodes a chunk
  bool stop_ = false;
  std::thread worker_;
};

}  // namespace vand::player
