// What the application asks the engine: songs, ticks, bars and beats, pages,
// click values, markers and panel events, destinations and output paths.

#include <QTest>

#include "PlayerFixture.h"

using namespace player_test;

namespace {

// Songs in file order "10", "2", "03", "1"; song "2" has a click region over bar 2.
vand::player::ShowDefinition QueryShow() {
  auto s10 = SimpleSong("10", 2, "Ten");
  s10.pages = {{9, 0}};
  auto s2 = SimpleSong("2", 4, "Two");
  s2.barLabels = {{"3", "2A"}};
  s2.tempos = {{"1", 120.0}, {"3", 60.0}};
  s2.meters = {{"1", 4, 4}, {"4", 3, 4}};
  s2.keys = {{"1", -3, 0}, {"3", 2, 1}};
  s2.pages = {{3, 0}, {4, 4000}};
  auto s03 = SimpleSong("03", 2, "Three");
  s03.startTick = 250;
  s03.audioOffsetTicks = 100;
  s03.meters = {{"1", 6, 8}};
  auto s1 = SimpleSong("1", 2, "One");
  s1.pages = {{1, 0}};
  return SimpleShow({s10, s2, s03, s1});
}

CL::ChangeLog QueryLog() {
  CL::ChangeLog log;
  log.SetVersion(cmn::VANDVersion(2, 1));
  log.SetNetworks(
      {CL::NetworkPath("NET0", "Lights", "10.0.0.5", 9000), CL::NetworkPath("NET1", "QLab", "127.0.0.1", 53000)});
  log.SetOutputPath(CL::OutputPath("p1", "Stage Left", "dev-a"));
  CL::SongLog& s2 = log.GetOrCreateSongLog("2");
  s2.Add(CL::Click(2000, 4000, "L2", 4));
  s2.Add(CL::Marker(6000, "late", "E3.3"));
  s2.Add(CL::Marker(1000, "early", "E1.3"));
  s2.Add(CL::Osc(1000, "S1.3", CL::OscProperties("/go", "NET0")));
  s2.Add(CL::Caesura(1000, "N1.3", 0));
  s2.Add(CL::Vamp(4000, 6000, "V2A", 0));
  s2.attacca = 1;
  s2.attaccaSet = true;
  CL::SongLog& s03 = log.GetOrCreateSongLog("03");
  s03.attacca = 2;
  s03.attaccaSet = true;
  log.AppendSfx(CL::Sfx(500, "sfx.1", CL::SfxProperties()));
  return log;
}

}  // namespace

class TstPlayerQueries : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void cleanup();

  void songsInNumericOrder();
  void songLookup_data();
  void songLookup();
  void songExtentsAndUnknownSongs();
  void pages();
  void barsAndBeatsWithAndWithoutClickEdits();
  void barBeatByTick_data();
  void barBeatByTick();
  void barStrings();
  void availableShift();
  void clickValues_data();
  void clickValues();
  void timelineOfTheCurrentSong();
  void markersAndPanelEvents();
  void attacca();
  void destinationsAndOutputPaths();
  void explicitBeatsKeepThePreStartEntry();

 private:
  std::unique_ptr<Fixture> f_;
  AudioInterface* engine_ = nullptr;
};

void TstPlayerQueries::init() {
  auto log = QueryLog();
  f_ = std::make_unique<Fixture>(QueryShow(), &log, 300);
  engine_ = &f_->Start();
  engine_->LoadSong("2");
  f_->Pump();
}

void TstPlayerQueries::cleanup() {
  engine_ = nullptr;
  f_.reset();
}

void TstPlayerQueries::songsInNumericOrder() {
  SongNameMap names = engine_->GetSongNamesBySongNumber();
  std::vector<std::pair<std::string, std::string>> list(names.begin(), names.end());
  const std::vector<std::pair<std::string, std::string>> expected{
      {"1", "One"}, {"2", "Two"}, {"03", "Three"}, {"10", "Ten"}};
  QCOMPARE(list, expected);
}

