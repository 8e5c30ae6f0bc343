// show.json: the reader's checks, the grid it lays over the audio, and what a
// bad show folder gives the engine.

#include <fstream>
#include <functional>

#include <QTest>

#include "PlayerFixture.h"
#include "engine/ShowFile.h"
#include "engine/ShowModel.h"
#include "engine/SongGrid.h"

using namespace player_test;
using vand::player::ParseShowDefinition;

namespace {

QString Song(const QString& extra, const QString& number = "1") {
  return QString(R"({"number": "%1", "name": "A", "audio": "a.wav", "barCount": 2%2})").arg(number, extra);
}

QString Show(const QString& songs) { return QString(R"({"showName": "S", "songs": [%1]})").arg(songs); }

std::string Error(const std::string& json) {
  try {
    auto def = ParseShowDefinition(json);
    for (const auto& s : def.songs) vand::player::BuildSongGrid(s);
  } catch (const std::runtime_error& e) {
    return e.what();
  }
  return {};
}

}  // namespace

class TstPlayerShowFile : public QObject {
  Q_OBJECT

 private slots:
  void refusals_data();
  void refusals();
  void roundTrip();
  void generatedGrid();
  void compoundMeterTicksIncrease();
  void containedPaths_data();
  void containedPaths();
  void barLabels_data();
  void barLabels();
  void badShowFolders();
  void unreadableAudioLeavesTheSongListed_data();
  void unreadableAudioLeavesTheSongListed();
  void eachSongGetsItsOwnAudioHeader();
  void showWithoutPlayableSongsStartsAndSaysWhy();
};

void TstPlayerShowFile::refusals_data() {
  QTest::addColumn<QString>("json");
  QTest::addColumn<QString>("error");

  QTest::newRow("not json") << "{\"showName\": "
                            << "not valid JSON";
  QTest::newRow("text after the document") << Show(Song("")) + " {}"
                                           << "not valid JSON";
  QTest::newRow("not an object") << "[]"
                                 << "top level must be an object";
  QTest::newRow("no song list") << R"({"showName": "S"})"
                                << "\"songs\" must be a list";
  QTest::newRow("no songs") << Show("") << "the show has no songs";
  QTest::newRow("newer format") << R"({"formatVersion": "2.0", "showName": "S", "songs": []})"
                                << "format version 2.0 is not supported";
  QTest::newRow("number twice") << Show(Song("") + "," + Song("")) << "song number \"1\" is used twice";
  QTest::newRow("number missing") << Show(R"({"name": "A", "audio": "a.wav", "barCount": 2})")
                                  << "song 1: \"number\" is missing";
  QTest::newRow("audio escapes") << Show(R"({"number": "1", "name": "A", "audio": "../x.wav", "barCount": 2})")
                                 << "relative path inside the show folder";
  QTest::newRow("audio absolute") << Show(R"({"number": "1", "name": "A", "audio": "/etc/x.wav", "barCount": 2})")
                                  << "relative path inside the show folder";
  QTest::newRow("zero tempo") << Show(Song(R"(, "tempos": [{"bar": "1", "bpm": 0}])"))
                              << "\"bpm\" must lie between 1 and 1000";
  QTest::newRow("huge number") << Show(Song(R"(, "startTick": 1e300)")) << "\"startTick\" must";
  QTest::newRow("negative tick") << Show(Song(R"(, "startTick": -5)")) << "\"startTick\" must lie between";
  QTest::newRow("fractional count") << Show(Song(R"(, "pickupBeats": 1.5)"))
                                    << "\"pickupBeats\" must be a whole number";
  QTest::newRow("odd denominator") << Show(Song(R"(, "meters": [{"bar": "1", "num": 4, "den": 3}])"))
                                   << "\"den\" must be 1, 2, 4, 8, 16 or 32";
  QTest::newRow("no bar count") << Show(R"({"number": "1", "name": "A", "audio": "a.wav"})")
                                << "\"barCount\" is missing";
  QTest::newRow("too many bars") << Show(Song("").replace("\"barCount\": 2", "\"barCount\": 100001"))
                                 << "\"barCount\" must lie between 1 and 100000";
  QTest::newRow("pickup too long") << Show(Song(R"(, "pickupBeats": 4)")) << "the pickup must be shorter than a bar";
  QTest::newRow("tempo on a missing bar")
      << Show(Song(R"(, "tempos": [{"bar": "9", "bpm": 90}])")) << "names bar 9, which the song does not have";
  QTest::newRow("label not a bar") << Show(Song(R"(, "barLabels": {"x": "2A"})")) << "not a bar number";
  QTest::newRow("label with zeros") << Show(Song(R"(, "barLabels": {"2": "012"})"))
                                    << "\"012\" is not a valid bar label";
  QTest::newRow("page twice") << Show(Song(R"(, "pages": [[3, 0]])") + "," + Song(R"(, "pages": [[3, 10]])", "2"))
                              << "page 3 is listed twice";
  QTest::newRow("page zero") << Show(Song(R"(, "pages": [[0, 0]])")) << "\"page number\" must lie between";
  QTest::newRow("beats not increasing") << Show(Song(R"(, "beats": [[0, "1", 1], [0, "1", 2]])"))
                                        << "beat ticks must increase strictly";
  QTest::newRow("beat not a triple") << Show(Song(R"(, "beats": [[0, "1"]])"))
                                     << "a beat must be [tick, \"label\", beat]";
  QTest::newRow("ends before it starts") << Show(Song(R"(, "startTick": 5000, "lengthTicks": 4000)"))
                                         << "must end after its start tick";
  QTest::newRow("sample rate") << R"({"showName": "S", "sampleRate": 100, "songs": []})"
                               << "\"sampleRate\" must lie";
  QTest::newRow("wrong type") << Show(Song(R"(, "keys": {"bar": "1"})")) << "\"keys\" must be a list";
  // Nesting far deeper than any stack allows for a recursive parser.
  QTest::newRow("deep nesting") << QString("{\"showName\": ") + QString(200000, '[') << "not valid JSON";
}

