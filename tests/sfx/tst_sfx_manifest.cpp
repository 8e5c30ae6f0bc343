#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <iostream>
#include <optional>
#include <stdexcept>

#include "StreamCapture.h"
#include "sfx/SfxManifest.h"

using vand::audio::SfxType;
using vand::sfx::SfxManifest;

namespace {

const std::string kNoManifest = "No SFX Manifest Found. Returning with no SFX in Manager.\n";
const QString kInstallFailed = "The SFX manifest failed to find certain files, indicating the SFX install has "
                               "failed or was corrupted. Please contact VAND. The following errors were found:\n";

QString thrownBy(const std::function<void()>& call)
{
    try {
        call();
    } catch (const std::runtime_error& e) {
        return QString("runtime_error: ") + e.what();
    } catch (const std::invalid_argument& e) {
        return QString("invalid_argument: ") + e.what();
    }
    return "nothing";
}

QStringList ids(const vand::audio::sfx::SfxVector& list)
{
    QStringList out;
    for (const char* id : list)
        out << id;
    return out;
}

} // namespace

// Each test gets its own data locations: XDG_DATA_HOME (the first generic
// location) and XDG_DATA_DIRS (the second and on) point into a fresh folder.
class TestSfxManifest : public QObject
{
    Q_OBJECT

private:
    QString folder() const { return dir_->path() + "/share/vand_data/sfx"; }

