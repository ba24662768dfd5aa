#include "platform/ansi_text.h"

#include "platform/win32/code_page_text.h"

namespace meridox::platform {

unsigned AnsiCodePage() {
  return GetACP();
}

std::string Utf8FromAnsi(std::string_view ansi) {
  return win32::Utf8FromWide(win32::WideFromCodePage(ansi, CP_ACP));
}

std::string AnsiFromUtf8(std::string_view utf8, bool* lossy) {
  return win32::CodePageFromWide(win32::WideFromUtf8(utf8), CP_ACP, lossy);
}

std::optional<std::string> Utf8FromCodePage(std::string_view text, unsigned code_page) {
  if (!IsValidCodePage(code_page))
    return std::nullopt;
  return win32::Utf8FromWide(win32::WideFromCodePage(text, code_page));
}

std::optional<std::string> CodePageFromUtf8(std::string_view utf8, unsigned code_page,
                                            bool* lossy) {
  if (!IsValidCodePage(code_page))
    return std::nullopt;
  return win32::CodePageFromWide(win32::WideFromUtf8(utf8), code_page, lossy);
}

}  // namespace meridox::platform
