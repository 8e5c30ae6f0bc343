#include "Http.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <memory>
#include <mutex>

namespace vand::networking::detail {

namespace {

constexpr long kConnectTimeoutSeconds = 5;
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr long kLowSpeedSeconds = 15;
constexpr long kMaxRedirects = 5;
constexpr long kReceiveBufferBytes = 512 * 1024;
constexpr std::size_t kPutAnswerBytes = 64 * 1024;
// How often a request with a cancel flag looks at it while it waits.
constexpr int kCancelPollMs = 50;

void InitCurlOnce() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct ListDeleter {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct MultiDeleter {
  void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
using Easy = std::unique_ptr<CURL, EasyDeleter>;
using Multi = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;

// State shared with libcurl's callbacks during one transfer.
struct Transfer {
  CURL* handle = nullptr;
  const std::atomic<bool>* cancel = nullptr;
  HttpResponse* response = nullptr;
  std::size_t maxBytes = 0;
  const BodySink* sink = nullptr;
  std::int64_t rangeStart = 0;  // from the last answer's Content-Range
  std::string_view upload;      // PUT body still to send
  std::chrono::milliseconds deadline{0};
  std::chrono::steady_clock::time_point started;
  char errorBuffer[CURL_ERROR_SIZE] = {};

  bool Cancelled() const { return cancel && cancel->load(); }
  // Marks the response when the cancel flag is set.
  bool StopForCancel() const {
    if (!Cancelled()) return false;
    response->cancelled = true;
    return true;
  }
};

size_t KeepBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (transfer->StopForCancel()) return 0;
  if (transfer->response->body.size() + bytes > transfer->maxBytes) {
    transfer->response->tooLarge = true;
    return 0;
  }
  transfer->response->body.append(data, bytes);
  return bytes;
}

size_t StreamBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  if (transfer->StopForCancel()) return 0;
  long status = 0;
  curl_easy_getinfo(transfer->handle, CURLINFO_RESPONSE_CODE, &status);
  // No exception may cross libcurl.
  try {
    if (transfer->sink->write(status, transfer->rangeStart, std::string_view(data, bytes))) return bytes;
  } catch (const std::exception& e) {
    transfer->response->sinkError = e.what();
  } catch (...) {
    transfer->response->sinkError = "Unknown error.";
  }
  transfer->response->sinkRefused = true;
  return 0;
}

// Reads the start of "Content-Range: bytes START-END/TOTAL"; a new status
// line (a redirect's next answer) forgets the previous one.
size_t ReadHeader(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = size * count;
  std::string_view line(data, bytes);
  if (line.rfind("HTTP/", 0) == 0) {
    transfer->rangeStart = 0;
    return bytes;
  }
  constexpr std::string_view kName = "content-range:";
  if (line.size() > kName.size()) {
    std::string lower(line.substr(0, kName.size()));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == kName) {
      std::string_view value = line.substr(kName.size());
      const auto unit = value.find("bytes");
      if (unit != std::string_view::npos) {
        value = value.substr(unit + 5);
        while (!value.empty() && value.front() == ' ') value.remove_prefix(1);
        std::int64_t start = 0;
        const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), start);
        if (ec == std::errc() && start >= 0) transfer->rangeStart = start;
      }
    }
  }
  return bytes;
}

size_t SendBody(char* buffer, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const std::size_t bytes = std::min(size * count, transfer->upload.size());
  std::copy_n(transfer->upload.data(), bytes, buffer);
  transfer->upload.remove_prefix(bytes);
  return bytes;
}

// Called about once a second even while nothing arrives, so a set cancel flag
// ends a stalled transfer too.
int WatchCancel(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->StopForCancel() ? 1 : 0;
}

