#include <QtTest>

#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "CL/ChangeLog.h"
#include "CL/Editor.h"
#include "CL/Errors.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& p, const std::string& text) {
  std::ofstream out(p, std::ios::binary);
  out << text;
}

std::string ReadText(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A log holding every kind of record.
CL::ChangeLog FullLog() {
  CL::ChangeLog log;
  log.SetShowIdentifier("demo");
  log.SetVersion(cmn::VANDVersion(3, 1));
  log.SetModifiedTime(1765432100);
  log.SetNextSfxSuffix(4);
  log.SetNetworks({CL::NetworkPath("NETWORK0", "QLab", "127.0.0.1", 53000, 0),
                   CL::NetworkPath("NETWORK1", "Lights", "10.0.0.2", 8000, 1)});
  log.SetOutputPath(CL::OutputPath("6f1c", "Stage Left", "alsa:1", "Card 1"));
  CL::SfxProperties p;
  p.setName("Door");
  p.setEffectId("door");
  p.setEffectIdIndex(2);
  p.setOutputPath("6f1c");
  p.setRepeats(-1);
  p.setVolume(0.3f);
  p.setPan(0.25f);
  p.setReverb(0.1f);
  p.fadeIn = 20;
  p.fadeOut = 500;
  log.AppendSfx(CL::Sfx(0, "sfx.1", p));
  log.AppendSfx(CL::Sfx(960, "sfx.2", p, true));
  CL::SongLog& s = log.GetOrCreateSongLog("1");
  s.attacca = 1;
  s.attaccaSet = true;
  s.Add(CL::Vamp(24000, 28000, "V12", 0));
  s.Add(CL::Repeat(9000, 13000, "A5", 2));
  s.Add(CL::Cut(30000, 31000, "B15", 0));
  s.Add(CL::Transpose(1000, 5000, "C1", -3));
  s.Add(CL::TempoScale(40000, 52000, "D20", 0.75));
  s.Add(CL::Marker(9000, "Letter A \xE2\x99\xAA \"quoted\"", "E5"));
  s.Add(CL::Click(5000, 8000, "L3", 4));
  s.Add(CL::Fermata(60000, 61000, "M30", 0));
  s.Add(CL::Caesura(15037, "N7.3", 0));
  s.Add(CL::Osc(18000, "S9", CL::OscProperties("/cue/5/go", "NETWORK0")));
  log.GetOrCreateSongLog("10A").Add(CL::Marker(0, "", "E1"));
  return log;
}

void CompareLogs(const CL::ChangeLog& a, const CL::ChangeLog& b) {
  QCOMPARE(a.GetVersion(), b.GetVersion());
  QCOMPARE(a.GetModifiedTime(), b.GetModifiedTime());
  QCOMPARE(a.GetNextSfxSuffix(), b.GetNextSfxSuffix());
  QCOMPARE(a.GetShowIdentifier(), b.GetShowIdentifier());
  QVERIFY(a.GetNetworks() == b.GetNetworks());
  QVERIFY(a.GetOutputPaths() == b.GetOutputPaths());
  QCOMPARE(a.GetSfxs().size(), b.GetSfxs().size());
  for (std::size_t i = 0; i < a.GetSfxs().size(); ++i) {
    QVERIFY(*a.GetSfxs()[i] == *b.GetSfxs()[i]);
  }
  QCOMPARE(a.GetSongLogs().size(), b.GetSongLogs().size());
  for (const auto& [song, log] : a.GetSongLogs()) {
    const CL::SongLog* other = b.FindSongLog(song);
    QVERIFY(other != nullptr);
    QCOMPARE(log.attacca, other->attacca);
    QCOMPARE(log.attaccaSet, other->attaccaSet);
    const auto ea = log.GetAllEvents();
    const auto eb = other->GetAllEvents();
    QCOMPARE(ea.size(), eb.size());
    for (std::size_t i = 0; i < ea.size(); ++i) QVERIFY2(*ea[i] == *eb[i], ea[i]->EventId().c_str());
  }
}

// JSON written with single quotes for readability.
std::string J(const char* text) {
  std::string s(text);
  for (char& c : s) {
    if (c == '\'') c = '"';
  }
  return s;
}

// Runs `check` in a child process, so that a crash there (a stack
// overflow) fails the test instead of ending the test run. Empty when the
// check passed; otherwise how the child ended.
QString InChild(const std::function<bool()>& check) {
  const pid_t child = fork();
  if (child == 0) {
    bool ok = false;
    try {
      ok = check();
    } catch (...) {
    }
    _exit(ok ? 0 : 1);
  }
  if (child < 0) return "no child process";
  int status = 0;
  if (waitpid(child, &status, 0) != child) return "lost the child process";
  if (WIFSIGNALED(status)) return QString("crashed with signal %1").arg(WTERMSIG(status));
  return WEXITSTATUS(status) == 0 ? QString() : QString("the check failed");
}

const std::string kMinimal = J("{'format':'vand-logdata','formatVersion':'1.0','minReaderVersion':'1.0',");

}  // namespace

