// The encodings a settings file may come in, recognised on reading and kept on writing.
#pragma once

#include <string>
#include <string_view>

namespace meridox::config {

enum class TextEncoding {
  kUtf8,  // no byte-order mark
  kUtf8Bom,
  kUtf16LeBom,
  kUtf16BeBom,
  kAnsi,  // the system's ANSI code page (UTF-8 on Linux)
};

// For new files: the ANSI code page on Windows (what older readers of the file expect),
// UTF-8 without a mark on Linux.
TextEncoding DefaultTextEncoding();

// Recognises the encoding: a byte-order mark decides; without one, text that is valid
// UTF-8 with non-ASCII characters is UTF-8, and anything else is the default encoding
// (pure ASCII) or the ANSI code page.
TextEncoding DetectEncoding(std::string_view bytes);

// Bytes to UTF-8 text (the mark removed); invalid sequences become U+FFFD.
std::string DecodeText(std::string_view bytes, TextEncoding encoding);
// UTF-8 text to bytes (with the mark where the encoding has one). lossy is set when a
// character had no place in the target encoding and was replaced.
std::string EncodeText(std::string_view utf8, TextEncoding encoding, bool* lossy = nullptr);

bool IsValidUtf8(std::string_view text);

}  // namespace meridox::config
