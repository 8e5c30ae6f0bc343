#pragma once

// Show folders for the networking tests: a small show written by hand, its
// files by path, and a hash of a folder tree that changes with any file,
// folder or link in it (the staging area excepted).

#include <QByteArray>
#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "kit/Log.h"

namespace net_test {

namespace fs = std::filesystem;

inline QByteArray Bytes(std::size_t size, quint32 seed) {
  QByteArray bytes(static_cast<qsizetype>(size), Qt::Uninitialized);
  QRandomGenerator random(seed);
  random.fillRange(reinterpret_cast<quint32*>(bytes.data()), static_cast<qsizetype>(size / 4));
  for (std::size_t i = size / 4 * 4; i < size; ++i) bytes[static_cast<qsizetype>(i)] = char(i);
  return bytes;
}

inline void Write(const fs::path& file, const QByteArray& bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.constData(), bytes.size());
}

inline QByteArray Read(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return QByteArray::fromStdString(std::string(std::istreambuf_iterator<char>(in), {}));
}

// A show of identifier "t": what publish-show lists, by path.
using ShowFiles = std::map<std::string, QByteArray>;

inline ShowFiles SmallShow(std::size_t audioBytes = 300 * 1024, quint32 seed = 1) {
  return {{"identity.json", "{\"identifier\": \"t\", \"showName\": \"T\"}\n"},
          {"show.json", "{\"songs\": []}\n"},
          {"T-1.2.logdata", "{\"log\": 12}\n"},
          {"audio/a.ogg", Bytes(audioBytes, seed)},
          {"audio/b.ogg", Bytes(4096, seed + 1)},
          {"score.score", Bytes(2048, seed + 2)}};
}

inline void WriteShow(const fs::path& folder, const ShowFiles& files) {
  for (const auto& [path, bytes] : files) Write(folder / path, bytes);
}

// Log lines go here instead of standard error while it lives.
struct LogCapture {
  QStringList lines;
  LogCapture() {
    kit::SetLogSink([this](kit::LogLevel, std::string_view, std::string_view text) {
      lines << QString::fromUtf8(text.data(), qsizetype(text.size()));
    });
  }
  ~LogCapture() { kit::SetLogSink({}); }
  LogCapture(const LogCapture&) = delete;
  LogCapture& operator=(const LogCapture&) = delete;
};

// Paths, kinds of entry, contents and link targets; ".incoming" is left out.
inline QByteArray TreeHash(const fs::path& folder) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!fs::exists(folder)) return "absent";
  std::map<std::string, QByteArray> entries;
  for (auto it = fs::recursive_directory_iterator(folder); it != fs::recursive_directory_iterator(); ++it) {
    const std::string relative = it->path().lexically_relative(folder).generic_string();
    if (relative == ".incoming") {
      it.disable_recursion_pending();
      continue;
    }
    if (it->is_symlink()) {
      entries[relative] = "link:" + QByteArray::fromStdString(fs::read_symlink(it->path()).string());
    } else if (it->is_directory()) {
      entries[relative] = "folder";
    } else {
      entries[relative] = "file:" + QCryptographicHash::hash(Read(it->path()), QCryptographicHash::Sha256).toHex();
    }
  }
  for (const auto& [path, value] : entries) {
    hash.addData(QByteArray::fromStdString(path));
    hash.addData(value);
  }
  return hash.result().toHex();
}

}  // namespace net_test
