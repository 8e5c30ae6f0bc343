#include "kit/CoutBuffer.h"

#include <iostream>
#include <unordered_map>

namespace kit {

namespace {

// The calling thread's unfinished line per buffer.
std::unordered_map<const CoutBuffer*, std::ostringstream>& PendingLines() {
  thread_local std::unordered_map<const CoutBuffer*, std::ostringstream> lines;
  return lines;
}

}  // namespace

CoutBuffer::CoutBuffer() : out_(std::cout) {}
CoutBuffer::CoutBuffer(std::ostream& out) : out_(out) {}
CoutBuffer::~CoutBuffer() { PendingLines().erase(this); }

std::ostringstream& CoutBuffer::Pending() { return PendingLines()[this]; }

CoutBuffer& CoutBuffer::operator<<(std::string_view text) {
  Pending() << text;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(const std::string& text) {
  Pending() << text;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(const char* text) {
  Pending() << (text ? text : "");
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(char c) {
  Pending() << c;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(bool v) {
  Pending() << (v ? "true" : "false");
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(int v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(unsigned v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(long v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(unsigned long v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(long long v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(unsigned long long v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(double v) {
  Pending() << v;
  return *this;
}
CoutBuffer& CoutBuffer::operator<<(CoutBuffer& (*manipulator)(CoutBuffer&)) { return manipulator(*this); }

void CoutBuffer::Flush() {
  std::ostringstream& line = Pending();
  std::string text = line.str();
  line.str(std::string());
  line.clear();
  text.push_back('\n');
  std::lock_guard<std::mutex> lock(mutex_);
  out_ << text;
  out_.flush();
}

CoutBuffer& CoutBuffer::Instance() {
  static CoutBuffer instance;
  return instance;
}

CoutBuffer& endl(CoutBuffer& buffer) {
  buffer.Flush();
  return buffer;
}

}  // namespace kit
