#pragma once

#include <fstream>
#include <string>

namespace vand::bench {

// Resident memory of this process in KiB (VmRSS); -1 when unknown.
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
