#include <QtTest>

#include <cstddef>
#include <sstream>

#include "CL/Events.h"
#include "TL/Timeline.h"
#include "cmn/DataVector.h"
#include "cmn/EventCodes.h"
#include "cmn/Keys.h"
#include "cmn/MidiStatus.h"
#include "cmn/VANDVersion.h"
#include "kit/CoutBuffer.h"

class TestCoreTypes : public QObject {
  Q_OBJECT

 private slots:
  void versionOrdering_data() {
    QTest::addColumn<QString>("lower");
    QTest::addColumn<QString>("higher");
    QTest::newRow("2.9 < 2.10") << "2.9"
                                << "2.10";
    QTest::newRow("1.255 < 2.0") << "1.255"
                                 << "2.0";
    QTest::newRow("0.0 < 0.1") << "0.0"
                               << "0.1";
    QTest::newRow("9.99 < 10.0") << "9.99"
                                 << "10.0";
  }

  void versionOrdering() {
    QFETCH(QString, lower);
    QFETCH(QString, higher);
    cmn::VANDVersion a;
    cmn::VANDVersion b;
    a.SetWithString(lower.toStdString());
    b.SetWithString(higher.toStdString());
    QVERIFY(a < b);
    QVERIFY(!(b < a));
    QCOMPARE(QString::fromStdString(b.GetAsString()), higher);
    const cmn::FileVersion fa(lower.toStdString());
    const cmn::FileVersion fb(higher.toStdString());
    QVERIFY(fb >= fa);
    QVERIFY(!(fa >= fb));
    QVERIFY(fa < fb);
  }

