// MIDI commands: learning, matching, execution on the engine's queue, saved
// assignments. Messages come from a backend that the test feeds by hand.

#include <fstream>

#include <QTest>

#include "PlayerFixture.h"
#include "engine/MidiCommands.h"
#include "vand_pelorin/MidiBackend.h"

using namespace player_test;

namespace {

class FakeMidi final : public vand::player::MidiBackend {
 public:
  std::vector<MidiEndPoint> ListSources() override {
    if (!listError.empty()) throw std::runtime_error(listError);
    return sources;
  }
  bool Open(const MidiEndPoint& source, MessageHandler handler) override {
    ++opens;
    if (refuse) return false;
    opened = source.GetSourceName();
    handler_ = std::move(handler);
    return true;
  }
  void Close() override {
    ++closes;
    handler_ = nullptr;
    opened.clear();
  }
  void Send(std::vector<std::uint8_t> bytes) {
    if (handler_) handler_(bytes);
  }

  std::vector<MidiEndPoint> sources{{"Keyboard", "20:0"}, {"Pads", "24:0"}};
  std::string opened;
  bool refuse = false;
  std::string listError;  // non-empty: listing throws this
  int opens = 0;
  int closes = 0;

 private:
  MessageHandler handler_;
};

int LearnedValue(int cmd, int statusAndChannel, int note) { return (cmd << 16) | (statusAndChannel << 8) | note; }

}  // namespace

class TstPlayerMidi : public QObject {
  Q_OBJECT

 private slots:
  void commandTable();
  void learnsTheNextAllowedMessage();
  void learningIsCancelled();
  void choosingTheOpenSourceAgain_data();
  void choosingTheOpenSourceAgain();
  void assignedMessagesRunCommands_data();
  void assignedMessagesRunCommands();
  void savedSourceIsReopened();
  void brokenSettingsAreIgnored();
  void backendFailuresAreLogged_data();
  void backendFailuresAreLogged();
};

void TstPlayerMidi::commandTable() {
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  auto& engine = f.Start();
  auto names = engine.GetCommandNames();
  QCOMPARE(names.size(), std::size_t(12));
  QCOMPARE(names.at(0), std::string("Play"));
  QCOMPARE(names.at(4), std::string("Exit Flow"));
  QCOMPARE(names.at(7), std::string("Fade Out"));
  QCOMPARE(names.at(11), std::string("Previous Bar"));
  QCOMPARE(engine.GetAllowedCommandStatuses(), (std::vector<int>{0x90, 0x80, 0xB0, 0xC0}));
  QVERIFY(engine.GetMidiSources().empty());  // no backend, no sources
  QVERIFY(!engine.HasMidiSource());
}

void TstPlayerMidi::learnsTheNextAllowedMessage() {
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  auto midi = std::make_shared<FakeMidi>();
  EventRecorder rec;
  auto& engine = f.Start(nullptr, midi);
  QCOMPARE(engine.GetMidiSources().size(), std::size_t(2));
  engine.SetMidiSource(0);
  QVERIFY(engine.HasMidiSource());
  QCOMPARE(int(engine.GetConnectedSourceIndex()), 0);
  QCOMPARE(midi->opened, std::string("Keyboard"));

  engine.LearnMidiCommand(0);
  QVERIFY(engine.IsMidiCommandLearning(0));
  QVERIFY(!engine.IsMidiCommandLearning(1));
  rec.Clear();
  midi->Send({0x80, 60, 0});    // note off
  midi->Send({0x90, 60, 0});    // note on, velocity 0
  midi->Send({0xE0, 0, 64});    // pitch bend: not an allowed status
  midi->Send({0xF8});           // clock: not a channel message
  midi->Send({0x93, 60, 100});  // note on, channel 4
  f.Pump();
  auto events = rec.Take();
  QCOMPARE(EventRecorder::Of(events, PlayerEvent::MidiNotification).size(), std::size_t(4));
  QCOMPARE(EventRecorder::Values(events, PlayerEvent::LearnedMIDICommand), std::vector<int>{LearnedValue(0, 0x93, 60)});
  QVERIFY(!engine.IsMidiCommandLearning(0));
  auto learned = engine.GetLearnedCommands();
  QCOMPARE(learned.size(), std::size_t(1));
  QCOMPARE(learned.at(0), (midi_commands::LearnedCommand{0x90, 3, 60}));

  // Saved with the source's name, in the product's engine folder (by a worker,
  // not the engine thread).
  QVERIFY(engine.WaitUntilSettled(std::chrono::seconds(10)));
  std::ifstream in(f.dataFolder / "pelorin2" / "midi.json");
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  QVERIFY2(text.find("\"source\":\"Keyboard\"") != std::string::npos, text.c_str());
  QVERIFY2(text.find("\"0\":[144,3,60]") != std::string::npos, text.c_str());

  // The same message now plays.
  midi->Send({0x93, 60, 90});
  f.Pump();
  QVERIFY(engine.GetIsPlaying());
}

