#pragma once

#include <mutex>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>

namespace kit {

// Line-buffered debug output to standard output. Each thread builds its own
// line; kit::endl writes the finished line in one piece under a lock, so lines
// of different threads never interleave.
class CoutBuffer {
 public:
  CoutBuffer();
  explicit CoutBuffer(std::ostream& out);  // for tests
  CoutBuffer(const CoutBuffer&) = delete;
  CoutBuffer& operator=(const CoutBuffer&) = delete;
  ~CoutBuffer();

  CoutBuffer& operator<<(std::string_view text);
  CoutBuffer& operator<<(const std::string& text);
  CoutBuffer& operator<<(const char* text);
  CoutBuffer& operator<<(char c);
  CoutBuffer& operator<<(bool v);
  CoutBuffer& operator<<(int v);
  CoutBuffer& operator<<(unsigned v);
  CoutBuffer& operator<<(long v);
  CoutBuffer& operator<<(unsigned long v);
  CoutBuffer& operator<<(long long v);
  CoutBuffer& operator<<(unsigned long long v);
  CoutBuffer& operator<<(double v);
  CoutBuffer& operator<<(CoutBuffer& (*manipulator)(CoutBuffer&));

  // Writes the pending text of the calling thread followed by a newline.
  void Flush();

  // The process-wide instance writing to std::cout.
  static CoutBuffer& Instance();

 private:
  std::ostringstream& Pending();
  std::ostream& out_;
  std::mutex mutex_;
};

CoutBuffer& endl(CoutBuffer& buffer);

}  // namespace kit
