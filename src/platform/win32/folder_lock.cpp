#include "platform/folder_lock.h"

#include <windows.h>

namespace meridox::platform {
namespace {

class Win32FolderLock final : public FolderLock {
 public:
  explicit Win32FolderLock(HANDLE handle) : handle_(handle) {}
  ~Win32FolderLock() override { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

std::string SystemText(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), nullptr, 0,
                                         nullptr, nullptr);
    text.resize(static_cast<size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, buffer, static_cast<int>(length), text.data(), size, nullptr,
                        nullptr);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
      text.pop_back();
  }
  if (buffer)
    LocalFree(buffer);
  return text;
}

}  // namespace

std::unique_ptr<FolderLock> TryLockFile(const std::filesystem::path& file, std::string* error) {
  // No sharing: a second opener fails until this handle closes or the process dies.
  const HANDLE handle = CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    if (error)
      *error = SystemText(GetLastError());
    return nullptr;
  }
  return std::make_unique<Win32FolderLock>(handle);
}

}  // namespace meridox::platform
