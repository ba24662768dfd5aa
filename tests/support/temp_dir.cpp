#include "temp_dir.h"

#include <atomic>
#include <chrono>
#include <system_error>

#include "platform/utf8_path.h"

namespace meridox::testing {

TempDir::TempDir() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = std::filesystem::temp_directory_path() /
          ("meridox-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::Utf8WithSlash() const {
  std::string text = platform::Utf8FromPath(path_);
  if (!text.empty() && text.back() != '/' && text.back() != '\\')
    text += static_cast<char>(std::filesystem::path::preferred_separator);
  return text;
}

}  // namespace meridox::testing