void TstPlayerQueries::songLookup_data() {
  QTest::addColumn<QString>("requested");
  QTest::addColumn<bool>("exists");
  QTest::addColumn<QString>("actual");
  QTest::newRow("exact") << "2" << true << "2";
  QTest::newRow("leading zero stored") << "3" << true << "03";
  QTest::newRow("leading zero asked") << "01" << true << "1";
  QTest::newRow("exact with zero") << "03" << true << "03";
  QTest::newRow("unknown") << "4" << false << "4";
  QTest::newRow("empty") << "" << false << "";
  QTest::newRow("text") << "two" << false << "two";
}

void TstPlayerQueries::songLookup() {
  QFETCH(QString, requested);
  QFETCH(bool, exists);
  QFETCH(QString, actual);
  QCOMPARE(engine_->SongExists(requested.toStdString()), exists);
  QCOMPARE(QString::fromStdString(engine_->GetActualSongNumber(requested.toStdString())), actual);
}

void TstPlayerQueries::songExtentsAndUnknownSongs() {
  QCOMPARE(engine_->GetSongLength("2"), 2000u + 2000u + 4000u + 3000u);  // bar 3 at 60 bpm, bar 4 in 3/4
  QCOMPARE(engine_->GetSongStartTickIndex("03"), 250u);
  QCOMPARE(engine_->GetSongAudioStartTick("03"), 100u);
  // The audio runs from the offset for the song's length plus the 300 ms tail.
  QCOMPARE(engine_->GetSongAudioEndTick("03"), 100u + engine_->GetSongLength("03") + 300u);
  QCOMPARE(engine_->GetCurrentStartTickIndex(), 0u);
  engine_->LoadSong("03");
  QCOMPARE(engine_->GetCurrentStartTickIndex(), 250u);
  QCOMPARE(engine_->GetMinStartTickIndex(), 250u);
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine_->GetSongLength("3"));
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine_->GetSongStartTickIndex("x"));
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine_->GetSongAudioEndTick(""));
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine_->GetBarsBeats("9"));
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine_->GetAttacca("9"));
}

void TstPlayerQueries::pages() {
  QCOMPARE(engine_->LookupPage(1), (std::pair<std::string, UInt32>("1", 0)));
  QCOMPARE(engine_->LookupPage(4), (std::pair<std::string, UInt32>("2", 4000)));
  QCOMPARE(engine_->LookupPage(9), (std::pair<std::string, UInt32>("10", 0)));
  QVERIFY_THROWS_EXCEPTION(std::out_of_range, engine_->LookupPage(0));
  QVERIFY_THROWS_EXCEPTION(std::out_of_range, engine_->LookupPage(5));
}

void TstPlayerQueries::barsAndBeatsWithAndWithoutClickEdits() {
  auto base = engine_->GetBarsBeats("2", false);
  auto clicked = engine_->GetBarsBeats("2");
  QCOMPARE(base.size(), std::size_t(4 + 4 + 4 + 3));
  QCOMPARE(clicked.size(), base.size() + 4);  // bar 2 in eighths
  std::vector<std::pair<UInt32, int>> bar2;
  for (const auto& b : clicked) {
    if (b.bar_number() == "2") bar2.emplace_back(b.tick, b.beat);
  }
  const std::vector<std::pair<UInt32, int>> expected{{2000, 1}, {2250, 2}, {2500, 3}, {2750, 4},
                                                     {3000, 5}, {3250, 6}, {3500, 7}, {3750, 8}};
  QCOMPARE(bar2, expected);
  QCOMPARE(base[8].bar_number(), std::string("2A"));
  QCOMPARE(base[8].tick, 4000u);
  for (std::size_t i = 1; i < clicked.size(); ++i) QVERIFY(clicked[i].tick > clicked[i - 1].tick);
}

void TstPlayerQueries::barBeatByTick_data() {
  QTest::addColumn<uint>("tick");
  QTest::addColumn<bool>("clickEdits");
  QTest::addColumn<bool>("atOrBefore");
  QTest::addColumn<uint>("expected");
  QTest::newRow("nearest below") << 249u << true << false << 0u;
  QTest::newRow("tie goes to the earlier") << 250u << true << false << 0u;
  QTest::newRow("nearest above") << 251u << true << false << 500u;
  QTest::newRow("at or before") << 499u << false << true << 0u;
  QTest::newRow("click grid nearest") << 2130u << true << false << 2250u;
  QTest::newRow("base grid nearest") << 2130u << false << false << 2000u;
  QTest::newRow("click grid at or before") << 2490u << true << true << 2250u;
  QTest::newRow("past the last beat") << 99999u << true << false << 10000u;
}

