#include "vand_pelorin/PulseClock.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <vector>

#include <cerrno>
#include <ctime>

#include <pthread.h>
#include <sched.h>
#include <semaphore.h>

#include <pulse/pulseaudio.h>

#include "kit/Log.h"

namespace vand::player {
namespace {

using SteadyClock = std::chrono::steady_clock;
constexpr std::size_t kFrameBytes = 2 * sizeof(float);
// How long a newly opened stream may wait for the server's first request.
constexpr double kFirstRequestMs = 3000.0;
// Latencies above this are taken for stale timing data.
constexpr double kMaxLatencyMs = 500.0;
// A halt drops what the stream holds after this fade, from a little past the
// server's read position on (what the server may already have taken).
constexpr double kCutFadeMs = 3.0;
constexpr double kCutMarginMs = 2.0;
// ... plus this many times the time the server took to answer.
constexpr double kCutAnswers = 2.0;
// What was written last, kept for that fade.
constexpr double kHistoryMs = 250.0;
// Rendered past a halt before the cut: more than the sink's own stop fade, so
// that the sink is silent from there on.
constexpr double kSinkFadeMs = 8.0;
// How long a halt waits for the server's read position.
constexpr double kTimingWaitMs = 50.0;
// A sink holding less than this takes its next block at any moment.
constexpr pa_usec_t kSinkPullUs = 1500;

std::int64_t NowNs() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(SteadyClock::now().time_since_epoch()).count();
}

// Wakes the engine thread. Release from any thread (the output thread too:
// sem_post neither blocks nor allocates); Wait on the engine thread takes
// every release made so far. (A POSIX semaphore: std::counting_semaphore's
// timed wait in this libstdc++ can miss a release and sleep on.)
class Wakeup {
 public:
  Wakeup() { sem_init(&sem_, 0, 0); }
  ~Wakeup() { sem_destroy(&sem_); }
  Wakeup(const Wakeup&) = delete;
  Wakeup& operator=(const Wakeup&) = delete;

  void Release() { sem_post(&sem_); }
  // Waits for a release, at most `ms` (no limit when negative).
  void Wait(double ms) {
    if (ms < 0.0) {
      while (sem_wait(&sem_) != 0 && errno == EINTR) {
      }
    } else {
      timespec until{};
      clock_gettime(CLOCK_MONOTONIC, &until);
      const auto ns = static_cast<std::int64_t>(ms * 1e6) + until.tv_nsec;
      until.tv_sec += static_cast<time_t>(ns / 1000000000);
      until.tv_nsec = static_cast<long>(ns % 1000000000);
      while (sem_clockwait(&sem_, CLOCK_MONOTONIC, &until) != 0 && errno == EINTR) {
      }
    }
    while (sem_trywait(&sem_) == 0) {
    }
  }

 private:
  sem_t sem_;
};

// The output thread asks for a little real-time priority, as audio
// programs do; where that is not allowed it runs as it is.
void RaisePriority() {
  sched_param param{};
  param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 1;
  pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
}

}  // namespace

struct PulseClock::State {
  Settings settings;
  BlockSink* sink = nullptr;
  RenderSource* source = nullptr;
  int rate = 48000;
  std::int64_t blockFrames = 480;
  std::int64_t targetFrames = 960;

  Wakeup kick;
  std::atomic<bool> stop{false};

  // The connection and the stream: changed under `control` (by the engine
  // thread and SelectDevice), used by callbacks under the mainloop lock.
  mutable std::mutex control;
  pa_threaded_mainloop* loop = nullptr;
  pa_context* context = nullptr;
  pa_stream* stream = nullptr;
  pa_time_event* timer = nullptr;
  bool timedOut = false;
  std::string device;
  std::string wanted;  // the device asked for; reopened after a loss
  std::atomic<bool> silent{false};
  // A stream was opened while silent (by SelectDevice or the retry thread);
  // the engine thread takes it up.
  std::atomic<bool> reopened{false};
  // A reopened stream plays silence until the server asks for more: only a
  // stream that takes audio ends the silent fallback.
  std::atomic<bool> probation{false};
  std::int64_t probationSinceNs = 0;  // engine thread
  std::atomic<bool> told{false};      // the loss was logged

  // Set by the engine thread under the mainloop lock; read by the write
  // callback, which renders only while it is false (the stream is paused on
  // the server then).
  std::atomic<bool> corked{true};
  std::atomic<bool> failed{false};
  std::atomic<int> failure{0};    // a pa_error_code
  bool raised = false;            // output thread only
  std::int64_t streamFrames = 0;  // frames written to the current stream (under the mainloop lock)
  // The last frames written to the stream (a ring ending at historyEnd), of
  // which historyValid were written since it last started or was flushed.
  std::vector<float> history;
  std::int64_t historyEnd = 0;
  std::int64_t historyValid = 0;
  std::vector<float> cut;    // the rewritten tail
  std::int64_t cutFrom = 0;  // where the last cut's fade began, in stream frames
  // When the stream last started, and its frames written by then (set under the mainloop lock).
  timeval startedAt{};
  std::int64_t startFrames = 0;

