#include "platform/ansi_text.h"

namespace meridox::platform {

namespace {
constexpr unsigned kUtf8CodePage = 65001;
}

unsigned AnsiCodePage() {
  return kUtf8CodePage;
}

std::string Utf8FromAnsi(std::string_view ansi) {
  return std::string(ansi);
}

std::string AnsiFromUtf8(std::string_view utf8, bool* lossy) {
  if (lossy != nullptr)
    *lossy = false;
  return std::string(utf8);
}

std::optional<std::string> Utf8FromCodePage(std::string_view text, unsigned code_page) {
  if (code_page != kUtf8CodePage)
    return std::nullopt;
  return std::string(text);
}

std::optional<std::string> CodePageFromUtf8(std::string_view utf8, unsigned code_page,
                                            bool* lossy) {
  if (code_page != kUtf8CodePage)
    return std::nullopt;
  return AnsiFromUtf8(utf8, lossy);
}

}  // namespace meridox::platform