void TstPlayerQueries::barBeatByTick() {
  QFETCH(uint, tick);
  QFETCH(bool, clickEdits);
  QFETCH(bool, atOrBefore);
  QFETCH(uint, expected);
  QCOMPARE(engine_->GetBarBeatByTick(tick, clickEdits, atOrBefore).tick, expected);
  if (atOrBefore && clickEdits) QCOMPARE(engine_->GetBarBeatLeftByTick(tick).tick, expected);
}

void TstPlayerQueries::barStrings() {
  QCOMPARE(engine_->GetBarString(0), std::string("1:1"));
  QCOMPARE(engine_->GetBarString(1530), std::string("1:4+30"));
  QCOMPARE(engine_->GetBarString(2300), std::string("2:2+50"));  // the click grid
  QCOMPARE(engine_->GetBarString(5000), std::string("2A:2"));
}

void TstPlayerQueries::availableShift() {
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(0, true), 499u);
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(2000, true), 249u);
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(2000, false), 499u);
  const UInt32 length = engine_->GetSongLength("2");
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(10000, true), length - 10000u - 1u);  // capped at the end
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(length - 1, true), 0u);
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(length, true), 0u);
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(0xFFFFFFFFu, true), 0u);
  QCOMPARE(engine_->GetAvailableShiftAfterBarBeat(0xFFFFFFFFu, false), 0u);
}

void TstPlayerQueries::clickValues_data() {
  QTest::addColumn<QString>("song");
  QTest::addColumn<uint>("start");
  QTest::addColumn<uint>("end");
  QTest::addColumn<QList<int>>("expected");
  QTest::newRow("4/4") << "2" << 0u << 3000u << QList<int>{8, 4, 2, 16};
  QTest::newRow("3/4") << "2" << 8000u << 9000u << QList<int>{8, 4, 2};
  QTest::newRow("4/4 into 3/4") << "2" << 0u << 8000u << QList<int>{8, 4, 2};
  QTest::newRow("end before start") << "2" << 3000u << 0u << QList<int>{8, 4, 2, 16};
  QTest::newRow("6/8") << "03" << 250u << 1000u << QList<int>{12, 4, 2};
}

void TstPlayerQueries::clickValues() {
  QFETCH(QString, song);
  QFETCH(uint, start);
  QFETCH(uint, end);
  QFETCH(QList<int>, expected);
  engine_->LoadSong(song.toStdString());
  auto values = engine_->GetClickValues(start, end);
  QCOMPARE(QList<int>(values.begin(), values.end()), expected);
}

void TstPlayerQueries::timelineOfTheCurrentSong() {
  TL::Timeline t = engine_->GetTimeline();
  QCOMPARE(t.GetTempos().size(), std::size_t(2));
  QCOMPARE(t.GetTempos()[1].tick, 4000u);
  QCOMPARE(t.GetTempos()[1].usPerQuarter, 1000000u);
  QCOMPARE(t.GetMeters().size(), std::size_t(2));
  QCOMPARE(t.GetMeters()[1].tick, 8000u);
  QCOMPARE(int(t.GetMeters()[1].numerator), 3);
  QCOMPARE(t.GetKeys().size(), std::size_t(2));
  QCOMPARE(int(t.GetKeys()[1].sharpsFlats), 2);
  QCOMPARE(int(t.GetKeys()[1].mode), 1);
}

