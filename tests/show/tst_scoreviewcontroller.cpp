#include <QCoreApplication>
#include <QImage>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickTextureFactory>
#include <QQuickWindow>
#include <QRegularExpression>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "DemoShow.h"
#include "QmlWarningGuard.h"
#include "ScorePackageWriter.h"
#include "app/AppQmlEngineSetup.h"
#include "cmn/ShowIdentity.h"
#include "kit/File.h"
#include "kit/Log.h"
#include "notify/EventObserver.h"
#include "show/ScoreImageProvider.h"
#include "show/ScoreViewController.h"
#include "ui/QmlController.h"
#include "vand_pelorin/OutputClock.h"
#include "vand_pelorin2/Pelorin2AudioInterface.h"

namespace fs = std::filesystem;
using vand::qt::ScoreViewController;

namespace {

const QUrl kStandInUrl("qrc:/fixtures/ScoreViewStandIn.qml");
const QUrl kViewUrl("qrc:/qt/qml/com/tarnwick/musical_ui/qml/ScoreView.qml");

// The package of these tests: a cover page, a gap at 3, two pages 5 and a
// page 99 that the show lacks. The demo show has pages 1 to 9.
const std::vector<std::string> kPageNames{"cover.png", "p1.png",   "p2.png", "p4.png",
                                          "a/p5.png",  "b/p5.png", "p6.png", "p99.png"};
const QVariantList kPageNumbers{0, 1, 2, 4, 5, 5, 6, 99};

// The log lines of the score area while alive, debug lines included.
class ScoreLog
{
public:
    ScoreLog()
    {
        kit::SetLogThreshold(kit::LogLevel::Debug);
        kit::SetLogSink([this](kit::LogLevel, std::string_view area, std::string_view text) {
            if (area == "score")
                lines << QString::fromUtf8(text.data(), qsizetype(text.size()));
        });
    }
    ~ScoreLog()
    {
        kit::SetLogSink({});
        kit::SetLogThreshold(kit::LogLevel::Info);
    }
    QStringList lines;
};

// The product's engine on a manual clock; the transport calls the score
// controller makes are recorded, and one of them can be made to fail.
class RecordingEngine : public vand::Pelorin2AudioInterface
{
public:
    RecordingEngine(const fs::path& show, const fs::path& data, std::shared_ptr<vand::player::ManualClock> clock)
        : vand::Pelorin2AudioInterface(show.string(), data.string(), nullptr, Options(clock))
        , clock_(std::move(clock))
    {
    }

    QStringList calls;
    QString failing;

    void Play() override
    {
        Record("Play");
        vand::Pelorin2AudioInterface::Play();
    }
    void Pause(bool fadeCompleted) override
    {
        Record(fadeCompleted ? "Pause(true)" : "Pause(false)");
        vand::Pelorin2AudioInterface::Pause(fadeCompleted);
    }
    void Seek(UInt32 tick) override
    {
        Record(QStringLiteral("Seek(%1)").arg(tick));
        vand::Pelorin2AudioInterface::Seek(tick);
    }
    void LoadSongAtTime(const std::string& song, UInt32 tick) override
    {
        Record(QStringLiteral("LoadSongAtTime(%1,%2)").arg(QString::fromStdString(song)).arg(tick));
        vand::Pelorin2AudioInterface::LoadSongAtTime(song, tick);
    }

    vand::player::ManualClock& Clock() { return *clock_; }

private:
    static vand::player::EngineOptions Options(std::shared_ptr<vand::player::ManualClock> clock)
    {
        vand::player::EngineOptions options;
        options.clock = std::move(clock);
        return options;
    }

    void Record(const QString& call)
    {
        calls << call;
        if (!failing.isEmpty() && call.startsWith(failing))
            throw std::runtime_error("engine refused " + failing.toStdString());
    }

    std::shared_ptr<vand::player::ManualClock> clock_;
};

} // namespace

