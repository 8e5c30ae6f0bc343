#pragma once

// Resident memory of this process, for the benchmarks' figures (Linux).

#include <fstream>
#include <string>

namespace vand::bench {

// VmRSS in KiB; -1 when /proc does not tell.
inline long ResidentKb()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

} // namespace vand::bench
