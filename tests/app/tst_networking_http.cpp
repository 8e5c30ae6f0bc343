// The web API client as it stands: the file-list request fails as an
// unreachable server does, and the plan of files to fetch keeps only safe
// paths that the show folder lacks or holds with another size.

#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <fstream>

#include "vand_networking_http/NetworkApiInterface.h"

using vand::networking::ApiStatus;
using vand::networking::DownloadPlan;
using vand::networking::NetworkApiInterface;
using vand::networking::ShowFile;

Q_DECLARE_METATYPE(DownloadPlan)

namespace fs = std::filesystem;

class TestNetworkingHttp : public QObject
{
    Q_OBJECT
private slots:
    void fileListRequestFails()
    {
        NetworkApiInterface api;
        api.SetShowIdentity({"demo", "Demo Show", "Demo Theatre Company", "shows/demo"}, 1);
        QCOMPARE(api.GetShowIdentity().identifier, std::string("demo"));
        QCOMPARE(api.GetProductType(), 1);
        auto result = api.GetAllShowFiles();
        QVERIFY(result.GetStatus() != ApiStatus::API_SUCCESS);
        QVERIFY(!result.HasValue());
        QVERIFY(result.GetDisplayMessage().empty());
    }

    void validatePlan_data()
    {
        QTest::addColumn<DownloadPlan>("plan");
        QTest::addColumn<QStringList>("kept");
        const ShowFile present{"show.json", "SHOW", 0, 0, 4};
        const ShowFile resized{"show.json", "SHOW", 0, 0, 5};
        const ShowFile missing{"audio/2.ogg", "AUDIO", 0, 0, 9};
        const ShowFile nested{"audio/1.ogg", "AUDIO", 0, 0, 3};
        QTest::newRow("up to date") << DownloadPlan{present, nested} << QStringList();
        QTest::newRow("missing and resized") << DownloadPlan{present, missing, resized}
                                             << QStringList{"audio/2.ogg", "show.json"};
        QTest::newRow("a folder where a file belongs") << DownloadPlan{{"audio", "AUDIO", 0, 0, 0}}
                                                       << QStringList{"audio"};
        QTest::newRow("unsafe paths dropped")
            << DownloadPlan{{"../escape.txt", "SHOW", 0, 0, 1}, {"/etc/passwd", "SHOW", 0, 0, 1},
                            {"audio/../../x", "AUDIO", 0, 0, 1}, {"", "SHOW", 0, 0, 1},
                            {"a\\..\\b", "SHOW", 0, 0, 1}, missing}
            << QStringList{"audio/2.ogg"};
    }

    void validatePlan()
    {
        QFETCH(DownloadPlan, plan);
        QFETCH(QStringList, kept);
        QTemporaryDir dir;
        const fs::path show = fs::path(dir.path().toStdString()) / "show";
        fs::create_directories(show / "audio");
        std::ofstream(show / "show.json") << "{  }";
        std::ofstream(show / "audio" / "1.ogg") << "ogg";

        NetworkApiInterface api;
        QStringList paths;
        for (const auto& file : api.ValidateDownloadPlan(api.GetDownloadPlan(plan), show.string()))
            paths << QString::fromStdString(file.path);
        QCOMPARE(paths, kept);
    }
};

QTEST_GUILESS_MAIN(TestNetworkingHttp)
#include "tst_networking_http.moc"
