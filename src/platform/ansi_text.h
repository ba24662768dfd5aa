// Conversions between the program's UTF-8 text and the system's ANSI code page, the
// encoding of the log and of settings files written by older tools. On Linux the "ANSI"
// code page is UTF-8 itself and the conversions pass text through unchanged.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace meridox::platform {

// The system's ANSI code page number (65001 for UTF-8).
unsigned AnsiCodePage();

std::string Utf8FromAnsi(std::string_view ansi);
// Characters the code page cannot hold become its default character; lossy (when given)
// tells whether that happened.
std::string AnsiFromUtf8(std::string_view utf8, bool* lossy = nullptr);

// The same for an explicit code page; nullopt when this system cannot convert it.
std::optional<std::string> Utf8FromCodePage(std::string_view text, unsigned code_page);
std::optional<std::string> CodePageFromUtf8(std::string_view utf8, unsigned code_page,
                                            bool* lossy = nullptr);

}  // namespace meridox::platform
