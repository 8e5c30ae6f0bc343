#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

#include "sfx/ActiveAudioListModel.h"

using vand::sfx::ActiveAudioListModel;
using Roles = ActiveAudioListModel::Roles;

namespace {

// A model with Qt's model checks attached for its whole life.
struct CheckedModel
{
    ActiveAudioListModel model;
    QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::QtTest};
};

void addThree(ActiveAudioListModel& model)
{
    model.addOrPlayTrack(1, "Bell", "bell.sfx", 0.5, 2.25, 0.0, true, false);
    model.addOrPlayTrack(2, "Rain", "rain.sfx", 1.0, 4.0, 0.5, true, false);
    model.addOrPlayTrack(3, "Knock", "knock.sfx", 0.8, 0.6, 0.9, true, false);
}

QList<quint64> ids(const ActiveAudioListModel& model)
{
    QList<quint64> out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.data(model.index(row), ActiveAudioListModel::IdRole).toULongLong();
    return out;
}

} // namespace

class TestSfxActiveAudio : public QObject
{
    Q_OBJECT

private slots:
    void addThenReplay();
    void removalRefused_data();
    void removalRefused();
    void sameValueChangesNothing_data();
    void sameValueChangesNothing();
    void idRoleAloneChanges();
    void unknownIdChangesNothing();
    void insertedRowsAreDefault();
    void displayText_data();
    void displayText();
    void headerAndShape();
    void pinChangesReachTheModel();
};

// A new id appends a row holding what was passed; a known id only marks the
// row playing again.
void TestSfxActiveAudio::addThenReplay()
{
    CheckedModel m;
    QVERIFY(m.model.addOrPlayTrack(7, "Bell", "bell.sfx", 0.5, 2.25, 0.25, true, true));
    QCOMPARE(m.model.rowCount(), 1);
    const QModelIndex row = m.model.index(0);
    QCOMPARE(m.model.data(row, ActiveAudioListModel::IdRole).toULongLong(), 7u);
    QCOMPARE(m.model.data(row, ActiveAudioListModel::NameRole).toString(), QString("Bell"));
    QCOMPARE(m.model.data(row, ActiveAudioListModel::PathRole).toString(), QString("bell.sfx"));
    QCOMPARE(m.model.data(row, ActiveAudioListModel::VolumeRole).toDouble(), 0.5);
    QCOMPARE(m.model.data(row, ActiveAudioListModel::DurationRole).toDouble(), 2.25);
    QCOMPARE(m.model.data(row, ActiveAudioListModel::ProgressRole).toDouble(), 0.25);
    QCOMPARE(m.model.data(row, ActiveAudioListModel::IsPlayingRole).toBool(), true);
    QCOMPARE(m.model.data(row, ActiveAudioListModel::IsPinnedRole).toBool(), true);
    m.model.setData(7, false, ActiveAudioListModel::IsPlayingRole);

    QSignalSpy changed(&m.model, &ActiveAudioListModel::dataChanged);
    QSignalSpy inserted(&m.model, &ActiveAudioListModel::rowsInserted);
    QVERIFY(m.model.addOrPlayTrack(7, "Other", "other.sfx", 1.0, 9.0, 0.9, true, false));
    QCOMPARE(inserted.count(), 0);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{ActiveAudioListModel::IsPlayingRole});
    QVERIFY(m.model.isPlaying(7));
    QCOMPARE(m.model.data(row, ActiveAudioListModel::NameRole).toString(), QString("Bell"));
    QCOMPARE(m.model.progress(7), 0.25);
    QVERIFY(m.model.data(row, ActiveAudioListModel::IsPinnedRole).toBool());
    QVERIFY(m.model.contains(7));
    QVERIFY(!m.model.contains(8));
    QCOMPARE(m.model.progress(8), 0.0);
    QVERIFY(!m.model.isPlaying(8));
}

void TestSfxActiveAudio::removalRefused_data()
{
    QTest::addColumn<QString>("hold");
    QTest::newRow("pinned row") << "pin";
    QTest::newRow("suspended row") << "suspend";
    QTest::newRow("a range with a pinned row") << "pin range";
    QTest::newRow("a range with a suspended row") << "suspend range";
}

