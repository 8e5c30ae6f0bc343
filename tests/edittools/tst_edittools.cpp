// The edit tools' controllers on the demo show with the real edit controller
// and change-log editor: how the pickers are filled, the event id of a new
// event, the submissions and their failures, every tool creating and
// changing its event, the ticks a request becomes, the microshift limits, a
// song change under an open dialog, the click values, the tempo percentage
// and the OSC destinations; last the dialogs' keys.

#include <QSignalSpy>
#include <QTest>
#include <functional>
#include <map>

#include "CL/Editor.h"
#include "QmlWarningGuard.h"
#include "ToolFixture.h"
#include "edittools/CaesuraToolController.h"
#include "edittools/ClickToolController.h"
#include "edittools/CountToolControllers.h"
#include "edittools/MarkerToolController.h"
#include "edittools/OscToolController.h"
#include "edittools/RangeToolControllers.h"
#include "notify/CallbackDispatcher.h"
#include "showcontrol/NetworkListModel.h"

using edit_test::EditFixture;
using tool_test::Dialog;
using tool_test::Position;
using vand::qt::EditToolController;
namespace qt = vand::qt;

namespace {

using ToolPtr = std::unique_ptr<EditToolController>;

ToolPtr MakeTool(EditFixture& f, const QString& kind, vand::qt::EditController* edit)
{
    const std::map<QString, std::function<ToolPtr()>> makers{
        {"Caesura", [&] { return std::make_unique<qt::CaesuraToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Click", [&] { return std::make_unique<qt::ClickToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Cut", [&] { return std::make_unique<qt::CutToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Marker", [&] { return std::make_unique<qt::MarkerToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Osc", [&] { return std::make_unique<qt::OscToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Repeat", [&] { return std::make_unique<qt::RepeatToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Skip", [&] { return std::make_unique<qt::SkipToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Tempo", [&] { return std::make_unique<qt::TempoToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Transpose", [&] { return std::make_unique<qt::TransposeToolController>(&f.qml, f.engine, edit, nullptr); }},
        {"Vamp", [&] { return std::make_unique<qt::VampToolController>(&f.qml, f.engine, edit, nullptr); }},
    };
    return makers.at(kind)();
}

// Opens a tool for a new event over [in, out] (a point tool at in) as the
// main controller does: the opening slot, then ConnectSignals.
ToolPtr OpenNew(EditFixture& f, const QString& kind, const TL::BarsBeats& in, const TL::BarsBeats& out)
{
    ToolPtr tool = MakeTool(f, kind, f.edit.get());
    const UInt32 minimum = f.engine->GetMinStartTickIndex();
    if (auto* caesura = qobject_cast<qt::CaesuraToolController*>(tool.get()))
        caesura->onCaesuraButtonClicked(in, minimum);
    else if (auto* marker = qobject_cast<qt::MarkerToolController*>(tool.get()))
        marker->onMarkerButtonClicked(in);
    else if (auto* osc = qobject_cast<qt::OscToolController*>(tool.get()))
        osc->onToolButtonClicked(in, minimum);
    else
        QMetaObject::invokeMethod(tool.get(), qPrintable("on" + kind + "ButtonClicked"), Q_ARG(TL::BarsBeats, in),
                                  Q_ARG(TL::BarsBeats, out));
    tool->ConnectSignals();
    return tool;
}

// Opens the tool of the event's kind on it, as the main controller does.
ToolPtr OpenEdit(EditFixture& f, const QString& kind, const std::string& id)
{
    cmn::VandEvent* event = const_cast<cmn::VandEvent*>(f.Event(id));
    if (!event)
        qFatal("no event %s", id.c_str());
    ToolPtr tool = MakeTool(f, kind, f.edit.get());
    if (auto* osc = qobject_cast<qt::OscToolController*>(tool.get()))
        osc->onToolEdit(event, f.engine->GetMinStartTickIndex());
    else
        QMetaObject::invokeMethod(tool.get(), qPrintable("on" + kind + "Edit"), Q_ARG(cmn::VandEvent*, event));
    tool->ConnectSignals();
    return tool;
}

std::unique_ptr<EditFixture> Prelude()
{
    auto f = std::make_unique<EditFixture>(true, tool_test::AddPrelude);
    f->Load(tool_test::kPrelude);
    return f;
}

// The number of events of the current song (and the show's sound effects).
std::size_t EventCount(EditFixture& f)
{
    return f.Editor().GetEventsByEventId().size();
}

// The click value's row in the dialog's list; -1 when it is not offered.
int ClickRow(const Dialog& dialog, int value)
{
    return static_cast<int>(dialog.Get("clickCountModel").toList().indexOf(QVariant(value)));
}

// Enters a tool's value as the user would: the caesura's shift, the click
// value, the marker's text, the OSC command and its shift ("text@shift"),
// the count dialogs' typed number; nothing for a cut or skip.
void EnterValue(const Dialog& dialog, const QString& kind, const QString& value)
{
    if (kind == "Caesura") {
        dialog.Set("inShift", value.toInt());
    } else if (kind == "Click") {
        dialog.Set("clickCountIndex", ClickRow(dialog, value.toInt()));
    } else if (kind == "Marker") {
        dialog.Set("strValue", value);
    } else if (kind == "Osc") {
        dialog.Set("strValue", value.section('@', 0, 0));
        dialog.Set("inShift", value.section('@', 1).toInt());
    } else if (kind != "Cut" && kind != "Skip") {
        dialog.TypeCount(value);
    }
}

} // namespace

class TestEditTools : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<vand::test::QmlWarningGuard> guard_;

private slots:
    void initTestCase() { qRegisterMetaType<cmn::VandEvent*>(); }
    // No dialog may warn.
    void init() { guard_ = std::make_unique<vand::test::QmlWarningGuard>(); }
    void cleanup()
    {
        const QStringList warnings = guard_->warnings();
        guard_.reset();
        QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
        // The process-wide dispatcher outlives the test: a subscription left
        // behind would be called with a dangling target by the next one.
        QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
    }

    // --- pickers and ids ---------------------------------------------------

    void beatPickersFollowTheRange_data()
    {
        QTest::addColumn<TL::BarsBeats>("in");
        QTest::addColumn<TL::BarsBeats>("out");
        QTest::addColumn<QString>("expectedIn");
        QTest::addColumn<QString>("expectedOut");
        // Rows: "1" (2, 3, 4 from the start tick on), "2", "3", "4".
        // The out bar shows its own row, the beats are the first row's.
        QTest::newRow("in bar not in the list") << Position(9, 2) << Position(3, 3) << "0:2,3,4@0"
                                                << "2:2,3,4@0";
        QTest::newRow("first row, out later") << Position(1, 3) << Position(3, 2) << "0:2,3,4@1"
                                              << "2:1,2,3,4@1";
        QTest::newRow("first row, out in it") << Position(1, 4) << Position(1, 2) << "0:2,3,4@2"
                                              << "0:2,3,4@0";
        QTest::newRow("first row, out not in the list") << Position(1, 3) << Position(9, 4) << "0:2,3,4@1"
                                                        << "0:2,3,4@2";
        QTest::newRow("out before in") << Position(3, 2) << Position(2, 4) << "2:1,2,3,4@1"
                                       << "1:1,2,3,4@1";
        QTest::newRow("out after in") << Position(2, 2) << Position(4, 3) << "1:1,2,3,4@1"
                                      << "3:1,2,3,4@2";
        QTest::newRow("out in the in bar") << Position(3, 1) << Position(3, 4) << "2:1,2,3,4@0"
                                           << "2:1,2,3,4@3";
    }
    void beatPickersFollowTheRange()
    {
        QFETCH(TL::BarsBeats, in);
        QFETCH(TL::BarsBeats, out);
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, "Cut", in, out);
        const Dialog dialog(tool->GetQmlObject());
        QFETCH(QString, expectedIn);
        QFETCH(QString, expectedOut);
        QCOMPARE(dialog.Describe(true), expectedIn);
        QCOMPARE(dialog.Describe(false), expectedOut);
        QVERIFY(dialog.Get("visible").toBool());
        QVERIFY(!dialog.Get("isEdit").toBool());
    }

    void newEventIdFollowsTheInPosition()
    {
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, "Cut", Position(2, 1), Position(3, 1));
        const Dialog dialog(tool->GetQmlObject());
        const auto proposed = [&] {
            const UInt32 tick =
                tool->GetBarList()
                    ->getTime(dialog.Text("inBarInput").toStdString(), dialog.Text("inBeatInput").toInt())
                    .toUInt();
            return QString::fromStdString(f->Editor().GetSuggestedEventIdAtTick(tick, 'B'));
        };
        QCOMPARE(dialog.Get("eventId").toString(), QStringLiteral("B2"));
        dialog.Pick("inBarInput", 2);
        QCOMPARE(dialog.Text("inBarInput"), QStringLiteral("3"));
        QCOMPARE(dialog.Get("eventId").toString(), proposed());
        QVERIFY(dialog.Get("eventId").toString().startsWith("B3"));
        dialog.Pick("inBeatInput", 2);
        QCOMPARE(dialog.Get("eventId").toString(), QStringLiteral("B3.3"));
    }

    void editDialogKeepsItsEventId()
    {
        auto f = Prelude();
        f->Editor().AddEvent(CL::Cut(3000, 4500, "B9", 0));
        ToolPtr tool = OpenEdit(*f, "Cut", "B9");
        const Dialog dialog(tool->GetQmlObject());
        QVERIFY(dialog.Get("isEdit").toBool());
        QCOMPARE(dialog.Describe(true), QStringLiteral("1:1,2,3,4@0"));
        QCOMPARE(dialog.Describe(false), QStringLiteral("2:1,2,3,4@0"));
        QCOMPARE(dialog.Get("eventId").toString(), QStringLiteral("B9"));
        dialog.PickPosition(true, 3, 2);
        QCOMPARE(dialog.Get("eventId").toString(), QStringLiteral("B9"));
    }

    void selectAllSpansTheWholeSong()
    {
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, "Tempo", Position(2, 2), Position(2, 3));
        const Dialog dialog(tool->GetQmlObject());
        QVERIFY(QMetaObject::invokeMethod(dialog.Child("barAndBeatPanel"), "selectAll"));
        QCOMPARE(dialog.Describe(true), QStringLiteral("0:2,3,4@0"));
        QCOMPARE(dialog.Describe(false), QStringLiteral("3:1,2,3,4@3"));
        dialog.Ok();
        const std::string id = dialog.Get("eventId").toString().toStdString();
        QCOMPARE(tool_test::DescribeEvent(f->Editor(), id), QStringLiteral("D 1700 8000 D1.2 1"));
    }