Easy Prepare(const ServerConfig& server, std::chrono::milliseconds deadline, const std::string& url,
             Transfer& transfer) {
  InitCurlOnce();
  Easy easy(curl_easy_init());
  if (!easy) throw std::bad_alloc();
  CURL* h = easy.get();
  transfer.handle = h;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, kLowSpeedBytesPerSecond);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, kLowSpeedSeconds);
  transfer.deadline = deadline;
  if (deadline.count() > 0) curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(deadline.count()));
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(h, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!server.caFile.empty()) curl_easy_setopt(h, CURLOPT_CAINFO, server.caFile.c_str());
  curl_easy_setopt(h, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
  curl_easy_setopt(h, CURLOPT_USERAGENT, "pelorin2");
  curl_easy_setopt(h, CURLOPT_ERRORBUFFER, transfer.errorBuffer);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, &WatchCancel);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &transfer);
  return easy;
}

// Runs the transfer. Without a cancel flag libcurl waits as it likes (its
// progress callback still looks about once a second); with one, the transfer
// is driven here and the flag is looked at every kCancelPollMs.
CURLcode Perform(CURL* h, Transfer& transfer) {
  transfer.started = std::chrono::steady_clock::now();
  if (!transfer.cancel) return curl_easy_perform(h);
  Multi multi(curl_multi_init());
  if (!multi || curl_multi_add_handle(multi.get(), h) != CURLM_OK) return CURLE_OUT_OF_MEMORY;
  CURLcode result = CURLE_OK;
  for (;;) {
    if (transfer.StopForCancel()) {
      result = CURLE_ABORTED_BY_CALLBACK;
      break;
    }
    int running = 0;
    if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
      result = CURLE_OUT_OF_MEMORY;
      break;
    }
    if (running == 0) {
      int left = 0;
      while (CURLMsg* message = curl_multi_info_read(multi.get(), &left)) {
        if (message->msg == CURLMSG_DONE) result = message->data.result;
      }
      break;
    }
    curl_multi_poll(multi.get(), nullptr, 0, kCancelPollMs, nullptr);
  }
  curl_multi_remove_handle(multi.get(), h);
  return result;
}

void Finish(CURL* h, CURLcode code, Transfer& transfer) {
  HttpResponse& response = *transfer.response;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &response.status);
  if (code == CURLE_OK) return;
  // libcurl's clock may end the transfer a hair before ours says the
  // deadline has passed.
  constexpr auto kClockSlack = std::chrono::milliseconds(50);
  const bool pastDeadline = transfer.deadline.count() > 0 &&
                            std::chrono::steady_clock::now() - transfer.started + kClockSlack >= transfer.deadline;
  if (response.cancelled || transfer.Cancelled()) {
    response.cancelled = true;
    response.error = "Cancelled.";
  } else if (code == CURLE_OPERATION_TIMEDOUT && pastDeadline) {
    response.timedOut = true;
    response.error = "The show server did not finish answering within " + SecondsText(transfer.deadline) + ".";
  } else if (response.tooLarge || code == CURLE_FILESIZE_EXCEEDED) {
    response.tooLarge = true;
    response.error = "The server's answer is larger than expected.";
  } else if (response.sinkRefused) {
    response.error = response.sinkError.empty() ? "The transfer was stopped." : response.sinkError;
  } else {
    response.error = transfer.errorBuffer[0] != '\0' ? transfer.errorBuffer : curl_easy_strerror(code);
  }
}

}  // namespace

Http::Http(const ServerConfig& server, std::chrono::milliseconds deadline) : server_(server), deadline_(deadline) {}

HttpResponse Http::Get(const std::string& url, std::size_t maxBytes, const std::atomic<bool>* cancel) {
  HttpResponse response;
  Transfer transfer;
  transfer.response = &response;
  transfer.cancel = cancel;
  transfer.maxBytes = maxBytes;
  Easy easy = Prepare(server_, deadline_, url, transfer);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &KeepBody);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(easy.get(), CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(maxBytes));
  Finish(easy.get(), Perform(easy.get(), transfer), transfer);
  return response;
}

