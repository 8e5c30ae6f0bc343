// The engine on a real sound server: the private PulseAudio daemon that
// scripts/test starts (scripts/start-audio), reached through PULSE_SERVER.
// The tests play into null sinks of their own and record their monitors.
// Time passes for real here; every wait is for a condition or for recorded
// audio, with generous bounds.

#include <algorithm>
#include <chrono>
#include <mutex>

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <pulse/error.h>
#include <pulse/simple.h>

#include "AudioFixture.h"
#include "PlayerFixture.h"
#include "kit/Log.h"
#include "vand_pelorin/PulseClock.h"

using namespace player_test;
using E = notify::PlayerEvent;

namespace {

// How long a sink may take to let a stream be heard: a null sink nobody
// records renders two seconds ahead, and takes a new stream up only once
// that block has run out.
constexpr double kHearWithinMs = 10000.0;

// Records a sink's monitor at 48 kHz stereo float, in 10 ms fragments: while
// it is open the sink renders in small blocks too. `keepOnly`: it is never
// read, and keeps no more than a few fragments.
class Recorder {
 public:
  explicit Recorder(const std::string& sink, const std::string& server = {}, bool keepOnly = false) {
    pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kRate, 2};
    pa_buffer_attr attr{};
    attr.fragsize = 4 * 2 * 480;
    attr.maxlength = keepOnly ? 4 * attr.fragsize : static_cast<std::uint32_t>(-1);
    const std::string source = sink + ".monitor";
    int error = 0;
    stream_ = pa_simple_new(server.empty() ? nullptr : server.c_str(), "tst_player_audio", PA_STREAM_RECORD,
                            source.c_str(), "record", &spec, nullptr, &attr, &error);
    if (!stream_) error_ = pa_strerror(error);
  }
  ~Recorder() {
    if (stream_) pa_simple_free(stream_);
  }
  const std::string& Error() const { return error_; }
  // Sound captured and not yet taken.
  double LatencyMs() {
    int error = 0;
    const pa_usec_t us = stream_ ? pa_simple_get_latency(stream_, &error) : 0;
    return static_cast<double>(us) / 1000.0;
  }
  // The next `ms` of the monitor (blocks until recorded).
  std::vector<float> Take(double ms) {
    std::vector<float> out(static_cast<std::size_t>(std::llround(ms * kRate / 1000.0)) * 2);
    int error = 0;
    if (stream_ && pa_simple_read(stream_, out.data(), out.size() * sizeof(float), &error) < 0) out.clear();
    return out;
  }
  // Takes the monitor until the left channel's level over 10 ms passes
  // `level` (true), or stays below `level` when `quiet`; false after
  // kHearWithinMs of it.
  bool Until(double level, bool quiet = false) {
    for (double taken = 0.0; taken < kHearWithinMs; taken += 10.0) {
      const auto chunk = Take(10.0);
      if (chunk.empty()) return false;
      const double rms = Rms(Channel(chunk, 0));
      if (quiet ? rms < level : rms > level) return true;
    }
    return false;
  }
  bool UntilHeard() { return Until(0.3); }
  bool UntilSilent() { return Until(1e-4, true); }

 private:
  pa_simple* stream_ = nullptr;
  std::string error_;
};

QString Pactl(const QStringList& arguments) {
  QProcess p;
  p.start("pactl", arguments);
  p.waitForFinished(10000);
  return QString::fromUtf8(p.readAllStandardOutput()).trimmed() + QString::fromUtf8(p.readAllStandardError()).trimmed();
}

// Collects the engine's log lines.
std::vector<float> Left(const std::vector<float>& stereo, double fromMs, double toMs) {
  return Channel(stereo, 0, std::llround(fromMs * kRate / 1000.0), std::llround(toMs * kRate / 1000.0));
}

// A show of one 16-bar song (32 s) holding a 440 Hz tone, and an engine on a
// PulseAudio clock of its own, playing into `device`, decoded.
struct Player {
  Fixture show{SimpleShow({SimpleSong("1", 16)})};
  std::shared_ptr<vand::player::PulseClock> clock;
  std::unique_ptr<vand::Pelorin2AudioInterface> engine;

