// The MIDI manager window and its command rows, offscreen, on the product's
// engine with a MIDI input fed by hand: rows built from the player's learned
// commands, hand assignment, learning, the choice of the input and what the
// settings keep of it.

#include <QColor>
#include <QFile>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <iostream>
#include <memory>

#include "../app/AppFixture.h"
#include "QmlWarningGuard.h"
#include "StreamCapture.h"
#include "app/AppQmlEngineSetup.h"
#include "kit/Log.h"
#include "showcontrol/MidiManagerCommandController.h"
#include "showcontrol/MidiManagerController.h"

using app_test::DataFolder;
using app_test::EngineScript;
using app_test::FakeMidi;
using app_test::TestEngine;
using vand::qt::MidiManagerCommandController;
using vand::qt::MidiManagerController;
namespace fs = std::filesystem;

namespace {

constexpr int kCommandCount = 12;
constexpr int kNoteOn = 0x90;
constexpr int kControlChange = 0xB0;
constexpr int kAllowedCount = 4; // note on, note off, control change, program change

class FakeSettings : public vand::qt::MidiSourceSettings
{
public:
    QString GetMidiSourceName() const override { return name; }
    void SetMidiSourceName(const QString& value) override { name = value; }
    bool Save() override
    {
        saved << name;
        return saveResult;
    }

    QString name;
    QStringList saved; // the name at each save
    bool saveResult = true;
};

// An engine whose allowed statuses include one the status-name table lacks.
class OddStatusEngine : public TestEngine
{
public:
    using TestEngine::TestEngine;
    std::vector<int> GetAllowedCommandStatuses() const override { return {kNoteOn, 0xF0}; }
};

// What a row shows.
struct RowState
{
    int statusIndex = 0;
    int channelIndex = 0;
    int noteIndex = 0;
    bool learned = false;
    bool learning = false;
    bool enabled = false;
    bool operator==(const RowState&) const = default;
};

char* toString(const RowState& s)
{
    return QTest::toString(QStringLiteral("status %1, channel %2, note %3, learned %4, learning %5, enabled %6")
                               .arg(s.statusIndex)
                               .arg(s.channelIndex)
                               .arg(s.noteIndex)
                               .arg(s.learned)
                               .arg(s.learning)
                               .arg(s.enabled));
}

RowState StateOf(const MidiManagerCommandController& row)
{
    QObject* view = row.GetQmlObject();
    return {view->property("midiStatusIndex").toInt(),  view->property("channelIndex").toInt(),
            view->property("midiNoteIndex").toInt(),    view->property("learnedCommand").toBool(),
            view->property("learningCommand").toBool(), view->property("enabledCommand").toBool()};
}

const RowState kUnlearned{kAllowedCount, -1, -1, false, false, true};

QObject* Child(QObject* root, const char* name)
{
    QObject* found = root ? root->findChild<QObject*>(QString::fromLatin1(name)) : nullptr;
    if (!found)
        qWarning("no child named %s", name);
    return found;
}

// Picks entry index of a list in a row, as the user does.
void Pick(QObject* row, const char* list, int index)
{
    QVERIFY(Child(row, list));
    Child(row, list)->setProperty("currentIndex", index);
}

} // namespace

class TestMidiManager : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<DataFolder> folder;
    QQmlApplicationEngine qml;
    std::shared_ptr<EngineScript> script;
    std::shared_ptr<FakeMidi> midi;
    std::shared_ptr<TestEngine> engine;
    std::shared_ptr<FakeSettings> settings;
    std::unique_ptr<MidiManagerController> manager;

    void StartEngine() { engine = std::make_shared<TestEngine>(folder->show.string(), folder->data.string(), script); }

    // Builds the window; neither QML nor the controller reports anything (the
    // engine may log an input that does not open).
    void Open()
    {
        vand::test::QmlWarningGuard guard;
        std::string reported;
        kit::SetLogSink([&reported](kit::LogLevel, std::string_view area, std::string_view text) {
            if (area != "engine")
                reported.append(text).append("\n");
        });
        std::shared_ptr<Interface> player = engine;
        manager = std::make_unique<MidiManagerController>(
            &qml, [player] { return player; }, settings, nullptr);
        kit::SetLogSink({});
        QVERIFY(manager->GetQmlObject());
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
        QVERIFY2(reported.empty(), reported.c_str());
    }

    MidiManagerCommandController& Row(int id) { return *manager->GetRows().at(static_cast<std::size_t>(id)); }
    QObject* Window() { return manager->GetQmlObject(); }