  // Written by whoever renders (one at a time): frames rendered so far, the
  // stream's latency at that moment, and when. A sequence lock keeps the three
  // consistent for the engine thread.
  std::atomic<std::uint32_t> seq{0};
  std::atomic<std::int64_t> written{0};
  std::atomic<std::int64_t> latencyUs{0};
  std::atomic<std::int64_t> writtenAtNs{0};
  std::atomic<std::uint64_t> underruns{0};
  std::atomic<std::uint64_t> halts{0};
  std::atomic<std::uint64_t> cuts{0};
  std::atomic<std::uint64_t> cutsSkipped{0};
  std::atomic<std::int64_t> framesCut{0};
  std::atomic<std::uint64_t> cutsChecked{0};
  std::atomic<std::uint64_t> cutsLate{0};
  std::atomic<std::int64_t> lastCutLeadUs{0};
  std::atomic<bool> lookForSound{false};
  std::atomic<std::int64_t> soundStartNs{0};
  std::atomic<std::int64_t> uncorkedAtNs{0};
  // The server asked for more since the stream opened. A sink that ran idle
  // (a null sink renders two seconds ahead then) may hold a new stream back
  // until it catches up, so the watchdog gives a new stream longer.
  std::atomic<bool> flowing{false};

  // The retry thread sleeps on this between attempts.
  std::mutex retryMutex;
  std::condition_variable retryWake;

  // Engine thread.
  bool wasHalted = true;
  std::int64_t controlFrames = 0;  // frames the blocks reached
  std::int64_t idleSince = -1;     // frames written when the sink became idle
  mutable std::int64_t heard = 0;  // never moves back
  std::vector<float> scratch;

  std::int64_t Bytes(double ms) const {
    return static_cast<std::int64_t>(std::llround(ms * rate / 1000.0)) * kFrameBytes;
  }

  void Published(std::int64_t frames, std::int64_t latency) {
    const std::uint32_t s = seq.load(std::memory_order_relaxed);
    seq.store(s + 1, std::memory_order_relaxed);
    std::atomic_thread_fence(std::memory_order_release);
    written.store(frames, std::memory_order_relaxed);
    latencyUs.store(latency, std::memory_order_relaxed);
    writtenAtNs.store(NowNs(), std::memory_order_relaxed);
    seq.store(s + 2, std::memory_order_release);
  }

  void Snapshot(std::int64_t& frames, std::int64_t& latency, std::int64_t& at) const {
    for (;;) {
      const std::uint32_t s1 = seq.load(std::memory_order_acquire);
      frames = written.load(std::memory_order_relaxed);
      latency = latencyUs.load(std::memory_order_relaxed);
      at = writtenAtNs.load(std::memory_order_relaxed);
      std::atomic_thread_fence(std::memory_order_acquire);
      if ((s1 & 1u) == 0 && seq.load(std::memory_order_relaxed) == s1) return;
    }
  }

  // --- the output thread (libpulse's mainloop) ---
  static void OnWrite(pa_stream* s, std::size_t bytes, void* self) {
    auto* st = static_cast<State*>(self);
    if (!st->corked.load(std::memory_order_acquire)) st->flowing.store(true, std::memory_order_relaxed);
    if (!st->raised) {
      st->raised = true;
      RaisePriority();
    }
    st->Write(s, bytes);
  }

