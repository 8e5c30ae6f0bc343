// Transport and flow control, stepped by hand on the manual clock. Songs run
// at 120 bpm in 4/4 from tick 0, so bar n starts at tick (n - 1) * 2000.

#include <QTest>

#include "PlayerFixture.h"

using namespace player_test;
using E = notify::PlayerEvent;

namespace {}  // namespace

class TstPlayerTransport : public QObject {
  Q_OBJECT

 private slots:
  void startAnnouncesTheFirstPlayableSong();
  void loadSongRaisesTheDocumentedSequence();
  void playheadEveryFortyMilliseconds();
  void barBeatTextsFollowLabels();
  void cutJumpsToItsEnd();
  void chainedCutsAndCueInsideACut();
  void seekIntoACut_data();
  void seekIntoACut();
  void repeatPlaysItsPasses();
  void vampLoopsUntilExitAtEndOfPass();
  void vampWithCountLeavesOnItsOwn();
  void skipPlaysThroughOrJumpsOnContinue();
  void caesuraHoldsAndReleases();
  void markersCrossedInOrder();
  void oscOncePerPassWithDelay();
  void oscDelayFollowsTempoScale();
  void oscSentAheadOnceAcrossARebuild();
  void oscJumpedOverIsNotSent();
  void oscAtTheCueWhenSwitchedOnLater();
  void oscGoesOutWithoutBeingSwitchedOn();
  void songEnd_data();
  void songEnd();
  void seekKeepsStateAndClearsFlow();
  void measureAndMarkerNavigation();
  void fadeOutThenPauseAndCancel();
  void runningFadeIsCancelled_data();
  void runningFadeIsCancelled();
  void fadeToRampsTheMaster();
  void replacedRampCompletesOnce_data();
  void replacedRampCompletesOnce();
  void cancelFadeDuringFadeToReportsTheLevel();
  void stopFromFadeCompletion();
  void songChangesAndErrors();
  void tempoScaleSpeedsUpTheCursor();
  void shutdownStopsAndSilences();
};

