#pragma once

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <memory>
#include <type_traits>
#include <vector>

#include "CL/Events.h"

namespace CL {

// Events of one kind, ordered by start (equal starts keep insertion order).
// Each record lives in its own allocation, so adding or removing one record
// never moves another: pointers to records stay valid until that record is
// removed. Iterating yields references to the records.
template <class T>
class EventSequence {
  using Storage = std::vector<std::unique_ptr<T>>;

  template <class Ref, class It>
  class Iter {
   public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = T;
    using difference_type = std::ptrdiff_t;
    using pointer = std::remove_reference_t<Ref>*;
    using reference = Ref;

    Iter() = default;
    explicit Iter(It it) : it_(it) {}
    // iterator -> const_iterator
    template <class R2>
    requires std::is_const_v<std::remove_reference_t<Ref>> Iter(const Iter<R2, It>& o) : it_(o.base()) {}

    reference operator*() const { return **it_; }
    pointer operator->() const { return it_->get(); }
    reference operator[](difference_type n) const { return *it_[n]; }
    Iter& operator++() {
      ++it_;
      return *this;
    }
    Iter operator++(int) {
      Iter t = *this;
      ++it_;
      return t;
    }
    Iter& operator--() {
      --it_;
      return *this;
    }
    Iter operator--(int) {
      Iter t = *this;
      --it_;
      return t;
    }
    Iter& operator+=(difference_type n) {
      it_ += n;
      return *this;
    }
    Iter& operator-=(difference_type n) {
      it_ -= n;
      return *this;
    }
    friend Iter operator+(Iter a, difference_type n) { return Iter(a.it_ + n); }
    friend Iter operator+(difference_type n, Iter a) { return Iter(a.it_ + n); }
    friend Iter operator-(Iter a, difference_type n) { return Iter(a.it_ - n); }
    friend difference_type operator-(const Iter& a, const Iter& b) { return a.it_ - b.it_; }
    friend bool operator==(const Iter& a, const Iter& b) { return a.it_ == b.it_; }
    friend auto operator<=>(const Iter& a, const Iter& b) { return a.it_ <=> b.it_; }
    const It& base() const { return it_; }

   private:
    It it_{};
  };

 public:
  using value_type = T;
  using size_type = std::size_t;
  using iterator = Iter<T&, typename Storage::const_iterator>;
  using const_iterator = Iter<const T&, typename Storage::const_iterator>;

  EventSequence() = default;
  EventSequence(const EventSequence& o) { CopyFrom(o); }
  EventSequence& operator=(const EventSequence& o) {
    if (this != &o) {
      items_.clear();
      CopyFrom(o);
    }
    return *this;
  }
  EventSequence(EventSequence&&) noexcept = default;
  EventSequence& operator=(EventSequence&&) noexcept = default;

  size_type size() const { return items_.size(); }
  bool empty() const { return items_.empty(); }
  const_iterator begin() const { return const_iterator(items_.cbegin()); }
  const_iterator end() const { return const_iterator(items_.cend()); }
  iterator begin() { return iterator(items_.cbegin()); }
  iterator end() { return iterator(items_.cend()); }
  const T& operator[](size_type i) const { return *items_[i]; }
  T& operator[](size_type i) { return *items_[i]; }
  const T& at(size_type i) const { return *items_.at(i); }
  T& at(size_type i) { return *items_.at(i); }
  const T& front() const { return *items_.front(); }
  const T& back() const { return *items_.back(); }

  // Inserts after every record whose start is at or before the new one's.
  T& Insert(std::unique_ptr<T> item) {
    const UInt32 s = item->start();
    auto pos = std::upper_bound(items_.begin(), items_.end(), s,
                                [](UInt32 v, const std::unique_ptr<T>& p) { return v < p->start(); });
    return **items_.insert(pos, std::move(item));
  }
  T& Insert(const T& item) { return Insert(std::make_unique<T>(item)); }

  // Takes the record out; null when it is not in this sequence.
  std::unique_ptr<T> Remove(const cmn::VandEvent* item) {
    auto it = FindIt(item);
    if (it == items_.end()) return nullptr;
    std::unique_ptr<T> out = std::move(*it);
    items_.erase(it);
    return out;
  }

  // Puts a record whose start changed back in order (the record stays put).
  void Resort(const cmn::VandEvent* item) {
    std::unique_ptr<T> p = Remove(item);
    if (p) Insert(std::move(p));
  }

  bool Contains(const cmn::VandEvent* item) const { return FindIt(item) != items_.end(); }
  void clear() { items_.clear(); }
  const Storage& Items() const { return items_; }

 private:
  typename Storage::iterator FindIt(const cmn::VandEvent* item) {
    return std::find_if(items_.begin(), items_.end(), [item](const std::unique_ptr<T>& p) { return p.get() == item; });
  }
  typename Storage::const_iterator FindIt(const cmn::VandEvent* item) const {
    return std::find_if(items_.begin(), items_.end(), [item](const std::unique_ptr<T>& p) { return p.get() == item; });
  }
  void CopyFrom(const EventSequence& o) {
    items_.reserve(o.items_.size());
    for (const auto& p : o.items_) items_.push_back(std::make_unique<T>(*p));
  }

  Storage items_;
};

using MarkerSequence = EventSequence<Marker>;

}  // namespace CL
