#include <unistd.h>

#include <array>

#include "platform/app_folder.h"
#include "platform/utf8_path.h"

namespace meridox::platform {

std::string ExecutableFolder() {
  std::array<char, 4096> buffer{};
  const ssize_t size = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  std::filesystem::path exe;
  if (size > 0)
    exe = std::filesystem::path(std::string(buffer.data(), static_cast<size_t>(size)));
  else
    exe = std::filesystem::current_path() / "program";
  return WithTrailingDelimiter(Utf8FromPath(exe.parent_path()));
}

}  // namespace meridox::platform
