// The engine's sound, rendered on the manual audio clock: songs hold known
// signals and the tests measure what comes out (steps at seams, pitch, timing,
// levels). Songs run at 120 bpm in 4/4 from tick 0 (bar n at (n - 1) * 2000);
// output is 48 kHz stereo, 48 frames a tick at normal speed.

#include <chrono>
#include <fstream>

#include <QTest>

#include "AudioFixture.h"
#include "PlayerFixture.h"

using namespace player_test;
using E = notify::PlayerEvent;

namespace {

std::int64_t At(double ms) { return std::llround(ms * kRate / 1000.0); }

// Frames [from, to) ms of the left channel.
std::vector<float> Span(const std::vector<float>& stereo, double fromMs, double toMs) {
  return Channel(stereo, 0, At(fromMs), At(toMs));
}

void Append(std::vector<float>& all, const std::vector<float>& more) {
  all.insert(all.end(), more.begin(), more.end());
}

// Where a tone of amplitude 0.4 stops: the first 5 ms window in [fromMs,
// toMs) below a tenth of its level (0 when there is none).
double SilenceFrom(const std::vector<float>& stereo, double fromMs, double toMs) {
  for (double ms = fromMs; ms < toMs; ms += 1.0) {
    if (Rms(Span(stereo, ms, ms + 5.0)) < 0.028) return ms;
  }
  return 0.0;
}

fs::path AudioOf(const Fixture& f, const std::string& song) { return f.showFolder / "audio" / (song + ".wav"); }

// A 440 Hz sine of amplitude 0.5 steps at most this much between samples.
const double kToneStep = 0.5 * 2.0 * std::numbers::pi * 440.0 / kRate;

}  // namespace

class TstPlayerRender : public QObject {
  Q_OBJECT

 private slots:
  void seamsAreCrossfaded_data();
  void seamsAreCrossfaded();
  void cutSkipsItsAudio();
  void regionsKeepPitchOrTiming_data();
  void regionsKeepPitchOrTiming();
  void vampRepeatsTheSameSamples();
  void fadeLevelsOverTime_data();
  void fadeLevelsOverTime();
  void volumeChangesWithoutSteps();
  void attaccaRingsOnForTwoSeconds();
  void playheadLagsByTheStreamLatency();
  void decodesFormatsRatesAndChannels_data();
  void decodesFormatsRatesAndChannels();
  void undecodableSongIsReportedAndOthersPlay();
  void songsWithoutAudioAreSkipped_data();
  void songsWithoutAudioAreSkipped();
  void onlyTheCurrentAndNextSongsAreHeld();
};

void TstPlayerRender::seamsAreCrossfaded_data() {
  QTest::addColumn<QString>("edit");
  QTest::addColumn<QString>("action");
  QTest::newRow("start from rest") << ""
                                   << "cue";
  QTest::newRow("cut") << "cut"
                       << "";
  QTest::newRow("vamp return") << "vamp"
                               << "";
  QTest::newRow("seek while playing") << ""
                                      << "seek";
  QTest::newRow("stop") << ""
                        << "stop";
  QTest::newRow("pause and resume") << ""
                                    << "pause";
  QTest::newRow("tempo region entry and exit") << "tempo"
                                               << "";
  QTest::newRow("transposition entry and exit") << "transpose"
                                                << "";
}

