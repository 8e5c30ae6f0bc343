// The lookups the engine makes in every block (page, tempo scale,
// transposition, the next change of either, where a jump lands, the OSC
// events at a tick) and the plan's choice among overlapping flow regions:
// answers at, just before and just after every boundary.

#include <limits>

#include <QTest>

#include "PlayerFixture.h"
#include "engine/PlaybackPlan.h"
#include "engine/ShowModel.h"

using namespace player_test;

namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

// Song "1" without pages; "2" with pages 5 and 3 both at 1000 and 8 at 3000; "3" with page 2 at 0.
std::shared_ptr<const vand::player::ShowModel> PagedShow(QTemporaryDir& dir) {
  auto two = SimpleSong("2", 4);
  two.pages = {{5, 1000}, {8, 3000}, {3, 1000}};
  auto three = SimpleSong("3", 4);
  three.pages = {{2, 0}};
  const fs::path folder = dir.path().toStdString();
  vand::demo::WriteShowFolder(folder, SimpleShow({SimpleSong("1", 4), two, three}), SilentWav());
  return vand::player::LoadShowModel(folder);
}

struct PlannedSong {
  QTemporaryDir dir;
  std::shared_ptr<const vand::player::ShowModel> show;
  vand::player::SongPlan plan;

  explicit PlannedSong(const CL::SongLog& log) {
    const fs::path folder = dir.path().toStdString();
    vand::demo::WriteShowFolder(folder, SimpleShow({SimpleSong("1", 8)}), SilentWav());
    show = vand::player::LoadShowModel(folder);
    plan = vand::player::CompileSongPlan(show->songs[0], &log);
  }
};

CL::SongLog Log(std::vector<std::unique_ptr<cmn::VandEvent>> events) {
  CL::SongLog log;
  for (auto& e : events) log.Add(std::move(e));
  return log;
}

}  // namespace

class TstPlayerLookups : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void pageAtAPosition_data();
  void pageAtAPosition();
  void segmentsAtAndAfter_data();
  void segmentsAtAndAfter();
  void jumpsLandPastChainedCuts_data();
  void jumpsLandPastChainedCuts();
  void oscEventsAtATick();
  void overlappingFlowRegionsKeepTheFirst();

 private:
  QTemporaryDir pagedDir_, plainDir_;
  std::shared_ptr<const vand::player::ShowModel> paged_, plain_;
};

void TstPlayerLookups::initTestCase() {
  paged_ = PagedShow(pagedDir_);
  vand::demo::WriteShowFolder(fs::path(plainDir_.path().toStdString()), SimpleShow({SimpleSong("1", 2)}), SilentWav());
  plain_ = vand::player::LoadShowModel(plainDir_.path().toStdString());
}

void TstPlayerLookups::pageAtAPosition_data() {
  QTest::addColumn<int>("song");  // index in show order
  QTest::addColumn<uint>("tick");
  QTest::addColumn<uint>("page");
  QTest::newRow("before every page: the lowest at the first place") << 0 << 0u << 3u;
  QTest::newRow("just before the first place") << 1 << 999u << 3u;
  QTest::newRow("two pages at one place: the highest") << 1 << 1000u << 5u;
  QTest::newRow("just before the next page") << 1 << 2999u << 5u;
  QTest::newRow("on the next page") << 1 << 3000u << 8u;
  QTest::newRow("past the song's last page") << 1 << 7999u << 8u;
  QTest::newRow("the next song's page at its start") << 2 << 0u << 2u;
  QTest::newRow("far into the last song") << 2 << 900000u << 2u;
}

void TstPlayerLookups::pageAtAPosition() {
  QFETCH(int, song);
  QFETCH(uint, tick);
  QFETCH(uint, page);
  QCOMPARE(paged_->PageAt(static_cast<std::size_t>(song), tick), page);
  QCOMPARE(plain_->PageAt(0, tick), 0u);  // a show without pages
}

void TstPlayerLookups::segmentsAtAndAfter_data() {
  QTest::addColumn<double>("tick");
  QTest::addColumn<double>("factor");
  QTest::addColumn<int>("transpose");
  QTest::addColumn<double>("nextTempo");
  QTest::addColumn<double>("nextChange");  // of the tempo factor or the transposition
  QTest::newRow("before all") << 0.0 << 1.0 << 0 << 2000.0 << 2000.0;
  QTest::newRow("just before the first scale") << 1999.5 << 1.0 << 0 << 2000.0 << 2000.0;
  QTest::newRow("at its start") << 2000.0 << 0.8 << 0 << 4000.0 << 3000.0;
  QTest::newRow("inside, the transposition starts") << 3000.0 << 0.8 << 2 << 4000.0 << 4000.0;
  QTest::newRow("where one scale ends and the next starts") << 4000.0 << 1.2 << 2 << 6000.0 << 5000.0;
  QTest::newRow("just before the transposition ends") << 4999.9 << 1.2 << 2 << 6000.0 << 5000.0;
  QTest::newRow("at its end") << 5000.0 << 1.2 << 0 << 6000.0 << 6000.0;
  QTest::newRow("between scales") << 7000.0 << 1.0 << 0 << 9000.0 << 9000.0;
  QTest::newRow("in the last") << 9500.0 << 0.5 << 0 << 10000.0 << 10000.0;
  QTest::newRow("after all") << 10000.0 << 1.0 << 0 << kNone << kNone;
}

