#pragma once

#include <fstream>
#include <string>

// Resident memory of this process in kB, from /proc; -1 where it cannot be read.
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
