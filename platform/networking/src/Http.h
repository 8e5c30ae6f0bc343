#pragma once

// libcurl transfers: one blocking easy handle per request, http and https only
// (redirects too), TLS peer and host always verified, connect timeout 5 s, a
// transfer abandoned after 15 s below 1 B/s, and the whole request ended at
// the deadline given to the Http (none when zero). Any thread; blocks it. A
// request given a cancel flag polls it every 50 ms while it waits, stalled
// or not.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "vand_networking_http/NetworkApiInterface.h"

namespace vand::networking::detail {

struct HttpResponse {
  long status = 0;           // HTTP status of the last answer; 0 without one
  std::string body;          // up to the request's limit
  std::string error;         // why the transfer failed; empty when it completed
  bool cancelled = false;    // stopped by the cancel flag
  bool timedOut = false;     // ended by the deadline
  bool tooLarge = false;     // the answer exceeded the limit
  bool sinkRefused = false;  // the body sink asked to stop
  std::string sinkError;     // what the body sink threw

  bool Completed() const { return error.empty(); }
};

// Receives a download's body: the status and Content-Range start are known
// when it is called. Returns false to stop the transfer.
struct BodySink {
  std::function<bool(long status, std::int64_t rangeStart, std::string_view chunk)> write;
};

class Http {
 public:
  explicit Http(const ServerConfig& server, std::chrono::milliseconds deadline = {});

  // GET with the body kept up to maxBytes (more fails the transfer).
  HttpResponse Get(const std::string& url, std::size_t maxBytes, const std::atomic<bool>* cancel = nullptr);
  HttpResponse Head(const std::string& url, const std::atomic<bool>* cancel = nullptr);
  // PUT of body; the answer's body is kept up to 64 KiB.
  HttpResponse Put(const std::string& url, std::string_view body, std::string_view contentType,
                   const std::atomic<bool>* cancel = nullptr);
  // GET streamed into sink, from `offset` on (a Range request when > 0).
  // Answers of 400 and above end the transfer without reaching the sink.
  HttpResponse Fetch(const std::string& url, std::int64_t offset, const BodySink& sink,
                     const std::atomic<bool>* cancel);

 private:
  ServerConfig server_;
  std::chrono::milliseconds deadline_;
};

// "10 s", "0.3 s": a deadline as the messages give it.
std::string SecondsText(std::chrono::milliseconds time);

// Escapes one path segment or identifier for a URL.
std::string EscapeSegment(std::string_view text);
// '/'-separated path with each segment escaped.
std::string EscapePath(std::string_view path);
// True for http:// and https:// URLs (case-insensitive scheme).
bool IsHttpUrl(std::string_view url);

}  // namespace vand::networking::detail
