#include <QMetaMethod>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "QmlWarningGuard.h"
#include "app/AppQmlEngineSetup.h"
#include "app/ResponsiveMenuController.h"
#include "ui/QmlController.h"

using vand::qt::QmlController;
using vand::qt::ResponsiveMenuController;

namespace {

const QUrl kMainUrl("qrc:/qt/qml/com/tarnwick/musical_ui/qml/MusicalMain.qml");

QQuickItem* childItem(QObject* root, const char* name)
{
    auto* item = root->findChild<QQuickItem*>(QString::fromLatin1(name));
    if (!item)
        qWarning() << "no child" << name;
    return item;
}

// Answers every jump request as a seek would: the bar exists or it does not.
class JumpAnswer : public QObject
{
    Q_OBJECT
public:
    bool found = false;
    QStringList requests;
signals:
    void JumpToBarResult(bool success);
public slots:
    void JumpToBar_(QString barNum)
    {
        requests << barNum;
        emit JumpToBarResult(found);
    }
};

} // namespace

class TestMusicalMain : public QObject
{
    Q_OBJECT
private:
    QQmlEngine engine;
    std::unique_ptr<QmlController> view;
    QObject* window = nullptr;

    QObject* timeline() { return window->property("timelineControl").value<QObject*>(); }
    QObject* playControl() { return window->findChild<QObject*>("playControl"); }
    // The window's jump-to-bar prompt: the score view holds another one.
    QObject* jumpToBar() { return window->findChild<QObject*>("jumpToBar"); }

private slots:
    void initTestCase() { vand::qt::PrepareAppQmlEngine(engine); }

    void init()
    {
        vand::test::QmlWarningGuard guard;
        view = std::make_unique<QmlController>(&engine, kMainUrl, nullptr, true,
                                               QVariantMap{{"showAlbumArtImage", false}, {"showFade", true}});
        window = view->GetQmlObject();
        QVERIFY(window);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    void cleanup()
    {
        view.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        window = nullptr;
    }

    void loadsWithEveryChildAndWithoutWarnings()
    {
        vand::test::QmlWarningGuard guard;
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(quickWindow);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));
        QCOMPARE(quickWindow->minimumSize(), QSize(1366, 768));
        QCOMPARE(window->property("title").toString(), QString("Pelorin"));
        QCOMPARE(window->property("showFade").toBool(), true);
        QCOMPARE(window->property("showAlbumArtImage").toBool(), false);
        QCOMPARE(window->property("marginSize").toInt(), 15);
        for (const char* alias : {"statusBannerControl", "mixerControl", "aboutWindow", "menu", "editPanelControl",
                                  "timelineControl", "scoreControl"}) {
            QVERIFY2(window->property(alias).value<QObject*>(), alias);
        }
        QVERIFY(window->property("editPanelControl").value<QObject*>()->findChild<QObject*>("editBar"));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    void offersTheSignalsTheControllerConnects()
    {
        const QStringList signatures = {"play()",
                                        "stop()",
                                        "pause()",
                                        "fade(int)",
                                        "continueFlow()",
                                        "nextSong()",
                                        "prevSong()",
                                        "jumpToBar(QString)",
                                        "changelogManagerOpened()",
                                        "outputPathsOpened()",
                                        "getLatestLogClicked()",
                                        "caesuraButtonPressed(int)",
                                        "markerButtonPressed(int)",
                                        "oscButtonPressed(int)",
                                        "skipButtonPressed(int,int)",
                                        "vampButtonPressed(int,int)",
                                        "cutButtonPressed(int,int)",
                                        "transposeButtonPressed(int,int)",
                                        "tempoButtonPressed(int,int)",
                                        "repeatButtonPressed(int,int)",
                                        "clickButtonPressed(int,int)",
                                        "songIndexChanged()",
                                        "playStarted()",
                                        "stopped()",
                                        "paused()",
                                        "fading()",
                                        "jumpToBarResult(bool)",
                                        "closing(QQuickCloseEvent*)"};
        const QMetaObject* mo = window->metaObject();
        for (const QString& signature : signatures) {
            const int index = mo->indexOfSignal(signature.toLatin1().constData());
            QVERIFY2(index >= 0, qPrintable(signature));
        }
    }

