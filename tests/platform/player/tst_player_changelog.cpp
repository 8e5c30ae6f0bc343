// The change log through the engine: saving, switching versions, load-time
// warnings, edits reaching playback, and the editor's song knowledge.

#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

#include <QTest>

#include "kit/File.h"

#include "PlayerFixture.h"

using namespace player_test;

namespace {

void WriteText(const fs::path& file, const std::string& text) { std::ofstream(file, std::ios::binary) << text; }

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string LogJson(const std::string& version, const std::string& events, const std::string& minReader = "1.0") {
  return R"({"format": "vand-logdata", "formatVersion": "1.0", "minReaderVersion": ")" + minReader +
         R"(", "showIdentifier": "test", "version": ")" + version + R"(", "modified": 1700000000,
            "songs": {"1": {"events": [)" +
         events + "]}}}";
}

}  // namespace

class TstPlayerChangeLog : public QObject {
  Q_OBJECT

 private slots:
  void saveWritesTheVersionedFile();
  void newestLogIsActiveAtStart();
  void newerFormatIsRefusedAndTheOldLogKept();
  void switchingVersionsClearsHistory();
  void loadWarnings();
  void loadWarningsOfManyEventsStayShort();
  void editsReachPlaybackOnLoadNewChangeLog();
  void editorKnowsTheSongs();
  void saveNeverReplacesAnUnreadableLog_data();
  void saveNeverReplacesAnUnreadableLog();
  void leftoversOfInterruptedSavesGoAtLoad();
};

void TstPlayerChangeLog::saveWritesTheVersionedFile() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  auto& engine = f.Start();
  QCOMPARE(engine.GetChangelogFilename(), std::string());
  QCOMPARE(engine.GetLogVersion(), std::string("0.0"));
  CL::Editor* editor = engine.GetChangeLogEditor();
  editor->SelectSongLogForEditing("1");
  editor->AddEvent(CL::Marker(2000, "A", "E2"));

  const std::string name = engine.SaveChangelog(3, 1);
  QCOMPARE(name, std::string("Test Show-3.1.logdata"));
  const fs::path file = f.showFolder / name;
  QVERIFY(fs::exists(file));
  QCOMPARE(engine.GetChangelogFilename(), fs::absolute(file).string());
  QVERIFY(fs::path(engine.GetChangelogFilename()).is_absolute());
  QCOMPARE(engine.GetLogVersion(), std::string("3.1"));
  for (const auto& entry : fs::directory_iterator(f.showFolder)) {
    QVERIFY2(entry.path().extension() != ".tmp", entry.path().c_str());
  }
  CL::ChangeLog saved(file, f.showFolder / "identity.json");
  QCOMPARE(saved.GetVersion(), cmn::VANDVersion(3, 1));
  QVERIFY(saved.GetModifiedTime() > 1700000000u);
  QCOMPARE(saved.FindSongLog("1")->GetMarkers().size(), std::size_t(1));

  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, engine.SaveChangelog(70000, 0));
  QCOMPARE(engine.GetLogVersion(), std::string("3.1"));
}

void TstPlayerChangeLog::newestLogIsActiveAtStart() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  WriteText(f.showFolder / "Test Show-1.2.logdata", LogJson("1.2", ""));
  WriteText(f.showFolder / "Test Show-1.10.logdata",
            LogJson("1.10", R"({"code": "E", "id": "E1", "start": 0, "text": "x"})"));
  WriteText(f.showFolder / "Test Show-1.9.logdata", LogJson("1.9", ""));
  auto& engine = f.Start();
  QCOMPARE(engine.GetLogVersion(), std::string("1.10"));
  QCOMPARE(fs::path(engine.GetChangelogFilename()).filename().string(), std::string("Test Show-1.10.logdata"));
  QCOMPARE(engine.GetMarkers().size(), std::size_t(1));
}

void TstPlayerChangeLog::newerFormatIsRefusedAndTheOldLogKept() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  WriteText(f.showFolder / "Test Show-1.0.logdata",
            LogJson("1.0", R"({"code": "E", "id": "E1", "start": 0, "text": "x"})"));
  auto& engine = f.Start();
  CL::Editor* editor = engine.GetChangeLogEditor();
  const std::string before = engine.GetChangelogFilename();
  WriteText(f.showFolder / "Test Show-2.0.logdata", LogJson("2.0", "", "9.0"));
  QVERIFY_THROWS_EXCEPTION(CL::ChangeLogVersionError, engine.SetChangelogFilename("Test Show-2.0.logdata"));
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, engine.SetChangelogFilename("missing.logdata"));
  QCOMPARE(engine.GetChangelogFilename(), before);
  QCOMPARE(engine.GetLogVersion(), std::string("1.0"));
  QCOMPARE(engine.GetMarkers().size(), std::size_t(1));
  QCOMPARE(engine.GetChangeLogEditor(), editor);
}