// Jumps land where the phase of the tone differs (1001 ms is 440.44 cycles),
// and stops and starts cut a running tone away from its zero crossings:
// without crossfades each seam is a step of up to one full amplitude.
void TstPlayerRender::seamsAreCrossfaded() {
  QFETCH(QString, edit);
  QFETCH(QString, action);
  CL::ChangeLog log;
  if (edit == "cut") log = LogFor("1", Events(CL::Cut(1000, 2001, "B1", 0)));
  if (edit == "vamp") log = LogFor("1", Events(CL::Vamp(1000, 2001, "V1", 0)));
  if (edit == "tempo") log = LogFor("1", Events(CL::TempoScale(1000, 2000, "D1", 0.8)));
  if (edit == "transpose") log = LogFor("1", Events(CL::Transpose(1000, 2000, "C1", 2)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  WriteSignal(AudioOf(f, "1"), 9.0, Tone(440.0));
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));

  if (action == "cue") engine.Seek(503);
  engine.Play();
  std::vector<float> out = f.Render(703);
  if (action == "seek") engine.Seek(3001);
  if (action == "stop") engine.Stop();
  if (action == "pause") engine.Pause(false);
  Append(out, f.Render(300));
  if (action == "pause") engine.Play();
  Append(out, f.Render(2500));

  const double step = MaxStep(Channel(out, 0));
  // Two voices crossfading add up to 3 dB for a moment; a click is many times more.
  QVERIFY2(step < 2.0 * kToneStep, qPrintable(QString("largest step %1").arg(step)));
  QVERIFY(Rms(Span(out, 100, 600)) > 0.3);  // the tone does play
  if (action == "stop") QVERIFY(Rms(Span(out, 710, 3500)) == 0.0);
}

