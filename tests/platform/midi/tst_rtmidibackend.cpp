// The RtMidi backend without a sequencer (here and in CI): the sources'
// names, and one line saying that MIDI input is off.

#include <unistd.h>

#include <QTest>
#include <cstdio>
#include <iostream>
#include <string>

#include "vand_midi/RtMidiBackend.h"

using vand::midi::RtMidiBackend;

namespace {

// Everything written to the standard error descriptor while alive: libasound
// and RtMidi print with fprintf and std::cerr.
class DescriptorCapture {
 public:
  DescriptorCapture() {
    std::cerr.flush();
    std::fflush(stderr);
    file_ = std::tmpfile();
    saved_ = dup(STDERR_FILENO);
    dup2(fileno(file_), STDERR_FILENO);
  }
  ~DescriptorCapture() { Finish(); }

  std::string Finish() {
    if (!file_) return text_;
    std::cerr.flush();
    std::fflush(stderr);
    dup2(saved_, STDERR_FILENO);
    close(saved_);
    std::rewind(file_);
    char buffer[512];
    std::size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, file_)) > 0) text_.append(buffer, n);
    std::fclose(file_);
    file_ = nullptr;
    return text_;
  }

 private:
  std::FILE* file_ = nullptr;
  int saved_ = -1;
  std::string text_;
};

}  // namespace

class TstRtMidiBackend : public QObject {
  Q_OBJECT

 private slots:
  // First: the line is written once per process.
  void withoutASequencerItSaysSoOnce();
  void portNamesSplit_data();
  void portNamesSplit();
};

void TstRtMidiBackend::withoutASequencerItSaysSoOnce() {
  DescriptorCapture capture;
  RtMidiBackend first("vand test");
  RtMidiBackend second("vand test");
  const std::string text = capture.Finish();
  if (first.Available()) QSKIP("an ALSA sequencer is present");

  QCOMPARE(text, std::string("MIDI input is off: the ALSA sequencer cannot be opened (No such file or directory).\n"));
  QVERIFY(!second.Available());
  QVERIFY(first.ListSources().empty());
  QVERIFY(second.ListSources().empty());
  QVERIFY(!second.Open(MidiEndPoint("Midi Through:Midi Through Port-0", "14:0"), [](const auto&) {}));
  second.Close();
}

void TstRtMidiBackend::portNamesSplit_data() {
  QTest::addColumn<QStringList>("ports");
  QTest::addColumn<QStringList>("names");
  QTest::addColumn<QStringList>("ids");
  QTest::newRow("plain") << QStringList{"Midi Through:Midi Through Port-0 14:0"}
                         << QStringList{"Midi Through:Midi Through Port-0"} << QStringList{"14:0"};
  QTest::newRow("blanks and colons in the name") << QStringList{"Stage Box: A:Port 1: Keys 128:3"}
                                                 << QStringList{"Stage Box: A:Port 1: Keys"} << QStringList{"128:3"};
  QTest::newRow("a name that ends in numbers")
      << QStringList{"Desk:Out 1:2 24:0"} << QStringList{"Desk:Out 1:2"} << QStringList{"24:0"};
  QTest::newRow("a repeated name") << QStringList{"Keys:Keys MIDI 1 20:0", "Pads:Pads 24:0", "Keys:Keys MIDI 1 28:0",
                                                  "Keys:Keys MIDI 1 32:0"}
                                   << QStringList{"Keys:Keys MIDI 1", "Pads:Pads", "Keys:Keys MIDI 1 (2)",
                                                  "Keys:Keys MIDI 1 (3)"}
                                   << QStringList{"20:0", "24:0", "28:0", "32:0"};
  QTest::newRow("a port named like a repeat")
      << QStringList{"Keys 20:0", "Keys (2) 24:0", "Keys 28:0", "Keys (2) 32:0"}
      << QStringList{"Keys", "Keys (2)", "Keys (3)", "Keys (2) (2)"} << QStringList{"20:0", "24:0", "28:0", "32:0"};
  QTest::newRow("no address") << QStringList{"Virtual Keys", "Port 1:"} << QStringList{"Virtual Keys", "Port 1:"}
                              << QStringList{"Virtual Keys", "Port 1:"};
  QTest::newRow("none") << QStringList{} << QStringList{} << QStringList{};
}

void TstRtMidiBackend::portNamesSplit() {
  QFETCH(QStringList, ports);
  QFETCH(QStringList, names);
  QFETCH(QStringList, ids);
  std::vector<std::string> input;
  for (const auto& p : ports) input.push_back(p.toStdString());
  QStringList gotNames, gotIds;
  for (const auto& source : vand::midi::SplitPortNames(input)) {
    gotNames << QString::fromStdString(source.GetSourceName());
    gotIds << QString::fromStdString(source.GetSourceId());
  }
  QCOMPARE(gotNames, names);
  QCOMPARE(gotIds, ids);
}

QTEST_GUILESS_MAIN(TstRtMidiBackend)
#include "tst_rtmidibackend.moc"
