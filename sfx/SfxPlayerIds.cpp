#include "sfx/SfxPlayerIds.h"

#include <atomic>

namespace vand::audio::detail {

quint64 NextSfxPlayerId()
{
    static std::atomic<quint64> last{0};
    return ++last;
}

} // namespace vand::audio::detail
