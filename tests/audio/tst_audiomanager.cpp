// The Audio Manager dialog over its controller, offscreen, on the test sound
// server's devices ("null" and "null2", both "Null Output") and the
// product's engine with scripted device and volume answers.

#include <QQmlApplicationEngine>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <cmath>
#include <memory>

#include "../app/AppFixture.h"
#include "QmlWarningGuard.h"
#include "SoundServer.h"
#include "app/AppQmlEngineSetup.h"
#include "audio/AudioManagerController.h"

using app_test::DataFolder;
using app_test::EngineScript;
using app_test::TestEngine;
using vand::qt::AudioManagerController;

class TestAudioManager : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DataFolder> folder;
    QQmlApplicationEngine qml;
    std::shared_ptr<EngineScript> script;
    std::shared_ptr<TestEngine> engine;
    std::unique_ptr<AudioManagerController> manager;
    QObject* window = nullptr;

    void Open()
    {
        vand::test::QmlWarningGuard guard;
        manager = std::make_unique<AudioManagerController>(&qml, engine, nullptr);
        window = manager->GetQmlObject();
        QVERIFY(window);
        QCOMPARE(window->property("visible").toBool(), false);
        manager->SetVisible(true);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    // The dialog's entry of a device id ("" for the default device).
    int EntryOf(const std::string& deviceId) const
    {
        if (deviceId.empty())
            return 0;
        const auto& devices = manager->GetDevices();
        for (size_t i = 0; i < devices.size(); ++i) {
            if (devices[i].narrowId == deviceId)
                return static_cast<int>(i) + 1;
        }
        return -1;
    }

    void Ok()
    {
        vand::test::QmlWarningGuard guard;
        QVERIFY(QMetaObject::invokeMethod(window->findChild<QObject*>(QStringLiteral("okButton")), "clicked"));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

private slots:
    void initTestCase()
    {
        const QString problem = vand::test::SoundServerProblem();
        if (!problem.isEmpty())
            QFAIL(qPrintable(problem));
        folder = std::make_unique<DataFolder>();
        vand::qt::PrepareAppQmlEngine(qml);
    }

    void init()
    {
        script = std::make_shared<EngineScript>();
        engine = std::make_shared<TestEngine>(folder->show.string(), folder->data.string(), script);
    }

    void cleanup()
    {
        manager.reset();
        window = nullptr;
        engine.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void listsAndPreselectsThePlayersDevice_data()
    {
        QTest::addColumn<QString>("current");
        QTest::addColumn<QString>("selected"); // the device whose entry is preselected
        QTest::newRow("system default") << ""
                                        << "";
        QTest::newRow("first Null Output") << "null"
                                           << "null";
        QTest::newRow("second Null Output") << "null2"
                                            << "null2";
        QTest::newRow("a device that is gone") << "gone-card"
                                               << "";
    }

    void listsAndPreselectsThePlayersDevice()
    {
        QFETCH(QString, current);
        QFETCH(QString, selected);
        script->outputDevice = current.toStdString();
        Open();
        const QStringList names = window->property("outputDeviceModel").toStringList();
        QCOMPARE(names.size(), static_cast<qsizetype>(manager->GetDevices().size()) + 1);
        QCOMPARE(names.value(0), QStringLiteral("(default)"));
        QVERIFY(EntryOf("null") > 0 && EntryOf("null2") > 0);
        // The two devices of one description are told apart by their ids.
        QCOMPARE(names.value(EntryOf("null")), QStringLiteral("Null Output (null)"));
        QCOMPARE(names.value(EntryOf("null2")), QStringLiteral("Null Output (null2)"));
        QCOMPARE(window->property("outputDeviceIndex").toInt(), EntryOf(selected.toStdString()));
        // Nothing is stored before OK.
        QCOMPARE(manager->GetOutputDeviceUid(), QString());
        QCOMPARE(manager->GetOutputVolume(), 0.0);
    }

    void okHandsOnTheChosenDevice_data()
    {
        QTest::addColumn<QString>("chosen"); // "-" for no entry
        QTest::addColumn<QString>("deviceId");
        QTest::newRow("(default)") << ""
                                   << "";
        QTest::newRow("second Null Output") << "null2"
                                            << "null2";
        QTest::newRow("nothing selected") << "-"
                                          << "";
    }

    void okHandsOnTheChosenDevice()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, deviceId);
        script->outputDevice = "null";
        Open();
        QSignalSpy updated(manager.get(), &AudioManagerController::audioSettingsUpdated);
        QVERIFY(window->setProperty("outputDeviceIndex", chosen == "-" ? -1 : EntryOf(chosen.toStdString())));
        Ok();
        QCOMPARE(updated.count(), 1);
        QCOMPARE(manager->GetOutputDeviceUid(), deviceId);
        QCOMPARE(window->property("visible").toBool(), false);
    }

    void enterInTheClosedListConfirms()
    {
        Open();
        QSignalSpy updated(manager.get(), &AudioManagerController::audioSettingsUpdated);
        QVERIFY(window->setProperty("outputDeviceIndex", EntryOf("null2")));
        QVERIFY(QMetaObject::invokeMethod(window->findChild<QObject*>(QStringLiteral("deviceList")), "enterPressed"));
        QCOMPARE(updated.count(), 1);
        QCOMPARE(manager->GetOutputDeviceUid(), QStringLiteral("null2"));
    }

    // The slider is hidden: untouched, OK hands on the player's volume as it
    // is at that moment, not the slider's rounding of it.
    void untouchedVolumeIsHandedOnAsIs_data()
    {
        QTest::addColumn<double>("atOpen");
        QTest::addColumn<double>("atOk");
        QTest::newRow("silent") << 0.0 << 0.0;
        QTest::newRow("half") << 0.5 << 0.5;
        QTest::newRow("unity") << 1.0 << 1.0;
        QTest::newRow("above unity") << 1.5 << 1.5;
        QTest::newRow("changed meanwhile (OSC)") << 0.5 << 0.25;
    }

    void untouchedVolumeIsHandedOnAsIs()
    {
        QFETCH(double, atOpen);
        QFETCH(double, atOk);
        script->volume = atOpen;
        Open();
        script->volume = atOk;
        Ok();
        QCOMPARE(manager->GetOutputVolume(), atOk);
    }

    void movedSliderHandsOnItsGain_data()
    {
        QTest::addColumn<double>("position");
        QTest::addColumn<double>("gain");
        QTest::newRow("top, 0 dB") << 1.0 << 1.0;
        QTest::newRow("zero mark, -6 dB") << 0.7866278611 << std::pow(10.0, -6.0 / 20.0);
        QTest::newRow("bottom, -80 dB") << 0.04076220398 << 0.0001;
    }

    void movedSliderHandsOnItsGain()
    {
        QFETCH(double, position);
        QFETCH(double, gain);
        script->volume = 0.3;
        Open();
        QVERIFY(window->setProperty("outputVolume", position));
        Ok();
        QVERIFY2(std::abs(manager->GetOutputVolume() - gain) < gain * 1e-6,
                 qPrintable(QString::number(manager->GetOutputVolume(), 'g', 12)));
    }

    void sliderStartsAtThePlayersVolume_data()
    {
        QTest::addColumn<double>("volume");
        QTest::addColumn<double>("position");
        QTest::newRow("unity") << 1.0 << 1.0;
        QTest::newRow("-6 dB") << std::pow(10.0, -6.0 / 20.0) << 0.7866278611;
        QTest::newRow("silent: the minimum") << 0.0 << 0.04076220398;
        QTest::newRow("above unity: the top") << 1.5 << 1.0;
    }

    void sliderStartsAtThePlayersVolume()
    {
        QFETCH(double, volume);
        QFETCH(double, position);
        script->volume = volume;
        Open();
        QVERIFY(std::abs(window->property("outputVolume").toDouble() - position) < 1e-6);
        QCOMPARE(window->findChild<QObject*>(QStringLiteral("volumeSlider"))->property("visible").toBool(), false);
    }

    // An entry past the list is refused whole: no signal, nothing stored.
    void entryPastTheListIsAnError()
    {
        script->volume = 0.5;
        Open();
        QVERIFY(window->setProperty("outputDeviceIndex", EntryOf("null2")));
        Ok();
        QSignalSpy updated(manager.get(), &AudioManagerController::audioSettingsUpdated);
        QSignalSpy errors(manager.get(), &vand::qt::QmlController::error);
        script->volume = 0.25;
        const int past = static_cast<int>(manager->GetDevices().size()) + 1;
        QVERIFY(window->setProperty("outputDeviceIndex", past));
        QCOMPARE(window->property("outputDeviceIndex").toInt(), past);
        Ok();
        QCOMPARE(updated.count(), 0);
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("Error Configuring Audio"));
        QCOMPARE(manager->GetOutputDeviceUid(), QStringLiteral("null2"));
        QCOMPARE(manager->GetOutputVolume(), 0.5);
    }

    void playerFailureLeavesTheConstructor()
    {
        script->failDeviceQuery = true;
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, AudioManagerController(&qml, engine, nullptr));
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, AudioManagerController(&qml, nullptr, nullptr));
    }

    void dialogIsFixedInSize()
    {
        Open();
        auto* dialog = qobject_cast<QWindow*>(window);
        QVERIFY(dialog);
        QCOMPARE(dialog->title(), QStringLiteral("Audio Manager"));
        QCOMPARE(dialog->width(), 360);
        QCOMPARE(dialog->minimumSize(), dialog->size());
        QCOMPARE(dialog->maximumSize(), dialog->size());
        QCOMPARE(dialog->modality(), Qt::ApplicationModal);
    }
};

QTEST_MAIN(TestAudioManager)
#include "tst_audiomanager.moc"