void TstPlayerShowFile::refusals() {
  QFETCH(QString, json);
  QFETCH(QString, error);
  const QString what = QString::fromStdString(Error(json.toStdString()));
  QVERIFY2(what.startsWith("show.json: "), qPrintable(what));
  QVERIFY2(what.contains(error), qPrintable(what));
}

void TstPlayerShowFile::roundTrip() {
  auto demo = vand::demo::DemoShowDefinition();
  const std::string text = vand::player::WriteShowDefinition(demo);
  auto again = ParseShowDefinition(text);
  QCOMPARE(vand::player::WriteShowDefinition(again), text);
  QCOMPARE(again.songs.size(), std::size_t(5));
  QCOMPARE(again.songs[1].barLabels.at("9"), std::string("8A"));
}

void TstPlayerShowFile::generatedGrid() {
  auto demo = vand::demo::DemoShowDefinition();
  const auto& overture = demo.songs[0];  // pickup of one beat, 120 then 96 bpm from bar 9
  auto grid = vand::player::BuildSongGrid(overture);
  QCOMPARE(grid.beats.front().tick, 1000u);
  QCOMPARE(grid.beats.front().label, std::string("0"));
  QCOMPARE(grid.beats.front().beat, 4);
  QCOMPARE(grid.beats[1].tick, 1500u);
  QCOMPARE(grid.beats[1].label, std::string("1"));
  QCOMPARE(grid.beats[1].beat, 1);
  const std::size_t bar9 = 1 + 8 * 4;
  QCOMPARE(grid.beats[bar9].label, std::string("9"));
  QCOMPARE(grid.beats[bar9].tick, 1500u + 8 * 2000u);
  QCOMPARE(grid.beats[bar9 + 1].tick - grid.beats[bar9].tick, 625u);
  QCOMPARE(grid.length, 1500u + 8 * 2000u + 4 * 2500u);
  QCOMPARE(grid.tempos.size(), std::size_t(2));
  QCOMPARE(grid.tempos[1].tick, grid.beats[bar9].tick);
  QCOMPARE(grid.keys.size(), std::size_t(2));
  QCOMPARE(grid.keys[0].tick, 1000u);  // the pickup carries the first key

  const auto& waltz = demo.songs[1];
  auto w = vand::player::BuildSongGrid(waltz);
  std::vector<std::string> labels;
  for (const auto& b : w.beats) {
    if (b.beat == 1) labels.push_back(b.label);
  }
  QCOMPARE(labels[7], std::string("8"));
  QCOMPARE(labels[8], std::string("8A"));
  QCOMPARE(labels[9], std::string("10"));

  // Bars are named by number, however the number is written.
  auto song = SimpleSong("1", 3);
  song.barLabels = {{"02", "1A"}};
  auto g = vand::player::BuildSongGrid(song);
  QCOMPARE(g.beats[4].label, std::string("1A"));
}

