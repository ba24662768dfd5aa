#include "config/ini_text.h"

#include "platform/ansi_text.h"

namespace meridox::config {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// Reads one code point at pos and advances; invalid or truncated sequences give
// kReplacement and advance by one byte.
char32_t NextUtf8(std::string_view text, size_t& pos, bool& valid) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  valid = true;
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  size_t length = 0;
  char32_t c = 0;
  char32_t minimum = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1F;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0F;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07;
    minimum = 0x10000;
  }
  if (length == 0 || pos + length > text.size()) {
    valid = false;
    ++pos;
    return kReplacement;
  }
  for (size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) {
      valid = false;
      ++pos;
      return kReplacement;
    }
    c = (c << 6) | (next & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
    valid = false;
    ++pos;
    return kReplacement;
  }
  pos += length;
  return c;
}

std::string DecodeUtf16(std::string_view bytes, bool big_endian) {
  std::string out;
  const size_t units = bytes.size() / 2;  // an odd last byte is not a character
  const auto unit = [&](size_t i) -> char16_t {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    return static_cast<char16_t>(big_endian ? (first << 8) | second : (second << 8) | first);
  };
  for (size_t i = 0; i < units; ++i) {
    const char16_t u = unit(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const char16_t low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  return out;
}

std::string EncodeUtf16(std::string_view utf8, bool big_endian) {
  std::string out;
  const auto put = [&](char16_t u) {
    const char high = static_cast<char>(u >> 8);
    const char low = static_cast<char>(u & 0xFF);
    out += big_endian ? high : low;
    out += big_endian ? low : high;
  };
  size_t pos = 0;
  bool valid = true;
  while (pos < utf8.size()) {
    const char32_t c = NextUtf8(utf8, pos, valid);
    if (c >= 0x10000) {
      put(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      put(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      put(static_cast<char16_t>(c));
    }
  }
  return out;
}

std::string CleanUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t pos = 0;
  bool valid = true;
  while (pos < text.size())
    AppendUtf8(out, NextUtf8(text, pos, valid));
  return out;
}

bool IsAscii(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) >= 0x80)
      return false;
  }
  return true;
}

}  // namespace

TextEncoding DefaultTextEncoding() {
  return platform::AnsiCodePage() == 65001 ? TextEncoding::kUtf8 : TextEncoding::kAnsi;
}

bool IsValidUtf8(std::string_view text) {
  size_t pos = 0;
  bool valid = true;
  while (pos < text.size()) {
    NextUtf8(text, pos, valid);
    if (!valid)
      return false;
  }
  return true;
}

TextEncoding DetectEncoding(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Mark))
    return TextEncoding::kUtf8Bom;
  if (bytes.starts_with(kUtf16LeMark))
    return TextEncoding::kUtf16LeBom;
  if (bytes.starts_with(kUtf16BeMark))
    return TextEncoding::kUtf16BeBom;
  if (IsAscii(bytes))
    return DefaultTextEncoding();
  if (IsValidUtf8(bytes))
    return TextEncoding::kUtf8;
  return TextEncoding::kAnsi;
}

std::string DecodeText(std::string_view bytes, TextEncoding encoding) {
  switch (encoding) {
    case TextEncoding::kUtf8Bom:
      if (bytes.starts_with(kUtf8Mark))
        bytes.remove_prefix(kUtf8Mark.size());
      return CleanUtf8(bytes);
    case TextEncoding::kUtf16LeBom:
      if (bytes.starts_with(kUtf16LeMark))
        bytes.remove_prefix(kUtf16LeMark.size());
      return DecodeUtf16(bytes, false);
    case TextEncoding::kUtf16BeBom:
      if (bytes.starts_with(kUtf16BeMark))
        bytes.remove_prefix(kUtf16BeMark.size());
      return DecodeUtf16(bytes, true);
    case TextEncoding::kAnsi:
      // On Linux the ANSI code page is UTF-8: bytes that are not UTF-8 are kept as they
      // are, so that a rewrite gives them back unchanged.
      return platform::Utf8FromAnsi(bytes);
    case TextEncoding::kUtf8:
      break;
  }
  return CleanUtf8(bytes);
}

std::string EncodeText(std::string_view utf8, TextEncoding encoding, bool* lossy) {
  if (lossy != nullptr)
    *lossy = false;
  switch (encoding) {
    case TextEncoding::kUtf8Bom:
      return std::string(kUtf8Mark) + std::string(utf8);
    case TextEncoding::kUtf16LeBom:
      return std::string(kUtf16LeMark) + EncodeUtf16(utf8, false);
    case TextEncoding::kUtf16BeBom:
      return std::string(kUtf16BeMark) + EncodeUtf16(utf8, true);
    case TextEncoding::kAnsi:
      return platform::AnsiFromUtf8(utf8, lossy);
    case TextEncoding::kUtf8:
      break;
  }
  return std::string(utf8);
}

}  // namespace meridox::config
