#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/atomic_file.h"

namespace meridox::platform {

namespace {

std::error_code Errno() {
  return std::error_code(errno, std::generic_category());
}

std::error_code WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t done = write(fd, bytes.data(), bytes.size());
    if (done < 0) {
      if (errno == EINTR)
        continue;
      return Errno();
    }
    bytes.remove_prefix(static_cast<size_t>(done));
  }
  return {};
}

}  // namespace

std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0)
    return Errno();
  return {};
}

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  std::filesystem::path temp = target;
  temp += ".tmp";
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0)
    return Errno();
  // The new file keeps the permissions of the one it replaces.
  struct stat existing {};
  if (stat(target.c_str(), &existing) == 0)
    fchmod(fd, existing.st_mode & 07777);
  std::error_code error = WriteAll(fd, bytes);
  if (!error && fsync(fd) != 0)
    error = Errno();
  if (close(fd) != 0 && !error)
    error = Errno();
  if (!error)
    error = ReplaceFile(temp, target);
  if (error) {
    unlink(temp.c_str());
    return error;
  }
  // Makes the rename itself durable.
  std::filesystem::path folder = target.parent_path();
  if (folder.empty())
    folder = ".";
  const int dir = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return {};
}

}  // namespace meridox::platform
