// The edit tools' bar list: rows from the start tick on, the pre-start entry,
// beats beside their ticks, and lookups of unknown bars and rows.

#include <QTest>

#include "../model/BarsBeatsSequence.h"
#include "edittools/BarListModel.h"

using timeline_test::Beat;
using timeline_test::Sequence;
using vand::qt::BarListModel;

namespace {

// "label:beat@tick,beat@tick;" per row, from the model's roles and getBeats.
QString Describe(const BarListModel& model)
{
    QString text;
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex index = model.index(row);
        text += model.data(index, BarListModel::BarRole).toString() + ':';
        const auto beats = model.getBeats(row).value<QList<uint>>();
        const auto ticks = model.data(index, BarListModel::TimesRole).value<QList<uint>>();
        for (qsizetype k = 0; k < beats.size(); ++k)
            text += QString::number(beats[k]) + '@' + (k < ticks.size() ? QString::number(ticks[k]) : "?") + ',';
        text += ';';
    }
    return text;
}

const std::vector<Beat> kTwoBars{{0, "1", 1}, {500, "1", 2}, {1000, "1", 3}, {1500, "2", 1}, {2000, "2", 2}};

} // namespace

class TestBarListModel : public QObject
{
    Q_OBJECT
private slots:
    void rows_data()
    {
        QTest::addColumn<std::vector<Beat>>("beats");
        QTest::addColumn<unsigned>("start");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("preStart"); // "label beat@tick" or empty
        QTest::newRow("start tick 0") << kTwoBars << 0u << "1:1@0,2@500,3@1000,;2:1@1500,2@2000,;"
                                      << "";
        QTest::newRow("start on a beat") << kTwoBars << 500u << "1:2@500,3@1000,;2:1@1500,2@2000,;"
                                         << "";
        QTest::newRow("start between beats of a bar") << kTwoBars << 700u << "1:2@500,3@1000,;2:1@1500,2@2000,;"
                                                      << "1 2@500";
        QTest::newRow("start between bars") << kTwoBars << 1200u << "1:3@1000,;2:1@1500,2@2000,;"
                                            << "1 3@1000";
        QTest::newRow("start after the last entry") << kTwoBars << 9000u << "2:2@2000,;"
                                                    << "2 2@2000";
        QTest::newRow("relabelled bar") << std::vector<Beat>{{0, "8", 1}, {500, "8A", 1}, {900, "9", 1}} << 0u
                                        << "8:1@0,;8A:1@500,;9:1@900,;"
                                        << "";
        // The beats of a label that comes back stay beside its ticks.
        QTest::newRow("reappearing label")
            << std::vector<Beat>{{0, "1", 1}, {500, "1", 2}, {1000, "2", 1}, {1500, "1", 1}, {2000, "1", 2}} << 0u
            << "1:1@0,2@500,1@1500,2@2000,;2:1@1000,;"
            << "";
        QTest::newRow("empty") << std::vector<Beat>{} << 0u << ""
                               << "";
    }
    void rows()
    {
        QFETCH(std::vector<Beat>, beats);
        QFETCH(unsigned, start);
        QFETCH(QString, expected);
        QFETCH(QString, preStart);
        const auto sequence = Sequence(beats);
        const BarListModel model(nullptr, &sequence, start);
        QCOMPARE(Describe(model), expected);
        const QString pre = model.GetPreStartBarLabel().isEmpty()
                                ? QString()
                                : model.GetPreStartBarLabel() + ' ' + QString::number(model.GetPreStartBeat()) + '@'
                                      + QString::number(model.GetPreStartTick());
        QCOMPARE(pre, preStart);
        if (preStart.isEmpty()) {
            QCOMPARE(model.GetPreStartTick(), 0u);
            QCOMPARE(model.GetPreStartBeat(), 0u);
        }
    }

    void nullSequenceIsEmpty()
    {
        const BarListModel model(nullptr, nullptr, 0);
        QCOMPARE(model.rowCount(), 0);
        QVERIFY(!model.getBeats(0).isValid());
    }

    void roles()
    {
        const auto sequence = Sequence({{0, "0", 3}, {500, "0", 4}, {1000, "1", 1}});
        const BarListModel model(nullptr, &sequence, 0);
        QCOMPARE(model.roleNames(), (QHash<int, QByteArray>{{257, "bar"}, {258, "beats"}, {259, "times"}}));
        const QModelIndex first = model.index(0);
        QCOMPARE(model.data(first, 257), QVariant(QString("0")));
        QCOMPARE(model.data(first, 258), QVariant(3u)); // the first beat, not the list
        QCOMPARE(model.data(first, 259).value<QList<uint>>(), (QList<uint>{0, 500}));
        QVERIFY(!model.data(first, Qt::DisplayRole).isValid());
        QVERIFY(!model.data(model.index(5), 257).isValid());
        QVERIFY(!model.data(QModelIndex(), 257).isValid());
    }

    void getTime_data()
    {
        QTest::addColumn<std::vector<Beat>>("beats");
        QTest::addColumn<QString>("bar");
        QTest::addColumn<int>("beat");
        QTest::addColumn<QVariant>("tick");
        QTest::newRow("a beat") << kTwoBars << "1" << 3 << QVariant(1000u);
        QTest::newRow("first beat") << kTwoBars << "2" << 1 << QVariant(1500u);
        QTest::newRow("missing beat gives the bar's first tick") << kTwoBars << "2" << 4 << QVariant(1500u);
        QTest::newRow("unknown bar") << kTwoBars << "7" << 1 << QVariant();
        QTest::newRow("reappearing label, its later beat")
            << std::vector<Beat>{{0, "1", 1}, {1000, "2", 1}, {1500, "1", 3}} << "1" << 3 << QVariant(1500u);
    }
    void getTime()
    {
        QFETCH(std::vector<Beat>, beats);
        QFETCH(QString, bar);
        QFETCH(int, beat);
        QFETCH(QVariant, tick);
        const auto sequence = Sequence(beats);
        const BarListModel model(nullptr, &sequence, 0);
        QCOMPARE(model.getTime(bar.toStdString(), beat), tick);
    }

    void rowsOutsideTheModel()
    {
        const auto sequence = Sequence(kTwoBars);
        const BarListModel model(nullptr, &sequence, 0);
        QVERIFY(!model.getBeats(-1).isValid());
        QVERIFY(!model.getBeats(2).isValid());
        QCOMPARE(model.getBeats(1).value<QList<uint>>(), (QList<uint>{1, 2}));
    }
};

QTEST_GUILESS_MAIN(TestBarListModel)
#include "tst_barlistmodel.moc"
