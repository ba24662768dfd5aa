#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/append_file.h"

namespace meridox::platform {

std::error_code AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
  const int fd = open(file.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0)
    return std::error_code(errno, std::generic_category());
  std::error_code error;
  while (!bytes.empty()) {
    const ssize_t done = write(fd, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR)
        continue;
      error = std::error_code(errno, std::generic_category());
      break;
    }
    bytes.remove_prefix(static_cast<size_t>(done));
  }
  if (close(fd) != 0 && !error)
    error = std::error_code(errno, std::generic_category());
  return error;
}

}  // namespace meridox::platform
