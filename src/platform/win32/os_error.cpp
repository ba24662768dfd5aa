#include "platform/os_error.h"

#include <windows.h>

#include "platform/win32/code_page_text.h"

namespace meridox::platform {

std::error_code LastOsError() {
  return std::error_code(static_cast<int>(GetLastError()), std::system_category());
}

std::string OsErrorText(const std::error_code& error) {
  if (error.category() != std::system_category())
    return error.message();
  wchar_t* buffer = nullptr;
  const DWORD size = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(error.value()), 0, reinterpret_cast<wchar_t*>(&buffer), 0,
      nullptr);
  if (size == 0 || buffer == nullptr)
    return "System Error.  Code: " + std::to_string(error.value()) + ".";
  std::wstring text(buffer, size);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' '))
    text.pop_back();
  return win32::Utf8FromWide(text);
}

std::string LastOsErrorText() {
  return OsErrorText(LastOsError());
}

}  // namespace meridox::platform
