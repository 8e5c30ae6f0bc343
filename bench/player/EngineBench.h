#pragma once

// What the player engine's benchmarks share: CPU time of the calling thread
// and of the process, resident memory, and an OSC sender that only counts.

#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <fstream>

#include "vand_player_core/PlayerOscCallback.h"

namespace vand::bench {

inline double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec / 1e9;
}

inline double ProcessCpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

inline double ResidentMiB() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

class NullOsc final : public vand::PlayerOscCallback {
 public:
  void ExecuteEvent(const CL::Osc&, unsigned) override { ++calls; }
  void EnqueueEvent(const CL::Osc&, unsigned) override { ++calls; }
  void SetDefaultPort(std::uint16_t) override {}
  std::atomic<long> calls{0};
};

}  // namespace vand::bench