void TstPlayerRender::cutSkipsItsAudio() {
  auto log = LogFor("1", Events(CL::Cut(1000, 2000, "B1", 0)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  // 440 Hz, but 880 Hz inside the cut.
  WriteSignal(AudioOf(f, "1"), 9.0, [](double t, int) {
    return 0.5 * std::sin(2.0 * std::numbers::pi * ((t >= 1.0 && t < 2.0) ? 880.0 : 440.0) * t);
  });
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  auto out = f.Render(2000);
  QCOMPARE(engine.GetTickIndex(), 3000u);
  auto heard = Channel(out, 0);
  QVERIFY(Amplitude(heard, 440.0, kRate) > 0.45);
  // Only the 5 ms fade-out of the jump reads into the cut.
  QVERIFY2(Amplitude(heard, 880.0, kRate) < 0.01, qPrintable(QString::number(Amplitude(heard, 880.0, kRate))));
}

void TstPlayerRender::regionsKeepPitchOrTiming_data() {
  QTest::addColumn<double>("factor");
  QTest::addColumn<int>("halfSteps");
  QTest::newRow("tempo 0.75") << 0.75 << 0;
  QTest::newRow("tempo 1.5") << 1.5 << 0;
  QTest::newRow("tempo 0.5") << 0.5 << 0;
  QTest::newRow("transpose +2") << 1.0 << 2;
  QTest::newRow("transpose -3") << 1.0 << -3;
  QTest::newRow("transpose +6") << 1.0 << 6;
  QTest::newRow("tempo 0.8, transpose +3") << 0.8 << 3;
}

// A 1 kHz tone that stops at 3 s of the song, inside a tempo-scale and/or a
// transpose region over the whole song: a tempo scale keeps the pitch while
// ticks advance at 1000 * factor a second; a transposition moves the pitch by
// 2^(n/12) with the timing unchanged; either way the tone stops when the
// playhead reaches tick 3000 (the stretcher's start delay is compensated).
void TstPlayerRender::regionsKeepPitchOrTiming() {
  QFETCH(double, factor);
  QFETCH(int, halfSteps);
  CL::ChangeLog log =
      LogFor("1", Events(CL::TempoScale(0, 8000, "D1", factor), CL::Transpose(0, 8000, "C1", halfSteps)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  WriteSignal(AudioOf(f, "1"), 9.0,
              [](double t, int) { return t < 3.0 ? 0.4 * std::sin(2 * std::numbers::pi * 1000 * t) : 0.0; });
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  const double stopMs = 3000.0 / factor;
  auto out = f.Render(stopMs + 500.0);
  QCOMPARE(double(engine.GetTickIndex()), std::floor((stopMs + 500.0) * factor));

  const double expected = 1000.0 * std::pow(2.0, halfSteps / 12.0);
  const double hz = Frequency(Span(out, 200, stopMs - 200), kRate);
  QVERIFY2(std::abs(hz / expected - 1.0) < 0.01, qPrintable(QString("%1 Hz, not %2").arg(hz).arg(expected)));
  const double silentFrom = SilenceFrom(out, 100.0, stopMs + 400.0);
  QVERIFY2(std::abs(silentFrom - stopMs) < 30.0,
           qPrintable(QString("stops at %1 ms, not %2").arg(silentFrom).arg(stopMs)));
}

// A signal that does not repeat within the song: a vamp's passes are the same
// samples, the loop's seam aside.
void TstPlayerRender::vampRepeatsTheSameSamples() {
  auto log = LogFor("1", Events(CL::Vamp(1000, 3000, "V1", 0)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  WriteSignal(AudioOf(f, "1"), 9.0, [](double t, int) {
    return 0.2 * std::sin(2 * std::numbers::pi * 331 * t) + 0.2 * std::sin(2 * std::numbers::pi * 457.3 * t) +
           0.1 * std::sin(2 * std::numbers::pi * 1009.7 * t * (1.0 + 0.05 * t));
  });
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  auto out = f.Render(5500);
  QCOMPARE(engine.GetTickIndex(), 1500u);  // third pass
  auto first = Span(out, 1010, 2990);
  auto second = Span(out, 3010, 4990);
  QCOMPARE(first.size(), second.size());
  double diff = 0.0;
  for (std::size_t i = 0; i < first.size(); ++i) diff = std::max(diff, std::abs(double(first[i]) - second[i]));
  QVERIFY2(diff < 1e-6, qPrintable(QString::number(diff)));
  QVERIFY(Rms(first) > 0.1);
}

void TstPlayerRender::fadeLevelsOverTime_data() {
  QTest::addColumn<QString>("kind");
  QTest::addColumn<float>("level");
  QTest::newRow("Fade (equal power to silence)") << "Fade" << 0.0f;
  QTest::newRow("FadeTo 0.25 (linear)") << "FadeTo" << 0.25f;
  QTest::newRow("FadeTo 0.8") << "FadeTo" << 0.8f;
}

// Levels of a steady tone at each quarter of a two-second fade.
void TstPlayerRender::fadeLevelsOverTime() {
  QFETCH(QString, kind);
  QFETCH(float, level);
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  WriteSignal(AudioOf(f, "1"), 9.0, Tone(440.0));
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  f.Render(500);
  const double full = 0.5 / std::sqrt(2.0);
  int done = 0;
  if (kind == "Fade") engine.Fade([&] { ++done; }, 2.0f);
  if (kind == "FadeTo") engine.FadeTo([&] { ++done; }, 2.0f, level);
  for (int quarter = 1; quarter <= 4; ++quarter) {
    auto out = f.Render(500);
    const double x = quarter / 4.0;
    const double gain = kind == "Fade" ? std::cos(x * std::numbers::pi / 2.0) : 1.0 + (level - 1.0) * x;
    const double heard = Rms(Span(out, 480, 500)) / full;  // the last 20 ms of the quarter
    QVERIFY2(std::abs(heard - gain) < 0.03,
             qPrintable(QString("quarter %1: %2, not %3").arg(quarter).arg(heard).arg(gain)));
  }
  auto after = f.Render(500);
  QCOMPARE(done, 1);
  QCOMPARE(engine.GetIsFaded(), kind == "Fade");
  QVERIFY(std::abs(Rms(Span(after, 0, 500)) / full - level) < 0.01);
}

// A volume set with one call reaches the output as a ramp of a few
// milliseconds: no step larger than the tone's own.
void TstPlayerRender::volumeChangesWithoutSteps() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  WriteSignal(AudioOf(f, "1"), 9.0, Tone(440.0));
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  auto out = f.Render(300);
  engine.SetVolume(0.1);
  Append(out, f.Render(300));
  engine.SetVolume(1.0);
  Append(out, f.Render(300));
  QVERIFY(MaxStep(Channel(out, 0)) < 1.2 * kToneStep);
  QVERIFY(std::abs(Rms(Span(out, 500, 600)) / Rms(Span(out, 100, 200)) - 0.1) < 0.01);
}

// Song 1 ends at 4 s with attacca; its audio runs 3 s further (440 Hz). Song 2
// (660 Hz) starts at once while song 1's tail fades out over 2 s.
void TstPlayerRender::attaccaRingsOnForTwoSeconds() {
  auto first = SimpleSong("1", 2);
  first.defaultAttacca = 1;
  Fixture f(SimpleShow({first, SimpleSong("2", 4)}));
  WriteSignal(AudioOf(f, "1"), 7.0, Tone(440.0));
  WriteSignal(AudioOf(f, "2"), 9.0, Tone(660.0));
  EventRecorder rec;
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Seek(3000);
  engine.Play();
  auto out = f.Render(3500);  // the song changes at 1000 ms
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  QCOMPARE(EventRecorder::Texts(rec.Take(), E::SongLoaded).back(), std::string("2"));
  QCOMPARE(engine.GetTickIndex(), 2500u);

  QVERIFY(Amplitude(Span(out, 500, 950), 660.0, kRate) < 0.01);  // song 2 not yet
  for (double after : {0.1, 0.5, 1.0, 1.5, 1.9}) {
    const double ms = 1000.0 + after * 1000.0;
    auto window = Span(out, ms - 25.0, ms + 25.0);
    const double tail = std::cos(after / 2.0 * std::numbers::pi / 2.0) * 0.5;
    QVERIFY2(std::abs(Amplitude(window, 660.0, kRate) - 0.5) < 0.03, qPrintable(QString("660 Hz at +%1 s").arg(after)));
    QVERIFY2(
        std::abs(Amplitude(window, 440.0, kRate) - tail) < 0.04,
        qPrintable(QString("440 Hz at +%1 s: %2, not %3").arg(after).arg(Amplitude(window, 440.0, kRate)).arg(tail)));
  }
  QVERIFY(Amplitude(Span(out, 3100, 3400), 440.0, kRate) < 0.005);  // the tail is over
}

// With 20 ms between the blocks and the sound heard, the playhead and the
// events of playback lag by 20 ms; what a command raises comes at once.
void TstPlayerRender::playheadLagsByTheStreamLatency() {
  auto log = LogFor("1", Events(CL::Marker(500, "m", "E1")));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  WriteSignal(AudioOf(f, "1"), 9.0, Tone(440.0));
  EventRecorder rec;
  auto& engine = f.StartWithSound(At(20));
  QVERIFY(engine.WaitUntilSettled(kPatience));
  rec.Clear();
  engine.Play();
  f.Render(510);
  QCOMPARE(engine.GetTickIndex(), 490u);
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Values(events, E::PlaybackStarted).size(), std::size_t(1));
  QVERIFY(EventRecorder::Values(events, E::Marker).empty());  // crossed, not heard yet
  QVERIFY(EventRecorder::Values(events, E::Playhead).back() <= 490);
  f.Render(20);
  QCOMPARE(EventRecorder::Values(rec.Take(), E::Marker), std::vector<int>{500});
  QCOMPARE(engine.GetTickIndex(), 510u);

  engine.Stop();
  f.Pump();
  events = rec.Take();
  QCOMPARE(EventRecorder::Values(events, E::PlaybackStopped).size(), std::size_t(1));
  QCOMPARE(EventRecorder::Values(events, E::Playhead).back(), 0);
  QCOMPARE(engine.GetTickIndex(), 0u);
}

void TstPlayerRender::decodesFormatsRatesAndChannels_data() {
  QTest::addColumn<int>("format");
  QTest::addColumn<int>("rate");
  QTest::addColumn<int>("channels");
  QTest::newRow("WAV 44.1 kHz stereo") << int(SF_FORMAT_WAV | SF_FORMAT_PCM_16) << 44100 << 2;
  QTest::newRow("FLAC 48 kHz mono") << int(SF_FORMAT_FLAC | SF_FORMAT_PCM_16) << 48000 << 1;
  QTest::newRow("Ogg Vorbis 32 kHz stereo") << int(SF_FORMAT_OGG | SF_FORMAT_VORBIS) << 32000 << 2;
}

// Left: 1 kHz; right: 500 Hz (or the same 1 kHz for mono). Whatever the file,
// the output runs at the show's rate with the pitch and timing of the file.
void TstPlayerRender::decodesFormatsRatesAndChannels() {
  QFETCH(int, format);
  QFETCH(int, rate);
  QFETCH(int, channels);
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  fs::path file = AudioOf(f, "1");
  {
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = format;
    SNDFILE* sf = sf_open(file.c_str(), SFM_WRITE, &info);
    QVERIFY(sf);
    std::vector<float> data(static_cast<std::size_t>(rate * 5 * channels));
    for (int i = 0; i < rate * 5; ++i) {
      for (int c = 0; c < channels; ++c) {
        data[i * channels + c] = 0.4f * float(std::sin(2 * std::numbers::pi * (c == 0 ? 1000.0 : 500.0) * i / rate));
      }
    }
    sf_writef_float(sf, data.data(), rate * 5);
    sf_close(sf);
  }
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  auto out = f.Render(1500);
  QCOMPARE(engine.GetTickIndex(), 1500u);
  const double left = Frequency(Channel(out, 0, At(100), At(1400)), kRate);
  const double right = Frequency(Channel(out, 1, At(100), At(1400)), kRate);
  QVERIFY2(std::abs(left - 1000.0) < 3.0, qPrintable(QString::number(left)));
  QVERIFY2(std::abs(right - (channels == 1 ? 1000.0 : 500.0)) < 3.0, qPrintable(QString::number(right)));
  QVERIFY(Rms(Channel(out, 0, At(100), At(1400))) > 0.25);
}

void TstPlayerRender::undecodableSongIsReportedAndOthersPlay() {
  Fixture f(SimpleShow({SimpleSong("1", 2), SimpleSong("2", 2), SimpleSong("3", 2)}));
  for (const char* song : {"1", "2", "3"}) WriteSignal(AudioOf(f, song), 5.0, Tone(440.0));
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  // Song 3's file breaks after the show was opened.
  std::ofstream(AudioOf(f, "3"), std::ios::trunc) << "this is not audio";
  try {
    engine.LoadSong("3");
    QFAIL("LoadSong accepted an undecodable song");
  } catch (const std::runtime_error& e) {
    QVERIFY2(std::string(e.what()).find(AudioOf(f, "3").string()) != std::string::npos, e.what());
  }
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("1"));
  engine.NextSong();
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Play();
  auto out = f.Render(500);
  QVERIFY(engine.GetIsPlaying());
  QVERIFY(Rms(Span(out, 100, 500)) > 0.3);
}

void TstPlayerRender::songsWithoutAudioAreSkipped_data() {
  QTest::addColumn<QString>("missing");
  QTest::addColumn<QString>("damage");
  QTest::newRow("song 3 deleted") << "3"
                                  << "delete";
  QTest::newRow("song 3 not audio") << "3"
                                    << "garbage";
  QTest::newRow("song 1 deleted") << "1"
                                  << "delete";
}

// Five songs (song 2 runs on into the next by attacca), one of them without
// readable audio: the show loads with every song listed and one line for
// that song; the others play; LoadSong of it names its file; attacca, Next
// and Previous go past it.
void TstPlayerRender::songsWithoutAudioAreSkipped() {
  QFETCH(QString, missing);
  QFETCH(QString, damage);
  std::vector<vand::player::SongDefinition> songs;
  for (int i = 1; i <= 5; ++i) songs.push_back(SimpleSong(std::to_string(i), 2));
  songs[1].defaultAttacca = 1;
  Fixture f(SimpleShow(songs));
  auto hz = [](const std::string& song) { return 200.0 + 100.0 * std::stoi(song); };
  for (int i = 1; i <= 5; ++i) WriteSignal(AudioOf(f, std::to_string(i)), 5.0, Tone(hz(std::to_string(i))));
  const std::string bad = missing.toStdString();
  const fs::path badFile = AudioOf(f, bad);
  if (damage == "delete") fs::remove(badFile);
  if (damage == "garbage") std::ofstream(badFile, std::ios::trunc) << "RIFF, then no wave at all";

  LogCapture log;
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  std::vector<std::string> lines;
  for (const auto& line : log.Lines()) {
    if (line.find(badFile.string()) != std::string::npos) lines.push_back(line);
  }
  QCOMPARE(lines.size(), std::size_t(1));
  QVERIFY2(lines[0].find("song " + bad + " cannot be played") != std::string::npos, lines[0].c_str());
  QCOMPARE(engine.GetSongNamesBySongNumber().size(), std::size_t(5));
  QCOMPARE(engine.GetCurrentSongNumber(), std::string(bad == "1" ? "2" : "1"));

  try {
    engine.LoadSong(bad);
    QFAIL("LoadSong accepted a song without audio");
  } catch (const std::runtime_error& e) {
    QVERIFY2(std::string(e.what()).find(badFile.string()) != std::string::npos, e.what());
  }
  for (int i = 1; i <= 5; ++i) {
    const std::string song = std::to_string(i);
    if (song == bad) continue;
    engine.LoadSong(song);
    f.Pump();
    QVERIFY(engine.WaitUntilSettled(kPatience));
    engine.Play();
    auto out = f.Render(400);
    QVERIFY2(Amplitude(Span(out, 100, 400), hz(song), kRate) > 0.4, song.c_str());
    engine.Stop();
    f.Render(50);
  }

  const std::string afterTwo = bad == "3" ? "4" : "3";
  engine.LoadSong("2");
  f.Pump();
  engine.NextSong();
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), afterTwo);
  engine.PrevSong();
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  engine.PrevSong();
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string(bad == "1" ? "2" : "1"));

  // Song 2 ends at 4 s and runs on into the next song that can play.
  engine.LoadSong("2");
  f.Pump();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  engine.Seek(3500);
  engine.Play();
  auto out = f.Render(1000);
  QCOMPARE(engine.GetCurrentSongNumber(), afterTwo);
  QVERIFY(engine.GetIsPlaying());
  QVERIFY(Amplitude(Span(out, 600, 1000), hz(afterTwo), kRate) > 0.4);
}

