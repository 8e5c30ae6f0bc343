#pragma once

#include <cstdint>
#include <exception>
#include <mutex>
#include <ostream>
#include <string>
#include <string_view>

namespace vand {

// Plain-text log written after a fatal error: a header describing the
// application and the machine, then time-stamped lines. Every write is echoed
// to the console streams.
class ErrorLog
{
public:
    // Writes the header at once.
    ErrorLog(std::ostream& output, std::string applicationName, std::string version);

    void WriteHeader();
    void Log(const std::string& message);
    void LogException(const std::exception& exception);

private:
    bool echo_ = true;
    std::ostream* output_ = nullptr;
    std::mutex lock_;
    std::string applicationName_;
    std::string version_;
};

// File name of the error log inside the error-log folder.
inline constexpr const char* kErrorLogFileName = "vand_pelorin_error_log.txt";

// 64-bit FNV-1a hash of the bytes.
std::uint64_t Fnv1a64(std::string_view bytes);

// The hashed machine id of this host, in lower-case hexadecimal.
std::string HashedMachineId();

// Writes the error log for a fatal exception into folder (the file name alone,
// relative to the working folder, when folder is empty), replacing any earlier
// log. Never throws; a file that cannot be written leaves the console copies.
void WriteErrorLog(const std::string& folder, const std::string& applicationName, const std::string& version,
                   const std::exception& exception);

} // namespace vand