// A pinned or suspended row refuses removal, alone or in a range, until it is
// released; then it goes.
void TestSfxActiveAudio::removalRefused()
{
    QFETCH(QString, hold);
    CheckedModel m;
    addThree(m.model);
    const bool pin = hold.startsWith("pin");
    const bool range = hold.endsWith("range");
    if (pin) {
        QVERIFY(m.model.setData(m.model.index(1), true, ActiveAudioListModel::IsPinnedRole));
    } else {
        QVERIFY(m.model.suspendRemoval(2));
        QVERIFY(!m.model.suspendRemoval(2));
    }
    QSignalSpy removed(&m.model, &ActiveAudioListModel::rowsRemoved);
    QVERIFY(range ? !m.model.removeRows(0, 3) : !m.model.removeTrack(quint64(2)));
    QCOMPARE(ids(m.model), (QList<quint64>{1, 2, 3}));
    QCOMPARE(removed.count(), 0);

    if (pin) {
        m.model.setData(2, false, ActiveAudioListModel::IsPinnedRole);
    } else {
        QVERIFY(m.model.resumeRemoval(2));
        QVERIFY(!m.model.resumeRemoval(2));
    }
    QVERIFY(range ? m.model.removeRows(0, 3) : m.model.removeTrack(quint64(2)));
    QCOMPARE(ids(m.model), range ? QList<quint64>() : (QList<quint64>{1, 3}));
    QCOMPARE(removed.count(), 1);
    QVERIFY(!m.model.removeTrack(quint64(2)));
}

void TestSfxActiveAudio::sameValueChangesNothing_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QVariant>("value");
    QTest::newRow("name") << int(ActiveAudioListModel::NameRole) << QVariant("Rain");
    QTest::newRow("volume") << int(ActiveAudioListModel::VolumeRole) << QVariant(0.75);
    QTest::newRow("progress") << int(ActiveAudioListModel::ProgressRole) << QVariant(0.5);
    QTest::newRow("isPinned") << int(ActiveAudioListModel::IsPinnedRole) << QVariant(true);
}

// The first write changes the row and tells views; the same value again
// returns false and tells nobody.
void TestSfxActiveAudio::sameValueChangesNothing()
{
    QFETCH(int, role);
    QFETCH(QVariant, value);
    CheckedModel m;
    m.model.addOrPlayTrack(5, "Bell", "bell.sfx", 0.5, 2.0, 0.0, true, false);
    QSignalSpy changed(&m.model, &ActiveAudioListModel::dataChanged);
    const QModelIndex row = m.model.index(0);
    QVERIFY(m.model.setData(row, value, role));
    QVERIFY(!m.model.setData(row, value, role));
    m.model.setData(5, value, Roles(role));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{role});
    QCOMPARE(m.model.data(row, role), value);
}

void TestSfxActiveAudio::idRoleAloneChanges()
{
    CheckedModel m;
    m.model.addOrPlayTrack(5, "Bell", "bell.sfx", 0.5, 2.0, 0.0, true, false);
    QSignalSpy changed(&m.model, &ActiveAudioListModel::dataChanged);
    QVERIFY(m.model.setData(m.model.index(0), quint64(9), ActiveAudioListModel::IdRole));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(changed.at(0).at(2).value<QList<int>>(), QList<int>{ActiveAudioListModel::IdRole});
    QVERIFY(m.model.contains(9));
    QVERIFY(!m.model.contains(5));
    QCOMPARE(m.model.data(m.model.index(0), ActiveAudioListModel::NameRole).toString(), QString("Bell"));
    QVERIFY(!m.model.setData(m.model.index(0), 1, Qt::DisplayRole));
}

void TestSfxActiveAudio::unknownIdChangesNothing()
{
    CheckedModel m;
    addThree(m.model);
    QSignalSpy changed(&m.model, &ActiveAudioListModel::dataChanged);
    m.model.setData(42, 0.1, ActiveAudioListModel::ProgressRole);
    QVERIFY(!m.model.removeTrack(quint64(42)));
    QCOMPARE(changed.count(), 0);
    QCOMPARE(m.model.rowCount(), 3);
}

void TestSfxActiveAudio::insertedRowsAreDefault()
{
    CheckedModel m;
    addThree(m.model);
    QVERIFY(m.model.insertRows(3, 2));
    QVERIFY(!m.model.insertRows(6, 1));
    QVERIFY(!m.model.insertRows(-1, 1));
    QVERIFY(!m.model.insertRows(0, 1, m.model.index(0)));
    QCOMPARE(ids(m.model), (QList<quint64>{1, 2, 3, 0, 0}));
    const QModelIndex last = m.model.index(4);
    QCOMPARE(m.model.data(last, ActiveAudioListModel::NameRole).toString(), QString());
    QCOMPARE(m.model.data(last, ActiveAudioListModel::VolumeRole).toDouble(), 0.0);
    QCOMPARE(m.model.data(last, ActiveAudioListModel::IsPlayingRole).toBool(), false);
}

