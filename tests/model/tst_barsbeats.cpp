// The bars-and-beats table: bars with their beats, duplicate bar starts, and
// the nearest beat of a tick.

#include <QTest>
#include <stdexcept>

#include "BarsBeatsSequence.h"
#include "model/BarsBeatsEventSequence.h"

using timeline_test::Beat;
using timeline_test::Sequence;
using vand::qt::BarInfo;
using vand::qt::BarsBeatsEventSequence;

namespace {

// "label@tick:beat=tick,beat=tick;" per bar, for comparing whole tables.
QString Describe(const BarsBeatsEventSequence& table)
{
    QString text;
    for (std::size_t i = 0; i < table.GetBarCount(); ++i) {
        const BarInfo bar = table.GetBar(i);
        text += QString::fromStdString(bar.GetBarLabel()) + '@' + QString::number(bar.GetBarTick()) + '#'
                + QString::number(bar.index) + ':';
        for (std::size_t k = 0; k < bar.GetBeatCount(); ++k) {
            const std::string label = bar.GetBeatLabel(k);
            text += QString::fromStdString(label) + '=' + QString::number(bar.GetBeatTick(label)) + ',';
        }
        text += ';';
    }
    return text;
}

} // namespace

class TestBarsBeats : public QObject
{
    Q_OBJECT
private slots:
    void table_data()
    {
        QTest::addColumn<std::vector<Beat>>("beats");
        QTest::addColumn<QString>("expected");
        QTest::newRow("two bars") << std::vector<Beat>{{0, "1", 1}, {480, "1", 2}, {960, "2", 1}}
                                  << "1@0#0:1=0,2=480,;2@960#1:1=960,;";
        QTest::newRow("beats before the first bar")
            << std::vector<Beat>{{100, "0", 3}, {200, "0", 4}, {300, "1", 1}, {400, "1", 2}}
            << "Unk@0#0:3=100,4=200,;1@300#0:1=300,2=400,;";
        QTest::newRow("labels are text") << std::vector<Beat>{{0, "8", 1}, {500, "8A", 1}, {1000, "9", 1}}
                                         << "8@0#0:1=0,;8A@500#1:1=500,;9@1000#2:1=1000,;";
        QTest::newRow("a repeated beat label keeps the later tick")
            << std::vector<Beat>{{0, "1", 1}, {100, "1", 2}, {200, "1", 2}} << "1@0#0:1=0,2=200,2=200,;";
        QTest::newRow("empty") << std::vector<Beat>{} << "";
    }
    void table()
    {
        QFETCH(std::vector<Beat>, beats);
        QFETCH(QString, expected);
        const BarsBeatsEventSequence table(Sequence(beats));
        QCOMPARE(Describe(table), expected);
        QCOMPARE(table.GetSequence().size(), beats.size());
    }

    // A bar start that repeats an earlier one, adjacent or not, would replace
    // that bar and its beats.
    void duplicateBarStartIsRefused_data()
    {
        QTest::addColumn<std::vector<Beat>>("beats");
        QTest::newRow("adjacent") << std::vector<Beat>{{0, "1", 1}, {0, "2", 1}};
        QTest::newRow("not adjacent") << std::vector<Beat>{{0, "1", 1}, {500, "2", 1}, {0, "3", 1}};
    }
    void duplicateBarStartIsRefused()
    {
        QFETCH(std::vector<Beat>, beats);
        try {
            BarsBeatsEventSequence table(Sequence(beats));
            QFAIL("no exception");
        } catch (const std::runtime_error& e) {
            QCOMPARE(QString(e.what()), QString("barBeat with duplicate tick index."));
        }
    }

    void missingBeatLabel()
    {
        const BarsBeatsEventSequence table(Sequence({{0, "1", 1}, {480, "1", 2}}));
        const BarInfo bar = table.GetBar(0);
        QCOMPARE(bar.GetBeatTick("2"), 480);
        try {
            bar.GetBeatTick("3");
            QFAIL("no exception");
        } catch (const std::out_of_range& e) {
            QCOMPARE(QString(e.what()), QString("invalid unordered_map<K, T> key"));
        }
        const BarInfo empty;
        QCOMPARE(empty.GetBarLabel(), std::string("Unk"));
        QCOMPARE(empty.GetBeatCount(), std::size_t(0));
    }

    void nearestTick_data()
    {
        QTest::addColumn<std::vector<Beat>>("beats");
        QTest::addColumn<unsigned>("tick");
        QTest::addColumn<int>("expected");
        const std::vector<Beat> two{{0, "1", 1}, {480, "1", 2}};
        QTest::newRow("nearer the first") << two << 239u << 0;
        QTest::newRow("tie goes to the earlier") << two << 240u << 0;
        QTest::newRow("nearer the second") << two << 241u << 480;
        QTest::newRow("on a beat") << two << 480u << 480;
        QTest::newRow("past the last") << two << 10000u << 480;
        QTest::newRow("largest tick") << two << 0xFFFFFFFFu << 480;
        QTest::newRow("empty") << std::vector<Beat>{} << 100u << 0;
        QTest::newRow("left of the first") << std::vector<Beat>{{960, "1", 1}, {1440, "1", 2}} << 100u << 960;
        const std::vector<Beat> bars{{0, "1", 1}, {500, "1", 2}, {1000, "1", 3}, {1500, "2", 1}, {2100, "2", 2}};
        QTest::newRow("between later beats") << bars << 1790u << 1500;
        QTest::newRow("just past the middle") << bars << 1801u << 2100;
    }
    void nearestTick()
    {
        QFETCH(std::vector<Beat>, beats);
        QFETCH(unsigned, tick);
        QFETCH(int, expected);
        QCOMPARE(BarsBeatsEventSequence(Sequence(beats)).NearestTick(tick), expected);
    }
};

QTEST_APPLESS_MAIN(TestBarsBeats)
#include "tst_barsbeats.moc"
