#include "notify/EventObserver.h"

#include <array>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "kit/Log.h"

namespace notify {

struct EventObserver::State {
  PlayerEventCallback callback{nullptr};
  void* context{nullptr};
  std::array<int, kPlayerEventCount> ids;
  bool alive{true};
  State() { ids.fill(-1); }
};

namespace {

// The process-wide hub. Its mutex is held while callbacks run, so an
// observer's destructor waits for a callback in progress.
struct Hub {
  std::recursive_mutex mutex;
  std::vector<std::shared_ptr<EventObserver::State>> observers;
};

Hub& TheHub() {
  static Hub* hub = new Hub();  // never destroyed: observers may outlive static destruction
  return *hub;
}

}  // namespace

EventObserver::EventObserver() {
  auto state = std::make_shared<State>();
  state_ = state.get();
  Hub& hub = TheHub();
  std::lock_guard<std::recursive_mutex> lock(hub.mutex);
  hub.observers.push_back(std::move(state));
}

EventObserver::~EventObserver() {
  Hub& hub = TheHub();
  std::lock_guard<std::recursive_mutex> lock(hub.mutex);
  state_->alive = false;
  for (auto it = hub.observers.begin(); it != hub.observers.end(); ++it) {
    if (it->get() == state_) {
      hub.observers.erase(it);
      break;
    }
  }
}

void EventObserver::SetCallbackFunc(PlayerEventCallback callback, void* context) {
  std::lock_guard<std::recursive_mutex> lock(TheHub().mutex);
  state_->callback = callback;
  state_->context = context;
}

void EventObserver::Register(PlayerEvent event, int id) {
  const int index = static_cast<int>(event);
  if (index < 0 || index >= kPlayerEventCount) return;
  std::lock_guard<std::recursive_mutex> lock(TheHub().mutex);
  state_->ids[static_cast<std::size_t>(index)] = id;
}

void EventObserver::RegisterPageNum(int id) { Register(PlayerEvent::PageNum, id); }
void EventObserver::RegisterPlayhead(int id) { Register(PlayerEvent::Playhead, id); }
void EventObserver::RegisterPlaybackStarted(int id) { Register(PlayerEvent::PlaybackStarted, id); }
void EventObserver::RegisterPlaybackStopped(int id) { Register(PlayerEvent::PlaybackStopped, id); }
void EventObserver::RegisterPlaybackPaused(int id) { Register(PlayerEvent::PlaybackPaused, id); }
void EventObserver::RegisterPlaybackFading(int id) { Register(PlayerEvent::PlaybackFading, id); }
void EventObserver::RegisterKey(int id) { Register(PlayerEvent::Key, id); }
void EventObserver::RegisterTempo(int id) { Register(PlayerEvent::Tempo, id); }
void EventObserver::RegisterMeter(int id) { Register(PlayerEvent::Meter, id); }
void EventObserver::RegisterTransposition(int id) { Register(PlayerEvent::Transposition, id); }
void EventObserver::RegisterTempoScale(int id) { Register(PlayerEvent::TempoScale, id); }
void EventObserver::RegisterVampOn(int id) { Register(PlayerEvent::VampOn, id); }
void EventObserver::RegisterVampOff(int id) { Register(PlayerEvent::VampOff, id); }
void EventObserver::RegisterBarBeat(int id) { Register(PlayerEvent::BarBeat, id); }
void EventObserver::RegisterSongTitle(int id) { Register(PlayerEvent::SongTitle, id); }
void EventObserver::RegisterSongLoaded(int id) { Register(PlayerEvent::SongLoaded, id); }
void EventObserver::RegisterStatusFlowControl(int id) { Register(PlayerEvent::StatusFlowControl, id); }
void EventObserver::RegisterMidiNotification(int id) { Register(PlayerEvent::MidiNotification, id); }
void EventObserver::RegisterLearnedMIDICommand(int id) { Register(PlayerEvent::LearnedMIDICommand, id); }
void EventObserver::RegisterMIDICommandCanceled(int id) { Register(PlayerEvent::MIDICommandCanceled, id); }
void EventObserver::RegisterStatusVolume(int id) { Register(PlayerEvent::StatusVolume, id); }
void EventObserver::RegisterMarker(int id) { Register(PlayerEvent::Marker, id); }

void PublishPlayerEvent(PlayerEvent event, int value, const std::string& text) {
  const int index = static_cast<int>(event);
  if (index < 0 || index >= kPlayerEventCount) return;
  Hub& hub = TheHub();
  std::lock_guard<std::recursive_mutex> lock(hub.mutex);
  // A snapshot: a callback may destroy (or create) observers on this thread.
  const std::vector<std::shared_ptr<EventObserver::State>> snapshot = hub.observers;
  for (const auto& s : snapshot) {
    if (!s->alive || s->callback == nullptr) continue;
    const int id = s->ids[static_cast<std::size_t>(index)];
    if (id < 0) continue;
    try {
      s->callback(id, value, text.c_str(), s->context);
    } catch (const std::exception& e) {
      kit::Log(kit::LogLevel::Error, "notify", std::string("Player event callback failed: ") + e.what());
    } catch (...) {
      kit::Log(kit::LogLevel::Error, "notify", "Player event callback failed.");
    }
  }
}

}  // namespace notify
