#include "kit/Log.h"

#include <atomic>
#include <iostream>
#include <mutex>
#include <string>

namespace kit {

namespace {

struct LogState {
  std::mutex mutex;
  LogSink sink;
  std::atomic<int> threshold{static_cast<int>(LogLevel::Info)};
};

LogState& State() {
  static LogState* state = new LogState;  // outlives static destructors
  return *state;
}

}  // namespace

void Log(LogLevel level, std::string_view area, std::string_view text) {
  LogState& state = State();
  if (static_cast<int>(level) < state.threshold.load(std::memory_order_relaxed)) return;
  std::string line(text);
  if (line.empty() || line.back() != '\n') line.push_back('\n');
  std::lock_guard<std::mutex> lock(state.mutex);
  if (state.sink) {
    line.pop_back();
    state.sink(level, area, line);
    return;
  }
  std::cerr.write(line.data(), static_cast<std::streamsize>(line.size()));
  std::cerr.flush();
}

void SetLogThreshold(LogLevel level) { State().threshold.store(static_cast<int>(level)); }

void SetLogSink(LogSink sink) {
  LogState& state = State();
  std::lock_guard<std::mutex> lock(state.mutex);
  state.sink = std::move(sink);
}

}  // namespace kit