void TstPlayerMidi::learningIsCancelled() {
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  auto midi = std::make_shared<FakeMidi>();
  EventRecorder rec;
  auto& engine = f.Start(nullptr, midi);
  rec.Clear();
  engine.LearnMidiCommand(1);
  engine.LearnMidiCommand(2);  // one at a time
  f.Pump();
  QCOMPARE(EventRecorder::Values(rec.Take(), PlayerEvent::MIDICommandCanceled), std::vector<int>{1});
  QVERIFY(engine.IsMidiCommandLearning(2));
  engine.SetMidiSource(1);  // a source change cancels too
  f.Pump();
  QCOMPARE(EventRecorder::Values(rec.Take(), PlayerEvent::MIDICommandCanceled), std::vector<int>{2});
  QCOMPARE(midi->opened, std::string("Pads"));
  engine.LearnMidiCommand(3);
  engine.Shutdown();  // and so does shutting down
  QCOMPARE(EventRecorder::Values(rec.Take(), PlayerEvent::MIDICommandCanceled), std::vector<int>{3});
  QVERIFY(midi->opened.empty());

  // A source that does not open leaves none.
  Fixture g(SimpleShow({SimpleSong("1", 2)}));
  auto refusing = std::make_shared<FakeMidi>();
  refusing->refuse = true;
  auto& other = g.Start(nullptr, refusing);
  other.SetMidiSource(0);
  QVERIFY(!other.HasMidiSource());
  other.SetMidiSource(7);
  QVERIFY(!other.HasMidiSource());
}

void TstPlayerMidi::choosingTheOpenSourceAgain_data() {
  QTest::addColumn<QString>("change");  // what happens to the sources before the choice
  QTest::addColumn<int>("choice");
  QTest::addColumn<bool>("reopened");
  QTest::addColumn<int>("connectedIndex");
  QTest::newRow("the open source") << "none" << 0 << false << 0;
  QTest::newRow("the open source, moved down the list") << "inserted before" << 1 << false << 1;
  QTest::newRow("the same name at a new address (replugged)") << "new address" << 0 << true << 0;
  QTest::newRow("another source") << "none" << 1 << true << 1;
}

// Choosing the source that is open keeps it open and lets a learning go on
// (the MIDI dialog selects the saved source each time it opens).
void TstPlayerMidi::choosingTheOpenSourceAgain() {
  QFETCH(QString, change);
  QFETCH(int, choice);
  QFETCH(bool, reopened);
  QFETCH(int, connectedIndex);
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  auto midi = std::make_shared<FakeMidi>();
  EventRecorder rec;
  auto& engine = f.Start(nullptr, midi);
  engine.SetMidiSource(0);
  QCOMPARE(midi->opens, 1);
  engine.LearnMidiCommand(3);
  f.Pump();
  rec.Clear();

  if (change == "inserted before") midi->sources.insert(midi->sources.begin(), MidiEndPoint{"Pedal", "16:0"});
  if (change == "new address") midi->sources[0] = MidiEndPoint{"Keyboard", "28:0"};
  const int closes = midi->closes;
  engine.SetMidiSource(choice);
  f.Pump();

  QCOMPARE(midi->opens, reopened ? 2 : 1);
  QCOMPARE(midi->closes, reopened ? closes + 1 : closes);
  QCOMPARE(engine.IsMidiCommandLearning(3), !reopened);
  QCOMPARE(EventRecorder::Values(rec.Take(), PlayerEvent::MIDICommandCanceled),
           reopened ? std::vector<int>{3} : std::vector<int>{});
  QVERIFY(engine.HasMidiSource());
  QCOMPARE(int(engine.GetConnectedSourceIndex()), connectedIndex);
}

