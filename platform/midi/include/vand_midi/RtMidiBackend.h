#pragma once

// The engine's MIDI input: the ports of the ALSA sequencer, read through
// RtMidi.
//
// Threads: ListSources, Open and Close may be called from any thread (a mutex
// orders them); they must not be called from the message handler. The
// handler runs on RtMidi's input thread, one message at a time. Close returns
// only after that thread has stopped, so the handler is never called after it.
//
// Without a sequencer (no /dev/snd/seq) the backend lists nothing and opens
// nothing; the first such backend of the process says so once on standard
// error.

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "vand_midi/MidiEndPoint.h"
#include "vand_pelorin/MidiBackend.h"

class RtMidiIn;

namespace vand::midi {

// Splits RtMidi's ALSA port names ("Client:Port 20:0") into sources: the name
// without the trailing client:port address, which changes between boots, and
// the address as the source's id. A name seen before gets " (2)", " (3)", ...
// in list order, so that every name of the list differs. A port name without
// an address is kept whole as both name and id.
std::vector<MidiEndPoint> SplitPortNames(const std::vector<std::string>& portNames);

class RtMidiBackend final : public vand::player::MidiBackend {
 public:
  // clientName is the name under which the program appears among the
  // sequencer's clients.
  explicit RtMidiBackend(const std::string& clientName);
  ~RtMidiBackend() override;
  RtMidiBackend(const RtMidiBackend&) = delete;
  RtMidiBackend& operator=(const RtMidiBackend&) = delete;

  // False when the sequencer could not be opened.
  bool Available() const { return input_ != nullptr; }

  std::vector<MidiEndPoint> ListSources() override;
  // Finds the source again by name and address; false when it is gone or
  // refuses to open.
  bool Open(const MidiEndPoint& source, MessageHandler handler) override;
  void Close() override;

 private:
  static void OnMessage(double deltaSeconds, std::vector<unsigned char>* message, void* self);
  std::vector<std::string> PortNamesLocked();
  void CloseLocked();

  std::mutex mutex_;
  std::unique_ptr<RtMidiIn> input_;
  // Written only while the input thread is stopped (before opening, after
  // closing), read only by that thread.
  MessageHandler handler_;
};

}  // namespace vand::midi
