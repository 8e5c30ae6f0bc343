#pragma once

// A bounded queue between exactly one producer thread and one consumer
// thread, without locks or allocation after construction. The producer calls
// Push; the consumer calls Front, Pop and Size. Slots are reused: a popped
// value is moved out, so a slot holding a shared pointer gives up its reference
// on the consumer's side only when the consumer moves it somewhere.

#include <atomic>
#include <cstddef>
#include <memory>
#include <utility>

namespace vand::player {

template <class T>
class SpscRing {
 public:
  explicit SpscRing(std::size_t capacity) : size_(capacity + 1), slots_(std::make_unique<T[]>(capacity + 1)) {}
  SpscRing(const SpscRing&) = delete;
  SpscRing& operator=(const SpscRing&) = delete;

  // Producer. False when full (the value is left untouched).
  bool Push(T&& value) {
    const std::size_t tail = tail_.load(std::memory_order_relaxed);
    const std::size_t next = Next(tail);
    if (next == head_.load(std::memory_order_acquire)) return false;
    slots_[tail] = std::move(value);
    tail_.store(next, std::memory_order_release);
    return true;
  }

  // Consumer: the oldest value, or null when empty. Valid until Pop.
  T* Front() {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    if (head == tail_.load(std::memory_order_acquire)) return nullptr;
    return &slots_[head];
  }

  // Consumer: drops the oldest value (after moving out what it keeps).
  void Pop() {
    const std::size_t head = head_.load(std::memory_order_relaxed);
    head_.store(Next(head), std::memory_order_release);
  }

  // Either side; a snapshot.
  bool Empty() const { return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire); }

 private:
  std::size_t Next(std::size_t i) const { return i + 1 == size_ ? 0 : i + 1; }

  const std::size_t size_;
  std::unique_ptr<T[]> slots_;
  alignas(64) std::atomic<std::size_t> head_{0};
  alignas(64) std::atomic<std::size_t> tail_{0};
};

}  // namespace vand::player
