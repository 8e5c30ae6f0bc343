#pragma once

#include <ostream>
#include <sstream>
#include <string>

namespace vand::test {

// Redirects a standard stream into a buffer while alive.
class StreamCapture
{
public:
    explicit StreamCapture(std::ostream& stream)
        : stream_(stream)
        , previous_(stream.rdbuf(buffer_.rdbuf()))
    {
    }
    ~StreamCapture() { stream_.rdbuf(previous_); }
    StreamCapture(const StreamCapture&) = delete;
    StreamCapture& operator=(const StreamCapture&) = delete;
    std::string text() const { return buffer_.str(); }

private:
    std::ostream& stream_;
    std::ostringstream buffer_;
    std::streambuf* previous_;
};

} // namespace vand::test
