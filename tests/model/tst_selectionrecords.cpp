// The event and marker selection records: value texts, OSC display texts,
// equality, and the names string connections carry them under.

#include <QSignalSpy>
#include <QTest>
#include <iostream>
#include <memory>
#include <string>

#include "CL/Events.h"
#include "StreamCapture.h"
#include "kit/Log.h"
#include "model/SelectionRecords.h"

using vand::qt::EventInfoItem;
using vand::qt::MarkerInfoItem;

Q_DECLARE_METATYPE(std::shared_ptr<cmn::VandEvent>)

namespace {

// Emits and receives the records by their bare names, as the lists, the edit
// controller and the main controller connect them.
class Relay : public QObject
{
    Q_OBJECT
public:
    using EventInfoItem = vand::qt::EventInfoItem;
    using MarkerInfoItem = vand::qt::MarkerInfoItem;
    EventInfoItem lastEvent;
    MarkerInfoItem lastMarker;
signals:
    void EventItemChangedSignal(EventInfoItem item);
    void MarkerItemChangedSignal(MarkerInfoItem item);
public slots:
    void onEventItemChanged(EventInfoItem item) { lastEvent = item; }
    void onMarkerItemChanged(MarkerInfoItem item) { lastMarker = item; }
};

std::shared_ptr<cmn::VandEvent> Share(std::unique_ptr<cmn::VandEvent> event)
{
    return std::shared_ptr<cmn::VandEvent>(std::move(event));
}

} // namespace

class TestSelectionRecords : public QObject
{
    Q_OBJECT
private slots:
    void valueText_data()
    {
        QTest::addColumn<std::shared_ptr<cmn::VandEvent>>("event");
        QTest::addColumn<QString>("value");
        const auto make = [](auto record) { return Share(std::make_unique<decltype(record)>(record)); };
        QTest::newRow("vamp 3") << make(CL::Vamp(0, 100, "V", 3)) << "3x";
        QTest::newRow("vamp endless") << make(CL::Vamp(0, 100, "V", 0)) << QString(QChar(0x221E));
        QTest::newRow("repeat 2") << make(CL::Repeat(0, 100, "A", 2)) << "2x";
        QTest::newRow("transpose 0") << make(CL::Transpose(0, 100, "C", 0)) << "+0";
        QTest::newRow("transpose 5") << make(CL::Transpose(0, 100, "C", 5)) << "+5";
        QTest::newRow("transpose -3") << make(CL::Transpose(0, 100, "C", -3)) << "-3";
        QTest::newRow("tempo 1.25") << make(CL::TempoScale(0, 100, "D", 1.25)) << "125%";
        QTest::newRow("tempo 0.5") << make(CL::TempoScale(0, 100, "D", 0.5)) << "50%";
        QTest::newRow("tempo 0.905 rounds") << make(CL::TempoScale(0, 100, "D", 0.905)) << "91%";
        QTest::newRow("osc") << make(CL::Osc(0, "S", CL::OscProperties("/vand/sfx/door/play", "N"))) << "▶ door";
        QTest::newRow("cut") << make(CL::Cut(0, 100, "B", 0)) << "";
        QTest::newRow("skip") << make(CL::Fermata(0, 100, "M", 0)) << "";
        QTest::newRow("click") << make(CL::Click(0, 100, "L", 4)) << "";
        QTest::newRow("caesura") << make(CL::Caesura(0, "N", 0)) << "";
        QTest::newRow("marker") << make(CL::Marker(0, "Intro", "E")) << "";
    }
    void valueText()
    {
        QFETCH(std::shared_ptr<cmn::VandEvent>, event);
        QFETCH(QString, value);
        const EventInfoItem item = EventInfoItem::FromEvent(*event);
        QCOMPARE(item.value, value);
        QCOMPARE(item.start, event->start());
        QCOMPARE(item.end, event->end());
        QCOMPARE(item.code, event->code());
        QCOMPARE(item.paired, event->IsPairedEvent());
    }