void TstPlayerLookups::segmentsAtAndAfter() {
  QFETCH(double, tick);
  QFETCH(double, factor);
  QFETCH(int, transpose);
  QFETCH(double, nextTempo);
  QFETCH(double, nextChange);
  PlannedSong s(Log(Events(CL::TempoScale(9000, 10000, "D5", 0.5), CL::TempoScale(2000, 4000, "D1", 0.8),
                           CL::TempoScale(4000, 6000, "D3", 1.2), CL::Transpose(3000, 5000, "C2", 2))));
  QCOMPARE(s.plan.TempoFactorAt(tick), factor);
  QCOMPARE(s.plan.TranspositionAt(tick), transpose);
  QCOMPARE(s.plan.NextTempoBoundary(tick), nextTempo);
  QCOMPARE(s.plan.NextParameterBoundary(tick), nextChange);
}

void TstPlayerLookups::jumpsLandPastChainedCuts_data() {
  QTest::addColumn<uint>("tick");
  QTest::addColumn<uint>("lands");
  QTest::newRow("before the cuts") << 999u << 999u;
  QTest::newRow("at the first cut") << 1000u << 3000u;  // it ends where the next starts
  QTest::newRow("in the first cut") << 1500u << 3000u;
  QTest::newRow("in the second cut") << 2500u << 3000u;
  QTest::newRow("at the second cut's end") << 3000u << 3000u;
  QTest::newRow("just inside a lone cut") << 5999u << 6000u;
  QTest::newRow("after every cut") << 6000u << 6000u;
}

void TstPlayerLookups::jumpsLandPastChainedCuts() {
  QFETCH(uint, tick);
  QFETCH(uint, lands);
  PlannedSong s(Log(Events(CL::Cut(5000, 6000, "B3", 0), CL::Cut(2000, 3000, "B2", 0), CL::Cut(1000, 2000, "B1", 0))));
  QCOMPARE(s.plan.cuts.size(), std::size_t(3));
  QCOMPARE(s.plan.ResolveCuts(tick), lands);
}

void TstPlayerLookups::oscEventsAtATick() {
  const CL::OscProperties go("/go", "N");
  PlannedSong s(Log(Events(CL::Osc(2000, "S3", go), CL::Osc(1000, "S1", go), CL::Osc(1000, "S2", go))));
  auto ids = [&](UInt32 tick) {
    std::vector<std::string> out;
    const auto [first, last] = s.plan.OscsAt(tick);
    for (std::size_t i = first; i < last; ++i) out.push_back(s.plan.oscs[i].EventId());
    return out;
  };
  QCOMPARE(ids(1000), (std::vector<std::string>{"S1", "S2"}));
  QCOMPARE(ids(2000), (std::vector<std::string>{"S3"}));
  QVERIFY(ids(999).empty());
  QVERIFY(ids(1500).empty());
  QVERIFY(ids(2001).empty());
}

// A flow region that overlaps one starting earlier (or at the same tick, and
// earlier in the table's order) is dropped; touching ones are both kept.
void TstPlayerLookups::overlappingFlowRegionsKeepTheFirst() {
  PlannedSong s(
      Log(Events(CL::Vamp(1000, 3000, "V1", 0), CL::Repeat(2000, 4000, "A1", 2), CL::Cut(3000, 3500, "B1", 0),
                 CL::Vamp(3200, 3300, "V2", 0), CL::Repeat(3500, 4500, "A2", 2), CL::Repeat(4000, 5000, "A3", 2),
                 CL::Vamp(6000, 7000, "V3", 0), CL::Repeat(6000, 6500, "A4", 2))));
  std::vector<std::string> regions, cuts;
  for (const auto& r : s.plan.regions) regions.push_back(r.id);
  for (const auto& c : s.plan.cuts) cuts.push_back(c.id);
  QCOMPARE(regions, (std::vector<std::string>{"V1", "A2", "V3"}));
  QCOMPARE(cuts, std::vector<std::string>{"B1"});
}

QTEST_MAIN(TstPlayerLookups)
#include "tst_player_lookups.moc"