    void bannerPropertiesReachTheBanner()
    {
        QObject* banner = window->property("statusBannerControl").value<QObject*>();
        window->setProperty("measure", "7");
        window->setProperty("beat", "3");
        window->setProperty("key", "D");
        window->setProperty("songTitle", "Overture");
        window->setProperty("volumeLevelPercent", 0.5);
        window->setProperty("flowControlLabel", "Vamp");
        window->setProperty("flowControlValue", "2");
        window->setProperty("flowControlBackgroundColor", QColor("#3a7d44"));
        QCOMPARE(childItem(banner, "measureDigits")->property("text").toString(), QString("0007"));
        QCOMPARE(childItem(banner, "beatDigits")->property("text").toString(), QString("03"));
        QCOMPARE(banner->property("key").toString(), QString("D"));
        QCOMPARE(banner->property("songTitle").toString(), QString("Overture"));
        QCOMPARE(banner->property("volumeLevelPercent").toDouble(), 0.5);
        QCOMPARE(banner->property("flowControlLabel").toString(), QString("Vamp"));
        QCOMPARE(banner->property("flowControlValue").toString(), QString("2"));
        QCOMPARE(banner->property("flowControlBackgroundColor").value<QColor>(), QColor("#3a7d44"));

        QObject* art = banner->property("albumArtImageControl").value<QObject*>();
        window->setProperty("albumArtImageUrl", QUrl("qrc:/images/pelorin.png"));
        QCOMPARE(art->property("source").toUrl(), QUrl("qrc:/images/pelorin.png"));
        QTRY_COMPARE(art->property("status").toInt(), 1); // Image.Ready, loaded off the GUI thread
        window->setProperty("showAlbumArtImage", true);
        QCOMPARE(art->property("visible").toBool(), true);
        window->setProperty("showAlbumArtImage", false);
        QCOMPARE(art->property("visible").toBool(), false);
    }

    void cornerLogoStartsWithTheMakersLogo()
    {
        QObject* logo = window->findChild<QObject*>("cornerLogo");
        QCOMPARE(window->property("cornerLogoSource").toUrl(), QUrl("qrc:/images/vand_flat_logo.png"));
        QTRY_COMPARE(logo->property("status").toInt(), 1); // Image.Ready
        window->setProperty("cornerLogoSource", QUrl("qrc:/images/pelorin"));
        QTRY_COMPARE(logo->property("status").toInt(), 1);
        QCOMPARE(logo->property("height").toInt(), 80);
    }

    void editButtonsEmitTicks_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("selectionActive");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionEnd");
        QTest::addColumn<double>("viewScale");
        QTest::addColumn<double>("playheadX");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("end"); // -1: the signal carries the start alone

