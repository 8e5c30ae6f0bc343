// The edit tools inside the main window: the edit button and a double click
// open the tool of the event's kind on it, the toolbar's buttons open a tool
// at their ticks, a second press replaces the tool, every way of closing a
// dialog lets its tool go, a change refreshes the lists, a tool's failure
// is shown, the click notice shows until it is confirmed, and the OSC button
// answers only with OSC on.

#include <QPointer>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <map>

#include "AppFixture.h"
#include "CL/Editor.h"
#include "MainWindowFixture.h"
#include "QmlWarningGuard.h"
#include "app/AppSettings.h"
#include "app/MusicalMainController.h"
#include "edit/EditController.h"
#include "edittools/CaesuraToolController.h"
#include "edittools/ClickToolController.h"
#include "edittools/CountToolControllers.h"
#include "edittools/MarkerToolController.h"
#include "edittools/OscToolController.h"
#include "edittools/RangeToolControllers.h"
#include "model/EditModel.h"
#include "model/ShowManager.h"
#include "timeline/TimelineController.h"
#include "ui/DialogController.h"

using app_test::TestFactory;
using vand::qt::EditToolController;

class TestEditToolWiring : public QObject, public app_test::MainWindowFixture<>
{
    Q_OBJECT
private:
    std::unique_ptr<vand::test::QmlWarningGuard> qmlWarnings;

    CL::Editor& Editor() const { return *controller->GetShowManager()->GetEditor(); }
    vand::qt::EditModel* Model() const { return controller->GetEditModel().get(); }