  void versionTextRefused_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("empty") << "";
    QTest::newRow("no dot") << "3";
    QTest::newRow("letters") << "a.b";
    QTest::newRow("three parts") << "1.2.3";
    QTest::newRow("negative") << "-1.0";
    QTest::newRow("too big") << "65536.0";
    QTest::newRow("blank") << " 1.0";
  }

  void versionTextRefused() {
    QFETCH(QString, text);
    cmn::VANDVersion v(3, 1);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, v.SetWithString(text.toStdString()));
    QCOMPARE(v, cmn::VANDVersion(3, 1));  // unchanged
    const cmn::FileVersion f(text.toStdString());
    QCOMPARE(f, cmn::FileVersion(0, 0));
  }

  void fileVersionLimits() {
    QCOMPARE(cmn::FileVersion("255.255"), cmn::FileVersion(255, 255));
    QCOMPARE(cmn::FileVersion("256.0"), cmn::FileVersion(0, 0));
    QCOMPARE(cmn::FileVersion("1.1").GetAsString(), std::string("1.1"));
    cmn::VANDVersion v;
    v.SetWithString("65535.7");
    QCOMPARE(int(v.major), 65535);
    QCOMPARE(int(v.minor), 7);
  }

  void barsBeatsStartsEmpty() {
    const TL::BarsBeats zero{};
    QCOMPARE(zero.bar_number(), std::string("0"));
    QCOMPARE(zero.tick, 0u);
    QCOMPARE(zero.beat, 0);
  }

  void barLabels_data() {
    QTest::addColumn<int>("bar");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("label");
    QTest::newRow("plain") << 12 << ""
                           << "12";
    QTest::newRow("suffix") << 16 << "A"
                            << "16A";
    QTest::newRow("pickup") << 0 << ""
                            << "0";
    QTest::newRow("four-byte suffix has no terminator") << 3 << "abcd"
                                                        << "3abcd";
    QTest::newRow("longer suffix is cut") << 3 << "abcdef"
                                          << "3abcd";
    QTest::newRow("negative") << -1 << ""
                              << "-1";
  }

  void barLabels() {
    QFETCH(int, bar);
    QFETCH(QString, suffix);
    QFETCH(QString, label);
    TL::BarsBeats b{};
    b.tick = 960;
    b.beat = 1;
    b.SetBarLabel(bar, suffix.toStdString());
    QCOMPARE(QString::fromStdString(b.bar_number()), label);
    QCOMPARE(QString::fromStdString(b.WriteString()), "tick=960 bar=" + label + " beat=1");
  }

  // Byte form: code, u32 LE count, then the 16-byte records as stored.
  void sequenceByteForm() {
    TL::TimelineSequence<TL::BarsBeats> seq;
    TL::BarsBeats a{};
    a.tick = 0x01020304;
    a.SetBarLabel(1, "");
    a.beat = 1;
    TL::BarsBeats b{};
    b.tick = 480;
    b.SetBarLabel(1, "");
    b.beat = 2;
    seq.push_back(a);
    seq.push_back(b);
    std::ostringstream os;
    seq.Write(os);
    const std::string bytes = os.str();
    QCOMPARE(bytes.size(), std::size_t(1 + 4 + 2 * 16));
    QCOMPARE(bytes[0], 'b');
    QCOMPARE(bytes.substr(1, 4), std::string("\x02\x00\x00\x00", 4));
    QCOMPARE(bytes.substr(5, 4), std::string("\x04\x03\x02\x01", 4));
    QCOMPARE(std::memcmp(bytes.data() + 5 + 16, &b, 16), 0);
    QCOMPARE(seq.evt_code(), (unsigned char)'b');
    QCOMPARE(seq.size(), std::size_t(2));
  }

  void sequenceTexts() {
    TL::TimelineSequence<TL::BarsBeats> seq;
    TL::BarsBeats a{};
    a.SetBarLabel(5, "");
    a.beat = 1;
    a.tick = 960;
    seq.push_back(a);
    std::ostringstream header;
    seq.WriteHeader(header);
    QCOMPARE(header.str(), std::string("BarsBeatsSequence(code=0x62, event count = 1)"));
    std::ostringstream listing;
    seq.WriteListing(listing, 1);
    QCOMPARE(listing.str(),
             std::string("\tBarsBeatsSequence(code=0x62, event count = 1)\n\t\ttick=960 bar=5 beat=1\n"));
    std::ostringstream sink;
    kit::CoutBuffer buffer(sink);
    seq.WriteListing(buffer, 0);
    QCOMPARE(sink.str(), std::string("BarsBeatsSequence(code=0x62, event count = 1)\n\ttick=960 bar=5 beat=1\n"));
  }

  void tempoBpm() {
    const TL::Tempo t{0, 500000};
    QCOMPARE(t.bpm(24), 120.0);
    QCOMPARE(t.bpm(48), 60.0);
    QCOMPARE((TL::Tempo{0, 0}).bpm(24), 0.0);
    TL::Timeline tl;
    tl.GetTempos().push_back(t);
    const TL::Timeline copy = tl;
    QCOMPARE(copy.GetTempos().size(), std::size_t(1));
    QCOMPARE(copy.GetTempos()[0].usPerQuarter, 500000u);
  }

  void keyNames_data() {
    QTest::addColumn<int>("sig");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("name");
    QTest::newRow("C") << 0 << 0 << "C";
    QTest::newRow("Am") << 0 << 1 << "Am";
    QTest::newRow("Eb") << -3 << 0 << "Eb";
    QTest::newRow("F#m") << 3 << 1 << "F#m";
    QTest::newRow("C#") << 7 << 0 << "C#";
    QTest::newRow("Cb") << -7 << 0 << "Cb";
    QTest::newRow("out of range") << 8 << 0 << "";
    QTest::newRow("bad mode") << 0 << 2 << "";
  }

  void keyNames() {
    QFETCH(int, sig);
    QFETCH(int, mode);
    QFETCH(QString, name);
    QCOMPARE(QString::fromStdString(Keys::keyNameFromSig(static_cast<Int16>(sig), static_cast<UInt16>(mode))), name);
  }

  // The name table and the lookups agree on every byte; each kind has its
  // own name, so a name leads back to one code.
  void editNames() {
    const std::map<unsigned char, std::string>& table = codes::editNameByVandEventCode;
    QCOMPARE(table.size(), codes::kEventKinds.size());
    std::map<std::string, unsigned char> codeByName;
    for (int c = 0; c < 256; ++c) {
      const auto code = static_cast<unsigned char>(c);
      const auto row = table.find(code);
      const codes::EventKind* kind = codes::FindEventKind(code);
      QCOMPARE(row != table.end(), kind != nullptr);
      if (!kind) {
        QCOMPARE(codes::EditName(code), std::string());
        continue;
      }
      QCOMPARE(kind->code, code);
      QVERIFY(!row->second.empty());
      QCOMPARE(codes::EditName(code), row->second);
      QVERIFY2(codeByName.emplace(row->second, code).second, row->second.c_str());
    }
    QCOMPARE(codes::editNameByVandEventCode().at(codes::kAmbientSfx), std::string("Ambient Sfx"));
  }

  void midiStatusNames() {
    for (UInt8 status : {0x80, 0x90, 0xA0, 0xB0, 0xC0, 0xD0, 0xE0}) {
      QVERIFY(!std_midi::sb::status_names.at(status).empty());
    }
    QCOMPARE(std_midi::sb::status_names.at(0x90), std::string("Note On"));
  }

  void dataVectorOrder() {
    const vand::core::DataVector a(std::string_view("abc"));
    const vand::core::DataVector b(std::string_view("abd"));
    const vand::core::DataVector prefix(std::string_view("ab"));
    QVERIFY(a < b && !(b < a));
    QVERIFY(prefix < a && !(a < prefix));
    QVERIFY(!(a < a));
    std::map<vand::core::DataVector, int> m{{a, 1}, {b, 2}, {prefix, 3}};
    QCOMPARE(m.size(), std::size_t(3));
    QCOMPARE(m.begin()->second, 3);
  }

  // Equality compares code, id, ticks and values; clones keep the type.
  void eventEqualityAndCopies() {
    const CL::Vamp v(100, 200, "V1", 3);
    CL::Vamp same(100, 200, "V1", 3);
    QVERIFY(v == same);
    same.SetIntValue(4);
    QVERIFY(v != same);
    const CL::Repeat r(100, 200, "V1", 3);
    QVERIFY(!(static_cast<const cmn::VandEvent&>(v) == r));  // other code

    const CL::Osc osc(500, "S9", CL::OscProperties("/cue/5/go", "NETWORK0"));
    auto copy = CL::CopyVandEvent(osc);
    QVERIFY(dynamic_cast<CL::Osc*>(copy.get()) != nullptr);
    QVERIFY(*copy == osc);
    QCOMPARE(copy->osc_properties().Message(), std::string("/cue/5/go"));
    CL::Osc other(500, "S9", CL::OscProperties("/cue/6/go", "NETWORK0"));
    QVERIFY(!(other == osc));

    const CL::TempoScale ts(0, 100, "D1", 0.75);
    QCOMPARE(ts.float_value(), 0.75f);
    QVERIFY(ts.IsPairedEvent());
    QCOMPARE(ts.GetLengthTicks(), 100u);
  }

  void pointEventsKeepEndZero() {
    CL::Marker m(960, "Letter A", "E5");
    m.end(2000);
    QCOMPARE(m.end(), 0u);
    QVERIFY(!m.IsPairedEvent());
    QCOMPARE(m.GetLengthTicks(), 0u);
    QCOMPARE(m.abs_time(), 960u);
    m.start(1000);
    QCOMPARE(m.abs_time(), 1000u);
    const CL::Marker fromEvent(static_cast<const cmn::VandEvent&>(m));
    QCOMPARE(fromEvent.value(), std::string("Letter A"));
    QCOMPARE(fromEvent.start(), 1000u);
    QCOMPARE(fromEvent.EventId(), std::string("E5"));
    CL::Sfx ambient(0, "sfx.1", CL::SfxProperties(), true);
    QCOMPARE(ambient.code(), (unsigned char)'R');
    QVERIFY(ambient.IsAmbient());
  }
};

QTEST_GUILESS_MAIN(TestCoreTypes)
#include "tst_core_types.moc"
