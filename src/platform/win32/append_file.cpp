#include <windows.h>

#include "platform/append_file.h"

namespace meridox::platform {

namespace {

std::error_code Last() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

}  // namespace

std::error_code AppendToFile(const std::filesystem::path& file, std::string_view bytes) {
  // Shared for reading, writing and deleting, so that the log can be read and removed
  // while the program runs.
  HANDLE handle = CreateFileW(file.c_str(), FILE_APPEND_DATA,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return Last();
  std::error_code error;
  while (!error && !bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0)
      error = Last();
    else
      bytes.remove_prefix(written);
  }
  if (!CloseHandle(handle) && !error)
    error = Last();
  return error;
}

}  // namespace meridox::platform
