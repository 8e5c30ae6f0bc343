#include "CL/ActiveChangeLog.h"

#include <stdexcept>

#include "ActiveChangeLogInternal.h"

namespace CL {

namespace {
ChangeLog* g_active = nullptr;  // guarded by ActiveChangeLogMutex()
}

std::recursive_mutex& ActiveChangeLogMutex() {
  static std::recursive_mutex mutex;
  return mutex;
}

void SetActiveChangeLog(ChangeLog* log) {
  std::lock_guard<std::recursive_mutex> lock(ActiveChangeLogMutex());
  g_active = log;
}

ChangeLog* ActiveChangeLogUnlocked() { return g_active; }

ActiveChangeLogExclusive::ActiveChangeLogExclusive() : lock_(ActiveChangeLogMutex()) {
  log_ = g_active;
  if (log_ == nullptr) {
    lock_.unlock();
    throw std::runtime_error("There is no active change log.");
  }
}

ActiveChangeLogExclusive::~ActiveChangeLogExclusive() = default;

ChangeLog& ActiveChangeLogExclusive::Get() { return *log_; }

}  // namespace CL
