// Click values per meter and the click-edited grid.

#include <QTest>

#include "engine/ClickGrid.h"

using vand::player::AllowedClickValues;
using vand::player::BuildClickGrid;
using vand::player::ClickRegion;
using vand::player::ClickValuesForMeter;
using vand::player::GridEntry;
using vand::player::MeterPoint;

namespace {

// `bars` bars of `num` beats, `beatMs` apart, from tick 0.
std::vector<GridEntry> Grid(int bars, int num, std::uint32_t beatMs) {
  std::vector<GridEntry> g;
  for (int b = 0; b < bars; ++b) {
    for (int i = 0; i < num; ++i) {
      g.push_back({static_cast<std::uint32_t>((b * num + i) * beatMs), std::to_string(b + 1), i + 1});
    }
  }
  return g;
}

std::vector<std::pair<std::uint32_t, int>> TicksAndBeats(const std::vector<GridEntry>& g, const std::string& bar) {
  std::vector<std::pair<std::uint32_t, int>> out;
  for (const auto& e : g) {
    if (e.label == bar) out.emplace_back(e.tick, e.beat);
  }
  return out;
}

using Marks = std::vector<std::pair<std::uint32_t, int>>;

}  // namespace

class TstPlayerClickGrid : public QObject {
  Q_OBJECT

 private slots:
  void valuesPerMeter_data();
  void valuesPerMeter();
  void valuesOverARange();
  void wholeBarInEighths();
  void regionStartingMidBar();
  void dottedQuarterInCompoundMeter();
  void dottedQuarterInThreeFour();
  void pickupKeepsItsPosition();
  void noRegionsGiveTheBaseGrid();
};

void TstPlayerClickGrid::valuesPerMeter_data() {
  QTest::addColumn<int>("num");
  QTest::addColumn<int>("den");
  QTest::addColumn<QList<int>>("values");
  QTest::newRow("4/4") << 4 << 4 << QList<int>{8, 4, 2, 16};
  QTest::newRow("3/4") << 3 << 4 << QList<int>{8, 4, 2};
  QTest::newRow("2/2") << 2 << 2 << QList<int>{16, 8, 4, 32};
  QTest::newRow("6/4 is simple") << 6 << 4 << QList<int>{8, 4, 2, 16};
  QTest::newRow("6/8") << 6 << 8 << QList<int>{12, 4, 2};
  QTest::newRow("9/8") << 9 << 8 << QList<int>{12, 4, 2};
  QTest::newRow("5/8") << 5 << 8 << QList<int>{4, 2, 1};
  QTest::newRow("7/8") << 7 << 8 << QList<int>{4, 2, 1};
  QTest::newRow("12/16") << 12 << 16 << QList<int>{6, 2, 1};
  QTest::newRow("4/32") << 4 << 32 << QList<int>{1, 2};
}

void TstPlayerClickGrid::valuesPerMeter() {
  QFETCH(int, num);
  QFETCH(int, den);
  QFETCH(QList<int>, values);
  auto v = ClickValuesForMeter(num, den);
  QCOMPARE(QList<int>(v.begin(), v.end()), values);
}

void TstPlayerClickGrid::valuesOverARange() {
  const std::vector<MeterPoint> meters{{0, 4, 4}, {8000, 6, 8}, {12000, 2, 1}};
  auto list = [](std::vector<int> v) { return QList<int>(v.begin(), v.end()); };
  QCOMPARE(list(AllowedClickValues(meters, 0, 7999)), (QList<int>{8, 4, 2, 16}));
  // In the first meter's order, only what every meter allows.
  QCOMPARE(list(AllowedClickValues(meters, 0, 8000)), (QList<int>{4, 2}));
  QCOMPARE(list(AllowedClickValues(meters, 9000, 10000)), (QList<int>{12, 4, 2}));
  // 2/1 allows 64, which has no icon.
  QCOMPARE(list(AllowedClickValues(meters, 12000, 13000)), (QList<int>{32, 16, 8}));
  QCOMPARE(list(AllowedClickValues(meters, 9000, 12000)), (QList<int>{}));
}

