#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace notify {

// Named synchronous notifications between controllers. Notify calls every
// subscriber of the name, in subscription order, before it returns; it works
// on a snapshot and skips subscribers removed meanwhile, so callbacks may
// notify, subscribe and unsubscribe (re-entrant). The lock is never held while
// a callback runs.
class CallbackDispatcher {
 public:
  CallbackDispatcher();
  ~CallbackDispatcher();
  CallbackDispatcher(const CallbackDispatcher&) = delete;
  CallbackDispatcher& operator=(const CallbackDispatcher&) = delete;

  void AddCallback(void* target, const std::string& name, std::function<void(void*)> fn);
  void Notify(const std::string& name, void* data);
  void RemoveCallbacksForTarget(void* target);
  // Number of subscriptions (all names, or one name).
  std::size_t CallbackCount() const;
  std::size_t CallbackCount(const std::string& name) const;

  // The process-wide dispatcher.
  static CallbackDispatcher& Instance();

 private:
  struct Entry;
  mutable std::mutex mutex_;
  std::vector<std::shared_ptr<Entry>> entries_;
};

// Handle of the process-wide dispatcher, usable from static initialisers:
// notify::callbackDispatcher.Notify(...) (or ->Notify(...)).
class CallbackDispatcherRef {
 public:
  constexpr CallbackDispatcherRef() = default;
  void AddCallback(void* target, const std::string& name, std::function<void(void*)> fn) const {
    CallbackDispatcher::Instance().AddCallback(target, name, std::move(fn));
  }
  void Notify(const std::string& name, void* data) const { CallbackDispatcher::Instance().Notify(name, data); }
  void RemoveCallbacksForTarget(void* target) const { CallbackDispatcher::Instance().RemoveCallbacksForTarget(target); }
  CallbackDispatcher* operator->() const { return &CallbackDispatcher::Instance(); }
  CallbackDispatcher& get() const { return CallbackDispatcher::Instance(); }
};

inline constexpr CallbackDispatcherRef callbackDispatcher{};

namespace names {
inline const std::string vandEventWidgetSelected{"vandEventWidgetSelected"};
inline const std::string editModelUpdatedSelectedVandEvent{"editModelUpdatedSelectedVandEvent"};
inline const std::string EVT_CHANGE_LOG_PANEL_SELECTED{"EVT_CHANGE_LOG_PANEL_SELECTED"};
inline const std::string EVT_MARKER_PANEL_SELECTED{"EVT_MARKER_PANEL_SELECTED"};
inline const std::string editControllerMarkerListSelected{"editControllerMarkerListSelected"};
inline const std::string editControllerShowEditor{"editControllerShowEditor"};
inline const std::string editModelChangeLogNeedsSave{"editModelChangeLogNeedsSave"};
inline const std::string editModelChangeLogNeedsUpload{"editModelChangeLogNeedsUpload"};
}  // namespace names

}  // namespace notify
