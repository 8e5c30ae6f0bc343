#pragma once

#include <cmath>

namespace vand::qt {

// The volume taper that every volume slider shares: a slider position v from
// 0.04076220398 to 1 stands for 25·ln(v) dB (-80 dB to 0 dB) and for the
// linear gain 10^(25·ln(v)/20). Any thread.

// The linear gain of a slider position. The logarithm is taken in single
// precision, as the position is stored. 0 gives 0 (the logarithm is minus
// infinity); so does a negative or NaN position, which no slider produces.
inline double LinearGainOfPosition(float position)
{
    if (!(position > 0.0f))
        return 0.0;
    const float logarithm = std::log(position);
    return std::pow(10.0, (25.0 * static_cast<double>(logarithm)) / 20.0);
}

} // namespace vand::qt