        QTest::newRow("skip, selection 40-80 at zoom 1") << "skip" << true << 40 << 80 << 1.0 << 0.0 << 1000 << 2000;
        QTest::newRow("skip, playhead 40 at zoom 2") << "skip" << false << 40 << 80 << 2.0 << 40.0 << 500 << 500;
        QTest::newRow("skip, selection 40-80 at zoom 2") << "skip" << true << 40 << 80 << 2.0 << 0.0 << 1000 << 2000;
        QTest::newRow("vamp, selection") << "vamp" << true << 4 << 12 << 1.0 << 0.0 << 100 << 300;
        QTest::newRow("cut, playhead") << "cut" << false << 0 << 0 << 1.0 << 10.0 << 250 << 250;
        QTest::newRow("transpose, selection") << "transpose" << true << 40 << 80 << 1.0 << 0.0 << 1000 << 2000;
        QTest::newRow("tempo, selection") << "tempo" << true << 40 << 80 << 1.0 << 0.0 << 1000 << 2000;
        QTest::newRow("repeat, playhead at zoom 0.5") << "repeat" << false << 0 << 0 << 0.5 << 40.0 << 2000 << 2000;
        QTest::newRow("click, selection") << "click" << true << 40 << 80 << 1.0 << 0.0 << 1000 << 2000;
        QTest::newRow("caesura, selection") << "caesura" << true << 40 << 80 << 1.0 << 0.0 << 1000 << -1;
        QTest::newRow("caesura, playhead") << "caesura" << false << 40 << 80 << 1.0 << 12.0 << 300 << -1;
        QTest::newRow("marker, playhead at zoom 2") << "marker" << false << 0 << 0 << 2.0 << 40.0 << 500 << -1;
        QTest::newRow("osc, selection at zoom 4") << "osc" << true << 40 << 80 << 4.0 << 0.0 << 1000 << -1;
    }
    void editButtonsEmitTicks()
    {
        QFETCH(QString, button);
        QFETCH(bool, selectionActive);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionEnd);
        QFETCH(double, viewScale);
        QFETCH(double, playheadX);
        QFETCH(int, start);
        QFETCH(int, end);

        QObject* tl = timeline();
        tl->setProperty("selectionActive", selectionActive);
        tl->setProperty("selectionStart", selectionStart);
        tl->setProperty("selectionEnd", selectionEnd);
        tl->setProperty("viewScale", viewScale);
        tl->property("playheadItem").value<QObject*>()->setProperty("x", playheadX);

        const QByteArray name = button.toLatin1() + "ButtonPressed";
        const QByteArray signature = "2" + name + (end < 0 ? "(int)" : "(int,int)");
        QSignalSpy spy(window, signature.constData());
        QVERIFY(spy.isValid());
        QObject* panel = window->property("editPanelControl").value<QObject*>();
        QVERIFY(QMetaObject::invokeMethod(panel, name.constData()));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), start);
        if (end >= 0)
            QCOMPARE(spy.at(0).at(1).toInt(), end);
    }

    void songIndexChangeIsRelayed()
    {
        QSignalSpy spy(window, SIGNAL(songIndexChanged()));
        QObject* panel = window->property("editPanelControl").value<QObject*>();
        QVERIFY(QMetaObject::invokeMethod(panel, "songIndexChanged"));
        QCOMPARE(spy.count(), 1);
    }

    void selectionFromTicks()
    {
        QObject* tl = timeline();
        QVERIFY(QMetaObject::invokeMethod(window, "setSelectionStart", Q_ARG(QVariant, 1000)));
        QCOMPARE(tl->property("selectionStart").toInt(), 40);
        QCOMPARE(tl->property("selectionActive").toBool(), false);
        QVERIFY(QMetaObject::invokeMethod(window, "setSelectionEnd", Q_ARG(QVariant, 2000)));
        QCOMPARE(tl->property("selectionEnd").toInt(), 80);
        QCOMPARE(tl->property("selectionActive").toBool(), true);

        // Round trip through the skip button at zoom 1.
        QSignalSpy spy(window, SIGNAL(skipButtonPressed(int, int)));
        QObject* panel = window->property("editPanelControl").value<QObject*>();
        QVERIFY(QMetaObject::invokeMethod(panel, "skipButtonPressed"));
        QCOMPARE(spy.at(0).at(0).toInt(), 1000);
        QCOMPARE(spy.at(0).at(1).toInt(), 2000);
    }

    void refusesToCloseByItself()
    {
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));
        QSignalSpy closing(window, SIGNAL(closing(QQuickCloseEvent*)));
        QVERIFY(closing.isValid());
        QVERIFY(!quickWindow->close());
        QCOMPARE(closing.count(), 1);
        QVERIFY(quickWindow->isVisible());

        // The menu's Quit goes the same way.
        QObject* menu = window->property("menu").value<QObject*>();
        menu->setProperty("appName", "Pelorin");
        ResponsiveMenuController controller(false, "Pelorin", menu, &engine, true);
        QTest::keyClick(quickWindow, Qt::Key_Q, Qt::ControlModifier);
        QCOMPARE(closing.count(), 2);
        QVERIFY(quickWindow->isVisible());
    }

    void transportStateFollowsThePlayer_data()
    {
        QTest::addColumn<QString>("signal");
        QTest::addColumn<bool>("stopToggled");
        QTest::addColumn<bool>("pauseEnabled");
        QTest::addColumn<bool>("pauseToggled");
        QTest::addColumn<bool>("fadeEnabled");
        // Each row starts from the state after playStarted; paused changes
        // neither stop nor pause enablement.
        QTest::newRow("playStarted") << "playStarted" << true << true << false << true;
        QTest::newRow("paused") << "paused" << true << true << true << false;
        QTest::newRow("stopped") << "stopped" << false << false << false << false;
        QTest::newRow("fading") << "fading" << true << true << false << false;
    }
    void transportStateFollowsThePlayer()
    {
        QFETCH(QString, signal);
        QFETCH(bool, stopToggled);
        QFETCH(bool, pauseEnabled);
        QFETCH(bool, pauseToggled);
        QFETCH(bool, fadeEnabled);
        QObject* pc = playControl();
        QCOMPARE(pc->property("pauseEnabled").toBool(), false);
        QCOMPARE(pc->property("fadeEnabled").toBool(), false);
        QVERIFY(QMetaObject::invokeMethod(window, "playStarted"));
        QVERIFY(QMetaObject::invokeMethod(window, signal.toLatin1().constData()));
        QCOMPARE(pc->property("stopToggled").toBool(), stopToggled);
        QCOMPARE(pc->property("pauseEnabled").toBool(), pauseEnabled);
        QCOMPARE(pc->property("pauseToggled").toBool(), pauseToggled);
        QCOMPARE(pc->property("fadeEnabled").toBool(), fadeEnabled);
    }

    void pausedLeavesStopAndPauseEnablementAlone()
    {
        QObject* pc = playControl();
        QVERIFY(QMetaObject::invokeMethod(window, "stopped"));
        QVERIFY(QMetaObject::invokeMethod(window, "paused"));
        QCOMPARE(pc->property("stopToggled").toBool(), false);
        QCOMPARE(pc->property("pauseEnabled").toBool(), false);
        QCOMPARE(pc->property("pauseToggled").toBool(), true);
    }

    void transportSignalsAreRelayed_data()
    {
        QTest::addColumn<QString>("playControlSignal");
        QTest::addColumn<QString>("windowSignature");
        QTest::newRow("play") << "play"
                              << "play()";
        QTest::newRow("stop") << "stop"
                              << "stop()";
        QTest::newRow("pause") << "pause"
                               << "pause()";
        QTest::newRow("continueFlow") << "continueFlow"
                                      << "continueFlow()";
        QTest::newRow("nextSong") << "nextSong"
                                  << "nextSong()";
        QTest::newRow("prevSong") << "prevSong"
                                  << "prevSong()";
    }
    void transportSignalsAreRelayed()
    {
        QFETCH(QString, playControlSignal);
        QFETCH(QString, windowSignature);
        QSignalSpy spy(window, ("2" + windowSignature.toLatin1()).constData());
        QVERIFY(spy.isValid());
        QVERIFY(QMetaObject::invokeMethod(playControl(), playControlSignal.toLatin1().constData()));
        QCOMPARE(spy.count(), 1);
    }

    void fadeCarriesItsTime()
    {
        QSignalSpy spy(window, SIGNAL(fade(int)));
        QVERIFY(QMetaObject::invokeMethod(playControl(), "fade", Q_ARG(int, 7000)));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 7000);
    }

    void continueHighlightReachesThePlayControl()
    {
        window->setProperty("highlightContinueButton", true);
        QCOMPARE(playControl()->property("highlightContinueButton").toBool(), true);
        window->setProperty("showFade", false);
        QCOMPARE(playControl()->property("showFade").toBool(), false);
    }

    void jumpToBarRoundTrip_data()
    {
        QTest::addColumn<bool>("found");
        QTest::addColumn<bool>("pressOk");
        QTest::addColumn<bool>("staysOpen");
        QTest::newRow("Return, bar found") << true << false << false;
        QTest::newRow("Return, bar missing") << false << false << true;
        QTest::newRow("OK, bar found") << true << true << false;
        QTest::newRow("OK, bar missing") << false << true << true;
    }
    void jumpToBarRoundTrip()
    {
        QFETCH(bool, found);
        QFETCH(bool, pressOk);
        QFETCH(bool, staysOpen);
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));

        // Wired as the main controller wires it: by signature, both ways.
        JumpAnswer answer;
        answer.found = found;
        QVERIFY(QObject::connect(window, SIGNAL(jumpToBar(QString)), &answer, SLOT(JumpToBar_(QString))));
        QVERIFY(QObject::connect(&answer, SIGNAL(JumpToBarResult(bool)), window, SIGNAL(jumpToBarResult(bool))));

        QObject* popup = jumpToBar()->findChild<QObject*>("jumpToBarPopup");
        QObject* field = jumpToBar()->findChild<QObject*>("barField");
        QVERIFY(popup && field);
        QVERIFY(QMetaObject::invokeMethod(window, "startJumpToBar"));
        QTRY_VERIFY(popup->property("opened").toBool());
        QTRY_VERIFY(field->property("activeFocus").toBool());

        QTest::keyClick(quickWindow, '1');
        QTest::keyClick(quickWindow, '2');
        if (pressOk) {
            auto* ok = childItem(jumpToBar(), "okButton");
            QVERIFY(ok);
            QTest::mouseClick(quickWindow, Qt::LeftButton, {},
                              ok->mapToScene(QPointF(ok->width() / 2, ok->height() / 2)).toPoint());
        } else {
            QTest::keyClick(quickWindow, Qt::Key_Return);
        }
        QCOMPARE(answer.requests, QStringList{"12"});
        if (staysOpen) {
            QVERIFY(popup->property("opened").toBool());
            QCOMPARE(field->property("text").toString(), QString("Bar not found!"));
        } else {
            QTRY_VERIFY(!popup->property("visible").toBool());
            QCOMPARE(field->property("text").toString(), QString());
        }
    }

    void menuCommandsHandledByTheWindow_data()
    {
        QTest::addColumn<QString>("menuSignal");
        QTest::addColumn<QString>("windowSignature");
        QTest::newRow("past logs") << "changelogManagerOpened"
                                   << "changelogManagerOpened()";
        QTest::newRow("output paths") << "outputPaths"
                                      << "outputPathsOpened()";
        QTest::newRow("latest log") << "getLatestLogClicked"
                                    << "getLatestLogClicked()";
    }
    void menuCommandsHandledByTheWindow()
    {
        QFETCH(QString, menuSignal);
        QFETCH(QString, windowSignature);
        QObject* menu = window->property("menu").value<QObject*>();
        QSignalSpy spy(window, ("2" + windowSignature.toLatin1()).constData());
        QVERIFY(spy.isValid());
        QVERIFY(QMetaObject::invokeMethod(menu, menuSignal.toLatin1().constData()));
        QCOMPARE(spy.count(), 1);
    }

    void jumpToBarFromTheMenuOpensThePopup()
    {
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));
        QObject* popup = jumpToBar()->findChild<QObject*>("jumpToBarPopup");
        QTest::keyClick(quickWindow, Qt::Key_B, Qt::ControlModifier);
        QTRY_VERIFY(popup->property("opened").toBool());
    }

    void barBeatClickOpensThePopup()
    {
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));
        QObject* popup = jumpToBar()->findChild<QObject*>("jumpToBarPopup");
        auto* digits = childItem(window, "measureDigits");
        QVERIFY(digits);
        QTest::mouseClick(quickWindow, Qt::LeftButton, {},
                          digits->mapToScene(QPointF(digits->width() / 2, digits->height() / 2)).toPoint());
        QTRY_VERIFY(popup->property("opened").toBool());
    }

    void plusKeyAndEqualsZoomIn()
    {
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));
        QObject* menu = window->property("menu").value<QObject*>();
        ResponsiveMenuController controller(false, "Pelorin", menu, &engine, true);
        QSignalSpy zoomIn(&controller, &ResponsiveMenuController::ZoomInRequested);
        QTest::keyClick(quickWindow, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(zoomIn.count(), 1);
        QTest::keyClick(quickWindow, Qt::Key_Equal);
        QCOMPARE(zoomIn.count(), 2);

        // Still so after the jump-to-bar popup has come and gone.
        QObject* popup = jumpToBar()->findChild<QObject*>("jumpToBarPopup");
        QVERIFY(QMetaObject::invokeMethod(window, "startJumpToBar"));
        QTRY_VERIFY(popup->property("opened").toBool());
        QTest::keyClick(quickWindow, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(zoomIn.count(), 2); // the popup holds the keyboard
        QTest::keyClick(quickWindow, Qt::Key_Escape);
        QTRY_VERIFY(!popup->property("visible").toBool());
        QTest::keyClick(quickWindow, Qt::Key_Plus, Qt::KeypadModifier);
        QCOMPARE(zoomIn.count(), 3);
    }

    void menuControllerOnTheRealMenu()
    {
        auto* quickWindow = qobject_cast<QQuickWindow*>(window);
        QVERIFY(QTest::qWaitForWindowExposed(quickWindow));
        QObject* menu = window->property("menu").value<QObject*>();
        ResponsiveMenuController controller(true, "Pelorin", menu, &engine, false);
        QCOMPARE(menu->property("appName").toString(), QString("Pelorin"));

        QSignalSpy save(&controller, &ResponsiveMenuController::saveRequested);
        QSignalSpy undo(&controller, &ResponsiveMenuController::UndoRequested);
        QSignalSpy osc(&controller, &ResponsiveMenuController::oscManagerClicked);
        QSignalSpy audio(&controller, &ResponsiveMenuController::audioManagerClicked);
        QSignalSpy del(&controller, &ResponsiveMenuController::DeleteRequested);

        QTest::keyClick(quickWindow, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(quickWindow, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(save.count(), 0);
        QCOMPARE(undo.count(), 0);
        controller.UpdateUndoRedoState(true, false, true, false);
        QTest::keyClick(quickWindow, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(quickWindow, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(save.count(), 1);
        QCOMPARE(undo.count(), 1);

        // OSC switched off by the product: its shortcut reaches nobody.
        QTest::keyClick(quickWindow, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(osc.count(), 0);
        QTest::keyClick(quickWindow, Qt::Key_G, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(audio.count(), 1);

        QTest::keyClick(quickWindow, Qt::Key_Delete);
        QTest::keyClick(quickWindow, Qt::Key_Backspace);
        QCOMPARE(del.count(), 2);

        // About opens the About box the menu hosts.
        QObject* about = window->property("aboutWindow").value<QObject*>();
        QVERIFY(about);
        auto aboutOpen = [about] {
            for (QObject* o : about->findChildren<QObject*>()) {
                if (o->property("opened").toBool())
                    return true;
            }
            return false;
        };
        QVERIFY(!aboutOpen());
        QVERIFY(QMetaObject::invokeMethod(menu, "aboutClicked"));
        QTRY_VERIFY(aboutOpen());
    }

    void scoreTabFollowsShowScore()
    {
        auto* tab = childItem(window, "scoreTab");
        QVERIFY(tab);
        QCOMPARE(tab->isVisible(), false);
        window->setProperty("showScore", true);
        QCOMPARE(tab->isVisible(), true);
        auto* stack = childItem(window, "modeStack");
        QCOMPARE(stack->property("currentIndex").toInt(), 0);
    }
};

QTEST_MAIN(TestMusicalMain)
#include "tst_musicalmain.moc"