class TestChangeLogFile : public QObject {
  Q_OBJECT

 private slots:
  void roundTripEveryKind() {
    const CL::ChangeLog log = FullLog();
    const std::string json = log.ToJson();
    const CL::ChangeLog back = CL::ChangeLog::FromJson(json, "demo", "test");
    CompareLogs(log, back);
    QVERIFY(back.GetLoadReport().empty());
    QCOMPARE(back.ToJson(), json);  // writing again gives the same text
    QCOMPARE(back.GetSfxs()[0]->sfx_properties().volume(), 0.3f);
    QCOMPARE(back.GetSfxs()[1]->code(), (unsigned char)'R');
  }

  void fileRoundTripAndIdentity() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    WriteText(folder / "identity.json", J("{'identifier':'demo','showName':'Demo Show'}"));
    const fs::path file = folder / CL::ChangeLog::MakeFileName("Demo Show", cmn::VANDVersion(3, 1));
    QCOMPARE(file.filename().string(), std::string("Demo Show-3.1.logdata"));
    FullLog().SaveToFile(file);
    const CL::ChangeLog read(file, folder / "identity.json");
    CompareLogs(FullLog(), read);
    // Only the log file is left in the folder (no temporary file).
    int entries = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
      (void)e;
      ++entries;
    }
    QCOMPARE(entries, 2);
    // Another show's identity refuses the log.
    WriteText(folder / "other.json", J("{'identifier':'other'}"));
    try {
      CL::ChangeLog wrong(file, folder / "other.json");
      QFAIL("read another show's log");
    } catch (const CL::ChangeLogVersionError&) {
      QFAIL("wrong exception type");
    } catch (const std::runtime_error& e) {
      QVERIFY2(QString(e.what()).contains("belongs to the show \"demo\", not to the show \"other\""), e.what());
      QVERIFY(QString(e.what()).contains("Demo Show-3.1.logdata"));
    }
    // No identity file: no show check.
    const CL::ChangeLog noIdentity(file, folder / "missing.json");
    QCOMPARE(noIdentity.GetVersion(), cmn::VANDVersion(3, 1));
  }

  void unknownCodesAndFieldsAreKept() {
    const std::string text = std::string(kMinimal) + J("'future':{'a':[1,2,3]},'songs':{'1':{'events':["
                                                       "{'code':'Z','id':'Z1','start':5,'end':9,'extra':{'x':true}},"
                                                       "{'code':'E','id':'E1','start':7,'text':'m','color':'red'}]}}}");
    const CL::ChangeLog log = CL::ChangeLog::FromJson(text, "", "t");
    const CL::SongLog* song = log.FindSongLog("1");
    QVERIFY(song);
    QCOMPARE(song->GetUnknownEvents().size(), std::size_t(1));
    QCOMPARE(song->GetMarkers().size(), std::size_t(1));
    const std::string written = log.ToJson();
    QVERIFY(written.find(J("'future': {'a':[1,2,3]}")) != std::string::npos ||
            written.find(J("'future':{'a':[1,2,3]}")) != std::string::npos);
    QVERIFY(written.find(J("'extra':{'x':true}")) != std::string::npos);
    const CL::ChangeLog again = CL::ChangeLog::FromJson(written, "", "t");
    QCOMPARE(again.ToJson(), written);
  }

  // Unknown members are kept however deep they nest, and write back as read.
  void deepUnknownMembersAreKept_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("shape");
    QTest::addColumn<int>("depth");
    QTest::newRow("top-level member, arrays 100 000 deep") << QString("top") << QString("array") << 100000;
    QTest::newRow("top-level member, objects 100 000 deep") << QString("top") << QString("object") << 100000;
    QTest::newRow("unknown event kind, arrays 200 000 deep") << QString("event") << QString("array") << 200000;
  }
  void deepUnknownMembersAreKept() {
    QFETCH(QString, where);
    QFETCH(QString, shape);
    QFETCH(int, depth);
    const std::size_t n = static_cast<std::size_t>(depth);
    std::string deep;
    if (shape == "array") {
      deep = std::string(n, '[') + std::string(n, ']');
    } else {
      for (std::size_t i = 0; i < n; ++i) deep += J("{'a':");
      deep += "1" + std::string(n, '}');
    }
    const std::string text =
        where == "top"
            ? kMinimal + "\"future\":" + deep + J(",'songs':{'1':{'events':[{'code':'E','id':'E1','start':7}]}}}")
            : kMinimal + J("'songs':{'1':{'events':[{'code':'Z','id':'Z1','start':5,'deep':") + deep + "}]}}}";
    const QString failure = InChild([&] {
      const CL::ChangeLog log = CL::ChangeLog::FromJson(text, "", "Deep-1.0.logdata");
      const std::string written = log.ToJson();
      const CL::ChangeLog again = CL::ChangeLog::FromJson(written, "", "Deep-1.0.logdata");
      const CL::SongLog* song = again.FindSongLog("1");
      return written.find(deep) != std::string::npos && again.ToJson() == written && song != nullptr &&
             song->GetUnknownEvents().size() == (where == "event" ? 1u : 0u);
    });
    QVERIFY2(failure.isEmpty(), qPrintable(failure));
  }

  // Many events of one id (or none, at one tick) get the suffixes 2, 3, ...
  // in order; renaming them takes linear time, so a log of a hundred
  // thousand such markers still reads at once.
  void manyEventsOfOneIdAreRenamedInOrder() {
    constexpr int kCount = 100000;
    std::string events;
    for (int i = 0; i < kCount; ++i) {
      events += (i ? "," : "") + J("{'code':'E','id':'E1','start':5},{'code':'E','start':9}");
    }
    const CL::ChangeLog log =
        CL::ChangeLog::FromJson(kMinimal + J("'songs':{'1':{'events':[") + events + "]}}}", "", "t");
    const CL::MarkerSequence& markers = log.FindSongLog("1")->GetMarkers();
    QCOMPARE(markers.size(), std::size_t(2 * kCount));
    for (int i = 0; i < kCount; ++i) {
      const std::string suffix = i == 0 ? "" : "_" + std::to_string(i + 1);
      QCOMPARE(markers[i].EventId(), "E1" + suffix);
      QCOMPARE(markers[kCount + i].EventId(), "E9" + suffix);
    }
    QCOMPARE(log.GetLoadReport().renamedEventIds.size(), std::size_t(2 * kCount - 1));
  }

  void brokenFiles_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("expected");
    auto row = [](const char* tag, const std::string& text, const char* expected) {
      QTest::newRow(tag) << QByteArray::fromStdString(text) << QString(expected);
    };
    const std::string m = kMinimal;
    row("empty", "", "not valid JSON");
    row("truncated", m + J("'songs':{'1':{'events':[{'code':'E'"), "not valid JSON");
    row("not an object", "[1,2]", "must hold a JSON object");
    row("other format", J("{'format':'something'}"), "\"format\" is not");
    row("no format", J("{'songs':{}}"), "\"format\" is missing");
    row("bad version", m + J("'version':'3.x'}"), "\"version\" is not a version");
    row("negative tick", m + J("'songs':{'1':{'events':[{'code':'E','id':'E','start':-5}]}}}"),
        "songs.\"1\".events[0]: \"start\" must be a whole number from 0 to 4294967295");
    row("tick too large", m + J("'songs':{'1':{'events':[{'code':'N','start':4294967296}]}}}"),
        "\"start\" must be a whole number");
    row("fractional tick", m + J("'songs':{'1':{'events':[{'code':'N','start':1.5}]}}}"),
        "\"start\" must be a whole number");
    row("region without end", m + J("'songs':{'1':{'events':[{'code':'B','start':1}]}}}"), "\"end\" is missing");
    row("repeat count", m + J("'songs':{'1':{'events':[{'code':'A','start':1,'end':5,'int':900}]}}}"),
        "\"int\" must be a whole number from 1 to 500");
    row("transpose range", m + J("'songs':{'1':{'events':[{'code':'C','start':1,'end':5,'int':-7}]}}}"),
        "\"int\" must be a whole number from -6 to 6");
    row("tempo as text", m + J("'songs':{'1':{'events':[{'code':'D','start':1,'end':5,'float':'1'}]}}}"),
        "\"float\" must be a number");
    row("huge number", m + J("'songs':{'1':{'events':[{'code':'D','start':1,'end':5,'float':1e400}]}}}"),
        "not valid JSON");
    row("NaN literal", m + J("'songs':{'1':{'events':[{'code':'D','start':1,'end':5,'float':NaN}]}}}"),
        "not valid JSON");
    row("long code", m + J("'songs':{'1':{'events':[{'code':'EE','start':1}]}}}"), "\"code\" must be one character");
    row("control code", m + J("'songs':{'1':{'events':[{'code':'\\u0001','start':1}]}}}"),
        "must be a printable character");
    row("sfx in a song", m + J("'songs':{'1':{'events':[{'code':'Q','start':1}]}}}"),
        "sound effects belong in \"soundEffects\"");
    row("osc missing", m + J("'songs':{'1':{'events':[{'code':'S','start':1}]}}}"), "\"osc\" must be an object");
    row("id too long",
        m + J("'songs':{'1':{'events':[{'code':'E','start':1,'id':'") + std::string(300, 'x') + J("'}]}}}"),
        "\"id\" is longer than 256 bytes");
    row("events not array", m + J("'songs':{'1':{'events':{}}}}"), "must be an array");
    row("empty song key", m + J("'songs':{'':{}}}"), "a song number must be 1 to 64 bytes");
    row("duplicate song", m + J("'songs':{'1':{},'1':{}}}"), "the song appears twice");
    row("attacca range", m + J("'songs':{'1':{'attacca':3}}}"), "\"attacca\" must be a whole number from 0 to 2");
    row("port range", m + J("'networks':[{'networkId':'N','port':3000000000}]}"),
        "networks[0]: \"port\" must be a whole number from -2147483648 to 2147483647");
    row("sfx pan", m + J("'soundEffects':[{'id':'sfx.1','pan':1e39}]}"), "\"pan\" is too large");
    row("sfx fade", m + J("'soundEffects':[{'id':'sfx.1','fadeOut':70000}]}"),
        "\"fadeOut\" must be a whole number from 0 to 65535");
    row("output path id", m + J("'outputPaths':[{'id':''}]}"), "\"id\" is empty");
    row("bad utf-8", m + J("'showIdentifier':'\xff'}"), "not valid JSON");
    row("deep nesting", m + J("'x':") + std::string(100000, '['), "not valid JSON");
    // Counted before any event is read: "{}" stands for an event.
    const auto events = [](std::size_t n) {
      std::string list = "[";
      for (std::size_t i = 0; i < n; ++i) list += i == 0 ? "{}" : ",{}";
      return list + "]";
    };
    const std::size_t most = CL::ChangeLog::kMaxEvents;
    row("more events than a log may hold", m + J("'songs':{'1':{'events':") + events(most + 1) + "}}}",
        "top level: it holds 1048577 events, more than the 1048576 a change log may hold");
    row("songs and sound effects together over the limit",
        m + J("'soundEffects':") + events(1) + J(",'songs':{'1':{'events':") + events(most / 2) +
            J("},'2':{'events':") + events(most / 2) + "}}}",
        "it holds 1048577 events");
  }

  // A broken file gives a readable runtime_error naming the file, and an
  // editor that tries to load it keeps its log.
  void brokenFiles() {
    QFETCH(QByteArray, text);
    QFETCH(QString, expected);
    const std::string bytes = text.toStdString();
    try {
      CL::ChangeLog::FromJson(bytes, "", "Broken-1.0.logdata");
      QFAIL("accepted");
    } catch (const CL::ChangeLogVersionError&) {
      QFAIL("version error");
    } catch (const std::runtime_error& e) {
      QVERIFY2(QString::fromUtf8(e.what()).contains(expected), e.what());
      QVERIFY2(QString::fromUtf8(e.what()).startsWith("The change log \"Broken-1.0.logdata\" cannot be read: "),
               e.what());
    }

    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "Broken-1.0.logdata";
    WriteText(file, bytes);
    CL::Editor editor(FullLog());
    editor.SelectSongLogForEditing("1");
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, editor.LoadChangeLogFile(file, {}));
    CompareLogs(editor.GetChangeLog(), FullLog());
  }

  void newerFormatIsRefused() {
    const std::string text = J("{'format':'vand-logdata','formatVersion':'2.0','minReaderVersion':'2.0','songs':{}}");
    try {
      CL::ChangeLog::FromJson(text, "", "Demo-4.0.logdata");
      QFAIL("accepted");
    } catch (const CL::ChangeLogVersionError& e) {
      QVERIFY2(QString(e.what()).contains("needs version 2.0"), e.what());
      QVERIFY(QString(e.what()).contains("Demo-4.0.logdata"));
    }
    // A newer minor format of the same major is read.
    const std::string minor = J("{'format':'vand-logdata','formatVersion':'1.7','minReaderVersion':'1.3','songs':{}}");
    QCOMPARE(CL::ChangeLog::FromJson(minor, "", "x").GetSongLogs().size(), std::size_t(0));
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "Demo-4.0.logdata";
    WriteText(file, text);
    CL::Editor editor(FullLog());
    QVERIFY_THROWS_EXCEPTION(CL::ChangeLogVersionError, editor.LoadChangeLogFile(file, {}));
    QCOMPARE(editor.GetVersion(), cmn::VANDVersion(3, 1));
  }

  // Inverted regions are swapped, tempo scales clamped, overlaps and empty
  // regions dropped, duplicate or missing ids renamed; one line each.
  void normalisationAtLoad() {
    const std::string text = std::string(kMinimal) + J("'songs':{'1':{'events':["
                                                       "{'code':'@','id':'V1','start':2000,'end':1000,'int':0},"
                                                       "{'code':'A','id':'A1','start':1500,'end':2500,'int':2},"
                                                       "{'code':'D','id':'D1','start':0,'end':100,'float':3.0},"
                                                       "{'code':'D','id':'D2','start':50,'end':150,'float':1.0},"
                                                       "{'code':'D','id':'D3','start':200,'end':300,'float':0.1},"
                                                       "{'code':'B','id':'B1','start':700,'end':700},"
                                                       "{'code':'E','id':'E1','start':10,'text':'a'},"
                                                       "{'code':'E','id':'E1','start':20,'text':'b'},"
                                                       "{'code':'E','start':30,'text':'c'}]}}}");
    const CL::ChangeLog log = CL::ChangeLog::FromJson(text, "", "t");
    const CL::LoadReport& r = log.GetLoadReport();
    const CL::SongLog& s = *log.FindSongLog("1");
    QCOMPARE(s.GetVamps().size(), std::size_t(1));
    QCOMPARE(s.GetVamps()[0].start(), 1000u);
    QCOMPARE(s.GetVamps()[0].end(), 2000u);
    QCOMPARE(r.invertedLoopEvents.size(), std::size_t(1));
    QVERIFY(QString::fromStdString(r.invertedLoopEvents[0]).contains("V1"));
    QVERIFY(s.GetRepeats().empty());  // overlapped the vamp
    QCOMPARE(s.GetTempoScales().size(), std::size_t(2));
    QCOMPARE(s.GetTempoScales()[0].float_value(), 2.0f);
    QCOMPARE(s.GetTempoScales()[1].float_value(), 0.5f);
    QCOMPARE(r.tempoScaleWarnings.size(), std::size_t(3));  // two clamped, one overlapping removed
    QVERIFY(s.GetCuts().empty());
    QCOMPARE(r.removedEvents.size(), std::size_t(2));  // empty cut, overlapping repeat
    QCOMPARE(s.GetMarkers().size(), std::size_t(3));
    QCOMPARE(s.GetMarkers()[0].EventId(), std::string("E1"));
    QCOMPARE(s.GetMarkers()[1].EventId(), std::string("E1_2"));
    QCOMPARE(s.GetMarkers()[2].EventId(), std::string("E30"));
    QCOMPARE(r.renamedEventIds.size(), std::size_t(2));
  }

  // Whatever the records hold (their setters take any value) is
  // saved and loads again: a saved log that does not load bricks the show.
  void savedLogsLoadAgain_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<double>("value");
    QTest::newRow("port above 65535") << "port" << 99999.0;
    QTest::newRow("negative port") << "port" << -1.0;
    QTest::newRow("mode 2") << "mode" << 2.0;
    QTest::newRow("pan 0-100") << "pan" << 50.0;
    QTest::newRow("negative pan") << "pan" << -0.5;
    QTest::newRow("reverb 0-100") << "reverb" << 100.0;
    QTest::newRow("typed gain") << "volume" << 54.6;
    QTest::newRow("no effect index") << "effectIndex" << -1.0;
    QTest::newRow("repeats -2") << "repeats" << -2.0;
  }

  void savedLogsLoadAgain() {
    QFETCH(QString, field);
    QFETCH(double, value);
    CL::Editor editor(FullLog());
    if (field == "port" || field == "mode") {
      CL::NetworkPathVectorT nets = editor.GetChangeLog().GetNetworks();
      (field == "port" ? nets[0].Port : nets[0].Mode) = static_cast<Int32>(value);
      editor.UpdateNetworks(nets);
    } else {
      CL::SfxProperties p = editor.GetChangeLog().GetSfxs()[0]->GetSfxProperties();
      if (field == "pan") p.setPan(static_cast<float>(value));
      if (field == "reverb") p.setReverb(static_cast<float>(value));
      if (field == "volume") p.setVolume(static_cast<float>(value));
      if (field == "effectIndex") p.setEffectIdIndex(static_cast<Int32>(value));
      if (field == "repeats") p.setRepeats(static_cast<Int32>(value));
      editor.EditSoundEffectSFXPropertyValues(*editor.GetChangeLog().GetSfxs()[0], p);
    }
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "Show-1.1.logdata";
    editor.GetChangeLog().SaveToFile(file);
    CompareLogs(CL::ChangeLog(file, {}), editor.GetChangeLog());
  }

  // A log that would not read back is not written; an id renamed at load
  // stays within the length the reader takes.
  void unreadableLogsAreNotWritten() {
    QTemporaryDir dir;
    const fs::path file = fs::path(dir.path().toStdString()) / "Show-1.1.logdata";
    WriteText(file, "previous");
    CL::ChangeLog log = FullLog();
    CL::SfxProperties p;
    p.setVolume(std::numeric_limits<float>::quiet_NaN());
    log.GetSfxs()[0]->SetSfxProperties(p);
    try {
      log.SaveToFile(file);
      QFAIL("saved a NaN");
    } catch (const std::runtime_error& e) {
      QVERIFY2(QString(e.what()).contains("would not load again"), e.what());
    }
    QCOMPARE(ReadText(file), std::string("previous"));
    CL::Editor editor(FullLog());
    QVERIFY_THROWS_EXCEPTION(CL::EditorError, editor.AddSoundEffect(CL::Sfx(0, "sfx.9", p)));
    QCOMPARE(editor.GetChangeLog().GetSfxs().size(), std::size_t(2));

    const std::string longId(256, 'x');
    const std::string text = std::string(kMinimal) + J("'songs':{'1':{'events':[{'code':'E','id':'") + longId +
                             J("','start':10},{'code':'E','id':'") + longId + J("','start':20}]}}}");
    const CL::ChangeLog read = CL::ChangeLog::FromJson(text, "", "t");
    QCOMPARE(read.FindSongLog("1")->GetMarkers()[1].EventId(), std::string("E20"));
    read.SaveToFile(file);
    QCOMPARE(CL::ChangeLog(file, {}).FindSongLog("1")->GetMarkers().size(), std::size_t(2));
  }

  void saveFailureKeepsThePreviousFile() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    // The target is a folder that holds a file: the rename cannot replace it.
    const fs::path target = folder / "Show-1.0.logdata";
    fs::create_directory(target);
    WriteText(target / "keep", "previous");
    try {
      FullLog().SaveToFile(target);
      QFAIL("saved over a folder");
    } catch (const std::runtime_error& e) {
      QVERIFY2(QString(e.what()).contains("Show-1.0.logdata"), e.what());
    }
    QCOMPARE(ReadText(target / "keep"), std::string("previous"));
    int entries = 0;
    for (const auto& e : fs::directory_iterator(folder)) {
      (void)e;
      ++entries;
    }
    QCOMPARE(entries, 1);  // no temporary file left
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, FullLog().SaveToFile(folder / "missing" / "x.logdata"));
    // Saving over an existing log replaces it whole.
    const fs::path file = folder / "Show-1.1.logdata";
    WriteText(file, "old contents");
    FullLog().SaveToFile(file);
    CompareLogs(CL::ChangeLog(file, {}), FullLog());
  }

  void fileNames() {
    QCOMPARE(CL::ChangeLog::MakeFileName("A/B:C*D?\"E<F>G|H\\I", cmn::VANDVersion(2, 10)),
             std::string("A_B_C_D__E_F_G_H_I-2.10.logdata"));
    QCOMPARE(CL::ChangeLog::VersionTextOfFileName("My-Show-3.1.logdata"), std::string("3.1"));
    QCOMPARE(CL::ChangeLog::VersionTextOfFileName("notes.logdata"), std::string());
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    for (const char* name : {"Show-2.9.logdata", "Show-2.10.logdata", "Show-1.99.logdata", "notes.logdata",
                             "Show-9.0.txt", "Show-x.y.logdata"}) {
      WriteText(folder / name, "{}");
    }
    QCOMPARE(CL::ChangeLog::FindNewestLogFile(folder).filename().string(), std::string("Show-2.10.logdata"));
    QVERIFY(CL::ChangeLog::FindNewestLogFile(folder / "none").empty());
    std::error_code error;
    QVERIFY(CL::ChangeLog::FindNewestLogFile(folder / "none", error).empty());
    QVERIFY(error);
  }

  void logFileVersions_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("version");  // empty: no version
    QTest::newRow("plain") << "Show-3.1.logdata"
                           << "3.1";
    QTest::newRow("dash in the show name") << "My-Show-2.10.logdata"
                                           << "2.10";
    QTest::newRow("highest") << "Show-255.255.logdata"
                             << "255.255";
    QTest::newRow("major above 255") << "Show-300.1.logdata"
                                     << "";
    QTest::newRow("minor above 255") << "Show-1.256.logdata"
                                     << "";
    QTest::newRow("no dash") << "Show3.1.logdata"
                             << "";
    QTest::newRow("no minor") << "Show-3.logdata"
                              << "";
    QTest::newRow("letters") << "Show-x.y.logdata"
                             << "";
    QTest::newRow("sign") << "Show-+1.2.logdata"
                          << "";
    QTest::newRow("upper-case extension") << "Show-1.2.LOGDATA"
                                          << "";
    QTest::newRow("other extension") << "Show-1.2.txt"
                                     << "";
  }

  // One reading of a file name for every caller: a name that does not carry a
  // version in range is no version at all (not 0.0, which would compete).
  void logFileVersions() {
    QFETCH(QString, name);
    QFETCH(QString, version);
    const auto parsed = CL::ChangeLog::VersionOfLogFileName(name.toStdString());
    QCOMPARE(parsed ? QString::fromStdString(parsed->GetAsString()) : QString(), version);
  }

  void newestFileSkipsWhatCarriesNoVersion() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    WriteText(folder / "Show-300.1.logdata", "{}");
    fs::create_directory(folder / "Show-9.9.logdata");
    QVERIFY(CL::ChangeLog::FindNewestLogFile(folder).empty());
    WriteText(folder / "Show-0.0.logdata", "{}");
    QCOMPARE(CL::ChangeLog::FindNewestLogFile(folder).filename().string(), std::string("Show-0.0.logdata"));
  }

  void copiesAreDeep() {
    CL::ChangeLog a = FullLog();
    CL::ChangeLog b = a;
    QVERIFY(a == b);
    b.GetSfxs()[0]->SetEventId("changed");
    static_cast<CL::Marker&>(*b.FindSongLog("1")->Find('E', "E5")).SetText("changed");
    QCOMPARE(a.GetSfxs()[0]->EventId(), std::string("sfx.1"));
    QCOMPARE(a.FindSongLog("1")->Find('E', "E5")->value().substr(0, 8), std::string("Letter A"));
    b.SetModifiedTime(1);
    QVERIFY(a != b);
  }
};

QTEST_GUILESS_MAIN(TestChangeLogFile)
#include "tst_changelog_file.moc"
