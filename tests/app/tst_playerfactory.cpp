#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QObject>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "app/PelorinPlayerFactory.h"

namespace {

// The product's identity without its engine (the engine is not part of these tests).
class IdentityOnly : public vand::qt::PelorinPlayerFactory
{
public:
    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString&,
                                                         std::shared_ptr<vand::PlayerOscCallback>) override
    {
        throw std::logic_error("no engine in this test");
    }
};

class BareFactory : public vand::PlayerFactory
{
public:
    std::unique_ptr<AudioInterface> CreateAudioInterface(const QString&,
                                                         std::shared_ptr<vand::PlayerOscCallback>) override
    {
        throw std::logic_error("no engine in this test");
    }
};

} // namespace

class TestPlayerFactory : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> dir;
    QString dataHome;

private slots:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
        // Points the shared data location at a folder that does not exist yet.
        dataHome = dir->filePath("home/.local/share");
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
    }

    // The version users see is the project's, from the factory's numbers.
    void versionIsTheProjectVersion()
    {
        IdentityOnly factory;
        QCOMPARE(factory.VersionString(), QStringLiteral(VAND_VERSION));
        QCOMPARE(factory.BuildIdentifier(), QStringLiteral(VAND_BUILD_IDENTIFIER));
    }

    void logosAreImagesOfTheBuild_data()
    {
        QTest::addColumn<QString>("url");
        const IdentityOnly factory;
        QTest::newRow("About window") << factory.aboutLogoUrl;
        QTest::newRow("main window corner") << factory.cornerLogoUrl;
    }

    // The logo addresses reach images compiled into the application.
    void logosAreImagesOfTheBuild()
    {
        QFETCH(QString, url);
        const QUrl address(url);
        QCOMPARE(address.scheme(), QStringLiteral("qrc"));
        QImageReader reader(QLatin1Char(':') + address.path());
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(url + ": " + reader.errorString()));
    }

    void baseIdentity()
    {
        BareFactory factory;
        QCOMPARE(factory.VersionString(), QString("0.0.0"));
        const QList<bool> switches{factory.showAlbumArt, factory.showAudioManager,   factory.showFade,
                                   factory.showScore,    factory.showMixer,          factory.timelineFadeRegion,
                                   factory.oscEnabled,   factory.hideClickToolNotice};
        QCOMPARE(switches, (QList<bool>{false, false, false, false, false, true, true, false}));
        factory.versionMajor = 10;
        factory.versionMinor = 0;
        factory.versionPatch = 123;
        QCOMPARE(factory.VersionString(), QString("10.0.123"));
        factory.buildIdentifier = "rc2";
        QCOMPARE(factory.BuildIdentifier(), QString("rc2"));
    }

    void mixerControllerIsNotMade()
    {
        IdentityOnly factory;
        QObject mixerItem;
        QVERIFY(!factory.CreateMixerController(&mixerItem, nullptr, nullptr, nullptr));
    }

    void dataAndErrorLogFoldersAreCreatedAsOne()
    {
        IdentityOnly factory;
        const QString expected = QDir::cleanPath(dataHome + "/pelorin");
        QVERIFY(!QDir(expected).exists());

        const QString data = factory.DataFolderPath();
        QCOMPARE(data, expected);
        QVERIFY(QDir(data).exists());
        QVERIFY(!data.contains("/./") && !data.contains("/../"));

        const std::string errorFolder = factory.ErrorLogFolder();
        QCOMPARE(QDir::cleanPath(QString::fromStdString(errorFolder)), expected);
    }

    void errorLogFolderIsCreatedWithParents()
    {
        IdentityOnly factory;
        const std::string folder = factory.ErrorLogFolder();
        QVERIFY(std::filesystem::is_directory(folder));
        QCOMPARE(QDir::cleanPath(QString::fromStdString(folder)), QDir::cleanPath(dataHome + "/pelorin"));
    }

    void existingFolderIsLeftAlone()
    {
        IdentityOnly factory;
        QVERIFY(QDir().mkpath(dataHome + "/pelorin"));
        QFile kept(dataHome + "/pelorin/general_settings.vand");
        QVERIFY(kept.open(QIODevice::WriteOnly));
        kept.write("[General]\n");
        kept.close();
        QCOMPARE(factory.DataFolderPath(), QDir::cleanPath(dataHome + "/pelorin"));
        QCOMPARE(QDir::cleanPath(QString::fromStdString(factory.ErrorLogFolder())),
                 QDir::cleanPath(dataHome + "/pelorin"));
        QVERIFY(kept.exists());
        QCOMPARE(kept.size(), qint64(10));
    }

    void errorLogFolderThatCannotBeMadeThrows()
    {
        QFile blocker(dir->filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir->filePath("blocker/share")));
        IdentityOnly factory;
        QVERIFY_THROWS_EXCEPTION(std::filesystem::filesystem_error, factory.ErrorLogFolder());
    }
};

QTEST_GUILESS_MAIN(TestPlayerFactory)
#include "tst_playerfactory.moc"