void TstPlayerMidi::assignedMessagesRunCommands_data() {
  QTest::addColumn<int>("command");
  QTest::addColumn<int>("status");
  QTest::addColumn<int>("channel");
  QTest::addColumn<int>("note");
  QTest::addColumn<QByteArray>("message");
  QTest::addColumn<QString>("effect");

  QTest::newRow("control change stops") << 2 << 0xB0 << 0 << 20 << QByteArray("\xB0\x14\x7F", 3) << "stopped";
  QTest::newRow("program change: next song") << 5 << 0xC0 << 2 << 5 << QByteArray("\xC2\x05", 2) << "song 2";
  QTest::newRow("note on with velocity 0 is a note off")
      << 1 << 0x80 << 0 << 60 << QByteArray("\x90\x3C\x00", 3) << "paused";
  QTest::newRow("another channel does nothing") << 2 << 0xB0 << 0 << 20 << QByteArray("\xB1\x14\x7F", 3) << "playing";
  QTest::newRow("another controller does nothing")
      << 2 << 0xB0 << 0 << 20 << QByteArray("\xB0\x15\x7F", 3) << "playing";
  QTest::newRow("next bar") << 10 << 0x90 << 9 << 36 << QByteArray("\x99\x24\x40", 3) << "tick 2000";
  QTest::newRow("fade out") << 7 << 0x90 << 0 << 1 << QByteArray("\x90\x01\x40", 3) << "fading";
}

void TstPlayerMidi::assignedMessagesRunCommands() {
  QFETCH(int, command);
  QFETCH(int, status);
  QFETCH(int, channel);
  QFETCH(int, note);
  QFETCH(QByteArray, message);
  QFETCH(QString, effect);
  Fixture f(SimpleShow({SimpleSong("1", 4), SimpleSong("2", 2)}));
  auto midi = std::make_shared<FakeMidi>();
  EventRecorder rec;
  auto& engine = f.Start(nullptr, midi);
  engine.SetMidiSource(0);
  engine.SetMidiCommand(static_cast<unsigned char>(command), static_cast<unsigned char>(status),
                        static_cast<unsigned char>(channel), static_cast<unsigned char>(note));
  engine.SetMidiCommand(3, 0x90, 16, 1);  // channel out of range: ignored
  QCOMPARE(engine.GetLearnedCommands().size(), std::size_t(1));
  engine.Play();
  f.Advance(100);
  rec.Clear();
  midi->Send(std::vector<std::uint8_t>(message.begin(), message.end()));
  f.Pump();
  if (effect == "stopped") QVERIFY(engine.IsStopped());
  if (effect == "paused") QVERIFY(engine.GetIsPaused());
  if (effect == "playing") QVERIFY(engine.GetIsPlaying());
  if (effect == "song 2") QCOMPARE(engine.GetCurrentSongNumber(), std::string("2"));
  if (effect == "tick 2000") QCOMPARE(engine.GetTickIndex(), 2000u);
  if (effect == "fading") {
    QCOMPARE(EventRecorder::Of(rec.Take(), PlayerEvent::PlaybackFading).size(), std::size_t(1));
    f.Advance(3000);
    QVERIFY(engine.GetIsFaded());
  }
}

