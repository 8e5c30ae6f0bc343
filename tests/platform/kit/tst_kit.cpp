#include <QtTest>

#include <algorithm>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include "kit/CoutBuffer.h"
#include "kit/Log.h"
#include "kit/NumericStringCompare.h"
#include "kit/Path.h"

class TestKit : public QObject {
  Q_OBJECT

 private slots:
  void numericCompare_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");  // -1 a before b, 0 equal, 1 after
    QTest::newRow("2 < 10") << "2" << "10" << -1;
    QTest::newRow("10 < 10A") << "10" << "10A" << -1;
    QTest::newRow("10A < 11") << "10A" << "11" << -1;
    QTest::newRow("9 < 10A") << "9" << "10A" << -1;
    QTest::newRow("3 before 03") << "3" << "03" << -1;
    QTest::newRow("03 before 003") << "03" << "003" << -1;
    QTest::newRow("equal") << "12B" << "12B" << 0;
    QTest::newRow("digits inside") << "Act2-Song9" << "Act2-Song10" << -1;
    QTest::newRow("text bytewise") << "A" << "a" << -1;
    QTest::newRow("prefix first") << "Song" << "Song1" << -1;
    QTest::newRow("number beats leading zero tie") << "03" << "4" << -1;
    QTest::newRow("large numbers") << "99999999999999999999" << "100000000000000000000" << -1;
    QTest::newRow("empty first") << "" << "0" << -1;
  }

  void numericCompare() {
    QFETCH(QString, a);
    QFETCH(QString, b);
    QFETCH(int, expected);
    const kit::NumericStringCompare less;
    const std::string sa = a.toStdString();
    const std::string sb = b.toStdString();
    QCOMPARE(less(sa, sb), expected < 0);
    QCOMPARE(less(sb, sa), expected > 0);
    QCOMPARE(kit::NumericStringCompareValues(sa, sb), expected);
  }

  // A strict weak order over a mixed set: irreflexive, asymmetric, transitive,
  // and only identical texts are equivalent (so a std::map keeps "3" and "03").
  void numericCompareIsStrictWeakOrder() {
    const std::vector<std::string> items = {"", "0", "00", "1", "01", "2", "3", "03", "10", "10A", "10B",
                                            "11", "1A", "A", "a", "A1", "A01", "A2", "A10", "B", "-1", "1-2"};
    const kit::NumericStringCompare less;
    for (const auto& x : items) {
      QVERIFY2(!less(x, x), x.c_str());
      for (const auto& y : items) {
        if (x != y) QVERIFY2(less(x, y) != less(y, x), (x + " / " + y).c_str());
        for (const auto& z : items) {
          if (less(x, y) && less(y, z)) QVERIFY2(less(x, z), (x + " < " + y + " < " + z).c_str());
        }
      }
    }
    std::vector<std::string> songs = {"11", "10A", "2", "10", "1", "03", "3"};
    std::sort(songs.begin(), songs.end(), less);
    QCOMPARE(songs, (std::vector<std::string>{"1", "2", "3", "03", "10", "10A", "11"}));
  }

  void splitext_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("root");
    QTest::addColumn<QString>("ext");
    QTest::newRow("version file") << "1.2.logdata" << "1.2" << ".logdata";
    QTest::newRow("full path") << "/shows/Demo-3.1.logdata" << "/shows/Demo-3.1" << ".logdata";
    QTest::newRow("dot in folder only") << "dir.d/file" << "dir.d/file" << "";
    QTest::newRow("no extension") << "noext" << "noext" << "";
    QTest::newRow("hidden file") << ".profile" << ".profile" << "";
    QTest::newRow("hidden with ext") << "dir/.cfg.json" << "dir/.cfg" << ".json";
    QTest::newRow("trailing dot") << "name." << "name" << ".";
    QTest::newRow("empty") << "" << "" << "";
  }

  void splitext() {
    QFETCH(QString, path);
    QFETCH(QString, root);
    QFETCH(QString, ext);
    const auto [r, e] = kit::path::splitext(path.toStdString());
    QCOMPARE(QString::fromStdString(r), root);
    QCOMPARE(QString::fromStdString(e), ext);
  }

  void split_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<QString>("name");
    QTest::newRow("relative") << "a/b/c.txt" << "a/b" << "c.txt";
    QTest::newRow("absolute") << "/shows/Demo-1.0.logdata" << "/shows" << "Demo-1.0.logdata";
    QTest::newRow("root") << "/file" << "/" << "file";
    QTest::newRow("backslashes") << "C:\\shows\\x.logdata" << "C:\\shows" << "x.logdata";
    QTest::newRow("name only") << "x.logdata" << "" << "x.logdata";
    QTest::newRow("trailing separator") << "a/b/" << "a/b" << "";
  }

  void split() {
    QFETCH(QString, path);
    QFETCH(QString, dir);
    QFETCH(QString, name);
    const auto [d, n] = kit::path::split(path.toStdString());
    QCOMPARE(QString::fromStdString(d), dir);
    QCOMPARE(QString::fromStdString(n), name);
  }

  // Lines written piecewise by several threads come out whole.
  void coutBufferKeepsLinesWhole() {
    std::ostringstream sink;
    kit::CoutBuffer out(sink);
    constexpr int kThreads = 4;
    constexpr int kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([&out, t] {
        for (int i = 0; i < kLines; ++i) {
          out << "thread " << t << " line " << i << " value " << 2.5 << kit::endl;
        }
      });
    }
    for (auto& th : threads) th.join();
    std::istringstream in(sink.str());
    std::string line;
    int count = 0;
    std::vector<int> next(kThreads, 0);
    while (std::getline(in, line)) {
      int t = -1;
      int i = -1;
      QVERIFY2(std::sscanf(line.c_str(), "thread %d line %d value 2.5", &t, &i) == 2, line.c_str());
      QVERIFY(t >= 0 && t < kThreads);
      QCOMPARE(i, next[static_cast<std::size_t>(t)]++);  // each thread's lines in order
      ++count;
    }
    QCOMPARE(count, kThreads * kLines);
  }

  // Lines logged from several threads reach std::cerr whole, one per call,
  // with their text unchanged; lines below the threshold are dropped.
  void logWritesWholeLinesAndHonoursThreshold() {
    std::ostringstream sink;
    std::streambuf* previous = std::cerr.rdbuf(sink.rdbuf());
    constexpr int kThreads = 4;
    constexpr int kLines = 200;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
      threads.emplace_back([t] {
        for (int i = 0; i < kLines; ++i) {
          kit::Log(kit::LogLevel::Warning, "test", "thread " + std::to_string(t) + " line " + std::to_string(i));
          kit::Log(kit::LogLevel::Debug, "test", "dropped");
        }
      });
    }
    for (auto& th : threads) th.join();
    kit::Log(kit::LogLevel::Error, "test", "ends with its own newline\n");
    std::cerr.rdbuf(previous);

    std::istringstream in(sink.str());
    std::string line;
    int count = 0;
    std::vector<int> next(kThreads, 0);
    while (std::getline(in, line) && line.rfind("thread ", 0) == 0) {
      int t = -1;
      int i = -1;
      QVERIFY2(std::sscanf(line.c_str(), "thread %d line %d", &t, &i) == 2, line.c_str());
      QCOMPARE(i, next[static_cast<std::size_t>(t)]++);
      ++count;
    }
    QCOMPARE(count, kThreads * kLines);
    QCOMPARE(line, std::string("ends with its own newline"));
    QVERIFY(!std::getline(in, line));
  }

  // A sink receives level, area and the text without its line end; clearing
  // it restores standard error.
  void logSinkReceivesLines() {
    struct Entry { kit::LogLevel level; std::string area, text; };
    std::vector<Entry> seen;
    kit::SetLogSink([&seen](kit::LogLevel level, std::string_view area, std::string_view text) {
      seen.push_back({level, std::string(area), std::string(text)});
    });
    kit::Log(kit::LogLevel::Info, "osc", "hello\n");
    kit::SetLogThreshold(kit::LogLevel::Debug);
    kit::Log(kit::LogLevel::Debug, "engine", "detail");
    kit::SetLogThreshold(kit::LogLevel::Info);
    kit::Log(kit::LogLevel::Debug, "engine", "dropped");
    kit::SetLogSink({});

    std::ostringstream err;
    std::streambuf* previous = std::cerr.rdbuf(err.rdbuf());
    kit::Log(kit::LogLevel::Error, "shell", "back on stderr");
    std::cerr.rdbuf(previous);

    QCOMPARE(seen.size(), std::size_t(2));
    QCOMPARE(seen[0].level, kit::LogLevel::Info);
    QCOMPARE(seen[0].area, std::string("osc"));
    QCOMPARE(seen[0].text, std::string("hello"));
    QCOMPARE(seen[1].level, kit::LogLevel::Debug);
    QCOMPARE(seen[1].text, std::string("detail"));
    QCOMPARE(err.str(), std::string("back on stderr\n"));
  }
};

QTEST_GUILESS_MAIN(TestKit)
#include "tst_kit.moc"
