#include <QtTest>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "notify/CallbackDispatcher.h"
#include "notify/EventObserver.h"

namespace {

struct Received {
  std::vector<std::string> log;
  static void Callback(int id, int value, const char* text, void* context) {
    static_cast<Received*>(context)->log.push_back(std::to_string(id) + ":" + std::to_string(value) + ":" + text);
  }
};

std::vector<std::string> AllNames() {
  return {notify::names::vandEventWidgetSelected,          notify::names::editModelUpdatedSelectedVandEvent,
          notify::names::EVT_CHANGE_LOG_PANEL_SELECTED,    notify::names::EVT_MARKER_PANEL_SELECTED,
          notify::names::editControllerMarkerListSelected, notify::names::editControllerShowEditor,
          notify::names::editModelChangeLogNeedsSave,      notify::names::editModelChangeLogNeedsUpload};
}

}  // namespace

class TestNotify : public QObject {
  Q_OBJECT

 private slots:
  void cleanup() {
    // Every test removes what it added.
    QCOMPARE(notify::callbackDispatcher->CallbackCount(), std::size_t(0));
  }

  void dispatcherIsSynchronousAndOrdered() {
    int a = 0;
    int b = 0;
    std::vector<std::string> order;
    notify::callbackDispatcher.AddCallback(&a, notify::names::EVT_MARKER_PANEL_SELECTED, [&](void* data) {
      order.push_back("a" + std::to_string(*static_cast<int*>(data)));
    });
    notify::callbackDispatcher.AddCallback(&b, notify::names::EVT_MARKER_PANEL_SELECTED, [&](void* data) {
      order.push_back("b" + std::to_string(*static_cast<int*>(data)));
    });
    notify::callbackDispatcher.AddCallback(&b, notify::names::EVT_CHANGE_LOG_PANEL_SELECTED,
                                           [&](void*) { order.push_back("other"); });
    int row = 3;
    notify::callbackDispatcher.Notify(notify::names::EVT_MARKER_PANEL_SELECTED, &row);
    QCOMPARE(order, (std::vector<std::string>{"a3", "b3"}));  // both ran before Notify returned
    notify::callbackDispatcher.RemoveCallbacksForTarget(&a);
    row = 4;
    notify::callbackDispatcher.Notify(notify::names::EVT_MARKER_PANEL_SELECTED, &row);
    QCOMPARE(order, (std::vector<std::string>{"a3", "b3", "b4"}));
    notify::callbackDispatcher.RemoveCallbacksForTarget(&b);
    notify::callbackDispatcher.Notify(notify::names::EVT_MARKER_PANEL_SELECTED, &row);
    notify::callbackDispatcher.Notify(notify::names::EVT_CHANGE_LOG_PANEL_SELECTED, &row);
    QCOMPARE(order.size(), std::size_t(3));
  }

  // A callback that removes a later subscriber, subscribes a new one and
  // notifies again (re-entrant) — the removed one is skipped, the new one
  // waits for the next Notify.
  void changesDuringNotify() {
    int first = 0;
    int second = 0;
    int third = 0;
    std::vector<std::string> calls;
    notify::callbackDispatcher.AddCallback(&first, "evt", [&](void*) {
      calls.push_back("first");
      notify::callbackDispatcher.RemoveCallbacksForTarget(&second);
      notify::callbackDispatcher.AddCallback(&third, "evt", [&](void*) { calls.push_back("third"); });
      notify::callbackDispatcher.Notify("inner", nullptr);
    });
    notify::callbackDispatcher.AddCallback(&second, "evt", [&](void*) { calls.push_back("second"); });
    notify::callbackDispatcher.AddCallback(&first, "inner", [&](void*) { calls.push_back("inner"); });
    notify::callbackDispatcher.Notify("evt", nullptr);
    QCOMPARE(calls, (std::vector<std::string>{"first", "inner"}));
    notify::callbackDispatcher.RemoveCallbacksForTarget(&first);
    notify::callbackDispatcher.Notify("evt", nullptr);
    QCOMPARE(calls, (std::vector<std::string>{"first", "inner", "third"}));
    notify::callbackDispatcher.RemoveCallbacksForTarget(&third);
  }

  // Each named notification reaches the subscribers of that name and no others.
  void namedNotificationsReachOnlyTheirSubscribers_data() {
    QTest::addColumn<int>("index");
    for (int i = 0; i < int(AllNames().size()); ++i) QTest::newRow(AllNames()[i].c_str()) << i;
  }

