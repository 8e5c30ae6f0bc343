#include "cmn/VANDVersion.h"

#include <charconv>
#include <optional>
#include <stdexcept>
#include <string_view>
#include <utility>

namespace cmn {

namespace {

// "M.m" with two runs of 1-5 decimal digits; each at most `limit`.
std::optional<std::pair<unsigned, unsigned>> ParseVersion(std::string_view text, unsigned limit) {
  const auto dot = text.find('.');
  if (dot == std::string_view::npos) return std::nullopt;
  auto parse = [limit](std::string_view part) -> std::optional<unsigned> {
    if (part.empty() || part.size() > 5) return std::nullopt;
    for (char c : part) {
      if (c < '0' || c > '9') return std::nullopt;
    }
    unsigned v = 0;
    auto [ptr, ec] = std::from_chars(part.data(), part.data() + part.size(), v);
    if (ec != std::errc() || ptr != part.data() + part.size() || v > limit) return std::nullopt;
    return v;
  };
  const auto ma = parse(text.substr(0, dot));
  const auto mi = parse(text.substr(dot + 1));
  if (!ma || !mi) return std::nullopt;
  return std::make_pair(*ma, *mi);
}

}  // namespace

std::string VANDVersion::GetAsString() const { return std::to_string(major) + "." + std::to_string(minor); }

void VANDVersion::SetWithString(const std::string& text) {
  const auto v = ParseVersion(text, 0xFFFF);
  if (!v) throw std::invalid_argument("\"" + text + "\" is not a version (expected major.minor).");
  major = static_cast<UInt16>(v->first);
  minor = static_cast<UInt16>(v->second);
}

FileVersion::FileVersion(const std::string& text) {
  if (const auto v = Parse(text)) *this = *v;
}

std::optional<FileVersion> FileVersion::Parse(const std::string& text) {
  const auto v = ParseVersion(text, 0xFF);
  if (!v) return std::nullopt;
  return FileVersion(static_cast<UInt8>(v->first), static_cast<UInt8>(v->second));
}

std::string FileVersion::GetAsString() const {
  return std::to_string(static_cast<unsigned>(major)) + "." + std::to_string(static_cast<unsigned>(minor));
}

}  // namespace cmn