void TstPlayerMidi::savedSourceIsReopened() {
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  fs::create_directories(f.dataFolder / "pelorin2");
  std::ofstream(f.dataFolder / "pelorin2" / "midi.json")
      << R"({"source": "Pads", "commands": {"2": [176, 0, 20], "99": [144, 0, 1], "4": [144, 22, 1]}})";
  auto midi = std::make_shared<FakeMidi>();
  auto& engine = f.Start(nullptr, midi);
  QVERIFY(engine.HasMidiSource());
  QCOMPARE(int(engine.GetConnectedSourceIndex()), 1);
  QCOMPARE(midi->opened, std::string("Pads"));
  auto learned = engine.GetLearnedCommands();
  QCOMPARE(learned.size(), std::size_t(1));  // unknown commands and bad channels are dropped
  QCOMPARE(learned.at(2), (midi_commands::LearnedCommand{0xB0, 0, 20}));

  // A saved source that is gone leaves the input closed.
  Fixture g(SimpleShow({SimpleSong("1", 2)}));
  fs::create_directories(g.dataFolder / "pelorin2");
  std::ofstream(g.dataFolder / "pelorin2" / "midi.json") << R"({"source": "Gone", "commands": {}})";
  auto& other = g.Start(nullptr, std::make_shared<FakeMidi>());
  QVERIFY(!other.HasMidiSource());
}

void TstPlayerMidi::brokenSettingsAreIgnored() {
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  fs::create_directories(f.dataFolder / "pelorin2");
  std::ofstream(f.dataFolder / "pelorin2" / "midi.json") << R"({"source": 5, "commands": [)";
  LogCapture log;
  auto& engine = f.Start(nullptr, std::make_shared<FakeMidi>());
  QVERIFY(engine.GetLearnedCommands().empty());
  QCOMPARE(log.Lines().size(), std::size_t(1));
  QVERIFY2(log.Lines()[0].rfind("Ignoring the MIDI settings in ", 0) == 0, log.Lines()[0].c_str());
  engine.SetMidiCommand(0, 0x90, 0, 60);  // and they are written anew
  QVERIFY(engine.WaitUntilSettled(std::chrono::seconds(10)));
  auto settings = vand::player::ReadMidiSettings(f.dataFolder / "pelorin2" / "midi.json");
  QCOMPARE(settings.commands.size(), std::size_t(1));

  // Nesting deeper than a recursive parser's stack is refused like any broken file.
  const auto deep = f.dataFolder / "deep.json";
  std::ofstream(deep) << "{\"source\": " << std::string(500000, '[');
  settings = vand::player::ReadMidiSettings(deep);
  QVERIFY(settings.source.empty());
  QVERIFY(settings.commands.empty());
}

// A failure the engine recovers from still leaves a line saying what failed.
void TstPlayerMidi::backendFailuresAreLogged_data() {
  QTest::addColumn<QString>("failure");
  QTest::addColumn<QString>("line");
  QTest::newRow("listing throws") << "list"
                                  << "pelorin2: cannot list the MIDI sources: no sequencer";
  QTest::newRow("opening refused") << "open"
                                   << "pelorin2: cannot open the MIDI source Pads";
  QTest::newRow("saving fails") << "save"
                                << "pelorin2: the MIDI settings were not saved: ";
}

void TstPlayerMidi::backendFailuresAreLogged() {
  QFETCH(QString, failure);
  QFETCH(QString, line);
  Fixture f(SimpleShow({SimpleSong("1", 2)}));
  auto midi = std::make_shared<FakeMidi>();
  auto& engine = f.Start(nullptr, midi);
  if (failure == "list") midi->listError = "no sequencer";
  if (failure == "open") midi->refuse = true;
  if (failure == "save") fs::create_directories(f.dataFolder / "pelorin2" / "midi.json" / "in the way");
  LogCapture log;
  if (failure == "list") QVERIFY(engine.GetMidiSources().empty());
  if (failure == "open") engine.SetMidiSource(1);
  if (failure == "save") {
    engine.SetMidiCommand(0, 0x90, 0, 60);
    QVERIFY(engine.WaitUntilSettled(std::chrono::seconds(10)));  // saved by a worker
  }
  QVERIFY(!engine.HasMidiSource());
  QCOMPARE(log.Lines().size(), std::size_t(1));
  QVERIFY2(QString::fromStdString(log.Lines()[0]).startsWith(line), log.Lines()[0].c_str());
}

QTEST_MAIN(TstPlayerMidi)
#include "tst_player_midi.moc"