void TstPlayerChangeLog::switchingVersionsClearsHistory() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  WriteText(f.showFolder / "Test Show-1.0.logdata", LogJson("1.0", ""));
  auto& engine = f.Start();
  CL::Editor* editor = engine.GetChangeLogEditor();
  editor->SelectSongLogForEditing("1");
  editor->AddEvent(CL::Marker(2000, "A", "E2"));
  QVERIFY(editor->CanUndo());
  WriteText(f.showFolder / "other.logdata", LogJson("1.1", R"({"code": "B", "id": "B2", "start": 2000, "end": 4000})"));
  // A path works as well as a bare name.
  engine.SetChangelogFilename((f.showFolder / "other.logdata").string());
  QCOMPARE(engine.GetChangeLogEditor(), editor);  // one editor for the engine's life
  QVERIFY(!editor->CanUndo());
  QCOMPARE(engine.GetLogVersion(), std::string("1.1"));
  QVERIFY(engine.GetMarkers().empty());
  // The new log plays at once: its cut is applied.
  engine.Play();
  f.Advance(2500);
  QCOMPARE(engine.GetTickIndex(), 4500u);
}

void TstPlayerChangeLog::loadWarnings() {
  Fixture f(SimpleShow({SimpleSong("1", 8)}));
  WriteText(f.showFolder / "Test Show-1.0.logdata",
            LogJson("1.0", R"({"code": "@", "id": "V1", "start": 6000, "end": 2000, "int": 0},
                            {"code": "D", "id": "D5", "start": 8000, "end": 10000, "float": 3.0},
                            {"code": "L", "id": "L6", "start": 10000, "end": 12000, "int": 5},
                            {"code": "L", "id": "L7", "start": 12000, "end": 14000, "int": 4})"));
  auto& engine = f.Start();
  QCOMPARE(engine.GetInvertedLoopEventCount(), 1u);
  QVERIFY2(QString::fromStdString(engine.GetInvertedLoopEventDescription()).contains("V1"),
           engine.GetInvertedLoopEventDescription().c_str());
  QVERIFY2(QString::fromStdString(engine.GetTempoScaleWarnings()).contains("D5"),
           engine.GetTempoScaleWarnings().c_str());
  const QString clicks = QString::fromStdString(engine.GetModifiedClickEditLog());
  QVERIFY2(clicks.contains("L6") && clicks.contains("changed to 8") && !clicks.contains("L7"), qPrintable(clicks));
  const CL::SongLog* log = engine.GetSongLog();
  QCOMPARE(log->GetClicks()[0].int_value(), 8);
  QCOMPARE(log->GetVamps()[0].start(), 2000u);
  QCOMPARE(log->GetTempoScales()[0].float_value(), 2.0f);

  // A clean log reports nothing.
  WriteText(f.showFolder / "clean.logdata", LogJson("1.1", ""));
  engine.SetChangelogFilename("clean.logdata");
  QCOMPARE(engine.GetInvertedLoopEventCount(), 0u);
  QCOMPARE(engine.GetInvertedLoopEventDescription(), std::string());
  QCOMPARE(engine.GetTempoScaleWarnings(), std::string());
  QCOMPARE(engine.GetModifiedClickEditLog(), std::string());
}

// A change on every event of a large log (here markers without ids) is
// counted in full but described in a few lines, so that the warning window
// stays readable and quick to lay out.
void TstPlayerChangeLog::loadWarningsOfManyEventsStayShort() {
  Fixture f(SimpleShow({SimpleSong("1", 8)}));
  std::string events;
  for (int i = 0; i < 60; ++i)
    events += std::string(i ? "," : "") + R"({"code": "E", "start": )" + std::to_string(100 * i) + "}";
  WriteText(f.showFolder / "Test Show-1.0.logdata", LogJson("1.0", events));
  auto& engine = f.Start();
  QCOMPARE(engine.GetInvertedLoopEventCount(), 60u);
  const QStringList lines = QString::fromStdString(engine.GetInvertedLoopEventDescription()).split('\n');
  QCOMPARE(lines.size(), 51);
  QCOMPARE(lines.first(), QStringLiteral("Marker without an id in song 1 at tick 0 is now E0."));
  QCOMPARE(lines.last(), QStringLiteral("... and 10 more."));
}

void TstPlayerChangeLog::editsReachPlaybackOnLoadNewChangeLog() {
  Fixture f(SimpleShow({SimpleSong("1", 8)}));
  auto& engine = f.Start();
  CL::Editor* editor = engine.GetChangeLogEditor();
  editor->SelectSongLogForEditing("1");
  editor->AddEvent(CL::Cut(2000, 6000, "B2", 0));
  engine.Play();
  f.Advance(2500);
  QCOMPARE(engine.GetTickIndex(), 2500u);  // the plan is not rebuilt yet
  engine.Seek(0);
  engine.LoadNewChangeLog();
  f.Advance(2500);
  QCOMPARE(engine.GetTickIndex(), 6500u);

  // Rebuilt while playing inside a vamp that an edit removes: the vamp is left.
  editor->AddEvent(CL::Vamp(8000, 10000, "V5", 0));
  engine.LoadNewChangeLog();
  engine.Seek(7900);
  f.Advance(600);
  QCOMPARE(engine.GetTickIndex(), 8500u);
  EventRecorder rec;
  editor->DeleteEvent(CL::Vamp(8000, 10000, "V5", 0));
  engine.LoadNewChangeLog();
  f.Pump();
  QCOMPARE(EventRecorder::Of(rec.Take(), PlayerEvent::StatusFlowControl),
           (std::vector<Event>{{PlayerEvent::StatusFlowControl, 0, "ClearPickupBeat"}}));
  f.Advance(2000);
  QCOMPARE(engine.GetTickIndex(), 10500u);
}

void TstPlayerChangeLog::editorKnowsTheSongs() {
  auto song = SimpleSong("1", 4);
  song.barLabels = {{"3", "2A"}};
  Fixture f(SimpleShow({song}));
  auto& engine = f.Start();
  CL::Editor* editor = engine.GetChangeLogEditor();
  editor->SelectSongLogForEditing("1");
  QVERIFY_THROWS_EXCEPTION(std::invalid_argument, editor->SelectSongLogForEditing("7"));
  QCOMPARE(editor->GetSuggestedEventIdAtTick(4000, '@'), std::string("V2A"));
  QCOMPARE(editor->GetSuggestedEventIdAtTick(4500, 'E'), std::string("E2A.2"));
  QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor->AddEvent(CL::Vamp(6000, 9000, "V4", 0)));  // past the end
  QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor->AddEvent(CL::Click(0, 2000, "L1", 12)));   // not in 4/4
  editor->AddEvent(CL::Click(0, 2000, "L1", 4));
}