void TstPlayerShowFile::compoundMeterTicksIncrease() {
  auto song = SimpleSong("1", 3);
  song.tempos = {{"1", 90.0}};
  song.meters = {{"1", 6, 8}, {"3", 9, 8}};
  auto grid = vand::player::BuildSongGrid(song);
  QCOMPARE(grid.beats.size(), std::size_t(6 + 6 + 9));
  QCOMPARE(grid.beats[1].tick, 333u);
  QCOMPARE(grid.beats[2].tick, 667u);
  QCOMPARE(grid.beats[6].tick, 2000u);
  for (std::size_t i = 1; i < grid.beats.size(); ++i) QVERIFY(grid.beats[i].tick > grid.beats[i - 1].tick);
  QCOMPARE(grid.length, 7000u);
}

void TstPlayerShowFile::containedPaths_data() {
  QTest::addColumn<QString>("path");
  QTest::addColumn<bool>("ok");
  QTest::newRow("plain") << "a.wav" << true;
  QTest::newRow("folder") << "audio/01 overture.flac" << true;
  QTest::newRow("dots in names") << "a..b/c.wav" << true;
  QTest::newRow("parent") << "../a.wav" << false;
  QTest::newRow("parent inside") << "audio/../../a.wav" << false;
  QTest::newRow("backslash parent") << "audio\\..\\..\\a.wav" << false;
  QTest::newRow("absolute") << "/a.wav" << false;
  QTest::newRow("drive") << "C:/a.wav" << false;
  QTest::newRow("empty") << "" << false;
  QTest::newRow("control") << "a\nb.wav" << false;
}

void TstPlayerShowFile::containedPaths() {
  QFETCH(QString, path);
  QFETCH(bool, ok);
  QCOMPARE(vand::player::IsContainedRelativePath(path.toStdString()), ok);
}

void TstPlayerShowFile::barLabels_data() {
  QTest::addColumn<QString>("label");
  QTest::addColumn<bool>("ok");
  QTest::newRow("number") << "12" << true;
  QTest::newRow("zero") << "0" << true;
  QTest::newRow("suffix") << "16A" << true;
  QTest::newRow("negative") << "-1" << true;
  QTest::newRow("three letters") << "3abc" << true;
  QTest::newRow("four letters") << "3abcd" << false;
  QTest::newRow("leading zero") << "012" << false;
  QTest::newRow("no number") << "A" << false;
  QTest::newRow("blank") << "1 A" << false;
  QTest::newRow("too long") << "1234567890" << false;
}

void TstPlayerShowFile::barLabels() {
  QFETCH(QString, label);
  QFETCH(bool, ok);
  QCOMPARE(vand::player::IsValidBarLabel(label.toStdString()), ok);
  if (ok) {
    // The label survives the trip through the 16-byte grid record.
    auto record = vand::player::ToBarsBeats({0, label.toStdString(), 1});
    QCOMPARE(QString::fromStdString(record.bar_number()), label);
  }
}

void TstPlayerShowFile::badShowFolders() {
  QTemporaryDir dir;
  const fs::path folder = dir.path().toStdString();
  try {
    vand::player::LoadShowModel(folder);
    QFAIL("a folder without show.json loaded");
  } catch (const std::runtime_error& e) {
    QVERIFY2(std::string(e.what()).find("show.json: cannot open") != std::string::npos, e.what());
  }
  // So does the engine, which starts nothing.
  QVERIFY_THROWS_EXCEPTION(std::runtime_error, vand::Pelorin2AudioInterface(folder.string(), folder.string(), nullptr));
}

// A song whose audio cannot be read stays in the show, without audio, and
// says why; its grid and the other songs are as they would be.
void TstPlayerShowFile::unreadableAudioLeavesTheSongListed_data() {
  QTest::addColumn<QString>("damage");
  QTest::addColumn<QString>("reason");
  QTest::newRow("deleted") << "delete"
                           << "cannot read the audio file";
  QTest::newRow("not audio") << "garbage"
                             << "cannot read the audio file";
  QTest::newRow("empty") << "empty"
                         << "cannot read the audio file";
}

