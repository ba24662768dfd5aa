#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "platform/os_error.h"

namespace meridox::platform {
namespace {

class PosixFolderLock final : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override { ::close(fd_); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<FolderLock> TryLockFile(const std::filesystem::path& file, std::string* error) {
  const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) {
    if (error)
      *error = LastOsErrorText();
    return nullptr;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    if (error)
      *error = LastOsErrorText();
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<PosixFolderLock>(fd);
}

}  // namespace meridox::platform
