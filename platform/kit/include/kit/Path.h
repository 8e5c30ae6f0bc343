#pragma once

#include <string>
#include <utility>

namespace kit::path {

// (directory, name). Both '/' and '\\' separate; the directory keeps no
// trailing separator (except a lone root "/").
std::pair<std::string, std::string> split(const std::string& path);

// (text before the last extension, the extension with its dot).
// "1.2.logdata" -> ("1.2", ".logdata"); "dir.d/file" -> ("dir.d/file", "");
// a leading dot of a name is not an extension (".profile" -> (".profile", "")).
std::pair<std::string, std::string> splitext(const std::string& path);

}  // namespace kit::path
