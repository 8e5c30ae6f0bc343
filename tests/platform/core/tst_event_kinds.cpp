// The table of event kinds: its rows fit the record classes, and the editor
// and the change-log reader hold every kind to the same limits, so an edit
// the editor accepts always loads again and a file the reader loads holds
// nothing the editor would refuse.

#include <QtTest>

#include <cmath>
#include <memory>
#include <string>

#include "CL/ChangeLog.h"
#include "CL/Editor.h"
#include "CL/Events.h"
#include "cmn/EventCodes.h"

namespace {

constexpr UInt32 kStart = 1000;
constexpr UInt32 kEnd = 2000;

// A record of `code` in song "1" whose field `field` ("value", "text" or
// "id") is set to `amount` (a number, or a length in bytes).
std::unique_ptr<cmn::VandEvent> Record(unsigned char code, const QString& field, double amount) {
  std::unique_ptr<cmn::VandEvent> e = CL::MakeSongRecord(code);
  e->start(kStart);
  e->end(kEnd);
  e->SetEventId("id");
  const auto length = static_cast<std::size_t>(amount);
  if (field == "id") e->SetEventId(std::string(length, 'i'));
  if (field == "text") static_cast<CL::Marker&>(*e).SetText(std::string(length, 't'));
  if (field == "value") {
    if (code == codes::kTempoScale) {
      static_cast<CL::TempoScale&>(*e).SetFactor(amount);
    } else {
      static_cast<CL::RegionEvent&>(*e).SetIntValue(static_cast<int>(amount));
    }
  }
  return e;
}

bool EditorAccepts(const cmn::VandEvent& e) {
  CL::Editor editor;
  editor.SelectSongLogForEditing("1");
  try {
    editor.AddEvent(e);
  } catch (const CL::EditorError&) {
    return false;
  }
  const cmn::VandEvent* stored = editor.GetSelectedSongLog()->Find(e.code(), e.EventId(), e.start());
  return stored != nullptr && *stored == e;
}

// Written as any record is written, the log loads with the record unchanged
// and nothing to report.
bool ReaderLoadsUnchanged(const cmn::VandEvent& e) {
  CL::ChangeLog log;
  log.GetOrCreateSongLog("1").Add(e);
  try {
    const CL::ChangeLog loaded = CL::ChangeLog::FromJson(log.ToJson(), "", "kinds.logdata");
    const cmn::VandEvent* read = loaded.FindSongLog("1")->Find(e.code(), e.EventId(), e.start());
    return loaded.GetLoadReport().empty() && read != nullptr && *read == e;
  } catch (const std::runtime_error&) {
    return false;
  }
}

}  // namespace

class TestEventKinds : public QObject {
  Q_OBJECT

 private slots:
  // Each row names an existing record class that matches its extent and value.
  void rowsFitTheRecords() {
    for (const codes::EventKind& kind : codes::kEventKinds) {
      const QByteArray name(kind.name);
      QCOMPARE(codes::FindEventKind(kind.code), &kind);
      QCOMPARE(codes::editNameByVandEventCode.at(kind.code), std::string(kind.name));
      std::unique_ptr<cmn::VandEvent> record = CL::MakeSongRecord(kind.code);
      QVERIFY2((record != nullptr) == (kind.home == codes::Home::Song), name);
      if (!record) continue;
      QVERIFY2(CL::IsRecordOfItsCode(*record), name);
      QCOMPARE(record->IsPairedEvent(), kind.extent == codes::Extent::Region);
      switch (kind.value) {
        case codes::ValueKind::Int: QVERIFY2(dynamic_cast<CL::RegionEvent*>(record.get()), name); break;
        case codes::ValueKind::Factor: QVERIFY2(dynamic_cast<CL::TempoScale*>(record.get()), name); break;
        case codes::ValueKind::Text: QVERIFY2(dynamic_cast<CL::Marker*>(record.get()), name); break;
        case codes::ValueKind::Osc: QVERIFY2(dynamic_cast<CL::Osc*>(record.get()), name); break;
        default: break;
      }
      QVERIFY2(kind.flow == codes::FlowKind::None || kind.extent == codes::Extent::Region, name);
      // A file that leaves the value out loads one the editor accepts.
      if (kind.valueIfMissing) QVERIFY2(codes::InLimits(kind, *kind.valueIfMissing), name);
    }
    QCOMPARE(codes::FindEventKind('Z'), nullptr);
  }

  void limitsAgree_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("amount");
    QTest::addColumn<bool>("accepted");
    for (const codes::EventKind& kind : codes::kEventKinds) {
      if (kind.value != codes::ValueKind::Int && kind.value != codes::ValueKind::Factor) continue;
      const double step = kind.value == codes::ValueKind::Int ? 1.0 : 0.001;
      const auto row = [&kind](const char* what, double amount, bool accepted) {
        QTest::addRow("%s %s", kind.name, what) << int(kind.code) << "value" << amount << accepted;
      };
      row("min", kind.min, true);
      row("max", kind.max, true);
      row("below min", kind.min - step, false);
      row("above max", kind.max + step, false);
    }
    QTest::newRow("longest id") << int(codes::kMarker) << "id" << double(codes::kMaxIdBytes) << true;
    QTest::newRow("id too long") << int(codes::kMarker) << "id" << double(codes::kMaxIdBytes + 1) << false;
    QTest::newRow("longest text") << int(codes::kMarker) << "text" << double(codes::kMaxTextBytes) << true;
    QTest::newRow("text too long") << int(codes::kMarker) << "text" << double(codes::kMaxTextBytes + 1) << false;
  }

  void limitsAgree() {
    QFETCH(int, code);
    QFETCH(QString, field);
    QFETCH(double, amount);
    QFETCH(bool, accepted);
    const std::unique_ptr<cmn::VandEvent> e = Record(static_cast<unsigned char>(code), field, amount);
    QCOMPARE(EditorAccepts(*e), accepted);
    QCOMPARE(ReaderLoadsUnchanged(*e), accepted);
  }
};

QTEST_GUILESS_MAIN(TestEventKinds)
#include "tst_event_kinds.moc"