void TestSfxActiveAudio::displayText_data()
{
    QTest::addColumn<double>("volume");
    QTest::addColumn<double>("progress");
    QTest::addColumn<bool>("pinned");
    QTest::addColumn<QString>("text");
    QTest::newRow("playing, unpinned, at the start")
        << 0.5 << 0.0 << false
        << R"({"id": 7, "name": "Bell", "path": "bell.sfx", "volume": 0.5, "duration": 2.25, "progress": 0, )"
           R"("isPlaying": 1, "isPinned": 0})";
    QTest::newRow("shortest exact digits, pinned")
        << 0.1 << 1.0 / 3.0 << true
        << R"({"id": 7, "name": "Bell", "path": "bell.sfx", "volume": 0.1, "duration": 2.25, )"
           R"("progress": 0.3333333333333333, "isPlaying": 1, "isPinned": 1})";
}

void TestSfxActiveAudio::displayText()
{
    QFETCH(double, volume);
    QFETCH(double, progress);
    QFETCH(bool, pinned);
    QFETCH(QString, text);
    CheckedModel m;
    m.model.addOrPlayTrack(7, "Bell", "bell.sfx", volume, 2.25, progress, true, pinned);
    QCOMPARE(m.model.data(m.model.index(0), Qt::DisplayRole).toString(), text);
    QCOMPARE(m.model.data(m.model.index(0), Qt::ToolTipRole).toString(), text);
    QVERIFY(!m.model.data(m.model.index(1), Qt::DisplayRole).isValid());
    // Typed roles stay empty: views read them as sizes, fonts, colours.
    QVERIFY(!m.model.data(m.model.index(0), Qt::SizeHintRole).isValid());
    QVERIFY(!m.model.data(m.model.index(0), Qt::ForegroundRole).isValid());
}

void TestSfxActiveAudio::headerAndShape()
{
    CheckedModel m;
    addThree(m.model);
    QCOMPARE(m.model.headerData(0, Qt::Horizontal).toString(), QString("Active Audio Tracks"));
    QCOMPARE(m.model.headerData(3, Qt::Vertical, Qt::ToolTipRole).toString(), QString("Active Audio Tracks"));
    QSignalSpy header(&m.model, &ActiveAudioListModel::headerDataChanged);
    QVERIFY(!m.model.setHeaderData(0, Qt::Horizontal, "Active Audio Tracks"));
    QVERIFY(m.model.setHeaderData(0, Qt::Horizontal, "Now playing"));
    QCOMPARE(header.count(), 1);
    QCOMPARE(m.model.headerData(2, Qt::Vertical).toString(), QString("Now playing"));
    QCOMPARE(m.model.rowCount(m.model.index(0)), 0);
    QVERIFY(m.model.flags(m.model.index(0)).testFlag(Qt::ItemIsEditable));
    QCOMPARE(m.model.flags(QModelIndex()), Qt::NoItemFlags);
    const QHash<int, QByteArray> names = m.model.roleNames();
    QCOMPARE(names.size(), 8);
    QCOMPARE(names.value(257), QByteArray("id"));
    QCOMPARE(names.value(263), QByteArray("isPlaying"));
    QCOMPARE(names.value(264), QByteArray("isPinned"));
}

// A view writing a row's pin reaches the controller through the model's
// signal; rows made by insertRows carry no such link.
void TestSfxActiveAudio::pinChangesReachTheModel()
{
    CheckedModel m;
    QSignalSpy pinned(&m.model, &ActiveAudioListModel::isPinnedChanged);
    m.model.addOrPlayTrack(4, "Rain", "rain.sfx", 1.0, 4.0, 0.0, true, true);
    QCOMPARE(pinned.count(), 0); // the first value is no change
    QVERIFY(m.model.setData(m.model.index(0), false, ActiveAudioListModel::IsPinnedRole));
    QCOMPARE(pinned.count(), 1);
    QCOMPARE(pinned.at(0).at(0).toULongLong(), 4u);
    QCOMPARE(pinned.at(0).at(1).toBool(), false);
    QVERIFY(m.model.insertRows(1, 1));
    QVERIFY(m.model.setData(m.model.index(1), true, ActiveAudioListModel::IsPinnedRole));
    QCOMPARE(pinned.count(), 1);
}

QTEST_GUILESS_MAIN(TestSfxActiveAudio)
#include "tst_sfx_activeaudio.moc"
