#include "kit/Path.h"

namespace kit::path {

namespace {

std::string::size_type LastSeparator(const std::string& p) { return p.find_last_of("/\\"); }

}  // namespace

std::pair<std::string, std::string> split(const std::string& path) {
  const auto sep = LastSeparator(path);
  if (sep == std::string::npos) return {std::string(), path};
  std::string dir = path.substr(0, sep);
  // Keep a root of its own; drop repeated separators before the name.
  while (dir.size() > 1 && (dir.back() == '/' || dir.back() == '\\')) dir.pop_back();
  if (dir.empty()) dir = path.substr(0, 1);
  return {dir, path.substr(sep + 1)};
}

std::pair<std::string, std::string> splitext(const std::string& path) {
  const auto sep = LastSeparator(path);
  const std::string::size_type nameStart = sep == std::string::npos ? 0 : sep + 1;
  const auto dot = path.rfind('.');
  if (dot == std::string::npos || dot < nameStart) return {path, std::string()};
  // Leading dots of a name do not start an extension.
  std::string::size_type firstNonDot = nameStart;
  while (firstNonDot < path.size() && path[firstNonDot] == '.') ++firstNonDot;
  if (dot < firstNonDot) return {path, std::string()};
  return {path.substr(0, dot), path.substr(dot)};
}

}  // namespace kit::path
