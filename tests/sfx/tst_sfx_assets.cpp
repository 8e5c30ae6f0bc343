#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "kit/Log.h"
#include "sfx/AssetManager.h"

using vand::AssetManager;

namespace {

// Requires what the manager reads, as a real asset schema does.
const QByteArray kSchema = R"({
  "type": "object",
  "required": ["filetype", "version", "assets"],
  "properties": {
    "filetype": {"type": "string"},
    "version": {"type": "string"},
    "assets": {
      "type": "array",
      "items": {
        "type": "object",
        "required": ["type", "id", "group", "name", "filename"],
        "properties": {
          "type": {"type": "string"}, "id": {"type": "string"}, "group": {"type": "string"},
          "name": {"type": "string"}, "filename": {"type": "string"}
        }
      }
    }
  }
})";

QByteArray asset(const char* id, const char* filename)
{
    return QByteArray(R"({"type": "image", "id": ")") + id + R"(", "group": "g", "name": "Name )" + id
           + R"(", "filename": ")" + filename + "\"}";
}

QByteArray manifest(const char* version, const QByteArray& assets, const char* filetype = "vand_assets")
{
    return QByteArray(R"({"filetype": ")") + filetype + R"(", "version": ")" + version + R"(", "assets": [)" + assets
           + "]}";
}

// Log lines of the library, caught through the one kit of the process.
class LogCapture
{
public:
    LogCapture()
    {
        kit::SetLogSink([this](kit::LogLevel, std::string_view area, std::string_view text) {
            lines.push_back(std::string(area) + ": " + std::string(text));
        });
    }
    ~LogCapture() { kit::SetLogSink({}); }
    std::vector<std::string> lines;
};

} // namespace

class TestSfxAssets : public QObject
{
    Q_OBJECT

private:
    QString path(const QString& relative) const { return dir_->path() + "/" + relative; }

    void write(const QString& relative, const QByteArray& bytes)
    {
        QVERIFY(QDir().mkpath(QFileInfo(path(relative)).absolutePath()));
        QFile file(path(relative));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QCOMPARE(file.write(bytes), bytes.size());
    }

    // Builds a manager from manifest.json, schema.json and the folder
    // "assets"; the exception's text when it throws.
    QString load(std::optional<AssetManager>& manager)
    {
        try {
            manager.emplace(path("manifest.json").toStdString(), path("schema.json").toStdString(),
                            path("assets").toStdString());
        } catch (const vand::BadFileException& e) {
            return e.what();
        }
        return {};
    }

    QString loadError()
    {
        std::optional<AssetManager> manager;
        return load(manager);
    }

private slots:
    void init()
    {
        dir_.emplace();
        QVERIFY(dir_->isValid());
        write("schema.json", kSchema);
        write("assets/a.bin", "alpha");
        write("assets/sub/b.bin", "beta");
    }

    void cleanup() { dir_.reset(); }

    void versions_data()
    {
        QTest::addColumn<QByteArray>("version");
        QTest::addColumn<bool>("loads");
        QTest::newRow("1.0") << QByteArray("1.0") << true;
        QTest::newRow("0.7") << QByteArray("0.7") << true;
        QTest::newRow("0.0") << QByteArray("0.0") << true;
        QTest::newRow("1.1") << QByteArray("1.1") << false;
        QTest::newRow("2.0") << QByteArray("2.0") << false;
        // Each number is a whole int, not cut to 8 bits.
        QTest::newRow("1.256") << QByteArray("1.256") << false;
        QTest::newRow("256.0") << QByteArray("256.0") << false;
        QTest::newRow("no minor") << QByteArray("1") << false;
        QTest::newRow("not a number") << QByteArray("one.zero") << false;
    }

    void versions()
    {
        QFETCH(QByteArray, version);
        QFETCH(bool, loads);
        write("manifest.json", manifest(version.constData(), asset("a", "a.bin") + "," + asset("b", "sub/b.bin")));
        LogCapture log;
        std::optional<AssetManager> manager;
        QCOMPARE(load(manager), QString());
        QCOMPARE(log.lines.size(), loads ? 0u : 1u);
        if (loads) {
            QCOMPARE(manager->GetAsset("a").Data(), std::vector<unsigned char>({'a', 'l', 'p', 'h', 'a'}));
            QCOMPARE(manager->GetAsset("b").Descriptor().SourceFilename(), std::string("sub/b.bin"));
        } else {
            QVERIFY_THROWS_EXCEPTION(std::out_of_range, manager->GetAsset("a"));
            QVERIFY2(log.lines.front().find("\"" + version.toStdString() + "\"") != std::string::npos,
                     log.lines.front().c_str());
        }
    }

