#pragma once

#include "CL/ChangeLog.h"

namespace CL {

// The registered active log; the caller holds ActiveChangeLogMutex().
ChangeLog* ActiveChangeLogUnlocked();

}  // namespace CL