  // Under the mainloop lock: the output thread, or the engine thread holding it.
  void Write(pa_stream* s, std::size_t bytes) {
    if (corked.load(std::memory_order_acquire) || s != stream) return;
    if (probation.load(std::memory_order_acquire)) {
      WriteSilence(s, bytes);
      kick.Release();
      return;
    }
    std::int64_t frames = written.load(std::memory_order_relaxed);
    while (bytes >= kFrameBytes) {
      void* data = nullptr;
      std::size_t size = bytes;
      if (pa_stream_begin_write(s, &data, &size) < 0 || !data || size < kFrameBytes) break;
      const auto n = static_cast<std::int64_t>(size / kFrameBytes);
      auto* out = static_cast<float*>(data);
      if (source) {
        source->Render(out, n);
      } else {
        std::fill_n(out, n * 2, 0.0f);
      }
      if (lookForSound.load(std::memory_order_relaxed) &&
          std::any_of(out, out + n * 2, [](float x) { return x != 0.0f; })) {
        lookForSound.store(false, std::memory_order_relaxed);
        soundStartNs.store(NowNs(), std::memory_order_relaxed);
      }
      Remember(out, n);
      if (pa_stream_write(s, data, static_cast<std::size_t>(n) * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
      frames += n;
      bytes -= static_cast<std::size_t>(n) * kFrameBytes;
    }
    streamFrames += frames - written.load(std::memory_order_relaxed);
    Published(frames, LatencyUs(s));
    kick.Release();
  }

  void WriteSilence(pa_stream* s, std::size_t bytes) {
    while (bytes >= kFrameBytes) {
      void* data = nullptr;
      std::size_t size = bytes;
      if (pa_stream_begin_write(s, &data, &size) < 0 || !data || size < kFrameBytes) break;
      const auto n = static_cast<std::int64_t>(size / kFrameBytes);
      std::fill_n(static_cast<float*>(data), n * 2, 0.0f);
      if (pa_stream_write(s, data, static_cast<std::size_t>(n) * kFrameBytes, nullptr, 0, PA_SEEK_RELATIVE) < 0) break;
      streamFrames += n;
      bytes -= static_cast<std::size_t>(n) * kFrameBytes;
    }
  }

  void Remember(const float* out, std::int64_t n) {
    const auto size = static_cast<std::int64_t>(history.size() / 2);
    if (size == 0) return;
    for (std::int64_t i = std::max<std::int64_t>(0, n - size); i < n; ++i) {
      const std::int64_t at = (historyEnd + i) % size;
      history[static_cast<std::size_t>(2 * at)] = out[2 * i];
      history[static_cast<std::size_t>(2 * at + 1)] = out[2 * i + 1];
    }
    historyEnd = (historyEnd + n) % size;
    historyValid = std::min(size, historyValid + n);
  }

  // Under the mainloop lock: replaces what the stream holds from a little past
  // the server's read position on by the same sound fading out, then silence.
  // The sound heard up to there is untouched, so the cut makes no step.
  // `answerMs`: how long the server took to tell the read position; the
  // rewrite takes about as long to reach it, so the margin grows with it.
  // False when there was nothing to cut or no read position to cut after.
  bool Cut(pa_stream* s, double answerMs) {
    const pa_timing_info* info = pa_stream_get_timing_info(s);
    if (!info || info->read_index_corrupt || info->write_index_corrupt || info->read_index < 0 ||
        pa_timeval_cmp(&info->timestamp, &startedAt) < 0) {
      return false;
    }
    const double perUsec = rate / 1e6;
    double read = static_cast<double>(info->read_index) / kFrameBytes;
    if (info->playing) read += static_cast<double>(pa_timeval_age(&info->timestamp)) * perUsec;
    const double from = read + (kCutMarginMs + kCutAnswers * answerMs) * 1000.0 * perUsec;
    const auto queued =
        static_cast<std::int64_t>(std::floor(static_cast<double>(info->write_index) / kFrameBytes - from));
    if (queued <= 0 || queued > historyValid) return false;
    const auto size = static_cast<std::int64_t>(history.size() / 2);
    const auto fade = std::max<std::int64_t>(1, std::llround(kCutFadeMs * rate / 1000.0));
    for (std::int64_t i = 0; i < queued; ++i) {
      const std::int64_t at = ((historyEnd - queued + i) % size + size) % size;
      float gain = 0.0f;
      if (i < fade) {
        const double x = static_cast<double>(i) / static_cast<double>(fade);
        gain = static_cast<float>(0.5 + 0.5 * std::cos(x * 3.14159265358979323846));
      }
      cut[static_cast<std::size_t>(2 * i)] = history[static_cast<std::size_t>(2 * at)] * gain;
      cut[static_cast<std::size_t>(2 * i + 1)] = history[static_cast<std::size_t>(2 * at + 1)] * gain;
    }
    const auto bytes = static_cast<std::int64_t>(queued) * static_cast<std::int64_t>(kFrameBytes);
    if (pa_stream_write(s, cut.data(), static_cast<std::size_t>(bytes), nullptr, -bytes, PA_SEEK_RELATIVE) < 0) {
      return false;
    }
    cutFrom = info->write_index / static_cast<std::int64_t>(kFrameBytes) - queued;
    framesCut.fetch_add(queued, std::memory_order_relaxed);
    // The server answers this after it has taken the rewrite.
    if (pa_operation* op = pa_stream_update_timing_info(s, &State::OnCutTaken, this)) pa_operation_unref(op);
    return true;
  }

  // Whether the server took the cut before it had read that far. (What it
  // read but has not played yet it may take back; a cut that relies on that
  // is heard as a click on a busy machine.)
  static void OnCutTaken(pa_stream* s, int success, void* self) {
    auto* st = static_cast<State*>(self);
    if (!success || s != st->stream) return;
    const pa_timing_info* info = pa_stream_get_timing_info(s);
    if (!info || info->read_index_corrupt || info->read_index < 0) return;
    const double read = static_cast<double>(info->read_index) / kFrameBytes;
    const double lead = (static_cast<double>(st->cutFrom) - read) / st->rate;
    st->lastCutLeadUs.store(std::llround(lead * 1e6), std::memory_order_relaxed);
    if (lead < 0.0) st->cutsLate.fetch_add(1, std::memory_order_relaxed);
    st->cutsChecked.fetch_add(1, std::memory_order_release);
  }

  // How long what was written to this stream takes to be heard: the write
  // position minus the server's read position (interpolated since its last
  // report) plus the sink's own latency. (libpulse's interpolated latency
  // reads zero on a null sink, so it is worked out here.)
  // Until the server reports after a start, what was written since the start
  // (the buffer was empty then) is taken as waiting.
  std::int64_t LatencyUs(pa_stream* s) const {
    const double perUsec = rate / 1e6;
    const pa_timing_info* info = pa_stream_get_timing_info(s);
    if (!info || info->read_index_corrupt || info->write_index_corrupt || info->read_index < 0 ||
        pa_timeval_cmp(&info->timestamp, &startedAt) < 0) {
      const auto waiting = static_cast<double>(std::min(streamFrames - startFrames, targetFrames));
      return static_cast<std::int64_t>(waiting / perUsec);
    }
    double heard = static_cast<double>(info->read_index) / kFrameBytes - static_cast<double>(info->sink_usec) * perUsec;
    if (info->playing) heard += static_cast<double>(pa_timeval_age(&info->timestamp)) * perUsec;
    // libpulse keeps the write index up to date with every write.
    const double lag =
        std::clamp(static_cast<double>(info->write_index) / kFrameBytes - heard, 0.0, kMaxLatencyMs * 1000.0 * perUsec);
    return static_cast<std::int64_t>(lag / perUsec);
  }

  // The server moved the stream (its device went away): the new device may
  // take a while to ask, as a new stream's does.
  static void OnMoved(pa_stream*, void* self) {
    auto* st = static_cast<State*>(self);
    st->flowing.store(false, std::memory_order_relaxed);
    st->uncorkedAtNs.store(NowNs(), std::memory_order_relaxed);
  }

  static void OnUnderflow(pa_stream*, void* self) {
    static_cast<State*>(self)->underruns.fetch_add(1, std::memory_order_relaxed);
  }

  static void OnStreamState(pa_stream* s, void* self) {
    auto* st = static_cast<State*>(self);
    const pa_stream_state_t state = pa_stream_get_state(s);
    if (state == PA_STREAM_FAILED || (state == PA_STREAM_TERMINATED && s == st->stream)) {
      st->failure.store(pa_context_errno(pa_stream_get_context(s)));
      st->failed.store(true);
      st->kick.Release();
    }
    pa_threaded_mainloop_signal(st->loop, 0);
  }

  static void OnContextState(pa_context* c, void* self) {
    auto* st = static_cast<State*>(self);
    const pa_context_state_t state = pa_context_get_state(c);
    if (state == PA_CONTEXT_FAILED || state == PA_CONTEXT_TERMINATED) {
      st->failure.store(pa_context_errno(c));
      st->failed.store(true);
      st->kick.Release();
    }
    pa_threaded_mainloop_signal(st->loop, 0);
  }

  static void OnTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self) {
    auto* st = static_cast<State*>(self);
    st->timedOut = true;
    pa_threaded_mainloop_signal(st->loop, 0);
  }

  static void OnCorked(pa_stream* s, int, void* self) {
    auto* st = static_cast<State*>(self);
    // Fill the whole buffer at once, so playback starts after one buffer.
    if (!st->corked.load(std::memory_order_acquire) && s == st->stream) {
      const std::size_t free = pa_stream_writable_size(s);
      if (free != static_cast<std::size_t>(-1)) st->Write(s, free);
    }
  }

  // --- connection (under `control`) ---
  // Waits (with the mainloop lock held) until `ready` or a failure; false on
  // failure or after the connection timeout.
  template <class Ready, class Failed>
  bool WaitFor(Ready ready, Failed failedNow, double timeoutMs = -1.0) {
    timedOut = false;
    if (timeoutMs < 0.0) timeoutMs = settings.connectTimeoutMs;
    timer = pa_context_rttime_new(context, pa_rtclock_now() + static_cast<pa_usec_t>(timeoutMs * 1000.0),
                                  &State::OnTimeout, this);
    bool ok = false;
    for (;;) {
      if (ready()) {
        ok = true;
        break;
      }
      if (failedNow() || timedOut) break;
      pa_threaded_mainloop_wait(loop);
    }
    if (timer) {
      pa_threaded_mainloop_get_api(loop)->time_free(timer);
      timer = nullptr;
    }
    return ok;
  }

  bool Connect(std::string& why) {
    loop = pa_threaded_mainloop_new();
    if (!loop) {
      why = "cannot create the sound server's event loop";
      return false;
    }
    pa_proplist* props = pa_proplist_new();
    pa_proplist_sets(props, PA_PROP_MEDIA_ROLE, "music");
    context = pa_context_new_with_proplist(pa_threaded_mainloop_get_api(loop), settings.clientName.c_str(), props);
    pa_proplist_free(props);
    if (!context) {
      why = "cannot create a sound server context";
      return false;
    }
    pa_context_set_state_callback(context, &State::OnContextState, this);
    failed.store(false);
    if (pa_context_connect(context, settings.server.empty() ? nullptr : settings.server.c_str(), PA_CONTEXT_NOAUTOSPAWN,
                           nullptr) < 0) {
      why = pa_strerror(pa_context_errno(context));
      return false;
    }
    if (pa_threaded_mainloop_start(loop) < 0) {
      why = "cannot start the sound server's event loop";
      return false;
    }
    pa_threaded_mainloop_lock(loop);
    const bool ok = WaitFor([&] { return pa_context_get_state(context) == PA_CONTEXT_READY; },
                            [&] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)); });
    if (!ok) why = timedOut ? "the sound server did not answer" : pa_strerror(pa_context_errno(context));
    pa_threaded_mainloop_unlock(loop);
    return ok;
  }

  // Whether the server has a sink with this name.
  bool HasSink(const std::string& name) {
    struct Query {
      State* st;
      bool done = false;
      bool found = false;
    } query{this};
    pa_threaded_mainloop_lock(loop);
    pa_operation* op = pa_context_get_sink_info_by_name(
        context, name.c_str(),
        [](pa_context*, const pa_sink_info* info, int eol, void* userdata) {
          auto* q = static_cast<Query*>(userdata);
          if (info) q->found = true;
          if (eol) q->done = true;
          pa_threaded_mainloop_signal(q->st->loop, 0);
        },
        &query);
    if (op) {
      WaitFor([&] { return query.done; }, [&] { return !PA_CONTEXT_IS_GOOD(pa_context_get_state(context)); });
      if (!query.done) pa_operation_cancel(op);
      pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(loop);
    return query.found;
  }

  // A new stream on `name` (empty: the default sink), paused.
  bool OpenStream(const std::string& name, std::string& why) {
    pa_threaded_mainloop_lock(loop);
    CloseStreamLocked();
    pa_sample_spec spec{};
    spec.format = PA_SAMPLE_FLOAT32LE;
    spec.rate = static_cast<std::uint32_t>(rate);
    spec.channels = 2;
    pa_channel_map map;
    pa_channel_map_init_stereo(&map);
    stream = pa_stream_new(context, "Playback", &spec, &map);
    if (!stream) {
      why = pa_strerror(pa_context_errno(context));
      pa_threaded_mainloop_unlock(loop);
      return false;
    }
    pa_stream_set_write_callback(stream, &State::OnWrite, this);
    pa_stream_set_underflow_callback(stream, &State::OnUnderflow, this);
    pa_stream_set_state_callback(stream, &State::OnStreamState, this);
    pa_stream_set_moved_callback(stream, &State::OnMoved, this);
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<std::uint32_t>(-1);
    attr.tlength = static_cast<std::uint32_t>(Bytes(settings.targetMs));
    attr.prebuf = static_cast<std::uint32_t>(-1);
    attr.minreq = static_cast<std::uint32_t>(Bytes(settings.requestMs));
    attr.fragsize = static_cast<std::uint32_t>(-1);
    const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_AUTO_TIMING_UPDATE |
                                                      PA_STREAM_INTERPOLATE_TIMING | PA_STREAM_START_CORKED);
    corked.store(true);
    flowing.store(false);
    streamFrames = 0;
    startFrames = 0;
    historyValid = 0;
    bool ok =
        pa_stream_connect_playback(stream, name.empty() ? nullptr : name.c_str(), &attr, flags, nullptr, nullptr) == 0;
    if (ok) {
      ok = WaitFor([&] { return pa_stream_get_state(stream) == PA_STREAM_READY; },
                   [&] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream)); });
    }
    if (!ok) {
      why = timedOut ? "the sound server did not open the stream" : pa_strerror(pa_context_errno(context));
      CloseStreamLocked();
    } else {
      failed.store(false);
    }
    pa_threaded_mainloop_unlock(loop);
    return ok;
  }

  void CloseStreamLocked() {
    corked.store(true);
    if (!stream) return;
    pa_stream* s = stream;
    stream = nullptr;
    pa_stream_set_write_callback(s, nullptr, nullptr);
    pa_stream_set_underflow_callback(s, nullptr, nullptr);
    pa_stream_set_state_callback(s, nullptr, nullptr);
    pa_stream_set_moved_callback(s, nullptr, nullptr);
    pa_stream_disconnect(s);
    pa_stream_unref(s);
  }

  void Disconnect() {
    if (!loop) return;
    pa_threaded_mainloop_lock(loop);
    CloseStreamLocked();
    if (context) {
      pa_context_set_state_callback(context, nullptr, nullptr);
      pa_context_disconnect(context);
      pa_context_unref(context);
      context = nullptr;
    }
    pa_threaded_mainloop_unlock(loop);
    pa_threaded_mainloop_stop(loop);
    pa_threaded_mainloop_free(loop);
    loop = nullptr;
  }

  // Opens the connection and a stream on `name`; the device actually used.
  bool Open(const std::string& name, std::string& why) {
    if (loop) {
      pa_threaded_mainloop_lock(loop);
      const bool ready = context && pa_context_get_state(context) == PA_CONTEXT_READY;
      pa_threaded_mainloop_unlock(loop);
      if (!ready) Disconnect();
    }
    if (!loop && !Connect(why)) {
      Disconnect();
      return false;
    }
    std::string sink = name;
    if (!sink.empty() && !HasSink(sink)) {
      kit::Log(kit::LogLevel::Warning, "engine",
               "Unknown output device \"" + sink + "\": playing on the default device.");
      sink.clear();
    }
    if (stream && sink == device && !failed.load()) return true;
    if (!OpenStream(sink, why)) {
      Disconnect();
      return false;
    }
    device = sink;
    return true;
  }

  // --- the engine thread ---
  void SetCorked(bool cork) {
    std::lock_guard lock(control);
    if (!loop || !stream) return;
    pa_threaded_mainloop_lock(loop);
    if (cork) {
      corked.store(true, std::memory_order_release);
      // The buffer holds only silence by now: dropping it keeps the next start quick.
      if (pa_operation* op = pa_stream_cork(stream, 1, nullptr, nullptr)) pa_operation_unref(op);
      if (pa_operation* op = pa_stream_flush(stream, nullptr, nullptr)) pa_operation_unref(op);
      historyValid = 0;
    } else {
      corked.store(false, std::memory_order_release);
      uncorkedAtNs.store(NowNs(), std::memory_order_relaxed);
      pa_gettimeofday(&startedAt);
      startFrames = streamFrames;
      lookForSound.store(true, std::memory_order_relaxed);
      if (pa_operation* op = pa_stream_cork(stream, 0, &State::OnCorked, this)) pa_operation_unref(op);
      if (pa_operation* op = pa_stream_update_timing_info(stream, nullptr, nullptr)) pa_operation_unref(op);
    }
    pa_threaded_mainloop_unlock(loop);
  }

  // The engine thread, after a block that halted playback: the renderer
  // renders its own stop now, and the stream keeps only a short fade of it.
  void Halt() {
    std::lock_guard lock(control);
    if (!loop || !stream || silent.load()) return;
    pa_threaded_mainloop_lock(loop);
    if (!corked.load() && !probation.load()) {
      halts.fetch_add(1, std::memory_order_relaxed);
      const std::int64_t fade = std::llround(kSinkFadeMs * rate / 1000.0);
      const std::int64_t ahead = controlFrames + fade - written.load(std::memory_order_relaxed);
      if (ahead > 0) Write(stream, static_cast<std::size_t>(ahead) * kFrameBytes);
      // Where the server reads now, fresh. A sink about to take its next
      // block (what it holds is nearly played) is let take it first.
      auto asked = SteadyClock::now();
      bool fresh = UpdateTiming();
      const pa_timing_info* info = fresh ? pa_stream_get_timing_info(stream) : nullptr;
      if (info && info->playing && info->sink_usec < kSinkPullUs) {
        const double waitMs = static_cast<double>(info->sink_usec) / 1000.0 + 0.5;
        WaitFor([] { return false; }, [] { return false; }, waitMs);
        asked = SteadyClock::now();
        fresh = UpdateTiming();
      }
      const double answerMs = std::chrono::duration<double, std::milli>(SteadyClock::now() - asked).count();
      if (fresh && Cut(stream, answerMs)) {
        cuts.fetch_add(1, std::memory_order_relaxed);
      } else {
        cutsSkipped.fetch_add(1, std::memory_order_relaxed);
      }
    }
    pa_threaded_mainloop_unlock(loop);
  }

  // Under the mainloop lock: asks the server for the stream's timing and waits
  // for the answer (a short while).
  bool UpdateTiming() {
    struct Update {
      State* st;
      bool done = false;
    } update{this};
    pa_operation* op = pa_stream_update_timing_info(
        stream,
        [](pa_stream*, int, void* userdata) {
          auto* u = static_cast<Update*>(userdata);
          u->done = true;
          pa_threaded_mainloop_signal(u->st->loop, 0);
        },
        &update);
    if (!op) return false;
    WaitFor([&] { return update.done; }, [&] { return !PA_STREAM_IS_GOOD(pa_stream_get_state(stream)); },
            kTimingWaitMs);
    if (!update.done) pa_operation_cancel(op);
    pa_operation_unref(op);
    return update.done;
  }

  // The output is lost: the engine goes on silently; the retry thread looks
  // for an output. Said once per loss.
  void GoSilent(const std::string& why) {
    {
      std::lock_guard lock(control);
      Disconnect();
      silent.store(true);
      probation.store(false);
      reopened.store(false);
    }
    if (!told.exchange(true)) {
      kit::Log(kit::LogLevel::Warning, "engine", "No sound output (" + why + "): playback goes on silently.");
    }
  }

  void SoundIsBack() {
    if (told.exchange(false)) kit::Log(kit::LogLevel::Info, "engine", "Sound output open again: playback is heard.");
  }

  // Opens the wanted device (else the default) about every `retryMs` while silent.
  void Retry() {
    std::unique_lock wait(retryMutex);
    while (!stop.load()) {
      retryWake.wait_for(wait, std::chrono::duration<double, std::milli>(settings.retryMs),
                         [&] { return stop.load(); });
      if (stop.load()) return;
      if (!silent.load() || reopened.load() || probation.load()) continue;
      wait.unlock();
      bool opened = false;
      {
        std::lock_guard lock(control);
        std::string why;
        if (!stop.load() && silent.load() && !stream && !probation.load()) opened = Open(wanted, why);
      }
      if (opened) {
        reopened.store(true);
        kick.Release();
      }
      wait.lock();
    }
  }

  // Runs blocks up to `target` frames (at least one block, for the commands).
  void RunBlocksTo(std::int64_t target) {
    if (target <= controlFrames) {
      sink->RunBlock(0);
      return;
    }
    while (controlFrames < target && !stop.load()) {
      const std::int64_t n = std::min(blockFrames, target - controlFrames);
      controlFrames += n;
      sink->RunBlock(n);
    }
  }

  // Rendering on this thread: the silent fallback.
  void RenderSilently(std::int64_t frames) {
    std::int64_t done = written.load(std::memory_order_relaxed);
    while (frames > 0) {
      const std::int64_t n = std::min<std::int64_t>(frames, static_cast<std::int64_t>(scratch.size() / 2));
      if (source) source->Render(scratch.data(), n);
      done += n;
      frames -= n;
    }
    Published(done, 0);
  }

  void Run() {
    try {
      if (stop.load()) return;
      sink->RunBlock(0);
      auto last = SteadyClock::now();
      double fraction = 0.0;
      while (!stop.load()) {
        if (silent.load()) {
          if (reopened.exchange(false)) {
            if (sink->Idle()) {
              silent.store(false);
              probation.store(false);
              idleSince = -1;
              SoundIsBack();
              continue;
            }
            // Silence plays on the new stream until the server asks for more.
            probation.store(true);
            flowing.store(false);
            probationSinceNs = NowNs();
            SetCorked(false);
          }
          if (probation.load()) {
            if (flowing.load()) {
              {
                std::lock_guard lock(control);
                probation.store(false);
                silent.store(false);
              }
              idleSince = -1;
              wasHalted = false;
              SoundIsBack();
              continue;
            }
            if (failed.load() || static_cast<double>(NowNs() - probationSinceNs) > kFirstRequestMs * 1e6) {
              std::lock_guard lock(control);
              Disconnect();
              probation.store(false);
            }
          }
          const bool idle = sink->Idle();
          if (idle) {
            kick.Wait(-1.0);
            last = SteadyClock::now();
          } else {
            kick.Wait(10.0);
          }
          if (stop.load()) return;
          const auto now = SteadyClock::now();
          double due = std::chrono::duration<double>(now - last).count() * rate + fraction;
          last = now;
          auto frames = static_cast<std::int64_t>(due);
          fraction = due - static_cast<double>(frames);
          frames = std::min<std::int64_t>(frames, rate / 4);  // a stall is not made up for
          RunBlocksTo(controlFrames + frames);
          if (stop.load()) return;
          RenderSilently(frames);
          continue;
        }

        if (failed.load()) {
          GoSilent(std::string("the sound server connection failed: ") + pa_strerror(failure.load()));
          continue;
        }
        const std::int64_t rendered = written.load(std::memory_order_acquire);
        const bool idle = sink->Idle();
        const bool isCorked = corked.load();
        // While the stream is paused the blocks run ahead by a whole buffer,
        // which the stream takes at once when it starts.
        std::int64_t ahead = isCorked ? targetFrames + blockFrames : blockFrames;
        if (idle) ahead = 0;
        RunBlocksTo(rendered + ahead);
        if (stop.load()) return;
        const bool halted = sink->Halted();
        if (halted && !wasHalted && !isCorked) Halt();
        wasHalted = halted;
        const bool idleNow = sink->Idle();
        if (!idleNow) {
          idleSince = -1;
          if (isCorked) SetCorked(false);
        } else if (!isCorked) {
          if (idleSince < 0) idleSince = rendered;
          // Once what was written (the last fade-out) has been heard.
          if (rendered - idleSince >= targetFrames + 2 * blockFrames) SetCorked(true);
        }
        std::int64_t frames = 0, latency = 0, at = 0;
        Snapshot(frames, latency, at);
        const std::int64_t since = std::max(at, uncorkedAtNs.load(std::memory_order_relaxed));
        const double patienceMs = flowing.load() ? settings.watchdogMs : std::max(settings.watchdogMs, kFirstRequestMs);
        if (!corked.load() && !idleNow && static_cast<double>(NowNs() - since) > patienceMs * 1e6) {
          GoSilent("the sound output stopped taking audio");
          last = SteadyClock::now();
          fraction = 0.0;
          continue;
        }
        kick.Wait(corked.load() && idleNow ? -1.0 : settings.watchdogMs / 4.0);
        if (silent.load()) {
          last = SteadyClock::now();
          fraction = 0.0;
        }
      }
    } catch (...) {
      if (!stop.load()) sink->OnClockFailure(std::current_exception());
    }
  }
};

