#include "vand_player_core/Interface.h"
#include "vand_player_core/PlayerOscCallback.h"

Interface::~Interface() = default;

namespace vand {
PlayerOscCallback::~PlayerOscCallback() = default;
}  // namespace vand