void TstPlayerShowFile::unreadableAudioLeavesTheSongListed() {
  QFETCH(QString, damage);
  QFETCH(QString, reason);
  QTemporaryDir dir;
  const fs::path folder = dir.path().toStdString();
  vand::demo::WriteShowFolder(folder, SimpleShow({SimpleSong("1", 2), SimpleSong("2", 3), SimpleSong("3", 2)}),
                              SilentWav());
  const auto intact = vand::player::LoadShowModel(folder);
  const fs::path file = folder / "audio" / "2.wav";
  if (damage == "delete") fs::remove(file);
  if (damage == "garbage") std::ofstream(file, std::ios::trunc) << "RIFF junk, not a wave file";
  if (damage == "empty") std::ofstream(file, std::ios::trunc);

  const auto show = vand::player::LoadShowModel(folder);
  QCOMPARE(show->songs.size(), std::size_t(3));
  const vand::player::SongModel& song = show->songs[1];
  QVERIFY(!song.Playable());
  QVERIFY2(song.audioError.find(reason.toStdString()) != std::string::npos, song.audioError.c_str());
  QVERIFY2(song.audioError.find(file.string()) != std::string::npos, song.audioError.c_str());
  QCOMPARE(song.audioEnd, song.audioStart);
  QCOMPARE(song.length, intact->songs[1].length);
  QCOMPARE(song.grid.size(), intact->songs[1].grid.size());
  for (std::size_t i : {std::size_t(0), std::size_t(2)}) {
    QVERIFY(show->songs[i].Playable());
    QCOMPARE(show->songs[i].audioEnd, intact->songs[i].audioEnd);
  }
}

// The headers are read side by side; each song still gets its own file's
// extent, and a damaged file's text names that file.
void TstPlayerShowFile::eachSongGetsItsOwnAudioHeader() {
  QTemporaryDir dir;
  const fs::path folder = dir.path().toStdString();
  std::vector<vand::player::SongDefinition> songs;
  for (int n = 1; n <= 12; ++n) songs.push_back(SimpleSong(std::to_string(n), n));
  vand::demo::WriteShowFolder(folder, SimpleShow(songs), SilentWav());
  fs::remove(folder / "audio" / "4.wav");
  std::ofstream(folder / "audio" / "9.wav", std::ios::trunc) << "RIFF junk, not a wave file";

  const auto show = vand::player::LoadShowModel(folder);
  QCOMPARE(show->songs.size(), std::size_t(12));
  for (const vand::player::SongModel& song : show->songs) {
    const std::string number = song.number;
    if (number == "4" || number == "9") {
      QVERIFY(!song.Playable());
      QVERIFY2(song.audioError.find(song.audioFile.string()) != std::string::npos, song.audioError.c_str());
      QVERIFY2(song.audioError.find("cannot read the audio file") != std::string::npos, song.audioError.c_str());
      continue;
    }
    QVERIFY2(song.Playable(), number.c_str());
    const vand::player::AudioHeader alone = vand::player::ReadAudioHeader(song.audioFile);
    QCOMPARE(song.audio.frames, alone.frames);
    // n bars at 120 bpm in 4/4 last n * 2 s.
    QCOMPARE(song.audio.frames, std::int64_t(std::stoi(number)) * 2 * 8000);
  }
}

// With no song that can play, the show still opens; playing says why not.
void TstPlayerShowFile::showWithoutPlayableSongsStartsAndSaysWhy() {
  Fixture f(SimpleShow({SimpleSong("1", 2), SimpleSong("2", 2)}));
  fs::remove(f.showFolder / "audio" / "1.wav");
  fs::remove(f.showFolder / "audio" / "2.wav");
  auto& engine = f.Start();
  QCOMPARE(engine.GetSongNamesBySongNumber().size(), std::size_t(2));
  QCOMPARE(engine.GetCurrentSongNumber(), std::string("1"));
  for (auto play :
       {std::function<void()>([&] { engine.Play(); }), std::function<void()>([&] { engine.LoadSong("2"); })}) {
    try {
      play();
      QFAIL("accepted");
    } catch (const std::runtime_error& e) {
      QVERIFY2(std::string(e.what()).find((f.showFolder / "audio").string()) != std::string::npos, e.what());
    }
  }
  f.Advance(500);
  QVERIFY(engine.IsStopped());
}

QTEST_MAIN(TstPlayerShowFile)
#include "tst_player_showfile.moc"
