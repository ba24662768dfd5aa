#include <windows.h>

#include "platform/atomic_file.h"

namespace meridox::platform {

namespace {

std::error_code Last() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

}  // namespace

std::error_code ReplaceFile(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return Last();
  return {};
}

std::error_code WriteFileAtomically(const std::filesystem::path& target, std::string_view bytes) {
  std::filesystem::path temp = target;
  temp += L".tmp";
  HANDLE file = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return Last();
  std::error_code error;
  while (!error && !bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x10000000 ? 0x10000000 : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
      error = Last();
    else
      bytes.remove_prefix(written);
  }
  if (!error && !FlushFileBuffers(file))
    error = Last();
  if (!CloseHandle(file) && !error)
    error = Last();
  if (!error)
    error = ReplaceFile(temp, target);
  if (error)
    DeleteFileW(temp.c_str());
  return error;
}

}  // namespace meridox::platform
