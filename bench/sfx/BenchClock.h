#pragma once

// What the sound-effect benchmarks share: the clock, CPU time, a wait that
// keeps this thread's event loop running, and the median, p95 and maximum of
// a set of timings.

#include <QEventLoop>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

namespace vand::bench {

using Clock = std::chrono::steady_clock;

inline double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// CPU seconds of the whole process (RUSAGE_SELF) or of the calling thread
// (RUSAGE_THREAD).
inline double cpuSeconds(int who = RUSAGE_SELF)
{
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Runs the event loop for `milliseconds`, or until `done` holds (checked
// every 5 ms, sleeping in between).
inline void runFor(int milliseconds, const std::function<bool()>& done = {})
{
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    if (Clock::now() >= end || (done && done()))
        return;
    QEventLoop loop;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, &loop, [&] {
        if (Clock::now() >= end || (done && done()))
            loop.quit();
    });
    tick.start(5);
    loop.exec();
}

struct Stats
{
    double median = 0, p95 = 0, max = 0;
};

inline Stats statsOf(std::vector<double> values)
{
    if (values.empty())
        return {};
    std::sort(values.begin(), values.end());
    const auto at = [&](double q) {
        return values[std::min(values.size() - 1, std::size_t(q * double(values.size() - 1) + 0.5))];
    };
    return {at(0.5), at(0.95), values.back()};
}

} // namespace vand::bench