HttpResponse Http::Head(const std::string& url, const std::atomic<bool>* cancel) {
  HttpResponse response;
  Transfer transfer;
  transfer.response = &response;
  transfer.cancel = cancel;
  Easy easy = Prepare(server_, deadline_, url, transfer);
  curl_easy_setopt(easy.get(), CURLOPT_NOBODY, 1L);
  Finish(easy.get(), Perform(easy.get(), transfer), transfer);
  return response;
}

HttpResponse Http::Put(const std::string& url, std::string_view body, std::string_view contentType,
                       const std::atomic<bool>* cancel) {
  HttpResponse response;
  Transfer transfer;
  transfer.response = &response;
  transfer.cancel = cancel;
  transfer.maxBytes = kPutAnswerBytes;
  transfer.upload = body;
  Easy easy = Prepare(server_, deadline_, url, transfer);
  const std::string type = "Content-Type: " + std::string(contentType);
  HeaderList headers(curl_slist_append(nullptr, type.c_str()));
  // No "Expect: 100-continue" round trip.
  headers.reset(curl_slist_append(headers.release(), "Expect:"));
  curl_easy_setopt(easy.get(), CURLOPT_HTTPHEADER, headers.get());
  curl_easy_setopt(easy.get(), CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_READFUNCTION, &SendBody);
  curl_easy_setopt(easy.get(), CURLOPT_READDATA, &transfer);
  curl_easy_setopt(easy.get(), CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(body.size()));
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &KeepBody);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &transfer);
  Finish(easy.get(), Perform(easy.get(), transfer), transfer);
  return response;
}

HttpResponse Http::Fetch(const std::string& url, std::int64_t offset, const BodySink& sink,
                         const std::atomic<bool>* cancel) {
  HttpResponse response;
  Transfer transfer;
  transfer.response = &response;
  transfer.cancel = cancel;
  transfer.sink = &sink;
  Easy easy = Prepare(server_, deadline_, url, transfer);
  const std::string range = std::to_string(offset) + "-";
  if (offset > 0) curl_easy_setopt(easy.get(), CURLOPT_RANGE, range.c_str());
  curl_easy_setopt(easy.get(), CURLOPT_FAILONERROR, 1L);
  curl_easy_setopt(easy.get(), CURLOPT_HEADERFUNCTION, &ReadHeader);
  curl_easy_setopt(easy.get(), CURLOPT_HEADERDATA, &transfer);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEFUNCTION, &StreamBody);
  curl_easy_setopt(easy.get(), CURLOPT_WRITEDATA, &transfer);
  Finish(easy.get(), Perform(easy.get(), transfer), transfer);
  return response;
}

std::string SecondsText(std::chrono::milliseconds time) {
  char text[32];
  std::snprintf(text, sizeof text, "%g s", static_cast<double>(time.count()) / 1000.0);
  return text;
}

std::string EscapeSegment(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (const unsigned char c : text) {
    const bool alnum = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    if (alnum || c == '-' || c == '_' || c == '.' || c == '~') {
      out.push_back(static_cast<char>(c));
    } else {
      out.push_back('%');
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xf]);
    }
  }
  return out;
}

std::string EscapePath(std::string_view path) {
  std::string out;
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = path.find('/', start);
    out += EscapeSegment(path.substr(start, slash == std::string_view::npos ? std::string_view::npos : slash - start));
    if (slash == std::string_view::npos) return out;
    out.push_back('/');
    start = slash + 1;
  }
}

bool IsHttpUrl(std::string_view url) {
  std::string prefix(url.substr(0, 8));
  std::transform(prefix.begin(), prefix.end(), prefix.begin(), [](unsigned char c) { return std::tolower(c); });
  return prefix.rfind("http://", 0) == 0 || prefix.rfind("https://", 0) == 0;
}

}  // namespace vand::networking::detail
