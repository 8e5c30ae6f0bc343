#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>
#include <memory>

#include "AppFixture.h"
#include "CL/Editor.h"
#include "kit/Log.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "notify/CallbackDispatcher.h"

using app_test::EngineScript;
using app_test::TestEngine;
using vand::ShowManager;
using vand::qt::EditModel;

namespace {

namespace fs = std::filesystem;

// Songs whose numbers sort differently as text and as numbers.
vand::player::ShowDefinition NumberedShow()
{
    vand::player::ShowDefinition show = vand::demo::DemoShowDefinition();
    show.songs.resize(3);
    const char* numbers[] = {"1", "2", "10"};
    for (int i = 0; i < 3; ++i) {
        show.songs[i].number = numbers[i];
        show.songs[i].name = std::string("Song ") + numbers[i];
        show.songs[i].audio = std::string("audio/") + numbers[i] + ".wav";
    }
    return show;
}

vand::demo::AudioStyle Silent()
{
    vand::demo::AudioStyle style;
    style.format = vand::demo::AudioStyle::Format::Wav;
    style.sampleRate = 8000;
    style.channels = 1;
    style.silent = true;
    return style;
}

// The texts of the message-box windows open now, oldest first.
QStringList WarningTexts()
{
    QStringList texts;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        auto* view = qobject_cast<QQuickView*>(window);
        if (view && view->isVisible() && view->rootObject())
            texts << view->rootObject()->property("text").toString();
    }
    return texts;
}

void CloseWarnings()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (qobject_cast<QQuickView*>(window))
            window->close();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace

class TestShowManager : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    fs::path data;

    std::shared_ptr<TestEngine> Engine(const fs::path& show, std::shared_ptr<EngineScript> script = nullptr)
    {
        if (!script)
            script = std::make_shared<EngineScript>();
        return std::make_shared<TestEngine>(show.string(), data.string(), script);
    }

    fs::path DemoShow(const std::string& name, const CL::ChangeLog* log = nullptr)
    {
        const fs::path folder = fs::path(dir.path().toStdString()) / name;
        vand::demo::DemoOptions options;
        options.small = true;
        options.withChangeLog = log == nullptr;
        vand::demo::WriteDemoShow(folder, options);
        if (log)
            log->SaveToFile(folder / CL::ChangeLog::MakeFileName(vand::demo::kDemoShowName, log->GetVersion()));
        return folder;
    }

