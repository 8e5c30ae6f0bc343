#include <QtTest>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>
#include <vector>

#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include "kit/CoutBuffer.h"
#include "kit/File.h"
#include "kit/Json.h"
#include "kit/Log.h"
#include "kit/NumericStringCompare.h"
#include "kit/Path.h"

namespace {

namespace fs = std::filesystem;

// What a getter gives for member "x" of {"x": member} (no member when
// `member` is empty) at the place "here": "=" and the value read, or "!" and
// the failure. Whole numbers lie in [-5, 10] (fallback 3), numbers in
// [0.5, 2] (fallback 1), texts have at most 4 bytes (fallback "fb").
std::string Read(const QString& getter, const QString& member, bool required, bool lieBetween) {
  const std::string text = member.isEmpty() ? "{}" : "{\"x\": " + member.toStdString() + "}";
  rapidjson::Document doc;
  kit::json::Parse(doc, text);
  const kit::json::Wording wording{lieBetween, lieBetween ? "a list" : "an array"};
  const std::string where = "here";
  try {
    if (getter == "integer") {
      return "=" + std::to_string(kit::json::Integer(
                       doc, "x", where, -5, 10, required ? std::nullopt : std::optional<std::int64_t>(3), wording));
    }
    if (getter == "number") {
      const double d =
          kit::json::Number(doc, "x", where, 0.5, 2.0, required ? std::nullopt : std::optional<double>(1.0), wording);
      char buf[32];
      return "=" + std::string(buf, std::to_chars(buf, buf + sizeof(buf), d).ptr);
    }
    if (getter == "text") {
      return "=" + kit::json::Text(doc, "x", where, required ? std::nullopt : std::optional<std::string_view>("fb"), 4);
    }
    if (getter == "bool") {
      return kit::json::Bool(doc, "x", where, required ? std::nullopt : std::optional<bool>(false)) ? "=true"
                                                                                                    : "=false";
    }
    if (getter == "array") {
      const kit::json::Value* a = kit::json::OptionalArray(doc, "x", where, wording);
      return a ? "=" + std::to_string(a->Size()) + " items" : "=none";
    }
    if (getter == "object") return "=" + std::to_string(kit::json::Object(doc, "x", where).MemberCount()) + " members";
  } catch (const kit::json::Error& e) {
    if (e.Where() != where) return "!wrong place: " + e.Where();
    return "!" + e.What();
  }
  return "!no such getter";
}

}  // namespace

class TestKit : public QObject {
  Q_OBJECT

 private slots:
  void numericCompare_data() {
    QTest::addColumn<QString>("a");
    QTest::addColumn<QString>("b");
    QTest::addColumn<int>("expected");  // -1 a before b, 0 equal, 1 after
    QTest::newRow("2 < 10") << "2"
                            << "10" << -1;
    QTest::newRow("10 < 10A") << "10"
                              << "10A" << -1;
    QTest::newRow("10A < 11") << "10A"
                              << "11" << -1;
    QTest::newRow("9 < 10A") << "9"
                             << "10A" << -1;
    QTest::newRow("3 before 03") << "3"
                                 << "03" << -1;
    QTest::newRow("03 before 003") << "03"
                                   << "003" << -1;
    QTest::newRow("equal") << "12B"
                           << "12B" << 0;
    QTest::newRow("digits inside") << "Act2-Song9"
                                   << "Act2-Song10" << -1;
    QTest::newRow("text bytewise") << "A"
                                   << "a" << -1;
    QTest::newRow("prefix first") << "Song"
                                  << "Song1" << -1;
    QTest::newRow("number beats leading zero tie") << "03"
                                                   << "4" << -1;
    QTest::newRow("large numbers") << "99999999999999999999"
                                   << "100000000000000000000" << -1;
    QTest::newRow("empty first") << ""
                                 << "0" << -1;
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
    const std::vector<std::string> items = {"",   "0",  "00", "1", "01", "2",   "3",  "03",  "10", "10A", "10B",
                                            "11", "1A", "A",  "a", "A1", "A01", "A2", "A10", "B",  "-1",  "1-2"};
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
    QTest::newRow("version file") << "1.2.logdata"
                                  << "1.2"
                                  << ".logdata";
    QTest::newRow("full path") << "/shows/Demo-3.1.logdata"
                               << "/shows/Demo-3.1"
                               << ".logdata";
    QTest::newRow("dot in folder only") << "dir.d/file"
                                        << "dir.d/file"
                                        << "";
    QTest::newRow("no extension") << "noext"
                                  << "noext"
                                  << "";
    QTest::newRow("hidden file") << ".profile"
                                 << ".profile"
                                 << "";
    QTest::newRow("hidden with ext") << "dir/.cfg.json"
                                     << "dir/.cfg"
                                     << ".json";
    QTest::newRow("trailing dot") << "name."
                                  << "name"
                                  << ".";
    QTest::newRow("empty") << ""
                           << ""
                           << "";
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
    QTest::newRow("relative") << "a/b/c.txt"
                              << "a/b"
                              << "c.txt";
    QTest::newRow("absolute") << "/shows/Demo-1.0.logdata"
                              << "/shows"
                              << "Demo-1.0.logdata";
    QTest::newRow("root") << "/file"
                          << "/"
                          << "file";
    QTest::newRow("backslashes") << "C:\\shows\\x.logdata"
                                 << "C:\\shows"
                                 << "x.logdata";
    QTest::newRow("name only") << "x.logdata"
                               << ""
                               << "x.logdata";
    QTest::newRow("trailing separator") << "a/b/"
                                        << "a/b"
                                        << "";
  }

