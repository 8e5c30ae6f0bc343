// The renderer on its own: what the output thread does with render events.
// This program counts every allocation and release made by operator new and
// delete on the rendering thread.

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <new>

#include <QTemporaryDir>
#include <QTest>

#include "AudioFixture.h"
#include "engine/Renderer.h"
#include "engine/SongAudio.h"

namespace {

thread_local bool counting = false;
std::atomic<int> heapCalls{0};

void* Allocate(std::size_t n, std::size_t align = 0) {
  if (counting) ++heapCalls;
  void* p = align ? std::aligned_alloc(align, (std::max<std::size_t>(n, 1) + align - 1) / align * align)
                  : std::malloc(std::max<std::size_t>(n, 1));
  if (!p) throw std::bad_alloc();
  return p;
}

void Free(void* p) noexcept {
  if (counting && p) ++heapCalls;
  std::free(p);
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  if (counting) ++heapCalls;
  return std::malloc(std::max<std::size_t>(n, 1));
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, std::align_val_t a) { return Allocate(n, static_cast<std::size_t>(a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return Allocate(n, static_cast<std::size_t>(a)); }
void operator delete(void* p) noexcept { Free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Free(p); }
void operator delete[](void* p) noexcept { Free(p); }
void operator delete(void* p, std::size_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t) noexcept { Free(p); }
void operator delete(void* p, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { Free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { Free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { Free(p); }

using namespace player_test;
using vand::player::Renderer;
using vand::player::RenderEvent;
using vand::player::SongAudio;
using vand::player::SongAudioCache;

namespace {

RenderEvent Play(std::int64_t frame, std::shared_ptr<const SongAudio> audio, double position, double speed = 1.0,
                 int transpose = 0, RenderEvent::Entry entry = RenderEvent::Entry::Crossfade) {
  RenderEvent e;
  e.kind = RenderEvent::Kind::Play;
  e.frame = frame;
  e.audio = std::move(audio);
  e.position = position;
  e.speed = speed;
  e.transpose = transpose;
  e.entry = entry;
  return e;
}

RenderEvent Other(RenderEvent::Kind kind, std::int64_t frame, float gain = 1.0f) {
  RenderEvent e;
  e.kind = kind;
  e.frame = frame;
  e.gain = gain;
  e.rampFrames = 480;
  return e;
}

}  // namespace

class TstPlayerRenderer : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void renderingNeverTouchesTheHeap();
  void lateEventsApplyWhereTheyWouldHaveBeen();
  void handlesComeBackToTheEngineThread();

 private:
  QTemporaryDir dir_;
  std::unique_ptr<SongAudioCache> cache_;
  std::shared_ptr<const SongAudio> audio_;
};

void TstPlayerRenderer::initTestCase() {
  const auto file = std::filesystem::path(dir_.path().toStdString()) / "song.wav";
  WriteSignal(
      file, 6.0,
      [](double t, int c) {
        return 0.3 * std::sin(2 * std::numbers::pi * (c ? 330 : 440) * t) + 0.1 * std::sin(17.0 * t * t);
      },
      kRate, 2);
  cache_ = std::make_unique<SongAudioCache>(kRate, nullptr);
  cache_->Keep({{0, file}});
  QVERIFY(cache_->WaitIdle(std::chrono::seconds(20)));
  audio_ = cache_->Find(0);
  QVERIFY(audio_ && audio_->Done() && !audio_->Failed());
  QCOMPARE(audio_->Ready(), std::int64_t(6 * kRate));
}

// Plain and stretched voices, crossfades, an attacca tail, gain ramps and
// stops: none of it allocates or frees on the rendering thread.
void TstPlayerRenderer::renderingNeverTouchesTheHeap() {
  Renderer renderer(kRate);
  QVERIFY(renderer.Publish(Other(RenderEvent::Kind::Gain, 0, 0.5f)));
  QVERIFY(renderer.Publish(Play(0, audio_, 1000.0)));
  QVERIFY(renderer.Publish(Play(9600, audio_, 48000.0, 0.8)));
  QVERIFY(renderer.Publish(Play(19200, audio_, 20000.0, 1.0, 3)));
  QVERIFY(renderer.Publish(Play(28800, audio_, 5000.0, 1.25, -2, RenderEvent::Entry::RunOn)));
  QVERIFY(renderer.Publish(Play(38400, audio_, 96000.0, 1.0, 0, RenderEvent::Entry::RunOn)));
  QVERIFY(renderer.Publish(Other(RenderEvent::Kind::Gain, 40000, 1.0f)));
  QVERIFY(renderer.Publish(Other(RenderEvent::Kind::Silence, 60000)));
  QVERIFY(renderer.Publish(Play(70000, audio_, 1000.0, 0.5, 6)));
  QVERIFY(renderer.Publish(Other(RenderEvent::Kind::Silence, 140000)));
  std::vector<float> out(2 * 256);
  double energy = 0.0;
  heapCalls = 0;
  counting = true;
  for (std::int64_t frame = 0; frame < 3 * kRate + 200000; frame += 256) {
    renderer.Render(out.data(), 256);
    for (float x : out) energy += double(x) * x;
  }
  counting = false;
  QCOMPARE(heapCalls.load(), 0);
  QVERIFY(energy > 1000.0);
  QVERIFY(renderer.Silent());
}

// An event that reaches the renderer after its frame applies at once, at the
// position playback would have reached: the sound equals that of an event
// given in time (after the late one's fade-in).
void TstPlayerRenderer::lateEventsApplyWhereTheyWouldHaveBeen() {
  Renderer onTime(kRate), late(kRate);
  QVERIFY(onTime.Publish(Play(0, audio_, 24000.0)));
  std::vector<float> a(2 * 4800), b(2 * 4800);
  onTime.Render(a.data(), 4800);
  late.Render(b.data(), 1000);  // the event is not there yet
  QVERIFY(late.Publish(Play(0, audio_, 24000.0)));
  late.Render(b.data() + 2 * 1000, 3800);
  const std::int64_t from = 1000 + std::llround(Renderer::kCrossfadeSeconds * kRate);
  for (std::int64_t i = 2 * from; i < 2 * 4800; ++i) QCOMPARE(b[i], a[i]);
  QVERIFY(Rms(Channel(a, 0, from, 4800)) > 0.1);
}

// The renderer never releases audio itself: handles it lets go of wait for
// the engine thread, where the last one frees the song's memory.
void TstPlayerRenderer::handlesComeBackToTheEngineThread() {
  auto own = std::make_shared<SongAudio>(7, std::filesystem::path("none.wav"));
  std::weak_ptr<SongAudio> watch = own;
  Renderer renderer(kRate);
  QVERIFY(renderer.Publish(Play(0, own, 0.0)));
  QVERIFY(renderer.Publish(Other(RenderEvent::Kind::Silence, 480)));
  own.reset();
  std::vector<float> out(2 * 2400);
  renderer.Render(out.data(), 2400);  // played and stopped: the voice is gone
  QVERIFY(renderer.Silent());
  QVERIFY(!watch.expired());  // waiting in the trash
  renderer.CollectGarbage();
  QVERIFY(watch.expired());
}

QTEST_MAIN(TstPlayerRenderer)
#include "tst_player_renderer.moc"