void TstPlayerChangeLog::saveNeverReplacesAnUnreadableLog_data() {
  QTest::addColumn<QString>("there");  // what "Test Show-2.0.logdata" holds before the save
  QTest::addColumn<bool>("replaced");
  QTest::newRow("cut off") << QString::fromStdString(LogJson("2.0", "").substr(0, 60)) << false;
  QTest::newRow("a newer format") << QString::fromStdString(LogJson("2.0", "", "9.0")) << false;
  QTest::newRow("another show's") << QString::fromStdString(LogJson("2.0", "")).replace("\"test\"", "\"other\"")
                                  << false;
  QTest::newRow("a log that reads") << QString::fromStdString(LogJson("2.0", "")) << true;
}

// A log that does not read may still be recovered: a save of its version
// fails, names it and leaves it as it is; a readable one is replaced.
void TstPlayerChangeLog::saveNeverReplacesAnUnreadableLog() {
  QFETCH(QString, there);
  QFETCH(bool, replaced);
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  WriteText(f.showFolder / "Test Show-1.0.logdata", LogJson("1.0", ""));
  const fs::path file = f.showFolder / "Test Show-2.0.logdata";
  auto& engine = f.Start();
  WriteText(file, there.toStdString());
  CL::Editor* editor = engine.GetChangeLogEditor();
  editor->SelectSongLogForEditing("1");
  editor->AddEvent(CL::Marker(2000, "A", "E2"));
  try {
    QCOMPARE(engine.SaveChangelog(2, 0), std::string("Test Show-2.0.logdata"));
    QVERIFY(replaced);
  } catch (const std::runtime_error& e) {
    QVERIFY2(!replaced, e.what());
    QVERIFY2(std::string(e.what()).find("Test Show-2.0.logdata") != std::string::npos, e.what());
  }
  QCOMPARE(ReadText(file) == there.toStdString(), !replaced);
  QCOMPARE(engine.GetLogVersion(), std::string(replaced ? "2.0" : "1.0"));
}

// At load the temporary file of a save whose process ended goes, with a
// line; that of a running process and files of other names stay.
void TstPlayerChangeLog::leftoversOfInterruptedSavesGoAtLoad() {
  Fixture f(SimpleShow({SimpleSong("1", 4)}));
  const pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  const std::string left = kit::TemporaryFileName("Test Show-1.1.logdata", child, 0);
  const std::vector<std::string> kept = {kit::TemporaryFileName("Test Show-1.1.logdata", getpid(), 7),
                                         "Test Show-1.1.logdata.tmp", "notes.txt"};
  for (const auto& name : kept) WriteText(f.showFolder / name, "x");
  WriteText(f.showFolder / left, LogJson("1.1", "").substr(0, 30));
  LogCapture log;
  f.Start();
  QVERIFY(!fs::exists(f.showFolder / left));
  for (const auto& name : kept) QVERIFY2(fs::exists(f.showFolder / name), name.c_str());
  int lines = 0;
  for (const auto& line : log.Lines()) lines += line.find(left) != std::string::npos;
  QCOMPARE(lines, 1);
}

QTEST_MAIN(TstPlayerChangeLog)
#include "tst_player_changelog.moc"