PulseClock::PulseClock() : PulseClock(Settings{}) {}

PulseClock::PulseClock(Settings settings) : settings_(std::move(settings)) {}

PulseClock::~PulseClock() { Stop(); }

void PulseClock::Start(BlockSink& sink, int sampleRate) {
  if (thread_.joinable()) throw std::logic_error("the output clock runs already");
  auto st = std::make_shared<State>();
  st->settings = settings_;
  st->sink = &sink;
  st->source = sink.Source();
  st->rate = std::max(1, sampleRate);
  st->blockFrames = std::max<std::int64_t>(1, st->rate / 100);
  st->targetFrames = std::llround(settings_.targetMs * st->rate / 1000.0);
  st->scratch.resize(static_cast<std::size_t>(st->blockFrames * 2));
  const auto historyFrames = static_cast<std::size_t>(std::llround(kHistoryMs * st->rate / 1000.0));
  st->history.assign(historyFrames * 2, 0.0f);
  st->cut.assign(historyFrames * 2, 0.0f);
  std::string why;
  bool open = false;
  {
    std::lock_guard lock(st->control);
    open = st->Open("", why);
  }
  if (!open) {
    st->silent.store(true);
    st->told.store(true);
    kit::Log(kit::LogLevel::Warning, "engine", "No sound output (" + why + "): playback goes on silently.");
  }
  state_ = st;
  thread_ = std::thread([st] { st->Run(); });
  retry_ = std::thread([st] { st->Retry(); });
}

