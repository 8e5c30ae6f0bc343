#pragma once

// One thread that runs queued tasks in order: the slow work (file writes)
// that the engine thread must not do itself. Post from any thread; the
// destructor runs what is still queued, then joins.

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace vand::player {

class BackgroundWorker {
 public:
  BackgroundWorker();
  ~BackgroundWorker();
  BackgroundWorker(const BackgroundWorker&) = delete;
  BackgroundWorker& operator=(const BackgroundWorker&) = delete;

  void Post(std::function<void()> task);
  // Waits until every task posted so far has run. False after the timeout.
  bool WaitIdle(std::chrono::milliseconds timeout);

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<std::function<void()>> tasks_;
  bool running_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace vand::player
