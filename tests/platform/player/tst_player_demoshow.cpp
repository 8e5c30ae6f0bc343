// The generated demo show: it loads, its audio carries the beats, and it plays
// on the engine with its flow-control edits applied.

#include <cmath>
#include <set>

#include <QImage>

#include <QTest>

#include <archive.h>
#include <archive_entry.h>
#include <sndfile.h>

#include "PlayerFixture.h"
#include "engine/SongGrid.h"

using namespace player_test;

namespace {

std::unique_ptr<vand::Pelorin2AudioInterface> Engine(const fs::path& show, const fs::path& data,
                                                     std::shared_ptr<vand::player::ManualClock> clock,
                                                     std::shared_ptr<vand::PlayerOscCallback> osc = nullptr) {
  vand::player::EngineOptions options;
  options.clock = clock;
  auto engine = std::make_unique<vand::Pelorin2AudioInterface>(show.string(), data.string(), osc, options);
  engine->ThrowIfThreadExceptions();
  return engine;
}

double Rms(const std::vector<float>& s, std::int64_t from, std::int64_t to) {
  from = std::max<std::int64_t>(0, from);
  to = std::min<std::int64_t>(static_cast<std::int64_t>(s.size()), to);
  double sum = 0.0;
  for (std::int64_t i = from; i < to; ++i) sum += double(s[i]) * s[i];
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

// RMS of the first difference: the clicks' high tones stand out above the chords.
double ClickEnergy(const std::vector<float>& s, std::int64_t from, std::int64_t to) {
  from = std::max<std::int64_t>(1, from);
  to = std::min<std::int64_t>(static_cast<std::int64_t>(s.size()), to);
  double sum = 0.0;
  for (std::int64_t i = from; i < to; ++i) sum += double(s[i] - s[i - 1]) * (s[i] - s[i - 1]);
  return to > from ? std::sqrt(sum / double(to - from)) : 0.0;
}

}  // namespace

class TstPlayerDemoShow : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void showContents();
  void audioCarriesTheBeats();
  void scorePackageHoldsEveryPage();
  void playsWithItsEdits();
  void smallVariantMatches();

 private:
  QTemporaryDir dir_;
  fs::path show_;
  fs::path data_;
};

void TstPlayerDemoShow::initTestCase() {
  show_ = fs::path(dir_.path().toStdString()) / "demo";
  data_ = fs::path(dir_.path().toStdString()) / "data";
  fs::create_directories(data_);
  vand::demo::WriteDemoShow(show_);
}

void TstPlayerDemoShow::showContents() {
  for (const char* name : {"show.json", "identity.json", "score.score", "AlbumArtwork.jpg", "Demo Show-1.0.logdata"}) {
    QVERIFY2(fs::exists(show_ / name), name);
  }
  QVERIFY(QImage(QString::fromStdString((show_ / "AlbumArtwork.jpg").string())).width() > 0);
  std::uintmax_t bytes = 0;
  for (const auto& e : fs::recursive_directory_iterator(show_)) {
    if (e.is_regular_file()) bytes += e.file_size();
  }
  QVERIFY2(bytes < 5u * 1024 * 1024, qPrintable(QString::number(bytes)));

  auto clock = std::make_shared<vand::player::ManualClock>();
  auto engine = Engine(show_, data_, clock);
  SongNameMap names = engine->GetSongNamesBySongNumber();
  QCOMPARE(names.size(), std::size_t(5));
  QCOMPARE(names.at("1"), std::string("Overture"));
  QCOMPARE(engine->GetCurrentSongNumber(), std::string("1"));
  QCOMPARE(engine->GetLogVersion(), std::string("1.0"));
  QCOMPARE(engine->GetInvertedLoopEventCount(), 0u);
  QCOMPARE(engine->GetTempoScaleWarnings(), std::string());
  QCOMPARE(engine->GetModifiedClickEditLog(), std::string());
  QCOMPARE(int(engine->GetAttacca("4")), 1);
  QCOMPARE(engine->GetNetworks().size(), std::size_t(1));
  QCOMPARE(engine->GetOutputPathMap().size(), std::size_t(1));
  for (const auto& [number, name] : names) {
    QVERIFY(engine->GetSongAudioEndTick(number) > engine->GetSongLength(number));  // the tail
    QVERIFY(engine->GetSongStartTickIndex(number) == 1000u);
  }
  // Every kind of edit is in the log.
  std::set<unsigned char> codes;
  for (const auto& [number, name] : names) {
    engine->LoadSong(number);
    for (const auto* e : engine->GetSongLog()->GetAllEvents()) codes.insert(e->code());
  }
  QCOMPARE(codes, (std::set<unsigned char>{'@', 'A', 'B', 'C', 'D', 'E', 'L', 'M', 'N', 'S'}));
  // Pages are numbered through the show.
  QCOMPARE(engine->LookupPage(1).first, std::string("1"));
  QCOMPARE(engine->LookupPage(3).first, std::string("2"));
  QCOMPARE(engine->LookupPage(8).first, std::string("5"));
}

