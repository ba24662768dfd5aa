#include "child_process.h"

#include <fstream>
#include <sstream>
#include <thread>

namespace meridox::testing {

std::filesystem::path ProgramPath(const std::string& name) {
  std::filesystem::path path = std::filesystem::path(MERIDOX_BIN_DIR) / name;
#ifdef _WIN32
  path += ".exe";
#endif
  return path;
}

std::string ReadFileText(const std::filesystem::path& file) {
  std::ifstream stream(file, std::ios::binary);
  std::ostringstream text;
  text << stream.rdbuf();
  return text.str();
}

bool WaitForText(const std::filesystem::path& file, const std::string& text,
                 std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (ReadFileText(file).find(text) != std::string::npos)
      return true;
    if (std::chrono::steady_clock::now() >= deadline)
      return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace meridox::testing
