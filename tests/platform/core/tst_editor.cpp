#include <QtTest>

#include <memory>
#include <thread>

#include "CL/ActiveChangeLog.h"
#include "CL/Editor.h"
#include "TestSongInfo.h"

namespace {

const CL::SongLog& Log(const CL::Editor& e) {
  const CL::SongLog* log = e.GetSelectedSongLog();
  if (log == nullptr) throw std::runtime_error("no song log");
  return *log;
}

}  // namespace

class TestEditor : public QObject {
  Q_OBJECT

  TestSongInfo info;
  std::unique_ptr<CL::Editor> editor;

  CL::Editor& E() { return *editor; }

 private slots:
  void init() {
    info = TestSongInfo();
    editor = std::make_unique<CL::Editor>();
    editor->SetSongInfoProvider(&info);
    editor->SelectSongLogForEditing("1");
  }

  void cleanup() { editor.reset(); }

  // Adding, editing and deleting leave every other record where it is; an
  // edit changes its record in place. Only undo/redo replace records.
  void recordsStayPut() {
    E().AddEvent(CL::Marker(TestSongInfo::At(2, 1), "A", ""));
    E().AddEvent(CL::Marker(TestSongInfo::At(4, 1), "B", ""));
    E().AddEvent(CL::Vamp(TestSongInfo::At(5, 1), TestSongInfo::At(6, 1), "", 0));
    E().AddEvent(CL::Cut(TestSongInfo::At(8, 1), TestSongInfo::At(9, 1), "", 0));
    const CL::SongLog& log = Log(E());
    const CL::Marker* markerA = &log.GetMarkers()[0];
    const CL::Marker* markerB = &log.GetMarkers()[1];
    const CL::Vamp* vamp = &log.GetVamps()[0];
    const CL::Cut* cut = &log.GetCuts()[0];

    // Add more of every touched kind, before and after the kept ones.
    E().AddEvent(CL::Marker(TestSongInfo::At(1, 1), "Start", ""));
    E().AddEvent(CL::Marker(TestSongInfo::At(3, 1), "Mid", ""));
    E().AddEvent(CL::Vamp(TestSongInfo::At(10, 1), TestSongInfo::At(11, 1), "", 2));
    QCOMPARE(&log.GetMarkers()[1], markerA);
    QCOMPARE(&log.GetMarkers()[3], markerB);
    QCOMPARE(&log.GetVamps()[0], vamp);

    // Edit in place: same address, new values, order kept by start.
    E().EditEventStartEndValues(*markerA, TestSongInfo::At(5, 1), TestSongInfo::At(5, 1), false, false);
    QCOMPARE(markerA->start(), TestSongInfo::At(5, 1));
    QCOMPARE(&log.GetMarkers()[3], markerA);
    QCOMPARE(&log.GetMarkers()[2], markerB);
    E().EditEventIntValue(*vamp, 7);
    QCOMPARE(vamp->int_value(), 7);
    QCOMPARE(&log.GetVamps()[0], vamp);

    // Delete another record: the rest stay.
    E().DeleteEvent(*CL::CopyVandEvent(log.GetMarkers()[0]));
    QCOMPARE(log.GetMarkers().size(), std::size_t(3));
    QCOMPARE(&log.GetMarkers()[1], markerB);
    QCOMPARE(&log.GetMarkers()[2], markerA);
    QCOMPARE(&log.GetCuts()[0], cut);

    // Undo restores the deleted marker as a new record; the others stay.
    QVERIFY(E().CanUndo());
    E().Undo();
    QCOMPARE(log.GetMarkers().size(), std::size_t(4));
    QCOMPARE(log.GetMarkers()[0].value(), std::string("Start"));
    QCOMPARE(&log.GetCuts()[0], cut);
  }