void TstPlayerDemoShow::audioCarriesTheBeats() {
  auto def = vand::demo::DemoShowDefinition();
  auto grid = vand::player::BuildSongGrid(def.songs[0]);
  SF_INFO info{};
  SNDFILE* sf = sf_open((show_ / "audio" / "01-overture.ogg").c_str(), SFM_READ, &info);
  QVERIFY(sf);
  std::vector<float> interleaved(static_cast<std::size_t>(info.frames * info.channels));
  sf_readf_float(sf, interleaved.data(), info.frames);
  sf_close(sf);
  std::vector<float> mono(static_cast<std::size_t>(info.frames));
  for (std::size_t i = 0; i < mono.size(); ++i) mono[i] = interleaved[i * static_cast<std::size_t>(info.channels)];
  auto frame = [&](double ms) { return static_cast<std::int64_t>(ms * info.samplerate / 1000.0); };

  // Silence before the first beat, a click right on every beat, louder on beat 1.
  QVERIFY(Rms(mono, 0, frame(900)) < 0.01);
  double accented = 0.0, other = 0.0;
  int nAccented = 0, nOther = 0;
  for (std::size_t i = 1; i + 1 < grid.beats.size(); ++i) {
    const double t = grid.beats[i].tick;
    const double on = ClickEnergy(mono, frame(t), frame(t + 10));
    const double before = ClickEnergy(mono, frame(t - 90), frame(t - 75));
    QVERIFY2(on > 2.0 * before, qPrintable(QString("beat at %1: %2 vs %3").arg(t).arg(on).arg(before)));
    (grid.beats[i].beat == 1 ? accented : other) += on;
    ++(grid.beats[i].beat == 1 ? nAccented : nOther);
  }
  QVERIFY(accented / nAccented > other / nOther);
}

void TstPlayerDemoShow::scorePackageHoldsEveryPage() {
  archive* a = archive_read_new();
  archive_read_support_format_tar(a);
  QCOMPARE(archive_read_open_filename(a, (show_ / "score.score").c_str(), 10240), ARCHIVE_OK);
  archive_entry* entry = nullptr;
  std::vector<std::string> names;
  while (archive_read_next_header(a, &entry) == ARCHIVE_OK) {
    names.emplace_back(archive_entry_pathname(entry));
    std::vector<char> bytes(static_cast<std::size_t>(archive_entry_size(entry)));
    archive_read_data(a, bytes.data(), bytes.size());
    QImage page;
    QVERIFY(page.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()), "PNG"));
    QVERIFY(page.height() > page.width());
  }
  archive_read_free(a);
  auto def = vand::demo::DemoShowDefinition();
  std::size_t pages = 0;
  for (const auto& s : def.songs) pages += s.pages.size();
  QCOMPARE(names.size(), pages);
  QCOMPARE(names.front(), std::string("page01.png"));
}

void TstPlayerDemoShow::playsWithItsEdits() {
  auto clock = std::make_shared<vand::player::ManualClock>();
  auto osc = std::make_shared<RecordingOsc>();
  EventRecorder rec;
  auto engine = Engine(show_, data_, clock, osc);
  engine->DoOscProcessing(true);
  rec.Clear();
  engine->Play();
  // Overture: the pickup and four bars, Letter A repeated, then the caesura at bar 9.
  clock->Advance(500 + 4 * 2000 + 2 * 2 * 2000 + 2 * 2000 + 1000);
  QVERIFY(engine->GetIsPaused());
  const UInt32 bar9 = engine->GetTickIndex();
  QCOMPARE(bar9, 1500u + 8 * 2000u);
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Texts(events, PlayerEvent::StatusFlowControl),
           (std::vector<std::string>{"Repeat", "Repeat", "ClearPickupBeat", "Caesura"}));
  QCOMPARE(osc->Take(), (std::vector<OscCall>{{true, "S1", 1500, 150}}));
  // Released, the song plays to its end and the next one is cued.
  engine->Continue();
  clock->Advance(4 * 2500 + 1500 + 1000);  // bars 10 and 11 run at 90 %
  QCOMPARE(engine->GetCurrentSongNumber(), std::string("2"));
  QVERIFY(engine->IsStopped());

  // March runs on into the Finale.
  engine->LoadSong("4");
  engine->Play();
  clock->Pump();
  const double march = engine->GetSongLength("4") - engine->GetSongStartTickIndex("4");
  clock->Advance(march + 200);
  QCOMPARE(engine->GetCurrentSongNumber(), std::string("5"));
  QVERIFY(engine->GetIsPlaying());
}

void TstPlayerDemoShow::smallVariantMatches() {
  const fs::path small = fs::path(dir_.path().toStdString()) / "small";
  vand::demo::DemoOptions options;
  options.small = true;
  vand::demo::WriteDemoShow(small, options);
  QVERIFY(!fs::exists(small / "score.score"));
  auto clock = std::make_shared<vand::player::ManualClock>();
  auto full = Engine(show_, data_, clock);
  auto tiny = Engine(small, data_, std::make_shared<vand::player::ManualClock>());
  for (const auto& [number, name] : full->GetSongNamesBySongNumber()) {
    QCOMPARE(tiny->GetSongLength(number), full->GetSongLength(number));
    QVERIFY(std::abs(int(tiny->GetSongAudioEndTick(number)) - int(full->GetSongAudioEndTick(number))) <= 1);
  }
}

QTEST_MAIN(TstPlayerDemoShow)
#include "tst_player_demoshow.moc"