    void keepsExactBytesAndDescriptor()
    {
        const QByteArray bytes("line\r\nnext\r\n\0tail\n\x1a\xff", 19);
        write("assets/raw.dat", bytes);
        write("manifest.json",
              R"({"filetype": "vand_assets", "version": "1.0", "assets": [{"type": "sound", "id": "raw",
                  "group": "intro", "name": "Raw data", "filename": "raw.dat"}]})");
        std::optional<AssetManager> manager;
        QCOMPARE(load(manager), QString());
        const vand::Asset& raw = manager->GetAsset("raw");
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(raw.Data().data()), qsizetype(raw.Data().size())), bytes);
        const vand::AssetDescriptor& d = raw.Descriptor();
        QCOMPARE(d.Type(), std::string("sound"));
        QCOMPARE(d.Id(), std::string("raw"));
        QCOMPARE(d.Group(), std::string("intro"));
        QCOMPARE(d.Name(), std::string("Raw data"));
        QCOMPARE(d.SourceFilename(), std::string("raw.dat"));
    }

    void duplicateIdKeepsFirst()
    {
        write("manifest.json", manifest("1.0", asset("same", "a.bin") + "," + asset("same", "sub/b.bin")));
        std::optional<AssetManager> manager;
        QCOMPARE(load(manager), QString());
        QCOMPARE(manager->GetAsset("same").Descriptor().SourceFilename(), std::string("a.bin"));
    }

    void unknownIdThrows()
    {
        write("manifest.json", manifest("1.0", asset("a", "a.bin")));
        std::optional<AssetManager> manager;
        QCOMPARE(load(manager), QString());
        QVERIFY_THROWS_EXCEPTION(std::out_of_range, manager->GetAsset("b"));
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("schema");
        QTest::addColumn<QByteArray>("json");
        QTest::addColumn<QString>("expected");
        QTest::newRow("schema not JSON") << QByteArray("{\"type\": ") << QByteArray("not json either")
                                         << "Asset Manager Schema Document is not Valid";
        QTest::newRow("manifest not JSON")
            << kSchema << QByteArray("{\"filetype\": ") << "Asset Manager Failed Validation";
        QTest::newRow("breaks the schema")
            << kSchema << QByteArray(R"({"filetype": "vand_assets", "version": "1.0"})")
            << "Asset Manager Failed Validation: Invalid schema: #\nInvalid keyword: required\nInvalid document: #\n";
        QTest::newRow("wrong file type") << kSchema << manifest("1.0", asset("a", "a.bin"), "vand_asset")
                                         << "Wrong File Type String";
        QTest::newRow("missing file") << kSchema << manifest("1.0", asset("a", "a.bin") + "," + asset("n", "none.bin"))
                                      << "Unable to read file <dir>/assets/none.bin";
        QTest::newRow("folder as file") << kSchema << manifest("1.0", asset("s", "sub"))
                                        << "Unable to read file <dir>/assets/sub";
        QTest::newRow("duplicate with missing file")
            << kSchema << manifest("1.0", asset("a", "a.bin") + "," + asset("a", "none.bin"))
            << "Unable to read file <dir>/assets/none.bin";
        // The manager reads only inside its folder.
        QTest::newRow("parent folder") << kSchema << manifest("1.0", asset("x", "../outside.bin"))
                                       << "Asset file name leads out of the asset folder: ../outside.bin";
        QTest::newRow("climbs out") << kSchema << manifest("1.0", asset("x", "sub/../../outside.bin"))
                                    << "Asset file name leads out of the asset folder: sub/../../outside.bin";
        QTest::newRow("absolute") << kSchema << manifest("1.0", asset("x", "<dir>/outside.bin"))
                                  << "Asset file name leads out of the asset folder: <dir>/outside.bin";
        // With a schema that checks nothing, the manager still reads safely.
        QTest::newRow("no filetype") << QByteArray("{}") << QByteArray(R"({"version": "1.0", "assets": []})")
                                     << "Wrong File Type String";
        QTest::newRow("no assets") << QByteArray("{}") << QByteArray(R"({"filetype": "vand_assets", "version": "1.0"})")
                                   << "Asset Manager manifest has no \"assets\" array";
        QTest::newRow("asset without name")
            << QByteArray("{}")
            << QByteArray(
                   R"({"filetype": "vand_assets", "version": "1.0", "assets": [{"type": "t", "id": "i", "group": "g", "filename": "a.bin"}]})")
            << "Asset Manager asset 0 has no string \"name\"";
        QTest::newRow("asset not an object")
            << QByteArray("{}") << manifest("1.0", "\"a.bin\"") << "Asset Manager asset 0 has no string \"type\"";
        QTest::newRow("top level array") << QByteArray("{}") << QByteArray("[]") << "Wrong File Type String";
        // Schema and manifest nest at most 64 levels (the root is the first).
        const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
        const QString tooDeep = "Asset Manager Failed Validation: the manifest nests deeper than 64 levels";
        const auto nested = [](int levels) { return QByteArray(levels, '[') + QByteArray(levels, ']'); };
        QTest::newRow("asset nested 100 000 deep") << QByteArray("{}") << manifest("1.0", deep) << tooDeep;
        QTest::newRow("extra member 64 deep")
            << kSchema
            << QByteArray(R"({"filetype": "vand_asset", "version": "1.0", "assets": [], "x": )") + nested(63) + "}"
            << "Wrong File Type String";
        QTest::newRow("extra member 65 deep")
            << kSchema
            << QByteArray(R"({"filetype": "vand_asset", "version": "1.0", "assets": [], "x": )") + nested(64) + "}"
            << tooDeep;
        QTest::newRow("schema 64 deep") << QByteArray(R"({"x": )") + nested(63) + "}"
                                        << manifest("1.0", asset("a", "a.bin"), "vand_asset")
                                        << "Wrong File Type String";
        QTest::newRow("schema 65 deep") << QByteArray(R"({"x": )") + nested(64) + "}"
                                        << manifest("1.0", asset("a", "a.bin"))
                                        << "Asset Manager Schema Document is not Valid";
        QTest::newRow("schema 100 000 deep")
            << QByteArray(R"({"x": )") + deep + "}" << manifest("1.0", asset("a", "a.bin"))
            << "Asset Manager Schema Document is not Valid";
        QTest::newRow("manifest cut short 100 000 deep")
            << kSchema << QByteArray(100000, '[') << "Asset Manager Failed Validation";
        QTest::newRow("schema cut short 100 000 deep")
            << QByteArray(100000, '[') << manifest("1.0", asset("a", "a.bin"))
            << "Asset Manager Schema Document is not Valid";
        QTest::newRow("filetype null") << QByteArray("{}")
                                       << QByteArray(R"({"filetype": null, "version": "1.0", "assets": []})")
                                       << "Wrong File Type String";
        QTest::newRow("assets null") << QByteArray("{}")
                                     << QByteArray(R"({"filetype": "vand_assets", "version": "1.0", "assets": null})")
                                     << "Asset Manager manifest has no \"assets\" array";
    }

    void refused()
    {
        QFETCH(QByteArray, schema);
        QFETCH(QByteArray, json);
        QFETCH(QString, expected);
        // "<dir>" stands for this test's folder, which the table cannot know.
        write("outside.bin", "secret");
        write("schema.json", schema);
        write("manifest.json", json.replace("<dir>", dir_->path().toUtf8()));
        QCOMPARE(loadError(), expected.replace("<dir>", dir_->path()));
    }

    void unreadableFilesReadAsEmpty()
    {
        QVERIFY(QFile::remove(path("schema.json")));
        write("manifest.json", manifest("1.0", asset("a", "a.bin")));
        QCOMPARE(loadError(), QString("Asset Manager Schema Document is not Valid"));
        write("schema.json", kSchema);
        QVERIFY(QFile::remove(path("manifest.json")));
        QCOMPARE(loadError(), QString("Asset Manager Failed Validation"));
    }

    // Without version checks in the schema, a missing version is an
    // unsupported one: an empty manager, not a crash.
    void missingVersionGivesEmptyManager()
    {
        write("schema.json", "{}");
        write("manifest.json", R"({"filetype": "vand_assets", "assets": []})");
        LogCapture log;
        std::optional<AssetManager> manager;
        QCOMPARE(load(manager), QString());
        QCOMPARE(log.lines.size(), 1u);
        QCOMPARE(log.lines.front().substr(0, 5), std::string("sfx: "));
    }

private:
    std::optional<QTemporaryDir> dir_;
};

QTEST_APPLESS_MAIN(TestSfxAssets)
#include "tst_sfx_assets.moc"