void TstPlayerClickGrid::wholeBarInEighths() {
  auto base = Grid(3, 4, 500);
  auto g = BuildClickGrid(base, {{0, 4, 4}}, {ClickRegion{2000, 4000, 4}}, 6000);
  QCOMPARE(TicksAndBeats(g, "2"),
           (Marks{{2000, 1}, {2250, 2}, {2500, 3}, {2750, 4}, {3000, 5}, {3250, 6}, {3500, 7}, {3750, 8}}));
  QCOMPARE(TicksAndBeats(g, "1"), TicksAndBeats(base, "1"));
  QCOMPARE(TicksAndBeats(g, "3"), TicksAndBeats(base, "3"));
}

void TstPlayerClickGrid::regionStartingMidBar() {
  auto base = Grid(2, 4, 500);
  auto g = BuildClickGrid(base, {{0, 4, 4}}, {ClickRegion{1000, 2000, 4}}, 4000);
  QCOMPARE(TicksAndBeats(g, "1"), (Marks{{0, 1}, {500, 2}, {1000, 3}, {1250, 4}, {1500, 5}, {1750, 6}}));
  // Half notes: the bar start and its middle.
  g = BuildClickGrid(base, {{0, 4, 4}}, {ClickRegion{0, 4000, 16}}, 4000);
  QCOMPARE(TicksAndBeats(g, "2"), (Marks{{2000, 1}, {3000, 2}}));
}

void TstPlayerClickGrid::dottedQuarterInCompoundMeter() {
  auto base = Grid(2, 6, 333);
  auto g = BuildClickGrid(base, {{0, 6, 8}}, {ClickRegion{0, 3996, 12}}, 3996);
  QCOMPARE(TicksAndBeats(g, "1"), (Marks{{0, 1}, {999, 2}}));
  QCOMPARE(TicksAndBeats(g, "2"), (Marks{{1998, 1}, {2997, 2}}));
}

void TstPlayerClickGrid::dottedQuarterInThreeFour() {
  auto base = Grid(1, 3, 500);
  auto g = BuildClickGrid(base, {{0, 3, 4}}, {ClickRegion{0, 1500, 12}}, 1500);
  QCOMPARE(TicksAndBeats(g, "1"), (Marks{{0, 1}, {750, 2}}));
}

void TstPlayerClickGrid::pickupKeepsItsPosition() {
  // A one-beat pickup (beat 4 of 4) and one bar, all in eighths.
  std::vector<GridEntry> base{{0, "0", 4}};
  for (int i = 0; i < 4; ++i) base.push_back({static_cast<std::uint32_t>(500 + i * 500), "1", i + 1});
  auto g = BuildClickGrid(base, {{0, 4, 4}}, {ClickRegion{0, 2500, 4}}, 2500);
  // No new bar start inside the pickup: it counts from its place in the bar.
  QCOMPARE(TicksAndBeats(g, "0"), (Marks{{0, 7}, {250, 8}}));
  QCOMPARE(TicksAndBeats(g, "1").front(), (std::pair<std::uint32_t, int>{500, 1}));
}

void TstPlayerClickGrid::noRegionsGiveTheBaseGrid() {
  auto base = Grid(2, 4, 500);
  auto g = BuildClickGrid(base, {{0, 4, 4}}, {}, 4000);
  QCOMPARE(g.size(), base.size());
  // A region with no value is ignored.
  g = BuildClickGrid(base, {{0, 4, 4}}, {ClickRegion{0, 4000, 0}}, 4000);
  QCOMPARE(TicksAndBeats(g, "1"), TicksAndBeats(base, "1"));
}

QTEST_MAIN(TstPlayerClickGrid)
#include "tst_player_clickgrid.moc"