void PulseClock::Stop() {
  if (!state_) return;
  state_->stop.store(true);
  state_->kick.Release();
  { std::lock_guard lock(state_->retryMutex); }
  state_->retryWake.notify_all();
  if (retry_.joinable()) {
    if (retry_.get_id() == std::this_thread::get_id()) {
      retry_.detach();
    } else {
      retry_.join();
    }
  }
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id()) {
      thread_.detach();  // it sees the stop when the current block returns
    } else {
      thread_.join();
    }
  }
  std::lock_guard lock(state_->control);
  state_->Disconnect();
}

void PulseClock::Wake() {
  if (state_) state_->kick.Release();
}

std::int64_t PulseClock::LatencyFrames() const {
  if (!state_) return 0;
  State& st = *state_;
  std::int64_t frames = 0, latency = 0, at = 0;
  st.Snapshot(frames, latency, at);
  if (st.silent.load()) return 0;
  std::int64_t heard = frames;
  if (!st.corked.load()) {
    const double sinceMs = static_cast<double>(NowNs() - at) / 1e6;
    const double lag = static_cast<double>(latency) / 1e6 * st.rate - sinceMs / 1000.0 * st.rate;
    heard = frames - static_cast<std::int64_t>(std::llround(std::max(0.0, lag)));
  }
  st.heard = std::max(st.heard, heard);
  return std::max<std::int64_t>(0, st.controlFrames - st.heard);
}