  explicit Player(const std::string& device, vand::player::PulseClock::Settings settings = {}) {
    WriteSignal(show.showFolder / "audio" / "1.wav", 34.0, Tone(440.0));
    clock = std::make_shared<vand::player::PulseClock>(settings);
    vand::player::EngineOptions options;
    options.clock = clock;
    engine = std::make_unique<vand::Pelorin2AudioInterface>(show.showFolder.string(), show.dataFolder.string(), nullptr,
                                                            options);
    engine->ThrowIfThreadExceptions();
    engine->SetOutputDeviceUid(device.c_str());
    ready = engine->WaitUntilSettled(kPatience);
  }
  bool ready = false;
};

}  // namespace

class TstPlayerAudio : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void playsThroughTheSink();
  void playheadFollowsTheHeardAudio();
  void stopAndPlayAgainInOrder();
  void unknownDeviceFallsBackToTheDefault();
  void deviceSwitchKeepsThePosition();
  void stalledOutputFallsBackToSilence();
  void haltIsHeardAtOnce_data();
  void soundComesBackWhenTheServerReturns();
  void haltIsHeardAtOnce();
  void idleStreamIsPaused();

 private:
  std::string LoadSink(const std::string& name);

  std::vector<QString> modules_;
  std::string sink_;
  // One never-read recorder on each sink the tests use keeps it rendering in
  // small blocks, so that it takes a new stream up at once.
  std::vector<std::unique_ptr<Recorder>> keepers_;
};

void TstPlayerAudio::initTestCase() {
  const QByteArray failure = qgetenv("VAND_AUDIO_ERROR");
  if (!failure.isEmpty()) QFAIL(qPrintable("The test sound server did not start: " + QString::fromUtf8(failure)));
  const QByteArray server = qgetenv("PULSE_SERVER");
  if (server.isEmpty()) {
    QFAIL("PULSE_SERVER is not set: the audio tests run through scripts/test, which starts a private sound server.");
  }
  const QString info = Pactl({"info"});
  if (!info.contains("Server Name")) {
    QFAIL(qPrintable("The test sound server does not answer at " + QString::fromUtf8(server) + ": " + info));
  }
  sink_ = LoadSink("tst_player_audio_" + std::to_string(QCoreApplication::applicationPid()));
  keepers_.push_back(std::make_unique<Recorder>("null", std::string(), true));
}

void TstPlayerAudio::cleanupTestCase() {
  keepers_.clear();
  for (const auto& m : modules_) Pactl({"unload-module", m});
}

std::string TstPlayerAudio::LoadSink(const std::string& name) {
  const QString module = Pactl({"load-module", "module-null-sink", "sink_name=" + QString::fromStdString(name)});
  bool ok = false;
  module.toInt(&ok);
  if (ok) modules_.push_back(module);
  keepers_.push_back(std::make_unique<Recorder>(name, std::string(), true));
  return name;
}

void TstPlayerAudio::playsThroughTheSink() {
  Player p(sink_);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  QCOMPARE(engine.GetOutputDeviceUid(), sink_);
  Recorder recorder(sink_);
  QVERIFY2(recorder.Error().empty(), recorder.Error().c_str());
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  auto heard = recorder.Take(1000);
  QCOMPARE(heard.size(), std::size_t(1000 * 96));
  // The song's 440 Hz tone, at its level (a busy machine may drop a few
  // milliseconds on the server's side, which costs a little level only).
  auto tone = Left(heard, 0, 1000);
  const double at440 = Amplitude(tone, 440.0, kRate);
  QVERIFY2(at440 > 0.4, qPrintable(QString::number(at440)));
  QVERIFY(Amplitude(tone, 220.0, kRate) < at440 / 10.0 && Amplitude(tone, 880.0, kRate) < at440 / 10.0);
  QVERIFY(engine.GetIsPlaying());
}

// The playhead advances at the speed of real time, and behind what was
// rendered: it is the position heard.
void TstPlayerAudio::playheadFollowsTheHeardAudio() {
  Player p(sink_);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  Recorder recorder(sink_);
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  const auto t0 = std::chrono::steady_clock::now();
  const UInt32 tick0 = engine.GetTickIndex();
  recorder.Take(1000);
  const auto t1 = std::chrono::steady_clock::now();
  const UInt32 tick1 = engine.GetTickIndex();
  const double rate = (tick1 - tick0) / std::chrono::duration<double, std::milli>(t1 - t0).count();
  QVERIFY2(rate > 0.9 && rate < 1.1, qPrintable(QString("%1 ticks a millisecond").arg(rate)));
  // Rendered audio runs ahead of the playhead by the stream's latency.
  const auto stats = p.clock->GetStats();
  QVERIFY(!stats.silent);
  QVERIFY2(stats.latencyMs > 1.0 && stats.latencyMs < 100.0, qPrintable(QString::number(stats.latencyMs)));
}

