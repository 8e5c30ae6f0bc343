#pragma once

// Where the engine's MIDI input comes from. The engine opens at most one
// source; the backend delivers its messages from any thread.

#include <cstdint>
#include <functional>
#include <vector>

#include "vand_midi/MidiEndPoint.h"

namespace vand::player {

class MidiBackend {
 public:
  using MessageHandler = std::function<void(const std::vector<std::uint8_t>& message)>;

  virtual ~MidiBackend() = default;
  // The input sources present now.
  virtual std::vector<MidiEndPoint> ListSources() = 0;
  // Opens a source, closing the one open before. False when it cannot be opened.
  virtual bool Open(const MidiEndPoint& source, MessageHandler handler) = 0;
  // After it returns the handler is not called any more.
  virtual void Close() = 0;
};

}  // namespace vand::player
