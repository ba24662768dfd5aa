// Text between UTF-8, UTF-16 and a Windows code page, with the code page's default
// character for what it cannot hold.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace meridox::platform::win32 {

inline std::wstring WideFromCodePage(std::string_view text, UINT code_page) {
  if (text.empty())
    return {};
  const int size =
      MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (size <= 0)
    return {};
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(code_page, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

inline std::string CodePageFromWide(std::wstring_view text, UINT code_page, bool* lossy) {
  if (lossy != nullptr)
    *lossy = false;
  if (text.empty())
    return {};
  // UTF-8 and UTF-7 refuse the flag and the default-character argument. Without the
  // flag, Windows would turn a Greek capital sigma into a Latin S for code page 1252:
  // what cannot be represented becomes the default character instead.
  const bool utf = code_page == CP_UTF8 || code_page == CP_UTF7;
  const DWORD flags = utf ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL used_default = FALSE;
  BOOL* used = utf ? nullptr : &used_default;
  const int size = WideCharToMultiByte(code_page, flags, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, used);
  if (size <= 0)
    return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(code_page, flags, text.data(), static_cast<int>(text.size()), out.data(),
                      size, nullptr, used);
  if (lossy != nullptr)
    *lossy = used_default != FALSE;
  return out;
}

inline std::wstring WideFromUtf8(std::string_view text) {
  return WideFromCodePage(text, CP_UTF8);
}

inline std::string Utf8FromWide(std::wstring_view text) {
  return CodePageFromWide(text, CP_UTF8, nullptr);
}

}  // namespace meridox::platform::win32
