#pragma once

#include <compare>
#include <optional>
#include <string>

#include "cmn/Types.h"

namespace cmn {

// Change-log version. A minor other than 0 means "edits not yet shared".
// Fields rather than methods: glibc defines function-like macros major() and
// minor(), so nothing here is ever written as major(...) or minor(...).
struct VANDVersion {
  UInt16 major{0};
  UInt16 minor{0};

  VANDVersion() = default;
  VANDVersion(UInt16 ma, UInt16 mi) : major{ma}, minor{mi} {}

  // "3.1"
  std::string GetAsString() const;
  // Parses "M.m" (decimal, each 0..65535). Throws std::invalid_argument on any
  // other text and leaves the version unchanged.
  void SetWithString(const std::string& text);

  auto operator<=>(const VANDVersion&) const = default;
  bool operator==(const VANDVersion&) const = default;
};

// A version text "M.m" read as two 8-bit numbers; text that does not parse
// (or numbers above 255) gives 0.0.
class FileVersion {
 public:
  FileVersion() = default;
  explicit FileVersion(const std::string& text);
  FileVersion(UInt8 ma, UInt8 mi) : major{ma}, minor{mi} {}

  // The version of "M.m" (two runs of decimal digits, each at most 255);
  // nothing for any other text.
  static std::optional<FileVersion> Parse(const std::string& text);

  UInt8 major{0};
  UInt8 minor{0};

  std::string GetAsString() const;

  auto operator<=>(const FileVersion&) const = default;
  bool operator==(const FileVersion&) const = default;
};

}  // namespace cmn