  void split() {
    QFETCH(QString, path);
    QFETCH(QString, dir);
    QFETCH(QString, name);
    const auto [d, n] = kit::path::split(path.toStdString());
    QCOMPARE(QString::fromStdString(d), dir);
    QCOMPARE(QString::fromStdString(n), name);
  }

  // Each getter reads what its type and range allow and words the rest.
  void jsonGetters_data() {
    QTest::addColumn<QString>("getter");
    QTest::addColumn<QString>("member");  // empty: absent
    QTest::addColumn<bool>("required");
    QTest::addColumn<bool>("lieBetween");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char* tag, const char* getter, const char* member, bool required, bool lieBetween,
                        const char* expected) {
      QTest::newRow(tag) << getter << member << required << lieBetween << expected;
    };
    row("integer", "integer", "7", true, false, "=7");
    row("integer at low end", "integer", "-5", true, false, "=-5");
    row("integer at high end", "integer", "10", true, false, "=10");
    row("integer written as a real", "integer", "2.0", true, false, "=2");
    row("integer above", "integer", "11", true, false, "!\"x\" must be a whole number from -5 to 10");
    row("integer below", "integer", "-6", true, false, "!\"x\" must be a whole number from -5 to 10");
    row("integer with a fraction", "integer", "2.5", true, false, "!\"x\" must be a whole number from -5 to 10");
    row("integer as text", "integer", "\"7\"", true, false, "!\"x\" must be a whole number from -5 to 10");
    row("integer beyond 64 bits", "integer", "18446744073709551615", true, false,
        "!\"x\" must be a whole number from -5 to 10");
    row("integer too large to be exact", "integer", "1e300", true, false,
        "!\"x\" must be a whole number from -5 to 10");
    row("integer absent", "integer", "", false, false, "=3");
    row("integer null", "integer", "null", false, false, "=3");
    row("integer required", "integer", "", true, false, "!\"x\" is missing");
    row("integer above, between", "integer", "11", true, true, "!\"x\" must lie between -5 and 10");
    row("integer fraction, between", "integer", "2.5", true, true, "!\"x\" must be a whole number");
    row("number", "number", "1.25", true, false, "=1.25");
    row("number at low end", "number", "0.5", true, false, "=0.5");
    row("number above", "number", "2.5", true, false, "!\"x\" must be a number from 0.5 to 2");
    row("number as text", "number", "\"1\"", true, false, "!\"x\" must be a number from 0.5 to 2");
    row("number below, between", "number", "0.25", true, true, "!\"x\" must lie between 0.5 and 2");
    row("number as text, between", "number", "true", true, true, "!\"x\" must be a number");
    row("number absent", "number", "", false, false, "=1");
    row("text", "text", "\"abcd\"", true, false, "=abcd");
    row("text too long", "text", "\"abcde\"", true, false, "!\"x\" is longer than 4 bytes");
    row("text as number", "text", "5", true, false, "!\"x\" must be text");
    row("text absent", "text", "", false, false, "=fb");
    row("text required", "text", "null", true, false, "!\"x\" is missing");
    row("bool", "bool", "true", true, false, "=true");
    row("bool as number", "bool", "1", true, false, "!\"x\" must be true or false");
    row("bool absent", "bool", "", false, false, "=false");
    row("array", "array", "[1, 2]", true, false, "=2 items");
    row("array absent", "array", "", true, false, "=none");
    row("array as object", "array", "{}", true, false, "!\"x\" must be an array");
    row("array as object, list", "array", "{}", true, true, "!\"x\" must be a list");
    row("object", "object", "{\"a\": 1}", true, false, "=1 members");
    row("object as array", "object", "[]", true, false, "!\"x\" must be an object");
    row("object absent", "object", "", true, false, "!\"x\" must be an object");
  }

  void jsonGetters() {
    QFETCH(QString, getter);
    QFETCH(QString, member);
    QFETCH(bool, required);
    QFETCH(bool, lieBetween);
    QFETCH(QString, expected);
    QCOMPARE(QString::fromStdString(Read(getter, member, required, lieBetween)), expected);
  }

  // Numbers read exactly, whatever their form, without reading out of bounds
  // (the reader's own exact conversion did on the "huge mantissa" row); whole
  // numbers keep an integer type.
  void jsonNumbers_data() {
    QTest::addColumn<QString>("number");
    QTest::addColumn<QString>("expected");  // type and shortest text, or "!" and the failure
    QTest::newRow("small") << "7"
                           << "uint 7";
    QTest::newRow("negative") << "-7"
                              << "int -7";
    QTest::newRow("largest unsigned") << "18446744073709551615"
                                      << "uint 18446744073709551615";
    QTest::newRow("smallest signed") << "-9223372036854775808"
                                     << "int -9223372036854775808";
    QTest::newRow("beyond 64 bits") << "18446744073709551616"
                                    << "real 18446744073709551616";
    QTest::newRow("tenth") << "0.1"
                           << "real 0.1";
    QTest::newRow("near a power of two") << "2.220446049250313e-16"
                                         << "real 2.220446049250313e-16";
    QTest::newRow("huge mantissa") << "128.74836467836484838364836483643636483648e-336"
                                   << "real 0";
    QTest::newRow("zero, large exponent") << "0e100"
                                          << "real 0";
    QTest::newRow("smallest subnormal") << "5e-324"
                                        << "real 5e-324";
    QTest::newRow("below the smallest") << "-1e-400"
                                        << "real -0";
    QTest::newRow("largest") << "1.7976931348623157e308"
                             << "real 1.7976931348623157e+308";
    QTest::newRow("beyond the largest") << "2e308"
                                        << "!not valid JSON (Number too big to be stored in double.)";
    QTest::newRow("far beyond") << "1e400"
                                << "!not valid JSON (Number too big to be stored in double.)";
  }

  void jsonNumbers() {
    QFETCH(QString, number);
    QFETCH(QString, expected);
    rapidjson::Document doc;
    std::string got;
    try {
      kit::json::Parse(doc, "[" + number.toStdString() + "]");
      const kit::json::Value& v = doc[0];
      char buf[40];
      if (v.IsUint64()) {
        got = "uint " + std::to_string(v.GetUint64());
      } else if (v.IsInt64()) {
        got = "int " + std::to_string(v.GetInt64());
      } else {
        got = "real " + std::string(buf, std::to_chars(buf, buf + sizeof(buf), v.GetDouble()).ptr);
      }
    } catch (const kit::json::Error& e) {
      got = "!" + e.What();
    }
    QCOMPARE(QString::fromStdString(got), expected);
  }

  // Documents that do not parse fail at their offset with RapidJSON's error
  // code; deep nesting does not exhaust the stack. A failure's what() reads
  // "where: what".
  void jsonParseFailures_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("offset");
    QTest::newRow("empty") << QByteArray("") << int(rapidjson::kParseErrorDocumentEmpty) << 0;
    QTest::newRow("cut short") << QByteArray("{\"a\": [1, 2")
                               << int(rapidjson::kParseErrorArrayMissCommaOrSquareBracket) << 11;
    QTest::newRow("text after the document")
        << QByteArray("{} {}") << int(rapidjson::kParseErrorDocumentRootNotSingular) << 3;
    QTest::newRow("not UTF-8") << QByteArray("{\"a\": \"\xff\"}") << int(rapidjson::kParseErrorStringInvalidEncoding)
                               << 7;
    QTest::newRow("NaN") << QByteArray("{\"a\": NaN}") << int(rapidjson::kParseErrorValueInvalid) << 6;
    QTest::newRow("number beyond a double")
        << QByteArray("{\"a\": 1e400}") << int(rapidjson::kParseErrorNumberTooBig) << 6;
    QTest::newRow("deep nesting") << QByteArray(200000, '[') << int(rapidjson::kParseErrorValueInvalid) << 200000;
  }

  void jsonParseFailures() {
    QFETCH(QByteArray, text);
    QFETCH(int, code);
    QFETCH(int, offset);
    rapidjson::Document doc;
    try {
      kit::json::Parse(doc, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
      QFAIL("parsed");
    } catch (const kit::json::ParseError& e) {
      QCOMPARE(e.Where(), "offset " + std::to_string(e.Offset()));
      QVERIFY2(e.What().rfind("not valid JSON (", 0) == 0, e.what());
      QCOMPARE(std::string(e.what()), e.Where() + ": " + e.What());
      QCOMPARE(int(e.Code()), code);
      QCOMPARE(int(e.Offset()), offset);
    }
  }

  // Write gives the text RapidJSON's own (recursive) writer gives, and that
  // text parses back to an equal value.
  void jsonWrite_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("scalars") << QByteArray("[null,true,false,0,-1,4294967295,-9007199254740993,18446744073709551615]");
    QTest::newRow("fractions") << QByteArray("[0.5,1e300,-2.25e-300,1.0]");
    QTest::newRow("escapes and UTF-8") << QByteArray("{\"a\\\"b\":\"line\\nbreak \\u0001 \xe2\x99\xaa\"}");
    QTest::newRow("empty containers") << QByteArray("{\"a\":{},\"b\":[],\"c\":[{}]}");
    QTest::newRow("members after a nested one") << QByteArray("{\"a\":{\"b\":[1,[2,{\"c\":3}],4]},\"d\":5}");
    QTest::newRow("a bare string") << QByteArray("\"x\"");
  }

  void jsonWrite() {
    QFETCH(QByteArray, text);
    rapidjson::Document doc;
    kit::json::Parse(doc, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    rapidjson::StringBuffer buf;
    rapidjson::Writer<rapidjson::StringBuffer> writer(buf);
    doc.Accept(writer);
    const std::string written = kit::json::Write(doc);
    QCOMPARE(written, std::string(buf.GetString(), buf.GetSize()));
    rapidjson::Document again;
    kit::json::Parse(again, written);
    QVERIFY(again == doc);
  }

  // Accept feeds a handler what Value::Accept feeds it, at any depth, and
  // stops at the first call that refuses.
  void jsonAccept_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("refuseAt");  // the call that returns false; 0: none
    QTest::addColumn<QString>("expected");
    const QByteArray mixed("{\"a\":[1,-2,4294967296,0.5,\"s\"],\"b\":{},\"c\":[null,true,false]}");
    const QString all = "{ a [ 1 -2 4294967296 0.5 s ] b { } c [ null true false ] }";
    QTest::newRow("mixed, all accepted") << mixed << 0 << all;
    QTest::newRow("refused at the first call") << mixed << 1 << "{";
    QTest::newRow("refused at a key") << mixed << 2 << "{ a";
    QTest::newRow("refused at a value") << mixed << 5 << "{ a [ 1 -2";
    QTest::newRow("refused at an end") << mixed << 12 << "{ a [ 1 -2 4294967296 0.5 s ] b { }";
    QTest::newRow("a bare number") << QByteArray("7") << 0 << "7";
    QTest::newRow("deep nesting") << QByteArray(200000, '[') + QByteArray(200000, ']') << 0 << "deep";
  }

  void jsonAccept() {
    QFETCH(QByteArray, text);
    QFETCH(int, refuseAt);
    QFETCH(QString, expected);
    rapidjson::Document doc;
    kit::json::Parse(doc, std::string_view(text.constData(), static_cast<std::size_t>(text.size())));

    // Writes each call as a word; refuses the refuseAt-th call.
    struct Recorder {
      std::vector<std::string> words;
      int refuseAt = 0;
      bool Say(std::string word) {
        words.push_back(std::move(word));
        return static_cast<int>(words.size()) != refuseAt;
      }
      bool Null() { return Say("null"); }
      bool Bool(bool b) { return Say(b ? "true" : "false"); }
      bool Int(int i) { return Say(std::to_string(i)); }
      bool Uint(unsigned u) { return Say(std::to_string(u)); }
      bool Int64(std::int64_t i) { return Say(std::to_string(i)); }
      bool Uint64(std::uint64_t u) { return Say(std::to_string(u)); }
      bool Double(double d) { return Say(std::to_string(d).substr(0, 3)); }
      bool RawNumber(const char*, rapidjson::SizeType, bool) { return Say("raw"); }
      bool String(const char* s, rapidjson::SizeType n, bool) { return Say(std::string(s, n)); }
      bool StartObject() { return Say("{"); }
      bool Key(const char* s, rapidjson::SizeType n, bool) { return Say(std::string(s, n)); }
      bool EndObject(rapidjson::SizeType) { return Say("}"); }
      bool StartArray() { return Say("["); }
      bool EndArray(rapidjson::SizeType) { return Say("]"); }
    };
    Recorder walked;
    walked.refuseAt = refuseAt;
    QCOMPARE(kit::json::Accept(doc, walked), refuseAt == 0);
    if (expected == "deep") {
      QCOMPARE(walked.words.size(), 400000u);
      QCOMPARE(walked.words.front() + walked.words.back(), std::string("[]"));
      return;
    }
    std::string joined;
    for (const std::string& w : walked.words) joined += (joined.empty() ? "" : " ") + w;
    QCOMPARE(QString::fromStdString(joined), expected);
    if (refuseAt == 0) {
      Recorder recursive;
      doc.Accept(recursive);
      QCOMPARE(walked.words, recursive.words);
    }
  }

  // A write replaces the whole file and leaves nothing else in its folder; a
  // write that fails names the file, leaves what was there and no temporary file.
  void atomicWrites() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const fs::path target = folder / "settings.json";
    kit::WriteFileAtomically(target, "a longer first version");
    kit::WriteFileAtomically(target, "short");
    QCOMPARE(kit::ReadWholeFile(target, 100), std::string("short"));

    const fs::path blocked = folder / "blocked.json";  // a folder the rename cannot replace
    fs::create_directory(blocked);
    std::ofstream(blocked / "keep") << "kept";
    for (const fs::path& bad : {blocked, folder / "missing" / "x.json"}) {
      try {
        kit::WriteFileAtomically(bad, "new");
        QFAIL("written");
      } catch (const std::runtime_error& e) {
        QVERIFY2(std::string(e.what()).find(bad.filename().string()) != std::string::npos, e.what());
      }
    }
    QCOMPARE(kit::ReadWholeFile(blocked / "keep", 100), std::string("kept"));
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    QCOMPARE(names, (std::vector<std::string>{"blocked.json", "settings.json"}));
  }

  void wholeFileReads_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("maxBytes");
    QTest::addColumn<QString>("expected");  // the text, or "!" and part of the failure
    QTest::newRow("at the limit") << "five.txt" << 5 << "12345";
    QTest::newRow("over the limit") << "five.txt" << 4 << "!is too large (5 bytes)";
    QTest::newRow("missing") << "none.txt" << 5 << "!is not a readable file";
    QTest::newRow("a folder") << "sub" << 5 << "!is not a readable file";
  }

  void wholeFileReads() {
    QFETCH(QString, name);
    QFETCH(int, maxBytes);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    std::ofstream(folder / "five.txt") << "12345";
    fs::create_directory(folder / "sub");
    std::string got;
    try {
      got = kit::ReadWholeFile(folder / name.toStdString(), static_cast<std::uintmax_t>(maxBytes));
    } catch (const std::runtime_error& e) {
      QVERIFY2(expected.startsWith("!") && QString(e.what()).contains(expected.mid(1)), e.what());
      QVERIFY2(QString(e.what()).contains(name), e.what());
      return;
    }
    QCOMPARE(QString::fromStdString(got), expected);
  }

  // A pid that no process has: a child's, once it has ended.
  static long EndedPid() {
    const pid_t child = fork();
    if (child == 0) _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
  }

  // Only names of the writer's own pattern carry a writer.
  void temporaryFileNames_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("writer");  // 0: none
    QTest::newRow("a log's") << "Show-1.1.logdata.4242.0.tmp" << 4242;
    QTest::newRow("dots in the target") << "a.b.c.77.12.tmp" << 77;
    QTest::newRow("no counter") << "Show-1.1.logdata.4242.tmp" << 0;
    QTest::newRow("no target") << ".4242.0.tmp" << 0;
    QTest::newRow("pid 0") << "x.0.0.tmp" << 0;
    QTest::newRow("negative pid") << "x.-5.0.tmp" << 0;
    QTest::newRow("negative counter") << "x.5.-1.tmp" << 0;
    QTest::newRow("leading zero") << "x.0042.0.tmp" << 0;
    QTest::newRow("pid beyond int") << "x.9999999999.0.tmp" << 0;
    QTest::newRow("letters") << "x.42a.0.tmp" << 0;
    QTest::newRow("other extension") << "x.42.0.TMP" << 0;
    QTest::newRow("plain tmp") << "x.tmp" << 0;
    QTest::newRow("a log") << "Show-1.1.logdata" << 0;
  }

  void temporaryFileNames() {
    QFETCH(QString, name);
    QFETCH(int, writer);
    const std::optional<long> got = kit::TemporaryFileWriter(name.toStdString());
    QCOMPARE(got.value_or(0), static_cast<long>(writer));
    // The writer's own names read back.
    QCOMPARE(kit::TemporaryFileWriter(kit::TemporaryFileName(name.toStdString(), 31337, 5)).value_or(0), 31337L);
  }

  // What an interrupted save left goes; the file of a running writer, any
  // other name and anything that is not a regular file stay.
  void staleTemporaryFilesAreRemoved() {
    QTemporaryDir dir;
    const fs::path folder = dir.path().toStdString();
    const long ended = EndedPid();
    const long running = static_cast<long>(getpid());
    const std::string stale = kit::TemporaryFileName("Show-1.1.logdata", ended, 0);
    const std::vector<std::string> kept = {
        kit::TemporaryFileName("Show-1.1.logdata", running, 3),  // this process writes it
        kit::TemporaryFileName("Show-1.1.logdata", 1, 0),        // init runs
        "Show-1.1.logdata." + std::to_string(ended) + ".tmp",    // another pattern
        "Show-1.1.logdata",
        "notes.tmp",
    };
    for (const std::string& name : kept) std::ofstream(folder / name) << name;
    std::ofstream(folder / stale) << "half a log";
    const std::string staleFolder = kit::TemporaryFileName("sub", ended, 1);
    fs::create_directory(folder / staleFolder);
    const std::string staleLink = kit::TemporaryFileName("link", ended, 2);
    fs::create_symlink(folder / "notes.tmp", folder / staleLink);

    const std::vector<fs::path> removed = kit::RemoveStaleTemporaryFiles(folder);
    QCOMPARE(removed, std::vector<fs::path>{folder / stale});
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::vector<std::string> expected = kept;
    expected.push_back(staleFolder);
    expected.push_back(staleLink);
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    QCOMPARE(names, expected);
    QVERIFY(kit::RemoveStaleTemporaryFiles(folder / "missing").empty());
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
    struct Entry {
      kit::LogLevel level;
      std::string area, text;
    };
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