    // --- submissions ------------------------------------------------------------

    void withoutAnEditControllerNothingIsSubmitted()
    {
        auto f = Prelude();
        ToolPtr tool = MakeTool(*f, "Repeat", nullptr);
        QSignalSpy errors(tool.get(), &EditToolController::error);
        const std::size_t before = EventCount(*f);
        QVERIFY(!tool->AddEvent(CL::Repeat(3000, 4500, "A1", 2)));
        QVERIFY(!tool->EditEventIntValue(CL::Repeat(3000, 4500, "A1", 2), 3));
        QCOMPARE(EventCount(*f), before);
        QCOMPARE(errors.count(), 0);
    }

    void refusedValueChangeIsReported()
    {
        EditFixture f;
        ToolPtr tool = OpenEdit(f, "Repeat", "A5");
        QSignalSpy errors(tool.get(), &EditToolController::error);
        QVERIFY(!tool->EditEventIntValue(*f.Event("A5"), 0));
        QCOMPARE(errors.count(), 1);
        QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("Edit Failed"));
        QVERIFY(QString::fromStdString(errors.at(0).at(0).value<std::string>()).contains("count"));
        QCOMPARE(f.Event("A5")->int_value(), 2);
    }

    void refusedAdditionIsShownByTheEditController()
    {
        EditFixture f;
        ToolPtr tool = MakeTool(f, "Repeat", f.edit.get());
        QSignalSpy toolErrors(tool.get(), &EditToolController::error);
        QSignalSpy editErrors(f.edit.get(), &vand::qt::EditController::error);
        const std::string before = f.Editor().GetChangeLog().ToJson();
        QVERIFY(tool->AddEvent(CL::Repeat(7500, 3500, "A9", 2)));
        QCOMPARE(f.Editor().GetChangeLog().ToJson(), before);
        QCOMPARE(toolErrors.count(), 0);
        QCOMPARE(editErrors.count(), 1);
        QCOMPARE(editErrors.at(0).at(1).value<std::string>(), std::string("Edit Failed"));
    }

    // --- every tool -------------------------------------------------------------------

    void eachToolCreatesItsEvent_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected"); // "<code> <start> <end> <value>"
        // In bar 2 beat 1 (3000), out bar 3 beat 1 (4500).
        QTest::newRow("caesura, shifted 100") << "Caesura"
                                              << "100"
                                              << "N 3100 0 -";
        QTest::newRow("click of a quarter") << "Click"
                                            << "8"
                                            << "L 3000 4500 8";
        QTest::newRow("cut") << "Cut"
                             << ""
                             << "B 3000 4500 -";
        QTest::newRow("marker") << "Marker"
                                << "Coda"
                                << "E 3000 0 Coda";
        QTest::newRow("OSC, shifted 10") << "Osc"
                                         << "/cue/9/go@10"
                                         << "S 3010 0 /cue/9/go@NETWORK0";
        QTest::newRow("repeat 3 times") << "Repeat"
                                        << "3"
                                        << "A 3000 4500 3";
        QTest::newRow("skip") << "Skip"
                              << ""
                              << "M 3000 4500 -";
        QTest::newRow("tempo 75 %") << "Tempo"
                                    << "75"
                                    << "D 3000 4500 0.75";
        QTest::newRow("transpose -2") << "Transpose"
                                      << "-2"
                                      << "C 3000 4500 -2";
        QTest::newRow("vamp 4 times") << "Vamp"
                                      << "4"
                                      << "@ 3000 4500 4";
    }
    void eachToolCreatesItsEvent()
    {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, kind, Position(2, 1, 3000), Position(3, 1, 4500));
        const Dialog dialog(tool->GetQmlObject());
        EnterValue(dialog, kind, value);
        QSignalSpy updated(tool.get(), &EditToolController::valuesUpdated);
        QSignalSpy editErrors(f->edit.get(), &vand::qt::EditController::error);
        const QString id = dialog.Get("eventId").toString();
        QVERIFY(!id.isEmpty());
        const std::size_t before = EventCount(*f);

        dialog.Ok();

        QCOMPARE(editErrors.count(), 0);
        QCOMPARE(EventCount(*f), before + 1);
        const QStringList parts = expected.split(' ');
        QCOMPARE(tool_test::DescribeEvent(f->Editor(), id.toStdString()),
                 QStringList({parts[0], parts[1], parts[2], id, parts[3]}).join(' '));
        QCOMPARE(updated.count(), 0);
        // Its list shows it.
        if (kind == "Marker")
            QCOMPARE(f->model->markers.size(), std::size_t(1));
        else
            QVERIFY(f->PanelRow(id.toStdString()) >= 0);
    }

    void eachToolChangesItsEvent_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");
        // Each event starts at bar 2 beat 1 (3000), a range ends at bar 3 (4500).
        QTest::newRow("caesura to bar 3, shifted 20") << "Caesura"
                                                      << "20"
                                                      << "N 4520 0 N1 -";
        QTest::newRow("click to bar 4, an eighth") << "Click"
                                                   << "4"
                                                   << "L 3000 6500 L1 4";
        QTest::newRow("cut to bar 4") << "Cut"
                                      << ""
                                      << "B 3000 6500 B1 -";
        QTest::newRow("marker to bar 3, renamed") << "Marker"
                                                  << "Coda"
                                                  << "E 4500 0 E1 Coda";
        QTest::newRow("OSC to bar 3, shifted 5") << "Osc"
                                                 << "/b@5"
                                                 << "S 4505 0 S1 /b@NETWORK0";
        QTest::newRow("repeat to bar 4, 5 times") << "Repeat"
                                                  << "5"
                                                  << "A 3000 6500 A1 5";
        QTest::newRow("skip to bar 4") << "Skip"
                                       << ""
                                       << "M 3000 6500 M1 -";
        QTest::newRow("tempo to bar 4, 75 %") << "Tempo"
                                              << "75"
                                              << "D 3000 6500 D1 0.75";
        QTest::newRow("transpose to bar 4, -3") << "Transpose"
                                                << "-3"
                                                << "C 3000 6500 C1 -3";
        QTest::newRow("vamp to bar 4, 7 times") << "Vamp"
                                                << "7"
                                                << "@ 3000 6500 V1 7";
    }
    void eachToolChangesItsEvent()
    {
        QFETCH(QString, kind);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        auto f = Prelude();
        CL::Editor& editor = f->Editor();
        const std::map<QString, std::function<void()>> records{
            {"Caesura", [&] { editor.AddEvent(CL::Caesura(3000, "N1", 0)); }},
            {"Click", [&] { editor.AddEvent(CL::Click(3000, 4500, "L1", 8)); }},
            {"Cut", [&] { editor.AddEvent(CL::Cut(3000, 4500, "B1", 0)); }},
            {"Marker", [&] { editor.AddEvent(CL::Marker(3000, "Intro", "E1")); }},
            {"Osc", [&] { editor.AddEvent(CL::Osc(3000, "S1", CL::OscProperties("/a", "NETWORK0"))); }},
            {"Repeat", [&] { editor.AddEvent(CL::Repeat(3000, 4500, "A1", 2)); }},
            {"Skip", [&] { editor.AddEvent(CL::Fermata(3000, 4500, "M1", 0)); }},
            {"Tempo", [&] { editor.AddEvent(CL::TempoScale(3000, 4500, "D1", 1.0)); }},
            {"Transpose", [&] { editor.AddEvent(CL::Transpose(3000, 4500, "C1", 1)); }},
            {"Vamp", [&] { editor.AddEvent(CL::Vamp(3000, 4500, "V1", 0)); }},
        };
        records.at(kind)();
        const std::string id = expected.split(' ').at(3).toStdString();
        ToolPtr tool = OpenEdit(*f, kind, id);
        const Dialog dialog(tool->GetQmlObject());
        QVERIFY(dialog.Get("isEdit").toBool());
        QCOMPARE(dialog.Get("eventId").toString(), QString::fromStdString(id));
        // Point events move to bar 3, ranges end at bar 4; then the values.
        const bool point = kind == "Caesura" || kind == "Marker" || kind == "Osc";
        if (point)
            dialog.PickPosition(true, 2, 0);
        else
            dialog.PickPosition(false, 3, 0);
        EnterValue(dialog, kind, value);
        QSignalSpy updated(tool.get(), &EditToolController::valuesUpdated);
        QSignalSpy toolErrors(tool.get(), &EditToolController::error);
        QSignalSpy editErrors(f->edit.get(), &vand::qt::EditController::error);
        const std::size_t before = EventCount(*f);

        dialog.Ok();

        QCOMPARE(tool_test::DescribeEvent(editor, id), expected);
        QCOMPARE(EventCount(*f), before);
        QCOMPARE(updated.count(), 1);
        QCOMPARE(toolErrors.count() + editErrors.count(), 0);
    }

    // --- ticks ------------------------------------------------------------------------------

    void startBeforeTheSongIsRaised_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<UInt32>("end");
        QTest::newRow("cut") << "Cut" << 4500u;
        QTest::newRow("vamp") << "Vamp" << 4500u;
        QTest::newRow("marker") << "Marker" << 0u;
    }
    void startBeforeTheSongIsRaised()
    {
        QFETCH(QString, kind);
        auto f = Prelude();
        // The pre-start beat, 1500, lies before the song's start (1700).
        ToolPtr tool = OpenNew(*f, kind, Position(1, 2, 1500), Position(3, 1, 4500));
        const Dialog dialog(tool->GetQmlObject());
        QCOMPARE(dialog.Text("inBarInput"), QStringLiteral("1"));
        QCOMPARE(dialog.Text("inBeatInput"), QStringLiteral("2"));
        const std::string id = dialog.Get("eventId").toString().toStdString();
        dialog.Ok();
        const cmn::VandEvent* event = f->Event(id);
        QVERIFY(event);
        QCOMPARE(event->start(), tool_test::kPreludeStart);
        QFETCH(UInt32, end);
        QCOMPARE(event->end(), end);
    }

    void invertedRangeIsRefused()
    {
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, "Cut", Position(3, 1), Position(2, 1));
        QSignalSpy editErrors(f->edit.get(), &vand::qt::EditController::error);
        const std::size_t before = EventCount(*f);
        Dialog(tool->GetQmlObject()).Ok();
        QCOMPARE(EventCount(*f), before);
        QCOMPARE(editErrors.count(), 1);
        QCOMPARE(editErrors.at(0).at(1).value<std::string>(), std::string("Edit Failed"));
    }

    void pointTicksAndTheirFloors_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("change");
        QTest::addColumn<QString>("bar"); // "zz": a bar the list lacks, tick 0
        QTest::addColumn<double>("shift");
        QTest::addColumn<UInt32>("expected");
        QTest::newRow("caesura: the fraction dropped") << "Caesura" << false << "2" << 12.7 << 3012u;
        QTest::newRow("OSC: the fraction dropped") << "Osc" << false << "2" << 12.7 << 3012u;
        // New events floor at the pre-start tick, then shift.
        QTest::newRow("caesura create floor") << "Caesura" << false << "zz" << 250.7 << 1750u;
        QTest::newRow("OSC create floor") << "Osc" << false << "zz" << 250.7 << 1750u;
        // A caesura change floors at the start tick, then shifts; an OSC
        // change shifts, then floors.
        QTest::newRow("caesura change floor") << "Caesura" << true << "zz" << 12.7 << 1712u;
        QTest::newRow("OSC change floor") << "Osc" << true << "zz" << 12.7 << 1700u;
    }
    void pointTicksAndTheirFloors()
    {
        QFETCH(QString, kind);
        QFETCH(bool, change);
        QFETCH(QString, bar);
        QFETCH(double, shift);
        QFETCH(UInt32, expected);
        auto f = Prelude();
        const bool caesura = kind == "Caesura";
        if (caesura)
            f->Editor().AddEvent(CL::Caesura(6500, "N1", 0));
        else
            f->Editor().AddEvent(CL::Osc(6500, "S1", CL::OscProperties("/a", "NETWORK0")));
        const std::string existing = caesura ? "N1" : "S1";
        ToolPtr tool = change ? OpenEdit(*f, kind, existing) : OpenNew(*f, kind, Position(3, 1), {});
        const std::string id = change ? existing : Dialog(tool->GetQmlObject()).Get("eventId").toString().toStdString();
        if (auto* c = qobject_cast<qt::CaesuraToolController*>(tool.get())) {
            if (change)
                c->onCaesuraChangeRequest(bar, 1, shift);
            else
                c->onCaesuraCreationRequest(bar, 1, shift);
        } else {
            auto* o = qobject_cast<qt::OscToolController*>(tool.get());
            if (change)
                o->onToolChangeRequest(bar, 1, "/a", "NETWORK0", shift);
            else
                o->onToolCreationRequest(bar, 1, "/a", "NETWORK0", shift);
        }
        const cmn::VandEvent* event = f->Event(id);
        QVERIFY(event);
        QCOMPARE(event->start(), expected);
    }

    // --- microshift ------------------------------------------------------------------------

    void shiftLimitsFollowTheBeat_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("edit");
        QTest::addColumn<int>("barRow");
        QTest::addColumn<int>("beatIndex");
        QTest::addColumn<QString>("expected"); // "min max enabled shift"
        for (const QString kind : {"Caesura", "Osc"}) {
            for (const bool edit : {false, true}) {
                const QString mode = edit ? " edit" : " new";
                QTest::addRow("%s%s: ordinary beat", qPrintable(kind), qPrintable(mode))
                    << kind << edit << 1 << 1 << "0 499 true 0";
                QTest::addRow("%s%s: nothing after the beat", qPrintable(kind), qPrintable(mode))
                    << kind << edit << 1 << 2 << "0 0 false 0";
                // The minimum start tick (1700) lies 200 after the pre-start beat.
                QTest::addRow("%s%s: pre-start beat", qPrintable(kind), qPrintable(mode))
                    << kind << edit << 0 << 0 << "200 499 true 200";
            }
        }
    }
    void shiftLimitsFollowTheBeat()
    {
        QFETCH(QString, kind);
        QFETCH(bool, edit);
        QFETCH(int, barRow);
        QFETCH(int, beatIndex);
        auto f = Prelude();
        if (kind == "Caesura")
            f->Editor().AddEvent(CL::Caesura(6510, "N1", 0));
        else
            f->Editor().AddEvent(CL::Osc(6510, "S1", CL::OscProperties("/a", "NETWORK0")));
        ToolPtr tool =
            edit ? OpenEdit(*f, kind, kind == "Caesura" ? "N1" : "S1") : OpenNew(*f, kind, Position(4, 1), {});
        const Dialog dialog(tool->GetQmlObject());
        if (edit)
            QCOMPARE(dialog.Get("inShift").toInt(), 10);
        dialog.PickPosition(true, barRow, beatIndex);
        const QString limits = QStringLiteral("%1 %2 %3 %4")
                                   .arg(dialog.Get("inShiftMin").toInt())
                                   .arg(dialog.Get("inShiftMax").toInt())
                                   .arg(dialog.Get("inShiftEnabled").toBool() ? "true" : "false")
                                   .arg(dialog.Get("inShift").toInt());
        QFETCH(QString, expected);
        QCOMPARE(limits, expected);
    }

    void newDialogOnThePreStartBeatStartsAtTheMinimum()
    {
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, "Caesura", Position(1, 2, 1500), {});
        const Dialog dialog(tool->GetQmlObject());
        QCOMPARE(dialog.Get("inShiftMin").toInt(), 200);
        QCOMPARE(dialog.Get("inShift").toInt(), 200);
        const QString id = dialog.Get("eventId").toString();
        dialog.Ok();
        QCOMPARE(tool_test::DescribeEvent(f->Editor(), id.toStdString()), "N 1700 0 " + id + " -");
    }

    // --- the song changes under an open dialog ------------------------------------------------

    void requestsAfterASongChangeAreRefused()
    {
        EditFixture f;
        ToolPtr created = OpenNew(f, "Vamp", Position(2, 1), Position(3, 1));
        ToolPtr changed = OpenEdit(f, "Repeat", "A5");
        Dialog(changed->GetQmlObject()).TypeCount("9");
        QSignalSpy createdErrors(created.get(), &EditToolController::error);
        QSignalSpy changedErrors(changed.get(), &EditToolController::error);
        QSignalSpy updated(changed.get(), &EditToolController::valuesUpdated);
        const std::string before = f.Editor().GetChangeLog().ToJson();

        f.Load("2");
        Dialog(created->GetQmlObject()).Ok();
        Dialog(changed->GetQmlObject()).Ok();

        QCOMPARE(f.Editor().GetChangeLog().ToJson(), before);
        for (QSignalSpy* errors : {&createdErrors, &changedErrors}) {
            QCOMPARE(errors->count(), 1);
            QCOMPARE(errors->at(0).at(0).value<std::string>(), std::string(EditToolController::kSongChangedText));
            QCOMPARE(errors->at(0).at(1).value<std::string>(), std::string("Edit Failed"));
        }
        QCOMPARE(updated.count(), 0);
    }

    // --- values ----------------------------------------------------------------------------------

    void clickEditChoosesTheEventsValue_data()
    {
        QTest::addColumn<bool>("scripted");
        QTest::addColumn<QList<int>>("values");
        QTest::addColumn<int>("expected"); // -1: where the player's list has 8
        QTest::newRow("the player's values") << false << QList<int>{} << -1;
        QTest::newRow("value not offered") << true << QList<int>{16, 2} << 0;
        QTest::newRow("value offered twice") << true << QList<int>{16, 8, 2, 8} << 1;
    }
    void clickEditChoosesTheEventsValue()
    {
        QFETCH(bool, scripted);
        QFETCH(QList<int>, values);
        QFETCH(int, expected);
        auto f = Prelude();
        f->Editor().AddEvent(CL::Click(3000, 4500, "L1", 8));
        if (scripted)
            f->script->clickValues = std::vector<int>(values.begin(), values.end());
        ToolPtr tool = OpenEdit(*f, "Click", "L1");
        const Dialog dialog(tool->GetQmlObject());
        if (expected < 0) {
            const auto offered = f->engine->GetClickValues(3000, 4500);
            expected = static_cast<int>(std::find(offered.begin(), offered.end(), 8) - offered.begin());
            QVERIFY(expected < static_cast<int>(offered.size()));
        }
        QCOMPARE(dialog.Get("clickCountIndex").toInt(), expected);
    }

    void clickValuesFollowThePickers()
    {
        auto f = Prelude();
        f->Editor().AddEvent(CL::Click(3000, 4500, "L1", 8));
        f->script->clickValues = std::vector<int>{16, 8, 2, 8};
        ToolPtr tool = OpenEdit(*f, "Click", "L1");
        const Dialog dialog(tool->GetQmlObject());
        QCOMPARE(dialog.Get("clickCountIndex").toInt(), 1);
        f->script->clickValues = std::vector<int>{4, 2};
        f->script->Take();
        dialog.Pick("outBeatInput", 2);
        const QStringList calls = f->script->Take();
        QVERIFY2(calls.contains("GetClickValues(3000,5500)"), qPrintable(calls.join(' ')));
        QCOMPARE(dialog.Get("clickCountModel").toList(), QVariantList({4, 2}));
        QCOMPARE(dialog.Get("clickCountIndex").toInt(), 0);
        QCOMPARE(dialog.Get("intValue").toInt(), 4);
    }

    void emptyClickListIsRefused()
    {
        auto f = Prelude();
        f->script->clickValues = std::vector<int>{};
        ToolPtr tool = OpenNew(*f, "Click", Position(2, 1), Position(3, 1));
        QSignalSpy editErrors(f->edit.get(), &vand::qt::EditController::error);
        const std::size_t before = EventCount(*f);
        Dialog(tool->GetQmlObject()).Ok();
        QCOMPARE(EventCount(*f), before);
        QCOMPARE(editErrors.count(), 1);
        QCOMPARE(editErrors.at(0).at(1).value<std::string>(), std::string("Edit Failed"));
    }

    void countDialogsOpenOnTheEventsNumber_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("number"); // the tempo's factor
        QTest::addColumn<int>("intValue");
        QTest::addColumn<QString>("text");
        QTest::newRow("endless vamp") << "Vamp" << 0.0 << 0 << "\u221E";
        QTest::newRow("vamp 4") << "Vamp" << 4.0 << 4 << "4";
        QTest::newRow("repeat 3") << "Repeat" << 3.0 << 3 << "3";
        QTest::newRow("transpose -2") << "Transpose" << -2.0 << -2 << "-2";
        QTest::newRow("tempo 1.25") << "Tempo" << 1.25 << 125 << "125";
        // 0.53f × 100 is 52.999996 in single precision.
        QTest::newRow("tempo 0.53f") << "Tempo" << double(0.53f) << 53 << "53";
        QTest::newRow("tempo 0.5") << "Tempo" << 0.5 << 50 << "50";
    }
    void countDialogsOpenOnTheEventsNumber()
    {
        QFETCH(QString, kind);
        QFETCH(double, number);
        auto f = Prelude();
        const std::map<QString, std::function<void()>> records{
            {"Vamp", [&] { f->Editor().AddEvent(CL::Vamp(3000, 4500, "X", int(number))); }},
            {"Repeat", [&] { f->Editor().AddEvent(CL::Repeat(3000, 4500, "X", int(number))); }},
            {"Transpose", [&] { f->Editor().AddEvent(CL::Transpose(3000, 4500, "X", int(number))); }},
            {"Tempo", [&] { f->Editor().AddEvent(CL::TempoScale(3000, 4500, "X", number)); }},
        };
        records.at(kind)();
        ToolPtr tool = OpenEdit(*f, kind, "X");
        const Dialog dialog(tool->GetQmlObject());
        QFETCH(int, intValue);
        QFETCH(QString, text);
        QCOMPARE(dialog.Get("intValue").toInt(), intValue);
        QCOMPARE(dialog.Get("value").toString(), text);
    }

    void tempoChangeHandsOnAFloat()
    {
        auto f = Prelude();
        f->Editor().AddEvent(CL::TempoScale(3000, 4500, "D1", 1.25));
        ToolPtr tool = OpenEdit(*f, "Tempo", "D1");
        Dialog(tool->GetQmlObject()).TypeCount("53");
        Dialog(tool->GetQmlObject()).Ok();
        const auto* scale = dynamic_cast<const CL::TempoScale*>(f->Event("D1"));
        QVERIFY(scale);
        QCOMPARE(scale->factor(), static_cast<double>(static_cast<float>(53 / 100.0)));
    }

    // --- OSC destinations ---------------------------------------------------------------------------

    void oscOffersTheShowsDestinations_data()
    {
        QTest::addColumn<QString>("networkId");
        QTest::addColumn<int>("row");
        QTest::newRow("first of two rows with its id") << "N1" << 0;
        QTest::newRow("second destination") << "N2" << 1;
        QTest::newRow("unknown destination") << "N7" << -1;
    }
    void oscOffersTheShowsDestinations()
    {
        QFETCH(QString, networkId);
        QFETCH(int, row);
        auto f = Prelude();
        f->Editor().UpdateNetworks({CL::NetworkPath("N1", "Desk", "10.0.0.2", 9000),
                                    CL::NetworkPath("N2", "Lights", "10.0.0.3", 9001),
                                    CL::NetworkPath("N1", "Desk again", "10.0.0.4", 9002)});
        f->Editor().AddEvent(CL::Osc(3000, "S1", CL::OscProperties("/go", networkId.toStdString())));
        ToolPtr tool = OpenEdit(*f, "Osc", "S1");
        const Dialog dialog(tool->GetQmlObject());
        auto* networks = qobject_cast<vand::NetworkListModel*>(dialog.Get("networkModel").value<QObject*>());
        QVERIFY(networks);
        QCOMPARE(networks->rowCount(), 3);
        QCOMPARE(networks->data(networks->index(1), vand::NetworkListModel::NameRole).toString(), "Lights");
        QCOMPARE(dialog.Get("networkCurrentIndex").toInt(), row);
        QCOMPARE(dialog.Get("strValue").toString(), QStringLiteral("/go"));
        // OK keeps the destination shown, none when none is.
        dialog.Ok();
        QCOMPARE(QString::fromStdString(f->Event("S1")->osc_properties().NetworkId()), row < 0 ? "" : networkId);
    }

    // --- keys -----------------------------------------------------------------------------------------

    void returnAndEscape_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("expected"); // empty: nothing made
        QTest::newRow("marker: typed, Return") << "Marker"
                                               << "Coda" << int(Qt::Key_Return) << "E 3000 0 Coda";
        QTest::newRow("repeat: 900, Return") << "Repeat"
                                             << "900" << int(Qt::Key_Return) << "A 3000 4500 500";
        QTest::newRow("vamp: text, Return") << "Vamp"
                                            << "abc" << int(Qt::Key_Return) << "@ 3000 4500 0";
        QTest::newRow("cut: Return") << "Cut"
                                     << "" << int(Qt::Key_Return) << "B 3000 4500 -";
        QTest::newRow("marker: Escape") << "Marker"
                                        << "Coda" << int(Qt::Key_Escape) << "";
        QTest::newRow("cut: Escape") << "Cut"
                                     << "" << int(Qt::Key_Escape) << "";
    }
    void returnAndEscape()
    {
        QFETCH(QString, kind);
        QFETCH(QString, typed);
        QFETCH(int, key);
        QFETCH(QString, expected);
        auto f = Prelude();
        ToolPtr tool = OpenNew(*f, kind, Position(2, 1), Position(3, 1));
        const Dialog dialog(tool->GetQmlObject());
        QQuickWindow* window = dialog.Window();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const QByteArray closing = kind.toLower().toLatin1() + "ToolClosing()";
        QSignalSpy closed(tool.get(), QByteArray("2" + closing).constData());
        const QString id = dialog.Get("eventId").toString();
        const std::size_t before = EventCount(*f);
        if (!typed.isEmpty()) {
            // The text field holds the focus: select all, then type.
            QTest::keyClick(window, Qt::Key_A, Qt::ControlModifier);
            for (const QChar c : typed)
                QTest::keyClick(window, c.toLatin1());
        }
        QTest::keyClick(window, Qt::Key(key));
        QCOMPARE(closed.count(), 1);
        if (expected.isEmpty()) {
            QCOMPARE(EventCount(*f), before);
            return;
        }
        const QStringList parts = expected.split(' ');
        QCOMPARE(tool_test::DescribeEvent(f->Editor(), id.toStdString()),
                 QStringList({parts[0], parts[1], parts[2], id, parts[3]}).join(' '));
    }
};

QTEST_MAIN(TestEditTools)
#include "tst_edittools.moc"
