#pragma once

#include <cstddef>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include "cmn/EventCodes.h"
#include "kit/CoutBuffer.h"

namespace cmn {

// A sequence of fixed-size records of one event code.
class VANDSequence {
 public:
  virtual unsigned char evt_code() const = 0;
  // Byte form: 1 code byte, the count as u32 little-endian, then the records.
  virtual void Write(std::ostream& os) const = 0;
  virtual std::size_t size() const = 0;
  virtual void WriteHeader(kit::CoutBuffer& out) const = 0;
  virtual void WriteHeader(std::ostream& os) const = 0;
  virtual void WriteListing(kit::CoutBuffer& out, int indent) const = 0;
  virtual void WriteListing(std::ostream& os, int indent) const = 0;
  virtual ~VANDSequence() = default;
};

// T provides: static constexpr unsigned char evt_code; std::string WriteString()
// const; an operator<<(std::ostream&, const T&).
template <class T>
class SequenceTemplate : public VANDSequence {
 public:
  using value_type = T;
  using iterator = typename std::vector<T>::iterator;
  using const_iterator = typename std::vector<T>::const_iterator;

  SequenceTemplate() = default;
  explicit SequenceTemplate(std::vector<T> items) : items_(std::move(items)) {}

  unsigned char evt_code() const override { return T::evt_code; }
  void Write(std::ostream& os) const override = 0;
  std::size_t size() const override { return items_.size(); }

  void WriteHeader(kit::CoutBuffer& out) const override { out << HeaderText(); }
  void WriteHeader(std::ostream& os) const override { os << HeaderText(); }

  void WriteListing(kit::CoutBuffer& out, int indent) const override {
    out << std::string(indent > 0 ? static_cast<std::size_t>(indent) : 0u, '\t');
    WriteHeader(out);
    out << kit::endl;
    const std::string tabs(indent + 1 > 0 ? static_cast<std::size_t>(indent + 1) : 0u, '\t');
    for (const T& item : items_) {
      out << tabs << item.WriteString() << kit::endl;
    }
  }

  void WriteListing(std::ostream& os, int indent) const override {
    os << std::string(indent > 0 ? static_cast<std::size_t>(indent) : 0u, '\t');
    WriteHeader(os);
    os << std::endl;
    const std::string tabs(indent + 1 > 0 ? static_cast<std::size_t>(indent + 1) : 0u, '\t');
    for (const T& item : items_) {
      os << tabs << item << std::endl;
    }
  }

  ~SequenceTemplate() override = default;

  bool empty() const { return items_.empty(); }
  iterator begin() { return items_.begin(); }
  iterator end() { return items_.end(); }
  const_iterator begin() const { return items_.begin(); }
  const_iterator end() const { return items_.end(); }
  T& operator[](std::size_t i) { return items_[i]; }
  const T& operator[](std::size_t i) const { return items_[i]; }
  T& at(std::size_t i) { return items_.at(i); }
  const T& at(std::size_t i) const { return items_.at(i); }
  T& front() { return items_.front(); }
  const T& front() const { return items_.front(); }
  T& back() { return items_.back(); }
  const T& back() const { return items_.back(); }
  void push_back(const T& item) { items_.push_back(item); }
  void reserve(std::size_t n) { items_.reserve(n); }
  void clear() { items_.clear(); }
  const std::vector<T>& items() const { return items_; }
  std::vector<T>& items() { return items_; }

 protected:
  std::string HeaderText() const {
    std::ostringstream s;
    s << codes::EditName(evt_code()) << "Sequence("
      << "code=" << std::hex << std::showbase << static_cast<int>(evt_code()) << ", " << std::dec << std::noshowbase
      << "event count = " << size() << ")";
    return s.str();
  }

  std::vector<T> items_;
};

}  // namespace cmn
