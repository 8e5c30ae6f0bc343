// Feeds arbitrary bytes to the change-log reader. A file is either refused
// with std::runtime_error (ChangeLogVersionError included) or read; a log
// that was read writes back to text that reads again to the same log.

#include <cstdint>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "CL/ChangeLog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  CL::ChangeLog log;
  try {
    log = CL::ChangeLog::FromJson(text, "demo", "fuzz.logdata");
  } catch (const std::runtime_error&) {
    return 0;
  }
  const std::string written = log.ToJson();
  CL::ChangeLog again;
  try {
    again = CL::ChangeLog::FromJson(written, "demo", "rewritten.logdata");
  } catch (const std::exception&) {
    std::abort();  // what we wrote must read
  }
  if (!again.GetLoadReport().empty()) std::abort();  // already normalised
  if (again.ToJson() != written) std::abort();       // stable round trip
  return 0;
}