void TstPlayerAudio::stopAndPlayAgainInOrder() {
  EventRecorder rec;
  Player p(sink_);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  Recorder recorder(sink_);
  rec.Clear();
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  QVERIFY(Rms(Left(recorder.Take(300), 0, 300)) > 0.3);
  engine.Stop();
  QVERIFY(recorder.UntilSilent());
  QVERIFY(Rms(Left(recorder.Take(200), 0, 200)) < 1e-4);
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  QVERIFY(Rms(Left(recorder.Take(300), 0, 300)) > 0.3);
  engine.Stop();
  QVERIFY(WaitFor([&] {
    const auto events = rec.Snapshot();
    return std::count_if(events.begin(), events.end(), [](const auto& e) { return e.event == E::PlaybackStopped; }) ==
           2;
  }));

  // Started, playheads rising, stopped (back at the start), started, stopped.
  std::vector<int> states;
  int lastHead = -1;
  bool rising = true;
  for (const auto& e : rec.Take()) {
    if (e.event == E::PlaybackStarted || e.event == E::PlaybackStopped) {
      states.push_back(int(e.event));
      lastHead = -1;
    }
    if (e.event == E::Playhead) {
      if (states.size() % 2 == 1 && e.value < lastHead) rising = false;
      lastHead = e.value;
    }
  }
  QCOMPARE(states, (std::vector<int>{int(E::PlaybackStarted), int(E::PlaybackStopped), int(E::PlaybackStarted),
                                     int(E::PlaybackStopped)}));
  QVERIFY(rising);
  QCOMPARE(engine.GetTickIndex(), 0u);
}

void TstPlayerAudio::unknownDeviceFallsBackToTheDefault() {
  LogCapture log;
  Player p("no-such-device");
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  QCOMPARE(engine.GetOutputDeviceUid(), std::string());
  const auto lines = log.Lines();
  QCOMPARE(lines.size(), std::size_t(1));
  QVERIFY2(lines[0].find("no-such-device") != std::string::npos, lines[0].c_str());
  Recorder recorder("null");  // the daemon's default sink
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  QVERIFY(Amplitude(Left(recorder.Take(300), 0, 300), 440.0, kRate) > 0.4);
}

// Switching the device while playing reopens the stream where playback is.
void TstPlayerAudio::deviceSwitchKeepsThePosition() {
  const std::string other = LoadSink(sink_ + "_b");
  Player p(sink_);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  Recorder first(sink_);
  engine.Play();
  QVERIFY(first.UntilHeard());
  QVERIFY(WaitFor([&] { return engine.GetTickIndex() > 500; }));
  const UInt32 before = engine.GetTickIndex();
  Recorder second(other);
  const auto switched = std::chrono::steady_clock::now();
  engine.SetOutputDeviceUid(other.c_str());
  QCOMPARE(engine.GetOutputDeviceUid(), other);
  const UInt32 after = engine.GetTickIndex();
  QVERIFY2(after >= before && after < before + 300, qPrintable(QString("%1 then %2").arg(before).arg(after)));
  // Playback goes on on the new sink from where it was: the playhead moves
  // on no faster than real time.
  QVERIFY(second.UntilHeard());
  QVERIFY(Rms(Left(second.Take(500), 0, 500)) > 0.3);
  const UInt32 later = engine.GetTickIndex();
  const double sinceMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - switched).count();
  QVERIFY2(later > after + 400 && later < after + sinceMs + 300,
           qPrintable(QString("%1 then %2 after %3 ms").arg(after).arg(later).arg(sinceMs)));
}

// A sink that stops taking audio (suspended) must not freeze the transport:
// the watchdog hands over to the silent clock at the same position.
void TstPlayerAudio::stalledOutputFallsBackToSilence() {
  const std::string stalled = LoadSink(sink_ + "_stall");
  LogCapture log;
  vand::player::PulseClock::Settings settings;
  settings.watchdogMs = 300.0;
  Player p(stalled, settings);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  auto& clock = p.clock;
  Recorder recorder(stalled);
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  QVERIFY(WaitFor([&] { return engine.GetTickIndex() > 300; }));
  Pactl({"suspend-sink", QString::fromStdString(stalled), "1"});
  QVERIFY(WaitFor([&] { return clock->GetStats().silent; }));
  const UInt32 at = engine.GetTickIndex();
  QVERIFY(WaitFor([&] { return engine.GetTickIndex() > at + 500; }));
  QVERIFY(engine.GetIsPlaying());
  const auto lines = log.Lines();
  QCOMPARE(lines.size(), std::size_t(1));
  QVERIFY2(lines[0].find("silently") != std::string::npos, lines[0].c_str());
  Pactl({"suspend-sink", QString::fromStdString(stalled), "0"});
}