private slots:
    void initTestCase()
    {
        data = fs::path(dir.path().toStdString()) / "data";
        fs::create_directories(data);
    }

    void cleanup()
    {
        CloseWarnings();
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    void songTableFollowsTheEnginesNumberOrder()
    {
        const fs::path folder = fs::path(dir.path().toStdString()) / "numbered";
        vand::demo::WriteShowFolder(folder, NumberedShow(), Silent());
        ShowManager manager(Engine(folder));

        std::vector<std::string> order;
        for (const auto& [number, name] : manager.GetSongList())
            order.push_back(number);
        QCOMPARE(order, (std::vector<std::string>{"1", "2", "10"}));
        QCOMPARE(manager.GetSongList().back().second, std::string("Song 10"));
        QCOMPARE(manager.GetSongTable().size(), std::size_t(3));
        QCOMPARE(fs::canonical(manager.GetShowFolder()), fs::canonical(folder));
        QVERIFY(manager.GetEditor() != nullptr);
    }

    void secondPlayerIsRefused()
    {
        ShowManager manager(Engine(DemoShow("refused")));
        try {
            manager.SetPlayer(Engine(DemoShow("refused2")));
            QFAIL("a second player was accepted");
        } catch (const std::runtime_error& e) {
            QCOMPARE(std::string(e.what()),
                     std::string("You must delete the previous player before instantiating a new one!"));
        }
    }

    void releasedManagerIgnoresChangeLogSwitch()
    {
        auto script = std::make_shared<EngineScript>();
        ShowManager manager(Engine(DemoShow("released"), script));
        manager.ReleasePlayer();
        QVERIFY(!manager.GetPlayer());
        script->Take();
        manager.SetChangelogFilename("Demo Show-1.0.logdata");
        QVERIFY(script->Take().empty());
        // A second release finds nothing to shut down and does not throw.
        manager.ReleasePlayer();
    }

    // A player that fails to shut down is still let go, and the failure is
    // said in the log rather than swallowed.
    void failedShutdownIsLoggedAndThePlayerReleased()
    {
        auto script = std::make_shared<EngineScript>();
        ShowManager manager(Engine(DemoShow("failing shutdown"), script));
        std::weak_ptr<Interface> player = manager.GetPlayer();
        script->failing = {"Shutdown"};
        QStringList lines;
        kit::SetLogSink([&lines](kit::LogLevel, std::string_view, std::string_view text) {
            lines << QString::fromUtf8(text.data(), qsizetype(text.size()));
        });
        manager.ReleasePlayer();
        kit::SetLogSink({});
        QCOMPARE(lines, QStringList{"Shutting the player down failed: engine refused Shutdown"});
        QVERIFY(!manager.GetPlayer());
        QCOMPARE(manager.GetEditor(), nullptr);
        QVERIFY(player.expired());
    }

    void changeLogSwitchPausesAndRefreshesTheEditor()
    {
        auto script = std::make_shared<EngineScript>();
        ShowManager manager(Engine(DemoShow("switch"), script));
        script->Take();
        manager.SetChangelogFilename("Demo Show-1.0.logdata");
        QCOMPARE(script->Take(), (QStringList{"SetChangelogFilename(Demo Show-1.0.logdata)", "Pause(false)"}));
        QCOMPARE(manager.GetEditor(), manager.GetPlayer()->GetChangeLogEditor());
    }

    void warningWindows_data()
    {
        QTest::addColumn<bool>("tempo");
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("loops");
        QTest::addColumn<QStringList>("atLoad");
        QTest::addColumn<QStringList>("atSwitch");

        const QString loops = QStringLiteral(
            "We have detected and automatically fixed some unusual change log edits. Please review the following "
            "changes to ensure that they work as you expect.\n\nloop A\nloop B");
        QTest::newRow("none") << false << false << false << QStringList() << QStringList();
        QTest::newRow("all three") << true << true << true << QStringList{"tempo note", "click note", loops}
                                   << QStringList{"click note", "tempo note", loops};
        QTest::newRow("loops only") << false << false << true << QStringList{loops} << QStringList{loops};
        QTest::newRow("click only") << false << true << false << QStringList{"click note"} << QStringList{"click note"};
    }

    void warningWindows()
    {
        QFETCH(bool, tempo);
        QFETCH(bool, click);
        QFETCH(bool, loops);
        QFETCH(QStringList, atLoad);
        QFETCH(QStringList, atSwitch);

        auto script = std::make_shared<EngineScript>();
        script->tempoScaleWarnings = tempo ? "tempo note" : "";
        script->modifiedClickEdits = click ? "click note" : "";
        script->fixedLoopCount = loops ? 2 : 0;
        script->fixedLoopDescription = "loop A\nloop B";

        ShowManager manager(Engine(DemoShow(QTest::currentDataTag()), script));
        QCOMPARE(WarningTexts(), atLoad);
        CloseWarnings();
        QCOMPARE(WarningTexts(), QStringList());

        manager.SetChangelogFilename("Demo Show-1.0.logdata");
        QCOMPARE(WarningTexts(), atSwitch);
    }

    void editModelPausesAndReadsTheVersion_data()
    {
        QTest::addColumn<int>("minor");
        QTest::addColumn<bool>("needsUpload");
        QTest::newRow("shared 2.0") << 0 << false;
        QTest::newRow("local 2.3") << 3 << true;
    }

    void editModelPausesAndReadsTheVersion()
    {
        QFETCH(int, minor);
        QFETCH(bool, needsUpload);

        CL::ChangeLog log = vand::demo::DemoChangeLog(vand::demo::DemoShowDefinition());
        log.SetVersion({2, static_cast<UInt16>(minor)});
        auto script = std::make_shared<EngineScript>();
        auto manager = std::make_shared<ShowManager>(
            Engine(DemoShow(std::string("version") + QTest::currentDataTag(), &log), script));

        bool published = !needsUpload;
        struct Target
        {
        } target;
        notify::callbackDispatcher.AddCallback(&target, notify::names::editModelChangeLogNeedsUpload,
                                               [&](void* data) { published = *static_cast<bool*>(data); });
        script->Take();
        EditModel model(manager, true);
        notify::callbackDispatcher.RemoveCallbacksForTarget(&target);

        QCOMPARE(model.needsUpload, needsUpload);
        QCOMPARE(published, needsUpload);
        QVERIFY(!model.needsSave);
        QVERIFY(model.selectedEvent == nullptr);
        QCOMPARE(model.song, manager->GetCurrentSongNumber());
        QCOMPARE(script->Take(), QStringList{"Pause(false)"});
    }

    void markerRowsFollowTheMarkers()
    {
        auto manager = std::make_shared<ShowManager>(Engine(DemoShow("markers")));
        EditModel model(manager, true);
        const auto markers = model.GetMarkers();
        QVERIFY(markers.size() >= 2);
        QCOMPARE(model.markers.size(), markers.size());
        QCOMPARE(model.markerRows.size(), markers.size());
        for (std::size_t row = 0; row < markers.size(); ++row) {
            QCOMPARE(model.markers[row], markers[row].first);
            QCOMPARE(model.markerRows.at(markers[row].first->start()), int(row));
            QCOMPARE(markers[row].second, manager->GetBarString(int(markers[row].first->start())));
        }
    }

    void markerRowsEmptyWithoutMarkers()
    {
        CL::ChangeLog empty;
        empty.SetVersion({1, 0});
        empty.SetShowIdentifier(vand::demo::kDemoIdentifier);
        auto manager = std::make_shared<ShowManager>(Engine(DemoShow("nomarkers", &empty)));
        EditModel model(manager, false);
        model.markerRows[5] = 1; // left over from an earlier song
        QVERIFY(model.GetMarkers().empty());
        QVERIFY(model.markers.empty());
        QVERIFY(model.markerRows.empty());
    }
};

QTEST_MAIN(TestShowManager)
#include "tst_showmanager.moc"