  void namedNotificationsReachOnlyTheirSubscribers() {
    QFETCH(int, index);
    const std::vector<std::string> names = AllNames();
    std::vector<int> targets(names.size());
    std::vector<int> calls(names.size(), 0);
    for (std::size_t i = 0; i < names.size(); ++i) {
      notify::callbackDispatcher.AddCallback(&targets[i], names[i], [&calls, i](void*) { ++calls[i]; });
    }
    notify::callbackDispatcher.Notify(names[index], nullptr);
    for (std::size_t i = 0; i < names.size(); ++i) {
      QCOMPARE(calls[i], int(i) == index ? 1 : 0);
      notify::callbackDispatcher.RemoveCallbacksForTarget(&targets[i]);
    }
  }

  // Each observer gets the events it registered, under its own ids.
  void observerMapsEventsToRegisteredIds() {
    Received r1;
    Received r2;
    notify::EventObserver o1;
    o1.SetCallbackFunc(&Received::Callback, &r1);
    o1.RegisterPlayhead(13);
    o1.RegisterSongLoaded(15);
    notify::EventObserver o2;
    o2.SetCallbackFunc(&Received::Callback, &r2);
    o2.RegisterPlayhead(100);
    notify::PublishPlayerEvent(notify::PlayerEvent::Playhead, 960, "");
    notify::PublishPlayerEvent(notify::PlayerEvent::SongLoaded, 0, "3");
    notify::PublishPlayerEvent(notify::PlayerEvent::Key, 0, "Eb");  // nobody registered it
    QCOMPARE(r1.log, (std::vector<std::string>{"13:960:", "15:0:3"}));
    QCOMPARE(r2.log, (std::vector<std::string>{"100:960:"}));
  }

  // Once the observer's destructor returns, no callback runs, even while
  // another thread keeps publishing.
  void observerStopsWhenDestroyed() {
    std::atomic<bool> stop{false};
    std::atomic<int> published{0};
    std::thread publisher([&] {
      while (!stop.load()) {
        notify::PublishPlayerEvent(notify::PlayerEvent::BarBeat, published.fetch_add(1), "   1  1");
      }
    });
    for (int round = 0; round < 50; ++round) {
      struct Target {
        std::atomic<int> calls{0};
        std::atomic<bool> dead{false};
        std::atomic<bool> calledWhenDead{false};
      };
      auto target = std::make_unique<Target>();
      auto observer = std::make_unique<notify::EventObserver>();
      observer->SetCallbackFunc(
          [](int, int, const char*, void* ctx) {
            auto* t = static_cast<Target*>(ctx);
            if (t->dead.load()) t->calledWhenDead = true;
            t->calls.fetch_add(1);
          },
          target.get());
      observer->RegisterBarBeat(10);
      // Wait (without sleeping) until this observer has been called once.
      while (target->calls.load() == 0) std::this_thread::yield();
      observer.reset();
      target->dead = true;
      const int callsAtDeath = target->calls.load();
      const int mark = published.load();
      while (published.load() < mark + 20) std::this_thread::yield();  // more events went out
      QCOMPARE(target->calls.load(), callsAtDeath);
      QVERIFY(!target->calledWhenDead.load());
    }
    stop = true;
    publisher.join();
  }

  // A callback may destroy its own observer (same thread) without deadlock.
  void observerDestroyedFromItsCallback() {
    struct Ctx {
      std::unique_ptr<notify::EventObserver> observer;
      int calls = 0;
    } ctx;
    ctx.observer = std::make_unique<notify::EventObserver>();
    ctx.observer->SetCallbackFunc(
        [](int, int, const char*, void* c) {
          auto* x = static_cast<Ctx*>(c);
          ++x->calls;
          x->observer.reset();
        },
        &ctx);
    ctx.observer->RegisterVampOn(19);
    notify::PublishPlayerEvent(notify::PlayerEvent::VampOn, 0, "");
    notify::PublishPlayerEvent(notify::PlayerEvent::VampOn, 0, "");
    QCOMPARE(ctx.calls, 1);
    QVERIFY(!ctx.observer);
  }
};

QTEST_GUILESS_MAIN(TestNotify)
#include "tst_notify.moc"