private slots:
    void initTestCase()
    {
        folder = std::make_unique<DataFolder>();
        vand::qt::PrepareAppQmlEngine(qml);
    }

    void init()
    {
        fs::remove(folder->data / "pelorin2" / "midi.json");
        script = std::make_shared<EngineScript>();
        midi = std::make_shared<FakeMidi>();
        midi->sources = {{"Keyboard", "20:0"}, {"Pads", "24:0"}, {"Drums", "28:0"}};
        script->midi = midi;
        settings = std::make_shared<FakeSettings>();
        settings->name = QStringLiteral("Keyboard");
    }

    void cleanup()
    {
        manager.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        engine.reset();
    }

    void rowsFollowThePlayersCommands()
    {
        StartEngine();
        engine->SetMidiCommand(0, kNoteOn, 15, 64);
        engine->SetMidiCommand(5, kControlChange, 2, 7);
        engine->SetMidiSource(0); // the saved input, so opening the window keeps it
        engine->LearnMidiCommand(2);
        Open();

        const auto& rows = manager->GetRows();
        QCOMPARE(int(rows.size()), kCommandCount);
        const auto names = engine->GetCommandNames();
        for (int id = 0; id < kCommandCount; ++id) {
            QCOMPARE(Row(id).GetCommandId(), id);
            QCOMPARE(Row(id).GetQmlObject()->property("commandName").toString(),
                     QString::fromStdString(names.at(static_cast<unsigned char>(id))));
            QCOMPARE(Row(id).GetQmlObject()->parent(), Child(Window(), "commandColumn"));
        }
        QCOMPARE(StateOf(Row(0)), (RowState{0, 15, 64, true, false, true}));
        QCOMPARE(StateOf(Row(5)), (RowState{2, 2, 7, true, false, true}));
        QCOMPARE(StateOf(Row(2)), (RowState{kAllowedCount, -1, -1, false, true, false}));
        QCOMPARE(StateOf(Row(1)), kUnlearned);

        // The lamps: on, sky blue while learning, off.
        const auto lamp = [&](int id) {
            return Child(Row(id).GetQmlObject(), "commandLamp")->property("color").value<QColor>();
        };
        QCOMPARE(lamp(0), QColor("lawngreen"));
        QCOMPARE(lamp(2), QColor("#87CEEB"));
        QCOMPARE(lamp(1), QColor("dimgray"));

        // The status lists name the allowed statuses in the player's order.
        QStringList shown;
        auto* model = Row(1).GetQmlObject()->property("midiStatusModel").value<QAbstractItemModel*>();
        QVERIFY(model);
        for (int i = 0; i < model->rowCount(); ++i)
            shown << model->index(i, 0).data(model->roleNames().key("displayname")).toString();
        QCOMPARE(shown, (QStringList{"Note On", "Note Off", "Control Change", "Program Change"}));
    }

    void handAssignmentWaitsForAllThree_data()
    {
        QTest::addColumn<QStringList>("order");
        QTest::newRow("status, channel, note") << QStringList{"statusList", "channelList", "noteList"};
        QTest::newRow("note, status, channel") << QStringList{"noteList", "statusList", "channelList"};
        QTest::newRow("channel, note, status") << QStringList{"channelList", "noteList", "statusList"};
    }

    void handAssignmentWaitsForAllThree()
    {
        QFETCH(QStringList, order);
        StartEngine();
        Open();
        script->Take();
        QObject* row = Row(1).GetQmlObject();
        const QMap<QString, int> picks{{"statusList", 2}, {"channelList", 15}, {"noteList", 60}};

        Pick(row, qPrintable(order[0]), picks[order[0]]);
        Pick(row, qPrintable(order[1]), picks[order[1]]);
        QCOMPARE(script->Take(), QStringList{});
        Pick(row, qPrintable(order[2]), picks[order[2]]);
        QCOMPARE(script->Take(), QStringList{"SetMidiCommand(1,176,15,60)"});
        QCOMPARE(engine->GetLearnedCommands().at(1), (midi_commands::LearnedCommand{0xB0, 15, 60}));
        // Every later change is sent; the lamp stays as it was.
        Pick(row, "noteList", 61);
        QCOMPARE(script->Take(), QStringList{"SetMidiCommand(1,176,15,61)"});
        QCOMPARE(StateOf(Row(1)), (RowState{2, 15, 61, false, false, true}));
        // Taking the window down empties its lists without sending that.
        manager.reset();
        QCOMPARE(script->Take(), QStringList{});
        QCOMPARE(engine->GetLearnedCommands().at(1), (midi_commands::LearnedCommand{0xB0, 15, 61}));
    }

    void learningShowsTheLearnedMessage()
    {
        StartEngine();
        Open();
        script->Take();
        QObject* row = Row(4).GetQmlObject();
        QVERIFY(QMetaObject::invokeMethod(row, "learnClicked"));
        QCOMPARE(script->Take(), QStringList{"LearnMidiCommand(4)"});
        QVERIFY(engine->IsMidiCommandLearning(4));
        QCOMPARE(StateOf(Row(4)), (RowState{kAllowedCount, -1, -1, false, true, false}));

        // Note on, channel 16, note 64, as the main controller decodes it.
        manager->MidiLearned(4, kNoteOn, 15, 64);
        QCOMPARE(StateOf(Row(4)), (RowState{0, 15, 64, true, false, true}));
        QCOMPARE(Row(4).GetStatus(), kNoteOn);
        QCOMPARE(Row(4).GetChannel(), 15);
        QCOMPARE(Row(4).GetNote(), 64);
        // Shown, not sent back.
        QCOMPARE(script->Take(), QStringList{});
        QCOMPARE(Child(row, "commandLamp")->property("color").value<QColor>(), QColor("lawngreen"));
    }

    void cancelledLearningShowsWhatThePlayerKeeps_data()
    {
        QTest::addColumn<bool>("assigned");
        QTest::newRow("assigned before") << true;
        QTest::newRow("never assigned") << false;
    }

    // The player keeps a command's assignment when its learning is cancelled;
    // the row shows it rather than a blank row.
    void cancelledLearningShowsWhatThePlayerKeeps()
    {
        QFETCH(bool, assigned);
        StartEngine();
        if (assigned)
            engine->SetMidiCommand(3, kNoteOn, 0, 60);
        Open();
        QVERIFY(QMetaObject::invokeMethod(Row(3).GetQmlObject(), "learnClicked"));
        manager->MidiUnlearned(3);
        QCOMPARE(StateOf(Row(3)), assigned ? (RowState{0, 0, 60, true, false, true}) : kUnlearned);
    }

    void unknownCommandsChangeNoRow()
    {
        StartEngine();
        engine->SetMidiCommand(0, kNoteOn, 1, 2);
        Open();
        QVERIFY(QMetaObject::invokeMethod(Row(6).GetQmlObject(), "learnClicked"));
        std::vector<RowState> before;
        for (int id = 0; id < kCommandCount; ++id)
            before.push_back(StateOf(Row(id)));
        manager->MidiLearned(99, kNoteOn, 3, 4);
        manager->MidiUnlearned(99);
        manager->MidiUnlearned(-1);
        for (int id = 0; id < kCommandCount; ++id)
            QCOMPARE(StateOf(Row(id)), before[static_cast<std::size_t>(id)]);
    }

    void aStatusWithoutANameShowsItsValue()
    {
        engine = std::make_shared<OddStatusEngine>(folder->show.string(), folder->data.string(), script);
        engine->SetMidiCommand(0, 0xF0, 0, 1);
        Open();
        auto* model = Row(0).GetQmlObject()->property("midiStatusModel").value<QAbstractItemModel*>();
        QVERIFY(model);
        QCOMPARE(model->rowCount(), 2);
        const int name = model->roleNames().key("displayname");
        QCOMPARE(model->index(0, 0).data(name).toString(), QStringLiteral("Note On"));
        QCOMPARE(model->index(1, 0).data(name).toString(), QStringLiteral("0xF0"));
        QCOMPARE(StateOf(Row(0)).statusIndex, 1);
    }

    void theSavedInputIsSelected_data()
    {
        QTest::addColumn<QStringList>("sources");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QStringList>("refused");
        QTest::addColumn<int>("index");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("lamp");
        const QStringList three{"Keyboard", "Pads", "Drums"};
        QTest::newRow("saved name present")
            << three << "Drums" << QStringList{} << 2 << QStringList{"SetMidiSource(2)"} << true;
        QTest::newRow("saved name absent: the first")
            << three << "Gone" << QStringList{} << 0 << QStringList{"SetMidiSource(0)"} << true;
        QTest::newRow("names are case-sensitive")
            << three << "pads" << QStringList{} << 0 << QStringList{"SetMidiSource(0)"} << true;
        QTest::newRow("no inputs") << QStringList{} << "Pads" << QStringList{} << 0 << QStringList{} << false;
        QTest::newRow("the saved input does not open")
            << three << "Pads" << QStringList{"Pads"} << 1 << QStringList{"SetMidiSource(1)"} << false;
    }

    void theSavedInputIsSelected()
    {
        QFETCH(QStringList, sources);
        QFETCH(QString, saved);
        QFETCH(QStringList, refused);
        QFETCH(int, index);
        QFETCH(QStringList, calls);
        QFETCH(bool, lamp);
        midi->sources.clear();
        for (int i = 0; i < sources.size(); ++i)
            midi->sources.emplace_back(sources[i].toStdString(), std::to_string(20 + i) + ":0");
        for (const QString& name : refused)
            midi->refused.insert(name.toStdString());
        settings->name = saved;
        StartEngine();
        script->Take();
        Open();
        QCOMPARE(Window()->property("sourceModel").toStringList(), sources);
        QCOMPARE(Window()->property("sourceIndex").toInt(), index);
        QCOMPARE(Window()->property("sourceStatus").toBool(), lamp);
        QCOMPARE(script->Take(), calls);
        QCOMPARE(engine->HasMidiSource(), lamp);
        // The settings are not touched by opening the window.
        QCOMPARE(settings->name, saved);
        QCOMPARE(settings->saved, QStringList{});
        QCOMPARE(Child(Window(), "sourceLamp")->property("color").value<QColor>(),
                 QColor(lamp ? "lawngreen" : "dimgray"));
    }

    void pickingAnInput_data()
    {
        QTest::addColumn<int>("pick");
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QStringList>("saved");
        QTest::addColumn<bool>("lamp");
        QTest::addColumn<int>("index");
        QTest::newRow("another input") << 2 << "" << QStringList{"Drums"} << true << 2;
        QTest::newRow("an input that does not open: lamp off") << 1 << "Pads" << QStringList{"Pads"} << false << 1;
        QTest::newRow("outside the list: not saved") << 7 << "" << QStringList{} << false << 7;
    }

    void pickingAnInput()
    {
        QFETCH(int, pick);
        QFETCH(QString, refused);
        QFETCH(QStringList, saved);
        QFETCH(bool, lamp);
        QFETCH(int, index);
        midi->refused.insert(refused.toStdString());
        StartEngine();
        Open();
        QVERIFY(Window()->property("sourceStatus").toBool());
        script->Take();

        // As the input list reports the user's choice.
        QVERIFY(QMetaObject::invokeMethod(Window(), "sourceSelected", Q_ARG(int, pick)));
        QCOMPARE(script->Take(), QStringList{"SetMidiSource(" + QString::number(pick) + ")"});
        QCOMPARE(settings->saved, saved);
        QCOMPARE(Window()->property("sourceStatus").toBool(), lamp);
        if (lamp)
            QCOMPARE(Window()->property("sourceIndex").toInt(), index);
    }

    // The window selects the saved input each time it opens; the input is
    // open already, so a learning in progress goes on.
    void reopeningWhileLearningKeepsTheRowLearning()
    {
        StartEngine();
        engine->SetMidiSource(0);
        engine->LearnMidiCommand(7);
        Open();
        manager.reset();
        Open();
        QVERIFY(engine->IsMidiCommandLearning(7));
        QCOMPARE(StateOf(Row(7)), (RowState{kAllowedCount, -1, -1, false, true, false}));
    }

    void playerFailuresBecomeOneLine_data()
    {
        QTest::addColumn<QString>("failing");
        QTest::addColumn<QString>("line");
        QTest::newRow("assignment") << "SetMidiCommand"
                                    << "MIDI Manager: choosing a note failed: engine refused SetMidiCommand\n";
        QTest::newRow("learning") << "LearnMidiCommand"
                                  << "MIDI Manager: learning a MIDI command failed: engine refused LearnMidiCommand\n";
        QTest::newRow("input") << "SetMidiSource"
                               << "MIDI Manager: choosing the MIDI input failed: engine refused SetMidiSource\n";
    }

    // The slots run from QML signals: a failure of the player is written
    // once and leaves the row usable.
    void playerFailuresBecomeOneLine()
    {
        QFETCH(QString, failing);
        QFETCH(QString, line);
        StartEngine();
        Open();
        script->failing.insert(failing.toStdString());
        QObject* row = Row(1).GetQmlObject();
        vand::test::StreamCapture errors(std::cerr);
        if (failing == "SetMidiCommand") {
            Pick(row, "statusList", 0);
            Pick(row, "channelList", 0);
            Pick(row, "noteList", 1);
        } else if (failing == "LearnMidiCommand") {
            QVERIFY(QMetaObject::invokeMethod(row, "learnClicked"));
            QCOMPARE(StateOf(Row(1)).learning, false);
            QCOMPARE(StateOf(Row(1)).enabled, true);
        } else {
            QVERIFY(QMetaObject::invokeMethod(Window(), "sourceSelected", Q_ARG(int, 1)));
            QCOMPARE(settings->saved, QStringList{});
        }
        QCOMPARE(QString::fromStdString(errors.text()), line);
    }

    void closingOnlyHidesTheWindow_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Close button") << false;
        QTest::newRow("Escape") << true;
    }

    void closingOnlyHidesTheWindow()
    {
        QFETCH(bool, escape);
        StartEngine();
        Open();
        auto* window = qobject_cast<QQuickWindow*>(Window());
        QVERIFY(window);
        manager->SetVisible(true);
        window->requestActivate();
        QVERIFY(QTest::qWaitForWindowActive(window));
        // The Close button has the focus.
        QCOMPARE(window->activeFocusItem(), Child(window, "closeButton"));
        if (escape)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            QTest::keyClick(window, Qt::Key_Space);
        QVERIFY(!window->isVisible());
        QCOMPARE(manager->GetQmlObject(), window);
    }

    // Nothing asks for the MIDI Show Control row; shown, it holds the
    // device id 78 of 0 to 127.
    void mscRowOnRequest()
    {
        if (!QFile::exists(QStringLiteral(":/qt/qml/com/tarnwick/vand_ui/qml/CustomSpinBox.qml")))
            QSKIP("the component library has no CustomSpinBox yet");
        StartEngine();
        Open();
        QObject* row = Child(Window(), "mscRow");
        QCOMPARE(row->property("visible").toBool(), false);
        vand::test::QmlWarningGuard guard;
        QVERIFY(Window()->setProperty("showMSCOptions", true));
        QObject* box = Child(Window(), "mscDeviceId")->property("item").value<QObject*>();
        QVERIFY(box);
        QCOMPARE(box->property("from").toInt(), 0);
        QCOMPARE(box->property("to").toInt(), 127);
        QCOMPARE(box->property("intValue").toInt(), 78);
        QVERIFY2(guard.warnings().isEmpty(), qPrintable(guard.warnings().join('\n')));
    }

    void noShowMeansNoWindow()
    {
        vand::test::StreamCapture errors(std::cerr);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error,
                                 MidiManagerController(
                                     &qml, [] { return std::shared_ptr<Interface>(); }, settings, nullptr));
    }
};

QTEST_MAIN(TestMidiManager)
#include "tst_midimanager.moc"