// Playing through a show keeps at most two songs decoded: the current one and
// the next, whatever the number of songs.
void TstPlayerRender::onlyTheCurrentAndNextSongsAreHeld() {
  std::vector<vand::player::SongDefinition> songs;
  for (int i = 1; i <= 6; ++i) songs.push_back(SimpleSong(std::to_string(i), 1));
  Fixture f(SimpleShow(songs));
  for (int i = 1; i <= 6; ++i) WriteSignal(AudioOf(f, std::to_string(i)), 2.5, Tone(220.0 * i / 2.0));
  auto& engine = f.StartWithSound();
  QVERIFY(engine.WaitUntilSettled(kPatience));
  for (int i = 1; i <= 6; ++i) {
    QCOMPARE(engine.GetCurrentSongNumber(), std::to_string(i));
    QVERIFY(engine.WaitUntilSettled(kPatience));
    QCOMPARE(engine.SongsHeld(), std::size_t(i < 6 ? 2 : 1));
    engine.Play();
    auto out = f.Render(300);
    QVERIFY(Amplitude(Span(out, 50, 300), 220.0 * i / 2.0, kRate) > 0.4);
    engine.NextSong();
    f.Render(100);
  }
}

QTEST_MAIN(TstPlayerRender)
#include "tst_player_render.moc"