std::int64_t PulseClock::BlockFrames() const { return state_ ? state_->blockFrames : 480; }

std::string PulseClock::SelectDevice(const std::string& id) {
  if (!state_) return id;
  State& st = *state_;
  std::string why;
  std::string device;
  bool reopened = false;
  {
    std::lock_guard lock(st.control);
    st.wanted = id;
    const bool wasSilent = st.silent.load();
    if (st.Open(id, why)) {
      device = st.device;
      reopened = wasSilent;
    } else {
      st.silent.store(true);
      st.probation.store(false);
    }
  }
  if (!why.empty()) {
    st.told.store(true);
    kit::Log(kit::LogLevel::Warning, "engine", "No sound output (" + why + "): playback goes on silently.");
  }
  if (reopened) st.reopened.store(true);
  st.kick.Release();
  return device;
}

bool PulseClock::Lost() const { return state_ && state_->silent.load(); }

PulseClock::Stats PulseClock::GetStats() const {
  Stats s;
  if (!state_) return s;
  const State& st = *state_;
  {
    std::lock_guard lock(st.control);
    s.device = st.device;
  }
  s.silent = st.silent.load();
  s.underruns = st.underruns.load();
  s.framesWritten = st.written.load();
  s.latencyMs = static_cast<double>(st.latencyUs.load()) / 1000.0;
  const std::int64_t ns = st.soundStartNs.load();
  s.soundStart = SteadyClock::time_point(std::chrono::nanoseconds(ns));
  s.halts = st.halts.load();
  s.cuts = st.cuts.load();
  s.cutsSkipped = st.cutsSkipped.load();
  s.framesCut = st.framesCut.load();
  s.cutsChecked = st.cutsChecked.load(std::memory_order_acquire);
  s.cutsLate = st.cutsLate.load();
  s.lastCutLeadMs = static_cast<double>(st.lastCutLeadUs.load()) / 1000.0;
  return s;
}

}  // namespace vand::player