void TstPlayerTransport::startAnnouncesTheFirstPlayableSong() {
  CL::ChangeLog log;
  log.GetOrCreateSongLog("1").attacca = 2;
  log.GetOrCreateSongLog("1").attaccaSet = true;
  Fixture f(SimpleShow({SimpleSong("1", 2), SimpleSong("2", 2)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  // Song 1 is skipped: song 2 is current from construction on.
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  auto events = rec.Take();
  const std::vector<E> expected{E::SongTitle, E::SongLoaded, E::TempoScale,        E::Transposition, E::Key,
                                E::Tempo,     E::Meter,      E::StatusFlowControl, E::VampOff,       E::PageNum,
                                E::BarBeat,   E::Marker,     E::Playhead,          E::StatusVolume};
  QCOMPARE(EventRecorder::Kinds(events), expected);
  QCOMPARE(EventRecorder::Texts(events, E::SongLoaded), std::vector<std::string>{"2"});
  QCOMPARE(EventRecorder::Values(events, E::StatusVolume), std::vector<int>{1000});
  QVERIFY(engine.IsStopped());
}

void TstPlayerTransport::loadSongRaisesTheDocumentedSequence() {
  auto song2 = SimpleSong("2", 4, "Overture");
  song2.keys = {{"1", -3, 0}};
  song2.tempos = {{"1", 92.5}};
  song2.pages = {{7, 0}};
  Fixture f(SimpleShow({SimpleSong("1", 2), song2}));
  EventRecorder rec;
  auto& engine = f.Start();
  engine.Play();
  f.Advance(100);
  rec.Clear();

  engine.LoadSong("2");
  // The song is current at once, before the engine thread ran.
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  f.Pump();
  const std::vector<Event> expected{
      {E::PlaybackStopped, 0, ""}, {E::SongTitle, 0, "Overture"}, {E::SongLoaded, 0, "2"},
      {E::TempoScale, 0, "100%"},  {E::Transposition, 0, ""},     {E::Key, 0, "Eb"},
      {E::Tempo, 0, "92.5"},       {E::Meter, 0, "4/4"},          {E::StatusFlowControl, 0, "ClearPickupBeat"},
      {E::VampOff, 0, ""},         {E::PageNum, 7, ""},           {E::BarBeat, 0, "0001 01"},
      {E::Marker, 0, ""},          {E::Playhead, 0, ""},
  };
  QCOMPARE(rec.Take(), expected);
  QVERIFY(engine.IsStopped());
  QCOMPARE(engine.GetTickIndex(), 0u);
}

void TstPlayerTransport::playheadEveryFortyMilliseconds() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Pump();
  QCOMPARE(EventRecorder::Kinds(rec.Take()), std::vector<E>{E::PlaybackStarted});
  f.Advance(400);
  auto ticks = EventRecorder::Values(rec.Take(), E::Playhead);
  QCOMPARE(ticks, (std::vector<int>{40, 80, 120, 160, 200, 240, 280, 320, 360, 400}));
  QVERIFY(engine.GetIsPlaying());
  QCOMPARE(engine.GetTickIndex(), 400u);
}

void TstPlayerTransport::barBeatTextsFollowLabels() {
  auto song = SimpleSong("1", 4);
  song.barLabels = {{"3", "2A"}};
  song.pickupBeats = 1;
  song.meters = {{"1", 3, 4}};
  Fixture f(SimpleShow({song}));
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Advance(6400);  // the song ends at 6500
  const std::vector<std::string> expected{"0001 01", "0001 02", "0001 03", "0002 01", "0002 02", "0002 03",
                                          "002A 01", "002A 02", "002A 03", "0004 01", "0004 02", "0004 03"};
  // The cue shows the pickup beat ("0000 03"); playing shows every later beat once.
  QCOMPARE(EventRecorder::Texts(rec.Take(), E::BarBeat), expected);
}

void TstPlayerTransport::cutJumpsToItsEnd() {
  auto log = LogFor("1", Events(CL::Cut(4000, 8000, "B3", 0), CL::Marker(5000, "inside", "E3")));
  Fixture f(SimpleShow({SimpleSong("1", 8)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Advance(6000);
  QCOMPARE(engine.GetTickIndex(), 10000u);
  auto events = rec.Take();
  // The jump repositions the playhead; nothing inside the cut is reached.
  auto heads = EventRecorder::Values(events, E::Playhead);
  QVERIFY(std::find(heads.begin(), heads.end(), 8000) != heads.end());
  QVERIFY(std::none_of(heads.begin(), heads.end(), [](int t) { return t > 4000 && t < 8000; }));
  auto markers = EventRecorder::Values(events, E::Marker);
  QVERIFY(std::find(markers.begin(), markers.end(), 5000) == markers.end());
  for (const auto& text : EventRecorder::Texts(events, E::BarBeat)) QVERIFY(text.rfind("0003", 0) != 0);
}

void TstPlayerTransport::chainedCutsAndCueInsideACut() {
  auto log = LogFor("1", Events(CL::Cut(2000, 4000, "B2", 0), CL::Cut(4000, 6000, "B3", 0)));
  Fixture f(SimpleShow({SimpleSong("1", 8)}), &log);
  auto& engine = f.Start();
  engine.Play();
  f.Advance(2500);
  // 2000 jumps to 4000, where the next cut starts: it lands at 6000.
  QCOMPARE(engine.GetTickIndex(), 6500u);

  engine.Pause(false);
  engine.Seek(3000);  // a cue inside a cut
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 3000u);
  engine.Play();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 6000u);
}

void TstPlayerTransport::seekIntoACut_data() {
  QTest::addColumn<QString>("state");
  QTest::newRow("stopped") << "stopped";
  QTest::newRow("paused") << "paused";
  QTest::newRow("playing") << "playing";
  QTest::newRow("faded") << "faded";
}

// Wherever the seek lands inside the cut, nothing of the cut is played.
void TstPlayerTransport::seekIntoACut() {
  QFETCH(QString, state);
  auto log = LogFor("1", Events(CL::Cut(2000, 4000, "B2", 0)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  engine.Play();
  f.Advance(500);
  if (state == "stopped") engine.Stop();
  if (state == "paused") engine.Pause(false);
  if (state == "faded") engine.Fade({}, 0.1f);
  f.Advance(200);
  QCOMPARE(engine.GetIsFaded(), state == "faded");
  engine.Seek(3000);
  f.Pump();
  if (state != "playing") engine.Play();
  rec.Clear();
  f.Advance(100);
  QVERIFY(engine.GetIsPlaying());
  QCOMPARE(engine.GetTickIndex(), 4100u);
  for (int tick : EventRecorder::Values(rec.Take(), E::Playhead)) QVERIFY2(tick >= 4000, QByteArray::number(tick));
}

void TstPlayerTransport::repeatPlaysItsPasses() {
  auto log = LogFor("1", Events(CL::Repeat(2000, 4000, "A2", 3)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Advance(2000 + 3 * 2000 + 2000);
  QCOMPARE(engine.GetTickIndex(), 6000u);
  auto events = rec.Take();
  auto flow = EventRecorder::Of(events, E::StatusFlowControl);
  const std::vector<Event> expected{{E::StatusFlowControl, 3, "Repeat"},
                                    {E::StatusFlowControl, 2, "Repeat"},
                                    {E::StatusFlowControl, 1, "Repeat"},
                                    {E::StatusFlowControl, 0, "ClearPickupBeat"}};
  QCOMPARE(flow, expected);
  // A repeat does not light the continue button.
  QVERIFY(EventRecorder::Of(events, E::VampOn).empty());
}

void TstPlayerTransport::vampLoopsUntilExitAtEndOfPass() {
  auto log = LogFor("1", Events(CL::Vamp(2000, 4000, "V2", 0)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Advance(2000 + 5 * 2000 + 500);  // the sixth pass, 500 in
  QCOMPARE(engine.GetTickIndex(), 2500u);
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Of(events, E::StatusFlowControl), (std::vector<Event>{{E::StatusFlowControl, 0, "Vamp"}}));
  QCOMPARE(EventRecorder::Of(events, E::VampOn).size(), std::size_t(1));

  engine.FlowControlExit();
  f.Advance(1000);
  QCOMPARE(engine.GetTickIndex(), 3500u);  // the pass is finished first
  f.Advance(1000);
  QCOMPARE(engine.GetTickIndex(), 4500u);
  events = rec.Take();
  QCOMPARE(EventRecorder::Of(events, E::StatusFlowControl),
           (std::vector<Event>{{E::StatusFlowControl, 0, "ClearPickupBeat"}}));
  QCOMPARE(EventRecorder::Of(events, E::VampOff).size(), std::size_t(1));

  // Continue while playing inside a vamp acts as the exit.
  engine.Seek(1000);
  f.Advance(1500);  // entered again at 2000
  engine.Continue();
  f.Advance(2000);
  QCOMPARE(engine.GetTickIndex(), 4500u);
}

void TstPlayerTransport::vampWithCountLeavesOnItsOwn() {
  auto log = LogFor("1", Events(CL::Vamp(2000, 4000, "V2", 2)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto& engine = f.Start();
  engine.Play();
  f.Advance(2000 + 2 * 2000 + 500);
  QCOMPARE(engine.GetTickIndex(), 4500u);
}

void TstPlayerTransport::skipPlaysThroughOrJumpsOnContinue() {
  auto log = LogFor("1", Events(CL::Fermata(2000, 6000, "M2", 0)));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  engine.Play();
  f.Advance(6500);
  QCOMPARE(engine.GetTickIndex(), 6500u);  // played through

  engine.Seek(0);
  f.Advance(2500);
  rec.Clear();
  engine.Continue();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 6000u);
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Of(events, E::StatusFlowControl),
           (std::vector<Event>{{E::StatusFlowControl, 0, "ClearPickupBeat"}}));
  QCOMPARE(EventRecorder::Of(events, E::VampOff).size(), std::size_t(1));
  QCOMPARE(EventRecorder::Values(events, E::Playhead), std::vector<int>{6000});
  QVERIFY(engine.GetIsPlaying());
}

void TstPlayerTransport::caesuraHoldsAndReleases() {
  auto log = LogFor("1", Events(CL::Caesura(3000, "N2.3", 0), CL::Marker(3000, "held", "E2.3"),
                                CL::Osc(3000, "S2.3", CL::OscProperties("/go", "NET"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  EventRecorder rec;
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  engine.DoOscProcessing(true);
  engine.Play();
  f.Pump();
  osc->Take();
  rec.Clear();

  f.Advance(4000);
  QCOMPARE(engine.GetTickIndex(), 3000u);
  QVERIFY(!engine.GetIsPlaying());
  QVERIFY(engine.GetIsPaused());
  QVERIFY(!engine.IsStopped());
  auto events = rec.Take();
  auto ids = EventRecorder::Kinds(events);
  auto paused = std::find(ids.begin(), ids.end(), E::PlaybackPaused);
  auto flow = std::find(ids.begin(), ids.end(), E::StatusFlowControl);
  QVERIFY(paused != ids.end() && flow != ids.end() && paused < flow);
  QCOMPARE(EventRecorder::Of(events, E::StatusFlowControl), (std::vector<Event>{{E::StatusFlowControl, 0, "Caesura"}}));
  QCOMPARE(EventRecorder::Of(events, E::VampOn).size(), std::size_t(1));
  QCOMPARE(EventRecorder::Values(events, E::Playhead).back(), 3000);
  // The OSC event at the hold waits for the application to send it on release.
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{false, "S2.3", 3000, 0}}));

  f.Advance(1000);
  QCOMPARE(engine.GetTickIndex(), 3000u);

  engine.Continue();
  f.Advance(100);
  QCOMPARE(engine.GetTickIndex(), 3100u);
  events = rec.Take();
  QCOMPARE(EventRecorder::Kinds(events).front(), E::PlaybackStarted);
  QCOMPARE(EventRecorder::Of(events, E::StatusFlowControl),
           (std::vector<Event>{{E::StatusFlowControl, 0, "ClearPickupBeat"}}));
  QCOMPARE(EventRecorder::Of(events, E::VampOff).size(), std::size_t(1));
  QCOMPARE(EventRecorder::Values(events, E::Marker), std::vector<int>{3000});  // after the release
  QVERIFY(osc->Take().empty());                                                // not sent twice
}

void TstPlayerTransport::markersCrossedInOrder() {
  auto log =
      LogFor("1", Events(CL::Marker(1000, "a", "E1.3"), CL::Marker(3000, "b", "E2.3"), CL::Marker(7000, "c", "E4.3")));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Advance(5000);
  QCOMPARE(EventRecorder::Values(rec.Take(), E::Marker), (std::vector<int>{1000, 3000}));
}

void TstPlayerTransport::oscOncePerPassWithDelay() {
  auto log = LogFor("1", Events(CL::Vamp(0, 2000, "V1", 2), CL::Osc(1000, "S1.3", CL::OscProperties("/x", "N"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  engine.DoOscProcessing(true);
  engine.Play();
  f.Advance(840);
  QVERIFY(osc->Take().empty());
  f.Advance(10);  // at 850 the event lies 150 ms ahead
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S1.3", 1000, 150}}));
  f.Advance(1990);  // crossing it and looping back sends nothing more yet
  QVERIFY(osc->Take().empty());
  f.Advance(10);  // 150 ms before it in the second pass
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S1.3", 1000, 150}}));
  f.Advance(4000);  // the vamp is over
  QVERIFY(osc->Take().empty());
}

void TstPlayerTransport::oscDelayFollowsTempoScale() {
  auto log =
      LogFor("1", Events(CL::TempoScale(0, 4000, "D1", 0.5), CL::Osc(1000, "S1.3", CL::OscProperties("/x", "N"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  engine.DoOscProcessing(true);
  engine.Play();
  // Half speed: tick 925 is reached after 1850 ms, and 1000 lies 150 ms further.
  f.Advance(1840);
  QVERIFY(osc->Take().empty());
  f.Advance(10);
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S1.3", 1000, 150}}));
}

// An edit that rebuilds the plan while an event is in the look-ahead window
// (and moves it within the plan's list) does not send it again.
void TstPlayerTransport::oscSentAheadOnceAcrossARebuild() {
  auto log = LogFor("1", Events(CL::Osc(1000, "S2", CL::OscProperties("/x", "N"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  engine.DoOscProcessing(true);
  engine.Play();
  f.Advance(900);
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S2", 1000, 150}}));
  CL::Editor* editor = engine.GetChangeLogEditor();
  editor->SelectSongLogForEditing("1");
  editor->AddEvent(CL::Osc(500, "S1", CL::OscProperties("/y", "N")));  // now the plan's first
  editor->AddEvent(CL::Osc(1000, "S3", CL::OscProperties("/z", "N")));
  engine.LoadNewChangeLog();
  f.Advance(500);
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S3", 1000, 90}}));  // the next block
}

void TstPlayerTransport::oscJumpedOverIsNotSent() {
  auto log = LogFor("1", Events(CL::Cut(1000, 3000, "B1.3", 0), CL::Osc(2000, "S2", CL::OscProperties("/x", "N")),
                                CL::Osc(0, "S1", CL::OscProperties("/y", "N"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  osc->Take();
  // Switched off: nothing at all.
  engine.DoOscProcessing(false);
  engine.Play();
  f.Advance(500);
  engine.Stop();
  f.Pump();
  QVERIFY(osc->Take().empty());

  engine.DoOscProcessing(true);
  engine.Stop();  // at rest on tick 0: the event there is queued for the application
  f.Pump();
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{false, "S1", 0, 0}}));
  engine.Play();
  f.Advance(4000);
  QVERIFY(osc->Take().empty());  // S1 not executed again, S2 lies in the cut
}

void TstPlayerTransport::oscAtTheCueWhenSwitchedOnLater() {
  auto log = LogFor("1", Events(CL::Osc(0, "S1", CL::OscProperties("/y", "N"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  osc->Take();
  engine.DoOscProcessing(false);
  engine.Stop();  // cued at 0 while OSC is off
  f.Pump();
  QVERIFY(osc->Take().empty());
  engine.DoOscProcessing(true);
  engine.Play();
  f.Advance(100);
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S1", 0, 0}}));
}

// An engine given an OSC callback hands its timeline OSC out from the start,
// never switched on: whoever listens for OSC commands has no say in it.
void TstPlayerTransport::oscGoesOutWithoutBeingSwitchedOn() {
  auto log = LogFor(
      "1", Events(CL::Osc(0, "S1", CL::OscProperties("/y", "N")), CL::Osc(1000, "S2", CL::OscProperties("/x", "N"))));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto osc = std::make_shared<RecordingOsc>();
  auto& engine = f.Start(osc);
  // At rest on tick 0: the event there is queued for the application.
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{false, "S1", 0, 0}}));
  engine.Play();
  f.Advance(900);
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S2", 1000, 150}}));
}

void TstPlayerTransport::songEnd_data() {
  QTest::addColumn<int>("attacca1");
  QTest::addColumn<int>("attacca2");
  QTest::addColumn<QString>("song");
  QTest::addColumn<bool>("playing");
  QTest::addColumn<int>("tick");

  // Song 1 ends at 4000; 500 ms of output are left over.
  QTest::newRow("0: stop and cue the next") << 0 << 0 << "2" << false << 0;
  QTest::newRow("1: run on") << 1 << 0 << "2" << true << 500;
  QTest::newRow("0, next skipped: cue the one after") << 0 << 2 << "3" << false << 0;
  QTest::newRow("1, next skipped: run on into the one after") << 1 << 2 << "3" << true << 500;
}

void TstPlayerTransport::songEnd() {
  QFETCH(int, attacca1);
  QFETCH(int, attacca2);
  QFETCH(QString, song);
  QFETCH(bool, playing);
  QFETCH(int, tick);
  Fixture f(SimpleShow({SimpleSong("1", 2), SimpleSong("2", 2), SimpleSong("3", 2)}));
  EventRecorder rec;
  auto& engine = f.Start();
  engine.SetAttacca("1", static_cast<unsigned char>(attacca1));
  engine.SetAttacca("2", static_cast<unsigned char>(attacca2));
  engine.Play();
  f.Pump();
  rec.Clear();
  f.Advance(4500);
  QCOMPARE(QString::fromStdString(engine.GetCurrentSongNumber()), song);
  QCOMPARE(engine.GetIsPlaying(), playing);
  QCOMPARE(engine.IsStopped(), !playing);
  QCOMPARE(engine.GetTickIndex(), static_cast<UInt32>(tick));
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Texts(events, E::SongLoaded), std::vector<std::string>{song.toStdString()});
  QCOMPARE(EventRecorder::Of(events, E::PlaybackStopped).size(), std::size_t(playing ? 0 : 1));
  QCOMPARE(EventRecorder::Of(events, E::PlaybackStarted).size(), std::size_t(playing ? 1 : 0));
}

void TstPlayerTransport::seekKeepsStateAndClearsFlow() {
  auto log = LogFor("1", Events(CL::Vamp(2000, 4000, "V2", 0), CL::Marker(5000, "m", "E3.3")));
  auto song = SimpleSong("1", 4);
  song.pages = {{1, 0}, {2, 4000}};
  Fixture f(SimpleShow({song}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  engine.Play();
  f.Advance(2500);
  rec.Clear();
  engine.Seek(5000);
  f.Pump();
  QVERIFY(engine.GetIsPlaying());
  QCOMPARE(engine.GetTickIndex(), 5000u);
  auto events = rec.Take();
  const std::vector<Event> expected{{E::StatusFlowControl, 0, "ClearPickupBeat"},
                                    {E::VampOff, 0, ""},
                                    {E::PageNum, 2, ""},
                                    {E::BarBeat, 0, "0003 03"},
                                    {E::Marker, 5000, ""},
                                    {E::Playhead, 5000, ""}};
  QCOMPARE(events, expected);

  // Seeking past the end clamps to the end; seeking while stopped keeps it stopped.
  engine.Stop();
  engine.Seek(999999);
  f.Pump();
  QVERIFY(engine.IsStopped());
  QCOMPARE(engine.GetTickIndex(), 8000u);
}

void TstPlayerTransport::measureAndMarkerNavigation() {
  auto log = LogFor("1", Events(CL::Marker(3000, "a", "E2.3"), CL::Marker(6000, "b", "E4")));
  Fixture f(SimpleShow({SimpleSong("1", 4)}), &log);
  auto& engine = f.Start();
  auto at = [&](UInt32 tick) {
    engine.Seek(tick);
    f.Pump();
  };
  at(2100);
  engine.SeekToNextMeasure();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 4000u);
  at(4100);  // 100 ms into bar 3: the bar before
  engine.SeekToPreviousMeasure();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 2000u);
  at(4300);  // 300 ms in: the bar's own start
  engine.SeekToPreviousMeasure();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 4000u);

  at(1000);
  engine.SeekRight();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 3000u);
  engine.SeekRight();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 6000u);
  engine.SeekRight();  // none after: stays
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 6000u);
  engine.SeekLeft();
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 3000u);
  engine.SeekLeft();  // none before: the song's start
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 0u);

  QVERIFY(engine.SeekToBar("3"));
  QVERIFY(engine.SeekToBar("03"));
  QVERIFY(!engine.SeekToBar("9"));
  QVERIFY(!engine.SeekToBar(""));
  f.Pump();
  QCOMPARE(engine.GetTickIndex(), 4000u);
}

void TstPlayerTransport::fadeOutThenPauseAndCancel() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  EventRecorder rec;
  auto& engine = f.Start();
  engine.Play();
  f.Advance(1000);
  rec.Clear();
  int done = 0;
  engine.Fade([&] { ++done; }, 1.0f);
  f.Advance(500);
  QCOMPARE(EventRecorder::Kinds(rec.Take()).front(), E::PlaybackFading);
  QVERIFY(engine.GetOutputGain() > 0.0 && engine.GetOutputGain() < 1.0);
  QCOMPARE(done, 0);
  f.Advance(500);
  QCOMPARE(done, 1);
  QVERIFY(engine.GetIsFaded());
  QVERIFY(!engine.GetIsPlaying());
  QCOMPARE(engine.GetOutputGain(), 0.0);
  const UInt32 tick = engine.GetTickIndex();
  QCOMPARE(tick, 2000u);
  f.Advance(1000);
  QCOMPARE(engine.GetTickIndex(), tick);  // nothing is consumed while faded
  QCOMPARE(done, 1);

  engine.Pause(false);  // pause while faded: paused with the level back
  f.Pump();
  QVERIFY(engine.GetIsPaused());
  QCOMPARE(engine.GetOutputGain(), 1.0);

  engine.Play();
  engine.Fade({}, 0.2f);
  f.Advance(300);
  QVERIFY(engine.GetIsFaded());
  engine.CancelFade();
  f.Pump();
  QVERIFY(!engine.GetIsFaded());
  QVERIFY(engine.GetIsPaused());
  QCOMPARE(engine.GetOutputGain(), 1.0);

  // A fade asked for while not playing completes at once and changes nothing.
  engine.Stop();
  engine.Fade([&] { ++done; }, 5.0f);
  f.Pump();
  QCOMPARE(done, 2);
  QVERIFY(engine.IsStopped());
}

void TstPlayerTransport::runningFadeIsCancelled_data() {
  QTest::addColumn<QString>("how");
  QTest::newRow("CancelFade") << "CancelFade";
  QTest::newRow("Play") << "Play";
}

// A fade stopped half-way leaves the output at full level, still playing.
void TstPlayerTransport::runningFadeIsCancelled() {
  QFETCH(QString, how);
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  auto& engine = f.Start();
  engine.Play();
  int done = 0;
  engine.Fade([&] { ++done; }, 1.0f);
  f.Advance(500);
  QVERIFY(engine.GetOutputGain() < 1.0);
  if (how == "CancelFade") engine.CancelFade();
  if (how == "Play") engine.Play();
  f.Pump();
  QCOMPARE(engine.GetOutputGain(), 1.0);
  f.Advance(1000);
  QVERIFY(engine.GetIsPlaying());
  QCOMPARE(engine.GetOutputGain(), 1.0);
  QCOMPARE(done, 0);
}

void TstPlayerTransport::fadeToRampsTheMaster() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  EventRecorder rec;
  auto& engine = f.Start();
  engine.SetVolume(1.0, vand_audio::VolumeType::Main);
  f.Pump();
  QCOMPARE(EventRecorder::Values(rec.Take(), E::StatusVolume).back(), 1000);
  int done = 0;
  engine.FadeTo([&] { ++done; }, 0.5f, 0.25f);
  f.Advance(500);
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Kinds(events).front(), E::PlaybackFading);
  auto volumes = EventRecorder::Values(events, E::StatusVolume);
  QCOMPARE(volumes.size(), std::size_t(10));  // one every 50 ms
  QVERIFY(std::is_sorted(volumes.rbegin(), volumes.rend()));
  QCOMPARE(volumes.back(), 250);
  QCOMPARE(done, 1);
  QCOMPARE(engine.GetVolume(), 0.25);
  QVERIFY(engine.IsStopped());  // the transport is untouched

  // Bad levels are refused or limited.
  engine.SetVolume(std::nan(""));
  engine.SetVolume(-3.0);
  f.Pump();
  QCOMPARE(engine.GetVolume(), 0.0);
}

void TstPlayerTransport::replacedRampCompletesOnce_data() {
  QTest::addColumn<QString>("kind");
  QTest::newRow("Fade") << "Fade";
  QTest::newRow("FadeTo") << "FadeTo";
}

// A second fade replacing a running one: the first one's completion still runs,
// once, when the second one ends (just before the second's own). It used to be
// dropped.
void TstPlayerTransport::replacedRampCompletesOnce() {
  QFETCH(QString, kind);
  Fixture f(SimpleShow({SimpleSong("1", 8)}));
  auto& engine = f.Start();
  engine.Play();
  f.Advance(100);
  std::vector<int> done;
  auto start = [&](int which, float seconds) {
    auto fn = [&done, which] { done.push_back(which); };
    if (kind == "Fade") engine.Fade(fn, seconds);
    if (kind == "FadeTo") engine.FadeTo(fn, seconds, 0.5f);
  };
  start(1, 2.0f);
  f.Advance(500);
  start(2, 1.0f);
  f.Advance(900);
  QVERIFY(done.empty());
  f.Advance(200);
  QCOMPARE(done, (std::vector<int>{1, 2}));
  f.Advance(3000);
  QCOMPARE(done, (std::vector<int>{1, 2}));
  QCOMPARE(engine.GetIsFaded(), kind == "Fade");
}

// CancelFade during a FadeTo keeps the level reached and reports it (it used
// to leave the display at the last 50 ms report).
void TstPlayerTransport::cancelFadeDuringFadeToReportsTheLevel() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  EventRecorder rec;
  auto& engine = f.Start();
  engine.FadeTo({}, 1.0f, 0.0f);
  f.Advance(520);
  rec.Clear();
  engine.CancelFade();
  f.Pump();
  const double level = engine.GetVolume();
  QVERIFY(level > 0.4 && level < 0.5);
  QCOMPARE(EventRecorder::Values(rec.Take(), E::StatusVolume), std::vector<int>{int(std::lround(level * 1000.0))});
  f.Advance(1000);
  QCOMPARE(engine.GetVolume(), level);
  QVERIFY(EventRecorder::Values(rec.Take(), E::StatusVolume).empty());
}

void TstPlayerTransport::stopFromFadeCompletion() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  auto& engine = f.Start();
  engine.Play();
  f.Advance(1000);
  engine.Fade([&] { engine.Stop(); }, 0.1f);
  f.Advance(100);
  QVERIFY(engine.GetIsFaded());
  f.Pump();
  QVERIFY(engine.IsStopped());
  QCOMPARE(engine.GetTickIndex(), 0u);
}

void TstPlayerTransport::songChangesAndErrors() {
  CL::ChangeLog log;
  log.GetOrCreateSongLog("2").attacca = 2;
  log.GetOrCreateSongLog("2").attaccaSet = true;
  Fixture f(SimpleShow({SimpleSong("1", 2), SimpleSong("2", 2), SimpleSong("3", 2)}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  engine.NextSong();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("3"));  // 2 is skipped
  engine.NextSong();                                          // no wrap
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("3"));
  engine.PrevSong();
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("1"));
  engine.LoadSong("2");  // an explicit choice wins over the skip
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine.LoadSong("9"));
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine.LoadSongAtTime("", 0));
  engine.LoadSongAtTime("3", 2500);
  f.Pump();
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("3"));
  QCOMPARE(engine.GetTickIndex(), 2500u);
  // Nothing was running, so no stop was raised.
  QVERIFY(EventRecorder::Of(rec.Take(), E::PlaybackStopped).empty());
}

void TstPlayerTransport::tempoScaleSpeedsUpTheCursor() {
  auto log = LogFor("1", Events(CL::TempoScale(2000, 4000, "D2", 2.0), CL::Transpose(2000, 4000, "C2", 3)));
  auto song = SimpleSong("1", 4);
  song.keys = {{"1", -3, 0}};
  Fixture f(SimpleShow({song}), &log);
  EventRecorder rec;
  auto& engine = f.Start();
  rec.Clear();
  engine.Play();
  f.Advance(2000 + 500);  // 2000 ticks at 1x, then 1000 ticks at 2x
  QCOMPARE(engine.GetTickIndex(), 3000u);
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Texts(events, E::TempoScale), std::vector<std::string>{"200%"});
  QCOMPARE(EventRecorder::Texts(events, E::Tempo), std::vector<std::string>{"240"});
  QCOMPARE(EventRecorder::Values(events, E::Transposition), std::vector<int>{3});
  QCOMPARE(EventRecorder::Texts(events, E::Key), std::vector<std::string>{"F#"});  // Eb up three half steps
  f.Advance(500);
  events = rec.Take();
  QCOMPARE(EventRecorder::Texts(events, E::TempoScale), std::vector<std::string>{"100%"});
  QCOMPARE(EventRecorder::Texts(events, E::Key), std::vector<std::string>{"Eb"});
}

void TstPlayerTransport::shutdownStopsAndSilences() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  EventRecorder rec;
  auto& engine = f.Start();
  engine.Play();
  f.Advance(100);
  rec.Clear();
  engine.Shutdown();
  QCOMPARE(EventRecorder::Kinds(rec.Take()), std::vector<E>{E::PlaybackStopped});
  engine.Shutdown();  // idempotent
  engine.Play();      // does nothing now
  f.Advance(100);
  QVERIFY(rec.Take().empty());
  QVERIFY(engine.IsStopped());
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("1"));  // queries still answer
  QCOMPARE(engine.GetSongLength("1"), 8000u);
}

QTEST_MAIN(TstPlayerTransport)
#include "tst_player_transport.moc"