// Where the sound last exceeds a whisper, in milliseconds from the start.
double SoundEndsMs(const std::vector<float>& left) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < left.size(); ++i) {
    if (std::abs(left[i]) > 1e-3f) end = i + 1;
  }
  return static_cast<double>(end) * 1000.0 / kRate;
}

// Whether sound comes back after a run of plain zeros (a millisecond or
// more): the stream ran dry and the server played silence meanwhile.
bool HasDropout(const std::vector<float>& left) {
  std::size_t zeros = 0;
  for (float x : left) {
    if (x == 0.0f) {
      ++zeros;
    } else {
      if (zeros >= std::size_t(kRate / 1000) && std::abs(x) > 1e-3f) return true;
      if (std::abs(x) > 1e-3f) zeros = 0;
    }
  }
  return false;
}

void TstPlayerAudio::haltIsHeardAtOnce_data() {
  QTest::addColumn<bool>("pause");
  QTest::newRow("stop") << false;
  QTest::newRow("pause") << true;
}

// Stop and Pause rewrite what the stream holds, from past what the server has
// read, as a short fade of the same sound. Judged by what the clock did: each
// halt is cut ahead of the server's read position, or left to play out when
// the server answered too slowly for that; and where the cut was made and the
// recording is whole (the stream did not run dry around it), no click is heard.
void TstPlayerAudio::haltIsHeardAtOnce() {
  QFETCH(bool, pause);
  Player p(sink_);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  auto& clock = *p.clock;
  Recorder recorder(sink_);
  constexpr int kHalts = 7;
  int judged = 0, dropouts = 0, uncut = 0;
  std::vector<double> delays;
  // A busy machine may starve the stream or slow the server around a halt:
  // such halts are counted and the next one is judged instead.
  for (int attempt = 0; judged < kHalts && attempt < 5 * kHalts; ++attempt) {
    const auto start = clock.GetStats();
    engine.Play();
    QVERIFY(recorder.UntilHeard());
    const auto playing = Left(recorder.Take(200), 0, 200);
    const auto before = clock.GetStats();
    // What the monitor captured before the call is still to be taken.
    const double queued = recorder.LatencyMs();
    if (pause) {
      engine.Pause(false);
    } else {
      engine.Stop();
    }
    const auto left = Left(recorder.Take(300), 0, 300);
    QVERIFY(Rms(Left(recorder.Take(100), 0, 100)) < 1e-4);
    QVERIFY(WaitFor([&] {
      const auto now = clock.GetStats();
      return now.cutsSkipped > before.cutsSkipped || now.cutsChecked > before.cutsChecked;
    }));
    const auto after = clock.GetStats();
    QCOMPARE(after.halts, before.halts + 1);
    if (after.cutsSkipped > before.cutsSkipped) {
      QCOMPARE(after.cuts, before.cuts);
      ++uncut;
      continue;
    }
    QCOMPARE(after.cuts, before.cuts + 1);
    QVERIFY(after.framesCut > before.framesCut);
    QCOMPARE(after.cutsLate, before.cutsLate);
    QVERIFY2(after.lastCutLeadMs > 0.0,
             qPrintable(QString("the cut began %1 ms before what the server had read").arg(-after.lastCutLeadMs)));
    if (after.underruns != start.underruns || HasDropout(playing) || HasDropout(left)) {
      ++dropouts;
      continue;
    }
    ++judged;
    delays.push_back(SoundEndsMs(left) - queued);
    // A 440 Hz tone at 0.5 moves at most 0.03 a sample; a step past that is a click.
    QVERIFY2(MaxStep(left) < 0.04, qPrintable(QString("a step of %1").arg(MaxStep(left))));
  }
  QVERIFY2(judged == kHalts, qPrintable(QString("of %1 halts, %2 had dropouts and %3 were not cut")
                                            .arg(judged + dropouts + uncut)
                                            .arg(dropouts)
                                            .arg(uncut)));
  std::sort(delays.begin(), delays.end());
  QString all;
  for (double d : delays) all += QString::number(d, 'f', 1) + " ";
  qInfo("call to silence: %s ms (left out: %d halts with dropouts, %d not cut)", qPrintable(all), dropouts, uncut);
}