  void editedCodes() {
    QVERIFY_THROWS_EXCEPTION(CL::EditorHistoryNoActionError, E().GetEditedCodes());
    E().AddEvent(CL::Marker(TestSongInfo::At(2, 1), "A", "E2"));
    QCOMPARE(E().GetEditedCodes(), std::vector<int>{'E'});
    E().AddEvent(CL::Click(TestSongInfo::At(2, 1), TestSongInfo::At(3, 1), "", 8));
    QCOMPARE(E().GetEditedCodes(), std::vector<int>{'L'});
    const auto undone = E().Undo();
    QCOMPARE(undone.size(), std::size_t(1));
    QCOMPARE(undone[0].codes, std::vector<int>{'L'});
    QCOMPARE(undone[0].song, std::string("1"));
    QCOMPARE(E().GetEditedCodes(), std::vector<int>{'L'});
    const auto redone = E().Redo();
    QCOMPARE(CL::GetAffectedCodes(redone), std::vector<int>{'L'});
    // A refused edit leaves the last codes and the history as they were.
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().AddEvent(CL::Marker(10, "before start", "")));
    QCOMPARE(E().GetEditedCodes(), std::vector<int>{'L'});
    // Loading another log forgets the last edit.
    E().SetChangeLog(CL::ChangeLog());
    QVERIFY_THROWS_EXCEPTION(CL::EditorHistoryNoActionError, E().GetEditedCodes());
    QVERIFY(!E().CanUndo());
  }

  void affectedCodesAreSortedAndUnique() {
    std::vector<CL::HistoryItem> items(3);
    items[0].codes = {'L', 'E'};
    items[1].codes = {'@'};
    items[2].codes = {'E'};
    QCOMPARE(CL::GetAffectedCodes(items), (std::vector<int>{'@', 'E', 'L'}));
    QVERIFY(CL::GetAffectedCodes({}).empty());
  }

  void refusals_data() {
    QTest::addColumn<QString>("kind");
    QTest::addColumn<uint>("start");
    QTest::addColumn<uint>("end");
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("message");  // empty: accepted
    const uint b3 = TestSongInfo::At(3, 1);
    const uint b4 = TestSongInfo::At(4, 1);
    const uint b6 = TestSongInfo::At(6, 1);
    // Existing: a vamp over bars 3-4 (see refusals()).
    QTest::newRow("empty region") << "vamp" << b6 << b6 << 0.0 << "A vamp must end after it starts.";
    QTest::newRow("inverted region") << "cut" << b6 << b4 << 0.0 << "A cut must end after it starts.";
    QTest::newRow("before song start") << "marker" << 999u << 0u << 0.0
                                       << "Events cannot start before the song starts.";
    QTest::newRow("past song end") << "repeat" << b6 << 100001u << 2.0 << "Events cannot end after the song ends.";
    QTest::newRow("point past end") << "caesura" << 100001u << 0u << 0.0 << "Events cannot lie after the song ends.";
    QTest::newRow("same kind overlap") << "vamp" << b3 + 10 << b6 << 0.0 << "A vamp cannot overlap another vamp (V3).";
    QTest::newRow("flow kinds overlap") << "cut" << b3 - 480 << b3 + 1 << 0.0 << "A cut cannot overlap a vamp (V3).";
    QTest::newRow("skip in vamp") << "skip" << b3 + 480 << b3 + 960 << 0.0 << "A skip cannot overlap a vamp (V3).";
    QTest::newRow("touching is fine") << "repeat" << b4 << b6 << 2.0 << "";
    QTest::newRow("transpose over vamp") << "transpose" << b3 << b6 << -2.0 << "";
    QTest::newRow("tempo over vamp") << "tempo" << b3 << b6 << 1.5 << "";
    QTest::newRow("repeat count 0") << "repeat" << b4 << b6 << 0.0 << "A repeat's count must be from 1 to 500.";
    QTest::newRow("vamp count 501") << "vamp" << b4 << b6 << 501.0 << "A vamp's count must be from 0 (endless) to 500.";
    QTest::newRow("transpose 7") << "transpose" << b4 << b6 << 7.0
                                 << "A transposition must be from -6 to 6 half steps.";
    QTest::newRow("tempo 2.5") << "tempo" << b4 << b6 << 2.5 << "A tempo scale must be from 50% to 200%.";
    QTest::newRow("tempo NaN") << "tempo" << b4 << b6 << qQNaN() << "A tempo scale must be from 50% to 200%.";
    QTest::newRow("click not allowed") << "click" << b4 << b6 << 5.0
                                       << "The click value 5 is not allowed over this range.";
    QTest::newRow("click allowed") << "click" << b3 << b6 << 16.0 << "";
    QTest::newRow("marker at song end") << "marker" << 100000u << 0u << 0.0 << "";
  }

  void refusals() {
    QFETCH(QString, kind);
    QFETCH(uint, start);
    QFETCH(uint, end);
    QFETCH(double, value);
    QFETCH(QString, message);
    E().AddEvent(CL::Vamp(TestSongInfo::At(3, 1), TestSongInfo::At(4, 1), "V3", 0));
    std::unique_ptr<cmn::VandEvent> ev;
    if (kind == "vamp") ev = std::make_unique<CL::Vamp>(start, end, "", int(value));
    if (kind == "repeat") ev = std::make_unique<CL::Repeat>(start, end, "", int(value));
    if (kind == "cut") ev = std::make_unique<CL::Cut>(start, end, "", 0);
    if (kind == "skip") ev = std::make_unique<CL::Fermata>(start, end, "", 0);
    if (kind == "transpose") ev = std::make_unique<CL::Transpose>(start, end, "", int(value));
    if (kind == "tempo") ev = std::make_unique<CL::TempoScale>(start, end, "", value);
    if (kind == "click") ev = std::make_unique<CL::Click>(start, end, "", int(value));
    if (kind == "marker") ev = std::make_unique<CL::Marker>(start, "m", "");
    if (kind == "caesura") ev = std::make_unique<CL::Caesura>(start, "", 0);
    QVERIFY(ev);
    const std::size_t before = Log(E()).EventCount();
    if (message.isEmpty()) {
      E().AddEvent(*ev);
      QCOMPARE(Log(E()).EventCount(), before + 1);
      return;
    }
    try {
      E().AddEvent(*ev);
      QFAIL("accepted");
    } catch (const CL::EditorError& e) {
      QCOMPARE(QString::fromUtf8(e.what()), message);
    }
    QCOMPARE(Log(E()).EventCount(), before);
    E().Undo();  // undoes the vamp: the refused add left no history
    QCOMPARE(Log(E()).EventCount(), std::size_t(0));
    QVERIFY(!E().CanUndo());
  }

  // Moves and value changes are checked like additions and change nothing
  // when refused.
  void refusedEditsChangeNothing() {
    E().AddEvent(CL::Repeat(TestSongInfo::At(2, 1), TestSongInfo::At(3, 1), "A2", 2));
    E().AddEvent(CL::Cut(TestSongInfo::At(5, 1), TestSongInfo::At(6, 1), "B5", 0));
    const CL::Repeat& repeat = Log(E()).GetRepeats()[0];
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().EditEventStartEndValues(repeat, TestSongInfo::At(4, 1),
                                                                          TestSongInfo::At(5, 2), false, true));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().EditEventIntValue(repeat, 0));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().EditEventFloatValue(repeat, 1.0));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().EditEventStringValue(repeat, "x"));
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().EditEventIntValue(Log(E()).GetCuts()[0], 3));
    QCOMPARE(repeat.start(), TestSongInfo::At(2, 1));
    QCOMPARE(repeat.end(), TestSongInfo::At(3, 1));
    QCOMPARE(repeat.int_value(), 2);
    // A move up to the cut is fine.
    E().EditEventStartEndValues(repeat, TestSongInfo::At(4, 1), TestSongInfo::At(5, 1), false, true);
    QCOMPARE(repeat.end(), TestSongInfo::At(5, 1));
  }

  void suggestedIds() {
    QCOMPARE(E().GetSuggestedEventIdAtTick(TestSongInfo::At(5, 1), 'E'), std::string("E5"));
    QCOMPARE(E().GetSuggestedEventIdAtTick(TestSongInfo::At(7, 3) + 37, 'N'), std::string("N7A.3"));
    QCOMPARE(E().GetSuggestedEventIdAtTick(TestSongInfo::At(12, 1), '@'), std::string("V12"));
    QCOMPARE(E().GetSuggestedEventIdAtTick(TestSongInfo::At(12, 2), 'S'), std::string("S12.2"));
    E().AddEvent(CL::Marker(TestSongInfo::At(5, 1), "a", ""));  // empty id: suggested
    QCOMPARE(Log(E()).GetMarkers()[0].EventId(), std::string("E5"));
    QCOMPARE(E().GetSuggestedEventIdAtTick(TestSongInfo::At(5, 1), 'E'), std::string("E5_2"));
    QCOMPARE(E().GetSuggestedEventIdAtTick(TestSongInfo::At(5, 1), 'N'), std::string("N5"));  // per code
    E().AddEvent(CL::Marker(TestSongInfo::At(5, 1), "b", "E5"));                              // taken id: a free one
    E().AddEvent(CL::Marker(TestSongInfo::At(5, 1), "c", "E5"));
    QCOMPARE(Log(E()).GetMarkers()[1].EventId(), std::string("E5_2"));
    QCOMPARE(Log(E()).GetMarkers()[2].EventId(), std::string("E5_3"));
    E().SelectSongLogForEditing("2");
    QCOMPARE(E().GetSuggestedEventIdAtTick(0, 'E'), std::string("E1"));  // per song
    // Without a provider the tick stands in for the bar.
    E().SetSongInfoProvider(nullptr);
    QCOMPARE(E().GetSuggestedEventIdAtTick(1234, 'B'), std::string("B1234"));
  }

  // Callers pass stale copies: records are found by code and id.
  void staleCopiesFindTheRecord() {
    E().AddEvent(CL::Vamp(TestSongInfo::At(2, 1), TestSongInfo::At(3, 1), "V2", 0));
    const auto copy = CL::CopyVandEvent(Log(E()).GetVamps()[0]);
    E().EditEventStartEndValues(*copy, TestSongInfo::At(2, 1), TestSongInfo::At(4, 1), false, true);
    E().EditEventIntValue(*copy, 4);  // the copy still holds the old end
    const CL::Vamp& stored = Log(E()).GetVamps()[0];
    QCOMPARE(stored.end(), TestSongInfo::At(4, 1));
    QCOMPARE(stored.int_value(), 4);
    QCOMPARE(copy->end(), TestSongInfo::At(3, 1));
    E().DeleteEvent(copy);
    QVERIFY(Log(E()).GetVamps().empty());
    try {
      E().DeleteEvent(*copy);
      QFAIL("deleted twice");
    } catch (const CL::EditorError& e) {
      QCOMPARE(QString::fromUtf8(e.what()), QString("The vamp V2 could not be found in song 1."));
    }
    // The stored record itself may be passed as well.
    E().AddEvent(CL::Marker(TestSongInfo::At(3, 1), "m", "E3"));
    const CL::Marker& marker = Log(E()).GetMarkers()[0];
    E().EditEventStringValue(marker, marker.value() + "!");
    QCOMPARE(marker.value(), std::string("m!"));
    E().DeleteEvent(marker);
    QVERIFY(Log(E()).GetMarkers().empty());
  }

  void undoRedo() {
    QVERIFY(!E().CanUndo());
    QVERIFY(E().Undo().empty());
    E().AddEvent(CL::TempoScale(TestSongInfo::At(2, 1), TestSongInfo::At(4, 1), "D2", 0.75));
    E().EditEventFloatValue(Log(E()).GetTempoScales()[0], 1.25);
    E().EditEventStartEndValues(Log(E()).GetTempoScales()[0], TestSongInfo::At(3, 1), TestSongInfo::At(5, 1), true,
                                true);
    E().DeleteEvent(*CL::CopyVandEvent(Log(E()).GetTempoScales()[0]));
    QVERIFY(Log(E()).GetTempoScales().empty());

    E().Undo();  // delete
    QCOMPARE(Log(E()).GetTempoScales()[0].start(), TestSongInfo::At(3, 1));
    E().Undo();  // move
    QCOMPARE(Log(E()).GetTempoScales()[0].start(), TestSongInfo::At(2, 1));
    QCOMPARE(Log(E()).GetTempoScales()[0].float_value(), 1.25f);
    E().Undo();  // value
    QCOMPARE(Log(E()).GetTempoScales()[0].float_value(), 0.75f);
    E().Undo();  // add
    QVERIFY(Log(E()).GetTempoScales().empty());
    QVERIFY(!E().CanUndo());
    QVERIFY(E().CanRedo());

    E().Redo();
    E().Redo();
    QCOMPARE(Log(E()).GetTempoScales()[0].float_value(), 1.25f);
    // A new edit drops what could be redone.
    E().AddEvent(CL::Marker(TestSongInfo::At(2, 1), "x", ""));
    QVERIFY(!E().CanRedo());
    QVERIFY(E().Redo().empty());

    // History is per song.
    E().SelectSongLogForEditing("2");
    QVERIFY(!E().CanUndo());
    E().AddEvent(CL::Marker(480, "song 2", ""));
    E().SelectSongLogForEditing("1");
    E().Undo();  // the marker of song 1
    QVERIFY(Log(E()).GetMarkers().empty());
    E().SelectSongLogForEditing("2");
    QCOMPARE(Log(E()).GetMarkers().size(), std::size_t(1));
  }

  void songSelection() {
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, E().SelectSongLogForEditing(""));
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, E().SelectSongLogForEditing("99"));
    QCOMPARE(E().GetSelectedSong(), std::string("1"));
    CL::Editor fresh;
    try {
      fresh.AddEvent(CL::Marker(0, "m", ""));
      QFAIL("added without a song");
    } catch (const CL::EditorError& e) {
      QCOMPARE(QString::fromUtf8(e.what()), QString("No song is selected for editing."));
    }
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().AddEvent(CL::Sfx(0, "sfx.1", CL::SfxProperties())));
  }

  void soundEffects() {
    CL::SfxProperties p;
    p.setName("Door");
    p.setEffectId("door");
    p.setVolume(0.5f);
    p.fadeOut = 500;
    QCOMPARE(E().PreviewNextSfxEventId(), std::string("1"));
    QCOMPARE(E().PreviewNextSfxEventId(), std::string("1"));
    const std::string id1 = "sfx." + E().GetNextSfxEventIdSuffix();
    QCOMPARE(id1, std::string("sfx.1"));
    const CL::Sfx& stored = E().AddSoundEffect(CL::Sfx(0, id1, p));
    QCOMPARE(stored.EventId(), id1);
    // A suffix already used by a stored id is skipped.
    E().AddSoundEffect(CL::Sfx(0, "sfx.2", p));
    QCOMPARE(E().PreviewNextSfxEventId(), std::string("3"));
    QCOMPARE(E().GetNextSfxEventIdSuffix(), std::string("3"));
    QCOMPARE(E().GetNextSfxEventIdSuffix(), std::string("4"));
    QCOMPARE(E().GetChangeLog().GetNextSfxSuffix(), 5u);

    CL::SfxProperties q = p;
    q.setPan(0.25f);
    E().EditSoundEffectSFXPropertyValues(CL::Sfx(0, "sfx.2", CL::SfxProperties()), q);
    QCOMPARE(E().GetChangeLog().GetSfxs()[1]->sfx_properties().pan(), 0.25f);
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, E().EditSoundEffectSFXPropertyValues(CL::Sfx(0, "sfx.9", {}), q));

    E().AddEvent(CL::Marker(TestSongInfo::At(2, 1), "m", "E2"));
    const auto byId = E().GetEventsByEventId();
    QCOMPARE(byId.size(), std::size_t(3));
    QCOMPARE(byId.at("E2")->code(), (unsigned char)'E');
    QCOMPARE(byId.at("sfx.1"), static_cast<const cmn::VandEvent*>(&stored));

    E().DeleteEvent(stored);
    QCOMPARE(E().GetChangeLog().GetSfxs().size(), std::size_t(1));
    // Sound-effect changes are not undoable: undo takes back the marker.
    QCOMPARE(E().GetEditedCodes(), std::vector<int>{'E'});
    const auto undone = E().Undo();
    QCOMPARE(undone.size(), std::size_t(1));
    QCOMPARE(undone[0].codes, std::vector<int>{'E'});
    QCOMPARE(E().GetChangeLog().GetSfxs().size(), std::size_t(1));
    QVERIFY(!E().CanUndo());
  }

  // The repository reads under the guard and edits while holding it; the
  // guard is re-entrant and excludes other threads.
  void activeChangeLogGuard() {
    CL::SetActiveChangeLog(nullptr);
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CL::ActiveChangeLogExclusive());
    E().MakeActive();
    {
      CL::ActiveChangeLogExclusive outer;
      CL::ActiveChangeLogExclusive inner;  // same thread again
      QCOMPARE(&outer.Get(), &E().GetChangeLog());
      E().AddSoundEffect(CL::Sfx(0, "sfx.7", {}));  // editor call while holding it
      bool otherGotIt = true;
      std::thread other([&] {
        otherGotIt = CL::ActiveChangeLogMutex().try_lock();
        if (otherGotIt) CL::ActiveChangeLogMutex().unlock();
      });
      other.join();
      QVERIFY(!otherGotIt);
      QCOMPARE(inner.Get().GetSfxs().size(), std::size_t(1));
    }
    bool otherGotIt = false;
    std::thread other([&] {
      CL::ActiveChangeLogExclusive guard;
      otherGotIt = guard.Get().GetSfxs().size() == 1;
    });
    other.join();
    QVERIFY(otherGotIt);
    editor.reset();  // unregisters its log
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, CL::ActiveChangeLogExclusive());
  }

  void engineSideChanges() {
    E().SetAttacca("2", 1);
    QVERIFY(E().GetChangeLog().FindSongLog("2")->attaccaSet);
    QCOMPARE(int(E().GetChangeLog().FindSongLog("2")->attacca), 1);
    QVERIFY_THROWS_EXCEPTION(std::invalid_argument, E().SetAttacca("2", 3));
    E().SetOutputPath(CL::OutputPath("p1", "Stage Left", "dev"));
    E().SetOutputPath(CL::OutputPath("p1", "Stage Right", "dev"));
    QCOMPARE(E().GetChangeLog().GetOutputPaths().at("p1").GetName(), std::string("Stage Right"));
    E().RemoveOutputPath("p1");
    QVERIFY(E().GetChangeLog().GetOutputPaths().empty());
    E().UpdateNetworks({CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000)});
    QCOMPARE(E().GetChangeLog().GetNetworks().size(), std::size_t(1));
    QVERIFY(!E().CanUndo());
  }
};

QTEST_GUILESS_MAIN(TestEditor)
#include "tst_editor.moc"
