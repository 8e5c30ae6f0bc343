#pragma once

// The process-wide counter of player ids, shared by the player controller and
// the player proxies (internal).
//
// Threads: any thread; atomic.

#include <QtGlobal>

namespace vand::audio::detail {

// The next player id: 1, 2, 3, ... in the order of the calls; never 0, which
// callers use for "no player".
quint64 NextSfxPlayerId();

} // namespace vand::audio::detail