// A private sound server in `folder` (scripts/start-audio); false when it
// did not start.
bool StartServer(const QString& folder) {
  QProcess p;
  p.start(QStringLiteral(VAND_SCRIPTS_DIR "/start-audio"), {folder});
  return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

void StopServer(const QString& folder) {
  QProcess p;
  p.start(QStringLiteral(VAND_SCRIPTS_DIR "/stop-audio"), {folder});
  p.waitForFinished(30000);
}

// The sound server goes away while the show plays and comes back: the
// transport runs on silently meanwhile, and the show is heard again from
// where it is, without anyone selecting a device.
void TstPlayerAudio::soundComesBackWhenTheServerReturns() {
  QTemporaryDir dir;
  const QString folder = dir.path() + "/audio";
  QVERIFY(StartServer(folder));
  struct Stopper {
    QString folder;
    ~Stopper() { StopServer(folder); }
  } stopper{folder};
  LogCapture log;
  vand::player::PulseClock::Settings settings;
  settings.server = "unix:" + folder.toStdString() + "/runtime/pulse/native";
  Player p("", settings);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  {
    Recorder recorder("null", settings.server);
    QVERIFY2(recorder.Error().empty(), recorder.Error().c_str());
    engine.Play();
    QVERIFY(recorder.UntilHeard());
  }
  StopServer(folder);
  QVERIFY(WaitFor([&] { return engine.IsOutputLost(); }));
  const UInt32 lostAt = engine.GetTickIndex();
  QVERIFY(WaitFor([&] { return engine.GetTickIndex() > lostAt + 1000; }));
  QVERIFY(engine.IsOutputLost());

  QVERIFY(StartServer(folder));
  Recorder recorder("null", settings.server);
  QVERIFY2(recorder.Error().empty(), recorder.Error().c_str());
  const UInt32 backAt = engine.GetTickIndex();
  // Heard again within what the monitor records (the new null sink takes a
  // stream up once its idle block has run out).
  double recordedMs = 0.0;
  bool heard = false;
  while (!heard && recordedMs < 10000.0) {
    heard = Rms(Left(recorder.Take(100), 0, 100)) > 0.3;
    recordedMs += 100.0;
  }
  QVERIFY2(heard, "nothing heard for 10 s after the server returned");
  qInfo("heard again after %.0f ms of the monitor", recordedMs);
  QVERIFY(!engine.IsOutputLost());
  QVERIFY(engine.GetIsPlaying());
  // Playback went on from where it was: the tone goes on, further on.
  QVERIFY(engine.GetTickIndex() >= backAt);
  // The tone at its level; a busy machine may drop a little of one window
  // on the new server's side, so a later window may show it.
  double at440 = 0.0;
  for (int i = 0; i < 10 && at440 <= 0.4; ++i) at440 = Amplitude(Left(recorder.Take(300), 0, 300), 440.0, kRate);
  QVERIFY2(at440 > 0.4, qPrintable(QString::number(at440)));
  const auto lines = log.Lines();
  QVERIFY(lines.size() >= 2);
  QVERIFY2(lines.front().find("playback goes on silently") != std::string::npos, lines.front().c_str());
  QVERIFY2(lines.back().find("heard") != std::string::npos, lines.back().c_str());
}

// Stopped, the stream is paused: nothing is rendered or written.
void TstPlayerAudio::idleStreamIsPaused() {
  Player p(sink_);
  QVERIFY(p.ready);
  auto& engine = *p.engine;
  auto& clock = p.clock;
  Recorder recorder(sink_);
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  QVERIFY(clock->GetStats().framesWritten > 0);
  engine.Stop();
  QVERIFY(recorder.UntilSilent());
  recorder.Take(300);  // the stream pauses once what it held is heard
  const auto written = clock->GetStats().framesWritten;
  recorder.Take(500);
  QCOMPARE(clock->GetStats().framesWritten, written);
  engine.Play();
  QVERIFY(recorder.UntilHeard());
  QVERIFY(clock->GetStats().framesWritten > written);
}

QTEST_MAIN(TstPlayerAudio)
#include "tst_player_audio.moc"
