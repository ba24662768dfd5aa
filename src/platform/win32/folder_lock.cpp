#include "platform/folder_lock.h"

#include <windows.h>

#include "platform/os_error.h"

namespace meridox::platform {
namespace {

class Win32FolderLock final : public FolderLock {
 public:
  explicit Win32FolderLock(HANDLE handle) : handle_(handle) {}
  ~Win32FolderLock() override { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<FolderLock> TryLockFile(const std::filesystem::path& file, std::string* error) {
  // No sharing: a second opener fails until this handle closes or the process dies.
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (error)
      *error = LastOsErrorText();
    return nullptr;
  }
  return std::make_unique<Win32FolderLock>(handle);
}

}  // namespace meridox::platform
