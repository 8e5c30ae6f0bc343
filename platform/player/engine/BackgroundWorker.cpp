#include "engine/BackgroundWorker.h"

#include <string>

#include "kit/Log.h"

namespace vand::player {

BackgroundWorker::BackgroundWorker() : thread_(&BackgroundWorker::Run, this) {}

BackgroundWorker::~BackgroundWorker() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void BackgroundWorker::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  wake_.notify_all();
}

bool BackgroundWorker::WaitIdle(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  return idle_.wait_for(lock, timeout, [this] { return tasks_.empty() && !running_; });
}

void BackgroundWorker::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
    if (tasks_.empty()) return;  // stopping, and everything ran
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    running_ = true;
    lock.unlock();
    try {
      task();
    } catch (const std::exception& e) {
      kit::Log(kit::LogLevel::Error, "engine", std::string("a background task failed: ") + e.what());
    } catch (...) {
      kit::Log(kit::LogLevel::Error, "engine", "a background task failed");
    }
    lock.lock();
    running_ = false;
    idle_.notify_all();
  }
}

}  // namespace vand::player
