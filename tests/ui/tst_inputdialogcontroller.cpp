// The input dialog: OK enablement, keys, answers and the text handed to the
// callback.
#include <QKeyEvent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "QmlWarningGuard.h"
#include "ui/InputDialogController.h"
#include "ui/QmlEngineSetup.h"

using vand::qt::InputDialogController;

class TestInputDialogController : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { vand::qt::PrepareQmlEngine(engine); }

    void cleanup()
    {
        controller.reset();
        window.reset();
        answers.clear();
    }

    void kinds_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("icon");
        QTest::newRow("error") << 0 << "error"
                               << "qrc:/images/error_icon.svg";
        QTest::newRow("warning") << 1 << "warning"
                                 << "qrc:/images/warning_icon.svg";
        QTest::newRow("info") << 2 << "info"
                              << "qrc:/images/info_icon.svg";
        QTest::newRow("unknown code") << 9 << "info"
                                      << "qrc:/images/info_icon.svg";
    }

    void kinds()
    {
        QFETCH(int, kind);
        QFETCH(QString, type);
        QFETCH(QString, icon);
        vand::test::QmlWarningGuard guard;
        make(kind, false);
        QCOMPARE(window->property("type").toString(), type);
        QCOMPARE(window->findChild<QObject*>("icon")->property("source").toUrl(), QUrl(icon));
        QCOMPARE(window->property("title").toString(), QStringLiteral("Title"));
        QCOMPARE(window->property("text").toString(), QStringLiteral("Message"));
        QVERIFY(window->isVisible());
        QCOMPARE(window->modality(), Qt::ApplicationModal);
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    void okEnablement_data()
    {
        QTest::addColumn<bool>("confirmation");
        QTest::addColumn<bool>("showField");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("ticked");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("empty field") << false << true << "" << false << false;
        QTest::newRow("blank field") << false << true << " \t " << false << false;
        QTest::newRow("filled field") << false << true << "x" << false << true;
        QTest::newRow("hidden empty field") << false << false << "" << false << true;
        QTest::newRow("confirmation unticked") << true << false << "" << false << false;
        QTest::newRow("confirmation ticked") << true << false << "" << true << true;
        QTest::newRow("confirmation unticked, filled") << true << true << "x" << false << false;
        QTest::newRow("confirmation ticked, filled") << true << true << "x" << true << true;
        QTest::newRow("confirmation ticked, blank") << true << true << "  " << true << false;
    }

    void okEnablement()
    {
        QFETCH(bool, confirmation);
        QFETCH(bool, showField);
        QFETCH(QString, value);
        QFETCH(bool, ticked);
        QFETCH(bool, enabled);
        make(1, confirmation);
        controller->SetProperty("showInputField", showField);
        controller->SetProperty("value", value);
        window->findChild<QObject*>("confirmationBox")->setProperty("checked", ticked);
        QCOMPARE(window->findChild<QObject*>("okButton")->property("enabled").toBool(), enabled);
        QCOMPARE(window->findChild<QQuickItem*>("confirmationBox")->isVisible(), confirmation);
    }

    void returnIsInertWhileOkIsDisabled()
    {
        make(2, false);
        showAndActivate();
        QSignalSpy accepted(window.get(), SIGNAL(accepted()));
        QSignalSpy cancelled(window.get(), SIGNAL(cancelled()));
        QVERIFY(window->findChild<QQuickItem*>("field")->hasActiveFocus());

        QTest::keyClick(window.get(), Qt::Key_Return);
        QTest::keyClick(window.get(), Qt::Key_Enter);
        QCOMPARE(accepted.count(), 0);
        QVERIFY(window->isVisible());

        QTest::keyClick(window.get(), Qt::Key_Escape);
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(accepted.count(), 0);
        QVERIFY(!window->isVisible());
        QVERIFY(answers.empty());
    }

    void confirmationKeepsReturnInertUntilTicked()
    {
        make(2, true);
        controller->SetProperty("showInputField", false);
        showAndActivate();
        QSignalSpy accepted(window.get(), SIGNAL(accepted()));
        auto* box = window->findChild<QQuickItem*>("confirmationBox");
        box->forceActiveFocus();
        QTest::keyClick(window.get(), Qt::Key_Return);
        QCOMPARE(accepted.count(), 0);
        box->setProperty("checked", true);
        QTest::keyClick(window.get(), Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QCOMPARE(answers.size(), size_t(1));
        QCOMPARE(answers.front(), std::string());
    }

    void nonAsciiTextReachesTheCallback()
    {
        make(2, false);
        showAndActivate();
        QSignalSpy accepted(window.get(), SIGNAL(accepted()));
        typeText(QStringLiteral("Grüße – 音楽"));
        QCOMPARE(window->property("value").toString(), QStringLiteral("Grüße – 音楽"));
        QTest::keyClick(window.get(), Qt::Key_Return);
        QCOMPARE(accepted.count(), 1);
        QVERIFY(!window->isVisible());
        QCOMPARE(answers.size(), size_t(1));
        QCOMPARE(answers.front(), std::string("Gr\xC3\xBC\xC3\x9F"
                                              "e \xE2\x80\x93 \xE9\x9F\xB3\xE6\xA5\xBD"));
    }

    void escapeCancelsWhateverTheCancelButtonSays()
    {
        make(1, false);
        controller->SetProperty("acceptButtonText", "Save and Close");
        controller->SetProperty("cancelButtonText", "Close Without Saving");
        controller->SetProperty("negateButtonText", "Cancel");
        controller->SetProperty("showNegateButton", true);
        controller->SetProperty("showInputField", false);
        showAndActivate();
        QSignalSpy cancelled(window.get(), SIGNAL(cancelled()));
        QSignalSpy negated(window.get(), SIGNAL(negated()));

        // No control has focus yet: the keys do nothing.
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QTest::keyClick(window.get(), Qt::Key_Return);
        QCOMPARE(cancelled.count(), 0);
        QVERIFY(window->isVisible());

        QTest::keyClick(window.get(), Qt::Key_Tab);
        QVERIFY(window->findChild<QQuickItem*>("cancelButton")->hasActiveFocus());
        QTest::keyClick(window.get(), Qt::Key_Escape);
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(negated.count(), 0);
        QVERIFY(!window->isVisible());
    }

    void negateButtonAnswers()
    {
        make(1, false);
        controller->SetProperty("showNegateButton", true);
        controller->SetProperty("negateButtonText", "Cancel");
        showAndActivate();
        QSignalSpy negated(window.get(), SIGNAL(negated()));
        auto* negate = window->findChild<QQuickItem*>("negateButton");
        QVERIFY(negate->isVisible());
        QTest::mouseClick(window.get(), Qt::LeftButton, {},
                          negate->mapToScene(QPointF(negate->width() / 2, negate->height() / 2)).toPoint());
        QCOMPARE(negated.count(), 1);
        QVERIFY(!window->isVisible());
        QVERIFY(answers.empty());
    }

    void preambleOnlyInConfirmationMode()
    {
        make(2, false);
        controller->SetConfirmationPreamble("Read <a href=\"https://example.invalid\">this</a>.");
        QVERIFY(!window->findChild<QQuickItem*>("preamble")->isVisible());
        cleanup();
        make(2, true);
        controller->SetConfirmationPreamble("Read this.");
        QVERIFY(window->findChild<QQuickItem*>("preamble")->isVisible());
        QCOMPARE(window->property("confirmationPreamble").toString(), QStringLiteral("Read this."));
    }

    void fixedWidthHeightFollowsMessage()
    {
        make(2, false);
        const int shortHeight = window->height();
        QCOMPARE(window->width(), 425);
        controller->SetProperty("text", QString("A long message. ").repeated(40));
        QCOMPARE(window->width(), 425);
        QTRY_VERIFY(window->height() > shortHeight);
        QCOMPARE(window->minimumHeight(), window->maximumHeight());
    }

    void throwingCallbackStaysInTheSlot()
    {
        controller = std::make_unique<InputDialogController>(
            "Message", "Title", 2, nullptr, &engine,
            [](const std::string&) { throw std::runtime_error("callback failed"); }, false);
        window.reset(qobject_cast<QQuickWindow*>(controller->GetQmlObject()));
        controller->SetProperty("value", "x");
        QMetaObject::invokeMethod(window->findChild<QObject*>("okButton"), "clicked");
        QVERIFY(!window->isVisible());
    }

    void hostMayDeleteTheWindow()
    {
        make(2, false);
        window.reset();
        QVERIFY(!controller->GetQmlObject());
        controller->SetProperty("title", "Gone");
        controller->SetConfirmationPreamble("Gone");
    }

private:
    void make(int kind, bool confirmation)
    {
        controller = std::make_unique<InputDialogController>(
            "Message", "Title", kind, nullptr, &engine, [this](const std::string& text) { answers.push_back(text); },
            confirmation);
        window.reset(qobject_cast<QQuickWindow*>(controller->GetQmlObject()));
        QVERIFY(window);
    }

    // Types text as key events carrying the characters (any script).
    void typeText(const QString& text)
    {
        for (const QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
            QCoreApplication::sendEvent(window.get(), &press);
            QCoreApplication::sendEvent(window.get(), &release);
        }
    }

    void showAndActivate()
    {
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window.get()));
    }

    QQmlEngine engine;
    std::unique_ptr<InputDialogController> controller;
    std::unique_ptr<QQuickWindow> window;
    std::vector<std::string> answers;
};

QTEST_MAIN(TestInputDialogController)
#include "tst_inputdialogcontroller.moc"
