#pragma once

#include <functional>
#include <string_view>

// One logging seam for every layer. Callable from any thread: each call
// writes one whole line to std::cerr under a lock, so lines of different
// threads never interleave. The text is written as given (no prefix), so texts
// that users or scripts read stay exactly as they are; `area` names the part
// of the program ("engine", "osc", "shell", ...) for filtering and tests.
namespace kit {

enum class LogLevel { Debug, Info, Warning, Error };

void Log(LogLevel level, std::string_view area, std::string_view text);

// Lines below this level are dropped. Default: Info.
void SetLogThreshold(LogLevel level);

// Routes every line to `sink` instead of standard error (tests); an empty
// function restores standard error. The sink is called under the log's lock,
// so it must not log itself.
using LogSink = std::function<void(LogLevel level, std::string_view area, std::string_view text)>;
void SetLogSink(LogSink sink);

}  // namespace kit