    // The open tools by kind.
    std::map<QString, EditToolController*> OpenTools() const
    {
        std::map<QString, EditToolController*> tools{{"Caesura", controller->GetCaesuraTool()},
                                                     {"Click", controller->GetClickTool()},
                                                     {"Cut", controller->GetCutTool()},
                                                     {"Marker", controller->GetMarkerTool()},
                                                     {"Osc", controller->GetOscTool()},
                                                     {"Repeat", controller->GetRepeatTool()},
                                                     {"Skip", controller->GetSkipTool()},
                                                     {"Tempo", controller->GetTempoTool()},
                                                     {"Transpose", controller->GetTransposeTool()},
                                                     {"Vamp", controller->GetVampTool()}};
        std::erase_if(tools, [](const auto& entry) { return entry.second == nullptr; });
        return tools;
    }
    QString OpenKinds() const
    {
        QStringList kinds;
        for (const auto& [kind, tool] : OpenTools())
            kinds << kind;
        return kinds.join(',');
    }
    static QObject* Dialog(EditToolController* tool) { return tool ? tool->GetQmlObject() : nullptr; }
    static QObject* Child(QObject* dialog, const char* name)
    {
        return dialog->findChild<QObject*>(QString::fromLatin1(name));
    }
    QString MessageTitle() const
    {
        auto* dialog = controller->GetMessageDialog();
        return dialog && dialog->GetQmlObject() ? dialog->GetQmlObject()->property("title").toString() : QString();
    }
    // The event as the edit panel's lists hold it: what the Edit button sends.
    cmn::VandEvent* ListedEvent(const std::string& id) const
    {
        for (const auto& event : Model()->changeLogPanelEvents) {
            if (event->EventId() == id)
                return event.get();
        }
        for (cmn::VandEvent* marker : Model()->markers) {
            if (marker->EventId() == id)
                return marker;
        }
        return nullptr;
    }
    void DeleteLater()
    {
        // The tool goes first; its dialog's deletion is queued by it.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void Start()
    {
        Build();
        factory->script->clock->Pump();
        QCoreApplication::sendPostedEvents();
    }

private slots:
    void initTestCase() { SetUpTestCase(); }

    void init()
    {
        qmlWarnings = std::make_unique<vand::test::QmlWarningGuard>();
        factory = std::make_unique<TestFactory>();
        Start();
    }

    void cleanup()
    {
        Destroy();
        // The tool's dialog goes after the tool.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        factory.reset();
        // Opening, using and closing the tools, and their going with the
        // main window, leave nothing in the log.
        const QStringList warnings = qmlWarnings->warnings();
        qmlWarnings.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
    }

    void editButtonOpensTheEventsTool_data()
    {
        QTest::addColumn<QString>("song");
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("kind");
        QTest::newRow("vamp @") << "2"
                                << "V3"
                                << "Vamp";
        QTest::newRow("repeat A") << "1"
                                  << "A5"
                                  << "Repeat";
        QTest::newRow("cut B") << "3"
                               << "B5"
                               << "Cut";
        QTest::newRow("transpose C") << "2"
                                     << "C13"
                                     << "Transpose";
        QTest::newRow("tempo D") << "1"
                                 << "D10"
                                 << "Tempo";
        QTest::newRow("marker E") << "1"
                                  << "E5"
                                  << "Marker";
        QTest::newRow("click L") << "2"
                                 << "L1"
                                 << "Click";
        QTest::newRow("skip M") << "2"
                                << "M11"
                                << "Skip";
        QTest::newRow("caesura N") << "1"
                                   << "N9"
                                   << "Caesura";
        QTest::newRow("OSC S") << "1"
                               << "S1"
                               << "Osc";
    }
    void editButtonOpensTheEventsTool()
    {
        QFETCH(QString, song);
        QFETCH(QString, id);
        QFETCH(QString, kind);
        LoadSong(song.toStdString());
        cmn::VandEvent* event = ListedEvent(id.toStdString());
        QVERIFY(event);

        emit controller->GetEditController()->EditButtonSignal(event);

        QCOMPARE(OpenKinds(), kind);
        QObject* dialog = Dialog(OpenTools().at(kind));
        QVERIFY(dialog);
        QVERIFY(dialog->property("visible").toBool());
        QVERIFY(dialog->property("isEdit").toBool());
        QCOMPARE(dialog->property("eventId").toString(), id);
        // The tool keeps its own copy of the event.
        const cmn::VandEvent* edited = OpenTools().at(kind)->GetEditedEvent();
        QVERIFY(edited && edited != event && *edited == *event);
    }

    void otherEventsOpenNothing()
    {
        emit controller->GetEditController()->EditButtonSignal(nullptr);
        CL::UnknownEvent unknown('Z', 3500, 0, "Z1", "{}");
        controller->onEditButton(&unknown);
        CL::Sfx effect(3500, "Q1", CL::SfxProperties());
        controller->onEditButton(&effect);
        QCOMPARE(OpenKinds(), QString());
    }

    void doubleClickOpensTheSelectedEvent()
    {
        emit controller->GetTimelineController()->EditDoubleClickedSignal();
        QCOMPARE(OpenKinds(), QString());
        Model()->SetSelectedEvent(ListedEvent("A5"));
        emit controller->GetTimelineController()->EditDoubleClickedSignal();
        QCOMPARE(OpenKinds(), QStringLiteral("Repeat"));
        QCOMPARE(Dialog(controller->GetRepeatTool())->property("eventId").toString(), QStringLiteral("A5"));
    }

    void toolButtonsOpenAtTheirTicks_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("range");
        // Overture: bar 2 starts at 3500, bar 4 at 7500; 500 ticks a beat.
        QTest::newRow("caesura") << "caesura"
                                 << "Caesura" << false;
        QTest::newRow("marker") << "marker"
                                << "Marker" << false;
        QTest::newRow("OSC") << "osc"
                             << "Osc" << false;
        QTest::newRow("cut") << "cut"
                             << "Cut" << true;
        QTest::newRow("skip") << "skip"
                              << "Skip" << true;
        QTest::newRow("click") << "click"
                               << "Click" << true;
        QTest::newRow("repeat") << "repeat"
                                << "Repeat" << true;
        QTest::newRow("tempo") << "tempo"
                               << "Tempo" << true;
        QTest::newRow("transpose") << "transpose"
                                   << "Transpose" << true;
        QTest::newRow("vamp") << "vamp"
                              << "Vamp" << true;
    }
    void toolButtonsOpenAtTheirTicks()
    {
        QFETCH(QString, button);
        QFETCH(QString, kind);
        QFETCH(bool, range);
        const QByteArray signal = (button + "ButtonPressed").toLatin1();
        // A tick just after bar 2 beat 3 (4500) and one on bar 4 beat 2.
        if (range)
            QVERIFY(QMetaObject::invokeMethod(window, signal.constData(), Q_ARG(int, 4510), Q_ARG(int, 8000)));
        else
            QVERIFY(QMetaObject::invokeMethod(window, signal.constData(), Q_ARG(int, 4510)));
        QCOMPARE(OpenKinds(), kind);
        QObject* dialog = Dialog(OpenTools().at(kind));
        QVERIFY(dialog->property("visible").toBool());
        QVERIFY(!dialog->property("isEdit").toBool());
        const auto text = [&](const char* picker) { return Child(dialog, picker)->property("displayText").toString(); };
        QCOMPARE(text("inBarInput") + ":" + text("inBeatInput"), QStringLiteral("2:3"));
        if (range)
            QCOMPARE(text("outBarInput") + ":" + text("outBeatInput"), QStringLiteral("4:2"));
        QVERIFY(!dialog->property("eventId").toString().isEmpty());
    }

