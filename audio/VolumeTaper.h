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

// The slider position of a linear gain g, e^(20·log10(g)/25): 1 gives 1, 0
// (and a negative or NaN gain) gives 0, which a slider raises to its
// minimum; a gain above 1 gives a position above 1, which a slider lowers to
// 1.
inline double PositionOfLinearGain(double gain)
{
    if (!(gain > 0.0))
        return 0.0;
    return std::exp((20.0 * std::log10(gain)) / 25.0);
}

} // namespace vand::qt
