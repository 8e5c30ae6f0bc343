// The show server's JSON documents (files.json, logs/index.json, server.json),
// which arrive from the network. The first byte picks the document. Besides
// "no crash": a file list that is accepted can be fetched whole (every path
// stays in the show folder), an accepted index writes back to the same
// entries, and an accepted server address is http or https with deadlines
// of 1 ms to an hour.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "Http.h"
#include "ServerJson.h"
#include "ShowFiles.h"

using namespace vand::networking;
using namespace vand::networking::detail;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 3) {
    case 0: {
      ShowFileList files;
      if (!ParseFileList(text, files).empty()) {
        if (!files.empty()) std::abort();  // a refused list yields nothing
        break;
      }
      if (!CheckFileList(files).empty()) std::abort();
      for (const auto& file : files) {
        if (!CheckShowPath(file.path).empty() || file.sha256.size() != 64) std::abort();
      }
      break;
    }
    case 1: {
      std::vector<LogIndexEntry> entries;
      if (!ParseLogIndex(text, entries).empty()) break;
      std::vector<LogIndexEntry> again;
      if (!ParseLogIndex(WriteLogIndex(entries), again).empty() || again != entries) std::abort();
      for (const auto& entry : entries) {
        if (entry.file.find('/') != std::string::npos || !CheckShowPath(entry.file).empty()) std::abort();
      }
      break;
    }
    default: {
      ServerConfig config;
      if (!ParseServerConfig(text, config).empty()) break;
      if (!IsHttpUrl(config.apiBase) || config.apiBase.back() != '/') std::abort();
      for (const auto deadline : {config.deadlines.api, config.deadlines.file}) {
        if (deadline.count() < 1 || deadline.count() > 3600 * 1000) std::abort();
      }
      break;
    }
  }
  return 0;
}