void TstPlayerQueries::markersAndPanelEvents() {
  auto markers = engine_->GetMarkers();
  QCOMPARE(markers.size(), std::size_t(2));
  QCOMPARE(markers[0]->value(), std::string("early"));
  QCOMPARE(markers[1]->value(), std::string("late"));
  // Pointers into the store: the song log holds the same records.
  const CL::SongLog* log = engine_->GetSongLog();
  QVERIFY(log);
  QCOMPARE(static_cast<const cmn::VandEvent*>(markers[0]), static_cast<const cmn::VandEvent*>(&log->GetMarkers()[0]));

  auto panel = engine_->GetChangeLogPanelEvents();
  std::vector<std::pair<UInt32, char>> order;
  for (const auto& e : panel) order.emplace_back(e->start(), static_cast<char>(e->code()));
  const std::vector<std::pair<UInt32, char>> expected{{500, 'Q'}, {1000, 'N'}, {1000, 'S'}, {2000, 'L'}, {4000, '@'}};
  QCOMPARE(order, expected);
  // Copies that keep their type.
  auto* osc = dynamic_cast<CL::Osc*>(panel[2].get());
  QVERIFY(osc);
  QCOMPARE(osc->osc_properties().NetworkId(), std::string("NET0"));
  QVERIFY(panel[2].get() != static_cast<const cmn::VandEvent*>(&log->GetOscs()[0]));

  engine_->LoadSong("1");  // a song without edits still has a log
  QVERIFY(engine_->GetSongLog());
  QVERIFY(engine_->GetMarkers().empty());
}

void TstPlayerQueries::attacca() {
  QCOMPARE(int(engine_->GetAttacca("2")), 1);   // from the log
  QCOMPARE(int(engine_->GetAttacca("03")), 2);  // from the log
  QCOMPARE(int(engine_->GetAttacca("1")), 0);   // the show's default
  engine_->SetAttacca("1", 7);
  QCOMPARE(int(engine_->GetAttacca("1")), 2);
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine_->SetAttacca("9", 1));
}

void TstPlayerQueries::destinationsAndOutputPaths() {
  QCOMPARE(engine_->GetNetworks().size(), std::size_t(2));
  QCOMPARE(engine_->GetNetwork("NET1").Port, 53000);
  try {
    engine_->GetNetwork("NET9");
    QFAIL("no exception");
  } catch (const std::out_of_range& e) {
    QCOMPARE(std::string(e.what()), std::string("Unknown network id: NET9"));
  }
  // Replaced destinations reach GetNetwork after the plan is rebuilt.
  engine_->GetChangeLogEditor()->UpdateNetworks({CL::NetworkPath("NET2", "Sound", "10.0.0.9", 7000)});
  engine_->LoadNewChangeLog();
  QCOMPARE(engine_->GetNetwork("NET2").IpAddress(), std::string("10.0.0.9"));

  QCOMPARE(engine_->GetOutputPathMap().size(), std::size_t(1));
  engine_->onAddOutputhPath(CL::OutputPath("p2", "Stage Right", ""));
  engine_->onAddOutputhPath(CL::OutputPath("p1", "Left", "dev-b"));
  QCOMPARE(engine_->GetOutputPathMap().size(), std::size_t(2));
  QCOMPARE(engine_->GetOutputPathMap().at("p1").GetName(), std::string("Left"));
  engine_->onRemoveOutputhPath(CL::OutputPath("p2", "", ""));
  QCOMPARE(engine_->GetOutputPathMap().size(), std::size_t(1));
}

void TstPlayerQueries::explicitBeatsKeepThePreStartEntry() {
  auto song = SimpleSong("1", 1);
  song.startTick = 1000;
  song.beats = std::vector<vand::player::ExplicitBeat>{{700, "0", 4},  {1100, "1", 1}, {1600, "1", 2},
                                                       {2150, "1", 3}, {2600, "1", 4}, {3000, "2", 1}};
  song.tempos = {};
  song.meters = {};
  song.keys = {};
  Fixture f(SimpleShow({song}));
  auto& engine = f.Start();
  auto beats = engine.GetBarsBeats("1");
  QCOMPARE(beats.size(), std::size_t(6));
  QCOMPARE(beats[0].tick, 700u);
  QCOMPARE(beats[0].beat, 4);
  QCOMPARE(engine.GetSongLength("1"), 3400u);  // one more beat after the last
  QCOMPARE(engine.GetSongStartTickIndex("1"), 1000u);
}

QTEST_MAIN(TstPlayerQueries)
#include "tst_player_queries.moc"
