// Where the running program lives, and the path delimiters of this system.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace meridox::platform {

// The folder of the running executable, UTF-8, with a trailing path delimiter.
std::string ExecutableFolder();

inline constexpr char kPathDelimiter =
    static_cast<char>(std::filesystem::path::preferred_separator);

// '/' everywhere, and '\' where it is this system's delimiter.
inline bool IsPathDelimiter(char c) {
  return c == '/' || c == kPathDelimiter;
}

// The folder text with one trailing delimiter added when it has none.
inline std::string WithTrailingDelimiter(std::string_view folder) {
  std::string out(folder);
  if (out.empty() || !IsPathDelimiter(out.back()))
    out += kPathDelimiter;
  return out;
}

}  // namespace meridox::platform