class TestScoreViewController : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir dir;
    fs::path data;
    fs::path show;
    QQmlEngine engine;
    std::shared_ptr<RecordingEngine> player;
    std::unique_ptr<vand::qt::QmlController> view;
    std::unique_ptr<ScoreViewController> controller;

    QObject* View() { return view->GetQmlObject(); }

    void WritePackage(const std::string& bytes) { kit::WriteFileAtomically(show / "score.score", bytes); }
    void WriteTestPackage() { WritePackage(score_test::WriteTar(score_test::Pages(kPageNames))); }

    // A controller on a stand-in view (or the real view), as the main
    // controller makes it: the score read at once.
    void MakeController(const QUrl& url = kStandInUrl)
    {
        vand::test::QmlWarningGuard guard;
        view = std::make_unique<vand::qt::QmlController>(&engine, url, nullptr, true);
        QVERIFY(View());
        controller = std::make_unique<ScoreViewController>(View(), player,
                                                           std::make_shared<vand::ShowIdentityService>(data), &engine);
        controller->LoadScore();
        QTRY_VERIFY(!controller->IsReading());
        QCoreApplication::sendPostedEvents();
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // A reader that waits until released, then gives `pages` test pages.
    struct HeldReader
    {
        QSemaphore release;
        QSemaphore done;
        std::atomic<bool> sawStop{false};
        std::atomic<bool> onGuiThread{false};

        ScoreViewController::PackageReader Make(int pages)
        {
            return [this, pages](const QString&, const std::atomic<bool>& stop) {
                onGuiThread = QThread::currentThread() == QCoreApplication::instance()->thread();
                release.acquire();
                sawStop = stop.load();
                ScoreViewController::PackageRead read;
                read.found = true;
                for (int i = 1; i <= pages; ++i)
                    read.pages.push_back({i, score_test::PageBytes("p" + std::to_string(i) + ".png")});
                done.release();
                return read;
            };
        }
    };

    // The generation in the view's page URLs.
    quint64 Generation()
    {
        const QStringList urls = View()->property("imageListModel").toStringList();
        const auto match = QRegularExpression("^image://score/(\\d+)/0$").match(urls.value(0));
        return match.hasMatch() ? match.captured(1).toULongLong() : 0;
    }

private slots:
    void initTestCase()
    {
        data = fs::path(dir.path().toStdString()) / "pelorin";
        show = data / "shows" / "demo";
        vand::demo::DemoOptions options;
        options.small = true;
        options.withChangeLog = false;
        vand::demo::WriteDemoShow(show, options);
        vand::ShowIdentityService(data).SetCurrent(
            {vand::demo::kDemoIdentifier, vand::demo::kDemoShowName, vand::demo::kDemoOrganisation, "shows/demo"});
        vand::SetDefaultDataFolder(data);
        vand::qt::PrepareAppQmlEngine(engine);
    }

    void init()
    {
        fs::remove(show / "score.score");
        player = std::make_shared<RecordingEngine>(show, data, std::make_shared<vand::player::ManualClock>());
        player->ThrowIfThreadExceptions();
        player->LoadSong("1");
        player->Clock().Pump();
    }

    void cleanup()
    {
        controller.reset();
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (player)
            player->Shutdown();
        player.reset();
    }

    void loadScoreGivesTheViewItsPages_data()
    {
        QTest::addColumn<QString>("package");
        QTest::addColumn<QVariantList>("numbers");
        QTest::addColumn<int>("updates");
        QTest::addColumn<QString>("logged");
        QTest::newRow("cover, gap and two pages 5") << "test" << kPageNumbers << 1 << "";
        QTest::newRow("no package") << "" << QVariantList() << 0 << "No .score file found.";
        QTest::newRow("a package that cannot be opened")
            << "garbage" << QVariantList() << 1 << "Failed to open in-memory archive: Unrecognized archive format";
        QTest::newRow("an empty file") << "empty" << QVariantList() << 1 << "Failed to open in-memory archive: ";
    }
    void loadScoreGivesTheViewItsPages()
    {
        QFETCH(QString, package);
        QFETCH(QVariantList, numbers);
        QFETCH(int, updates);
        QFETCH(QString, logged);
        if (package == "test")
            WriteTestPackage();
        else if (package == "garbage")
            WritePackage(std::string(3000, '\x7f'));
        else if (package == "empty")
            WritePackage("");
        ScoreLog log;
        MakeController();
        QCOMPARE(View()->property("pageNumbers").toList(), numbers);
        const QVariant list = View()->property("imageListModel");
        // Set even without pages: the view reads an empty list, not none.
        QVERIFY(list.isValid() && !list.isNull());
        QCOMPARE(list.toStringList().size(), numbers.size());
        QCOMPARE(View()->property("updates").toInt(), updates);
        if (logged.isEmpty())
            QCOMPARE(log.lines, QStringList());
        else
            QVERIFY2(log.lines.size() == 1 && log.lines[0].startsWith(logged), qPrintable(log.lines.join('\n')));
    }

    // Each URL serves the bytes of the page at its place in the list.
    void pageUrlsServeThePagesInListOrder()
    {
        WriteTestPackage();
        MakeController();
        const quint64 generation = Generation();
        QVERIFY(generation != 0);
        const auto pages = vand::qt::ScorePageStoreOf(&engine)->Pages(generation);
        QVERIFY(pages);
        const QStringList inOrder{"cover.png", "p1.png",   "p2.png", "p4.png",
                                  "a/p5.png",  "b/p5.png", "p6.png", "p99.png"};
        QCOMPARE(qsizetype(pages->size()), inOrder.size());
        for (qsizetype i = 0; i < inOrder.size(); ++i)
            QCOMPARE((*pages)[std::size_t(i)].png, score_test::PageBytes(inOrder[i].toStdString()));
        QCOMPARE(View()->property("imageListModel").toStringList().value(3),
                 QStringLiteral("image://score/%1/3").arg(generation));

        // A controller's pages go with it; the next one publishes its own.
        controller.reset();
        QVERIFY(!vand::qt::ScorePageStoreOf(&engine)->Pages(generation));
        controller = std::make_unique<ScoreViewController>(View(), player, nullptr, &engine);
        controller->LoadScore();
        QTRY_VERIFY(Generation() > generation);
    }

    // The package is read on a worker: LoadScore returns before the view has
    // its pages, which arrive through the event loop. A package hiding much
    // data (the reader stops at its bounds) keeps the window answering.
    void loadScoreLeavesTheReadToAWorker()
    {
        WriteTestPackage();
        vand::test::QmlWarningGuard guard;
        view = std::make_unique<vand::qt::QmlController>(&engine, kStandInUrl, nullptr, true);
        controller = std::make_unique<ScoreViewController>(View(), player, nullptr, &engine);
        controller->LoadScore();
        QVERIFY(View()->property("imageListModel").isNull());
        QCOMPARE(View()->property("updates").toInt(), 0);
        QTRY_COMPARE(View()->property("pageNumbers").toList(), kPageNumbers);
        QTRY_COMPARE(View()->property("updates").toInt(), 1);
        QCOMPARE(View()->property("imageListModel").toStringList().size(), kPageNumbers.size());

        HeldReader held;
        controller->SetPackageReader(held.Make(2));
        controller->LoadScore();
        // The earlier pages are withdrawn: the view lets go of them at once.
        QCOMPARE(View()->property("imageListModel").toStringList(), QStringList());
        QVERIFY(controller->IsReading());
        held.release.release();
        QTRY_VERIFY(!controller->IsReading());
        QVERIFY(!held.onGuiThread);
        QCOMPARE(View()->property("pageNumbers").toList(), (QVariantList{1, 2}));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // A new read, or the controller's end, while a read runs stops that read
    // and drops what it gives.
    void aReadThatRunsIsStoppedAndDropped()
    {
        view = std::make_unique<vand::qt::QmlController>(&engine, kStandInUrl, nullptr, true);
        controller = std::make_unique<ScoreViewController>(View(), player, nullptr, &engine);
        HeldReader first;
        controller->SetPackageReader(first.Make(5));
        controller->LoadScore();
        HeldReader second;
        controller->SetPackageReader(second.Make(2));
        controller->LoadScore();
        second.release.release();
        QTRY_VERIFY(!controller->IsReading());
        QCOMPARE(View()->property("pageNumbers").toList(), (QVariantList{1, 2}));
        const QStringList shown = View()->property("imageListModel").toStringList();
        first.release.release();
        QVERIFY(first.done.tryAcquire(1, 10000));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(first.sawStop);
        QVERIFY(!second.sawStop);
        QCOMPARE(View()->property("pageNumbers").toList(), (QVariantList{1, 2}));
        QCOMPARE(View()->property("imageListModel").toStringList(), shown);
        QCOMPARE(View()->property("updates").toInt(), 1);

        // The controller goes while its read runs.
        HeldReader last;
        controller->SetPackageReader(last.Make(7));
        controller->LoadScore();
        controller.reset();
        last.release.release();
        QVERIFY(last.done.tryAcquire(1, 10000));
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        QVERIFY(last.sawStop);
        QCOMPARE(View()->property("updates").toInt(), 1);
        QCOMPARE(View()->property("imageListModel").toStringList(), QStringList());
    }

    // The player's page event turns the view to the first page of that
    // number; the engine's "no page" and pages the package lacks leave it.
    void pageEventsGoThroughTheMap_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("page 1 after the cover") << 1 << 1 << QStringList();
        QTest::newRow("page 4 after the gap") << 4 << 3 << QStringList();
        QTest::newRow("the first of two pages 5") << 5 << 4 << QStringList();
        QTest::newRow("page 6") << 6 << 6 << QStringList();
        QTest::newRow("no page") << 0 << 2 << QStringList();
        QTest::newRow("the gap") << 3 << 2 << QStringList{"The score package has no page 3."};
        QTest::newRow("past the end") << 100 << 2 << QStringList{"The score package has no page 100."};
    }
    void pageEventsGoThroughTheMap()
    {
        QFETCH(int, page);
        QFETCH(int, index);
        QFETCH(QStringList, logged);
        WriteTestPackage();
        MakeController();
        controller->SetCurrentPage(2);
        QCOMPARE(View()->property("currentIndex").toInt(), 2);
        ScoreLog log;
        controller->SetCurrentPage(page);
        QCOMPARE(View()->property("currentIndex").toInt(), index);
        QCOMPARE(log.lines, logged);
    }

    // Without a package there is nothing to follow and nothing to report.
    void pageEventsWithoutAPackageAreQuiet()
    {
        MakeController();
        View()->setProperty("currentIndex", 0);
        ScoreLog log;
        controller->SetCurrentPage(4);
        QCOMPARE(View()->property("currentIndex").toInt(), 0);
        QCOMPARE(log.lines, QStringList());
    }

    // Played on the engine's clock, the pages follow the music: the page
    // events of the real engine, passed on as the main controller does.
    void pagesFollowThePlayer()
    {
        WriteTestPackage();
        MakeController();
        notify::EventObserver observer;
        struct Pages
        {
            ScoreViewController* controller;
            QList<int> seen;
        } pages{controller.get(), {}};
        observer.SetCallbackFunc(
            [](int, int value, const char*, void* context) {
                auto* p = static_cast<Pages*>(context);
                p->seen << value;
                p->controller->SetCurrentPage(value);
            },
            &pages);
        observer.RegisterPageNum(int(notify::PlayerEvent::PageNum));

        const auto runUntilPage = [&](int page) {
            for (int ms = 0; ms < 60000 && !pages.seen.contains(page); ms += 500)
                player->Clock().Advance(500);
            return pages.seen.contains(page);
        };
        player->Play();
        QVERIFY(runUntilPage(2));
        QCOMPARE(View()->property("currentIndex").toInt(), 2);

        ScoreLog log;
        player->LoadSong("2");
        QVERIFY(runUntilPage(3));
        QCOMPARE(View()->property("currentIndex").toInt(), 2);
        QCOMPARE(log.lines, QStringList{"The score package has no page 3."});
        player->Play();
        QVERIFY(runUntilPage(4));
        QCOMPARE(View()->property("currentIndex").toInt(), 3);
    }

    // A page the user turns to moves the player to its music. "%song" and
    // "%tick" stand for where the engine looks the page up.
    void turningAPageMovesThePlayer_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<bool>("playing");
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QStringList>("logged");
        QTest::newRow("same song, stopped") << 2 << false << "" << QStringList{"Seek(%tick)"} << QStringList();
        QTest::newRow("another song, stopped")
            << 4 << false << "" << QStringList{"LoadSongAtTime(%song,%tick)"} << QStringList();
        QTest::newRow("same song, playing")
            << 2 << true << "" << QStringList{"Pause(false)", "Seek(%tick)", "Play"} << QStringList();
        QTest::newRow("another song, playing")
            << 5 << true << "" << QStringList{"Pause(false)", "LoadSongAtTime(%song,%tick)", "Play"} << QStringList();
        // Playback goes on after a failed move.
        QTest::newRow("the seek fails") << 2 << true << "Seek" << QStringList{"Pause(false)", "Seek(%tick)", "Play"}
                                        << QStringList{"Turning to page 2 failed: engine refused Seek"};
        // Looked up before pausing: a page the show lacks never pauses.
        QTest::newRow("a page the show lacks")
            << 99 << true << "" << QStringList() << QStringList{"Page 99 is not in the show: Unknown page: 99"};
        QTest::newRow("a page the package lacks") << 3 << true << "" << QStringList() << QStringList();
        QTest::newRow("the cover page") << 0 << true << "" << QStringList() << QStringList();
    }
    void turningAPageMovesThePlayer()
    {
        QFETCH(int, page);
        QFETCH(bool, playing);
        QFETCH(QString, failing);
        QFETCH(QStringList, calls);
        QFETCH(QStringList, logged);
        WriteTestPackage();
        MakeController();
        if (playing) {
            player->Play();
            player->Clock().Pump();
            QVERIFY(player->GetIsPlaying());
        }
        std::string song = "1";
        UInt32 tick = player->GetTickIndex();
        if (!calls.isEmpty()) {
            std::tie(song, tick) = player->LookupPage(unsigned(page));
            calls.replaceInStrings("%song", QString::fromStdString(song));
            calls.replaceInStrings("%tick", QString::number(tick));
        }
        player->calls.clear();
        player->failing = failing;

        ScoreLog log;
        // As the view emits it.
        QVERIFY(QMetaObject::invokeMethod(View(), "pageChanged", Q_ARG(int, page)));
        QCOMPARE(player->calls, calls);
        QCOMPARE(log.lines, logged);
        player->failing.clear();
        player->Clock().Pump();
        QCOMPARE(player->GetIsPlaying(), playing);
        QCOMPARE(player->GetCurrentSongNumber(), song);
        if (failing.isEmpty())
            QCOMPARE(player->GetTickIndex(), tick);
        // The view waits for the player's page event.
        QCOMPARE(View()->property("currentIndex").toInt(), 0);
    }

    // The real view on the demo show's package: page 1 shows, and a page
    // event turns to the next page's image, decoded from the package.
    void theViewShowsTheDemoPages()
    {
        vand::demo::WriteScorePackage(show / "score.score", vand::demo::DemoShowDefinition());
        QQuickWindow window;
        window.resize(1366, 768);
        MakeController(kViewUrl);
        auto* item = qobject_cast<QQuickItem*>(View());
        QVERIFY(item);
        item->setParentItem(window.contentItem());
        item->setSize(window.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));

        vand::test::QmlWarningGuard guard;
        const QStringList urls = View()->property("imageListModel").toStringList();
        QCOMPARE(urls.size(), 9);
        auto* shown = item->findChild<QQuickItem*>("leftPageShown");
        QVERIFY(shown);
        QTRY_COMPARE(View()->property("currentImage1").toString(), urls[0]);
        QTRY_COMPARE(shown->property("status").toInt(), 1); // Image.Ready
        QCOMPARE(shown->property("sourceSize").toSize(), QSize(595, 842));

        const auto renderedPage = [&] {
            const QRectF box = shown->mapRectToScene(QRectF(0, 0, shown->width(), shown->height()));
            return window.grabWindow().copy(box.toAlignedRect());
        };
        const QImage first = renderedPage();
        controller->SetCurrentPage(2);
        QTRY_COMPARE(View()->property("currentImage1").toString(), urls[1]);
        QTRY_COMPARE(shown->property("status").toInt(), 1);
        QTRY_VERIFY(renderedPage() != first);
        QCOMPARE(item->findChild<QObject*>("pageText")->property("text").toString(), QStringLiteral("Page 2 of 9"));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
        view.reset();
    }

    // Ids that name no page give no texture, which Qt Quick reports.
    void providerAnswersOnlyPublishedPages_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QSize>("size");
        QTest::newRow("a page") << "%g/1" << QSize(595, 842);
        QTest::newRow("past the end") << "%g/9" << QSize(0, 0);
        QTest::newRow("negative index") << "%g/-1" << QSize(0, 0);
        QTest::newRow("no index") << "%g" << QSize(0, 0);
        QTest::newRow("withdrawn generation") << "%w/1" << QSize(0, 0);
        QTest::newRow("not a number") << "x/1" << QSize(0, 0);
    }
    void providerAnswersOnlyPublishedPages()
    {
        QFETCH(QString, id);
        QFETCH(QSize, size);
        const auto show = vand::demo::DemoShowDefinition();
        QTemporaryDir packageDir;
        const fs::path file = fs::path(packageDir.path().toStdString()) / "score.score";
        vand::demo::WriteScorePackage(file, show);
        vand::qt::ScoreImageProvider provider;
        const auto pages = vand::show::ReadScorePackage(kit::ReadWholeFile(file, 1u << 30));
        const quint64 withdrawn = provider.Store()->Publish(pages);
        provider.Store()->Withdraw(withdrawn);
        const quint64 generation = provider.Store()->Publish(pages);
        id.replace("%g", QString::number(generation)).replace("%w", QString::number(withdrawn));
        QSize reported(-1, -1);
        const std::unique_ptr<QQuickTextureFactory> texture(provider.requestTexture(id, &reported, QSize()));
        QCOMPARE(texture == nullptr, size.isEmpty());
        if (texture)
            QCOMPARE(texture->image().size(), size);
        QCOMPARE(reported, size);
    }
};

QTEST_MAIN(TestScoreViewController)
#include "tst_scoreviewcontroller.moc"
