// The song, event and marker lists: their models' roles, the attacca steps,
// the passed-marker row and the sort, and their controllers on the demo show
// with the real views (song loads, row selection without echo, the passed
// row after a refresh).

#include <QSignalSpy>
#include <QTest>
#include <iostream>

#include "CL/Editor.h"
#include "EditFixture.h"
#include "StreamCapture.h"
#include "kit/Log.h"
#include "notify/CallbackDispatcher.h"

using edit_test::EditFixture;
using vand::qt::EventInfoItem;
using vand::qt::EventListModel;
using vand::qt::MarkerInfoItem;
using vand::qt::MarkerListModel;
using vand::qt::SongListEntry;
using vand::qt::SongListModel;

namespace {

std::vector<SongListEntry> ThreeSongs()
{
    return {{"1", "Overture", 0}, {"2", "Waltz", 1}, {"10", "Finale", 2}};
}

// Marker rows at the given ticks, named by their order of delivery.
std::vector<MarkerInfoItem> Markers(const QList<int>& ticks)
{
    std::vector<MarkerInfoItem> rows;
    for (int tick : ticks)
        rows.emplace_back("m" + std::to_string(rows.size()), "", static_cast<UInt32>(tick));
    return rows;
}

// Counts the row notifications of the event and marker lists while alive.
struct RowNotes
{
    RowNotes()
    {
        notify::callbackDispatcher.AddCallback(this, notify::names::EVT_CHANGE_LOG_PANEL_SELECTED,
                                               [this](void* row) { events.push_back(*static_cast<int*>(row)); });
        notify::callbackDispatcher.AddCallback(this, notify::names::EVT_MARKER_PANEL_SELECTED,
                                               [this](void* row) { markers.push_back(*static_cast<int*>(row)); });
    }
    ~RowNotes() { notify::callbackDispatcher.RemoveCallbacksForTarget(this); }
    std::vector<int> events;
    std::vector<int> markers;
};

} // namespace

