#pragma once

// What the audio tests hear: the sink inputs (streams) this process has open
// on the private sound server, and the loudness of one of them on the null
// sink's monitor. Each test hears only its own stream, so audio tests may run
// beside each other.

#include <set>
#include <vector>

namespace vand::test {

// pactl's sink inputs of this process.
std::set<int> OurSinkInputs();

// A sink input of this process that is not in `before`, waiting for one up to
// 10 s; -1 when none appeared.
int NewSinkInput(const std::set<int>& before);

struct Loudness
{
    double first = 0.0; // RMS of the first channel, full scale 1
    double second = 0.0;
};

// Records `frames` frames (44.1 kHz stereo) of one sink input's own signal
// from the monitor.
Loudness Listen(int sinkInput, int frames);

// Records `windows` windows of `windowFrames` frames each, one after the
// other, of one sink input's own signal; the loudness of each.
std::vector<Loudness> ListenInWindows(int sinkInput, int windows, int windowFrames);

} // namespace vand::test
