#pragma once

#include <cstdint>

#include "CL/Events.h"

namespace vand {

// The application's side of timeline OSC events. The engine holds it as a
// shared pointer (possibly empty) and calls it without any engine lock held.
class PlayerOscCallback {
 public:
  PlayerOscCallback() = default;
  virtual ~PlayerOscCallback();

  // Send `osc` after `delayMs`. Called on the engine thread while playing,
  // ahead of the event's tick; must return at once.
  virtual void ExecuteEvent(const CL::Osc& osc, unsigned delayMs) = 0;
  // Send `osc` when playback runs: an event lying exactly at a rest position.
  virtual void EnqueueEvent(const CL::Osc& osc, unsigned delayMs) = 0;
  // The port for destinations that cannot be resolved.
  virtual void SetDefaultPort(std::uint16_t port) = 0;
};

}  // namespace vand
