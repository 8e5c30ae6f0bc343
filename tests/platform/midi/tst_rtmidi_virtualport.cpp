// The RtMidi backend on a sequencer (a desktop, or a host with snd-seq
// loaded): a virtual port of the test's own drives the product's engine, and
// Close waits for a message being handled. Skipped where no sequencer opens.

#include <RtMidi.h>

#include <QTest>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <optional>
#include <string>

#include "../player/PlayerFixture.h"
#include "vand_midi/RtMidiBackend.h"

using namespace player_test;
using vand::midi::RtMidiBackend;

namespace {

constexpr const char* kNoSequencer =
    "no ALSA sequencer (/dev/snd/seq missing); load snd-seq on the host to run this test";
constexpr auto kDelivery = std::chrono::seconds(5);

// Passes the engine's handler on and counts the messages delivered, so a test
// can wait for RtMidi's thread before pumping the engine.
class CountingBackend final : public vand::player::MidiBackend {
 public:
  explicit CountingBackend(std::shared_ptr<RtMidiBackend> inner) : inner_(std::move(inner)) {}
  std::vector<MidiEndPoint> ListSources() override { return inner_->ListSources(); }
  bool Open(const MidiEndPoint& source, MessageHandler handler) override {
    return inner_->Open(source, [this, handler](const std::vector<std::uint8_t>& message) {
      handler(message);
      std::lock_guard lock(mutex_);
      ++delivered_;
      cv_.notify_all();
    });
  }
  void Close() override { inner_->Close(); }

  bool WaitFor(int count) {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, kDelivery, [&] { return delivered_ >= count; });
  }

 private:
  std::shared_ptr<RtMidiBackend> inner_;
  std::mutex mutex_;
  std::condition_variable cv_;
  int delivered_ = 0;
};

std::optional<MidiEndPoint> FindSource(RtMidiBackend& backend, const std::string& name) {
  for (const auto& source : backend.ListSources()) {
    if (source.GetSourceName() == name) return source;
  }
  return std::nullopt;
}

}  // namespace

class TstRtMidiVirtualPort : public QObject {
  Q_OBJECT

 private slots:
  void aVirtualPortDrivesTheEngine();
  void closeWaitsForTheHandler();
};

void TstRtMidiVirtualPort::aVirtualPortDrivesTheEngine() {
  auto backend = std::make_shared<RtMidiBackend>("vand test input");
  if (!backend->Available()) QSKIP(kNoSequencer);
  RtMidiOut keyboard(RtMidi::LINUX_ALSA, "vand test keys");
  keyboard.openVirtualPort("Keys");
  const auto source = FindSource(*backend, "vand test keys:Keys");
  QVERIFY2(source, "the test's virtual port is not listed");

  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  auto counting = std::make_shared<CountingBackend>(backend);
  EventRecorder rec;
  auto& engine = f.Start(nullptr, counting);
  const auto sources = engine.GetMidiSources();
  const auto at = std::find(sources.begin(), sources.end(), *source);
  QVERIFY(at != sources.end());
  engine.SetMidiSource(int(at - sources.begin()));
  QVERIFY(engine.HasMidiSource());

  engine.LearnMidiCommand(0);  // Play
  rec.Clear();
  const std::vector<unsigned char> noteOn{0x9F, 64, 100};  // note on, channel 16
  keyboard.sendMessage(&noteOn);
  QVERIFY(counting->WaitFor(1));
  f.Pump();
  QCOMPARE(EventRecorder::Values(rec.Take(), PlayerEvent::LearnedMIDICommand),
           std::vector<int>{(0 << 16) | (0x9F << 8) | 64});
  QCOMPARE(engine.GetLearnedCommands().at(0), (midi_commands::LearnedCommand{0x90, 15, 64}));

  keyboard.sendMessage(&noteOn);
  QVERIFY(counting->WaitFor(2));
  f.Pump();
  QVERIFY(engine.GetIsPlaying());
}

// A message being handled when Close is called is finished before Close
// returns; nothing is handled after it.
void TstRtMidiVirtualPort::closeWaitsForTheHandler() {
  RtMidiBackend backend("vand test input");
  if (!backend.Available()) QSKIP(kNoSequencer);
  RtMidiOut keyboard(RtMidi::LINUX_ALSA, "vand test keys");
  keyboard.openVirtualPort("Keys");
  const auto source = FindSource(backend, "vand test keys:Keys");
  QVERIFY(source);

  std::promise<void> entered;
  std::promise<void> release;
  std::shared_future<void> released = release.get_future().share();
  std::atomic<int> calls{0};
  std::atomic<bool> finished{false};
  QVERIFY(backend.Open(*source, [&](const std::vector<std::uint8_t>&) {
    if (calls.fetch_add(1) == 0) {
      entered.set_value();
      released.wait_for(kDelivery);
      finished = true;
    }
  }));
  const std::vector<unsigned char> noteOn{0x90, 60, 100};
  keyboard.sendMessage(&noteOn);
  QVERIFY(entered.get_future().wait_for(kDelivery) == std::future_status::ready);

  std::atomic<bool> finishedWhenClosed{false};
  auto closing = std::async(std::launch::async, [&] {
    backend.Close();
    finishedWhenClosed = finished.load();
  });
  // The handler is held: Close cannot have returned. (A Close that does not
  // wait returns at once, so a short wait is enough to see it.)
  QVERIFY(closing.wait_for(std::chrono::milliseconds(200)) == std::future_status::timeout);
  release.set_value();
  closing.get();
  QVERIFY(finishedWhenClosed);

  const int afterClose = calls.load();
  keyboard.sendMessage(&noteOn);
  QVERIFY(!backend.Open(MidiEndPoint("gone", "250:0"), [](const auto&) {}));
  QCOMPARE(calls.load(), afterClose);
}

QTEST_GUILESS_MAIN(TstRtMidiVirtualPort)
#include "tst_rtmidi_virtualport.moc"