class TestEditLists : public QObject
{
    Q_OBJECT
private slots:
    // The process-wide dispatcher outlives the test: a subscription left
    // behind would be called with a dangling target by the next one.
    void cleanup() { QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0)); }

    void songRoles_data()
    {
        QTest::addColumn<int>("attacca");
        QTest::addColumn<QVariant>("status");
        QTest::newRow("plays") << 0 << QVariant(QStringLiteral("plays"));
        QTest::newRow("continue") << 1 << QVariant(QStringLiteral("continue"));
        QTest::newRow("skip") << 2 << QVariant(QStringLiteral("x"));
        QTest::newRow("unknown state") << 7 << QVariant();
    }

    void songRoles()
    {
        QFETCH(int, attacca);
        QFETCH(QVariant, status);
        SongListModel model({{"12", "Entr'acte", static_cast<unsigned char>(attacca)}});
        const QModelIndex row = model.index(0);
        QCOMPARE(model.data(row, SongListModel::StatusRole), status);
        QCOMPARE(model.data(row, SongListModel::SongNumberRole).toString(), QStringLiteral("12"));
        QCOMPARE(model.data(row, SongListModel::SongNameRole).toString(), QStringLiteral("Entr'acte"));
        QVERIFY(!model.data(row, Qt::DisplayRole).isValid());
        QCOMPARE(model.roleNames().value(SongListModel::StatusRole), QByteArray("status"));
        QCOMPARE(model.roleNames().size(), 3);
    }

    void attaccaCycles()
    {
        SongListModel model(ThreeSongs());
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        std::vector<int> states;
        vand::test::StreamCapture out(std::cout);
        for (int i = 0; i < 3; ++i)
            states.push_back(*model.CycleAttacca("1"));
        QCOMPARE(states, (std::vector<int>{1, 2, 0}));
        QCOMPARE(changes.count(), 3);
        QCOMPARE(changes.last().at(0).toModelIndex().row(), 0);
        QCOMPARE(out.text(), std::string("New state = continue\nNew state = x\nNew state = plays\n"));
    }

    void attaccaOfAnUnknownSong()
    {
        SongListModel model(ThreeSongs());
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        QStringList lines;
        kit::SetLogSink([&lines](kit::LogLevel, std::string_view, std::string_view text) {
            lines << QString::fromUtf8(text.data(), int(text.size()));
        });
        const auto state = model.CycleAttacca("99");
        kit::SetLogSink({});
        QVERIFY(!state.has_value());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(lines, QStringList{"Invalid index for attacca state change."});
    }

    void attaccaUpdates_data()
    {
        QTest::addColumn<QList<int>>("states");
        QTest::addColumn<QList<int>>("changedRows");
        QTest::addColumn<QList<int>>("after");
        QTest::newRow("unchanged") << QList<int>{0, 1, 2} << QList<int>{} << QList<int>{0, 1, 2};
        QTest::newRow("two rows change") << QList<int>{1, 1, 0} << QList<int>{0, 2} << QList<int>{1, 1, 0};
        QTest::newRow("fewer states than rows") << QList<int>{2} << QList<int>{0} << QList<int>{2, 1, 2};
        QTest::newRow("more states than rows") << QList<int>{0, 0, 0, 1} << QList<int>{1, 2} << QList<int>{0, 0, 0};
    }

    void attaccaUpdates()
    {
        QFETCH(QList<int>, states);
        QFETCH(QList<int>, changedRows);
        QFETCH(QList<int>, after);
        SongListModel model(ThreeSongs());
        QSignalSpy changes(&model, &QAbstractItemModel::dataChanged);
        model.UpdateAttaccaStates(std::vector<unsigned char>(states.begin(), states.end()));
        QList<int> rows;
        for (const auto& change : changes)
            rows << change.at(0).toModelIndex().row();
        QCOMPARE(rows, changedRows);
        for (int row = 0; row < model.rowCount(); ++row)
            QCOMPARE(int(model.AttaccaAt(row)), after[row]);
    }

    void songRowsFollowTheShow()
    {
        EditFixture f;
        SongListModel* model = f.edit->GetSongList()->GetModel();
        QCOMPARE(model->rowCount(), 5);
        QStringList names;
        for (int row = 0; row < model->rowCount(); ++row)
            names << model->data(model->index(row), SongListModel::SongNameRole).toString();
        QCOMPARE(names, (QStringList{"Overture", "Waltz", "Barcarolle", "March", "Finale"}));
        QCOMPARE(model->data(model->index(3), SongListModel::StatusRole).toString(), QStringLiteral("continue"));
    }

    void songRowClickLoadsAnotherSong_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("audioMissing");
        QTest::addColumn<QString>("loaded");
        QTest::newRow("the loaded song") << 0 << false << "1";
        QTest::newRow("another song") << 2 << false << "3";
        // The failure is shown, and the row of the song still loaded is selected again.
        QTest::newRow("a song whose audio is gone") << 2 << true << "1";
    }

    void songRowClickLoadsAnotherSong()
    {
        QFETCH(int, row);
        QFETCH(bool, audioMissing);
        QFETCH(QString, loaded);
        EditFixture f;
        if (audioMissing) {
            for (const auto& file : std::filesystem::directory_iterator(f.folder.show / "audio")) {
                if (file.path().filename().string().rfind("03", 0) == 0)
                    std::filesystem::remove(file.path());
            }
        }
        QSignalSpy errors(f.edit->GetSongList(), &vand::qt::QmlController::error);
        vand::test::StreamCapture out(std::cout);
        f.View("songListControl")->setProperty("currentIndex", row); // as the view's click does
        f.edit->GetSongList()->ItemClicked_(row);
        f.script->clock->Pump();
        QCOMPARE(QString::fromStdString(f.engine->GetCurrentSongNumber()), loaded);
        QVERIFY(QString::fromStdString(out.text()).startsWith(QStringLiteral("Index Changed: %1\n").arg(row)));
        QCOMPARE(errors.count(), audioMissing ? 1 : 0);
        if (audioMissing) {
            QCOMPARE(errors.at(0).at(1).value<std::string>(), std::string("Playback Error"));
            const std::string message = errors.at(0).at(0).value<std::string>();
            QVERIFY2(message.find("03") != std::string::npos, message.c_str()); // names the file
        }
        QCOMPARE(f.View("songListControl")->property("currentIndex").toInt(), loaded.toInt() - 1);
    }

    void stateIconStepsAndReports()
    {
        EditFixture f;
        QSignalSpy reports(f.edit.get(), &vand::qt::EditController::AttaccaStateChanged);
        for (int i = 0; i < 3; ++i)
            QMetaObject::invokeMethod(f.View("songListControl"), "attaccaStateChanged", Q_ARG(QString, "2"));
        QCOMPARE(reports.count(), 3);
        QList<int> states;
        for (const auto& report : reports) {
            QCOMPARE(report.at(0).value<std::string>(), std::string("2"));
            states << report.at(1).value<UInt8>();
        }
        QCOMPARE(states, (QList<int>{1, 2, 0}));
        QCOMPARE(f.View("songListControl")->property("currentIndex").toInt(), 0);
        // Nothing is raised for a song that has no row.
        QMetaObject::invokeMethod(f.View("songListControl"), "attaccaStateChanged", Q_ARG(QString, "99"));
        QCOMPARE(reports.count(), 3);
    }

    void eventRoles_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("paired");
        QTest::addColumn<QString>("type");
        QTest::addColumn<bool>("out");
        QTest::newRow("repeat") << int('A') << true << "Repeat" << true;
        QTest::newRow("skip shown as Skip") << int('M') << true << "Skip" << true;
        QTest::newRow("tempo scale") << int('D') << true << "TempoScale" << true;
        QTest::newRow("caesura: no out") << int('N') << false << "Caesura" << false;
        QTest::newRow("OSC") << int('S') << false << "OSC" << false;
        QTest::newRow("ambient sound effect") << int('R') << false << "Ambient Sfx" << false;
        QTest::newRow("unknown code") << int('Z') << false << "" << false;
    }

    void eventRoles()
    {
        QFETCH(int, code);
        QFETCH(bool, paired);
        QFETCH(QString, type);
        QFETCH(bool, out);
        EditFixture f;
        const UInt32 start = f.model->markers[1]->abs_time();
        const UInt32 end = f.model->markers[2]->abs_time();
        EventListModel model({EventInfoItem{start, end, static_cast<UInt8>(code), QStringLiteral("2x"), paired}},
                             f.model.get());
        const QModelIndex row = model.index(0);
        QCOMPARE(model.data(row, EventListModel::TypeRole).toString(), type);
        QCOMPARE(model.data(row, EventListModel::InRole).toString(), QStringLiteral("5:1"));
        QCOMPARE(model.data(row, EventListModel::OutRole).toString(),
                 out ? QStringLiteral("9:1") : QStringLiteral("-"));
        QCOMPARE(model.data(row, EventListModel::CountRole).toString(), QStringLiteral("2x"));
        QCOMPARE(model.roleNames().size(), 4);
    }

    void eventRowsFindAndGet()
    {
        const EventInfoItem a{100, 200, 'A', "2x", true};
        const EventInfoItem b{300, 0, 'N', "", false};
        EventListModel model({a, b, a}, nullptr);
        QCOMPARE(model.FindItem(a), 0);
        QCOMPARE(model.FindItem(b), 1);
        QCOMPARE(model.FindItem(EventInfoItem{100, 200, 'A', "3x", true}), -1);
        QCOMPARE(model.GetItem(1), b);
        QCOMPARE(model.GetItem(3), EventInfoItem{});
        QCOMPARE(model.GetItem(-1), EventInfoItem{});
    }

    void eventRowsFollowThePanelEvents()
    {
        EditFixture f;
        EventListModel* model = f.edit->GetEventList()->GetModel();
        QCOMPARE(model->rowCount(), int(f.model->changeLogPanelEvents.size()));
        for (int row = 0; row < model->rowCount(); ++row)
            QCOMPARE(model->GetItem(row), EventInfoItem::FromEvent(*f.model->changeLogPanelEvents[std::size_t(row)]));
    }

    void markerSort_data()
    {
        QTest::addColumn<QList<int>>("ticks");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("out of order") << QList<int>{1920, 0, 960} << QStringList{"m1", "m2", "m0"};
        QTest::newRow("equal ticks keep their order") << QList<int>{960, 0, 960} << QStringList{"m1", "m0", "m2"};
        QTest::newRow("past 2^31") << QList<int>{-1, 5} << QStringList{"m1", "m0"};
    }

    void markerSort()
    {
        QFETCH(QList<int>, ticks);
        QFETCH(QStringList, names);
        MarkerListModel model({});
        model.SetItems(Markers(ticks));
        QStringList sorted;
        for (int row = 0; row < model.rowCount(); ++row)
            sorted << QString::fromStdString(model.GetItem(row).name);
        QCOMPARE(sorted, names);
    }

    void passedIndex_data()
    {
        QTest::addColumn<QList<int>>("ticks");
        QTest::addColumn<int>("tick");
        QTest::addColumn<int>("passed");
        const QList<int> three{0, 960, 1920};
        QTest::newRow("on the first") << three << 0 << 0;
        QTest::newRow("before the second") << three << 959 << 0;
        QTest::newRow("on the second") << three << 960 << 1;
        QTest::newRow("after the last") << three << 5000 << 2;
        QTest::newRow("before the first") << QList<int>{480, 960} << 100 << -1;
        QTest::newRow("no markers") << QList<int>{} << 100 << -1;
    }

    void passedIndex()
    {
        QFETCH(QList<int>, ticks);
        QFETCH(int, tick);
        QFETCH(int, passed);
        MarkerListModel model({});
        model.SetItems(Markers(ticks));
        QCOMPARE(model.GetPassedIndex(static_cast<UInt32>(tick)), passed);
    }

    void markerFindIgnoresTheLocation()
    {
        MarkerListModel model({});
        model.SetItems({{"Intro", "1:1", 0}, {"Letter A", "5:1", 8000}});
        QCOMPARE(model.FindItem(MarkerInfoItem("Letter A", "", 8000)), 1);
        QCOMPARE(model.FindItem(MarkerInfoItem("Letter A", "", 8001)), -1);
        QCOMPARE(model.FindItem(MarkerInfoItem("letter a", "5:1", 8000)), -1);
        QCOMPARE(model.GetItem(2).name, std::string());
    }

    void passedRowWritesTheViewOnChange()
    {
        EditFixture f;
        vand::qt::MarkerListController* list = f.edit->GetMarkerList();
        QObject* view = f.View("markerListControl");
        QSignalSpy writes(view, SIGNAL(passedIndexChanged()));
        f.edit->UpdatePassedMarker(int(f.model->markers[1]->abs_time()) + 10);
        f.edit->UpdatePassedMarker(int(f.model->markers[1]->abs_time()) + 20);
        QCOMPARE(writes.count(), 1);
        QCOMPARE(view->property("passedIndex").toInt(), 1);
        QCOMPARE(list->passedIndex(), 1);
    }

    // Held at a tick: a marker on it is shaded at once; a hold where no
    // marker lies leaves the row the playhead passed last.
    void heldTickShadesItsMarker_data()
    {
        QTest::addColumn<int>("marker");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("shaded");
        QTest::newRow("on Letter B") << 2 << 0 << 2;
        QTest::newRow("on Intro") << 0 << 0 << 0;
        QTest::newRow("just before Letter B") << 2 << -1 << 1;
        QTest::newRow("just after Letter A") << 1 << 1 << 1;
    }

    void heldTickShadesItsMarker()
    {
        QFETCH(int, marker);
        QFETCH(int, offset);
        QFETCH(int, shaded);
        EditFixture f;
        QObject* view = f.View("markerListControl");
        f.edit->UpdatePassedMarker(int(f.model->markers[1]->abs_time()));
        QCOMPARE(view->property("passedIndex").toInt(), 1);
        f.edit->UpdateHeldMarker(int(f.model->markers[static_cast<std::size_t>(marker)]->abs_time()) + offset);
        QCOMPARE(view->property("passedIndex").toInt(), shaded);
    }

    // The row passed last is worked out again when the rows change: a marker
    // added before it moves it down a row.
    void passedRowAfterARefresh()
    {
        EditFixture f;
        QObject* view = f.View("markerListControl");
        const UInt32 letterB = f.model->markers[2]->abs_time();
        f.edit->UpdatePassedMarker(int(letterB));
        QCOMPARE(view->property("passedIndex").toInt(), 2);

        f.edit->onVandMakeEvent(CL::Marker(f.model->markers[0]->abs_time() + 100, "Pickup", ""));
        QCOMPARE(f.edit->GetMarkerList()->GetModel()->GetItem(3).name, std::string("Letter B"));
        QCOMPARE(view->property("passedIndex").toInt(), 3);
    }

    void rowsSetByTheControllerAreNotReported()
    {
        EditFixture f;
        RowNotes notes;
        QSignalSpy events(f.edit.get(), &vand::qt::EditController::EventItemChangedSignal);
        QSignalSpy markers(f.edit.get(), &vand::qt::EditController::MarkerItemChangedSignal);

        f.edit->onVandEditSelectedExternally(f.Event("N9"));
        f.edit->onVandMarkerSelectedExternally(f.model->markers[1]);
        QCOMPARE(f.View("eventListControl")->property("currentIndex").toInt(), f.PanelRow("N9"));
        QCOMPARE(f.View("markerListControl")->property("currentIndex").toInt(), 1);
        QCOMPARE(notes.events, std::vector<int>{f.PanelRow("N9")});
        QCOMPARE(notes.markers, std::vector<int>{1});
        QCOMPARE(events.count(), 0);
        QCOMPARE(markers.count(), 0);
        QCOMPARE(f.model->selectedEvent, f.model->markers[1]);
    }

    // An event with no row clears the selection, so that Delete and Edit do
    // not act on the event selected before.
    void selectingAnEventWithoutARowClears()
    {
        EditFixture f;
        f.model->SetSelectedEvent(f.model->changeLogPanelEvents[std::size_t(f.PanelRow("A5"))].get());
        const CL::Cut elsewhere(1000, 1200, "B1", 0);
        f.edit->onVandEditSelectedExternally(&elsewhere);
        QCOMPARE(f.View("eventListControl")->property("currentIndex").toInt(), -1);
        QCOMPARE(f.model->selectedEvent, nullptr);
        QVERIFY(!f.Enabled("deleteButtonControl"));
    }

    // The same row chosen again from the timeline after a refresh cleared the
    // selection but not the list's row selects its event again.
    void selectingTheCurrentRowAgainSelects()
    {
        EditFixture f;
        f.edit->onVandEditSelectedExternally(f.Event("N9"));
        f.model->ClearSelection();
        f.edit->onVandEditSelectedExternally(f.Event("N9"));
        QVERIFY(f.model->selectedEvent);
        QCOMPARE(f.model->selectedEvent->EventId(), std::string("N9"));
    }

    void refreshNeitherNotifiesNorReports()
    {
        EditFixture f;
        f.edit->onVandEditSelectedExternally(f.Event("N9"));
        RowNotes notes;
        QSignalSpy events(f.edit->GetEventList(), &vand::qt::EventListController::CurrentItemChangedSignal);
        f.edit->GetEventList()->Refresh();
        f.edit->GetMarkerList()->Refresh();
        QCOMPARE(f.View("eventListControl")->property("currentIndex").toInt(), -1);
        QVERIFY(notes.events.empty());
        QVERIFY(notes.markers.empty());
        QCOMPARE(events.count(), 0);
    }
};

QTEST_MAIN(TestEditLists)
#include "tst_editlists.moc"
