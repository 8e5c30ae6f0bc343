#pragma once

#include <string>

namespace notify {

// Callback of the player-event observer: event id, value, UTF-8 text (never
// null, may be empty) and the context given to SetCallbackFunc.
using PlayerEventCallback = void (*)(int id, int value, const char* text, void* context);

// The engine's events. Each observer registers the id under which it wants to
// receive each event.
enum class PlayerEvent {
  PlaybackStarted = 0,
  PlaybackStopped = 1,
  PlaybackPaused = 2,
  PlaybackFading = 3,
  StatusFlowControl = 4,
  Key = 5,
  Tempo = 6,
  Meter = 7,
  Transposition = 8,
  TempoScale = 9,
  BarBeat = 10,
  Marker = 11,
  PageNum = 12,
  Playhead = 13,
  SongTitle = 14,
  SongLoaded = 15,
  LearnedMIDICommand = 16,
  MIDICommandCanceled = 17,
  MidiNotification = 18,
  VampOn = 19,
  VampOff = 20,
  StatusVolume = 21,
};
inline constexpr int kPlayerEventCount = 22;

// Subscription to the process-wide player-event hub. It may be created before
// the engine exists. Callbacks run on the publishing thread. The destructor
// unsubscribes and waits for a callback in progress on another thread, so no
// callback runs after it returns.
class EventObserver {
 public:
  EventObserver();
  ~EventObserver();
  EventObserver(const EventObserver&) = delete;
  EventObserver& operator=(const EventObserver&) = delete;

  void SetCallbackFunc(PlayerEventCallback callback, void* context);

  void RegisterPageNum(int id);
  void RegisterPlayhead(int id);
  void RegisterPlaybackStarted(int id);
  void RegisterPlaybackStopped(int id);
  void RegisterPlaybackPaused(int id);
  void RegisterPlaybackFading(int id);
  void RegisterKey(int id);
  void RegisterTempo(int id);
  void RegisterMeter(int id);
  void RegisterTransposition(int id);
  void RegisterTempoScale(int id);
  void RegisterVampOn(int id);
  void RegisterVampOff(int id);
  void RegisterBarBeat(int id);
  void RegisterSongTitle(int id);
  void RegisterSongLoaded(int id);
  void RegisterStatusFlowControl(int id);
  void RegisterMidiNotification(int id);
  void RegisterLearnedMIDICommand(int id);
  void RegisterMIDICommandCanceled(int id);
  void RegisterStatusVolume(int id);
  void RegisterMarker(int id);

  // Registers any event (the named operations call this).
  void Register(PlayerEvent event, int id);

  struct State;  // opaque

 private:
  State* state_;
};

// Raises an event to every observer that registered it (engine side; any
// thread). Must not be called while holding a lock that an observer's
// callback may take.
void PublishPlayerEvent(PlayerEvent event, int value, const std::string& text);

}  // namespace notify
