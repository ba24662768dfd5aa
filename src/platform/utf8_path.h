// Paths travel through the program as UTF-8 text; these convert at the file-system edge
// so that Greek folder names work on Windows as on Linux.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace meridox::platform {

inline std::filesystem::path PathFromUtf8(std::string_view text) {
  return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace meridox::platform
