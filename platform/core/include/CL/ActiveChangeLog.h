#pragma once

#include <mutex>

#include "CL/ChangeLog.h"

namespace CL {

// The process-wide recursive mutex that guards the active change log. Every
// CL::Editor operation takes it.
std::recursive_mutex& ActiveChangeLogMutex();

// Registers the active change log (null: none). The engine registers its
// editor's log; tests may register their own.
void SetActiveChangeLog(ChangeLog* log);

// Exclusive access to the active change log while alive; re-entrant on one
// thread. Throws std::runtime_error when no log is active.
class ActiveChangeLogExclusive {
 public:
  ActiveChangeLogExclusive();
  ~ActiveChangeLogExclusive();
  ActiveChangeLogExclusive(const ActiveChangeLogExclusive&) = delete;
  ActiveChangeLogExclusive& operator=(const ActiveChangeLogExclusive&) = delete;

  ChangeLog& Get();

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  ChangeLog* log_{nullptr};
};

}  // namespace CL
