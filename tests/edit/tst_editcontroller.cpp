// The edit controller on the small demo show with the real views: what a
// refresh rebuilds for the codes it gets, the selection rules, delete, undo
// and redo with and without something to act on (per song), refused edits,
// a marker row click, the song switch and the toolbar's flags.

#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <mutex>

#include "CL/Editor.h"
#include "EditFixture.h"
#include "kit/Log.h"
#include "model/BarsBeatsEventSequence.h"
#include "notify/CallbackDispatcher.h"

using edit_test::EditFixture;
using vand::qt::EditController;
using vand::qt::TimelineEditController;

namespace {

// Lines logged while alive, as "area: text".
class LogCapture
{
public:
    LogCapture()
    {
        kit::SetLogSink([this](kit::LogLevel, std::string_view area, std::string_view text) {
            std::lock_guard lock(mutex_);
            lines_ << QString::fromUtf8(area.data(), int(area.size())) + ": "
                          + QString::fromUtf8(text.data(), int(text.size()));
        });
    }
    ~LogCapture() { kit::SetLogSink({}); }
    QStringList Lines() const
    {
        std::lock_guard lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    QStringList lines_;
};

// Counts the publications of a dispatcher name while alive.
class Publications
{
public:
    explicit Publications(const std::string& name)
    {
        notify::callbackDispatcher.AddCallback(this, name, [this](void* data) {
            ++count;
            if (data)
                values.push_back(*static_cast<bool*>(data));
        });
    }
    ~Publications() { notify::callbackDispatcher.RemoveCallbacksForTarget(this); }
    int count = 0;
    std::vector<bool> values;
};

QList<QVariant> Flags(bool canUndo, bool canRedo, bool canSave, bool canShare)
{
    return {canUndo, canRedo, canSave, canShare};
}

} // namespace

class TestEditController : public QObject
{
    Q_OBJECT
private slots:
    // The process-wide dispatcher outlives the test: a subscription left
    // behind would be called with a dangling target by the next one.
    void cleanup() { QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0)); }

    void refreshFollowsTheEditedKinds_data()
    {
        QTest::addColumn<bool>("markerEditFirst");
        QTest::addColumn<QList<int>>("codes");
        QTest::addColumn<bool>("events");
        QTest::addColumn<bool>("markers");
        QTest::addColumn<bool>("bars");

        QTest::newRow("marker code") << false << QList<int>{'E'} << false << true << false;
        QTest::newRow("cut code") << false << QList<int>{'B'} << true << false << false;
        QTest::newRow("click code") << false << QList<int>{'L'} << true << false << true;
        QTest::newRow("marker and cut codes") << false << QList<int>{'E', 'B'} << true << true << false;
        QTest::newRow("no codes: the last edit, a marker") << true << QList<int>{} << false << true << false;
        QTest::newRow("no codes, no edit yet: every kind") << false << QList<int>{} << true << true << true;
    }

    void refreshFollowsTheEditedKinds()
    {
        QFETCH(bool, markerEditFirst);
        QFETCH(QList<int>, codes);
        QFETCH(bool, events);
        QFETCH(bool, markers);
        QFETCH(bool, bars);

        EditFixture f;
        if (markerEditFirst)
            f.Editor().AddEvent(CL::Marker(f.model->markers[0]->abs_time() + 100, "New", ""));
        f.model->SetSelectedEvent(f.model->changeLogPanelEvents.front().get());
        QVERIFY(f.model->selectedEvent);
        f.FireTimers();
        f.script->Take();

        QSignalSpy eventResets(f.edit->GetEventList()->GetModel(), &QAbstractItemModel::modelReset);
        QSignalSpy markerResets(f.edit->GetMarkerList()->GetModel(), &QAbstractItemModel::modelReset);
        QSignalSpy states(f.edit.get(), &EditController::UpdateUndoRedoState);
        const auto barsBefore = f.model->barsBeats;
        QPointer<QObject> oldItem = f.timeline->Items().front();
        Publications selection(notify::names::editModelUpdatedSelectedVandEvent);
        Publications needsSave(notify::names::editModelChangeLogNeedsSave);
        LogCapture log;

        f.edit->RefreshAfterEdit(std::vector<int>(codes.begin(), codes.end()));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(eventResets.count(), events ? 1 : 0);
        QCOMPARE(markerResets.count(), markers ? 1 : 0);
        QCOMPARE(f.model->barsBeats != barsBefore, bars);
        const bool warned = log.Lines().filter(QStringLiteral("edit: A click change")).size() == 1;
        QCOMPARE(warned, bars);
        QVERIFY2(!oldItem, "the timeline items are rebuilt");
        QVERIFY(!f.timeline->Items().empty());
        QVERIFY(f.script->Take().contains(QStringLiteral("LoadNewChangeLog")));
        QVERIFY(f.model->needsSave);
        QVERIFY(f.model->needsUpload);
        QCOMPARE(needsSave.values, std::vector<bool>{true});
        QCOMPARE(f.model->selectedEvent, nullptr);
        QCOMPARE(selection.count, 1);
        QCOMPARE(states.count(), 1);
    }

    void selectionRules_data()
    {
        QTest::addColumn<bool>("osc");
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("candidate");
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("publications");

        QTest::newRow("panel event") << true << "none"
                                     << "repeat"
                                     << "repeat" << 1;
        QTest::newRow("the selected event again") << true << "repeat"
                                                  << "repeat"
                                                  << "repeat" << 0;
        QTest::newRow("an equal copy of a panel event") << true << "none"
                                                        << "repeat copy"
                                                        << "repeat copy" << 1;
        QTest::newRow("marker") << true << "repeat"
                                << "marker"
                                << "marker" << 1;
        QTest::newRow("a copy of a marker is no marker") << true << "repeat"
                                                         << "marker copy"
                                                         << "none" << 1;
        QTest::newRow("OSC event, OSC on") << true << "none"
                                           << "osc"
                                           << "osc" << 1;
        QTest::newRow("OSC event, OSC off: cleared") << false << "repeat"
                                                     << "osc"
                                                     << "none" << 1;
        QTest::newRow("unknown event clears") << true << "repeat"
                                              << "unknown"
                                              << "none" << 1;
        QTest::newRow("unknown event, nothing selected") << true << "none"
                                                         << "unknown"
                                                         << "none" << 0;
        QTest::newRow("null clears") << true << "marker"
                                     << "null"
                                     << "none" << 1;
    }

    void selectionRules()
    {
        QFETCH(bool, osc);
        QFETCH(QString, before);
        QFETCH(QString, candidate);
        QFETCH(QString, after);
        QFETCH(int, publications);

        EditFixture f(osc);
        auto& panel = f.model->changeLogPanelEvents;
        const auto repeatCopy = panel[static_cast<std::size_t>(f.PanelRow("A5"))]->Clone();
        const auto markerCopy = f.model->markers[1]->Clone();
        const CL::Cut unknown(100, 200, "B99", 0);
        const std::map<QString, cmn::VandEvent*> events = {
            {"none", nullptr},
            {"null", nullptr},
            {"repeat", panel[static_cast<std::size_t>(f.PanelRow("A5"))].get()},
            {"repeat copy", repeatCopy.get()},
            {"marker", f.model->markers[1]},
            {"marker copy", markerCopy.get()},
            {"osc", panel[static_cast<std::size_t>(f.PanelRow("S1"))].get()},
            {"unknown", const_cast<CL::Cut*>(&unknown)},
        };
        f.model->SetSelectedEvent(events.at(before));
        QCOMPARE(f.model->selectedEvent, events.at(before));

        Publications published(notify::names::editModelUpdatedSelectedVandEvent);
        f.model->SetSelectedEvent(events.at(candidate));
        QCOMPARE(f.model->selectedEvent, events.at(after));
        QCOMPARE(published.count, publications);
        // The toolbar follows every change.
        QCOMPARE(f.Enabled("editButtonControl"), after != "none");
        QCOMPARE(f.Enabled("deleteButtonControl"), after != "none");
    }

    void deleteUndoRedo_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<int>("suspension");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<bool>("repeatAfter");

        const QStringList edit{"Pause(false)", "Pause(false)", "LoadNewChangeLog"};
        QTest::newRow("delete, nothing selected") << "delete" << QStringList{} << 250 << QStringList{} << true;
        QTest::newRow("delete the selected repeat") << "delete" << QStringList{"select"} << 250 << edit << false;
        QTest::newRow("undo, nothing to undo") << "undo" << QStringList{} << 100 << QStringList{"Pause(false)"} << true;
        QTest::newRow("undo a delete") << "undo" << QStringList{"select", "delete"} << 100
                                       << QStringList{"Pause(false)", "LoadNewChangeLog"} << true;
        QTest::newRow("redo, nothing to redo")
            << "redo" << QStringList{"select", "delete"} << 100 << QStringList{"Pause(false)"} << false;
        QTest::newRow("redo an undone delete") << "redo" << QStringList{"select", "delete", "undo"} << 100
                                               << QStringList{"Pause(false)", "LoadNewChangeLog"} << false;
    }

    void deleteUndoRedo()
    {
        QFETCH(QString, action);
        QFETCH(QStringList, before);
        QFETCH(int, suspension);
        QFETCH(QStringList, calls);
        QFETCH(bool, repeatAfter);

        EditFixture f;
        const auto run = [&f](const QString& step) {
            if (step == "select")
                f.model->SetSelectedEvent(
                    f.model->changeLogPanelEvents[static_cast<std::size_t>(f.PanelRow("A5"))].get());
            else if (step == "delete")
                f.edit->DeleteRequested();
            else if (step == "undo")
                f.edit->UndoRequested();
            else if (step == "redo")
                f.edit->RedoRequested();
            f.FireTimers();
        };
        for (const QString& step : before)
            run(step);
        const bool needsSaveBefore = f.model->needsSave;
        f.script->Take();
        f.suspensions.clear();
        QSignalSpy errors(f.edit.get(), &EditController::error);

        run(action);

        QVERIFY(!f.suspensions.empty());
        QCOMPARE(f.suspensions.front(), suspension);
        QCOMPARE(f.script->Take(), calls);
        QCOMPARE(f.Event("A5") != nullptr, repeatAfter);
        QCOMPARE(f.PanelRow("A5") >= 0, repeatAfter);
        QCOMPARE(f.model->selectedEvent, nullptr);
        QCOMPARE(f.model->needsSave, calls.contains("LoadNewChangeLog") || needsSaveBefore);
        QCOMPARE(errors.count(), 0);
    }

    void undoFollowsTheSong()
    {
        EditFixture f;
        f.model->SetSelectedEvent(f.model->changeLogPanelEvents[static_cast<std::size_t>(f.PanelRow("A5"))].get());
        f.FireTimers();
        f.edit->DeleteRequested();
        QVERIFY(f.Enabled("undoButtonControl"));

        QSignalSpy states(f.edit.get(), &EditController::UpdateUndoRedoState);
        f.Load("2");
        QVERIFY(!f.Enabled("undoButtonControl"));
        QCOMPARE(states.last(), Flags(false, false, true, true));
        f.edit->UndoRequested();
        QVERIFY2(!f.Event("A5"), "song 2 has nothing to undo");

        f.Load("1");
        QVERIFY(f.Enabled("undoButtonControl"));
        QCOMPARE(states.last(), Flags(true, false, true, true));
        f.edit->UndoRequested();
        QVERIFY(f.Event("A5"));
    }

    void refusedEdits_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("prefix");

        QTest::newRow("add past the song's end") << "add" << true << "The edit could not be made on this song. ";
        QTest::newRow("add inside the song") << "add" << false << "";
        QTest::newRow("move past the song's end") << "move" << true << "The edit could not be completed because: ";
        QTest::newRow("move inside the song") << "move" << false << "";
        QTest::newRow("start and end past the song's end")
            << "start and end" << true << "A change to the start or end time could not be completed: ";
    }

    void refusedEdits()
    {
        QFETCH(QString, edit);
        QFETCH(bool, refused);
        QFETCH(QString, prefix);

        EditFixture f;
        const UInt32 length = f.engine->GetSongLength("1");
        const UInt32 start = refused ? length + 100 : 1000;
        const std::size_t itemCount = f.timeline->Items().size();
        QSignalSpy errors(f.edit.get(), &EditController::error);
        const cmn::VandEvent& repeat = *f.Event("A5");

        bool result = true;
        if (edit == "add")
            f.edit->onVandMakeEvent(CL::Cut(start, start + 50, "", 0));
        else if (edit == "move")
            result = f.edit->onVandMoveEvent(repeat, start, start + 50);
        else
            result = f.edit->onVandEditEventStartEndValues(repeat, start, start + 50);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        QCOMPARE(result, edit == "add" || !refused);
        QCOMPARE(errors.count(), refused ? 1 : 0);
        if (refused) {
            QVERIFY2(QString::fromStdString(errors.front().at(0).value<std::string>()).startsWith(prefix),
                     errors.front().at(0).value<std::string>().c_str());
            QCOMPARE(errors.front().at(1).value<std::string>(), std::string("Edit Failed"));
            // What was cleared is back, nothing more.
            QCOMPARE(f.timeline->Items().size(), itemCount);
            QVERIFY(!f.script->Take().contains(QStringLiteral("LoadNewChangeLog")));
            QVERIFY(!f.model->needsSave);
            QVERIFY(!f.model->needsUpload);
            QVERIFY(!f.Enabled("saveControl"));
        } else if (edit == "add") {
            QCOMPARE(f.timeline->Items().size(), itemCount + 1);
            QVERIFY(f.script->Take().contains(QStringLiteral("LoadNewChangeLog")));
            QVERIFY(f.model->needsSave);
            QVERIFY(f.Enabled("saveControl"));
        } else {
            // The caller refreshes after a move it made.
            QCOMPARE(f.Event("A5")->start(), start);
            QVERIFY(!f.model->needsSave);
        }
    }

    void markerRowSeeksAndMovesThePlayhead_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("acted");
        QTest::newRow("second marker") << 1 << true;
        QTest::newRow("no row") << -1 << false;
        QTest::newRow("past the last row") << 3 << false;
    }

    void markerRowSeeksAndMovesThePlayhead()
    {
        QFETCH(int, row);
        QFETCH(bool, acted);

        EditFixture f;
        const UInt32 tick = f.model->markers[1]->abs_time();
        QObject* playhead = f.timelineView->property("playheadItem").value<QObject*>();
        const int basePos = playhead->property("basePos").toInt();
        QSignalSpy errors(f.edit.get(), &EditController::error);

        f.edit->OnMarkerSelected_(row);
        f.script->clock->Pump();

        QCOMPARE(errors.count(), 0);
        QCOMPARE(f.engine->GetTickIndex() == tick, acted);
        QCOMPARE(f.model->selectedEvent, acted ? f.model->markers[1] : nullptr);
        // The marker list shows the selected marker, from inside the
        // notification the selection published (the lock taken again).
        QCOMPARE(f.View("markerListControl")->property("currentIndex").toInt(), acted ? 1 : -1);
        // Stopped: the timeline's playhead goes to the marker at once.
        const int expected = acted ? int((tick - 8) / 25) : basePos;
        QCOMPARE(playhead->property("basePos").toInt(), expected);
    }

    void songSwitchEndsClean()
    {
        EditFixture f;
        f.model->SetSelectedEvent(f.model->markers[0]);
        f.Load("2");

        QCOMPARE(f.model->selectedEvent, nullptr);
        QCOMPARE(f.model->song, std::string("2"));
        QCOMPARE(f.edit->GetMarkerList()->GetModel()->rowCount(), 2);
        QCOMPARE(f.edit->GetMarkerList()->GetModel()->GetItem(1).name, std::string("Vamp"));
        QCOMPARE(f.edit->GetEventList()->GetModel()->rowCount(), 4);
        QCOMPARE(f.View("songListControl")->property("currentIndex").toInt(), 1);
        QCOMPARE(f.panel->property("logVersionText").toString(), QStringLiteral("Log v1.0"));
        // Song 1 starts with a pickup; song 2 with bar 1.
        QCOMPARE(f.model->barsBeats->GetBar(0).GetBarLabel(), std::string("1"));
    }

    void editButtonCarriesTheSelection()
    {
        EditFixture f;
        QSignalSpy edits(f.edit.get(), &EditController::EditButtonSignal);
        f.edit->onVandEditSelectedEvent();
        QCOMPARE(edits.count(), 1);
        QCOMPARE(edits.last().at(0).value<cmn::VandEvent*>(), nullptr);

        for (const char* id : {"A5", "N9"}) {
            cmn::VandEvent* event = f.model->changeLogPanelEvents[static_cast<std::size_t>(f.PanelRow(id))].get();
            f.model->SetSelectedEvent(event);
            QMetaObject::invokeMethod(f.View("editBarControl"), "editButton");
            QCOMPARE(edits.last().at(0).value<cmn::VandEvent*>(), event);
        }
    }

    // The lists let go of their rows while the controller goes: nothing may
    // reach a half-destroyed controller or whoever listens to it.
    void goingAwayReportsNothing()
    {
        EditFixture f;
        f.edit->onVandEditSelectedExternally(f.Event("A5"));
        f.edit->onVandMarkerSelectedExternally(f.model->markers[1]);
        int reports = 0;
        connect(f.edit.get(), &EditController::EventItemChangedSignal, this, [&] { ++reports; });
        connect(f.edit.get(), &EditController::MarkerItemChangedSignal, this, [&] { ++reports; });
        Publications rows(notify::names::EVT_MARKER_PANEL_SELECTED);
        f.edit.reset();
        QCOMPARE(reports, 0);
        QCOMPARE(rows.count, 0);
        QCOMPARE(f.View("markerListControl")->property("model"), QVariant());
    }

    void toolbarFlags_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QList<QVariant>>("state");
        QTest::addColumn<QList<bool>>("saveNotes");
        QTest::addColumn<QList<bool>>("uploadNotes");

        QTest::newRow("modified") << QStringList{"modified"} << Flags(false, false, true, true) << QList<bool>{true}
                                  << QList<bool>{true};
        QTest::newRow("saved keeps Share") << QStringList{"modified", "saved"} << Flags(false, false, false, true)
                                           << QList<bool>{true, false} << QList<bool>{true};
        QTest::newRow("shared") << QStringList{"modified", "shared"} << Flags(false, false, false, false)
                                << QList<bool>{true, false} << QList<bool>{true, false};
        QTest::newRow("Save forced on, then the flags again")
            << QStringList{"save on", "update"} << Flags(false, false, false, false) << QList<bool>{} << QList<bool>{};
    }

    void toolbarFlags()
    {
        QFETCH(QStringList, steps);
        QFETCH(QList<QVariant>, state);
        QFETCH(QList<bool>, saveNotes);
        QFETCH(QList<bool>, uploadNotes);

        EditFixture f;
        TimelineEditController* toolbar = f.edit->GetToolbar();
        QSignalSpy states(f.edit.get(), &EditController::UpdateUndoRedoState);
        Publications save(notify::names::editModelChangeLogNeedsSave);
        Publications upload(notify::names::editModelChangeLogNeedsUpload);
        for (const QString& step : steps) {
            if (step == "modified")
                f.edit->SetChangeLogModified();
            else if (step == "saved")
                f.edit->ChangeLogSaved();
            else if (step == "shared")
                f.edit->ChangeLogSavedAndUploaded();
            else if (step == "save on")
                toolbar->SetSaveEnabled(true);
            else
                toolbar->UpdateButtonStates();
        }
        QCOMPARE(states.count(), steps.size() - steps.count("save on"));
        QCOMPARE(states.last(), state);
        QCOMPARE(f.Enabled("saveControl"), state[2].toBool());
        QCOMPARE(f.Enabled("shareControl"), state[3].toBool());
        QCOMPARE(f.model->needsSave, state[2].toBool());
        QCOMPARE(QList<bool>(save.values.begin(), save.values.end()), saveNotes);
        QCOMPARE(QList<bool>(upload.values.begin(), upload.values.end()), uploadNotes);
    }
};

QTEST_MAIN(TestEditController)
#include "tst_editcontroller.moc"