    void writeFile(const QString& relative, const QByteArray& bytes)
    {
        const QString path = folder() + "/" + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    void writeManifest(const QByteArray& json) { writeFile("manifest.json", json); }

    // A manifest with metadata `metadata` and the given arrays' bodies; a null
    // body leaves the array out.
    static QByteArray manifest(const QByteArray& metadata, const char* sfx, const char* ambient)
    {
        QByteArray json = "{\"metadata\": " + metadata;
        if (sfx)
            json += ", \"sfx\": [" + QByteArray(sfx) + "]";
        if (ambient)
            json += ", \"ambient\": [" + QByteArray(ambient) + "]";
        return json + "}";
    }

    static QByteArray entry(const char* id, const char* name, const char* path)
    {
        return QByteArray("{\"id\": \"") + id + "\", \"name\": \"" + name + "\", \"path\": \"" + path + "\"}";
    }

private slots:
    void init()
    {
        dir_.emplace();
        QVERIFY(dir_->isValid());
        qputenv("XDG_DATA_HOME", (dir_->path() + "/home").toUtf8());
        qputenv("XDG_DATA_DIRS", (dir_->path() + "/share").toUtf8());
    }

    void cleanup() { dir_.reset(); }

    void versions_data()
    {
        QTest::addColumn<QByteArray>("metadata");
        QTest::addColumn<bool>("loads");
        QTest::newRow("1.1") << QByteArray(R"({"version": "1.1"})") << true;
        QTest::newRow("1.9") << QByteArray(R"({"version": "1.9"})") << true;
        QTest::newRow("1.0") << QByteArray(R"({"version": "1.0"})") << false;
        QTest::newRow("0.9") << QByteArray(R"({"version": "0.9"})") << false;
        QTest::newRow("2.0") << QByteArray(R"({"version": "2.0"})") << false;
        QTest::newRow("2.1") << QByteArray(R"({"version": "2.1"})") << false;
        QTest::newRow("missing") << QByteArray("{}") << false;
        QTest::newRow("not a string") << QByteArray(R"({"version": 1.1})") << false;
        QTest::newRow("beyond 8 bits") << QByteArray(R"({"version": "1.256"})") << false;
    }

    void versions()
    {
        QFETCH(QByteArray, metadata);
        QFETCH(bool, loads);
        writeFile("a.ogg", "a");
        writeManifest(manifest(metadata, entry("a", "A", "a.ogg"), ""));
        if (loads) {
            const SfxManifest m;
            QVERIFY(m.HasEffectId("a"));
        } else {
            QCOMPARE(thrownBy([] { SfxManifest m; }), QString("runtime_error: Unsupported sfx manifest version"));
        }
    }

    void loadsCatalogueInFileOrder()
    {
        writeFile("rain.ogg", "r");
        writeFile("amb/wind.ogg", "w");
        writeFile("door.ogg", "d");
        writeFile("bell.ogg", "b");
        writeManifest(manifest(R"({"version": "1.1", "count": 5, "ambientCount": 5})",
                               entry("rain", "Rain", "rain.ogg") + "," + entry("door", "Door", "door.ogg") + ","
                                   + entry("bell", "Bell", "bell.ogg"),
                               entry("wind", "Wind", "amb/wind.ogg")));
        const SfxManifest m;
        QCOMPARE(ids(m.SoundEffects()), QStringList({"rain", "door", "bell"}));
        QCOMPARE(ids(m.AmbientEffects()), QStringList({"wind"}));
        QCOMPARE(m.path("door"), std::optional<std::string>((folder() + "/door.ogg").toStdString()));
        QCOMPARE(m.path("wind"), std::optional<std::string>((folder() + "/amb/wind.ogg").toStdString()));
        QCOMPARE(m.SoundEffects().GetPath(2), (folder() + "/bell.ogg").toStdString());
        QCOMPARE(m.type("wind"), std::optional<SfxType>(SfxType::AMBIENT));
        QCOMPARE(m.type("rain"), std::optional<SfxType>(SfxType::PRIMARY));
        QCOMPARE(m.displayName("bell"), std::optional<std::string>("Bell"));
        QVERIFY(!m.HasEffectId("nothing"));
        QVERIFY(!m.path("nothing") && !m.type("nothing") && !m.displayName("nothing"));

        // A copy stands on its own.
        SfxManifest copy(m);
        const SfxManifest other = copy;
        QCOMPARE(ids(other.SoundEffects()), ids(m.SoundEffects()));
        QCOMPARE(other.displayName("wind"), std::optional<std::string>("Wind"));
    }

    void missingFilesAreListed()
    {
        writeFile("here.ogg", "h");
        writeManifest(manifest(R"({"version": "1.1"})",
                               entry("gone", "Gone", R"(sub\\gone.ogg)") + "," + entry("here", "Here", "here.ogg") + ","
                                   + entry("lost", "Lost", "lost.ogg"),
                               ""));
        const QString expected = "runtime_error: " + kInstallFailed + "\tMissing: " + folder() + "/sub/gone.ogg\n"
                                 + "\tMissing: " + folder() + "/lost.ogg\n";
        QCOMPARE(thrownBy([] { SfxManifest m; }), expected);
    }

    void backslashPathsAreFound()
    {
        writeFile("sub/deep/a.ogg", "a");
        writeManifest(manifest(R"({"version": "1.1"})", entry("a", "A", R"(sub\\deep\\a.ogg)"), ""));
        const SfxManifest m;
        QCOMPARE(m.path("a"), std::optional<std::string>((folder() + "/sub/deep/a.ogg").toStdString()));
    }

    void idInBothListsAnswersPrimary()
    {
        writeFile("p.ogg", "p");
        writeFile("b.ogg", "b");
        writeManifest(
            manifest(R"({"version": "1.1"})", entry("x", "Primary", "p.ogg"), entry("x", "Ambient", "b.ogg")));
        const SfxManifest m;
        QCOMPARE(m.type("x"), std::optional<SfxType>(SfxType::PRIMARY));
        QCOMPARE(m.path("x"), std::optional<std::string>((folder() + "/p.ogg").toStdString()));
        // The ambient list is read first, so its name is the one kept.
        QCOMPARE(m.displayName("x"), std::optional<std::string>("Ambient"));
    }

    void refusedDocuments_data()
    {
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        const QByteArray one = entry("a", "A", "a.ogg");
        QTest::newRow("not JSON") << QByteArray("{\"metadata\": ")
                                  << "runtime_error: Error parsing sound effects manifest";
        QTest::newRow("empty file") << QByteArray() << "runtime_error: Error parsing sound effects manifest";
        QTest::newRow("no metadata") << QByteArray("{\"sfx\": [], \"ambient\": []}")
                                     << "runtime_error: No metadata available for sound effects";
        QTest::newRow("metadata not an object") << QByteArray("{\"metadata\": 3, \"sfx\": [], \"ambient\": []}")
                                                << "runtime_error: No metadata available for sound effects";
        QTest::newRow("top level array") << QByteArray("[1, 2]")
                                         << "runtime_error: No metadata available for sound effects";
        QTest::newRow("no ambient") << manifest(R"({"version": "1.1"})", one, nullptr)
                                    << "runtime_error: No sound effects available";
        QTest::newRow("no sfx") << manifest(R"({"version": "1.1"})", nullptr, "")
                                << "runtime_error: No sound effects available";
        QTest::newRow("sfx not an array") << QByteArray(R"({"metadata": {"version": "1.1"}, "sfx": {}, "ambient": []})")
                                          << "runtime_error: No sound effects available";
        QTest::newRow("entry without path") << manifest(R"({"version": "1.1"})", R"({"id": "a", "name": "A"})", "")
                                            << "runtime_error: Invalid sound effects manifest: entry 0 of \"sfx\" "
                                               "needs the strings \"id\", \"name\" and \"path\"";
        QTest::newRow("id not a string") << manifest(R"({"version": "1.1"})", "",
                                                     one + R"(, {"id": 7, "name": "A", "path": "a.ogg"})")
                                         << "runtime_error: Invalid sound effects manifest: entry 1 of \"ambient\" "
                                            "needs the strings \"id\", \"name\" and \"path\"";
        QTest::newRow("entry not an object") << manifest(R"({"version": "1.1"})", "\"a.ogg\"", "")
                                             << "runtime_error: Invalid sound effects manifest: entry 0 of \"sfx\" "
                                                "needs the strings \"id\", \"name\" and \"path\"";
        // Read without recursion: depth costs no stack.
        const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
        QTest::newRow("entry nested 100 000 deep")
            << manifest(R"({"version": "1.1"})", "", one + ", " + deep)
            << "runtime_error: Invalid sound effects manifest: entry 1 of \"ambient\" "
               "needs the strings \"id\", \"name\" and \"path\"";
        QTest::newRow("cut short 100 000 deep")
            << "{\"metadata\": " + QByteArray(100000, '[') << "runtime_error: Error parsing sound effects manifest";
        QTest::newRow("text after the document") << manifest(R"({"version": "1.1"})", one, "") + " {}"
                                                 << "runtime_error: Error parsing sound effects manifest";
        QTest::newRow("version null") << manifest(R"({"version": null})", one, "")
                                      << "runtime_error: Unsupported sfx manifest version";
        QTest::newRow("metadata null") << QByteArray(R"({"metadata": null, "sfx": [], "ambient": []})")
                                       << "runtime_error: No metadata available for sound effects";
        QTest::newRow("ambient null") << manifest(R"({"version": "1.1"})", one, "null").replace("[null]", "null")
                                      << "runtime_error: No sound effects available";
    }

    void refusedDocuments()
    {
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        writeFile("a.ogg", "a");
        writeManifest(json);
        QCOMPARE(thrownBy([] { SfxManifest m; }), expected);
    }

    // "count" and "ambientCount" only reserve slots; the lists grow past them.
    void counts_data()
    {
        QTest::addColumn<QByteArray>("metadata");
        QTest::addColumn<QString>("expected");
        QTest::newRow("0") << QByteArray(R"({"version": "1.1", "count": 0, "ambientCount": 0})") << "";
        QTest::newRow("missing") << QByteArray(R"({"version": "1.1"})") << "";
        QTest::newRow("fewer than entries") << QByteArray(R"({"version": "1.1", "count": 1, "ambientCount": 1})") << "";
        QTest::newRow("not a number") << QByteArray(R"({"version": "1.1", "count": "7"})") << "";
        QTest::newRow("-1") << QByteArray(R"({"version": "1.1", "count": -1})")
                            << "invalid_argument: Size is too large";
        QTest::newRow("-5") << QByteArray(R"({"version": "1.1", "count": -5})")
                            << "invalid_argument: Size is too large";
        QTest::newRow("ambient -1") << QByteArray(R"({"version": "1.1", "ambientCount": -1})")
                                    << "invalid_argument: Size is too large";
    }

    void counts()
    {
        QFETCH(QByteArray, metadata);
        QFETCH(QString, expected);
        QByteArray entries;
        for (const char* id : {"e0", "e1", "e2", "e3", "e4", "e5", "e6"}) {
            writeFile(QString(id) + ".ogg", id);
            entries += (entries.isEmpty() ? "" : ",") + entry(id, id, (QByteArray(id) + ".ogg").constData());
        }
        writeManifest(manifest(metadata, entries, entries));
        if (!expected.isEmpty()) {
            QCOMPARE(thrownBy([] { SfxManifest m; }), expected);
            return;
        }
        const SfxManifest m;
        const QStringList all{"e0", "e1", "e2", "e3", "e4", "e5", "e6"};
        QCOMPARE(ids(m.SoundEffects()), all);
        QCOMPARE(ids(m.AmbientEffects()), all);
        QCOMPARE(m.path("e6"), std::optional<std::string>((folder() + "/e6.ogg").toStdString()));
    }

    void noManifest_data()
    {
        QTest::addColumn<QByteArray>("dataDirs");
        QTest::newRow("no file") << QByteArray();
        // Only absolute entries count, so the list has one location.
        QTest::newRow("one generic location") << QByteArray("relative/share");
    }

    void noManifest()
    {
        QFETCH(QByteArray, dataDirs);
        if (!dataDirs.isEmpty()) {
            writeFile("a.ogg", "a");
            writeManifest(manifest(R"({"version": "1.1"})", entry("a", "A", "a.ogg"), ""));
            qputenv("XDG_DATA_DIRS", dataDirs);
        }
        vand::test::StreamCapture out(std::cout);
        const SfxManifest m;
        QCOMPARE(out.text(), kNoManifest + kNoManifest);
        QCOMPARE(m.SoundEffects().Count(), 0u);
        QCOMPARE(m.AmbientEffects().Count(), 0u);
        QVERIFY(!m.HasEffectId("a"));
    }

private:
    std::optional<QTemporaryDir> dir_;
};

QTEST_APPLESS_MAIN(TestSfxManifest)
#include "tst_sfx_manifest.moc"