    void oscDisplayText_data()
    {
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("reportsError");
        QTest::newRow("play") << "/vand/sfx/door/play"
                              << "▶ door" << false;
        QTest::newRow("stop in capitals") << "/vand/sfx/door/STOP 2.0"
                                          << "⏹ door" << false;
        QTest::newRow("fadeto") << "/vand/sfx/rain/fadeto 0.3 4"
                                << "Fade rain" << false;
        QTest::newRow("other action") << "/vand/sfx/rain/pause"
                                      << "Pause rain" << false;
        QTest::newRow("name with a blank") << "/vand/sfx/big door/play"
                                           << "▶ big door" << false;
        QTest::newRow("no action") << "/vand/sfx/rain/"
                                   << " rain" << false;
        QTest::newRow("no ending slash") << "/vand/sfx/rain"
                                         << "/vand/sfx/rain" << true;
        QTest::newRow("volume, trimmed") << "  /vand/volume 0.5  "
                                         << "Volume Change" << false;
        QTest::newRow("volume prefix") << "/vand/volumeUp"
                                       << "Volume Change" << false;
        QTest::newRow("fadeto") << "/vand/fadeto 3"
                                << "Fade To..." << false;
        QTest::newRow("case-sensitive prefix") << "/vand/SFX/door/play"
                                               << "/vand/SFX/door/play" << false;
        QTest::newRow("anything else") << "/cue/1/go"
                                       << "/cue/1/go" << false;
    }
    void oscDisplayText()
    {
        QFETCH(QString, message);
        QFETCH(QString, shown);
        QFETCH(bool, reportsError);
        vand::test::StreamCapture err(std::cerr);
        QCOMPARE(EventInfoItem::OscDisplayText(message.toStdString()), shown);
        QCOMPARE(QString::fromStdString(err.text()),
                 reportsError ? QString("Invalid format: Unable to find the ending '/'\n") : QString());
    }

    void equality()
    {
        const EventInfoItem a{100, 200, 'A', "2x", true};
        EventInfoItem b = a;
        QVERIFY(a == b);
        b.value = "3x";
        QVERIFY(!(a == b)); // differ only in the value text
        b = a;
        b.paired = false;
        QVERIFY(!(a == b));
        QVERIFY(EventInfoItem() == (EventInfoItem{0, 0, 0, QString(), false}));

        QVERIFY(MarkerInfoItem("Intro", "1", 500) == MarkerInfoItem("Intro", "12A", 500));
        QVERIFY(!(MarkerInfoItem("Intro", "1", 500) == MarkerInfoItem("Intro", "1", 501)));
        QVERIFY(!(MarkerInfoItem("Intro", "1", 500) == MarkerInfoItem("intro", "1", 500)));
        const MarkerInfoItem fromMarker = MarkerInfoItem::FromMarker(CL::Marker(750, "Letter A", "E5"));
        QCOMPARE(fromMarker.name, std::string("Letter A"));
        QCOMPARE(fromMarker.location, std::string());
        QCOMPARE(fromMarker.position, 750u);
    }

    void stringConnectionsCarryTheRecords()
    {
        vand::qt::RegisterSelectionRecordTypes();
        Relay relay;
        QVERIFY(QObject::connect(&relay, SIGNAL(EventItemChangedSignal(EventInfoItem)), &relay,
                                 SLOT(onEventItemChanged(EventInfoItem)), Qt::QueuedConnection));
        QVERIFY(QObject::connect(&relay, SIGNAL(MarkerItemChangedSignal(MarkerInfoItem)), &relay,
                                 SLOT(onMarkerItemChanged(MarkerInfoItem)), Qt::QueuedConnection));
        const EventInfoItem event{10, 20, 'B', QString(), true};
        emit relay.EventItemChangedSignal(event);
        emit relay.MarkerItemChangedSignal(MarkerInfoItem("Bows", "9", 42));
        QCoreApplication::processEvents();
        QVERIFY(relay.lastEvent == event);
        QCOMPARE(relay.lastMarker.name, std::string("Bows"));
        QCOMPARE(relay.lastMarker.location, std::string("9"));
        QCOMPARE(QMetaType::fromName("EventInfoItem"), QMetaType::fromType<EventInfoItem>());
        QCOMPARE(QMetaType::fromName("MarkerInfoItem"), QMetaType::fromType<MarkerInfoItem>());
    }
};

QTEST_GUILESS_MAIN(TestSelectionRecords)
#include "tst_selectionrecords.moc"