    void secondPressReplacesTheTool()
    {
        QMetaObject::invokeMethod(window, "caesuraButtonPressed", Q_ARG(int, 3500));
        QPointer<EditToolController> first = controller->GetCaesuraTool();
        QPointer<QObject> firstDialog = Dialog(first);
        QVERIFY(first && firstDialog);
        QMetaObject::invokeMethod(window, "vampButtonPressed", Q_ARG(int, 3500), Q_ARG(int, 7500));
        QMetaObject::invokeMethod(window, "caesuraButtonPressed", Q_ARG(int, 5500));
        QVERIFY(!first);
        QVERIFY(controller->GetCaesuraTool());
        // Tools of different kinds stay open side by side.
        QCOMPARE(OpenKinds(), QStringLiteral("Caesura,Vamp"));
        QCOMPARE(Child(Dialog(controller->GetCaesuraTool()), "inBarInput")->property("displayText").toString(),
                 QStringLiteral("3"));
        DeleteLater();
        QVERIFY(!firstDialog);
    }

    void closingLetsTheToolGo_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("how");
        for (const QString kind :
             {"Caesura", "Click", "Cut", "Marker", "Osc", "Repeat", "Skip", "Tempo", "Transpose", "Vamp"}) {
            for (const QString how : {"OK", "Cancel", "Escape", "title bar"})
                QTest::addRow("%s, %s", qPrintable(kind), qPrintable(how)) << kind << how;
        }
    }
    void closingLetsTheToolGo()
    {
        QFETCH(QString, kind);
        QFETCH(QString, how);
        factory->hideClickToolNotice = true;
        const bool point = kind == "Caesura" || kind == "Marker" || kind == "Osc";
        const QByteArray pressed = (kind.toLower() + "ButtonPressed").toLatin1();
        if (point)
            QMetaObject::invokeMethod(window, pressed.constData(), Q_ARG(int, 3500));
        else
            QMetaObject::invokeMethod(window, pressed.constData(), Q_ARG(int, 3500), Q_ARG(int, 7500));
        QPointer<EditToolController> tool = OpenTools().at(kind);
        QPointer<QObject> dialog = Dialog(tool);
        auto* dialogWindow = qobject_cast<QQuickWindow*>(dialog.data());
        QVERIFY(QTest::qWaitForWindowActive(dialogWindow));
        const QByteArray closingSignal =
            kind == "Osc" ? QByteArray("2toolClosing()") : "2" + kind.toLower().toLatin1() + "ToolClosing()";
        QSignalSpy closing(tool.data(), closingSignal.constData());
        QSignalSpy updated(tool.data(), &EditToolController::valuesUpdated);
        QSignalSpy failures(tool.data(), &EditToolController::error);
        const std::size_t before = Editor().GetEventsByEventId().size();

        if (how == "OK")
            QMetaObject::invokeMethod(Child(dialog, "buttonRow"), "okayClicked");
        else if (how == "Cancel")
            QMetaObject::invokeMethod(Child(dialog, "buttonRow"), "cancelClicked");
        else if (how == "Escape")
            QTest::keyClick(dialogWindow, Qt::Key_Escape);
        else
            dialogWindow->close();

        QCOMPARE(closing.count(), 1);
        QCOMPARE(updated.count() + failures.count(), 0);
        QCOMPARE(OpenKinds(), QString());
        QCOMPARE(MessageTitle(), QString());
        QCOMPARE(Editor().GetEventsByEventId().size(), before + (how == "OK" ? 1 : 0));
        // Deleted once its closing signal has returned (a key press already
        // ran the event loop).
        if (how != "Escape")
            QVERIFY(tool);
        DeleteLater();
        QVERIFY(!tool);
        QVERIFY(!dialog);
    }

    void changesRefreshTheLists()
    {
        emit controller->GetEditController()->EditButtonSignal(ListedEvent("A5"));
        QObject* dialog = Dialog(controller->GetRepeatTool());
        dialog->setProperty("value", "4");
        factory->script->Take();
        QMetaObject::invokeMethod(Child(dialog, "buttonRow"), "okayClicked");
        QCOMPARE(Editor().GetEventsByEventId().at("A5")->int_value(), 4);
        QCOMPARE(ListedEvent("A5")->int_value(), 4);
        QVERIFY(factory->script->Take().contains("LoadNewChangeLog"));
        QVERIFY(controller->HasUnsavedEdits());
    }

    // The lists are rebuilt while the dialog is open (as a song cue or an
    // attacca step may do): the tool changes the event it opened on.
    void listsRebuiltUnderAnOpenDialog()
    {
        emit controller->GetEditController()->EditButtonSignal(ListedEvent("A5"));
        QObject* dialog = Dialog(controller->GetRepeatTool());
        controller->GetEditController()->RestoreViews();
        dialog->setProperty("value", "3");
        QMetaObject::invokeMethod(Child(dialog, "buttonRow"), "okayClicked");
        QCOMPARE(MessageTitle(), QString());
        QCOMPARE(Editor().GetEventsByEventId().at("A5")->int_value(), 3);
    }

    void toolFailuresAreShown()
    {
        QMetaObject::invokeMethod(window, "vampButtonPressed", Q_ARG(int, 3500), Q_ARG(int, 7500));
        QObject* dialog = Dialog(controller->GetVampTool());
        LoadSong("2");
        QMetaObject::invokeMethod(Child(dialog, "buttonRow"), "okayClicked");
        QCOMPARE(MessageTitle(), QStringLiteral("Edit Failed"));
        QCOMPARE(controller->GetMessageDialog()->GetQmlObject()->property("text").toString(),
                 QString::fromLatin1(EditToolController::kSongChangedText));
    }

    void clickNoticeShowsUntilConfirmed()
    {
        const auto press = [this] {
            QMetaObject::invokeMethod(window, "clickButtonPressed", Q_ARG(int, 3500), Q_ARG(int, 7500));
        };
        const auto noticeShown = [this] {
            auto* notice = controller->GetMessageDialog();
            return notice && notice->GetQmlObject()
                   && notice->GetQmlObject()->property("title").toString() == "About Click in Pelorin"
                   && notice->GetQmlObject()->property("visible").toBool();
        };
        press();
        QVERIFY(controller->GetClickTool());
        QVERIFY(noticeShown());
        press();
        QVERIFY(noticeShown());
        QMetaObject::invokeMethod(controller->GetMessageDialog()->GetQmlObject(), "checkboxConfirmed");
        press();
        QVERIFY(controller->GetClickTool());
        QVERIFY(!noticeShown());
        // The next test starts from a data folder that shows it again.
        controller->GetAppSettings()->SetShowDialog("ClickToolNotification", true);
        QVERIFY(controller->GetAppSettings()->GetShowDialog("ClickToolNotification"));
    }

    void productMaySuppressTheClickNotice()
    {
        controller.reset();
        factory->hideClickToolNotice = true;
        Start();
        QMetaObject::invokeMethod(window, "clickButtonPressed", Q_ARG(int, 3500), Q_ARG(int, 7500));
        QVERIFY(controller->GetClickTool());
        QCOMPARE(controller->GetMessageDialog(), nullptr);
    }

    void oscButtonNeedsOsc()
    {
        controller.reset();
        factory->oscEnabled = false;
        Start();
        QMetaObject::invokeMethod(window, "oscButtonPressed", Q_ARG(int, 3500));
        QCOMPARE(OpenKinds(), QString());
    }
};

QTEST_MAIN(TestEditToolWiring)
#include "tst_edittoolwiring.moc"
