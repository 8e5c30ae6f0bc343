#include "notify/CallbackDispatcher.h"

#include <algorithm>

namespace notify {

struct CallbackDispatcher::Entry {
  void* target;
  std::string name;
  std::function<void(void*)> fn;
  bool removed{false};  // guarded by the dispatcher's mutex
};

CallbackDispatcher::CallbackDispatcher() = default;
CallbackDispatcher::~CallbackDispatcher() = default;

void CallbackDispatcher::AddCallback(void* target, const std::string& name, std::function<void(void*)> fn) {
  auto entry = std::make_shared<Entry>(Entry{target, name, std::move(fn)});
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.push_back(std::move(entry));
}

void CallbackDispatcher::Notify(const std::string& name, void* data) {
  std::vector<std::shared_ptr<Entry>> snapshot;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const auto& e : entries_) {
      if (e->name == name) snapshot.push_back(e);
    }
  }
  for (const auto& e : snapshot) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (e->removed) continue;
    }
    if (e->fn) e->fn(data);
  }
}

void CallbackDispatcher::RemoveCallbacksForTarget(void* target) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const auto& e : entries_) {
    if (e->target == target) e->removed = true;
  }
  entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                [target](const std::shared_ptr<Entry>& e) { return e->target == target; }),
                 entries_.end());
}

std::size_t CallbackDispatcher::CallbackCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return entries_.size();
}

std::size_t CallbackDispatcher::CallbackCount(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(), [&](const auto& e) { return e->name == name; }));
}

CallbackDispatcher& CallbackDispatcher::Instance() {
  // Never destroyed: controllers may unsubscribe from static destructors.
  static CallbackDispatcher* instance = new CallbackDispatcher();
  return *instance;
}

}  // namespace notify
